#pragma once
// CSkinElement: a caption element: an area of a skinned frame that is not a
// window (a caption button or a caption text), with bounds in window
// coordinates, an enabled flag, a state and the skinner whose frame holds
// it. Its object is a CSkinCaptionElementObject: word 1 is the anchor mode,
// word 2 the command id, word 3 the visibility condition and its text the
// tooltip text. The base turns mouse messages into private messages to the
// owner window.

#include <windows.h>

#include <string>

#include "skin/core/skinroot.h"

class CSkinWnd;
class CSkinCaptionElementObject;

// Private messages an element sends its owner window: wParam the command
// id, lParam the point relative to the element (x low word, y high word).
const UINT WM_SKIN_ELEMENT_MOUSEMOVE = 3025;
const UINT WM_SKIN_ELEMENT_LBUTTONDOWN = 3026;
const UINT WM_SKIN_ELEMENT_RBUTTONDOWN = 3027;
const UINT WM_SKIN_ELEMENT_LBUTTONUP = 3028;
const UINT WM_SKIN_ELEMENT_RBUTTONUP = 3029;
const UINT WM_SKIN_ELEMENT_LBUTTONDBLCLK = 3030;
// A caption button the cursor has left (wParam its command id).
const UINT WM_SKIN_ELEMENT_LEAVE = 3031;
// Asks the owner for an element's tooltip text: wParam the command id,
// lParam a TOOLTIPTEXTA with code TTN_NEEDTEXTA.
const UINT WM_SKIN_ELEMENT_TOOLTIP = 3032;

class CSkinElement : public CSkinRoot
{
public:
    // Visibility conditions (word 3 of the object).
    enum
    {
        ShowAlways, ShowMinimized, ShowNotMinimized, ShowMaximized, ShowNotMaximized, ShowActive, ShowInactive,
        ShowEnabled, ShowDisabled, ShowRestored
    };

    CSkinElement(CSkinWnd* owner, CSkinCaptionElementObject* object);

    virtual void Draw(HDC) {}
    // The non-client hit-test code the element answers, 0 for none.
    virtual int GetHitCode() const { return 0; }
    // Visible and the window-relative point inside it.
    virtual bool HitTest(POINT point) const;
    // Fits the bounds to the owner's window size.
    virtual void Anchor(int width, int height);
    // Mouse messages at window-relative points; TRUE when taken, so that
    // the frame does nothing more with them. The base tells the owner and
    // takes nothing: a caption text still moves and sizes the window. time
    // is the message time in milliseconds.
    virtual BOOL OnMouseMove(POINT point);
    virtual BOOL OnLButtonDown(POINT point, DWORD time);
    virtual BOOL OnRButtonDown(POINT point);
    virtual BOOL OnLButtonUp(POINT point);
    virtual BOOL OnRButtonUp(POINT point);
    virtual BOOL OnLButtonDblClk(POINT point);
    // Sets the state and repaints the element.
    virtual void SetState(int state);
    // Follows the owner window's style (caption buttons the style lacks
    // are disabled).
    virtual void FollowWindowStyle(DWORD) {}
    // Adds the element's shape to the window region being built.
    virtual void CombineRegion(HRGN) {}
    // The owner window's answer to WM_SKIN_ELEMENT_TOOLTIP, else the
    // element's own text.
    std::string GetTooltipText() const override;
    CSkinObject* FindTooltipObject() const override;

    bool IsEnabled() const { return m_enabled != 0; }
    void Enable(bool enabled) { m_enabled = enabled ? 1 : 0; }
    int GetState() const { return m_state; }
    bool IsVisible() const;
    CSkinWnd* GetOwner() const { return m_owner; }
    CSkinCaptionElementObject* GetElementObject() const;
    DWORD GetCommand() const;

protected:
    HWND OwnerWindow() const;
    void Notify(UINT message, POINT point) const;
    // Repaints the frame under the element.
    void Repaint();

    int m_enabled;
    int m_state;
    RECT m_bounds;
    CSkinWnd* m_owner;
};
