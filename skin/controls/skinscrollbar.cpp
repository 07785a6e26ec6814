#include "skin/controls/skinscrollbar.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const UINT_PTR RepeatTimer = 200;
const UINT RepeatDelay = 50;

} // namespace

CSkinScrollBar::CSkinScrollBar(CSkinWnd* parent)
    : CSkinControl(parent, sotScrollBar), m_emulating(false), m_pressed(sspNone), m_hot(sspNone), m_mouseOffset(0),
      m_dragPosition(0), m_timer(false)
{
    SCROLLINFO none = {sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    m_info = none;
}

bool CSkinScrollBar::IsVertical() const
{
    return (GetWindowLongA(m_hwnd, GWL_STYLE) & SBS_VERT) != 0;
}

bool CSkinScrollBar::IsSizeGrip() const
{
    return (GetWindowLongA(m_hwnd, GWL_STYLE) & SBS_SIZEGRIP) != 0;
}

BOOL CSkinScrollBar::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    PostMessageA(hwnd, WM_SKIN_APPLY_COLOURS, 0, 0);
    return TRUE;
}

void CSkinScrollBar::Detach()
{
    if (m_hwnd && m_emulating) {
        if (m_timer)
            KillTimer(m_hwnd, RepeatTimer);
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        m_emulating = false;
        SCROLLINFO info = m_info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        CallSaved(SBM_SETSCROLLINFO, TRUE, (LPARAM)&info);
    }
    m_emulating = false;
    CSkinControl::Detach();
}

void CSkinScrollBar::ReadControl()
{
    if (m_emulating || IsSizeGrip())
        return;
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    if (CallSaved(SBM_GETSCROLLINFO, 0, (LPARAM)&info))
        m_info = info;
    m_emulating = true;
    Redraw();
}

const SkinScrollBarState* CSkinScrollBar::Group(int state) const
{
    const CSkinScrollBarObject* object = ObjectOfType<CSkinScrollBarObject>(m_object, sotScrollBar);
    if (!object)
        return NULL;
    return &object->m_states[ScrollBarGroupBase(*object, IsVertical()) + state];
}

SkinScrollGeometry CSkinScrollBar::Measure() const
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    const SkinScrollBarState* normal = Group(0);
    const bool vertical = IsVertical();
    int arrow = vertical ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL), thumb = 8;
    if (normal && !IsImagePartEmpty(normal->arrow1))
        arrow = vertical ? RectHeight(normal->arrow1.source) : RectWidth(normal->arrow1.source);
    if (normal && !IsGridEmpty(normal->thumb))
        thumb = vertical ? RectHeight(normal->thumb.source) : RectWidth(normal->thumb.source);
    return SkinScrollMeasure(vertical ? client.bottom : client.right, arrow, thumb, m_info);
}

int CSkinScrollBar::Along(POINT point) const
{
    return IsVertical() ? point.y : point.x;
}

int CSkinScrollBar::PartAt(POINT point) const
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!PtInRect(&client, point))
        return sspNone;
    return SkinScrollHitTest(Measure(), m_info, Along(point));
}

RECT CSkinScrollBar::PartRect(const SkinScrollGeometry& g, int part) const
{
    RECT rect;
    GetClientRect(m_hwnd, &rect);
    int from = 0, to = 0;
    const int thumb = g.arrow + g.thumbOffset;
    switch (part) {
    case sspFirstArrow: to = g.arrow; break;
    case sspSecondArrow: from = g.length - g.arrow; to = g.length; break;
    case sspThumb: from = thumb; to = thumb + g.thumbSize; break;
    default: break;
    }
    if (IsVertical()) {
        rect.top = from;
        rect.bottom = to;
    } else {
        rect.left = from;
        rect.right = to;
    }
    return rect;
}

void CSkinScrollBar::Paint(HDC dc)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    const CSkinScrollBarObject* object = ObjectOfType<CSkinScrollBarObject>(m_object, sotScrollBar);
    if (!object)
        return;
    CSkinStore* store = GetStore();
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    if (IsSizeGrip()) {
        DrawSkinImagePart(store, dc, client, object->m_sizeGrip, face, TRUE, IsMirroredWindow(m_hwnd));
        return;
    }
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
    const SkinScrollBarState& normal = *Group(0);
    const SkinScrollBarState& look = *Group(enabled ? 0 : 3);
    DrawSkinNineGrid(store, dc, client, GridOr(look.track, normal.track), face, TRUE, FALSE);
    if (!m_emulating)
        return;
    SkinScrollGeometry g = Measure();
    if (m_pressed == sspThumb)
        g.thumbOffset = m_dragPosition;
    // The part under the mouse shows pressed while held, hot otherwise.
    auto stateOf = [&](int part) {
        if (!enabled)
            return 3;
        if (part == m_pressed && (part == m_hot || part == sspThumb))
            return 2;
        return m_pressed == sspNone && part == m_hot ? 1 : 0;
    };
    const SkinScrollBarState& first = *Group(stateOf(sspFirstArrow));
    const SkinScrollBarState& second = *Group(stateOf(sspSecondArrow));
    DrawSkinImagePart(store, dc, PartRect(g, sspFirstArrow), PartOr(first.arrow1, normal.arrow1), face, TRUE, FALSE);
    DrawSkinImagePart(store, dc, PartRect(g, sspSecondArrow), PartOr(second.arrow2, normal.arrow2), face, TRUE,
                      FALSE);
    const RECT thumb = PartRect(g, sspThumb);
    if (enabled && SkinScrollHasThumb(g, m_info) && !IsRectEmpty(&thumb))
        DrawSkinNineGrid(store, dc, thumb, GridOr(Group(stateOf(sspThumb))->thumb, normal.thumb), face, TRUE, FALSE);
}

void CSkinScrollBar::Redraw()
{
    if (m_hwnd)
        RepaintNow();
}

LRESULT CSkinScrollBar::SetInfo(const SCROLLINFO& info, BOOL redraw)
{
    SkinScrollStore(m_info, info);
    if (info.fMask & SIF_TRACKPOS)
        m_info.nTrackPos = info.nTrackPos;
    if (info.fMask & SIF_DISABLENOSCROLL)
        EnableWindow(m_hwnd, SkinScrollMaxPosition(m_info) > m_info.nMin);
    if (redraw)
        Redraw();
    return m_info.nPos;
}

void CSkinScrollBar::Notify(int code, int position)
{
    HWND parent = GetParent(m_hwnd);
    if (parent)
        SendMessageA(parent, IsVertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, (WORD)position),
                     (LPARAM)m_hwnd);
}

void CSkinScrollBar::OnButtonDown(POINT point)
{
    SetCapture(m_hwnd);
    const int part = PartAt(point);
    const SkinScrollGeometry g = Measure();
    if (part == sspNone || SkinScrollMaxPosition(m_info) <= m_info.nMin)
        return;
    m_pressed = m_hot = part;
    if (part == sspThumb) {
        m_mouseOffset = Along(point) - g.arrow - g.thumbOffset;
        m_dragPosition = g.thumbOffset;
        m_info.nTrackPos = m_info.nPos;
        Notify(SB_THUMBTRACK, m_info.nPos);
    } else {
        Notify(part, 0);
        m_timer = SetTimer(m_hwnd, RepeatTimer, RepeatDelay, NULL) != 0;
    }
    Redraw();
}

void CSkinScrollBar::OnMouseMove(WPARAM keys, POINT point)
{
    if (m_pressed == sspNone || !(keys & MK_LBUTTON)) {
        const int hot = PartAt(point);
        if (hot != m_hot) {
            m_hot = hot;
            Redraw();
        }
        return;
    }
    if (m_pressed == sspThumb) {
        const SkinScrollGeometry g = Measure();
        int offset = Along(point) - g.arrow - m_mouseOffset;
        const int room = g.track - g.thumbSize;
        offset = offset < 0 ? 0 : offset > room ? room : offset;
        m_dragPosition = offset;
        const int position = SkinScrollDragPosition(g, m_info, offset);
        if (position != m_info.nTrackPos) {
            m_info.nTrackPos = position;
            Notify(SB_THUMBTRACK, position);
        }
        Redraw();
        return;
    }
    // Over the pressed part the repeat runs, elsewhere it pauses.
    const int under = PartAt(point);
    m_hot = under;
    if (under == m_pressed && !m_timer)
        m_timer = SetTimer(m_hwnd, RepeatTimer, RepeatDelay, NULL) != 0;
    else if (under != m_pressed && m_timer) {
        KillTimer(m_hwnd, RepeatTimer);
        m_timer = false;
    }
    Redraw();
}

void CSkinScrollBar::OnButtonUp()
{
    const int pressed = m_pressed;
    m_pressed = sspNone;
    if (m_timer)
        KillTimer(m_hwnd, RepeatTimer);
    m_timer = false;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    if (pressed == sspThumb)
        Notify(SB_THUMBPOSITION, m_info.nTrackPos);
    if (pressed != sspNone)
        Notify(SB_ENDSCROLL, 0);
    Redraw();
}

void CSkinScrollBar::OnTimer()
{
    if (m_pressed == sspNone || m_pressed == sspThumb) {
        KillTimer(m_hwnd, RepeatTimer);
        m_timer = false;
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(m_hwnd, &cursor);
    const int under = PartAt(cursor);
    // A page part repeats until the thumb has come to the mouse.
    if (under != m_pressed) {
        KillTimer(m_hwnd, RepeatTimer);
        m_timer = false;
        return;
    }
    Notify(m_pressed, 0);
    Redraw();
}

LRESULT CSkinScrollBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SKIN_APPLY_COLOURS) {
        ReadControl();
        return 0;
    }
    if (!m_emulating)
        return CSkinControl::WindowProc(message, wParam, lParam);
    const POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    switch (message) {
    case SBM_SETSCROLLINFO:
        return lParam ? SetInfo(*(const SCROLLINFO*)lParam, (BOOL)wParam) : 0;
    case SBM_GETSCROLLINFO: {
        SCROLLINFO* info = (SCROLLINFO*)lParam;
        if (!info)
            return FALSE;
        if (info->fMask & SIF_RANGE) {
            info->nMin = m_info.nMin;
            info->nMax = m_info.nMax;
        }
        if (info->fMask & SIF_PAGE)
            info->nPage = m_info.nPage;
        if (info->fMask & SIF_POS)
            info->nPos = m_info.nPos;
        if (info->fMask & SIF_TRACKPOS)
            info->nTrackPos = m_info.nTrackPos;
        return TRUE;
    }
    case SBM_GETPOS:
        return m_info.nPos;
    case SBM_SETPOS: {
        const int previous = m_info.nPos;
        SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, (int)wParam, 0};
        SetInfo(info, (BOOL)lParam);
        return previous;
    }
    case SBM_SETRANGE: case SBM_SETRANGEREDRAW: {
        const int previous = m_info.nPos;
        SCROLLINFO info = {sizeof(info), SIF_RANGE, (int)wParam, (int)lParam, 0, 0, 0};
        SetInfo(info, message == SBM_SETRANGEREDRAW);
        return previous;
    }
    case SBM_GETRANGE:
        if (wParam)
            *(LPINT)wParam = m_info.nMin;
        if (lParam)
            *(LPINT)lParam = m_info.nMax;
        return 0;
    case WM_ENABLE: {
        const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
        const LRESULT result = CallSavedWithStyle(style & ~WS_VISIBLE, message, wParam, lParam);
        if (style & WS_VISIBLE)
            Redraw();
        return result;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
        HideTooltip();
        OnButtonDown(point);
        return 0;
    case WM_MOUSEMOVE:
        CSkinControl::WindowProc(message, wParam, lParam);
        OnMouseMove(wParam, point);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp();
        return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != m_hwnd && m_pressed != sspNone)
            OnButtonUp();
        return CSkinControl::WindowProc(message, wParam, lParam);
    case WM_TIMER:
        if (wParam == RepeatTimer) {
            OnTimer();
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        if (m_pressed == sspNone)
            m_hot = sspNone;
        break;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
