#include "app/programdialogs.h"

#include "pages/scandialog.h"
#include "pages/settingsdialog.h"
#include "pages/shedulerdialog.h"
#include "platform/mfc/afxwin.h"
#include "ui/aboutstandin.h"
#include "ui/maindialog.h"
#include "ui/pagestandin.h"
#include "ui/sectiontexts.h"

const char* const kMainPageSections[IMainDialogHost::PageCount] = {"ScanDialog", "SettingsDialog",
                                                                   "ShedulerDialog", "HelpDialog", "NewsDialog"};

void MakeMainPages(CWnd* parent, CToolTipDialog* pages[IMainDialogHost::PageCount])
{
    pages[0] = new CScanDialog(parent);
    pages[1] = new CSettingsDialog(parent);
    pages[2] = new CShedulerDialog(parent);
    pages[3] = new CPageStandIn(kMainPageSections[3], parent);
    pages[4] = new CPageStandIn(kMainPageSections[4], parent);
}

void RunAboutDialog(CWnd* owner)
{
    CAboutStandIn about(owner);
    about.DoModal();
}

void RunProgramUpdateDialog(CWnd* owner)
{
    CSectionTexts texts("LiveUpdateSoftDialog");
    AfxShowMessageBox(owner ? owner->GetSafeHwnd() : nullptr, texts.GetText("newVer"),
                      CMainDialog::kProgramTitle, MB_ICONINFORMATION | MB_OK);
}
