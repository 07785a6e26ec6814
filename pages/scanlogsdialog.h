#pragma once
// The scan logs page of the scan tab: lists the scan logs of the data
// folder's "logs" folder, shows the chosen one and deletes it.

#include "pages/maintenancepage.h"
#include "platform/mfc/cstringarray.h"

class CScanLogsDialog : public CMaintenancePage
{
    DECLARE_DYNAMIC(CScanLogsDialog)

public:
    // The most of one log shown at once. A larger log shows its beginning
    // after a note, so a huge file cannot stall the page.
    enum { MaxShownBytes = 1024 * 1024 };

    explicit CScanLogsDialog(CWnd* pParent);

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;

    // The product data folder's "logs" folder, without a closing backslash.
    static CString GetLogsFolder();
    // The text the page shows for a log: its lines, each ended by CR LF.
    // Without a note the text is the whole file; note says why not.
    enum ReadNote { NoteNone, NoteTooLarge, NoteUnreadable };
    static CString ReadLogText(const CString& path, ReadNote* note);

    // Lists the logs again and shows the first one.
    void FillLogList();
    void ShowSelectedLog();
    const CStringArray& GetLogNames() const { return m_names; }

protected:
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnDelete();
    afx_msg void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    CStringArray m_names;
};
