#pragma once
// Where the scan tab's pages and panes stand: a page fills its rectangle,
// a pane stands right-aligned in its parent, and every one draws its group
// frame (control 1040) round its client area, its top edge hidden above.

#include "platform/mfc/afxwin.h"

// The page at the rectangle (parent's client coordinates), no z-order change.
void PlacePageAt(CWnd& page, const CRect& rect);
// Keeps its size; rect.left is the distance from the parent's right edge,
// rect.top its top.
void PlaceRightAligned(CWnd& pane, const CRect& rect);
// The frame (1040 unless named) at (0, -6) with the client width and the
// client height + 6.
void PlaceGroupFrame(CWnd& page, UINT frameId = 1040);
