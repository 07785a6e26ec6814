#include "platform/mfc/cwinapp.h"

#include "platform/atl/atlbase.h"
#include "platform/mfc/cwnd.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resourceHandle = nullptr;
BOOL g_userCtrl = TRUE;
bool g_oleInitialized = false;

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_hInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_pszAppName(nullptr),
      m_pMainWnd(nullptr), m_msgCur(), m_bRunning(FALSE)
{
    if (lpszAppName != nullptr)
    {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinApp::OnIdle(LONG)
{
    AfxPruneTempObjects();
    return FALSE;
}

BOOL CWinApp::PumpMessage()
{
    return AfxPumpMessage(&m_msgCur);
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    return AfxInternalPreTranslateMessage(pMsg);
}

int CWinApp::Run()
{
    // Without a main window and with a user in charge nothing could ever
    // end the loop.
    if (m_pMainWnd == nullptr && AfxOleGetUserCtrl())
        ::PostQuitMessage(0);
    CAfxLoopScope loop;
    m_bRunning = TRUE;
    bool idle = true;
    LONG idleCount = 0;
    MSG msg;
    for (;;)
    {
        while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do
        {
            if (!PumpMessage())
            {
                m_bRunning = FALSE;
                return ExitInstance();
            }
            if (m_msgCur.message != WM_PAINT && m_msgCur.message != WM_SYSTIMER)
            {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

LRESULT CWinApp::ProcessWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG* pMsg)
{
    AfxLogLine(AfxFormatWndProcException(info, *pMsg));
    return AfxDefaultWndProcExceptionResult(*pMsg);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    // The system's quoting rules, with a stand-in for the program's name.
    std::wstring full = L"program ";
    full += static_cast<LPWSTR>(CA2W(m_lpCmdLine ? m_lpCmdLine : ""));
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(full.c_str(), &argc);
    if (argv == nullptr)
        return;
    for (int i = 1; i < argc; ++i)
    {
        CW2A narrow(argv[i]);
        const char* param = narrow;
        BOOL flag = FALSE;
        if (param[0] == '-' || param[0] == '/')
        {
            flag = TRUE;
            ++param;
        }
        rCmdInfo.ParseParam(param, flag, i + 1 == argc);
    }
    ::LocalFree(argv);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstResource)
{
    g_resourceHandle = hInstResource;
}

LPCSTR AfxGetAppName()
{
    return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : "";
}

CString AfxGetModuleTitle(HMODULE hModule)
{
    char path[MAX_PATH] = "";
    DWORD length = ::GetModuleFileNameA(hModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    CString name = path;
    name = name.Mid(name.ReverseFind('\\') + 1);
    int dot = name.ReverseFind('.');
    if (dot > 0)
        name = name.Left(dot);
    return name;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    if (g_app == nullptr)
        return FALSE;
    g_app->m_hInstance = hInstance;
    g_app->m_lpCmdLine = lpCmdLine;
    g_app->m_nCmdShow = nCmdShow;
    if (g_app->m_pszAppName == nullptr)
    {
        g_app->m_strAppName = AfxGetModuleTitle(hInstance);
        g_app->m_pszAppName = g_app->m_strAppName;
    }
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;
    int result;
    if (!app->InitInstance())
    {
        if (app->m_pMainWnd != nullptr)
            app->m_pMainWnd->DestroyWindow();
        result = app->ExitInstance();
    }
    else
        result = app->Run();
    if (g_oleInitialized)
    {
        ::OleUninitialize();
        g_oleInitialized = false;
    }
    return result;
}

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}

BOOL AfxOleInit()
{
    if (g_oleInitialized)
        return TRUE;
    if (FAILED(::OleInitialize(nullptr)))
        return FALSE;
    g_oleInitialized = true;
    return TRUE;
}

void AfxEnableControlContainer()
{
}

void AfxOleSetUserCtrl(BOOL bUserCtrl)
{
    g_userCtrl = bUserCtrl;
}

BOOL AfxOleGetUserCtrl()
{
    return g_userCtrl;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT)
{
    CWnd* mainWnd = AfxGetMainWnd();
    HWND owner = CWnd::GetSafeOwner_(mainWnd ? mainWnd->m_hWnd : nullptr, nullptr);
    return AfxShowMessageBox(owner, lpszText, AfxGetAppName(), nType);
}
