#pragma once
// The question behind ICleanwardenApplication::ShutDown in the desktop
// program.

#include <windows.h>

// The framework's message box seam has this shape; null is MessageBoxA.
typedef int (*CloseMessageBoxFunc)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Shows the main window and makes it topmost (it stays so whatever the
// answer), then asks "Do you want close Telmin Cleanwarden?" with Yes and No
// in a message box that the main window owns. True for Yes: the caller then
// ends its main dialog with 0. Without a main window there is nobody to ask
// and nothing to show: true, and no window is touched.
bool AskToCloseProgram(HWND mainWindow, CloseMessageBoxFunc messageBox);
