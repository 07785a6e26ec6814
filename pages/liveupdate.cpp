#include "pages/liveupdate.h"

#include "app/appconstants.h"
#include "app/appmessages.h"
#include "app/definitionsinfo.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "pages/siteaddresses.h"
#include "platform/mfc/cwaitcursor.h"

IMPLEMENT_DYNAMIC(CLiveUpdate, CUpdateProgressDialog)

namespace {

CString InstalledDatabase()
{
    return GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME;
}

} // namespace

CLiveUpdate::CLiveUpdate(CWnd* pParent)
    : CUpdateProgressDialog("LiveUpdateDialog", pParent, "startUpdateButton"), m_dwPollMs(500), m_dwSettleMs(5000)
{
}

bool CLiveUpdate::StartJob(__time64_t databaseTime)
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    if (manager->IsJobRunning())
        return false;
    const CString updateFolder = GetUpdateFolderAddress();
    manager->SetDefinitionsBaseUrl(updateFolder);
    manager->SetVersionsBaseUrl(updateFolder);
    manager->SetFileName(CW_DEFINITIONS_FILE_NAME);
    manager->SetDownloadFolder(GetTempFolder());
    manager->SetDatabaseTime(databaseTime);
    manager->SetDestinationFolder(GetProductDataFolder());
    manager->m_bDefinitionsRequest = true;
    manager->m_bProgramRequest = false;
    return manager->Start();
}

bool CLiveUpdate::WaitForIdle(IScanner* scanner, DWORD pollMs)
{
    for (;;)
    {
        BOOL running = FALSE;
        if (!scanner || FAILED(scanner->get_Running(&running)))
            return false;
        if (!running)
            return true;
        ::Sleep(pollMs);
    }
}

HRESULT CLiveUpdate::Reload(IScanner* scanner, DWORD pollMs)
{
    const CComBSTR path(InstalledDatabase());
    const CComBSTR key(CW_DEFINITIONS_KEY_TEXT);
    HRESULT hr;
    // A scan may start between the question and the reload: then again.
    do
    {
        if (!WaitForIdle(scanner, pollMs))
            return E_FAIL;
        hr = scanner->Initialize(path, key);
    } while (hr == E_UNEXPECTED);
    if (hr != S_OK)
        DebugLog("Message: the engine did not load the new database: 0x%08lX\nFunction: %s",
                 static_cast<unsigned long>(hr), "CLiveUpdate::Reload");
    return hr;
}

void CLiveUpdate::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    IPageHost* host = GetPageHost();
    if (HWND window = host ? host->GetMainWindow() : nullptr)
        ::PostMessageA(window, message, wParam, lParam);
}

// ----------------------------------------------------------------- dialog

bool CLiveUpdate::PrepareUpdate()
{
    CTime date(0);
    if (IPageHost* host = GetPageHost())
        host->GetDefinitionsDate(date);
    return StartJob(date.GetTime());
}

bool CLiveUpdate::EndUpdate(LONG finalState)
{
    const char* status;
    if (finalState == CUpdateManager::StateDone)
    {
        IPageHost* host = GetPageHost();
        CComPtr<IScanner> scanner;
        if (host)
            host->GetScanner(scanner);
        BOOL running = FALSE;
        if (scanner && SUCCEEDED(scanner->get_Running(&running)) && running)
        {
            // Asked again at the next tick; the dialog stays responsive.
            ShowStatus("waitScan");
            return false;
        }
        CWaitCursor wait;
        if (scanner && Reload(scanner, m_dwPollMs) == S_OK)
        {
            CString date;
            host->GetDatabaseDateText(date);
            CAppStats* stats = CAppStats::Instance();
            stats->SetDBVersion(static_cast<LPCSTR>(date));
            stats->SetSignatures(static_cast<int>(host->GetDefinitionsItemCount()));
            Post(WM_REFRESH_STATISTICS, 0, 0);
            status = "newBase";
        }
        else
            status = "errUpdate";
    }
    else if (finalState == CUpdateManager::StateIdle || finalState == CUpdateManager::StateUpToDate)
        status = "oldBase";
    else if (finalState == CUpdateManager::StateStopped || finalState == CUpdateManager::StateCancelled)
        status = "updateCancelled";
    else
        status = "errUpdate";
    CVostelUpdateManager::Instance()->m_bDefinitionsRequest = false;
    Finish(status);
    return true;
}

// ------------------------------------------------------------ silent road

void CLiveUpdate::RunSilent()
{
    // This thread's own proxy of the scanner.
    CComPtr<IScanner> scanner;
    CTaskManager::GetScanner(scanner);
    // The database in use, as the engine reads it once no scan runs.
    CDefinitionsInfo definitions;
    ULONG stamp = 0, count = 0;
    if (WaitForIdle(scanner, m_dwPollMs))
        definitions.Query(scanner, stamp, count);

    if (!StartJob(static_cast<__time64_t>(stamp)))
    {
        Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_ERROR);
        return;
    }
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    do
        ::Sleep(m_dwPollMs);
    while (manager->IsJobRunning());

    // Nothing newer: "up to date" for a moment, then idle.
    const LONG state = manager->m_nState;
    if (state == CUpdateManager::StateUpToDate || state == CUpdateManager::StateIdle)
    {
        Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_NOTHING_NEW);
        return;
    }
    // Installed, but a success only once the engine reads it.
    if (state != CUpdateManager::StateDone || !scanner || Reload(scanner, m_dwPollMs) != S_OK)
    {
        Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_ERROR);
        return;
    }
    ::Sleep(m_dwSettleMs);
    if (definitions.Query(scanner, stamp, count) == S_OK)
    {
        CAppStats* stats = CAppStats::Instance();
        stats->SetDBVersion(static_cast<LPCSTR>(FormatDatabaseDate(stamp)));
        stats->SetSignatures(static_cast<int>(count));
    }
    Post(WM_REFRESH_STATISTICS, 0, 0);
    Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_SUCCESS);
    if (CAppSettings::Instance()->GetAutoScan())
        Post(WM_START_SCAN, 0, 1);
}
