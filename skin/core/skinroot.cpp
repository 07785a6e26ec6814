#include "skin/core/skinroot.h"

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skintypes.h"

CSkinRoot::CSkinRoot() : m_object(NULL)
{
}

CSkinRoot::~CSkinRoot()
{
}

CSkinObject* CSkinRoot::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = m_object;
    m_object = object;
    return previous;
}

CSkinObject* CSkinRoot::FindTooltipObject() const
{
    CSkinStore* store = GetSkinManager().GetStore();
    return store ? store->FindFirstOfType(sotTooltip) : NULL;
}

void CSkinRoot::HideTooltip()
{
    GetSkinTooltip().Hide();
}

void CSkinRoot::ShowTooltip(const POINT* point)
{
    CSkinTooltip& tooltip = GetSkinTooltip();
    tooltip.SetTooltipObject(FindTooltipObject());
    tooltip.ShowText(GetTooltipText().c_str(), point);
}
