#pragma once
// CSkinCaptionButton: a button drawn in a skinned frame's caption (close,
// minimise, maximise, system menu or a command) with hot, pressed and
// toggled looks. Its CaptionButton object gives: the normal picture (the
// element image), the hot, pressed and disabled pictures (images 0 to 2),
// the action kind, the toggle flag (the word after it), the command id
// (word 2) and, in value 1, whether its shape is taken from its picture.
// Pixels of the transparent colour are left out when it is drawn.

#include "skin/elements/skinelement.h"

class CSkinCaptionButtonObject;

class CSkinCaptionButton : public CSkinElement
{
public:
    enum { StateHot = 0, StatePressed = 1, StateNormal = 3 };
    enum
    {
        ActionCommand = 0,
        ActionClose = 1,
        ActionSystemMenu = 2,
        ActionMaximize = 3,
        ActionMinimize = 4,
        ActionSystemMenuAlt = 5
    };
    // Opens the frame window's system menu below the button (screen
    // point); tests put their own in.
    typedef void (*SystemMenuHandler)(HWND frame, POINT point);

    CSkinCaptionButton(CSkinWnd* owner, CSkinCaptionButtonObject* object);
    ~CSkinCaptionButton() override;

    void Draw(HDC dc) override;
    int GetHitCode() const override { return HTCAPTION; }
    bool HitTest(POINT point) const override;
    void FollowWindowStyle(DWORD style) override;
    BOOL OnMouseMove(POINT point) override;
    BOOL OnLButtonDown(POINT point, DWORD time) override;
    BOOL OnLButtonUp(POINT point) override;
    BOOL OnRButtonDown(POINT point) override;
    BOOL OnRButtonUp(POINT point) override;
    BOOL OnLButtonDblClk(POINT point) override;

    void PerformAction();
    DWORD GetKind() const;
    bool IsToggle() const;
    bool IsTracking() const { return m_tracking; }
    // Called by the hover timer: when the cursor (window-relative) is no
    // longer over the button, it goes back to rest and the owner is told.
    void CheckHover(POINT cursor);

    static void SetSystemMenuHandler(SystemMenuHandler handler);

private:
    static void CALLBACK HoverTimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void StartHoverTimer();
    void StopHoverTimer();
    void OpenSystemMenu();
    // The look at rest: pressed for a toggle that is on, else normal.
    int RestingState() const { return m_toggled ? StatePressed : StateNormal; }
    void PostSysCommand(WPARAM command);
    void MakeShape();

    DWORD m_lastClick;
    bool m_clicked;
    bool m_tracking;
    bool m_toggled;
    UINT_PTR m_timer;
    HRGN m_region;      // the picture's shape at the element's origin
    COLORREF m_transparent;
};
