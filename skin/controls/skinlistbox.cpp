#include "skin/controls/skinlistbox.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/objects/skinobject.h"

CSkinListBox::CSkinListBox(CSkinWnd* parent) : CSkinScrollControl(parent, sotListBox)
{
}

BOOL CSkinListBox::Attach(HWND hwnd)
{
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    const bool comboList = lstrcmpiA(name, "ComboLBox") == 0;
    if (!comboList && (GetWindowLongA(hwnd, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
        return FALSE;
    return CSkinScrollControl::Attach(hwnd);
}

LRESULT CSkinListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORLISTBOX:
        if ((HWND)lParam == m_hwnd && m_object) {
            SetTextColor((HDC)wParam, m_object->m_colour2);
            SetBkColor((HDC)wParam, m_object->m_colour1);
            return (LRESULT)BackgroundBrush();
        }
        break;
    case WM_SETFONT: {
        const LRESULT result = CSkinScrollControl::WindowProc(message, wParam, lParam);
        HWND parent = GetParent(m_hwnd);
        HWND grandparent = parent ? GetParent(parent) : NULL;
        if (grandparent) {
            RECT rect;
            ::GetWindowRect(m_hwnd, &rect);
            ScreenToClientRect(grandparent, rect);
            RedrawWindow(grandparent, &rect, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
        return result;
    }
    default:
        break;
    }
    return CSkinScrollControl::WindowProc(message, wParam, lParam);
}
