#pragma once
// CSkinDateTime: the skinner of date and time pickers: the object's
// background (grid 0 and colour 3 when disabled) under the control's own
// fields, its border (grid 2) and its drop button (normal, pressed grid 1
// while the calendar is open, disabled). A click on the button opens a
// skinned month calendar of the skinner's own; picking a day sets the date
// and tells the parent as the system's picker does.

#include "skin/controls/skincontrol.h"

class CSkinDateTime : public CSkinControl
{
public:
    explicit CSkinDateTime(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    RECT ButtonRect() const;
    HWND GetCalendar() const { return m_calendar; }
    // Opens the calendar and runs until a day is picked (true), or the
    // calendar is left, the picker or its calendar goes, or WM_QUIT comes.
    bool DropDown();

private:
    // Fills the header's sender and code and sends it to the parent.
    void Notify(int code, NMHDR* header);

    HWND m_calendar;
};
