#pragma once
// Stateless helpers every skinner draws and places its windows with: the
// operating-system probe, regions, solid fills and shadowed text, window
// icons, right-to-left mirroring, monitors, menus and accelerators, and a
// few file helpers. Drawing skin image parts is in skinimagepart.h.

#include <windows.h>

#include "skin/objects/skintypes.h"

// 0 Win32s, 1 other NT (3.x, and after XP), 2 Windows 95 and other 9x,
// 3 Windows 98, 4 Windows Me, 5 NT 4.0, 6 Windows 2000, 7 Windows XP.
int GetOSVersionCode();

inline int RectWidth(const RECT& r)
{
    return r.right - r.left;
}

inline int RectHeight(const RECT& r)
{
    return r.bottom - r.top;
}

// ---------------------------------------------------------------- regions

// The region of every pixel of the bitmap that differs from the key colour:
// one rectangle per run of such pixels in a row. NULL when the bitmap cannot
// be read or memory cannot be had.
HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key);
// A copy of the region scaled by the two factors, then moved; NULL on
// failure.
HRGN TransformRegion(HRGN region, float xScale, float yScale, int dx, int dy);
// Copies of the region laid over the rectangle in steps from its top-left
// corner, cut to the rectangle; NULL on failure or for a step below 1.
HRGN TileRegion(HRGN region, int stepX, int stepY, const RECT& rect);

// ---------------------------------------------------------------- fills and text

COLORREF SkinColorToColorRef(const BYTE rgb[3]);
void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour);
// A filled triangle outlined with the DC's pen.
void FillTriangle(HDC dc, const POINT points[3], COLORREF colour);
// With bit 0 of flags the text is drawn first in the shadow colour, moved by
// the offset (x in the low byte, y in the next, both signed), then in the
// text colour. The underline of an underlined font runs under the letters
// of each line, no further. The DC's state is kept.
int DrawShadowText(HDC dc, const RECT& rect, DWORD shadowOffset, DWORD flags, COLORREF shadowColour,
                   COLORREF textColour, LPCSTR text, int length, UINT format);
// DrawShadowText with the offset (low word of the effect), flags (high
// word) and colours of a skin text style.
int DrawStyledText(HDC dc, const SkinTextStyle& style, const RECT& rect, LPCSTR text, int length, UINT format);
// The window's small icon (or its big one, its class's, or the first small
// icon of its module), 16 x 16 at the point.
BOOL DrawWindowSmallIcon(HWND hwnd, HDC dc, POINT point);

// ---------------------------------------------------------------- windows and monitors

bool IsMirroredWindow(HWND hwnd);
// Leaves the visible child windows of parent (but skip, and those
// seeThrough answers true for) out of the clip of a DC in hwnd's client
// coordinates, each by its window region where it has one: what
// WS_CLIPCHILDREN and WS_CLIPSIBLINGS do for a window's own painting.
void ExcludeWindowsFromClip(HDC dc, HWND hwnd, HWND parent, HWND skip, bool (*seeThrough)(HWND) = NULL);
// In a mirrored window x becomes right - x + left of the window rect.
int MirrorPointX(HWND hwnd, int x);
void MirrorRectX(HWND hwnd, RECT& rect);
bool IsSizableToolWindow(HWND hwnd);
void ScreenToClientRect(HWND hwnd, RECT& rect);
void ClientToScreenRect(HWND hwnd, RECT& rect);
// The nearest monitor's work area (workArea) or whole area.
BOOL GetWindowMonitorRect(HWND hwnd, RECT& out, bool workArea);
BOOL GetPointMonitorRect(POINT point, RECT& out, bool workArea);
BOOL GetRectMonitorRect(const RECT& rect, RECT& out, bool workArea);
// Moves the rectangle, keeping its size, so that its right and bottom stay
// inside the bounds, then its left and top (which win when it does not fit).
void KeepRectInside(const RECT& bounds, RECT& rect);

// ---------------------------------------------------------------- menus and keys

// Copies every item of source (sub-menus as new popup menus) into target.
BOOL CopyMenuItems(HMENU source, HMENU target);
// The item's text in a buffer of the calling thread, valid until its next
// call on that thread.
LPCSTR GetMenuItemTextByPosition(HMENU menu, int position);
// The first entry of the table for the key whose Shift, Ctrl and Alt flags
// each match whether that key is down now.
BOOL FindAccelerator(HACCEL table, WORD key, ACCEL* entry);

// ---------------------------------------------------------------- files

// Writes the resource's bytes into a new file; 0 when either is missing.
BOOL SaveResourceToFile(LPCSTR fileName, HMODULE module, LPCSTR name, LPCSTR type);
// A temporary file name (prefix "SM") in the temporary folder, or fallback
// folder + name when none can be made; ".extension" appended when given.
// path holds MAX_PATH characters.
void MakeTempFileName(LPSTR path, LPCSTR name, LPCSTR fallbackFolder, LPCSTR extension);

// The month calendar's previous and next title buttons, found by
// hit-testing the top half of its client area.
BOOL GetMonthCalButtonRects(HWND calendar, RECT& previous, RECT& next);
