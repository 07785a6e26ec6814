#include "pages/fullscandialog.h"

#include "foundation/scheduledscansettings.h"
#include "foundation/syshelpers.h"
#include "resources/pages/scanids.h"

IMPLEMENT_DYNAMIC(CFullScanDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CFullScanDialog, CToolTipDialog)
    ON_BN_CLICKED(IDC_FULLSCAN_OK, OnOkClicked)
    ON_BN_CLICKED(IDC_FULLSCAN_CANCEL, OnCancelClicked)
END_MESSAGE_MAP()

namespace {
// Where the folder pane stands in the dialog.
const int kPaneLeft = 15;
const int kPaneTop = 40;
}

CFullScanDialog::CFullScanDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_FULL_SCAN), CLocalizedTextSource("FullScanDialog"), CDialogControlHelper(this),
      m_folders(this)
{
    CStringArray folders;
    GetDriveList(CScheduledScanSettings::Instance()->GetPaths().c_str(), folders);
    m_folders.SetFolders(folders);
}

BOOL CFullScanDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    LoadTexts();
    CRect client;
    GetClientRect(&client);
    m_folders.CreatePage(kPaneLeft, kPaneTop, client.Width() - kPaneLeft, client.Height());
    m_folders.ShowWindow(SW_SHOW);
    return TRUE;
}

void CFullScanDialog::LoadTexts()
{
    SetWindowText(GetText("title"));
    SetControlText(IDC_FULLSCAN_CANCEL, GetText("cancel"));
    SetControlText(IDC_FULLSCAN_OK, GetText("ok"));
    SetControlText(IDC_FULLSCAN_MESSAGE, GetText("mes"));
}

void CFullScanDialog::OnOkClicked()
{
    m_folders.GetCheckedFolders(m_chosen);
    CScheduledScanSettings::Instance()->SetPaths(static_cast<LPCSTR>(JoinCommaList(m_chosen)));
    EndDialog(IDOK);
}

void CFullScanDialog::OnOK()
{
    OnOkClicked();
}

void CFullScanDialog::OnCancelClicked()
{
    EndDialog(IDCANCEL);
}
