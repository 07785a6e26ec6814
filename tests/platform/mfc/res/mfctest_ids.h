#pragma once
// Resource ids shared by the framework tests and their resource script.

#define IDD_PLAIN 100
#define IDD_NESTED 101
#define IDD_TABS 102
#define IDD_FRAMED 103

#define IDC_EDIT 1000
#define IDC_LABEL 1001
#define IDC_TABS 1002
#define IDC_BUTTON 1003

#define IDS_HELLO 200

#define IDB_QUAD 300
#define IDI_TEST 301
#define IDC_TESTCURSOR 302
