#pragma once
// The application's one sink on the engine's three event sources. It keeps
// no state of its own: each event it receives goes to its target, the
// application object, which walks the dispatcher's lists.

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

// What the sink forwards to. CCleanwardenApp implements it: the firing
// operations walk its CEngineEventDispatcher; OnEngineException records the
// report text, calls the OnQuaException list for the quarantine
// (isScanner 0) and posts WM_ENGINE_EXCEPTION to the main window.
class IEngineEventTarget
{
public:
    virtual void FireOnScanning(ScanAreaType area, ULONG count) = 0;
    virtual void FireOnCompleteArea(ScanAreaType area) = 0;
    virtual void FireOnStartedArea(ScanAreaType area) = 0;
    virtual void FireOnScanningFolder(BSTR folder) = 0;
    virtual void FireOnQuarantineProgress(int current, int total) = 0;
    virtual void FireOnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item) = 0;
    virtual int OnEngineException(ULONG_PTR code, int isScanner) = 0;

protected:
    ~IEngineEventTarget() {}
};

class CEngineListener : public CComObjectRootEx<CComSingleThreadModel>,
                        public IQuarantineEvents,
                        public IScannerEvents,
                        public IThreatCollectionEvents
{
public:
    CEngineListener() : m_pTarget(NULL) {}

    BEGIN_COM_MAP(CEngineListener)
        COM_INTERFACE_ENTRY(IQuarantineEvents)
        COM_INTERFACE_ENTRY(IScannerEvents)
        COM_INTERFACE_ENTRY(IThreatCollectionEvents)
    END_COM_MAP()

    // Not owned; events that arrive without a target are dropped.
    void SetTarget(IEngineEventTarget* target) { m_pTarget = target; }

    // IQuarantineEvents
    HRESULT STDMETHODCALLTYPE OnQuarantineProgress(INT current, INT total) override;
    HRESULT STDMETHODCALLTYPE OnItemAdded(IQuarantine* source, IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IQuarantine* source, IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IQuarantine* source, IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE OnQuaException(ULONG_PTR code) override;

    // IScannerEvents
    HRESULT STDMETHODCALLTYPE OnStartedArea(ScanAreaType area) override;
    HRESULT STDMETHODCALLTYPE OnCompleteArea(ScanAreaType area) override;
    HRESULT STDMETHODCALLTYPE OnScanningFolder(BSTR folder) override;
    HRESULT STDMETHODCALLTYPE OnScanning(ScanAreaType area, ULONG count) override;
    HRESULT STDMETHODCALLTYPE OnScannerException(ULONG_PTR code) override;

    // IThreatCollectionEvents
    HRESULT STDMETHODCALLTYPE OnItemAdded(IThreatCollection* source, IThreat* threat) override;
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IThreatCollection* source, IThreat* threat) override;
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IThreatCollection* source, IThreat* threat) override;
    HRESULT STDMETHODCALLTYPE OnSubItemAdded(IThreatCollection* source, IThreat* threat, ISearchItem* item) override;
    HRESULT STDMETHODCALLTYPE OnSubItemRemoved(IThreatCollection* source, IThreat* threat, ISearchItem* item) override;
    HRESULT STDMETHODCALLTYPE OnSubItemUpdated(IThreatCollection* source, IThreat* threat, ISearchItem* item) override;

private:
    IEngineEventTarget* m_pTarget;
};
