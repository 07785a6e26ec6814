#pragma once
// Scanner: the engine's COM face. Runs the internal scanner on a worker
// thread of its own, turns every detection into a search item under the
// threat of its program in the (marshalled) result collection, drops what
// the ignore list holds, and passes progress on as IScannerEvents.

#include <vector>

#include "engine/internalscanner.h"
#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

// Raises IScannerEvents on the worker's own (marshalled) sinks.
template <class T>
class CProxyIScannerEvents
{
protected:
    template <class F>
    HRESULT FireToWorkerSinks(F call)
    {
        HRESULT hr = S_OK;
        T* self = static_cast<T*>(this);
        for (IScannerEvents* sink : self->m_workerSinks)
            if (sink)
                hr = call(sink);
        return hr;
    }

public:
    HRESULT Fire_OnStartedArea(ScanAreaType area)
    {
        return FireToWorkerSinks([&](IScannerEvents* s) { return s->OnStartedArea(area); });
    }
    HRESULT Fire_OnCompleteArea(ScanAreaType area)
    {
        return FireToWorkerSinks([&](IScannerEvents* s) { return s->OnCompleteArea(area); });
    }
    HRESULT Fire_OnScanningFolder(const char* folder)
    {
        CComBSTR text(folder);
        return FireToWorkerSinks([&](IScannerEvents* s) { return s->OnScanningFolder(text); });
    }
    HRESULT Fire_OnScanning(ScanAreaType area, ULONG items)
    {
        return FireToWorkerSinks([&](IScannerEvents* s) { return s->OnScanning(area, items); });
    }
    HRESULT Fire_OnScannerException(ULONG_PTR info)
    {
        return FireToWorkerSinks([&](IScannerEvents* s) { return s->OnScannerException(info); });
    }
};

class CScanner : public CComObjectRootEx<CComSingleThreadModel>,
                 public CComCoClass<CScanner, &CLSID_Scanner>,
                 public IScanner,
                 public IConnectionPointContainerImpl<CScanner>,
                 public IConnectionPointImpl<CScanner, &IID_IScannerEvents>,
                 public CProxyIScannerEvents<CScanner>,
                 public IInternalScannerListener
{
    friend class CProxyIScannerEvents<CScanner>;

public:
    CScanner();
    virtual ~CScanner();

    BEGIN_COM_MAP(CScanner)
        COM_INTERFACE_ENTRY(IScanner)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CScanner)
        CONNECTION_POINT_ENTRY(IID_IScannerEvents)
    END_CONNECTION_POINT_MAP()

    HRESULT FinalConstruct();
    void FinalRelease();

    // IScanner
    HRESULT STDMETHODCALLTYPE Initialize(BSTR databasePath, BSTR keyText) override;
    HRESULT STDMETHODCALLTYPE get_DatabasePath(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE put_Paths(IPaths* paths) override;
    HRESULT STDMETHODCALLTYPE get_Paths(IPaths** paths) override;
    HRESULT STDMETHODCALLTYPE put_AreaEnabled(ScanAreaType area, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE get_AreaEnabled(ScanAreaType area, BOOL* enabled) override;
    HRESULT STDMETHODCALLTYPE put_Results(IThreatCollection* results) override;
    HRESULT STDMETHODCALLTYPE get_Results(IThreatCollection** results) override;
    HRESULT STDMETHODCALLTYPE get_IgnoreList(IIgnoreList** ignoreList) override;
    HRESULT STDMETHODCALLTYPE Start() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause(BOOL pause) override;
    HRESULT STDMETHODCALLTYPE get_Running(BOOL* running) override;
    HRESULT STDMETHODCALLTYPE GetDatabaseInfo(ULONG* stamp, ULONG* programs, ULONG* items) override;

    virtual void FireScannerException(ULONG_PTR exceptionInfo);

    // In-process access for the engine's own tools and tests.
    CInternalScanner& GetInternalScanner() { return m_scanner; }
    // Least time between two OnScanning events of an area; 0 sends every one.
    // The last count of an area always goes out before its OnCompleteArea.
    void SetScanningInterval(DWORD ms) { m_scanningInterval = ms; }

    enum { DefaultScanningInterval = 100 };

protected:
    // IInternalScannerListener, on the worker thread
    void OnItemFound(int area, DWORD programNumber, const char* name, const char* value,
                     DWORD typeOrProcessId, DWORD dataSize, const BYTE* data, DWORD rootKey, BYTE known,
                     const char* extra) override;
    void OnAccessError(int area, const char* path, DWORD processId) override;
    void OnStartedArea(int area) override;
    void OnCompleteArea(int area) override;
    void OnScanningFolder(const char* folder) override;
    void OnScanning(int area, DWORD itemsScanned) override;

private:
    static unsigned __stdcall ScanThreadProc(void* arg);
    static void GuardedScan(void* arg);
    static void OnScanException(EXCEPTION_POINTERS* info, void* arg);
    bool UnmarshalItems();
    void RunImpersonated();
    void ReleaseWorkerItems();
    void EndWorkerCom();
    void RecoverFromException();
    void ReleaseMarshalledStreams();
    void CloseFinishedThread();
    bool IsRunning() const { return InterlockedCompareExchange(const_cast<LONG*>(&m_running), 0, 0) != 0; }
    void ReapplyStop();
    void FlushScanning(int area);

    CComBSTR m_databasePath;
    CComPtr<IPaths> m_paths;
    CComPtr<IThreatCollection> m_results;
    CComPtr<IIgnoreList> m_ignoreList;
    IStream* m_resultsStream;
    IThreatCollection* m_workerResults;
    CInternalScanner m_scanner;
    CComPtr<ILog> m_log;
    std::vector<IStream*> m_sinkStreams;
    std::vector<IScannerEvents*> m_workerSinks;
    HANDLE m_thread;

    // What the worker reads of the ignore list: a copy taken at Start, so the
    // user's list may change while a scan runs.
    IIgnoreList* m_scanIgnoreList;
    volatile LONG m_running;
    volatile LONG m_stopRequested;
    bool m_workerCom;
    DWORD m_proxyCookie;
    bool m_impersonating;
    DWORD m_scanningInterval;
    DWORD m_lastScanningTick[CInternalScanner::AreaCount];
    DWORD m_pendingScanning[CInternalScanner::AreaCount];
    bool m_hasPendingScanning[CInternalScanner::AreaCount];
};
