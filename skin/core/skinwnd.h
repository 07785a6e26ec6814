#pragma once
// CSkinWnd: the base of every skinner. A skinner attaches to one existing
// window: it keeps the skin object it draws with, links itself to the window
// through the property "OBJECT", replaces the window procedure (in the
// window's own character set), gives the window's child controls control
// skinners through the manager, and paints the window's frame from a shape
// object: nine frame parts fitted to the window's size, the caption text,
// and the caption elements (buttons and texts) made from the object's
// children. The drawing skinners derive from it and override the window
// procedure and the set-object, attach and detach operations.

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "skin/core/skinroot.h"
#include "skin/draw/skinmemdc.h"

class CSkinObject;
class CSkinShapeObject;
class CSkinStore;
class CSkinElement;

// Private messages of the window skinners.
const UINT WM_SKIN_FORGET_CHILD = 6035;
const UINT WM_SKIN_MENU_KEY = 6036;

class CSkinWnd : public CSkinRoot
{
public:
    enum { PartCount = 9 };
    // Frame parts, row by row.
    enum { TopLeft, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight };

    CSkinWnd();
    ~CSkinWnd() override;

    // Draws the whole window (a control's face) into a DC of its client
    // size; nothing in the base.
    virtual void Paint(HDC) {}
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    virtual HMENU GetSkinMenu() const { return NULL; }
    virtual void SetSkinMenu(HMENU) {}
    // Answer to WM_SKIN_MENU_KEY: non-zero swallows the key.
    virtual LRESULT OnMenuKey(WPARAM, LPARAM) { return 0; }
    // Whether a skin switch that finds no object keeps this skinner.
    virtual BOOL KeepWithoutObject() { return FALSE; }
    virtual void OnNcDestroy();
    // The window rect in screen coordinates.
    virtual void GetWindowRect(RECT& rect) const;
    virtual void DrawBackground(HDC) {}
    // The frame parts, caption text and extras in the active or inactive
    // state, into a DC with window coordinates.
    virtual void DrawFrame(HDC dc, bool active);
    virtual void Detach();
    virtual BOOL Attach(HWND hwnd);
    virtual void OnShowWindow(WPARAM, LPARAM) {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The frame's widths left, top, right and bottom; empty in the base.
    virtual RECT GetBorderSizes() const;
    // Drawn after the caption text; nothing in the base.
    virtual void DrawFrameExtra(HDC, bool) {}
    // The window region of the frame for the current layout; NULL for
    // none. The caller owns it.
    virtual HRGN BuildWindowRegion();
    virtual void DrawCaptionText(HDC dc);
    // Repaints the part of the frame under the window-relative rect.
    virtual void RedrawFrameRect(const RECT&) {}
    // A control skinner's answer to its parent's WM_CTLCOLOR message: the
    // brush behind the control (the colours set on the DC), or NULL to let
    // the parent answer.
    virtual HBRUSH GetControlColour(HDC) { return NULL; }

    HWND GetHwnd() const { return m_hwnd; }
    // Windows of the popup-menu and tooltip classes are made for their
    // object; the host procedure records the window here.
    void SetHostWindow(HWND hwnd) { m_hwnd = hwnd; }
    CSkinStore* GetStore() const;
    // The object as a shape (a frame to draw), or NULL.
    CSkinShapeObject* GetShape() const;
    const RECT& GetLayoutRect(int part) const { return m_layout[part]; }
    bool IsCaptionTextOn() const { return m_captionTextOn != 0; }
    COLORREF GetTransparentColour() const { return m_transparentColour; }
    const std::vector<CSkinElement*>& GetElements() const { return m_elements; }

    // Skins each child window of parent (depth first) with object's child
    // objects, or the store's first object of the child's type.
    void SkinChildren(HWND parent, CSkinObject* object);
    // FALSE when the window is of no control class.
    BOOL SkinChild(HWND child, CSkinObject* object);
    void ForgetChild(HWND child) { m_children.erase(child); }

    // The destroyed-window removal: the saved procedure goes back and the
    // property is removed, nothing else is touched.
    void RestoreWindowProc();
    bool IsBeingDestroyed() const { return m_beingDestroyed != 0; }

    // Fits the object's nine parts to a window of this size: the right
    // column moves by the change of width, the bottom row by the change of
    // height, the middle row and column stretch.
    void FitFrame(int width, int height);
    // Enables the caption buttons the window style has.
    void UpdateCaptionButtons();
    // Places the elements for the window size (FitFrame's).
    void LayoutElements(int width, int height);
    void DrawElements(HDC dc);
    // The non-client code of a window-relative point over the frame parts:
    // HTCLIENT over the centre; with a sizing frame the 5 x 5 outer corners
    // of the corner parts, the top 5 pixels of the top, the sides and the
    // bottom size the window and the rest of the top row moves it; without
    // one only the top row answers (HTCAPTION). Elsewhere: outside.
    LRESULT HitTestFrame(POINT point, bool sizable, LRESULT outside) const;
    // The visible element under the window-relative point, or NULL.
    CSkinElement* ElementAt(POINT point) const;
    // Gives a mouse message at the window-relative point to the element
    // under it; TRUE when one took it.
    BOOL RouteMouseToElements(UINT message, POINT point);
    bool IsActiveCaption() const { return m_activeCaption; }

    static LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CSkinWnd* FromHandle(HWND hwnd);
    static CSkinObject* FindControlObject(CSkinObject* parent, int id, int type);

protected:
    LRESULT CallSaved(UINT message, WPARAM wParam, LPARAM lParam);
    // Calls the saved procedure with the window style changed for the
    // call and put back after it.
    LRESULT CallSavedWithStyle(DWORD style, UINT message, WPARAM wParam, LPARAM lParam);
    // Whether the style is being changed for such a call, or put back.
    bool IsBorrowingStyle() const { return m_borrowingStyle; }
    void DeleteElements();
    // Hands the window a new region (the system owns it from then on);
    // NULL removes the region.
    void SetRegion(HRGN region, BOOL redraw);
    void DrawFramePart(HDC dc, int part, bool active);
    // The update region of WM_NCPAINT (screen coordinates; 0 or 1: all of
    // the window) in window coordinates, for clipping; NULL for all of it
    // and for a mirrored window. The caller deletes it.
    HRGN WindowUpdateClip(HRGN update) const;
    // Copies the four frame strips of a window-sized picture of the frame
    // to the window DC; the client area is the window's own.
    void CopyFrameStrips(HDC windowDc, HDC frame, int width, int height) const;
    // A picture of the client background for a client of this size: the
    // object's centre picture over it with the client colour; NULL when it
    // cannot be made.
    CSkinMemDC* RenderBackground(const RECT& client) const;
    // Erases with the kept background (m_background) within the DC's clip,
    // but never over a visible child window that paints all of itself, as
    // if the window had WS_CLIPCHILDREN.
    void CopyBackgroundTo(HDC dc) const;
    // WM_SKIN_PARENT_BACKGROUND: the kept background under the child's
    // client area into its DC; 0 without a background.
    LRESULT CopyBackgroundUnder(HDC dc, HWND child) const;
    // WM_CTLCOLORSTATIC of a skinned background: statics (skinned or not)
    // draw transparently over it, read-only edits keep their own background,
    // anything else goes to the window's procedure.
    LRESULT OnCtlColorStatic(UINT message, WPARAM wParam, LPARAM lParam);
    // Paints a minimised window from the object's first grids.
    void DrawMinimized(HDC dc, bool active);

    RECT m_layout[PartCount];
    HWND m_hwnd;
    WNDPROC m_savedProc;
    bool m_unicode;
    std::vector<CSkinElement*> m_elements;
    std::map<HWND, CSkinWnd*> m_children;
    int m_beingDestroyed;
    int m_captionTextOn;
    int m_regionFlag;
    COLORREF m_transparentColour;
    HRGN m_windowRegion;
    // The client background as last made, for erasing and for the children
    // that copy it behind themselves.
    std::unique_ptr<CSkinMemDC> m_background;
    bool m_activeCaption;
    bool m_borrowingStyle;
};

extern const char SKIN_OBJECT_PROP[];
