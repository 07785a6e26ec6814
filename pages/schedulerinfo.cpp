#include "pages/schedulerinfo.h"

#include "foundation/debuglog.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"
#include "resources/pages/settingsids.h"
#include "skin/skinlibrary.h"

IMPLEMENT_DYNAMIC(CSchedulerInfo, CToolTipDialogEx)

namespace {

// The weekday names of the weekly schedule, Sunday first.
const char* const kWeekdayKeys[7] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};

const struct
{
    UINT id;
    const char* skin;
} kSkins[] = {
    {IDC_INFO_UPDATE_FRAME, "BackGround"},      {IDC_INFO_SCAN_FRAME, "BackGround"},
    {IDC_INFO_SOFT_FRAME, "BackGround"},        {IDC_INFO_UPDATE_LABEL, "StaticBackground"},
    {IDC_INFO_UPDATE_STATE, "StaticBackground"}, {IDC_INFO_SCAN_LABEL, "StaticBackground"},
    {IDC_INFO_SCAN_STATE, "StaticBackground"},   {IDC_INFO_SOFT_LABEL, "StaticBackground"},
    {IDC_INFO_SOFT_STATE, "StaticBackground"},
};

} // namespace

CSchedulerInfo::CSchedulerInfo(CWnd* pParent)
    : CToolTipDialogEx("SchedulerInfo", pParent, IDD_SCHEDULER_INFO), CDialogControlHelper(this)
{
}

CSchedulerInfo::~CSchedulerInfo() = default;

BOOL CSchedulerInfo::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCHEDULER_INFO, m_pParentWnd);
}

BOOL CSchedulerInfo::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    LoadTexts();
    UpdateLayout();
    SkinControls();
    UpdateInfo();
    return TRUE;
}

void CSchedulerInfo::UpdateLayout()
{
    SetWindowPos(nullptr, Left, Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSchedulerInfo::SkinControls()
{
    ::RemoveWindowSkin(m_hWnd);
    // An unskinned panel still shows everything it should: the failure is
    // only noted.
    if (!::SetWindowSkin(m_hWnd, "FrameWindow"))
        DebugLog("Message: the schedule summary keeps the system look (skin error %d)\nFunction: %s",
                 GetSkinLibraryError(), "CSchedulerInfo::SkinControls");
    for (const auto& skin : kSkins)
        SetControlSkin(skin.id, skin.skin, "Dialog");
}

void CSchedulerInfo::LoadTexts()
{
    SetControlText(IDC_INFO_ACTIVE_LABEL, GetText("schedEnable"));
    SetControlText(IDC_INFO_UPDATE_LABEL, GetText("update"));
    SetControlText(IDC_INFO_SOFT_LABEL, GetText("updateSoft"));
}

template <class Settings>
void CSchedulerInfo::ShowSchedule(const Settings& settings, UINT stateId, UINT textId)
{
    SetControlText(stateId, GetText(settings.GetEnable() ? "enable" : "disable"));
    CString text;
    if (settings.GetEnable())
    {
        const CString time = settings.GetStartTime().c_str();
        switch (settings.GetScheduleType())
        {
        case 1:
            text = GetText("everyday") + " " + time;
            break;
        case 2:
        {
            // The chosen weekdays on a second line, each after a blank.
            text = GetText("daily") + " " + time + "\n";
            const std::string days = settings.GetDays();
            for (size_t i = 0; i < 7 && i < days.size(); ++i)
                if (days[i] >= '1' && days[i] <= '9')
                    text += " " + GetText(kWeekdayKeys[i]);
            break;
        }
        case 3:
            text.Format("%s %d %s %s", GetText("monthDay").GetString(), settings.GetDayOfMonth(),
                        GetText("day").GetString(), time.GetString());
            break;
        default:
            // No such schedule runs: no text rather than the last one's.
            break;
        }
    }
    SetControlText(textId, text);
}

void CSchedulerInfo::UpdateInfo()
{
    const CScheduledScanSettings* scan = CScheduledScanSettings::Instance();
    SetControlText(IDC_INFO_ACTIVE, GetText(scan->GetActive() ? "enable" : "disable"));
    ShowSchedule(*CScheduledUpdateSettings::Instance(), IDC_INFO_UPDATE_STATE, IDC_INFO_UPDATE_TEXT);
    SetControlText(IDC_INFO_SCAN_LABEL, GetText(scan->GetIncludePaths() ? "fullScan" : "quickScan"));
    ShowSchedule(*scan, IDC_INFO_SCAN_STATE, IDC_INFO_SCAN_TEXT);
    ShowSchedule(*CScheduledUpdateSoftSettings::Instance(), IDC_INFO_SOFT_STATE, IDC_INFO_SOFT_TEXT);
}
