// The program as far as its COM server goes, built from the application's
// COM server code with the program's resources (its type library at 1, the
// registry scripts). It starts as the program's start-up does:
//
//   cw_com_server /RegServer | /UnregServer   (any spelling the parser takes)
//       registers or unregisters; exit code 0, or 1 when it failed
//   cw_com_server -Embedding
//       the window-less server that COM starts; exit code 0
//   cw_com_server [/answers:<Y|N...>] [/log:<file>] [/ready:<event>]
//       the desktop program: creates and initialises its own application
//       object, then runs a main dialog titled "cw-comserver-<pid>" that
//       hides itself (as in the tray). ShutDown's question is answered from
//       the answers in turn (N once they are used up) and each question is
//       appended to the log file as "<owner>|<text>|<caption>|<type>", owner
//       "main" when the main dialog owns the message box. The event is set
//       once the dialog is hidden. Ends when the dialog ends; exit code 0.

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "app/applicationhost.h"
#include "app/cleanwardenmodule.h"
#include "app/closeprompt.h"

namespace {

const UINT WM_HIDE_TO_TRAY = WM_APP + 10;

std::string g_answers;
size_t g_nextAnswer = 0;
std::string g_logPath;
std::string g_readyEvent;
HWND g_mainDialog = nullptr;
bool g_wentToTray = false;

// Stands in for CEngineListener, which serves no interface of its own here.
class CStandInEngineListener : public CComObjectRootEx<CComSingleThreadModel>, public IEngineListener
{
public:
    BEGIN_COM_MAP(CStandInEngineListener)
        COM_INTERFACE_ENTRY(IEngineListener)
    END_COM_MAP()
};

int AnswerFromScript(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (FILE* log = fopen(g_logPath.c_str(), "ab"))
    {
        fprintf(log, "%s|%s|%s|%u\n", owner && owner == g_mainDialog ? "main" : "other", text, caption, type);
        fclose(log);
    }
    const char answer = g_nextAnswer < g_answers.size() ? g_answers[g_nextAnswer++] : 'N';
    return answer == 'Y' ? IDYES : IDNO;
}

class CDesktopHost : public IApplicationHost
{
public:
    int PromptClose() override
    {
        if (!AskToCloseProgram(g_mainDialog, &AnswerFromScript))
            return 0;
        EndDialog(g_mainDialog, 0);
        return 1;
    }
};

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
    {
        g_mainDialog = dialog;
        char title[64];
        _snprintf(title, sizeof(title), "cw-comserver-%lu", GetCurrentProcessId());
        SetWindowTextA(dialog, title);
        return TRUE;
    }
    case WM_SHOWWINDOW:
        // The dialog box shows itself once its queue first runs empty; the
        // program goes to the tray after that.
        if (wParam && !g_wentToTray)
        {
            g_wentToTray = true;
            PostMessageA(dialog, WM_HIDE_TO_TRAY, 0, 0);
        }
        return FALSE;
    case WM_HIDE_TO_TRAY:
        ShowWindow(dialog, SW_HIDE);
        if (!g_readyEvent.empty())
            if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, g_readyEvent.c_str()))
            {
                SetEvent(ready);
                CloseHandle(ready);
            }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunMainDialog()
{
    // An empty dialog: the template and no controls.
    struct
    {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialog = {};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialog.header.cx = 200;
    dialog.header.cy = 100;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr, &MainDialogProc, 0);
}

int RunDesktop()
{
    CComPtr<ICleanwardenApplication> application;
    if (FAILED(application.CoCreateInstance(CLSID_CleanwardenApplication, nullptr, CLSCTX_LOCAL_SERVER)))
        return 4;
    if (FAILED(application->Initialize()))
        return 5;
    CDesktopHost host;
    CCleanwardenApplication::SetHost(&host);
    RunMainDialog();
    CCleanwardenApplication::SetHost(nullptr);
    return 0;
}

void RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void ReadOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i];
        if (strncmp(arg, "/answers:", 9) == 0)
            g_answers = arg + 9;
        else if (strncmp(arg, "/log:", 5) == 0)
            g_logPath = arg + 5;
        else if (strncmp(arg, "/ready:", 7) == 0)
            g_readyEvent = arg + 7;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (FAILED(CoInitialize(nullptr)))
        return 3;
    ReadOptions(argc, argv);
    int exitCode = 0;
    {
        CCleanwardenModule module(CleanwardenObjectMap<CStandInEngineListener>());
        const CServerSwitches switches = ParseServerSwitches(argc, argv);
        if (!module.HandleRegistrationSwitch(switches, &exitCode))
        {
            switch (module.StartServer(switches))
            {
            case FALSE:
                exitCode = 2;
                break;
            case TRUE:
                RunMessageLoop();
                break;
            default:
                exitCode = RunDesktop();
                break;
            }
        }
        module.Stop();
    }
    CoUninitialize();
    return exitCode;
}
