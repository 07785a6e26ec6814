#pragma once
// The skin toolkit's call interface: flat stdcall functions with ANSI texts,
// called from the user-interface thread. Every call the program makes into
// the toolkit goes through these declarations.
//
// Until the toolkit itself is linked, skinapi_default.cpp answers each call
// as a toolkit that was never initialised would: nothing is skinned and the
// program runs with the system's look.

#include <windows.h>

class CSkinObject;

extern "C" {

// 1 on success. The two texts and the number after the instance are the
// toolkit's own (the program passes its product name first).
BOOL WINAPI InitSkinLibrary(HINSTANCE hInstance, LPCSTR productName, LPCSTR reserved, int reservedNumber);
void WINAPI ExitSkinLibrary();
// Loads and installs the skin held in the resource (187, "SKIN"); 0 on failure.
BOOL WINAPI LoadSkinFromResource(HMODULE hModule, LPCSTR name, LPCSTR type);
// Dialogs created from now on take this skin object ("Dialog", "ChildDialog").
BOOL WINAPI SetDialogSkin(LPCSTR objectName);
BOOL WINAPI ClearDialogSkin();
BOOL WINAPI SetWindowSkin(HWND hWnd, LPCSTR objectName);
// Detaches and deletes the window's skinner; 0 when it has none.
BOOL WINAPI RemoveWindowSkin(HWND hWnd);
// Draws the control with the skin object; containerObjectName (or NULL)
// names the object of the dialog it sits in. 0 on failure.
BOOL WINAPI SetControlSkin(HWND hWnd, LPCSTR objectName, LPCSTR containerObjectName);
CSkinObject* WINAPI FindSkinObject(LPCSTR objectName);
BOOL WINAPI GetSkinObjectColors(CSkinObject* object, HFONT* font, COLORREF* color);
// The calling thread's last error code (19: the toolkit is not initialised).
int WINAPI GetSkinLibraryError();

}
