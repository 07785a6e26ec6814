#pragma once
// Enter and Escape mean nothing on a page: left to the dialog manager they
// would press the page's default button or end the modeless page.

#include <windows.h>

inline void IgnoreEnterAndEscape(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        pMsg->wParam = 0;
}
