#pragma once
// CSkinSpin: the skinner of up-down controls. Each half shows the state
// block of its state (normal, hot, pressed, disabled): the face picture
// stretched over the half and the arrow picture centred on it, drawn as it
// is for the first half and mirrored for the second. Horizontal spins take
// the skin's horizontal blocks, or the vertical picture turned.

#include "skin/controls/skincontrol.h"

#include "skin/objects/skintypes.h"

class CSkinSpin : public CSkinControl
{
public:
    enum { None = 0, FirstPressed = 1, SecondPressed = 2, FirstHot = 3, SecondHot = 4 };

    explicit CSkinSpin(CSkinWnd* parent);

    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // 1 for the first half (top, or left with UDS_HORZ), 2 for the second,
    // 0 outside.
    int HalfAt(POINT point) const;
    int GetState() const { return m_state; }

private:
    bool IsHorizontal() const;
    void PaintHalves(HDC dc, int width, int height, int base, bool horizontal);
    SkinSpinState Block(int base, int half) const;

    int m_state;
};
