#include "platform/mfc/ctabctrl.h"

#include "platform/mfc/cimagelist.h"

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(WC_TABCONTROLA, nullptr, dwStyle, rect, pParentWnd, nID);
}

int CTabCtrl::GetItemCount() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
}

int CTabCtrl::GetCurSel() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TCM_GETCURSEL, 0, 0));
}

int CTabCtrl::SetCurSel(int nItem)
{
    return static_cast<int>(SendMessage(TCM_SETCURSEL, nItem, 0));
}

LONG CTabCtrl::InsertItem(int nItem, LPCSTR lpszItem)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>(lpszItem ? lpszItem : "");
    return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, TCITEMA* pTabCtrlItem)
{
    return static_cast<LONG>(SendMessage(TCM_INSERTITEMA, nItem, reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::SetItem(int nItem, TCITEMA* pTabCtrlItem)
{
    return static_cast<BOOL>(SendMessage(TCM_SETITEMA, nItem, reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::GetItem(int nItem, TCITEMA* pTabCtrlItem) const
{
    return static_cast<BOOL>(
        ::SendMessageA(m_hWnd, TCM_GETITEMA, nItem, reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

BOOL CTabCtrl::GetItemRect(int nItem, LPRECT lpRect) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TCM_GETITEMRECT, nItem, reinterpret_cast<LPARAM>(lpRect)));
}

BOOL CTabCtrl::DeleteItem(int nItem)
{
    return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, nItem, 0));
}

BOOL CTabCtrl::DeleteAllItems()
{
    return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS, 0, 0));
}

CSize CTabCtrl::SetItemSize(CSize size)
{
    return CSize(static_cast<DWORD>(SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(size.cx, size.cy))));
}

int CTabCtrl::SetMinTabWidth(int cx)
{
    return static_cast<int>(SendMessage(TCM_SETMINTABWIDTH, 0, cx));
}

void CTabCtrl::AdjustRect(BOOL bLarger, LPRECT lpRect)
{
    SendMessage(TCM_ADJUSTRECT, bLarger, reinterpret_cast<LPARAM>(lpRect));
}

int CTabCtrl::HitTest(TCHITTESTINFO* pHitTestInfo) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
}

HIMAGELIST CTabCtrl::SetImageList(CImageList* pImageList)
{
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList ? pImageList->m_hImageList : nullptr)));
}
