#include "skin/controls/skinlinkwnd.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

CSkinLinkWnd::CSkinLinkWnd(CSkinWnd* parent) : CSkinControl(parent, sotLinkWnd)
{
}

void CSkinLinkWnd::Paint(HDC dc)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    CSkinMemDC content(dc, client.right, client.bottom);
    if (!content.IsValid())
        return;
    FillSolidRect(content, client, window);
    SendMessageA(m_hwnd, WM_PRINTCLIENT, (WPARAM)content.GetDC(), PRF_CLIENT);
    const CSkinFontObject* object =
        m_object && m_object->IsFontObject() ? static_cast<CSkinFontObject*>(m_object) : NULL;
    if (object && !IsGridEmpty(object->m_background))
        DrawSkinNineGrid(GetStore(), dc, client, object->m_background, object->m_colour1, TRUE,
                         IsMirroredWindow(m_hwnd));
    else
        DrawParentBackground(m_hwnd, dc);
    SkinTransparentStretchBlt(dc, 0, 0, client.right, client.bottom, content, 0, 0, client.right, client.bottom,
                              window);
}

LRESULT CSkinLinkWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        CSkinControl::WindowProc(message, wParam, lParam);
        return 1;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
