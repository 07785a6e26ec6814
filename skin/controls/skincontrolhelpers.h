#pragma once
// What the concrete control skinners share: their private messages, the
// background behind a control, style changes, text drawing in a control's
// font, pictures turned for vertical controls, and tests of skin image
// fields.

#include <windows.h>

#include "skin/draw/skindrawutils.h"
#include "skin/objects/skinobject.h"
#include "skin/objects/skintypes.h"

class CSkinStore;
class CSkinWnd;

// Posted by a scroll-control skinner to its control after attach: install
// the skinned scroll bars.
const UINT WM_SKIN_INSTALL_SCROLLBARS = 6029;
// Posted (or sent) after attach: apply the object's colours to the control,
// or finish a set-up that needs the control fully created.
const UINT WM_SKIN_APPLY_COLOURS = 6030;
// Posted by the progress bar skinner after attach: take over the control's
// range, position and step.
const UINT WM_SKIN_READ_PROGRESS = 6031;
// Bring the skinned scroll bars in step with the control's own.
const UINT WM_SKIN_SYNC_SCROLLBARS = 6042;

// The object as its class when it is of the type, else NULL.
template <class T> T* ObjectOfType(CSkinObject* object, int type)
{
    return object && object->GetType() == type ? static_cast<T*>(object) : NULL;
}

// The rect less the margins (left, top, right, bottom widths).
RECT InsideMargins(const RECT& rect, const RECT& margins);

bool IsGridEmpty(const SkinImageGrid& grid);
// The grid when it has a picture, else the fallback.
const SkinImageGrid& GridOr(const SkinImageGrid& grid, const SkinImageGrid& fallback);
const SkinImageRef& PartOr(const SkinImageRef& part, const SkinImageRef& fallback);
bool IsTextStyleEmpty(const SkinTextStyle& style);

class CSkinScrollBarObject;
// The first of a scroll bar's four state groups (normal, hot, pressed,
// disabled) for its orientation: vertical bars have groups of their own
// from 1.12; older skins lend them the horizontal ones.
int ScrollBarGroupBase(const CSkinScrollBarObject& object, bool vertical);

// Removes and adds style bits; does nothing when the style would not
// change. With frameFlags the frame is recalculated (SetWindowPos with
// those flags and SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER). Answers whether
// the style changed.
bool ChangeWindowStyle(HWND hwnd, DWORD remove, DWORD add, UINT frameFlags);

// The window whose picture lies behind the control: a tab control or a
// skinned button (group box, panel) among its siblings that holds it, else
// the parent.
HWND WindowBehind(HWND control);
// Paints the background behind the control into dc (client coordinates of
// the control): the window behind it draws it (WM_SKIN_PARENT_BACKGROUND);
// one that does not answer gets the control's rect filled with the brush it
// gives static controls, or the button face colour.
void DrawParentBackground(HWND control, HDC dc);

// The answer of a window behind others to WM_SKIN_PARENT_BACKGROUND: what
// the skinner paints, under the child, copied into the child's DC.
LRESULT CopyPaintedUnder(CSkinWnd* skinner, HDC dc, HWND child);

// The control's font selected into dc for the scope.
class CControlFont
{
public:
    CControlFont(HWND control, HDC dc);
    ~CControlFont();

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Draws text transparently in one colour.
void DrawPlainText(HDC dc, LPCSTR text, const RECT& rect, COLORREF colour, UINT format);

// Copies a picture composed lying on its side into dc at (x, y), turned
// clockwise by 90 or 270 degrees: source is width x height, the copy
// height x width. Any other angle copies it as it is.
void DrawTurned(HDC dc, int x, int y, HDC source, int width, int height, int degrees);
// Where a rect of the turned copy (in a client of clientWidth x
// clientHeight) lies in the picture on its side that DrawTurned copies
// with that angle.
RECT UnturnRect(const RECT& rect, int clientWidth, int clientHeight, int degrees);
// Draws the grid over rect leaving the key colour out, composed upright
// (0), turned clockwise (90, 270: composed at the swapped size) or upside
// down (SkinUpsideDown).
const int SkinUpsideDown = -1;
void DrawGridOriented(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid, COLORREF colour,
                      COLORREF key, int orientation);
// The part drawn mirrored top to bottom (flipVertical) or left to right.
void DrawFlippedPart(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part, COLORREF key,
                     bool flipVertical);

// The width of a control's skinned border for its styles: the client edge,
// the modal frame, the static edge and a plain border add up.
int SkinBorderWidth(DWORD style, DWORD exStyle);
// The non-client update region (WM_NCPAINT's wParam) cut to the inside of
// a border of that width, for the control's own painting of what lies
// there; the caller deletes it.
HRGN InsideBorderRegion(HWND hwnd, WPARAM update, int width);
// Draws the part as the window's border of that width (nine-part, corners
// and edges as wide as the border) into the window DC.
void DrawSkinBorder(HWND hwnd, CSkinStore* store, const SkinImageRef& part, COLORREF colour, int width);

// The frame of a control's non-client area drawn from a nine-part picture:
// the window minus its client area, into the window DC. Answers whether it
// drew (a window without a non-client frame needs nothing).
bool DrawNonClientGrid(HWND hwnd, CSkinStore* store, const SkinImageGrid& grid, COLORREF colour);
