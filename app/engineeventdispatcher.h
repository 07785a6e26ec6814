#pragma once
// The application's listener lists: one singly linked list per engine event,
// newest pair first. Everything runs on the UI thread (the engine's calls
// arrive there through COM), so the lists need no lock.
//
// Handlers may remove pairs, their own or others', and may destroy
// listeners while an event is being fired: a pair taken out during a firing
// is only marked and is freed once the outermost firing has ended. A pair
// added during a firing is called from the next event on.

#include "app/engineeventdelegate.h"

class CEngineEventDispatcher
{
public:
    typedef CEngineEventDelegate2<ScanAreaType, ULONG> ScanningDelegate;
    typedef CEngineEventDelegate1<ScanAreaType> AreaDelegate;
    typedef CEngineEventDelegate1<BSTR> FolderDelegate;
    typedef CEngineEventDelegate2<int, int> ProgressDelegate;
    typedef CEngineEventDelegate1<ULONG_PTR> ExceptionDelegate;
    typedef CEngineEventDelegate3<IThreatCollection*, IThreat*, ISearchItem*> SubItemDelegate;

    CEngineEventDispatcher();
    // Frees the lists; listeners still in them are told they are no longer.
    ~CEngineEventDispatcher();

    // Add: the pair goes to the front of the event's list; 0. The same pair
    // may be added twice and is then called twice. A null listener or
    // handler, or a listener that has pairs in another dispatcher, is
    // refused with 1.
    // Remove: takes out the newest pair equal to the one given; 0 when one
    // was removed, 1 when none matched.
    int AddOnScanning(CEngineEventHandler* listener, ScanningDelegate::Handler handler);
    int RemoveOnScanning(CEngineEventHandler* listener, ScanningDelegate::Handler handler);
    int AddOnCompleteArea(CEngineEventHandler* listener, AreaDelegate::Handler handler);
    int RemoveOnCompleteArea(CEngineEventHandler* listener, AreaDelegate::Handler handler);
    int AddOnStartedArea(CEngineEventHandler* listener, AreaDelegate::Handler handler);
    int RemoveOnStartedArea(CEngineEventHandler* listener, AreaDelegate::Handler handler);
    int AddOnScanningFolder(CEngineEventHandler* listener, FolderDelegate::Handler handler);
    int RemoveOnScanningFolder(CEngineEventHandler* listener, FolderDelegate::Handler handler);
    int AddOnQuarantineProgress(CEngineEventHandler* listener, ProgressDelegate::Handler handler);
    int RemoveOnQuarantineProgress(CEngineEventHandler* listener, ProgressDelegate::Handler handler);
    int AddOnQuaException(CEngineEventHandler* listener, ExceptionDelegate::Handler handler);
    int RemoveOnQuaException(CEngineEventHandler* listener, ExceptionDelegate::Handler handler);
    int AddOnSubItemAdded(CEngineEventHandler* listener, SubItemDelegate::Handler handler);
    int RemoveOnSubItemAdded(CEngineEventHandler* listener, SubItemDelegate::Handler handler);

    // Every pair of the listener, from every list.
    void RemoveListener(CEngineEventHandler* listener);

    // Call every pair of the event's list from the front.
    void FireOnScanning(ScanAreaType area, ULONG count);
    void FireOnCompleteArea(ScanAreaType area);
    void FireOnStartedArea(ScanAreaType area);
    void FireOnScanningFolder(BSTR folder);
    void FireOnQuarantineProgress(int current, int total);
    void FireOnQuaException(ULONG_PTR code);
    void FireOnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item);

private:
    enum
    {
        ListScanning,
        ListCompleteArea,
        ListStartedArea,
        ListScanningFolder,
        ListQuarantineProgress,
        ListQuaException,
        ListSubItemAdded,
        ListCount
    };

    template <class Node>
    int Add(CEngineEventDelegate*& head, CEngineEventHandler* listener, typename Node::Handler handler);
    template <class Node>
    int Remove(CEngineEventDelegate*& head, CEngineEventHandler* listener, typename Node::Handler handler);
    template <class Node, class... Args>
    void Fire(CEngineEventDelegate* head, Args... args);

    // Counts the node's listener out and unlinks and frees the node; while a
    // firing runs the node is only marked (false).
    bool Drop(CEngineEventDelegate*& link);
    void FreeRemovedNodes();

    CEngineEventDelegate* m_lists[ListCount];
    int m_nFiring;
    bool m_bHasRemoved;

    CEngineEventDispatcher(const CEngineEventDispatcher&) = delete;
    CEngineEventDispatcher& operator=(const CEngineEventDispatcher&) = delete;
};
