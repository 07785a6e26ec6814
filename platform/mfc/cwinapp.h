#pragma once
// The application object. The program defines one global object of a class
// derived from CWinApp; WinMain (defined here) fills in its instance handle
// and command line, calls InitInstance, and then either Run, the message
// loop, when InitInstance returned TRUE, or straight ExitInstance when it
// returned FALSE. ExitInstance's result is the process's exit code.

#include "platform/mfc/ccmdtarget.h"
#include "platform/mfc/ccommandlineinfo.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/wndprocguard.h"

#include <windows.h>

class CWnd;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)

public:
    // Becomes the process's application object (AfxGetApp).
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: idle work, then each message through PumpMessage,
    // until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    virtual BOOL PumpMessage();
    virtual BOOL OnIdle(LONG lCount);
    // First look at every message the framework's loops take from the queue:
    // the PreTranslateMessage chain from its window up to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // The crash road of the window procedure's barrier: called after a
    // handler threw or faulted, with the message it was handling; returns
    // the message's result. The default logs the failure (AfxLogLine) and
    // answers as AfxDefaultWndProcExceptionResult.
    virtual LRESULT ProcessWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG* pMsg);

    // Parses m_lpCmdLine (the arguments after the program's name, quoted as
    // the system quotes them) argument by argument into rCmdInfo.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);

    // TRUE while Run's loop is running.
    BOOL IsRunning() const { return m_bRunning; }

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    LPCSTR m_pszAppName;
    CWnd* m_pMainWnd;
    MSG m_msgCur;

protected:
    CString m_strAppName;
    BOOL m_bRunning;

private:
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPSTR, int);
};

CWinApp* AfxGetApp();
// The application's main window, from any thread; NULL when there is none.
CWnd* AfxGetMainWnd();
// The application's module, or the program's when there is no application.
HINSTANCE AfxGetInstanceHandle();
// Where dialog templates, bitmaps, icons and strings are loaded from.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
LPCSTR AfxGetAppName();
// The module's file name without folder and extension; NULL names the
// program. Empty when the name cannot be read whole.
CString AfxGetModuleTitle(HMODULE hModule);

// Fills in the application object's start-up fields (WinMain does this).
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
// The framework's entry: InitInstance, then Run or ExitInstance.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// OLE for the calling thread (single-threaded apartment), undone when
// AfxWinMain ends. FALSE when OLE could not be initialised.
BOOL AfxOleInit();
// Containment of ActiveX controls in dialogs: the system's dialog manager
// does all this program needs, so there is nothing to switch on.
void AfxEnableControlContainer();
// FALSE when COM started the program (/Embedding, /Automation): there is no
// user to close it, and Run does not end for want of a main window.
void AfxOleSetUserCtrl(BOOL bUserCtrl);
BOOL AfxOleGetUserCtrl();

// A modal message box with the application's name as caption, through the
// message box seam (AfxSetMessageBoxHandler).
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
