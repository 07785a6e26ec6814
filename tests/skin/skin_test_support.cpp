#include "skin_test_support.h"

int CTestSkinner::s_live = 0;
int CTestSkinner::s_lastMenuKey = 0;
LRESULT CTestSkinner::s_swallowMenuKeys = 0;

HWND MakeTestWindow(HWND parent, LPCSTR className, DWORD style)
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwSkinTestWindow";
        atom = RegisterClassA(&wc);
    }
    if (!className)
        className = "CwSkinTestWindow";
    DWORD fullStyle = style | (parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW);
    return CreateWindowExA(0, className, "test", fullStyle, 0, 0, 200, 100, parent, NULL,
                           GetModuleHandleA(NULL), NULL);
}
