#include "skin/controls/skinmonthcalendar.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

// The calendar's colour parts in the order of the object's colours below.
const int s_parts[6] = {MCSC_BACKGROUND, MCSC_MONTHBK, MCSC_TEXT, MCSC_TITLEBK, MCSC_TITLETEXT, MCSC_TRAILINGTEXT};

} // namespace

CSkinMonthCalendar::CSkinMonthCalendar(CSkinWnd* parent)
    : CSkinControl(parent, sotMonthCalendar), m_hot(NoButton), m_pressed(false), m_coloured(false)
{
    SetRectEmpty(&m_previous);
    SetRectEmpty(&m_next);
}

BOOL CSkinMonthCalendar::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    GetMonthCalButtonRects(hwnd, m_previous, m_next);
    PostMessageA(hwnd, WM_SKIN_APPLY_COLOURS, 0, 0);
    return TRUE;
}

void CSkinMonthCalendar::Detach()
{
    if (m_hwnd && m_coloured)
        for (int i = 0; i < 6; ++i)
            CallSaved(MCM_SETCOLOR, s_parts[i], (LPARAM)m_ownColours[i]);
    m_coloured = false;
    CSkinControl::Detach();
}

void CSkinMonthCalendar::ApplyColours()
{
    const CSkinMonthCalObject* object = ObjectOfType<CSkinMonthCalObject>(m_object, sotMonthCalendar);
    if (!object)
        return;
    if (!m_coloured)
        for (int i = 0; i < 6; ++i)
            m_ownColours[i] = (COLORREF)CallSaved(MCM_GETCOLOR, s_parts[i], 0);
    m_coloured = true;
    // Background, month background and text are colours 1, 3 and 2; the
    // title's background and text and the other months' days are words 0
    // to 2.
    const COLORREF colours[6] = {object->m_colour1, object->m_colour3, object->m_colour2,
                                 object->m_words[0], object->m_words[1], object->m_words[2]};
    for (int i = 0; i < 6; ++i)
        CallSaved(MCM_SETCOLOR, s_parts[i], (LPARAM)colours[i]);
    InvalidateRect(m_hwnd, NULL, TRUE);
}

int CSkinMonthCalendar::ButtonAt(POINT point) const
{
    if (PtInRect(&m_previous, point))
        return PreviousButton;
    return PtInRect(&m_next, point) ? NextButton : NoButton;
}

void CSkinMonthCalendar::Paint(HDC dc)
{
    const CSkinMonthCalObject* object = ObjectOfType<CSkinMonthCalObject>(m_object, sotMonthCalendar);
    if (!object)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    DrawSkinNineGrid(store, dc, client, object->m_background, object->m_colour1, TRUE, mirrored);
    CallSaved(WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
    for (int button = PreviousButton; button <= NextButton; ++button) {
        const RECT& rect = button == PreviousButton ? m_previous : m_next;
        if (IsRectEmpty(&rect))
            continue;
        const int base = button == PreviousButton ? 0 : 3;
        int state = 0;
        if (enabled && m_hot == button)
            state = m_pressed ? 2 : 1;
        DrawSkinNineGrid(store, dc, rect, GridOr(object->m_grids[base + state], object->m_grids[base]),
                         object->m_colour1, FALSE, mirrored);
    }
}

LRESULT CSkinMonthCalendar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SKIN_APPLY_COLOURS:
        ApplyColours();
        return 0;
    case WM_SIZE: {
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        GetMonthCalButtonRects(m_hwnd, m_previous, m_next);
        return result;
    }
    case WM_MOUSEMOVE:
        if (!(wParam & MK_LBUTTON))
            break;
    // fall through
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: {
        const POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        m_hot = ButtonAt(point);
        m_pressed = message != WM_LBUTTONUP;
        HWND hwnd = m_hwnd;
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this)
            RepaintNow();
        return result;
    }
    case WM_MOUSELEAVE:
        m_hot = NoButton;
        m_pressed = false;
        break;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
