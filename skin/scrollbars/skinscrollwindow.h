#pragma once
// The scroll-bar replacement: a window's own horizontal and vertical scroll
// bars (WS_HSCROLL, WS_VSCROLL) laid out, hit-tested, tracked and painted
// by the toolkit from the skin's ScrollBar object. Each window with the
// replacement carries one SkinScrollWindow in its property
// "SkinSBSubclassPtr". The SkinSB_ functions stand for the eight user32
// scroll-bar functions and serve windows without the replacement through
// user32 itself.
//
// Where the user32 interception routes the scroll-bar calls here, the
// replacement keeps its own copy of each bar's range, page and position;
// a control that moves its bar past the interception (as the system's own
// list boxes and edits do on some systems) changes the system's values
// instead, and the replacement takes those over after each message. Where
// nothing is intercepted (the systems after XP), the control keeps calling
// user32, and the replacement reads the system's values and shown bars
// whenever it lays out, paints or tests a point. Either way it never shows
// a range or position other than the control's own.

#include <windows.h>

struct SkinScrollBar
{
    enum { FirstArrowDisabled = 1, SecondArrowDisabled = 2, KeepVisible = 4, Shown = 8 };
    DWORD flags;
    BOOL visible; // shown and given room by the last WM_NCCALCSIZE
    SCROLLINFO info;
    int arrowLength; // below 0: that many times the system's metric
    int width;
    int kind; // SB_HORZ or SB_VERT
    int style; // 0 3-D, 1 flat, 2 flat with hot tracking
    int minThumb;
};

struct SkinScrollWindow
{
    WNDPROC previous;
    bool unicode;
    SkinScrollBar horz;
    SkinScrollBar vert;
    BOOL thumbTracking;
    BOOL leftScrollBar;
    int edgeLeft, edgeRight, edgeTop, edgeBottom;
    BOOL guard; // the replacement changes the styles itself
    SCROLLINFO system[2]; // the system's own values as last seen, per bar
};

extern const char SKIN_SB_PROP[];

BOOL WINAPI SkinSB_EnableScrollBar(HWND hwnd, UINT which, UINT arrows);
BOOL WINAPI SkinSB_GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
int WINAPI SkinSB_GetScrollPos(HWND hwnd, int bar);
BOOL WINAPI SkinSB_GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos);
int WINAPI SkinSB_SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
int WINAPI SkinSB_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
BOOL WINAPI SkinSB_SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL WINAPI SkinSB_ShowScrollBar(HWND hwnd, int bar, BOOL show);
// SetScrollInfo's storing rules without a change of visibility; redraw
// paints the bar at once.
int SkinSB_UpdateScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
BOOL SkinSB_SetSize(HWND hwnd, int which, int length, int width);
BOOL SkinSB_SetStyle(HWND hwnd, int which, int style);
BOOL SkinSB_SetMinThumbSize(HWND hwnd, int which, int size);
// 1 when installed, 0 when the window already had it.
BOOL SkinSB_Install(HWND hwnd);
// 0 when removed, E_FAIL without the replacement.
HRESULT SkinSB_Uninstall(HWND hwnd);
BOOL SkinSB_IsInstalled(HWND hwnd);
BOOL SkinSB_IsThumbTracking(HWND hwnd);
SkinScrollWindow* SkinSB_Find(HWND hwnd);

// Whether the scroll-bar calls of every module reach the replacement (the
// user32 interception is in place and routes them here).
bool SkinSB_IsRouted();
// For tests: 1 acts as if routed, 0 as if not, -1 asks the interception.
void SkinSB_SetRoutedOverride(int routed);
// Paints the window's visible bars into its window DC now.
void SkinSB_Redraw(HWND hwnd);
// The bar's rect in window coordinates (left to right as the window DC
// draws), empty when it is not visible.
RECT SkinSB_GetBarRect(HWND hwnd, int bar);

// The record the painter hook gets for each part of a bar.
struct SkinScrollPartRecord
{
    NMHDR header;     // window, control id, code SKIN_SB_CUSTOMDRAW
    DWORD stage;      // SKIN_SB_PREPAINT, SKIN_SB_POSTPAINT, SKIN_SB_ITEMPREPAINT
    HDC dc;
    RECT rect;
    UINT part;        // SkinScrollPart
    UINT state;       // SKIN_SB_PRESSED, SKIN_SB_DISABLED, SKIN_SB_HOT or SKIN_SB_NORMAL
    int bar;          // SB_HORZ, SB_VERT, SB_BOTH for the corner square
    BOOL rightToLeft;
};

const UINT SKIN_SB_CUSTOMDRAW = 0xFFFFF001;
enum { SKIN_SB_PREPAINT = 1, SKIN_SB_POSTPAINT = 2, SKIN_SB_ITEMPREPAINT = 0x10001 };
enum { SKIN_SB_PRESSED = 1, SKIN_SB_DISABLED = 4, SKIN_SB_NORMAL = 32, SKIN_SB_HOT = 64 };
enum { SKIN_SB_SKIPDEFAULT = 4 };
// Draws a part from the current skin's first ScrollBar object; 0 when
// there is none (the built-in look is drawn then), SKIN_SB_SKIPDEFAULT when
// it drew.
LRESULT SkinSB_PaintPart(const SkinScrollPartRecord& record);
