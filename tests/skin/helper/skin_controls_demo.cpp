// Shows every control kind the skin library skins, in the built-in skin, so
// that a person can look at them (scripts/screenshot):
//
//   cw_skin_controls_demo [seconds]
//
// One dialog with push buttons, check boxes, radio buttons, a group box,
// texts, an edit box, lists with scroll bars, combo boxes, a list view, a
// tree view, progress bars, scroll bars, a slider, a spin, tabs, a status
// bar, date and time pickers, a month calendar and a tool bar. Ends by
// itself after the seconds given (default 20).

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include "skin/skinlibrary.h"

namespace {

struct Control
{
    const char* cls;
    const char* text;
    DWORD style;
    int x, y, w, h;
    int id;
    DWORD exStyle;
};

const Control s_controls[] = {
    {"Button", "Options", BS_GROUPBOX, 10, 8, 200, 150, 130, 0},
    {"Button", "Remove threats", BS_AUTOCHECKBOX, 22, 28, 170, 18, 101, 0},
    {"Button", "Scan cookies", BS_AUTOCHECKBOX, 22, 48, 170, 18, 102, 0},
    {"Button", "Ask first", BS_AUTO3STATE, 22, 68, 170, 18, 103, 0},
    {"Button", "Quick scan", BS_AUTORADIOBUTTON | WS_GROUP, 22, 92, 170, 18, 104, 0},
    {"Button", "Full scan", BS_AUTORADIOBUTTON, 22, 112, 170, 18, 105, 0},
    {"Button", "Disabled option", BS_AUTOCHECKBOX | WS_DISABLED, 22, 132, 170, 18, 106, 0},
    {"Static", "A label of the page:", SS_LEFT, 222, 12, 150, 16, 131, 0},
    {"Edit", "Some text", ES_AUTOHSCROLL, 222, 30, 150, 22, 107, WS_EX_CLIENTEDGE},
    {"ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL, 222, 60, 150, 200, 108, 0},
    {"ComboBox", "", CBS_DROPDOWN | WS_VSCROLL, 222, 90, 150, 200, 109, 0},
    {DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT, 222, 120, 150, 22, 110, 0},
    {DATETIMEPICK_CLASSA, "", DTS_TIMEFORMAT | DTS_UPDOWN, 222, 148, 150, 22, 111, 0},
    {"ListBox", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 10, 170, 200, 110, 112, WS_EX_CLIENTEDGE},
    {WC_LISTVIEWA, "", LVS_REPORT, 222, 180, 250, 100, 113, WS_EX_CLIENTEDGE},
    {WC_TREEVIEWA, "", TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 482, 180, 160, 100, 114, WS_EX_CLIENTEDGE},
    {PROGRESS_CLASSA, "", 0, 10, 292, 300, 14, 115, 0},
    {PROGRESS_CLASSA, "", PBS_VERTICAL, 650, 180, 14, 100, 116, 0},
    {"ScrollBar", "", SBS_HORZ, 10, 314, 300, 16, 117, 0},
    {"ScrollBar", "", SBS_VERT, 672, 180, 16, 100, 118, 0},
    {TRACKBAR_CLASSA, "", TBS_HORZ, 320, 290, 200, 30, 119, 0},
    {"Edit", "5", ES_NUMBER, 530, 296, 40, 22, 120, WS_EX_CLIENTEDGE},
    {UPDOWN_CLASSA, "", 0, 570, 296, 16, 22, 121, 0},
    {WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 388, 8, 300, 160, 122, 0},
    {MONTHCAL_CLASSA, "", 0, 400, 36, 230, 126, 123, 0},
    {"Button", "Default", BS_DEFPUSHBUTTON, 10, 340, 100, 26, IDOK, 0},
    {"Button", "Cancel", BS_PUSHBUTTON, 120, 340, 100, 26, IDCANCEL, 0},
    {"Button", "Disabled", BS_PUSHBUTTON | WS_DISABLED, 230, 340, 100, 26, 124, 0},
    {STATUSCLASSNAMEA, "Ready", 0, 0, 0, 0, 0, 125, 0},
};

void Fill(HWND dialog)
{
    const char* items[] = {"Processes", "Registry", "Files", "Hosts file", "Cookies", "Guarded values",
                           "Start-up entries", "Browser helpers", "Services", "Drivers"};
    for (const char* item : items) {
        SendDlgItemMessageA(dialog, 112, LB_ADDSTRING, 0, (LPARAM)item);
        SendDlgItemMessageA(dialog, 108, CB_ADDSTRING, 0, (LPARAM)item);
        SendDlgItemMessageA(dialog, 109, CB_ADDSTRING, 0, (LPARAM)item);
    }
    SendDlgItemMessageA(dialog, 112, LB_SETCURSEL, 2, 0);
    SendDlgItemMessageA(dialog, 108, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(dialog, 109, CB_SETCURSEL, 1, 0);
    CheckDlgButton(dialog, 101, BST_CHECKED);
    CheckDlgButton(dialog, 103, BST_INDETERMINATE);
    CheckDlgButton(dialog, 104, BST_CHECKED);
    CheckDlgButton(dialog, 106, BST_CHECKED);

    HWND view = GetDlgItem(dialog, 113);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = (LPSTR) "Threat";
    SendMessageA(view, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    column.pszText = (LPSTR) "Risk";
    column.cx = 100;
    SendMessageA(view, LVM_INSERTCOLUMNA, 1, (LPARAM)&column);
    for (int i = 0; i < 8; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPSTR)items[i];
        SendMessageA(view, LVM_INSERTITEMA, 0, (LPARAM)&item);
        item.iSubItem = 1;
        item.pszText = (LPSTR)(i % 2 ? "Low" : "High");
        SendMessageA(view, LVM_SETITEMTEXTA, i, (LPARAM)&item);
    }

    HWND tree = GetDlgItem(dialog, 114);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = (LPSTR) "C:";
    HTREEITEM root = (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    insert.hParent = root;
    const char* folders[] = {"Program Files", "Users", "Windows"};
    for (const char* folder : folders) {
        insert.item.pszText = (LPSTR)folder;
        SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    }
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);

    SendDlgItemMessageA(dialog, 115, PBM_SETPOS, 60, 0);
    SendDlgItemMessageA(dialog, 116, PBM_SETPOS, 35, 0);
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 99, 20, 30, 0};
    SetScrollInfo(GetDlgItem(dialog, 117), SB_CTL, &info, TRUE);
    SetScrollInfo(GetDlgItem(dialog, 118), SB_CTL, &info, TRUE);
    SendDlgItemMessageA(dialog, 119, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    SendDlgItemMessageA(dialog, 119, TBM_SETPOS, TRUE, 4);
    SendDlgItemMessageA(dialog, 121, UDM_SETBUDDY, (WPARAM)GetDlgItem(dialog, 120), 0);
    SendDlgItemMessageA(dialog, 121, UDM_SETRANGE32, 0, 10);
    SendDlgItemMessageA(dialog, 121, UDM_SETPOS32, 0, 5);

    HWND tabs = GetDlgItem(dialog, 122);
    const char* names[] = {"Calendar", "Schedule", "Updates"};
    for (int i = 0; i < 3; ++i) {
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = (LPSTR)names[i];
        SendMessageA(tabs, TCM_INSERTITEMA, i, (LPARAM)&tab);
    }
    // The calendar is a page over the tab control.
    SetWindowPos(GetDlgItem(dialog, 123), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

INT_PTR CALLBACK DemoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(dialog);
        return TRUE;
    case WM_TIMER:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const int seconds = command && *command ? atoi(command) : 20;
    if (!InitSkinLibrary(instance, "Telmin Cleanwarden", NULL, 0)
        || !LoadSkinFromResource(instance, MAKEINTRESOURCEA(187), "SKIN") || !SetDialogSkin("Dialog"))
        return 1;

    // An empty framed dialog; the controls are made in it before it is
    // shown, so the dialog skinner finds them all.
    struct
    {
        DLGTEMPLATE header;
        WORD menu, cls;
        wchar_t title[20];
    } empty = {{DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 10, 10, 460, 250}, 0, 0,
               L"Skinned controls"};
    HWND dialog = CreateDialogIndirectParamA(instance, &empty.header, NULL, DemoProc, 0);
    if (!dialog)
        return 1;
    RemoveWindowSkin(dialog);
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    for (const Control& c : s_controls) {
        HWND control = CreateWindowExA(c.exStyle, c.cls, c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style, c.x,
                                       c.y, c.w, c.h, dialog, (HMENU)(INT_PTR)c.id, instance, NULL);
        SendMessageA(control, WM_SETFONT, (WPARAM)font, FALSE);
    }
    Fill(dialog);
    RECT client = {0, 0, 700, 400};
    AdjustWindowRect(&client, WS_POPUP | WS_CAPTION, FALSE);
    SetWindowPos(dialog, NULL, 40, 40, client.right - client.left, client.bottom - client.top, SWP_NOZORDER);
    SetWindowSkin(dialog, "Dialog");
    ShowWindow(dialog, SW_SHOW);
    SetTimer(dialog, 1, seconds * 1000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    ExitSkinLibrary();
    return 0;
}
