#include "app/silentupdate.h"

#include "app/appconstants.h"
#include "app/appmessages.h"
#include "app/definitionsinfo.h"
#include "app/schedulerhost.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"

CSilentUpdate::CSilentUpdate(CDefinitionsInfo& definitions)
    : m_dwPollMs(500), m_dwSettleMs(5000), m_definitions(definitions)
{
}

void CSilentUpdate::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    ISchedulerHost* host = GetSchedulerHost();
    if (HWND window = host ? host->GetMainWindow() : nullptr)
        ::PostMessageA(window, message, wParam, lParam);
}

void CSilentUpdate::RunSilent()
{
    // The scanner as this thread may call it.
    CComPtr<IScanner> scanner;
    CTaskManager::GetScanner(scanner);
    ULONG stamp = 0, count = 0;
    m_definitions.Query(scanner, stamp, count);

    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    const CString dataFolder = GetProductDataFolder();
    manager->SetFileName(CW_DEFINITIONS_FILE_NAME);
    manager->SetDownloadFolder(GetTempFolder());
    manager->SetDatabaseTime(static_cast<__time64_t>(stamp));
    manager->SetDestinationFolder(dataFolder);
    manager->m_bDefinitionsRequest = true;
    manager->m_bProgramRequest = false;
    if (!manager->Start())
        return;
    // The job's own flag, not the state: until the job has begun the state
    // is still the last job's.
    do
        ::Sleep(m_dwPollMs);
    while (manager->IsJobRunning());

    // A job that found nothing newer shows "up to date" for a moment and
    // ends idle.
    const LONG state = manager->m_nState;
    if (state == CUpdateManager::StateUpToDate || state == CUpdateManager::StateIdle)
    {
        Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_NOTHING_NEW);
        return;
    }
    // A failed or stopped job installed nothing: the engine keeps its
    // database and no scan is started for it.
    if (state != CUpdateManager::StateDone)
    {
        Post(WM_UPDATE_RESULT, 0, UPDATE_RESULT_ERROR);
        return;
    }

    if (scanner)
    {
        const HRESULT hr = scanner->Initialize(CComBSTR(dataFolder + CW_DEFINITIONS_FILE_NAME),
                                               CComBSTR(CW_DEFINITIONS_KEY_TEXT));
        if (FAILED(hr))
            DebugLog("Message: the engine did not reload the new database: 0x%08lX\nFunction: %s",
                     static_cast<unsigned long>(hr), "CSilentUpdate::RunSilent");
    }
    ::Sleep(m_dwSettleMs);
    // What the engine cannot tell leaves the statistics as they are.
    if (SUCCEEDED(m_definitions.Query(scanner, stamp, count)))
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
