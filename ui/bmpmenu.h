#pragma once
// A popup menu drawn by the program: a picture strip down the left side and,
// beside it, a column of flat tool bar buttons, one per item of an ordinary
// popup menu. Sub-menus open as further bitmap menus beside their item. The
// menu runs its own modal loop until an item is chosen or it is dismissed
// (Escape, Alt, a click outside, another application becoming active).
//
//   CBmpMenu menu(0, TRUE, NULL, FALSE);
//   menu.CreatePopupMenu();
//   menu.AppendMenu(MF_STRING, ID_OPEN, "&Open");
//   menu.TrackPopup(0, point.x, point.y, this);   // the command is posted to this window
//
// A chosen item's command reaches the owner as a posted WM_COMMAND, after
// the menu has closed.

#include "platform/mfc/afxwin.h"

class CBmpMenuItems;

class CBmpMenu : public CWnd, public CMenu
{
    DECLARE_DYNAMIC(CBmpMenu)

public:
    // Private messages of the menu and its item strip.
    enum
    {
        WM_BMPMENU_CLICK = 0x465,        // to the strip: (button-down flags, position)
        WM_BMPMENU_CHILDCLOSED = 0x466,  // a sub-menu closed from the keyboard
        WM_BMPMENU_OPENSUBMENU = 0x467,  // (item position, FlagKeyboard or 0)
    };
    // TrackPopup flags.
    enum
    {
        FlagSubMenu = 0x001,
        FlagKeyboard = 0x100,  // opened from the keyboard: the first item starts hot
    };

    // stripWidth: width of the picture strip; subMenusInherit: sub-menus get
    // the same picture and strip; picture: kept only when it is a bitmap;
    // stretch: stretched over the strip rather than tiled.
    CBmpMenu(int stripWidth, BOOL subMenusInherit, HBITMAP picture, BOOL stretch);
    ~CBmpMenu() override;

    // Shows the menu of this object's CMenu part at (x, y) in screen
    // coordinates, opening right and down where it fits; a sub-menu opens
    // beside the exclusion rectangle instead. Returns when the menu has
    // closed: TRUE, or FALSE when nothing was shown (no owner window, no
    // items, or no window could be made).
    BOOL TrackPopup(DWORD flags, int x, int y, CWnd* pOwner, LPCRECT lpExclude = nullptr);
    // Closes the open sub-menus and this menu; its modal loop ends.
    void Close();

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Where a menu of the size opens inside the area: at the point, or
    // beside the exclusion rectangle when there is one.
    static CPoint PlaceMenu(const CRect& area, CSize size, CPoint point, LPCRECT lpExclude);

    // Fills the client area and draws the picture strip into the DC.
    void PaintBackground(CDC* pDC, const CRect& client) const;

    CWnd* GetOwnerWnd() const { return m_pOwner; }
    CBmpMenu* GetOpenSubMenu() const { return m_pSubMenu && m_pSubMenu->m_hWnd ? m_pSubMenu : nullptr; }
    CBmpMenu* GetParentMenu() const { return m_pParentMenu; }
    CBmpMenuItems* GetItemStrip() const { return m_pItems; }
    HBITMAP GetPicture() const { return m_hPicture; }
    int GetStripWidth() const { return m_nStripWidth; }
    BOOL IsSubMenu() const { return (m_dwFlags & FlagSubMenu) != 0; }

    // Closes this menu's open sub-menus.
    void CloseSubMenus();
    // Closes the whole chain of menus this one belongs to.
    void CloseChain();
    // An item without a sub-menu was chosen: the chain closes and the
    // owner receives the command.
    void ChooseCommand(UINT id);

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    void Layout(int x, int y, LPCRECT lpExclude);
    void OpenSubMenu(int position, BOOL fromKeyboard);
    void RunMenuLoop();
    CBmpMenu* Root();
    bool BelongsToChain(HWND hWnd);

    CWnd* m_pOwner;
    CBmpMenu* m_pSubMenu;
    HBITMAP m_hPicture;
    BOOL m_bSubMenusInherit;
    BOOL m_bStretch;
    int m_nStripWidth;
    DWORD m_dwFlags;
    CBmpMenuItems* m_pItems;
    CBmpMenu* m_pParentMenu;
    bool m_bClosing;
};
