#include "skin/objects/skinobjectfactory.h"

#include "skin/objects/skincontrolobjects.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"

CSkinObject* CreateSkinObject(int type, bool topLevel)
{
    switch (type) {
    case sotFrameWnd: return topLevel ? new CSkinFrameWndObject() : NULL;
    case sotShapeWnd: return topLevel ? new CSkinShapeWndObject() : NULL;
    case sotCaptionButton: return topLevel ? NULL : new CSkinCaptionButtonObject();
    case sotButton: return new CSkinButtonObject();
    case sotCheckBox: case sotRadio: return new CSkinCheckObject(type);
    case sotComboBox: case sotComboBoxEx: return new CSkinComboBoxObject(type);
    case sotEdit: case sotListBox: case sotScrollControl: case sotListView: case sotRichEdit:
        return new CSkinEditObject(type);
    case sotGroupBox: return new CSkinGroupBoxObject();
    case sotProgressBar: return new CSkinProgressObject();
    case sotScrollBar: return new CSkinScrollBarObject();
    case sotSlider: return new CSkinSliderObject();
    case sotStatic: return new CSkinStaticObject();
    case sotStatusBar: return new CSkinStatusBarObject();
    case sotTab: return new CSkinTabObject();
    case sotPopupMenu: return new CSkinPopupMenuObject();
    case sotToolBar: return new CSkinToolBarObject();
    case sotControlBar: return new CSkinControlBarObject();
    case sotApplication: return new CSkinApplicationObject();
    case sotSpin: return new CSkinSpinObject();
    case sotTreeView: return new CSkinTreeViewObject();
    case sotDateTime: return new CSkinDateTimeObject();
    case sotMonthCalendar: return new CSkinMonthCalObject();
    case sotRebar: return new CSkinRebarObject();
    case sotHeader: return new CSkinHeaderObject();
    case sotCaptionStatic: return new CSkinCaptionStaticObject();
    case sotImageList: return topLevel ? new CSkinImageListObject() : NULL;
    case sotAnimate: return new CSkinAnimateObject();
    case sotTooltip: return new CSkinTooltipObject();
    case sotSysColorTable: return new CSkinSysColorTableObject();
    case sotShape: return new CSkinShapeObject(sotShape);
    case sotEntryList: return new CSkinEntryListObject();
    default: return NULL;
    }
}
