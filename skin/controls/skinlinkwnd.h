#pragma once
// CSkinLinkWnd: the skinner of shell link windows ("Link Window"): the
// control draws its own text and links on white, which is laid over the
// Static object's background (or the parent's) with the window colour left
// out.

#include "skin/controls/skincontrol.h"

class CSkinLinkWnd : public CSkinControl
{
public:
    explicit CSkinLinkWnd(CSkinWnd* parent);

    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
