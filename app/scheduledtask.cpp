#include "app/scheduledtask.h"

#include "app/appmessages.h"
#include "app/schedulerhost.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/syshelpers.h"

namespace {

HWND MainWindow()
{
    ISchedulerHost* host = GetSchedulerHost();
    return host ? host->GetMainWindow() : NULL;
}

BOOL IsScanRunning(IScanner* scanner)
{
    BOOL running = FALSE;
    if (scanner)
        scanner->get_Running(&running);
    return running;
}

} // namespace

void CScheduledTask::ReadSettings()
{
    if (m_pSchedule)
        m_pSchedule->ReadSettings();
}

BOOL CScheduledTask::ArmSchedule()
{
    if (!m_pSchedule)
        throw new CTaskException("need to init Schedule first");
    return m_pSchedule->SetNextRun();
}

void CScanTask::ReadSettings()
{
    CScheduledTask::ReadSettings();
    m_bIncludePaths = CScheduledScanSettings::Instance()->GetIncludePaths();
    m_bSettingsRead = true;
}

void CScanTask::Interrupt()
{
    ::InterlockedExchange(&m_lInterrupted, 1);
}

void CScanTask::Run()
{
    ::InterlockedExchange(&m_lInterrupted, 0);
    if (!m_bSettingsRead)
        ReadSettings();
    CComPtr<IScanner> scanner;
    CTaskManager::GetScanner(scanner);
    HWND mainWindow = MainWindow();
    // A scan the user started goes on; the schedule only moves on.
    if (!IsScanRunning(scanner) && mainWindow &&
        ::PostMessageA(mainWindow, WM_START_SCAN, m_bIncludePaths ? 1 : 0, 1) && scanner)
    {
        // The UI thread starts the scan when it gets to the message: wait
        // (boundedly) for it to begin, then for it to end, so that no other
        // task acts meanwhile. Between the questions this thread's messages
        // flow (a wait on no handle: only the time ends it).
        const DWORD begin = ::GetTickCount();
        BOOL running = FALSE;
        do
        {
            running = IsScanRunning(scanner);
            ::WaitForMultipleObjectsWithMessages(0, NULL, FALSE, 100);
        } while (!running && !m_lInterrupted && ::GetTickCount() - begin < ScanStartWaitMs);
        while (running)
        {
            running = IsScanRunning(scanner);
            ::WaitForMultipleObjectsWithMessages(0, NULL, FALSE, 100);
        }
    }
    if (m_pSchedule)
        m_pSchedule->SetNextRun();
}

void CUpdateTask::Run()
{
    ::InterlockedExchange(&m_lRunning, 1);
    if (ISchedulerHost* host = GetSchedulerHost())
        host->RunSilentUpdate();
    ::InterlockedExchange(&m_lRunning, 0);
    if (m_pSchedule)
        m_pSchedule->SetNextRun();
}

void CUpdateTask::Interrupt()
{
    // While this run updates, the update job is its own: one job runs at a time.
    if (m_lRunning)
        CVostelUpdateManager::Instance()->Cancel();
}

void CUpdateSoftTask::Run()
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    manager->SetDownloadFolder(GetTempFolder());
    if (manager->DownloadLatestInfo())
    {
        if (HWND mainWindow = MainWindow())
            ::PostMessageA(mainWindow, WM_SHOW_PROGRAM_UPDATE, 0, 0);
    }
    if (m_pSchedule)
        m_pSchedule->SetNextRun();
}

void CUpdateSoftTask::Interrupt()
{
    CVostelUpdateManager::Instance()->StopLatestInfo();
}
