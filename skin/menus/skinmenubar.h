#pragma once
// CSkinMenuBar: the menu bar of a skinned frame window. The frame's menu is
// taken off the window and its top-level items are laid out in rows in the
// frame's non-client area, under the caption, drawn from the frame object's
// embedded menu-bar object, followed by the mouse and opened as skinned
// drop-down menus. With a maximised MDI child the bar also shows the
// child's icon and its minimise, restore and close buttons.
//
// What the menu-bar object gives: the bar font and the normal text colour
// (its font block), the hot, pressed and disabled text colours (rect 4:
// left, top, right), the background picture (grid 3, colour 1), the hot and
// pressed pictures (grids 1 and 2, with words 4 and 5 as colours, and rects
// 0 and 1 as their margins), the bar's margins (rect 2), and the MDI
// buttons' pictures (three states each of icon, minimise, restore and close
// in its eleven button images and its icon image).

#include <windows.h>

#include <string>
#include <vector>

#include "skin/menus/skinmenuitem.h"
#include "skin/objects/skinobject.h"

class CSkinPopupMenu;
class CSkinStore;

const UINT WM_SKIN_QUERY_STATE = 6041;

// What the bar needs of its frame.
class ISkinMenuBarFrame
{
public:
    virtual ~ISkinMenuBarFrame() {}
    virtual HWND GetFrameWindow() const = 0;
    virtual CSkinStore* GetFrameStore() const = 0;
    virtual const SkinMenuImages& GetMenuImages() const = 0;
    // The band the bar lies in, window coordinates: its left and right edges
    // and its top.
    virtual RECT GetMenuBarArea() const = 0;
    // Whether the window's size changed since the frame's last layout (the
    // bar then has the window framed again).
    virtual bool IsFrameOutOfDate() const = 0;
    virtual HWND GetActiveMdiChild(BOOL* maximised) = 0;
    virtual void ShowMdiChildSystemMenu() = 0;
    virtual void MinimizeMdiChild() = 0;
    virtual void RestoreMdiChild() = 0;
    virtual void CloseMdiChild() = 0;
};

struct CSkinMenuBarItem
{
    enum State { Normal = 0, Hot = 1, Pressed = 2 };

    CSkinMenuBarItem(HMENU menu, int position);
    bool IsEnabled() const;

    RECT rect;
    std::string text;
    UINT commandId;
    int position;
    HMENU subMenu;
    HMENU menu;
    int mnemonic;
    int state;
    CSkinPopupMenu* dropDown;
};

class CSkinMenuBar
{
public:
    enum MdiButton { ChildIcon = 0, Minimize = 1, Restore = 2, Close = 3, MdiButtonCount = 4 };
    enum { HoverTimerPeriod = 100 };

    CSkinMenuBar(const RECT& rect, ISkinMenuBarFrame* frame, const CSkinCaptionBarObject* object);
    ~CSkinMenuBar();

    void LoadMenu(HMENU menu);
    // Forgets the menu (the frame takes it back).
    void ForgetMenu();
    HMENU GetMenu() const { return m_menu; }
    // NULL puts the built-in look back.
    void SetSkinObject(const CSkinCaptionBarObject* object);

    // The bar's rectangle for the frame's present size.
    RECT GetBarRect();
    int CalcBarHeight(int width);
    void Layout();
    // Paints the bar into a DC in the frame's window coordinates.
    void Paint(HDC dc);
    // Paints the bar at once onto the frame's window.
    void Repaint();

    // Points in the frame's window coordinates.
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    // WM_SKIN_MENU_KEY: VK_LEFT, VK_RIGHT, -1 for a lone Alt, or a mnemonic;
    // TRUE when used.
    BOOL OnMenuKey(int key);
    void OnMenuEnd();
    void PressItem(CSkinMenuBarItem* item);

    int GetItemCount() const { return (int)m_items.size(); }
    CSkinMenuBarItem* GetItem(int index) const;
    CSkinMenuBarItem* GetHotItem() const { return m_hot; }
    CSkinMenuBarItem* GetOpenItem() const { return m_open; }
    bool AreMdiButtonsShown();
    RECT GetMdiButtonRect(int button) const { return m_buttons[button].rect; }
    int GetMdiButtonState(int button) const { return m_buttons[button].state; }

private:
    struct Button
    {
        RECT rect;
        int state;
    };

    SIZE MeasureItem(HDC dc, const CSkinMenuBarItem& item) const;
    HFONT BarFont();
    CSkinMenuBarItem* ItemAt(POINT point) const;
    POINT FramePoint(int x, int y) const;
    void OpenDropDown(CSkinMenuBarItem* item);
    void CloseDropDown();
    void StartHoverTimer();
    void StopHoverTimer();
    static void CALLBACK HoverTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    void OnHoverTimer();
    void DrawItem(HDC dc, const CSkinMenuBarItem& item);
    void ClearItems();

    const CSkinCaptionBarObject& Look() const { return m_object ? *m_object : m_default; }

    ISkinMenuBarFrame* m_frame;
    const CSkinCaptionBarObject* m_object;
    CSkinCaptionBarObject m_default;
    HMENU m_menu;
    std::vector<CSkinMenuBarItem*> m_items;
    Button m_buttons[MdiButtonCount];
    CSkinMenuBarItem* m_hot;
    CSkinMenuBarItem* m_open;
    RECT m_rect;
    HFONT m_font;
    bool m_timer;
};
