#include "skin/controls/skincontrolfactory.h"

#include "skin/controls/skinbutton.h"
#include "skin/controls/skincheckbox.h"
#include "skin/controls/skingroupbox.h"
#include "skin/controls/skinlinkwnd.h"
#include "skin/controls/skinradio.h"
#include "skin/controls/skinstatic.h"
#include "skin/objects/skintypes.h"

CSkinWnd* CreateSkinControlSkinner(int type, CSkinWnd* parent)
{
    switch (type) {
    case sotButton: return new CSkinButton(parent);
    case sotCheckBox: return new CSkinCheckBox(parent);
    case sotGroupBox: return new CSkinGroupBox(parent);
    case sotRadio: return new CSkinRadio(parent);
    case sotStatic: return new CSkinStatic(parent);
    case sotLinkWnd: return new CSkinLinkWnd(parent);
    default: return NULL;
    }
}
