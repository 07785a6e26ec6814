#pragma once
// The item strip of a bitmap menu: a tool bar with one flat button per menu
// item in a single column, drawn by the menu itself. It carries a copy of
// each item (MENUITEMINFO and text) and turns keys, clicks and hovering into
// choices, sub-menus and closing.

#include "platform/mfc/afxwin.h"

#include <memory>
#include <vector>

class CBmpMenu;

// A private copy of one menu item; info.dwTypeData points to text.
struct CBmpMenuItem
{
    enum { MaxText = 260 };  // the menu's text buffer, terminator included

    int position;
    MENUITEMINFOA info;
    char text[MaxText];

    bool IsSeparator() const { return (info.fType & MFT_SEPARATOR) != 0; }
    bool IsGrayed() const { return (info.fState & (MF_GRAYED | MF_DISABLED)) != 0; }
    bool IsChecked() const { return (info.fState & MFS_CHECKED) != 0; }
    bool HasSubMenu() const { return info.hSubMenu != nullptr; }
};

class CBmpMenuItems : public CToolBar
{
    DECLARE_DYNAMIC(CBmpMenuItems)

public:
    explicit CBmpMenuItems(CBmpMenu* pMenu);
    ~CBmpMenuItems() override;

    // Hidden, with tool tips, in the system's menu font.
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID) override;

    // One button per item of the menu, each on its own row; the buttons
    // then share one width. The column's size.
    CSize AddItems(HMENU hMenu);
    // The item at the button index, or NULL outside the strip.
    const CBmpMenuItem* GetItem(int index) const;
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // The index of the button under the point (client coordinates), or -1.
    int ItemFromPoint(CPoint point) const;
    int GetPendingIndex() const { return m_nPending; }
    void ResetPending() { m_nPending = -1; }

    // Draws one item into its rectangle, as custom drawing does.
    void DrawItem(CDC* pDC, const CRect& rect, const CBmpMenuItem& item, bool hot) const;

protected:
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseHover(UINT nFlags, CPoint point);
    afx_msg LRESULT OnClick(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnChildClosed(WPARAM wParam, LPARAM lParam);
    afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Presses the button as a click at one pixel inside its top-left corner.
    void SimulateClick(int index, WPARAM flags);
    // A button-down and (while the strip lives) a button-up at the point.
    void ClickAt(CPoint point, WPARAM flags);
    void Mnemonic(UINT key);
    void NoteHotItem(const CBmpMenuItem& item);
    void DrawCheck(CDC* pDC, const CRect& square, const CBmpMenuItem& item, bool hot) const;

    CBmpMenu* m_pMenu;
    int m_nHotId;
    int m_nPending;
    CFont m_font;
    int m_nHoverIndex;
    CPoint m_ptHover;
    std::vector<std::unique_ptr<CBmpMenuItem>> m_items;

    // The last mouse position seen by any strip, in screen coordinates.
    static CPoint s_lastMouse;
};
