#pragma once
// The tab control.

#include "platform/mfc/cwnd.h"

#include <commctrl.h>

class CImageList;

class CTabCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTabCtrl)

public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetItemCount() const;
    // -1 when no tab is selected.
    int GetCurSel() const;
    // The previously selected tab, or -1.
    int SetCurSel(int nItem);
    // The new tab's index, or -1.
    LONG InsertItem(int nItem, LPCSTR lpszItem);
    LONG InsertItem(int nItem, TCITEMA* pTabCtrlItem);
    BOOL SetItem(int nItem, TCITEMA* pTabCtrlItem);
    BOOL GetItem(int nItem, TCITEMA* pTabCtrlItem) const;
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    // The previous size.
    CSize SetItemSize(CSize size);
    int SetMinTabWidth(int cx);
    void AdjustRect(BOOL bLarger, LPRECT lpRect);
    int HitTest(TCHITTESTINFO* pHitTestInfo) const;
    HIMAGELIST SetImageList(CImageList* pImageList);
};
