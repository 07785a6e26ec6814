#pragma once
// Resource ids of the diagnostics' dialogs, shared by their resource script
// and their classes.

// The crash-report dialog.
#define IDD_EXCEPTION_DIALOG 156
#define IDC_EXCEPTION_COMMENTS 1033
#define IDC_EXCEPTION_COMMENTS_HEADER 1034
#define IDC_EXCEPTION_SEND 1035
#define IDC_EXCEPTION_CANCEL 1036
#define IDC_EXCEPTION_TOP_TEXT 1037
#define IDC_EXCEPTION_ICON 1038
#define IDC_EXCEPTION_EMAIL 1040
#define IDC_EXCEPTION_EMAIL_LABEL 1042

// The help-request form.
#define IDD_SEND_REPORT_DIALOG 188
#define IDC_SEND_REPORT_SEND 1035
#define IDC_SEND_REPORT_CANCEL 1056
#define IDC_SEND_REPORT_EMAIL 1073
#define IDC_SEND_REPORT_EMAIL_LABEL 1074
#define IDC_SEND_REPORT_STATUS 1076
#define IDC_SEND_REPORT_SUBJECT 1077
#define IDC_SEND_REPORT_SUBJECT_LABEL 1078
#define IDC_SEND_REPORT_DESCRIPTION 1079
#define IDC_SEND_REPORT_DESCRIPTION_LABEL 1080

// The crash reporter's English message texts, for a crash that comes
// before the language file is read.
#define IDS_EXCEPTION_CANNOT_SEND 2156
#define IDS_EXCEPTION_THANKS 2157
