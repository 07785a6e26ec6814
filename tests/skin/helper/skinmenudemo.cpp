// Shows the skin toolkit's menus and tooltip in the built-in skin, for a
// person to look at (scripts/screenshot):
//
//   cw_skin_menu_demo sysmenu [seconds]   a skinned dialog with its system menu open
//   cw_skin_menu_demo tooltip [seconds]   a skinned dialog with a marked-up tooltip
//   cw_skin_menu_demo frame [seconds]     a frame window with its menu bar, and its first
//                                         menu open beside it
//
// It ends by itself after the seconds (default 6).

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/menus/skinpopupmenu.h"
#include "skin/menus/skintooltip.h"
#include "skin/skinlibrary.h"
#include "skin/menus/skinmenubar.h"
#include "skin/windows/skinframewnd.h"

namespace {

const char s_tooltip[] =
    "<h4>Quick scan finished</h4><br>"
    "Found <b>3</b> threats of <span class=warning>2 programs</span>:"
    "<table border=1 bordercolor=#C9D3DE cellpadding=2>"
    "<tr><td bgcolor=#E9EEF3><b>Area</b></td><td bgcolor=#E9EEF3><b>Found</b></td></tr>"
    "<tr><td>Processes</td><td><center>1</center></td></tr>"
    "<tr><td>Registry items</td><td><center>2</center></td></tr>"
    "</table>"
    "<hr width=100% color=#C9D3DE><br>"
    "<h5>Click <a href=results>Show results</a> to clean them.</h5>";

void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

// Marks an item of the open system menu, as the keyboard would.
void CALLBACK MarkItem(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    CSkinPopupMenu* popup = (CSkinPopupMenu*)GetPropA(FindWindowA(SKIN_POPUP_MENU_CLASS, NULL), "this");
    if (popup) {
        popup->OnKeyDown(VK_DOWN);
        popup->OnKeyDown(VK_DOWN);
    }
}

// Walks the tracked "File" menu to "Recent logs" and opens it.
void CALLBACK OpenRecent(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    CSkinPopupMenu* popup = (CSkinPopupMenu*)GetPropA(FindWindowA(SKIN_POPUP_MENU_CLASS, NULL), "this");
    if (!popup)
        return;
    for (int i = 0; i < 4; ++i)
        popup->OnKeyDown(VK_DOWN);
    popup->OnKeyDown(VK_RIGHT);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeDialog()
{
    HWND dialog = CreateWindowExA(0, "#32770", "Telmin Cleanwarden",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 440, 120, 520,
                                  340, NULL, NULL, GetModuleHandleA(NULL), NULL);
    CreateWindowExA(0, "STATIC", "The scan page would be here.", WS_CHILD | WS_VISIBLE, 30, 40, 300, 20, dialog,
                    NULL, GetModuleHandleA(NULL), NULL);
    return dialog;
}

HWND MakeFrame()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = "CwDemoFrame";
    RegisterClassA(&wc);
    HMENU menu = CreateMenu(), file = CreatePopupMenu(), view = CreatePopupMenu(), tools = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 10, "&Open log...\tCtrl+O");
    AppendMenuA(file, MF_STRING | MF_CHECKED, 11, "&Keep logs");
    AppendMenuA(file, MF_SEPARATOR, 0, NULL);
    AppendMenuA(file, MF_STRING | MF_GRAYED, 12, "&Print");
    HMENU recent = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 14, "scan_2026-12-09.log");
    AppendMenuA(file, MF_POPUP, (UINT_PTR)recent, "&Recent logs");
    AppendMenuA(file, MF_SEPARATOR, 0, NULL);
    AppendMenuA(file, MF_STRING, 13, "E&xit");
    AppendMenuA(view, MF_STRING, 20, "&Statistics");
    AppendMenuA(tools, MF_STRING, 30, "&Quarantine");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)file, "&File");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)view, "&View");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)tools, "&Tools");
    AppendMenuA(menu, MF_STRING, 40, "&Help");
    return CreateWindowExA(0, "CwDemoFrame", "Scan log viewer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 440, 120, 520,
                           340, NULL, menu, GetModuleHandleA(NULL), NULL);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    char mode[32] = "sysmenu";
    int seconds = 6;
    sscanf(commandLine, "%31s %d", mode, &seconds);
    if (!InitSkinLibrary(instance, "Telmin Cleanwarden", NULL, 0)
        || !LoadSkinFromResource(instance, MAKEINTRESOURCEA(187), "SKIN"))
        return 1;
    SetDialogSkin("Dialog");
    SetTimer(NULL, 0, seconds * 1000, Quit);

    HWND window = NULL;
    if (strcmp(mode, "frame") == 0) {
        window = MakeFrame();
        GetSkinManager().SetFrameSkin(window, "Dialog");
        CSkinFrameWnd* frame = dynamic_cast<CSkinFrameWnd*>(GetSkinManager().FindSkinner(window));
        UpdateWindow(window);
        if (frame && frame->GetMenuBar().GetItemCount() > 1) {
            // The pointer rests on "View"; the "File" drop-down opens beside
            // the frame with its "Recent logs" sub-menu (under this screen
            // capture a window over another shows black).
            SendMessageA(window, WM_NCPAINT, 1, 0);
            CSkinMenuBar& bar = frame->GetMenuBar();
            const RECT view = bar.GetItem(1)->rect;
            RECT r;
            GetWindowRect(window, &r);
            SetCursorPos(r.left + view.left + 4, r.top + view.top + 4);
            bar.OnMouseMove(view.left + 4, view.top + 4);
            SetTimer(NULL, 0, 300, OpenRecent);
            TrackSkinPopupMenu(GetSubMenu(GetMenu(window) ? GetMenu(window) : frame->GetSkinMenu(), 0), 0, 150,
                               r.top + 60, window, FALSE);
        }
    } else {
        window = MakeDialog();
        UpdateWindow(window);
        RECT r;
        GetWindowRect(window, &r);
        if (strcmp(mode, "tooltip") == 0) {
            // Beside the dialog: under this screen capture a window over
            // another shows black.
            POINT anchor = {40, r.top + 40};
            SetCursorPos(anchor.x, anchor.y);
            GetSkinTooltip().SetTooltipObject(GetSkinManager().GetStore()->FindFirstOfType(sotTooltip));
            GetSkinTooltip().ShowText(s_tooltip, &anchor);
        } else {
            POINT at = {r.left - 200, r.top + 28};
            // Tracked until the demo's time is up: the quit ends the menu and
            // goes on to the loop below.
            SetTimer(NULL, 0, 300, MarkItem);
            ShowSkinSystemMenuAt(window, at);
        }
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(window);
    ExitSkinLibrary();
    return 0;
}
