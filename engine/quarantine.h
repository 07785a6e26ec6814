#pragma once
// Quarantine: the list of backups of the quarantine folder and the four
// quarantine actions (back up and remove, view, restore, remove), each run on
// a worker thread of its own, one at a time.

#include <vector>

#include "engine/internalquarantine.h"
#include "engine/internalremovelistener.h"
#include "engine/mothtrap.h"
#include "engine/quarantineevents.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"
#include "platform/mfc/cstring.h"

class CQuarantine : public CComObjectRootEx<CComSingleThreadModel>,
                    public CComCoClass<CQuarantine, &CLSID_Quarantine>,
                    public IQuarantine,
                    public IConnectionPointContainerImpl<CQuarantine>,
                    public CProxyIQuarantineEvents<CQuarantine>,
                    public IInternalRemoveListener
{
public:
    enum Action { ActionBackupAndRemove = 0, ActionView = 1, ActionRestore = 2, ActionRemove = 3 };
    // Buffers of the view, in bytes.
    enum { ViewBufferSize = 8192 };
    // Longest text OnRemoveError formats, in characters.
    enum { MaxRemoveErrorLength = 1024 };

    CQuarantine();
    HRESULT FinalConstruct();
    void FinalRelease();

    BEGIN_COM_MAP(CQuarantine)
        COM_INTERFACE_ENTRY(IQuarantine)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CQuarantine)
        CONNECTION_POINT_ENTRY(IID_IQuarantineEvents)
    END_CONNECTION_POINT_MAP()

    // IQuarantine
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_Item(INT index, IBackup** backup) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Lookup(DATE time, IBackup** backup) override;
    HRESULT STDMETHODCALLTYPE Initialize(BSTR folder) override;
    HRESULT STDMETHODCALLTYPE CreateBackup(IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE ViewBackup(IBackup* backup) override;
    // Puts back the items of a viewed backup that are marked Repair.
    HRESULT STDMETHODCALLTYPE RestoreBackup(IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE StopOperation() override;
    HRESULT STDMETHODCALLTYPE get_Running(LONG* running) override;
    HRESULT STDMETHODCALLTYPE get_RebootRequired(LONG* reboot) override;
    HRESULT STDMETHODCALLTYPE ShrinkStorage(ULONG maxSize) override;
    HRESULT STDMETHODCALLTYPE ExecuteRemove(IBackup* backup) override;
    HRESULT STDMETHODCALLTYPE RemoveBackupFromDisk(DATE time) override;

    virtual IQuarantine* GetSource();
    virtual HRESULT CreateBackupObject(REFCLSID clsid, IBackup** backup);
    virtual HRESULT AddBackupEntry(IBackup* backup);
    virtual HRESULT RemoveBackupEntry(int index);
    virtual HRESULT ClearBackupEntries();
    virtual HRESULT FireQuarantineException(ULONG_PTR exceptionPointers);
    virtual ~CQuarantine();

    // IInternalRemoveListener
    void OnRemoveError(DWORD area, BYTE nonFatal, const char* name, DWORD error) override;

    // The text of a remover failure; empty for an area without one.
    static CString FormatRemoveError(DWORD area, const char* name, DWORD error);

private:
    // E_POINTER without a backup, E_UNEXPECTED before Initialize or while a worker runs.
    HRESULT CheckStart(IBackup* backup) const;
    // Logs announce (when given) once the start is allowed.
    HRESULT StartAction(DWORD action, IBackup* backup, const char* announce);
    void CloseFinishedWorker();
    bool IsRunning() const { return m_lRunning != 0; }
    bool IsTimeTaken(DATE time) const;
    void DropEntriesWithoutArchive();

    static unsigned __stdcall ThreadProc(void* arg);
    static void GuardedBody(void* context);
    static void GuardFilter(EXCEPTION_POINTERS* info, void* context);
    void RunWorker();
    void LeaveWorker(bool normalEnd);
    void RunAction();

    static CComPtr<ISearchItem> MarkedItem(IThreat* threat, LONG j, bool backup);
    bool createOrRestoreBackup(bool backup);
    void removeItems(bool afterBackup);
    void viewBackup();

    std::vector<CComPtr<IBackup>> m_backups;
    HANDLE m_hWorker;             // owner's thread only
    volatile LONG m_lRunning;     // set by the owner, cleared by the worker
    BYTE m_bInitialized;
    volatile LONG m_lReboot;
    DWORD m_dwAction;
    IStream* m_pBackupStream;
    IBackup* m_pActionBackup;     // the worker's; a raw pointer so a fault path can release it
    bool m_bWorkerInCom;
    DWORD m_dwProxyCookie;
    CComPtr<ILog> m_log;
    CInternalQuarantine m_store;
};
