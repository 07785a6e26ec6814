#pragma once
// Resource ids of the help, news and About pages and of the two update
// dialogs, shared by resources/pages/help.rc and the pages' classes.

// The About box.
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_CLOSE 1075
#define IDC_ABOUT_COPYRIGHT 1076
#define IDC_ABOUT_VERSION 1077
#define IDC_ABOUT_PRODUCT_LINK 1078
#define IDC_ABOUT_LOGO 1079
#define IDC_ABOUT_COMPANY_LINK 1080

// The help page and its system-information list (an HTML view, id 184).
#define IDD_HELP_PAGE 146
#define IDC_HELP_FRAME 1040
#define IDC_HELP_FORUM_ICON 1044
#define IDC_HELP_FORUM_LINK 1045
#define IDC_HELP_APP_UPDATE_ICON 1046
#define IDC_HELP_APP_UPDATE_LINK 1047
#define IDC_HELP_FILE_ICON 1048
#define IDC_HELP_FILE_LINK 1049
#define IDC_HELP_LIVE_UPDATE_ICON 1050
#define IDC_HELP_LIVE_UPDATE_LINK 1051
#define IDC_HELP_BACKGROUND 1052
#define IDC_HELP_SYSINFO_TITLE 1109
#define IDC_HELP_SYSINFO_LIST 184
#define IDR_HELP_SYSINFO_HTML 128

// The definitions and program update dialogs (one template).
#define IDD_LIVE_UPDATE 182
#define IDC_LIVE_UPDATE_BUTTON 1046
#define IDC_LIVE_UPDATE_PROGRESS 1068
#define IDC_LIVE_UPDATE_STATUS 1069

// The news page, its browser view and the view's built-in page.
#define IDD_NEWS_PAGE 189
#define IDD_NEWS_VIEW 190
#define IDC_NEWS_NOTICE 1110
#define IDR_NEWS_HTML 189
