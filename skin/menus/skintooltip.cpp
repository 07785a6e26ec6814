#include "skin/menus/skintooltip.h"

CSkinTooltip::CSkinTooltip() : m_instance(NULL)
{
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
