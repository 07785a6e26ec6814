// The scheduler's threads: one task acts at a time, failures of a run are
// logged and end there, a timer without a next run is not spun on, and a
// stop waits for the threads themselves while the UI thread's messages flow.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/appconstants.h"
#include "app/appmessages.h"
#include "app/schedulemanager.h"
#include "app/schedulerhost.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"
#include "tests/app/app_test_support.h"
#include "tests/app/fake_engine.h"
#include "tests/app/update_test_server.h"

namespace {

// Arms its timer to fire after the given delays in turn; after the last one
// (or at a negative delay) it has no next run.
class SoonSchedule : public CSchedule
{
public:
    SoonSchedule(const std::string& name, std::vector<LONG> delays, bool repeat)
        : CSchedule(name.c_str()), m_delays(delays)
    {
        m_dwRepeat = repeat ? 1 : 0;
    }

    BOOL SetNextRun() override
    {
        const size_t index = armed++;
        if (index >= m_delays.size() || m_delays[index] < 0)
            return ArmTimer(NULL);
        LARGE_INTEGER due;
        due.QuadPart = -10000LL * m_delays[index];
        return SetWaitableTimer(m_hTimer, &due, 5000, NULL, NULL, FALSE);
    }

    std::atomic<int> armed{0};

private:
    std::vector<LONG> m_delays;
};

struct Interval
{
    std::string task;
    DWORD begin;
    DWORD end;
};

// Records each run; runs may take a while, throw, fault, and arm their
// schedule at the end as the real tasks do.
class ProbeTask : public CScheduledTask
{
public:
    enum Failure
    {
        None,
        FrameworkException,
        ComError,
        StdException,
        AnythingElse,
        AccessViolation
    };

    ProbeTask(const std::string& name, DWORD runMs, std::vector<Interval>& runs, std::mutex& lock)
        : name(name), m_runMs(runMs), m_runs(runs), m_lock(lock)
    {
    }

    void Run() override
    {
        const DWORD begin = GetTickCount();
        Sleep(m_runMs);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_runs.push_back({name, begin, GetTickCount()});
        }
        const Failure failure = failures.size() > runCount ? failures[runCount] : None;
        ++runCount;
        switch (failure)
        {
        case FrameworkException:
            throw new CTaskException("probe framework exception");
        case ComError:
            throw _com_error(E_ACCESSDENIED);
        case StdException:
            throw std::runtime_error("probe std exception");
        case AnythingElse:
            throw 42;
        case AccessViolation:
            *static_cast<volatile int*>(nullptr) = 1;
            break;
        case None:
            break;
        }
        m_pSchedule->SetNextRun();
    }

    std::string name;
    std::vector<Failure> failures;
    std::atomic<size_t> runCount{0};

private:
    DWORD m_runMs;
    std::vector<Interval>& m_runs;
    std::mutex& m_lock;
};

// The application's scanner as the scheduled scan sees it: it runs for a
// while once told to, and notes the thread every call arrives on.
class FakeScanner : public CScannerStub
{
public:
    void RunFor(DWORD ms) { m_runningUntil = GetTickCount() + ms; }
    bool Running() const { return static_cast<LONG>(m_runningUntil - GetTickCount()) > 0; }

    HRESULT STDMETHODCALLTYPE get_Running(BOOL* running) override
    {
        callThreads.push_back(GetCurrentThreadId());
        *running = Running() ? TRUE : FALSE;
        return S_OK;
    }

    std::vector<DWORD> callThreads;

private:
    DWORD m_runningUntil = GetTickCount();
};

class FakeHost : public ISchedulerHost
{
public:
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    HWND GetMainWindow() override { return window; }
    void RunSilentUpdate() override
    {
        ++silentUpdates;
        if (onSilentUpdate)
            onSilentUpdate();
    }

    CComPtr<IScanner> scanner;
    HWND window = NULL;
    std::atomic<int> silentUpdates{0};
    std::function<void()> onSilentUpdate;
};

class SchedulerTest : public StaTest
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        static LONG counter;
        suffix = "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
        CSchedule::SetTimerNameSuffix(suffix.c_str());
        SetSchedulerHost(&host);
        host.window = recorder.Handle();
    }
    void TearDown() override
    {
        CTaskManager::DeleteInstance();
        CScheduleManager::DeleteInstance();
        CScheduledScanSettings::DeleteInstance();
        CScheduledUpdateSettings::DeleteInstance();
        CScheduledUpdateSoftSettings::DeleteInstance();
        SetSchedulerHost(nullptr);
        CSchedule::SetTimerNameSuffix("");
        StaTest::TearDown();
    }

    std::string Name(const char* base) const { return base + suffix; }

    size_t RunCount()
    {
        std::lock_guard<std::mutex> guard(lock);
        return runs.size();
    }

    std::string suffix;
    FakeHost host;
    MessageRecorder recorder;
    DebugLogCapture debugLog;
    std::vector<Interval> runs;
    std::mutex lock;
};

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(SchedulerTest, TasksDueTogetherRunOneAtATime)
{
    SoonSchedule first(Name("CwFirst"), {200}, false), second(Name("CwSecond"), {200}, false);
    ProbeTask a("a", 500, runs, lock), b("b", 500, runs, lock);
    a.SetSchedule(&first);
    b.SetSchedule(&second);
    CTaskManager* manager = CTaskManager::Instance();
    manager->AddTask(&a);
    manager->AddTask(&b);
    manager->StartScanTasks();
    EXPECT_EQ(CTaskManager::StateStarted, manager->GetState());

    ASSERT_TRUE(PumpUntil([&] { return RunCount() == 2; }, 20000));
    // Threads of schedules that do not repeat end after their run.
    EXPECT_TRUE(PumpUntil([] { return CTaskManager::GetThreadCount(CScheduledTask::ScanGroup) == 0; }, 10000));
    ASSERT_EQ(2u, runs.size());
    EXPECT_LE(runs[0].end, runs[1].begin) << "the runs overlapped";
    manager->StopScanTasks();
    EXPECT_EQ(CTaskManager::StateStopped, manager->GetState());
}

TEST_F(SchedulerTest, AStopEndsTasksStillWaitingAtTheGateWithoutRunningThem)
{
    SoonSchedule first(Name("CwLong"), {100}, true), second(Name("CwWaiting"), {300}, true);
    ProbeTask running("running", 1500, runs, lock), waiting("waiting", 10, runs, lock);
    running.SetSchedule(&first);
    waiting.SetSchedule(&second);
    CTaskManager* manager = CTaskManager::Instance();
    manager->AddTask(&running);
    manager->AddTask(&waiting);
    manager->StartScanTasks();
    // The second timer has fired while the first run holds the gate.
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(second.GetTimer(), 0) == WAIT_OBJECT_0; }, 10000));
    manager->StopScanTasks();
    EXPECT_EQ(1u, running.runCount.load());
    EXPECT_EQ(0u, waiting.runCount.load());
}

TEST_F(SchedulerTest, AFailingRunIsLoggedAndNeitherBlocksTheOthersNorSpins)
{
    // Five runs, each failing another way; then no next run.
    SoonSchedule failing(Name("CwFailing"), {100, 100, 100, 100, 100}, true);
    SoonSchedule later(Name("CwLater"), {1500}, true);
    ProbeTask thrower("thrower", 50, runs, lock), other("other", 50, runs, lock);
    thrower.failures = {ProbeTask::FrameworkException, ProbeTask::ComError, ProbeTask::StdException,
                        ProbeTask::AnythingElse, ProbeTask::AccessViolation};
    thrower.SetSchedule(&failing);
    other.SetSchedule(&later);
    CTaskManager* manager = CTaskManager::Instance();
    manager->AddTask(&thrower);
    manager->AddTask(&other);
    manager->StartScanTasks();

    ASSERT_TRUE(PumpUntil([&] { return thrower.runCount == 5 && other.runCount == 1; }, 20000));
    // The thread armed the failing schedule after each failure, the sixth
    // time without a next run: it now waits for the stop only.
    ASSERT_TRUE(PumpUntil([&] { return failing.armed == 6; }, 5000));
    PumpFor(1500);
    EXPECT_EQ(5u, thrower.runCount.load());
    EXPECT_EQ(6, failing.armed.load());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(failing.GetTimer(), 0));

    const DWORD begin = GetTickCount();
    manager->StopScanTasks();
    EXPECT_LT(GetTickCount() - begin, 3000u);
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));

    const std::string log = debugLog.Text();
    EXPECT_EQ(5u, Occurrences(log, "\nFunction: ScheduleThreadProc\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("] Message: probe framework exception (" + Name("CwFailing") + ")"));
    EXPECT_NE(std::string::npos, log.find("] Message: COM error 0x80070005"));
    EXPECT_NE(std::string::npos, log.find("] Message: probe std exception"));
    EXPECT_NE(std::string::npos, log.find("] Message: unknown exception"));
    EXPECT_NE(std::string::npos, log.find("] Message: structured exception 0xC0000005"));
}

TEST_F(SchedulerTest, StopWaitsForTheThreadsNotALeftoverAllDoneSignal)
{
    CTaskManager* manager = CTaskManager::Instance();
    // Threads that end on their own leave the all-done signal behind.
    SoonSchedule quick(Name("CwQuick"), {50}, false);
    ProbeTask brief("brief", 10, runs, lock);
    brief.SetSchedule(&quick);
    manager->AddTask(&brief);
    manager->StartScanTasks();
    ASSERT_TRUE(PumpUntil([] { return CTaskManager::GetThreadCount(CScheduledTask::ScanGroup) == 0; }, 10000));
    manager->StopScanTasks();

    // The next stop comes while a run is under way: it returns only after it.
    manager->RemoveTask(&brief);
    SoonSchedule slowSchedule(Name("CwSlow"), {50}, true);
    ProbeTask slow("slow", 1500, runs, lock);
    slow.SetSchedule(&slowSchedule);
    manager->AddTask(&slow);
    manager->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return slowSchedule.armed == 1 && WaitForSingleObject(slowSchedule.GetTimer(), 0) ==
                                                                         WAIT_OBJECT_0; },
                          10000));
    PumpFor(300);  // the run has begun
    manager->StopScanTasks();
    const DWORD stopped = GetTickCount();
    ASSERT_EQ(2u, runs.size());
    EXPECT_GE(stopped, runs[1].end);
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
}

TEST_F(SchedulerTest, TheScheduledScanStartsTheScanAndWaitsForItWhileAStopPumpsMessages)
{
    CScheduledScanSettings::Instance()->SetIncludePaths(true);
    CComObject<FakeScanner>* scanner = nullptr;
    ASSERT_EQ(S_OK, CComObject<FakeScanner>::CreateInstance(&scanner));
    host.scanner = scanner;
    recorder.onMessage = [&](const MessageRecorder::Message& m) {
        if (m.msg == WM_START_SCAN)
            scanner->RunFor(1500);
    };
    SoonSchedule schedule(Name("CwScan"), {100}, true);
    CScanTask scan;
    scan.SetSchedule(&schedule);
    CTaskManager* manager = CTaskManager::Instance();
    manager->AddTask(&scan);
    manager->StartScanTasks();

    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(WM_START_SCAN) == 1; }, 10000));
    EXPECT_EQ(1u, recorder.messages[0].wParam);  // includePaths: the full scan
    EXPECT_EQ(1, recorder.messages[0].lParam);
    // The run waits for the scan through the scanner, which lives on this
    // thread: the stop must keep this thread's messages flowing.
    manager->StopScanTasks();
    EXPECT_FALSE(scanner->Running()) << "the stop returned before the scan's run ended";
    EXPECT_EQ(2, schedule.armed.load());
    ASSERT_FALSE(scanner->callThreads.empty());
    for (DWORD thread : scanner->callThreads)
        EXPECT_EQ(GetCurrentThreadId(), thread) << "the scanner was called on a task thread";
}

TEST_F(SchedulerTest, AScheduledScanWhileAScanRunsOnlyMovesTheSchedule)
{
    CComObject<FakeScanner>* scanner = nullptr;
    ASSERT_EQ(S_OK, CComObject<FakeScanner>::CreateInstance(&scanner));
    host.scanner = scanner;
    scanner->RunFor(60000);
    SoonSchedule schedule(Name("CwBusy"), {100}, true);
    CScanTask scan;
    scan.SetSchedule(&schedule);
    CTaskManager::Instance()->AddTask(&scan);
    CTaskManager::Instance()->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return schedule.armed == 2; }, 10000));
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_EQ(0u, recorder.Count(WM_START_SCAN));
}

TEST_F(SchedulerTest, TheUpdateTaskRunsTheSilentUpdate)
{
    SoonSchedule schedule(Name("CwUpdate"), {100}, true);
    CUpdateTask update;
    update.SetSchedule(&schedule);
    DWORD updateThread = 0;
    host.onSilentUpdate = [&] { updateThread = GetCurrentThreadId(); };
    CTaskManager::Instance()->AddTask(&update);
    CTaskManager::Instance()->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return schedule.armed == 2; }, 10000));
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_EQ(1, host.silentUpdates.load());
    EXPECT_NE(GetCurrentThreadId(), updateThread);
}

TEST_F(SchedulerTest, AStopWaitsBoundedlyAndLeavesARunThatDoesNotReturnToEndByItself)
{
    SoonSchedule stuckSchedule(Name("CwStuck"), {50, 50, 50}, true);
    ProbeTask stuck("stuck", 3000, runs, lock);
    stuck.SetSchedule(&stuckSchedule);
    CTaskManager* manager = CTaskManager::Instance();
    manager->SetStopTimeout(500);
    manager->AddTask(&stuck);
    manager->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return stuckSchedule.armed == 1; }, 10000));
    PumpFor(300);  // the run has begun

    const DWORD begin = GetTickCount();
    manager->StopScanTasks();
    EXPECT_LT(GetTickCount() - begin, 2000u);
    EXPECT_EQ(CTaskManager::StateStopped, manager->GetState());
    EXPECT_EQ(1, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    EXPECT_NE(std::string::npos,
              debugLog.Text().find("] Message: the thread of a scheduled task did not end within 500 ms and is left "
                                   "running (" +
                                   Name("CwStuck") + ")\nFunction: CTaskManager::StopScanTasks\r\n"))
        << debugLog.Text();

    // Its run returns, and the thread ends without running again although
    // the schedule came due meanwhile.
    ASSERT_TRUE(PumpUntil([] { return CTaskManager::GetThreadCount(CScheduledTask::ScanGroup) == 0; }, 10000));
    PumpFor(500);
    EXPECT_EQ(1u, stuck.runCount.load());

    // The next start is clean: its thread runs the task and stops at once.
    manager->SetStopTimeout(CTaskManager::DefaultStopTimeoutMs);
    manager->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return stuck.runCount == 2; }, 10000));
    manager->StopScanTasks();
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
}

TEST_F(SchedulerTest, AStopCancelsTheScheduledUpdatesStalledDownload)
{
    UpdateTestServer server;
    ASSERT_TRUE(server.Running());
    TempFolder downloads, destination;
    server.Put("liveupdate\\tcw.php", std::string("\xff\xff\xff\x7f"));
    server.Put("liveupdate\\" CW_DEFINITIONS_FILE_NAME, std::string(100000, 'x'));
    CVostelUpdateManager* updates = CVostelUpdateManager::Instance();
    updates->SetVersionsBaseUrl(server.Url("/liveupdate/").c_str());
    updates->SetDefinitionsBaseUrl(server.Url("/@stall/liveupdate/").c_str());
    updates->SetFileName(CW_DEFINITIONS_FILE_NAME);
    updates->SetDownloadFolder((downloads.Path() + "\\").c_str());
    updates->SetDestinationFolder((destination.Path() + "\\").c_str());
    updates->SetDatabaseTime(0);
    updates->m_bDefinitionsRequest = true;
    // The silent update as the definitions page runs it: start the job and
    // poll until it ends.
    host.onSilentUpdate = [&] {
        if (updates->Start())
            while (updates->IsJobRunning())
                Sleep(100);
    };
    SoonSchedule schedule(Name("CwStalled"), {100}, true);
    CUpdateTask update;
    update.SetSchedule(&schedule);
    CTaskManager::Instance()->AddTask(&update);
    CTaskManager::Instance()->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return updates->m_download.m_dwStarted != 0; }, 30000));

    const DWORD begin = GetTickCount();
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_LT(GetTickCount() - begin, 5000u);
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    EXPECT_EQ(CUpdateManager::StateStopped, updates->m_nState);
    EXPECT_FALSE(updates->IsJobRunning());
    EXPECT_TRUE(destination.List().empty());
    updates->SetVersionsBaseUrl(CVostelUpdateManager::DefaultUpdateUrl);
    updates->SetDefinitionsBaseUrl(CVostelUpdateManager::DefaultUpdateUrl);
}

TEST_F(SchedulerTest, TheTaskListHoldsEachTaskOnceAndStartsOnlyWhenStopped)
{
    CScheduleManager* schedules = CScheduleManager::Instance();
    CTaskManager* manager = CTaskManager::Instance();
    EXPECT_EQ(CTaskManager::StateStopped, manager->GetState());
    manager->StopScanTasks();  // before any start: returns at once
    EXPECT_EQ(CTaskManager::StateStopped, manager->GetState());

    manager->AddTask(schedules->GetQuickScanTask());
    manager->AddTask(schedules->GetQuickScanTask());
    manager->AddTask(nullptr);
    EXPECT_EQ(1, manager->GetTaskCount());
    EXPECT_FALSE(manager->ContainsTask(nullptr));
    manager->AddTask(schedules->GetFullScanTask());
    manager->AddTask(schedules->GetUpdateTask());
    manager->AddTask(schedules->GetUpdateSoftTask());
    EXPECT_EQ(4, manager->GetTaskCount());
    manager->RemoveTask(schedules->GetFullScanTask());
    manager->RemoveTask(schedules->GetFullScanTask());
    EXPECT_EQ(3, manager->GetTaskCount());
    EXPECT_FALSE(manager->ContainsTask(schedules->GetFullScanTask()));

    // Every task belongs to the scan group: the update group starts nothing.
    manager->StartUpdateTasks();
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::UpdateGroup));
    manager->StopUpdateTasks();

    // The settings' schedules are off by default (no scan today): threads
    // wait; a second start starts nothing more.
    CScheduledScanSettings::Instance()->SetScheduleType(ScheduleDaily);
    CScheduledScanSettings::Instance()->SetStartTime("03:00:00");
    CScheduledUpdateSettings::Instance()->SetScheduleType(ScheduleMonthly);
    CScheduledUpdateSettings::Instance()->SetStartTime("03:00:00");
    CScheduledUpdateSettings::Instance()->SetDayOfMonth(1);
    CScheduledUpdateSoftSettings::Instance()->SetScheduleType(ScheduleWeekly);
    CScheduledUpdateSoftSettings::Instance()->SetDays("0000000");  // no weekday: no run
    CScheduledUpdateSoftSettings::Instance()->SetStartTime("03:00:00");
    manager->StartScanTasks();
    manager->StartScanTasks();
    EXPECT_EQ(3, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    PumpFor(300);
    manager->StopScanTasks();
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    EXPECT_EQ(CTaskManager::StateStopped, manager->GetState());
}

TEST_F(SchedulerTest, TheScheduleManagerLinksTasksToSchedulesThatReadTheirOwnSettings)
{
    CScheduledScanSettings::Instance()->SetStartTime("01:00:00");
    CScheduledUpdateSettings::Instance()->SetStartTime("02:00:00");
    CScheduledUpdateSoftSettings::Instance()->SetStartTime("03:00:00");
    CScheduleManager* schedules = CScheduleManager::Instance();
    struct Expected
    {
        CScheduledTask* task;
        const char* name;
        const char* time;
    } expected[] = {
        {schedules->GetQuickScanTask(), "TCWQuickScanSchedule", "01:00:00"},
        {schedules->GetFullScanTask(), "TCWFullScanSchedule", "01:00:00"},
        {schedules->GetUpdateTask(), "TCWUpdateSchedule", "02:00:00"},
        {schedules->GetUpdateSoftTask(), "TCWUpdateSoftSchedule", "03:00:00"},
    };
    for (const Expected& e : expected)
    {
        CSettingsSchedule* schedule = static_cast<CSettingsSchedule*>(e.task->GetSchedule());
        ASSERT_NE(nullptr, schedule);
        EXPECT_EQ(e.name, std::string(schedule->GetName()));
        EXPECT_TRUE(schedule->IsRepeating());
        EXPECT_NE(nullptr, schedule->GetTimer());
        e.task->ReadSettings();
        EXPECT_EQ(e.time, schedule->GetRule().startTime) << e.name;
        EXPECT_EQ(CScheduledTask::ScanGroup, e.task->GetGroup());
    }
    EXPECT_TRUE(schedules->GetFullScanTask()->IsFullScan());
    EXPECT_FALSE(schedules->GetQuickScanTask()->IsFullScan());
}

TEST_F(SchedulerTest, ASettingsScheduleWithoutValidRunClearsItsTimer)
{
    CSettingsSchedule schedule(Name("CwSettings").c_str());
    LARGE_INTEGER soon;
    soon.QuadPart = -1;
    SetWaitableTimer(schedule.GetTimer(), &soon, 0, NULL, NULL, FALSE);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(schedule.GetTimer(), 5000));

    CScheduledScanSettings::Instance()->SetScheduleType(7);
    schedule.ReadSettings();
    EXPECT_FALSE(schedule.SetNextRun());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(schedule.GetTimer(), 200));

    CScheduledScanSettings::Instance()->SetScheduleType(ScheduleDaily);
    CScheduledScanSettings::Instance()->SetStartTime("04:30:00");
    schedule.ReadSettings();
    EXPECT_TRUE(schedule.SetNextRun());
    EXPECT_EQ(4, schedule.GetNextRunTime().wHour);
    EXPECT_EQ(30, schedule.GetNextRunTime().wMinute);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(schedule.GetTimer(), 0));

    CScheduledScanSettings::Instance()->SetScheduleType(ScheduleWeekly);
    CScheduledScanSettings::Instance()->SetDays("0010001");
    schedule.ReadSettings();
    EXPECT_TRUE(schedule.SetNextRun());
    const DWORD chosen[7] = {0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(0, memcmp(chosen, schedule.m_dwWeekDays, sizeof(chosen)));
    const WORD weekday = schedule.GetNextRunTime().wDayOfWeek;
    EXPECT_TRUE(weekday == 2 || weekday == 6);
}

TEST_F(SchedulerTest, ATakenTimerNameFailsOnlyThatSchedule)
{
    // Another kind of object holds the update schedule's timer name.
    HANDLE squatter = CreateEventA(NULL, TRUE, FALSE, (std::string("TCWUpdateSchedule") + suffix).c_str());
    ASSERT_NE(nullptr, squatter);
    CScheduleManager* schedules = nullptr;
    EXPECT_NO_THROW(schedules = CScheduleManager::Instance());
    ASSERT_NE(nullptr, schedules);
    EXPECT_EQ(nullptr, schedules->GetUpdateTask()->GetSchedule()->GetTimer());
    EXPECT_NE(nullptr, schedules->GetQuickScanTask()->GetSchedule()->GetTimer());
    EXPECT_FALSE(schedules->GetUpdateTask()->ArmSchedule());
    EXPECT_NE(std::string::npos, debugLog.Text().find("] Message: Cannot create waitable object. (TCWUpdateSchedule)"));

    // Its thread waits for the stop only.
    CScheduledUpdateSettings::Instance()->SetScheduleType(ScheduleDaily);
    CScheduledUpdateSettings::Instance()->SetStartTime("03:00:00");
    CTaskManager::Instance()->AddTask(schedules->GetUpdateTask());
    CTaskManager::Instance()->StartScanTasks();
    PumpFor(300);
    EXPECT_EQ(1, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_EQ(0, host.silentUpdates.load());
    CloseHandle(squatter);
}

TEST_F(SchedulerTest, ScheduleAndTaskMisuseIsRefused)
{
    try
    {
        CSettingsSchedule unnamed("");
        ADD_FAILURE() << "an empty name was accepted";
    }
    catch (CScheduleException* e)
    {
        EXPECT_EQ("Must specify the name of the schedule", std::string(e->m_strMessage));
        e->Delete();
    }

    // A task without schedule: its thread counts itself out and ends.
    CUpdateTask orphan;
    try
    {
        orphan.ArmSchedule();
        ADD_FAILURE() << "armed without schedule";
    }
    catch (CTaskException* e)
    {
        EXPECT_EQ("need to init Schedule first", std::string(e->m_strMessage));
        e->Delete();
    }
    CTaskManager::Instance()->AddTask(&orphan);
    CTaskManager::Instance()->StartScanTasks();
    EXPECT_TRUE(PumpUntil([] { return CTaskManager::GetThreadCount(CScheduledTask::ScanGroup) == 0; }, 10000));
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_EQ(1u, ScheduleThreadProc(nullptr));
}

TEST_F(SchedulerTest, TheProgramUpdateCheckTellsTheMainWindowOfANewerProgram)
{
    UpdateTestServer server;
    ASSERT_TRUE(server.Running());
    CVostelUpdateManager* updates = CVostelUpdateManager::Instance();
    updates->SetLatestInfoUrl(server.Url("/latest.txt").c_str());
    SoonSchedule schedule(Name("CwUpdateSoft"), {100, 100}, true);
    CUpdateSoftTask check;
    check.SetSchedule(&schedule);
    CTaskManager::Instance()->AddTask(&check);

    server.Put("latest.txt", std::string("2.1.160\r\n"));
    CTaskManager::Instance()->StartScanTasks();
    ASSERT_TRUE(PumpUntil([&] { return schedule.armed >= 2; }, 20000));
    PumpFor(100);
    ASSERT_EQ(1u, recorder.Count(WM_SHOW_PROGRAM_UPDATE));
    EXPECT_EQ(0u, recorder.messages[0].wParam);
    EXPECT_EQ(0, recorder.messages[0].lParam);

    // The running version itself is not newer.
    server.Put("latest.txt", std::string(CW_PRODUCT_VERSION "\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return schedule.armed >= 3; }, 20000));
    CTaskManager::Instance()->StopScanTasks();
    EXPECT_EQ(1u, recorder.Count(WM_SHOW_PROGRAM_UPDATE));
    EXPECT_EQ(2u, server.Requests().size());
    updates->SetLatestInfoUrl(CVostelUpdateManager::DefaultLatestInfoUrl);
}
