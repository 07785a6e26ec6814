#pragma once
// The child windows of a window in Z order (topmost first), kept between
// calls. Each step of a GetWindow walk is a trip to the window server under
// Wine, and skinned controls look at their siblings on every paint. A list
// is read again once windows may have been created, destroyed, skinned or
// restacked: the skin toolkit reports those with NoteSkinWindowsChanged.

#include <windows.h>

#include <vector>

std::vector<HWND> GetSkinChildWindows(HWND parent);
void NoteSkinWindowsChanged();
