#include "pages/aboutdialog.h"

#include "app/appconstants.h"
#include "foundation/syshelpers.h"
#include "pages/linkcursor.h"
#include "pages/siteaddresses.h"
#include "resources/pages/helpids.h"

IMPLEMENT_DYNAMIC(CAboutDialog, CDialog)

BEGIN_MESSAGE_MAP(CAboutDialog, CDialog)
    ON_BN_CLICKED(IDC_ABOUT_CLOSE, OnClose)
    ON_STN_CLICKED(IDC_ABOUT_PRODUCT_LINK, OnProductLink)
    ON_STN_CLICKED(IDC_ABOUT_COMPANY_LINK, OnCompanyLink)
END_MESSAGE_MAP()

namespace {

const UINT kLinks[] = {IDC_ABOUT_PRODUCT_LINK, IDC_ABOUT_COMPANY_LINK};

} // namespace

CAboutDialog::CAboutDialog(CWnd* pParent)
    : CDialog(IDD_ABOUTBOX, pParent), CLocalizedTextSource("AboutDialog"), CDialogControlHelper(this),
      m_hArrow(nullptr)
{
}

CAboutDialog::~CAboutDialog()
{
}

BOOL CAboutDialog::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    m_hArrow = ::LoadCursorA(nullptr, IDC_ARROW);
    LoadTexts();
    SetControlSkin(IDC_ABOUT_LOGO, "SmallLogoIcon", "Dialog");
    for (UINT link : kLinks)
        SetControlSkin(link, "LinkStaticRegular", "Dialog");
    UpdateLayout();
    return TRUE;
}

void CAboutDialog::LoadTexts()
{
    SetWindowText(GetText("title"));
    SetControlText(IDC_ABOUT_CLOSE, GetText("btClose"));
    SetControlText(IDC_ABOUT_PRODUCT_LINK, GetProductAddress());
    SetControlText(IDC_ABOUT_COPYRIGHT, GetText("copyRight"));
    SetControlText(IDC_ABOUT_COMPANY_LINK, GetText("companyName"));
    // The running program's own build.
    CString version = GetText("coreInfoLbl");
    version.Replace("{BUILD}", CW_PRODUCT_BUILD);
    SetControlText(IDC_ABOUT_VERSION, version);
}

void CAboutDialog::UpdateLayout()
{
    SetControlPos(IDC_ABOUT_LOGO, nullptr, 0, 0, 115, 42, SWP_NOMOVE | SWP_NOZORDER);
}

BOOL CAboutDialog::PreTranslateMessage(MSG* pMsg)
{
    SetLinkCursor(*this, *pMsg, kLinks, m_hArrow);
    return CDialog::PreTranslateMessage(pMsg);
}

void CAboutDialog::OnClose()
{
    OnOK();
}

void CAboutDialog::OnProductLink()
{
    ShellOpen(m_hWnd, GetProductAddress());
}

void CAboutDialog::OnCompanyLink()
{
    ShellOpen(m_hWnd, GetCompanyAddress());
}
