#pragma once
// The skin toolkit's call interface. Every function is stdcall, takes ANSI
// strings and answers 1 or 0 (or a pointer or NULL); the reason of a failure
// is kept per thread and read with GetSkinLibraryError.

#include <windows.h>

class CSkinObject;

enum SkinLibraryError
{
    SKINERR_NONE = 0,
    SKINERR_CLASS = 1,         // a window class could not be registered
    SKINERR_CALLWNDHOOK = 2,   // the window-creation hook could not be installed
    SKINERR_KEYBOARDHOOK = 3,  // the keyboard hook could not be installed
    SKINERR_UNPACK = 5,        // the skin data is not a packed skin, or corrupt
    SKINERR_FORMAT = 6,        // the skin file is truncated or its counts run past its end
    SKINERR_VERSION = 7,       // not a skin file, or a version this library cannot read
    SKINERR_NOOBJECT = 8,      // no skin object of that name, or not one that fits
    SKINERR_LOADRESOURCE = 15, // LoadResource failed
    SKINERR_NORESOURCE = 16,   // FindResource failed
    SKINERR_NOTINIT = 19       // InitSkinLibrary was not called (or the library was ended)
};

BOOL WINAPI InitSkinLibrary(HINSTANCE instance, LPCSTR product, LPCSTR reserved, DWORD flags);
void WINAPI ExitSkinLibrary();
BOOL WINAPI LoadSkinFromResource(HMODULE module, LPCSTR name, LPCSTR type);
BOOL WINAPI SetDialogSkin(LPCSTR name);
BOOL WINAPI ClearDialogSkin();
// The FrameWnd object resizable tool frames made under a skinned window get;
// NULL or "" leaves them the system's look.
BOOL WINAPI SetFrameSkin(LPCSTR name);
BOOL WINAPI SetWindowSkin(HWND hwnd, LPCSTR name);
BOOL WINAPI RemoveWindowSkin(HWND hwnd);
BOOL WINAPI SetControlSkin(HWND hwnd, LPCSTR name, LPCSTR container);
CSkinObject* WINAPI FindSkinObject(LPCSTR name);
BOOL WINAPI GetSkinObjectColors(CSkinObject* object, HFONT* font, COLORREF* colour);
int WINAPI GetSkinLibraryError();
