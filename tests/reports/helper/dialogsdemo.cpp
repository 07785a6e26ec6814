// Shows one of the diagnostics' dialogs with the English texts, so that a
// person can look at it (scripts/screenshot):
//
//   cw_report_dialogs_demo exception|send|sending|failed [seconds]
//
// "exception" is the crash report, "send" the help-request form as it opens,
// "sending" the form filled in and sending (the send never finishes while
// the demo runs), "failed" the form after a send that failed. Ends by itself
// after the seconds given (default 30).

#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "platform/mfc/afxwin.h"
#include "reports/exceptiondialog.h"
#include "reports/senddlg.h"
#include "resources/reports/reportids.h"

#include <stdlib.h>
#include <string.h>

namespace {

const UINT_PTR kEndTimer = 0x5EC;

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

// The form filled in, its Send pressed once it shows; the send never ends,
// or fails at once.
class CSendingDemo : public CSendDlg
{
public:
    explicit CSendingDemo(bool fail)
        : CSendDlg(nullptr, [fail](const std::string&, const std::string&, const std::string&) {
              if (!fail)
                  Sleep(INFINITE);
              return false;
          })
    {
    }

    BOOL OnInitDialog() override
    {
        CSendDlg::OnInitDialog();
        SetDlgItemText(IDC_SEND_REPORT_EMAIL, "jane.doe@example.org");
        SetDlgItemText(IDC_SEND_REPORT_SUBJECT, "The scan stops at 50%");
        SetDlgItemText(IDC_SEND_REPORT_DESCRIPTION, "A full scan stops at the same folder every time.");
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SEND_REPORT_SEND, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(IDC_SEND_REPORT_SEND)->m_hWnd));
        return TRUE;
    }
};

class CDemoApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);

        char mode[32] = "exception";
        int seconds = 30;
        if (m_lpCmdLine && *m_lpCmdLine)
        {
            lstrcpynA(mode, m_lpCmdLine, sizeof(mode));
            if (char* space = strchr(mode, ' '))
            {
                *space = '\0';
                seconds = atoi(space + 1);
            }
        }
        if (seconds <= 0)
            seconds = 30;

        CMapStringToString macros;
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        macros.SetAt("{VER}", "2.1.153");
        const CString temp = CreateTempFileName("cwd");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, temp, GetModuleFolder() + "Lang");
        CLocalizer::Instance()->SetLocale("English");

        ::SetTimer(nullptr, kEndTimer, static_cast<UINT>(seconds) * 1000, &EndDemo);
        if (strcmp(mode, "send") == 0)
        {
            CSendDlg dialog;
            dialog.DoModal();
        }
        else if (strcmp(mode, "sending") == 0 || strcmp(mode, "failed") == 0)
        {
            CSendingDemo dialog(strcmp(mode, "failed") == 0);
            dialog.DoModal();
        }
        else
        {
            CExceptionDialog dialog;
            dialog.SetExceptionText("Access violation at 0x0040102A");
            dialog.DoModal();
        }
        CLocalizer::DeleteInstance();
        DeleteFileA(GetTempFolder() + temp);
        // The sending demo's thread still waits: the end of the process ends it.
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
