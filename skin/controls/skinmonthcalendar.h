#pragma once
// CSkinMonthCalendar: the skinner of month calendars: the object's colours
// for the calendar's parts (the control's own given back on detach), its
// background under the calendar's printed content, and the previous and
// next month buttons from the object's pictures (grids 0 to 2: previous
// normal, hot, pressed; 3 to 5 the same for next).

#include "skin/controls/skincontrol.h"

class CSkinMonthCalendar : public CSkinControl
{
public:
    enum { NoButton = 0, PreviousButton = 1, NextButton = 2 };

    explicit CSkinMonthCalendar(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int ButtonAt(POINT point) const;

private:
    void ApplyColours();

    RECT m_previous;
    RECT m_next;
    int m_hot;
    bool m_pressed;
    bool m_coloured;
    COLORREF m_ownColours[6];
};
