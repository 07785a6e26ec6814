#include "ui/aboutstandin.h"

#include "ui/programresources.h"

IMPLEMENT_DYNAMIC(CAboutStandIn, CDialog)

BEGIN_MESSAGE_MAP(CAboutStandIn, CDialog)
    ON_BN_CLICKED(IDC_ABOUT_CLOSE, OnCloseButton)
END_MESSAGE_MAP()

const char CAboutStandIn::kBuild[] = "152";

CAboutStandIn::CAboutStandIn(CWnd* pParent)
    : CDialog(IDD_ABOUTBOX, pParent), CLocalizedTextSource("AboutDialog"), CDialogControlHelper(this)
{
}

BOOL CAboutStandIn::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return FALSE;
    LoadTexts();
    SetControlSkin(IDC_ABOUT_LOGO, "SmallLogoIcon", "Dialog");
    return TRUE;
}

void CAboutStandIn::LoadTexts()
{
    SetWindowText(GetText("title"));
    SetControlText(IDC_ABOUT_CLOSE, GetText("btClose"));
    SetControlText(IDC_ABOUT_COPYRIGHT, GetText("copyRight"));
    SetControlText(IDC_ABOUT_COMPANY, GetText("companyName"));
    CString version = GetText("coreInfoLbl");
    version.Replace("{BUILD}", kBuild);
    SetControlText(IDC_ABOUT_VERSION, version);
}

void CAboutStandIn::OnCloseButton()
{
    OnOK();
}
