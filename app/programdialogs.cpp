#include "app/programdialogs.h"

#include "pages/aboutdialog.h"
#include "pages/helpdialog.h"
#include "pages/liveupdatesoft.h"
#include "pages/newsdialog.h"
#include "pages/scandialog.h"
#include "pages/settingsdialog.h"
#include "pages/shedulerdialog.h"
#include "platform/mfc/afxwin.h"

const char* const kMainPageSections[IMainDialogHost::PageCount] = {"ScanDialog", "SettingsDialog",
                                                                   "ShedulerDialog", "HelpDialog", "NewsDialog"};

void MakeMainPages(CWnd* parent, CToolTipDialog* pages[IMainDialogHost::PageCount])
{
    pages[0] = new CScanDialog(parent);
    pages[1] = new CSettingsDialog(parent);
    pages[2] = new CShedulerDialog(parent);
    pages[3] = new CHelpDialog(parent);
    pages[4] = new CNewsDialog(parent);
}

void RunAboutDialog(CWnd* owner)
{
    CAboutDialog about(owner);
    about.DoModal();
}

void RunProgramUpdateDialog(CWnd* owner)
{
    CLiveUpdateSoft update(owner);
    update.DoModal();
}
