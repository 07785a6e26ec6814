#pragma once
// CSkinScrollControl: the skinner of controls that scroll their content,
// and the base of the edit, list box, list view and tree view skinners. It
// gives the control the object's border in its non-client area, the
// skinned scroll bars of the skin's ScrollBar object (installed once the
// control is fully made), and keeps those bars in step with the control.

#include "skin/controls/skincontrol.h"
#include "skin/objects/skintypes.h"

class CSkinScrollBarObject;

class CSkinScrollControl : public CSkinControl
{
public:
    explicit CSkinScrollControl(CSkinWnd* parent, int type = sotScrollControl);
    ~CSkinScrollControl() override;

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool AreScrollBarsInstalled() const { return m_barsInstalled; }

protected:
    // WM_HSCROLL and WM_VSCROLL of the control's own bars. A control that
    // asks user32 where a dragged thumb is finds the replacement's track
    // position there.
    virtual LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam);
    // The brush of the object's background colour (colour 1), made once
    // per object.
    HBRUSH BackgroundBrush();
    // The bars' position and page as the control reads them.
    int TrackPosition(int bar) const;

private:
    void InstallScrollBars();
    void ApplyScrollBarSizes(CSkinScrollBarObject* object);
    void SyncScrollBars();
    LRESULT OnNcPaint(WPARAM wParam);
    bool PaintsBackground() const;

    bool m_barsInstalled;
    HBRUSH m_brush;
    COLORREF m_brushColour;
};
