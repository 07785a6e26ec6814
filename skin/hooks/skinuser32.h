#pragma once
// The interception of ten user32 functions for the whole process, so that
// code the toolkit does not own sees the skin's system colours and its
// replaced scroll bars. Which mechanism is used follows the system: the
// import tables of every module on Windows 98 and Me, the functions' own
// first instructions (32-bit builds) on NT 4.0, 2000 and XP, nothing on any
// other system. Tests choose the mode themselves.

#include <windows.h>

#include "skin/core/skinlibrarystate.h"

enum SkinInterceptionMode
{
    simNone = 0,
    simImportTable = 1,
    simInline = 2
};

// The mode of an operating-system code (GetOSVersionCode).
int SkinInterceptionModeForOS(int osCode);
// A mode to use instead of the system's at the next installation; -1 goes
// back to the system's.
void SetSkinInterceptionModeOverride(int mode);
// The mode in place now (simNone when nothing is intercepted).
int GetSkinInterceptionMode();

// What the scroll-bar functions are routed to for a window that carries
// the scroll-bar replacement. The replacement registers itself; without it
// every call reaches user32.
struct SkinScrollBarRoutes
{
    BOOL (*IsInstalled)(HWND);
    BOOL (*EnableScrollBar)(HWND, UINT, UINT);
    BOOL (*GetScrollInfo)(HWND, int, LPSCROLLINFO);
    int (*GetScrollPos)(HWND, int);
    BOOL (*GetScrollRange)(HWND, int, LPINT, LPINT);
    int (*SetScrollInfo)(HWND, int, LPCSCROLLINFO, BOOL);
    int (*SetScrollPos)(HWND, int, int, BOOL);
    BOOL (*SetScrollRange)(HWND, int, int, int, BOOL);
    BOOL (*ShowScrollBar)(HWND, int, BOOL);
};
// NULL removes the routes; the table must outlive the interception.
void SetSkinScrollBarRoutes(const SkinScrollBarRoutes* routes);

// The ten replacements, in the order of SkinUser32Entries.
const SkinUser32Entries& GetSkinUser32Replacements();
// How the real functions are reached while the interception is in place:
// the trampolines in inline mode, NULL otherwise (the captured entries are
// then the real functions).
const SkinUser32Entries* GetSkinUser32Trampolines();
