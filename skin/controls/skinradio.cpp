#include "skin/controls/skinradio.h"

namespace {

bool StartsGroup(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_GROUP) != 0;
}

} // namespace

CSkinRadio::CSkinRadio(CSkinWnd* parent) : CSkinCheckBox(parent, sotRadio)
{
}

void CSkinRadio::OnClick()
{
    if (((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & BS_TYPEMASK) != BS_AUTORADIOBUTTON)
        return;
    HWND first = m_hwnd;
    for (HWND previous; !StartsGroup(first) && (previous = GetWindow(first, GW_HWNDPREV)) != NULL;)
        first = previous;
    for (HWND sibling = first; sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && StartsGroup(sibling))
            break;
        if (sibling == m_hwnd || !(SendMessageA(sibling, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
            continue;
        if (SendMessageA(sibling, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
            SendMessageA(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageA(m_hwnd, BM_SETCHECK, BST_CHECKED, 0);
}
