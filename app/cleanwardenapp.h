#pragma once
// The application object: at once the desktop program and the COM local
// server of CleanwardenApplication. InitInstance runs the whole life of the
// desktop program inside one structured-exception guard: it guards against
// a second copy, acts on the COM switches, loads settings, language,
// statistics and skin, starts the engine with its event sink and the
// schedules, runs the main dialog, shuts down in order and returns FALSE
// (the framework then calls ExitInstance). Started by COM ("/Embedding",
// "/Automation") it returns TRUE and serves without a window until COM lets
// it end.
//
// Faults: one that escapes InitInstance, or a handler of any window (the
// framework's barrier reports it through ProcessWndProcException), shows the
// crash report once and leads to the ordered shutdown.

#include <memory>

#include "app/applicationhost.h"
#include "app/definitionsinfo.h"
#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "app/schedulerhost.h"
#include "app/serverswitches.h"
#include "app/singleinstance.h"
#include "app/telmincleanwarden.h"
#include "pages/pagehost.h"
#include "platform/mfc/afxwin.h"
#include "platform/mfc/ctime.h"
#include "ui/maindialoghost.h"

class CCleanwardenModule;
class CLocalizer;
class CMainDialog;

class CCleanwardenApp : public CWinApp,
                        public IApplicationHost,
                        public IEngineEventTarget,
                        public ISchedulerHost,
                        public IMainDialogHost,
                        public IPageHost
{
    DECLARE_DYNAMIC(CCleanwardenApp)

public:
    // The key text of the language files (64 hexadecimal digits).
    static const char kLanguageKeyText[];

    // module: the program's COM module (its class objects and registry
    // scripts); not owned, may be null where no COM server is wanted.
    // instanceName: the product name the single-instance guard is made from.
    explicit CCleanwardenApp(CCleanwardenModule* module, LPCSTR instanceName = "Telmin Cleanwarden");
    ~CCleanwardenApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    LRESULT ProcessWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG* pMsg) override;

    // Start-up steps (UI thread).
    // Parses the command line with the framework's parser and acts on the
    // registration switches: -1 go on; 0 or 1 end the start-up with that
    // result (the exit code then tells whether registration worked).
    int ParseCommandLineAndRegister();
    // Registers the class objects: -1 desktop start; TRUE server only; FALSE
    // failed (logged; the process then ends with exit code 1).
    int StartServer();
    // The data folder and everything the start needs in it; FALSE when it
    // could not be made (logged; the start goes on and saves nothing).
    BOOL EnsureDataFolder();
    void LoadAppSettings();
    void LoadAppStats();
    void LoadScheduledScanSettings();
    void LoadScheduledUpdateSettings();
    void LoadScheduledUpdateSoftSettings();
    // The chosen language, else English; a language file that cannot be
    // read is logged, and when none can be, a message box says so (in
    // English) before the start goes on.
    void InitLocalizer();
    BOOL InitSkin();
    void ApplyDefaultDialogSkin() override;
    void SetDefaultDialogSkin(CString name) override;
    void SetDefaultDialogSkinName(CString name) override;
    void LoadAppCursor(UINT id);
    HCURSOR GetLinkCursor() const override { return m_hLinkCursor; }
    // The engine: a failure shows the message box "Definition database
    // was not found..." and returns the failing HRESULT.
    HRESULT InitEngine();
    // InitEngine; after a failure the shutdown runs at once.
    HRESULT StartEngine();
    void RunMainDialog();
    // After the main dialog has ended, after a failed engine start and on
    // the crash road; runs once.
    void Shutdown();

    // What pages and tasks use (IPageHost).
    void GetScanner(CComPtr<IScanner>& scanner) override;
    CComPtr<IQuarantine>* GetQuarantine() override { return std::addressof(m_spQuarantine); }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return std::addressof(m_spIgnoreList); }
    CEngineEventDispatcher* GetEventDispatcher() override { return &m_dispatcher; }
    void GetDefinitionsPath(CString& path) const override;
    // The engine's count of detection records; the last good one while a
    // scan runs; 0 when the engine cannot tell.
    DWORD GetDefinitionsItemCount() override;
    void GetDefinitionsDate(CTime& date) override;
    void GetDatabaseDateText(CString& text) override;
    CString GetCommandLineText() override;
    CDefinitionsInfo& GetDefinitionsInfo() { return m_definitions; }
    void StartSchedules(BOOL withUpdates);
    virtual void StopSchedules(BOOL withUpdates);
    void SetupSchedules();

    // Crash road and engine exceptions.
    void ShowExceptionReport(CString engineText, CString exceptionText) override;
    void BuildExceptionHeader(CString& text) const;
    const CString& GetExceptionReportText() const { return m_strExceptionReport; }

    // IApplicationHost
    int PromptClose() override;

    // IEngineEventTarget
    void FireOnScanning(ScanAreaType area, ULONG count) override;
    void FireOnCompleteArea(ScanAreaType area) override;
    void FireOnStartedArea(ScanAreaType area) override;
    void FireOnScanningFolder(BSTR folder) override;
    void FireOnQuarantineProgress(int current, int total) override;
    void FireOnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item) override;
    void FireOnQuaException(ULONG_PTR code);
    int OnEngineException(ULONG_PTR code, int isScanner) override;

    // ISchedulerHost
    HWND GetMainWindow() override;
    void RunSilentUpdate() override;

    // IMainDialogHost
    void SetMainWindowHandle(HWND window) override;
    void GetQuarantineObject(CComPtr<IQuarantine>& quarantine) override;
    void MakePages(CWnd* parent, CToolTipDialog* pages[PageCount]) override;
    void RunAboutDialog(CWnd* owner) override;
    void RunProgramUpdateDialog(CWnd* owner) override;

    CMainDialog* GetMainDialog() const { return m_pMainDialog; }
    BOOL IsHiddenStart() const { return m_bHidden; }

protected:
    // The steps of the shutdown and of ExitInstance, in the order they run
    // there; the tests record them.
    // Stops a running scan and waits for a running quarantine action, both
    // with the thread's messages flowing: nothing is cut in half.
    virtual void StopEngineWork();
    virtual void ClearScanResults();
    virtual void ExitSkin();
    // Deletes the localizer, the task manager and the schedule manager (the
    // last kept while a task thread left running by the stop still uses it).
    virtual void DeleteSingletons();
    virtual void DeleteAppSettings();
    virtual void SaveAppStats();
    // The statistics and the three schedule settings.
    virtual void DeleteSettingsFiles();
    virtual void SaveIgnoreList();
    virtual void UnadviseEngine();
    virtual void ReleaseEventSink();
    virtual void DeleteScannerSettings();
    virtual void RevokeClassObjects();

    // The engine's objects (a seam of the tests): CoCreateInstance, CLSCTX_ALL.
    HRESULT CreateEngineObject(REFCLSID clsid, REFIID iid, void** object) override;

    // The start-up with its steps; the guard runs it.
    BOOL RunInitInstance();
    // After the guard caught a fault: the crash report, then the shutdown.
    BOOL OnStartupException(DWORD code, const void* address);
    // The crash report for a fault (once per run) and the end of the main
    // dialog, so that the ordered shutdown follows.
    void ReportCrash(const CString& description);
    // Sets the localizer's language; a file that could not be read is logged.
    static bool SetLanguage(CLocalizer& localizer, const CString& language);
    // A start step failed: the step and its HRESULT go to the debug log.
    static void LogStartFailure(const char* step, HRESULT hr, const char* function);

    CSingleInstance m_singleInstance;
    HCURSOR m_hLinkCursor;
    CComPtr<IScanner> m_spScanner;
    CComPtr<IIgnoreList> m_spIgnoreList;
    CComPtr<IQuarantine> m_spQuarantine;
    CComObject<CEngineListener>* m_pEventSink;
    CComPtr<ICleanwardenApplication> m_spApplication;
    BOOL m_bHidden;
    DWORD m_dwScannerCookie;
    DWORD m_dwResultsCookie;
    DWORD m_dwQuarantineCookie;
    CString m_strDefaultDialogSkin;
    CEngineEventDispatcher m_dispatcher;
    char m_szAppSettingsPath[MAX_PATH];
    char m_szAppStatsPath[MAX_PATH];
    char m_szScheduledScanPath[MAX_PATH];
    char m_szScheduledUpdatePath[MAX_PATH];
    char m_szScheduledUpdateSoftPath[MAX_PATH];
    CString m_strExceptionReport;

    CCleanwardenModule* m_pModule;
    CMainDialog* m_pMainDialog;
    // The main dialog's window while it exists; read by the scheduler's threads.
    HWND volatile m_hMainWindow;
    CDefinitionsInfo m_definitions;
    bool m_bComInitialized;
    DWORD m_dwProxyCookie;
    bool m_bSkinStarted;
    bool m_bEngineMapAdded;
    bool m_bShutdownDone;
    // The ignore list may be saved at exit: false after a list file that
    // could not be read and could not be moved aside either.
    bool m_bSaveIgnoreList;
    // An engine exception has been announced to the main dialog; the
    // program ends after its report, so later ones are dropped.
    bool m_bEngineExceptionPending;
    bool m_bCrashReported;
    // The exit code of a run that ended in its start-up: a registration
    // run's result, or 1 when the COM server could not be set up (-1: none).
    int m_nStartExitCode;
    CServerSwitches m_switches;
    // A fault the guard caught, recorded by its filter.
    volatile DWORD m_dwFaultCode;
    const void* volatile m_pFaultAddress;

private:
    static void GuardedStartup(void* context);
    static void OnStartupFault(EXCEPTION_POINTERS* info, void* context);
    BOOL m_bStartupResult;
};
