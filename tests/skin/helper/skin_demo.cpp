// Shows dialogs in the built-in skin, started as the program starts the skin
// library, so that a person can look at them (scripts/screenshot):
//
//   cw_skin_demo [active|inactive|dialog] [seconds]
//
// A window with a caption, a page in the child skin and some controls;
// "inactive" shows it deactivated, "dialog" opens a small dialog from it,
// placed beside it (on the virtual screen of scripts/screenshot, a window
// over another one is not drawn). Ends by itself after the seconds given
// (default 20).

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "skin/skinlibrary.h"

namespace {

// A dialog template built in memory.
class CTemplate
{
public:
    CTemplate(DWORD style, short cx, short cy, const wchar_t* title)
    {
        Align();
        DLGTEMPLATE t = {style | DS_SETFONT, 0, 0, 0, 0, cx, cy};
        Add(&t, sizeof(t));
        Word(0);
        Word(0);
        Text(title);
        Word(9);
        Text(L"Tahoma");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const wchar_t* text)
    {
        Align();
        DLGITEMTEMPLATE item = {style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
        Add(&item, sizeof(item));
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0);
        ((DLGTEMPLATE*)&m_bytes[0])->cdit++;
    }
    const DLGTEMPLATE* Get() const { return (const DLGTEMPLATE*)&m_bytes[0]; }

private:
    void Add(const void* data, size_t size)
    {
        m_bytes.insert(m_bytes.end(), (const BYTE*)data, (const BYTE*)data + size);
    }
    void Word(WORD w) { Add(&w, sizeof(w)); }
    void Text(const wchar_t* text) { Add(text, (wcslen(text) + 1) * sizeof(wchar_t)); }
    void Align()
    {
        while (m_bytes.size() % 4)
            m_bytes.push_back(0);
    }
    std::vector<BYTE> m_bytes;
};

const WORD Button = 0x80, Edit = 0x81, Static = 0x82;
const UINT_PTR OpenDialog = 1, EndDemo = 2;

INT_PTR CALLBACK SmallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        DestroyWindow(hwnd);
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetDialogSkin("ChildDialog");
        CTemplate page(WS_CHILD | WS_VISIBLE | DS_CONTROL, 260, 120, L"");
        page.Item(SS_LEFT, 8, 8, 240, 10, 10, Static, L"Spyware scan");
        page.Item(SS_LEFT, 8, 24, 240, 20, 11, Static, L"Scans the running programs, the registry and the disk for known spyware.");
        page.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 8, 52, 160, 12, 12, Button, L"Scan the registry too");
        page.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 70, 160, 14, 13, Edit, L"C:\\Program Files");
        page.Item(BS_PUSHBUTTON | WS_TABSTOP, 190, 96, 60, 16, 14, Button, L"Scan now");
        HWND child = CreateDialogIndirectParamA(GetModuleHandleA(NULL), page.Get(), hwnd, PageProc, 0);
        SetWindowPos(child, NULL, 10, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetDialogSkin("Dialog");
        if (lParam)
            SetTimer(hwnd, OpenDialog, 500, NULL);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == OpenDialog) {
            KillTimer(hwnd, OpenDialog);
            CTemplate about(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 180, 60, L"About Telmin Cleanwarden");
            about.Item(SS_LEFT, 10, 10, 160, 20, 20, Static, L"Telmin Cleanwarden 2.1.153");
            about.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 115, 38, 55, 15, IDOK, Button, L"Close");
            HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL), about.Get(), hwnd, SmallProc, 0);
            SetWindowPos(dialog, NULL, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            ShowWindow(dialog, SW_SHOW);
        }
        return TRUE;
    case WM_CLOSE:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

void CALLBACK End(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "active";
    const int seconds = argc > 2 ? atoi(argv[2]) : 20;
    HINSTANCE instance = GetModuleHandleA(NULL);
    if (!InitSkinLibrary(instance, "cw_skin_demo", NULL, 0)
        || !LoadSkinFromResource(instance, MAKEINTRESOURCEA(187), "SKIN"))
        return 1;
    SetDialogSkin("Dialog");
    CTemplate main(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER, 280, 160,
                   L"Telmin Cleanwarden 2.1.153");
    HWND hwnd = CreateDialogIndirectParamA(instance, main.Get(), NULL, MainProc, !strcmp(mode, "dialog"));
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SendMessageA(hwnd, WM_NCACTIVATE, strcmp(mode, "inactive") != 0, 0);
    SetTimer(NULL, EndDemo, (UINT)seconds * 1000, End);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(hwnd);
    ExitSkinLibrary();
    return 0;
}
