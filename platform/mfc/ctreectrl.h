#pragma once
// The tree-view control: the calls the folder tree makes, each one message.

#include "platform/mfc/cimagelist.h"
#include "platform/mfc/cwnd.h"

#include <commctrl.h>

class CTreeCtrl : public CWnd
{
public:
    HTREEITEM InsertItem(LPCSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after = TVI_LAST)
    {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<LPSTR>(text);
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage;
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    BOOL DeleteItem(HTREEITEM item) { return (BOOL)SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }

    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
    {
        return reinterpret_cast<HTREEITEM>(::SendMessageA(m_hWnd, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item)
    {
        return (BOOL)SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    BOOL Expand(HTREEITEM item, UINT code)
    {
        return (BOOL)SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item));
    }

    CString GetItemText(HTREEITEM item) const
    {
        char buffer[MAX_PATH * 2] = "";
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = sizeof(buffer);
        ::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return CString(buffer);
    }
    DWORD_PTR GetItemData(HTREEITEM item) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        ::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return static_cast<DWORD_PTR>(tv.lParam);
    }
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data)
    {
        TVITEMA tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        tv.lParam = static_cast<LPARAM>(data);
        return (BOOL)SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    }
    UINT GetItemState(HTREEITEM item, UINT mask) const
    {
        return static_cast<UINT>(::SendMessageA(m_hWnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask)) & mask;
    }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask)
    {
        TVITEMA tv = {};
        tv.mask = TVIF_STATE;
        tv.hItem = item;
        tv.state = state;
        tv.stateMask = mask;
        return (BOOL)SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    }
    BOOL GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const
    {
        *reinterpret_cast<HTREEITEM*>(rect) = item;
        return (BOOL)::SendMessageA(m_hWnd, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect));
    }
    HTREEITEM HitTest(POINT point, UINT* flags) const
    {
        TVHITTESTINFO info = {};
        info.pt = point;
        HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageA(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (flags)
            *flags = info.flags;
        return item;
    }
    // The previous list (not owned by the tree); type TVSIL_NORMAL or TVSIL_STATE.
    HIMAGELIST SetImageList(HIMAGELIST list, int type)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, type, reinterpret_cast<LPARAM>(list)));
    }
    HIMAGELIST GetImageList(int type) const
    {
        return reinterpret_cast<HIMAGELIST>(::SendMessageA(m_hWnd, TVM_GETIMAGELIST, type, 0));
    }
    COLORREF SetBkColor(COLORREF color) { return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, color)); }
    UINT GetCount() const { return static_cast<UINT>(::SendMessageA(m_hWnd, TVM_GETCOUNT, 0, 0)); }
};
