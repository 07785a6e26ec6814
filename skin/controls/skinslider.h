#pragma once
// CSkinSlider: the skinner of track bars: the background (the parent's, or
// the object's picture), the channel and the thumb from the object's
// pictures; vertical sliders are the horizontal picture turned. The slider
// keeps its own state; mouse use repaints it at once.

#include "skin/controls/skincontrol.h"

class CSkinSlider : public CSkinControl
{
public:
    explicit CSkinSlider(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintFlat(HDC dc, int width, int height, const RECT& channel, const RECT& thumb);

    DWORD m_styleBefore;
};
