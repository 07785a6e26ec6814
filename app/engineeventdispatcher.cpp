#include "app/engineeventdispatcher.h"

CEngineEventDispatcher::CEngineEventDispatcher() : m_nFiring(0), m_bHasRemoved(false)
{
    for (CEngineEventDelegate*& head : m_lists)
        head = NULL;
}

CEngineEventDispatcher::~CEngineEventDispatcher()
{
    for (CEngineEventDelegate*& head : m_lists)
    {
        while (head)
        {
            CEngineEventDelegate* node = head;
            head = node->m_pNext;
            if (node->m_pListener)
            {
                node->m_pListener->m_pDispatcher = NULL;
                node->m_pListener->m_nRegistrations = 0;
            }
            delete node;
        }
    }
}

template <class Node>
int CEngineEventDispatcher::Add(CEngineEventDelegate*& head, CEngineEventHandler* listener,
                                typename Node::Handler handler)
{
    if (!listener || !handler || (listener->m_pDispatcher && listener->m_pDispatcher != this))
        return 1;
    Node* node = new Node(listener, handler);
    node->m_pNext = head;
    head = node;
    listener->m_pDispatcher = this;
    ++listener->m_nRegistrations;
    return 0;
}

template <class Node>
int CEngineEventDispatcher::Remove(CEngineEventDelegate*& head, CEngineEventHandler* listener,
                                   typename Node::Handler handler)
{
    for (CEngineEventDelegate** link = &head; *link; link = &(*link)->m_pNext)
    {
        if (!(*link)->IsRemoved() && static_cast<Node*>(*link)->IsSame(listener, handler))
        {
            Drop(*link);
            return 0;
        }
    }
    return 1;
}

bool CEngineEventDispatcher::Drop(CEngineEventDelegate*& link)
{
    CEngineEventDelegate* node = link;
    CEngineEventHandler* listener = node->m_pListener;
    if (--listener->m_nRegistrations == 0)
        listener->m_pDispatcher = NULL;
    node->m_pListener = NULL;
    if (m_nFiring)
    {
        // A firing may stand on this node: free it once the firing is over.
        m_bHasRemoved = true;
        return false;
    }
    link = node->m_pNext;
    delete node;
    return true;
}

void CEngineEventDispatcher::RemoveListener(CEngineEventHandler* listener)
{
    for (CEngineEventDelegate*& head : m_lists)
    {
        CEngineEventDelegate** link = &head;
        while (*link)
        {
            if ((*link)->IsListener(listener) && Drop(*link))
                continue;
            link = &(*link)->m_pNext;
        }
    }
}

void CEngineEventDispatcher::FreeRemovedNodes()
{
    m_bHasRemoved = false;
    for (CEngineEventDelegate*& head : m_lists)
    {
        CEngineEventDelegate** link = &head;
        while (*link)
        {
            CEngineEventDelegate* node = *link;
            if (node->IsRemoved())
            {
                *link = node->m_pNext;
                delete node;
            }
            else
                link = &node->m_pNext;
        }
    }
}

template <class Node, class... Args>
void CEngineEventDispatcher::Fire(CEngineEventDelegate* head, Args... args)
{
    ++m_nFiring;
    for (CEngineEventDelegate* node = head; node; node = node->m_pNext)
    {
        if (!node->IsRemoved())
            static_cast<Node*>(node)->Invoke(args...);
    }
    if (--m_nFiring == 0 && m_bHasRemoved)
        FreeRemovedNodes();
}

int CEngineEventDispatcher::AddOnScanning(CEngineEventHandler* listener, ScanningDelegate::Handler handler)
{
    return Add<ScanningDelegate>(m_lists[ListScanning], listener, handler);
}

int CEngineEventDispatcher::RemoveOnScanning(CEngineEventHandler* listener, ScanningDelegate::Handler handler)
{
    return Remove<ScanningDelegate>(m_lists[ListScanning], listener, handler);
}

int CEngineEventDispatcher::AddOnCompleteArea(CEngineEventHandler* listener, AreaDelegate::Handler handler)
{
    return Add<AreaDelegate>(m_lists[ListCompleteArea], listener, handler);
}

int CEngineEventDispatcher::RemoveOnCompleteArea(CEngineEventHandler* listener, AreaDelegate::Handler handler)
{
    return Remove<AreaDelegate>(m_lists[ListCompleteArea], listener, handler);
}

int CEngineEventDispatcher::AddOnStartedArea(CEngineEventHandler* listener, AreaDelegate::Handler handler)
{
    return Add<AreaDelegate>(m_lists[ListStartedArea], listener, handler);
}

int CEngineEventDispatcher::RemoveOnStartedArea(CEngineEventHandler* listener, AreaDelegate::Handler handler)
{
    return Remove<AreaDelegate>(m_lists[ListStartedArea], listener, handler);
}

int CEngineEventDispatcher::AddOnScanningFolder(CEngineEventHandler* listener, FolderDelegate::Handler handler)
{
    return Add<FolderDelegate>(m_lists[ListScanningFolder], listener, handler);
}

int CEngineEventDispatcher::RemoveOnScanningFolder(CEngineEventHandler* listener, FolderDelegate::Handler handler)
{
    return Remove<FolderDelegate>(m_lists[ListScanningFolder], listener, handler);
}

int CEngineEventDispatcher::AddOnQuarantineProgress(CEngineEventHandler* listener,
                                                    ProgressDelegate::Handler handler)
{
    return Add<ProgressDelegate>(m_lists[ListQuarantineProgress], listener, handler);
}

int CEngineEventDispatcher::RemoveOnQuarantineProgress(CEngineEventHandler* listener,
                                                       ProgressDelegate::Handler handler)
{
    return Remove<ProgressDelegate>(m_lists[ListQuarantineProgress], listener, handler);
}

int CEngineEventDispatcher::AddOnQuaException(CEngineEventHandler* listener, ExceptionDelegate::Handler handler)
{
    return Add<ExceptionDelegate>(m_lists[ListQuaException], listener, handler);
}

int CEngineEventDispatcher::RemoveOnQuaException(CEngineEventHandler* listener,
                                                 ExceptionDelegate::Handler handler)
{
    return Remove<ExceptionDelegate>(m_lists[ListQuaException], listener, handler);
}

int CEngineEventDispatcher::AddOnSubItemAdded(CEngineEventHandler* listener, SubItemDelegate::Handler handler)
{
    return Add<SubItemDelegate>(m_lists[ListSubItemAdded], listener, handler);
}

int CEngineEventDispatcher::RemoveOnSubItemAdded(CEngineEventHandler* listener, SubItemDelegate::Handler handler)
{
    return Remove<SubItemDelegate>(m_lists[ListSubItemAdded], listener, handler);
}

void CEngineEventDispatcher::FireOnScanning(ScanAreaType area, ULONG count)
{
    Fire<ScanningDelegate>(m_lists[ListScanning], area, count);
}

void CEngineEventDispatcher::FireOnCompleteArea(ScanAreaType area)
{
    Fire<AreaDelegate>(m_lists[ListCompleteArea], area);
}

void CEngineEventDispatcher::FireOnStartedArea(ScanAreaType area)
{
    Fire<AreaDelegate>(m_lists[ListStartedArea], area);
}

void CEngineEventDispatcher::FireOnScanningFolder(BSTR folder)
{
    Fire<FolderDelegate>(m_lists[ListScanningFolder], folder);
}

void CEngineEventDispatcher::FireOnQuarantineProgress(int current, int total)
{
    Fire<ProgressDelegate>(m_lists[ListQuarantineProgress], current, total);
}

void CEngineEventDispatcher::FireOnQuaException(ULONG_PTR code)
{
    Fire<ExceptionDelegate>(m_lists[ListQuaException], code);
}

void CEngineEventDispatcher::FireOnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item)
{
    Fire<SubItemDelegate>(m_lists[ListSubItemAdded], collection, threat, item);
}
