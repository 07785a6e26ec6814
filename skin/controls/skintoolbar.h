#pragma once
// CSkinToolBar: the skinner of tool bars: the object's background (turned
// for a bar docked at a side), each button's picture by state (normal,
// hot, pressed or checked, disabled), its image, drop-down arrow and text,
// and the separators' picture. The hot button follows the mouse.

#include <windows.h>
#include <commctrl.h>

#include "skin/controls/skincontrol.h"

class CSkinToolBar : public CSkinControl
{
public:
    explicit CSkinToolBar(CSkinWnd* parent);

    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The picture index of a button's state: 0 normal, 1 hot, 2 pressed, 3
    // disabled.
    static int ButtonState(BYTE state, bool hot);
    int GetHotItem() const { return m_hot; }

private:
    bool IsDockedAtSide() const;
    void PaintBackground(HDC dc, const RECT& rect);
    void PaintButton(HDC dc, int index, const TBBUTTON& button, const RECT& rect);

    int m_hot;
};
