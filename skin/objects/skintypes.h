#pragma once
// Skin object types and the fixed-size field kinds of skin file records.
// Every structure here is stored byte for byte (little-endian, packed), so
// their sizes are checked at compile time.

#include <windows.h>
#include <stddef.h>

enum SkinObjectType
{
    sotNone = 0,
    sotFrameWnd = 1,
    sotShapeWnd = 2,
    sotCaptionButton = 3,
    sotButton = 4,
    sotCheckBox = 5,
    sotComboBox = 6,
    sotEdit = 7,
    sotGroupBox = 8,
    sotListBox = 9,
    sotProgressBar = 10,
    sotRadio = 11,
    sotScrollBar = 12,
    sotSlider = 13,
    sotStatic = 14,
    sotStatusBar = 15,
    sotTab = 16,
    sotPopupMenu = 17,
    sotImage = 18,
    sotVoice = 19,
    sotMenuBar = 20,
    sotMenuItem = 21,
    sotArea = 22,
    sotToolBar = 23,
    sotControlBar = 24,
    sotApplication = 25,
    sotScrollControl = 26,
    sotSpin = 27,
    sotListView = 28,
    sotTreeView = 29,
    sotRichEdit = 30,
    sotDateTime = 31,
    sotIPAddress = 32,
    sotComboBoxEx = 33,
    sotHotKey = 34,
    sotMonthCalendar = 35,
    sotRebar = 36,
    sotHeader = 37,
    sotCaptionStatic = 38,
    sotImageList = 39,
    sotAnimate = 40,
    sotLinkWnd = 41,
    sotTooltip = 42,
    sotTooltipAnchor = 43,
    sotSysColorTable = 44,
    sotShape = 45,
    sotEntryList = 100
};

// The name of a type in the file's type table ("FrameWnd", "ScrollBar"); NULL
// outside 1 to 44.
LPCSTR SkinTypeName(int type);

const int SKIN_NAME_LEN = 51;   // fixed name fields, terminator included
const int SKIN_TEXT50_LEN = 50; // the 50-byte texts of buttons and check boxes

#pragma pack(push, 1)

// A piece of a skin image: name, source rect and draw mode (0 natural size
// and clipped, 1 tiled, other values stretched).
struct SkinImageRef
{
    char name[52];
    RECT source;
    DWORD mode;
};

// A nine-part image: the corners and edges are the margins of the source.
struct SkinImageGrid
{
    char name[52];
    RECT source;
    RECT margins; // left, top, right, bottom widths
    DWORD mode;   // grid mode of the middle parts, 0 to 8
};

// How a text is drawn: an effect word (shadow offset x in the low byte, y in
// the next, bit 16 draws the shadow), the text and shadow colours as red,
// green, blue bytes, and the DrawText format.
struct SkinTextStyle
{
    DWORD effect;
    BYTE text[3];
    BYTE alpha;
    BYTE shadow[3];
    BYTE pad;
    DWORD format;
};

struct SkinFontBlock
{
    LOGFONTA font;
    COLORREF colour;
};

// One state of a push button or a tab item: image, text style and the text
// margins inside the image.
struct SkinButtonState
{
    SkinImageGrid image;
    SkinTextStyle text;
    RECT margins;
};

// One state of a check box or radio button: background, mark glyph, text
// style and margins.
struct SkinCheckState
{
    SkinImageGrid background;
    SkinImageRef mark;
    SkinTextStyle text;
    RECT margins;
};

// One state of a spin control half: the button face and its arrow.
struct SkinSpinState
{
    SkinImageRef button;
    SkinImageRef arrow;
};

// One state set of a scroll bar orientation: two arrows, thumb and track.
struct SkinScrollBarState
{
    SkinImageRef arrow1;
    SkinImageRef arrow2;
    SkinImageGrid thumb;
    SkinImageGrid track;
};

#pragma pack(pop)

static_assert(sizeof(SkinImageRef) == 72, "image reference is 72 bytes");
static_assert(sizeof(SkinImageGrid) == 88, "image grid is 88 bytes");
static_assert(sizeof(SkinTextStyle) == 16, "text style is 16 bytes");
static_assert(sizeof(SkinFontBlock) == 64, "font block is 64 bytes");
static_assert(sizeof(SkinButtonState) == 120, "button state block is 120 bytes");
static_assert(sizeof(SkinCheckState) == 192, "check state block is 192 bytes");
static_assert(offsetof(SkinCheckState, text) == 160, "check text style sits at 160");
static_assert(sizeof(SkinSpinState) == 144, "spin state block is 144 bytes");
static_assert(sizeof(SkinScrollBarState) == 320, "scroll bar block is 320 bytes");

// The text style of files older than 1.9: shadowless, button text colour,
// DT_VCENTER | DT_END_ELLIPSIS.
SkinTextStyle DefaultSkinTextStyle();
void SetStyleTextColour(SkinTextStyle& style, COLORREF colour);
COLORREF StyleTextColour(const SkinTextStyle& style);
