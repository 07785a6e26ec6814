#pragma once
// Window messages between the shell, the main dialog and the pages.

#include <windows.h>

#define WM_SHOW_SCAN_PAGE (WM_USER + 0x6)
#define WM_LEAVE_SCAN_PAGE (WM_USER + 0x7)
#define WM_TRAY_NOTIFY (WM_USER + 0xA)
#define WM_QUARANTINE_DONE (WM_USER + 0x64)
#define WM_QUARANTINE_RESTORED (WM_USER + 0x6E)
#define WM_RELOAD_TEXTS (WM_USER + 0xFA)
#define WM_SELECT_PAGE (WM_USER + 0x12C)
#define WM_SHOW_IGNORE_LIST (WM_USER + 0x384)
#define WM_SHOW_SCAN_LOGS (WM_USER + 0x3E8)
#define WM_PAGE_BACK (WM_USER + 0x44C)
#define WM_SHOW_QUARANTINE (WM_USER + 0x4B0)
// wParam 1 for the scanner, 0 for the quarantine.
#define WM_ENGINE_EXCEPTION (WM_USER + 0x514)
// wParam the scan kind (0 quick, 1 full), lParam 1.
#define WM_START_SCAN (WM_USER + 0x578)
#define WM_REFRESH_STATISTICS (WM_USER + 0x5DC)
// lParam: UPDATE_RESULT_*.
#define WM_UPDATE_RESULT (WM_USER + 0x640)
#define WM_SHOW_PROGRAM_UPDATE (WM_USER + 0x6A4)

#define UPDATE_RESULT_SUCCESS 1
#define UPDATE_RESULT_NOTHING_NEW 2
#define UPDATE_RESULT_ERROR 3
