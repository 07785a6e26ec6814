// CCleanwardenApp: the engine, its event sink, the schedules and what pages
// and tasks ask of them.

#include "app/cleanwardenapp.h"

#include <shlwapi.h>

#include "app/appconstants.h"
#include "app/appmessages.h"
#include "app/definitionscheck.h"
#include "app/programdialogs.h"
#include "app/schedulemanager.h"
#include "app/taskmanager.h"
#include "engine/proxystubs.h"
#include "foundation/appstats.h"
#include "foundation/debuglog.h"
#include "foundation/scannersettings.h"
#include "foundation/syshelpers.h"
#include "pages/liveupdate.h"
#include "platform/atl/atlcom.h"

namespace {

const char kEngineStartFailedText[] = "Definition database was not found. Re-installing the application may fix this problem";
const char kEngineStartFailedCaption[] = "Unable to locate component";

// A failed step of the engine's start: which one, and its HRESULT.
struct EngineStepFailure
{
    const char* step;
    HRESULT hr;
};

void Check(HRESULT hr, const char* step)
{
    if (FAILED(hr))
        throw EngineStepFailure{step, hr};
}

// Moves a file to path + suffix, or to path + suffix + ".2", ".3"... when
// that name is taken: a copy kept earlier is never overwritten. The name
// it was given; empty when it could not be moved.
CString MoveAside(const CString& path, const char* suffix)
{
    for (int n = 1; n < 1000; ++n)
    {
        CString aside = path + suffix;
        if (n > 1)
            aside.AppendFormat(".%d", n);
        if (::MoveFileExA(path, aside, MOVEFILE_WRITE_THROUGH))
            return aside;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return CString();
}

} // namespace

HRESULT CCleanwardenApp::CreateEngineObject(REFCLSID clsid, REFIID iid, void** object)
{
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, object);
}

HRESULT CCleanwardenApp::InitEngine()
{
    const CString dataFolder = GetProductDataFolder();
    try
    {
        CScannerSettings::Instance()->Load(static_cast<LPCSTR>(dataFolder + "scanner_settings.xml"));

        // The engine's interfaces cross to its worker threads.
        if (!m_dwProxyCookie && FAILED(RegisterEngineProxyStubs(&m_dwProxyCookie)))
            m_dwProxyCookie = 0;

        Check(CreateEngineObject(CLSID_Scanner, IID_IScanner, reinterpret_cast<void**>(&m_spScanner)),
              "create the Scanner");

        LoadScheduledScanSettings();
        LoadScheduledUpdateSettings();
        LoadScheduledUpdateSoftSettings();
        SetupSchedules();
        StartSchedules(FALSE);

        // An update cut short by a crash or a kill may have left a database
        // that does not open beside the copy it kept of the last good one.
        const CString definitions = dataFolder + CW_DEFINITIONS_FILE_NAME;
        if (RestoreDefinitionsFromCopy(definitions, CW_DEFINITIONS_KEY_TEXT))
            DebugLog("Message: the signature database could not be read; its kept copy %s.old replaced it\n"
                     "Function: %s",
                     CW_DEFINITIONS_FILE_NAME, "CCleanwardenApp::InitEngine");
        // S_FALSE (the file did not open) shows in the count below.
        Check(m_spScanner->Initialize(CComBSTR(definitions),
                                      CComBSTR(CW_DEFINITIONS_KEY_TEXT)),
              "open the signature database");
        const DWORD count = GetDefinitionsItemCount();
        if (count == 0)
            Check(E_INVALIDARG, "read the signature database's records");
        CString dateText;
        GetDatabaseDateText(dateText);
        CAppStats::Instance()->SetSignatures(static_cast<int>(count));
        CAppStats::Instance()->SetDBVersion(static_cast<LPCSTR>(dateText));

        CComObject<CEngineListener>* sink = nullptr;
        Check(CComObject<CEngineListener>::CreateInstance(&sink), "create the engine event sink");
        sink->AddRef();
        sink->SetTarget(this);
        m_pEventSink = sink;

        // The sink's advises: a page without events is not a reason to stop.
        if (FAILED(AtlAdvise(m_spScanner, sink->GetUnknown(), IID_IScannerEvents, &m_dwScannerCookie)))
            m_dwScannerCookie = 0;
        CComPtr<IThreatCollection> results;
        if (SUCCEEDED(m_spScanner->get_Results(&results)) && results &&
            FAILED(AtlAdvise(results, sink->GetUnknown(), IID_IThreatCollectionEvents, &m_dwResultsCookie)))
            m_dwResultsCookie = 0;
        results.Release();

        if (SUCCEEDED(m_spScanner->get_IgnoreList(&m_spIgnoreList)) && m_spIgnoreList)
        {
            const CString listPath = dataFolder + "ilist.lst";
            const HRESULT loaded = m_spIgnoreList->Load(CComBSTR(listPath));
            if (FAILED(loaded) && ::GetFileAttributesA(listPath) != INVALID_FILE_ATTRIBUTES)
            {
                // A list that exists but could not be read is the user's
                // data: it is kept aside, never overwritten at exit.
                const CString aside = MoveAside(listPath, ".unreadable");
                m_bSaveIgnoreList = !aside.IsEmpty();
                DebugLog("Message: the ignore list could not be read (0x%08lX); %s%s\nFunction: %s",
                         static_cast<unsigned long>(loaded),
                         m_bSaveIgnoreList ? "it was kept as "
                                           : "it could not be moved aside and is not written at exit",
                         aside.GetString(), "CCleanwardenApp::InitEngine");
            }
        }

        Check(CreateEngineObject(CLSID_Quarantine, IID_IQuarantine, reinterpret_cast<void**>(&m_spQuarantine)),
              "create the Quarantine");
        const CString quarantineFolder = dataFolder + "quarantine\\";
        if (!::PathFileExistsA(quarantineFolder))
            ::CreateDirectoryA(quarantineFolder, nullptr);
        Check(m_spQuarantine->Initialize(CComBSTR(quarantineFolder)), "initialise the Quarantine");
        Check(AtlAdvise(m_spQuarantine, sink->GetUnknown(), IID_IQuarantineEvents, &m_dwQuarantineCookie),
              "advise the quarantine events");
        return S_OK;
    }
    catch (const EngineStepFailure& failure)
    {
        LogStartFailure(failure.step, failure.hr, "CCleanwardenApp::InitEngine");
        AfxShowMessageBox(nullptr, kEngineStartFailedText, kEngineStartFailedCaption, MB_ICONERROR);
        return failure.hr;
    }
}

void CCleanwardenApp::SetupSchedules()
{
    CScheduleManager::Instance()->ListEnabledTasks(CTaskManager::Instance());
}

void CCleanwardenApp::StartSchedules(BOOL withUpdates)
{
    CTaskManager* tasks = CTaskManager::Instance();
    if (withUpdates)
        tasks->StartUpdateTasks();
    tasks->StartScanTasks();
}

void CCleanwardenApp::StopSchedules(BOOL withUpdates)
{
    CTaskManager* tasks = CTaskManager::Instance();
    if (withUpdates)
        tasks->StopUpdateTasks();
    tasks->StopScanTasks();
}

void CCleanwardenApp::GetScanner(CComPtr<IScanner>& scanner)
{
    scanner = m_spScanner;
}

void CCleanwardenApp::GetQuarantineObject(CComPtr<IQuarantine>& quarantine)
{
    quarantine = m_spQuarantine;
}

void CCleanwardenApp::GetDefinitionsPath(CString& path) const
{
    path = GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME;
}

DWORD CCleanwardenApp::GetDefinitionsItemCount()
{
    ULONG stamp = 0, count = 0;
    return SUCCEEDED(m_definitions.Query(m_spScanner, stamp, count)) ? count : 0;
}

void CCleanwardenApp::GetDefinitionsDate(CTime& date)
{
    ULONG stamp = 0, count = 0;
    m_definitions.Query(m_spScanner, stamp, count);
    date = CTime(static_cast<__time64_t>(stamp));
}

void CCleanwardenApp::GetDatabaseDateText(CString& text)
{
    CTime date;
    GetDefinitionsDate(date);
    text = FormatDatabaseDate(static_cast<ULONG>(date.GetTime()));
}

void CCleanwardenApp::RunSilentUpdate()
{
    CLiveUpdate update;
    update.RunSilent();
}

void CCleanwardenApp::MakePages(CWnd* parent, CToolTipDialog* pages[PageCount])
{
    MakeMainPages(parent, pages);
}

void CCleanwardenApp::RunAboutDialog(CWnd* owner)
{
    ::RunAboutDialog(owner);
}

void CCleanwardenApp::RunProgramUpdateDialog(CWnd* owner)
{
    ::RunProgramUpdateDialog(owner);
}

// -------------------------------------------------------------- engine events

void CCleanwardenApp::FireOnScanning(ScanAreaType area, ULONG count)
{
    m_dispatcher.FireOnScanning(area, count);
}

void CCleanwardenApp::FireOnCompleteArea(ScanAreaType area)
{
    m_dispatcher.FireOnCompleteArea(area);
}

void CCleanwardenApp::FireOnStartedArea(ScanAreaType area)
{
    m_dispatcher.FireOnStartedArea(area);
}

void CCleanwardenApp::FireOnScanningFolder(BSTR folder)
{
    m_dispatcher.FireOnScanningFolder(folder);
}

void CCleanwardenApp::FireOnQuarantineProgress(int current, int total)
{
    m_dispatcher.FireOnQuarantineProgress(current, total);
}

void CCleanwardenApp::FireOnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item)
{
    m_dispatcher.FireOnSubItemAdded(collection, threat, item);
}

void CCleanwardenApp::FireOnQuaException(ULONG_PTR code)
{
    m_dispatcher.FireOnQuaException(code);
}

int CCleanwardenApp::OnEngineException(ULONG_PTR code, int isScanner)
{
    // The program ends after the first report; a second exception meanwhile
    // would only overwrite its text.
    if (m_bEngineExceptionPending)
        return 1;
    CString text;
    BuildExceptionHeader(text);
    if (!isScanner)
    {
        FireOnQuaException(code);
        text.Insert(0, "QUA EXCEPTION\n");
    }
    else
        text.Insert(0, "SCAN EXCEPTION\n");
    m_strExceptionReport = text;
    HWND mainWindow = GetMainWindow();
    if (mainWindow && ::PostMessageA(mainWindow, WM_ENGINE_EXCEPTION, isScanner ? 1 : 0, 0))
        m_bEngineExceptionPending = true;
    else
        DebugLog("Message: engine exception 0x%08lX (%s) without a main window to report it\nFunction: %s",
                 static_cast<unsigned long>(code), isScanner ? "scanner" : "quarantine",
                 "CCleanwardenApp::OnEngineException");
    return 1;
}
