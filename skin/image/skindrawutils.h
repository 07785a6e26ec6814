#pragma once
// Drawing utilities the skin objects and the library's start-up need: the
// operating-system probe and regions made from bitmaps.

#include <windows.h>

// 0 Win32s, 1 other NT (3.x, and after XP), 2 Windows 95 and other 9x,
// 3 Windows 98, 4 Windows Me, 5 NT 4.0, 6 Windows 2000, 7 Windows XP.
int GetOSVersionCode();

// The region of every pixel of the bitmap that differs from the key colour:
// one rectangle per run of such pixels in a row. NULL when the bitmap cannot
// be read or memory cannot be had.
HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key);
