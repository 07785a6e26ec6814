#pragma once
// The window framework in one include: application, windows and message
// maps, dialogs, controls, menus, GDI and the small helpers around them.

#include "platform/mfc/cdc.h"
#include "platform/mfc/cdialog.h"
#include "platform/mfc/cfilefind.h"
#include "platform/mfc/cgdiobject.h"
#include "platform/mfc/cimagelist.h"
#include "platform/mfc/cmenu.h"
#include "platform/mfc/crect.h"
#include "platform/mfc/cstatic.h"
#include "platform/mfc/ctabctrl.h"
#include "platform/mfc/ctime.h"
#include "platform/mfc/ctoolbar.h"
#include "platform/mfc/ctooltipctrl.h"
#include "platform/mfc/cwaitcursor.h"
#include "platform/mfc/cwinapp.h"
#include "platform/mfc/cwnd.h"
