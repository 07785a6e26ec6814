// Shows the remove summary with the English texts, so that a person can
// look at it (scripts/screenshot):
//
//   cw_summary_demo [found removed [seconds]]     (default 5 3 30)
//
// Ends by itself after the seconds given.

#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "pages/removesummarydialog.h"

#include <stdio.h>

namespace {

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

class CDemoApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        int found = 5, removed = 3, seconds = 30;
        if (m_lpCmdLine)
            sscanf(m_lpCmdLine, "%d %d %d", &found, &removed, &seconds);
        CMapStringToString macros;
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        const CString temp = CreateTempFileName("cwd");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, temp, GetModuleFolder() + "Lang");
        CLocalizer::Instance()->SetLocale("English");
        ::SetTimer(nullptr, 0, static_cast<UINT>(seconds > 0 ? seconds : 30) * 1000, &EndDemo);

        CRemoveSummaryDialog summary(nullptr);
        summary.SetFoundCount(found);
        summary.SetRemovedCount(removed);
        summary.DoModal();

        CLocalizer::DeleteInstance();
        DeleteFileA(GetTempFolder() + temp);
        return FALSE;
    }
};

CDemoApp theApp;

}  // namespace
