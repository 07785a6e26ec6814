#include "skin/controls/skincontrolfactory.h"

#include "skin/controls/skinanimate.h"
#include "skin/controls/skinbutton.h"
#include "skin/controls/skincheckbox.h"
#include "skin/controls/skincombobox.h"
#include "skin/controls/skincontrolbar.h"
#include "skin/controls/skindatetime.h"
#include "skin/controls/skinedit.h"
#include "skin/controls/skingroupbox.h"
#include "skin/controls/skinheader.h"
#include "skin/controls/skinlinkwnd.h"
#include "skin/controls/skinlistbox.h"
#include "skin/controls/skinlistview.h"
#include "skin/controls/skinmonthcalendar.h"
#include "skin/controls/skinprogressbar.h"
#include "skin/controls/skinradio.h"
#include "skin/controls/skinrebar.h"
#include "skin/controls/skinscrollbar.h"
#include "skin/controls/skinscrollcontrol.h"
#include "skin/controls/skinslider.h"
#include "skin/controls/skinspin.h"
#include "skin/controls/skinstatic.h"
#include "skin/controls/skinstatusbar.h"
#include "skin/controls/skintab.h"
#include "skin/controls/skintoolbar.h"
#include "skin/controls/skintreeview.h"
#include "skin/objects/skintypes.h"

CSkinWnd* CreateSkinControlSkinner(int type, CSkinWnd* parent)
{
    switch (type) {
    case sotButton: return new CSkinButton(parent);
    case sotCheckBox: return new CSkinCheckBox(parent);
    case sotComboBox: return new CSkinComboBox(parent);
    case sotEdit: return new CSkinEdit(parent);
    case sotGroupBox: return new CSkinGroupBox(parent);
    case sotListBox: return new CSkinListBox(parent);
    case sotProgressBar: return new CSkinProgressBar(parent);
    case sotRadio: return new CSkinRadio(parent);
    case sotScrollBar: return new CSkinScrollBar(parent);
    case sotSlider: return new CSkinSlider(parent);
    case sotStatic: return new CSkinStatic(parent);
    case sotStatusBar: return new CSkinStatusBar(parent);
    case sotTab: return new CSkinTab(parent);
    case sotToolBar: return new CSkinToolBar(parent);
    case sotControlBar: return new CSkinControlBar(parent);
    case sotScrollControl: return new CSkinScrollControl(parent);
    case sotSpin: return new CSkinSpin(parent);
    case sotListView: return new CSkinListView(parent);
    case sotTreeView: return new CSkinTreeView(parent);
    case sotRichEdit: return new CSkinEdit(parent, sotRichEdit);
    case sotDateTime: return new CSkinDateTime(parent);
    case sotMonthCalendar: return new CSkinMonthCalendar(parent);
    case sotRebar: return new CSkinRebar(parent);
    case sotHeader: return new CSkinHeader(parent);
    case sotAnimate: return new CSkinAnimate(parent);
    case sotLinkWnd: return new CSkinLinkWnd(parent);
    default: return NULL;
    }
}
