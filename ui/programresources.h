#pragma once
// Resource ids of the program's own resources (resources/program.rc), shared
// by the resource script and the code.

// Dialogs (the pages' own are in resources/pages).
#define IDD_MAIN_DIALOG 102
// The child page that holds the place of a page not built yet.
#define IDD_PAGE_STANDIN 200

// The system menu's About item text.
#define IDS_ABOUTBOX 101

#define IDI_MAINFRAME 128
// The link cursor pages set over their links.
#define IDC_LINK_CURSOR 162

// Tab pictures, in the order the main dialog adds them: scan, settings,
// scheduler, help, news, then three the tabs do not draw.
#define IDB_TAB_SCAN 161
#define IDB_TAB_SETTINGS 167
#define IDB_TAB_SCHEDULER 194
#define IDB_TAB_HELP 160
#define IDB_TAB_NEWS 193
#define IDB_TAB_QUARANTINE 180
#define IDB_TAB_IGNORE 178
#define IDB_TAB_LOGS 179

// Tray menu pictures.
#define IDB_TRAY_ABOUT 1072
#define IDB_TRAY_OPEN 1073
#define IDB_TRAY_EXIT 1074

// Main dialog.
#define IDC_PAGE_CONTAINER 1041
#define IDC_LOGO 1042
#define ID_TRAY_OPEN 1067
#define ID_TRAY_ABOUT 1068
#define ID_TRAY_EXIT 1069
// System menu command of the About item.
#define IDM_ABOUTBOX 0x0010

// Stand-in page.
#define IDC_STANDIN_TITLE 1100
#define IDC_STANDIN_NOTE 1101
