#pragma once
// The ignore list page of the scan tab: shows the threats of the
// application's ignore list and takes the checked ones off it; the list
// file is saved at once.

#include "engine/mothtrap.h"
#include "pages/maintenancepage.h"
#include "pages/threatlistview.h"
#include "platform/atl/atlbase.h"

class CIgnoreListDialog : public CMaintenancePage
{
    DECLARE_DYNAMIC(CIgnoreListDialog)

public:
    explicit CIgnoreListDialog(CWnd* pParent);

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;

    // Shows the ignore list anew, every threat unchecked; the scan tab calls
    // it each time it shows the page.
    void ShowIgnoreList();
    // Where the pages save the list: the product data folder's "ilist.lst";
    // the folder is made if need be.
    static CString GetIgnoreListPath();

    CThreatListView& GetThreatList() { return m_threatList; }

protected:
    afx_msg void OnRemoveSelection();
    afx_msg void OnSelectAll();
    afx_msg void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    CThreatListView m_threatList;
    CComPtr<IThreatCollection> m_items;   // the ignore list's own collection
    BOOL m_bAllSelected;
};
