// Shows the help, news or About page or an update dialog with the English
// texts, so that a person can look at it (scripts/screenshot):
//
//   cw_help_pages_demo help|news|news-off|about|update|program [seconds]
//
// "help" and "news" show the page in a window of the main window's size
// (news switched on, or off with "news-off");
// "update" and "program" press the dialog's button once it shows. The
// addresses come from the environment as in the program
// (CLEANWARDEN_UPDATE_URL, CLEANWARDEN_WEB_SITE...), the database from the
// data folder (CLEANWARDEN_DATA_FOLDER). Ends by itself after the seconds
// given (default 30).

#include <stdlib.h>
#include <string.h>

#include "app/appconstants.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "foundation/appsettings.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "pages/aboutdialog.h"
#include "pages/helpdialog.h"
#include "pages/liveupdate.h"
#include "pages/liveupdatesoft.h"
#include "pages/newsdialog.h"
#include "platform/mfc/afxwin.h"
#include "resources/pages/helpids.h"
#include "tests/pages/test_page_host.h"

namespace {

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

// An update dialog whose button is pressed once it shows.
template <class Dialog>
class CPressed : public Dialog
{
public:
    BOOL OnInitDialog() override
    {
        Dialog::OnInitDialog();
        this->PostMessage(WM_COMMAND, MAKEWPARAM(IDC_LIVE_UPDATE_BUTTON, BN_CLICKED),
                          reinterpret_cast<LPARAM>(this->GetDlgItem(IDC_LIVE_UPDATE_BUTTON)->m_hWnd));
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
        CoInitialize(nullptr);
        DWORD proxies = 0;
        RegisterEngineProxyStubs(&proxies);

        char mode[32] = "help";
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
        macros.SetAt("{APPNAME}", CW_PRODUCT_NAME);
        macros.SetAt("{VER}", CW_PRODUCT_VERSION);
        macros.SetAt("{COMPANY_NAME}", "Telmin Software");
        const CString temp = CreateTempFileName("cwd");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, temp, GetModuleFolder() + "Lang");
        CLocalizer::Instance()->SetLocale("English");

        CTestPageHost host;
        EngineCreateInstance(CLSID_Scanner, &host.scanner);
        if (host.scanner)
            host.scanner->Initialize(CComBSTR(GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME),
                                     CComBSTR(CW_DEFINITIONS_KEY_TEXT));

        ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &EndDemo);
        if (strcmp(mode, "about") == 0)
        {
            CAboutDialog about;
            about.DoModal();
        }
        else if (strcmp(mode, "update") == 0)
        {
            CPressed<CLiveUpdate> update;
            update.DoModal();
        }
        else if (strcmp(mode, "program") == 0)
        {
            CPressed<CLiveUpdateSoft> update;
            update.DoModal();
        }
        else
        {
            // A window of the main window's size with the page in it.
            CAppSettings::Instance()->SetDownloadNews(strcmp(mode, "news") == 0);
            CWnd frame;
            frame.CreateEx(0, nullptr, CW_PRODUCT_NAME, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 120,
                           100, 670, 470, nullptr, nullptr);
            CToolTipDialog* page = strncmp(mode, "news", 4) == 0
                                       ? static_cast<CToolTipDialog*>(new CNewsDialog(&frame))
                                       : new CHelpDialog(&frame);
            CRect client;
            frame.GetClientRect(client);
            page->CreatePage(4, 40, client.right - 4, client.bottom - 4);
            page->ShowWindow(SW_SHOW);
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0))
            {
                if (!AfxPreTranslateMessage(&msg))
                {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
            page->DestroyWindow();
            delete page;
            frame.DestroyWindow();
        }
        host.scanner.Release();
        CLocalizer::DeleteInstance();
        DeleteFileA(GetTempFolder() + temp);
        RevokeEngineProxyStubs(proxies);
        CoUninitialize();
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
