#include "skin/menus/skintooltip.h"

CSkinTooltip::CSkinTooltip() : m_instance(NULL)
{
    m_anchor.x = m_anchor.y = 0;
    SetSkinObject(&m_default);
}

BOOL CSkinTooltip::SetTooltipObject(CSkinObject* object)
{
    if (object && object->GetType() != sotTooltip)
        return FALSE;
    SetSkinObject(object ? object : &m_default);
    return TRUE;
}

const CSkinTooltipObject* CSkinTooltip::GetTooltipObject() const
{
    return (const CSkinTooltipObject*)GetSkinObject();
}

void CSkinTooltip::ShowText(LPCSTR text, const POINT* point)
{
    if (point)
        m_anchor = *point;
    else
        GetCursorPos(&m_anchor);
    Hide();
    m_text = text ? text : "";
}

void CSkinTooltip::Hide()
{
    if (GetHwnd())
        ShowWindow(GetHwnd(), SW_HIDE);
}
