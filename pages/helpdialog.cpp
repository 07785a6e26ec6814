#include "pages/helpdialog.h"

#include "foundation/syshelpers.h"
#include "pages/linkcursor.h"
#include "pages/liveupdate.h"
#include "pages/siteaddresses.h"
#include "reports/systeminfo.h"
#include "resources/pages/helpids.h"

IMPLEMENT_DYNAMIC(CHelpDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CHelpDialog, CToolTipDialogEx)
    ON_STN_CLICKED(IDC_HELP_FORUM_LINK, OnForumLink)
    ON_STN_CLICKED(IDC_HELP_APP_UPDATE_LINK, OnAppUpdateLink)
    ON_STN_CLICKED(IDC_HELP_FILE_LINK, OnHelpLink)
    ON_STN_CLICKED(IDC_HELP_LIVE_UPDATE_LINK, OnLiveUpdateLink)
END_MESSAGE_MAP()

const char CHelpDialog::kUpdaterName[] = "liveupdate.exe";
const char CHelpDialog::kHelpFileName[] = "telmincleanwarden.chm";

namespace {

const UINT kLinks[] = {IDC_HELP_FORUM_LINK, IDC_HELP_APP_UPDATE_LINK, IDC_HELP_FILE_LINK,
                       IDC_HELP_LIVE_UPDATE_LINK};

} // namespace

CHelpDialog::CHelpDialog(CWnd* pParent)
    : CToolTipDialogEx("HelpDialog", pParent, IDD_HELP_PAGE), CDialogControlHelper(this), m_list(this),
      m_hArrow(nullptr)
{
}

BOOL CHelpDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_HELP_PAGE, m_pParentWnd);
}

BOOL CHelpDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    SetControlSkin(IDC_HELP_BACKGROUND, "BackGround", "Dialog");
    m_list.CreateChild(CRect(280, 50, m_rcPage.Width() - 20, m_rcPage.Height() - 40));
    SetWindowPos(nullptr, m_rcPage.left, m_rcPage.top, m_rcPage.Width(), m_rcPage.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame holds the heading and the list whatever the page's size,
    // and lies behind them.
    if (CWnd* frame = GetDlgItem(IDC_HELP_FRAME))
        ::SetWindowPos(frame->GetSafeHwnd(), HWND_BOTTOM, 260, 10, m_rcPage.Width() - 270, m_rcPage.Height() - 20,
                       SWP_NOACTIVATE);

    LoadTexts();
    SetControlSkin(IDC_HELP_FRAME, "DialogFrame", "Dialog");
    SetControlSkin(IDC_HELP_SYSINFO_TITLE, "TitleStatic", "Dialog");
    SetControlSkin(IDC_HELP_FORUM_ICON, "ForumIcon", "Dialog");
    SetControlSkin(IDC_HELP_APP_UPDATE_ICON, "AppUpdateIcon", "Dialog");
    SetControlSkin(IDC_HELP_FILE_ICON, "HelpIcon", "Dialog");
    SetControlSkin(IDC_HELP_LIVE_UPDATE_ICON, "LiveUpdate", "Dialog");
    for (UINT link : kLinks)
        SetControlSkin(link, "LinkStatic", "Dialog");
    UpdateLayout();

    for (const char* key : CSystemInfo::kKeys)
        m_list.AddSection(CSystemInfo::Collect(key));
    m_hArrow = ::LoadCursorA(nullptr, IDC_ARROW);
    return TRUE;
}

void CHelpDialog::LoadTexts()
{
    SetControlText(IDC_HELP_SYSINFO_TITLE, GetText("sysInfo"));
    SetControlText(IDC_HELP_FORUM_LINK, GetText("customerSupportForumLnk"));
    SetControlText(IDC_HELP_APP_UPDATE_LINK, GetText("appUpdateLnk"));
    SetControlText(IDC_HELP_FILE_LINK, GetText("appHelpLnk"));
    SetControlText(IDC_HELP_LIVE_UPDATE_LINK, GetText("appLiveUpdateLnk"));
}

void CHelpDialog::UpdateLayout()
{
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER;
    SetControlPos(IDC_HELP_FORUM_ICON, nullptr, 0, 0, 21, 23, flags);
    SetControlPos(IDC_HELP_APP_UPDATE_ICON, nullptr, 0, 0, 21, 23, flags);
    SetControlPos(IDC_HELP_FILE_ICON, nullptr, 0, 0, 21, 23, flags);
    SetControlPos(IDC_HELP_LIVE_UPDATE_ICON, nullptr, 0, 0, 24, 24, flags);
    if (m_list.m_hWnd)
        m_list.SetWindowPos(nullptr, 270, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

BOOL CHelpDialog::PreTranslateMessage(MSG* pMsg)
{
    SetLinkCursor(*this, *pMsg, kLinks, m_hArrow);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CHelpDialog::OnForumLink()
{
    ShellOpen(m_hWnd, GetSupportForumAddress());
}

void CHelpDialog::OnAppUpdateLink()
{
    ShellOpen(m_hWnd, GetModuleFolder() + kUpdaterName);
}

void CHelpDialog::OnHelpLink()
{
    // The help file is installed beside the program, not built into it.
    if (reinterpret_cast<INT_PTR>(ShellOpen(m_hWnd, GetModuleFolder() + kHelpFileName)) <= 32)
        MessageBox(GetText("noHelpFile"), GetText("title"), MB_OK | MB_ICONINFORMATION);
}

void CHelpDialog::OnLiveUpdateLink()
{
    CLiveUpdate update;
    update.DoModal();
}
