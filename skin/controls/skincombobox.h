#pragma once
// CSkinComboBox: the skinner of drop-down combo boxes: the object's frame
// picture, the edit area in the object's colours (colours 1 and 2; colour
// 3 behind a focused selection; colours 4 and 5 for a disabled box and the
// dropped list), the current item's text, and the drop button's picture by
// state (grids 0 to 3: normal, hot, pressed, disabled). Simple and
// variable owner-drawn combo boxes keep the system look.

#include "skin/controls/skincontrol.h"

class CSkinComboBox : public CSkinControl
{
public:
    enum ButtonState { ButtonNormal, ButtonHot, ButtonPressed, ButtonDisabled };

    explicit CSkinComboBox(CSkinWnd* parent);
    ~CSkinComboBox() override;

    BOOL Attach(HWND hwnd) override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The drop button and the edit area in client coordinates.
    void GetAreas(RECT& edit, RECT& button) const;
    int GetButtonState() const;

private:
    void MakeBrushes();
    void DeleteBrushes();
    void SetHot(bool hot);
    void PaintOwnerDrawn(HDC dc);

    bool m_ownerDrawnFixed;
    bool m_hot;
    HBRUSH m_editBrush;
    HBRUSH m_listBrush;
};
