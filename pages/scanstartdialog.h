#pragma once
// The scan tab's start page: one start button, a check box that makes the
// scan one of the folders chosen in the folder tree below it, the usage
// totals and the links to the quarantine, ignore list and scan logs. A
// scan request that comes without the user (scheduled scan, scan after a
// definitions update) takes the same road as the button.

#include "pages/scanmenudialog.h"
#include "pages/specfoldersdialog.h"
#include "pages/statdialogs.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CScanStartDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CScanStartDialog)

public:
    explicit CScanStartDialog(CWnd* pParent);

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void LoadTexts() override;
    void UpdateLayout() override;

    // A request (WM_START_SCAN) asks for its kind of scan; the button for a
    // quick scan, or with the check box for a scan of the checked folders,
    // which become the scanner settings' include paths.
    void OnStart();

    CScanMenuDialog& GetMenuPane() { return m_menu; }
    CStatScanDialog& GetTotalsPane() { return m_totals; }
    CSpecFoldersDialog& GetFoldersPane() { return m_folders; }

protected:
    afx_msg LRESULT OnShowQuarantine(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowIgnoreList(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowScanLogs(WPARAM wParam, LPARAM lParam);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnStartClicked();
    afx_msg void OnUsePathsLabel();
    afx_msg LRESULT OnStartScan(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRefreshStatistics(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ForwardToContainer(UINT message);
    void PostScanPage(WPARAM id, LPARAM flag);

    CRect m_rcPage;
    HCURSOR m_hCursor;
    CScanMenuDialog m_menu;
    CStatScanDialog m_totals;
    CSpecFoldersDialog m_folders;
    WPARAM m_nRequestKind;
    LPARAM m_nRequestFlag;
};
