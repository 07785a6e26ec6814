#pragma once
// CSkinMdiClient: the skinner of a skinned frame's "MDIClient" child. It
// paints the client background from the frame object's MDI background
// picture, restores a maximised child before a new one is made, and
// repaints where a destroyed child was.

#include "skin/core/skinwnd.h"

class CSkinFrameWnd;

// Sent by an MDI child frame that goes to its MDI client: repaint this
// rectangle (lParam, client coordinates) unless a child is active.
const UINT WM_SKIN_MDI_REFRESH = 6028;

class CSkinMdiClient : public CSkinWnd
{
public:
    explicit CSkinMdiClient(CSkinFrameWnd* frame);
    ~CSkinMdiClient() override;

    // It has no object of its own: a skin switch keeps it.
    BOOL KeepWithoutObject() override { return TRUE; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CSkinFrameWnd* m_frame;
};
