#pragma once
// What the parts of the scroll-bar replacement share: bar access and
// metrics, the layout of the bars in the window, the process-wide tracking
// state of a press and of hot tracking, and the drawing of one bar.

#include "skin/scrollbars/skinscrollgeometry.h"
#include "skin/scrollbars/skinscrollwindow.h"

SkinScrollBar* SkinSBBar(SkinScrollWindow* window, int bar);
int SkinSBArrowLength(const SkinScrollBar& bar);
int SkinSBWidth(const SkinScrollBar& bar);
// The bar has something to scroll: a range wider than its page.
bool SkinSBCanScroll(const SkinScrollBar& bar);
bool SkinSBIsDisabled(const SkinScrollBar& bar);
// Without the interception the system's values and shown bars are the
// truth: they are read into the window's block.
void SkinSBReadSystem(HWND hwnd, SkinScrollWindow* window);

// The bars and the corner square between them in window coordinates as
// the window DC draws (left to right even in a right-to-left window).
struct SkinScrollLayout
{
    RECT horz, vert, corner; // empty when not visible
    RECT window;             // the window rect in screen coordinates
    bool rightToLeft;
};
SkinScrollLayout SkinSBLayout(HWND hwnd, const SkinScrollWindow* window);
// A screen point in the layout's coordinates.
POINT SkinSBWindowPoint(const SkinScrollLayout& layout, POINT screen);
// Offset of a point along a bar from its start (x for horizontal bars).
int SkinSBOffsetAlong(const RECT& barRect, int kind, POINT point);
SkinScrollGeometry SkinSBMeasure(const SkinScrollBar& bar, const RECT& barRect);

// The one press and the one hot bar of the process (UI thread).
struct SkinScrollTracking
{
    HWND window;      // under capture, NULL without a press
    int bar;          // pressed bar kind, -1 none
    int part;         // pressed part, -1 none
    int partUnder;    // the pressed part while the mouse is on it, else -1
    UINT message;     // WM_HSCROLL or WM_VSCROLL
    UINT_PTR timer;   // auto-repeat timer id, 0 none
    RECT barRect;     // at the press
    SkinScrollGeometry geometry;
    int mouseOffset;  // of the mouse inside the thumb
    int thumbStart;   // thumb offset at the press
    int startPosition; // position at the press
    int thumbOffset;  // where the dragged thumb stands
    int lastPosition; // last position reported
    HWND hotWindow;
    int hotBar;       // -1 none
    int hotPart;
    RECT hotRect;
};
SkinScrollTracking& SkinSBTracking();

// Draws one bar into the window DC at its rect, through one memory bitmap.
void SkinSBDrawBar(HWND hwnd, SkinScrollWindow* window, HDC dc, int bar, const RECT& rect);
// The corner square between two visible bars.
void SkinSBDrawCorner(HWND hwnd, SkinScrollWindow* window, HDC dc, const RECT& rect);
