#include "skin/controls/skincontrol.h"

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skinmemdc.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinobject.h"

CSkinControl::CSkinControl(CSkinWnd* parent, int type)
    : m_savedFont(NULL), m_savedFontKnown(false), m_fontHanded(false), m_hovering(0),
      m_parentWindow(parent ? parent->GetHwnd() : NULL), m_type(type)
{
}

bool CSkinControl::TakesFont() const
{
    return m_type != sotProgressBar && m_type != sotScrollBar && m_type != sotSlider && m_type != sotSpin;
}

HFONT CSkinControl::SkinFontOf(CSkinObject* object) const
{
    if (!TakesFont() || !object || !object->IsFontObject())
        return NULL;
    const CSkinFontObject* font = static_cast<const CSkinFontObject*>(object);
    return font->m_value5 ? font->GetFont() : NULL;
}

BOOL CSkinControl::Attach(HWND hwnd)
{
    const int id = (int)GetWindowLongA(hwnd, GWL_ID);
    HWND parent = GetParent(hwnd);
    if (parent && SendMessageA(parent, WM_SKIN_ATTACH_VETO, (WPARAM)id, (LPARAM)hwnd))
        return FALSE;
    CSkinWnd* ancestor = parent ? GetSkinManager().FindSkinnedAncestor(parent) : NULL;
    CSkinObject* own = ancestor ? FindControlObject(ancestor->GetSkinObject(), id, m_type) : NULL;
    if (!own && ancestor && m_type == sotRichEdit)
        own = FindControlObject(ancestor->GetSkinObject(), id, sotEdit);
    if (own) {
        SetSkinObject(own);
        if (!CSkinWnd::Attach(hwnd))
            return FALSE;
        // Value 2 clear: the object places the control too.
        const bool placed = own->m_value2 == 0;
        if (SkinFontOf(own))
            HandFont(placed);
        if (placed)
            MoveWindow(hwnd, own->m_bounds.left, own->m_bounds.top, own->m_bounds.right - own->m_bounds.left,
                       own->m_bounds.bottom - own->m_bounds.top, TRUE);
        return TRUE;
    }
    if (!CSkinWnd::Attach(hwnd))
        return FALSE;
    if (SkinFontOf(m_object))
        HandFont(true);
    return TRUE;
}

void CSkinControl::HandFont(bool redraw)
{
    HFONT font = SkinFontOf(m_object);
    if (!font || !m_hwnd)
        return;
    if (!m_savedFontKnown)
        PostMessageA(m_hwnd, WM_SKIN_SAVE_FONT, 0, 0);
    PostMessageA(m_hwnd, WM_SETFONT, (WPARAM)font, redraw);
    m_fontHanded = true;
}

void CSkinControl::CancelQueuedFont()
{
    if (!m_hwnd || GetWindowThreadProcessId(m_hwnd, NULL) != GetCurrentThreadId())
        return;
    MSG message;
    while (PeekMessageA(&message, m_hwnd, WM_SETFONT, WM_SETFONT, PM_REMOVE | PM_NOYIELD)) {
    }
    while (PeekMessageA(&message, m_hwnd, WM_SKIN_SAVE_FONT, WM_SKIN_SAVE_FONT, PM_REMOVE | PM_NOYIELD)) {
    }
}

CSkinObject* CSkinControl::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinWnd::SetSkinObject(object);
    if (!m_hwnd || !TakesFont() || (object == previous && !m_fontHanded))
        return previous;
    // Whatever font of the previous object is still on its way or in use
    // is replaced now, while that object still exists.
    CancelQueuedFont();
    if (!m_savedFontKnown && (SkinFontOf(object) || m_fontHanded)) {
        // A hand-over that never arrived left the control its own font.
        m_fontHanded = false;
        m_savedFont = (HFONT)SendMessageA(m_hwnd, WM_GETFONT, 0, 0);
        m_savedFontKnown = true;
    }
    if (HFONT font = SkinFontOf(object)) {
        SendMessageA(m_hwnd, WM_SETFONT, (WPARAM)font, TRUE);
        m_fontHanded = true;
    } else if (m_fontHanded) {
        SendMessageA(m_hwnd, WM_SETFONT, (WPARAM)m_savedFont, TRUE);
        m_fontHanded = false;
    }
    return previous;
}

void CSkinControl::Detach()
{
    if (m_hwnd && TakesFont()) {
        CancelQueuedFont();
        // Only a font that arrived is given back.
        if (m_fontHanded && m_savedFontKnown)
            SendMessageA(m_hwnd, WM_SETFONT, (WPARAM)m_savedFont, TRUE);
        m_fontHanded = false;
        m_savedFont = NULL;
        m_savedFontKnown = false;
    }
    CSkinWnd::Detach();
}

void CSkinControl::OnNcDestroy()
{
    if (m_parentWindow && IsWindow(m_parentWindow))
        SendMessageA(m_parentWindow, WM_SKIN_FORGET_CHILD, (WPARAM)m_hwnd, 0);
    CSkinWnd::OnNcDestroy();
}

void CSkinControl::RepaintNow()
{
    RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT CSkinControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!m_hovering) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hwnd, HOVER_DEFAULT};
            TrackMouseEvent(&track);
            m_hovering = 1;
            RepaintNow();
            ShowTooltip(NULL);
        }
        return CSkinWnd::WindowProc(message, wParam, lParam);
    case WM_MOUSELEAVE: {
        m_hovering = 0;
        RepaintNow();
        POINT cursor;
        HWND tooltip = GetSkinTooltip().GetHwnd();
        if (!tooltip || !IsWindowVisible(tooltip) || !GetCursorPos(&cursor) || WindowFromPoint(cursor) != tooltip)
            HideTooltip();
        return CSkinWnd::WindowProc(message, wParam, lParam);
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_KEYDOWN:
        HideTooltip();
        return CSkinWnd::WindowProc(message, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hwnd, &paint);
        RECT client;
        GetClientRect(m_hwnd, &client);
        CSkinMemDC picture(dc, client.right, client.bottom);
        if (picture.IsValid()) {
            Paint(picture);
            ClipPaint(dc);
            BitBlt(dc, 0, 0, client.right, client.bottom, picture, 0, 0, SRCCOPY);
        }
        EndPaint(m_hwnd, &paint);
        return 0;
    }
    case WM_SKIN_SAVE_FONT:
        if (!m_savedFontKnown) {
            m_savedFont = (HFONT)CallSaved(WM_GETFONT, 0, 0);
            m_savedFontKnown = true;
        }
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    default:
        return CSkinWnd::WindowProc(message, wParam, lParam);
    }
}
