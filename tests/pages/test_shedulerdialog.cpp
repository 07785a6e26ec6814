// The scheduler page and its summary in the main window: each task and
// frequency saved as the scheduler reads it and shown again, the shared
// scan schedule and the master switch in the task list, stored values that
// are out of range, and Apply while a scheduled scan runs.

#include "tests/pages/settings_test_support.h"

#include <commctrl.h>

#include "app/appmessages.h"
#include "app/schedulerhost.h"
#include "resources/pages/scanids.h"
#include "tests/app/fake_engine.h"

namespace {

const UINT kTask = IDC_SHEDULER_TASK;
const UINT kEnable = IDC_SHEDULER_ENABLE;
const UINT kActive = IDC_SHEDULER_ACTIVE;
const UINT kFrequency = IDC_SHEDULER_FREQUENCY;
const UINT kTime = IDC_SHEDULER_TIME;
const UINT kDay = IDC_SHEDULER_DAY;
const UINT kApply = IDC_SHEDULER_APPLY;
const UINT kWeekdays[7] = {IDC_SHEDULER_SUNDAY,   IDC_SHEDULER_MONDAY, IDC_SHEDULER_TUESDAY, IDC_SHEDULER_WEDNESDAY,
                           IDC_SHEDULER_THURSDAY, IDC_SHEDULER_FRIDAY, IDC_SHEDULER_SATURDAY};

void SetTime(CWnd* page, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    page->GetDlgItem(kTime)->SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void SetChecked(CWnd* page, UINT id, bool on)
{
    if (SettingsPagesTest::Checked(page, id) != on)
        SettingsPagesTest::Click(page, id);
}

std::string WeekdaysShown(CWnd* page)
{
    std::string days;
    for (UINT id : kWeekdays)
        days += SettingsPagesTest::Checked(page, id) ? '1' : '0';
    return days;
}

int Selection(CWnd* page, UINT id)
{
    return static_cast<int>(page->GetDlgItem(id)->SendMessage(CB_GETCURSEL));
}

const CScheduleRule& RuleOf(CScheduledTask* task)
{
    return static_cast<CSettingsSchedule*>(task->GetSchedule())->GetRule();
}

CScheduledTask* TaskOf(int entry)
{
    CScheduleManager* schedules = CScheduleManager::Instance();
    CScheduledTask* tasks[] = {schedules->GetUpdateTask(), schedules->GetQuickScanTask(),
                               schedules->GetFullScanTask(), schedules->GetUpdateSoftTask()};
    return tasks[entry];
}

// The folder choice that the link opens: noted and cancelled.
std::string g_folderDialog;

void CALLBACK CancelFolderDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Folders of the scheduled scan");
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    g_folderDialog = "shown";
    SendMessageA(GetDlgItem(dialog, IDC_FULLSCAN_CANCEL), BM_CLICK, 0, 0);
}

} // namespace

TEST_F(SettingsPagesTest, EachTaskAndFrequencyIsSavedAsTheSchedulerReadsItAndShownAgain)
{
    struct Case
    {
        int task, frequency;
        WORD hour, minute, second;
        const char *day, *weekdays, *file, *type, *time, *summary;
        UINT summaryId;
    };
    const Case cases[] = {
        {CShedulerDialog::TaskUpdate, 0, 6, 15, 0, "1", "1111111", "scheduled_update.xml", "1", "06:15:00",
         "Every day at 06:15:00", IDC_INFO_UPDATE_TEXT},
        {CShedulerDialog::TaskQuickScan, 1, 21, 30, 5, "1", "1000001", "scheduled_scan.xml", "2", "21:30:05",
         "Weekly at 21:30:05\n Sun Sat", IDC_INFO_SCAN_TEXT},
        {CShedulerDialog::TaskFullScan, 2, 21, 0, 0, "15", "1111111", "scheduled_scan.xml", "3", "21:00:00",
         "On day 15 of each month at 21:00:00", IDC_INFO_SCAN_TEXT},
        {CShedulerDialog::TaskUpdateSoft, 1, 0, 0, 59, "1", "0000000", "scheduled_updatesoft.xml", "2", "00:00:59",
         "Weekly at 00:00:59\n", IDC_INFO_SOFT_TEXT},
    };
    Open();
    CShedulerDialog* page = host.scheduler;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file + std::string(" ") + c.time);
        Select(page, kTask, c.task);
        SetChecked(page, kActive, true);
        SetChecked(page, kEnable, true);
        Select(page, kFrequency, c.frequency);
        SetTime(page, c.hour, c.minute, c.second);
        page->GetDlgItem(kDay)->SetWindowText(c.day);
        for (int i = 0; i < 7; ++i)
            SetChecked(page, kWeekdays[i], c.weekdays[i] == '1');
        // 24 hours with seconds, whatever the user's locale says.
        EXPECT_EQ(c.time, Text(page, kTime));
        Click(page, kApply);

        EXPECT_FALSE(Enabled(page, kApply));
        EXPECT_EQ(c.type, Saved(c.file, "scheduleType"));
        EXPECT_EQ(c.weekdays, Saved(c.file, "days"));
        EXPECT_EQ(c.day, Saved(c.file, "dayOfMonth"));
        EXPECT_EQ(c.time, Saved(c.file, "startTime"));
        EXPECT_EQ("true", Saved(c.file, "enable"));
        EXPECT_EQ("true", Saved("scheduled_scan.xml", "active"));
        const CScheduleRule& rule = RuleOf(TaskOf(c.task));
        EXPECT_TRUE(CTaskManager::Instance()->ContainsTask(TaskOf(c.task)));
        EXPECT_EQ(atoi(c.type), rule.scheduleType);
        EXPECT_EQ(c.time, rule.startTime);
        EXPECT_EQ(c.weekdays, rule.days);
        EXPECT_EQ(atoi(c.day), rule.dayOfMonth);
        EXPECT_EQ(c.summary, Text(&page->GetInfo(), c.summaryId));
    }
    EXPECT_EQ("true", Saved("scheduled_scan.xml", "includePaths"));

    // Shown again from the files.
    m_dialog.DestroyWindow();
    CScheduledScanSettings::DeleteInstance();
    CScheduledUpdateSettings::DeleteInstance();
    CScheduledUpdateSoftSettings::DeleteInstance();
    Open();
    page = host.scheduler;
    EXPECT_TRUE(Checked(page, kActive));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file + std::string(" ") + c.time);
        Select(page, kTask, c.task);
        // The quick scan was replaced by the full scan.
        EXPECT_EQ(c.task != CShedulerDialog::TaskQuickScan, Checked(page, kEnable));
        if (c.task == CShedulerDialog::TaskQuickScan)
            continue;
        EXPECT_EQ(c.frequency, Selection(page, kFrequency));
        EXPECT_EQ(c.time, Text(page, kTime));
        EXPECT_EQ(c.day, Text(page, kDay));
        EXPECT_EQ(c.weekdays, WeekdaysShown(page));
        EXPECT_EQ(c.frequency == 1, Visible(page, IDC_SHEDULER_SUNDAY));
        EXPECT_EQ(c.frequency == 2, Visible(page, kDay));
        EXPECT_EQ(c.task == CShedulerDialog::TaskFullScan, Visible(page, IDC_SHEDULER_FOLDERS));
    }
}

TEST_F(SettingsPagesTest, TheScanTasksShareOneScheduleAndTheMasterSwitchGovernsTheTaskList)
{
    WriteSettings("scheduled_updatesoft.xml", "ScheduledUpdateSoft scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" "
                                              "startTime=\"03:00:00\" enable=\"true\"");
    Open();
    CShedulerDialog* page = host.scheduler;
    CTaskManager* tasks = CTaskManager::Instance();
    CSchedulerInfo* info = &page->GetInfo();
    EXPECT_EQ("Off", Text(info, IDC_INFO_ACTIVE));
    EXPECT_EQ("On", Text(info, IDC_INFO_SOFT_STATE));

    Select(page, kTask, CShedulerDialog::TaskFullScan);
    Click(page, kEnable);
    Click(page, kActive);
    CScheduledScanSettings::Instance()->SetPaths("C:\\Data");
    SetTimer(nullptr, 0, 100, &CancelFolderDialog);
    page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SHEDULER_FOLDERS, STN_CLICKED),
                      reinterpret_cast<LPARAM>(page->GetDlgItem(IDC_SHEDULER_FOLDERS)->m_hWnd));
    EXPECT_EQ("shown", g_folderDialog);
    Click(page, kApply);
    EXPECT_EQ("C:\\Data", Saved("scheduled_scan.xml", "Paths"));
    // The program update, switched on while scheduling was off, runs too.
    EXPECT_TRUE(tasks->ContainsTask(TaskOf(CShedulerDialog::TaskFullScan)));
    EXPECT_TRUE(tasks->ContainsTask(TaskOf(CShedulerDialog::TaskUpdateSoft)));
    EXPECT_EQ(2, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    EXPECT_EQ("Full scan", Text(info, IDC_INFO_SCAN_LABEL));

    Select(page, kTask, CShedulerDialog::TaskQuickScan);
    EXPECT_FALSE(Checked(page, kEnable)) << "the schedule is the full scan's";
    EXPECT_FALSE(Visible(page, IDC_SHEDULER_FOLDERS));
    Click(page, kEnable);
    Click(page, kApply);
    EXPECT_TRUE(tasks->ContainsTask(TaskOf(CShedulerDialog::TaskQuickScan)));
    EXPECT_FALSE(tasks->ContainsTask(TaskOf(CShedulerDialog::TaskFullScan)));
    EXPECT_EQ("false", Saved("scheduled_scan.xml", "includePaths"));
    EXPECT_EQ("Quick scan", Text(info, IDC_INFO_SCAN_LABEL));
    Select(page, kTask, CShedulerDialog::TaskFullScan);
    EXPECT_FALSE(Checked(page, kEnable));

    Select(page, kTask, CShedulerDialog::TaskQuickScan);
    Click(page, kActive);
    Click(page, kApply);
    EXPECT_EQ(0, tasks->GetTaskCount());
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    EXPECT_EQ("false", Saved("scheduled_scan.xml", "active"));
    // Each schedule's state stands apart from the switch.
    EXPECT_EQ("Off", Text(info, IDC_INFO_ACTIVE));
    EXPECT_EQ("On", Text(info, IDC_INFO_SCAN_STATE));
    EXPECT_EQ("Every day at 12:00:00", Text(info, IDC_INFO_SCAN_TEXT));
    EXPECT_EQ("Off", Text(info, IDC_INFO_UPDATE_STATE));
    EXPECT_EQ("", Text(info, IDC_INFO_UPDATE_TEXT));
}

TEST_F(SettingsPagesTest, StoredValuesOutOfRangeShowSafeValuesAndAreSavedValid)
{
    WriteSettings("scheduled_update.xml", "ScheduledUpdate scheduleType=\"2\" days=\"101\" dayOfMonth=\"1\" "
                                          "startTime=\"21:30:00\" enable=\"true\"");
    WriteSettings("scheduled_updatesoft.xml", "ScheduledUpdateSoft scheduleType=\"3\" days=\"1111111\" "
                                              "dayOfMonth=\"-3\" startTime=\"25:00:00\" enable=\"true\"");
    WriteSettings("scheduled_scan.xml", "ScheduledScan scheduleType=\"7\" days=\"1111111\" dayOfMonth=\"1\" "
                                        "startTime=\"7:5\" includePaths=\"false\" enable=\"true\"");
    Open();
    CShedulerDialog* page = host.scheduler;
    // A short weekday text: the missing days are off.
    EXPECT_EQ("1010000", WeekdaysShown(page));
    EXPECT_EQ("21:30:00", Text(page, kTime));
    EXPECT_EQ("Weekly at 21:30:00\n Sun Tue", Text(&page->GetInfo(), IDC_INFO_UPDATE_TEXT));

    // Not the last task's time or frequency: the defaults.
    Select(page, kTask, CShedulerDialog::TaskQuickScan);
    EXPECT_EQ(0, Selection(page, kFrequency));
    EXPECT_EQ("12:00:00", Text(page, kTime));
    Select(page, kTask, CShedulerDialog::TaskUpdateSoft);
    EXPECT_EQ("12:00:00", Text(page, kTime));
    EXPECT_EQ(2, Selection(page, kFrequency));
    EXPECT_EQ("1", Text(page, kDay));
    for (const char* bad : {"0", "32", "123", "", "-5"})
    {
        page->GetDlgItem(kDay)->SetWindowText(bad);
        EXPECT_EQ("31", Text(page, kDay)) << bad;
    }
    page->GetDlgItem(kDay)->SetWindowText("7");
    EXPECT_EQ("7", Text(page, kDay));
    Click(page, kApply);
    EXPECT_EQ("7", Saved("scheduled_updatesoft.xml", "dayOfMonth"));
    EXPECT_EQ("12:00:00", Saved("scheduled_updatesoft.xml", "startTime"));

    Select(page, kTask, CShedulerDialog::TaskUpdate);
    Click(page, kApply);
    EXPECT_EQ("1010000", Saved("scheduled_update.xml", "days"));
}

namespace {

// The application's scanner as the scheduled scan sees it: it runs for a
// while once told to.
class CTimedScanner : public CScannerStub
{
public:
    void RunFor(DWORD ms) { m_until = GetTickCount() + ms; }
    bool Running() const { return static_cast<LONG>(m_until - GetTickCount()) > 0; }
    HRESULT STDMETHODCALLTYPE get_Running(BOOL* running) override
    {
        *running = Running() ? TRUE : FALSE;
        return S_OK;
    }

private:
    DWORD m_until = GetTickCount();
};

class CScanHost : public ISchedulerHost
{
public:
    CComPtr<IScanner> scanner;
    HWND window = nullptr;
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    HWND GetMainWindow() override { return window; }
    void RunSilentUpdate() override {}
};

} // namespace

TEST_F(SettingsPagesTest, ApplyWhileAScheduledScanRunsWaitsWithMessagesFlowingAndIgnoresClicks)
{
    CComObject<CTimedScanner>* scanner = nullptr;
    ASSERT_EQ(S_OK, CComObject<CTimedScanner>::CreateInstance(&scanner));
    CScanHost scanHost;
    scanHost.scanner = scanner;
    MessageRecorder mainWindow;
    scanHost.window = mainWindow.Handle();
    SetSchedulerHost(&scanHost);
    // The quick scan a few seconds from now.
    SYSTEMTIME soon;
    GetLocalTime(&soon);
    const int seconds = (soon.wHour * 60 + soon.wMinute) * 60 + soon.wSecond + 3;
    char start[16];
    wsprintfA(start, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    WriteSettings("scheduled_scan.xml", std::string("ScheduledScan scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" "
                                                    "includePaths=\"false\" active=\"true\" enable=\"true\" startTime=\"") +
                                            start + "\"");
    Open();
    DeleteFileA(data.File("scheduled_updatesoft.xml").c_str());
    CShedulerDialog* page = host.scheduler;
    Select(page, kTask, CShedulerDialog::TaskQuickScan);
    Click(page, kApply);

    bool probed = false, applyingSeen = false, taskListEnabled = true;
    mainWindow.onMessage = [&](const MessageRecorder::Message& m) {
        if (m.msg == WM_START_SCAN)
            scanner->RunFor(2000);
        if (m.msg == WM_APP + 7)
        {
            probed = true;
            applyingSeen = page->IsApplying();
            taskListEnabled = Enabled(page, kTask);
        }
    };
    ASSERT_TRUE(PumpUntil([&] { return mainWindow.Count(WM_START_SCAN) == 1; }, 15000));
    ASSERT_TRUE(scanner->Running());

    // While Apply waits for the run (which waits for the scan through this
    // thread), the user picks another task and presses Apply again.
    CWnd* taskList = page->GetDlgItem(kTask);
    ::PostMessageA(mainWindow.Handle(), WM_APP + 7, 0, 0);
    taskList->PostMessage(CB_SETCURSEL, CShedulerDialog::TaskUpdateSoft);
    page->PostMessage(WM_COMMAND, MAKEWPARAM(kTask, CBN_SELCHANGE), reinterpret_cast<LPARAM>(taskList->m_hWnd));
    page->PostMessage(WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED),
                      reinterpret_cast<LPARAM>(page->GetDlgItem(kApply)->m_hWnd));
    page->SendMessage(WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED),
                      reinterpret_cast<LPARAM>(page->GetDlgItem(kApply)->m_hWnd));

    EXPECT_FALSE(scanner->Running()) << "Apply returned before the scheduled run ended";
    EXPECT_TRUE(probed);
    EXPECT_TRUE(applyingSeen);
    EXPECT_FALSE(taskListEnabled);
    EXPECT_FALSE(page->IsApplying());
    EXPECT_TRUE(Enabled(page, kTask));
    EXPECT_EQ(CShedulerDialog::TaskQuickScan, Selection(page, kTask));
    EXPECT_EQ("(no file)", Saved("scheduled_updatesoft.xml", "enable")) << "the second Apply ran";
    EXPECT_EQ(1, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    CTaskManager::DeleteInstance();
    SetSchedulerHost(nullptr);
}
