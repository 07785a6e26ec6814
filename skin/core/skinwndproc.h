#pragma once
// Window procedures set, read and called in a window's own character set:
// a procedure installed with the other set's function would be wrapped in a
// thunk, which then comes back instead of the procedure itself.

#include <windows.h>

inline LONG_PTR SetSkinWindowProc(HWND hwnd, bool unicode, WNDPROC proc)
{
    return unicode ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)proc)
                   : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)proc);
}

inline WNDPROC GetSkinWindowProc(HWND hwnd, bool unicode)
{
    return (WNDPROC)(unicode ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC) : GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

inline LRESULT CallSkinWindowProc(bool unicode, WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return unicode ? CallWindowProcW(proc, hwnd, message, wParam, lParam)
                   : CallWindowProcA(proc, hwnd, message, wParam, lParam);
}
