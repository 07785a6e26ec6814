#pragma once
// Resource ids of the HTML window-class tests and the HTML demo; kept apart
// from the program's own HTML resources (128, 158, 189, 172).

#define IDD_HTMLVIEW 110
#define IDD_HTMLDEMO 111

#define IDC_HTML 1100
#define IDC_ANIMATION 1101
#define IDC_SYSINFO 1102
#define IDC_STATUS 1103

#define IDR_LAYOUT_PAGE 400
#define IDR_THREATS_SAMPLE 401
#define IDR_OTHER_PAGE 402
