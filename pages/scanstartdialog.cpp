#include "pages/scanstartdialog.h"

#include "app/appmessages.h"
#include "foundation/scannersettings.h"
#include "foundation/syshelpers.h"
#include "pages/pagelayout.h"
#include "resources/pages/scanids.h"

IMPLEMENT_DYNAMIC(CScanStartDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CScanStartDialog, CToolTipDialogEx)
    ON_MESSAGE(WM_SHOW_QUARANTINE, OnShowQuarantine)
    ON_MESSAGE(WM_SHOW_IGNORE_LIST, OnShowIgnoreList)
    ON_MESSAGE(WM_SHOW_SCAN_LOGS, OnShowScanLogs)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_START_BUTTON, OnStartClicked)
    ON_STN_CLICKED(IDC_USE_PATHS_LABEL, OnUsePathsLabel)
    ON_MESSAGE(WM_START_SCAN, OnStartScan)
    ON_MESSAGE(WM_REFRESH_STATISTICS, OnRefreshStatistics)
END_MESSAGE_MAP()

namespace {
const int kPaneGap = 10;
}

CScanStartDialog::CScanStartDialog(CWnd* pParent)
    : CToolTipDialogEx("ScanStartDialog", pParent, IDD_SCAN_START), CDialogControlHelper(this), m_hCursor(nullptr),
      m_menu(this), m_totals(this), m_folders(this), m_nRequestKind(0), m_nRequestFlag(0)
{
    CStringArray folders;
    GetDriveList(CScannerSettings::Instance()->GetIncludePaths().c_str(), folders);
    m_folders.SetFolders(folders);
}

BOOL CScanStartDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCAN_START, m_pParentWnd);
}

void CScanStartDialog::UpdateLayout()
{
    PlacePageAt(*this, m_rcPage);
    PlaceGroupFrame(*this);
}

BOOL CScanStartDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    SetControlSkin(IDC_GROUP_FRAME, "DialogFrame", "Dialog");
    SetControlSkin(IDC_START_HEADER, "BoldStatic", "Dialog");
    UpdateLayout();

    m_totals.CreatePage(m_rcPage.left, m_rcPage.top, 0, 0);
    m_totals.ShowWindow(SW_SHOW);
    CRect totals;
    m_totals.GetWindowRect(&totals);
    ScreenToClient(&totals);
    m_menu.CreatePage(m_rcPage.left, totals.bottom + kPaneGap, 0, 0);
    m_menu.ShowWindow(SW_SHOW);
    CRect check(0, 0, 0, 0);
    if (CWnd* box = GetDlgItem(IDC_USE_PATHS))
    {
        box->GetWindowRect(&check);
        ScreenToClient(&check);
    }
    m_folders.CreatePage(check.left, check.bottom + kPaneGap, 0, 0);
    m_folders.ShowWindow(SW_SHOW);

    LoadTexts();
    m_hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    m_nRequestKind = 0;
    m_nRequestFlag = 0;
    return TRUE;
}

void CScanStartDialog::LoadTexts()
{
    SetControlText(IDC_START_HEADER, GetText("quickScan.header"));
    SetControlText(IDC_START_HINT, GetText("quickScan.hint"));
    SetControlText(IDC_START_BUTTON, GetText("quickScan.button"));
    SetControlText(IDC_USE_PATHS_LABEL, GetText("usePathsLbl"));
    m_menu.LoadTexts();
    m_totals.LoadTexts();
}

BOOL CScanStartDialog::PreTranslateMessage(MSG* pMsg)
{
    // The arrow over the page itself and its own controls; the panes set
    // their own cursors (the links' hand).
    if (pMsg->message == WM_MOUSEMOVE && (pMsg->hwnd == m_hWnd || ::GetParent(pMsg->hwnd) == m_hWnd) &&
        !m_menu.IsChild(CWnd::FromHandle(pMsg->hwnd)) && pMsg->hwnd != m_menu.m_hWnd)
        ::SetCursor(m_hCursor);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CScanStartDialog::PostScanPage(WPARAM id, LPARAM flag)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_SHOW_SCAN_PAGE, id, flag);
}

void CScanStartDialog::OnStart()
{
    if (m_nRequestFlag)
    {
        if (m_nRequestKind)
            PostScanPage(1017, m_nRequestKind);
        else
            PostScanPage(1004, 0);
    }
    else if (!IsChecked(IDC_USE_PATHS))
    {
        PostScanPage(1004, 0);
    }
    else
    {
        CStringArray folders;
        m_folders.GetCheckedFolders(folders);
        CScannerSettings* settings = CScannerSettings::Instance();
        settings->SetIncludePaths(static_cast<LPCSTR>(JoinCommaList(folders)));
        settings->Save(static_cast<LPCSTR>(GetProductDataFolder() + "scanner_settings.xml"));
        PostScanPage(1017, 0);
    }
    m_nRequestKind = 0;
    m_nRequestFlag = 0;
}

void CScanStartDialog::ForwardToContainer(UINT message)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(message, 0, 0);
}

LRESULT CScanStartDialog::OnShowQuarantine(WPARAM, LPARAM)
{
    ForwardToContainer(WM_SHOW_QUARANTINE);
    return 0;
}

LRESULT CScanStartDialog::OnShowIgnoreList(WPARAM, LPARAM)
{
    ForwardToContainer(WM_SHOW_IGNORE_LIST);
    return 0;
}

LRESULT CScanStartDialog::OnShowScanLogs(WPARAM, LPARAM)
{
    ForwardToContainer(WM_SHOW_SCAN_LOGS);
    return 0;
}

void CScanStartDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CToolTipDialogEx::OnShowWindow(bShow, nStatus);
    if (bShow && m_totals.m_hWnd)
        m_totals.FillTotals();
}

void CScanStartDialog::OnStartClicked()
{
    OnStart();
}

void CScanStartDialog::OnUsePathsLabel()
{
    SetCheck(IDC_USE_PATHS, !IsChecked(IDC_USE_PATHS));
}

LRESULT CScanStartDialog::OnStartScan(WPARAM wParam, LPARAM lParam)
{
    m_nRequestKind = wParam;
    m_nRequestFlag = lParam;
    OnStart();
    return 0;
}

LRESULT CScanStartDialog::OnRefreshStatistics(WPARAM, LPARAM)
{
    if (m_totals.m_hWnd)
        m_totals.FillTotals();
    return 0;
}
