#pragma once
// The scan page, first page of the main window: it owns every page of the
// scan road and of the scan-side maintenance, shows one of them at a time,
// switches on the messages they post, and holds the statistics panes. It
// turns the kind of scan into the scanner's two disk-area switches: the
// quick-disk area is on for every scan, the full-disk area for a scan of
// chosen folders.
//
// A scan request that comes while a scan or a clean runs, or while the
// result page holds its summary, is ignored (and noted in the debug log).

#include "pages/ignorelistdialog.h"
#include "pages/quarantinedialog.h"
#include "pages/scanlogsdialog.h"
#include "pages/scanprocessdialog.h"
#include "pages/scanresultdialog.h"
#include "pages/scanstartdialog.h"
#include "pages/scanstatpanes.h"

class CScanDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CScanDialog)

public:
    // The wParam of WM_SHOW_SCAN_PAGE.
    enum { PageQuickScan = 1004, PageFolderScan = 1017, PageResults = 1007 };

    explicit CScanDialog(CWnd* pParent);
    ~CScanDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void OnScanning(ScanAreaType area, DWORD count) override;
    void OnItemFound(ScanAreaType area);
    void LoadTexts() override;
    void UpdateLayout() override;
    void SwitchTo(CToolTipDialog* page);

    CToolTipDialog* GetCurrentPage() const { return m_pCurrent; }
    CScanStartDialog& GetStartPage() { return m_startPage; }
    CScanProcessDialog& GetProcessPage() { return m_processPage; }
    CScanResultDialog& GetResultPage() { return m_resultPage; }
    CScanLogsDialog& GetScanLogsPage() { return m_scanLogsPage; }
    CIgnoreListDialog& GetIgnoreListPage() { return m_ignoreListPage; }
    CQuarantineDialog& GetQuarantinePage() { return m_quarantinePage; }
    CScanStatPanes& GetStatPanes() { return m_statPanes; }

protected:
    afx_msg LRESULT OnShowScanPage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLeaveScanPage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowQuarantine(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowIgnoreList(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowScanLogs(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPageBack(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStartScan(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRefreshStatistics(WPARAM wParam, LPARAM lParam);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    DECLARE_MESSAGE_MAP()

private:
    // Why a scan cannot start now, or null when it can.
    const char* ScanBlocker();
    void StartScanPage(UINT id, LPARAM flag);

    CRect m_rcPage;
    CScanStartDialog m_startPage;
    CScanProcessDialog m_processPage;
    CScanResultDialog m_resultPage;
    CScanLogsDialog m_scanLogsPage;
    CIgnoreListDialog m_ignoreListPage;
    CQuarantineDialog m_quarantinePage;
    CToolTipDialog* m_pCurrent;
    CScanStatPanes m_statPanes;
};
