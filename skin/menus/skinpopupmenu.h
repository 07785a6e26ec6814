#pragma once
// CSkinPopupMenu: a popup menu drawn by the toolkit in a window of the class
// "SkinToolsPopupMenuWnd", its items read from an ordinary menu and painted
// with the skin's "PopupMenu" object. Sub-menus open as further popups,
// chained parent to child; the root popup captures the mouse, keeps the
// owner's frame looking active and ends the menu. A chosen item reaches the
// owner as WM_COMMAND or WM_SYSCOMMAND, or is returned to the tracker.
//
// What the PopupMenu object gives: the nine-part frame of its shape, the
// menu font (its caption font), the item text (colour 1 is the highlight
// fill, colour 2 the item text), the highlighted and disabled text colours
// (rect 0 left and top), the item margins (rect 1), the highlight and
// separator pictures (its two grids) and the check mark and sub-menu arrow
// (its two images); the client background is the shape's client colour.

#include <windows.h>

#include "skin/menus/skinhostwnd.h"
#include "skin/menus/skinmenuitem.h"
#include "skin/objects/skinwindowobjects.h"

// Messages of the menus, to the owner and between the popups of a chain.
const UINT WM_SKIN_MENU_LBUTTON_OUTSIDE = 6024;
const UINT WM_SKIN_MENU_RBUTTON_OUTSIDE = 6025;
const UINT WM_SKIN_MENU_MOUSE_OUTSIDE = 6026;
const UINT WM_SKIN_MENU_END = 6027;
const UINT WM_SKIN_MENU_CLOSE_SUBMENU = 6032;
const UINT WM_SKIN_MENU_COMMAND = 6033;

extern const char SKIN_SAVED_WNDPROC_PROP[];

class CSkinPopupMenu : public CSkinHostWnd
{
public:
    enum Mode { DropDown = 0, SystemMenu = 1, Popup = 2, ReturnCommand = 3 };
    enum ButtonResult { NotHandled = 0, CommandChosen = 1, Handled = 2 };
    enum { SubMenuTimer = 1001, SubMenuDelay = 500 };

    CSkinPopupMenu(HWND owner, CSkinPopupMenu* parent, int mode);
    ~CSkinPopupMenu() override;

    BOOL Create();
    void LoadMenu(HMENU menu);
    // NULL or another type puts the built-in look back.
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    void SetMenuImages(const SkinMenuImages& images) { m_images = images; }
    SIZE CalcSize();
    // Closes the open sub-menus and destroys the window.
    void Close();
    void SetNotifyOnDeactivate(bool notify) { m_notifyOnDeactivate = notify; }

    bool IsDone() const { return m_done; }
    bool WasCancelled() const { return m_cancelled; }
    UINT GetResultCommand() const { return m_resultCommand; }
    CSkinPopupMenu* GetChild() const { return m_child; }
    CSkinPopupMenu* GetRoot();
    const CSkinMenuItemList& GetItems() const { return m_items; }
    int GetHotIndex() const { return m_hot; }
    int GetItemHeight() const { return m_itemHeight; }
    bool IsScrolling() const { return m_scrolling; }
    int GetFirstVisible() const { return m_firstVisible; }
    int GetVisibleCount() const { return m_visibleCount; }
    RECT GetUpArea() const { return m_upArea; }
    RECT GetDownArea() const { return m_downArea; }

    // The item under a client point, -1 for none.
    int HitTest(POINT client) const;
    RECT GetItemRect(int index) const;
    // Answers whether the point (client coordinates) is over this popup or
    // one of its sub-menus.
    bool OnMouseMove(POINT client);
    int OnButtonDown(UINT message, POINT client);
    void OnKeyDown(UINT key);
    LRESULT OnMenuKey(WPARAM key, LPARAM keyData) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const CSkinPopupMenuObject& Look() const { return *(const CSkinPopupMenuObject*)GetSkinObject(); }
    HFONT MenuFont();
    int CalcItemHeight();
    void OnShow(bool show);
    void PaintClient(HDC picture, const RECT& client) override;
    void DrawItem(HDC dc, const CSkinMenuItem& item, const RECT& rect);
    void RepaintItem(int index);
    void OpenSubMenu(int index);
    void CloseChild();
    void SetHot(int index, bool byMouse);
    void ClearHot();
    void EndMenu(bool cancelled);
    void DeliverCommand(UINT command);
    // A chosen command goes up the chain to the root, which ends the menu.
    void ChooseCommand(UINT command);
    void PostToOwner(UINT message, WPARAM wParam, LPARAM lParam);
    void MenuSelectClosed();
    void Scroll(int delta);
    enum { NoMnemonic, MnemonicDisabled, MnemonicChosen };
    // The first item with that mnemonic: its command chosen or its
    // sub-menu opened, unless it is disabled.
    int ChooseByMnemonic(WPARAM key);
    HWND OwnerFrame() const;
    void KeepOwnerActive(bool keep);

    HWND m_owner;
    CSkinPopupMenu* m_parent;
    CSkinPopupMenu* m_child;
    int m_mode;
    bool m_done;
    bool m_cancelled;
    UINT m_resultCommand;
    bool m_notifyOnDeactivate;
    int m_hot;
    int m_itemHeight;
    bool m_scrolling;
    int m_firstVisible;
    int m_visibleCount;
    RECT m_upArea;
    RECT m_downArea;
    CSkinMenuItemList m_items;
    SkinMenuImages m_images;
    CSkinPopupMenuObject m_default;
    HFONT m_font;
    bool m_captured;
};

// Where a tracked menu of that size opens for the point and TPM_ flags:
// aligned to the point, then kept inside the monitor's work area (or as
// wide or tall as it when larger).
RECT CalcSkinPopupMenuRect(int x, int y, UINT flags, SIZE size, bool mirrored);
// Shows the menu and runs until it ends. In the system-menu mode commands
// are posted as WM_SYSCOMMAND, otherwise as WM_COMMAND; with TPM_RETURNCMD
// the command is the answer. Otherwise 1, or 0 when the menu was left
// without a choice.
int TrackSkinPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner, BOOL systemMenu);
// A copy of the window's system menu, its items enabled as the system
// enables its own for the window's style and state, tracked at the cursor
// (2 pixels right of it) or at a point.
int ShowSkinSystemMenu(HWND hwnd);
int ShowSkinSystemMenuAt(HWND hwnd, POINT point);
// The caption buttons' way to the system menu.
void OpenSkinSystemMenu(HWND hwnd, POINT point);
LRESULT CALLBACK KeepFrameActiveProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
