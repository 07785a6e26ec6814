#include "skin/controls/skintreeview.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/objects/skinobject.h"

CSkinTreeView::CSkinTreeView(CSkinWnd* parent) : CSkinScrollControl(parent, sotTreeView), m_coloured(false)
{
    m_ownColours[0] = m_ownColours[1] = m_ownColours[2] = 0;
}

BOOL CSkinTreeView::Attach(HWND hwnd)
{
    if (!CSkinScrollControl::Attach(hwnd))
        return FALSE;
    PostMessageA(hwnd, WM_SKIN_APPLY_COLOURS, 0, 0);
    return TRUE;
}

void CSkinTreeView::Detach()
{
    if (m_hwnd && m_coloured) {
        SendMessageA(m_hwnd, TVM_SETTEXTCOLOR, 0, (LPARAM)m_ownColours[0]);
        SendMessageA(m_hwnd, TVM_SETBKCOLOR, 0, (LPARAM)m_ownColours[1]);
        SendMessageA(m_hwnd, TVM_SETLINECOLOR, 0, (LPARAM)m_ownColours[2]);
        InvalidateRect(m_hwnd, NULL, TRUE);
    }
    m_coloured = false;
    CSkinScrollControl::Detach();
}

CSkinObject* CSkinTreeView::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinScrollControl::SetSkinObject(object);
    if (m_hwnd)
        ApplyColours();
    return previous;
}

void CSkinTreeView::ApplyColours()
{
    if (!m_object)
        return;
    if (!m_coloured) {
        m_ownColours[0] = (COLORREF)CallSaved(TVM_GETTEXTCOLOR, 0, 0);
        m_ownColours[1] = (COLORREF)CallSaved(TVM_GETBKCOLOR, 0, 0);
        m_ownColours[2] = (COLORREF)CallSaved(TVM_GETLINECOLOR, 0, 0);
        m_coloured = true;
    }
    CallSaved(TVM_SETTEXTCOLOR, 0, (LPARAM)m_object->m_colour2);
    CallSaved(TVM_SETBKCOLOR, 0, (LPARAM)m_object->m_colour1);
    CallSaved(TVM_SETLINECOLOR, 0, (LPARAM)m_object->m_colour3);
    InvalidateRect(m_hwnd, NULL, TRUE);
}

LRESULT CSkinTreeView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SKIN_APPLY_COLOURS) {
        ApplyColours();
        return 0;
    }
    return CSkinScrollControl::WindowProc(message, wParam, lParam);
}
