#include "pages/shedulerdialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/schedulemanager.h"
#include "app/taskmanager.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"
#include "foundation/syshelpers.h"
#include "pages/fullscandialog.h"
#include "pages/pagehost.h"
#include "pages/pagekeys.h"
#include "pages/pagelayout.h"
#include "resources/pages/settingsids.h"

IMPLEMENT_DYNAMIC(CShedulerDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CShedulerDialog, CToolTipDialogEx)
    ON_BN_CLICKED(IDC_SHEDULER_APPLY, OnBnClickedApply)
    ON_BN_CLICKED(IDC_SHEDULER_ACTIVE, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_ENABLE, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_SUNDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_MONDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_TUESDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_WEDNESDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_THURSDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_FRIDAY, OnChanged)
    ON_BN_CLICKED(IDC_SHEDULER_SATURDAY, OnChanged)
    ON_NOTIFY(DTN_DATETIMECHANGE, IDC_SHEDULER_TIME, OnTimeChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_SHEDULER_TASK, OnTaskChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_SHEDULER_FREQUENCY, OnFrequencyChanged)
    ON_CONTROL(EN_CHANGE, IDC_SHEDULER_DAY, OnDayOfMonthChanged)
    ON_STN_CLICKED(IDC_SHEDULER_FOLDERS, OnSelectFolders)
END_MESSAGE_MAP()

namespace {

const char* const kTaskKeys[] = {"updateBase", "quickScan", "fullScan", "updateSoft"};
const char* const kFrequencyKeys[] = {"whenEveryday", "whenDaily", "whenMonthly"};

// Sunday first, as the stored weekdays.
const char* const kWeekdayKeys[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
const UINT kWeekdayIds[7] = {IDC_SHEDULER_SUNDAY,   IDC_SHEDULER_MONDAY, IDC_SHEDULER_TUESDAY,
                             IDC_SHEDULER_WEDNESDAY, IDC_SHEDULER_THURSDAY, IDC_SHEDULER_FRIDAY,
                             IDC_SHEDULER_SATURDAY};

const struct
{
    UINT id;
    const char* skin;
} kSkins[] = {
    {IDC_SHEDULER_FOLDERS, "LinkStat"},
    {IDC_SHEDULER_CAPTION, "TitleStatic"},
    {IDC_SHEDULER_TITLE, "TitleStaticBack"},
    {IDC_SHEDULER_FRAME, "BackGround"},
    {static_cast<UINT>(IDC_SHEDULER_TASK_LABEL), "StaticBackground"},
    {IDC_SHEDULER_FREQUENCY_LABEL, "StaticBackground"},
    {IDC_SHEDULER_DAY_LABEL, "StaticBackground"},
    {IDC_SHEDULER_TIME_LABEL, "StaticBackground"},
    {IDC_SHEDULER_ENABLE, "SettingsCheckBox"},
    {IDC_SHEDULER_WEDNESDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_SATURDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_SUNDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_FRIDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_TUESDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_THURSDAY, "SettingsCheckBox"},
    {IDC_SHEDULER_MONDAY, "SettingsCheckBox"},
};

// The stored frequency of each list entry: every day, weekdays, monthly.
const int kFirstScheduleType = 1;
const int kLastScheduleType = 3;
const int kEveryDay = 0;
const int kWeekdays = 1;
const int kMonthly = 2;

const int kLastDayOfMonth = 31;
// Shown for a stored time that is not a valid "HH:MM:SS".
const WORD kDefaultHour = 12;

// The edit's leading decimal number with an optional sign; 0 without one.
long ParseDay(const CString& text)
{
    return std::strtol(text.GetString(), nullptr, 10);
}

// Clears the applying state however Apply ends.
class ApplyScope
{
public:
    ApplyScope(bool& applying, CWnd* taskList) : m_applying(applying), m_taskList(taskList)
    {
        m_applying = true;
        if (m_taskList)
            m_taskList->EnableWindow(FALSE);
    }
    ~ApplyScope()
    {
        if (m_taskList)
            m_taskList->EnableWindow(TRUE);
        m_applying = false;
    }

private:
    bool& m_applying;
    CWnd* m_taskList;
};

} // namespace

template <class Settings>
CShedulerDialog::Schedule CShedulerDialog::ScheduleOf(const Settings& settings, bool enable)
{
    return Schedule{settings.GetScheduleType(), settings.GetDayOfMonth(), settings.GetStartTime(),
                    settings.GetDays(), enable};
}

template <class Settings>
void CShedulerDialog::Store(const Schedule& schedule, Settings& settings)
{
    settings.SetScheduleType(schedule.scheduleType);
    settings.SetDayOfMonth(schedule.dayOfMonth);
    settings.SetStartTime(schedule.startTime);
    settings.SetDays(schedule.days);
    settings.SetEnable(schedule.enable);
}

CShedulerDialog::CShedulerDialog(CWnd* pParent)
    : CToolTipDialogEx("ShedulerDialog", pParent, IDD_SHEDULER_DIALOG),
      CDialogControlHelper(this),
      m_info(this),
      m_nShownTask(TaskUpdate),
      m_bApplying(false),
      m_bChangedWhileApplying(false)
{
}

CShedulerDialog::~CShedulerDialog() = default;

BOOL CShedulerDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    // The time picker's class.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&controls);
    return Create(IDD_SHEDULER_DIALOG, m_pParentWnd);
}

void CShedulerDialog::UpdateLayout()
{
    PlacePageAt(*this, m_rcPage);
}

BOOL CShedulerDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    LoadTexts();
    UpdateLayout();
    if (m_info.CreatePage(m_rcPage.left, m_rcPage.top, 0, 0))
        m_info.ShowWindow(SW_SHOW);
    for (const auto& skin : kSkins)
        SetControlSkin(skin.id, skin.skin, "Dialog");
    // 24-hour time with seconds whatever the user's locale: the stored
    // start time is read back as "HH:MM:SS".
    GetDlgItem(IDC_SHEDULER_TIME)->SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm:ss"));
    ShowSelectedTask();
    EnableControl(IDC_SHEDULER_APPLY, FALSE);
    for (UINT id : {IDC_SHEDULER_FREQUENCY, IDC_SHEDULER_TASK})
        if (CWnd* edit = GetDlgItem(id)->GetWindow(GW_CHILD))
            edit->SendMessage(EM_SETREADONLY, TRUE);
    return TRUE;
}

BOOL CShedulerDialog::PreTranslateMessage(MSG* pMsg)
{
    IgnoreEnterAndEscape(pMsg);
    if (pMsg->message == WM_MOUSEMOVE && pMsg->hwnd == ::GetDlgItem(m_hWnd, IDC_SHEDULER_FOLDERS))
    {
        IPageHost* host = GetPageHost();
        if (HCURSOR cursor = host ? host->GetLinkCursor() : nullptr)
            ::SetCursor(cursor);
    }
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CShedulerDialog::LoadTexts()
{
    SetControlText(IDC_SHEDULER_TITLE, GetText("addTask"));
    SetControlText(IDC_SHEDULER_APPLY, GetText("applyBt"));
    SetControlText(IDC_SHEDULER_CAPTION, GetText("tasks"));
    for (int i = 0; i < 7; ++i)
        SetControlText(kWeekdayIds[i], GetText(kWeekdayKeys[i]));
    SetControlText(IDC_SHEDULER_DAY_LABEL, GetText("dayOfMonth"));
    SetControlText(IDC_SHEDULER_FREQUENCY_LABEL, GetText("when"));
    SetControlText(IDC_SHEDULER_FOLDERS, GetText("selFolders"));
    SetControlText(static_cast<UINT>(IDC_SHEDULER_TASK_LABEL), GetText("availableSched"));
    SetControlText(IDC_SHEDULER_ENABLE, GetText("enableTask"));
    SetControlText(IDC_SHEDULER_ACTIVE, GetText("enableSched"));
    SetControlText(IDC_SHEDULER_TIME_LABEL, GetText("time"));
    // The lists and the summary speak the new language too.
    FillList(IDC_SHEDULER_TASK, kTaskKeys, 4);
    FillList(IDC_SHEDULER_FREQUENCY, kFrequencyKeys, 3);
    if (m_info.m_hWnd)
    {
        m_info.LoadTexts();
        m_info.UpdateInfo();
    }
}

void CShedulerDialog::FillList(UINT id, const char* const keys[], int count)
{
    CWnd* list = GetDlgItem(id);
    const LRESULT selected = list->SendMessage(CB_GETCURSEL);
    list->SendMessage(CB_RESETCONTENT);
    for (int i = 0; i < count; ++i)
        list->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText(keys[i]).GetString()));
    list->SendMessage(CB_SETCURSEL, selected == CB_ERR ? 0 : selected);
}

int CShedulerDialog::GetSelection(UINT id) const
{
    return static_cast<int>(GetDlgItem(id)->SendMessage(CB_GETCURSEL));
}

void CShedulerDialog::ShowSelectedTask()
{
    const CScheduledScanSettings* scan = CScheduledScanSettings::Instance();
    SetCheck(IDC_SHEDULER_ACTIVE, scan->GetActive());
    m_nShownTask = GetSelection(IDC_SHEDULER_TASK);
    CWnd* folders = GetDlgItem(IDC_SHEDULER_FOLDERS);
    folders->ShowWindow(m_nShownTask == TaskFullScan ? SW_SHOW : SW_HIDE);
    switch (m_nShownTask)
    {
    case TaskUpdate:
    {
        const CScheduledUpdateSettings* update = CScheduledUpdateSettings::Instance();
        ShowSchedule(ScheduleOf(*update, update->GetEnable()));
        break;
    }
    case TaskQuickScan:
    case TaskFullScan:
        // The scan schedule is on for the kind it is, off for the other.
        ShowSchedule(ScheduleOf(*scan, scan->GetEnable() && scan->GetIncludePaths() == (m_nShownTask == TaskFullScan)));
        break;
    case TaskUpdateSoft:
    {
        const CScheduledUpdateSoftSettings* soft = CScheduledUpdateSoftSettings::Instance();
        ShowSchedule(ScheduleOf(*soft, soft->GetEnable()));
        break;
    }
    }
    ApplyFrequencyLayout();
}

void CShedulerDialog::ApplyFrequencyLayout()
{
    const int frequency = GetSelection(IDC_SHEDULER_FREQUENCY);
    const int showDay = frequency == kMonthly ? SW_SHOW : SW_HIDE;
    GetDlgItem(IDC_SHEDULER_DAY)->ShowWindow(showDay);
    GetDlgItem(IDC_SHEDULER_DAY_LABEL)->ShowWindow(showDay);
    for (UINT id : kWeekdayIds)
        GetDlgItem(id)->ShowWindow(frequency == kWeekdays ? SW_SHOW : SW_HIDE);
}

void CShedulerDialog::ShowSchedule(const Schedule& schedule)
{
    SetCheck(IDC_SHEDULER_ENABLE, schedule.enable);
    SetControlInt(IDC_SHEDULER_DAY, std::min(std::max(schedule.dayOfMonth, 1), kLastDayOfMonth));
    // An unknown frequency shows the default rather than the last task's.
    const bool knownType = schedule.scheduleType >= kFirstScheduleType && schedule.scheduleType <= kLastScheduleType;
    GetDlgItem(IDC_SHEDULER_FREQUENCY)
        ->SendMessage(CB_SETCURSEL, knownType ? schedule.scheduleType - kFirstScheduleType : kEveryDay);

    // Today at the stored time; a time out of range or malformed shows the
    // default, not the last task's.
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    time.wHour = kDefaultHour;
    time.wMinute = time.wSecond = time.wMilliseconds = 0;
    const std::string& start = schedule.startTime;
    if (IsValidScheduleTime(start))
    {
        time.wHour = static_cast<WORD>(std::atoi(start.substr(0, 2).c_str()));
        time.wMinute = static_cast<WORD>(std::atoi(start.substr(3, 2).c_str()));
        time.wSecond = static_cast<WORD>(std::atoi(start.substr(6, 2).c_str()));
    }
    GetDlgItem(IDC_SHEDULER_TIME)->SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));

    // A days text from an edited file may be short: the missing days are off.
    for (size_t i = 0; i < 7; ++i)
        SetCheck(kWeekdayIds[i], i < schedule.days.size() && schedule.days[i] >= '1' && schedule.days[i] <= '9');
}

CShedulerDialog::Schedule CShedulerDialog::ReadSchedule(const Schedule& stored) const
{
    Schedule schedule = stored;
    schedule.enable = IsChecked(IDC_SHEDULER_ENABLE) != FALSE;
    const long day = ParseDay(GetControlText(IDC_SHEDULER_DAY));
    schedule.dayOfMonth = static_cast<int>(std::min(std::max(day, 1L), static_cast<long>(kLastDayOfMonth)));
    const int frequency = GetSelection(IDC_SHEDULER_FREQUENCY);
    if (frequency >= kEveryDay && frequency <= kMonthly)
        schedule.scheduleType = frequency + kFirstScheduleType;
    // The picker's time rather than its text.
    SYSTEMTIME time = {};
    if (GetDlgItem(IDC_SHEDULER_TIME)->SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) ==
        GDT_VALID)
    {
        char text[16];
        std::snprintf(text, sizeof(text), "%02u:%02u:%02u", time.wHour % 24u, time.wMinute % 60u, time.wSecond % 60u);
        schedule.startTime = text;
    }
    schedule.days.clear();
    for (UINT id : kWeekdayIds)
        schedule.days += IsChecked(id) ? '1' : '0';
    return schedule;
}

bool CShedulerDialog::SaveSelectedTask()
{
    const std::string folder = GetProductDataFolder().GetString();
    CScheduledScanSettings* scan = CScheduledScanSettings::Instance();
    scan->SetActive(IsChecked(IDC_SHEDULER_ACTIVE) != FALSE);
    bool saved = true;
    switch (m_nShownTask)
    {
    case TaskUpdate:
    {
        CScheduledUpdateSettings* update = CScheduledUpdateSettings::Instance();
        Store(ReadSchedule(ScheduleOf(*update, update->GetEnable())), *update);
        saved = update->Save(folder + "scheduled_update.xml");
        break;
    }
    case TaskQuickScan:
    case TaskFullScan:
        scan->SetIncludePaths(m_nShownTask == TaskFullScan);
        Store(ReadSchedule(ScheduleOf(*scan, scan->GetEnable())), *scan);
        break;
    case TaskUpdateSoft:
    {
        CScheduledUpdateSoftSettings* soft = CScheduledUpdateSoftSettings::Instance();
        Store(ReadSchedule(ScheduleOf(*soft, soft->GetEnable())), *soft);
        saved = soft->Save(folder + "scheduled_updatesoft.xml");
        break;
    }
    }
    // The scan file holds the switch of all schedules: saved every time.
    return scan->Save(folder + "scheduled_scan.xml") && saved;
}

void CShedulerDialog::RestartTasks()
{
    // The whole list from all three schedules: one that another task's
    // Apply switched on (or a switch turned on) runs too.
    CTaskManager* tasks = CTaskManager::Instance();
    tasks->StopScanTasks();
    CScheduleManager::Instance()->ListEnabledTasks(tasks);
    tasks->StartScanTasks();
}

void CShedulerDialog::OnBnClickedApply()
{
    // The stop below keeps messages flowing while a scheduled run ends (a
    // scan needs this thread for that): a second click meanwhile is ignored.
    if (m_bApplying)
        return;
    bool saved = false;
    {
        ApplyScope scope(m_bApplying, GetDlgItem(IDC_SHEDULER_TASK));
        m_bChangedWhileApplying = false;
        EnableControl(IDC_SHEDULER_APPLY, FALSE);
        saved = SaveSelectedTask();
        RestartTasks();
        m_info.UpdateInfo();
    }
    if (!saved)
        AfxShowMessageBox(m_hWnd, GetText("saveError"), "Error", MB_ICONERROR | MB_OK);
    if (!saved || m_bChangedWhileApplying)
        EnableControl(IDC_SHEDULER_APPLY, TRUE);
}

void CShedulerDialog::EnableApply()
{
    if (m_bApplying)
        m_bChangedWhileApplying = true;
    else
        EnableControl(IDC_SHEDULER_APPLY, TRUE);
}

void CShedulerDialog::OnChanged()
{
    EnableApply();
}

void CShedulerDialog::OnTimeChanged(NMHDR*, LRESULT* pResult)
{
    EnableApply();
    *pResult = 0;
}

void CShedulerDialog::OnTaskChanged()
{
    // While Apply waits the shown task stays.
    if (m_bApplying)
    {
        GetDlgItem(IDC_SHEDULER_TASK)->SendMessage(CB_SETCURSEL, m_nShownTask);
        return;
    }
    // Edits not applied to the task shown so far are dropped.
    ShowSelectedTask();
    EnableApply();
}

void CShedulerDialog::OnFrequencyChanged()
{
    ApplyFrequencyLayout();
    EnableApply();
}

void CShedulerDialog::OnDayOfMonthChanged()
{
    const CString text = GetControlText(IDC_SHEDULER_DAY);
    const long day = ParseDay(text);
    // Anything but a day of one or two digits becomes the last day (a
    // pasted "-5" too). Selected, so that typing replaces it.
    if (day < 1 || day > kLastDayOfMonth || text.GetLength() > 2)
    {
        SetControlText(IDC_SHEDULER_DAY, "31");
        GetDlgItem(IDC_SHEDULER_DAY)->SendMessage(EM_SETSEL, 0, -1);
    }
    EnableApply();
}

void CShedulerDialog::OnSelectFolders()
{
    EnableApply();
    // What the user chooses there reaches "scheduled_scan.xml" with the
    // next Apply.
    CFullScanDialog folders(nullptr);
    folders.DoModal();
}
