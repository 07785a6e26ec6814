#include "app/cleanwardenapp.h"

#include <commctrl.h>
#include <locale.h>
#include <shlobj.h>
#include <string.h>

#include "app/appconstants.h"
#include "app/cleanwardenmodule.h"
#include "app/closeprompt.h"
#include "app/schedulemanager.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/debuglog.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/scannersettings.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"
#include "foundation/syshelpers.h"
#include "platform/atl/atlcom.h"
#include "platform/sehguard.h"
#include "skin/skinlibrary.h"
#include "ui/debuglogsink.h"
#include "ui/maindialog.h"
#include "ui/programresources.h"

IMPLEMENT_DYNAMIC(CCleanwardenApp, CWinApp)

const char CCleanwardenApp::kLanguageKeyText[] = LOCALIZER_KEY_TEXT;

namespace {

const char kSkinResourceType[] = "SKIN";
const char kFallbackLanguage[] = "English";
// Said in English: there is no language file to say it in.
const char kNoLanguageText[] = "The language files of Telmin Cleanwarden could not be read, so its windows will "
                               "show no texts. Re-installing the application may fix this problem.";
const UINT kSkinResourceId = 187;

// Fills a path buffer with the data folder and the file name.
void MakeDataPath(char (&buffer)[MAX_PATH], const char* fileName)
{
    lstrcpynA(buffer, GetProductDataFolder() + fileName, MAX_PATH);
}

} // namespace

CCleanwardenApp::CCleanwardenApp(CCleanwardenModule* module, LPCSTR instanceName)
    : m_singleInstance(instanceName),
      m_hLinkCursor(nullptr),
      m_pEventSink(nullptr),
      m_bHidden(FALSE),
      m_dwScannerCookie(0),
      m_dwResultsCookie(0),
      m_dwQuarantineCookie(0),
      m_strDefaultDialogSkin("Dialog"),
      m_pModule(module),
      m_pMainDialog(nullptr),
      m_hMainWindow(nullptr),
      m_bComInitialized(false),
      m_dwProxyCookie(0),
      m_bSkinStarted(false),
      m_bEngineMapAdded(false),
      m_bShutdownDone(false),
      m_bSaveIgnoreList(true),
      m_bEngineExceptionPending(false),
      m_bCrashReported(false),
      m_nStartExitCode(-1),
      m_dwFaultCode(0),
      m_pFaultAddress(nullptr),
      m_bStartupResult(FALSE)
{
    m_szAppSettingsPath[0] = m_szAppStatsPath[0] = m_szScheduledScanPath[0] = '\0';
    m_szScheduledUpdatePath[0] = m_szScheduledUpdateSoftPath[0] = '\0';
    // Time texts follow the user's settings.
    setlocale(LC_TIME, "");
    SetPageHost(this);
}

CCleanwardenApp::~CCleanwardenApp()
{
    delete m_pMainDialog;
    if (GetPageHost() == this)
        SetPageHost(nullptr);
}

CString CCleanwardenApp::GetCommandLineText()
{
    return m_lpCmdLine ? CString(m_lpCmdLine) : CString();
}

// ----------------------------------------------------------------- start-up

BOOL CCleanwardenApp::InitInstance()
{
    m_dwFaultCode = 0;
    m_pFaultAddress = nullptr;
    m_bStartupResult = FALSE;
    if (!CSehGuard::Run(&GuardedStartup, &OnStartupFault, this))
        return OnStartupException(m_dwFaultCode, m_pFaultAddress);
    return m_bStartupResult;
}

void CCleanwardenApp::GuardedStartup(void* context)
{
    CCleanwardenApp* app = static_cast<CCleanwardenApp*>(context);
    app->m_bStartupResult = app->RunInitInstance();
}

void CCleanwardenApp::OnStartupFault(EXCEPTION_POINTERS* info, void* context)
{
    // On the faulting thread, before anything is unwound: only the facts.
    CCleanwardenApp* app = static_cast<CCleanwardenApp*>(context);
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
    app->m_dwFaultCode = record ? record->ExceptionCode : 0;
    app->m_pFaultAddress = record ? record->ExceptionAddress : nullptr;
}

BOOL CCleanwardenApp::RunInitInstance()
{
    m_bComInitialized = SUCCEEDED(::CoInitialize(nullptr));

    // Registration needs nothing of a running copy: it works while one runs.
    const int registration = ParseCommandLineAndRegister();
    if (registration >= 0)
        return registration;

    if (m_lpCmdLine && strstr(m_lpCmdLine, "/r"))
        m_singleInstance.WaitForPreviousInstance();
    else if (!m_singleInstance.IsFirstInstance())
        return FALSE;

    AfxOleInit();
    ::InitCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    UseDebugLogForFramework();

    const int server = StartServer();
    if (server >= 0)
        return server;

    HRESULT hr = m_spApplication.CoCreateInstance(CLSID_CleanwardenApplication, nullptr, CLSCTX_LOCAL_SERVER);
    if (FAILED(hr))
    {
        LogStartFailure("create the application object", hr, "CCleanwardenApp::InitInstance");
        m_nStartExitCode = 1;
        return FALSE;
    }
    hr = m_spApplication->Initialize();
    if (FAILED(hr))
    {
        LogStartFailure("initialise the application object", hr, "CCleanwardenApp::InitInstance");
        m_nStartExitCode = 1;
        return FALSE;
    }
    m_bHidden = m_lpCmdLine && strstr(m_lpCmdLine, "/h") ? TRUE : FALSE;

    EnsureDataFolder();
    LoadAppSettings();
    InitLocalizer();
    LoadAppStats();
    InitSkin();
    ApplyDefaultDialogSkin();
    LoadAppCursor(IDC_LINK_CURSOR);

    SetSchedulerHost(this);
    if (FAILED(StartEngine()))
        return FALSE;
    CCleanwardenApplication::SetHost(this);
    RunMainDialog();
    CCleanwardenApplication::SetHost(nullptr);
    Shutdown();
    return FALSE;
}

int CCleanwardenApp::ParseCommandLineAndRegister()
{
    CCommandLineInfo info;
    ParseCommandLine(info);
    m_switches = ServerSwitchesFrom(info);
    if (!m_pModule)
        return -1;
    int exitCode = 0;
    if (!m_pModule->HandleRegistrationSwitch(m_switches, &exitCode))
        return -1;
    m_nStartExitCode = exitCode;
    return FALSE;
}

int CCleanwardenApp::StartServer()
{
    if (!m_pModule)
        return -1;
    // The engine's classes are served beside the program's own: the start-up
    // creates the Scanner and the Quarantine through COM.
    if (!m_bEngineMapAdded)
    {
        AtlModule().AddObjectMap(EngineObjectMap());
        m_bEngineMapAdded = true;
    }
    const int result = m_pModule->StartServer(m_switches);
    if (result == FALSE)
    {
        LogStartFailure("register the class objects", E_FAIL, "CCleanwardenApp::InitInstance");
        // Scripts and installers learn of it from the exit code.
        m_nStartExitCode = 1;
    }
    return result;
}

BOOL CCleanwardenApp::EnsureDataFolder()
{
    CString folder = GetProductDataFolder();
    folder.TrimRight('\\');
    const int result = ::SHCreateDirectoryExA(nullptr, folder, nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS)
        return TRUE;
    LogStartFailure("create the data folder", HRESULT_FROM_WIN32(result), "CCleanwardenApp::EnsureDataFolder");
    return FALSE;
}

void CCleanwardenApp::LoadAppSettings()
{
    MakeDataPath(m_szAppSettingsPath, "app_settings.xml");
    CAppSettings::Instance()->Load(m_szAppSettingsPath);
}

void CCleanwardenApp::LoadAppStats()
{
    MakeDataPath(m_szAppStatsPath, "app_stats.xml");
    CAppStats::Instance()->Load(m_szAppStatsPath);
}

void CCleanwardenApp::LoadScheduledScanSettings()
{
    MakeDataPath(m_szScheduledScanPath, "scheduled_scan.xml");
    CScheduledScanSettings::Instance()->Load(m_szScheduledScanPath);
}

void CCleanwardenApp::LoadScheduledUpdateSettings()
{
    MakeDataPath(m_szScheduledUpdatePath, "scheduled_update.xml");
    CScheduledUpdateSettings::Instance()->Load(m_szScheduledUpdatePath);
}

void CCleanwardenApp::LoadScheduledUpdateSoftSettings()
{
    MakeDataPath(m_szScheduledUpdateSoftPath, "scheduled_updatesoft.xml");
    CScheduledUpdateSoftSettings::Instance()->Load(m_szScheduledUpdateSoftPath);
}

void CCleanwardenApp::InitLocalizer()
{
    CMapStringToString macros;
    macros.InitHashTable(3);
    macros.SetAt("{VER}", CW_PRODUCT_VERSION);
    macros.SetAt("{BR}", "\n");
    macros.SetAt("{APPNAME}", CW_PRODUCT_NAME);
    macros.SetAt("{COMPANY_NAME}", "Telmin Software");
    const CString languageFolder = GetModuleFolder() + "Lang";
    const CString tempFile = CreateTempFileName("wobe");
    CLocalizer::Configure(kLanguageKeyText, macros, tempFile, languageFolder);
    bool hasTexts = false;
    try
    {
        CLocalizer* localizer = CLocalizer::Instance();
        const CString chosen = CAppSettings::Instance()->GetLanguage().c_str();
        bool loaded = SetLanguage(*localizer, chosen);
        // A language that could not be loaded falls back to English.
        if (!loaded && chosen != kFallbackLanguage)
            loaded = SetLanguage(*localizer, kFallbackLanguage);
        hasTexts = localizer->HasTexts();
        // Remember the one in use; with none, the user's choice stays.
        if (loaded)
            CAppSettings::Instance()->SetLanguage(static_cast<LPCSTR>(localizer->GetLanguage()));
    }
    catch (CException* e)
    {
        LogException(e, "CCleanwardenApp::InitLocalizer");
        e->Delete();
    }
    if (!hasTexts)
    {
        // A program without a single text would leave the user guessing.
        DebugLog("Message: no language file could be read in %s\nFunction: %s", languageFolder.GetString(),
                 "CCleanwardenApp::InitLocalizer");
        AfxShowMessageBox(nullptr, kNoLanguageText, CW_PRODUCT_NAME, MB_ICONWARNING);
    }
}

bool CCleanwardenApp::SetLanguage(CLocalizer& localizer, const CString& language)
{
    if (localizer.SetLocale(language))
        return true;
    DebugLog("Message: the language file %s could not be read\nFunction: %s",
             localizer.GetLanguageFilePath(language).GetString(), "CCleanwardenApp::InitLocalizer");
    return false;
}

BOOL CCleanwardenApp::InitSkin()
{
    if (InitSkinLibrary(AfxGetResourceHandle(), CW_PRODUCT_NAME, nullptr, 0) != 1)
    {
        DebugLog("Skining engine failed to init. ErrorCode: %d", GetSkinLibraryError());
        return FALSE;
    }
    m_bSkinStarted = true;
    if (!LoadSkinFromResource(AfxGetResourceHandle(), MAKEINTRESOURCEA(kSkinResourceId), kSkinResourceType))
    {
        DebugLog("Message: the skin could not be loaded: error %d\nFunction: %s", GetSkinLibraryError(),
                 "CCleanwardenApp::InitSkin");
        return FALSE;
    }
    return TRUE;
}

void CCleanwardenApp::ApplyDefaultDialogSkin()
{
    SetDialogSkin(m_strDefaultDialogSkin);
}

void CCleanwardenApp::SetDefaultDialogSkin(CString name)
{
    SetDialogSkin(name);
}

void CCleanwardenApp::SetDefaultDialogSkinName(CString name)
{
    m_strDefaultDialogSkin = name;
}

void CCleanwardenApp::LoadAppCursor(UINT id)
{
    m_hLinkCursor = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

HRESULT CCleanwardenApp::StartEngine()
{
    const HRESULT hr = InitEngine();
    // What was started before the failure is stopped and closed before the
    // process ends.
    if (FAILED(hr))
        Shutdown();
    return hr;
}

void CCleanwardenApp::RunMainDialog()
{
    // On the heap: a fault that abandons the dialog's loop leaves the object
    // intact for the crash road to close.
    m_pMainDialog = new CMainDialog(this);
    m_pMainWnd = m_pMainDialog;
    m_pMainDialog->DoModal();
    m_pMainWnd = nullptr;
    delete m_pMainDialog;
    m_pMainDialog = nullptr;
}

// ----------------------------------------------------------------- shutdown

void CCleanwardenApp::Shutdown()
{
    if (m_bShutdownDone)
        return;
    m_bShutdownDone = true;
    StopEngineWork();
    ClearScanResults();
    // An update job never holds the exit: cancelled here, its task's thread
    // then ends within the schedules' bounded stop.
    CVostelUpdateManager::Instance()->Cancel();
    StopSchedules(TRUE);
    ExitSkin();
    DeleteSingletons();
    DeleteAppSettings();
    SaveAppStats();
    DeleteSettingsFiles();
}

void CCleanwardenApp::ClearScanResults()
{
    if (!m_spScanner)
        return;
    CComPtr<IThreatCollection> results;
    if (SUCCEEDED(m_spScanner->get_Results(&results)) && results)
        results->Clear();
}

void CCleanwardenApp::DeleteAppSettings()
{
    CAppSettings::DeleteInstance();
}

void CCleanwardenApp::DeleteSettingsFiles()
{
    CAppStats::DeleteInstance();
    CScheduledScanSettings::DeleteInstance();
    CScheduledUpdateSettings::DeleteInstance();
    CScheduledUpdateSoftSettings::DeleteInstance();
}

void CCleanwardenApp::StopEngineWork()
{
    if (m_spScanner)
    {
        BOOL running = FALSE;
        if (SUCCEEDED(m_spScanner->get_Running(&running)) && running)
            m_spScanner->Stop();
    }
    if (m_spQuarantine)
    {
        LONG running = 0;
        if (SUCCEEDED(m_spQuarantine->get_Running(&running)) && running)
            m_spQuarantine->StopOperation();
    }
}

void CCleanwardenApp::ExitSkin()
{
    if (!m_bSkinStarted)
        return;
    m_bSkinStarted = false;
    ExitSkinLibrary();
}

void CCleanwardenApp::DeleteSingletons()
{
    CLocalizer::DeleteInstance();
    CTaskManager::DeleteInstance();
    // A task thread that its stop had to leave running still uses its task
    // and schedule: they stay for the rest of the process.
    const LONG running = CTaskManager::GetThreadCount(CScheduledTask::ScanGroup) +
                         CTaskManager::GetThreadCount(CScheduledTask::UpdateGroup);
    if (running)
        DebugLog("Message: %s\nFunction: %s", "scheduled tasks still run; their schedules are kept",
                 "CCleanwardenApp::Shutdown");
    else
        CScheduleManager::DeleteInstance();
}

void CCleanwardenApp::SaveAppStats()
{
    // Statistics that were never loaded have no file to go to.
    if (m_szAppStatsPath[0] && !CAppStats::Instance()->Save(m_szAppStatsPath))
        LogStartFailure("save the statistics", E_FAIL, "CCleanwardenApp::Shutdown");
}

int CCleanwardenApp::ExitInstance()
{
    if (m_spIgnoreList)
        SaveIgnoreList();
    UnadviseEngine();
    ReleaseEventSink();
    DeleteScannerSettings();
    RevokeClassObjects();

    // COM ends with the framework: what this object holds goes first.
    m_spIgnoreList.Release();
    m_spQuarantine.Release();
    m_spScanner.Release();
    m_spApplication.Release();
    SetSchedulerHost(nullptr);
    if (m_dwProxyCookie)
    {
        RevokeEngineProxyStubs(m_dwProxyCookie);
        m_dwProxyCookie = 0;
    }
    const int result = CWinApp::ExitInstance();
    if (m_bComInitialized)
    {
        ::CoUninitialize();
        m_bComInitialized = false;
    }
    return m_nStartExitCode >= 0 ? m_nStartExitCode : result;
}

void CCleanwardenApp::UnadviseEngine()
{
    if (m_spScanner)
    {
        CComPtr<IThreatCollection> results;
        m_spScanner->get_Results(&results);
        if (m_dwResultsCookie && results)
            AtlUnadvise(results, IID_IThreatCollectionEvents, m_dwResultsCookie);
        if (m_dwScannerCookie)
            AtlUnadvise(m_spScanner, IID_IScannerEvents, m_dwScannerCookie);
        if (m_dwQuarantineCookie && m_spQuarantine)
            AtlUnadvise(m_spQuarantine, IID_IQuarantineEvents, m_dwQuarantineCookie);
    }
    m_dwResultsCookie = m_dwScannerCookie = m_dwQuarantineCookie = 0;
}

void CCleanwardenApp::ReleaseEventSink()
{
    if (!m_pEventSink)
        return;
    m_pEventSink->SetTarget(nullptr);
    m_pEventSink->Release();
    m_pEventSink = nullptr;
}

void CCleanwardenApp::DeleteScannerSettings()
{
    CScannerSettings::DeleteInstance();
}

void CCleanwardenApp::RevokeClassObjects()
{
    if (m_pModule)
        m_pModule->Stop();
    if (m_bEngineMapAdded)
    {
        AtlModule().RemoveObjectMap(EngineObjectMap());
        m_bEngineMapAdded = false;
    }
}

void CCleanwardenApp::SaveIgnoreList()
{
    if (!m_bSaveIgnoreList)
        return;
    const HRESULT hr = m_spIgnoreList->Save(CComBSTR(GetProductDataFolder() + "ilist.lst"));
    if (FAILED(hr))
        LogStartFailure("save the ignore list", hr, "CCleanwardenApp::ExitInstance");
}

// ---------------------------------------------------------- close and host

int CCleanwardenApp::PromptClose()
{
    HWND mainWindow = m_pMainDialog ? m_pMainDialog->GetSafeHwnd() : nullptr;
    if (!AskToCloseProgram(mainWindow, &AfxShowMessageBox))
        return 0;
    if (mainWindow)
        m_pMainDialog->EndDialog(0);
    return 1;
}

HWND CCleanwardenApp::GetMainWindow()
{
    return static_cast<HWND>(::InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&m_hMainWindow),
                                                                 nullptr, nullptr));
}

void CCleanwardenApp::SetMainWindowHandle(HWND window)
{
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_hMainWindow), window);
}

void CCleanwardenApp::LogStartFailure(const char* step, HRESULT hr, const char* function)
{
    DebugLog("Message: start-up step \"%s\" failed: 0x%08lX\nFunction: %s", step, static_cast<unsigned long>(hr),
             function);
}
