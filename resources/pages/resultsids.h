#pragma once
// Resource ids of the result page, the threat list and the remove summary
// (resources/pages/results.rc), shared by the script and the code.

// The result page.
#define IDD_SCAN_RESULT 149
#define IDC_RESULT_CLEAN 1007
#define IDC_RESULT_CANCEL 1039
#define IDC_RESULT_FRAME 1040
#define IDC_RESULT_LIST_FRAME 1041
#define IDC_RESULT_IGNORE 1046
#define IDC_RESULT_SELECT_ALL 1056
#define IDC_RESULT_UNKNOWN_LINK 1072

// The threat list: an empty child dialog holding the browser page, and the
// page itself (HTML resource 158, resources/html/threatlist.html).
#define IDD_THREAT_LIST 157
#define IDR_THREAT_LIST 158

// The remove summary.
#define IDD_REMOVE_SUMMARY 164
#define IDC_SUMMARY_FOUND_LABEL 1047
#define IDC_SUMMARY_REMOVED_LABEL 1048
#define IDC_SUMMARY_FOUND 1049
#define IDC_SUMMARY_REMOVED 1050
