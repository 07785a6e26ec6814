#pragma once
// CSkinFrameWnd: the skinner of a resizable frame window (a tool frame, or
// a program's main frame): its caption, borders and caption elements drawn
// from a FrameWnd object like a dialog's, and beyond that its menu taken off
// the window and shown in a skinned menu bar under the caption, the skinner
// of an "MDIClient" child, an MDI child's borders kept outside its client
// when maximised, and the frame's own hit-testing, sizing and caption
// clicks. The window procedure handles activation, menus and titles while
// the window's style holds none of the system's frame.

#include "skin/core/skinwnd.h"
#include "skin/menus/skinmenubar.h"

class CSkinMdiClient;

class CSkinFrameWnd : public CSkinWnd, public ISkinMenuBarFrame
{
public:
    // The style the system sees while it handles activation, menus and
    // titles of a frame that is no MDI child.
    enum { PlainStyle = 0x96000000 };

    CSkinFrameWnd();

    CSkinObject* SetSkinObject(CSkinObject* object) override;
    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    HMENU GetSkinMenu() const override;
    void SetSkinMenu(HMENU menu) override { SetFrameMenu(menu); }
    // FALSE for a null or invalid menu, or while a drop-down is open.
    BOOL SetFrameMenu(HMENU menu);
    LRESULT OnMenuKey(WPARAM key, LPARAM keyData) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The frame's widths, the menu bar counted in the top.
    RECT GetBorderSizes() const override;
    // The menu bar paints itself into the frame.
    void DrawFrameExtra(HDC dc, bool active) override;

    // What the menu bar reads of its frame.
    HWND GetFrameWindow() const override { return m_hwnd; }
    CSkinStore* GetFrameStore() const override { return GetStore(); }
    const SkinMenuImages& GetMenuImages() const override { return m_menuImages; }
    RECT GetMenuBarArea() const override;
    bool IsFrameOutOfDate() const override;
    HWND GetActiveMdiChild(BOOL* maximised) override;
    void ShowMdiChildSystemMenu() override;
    void MinimizeMdiChild() override;
    void RestoreMdiChild() override;
    void CloseMdiChild() override;

    // Window-relative points.
    LRESULT OnNcHitTest(POINT point);
    void OnNcLButtonDown(WPARAM hit, POINT point);
    void OnNcLButtonUp(WPARAM hit, POINT point);
    void OnNcLButtonDblClk(WPARAM hit, POINT point);
    void OnNcMouseMove(WPARAM hit, POINT point);
    void OnGetMinMaxInfo(MINMAXINFO* info);

    CSkinMenuBar& GetMenuBar() { return m_menuBar; }
    const RECT& GetMenuBarRect() const { return m_menuBarRect; }
    CSkinMdiClient* GetMdiClient() const { return m_mdiClient; }
    bool IsResizable() const;
    bool IsMaximised() const;
    // The MDI client skinner forgets itself here when it goes.
    void ForgetMdiClient() { m_mdiClient = NULL; }

private:
    LRESULT OnNcActivate(WPARAM wParam, LPARAM lParam);
    void OnNcCalcSize(RECT* proposed);
    void PaintFrame(HRGN update);
    void RepaintCaptionStrip();
    void FitToWindow();
    // Resizes the window so that its client area keeps this size inside
    // the skin's frame.
    void KeepClientSize(const RECT& client);
    BOOL EraseBackground(HDC dc);
    void MakeBackground();
    void DeleteBackground();
    void OnClickOutsideMenu(LPARAM screen);
    POINT WindowPoint(LPARAM screen) const;
    DWORD StyleNow() const { return (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE); }
    // The plain style for this frame, keeping its visibility.
    DWORD Plain() const;

    RECT m_lastWindowRect;
    int m_redrawPending;
    RECT m_menuBarRect;
    HMENU m_savedMenu;
    DWORD m_plainStyle;
    int m_mdiChild;
    DWORD m_styleAtAttach;
    CSkinMenuBar m_menuBar;
    LONG m_lastCaptionRelease;
    CSkinMdiClient* m_mdiClient;
    SkinMenuImages m_menuImages;
};
