#include "skin/controls/skincontrolbar.h"

#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skinobject.h"

CSkinControlBar::CSkinControlBar(CSkinWnd* parent) : CSkinControl(parent, sotControlBar)
{
}

void CSkinControlBar::Paint(HDC dc)
{
    if (!m_object || !m_object->IsFontObject())
        return;
    const CSkinFontObject& object = *static_cast<CSkinFontObject*>(m_object);
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawSkinNineGrid(GetStore(), dc, client, object.m_background, object.m_colour1, TRUE, IsMirroredWindow(m_hwnd));
}
