#include "app/programdialogs.h"

#include "pages/scandialog.h"
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
    for (int i = 1; i < IMainDialogHost::PageCount; ++i)
        pages[i] = new CPageStandIn(kMainPageSections[i], parent);
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
