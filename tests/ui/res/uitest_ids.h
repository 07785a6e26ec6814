#pragma once
// Resource ids shared by the window-class tests, the menu demo and their
// resource script.

#define IDD_PAGE 100
#define IDD_CHILDPAGE 101
#define IDD_MENUDEMO 102

#define IDC_TEXT 1000
#define IDC_CHECK 1001
#define IDC_NUMBER 1002
#define IDC_BUTTON 1003
#define IDC_LABEL 1004

#define IDB_STRIP 300
#define IDB_OPEN 301
#define IDB_ABOUT 302
#define IDB_EXIT 303

// The page template's size in dialog units.
#define PAGE_WIDTH 200
#define PAGE_HEIGHT 120
