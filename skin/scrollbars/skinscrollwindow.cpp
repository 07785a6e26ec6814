// The scroll-bar replacement: the stand-ins of the user32 scroll-bar
// functions, installation, and the window procedure that lays out, tests,
// tracks and repaints the bars.

#include "skin/scrollbars/skinscrollinternal.h"

#include <limits.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinwindowproperty.h"
#include "skin/core/skinwndproc.h"
#include "skin/hooks/skinuser32.h"

const char SKIN_SB_PROP[] = "SkinSBSubclassPtr";

namespace {

CSkinWindowProperty& InstalledProperty()
{
    // Never destroyed: windows may still take messages at exit.
    static CSkinWindowProperty* property = new CSkinWindowProperty(SKIN_SB_PROP);
    return *property;
}

// The procedure found under a later subclass at uninstall, per character set.
const char s_nextA[] = "SkinSBNextA";
const char s_nextW[] = "SkinSBNextW";

const UINT_PTR FirstDelayTimer = 0xFFFD;
const UINT_PTR RepeatTimer = 0xFFFE;
const UINT_PTR HotTimer = 0xFFFFFFF2;
const UINT FirstDelay = 300;
const UINT RepeatDelay = 55;
const UINT HotDelay = 20;
// How far the mouse may stray from a bar while dragging its thumb.
const int DragZoneAlong = 48;
const int DragZoneAcross = 24;
const int SizeLimit = 256;
const int SizeLowest = -8;

SkinScrollTracking s_tracking = {NULL, -1, -1, -1, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0, 0}, 0, 0, 0, 0, 0,
                                 NULL, -1, -1, {0, 0, 0, 0}};
int s_routedOverride = -1;

const SkinUser32Entries& Real()
{
    return GetSkinUser32Entries();
}

LRESULT CALLBACK SkinSB_WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CallPrevious(const SkinScrollWindow* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallSkinWindowProc(window->unicode, window->previous, hwnd, message, wParam, lParam);
}

int DefaultMinThumb()
{
    const DWORD version = GetVersion();
    const bool nt = (version & 0x80000000) == 0;
    return nt && LOBYTE(LOWORD(version)) >= 5 ? 6 : 8;
}

void RecalcFrame(HWND hwnd)
{
    SetWindowPos(hwnd, NULL, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SendNcPaint(HWND hwnd)
{
    SendMessageA(hwnd, WM_NCPAINT, 1, 0);
}

// Calls fn for the bars which (SB_HORZ, SB_VERT, SB_BOTH) chooses.
template <class Fn> void ForBars(SkinScrollWindow* window, int which, Fn fn)
{
    if (which == SB_HORZ || which == SB_BOTH)
        fn(window->horz);
    if (which == SB_VERT || which == SB_BOTH)
        fn(window->vert);
}

bool Routed()
{
    if (s_routedOverride >= 0)
        return s_routedOverride != 0;
    return GetSkinInterceptionMode() != simNone;
}

// What the interception sends here for windows with the replacement.
const SkinScrollBarRoutes s_routes = {
    [](HWND hwnd) -> BOOL { return SkinSB_IsInstalled(hwnd); },
    [](HWND hwnd, UINT which, UINT arrows) -> BOOL { return SkinSB_EnableScrollBar(hwnd, which, arrows); },
    [](HWND hwnd, int bar, LPSCROLLINFO info) -> BOOL { return SkinSB_GetScrollInfo(hwnd, bar, info); },
    [](HWND hwnd, int bar) -> int { return SkinSB_GetScrollPos(hwnd, bar); },
    [](HWND hwnd, int bar, LPINT minPos, LPINT maxPos) -> BOOL {
        return SkinSB_GetScrollRange(hwnd, bar, minPos, maxPos);
    },
    [](HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) -> int {
        return SkinSB_SetScrollInfo(hwnd, bar, info, redraw);
    },
    [](HWND hwnd, int bar, int pos, BOOL redraw) -> int { return SkinSB_SetScrollPos(hwnd, bar, pos, redraw); },
    [](HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) -> BOOL {
        return SkinSB_SetScrollRange(hwnd, bar, minPos, maxPos, redraw);
    },
    [](HWND hwnd, int bar, BOOL show) -> BOOL { return SkinSB_ShowScrollBar(hwnd, bar, show); },
};

bool SameInfo(const SCROLLINFO& a, const SCROLLINFO& b)
{
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

void SendScroll(HWND hwnd, UINT message, int code, int position)
{
    SendMessageA(hwnd, message, MAKEWPARAM(code, (WORD)position), 0);
}

void RedrawBar(HWND hwnd, int bar)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return;
    const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
    const RECT& rect = bar == SB_HORZ ? layout.horz : layout.vert;
    if (IsRectEmpty(&rect))
        return;
    if (HDC dc = GetWindowDC(hwnd)) {
        SkinSBDrawBar(hwnd, window, dc, bar, rect);
        ReleaseDC(hwnd, dc);
    }
}

void ResetPress()
{
    s_tracking.window = NULL;
    s_tracking.bar = s_tracking.part = s_tracking.partUnder = -1;
    s_tracking.timer = 0;
}

void ResetHot(HWND hwnd)
{
    if (s_tracking.hotWindow == hwnd && s_tracking.hotBar >= 0)
        KillTimer(hwnd, HotTimer);
    s_tracking.hotWindow = NULL;
    s_tracking.hotBar = s_tracking.hotPart = -1;
}

// The press on a bar ends: capture, timer and tracking go; an ended drag
// reports the thumb's last position first.
void EndPress(HWND hwnd, SkinScrollWindow* window, bool reportEnd)
{
    const SkinScrollTracking press = s_tracking;
    ResetPress();
    if (press.timer)
        KillTimer(hwnd, press.timer);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (press.part == sspThumb && window->thumbTracking) {
        window->thumbTracking = FALSE;
        if (reportEnd)
            SendScroll(hwnd, press.message, SB_THUMBPOSITION, press.lastPosition);
    }
    if (reportEnd && IsWindow(hwnd))
        SendScroll(hwnd, press.message, SB_ENDSCROLL, 0);
    if (SkinSB_Find(hwnd))
        RedrawBar(hwnd, press.bar);
}

// The part under a window point while a part is pressed.
void FollowPressedPart(HWND hwnd, SkinScrollWindow* window, POINT point)
{
    SkinScrollBar* bar = SkinSBBar(window, s_tracking.bar);
    const SkinScrollGeometry g = SkinSBMeasure(*bar, s_tracking.barRect);
    const int under = PtInRect(&s_tracking.barRect, point)
        ? SkinScrollHitTest(g, bar->info, SkinSBOffsetAlong(s_tracking.barRect, bar->kind, point))
        : sspNone;
    const int partUnder = under == s_tracking.part ? s_tracking.part : -1;
    if (partUnder != s_tracking.partUnder) {
        s_tracking.partUnder = partUnder;
        RedrawBar(hwnd, s_tracking.bar);
    }
}

void FollowThumb(HWND hwnd, SkinScrollWindow* window, POINT point)
{
    SkinScrollBar* bar = SkinSBBar(window, s_tracking.bar);
    const SkinScrollGeometry& g = s_tracking.geometry;
    RECT zone = s_tracking.barRect;
    if (bar->kind == SB_HORZ)
        InflateRect(&zone, DragZoneAlong, DragZoneAcross);
    else
        InflateRect(&zone, DragZoneAcross, DragZoneAlong);
    int offset = s_tracking.thumbStart;
    if (PtInRect(&zone, point)) {
        offset = SkinSBOffsetAlong(s_tracking.barRect, bar->kind, point) - g.arrow - s_tracking.mouseOffset;
        const int room = g.track - g.thumbSize;
        offset = offset < 0 ? 0 : offset > room ? room : offset;
    }
    s_tracking.thumbOffset = offset;
    // Back where it began, the thumb stands for the position it had then,
    // not one rounded from its pixels.
    const int position = offset == s_tracking.thumbStart ? s_tracking.startPosition
                                                         : SkinScrollDragPosition(g, bar->info, offset);
    if (position != s_tracking.lastPosition) {
        s_tracking.lastPosition = position;
        bar->info.nTrackPos = position;
        SendScroll(hwnd, s_tracking.message, SB_THUMBTRACK, position);
    }
    if (SkinSB_Find(hwnd))
        RedrawBar(hwnd, s_tracking.bar);
}

LRESULT OnNcButtonDown(HWND hwnd, SkinScrollWindow* window, WPARAM hit, LPARAM lParam)
{
    const int kind = hit == HTHSCROLL ? SB_HORZ : SB_VERT;
    if (!Routed())
        SkinSBReadSystem(hwnd, window);
    SkinScrollBar* bar = SkinSBBar(window, kind);
    const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
    const RECT rect = kind == SB_HORZ ? layout.horz : layout.vert;
    const POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    const POINT point = SkinSBWindowPoint(layout, screen);
    const SkinScrollGeometry g = SkinSBMeasure(*bar, rect);
    const int part = SkinScrollHitTest(g, bar->info, SkinSBOffsetAlong(rect, kind, point));
    if ((part == sspFirstArrow && (bar->flags & SkinScrollBar::FirstArrowDisabled))
        || (part == sspSecondArrow && (bar->flags & SkinScrollBar::SecondArrowDisabled)))
        return 0;
    if (s_tracking.window)
        EndPress(s_tracking.window, SkinSB_Find(s_tracking.window), true);
    ResetHot(hwnd);
    const bool canScroll = SkinSBCanScroll(*bar) && !SkinSBIsDisabled(*bar);
    s_tracking.window = hwnd;
    s_tracking.bar = kind;
    s_tracking.message = kind == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
    s_tracking.barRect = rect;
    s_tracking.geometry = g;
    s_tracking.part = s_tracking.partUnder = -1;
    SetCapture(hwnd);
    if (!canScroll || part == sspNone)
        return 0;
    s_tracking.part = s_tracking.partUnder = part;
    if (part == sspThumb) {
        window->thumbTracking = TRUE;
        bar->info.nTrackPos = bar->info.nPos;
        s_tracking.thumbStart = s_tracking.thumbOffset = g.thumbOffset;
        s_tracking.mouseOffset = SkinSBOffsetAlong(rect, kind, point) - g.arrow - g.thumbOffset;
        s_tracking.lastPosition = s_tracking.startPosition = bar->info.nPos;
    } else {
        SendScroll(hwnd, s_tracking.message, part, 0);
        if (s_tracking.window == hwnd) {
            s_tracking.timer = FirstDelayTimer;
            SetTimer(hwnd, FirstDelayTimer, FirstDelay, NULL);
        }
    }
    if (SkinSB_Find(hwnd))
        RedrawBar(hwnd, kind);
    return 0;
}

// A mouse move during a press, at a point of the window's client.
void OnPressMove(HWND hwnd, SkinScrollWindow* window, POINT client)
{
    ClientToScreen(hwnd, &client);
    const POINT point = SkinSBWindowPoint(SkinSBLayout(hwnd, window), client);
    if (s_tracking.part == sspThumb)
        FollowThumb(hwnd, window, point);
    else
        FollowPressedPart(hwnd, window, point);
}

LRESULT OnTimer(HWND hwnd, SkinScrollWindow* window, WPARAM id, LPARAM lParam)
{
    const bool pressing = s_tracking.window == hwnd && s_tracking.part >= 0 && s_tracking.part != sspThumb;
    if (id == FirstDelayTimer && pressing) {
        KillTimer(hwnd, FirstDelayTimer);
        s_tracking.timer = RepeatTimer;
        SetTimer(hwnd, RepeatTimer, RepeatDelay, NULL);
        return 0;
    }
    if (id == RepeatTimer && pressing) {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd, &cursor);
        OnPressMove(hwnd, window, cursor);
        if (s_tracking.window == hwnd && s_tracking.partUnder == s_tracking.part) {
            SendScroll(hwnd, s_tracking.message, s_tracking.part, 0);
            if (SkinSB_Find(hwnd))
                RedrawBar(hwnd, s_tracking.bar);
        }
        return 0;
    }
    if (id == HotTimer && s_tracking.hotWindow == hwnd && s_tracking.hotBar >= 0 && !window->thumbTracking) {
        const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
        POINT cursor;
        GetCursorPos(&cursor);
        const POINT point = SkinSBWindowPoint(layout, cursor);
        if (!PtInRect(&s_tracking.hotRect, point)) {
            ResetHot(hwnd);
            SendNcPaint(hwnd);
            return 0;
        }
        SkinScrollBar* bar = SkinSBBar(window, s_tracking.hotBar);
        const SkinScrollGeometry g = SkinSBMeasure(*bar, s_tracking.hotRect);
        const int part = SkinScrollHitTest(g, bar->info, SkinSBOffsetAlong(s_tracking.hotRect, bar->kind, point));
        if (part != s_tracking.hotPart) {
            s_tracking.hotPart = part;
            RedrawBar(hwnd, s_tracking.hotBar);
        }
        return 0;
    }
    return CallPrevious(window, hwnd, WM_TIMER, id, lParam);
}

void OnNcMouseMove(HWND hwnd, SkinScrollWindow* window, WPARAM hit)
{
    const int kind = hit == HTHSCROLL ? SB_HORZ : SB_VERT;
    if (s_tracking.hotWindow == hwnd && s_tracking.hotBar == kind)
        return;
    ResetHot(s_tracking.hotWindow);
    const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
    s_tracking.hotWindow = hwnd;
    s_tracking.hotBar = kind;
    s_tracking.hotPart = -1;
    s_tracking.hotRect = kind == SB_HORZ ? layout.horz : layout.vert;
    SetTimer(hwnd, HotTimer, HotDelay, NULL);
    SendNcPaint(hwnd);
}

void OnNcCalcSize(HWND hwnd, SkinScrollWindow* window, RECT* client, LRESULT& result, WPARAM wParam, LPARAM lParam)
{
    if (!Routed())
        SkinSBReadSystem(hwnd, window);
    const RECT before = *client;
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    // The system reserves no room for bars it does not see.
    window->guard = TRUE;
    SetWindowLongA(hwnd, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
    result = CallPrevious(window, hwnd, WM_NCCALCSIZE, wParam, lParam);
    const bool still = SkinSB_Find(hwnd) == window;
    if (IsWindow(hwnd))
        SetWindowLongA(hwnd, GWL_STYLE, style);
    if (!still)
        return;
    window->guard = FALSE;
    window->edgeLeft = client->left - before.left;
    window->edgeTop = client->top - before.top;
    window->edgeRight = before.right - client->right;
    window->edgeBottom = before.bottom - client->bottom;
    const int horz = SkinSBWidth(window->horz), vert = SkinSBWidth(window->vert);
    window->horz.visible = (window->horz.flags & SkinScrollBar::Shown) && horz < client->bottom - client->top;
    if (window->horz.visible)
        client->bottom -= horz;
    window->vert.visible = (window->vert.flags & SkinScrollBar::Shown) && vert <= client->right - client->left;
    if (window->vert.visible) {
        const bool rightToLeft = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        if (window->leftScrollBar != (BOOL)rightToLeft)
            client->left += vert;
        else
            client->right -= vert;
    }
}

void OnNcPaint(HWND hwnd, SkinScrollWindow* window, WPARAM wParam)
{
    if (!Routed())
        SkinSBReadSystem(hwnd, window);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    window->guard = TRUE;
    SetWindowLongA(hwnd, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
    CallPrevious(window, hwnd, WM_NCPAINT, wParam, 0);
    const bool still = SkinSB_Find(hwnd) == window;
    if (IsWindow(hwnd))
        SetWindowLongA(hwnd, GWL_STYLE, style);
    if (!still)
        return;
    window->guard = FALSE;
    SkinSB_Redraw(hwnd);
}

// Without the interception the control moves its bars through user32,
// which then draws its own picture of them: the replacement's picture goes
// back over it whenever the system's values changed. With it, a change of
// the system's values means the control went past the interception: the
// replacement takes the new values over.
void FollowSystem(HWND hwnd, SkinScrollWindow* window)
{
    bool changed = false;
    if (!Routed()) {
        const SCROLLINFO horz = window->horz.info, vert = window->vert.info;
        const DWORD flags = window->horz.flags | window->vert.flags << 8;
        SkinSBReadSystem(hwnd, window);
        changed = !SameInfo(horz, window->horz.info) || !SameInfo(vert, window->vert.info)
            || flags != (window->horz.flags | window->vert.flags << 8);
    } else {
        for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
            SCROLLINFO system = {sizeof(system), SIF_ALL, 0, 0, 0, 0, 0};
            if (!Real().GetScrollInfo(hwnd, bar, &system) || SameInfo(system, window->system[bar]))
                continue;
            window->system[bar] = system;
            system.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            SkinScrollStore(SkinSBBar(window, bar)->info, system);
            changed = true;
        }
    }
    if (changed && !window->thumbTracking && IsWindowVisible(hwnd))
        SkinSB_Redraw(hwnd);
}

// Gives the window its procedure back and frees the block; a window being
// destroyed keeps its frame as it is.
void Uninstall(HWND hwnd, SkinScrollWindow* window, bool recalcFrame)
{
    if (s_tracking.window == hwnd)
        EndPress(hwnd, window, false);
    ResetHot(hwnd);
    if (GetSkinWindowProc(hwnd, window->unicode) == SkinSB_WindowProc) {
        SetSkinWindowProc(hwnd, window->unicode, window->previous);
    } else {
        SetPropA(hwnd, window->unicode ? s_nextW : s_nextA, (HANDLE)window->previous);
    }
    InstalledProperty().Remove(hwnd);
    HeapFree(GetProcessHeap(), 0, window);
    if (recalcFrame)
        RecalcFrame(hwnd);
}

LRESULT Dispatch(HWND hwnd, SkinScrollWindow* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE: {
        RECT* client = wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam;
        LRESULT result = 0;
        OnNcCalcSize(hwnd, window, client, result, wParam, lParam);
        return result;
    }
    case WM_NCPAINT:
        OnNcPaint(hwnd, window, wParam);
        return 0;
    case WM_NCHITTEST: {
        const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
        const POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        const POINT point = SkinSBWindowPoint(layout, screen);
        if (PtInRect(&layout.horz, point))
            return HTHSCROLL;
        if (PtInRect(&layout.vert, point))
            return HTVSCROLL;
        break;
    }
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL)
            return OnNcButtonDown(hwnd, window, wParam, lParam);
        break;
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONUP:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL)
            return 0;
        break;
    case WM_MOUSEMOVE:
        if (s_tracking.window == hwnd && s_tracking.part >= 0) {
            const POINT client = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            OnPressMove(hwnd, window, client);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (s_tracking.window == hwnd) {
            EndPress(hwnd, window, true);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the press ends where it stands.
        if (s_tracking.window == hwnd && (HWND)lParam != hwnd)
            EndPress(hwnd, window, true);
        break;
    case WM_TIMER:
        return OnTimer(hwnd, window, wParam, lParam);
    case WM_NCMOUSEMOVE:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL)
            OnNcMouseMove(hwnd, window, wParam);
        break;
    case WM_STYLECHANGING: case WM_STYLECHANGED:
        if (window->guard)
            return 0;
        if (message == WM_STYLECHANGED && wParam == (WPARAM)GWL_EXSTYLE)
            window->leftScrollBar = (((const STYLESTRUCT*)lParam)->styleNew & WS_EX_LEFTSCROLLBAR) != 0;
        break;
    case WM_NCDESTROY: {
        const SkinScrollWindow copy = *window;
        Uninstall(hwnd, window, false);
        return CallPrevious(&copy, hwnd, message, wParam, lParam);
    }
    default:
        break;
    }
    const LRESULT result = CallPrevious(window, hwnd, message, wParam, lParam);
    if (SkinSB_Find(hwnd) == window)
        FollowSystem(hwnd, window);
    return result;
}

LRESULT CALLBACK SkinSB_WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (SkinScrollWindow* window = SkinSB_Find(hwnd))
        return Dispatch(hwnd, window, message, wParam, lParam);
    // Uninstalled under a later subclass: everything passes on.
    for (int unicode = 0; unicode < 2; ++unicode) {
        if (WNDPROC next = (WNDPROC)GetPropA(hwnd, unicode ? s_nextW : s_nextA)) {
            if (message == WM_NCDESTROY)
                RemovePropA(hwnd, unicode ? s_nextW : s_nextA);
            return CallSkinWindowProc(unicode != 0, next, hwnd, message, wParam, lParam);
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

// ---------------------------------------------------------------- shared

SkinScrollTracking& SkinSBTracking()
{
    return s_tracking;
}

SkinScrollBar* SkinSBBar(SkinScrollWindow* window, int bar)
{
    if (!window)
        return NULL;
    return bar == SB_HORZ ? &window->horz : bar == SB_VERT ? &window->vert : NULL;
}

int SkinSBArrowLength(const SkinScrollBar& bar)
{
    if (bar.arrowLength >= 0)
        return bar.arrowLength;
    return -bar.arrowLength * GetSystemMetrics(bar.kind == SB_HORZ ? SM_CXHSCROLL : SM_CYVSCROLL);
}

int SkinSBWidth(const SkinScrollBar& bar)
{
    if (bar.width >= 0)
        return bar.width;
    return -bar.width * GetSystemMetrics(bar.kind == SB_HORZ ? SM_CYHSCROLL : SM_CXVSCROLL);
}

bool SkinSBCanScroll(const SkinScrollBar& bar)
{
    return SkinScrollMaxPosition(bar.info) > bar.info.nMin;
}

bool SkinSBIsDisabled(const SkinScrollBar& bar)
{
    const DWORD both = SkinScrollBar::FirstArrowDisabled | SkinScrollBar::SecondArrowDisabled;
    return (bar.flags & both) == both;
}

void SkinSBReadSystem(HWND hwnd, SkinScrollWindow* window)
{
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    SkinScrollBar* bars[2] = {&window->horz, &window->vert};
    for (SkinScrollBar* bar : bars) {
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
        if (Real().GetScrollInfo(hwnd, bar->kind, &info)) {
            info.nTrackPos = bar->info.nTrackPos;
            bar->info = info;
        }
        const LONG shown = bar->kind == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        DWORD flags = bar->flags & ~(SkinScrollBar::Shown | SkinScrollBar::FirstArrowDisabled
                                     | SkinScrollBar::SecondArrowDisabled);
        if (style & shown)
            flags |= SkinScrollBar::Shown;
        SCROLLBARINFO state = {sizeof(state), {0, 0, 0, 0}, 0, 0, 0, 0, {0, 0, 0, 0, 0, 0}};
        if (GetScrollBarInfo(hwnd, bar->kind == SB_HORZ ? OBJID_HSCROLL : OBJID_VSCROLL, &state)) {
            if (state.rgstate[1] & STATE_SYSTEM_UNAVAILABLE)
                flags |= SkinScrollBar::FirstArrowDisabled;
            if (state.rgstate[5] & STATE_SYSTEM_UNAVAILABLE)
                flags |= SkinScrollBar::SecondArrowDisabled;
        }
        bar->flags = flags;
    }
}

SkinScrollLayout SkinSBLayout(HWND hwnd, const SkinScrollWindow* window)
{
    SkinScrollLayout layout;
    SetRectEmpty(&layout.horz);
    SetRectEmpty(&layout.vert);
    SetRectEmpty(&layout.corner);
    GetWindowRect(hwnd, &layout.window);
    layout.rightToLeft = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, NULL, (POINT*)&client, 2);
    const LONG width = layout.window.right - layout.window.left;
    RECT c = {(client.left < client.right ? client.left : client.right) - layout.window.left,
              client.top - layout.window.top,
              (client.left < client.right ? client.right : client.left) - layout.window.left,
              client.bottom - layout.window.top};
    if (layout.rightToLeft)
        SetRect(&c, width - c.right, c.top, width - c.left, c.bottom);
    const int horz = SkinSBWidth(window->horz), vert = SkinSBWidth(window->vert);
    const bool left = window->leftScrollBar != FALSE;
    if (window->horz.visible)
        SetRect(&layout.horz, c.left, c.bottom, c.right, c.bottom + horz);
    if (window->vert.visible)
        SetRect(&layout.vert, left ? c.left - vert : c.right, c.top, left ? c.left : c.right + vert, c.bottom);
    if (window->horz.visible && window->vert.visible)
        SetRect(&layout.corner, layout.vert.left, c.bottom, layout.vert.right, c.bottom + horz);
    return layout;
}

POINT SkinSBWindowPoint(const SkinScrollLayout& layout, POINT screen)
{
    POINT point = {screen.x - layout.window.left, screen.y - layout.window.top};
    if (layout.rightToLeft)
        point.x = layout.window.right - layout.window.left - 1 - point.x;
    return point;
}

int SkinSBOffsetAlong(const RECT& barRect, int kind, POINT point)
{
    return kind == SB_HORZ ? point.x - barRect.left : point.y - barRect.top;
}

SkinScrollGeometry SkinSBMeasure(const SkinScrollBar& bar, const RECT& barRect)
{
    const int length = bar.kind == SB_HORZ ? barRect.right - barRect.left : barRect.bottom - barRect.top;
    return SkinScrollMeasure(length, SkinSBArrowLength(bar), bar.minThumb, bar.info);
}

// ---------------------------------------------------------------- the user32 stand-ins

SkinScrollWindow* SkinSB_Find(HWND hwnd)
{
    return hwnd ? (SkinScrollWindow*)InstalledProperty().Get(hwnd) : NULL;
}

bool SkinSB_IsRouted()
{
    return Routed();
}

void SkinSB_SetRoutedOverride(int routed)
{
    s_routedOverride = routed;
}

BOOL WINAPI SkinSB_EnableScrollBar(HWND hwnd, UINT which, UINT arrows)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().EnableScrollBar(hwnd, which, arrows);
    const DWORD mask = SkinScrollBar::FirstArrowDisabled | SkinScrollBar::SecondArrowDisabled;
    BOOL changed = TRUE;
    ForBars(window, (int)which, [&](SkinScrollBar& bar) {
        if ((bar.flags & mask) == (arrows & mask))
            changed = FALSE;
        bar.flags = (bar.flags & ~mask) | (arrows & mask);
    });
    return changed;
}

BOOL WINAPI SkinSB_GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().GetScrollInfo(hwnd, bar, info);
    SkinScrollBar* b = SkinSBBar(window, bar);
    if (!info || !b)
        return FALSE;
    if (!Routed())
        SkinSBReadSystem(hwnd, window);
    if (info->fMask & SIF_PAGE)
        info->nPage = b->info.nPage;
    if (info->fMask & SIF_POS)
        info->nPos = b->info.nPos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = b->info.nTrackPos;
    if (info->fMask & SIF_RANGE) {
        info->nMin = b->info.nMin;
        info->nMax = b->info.nMax;
    }
    return (info->fMask & (SIF_PAGE | SIF_POS | SIF_TRACKPOS | SIF_RANGE)) != 0;
}

int WINAPI SkinSB_GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, 0, 0};
    if (!SkinSB_Find(hwnd))
        return Real().GetScrollPos(hwnd, bar);
    return SkinSB_GetScrollInfo(hwnd, bar, &info) ? info.nPos : 0;
}

BOOL WINAPI SkinSB_GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos)
{
    if (!SkinSB_Find(hwnd))
        return Real().GetScrollRange(hwnd, bar, minPos, maxPos);
    SCROLLINFO info = {sizeof(info), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!minPos || !maxPos || !SkinSB_GetScrollInfo(hwnd, bar, &info))
        return FALSE;
    *minPos = info.nMin;
    *maxPos = info.nMax;
    return TRUE;
}

int SkinSB_UpdateScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    SkinScrollBar* b = SkinSBBar(window, bar);
    if (!b || !info)
        return 0;
    SkinScrollStore(b->info, *info);
    if (redraw && !window->thumbTracking)
        RedrawBar(hwnd, bar);
    return b->info.nPos;
}

int WINAPI SkinSB_SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().SetScrollInfo(hwnd, bar, info, redraw);
    SkinScrollBar* b = SkinSBBar(window, bar);
    if (!info || !b)
        return 0;
    SkinScrollStore(b->info, *info);
    const bool shown = (b->flags & SkinScrollBar::Shown) != 0;
    const bool show = (info->fMask & SIF_DISABLENOSCROLL) || (b->flags & SkinScrollBar::KeepVisible)
        || SkinSBCanScroll(*b);
    if (show != shown)
        SkinSB_ShowScrollBar(hwnd, bar, show);
    else if (redraw && !window->thumbTracking)
        SendNcPaint(hwnd);
    return b->info.nPos;
}

int WINAPI SkinSB_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().SetScrollPos(hwnd, bar, pos, redraw);
    SkinScrollBar* b = SkinSBBar(window, bar);
    if (!b)
        return 0;
    const int previous = b->info.nPos;
    b->info.nPos = SkinScrollClampPosition(b->info, pos);
    if (redraw && !window->thumbTracking)
        SendNcPaint(hwnd);
    return previous;
}

BOOL WINAPI SkinSB_SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().SetScrollRange(hwnd, bar, minPos, maxPos, redraw);
    SkinScrollBar* b = SkinSBBar(window, bar);
    if (!b)
        return FALSE;
    if (window->thumbTracking)
        return b->info.nPos;
    SCROLLINFO range = {sizeof(range), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SkinScrollStore(b->info, range);
    if (minPos == maxPos)
        SkinSB_ShowScrollBar(hwnd, bar, FALSE);
    else if (redraw)
        SendNcPaint(hwnd);
    return TRUE;
}

BOOL WINAPI SkinSB_ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return Real().ShowScrollBar(hwnd, bar, show);
    window->guard = TRUE;
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    ForBars(window, bar, [&](SkinScrollBar& b) {
        const LONG bit = b.kind == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        if (show) {
            b.flags |= SkinScrollBar::Shown;
            style |= bit;
        } else {
            b.flags &= ~SkinScrollBar::Shown;
            style &= ~bit;
        }
    });
    SetWindowLongA(hwnd, GWL_STYLE, style);
    window->guard = FALSE;
    RecalcFrame(hwnd);
    return TRUE;
}

BOOL SkinSB_SetSize(HWND hwnd, int which, int length, int width)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window || !length || !width || length < SizeLowest || length > SizeLimit || width < SizeLowest
        || width > SizeLimit)
        return FALSE;
    ForBars(window, which, [&](SkinScrollBar& bar) {
        bar.arrowLength = length;
        bar.width = width;
    });
    RecalcFrame(hwnd);
    return TRUE;
}

BOOL SkinSB_SetStyle(HWND hwnd, int which, int style)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return FALSE;
    ForBars(window, which, [&](SkinScrollBar& bar) { bar.style = style; });
    SendNcPaint(hwnd);
    return TRUE;
}

BOOL SkinSB_SetMinThumbSize(HWND hwnd, int which, int size)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return FALSE;
    const int value = size == -1 ? DefaultMinThumb() : size;
    ForBars(window, which, [&](SkinScrollBar& bar) { bar.minThumb = value; });
    return TRUE;
}

BOOL SkinSB_Install(HWND hwnd)
{
    if (!IsWindow(hwnd) || SkinSB_Find(hwnd))
        return FALSE;
    SetSkinScrollBarRoutes(&s_routes);
    SkinScrollWindow* window = (SkinScrollWindow*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(*window));
    if (!window)
        return FALSE;
    window->unicode = IsWindowUnicode(hwnd) != FALSE;
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    SkinScrollBar* bars[2] = {&window->horz, &window->vert};
    for (int kind = SB_HORZ; kind <= SB_VERT; ++kind) {
        SkinScrollBar& bar = *bars[kind];
        bar.kind = kind;
        bar.info.cbSize = sizeof(bar.info);
        bar.info.fMask = SIF_ALL;
        if (!Real().GetScrollInfo(hwnd, kind, &bar.info))
            bar.info.nMin = bar.info.nMax = bar.info.nPage = bar.info.nPos = 0;
        bar.info.nTrackPos = bar.info.nPos;
        window->system[kind] = bar.info;
        bar.arrowLength = bar.width = -1;
        bar.minThumb = DefaultMinThumb();
        if (style & (kind == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))
            bar.flags |= SkinScrollBar::Shown;
    }
    window->leftScrollBar = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    InstalledProperty().Set(hwnd, (HANDLE)window);
    window->previous = (WNDPROC)SetSkinWindowProc(hwnd, window->unicode, SkinSB_WindowProc);
    if (!window->previous) {
        InstalledProperty().Remove(hwnd);
        HeapFree(GetProcessHeap(), 0, window);
        return FALSE;
    }
    RecalcFrame(hwnd);
    // The client area may have moved inside the new frame.
    InvalidateRect(hwnd, NULL, TRUE);
    return TRUE;
}

HRESULT SkinSB_Uninstall(HWND hwnd)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return E_FAIL;
    Uninstall(hwnd, window, true);
    return S_OK;
}

BOOL SkinSB_IsInstalled(HWND hwnd)
{
    return SkinSB_Find(hwnd) != NULL;
}

BOOL SkinSB_IsThumbTracking(HWND hwnd)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    return window ? window->thumbTracking : FALSE;
}

void SkinSB_Redraw(HWND hwnd)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return;
    const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
    HDC dc = GetWindowDC(hwnd);
    if (!dc)
        return;
    if (!IsRectEmpty(&layout.horz))
        SkinSBDrawBar(hwnd, window, dc, SB_HORZ, layout.horz);
    if (!IsRectEmpty(&layout.vert))
        SkinSBDrawBar(hwnd, window, dc, SB_VERT, layout.vert);
    if (!IsRectEmpty(&layout.corner))
        SkinSBDrawCorner(hwnd, window, dc, layout.corner);
    ReleaseDC(hwnd, dc);
}

RECT SkinSB_GetBarRect(HWND hwnd, int bar)
{
    RECT none = {0, 0, 0, 0};
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    if (!window)
        return none;
    const SkinScrollLayout layout = SkinSBLayout(hwnd, window);
    return bar == SB_HORZ ? layout.horz : bar == SB_VERT ? layout.vert : none;
}
