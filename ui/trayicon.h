#pragma once
// The notification-area (tray) icon goes through one replaceable function,
// so that tests can watch it without a shell.

#include <windows.h>
#include <shellapi.h>

typedef BOOL (WINAPI* TrayNotifyFunc)(DWORD message, PNOTIFYICONDATAA data);

// Returns the previous function; NULL restores Shell_NotifyIconA.
TrayNotifyFunc SetTrayNotifyFunction(TrayNotifyFunc function);
BOOL TrayNotify(DWORD message, PNOTIFYICONDATAA data);

// The icon data with the balloon fields (488 bytes on 32-bit Windows).
const DWORD kTrayIconDataSize = NOTIFYICONDATAA_V2_SIZE;

// Copies text into a fixed field, cut to the field and always terminated;
// null copies the empty text.
template <size_t N>
void CopyTrayText(char (&field)[N], const char* text)
{
    lstrcpynA(field, text ? text : "", static_cast<int>(N));
}
