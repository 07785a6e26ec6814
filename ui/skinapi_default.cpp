// Stand-in for the skin toolkit until the toolkit itself is linked into the
// program: every call answers as a toolkit that was never initialised, so
// nothing is skinned. Remove this file when the toolkit's library is linked.

#include "ui/skinapi.h"

namespace {
const int kNotInitialised = 19;
}

extern "C" {

BOOL WINAPI InitSkinLibrary(HINSTANCE, LPCSTR, LPCSTR, int)
{
    return FALSE;
}

void WINAPI ExitSkinLibrary()
{
}

BOOL WINAPI LoadSkinFromResource(HMODULE, LPCSTR, LPCSTR)
{
    return FALSE;
}

BOOL WINAPI SetDialogSkin(LPCSTR)
{
    return FALSE;
}

BOOL WINAPI ClearDialogSkin()
{
    return FALSE;
}

BOOL WINAPI SetWindowSkin(HWND, LPCSTR)
{
    return FALSE;
}

BOOL WINAPI RemoveWindowSkin(HWND)
{
    return FALSE;
}

BOOL WINAPI SetControlSkin(HWND, LPCSTR, LPCSTR)
{
    return FALSE;
}

CSkinObject* WINAPI FindSkinObject(LPCSTR)
{
    return nullptr;
}

BOOL WINAPI GetSkinObjectColors(CSkinObject*, HFONT* font, COLORREF* color)
{
    if (font)
        *font = nullptr;
    if (color)
        *color = 0;
    return TRUE;
}

int WINAPI GetSkinLibraryError()
{
    return kNotInitialised;
}

}
