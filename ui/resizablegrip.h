#pragma once
// The size-grip part of the resizable dialog. The program never asks for a
// grip, so no grip window exists and showing or updating it has no effect.

#include "platform/mfc/afxwin.h"

class CResizableGrip
{
public:
    virtual ~CResizableGrip() = default;

    // Shows or hides the grip window when there is one.
    void ShowSizeGrip(BOOL bShow);
    // Puts the grip in the bottom-right corner of the client area and shows
    // it unless the window is maximized.
    void UpdateSizeGrip();
    BOOL HasSizeGrip() const { return m_wndGrip.m_hWnd != nullptr; }

protected:
    virtual CWnd* GetResizableWnd() const = 0;

    CWnd m_wndGrip;
};
