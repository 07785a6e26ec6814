#include "skin/controls/skinlistview.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/objects/skinobject.h"
#include "skin/scrollbars/skinscrollwindow.h"

namespace {

const int DefaultRowHeight = 16;

} // namespace

CSkinListView::CSkinListView(CSkinWnd* parent) : CSkinScrollControl(parent, sotListView), m_coloured(false)
{
    m_ownColours[0] = m_ownColours[1] = m_ownColours[2] = 0;
}

BOOL CSkinListView::Attach(HWND hwnd)
{
    if (GetWindowLongA(hwnd, GWL_STYLE) & LVS_OWNERDRAWFIXED)
        return FALSE;
    if (!CSkinScrollControl::Attach(hwnd))
        return FALSE;
    SendMessageA(hwnd, WM_SKIN_APPLY_COLOURS, 0, 0);
    return TRUE;
}

void CSkinListView::Detach()
{
    if (m_hwnd && m_coloured) {
        SendMessageA(m_hwnd, LVM_SETBKCOLOR, 0, (LPARAM)m_ownColours[0]);
        SendMessageA(m_hwnd, LVM_SETTEXTBKCOLOR, 0, (LPARAM)m_ownColours[1]);
        SendMessageA(m_hwnd, LVM_SETTEXTCOLOR, 0, (LPARAM)m_ownColours[2]);
        InvalidateRect(m_hwnd, NULL, TRUE);
    }
    m_coloured = false;
    CSkinScrollControl::Detach();
}

CSkinObject* CSkinListView::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinScrollControl::SetSkinObject(object);
    if (m_hwnd)
        SendMessageA(m_hwnd, WM_SKIN_APPLY_COLOURS, 0, 0);
    return previous;
}

void CSkinListView::ApplyColours()
{
    if (!m_object)
        return;
    if (!m_coloured) {
        m_ownColours[0] = (COLORREF)CallSaved(LVM_GETBKCOLOR, 0, 0);
        m_ownColours[1] = (COLORREF)CallSaved(LVM_GETTEXTBKCOLOR, 0, 0);
        m_ownColours[2] = (COLORREF)CallSaved(LVM_GETTEXTCOLOR, 0, 0);
        m_coloured = true;
    }
    CallSaved(LVM_SETBKCOLOR, 0, (LPARAM)m_object->m_colour1);
    CallSaved(LVM_SETTEXTBKCOLOR, 0, (LPARAM)m_object->m_colour1);
    CallSaved(LVM_SETTEXTCOLOR, 0, (LPARAM)m_object->m_colour2);
    InvalidateRect(m_hwnd, NULL, TRUE);
}

LRESULT CSkinListView::OnScroll(UINT message, WPARAM wParam, LPARAM lParam)
{
    const WORD code = LOWORD(wParam);
    if (!AreScrollBarsInstalled() || lParam || SkinSB_IsRouted() || (code != SB_THUMBTRACK && code != SB_THUMBPOSITION))
        return CSkinScrollControl::OnScroll(message, wParam, lParam);
    const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
    SCROLLINFO system = {sizeof(system), SIF_POS, 0, 0, 0, 0, 0};
    GetSkinUser32Entries().GetScrollInfo(m_hwnd, bar, &system);
    int distance = TrackPosition(bar) - system.nPos;
    if (!distance)
        return 0;
    // LVM_SCROLL takes pixels; report views count their vertical
    // position in rows and list views their horizontal one in columns.
    const DWORD view = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & LVS_TYPEMASK;
    if (bar == SB_VERT && view == LVS_REPORT) {
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        distance *= CallSaved(LVM_GETITEMRECT, 0, (LPARAM)&row) && row.bottom > row.top ? row.bottom - row.top
                                                                                      : DefaultRowHeight;
    } else if (bar == SB_HORZ && view == LVS_LIST) {
        const int column = (int)CallSaved(LVM_GETCOLUMNWIDTH, 0, 0);
        distance *= column > 0 ? column : DefaultRowHeight;
    }
    CallSaved(LVM_SCROLL, bar == SB_HORZ ? distance : 0, bar == SB_VERT ? distance : 0);
    return 0;
}

LRESULT CSkinListView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SKIN_APPLY_COLOURS) {
        ApplyColours();
        return 0;
    }
    return CSkinScrollControl::WindowProc(message, wParam, lParam);
}
