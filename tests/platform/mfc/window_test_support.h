#pragma once
// Helpers for tests that create real windows: pumping the thread's queue
// with a bounded wait, and an application object scoped to one test.

#include "platform/mfc/afxwin.h"

#include <commctrl.h>

#include <string>
#include <vector>

// Dispatches the thread's messages until done() holds or timeoutMs passes;
// returns done()'s last answer.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 5000)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done())
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            if (!AfxPreTranslateMessage(&msg))
            {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Dispatches what is queued now.
inline void PumpPending()
{
    PumpUntil([] { return false; }, 50);
}

// Removes a WM_QUIT a test left behind; its exit code, or -1 when none.
inline int TakeQuitMessage()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(msg.wParam) : -1;
}

// Common controls are registered once per process.
inline void EnsureCommonControls()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
}

// A popup window of the framework's default class.
inline BOOL CreatePopup(CWnd& wnd, HWND owner = nullptr, DWORD style = WS_POPUP)
{
    return wnd.CreateEx(0, nullptr, "test", style, 10, 10, 200, 150, owner, nullptr);
}

// A 32-bit memory DC of the given size, for reading drawn pixels back.
struct MemoryCanvas
{
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;

    MemoryCanvas(int cx, int cy)
    {
        CClientDC screen(nullptr);
        dc.CreateCompatibleDC(&screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        old = dc.SelectObject(&bitmap);
    }
    ~MemoryCanvas() { dc.SelectObject(old); }

    // How many pixels of the rectangle have the colour.
    int Count(const RECT& r, COLORREF colour) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += dc.GetPixel(x, y) == colour;
        return n;
    }
};

// Simulated input, as the system delivers it to the window under the cursor
// or with the focus.
inline void SendKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

inline void ClickAt(POINT screen)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input)
    {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(screen.x, 65535, width - 1);
        i.mi.dy = MulDiv(screen.y, 65535, height - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

// Names of calls in the order they happened.
typedef std::vector<std::string> CallLog;
