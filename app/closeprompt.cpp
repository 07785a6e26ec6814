#include "app/closeprompt.h"

namespace {

int SystemMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

} // namespace

bool AskToCloseProgram(HWND mainWindow, CloseMessageBoxFunc messageBox)
{
    if (!mainWindow)
        return true;
    ShowWindow(mainWindow, SW_SHOW);
    SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!messageBox)
        messageBox = &SystemMessageBox;
    return messageBox(mainWindow, "Do you want close Telmin Cleanwarden?", "Telmin Cleanwarden", MB_YESNO) == IDYES;
}
