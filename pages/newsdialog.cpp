#include "pages/newsdialog.h"

#include <string>

#include "foundation/appsettings.h"
#include "foundation/syshelpers.h"
#include "pages/pagekeys.h"
#include "pages/siteaddresses.h"
#include "platform/html/httprequestthread.h"
#include "resources/pages/helpids.h"

IMPLEMENT_DYNAMIC(CNewsDialog, CToolTipDialogEx)

// wParam the question's number, lParam whether the site answered 200.
#define WM_NEWS_SITE_CHECKED (WM_APP + 0x189)

BEGIN_MESSAGE_MAP(CNewsDialog, CToolTipDialogEx)
    ON_WM_SHOWWINDOW()
    ON_WM_SIZE()
    ON_MESSAGE(WM_NEWS_SITE_CHECKED, OnSiteChecked)
END_MESSAGE_MAP()

const char CNewsDialog::kLocalFileName[] = "news.html";

namespace {

// What the worker needs, its own: the page may be gone when it answers.
struct SiteCheck
{
    HWND page;
    UINT number;
    std::string address;
};

} // namespace

CNewsDialog::CNewsDialog(CWnd* pParent)
    : CToolTipDialogEx("NewsDialog", pParent, IDD_NEWS_PAGE), m_view(IDD_NEWS_VIEW, IDR_NEWS_HTML, this),
      m_hCursor(::LoadCursorA(nullptr, IDC_ARROW)), m_bLastResult(FALSE), m_nCheck(0), m_bChecking(false)
{
}

CNewsDialog::~CNewsDialog()
{
}

BOOL CNewsDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    if (!Create(IDD_NEWS_PAGE, m_pParentWnd))
        return FALSE;
    m_view.SetLocalFile(GetModuleFolder() + kLocalFileName);
    SetWindowPos(nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CNewsDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    m_view.CreateModeless();
    LoadTexts();
    return TRUE;
}

void CNewsDialog::LoadTexts()
{
    const CString notice = GetText("newsOff");
    if (!notice.IsEmpty())
        SetDlgItemText(IDC_NEWS_NOTICE, notice);
}

void CNewsDialog::OnSize(UINT nType, int cx, int cy)
{
    CToolTipDialogEx::OnSize(nType, cx, cy);
    // The news fill the page.
    if (m_view.m_hWnd)
        m_view.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CNewsDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEMOVE)
        ::SetCursor(m_hCursor);
    IgnoreEnterAndEscape(pMsg);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CNewsDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CToolTipDialogEx::OnShowWindow(bShow, nStatus);
    CWnd* notice = GetDlgItem(IDC_NEWS_NOTICE);
    if (!CAppSettings::Instance()->GetDownloadNews())
    {
        if (notice)
            notice->ShowWindow(SW_SHOW);
        // Nor an earlier page left over the notice.
        if (m_view.m_hWnd)
            m_view.ShowWindow(SW_HIDE);
        return;
    }
    if (notice)
        notice->ShowWindow(SW_HIDE);
    if (m_view.m_hWnd)
        m_view.ShowWindow(bShow ? SW_SHOW : SW_HIDE);
    if (bShow == 1)
        CheckSite();
}

void CNewsDialog::CheckSite()
{
    SiteCheck* check = new SiteCheck{m_hWnd, ++m_nCheck, static_cast<LPCSTR>(GetNewsAddress())};
    m_bChecking = true;
    HANDLE thread = ::CreateThread(nullptr, 0, &CNewsDialog::CheckThread, check, 0, nullptr);
    if (thread)
        ::CloseHandle(thread);
    else
    {
        delete check;
        OnSiteChecked(m_nCheck, FALSE);
    }
}

DWORD WINAPI CNewsDialog::CheckThread(LPVOID param)
{
    SiteCheck* check = static_cast<SiteCheck*>(param);
    HttpRequestThread request;
    const bool answered = request.Run(check->address, CHtmlDialogBase::kAddressCheckMs);
    ::PostMessageA(check->page, WM_NEWS_SITE_CHECKED, check->number, answered ? TRUE : FALSE);
    delete check;
    return 0;
}

LRESULT CNewsDialog::OnSiteChecked(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nCheck || !m_view.m_hWnd)
        return 0;
    m_bChecking = false;
    if (lParam)
        m_view.CDHtmlDialog::Navigate(GetNewsAddress());
    else
        // No address: the local copy, else the built-in page.
        m_view.Navigate(nullptr);
    m_bLastResult = lParam ? TRUE : FALSE;
    return 0;
}
