#pragma once
// Resource ids of the scan tab's dialogs and pictures (resources/pages/scan.rc).
// Control ids repeat between dialogs; each dialog's own set is listed with it.

// Dialogs.
#define IDD_SCAN_DIALOG 143
#define IDD_SCAN_START 147
#define IDD_SCAN_PROCESS 148
#define IDD_STAT_PROCESSES 150
#define IDD_STAT_SCAN 151
#define IDD_STAT_REGISTRY 152
#define IDD_STAT_COOKIES 153
#define IDD_STAT_FILES 154
#define IDD_SCAN_MENU 155
#define IDD_SPEC_FOLDERS 174
#define IDD_FULL_SCAN 192

// Pictures: the folder tree's check boxes (four 18-pixel images) and the
// statistics panes' area pictures.
#define IDB_TREE_STATES 163
#define IDB_STAT_COOKIES 173
#define IDB_STAT_FILES 174
#define IDB_STAT_PROCESSES 176
#define IDB_STAT_REGISTRY 177
// The scan animation (type "ANIMATED_GIF", from the HTML resources).
#define IDR_SCAN_ANIMATION 172

// Group frame of every pane and page.
#define IDC_GROUP_FRAME 1040

// Scan start page.
#define IDC_START_HEADER 1002
#define IDC_START_HINT 1003
#define IDC_START_BUTTON 1004
#define IDC_USE_PATHS 1065
#define IDC_USE_PATHS_LABEL 1066

// Scan menu.
#define IDC_LINK_QUARANTINE 1022
#define IDC_LINK_IGNORE 1023
#define IDC_LINK_LOGS 1024
#define IDC_ICON_IGNORE 1046
#define IDC_ICON_LOGS 1047
#define IDC_ICON_QUARANTINE 1048

// Scan progress page.
#define IDC_SCAN_STATUS 1005
#define IDC_SCAN_FOLDER 1006
#define IDC_SCAN_ABORT 1007
#define IDC_SCAN_PAUSE 1008
#define IDC_SCAN_ANIMATION 1060

// Area panes: header, scanned label, found label, scanned value, found
// value, picture.
#define IDC_COOKIES_HEADER 1023
#define IDC_COOKIES_SCANNED_LBL 1024
#define IDC_COOKIES_FOUND_LBL 1025
#define IDC_COOKIES_SCANNED 1026
#define IDC_COOKIES_FOUND 1027
#define IDC_COOKIES_PICTURE 1061
#define IDC_FILES_HEADER 1028
#define IDC_FILES_SCANNED_LBL 1029
#define IDC_FILES_FOUND_LBL 1030
#define IDC_FILES_SCANNED 1031
#define IDC_FILES_FOUND 1032
#define IDC_FILES_PICTURE 1064
#define IDC_PROCESSES_HEADER 1012
#define IDC_PROCESSES_SCANNED_LBL 1013
#define IDC_PROCESSES_FOUND_LBL 1014
#define IDC_PROCESSES_SCANNED 1015
#define IDC_PROCESSES_FOUND 1016
#define IDC_PROCESSES_PICTURE 1062
#define IDC_REGISTRY_HEADER 1018
#define IDC_REGISTRY_SCANNED_LBL 1019
#define IDC_REGISTRY_FOUND_LBL 1020
#define IDC_REGISTRY_SCANNED 1021
#define IDC_REGISTRY_FOUND 1022
#define IDC_REGISTRY_PICTURE 1063

// Totals pane.
#define IDC_TOTALS_HEADER 1017
#define IDC_TOTALS_DBVERSION_LBL 1018
#define IDC_TOTALS_SCANS_LBL 1019
#define IDC_TOTALS_KNOWN_LBL 1020
#define IDC_TOTALS_DBVERSION 1021
#define IDC_TOTALS_KNOWN 1022
#define IDC_TOTALS_SCANS 1023
#define IDC_TOTALS_QUARANTINED_LBL 1024
#define IDC_TOTALS_QUARANTINED 1025

// Folder choice.
#define IDC_FOLDER_TREE 1044
#define IDC_FULLSCAN_OK 1045
#define IDC_FULLSCAN_CANCEL 1036
#define IDC_FULLSCAN_MESSAGE 1105
