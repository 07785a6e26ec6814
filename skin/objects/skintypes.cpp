#include "skin/objects/skintypes.h"

static const char* const s_typeNames[45] = {
    "NONE", "FrameWnd", "ShapeWnd", "CaptionButton", "Button", "CheckBox", "ComboBox",
    "Edit", "GroupBox", "ListBox", "ProgressBar", "Radio", "ScrollBar", "Slider",
    "Static", "StatusBar", "Tab", "PopupMenu", "Image", "Voice", "MenuBar", "MenuItem",
    "Area", "ToolBar", "ControlBar", "Application", "ScrollControl", "Spin", "ListView",
    "TreeView", "RichEdit", "DateTime", "IPAddress", "ComboBoxEx", "HotKey",
    "MonthCalendar", "Rebar", "Header", "CaptionStatic", "ImageList", "Animate",
    "LinkWnd", "Tooltip", "TooltipAnchor", "SysColorTable"};

LPCSTR SkinTypeName(int type)
{
    return type >= 1 && type <= 44 ? s_typeNames[type] : NULL;
}

void SetStyleTextColour(SkinTextStyle& style, COLORREF colour)
{
    style.text[0] = GetRValue(colour);
    style.text[1] = GetGValue(colour);
    style.text[2] = GetBValue(colour);
}

COLORREF StyleTextColour(const SkinTextStyle& style)
{
    return RGB(style.text[0], style.text[1], style.text[2]);
}

SkinTextStyle DefaultSkinTextStyle()
{
    SkinTextStyle style = {};
    SetStyleTextColour(style, GetSysColor(COLOR_BTNTEXT));
    style.alpha = 255;
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    style.shadow[0] = GetRValue(shadow);
    style.shadow[1] = GetGValue(shadow);
    style.shadow[2] = GetBValue(shadow);
    style.format = DT_VCENTER | DT_END_ELLIPSIS;
    return style;
}
