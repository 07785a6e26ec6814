#pragma once
// CSkinTab: the skinner of tab controls: the background, the page picture
// under the tab rows and each tab's picture and text colour by state
// (normal, hot, selected, disabled), turned or upside down for tabs on the
// sides or at the bottom. The tab control is the parent background of the
// pages laid over it. Owner-drawn tab controls keep the system look.

#include "skin/controls/skincontrol.h"

class CSkinTab : public CSkinControl
{
public:
    enum Side { Top, Bottom, Left, Right };

    explicit CSkinTab(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    Side GetSide() const;
    // The state block index of a tab: 0 normal, 1 hot, 2 selected, 3
    // disabled.
    int ItemState(int item) const;
    // The client area less the tab rows.
    RECT PageRect() const;

protected:
    void ClipPaint(HDC dc) override;

private:
    void PaintItem(HDC dc, int item, const RECT& rect);

    int m_hot;
};
