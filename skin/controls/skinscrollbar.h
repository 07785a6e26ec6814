#pragma once
// CSkinScrollBar: the skinner of scroll-bar controls. Once it has read the
// control's range, page and position it keeps them itself, answers the
// scroll-bar messages from them, tracks presses, drags and auto-repeat, and
// paints the ScrollBar object's pictures for the control's orientation
// (groups normal, hot, pressed, disabled). Size grips are only painted.
// The control gets the values back on detach.

#include "skin/controls/skincontrol.h"
#include "skin/scrollbars/skinscrollgeometry.h"

class CSkinScrollBarObject;
struct SkinScrollBarState;

class CSkinScrollBar : public CSkinControl
{
public:
    explicit CSkinScrollBar(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsEmulating() const { return m_emulating; }
    const SCROLLINFO& GetInfo() const { return m_info; }
    SkinScrollGeometry Measure() const;
    int PartAt(POINT point) const;

private:
    bool IsVertical() const;
    bool IsSizeGrip() const;
    const SkinScrollBarState* Group(int state) const;
    int Along(POINT point) const;
    RECT PartRect(const SkinScrollGeometry& g, int part) const;
    void ReadControl();
    LRESULT SetInfo(const SCROLLINFO& info, BOOL redraw);
    void Notify(int code, int position);
    void OnButtonDown(POINT point);
    void OnMouseMove(WPARAM keys, POINT point);
    void OnButtonUp();
    void OnTimer();
    void Redraw();

    SCROLLINFO m_info;
    bool m_emulating;
    int m_pressed;      // part held down, sspNone without a press
    int m_hot;          // part under the mouse
    int m_mouseOffset;  // of the mouse inside a dragged thumb
    int m_dragPosition;
    bool m_timer;
};
