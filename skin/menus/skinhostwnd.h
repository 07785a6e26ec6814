#pragma once
// The windows the toolkit makes for its own objects (popup menus and the
// tooltip) share one window procedure: the object given at creation is kept
// in the property "this" and receives every message.

#include <windows.h>

extern const char SKIN_POPUP_MENU_CLASS[];
extern const char SKIN_TOOLTIP_CLASS[];

LRESULT CALLBACK SkinHostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool RegisterSkinPopupMenuClass(HINSTANCE instance);
void UnregisterSkinPopupMenuClass(HINSTANCE instance);
bool RegisterSkinTooltipClass(HINSTANCE instance);
void UnregisterSkinTooltipClass(HINSTANCE instance);
