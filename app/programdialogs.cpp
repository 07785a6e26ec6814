#include "app/programdialogs.h"

#include "platform/mfc/afxwin.h"
#include "ui/aboutstandin.h"
#include "ui/localizedtextsource.h"
#include "ui/maindialog.h"
#include "ui/pagestandin.h"

const char* const kMainPageSections[IMainDialogHost::PageCount] = {"ScanDialog", "SettingsDialog",
                                                                   "ShedulerDialog", "HelpDialog", "NewsDialog"};

namespace {

class CSectionTexts : public CLocalizedTextSource
{
public:
    explicit CSectionTexts(const char* section) : CLocalizedTextSource(section) {}
    void LoadTexts() override {}
};

} // namespace

void MakeMainPages(CWnd* parent, CToolTipDialog* pages[IMainDialogHost::PageCount])
{
    for (int i = 0; i < IMainDialogHost::PageCount; ++i)
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

void RunExceptionDialog(const CString& /*engineText*/, const CString& exceptionText)
{
    CSectionTexts texts("ExceptionDialog");
    AfxShowMessageBox(nullptr, texts.GetText("topText") + "\n\n" + exceptionText, texts.GetText("title"),
                      MB_ICONERROR | MB_OK);
}
