#pragma once
// CSkinEdit: the skinner of edit and rich edit controls: the object's text
// and background colours (colour 3 behind read-only and disabled text), and
// the border and scroll bars of the scroll-control skinner.

#include "skin/controls/skinscrollcontrol.h"

class CSkinEdit : public CSkinScrollControl
{
public:
    explicit CSkinEdit(CSkinWnd* parent, int type = sotEdit);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    HBRUSH GetControlColour(HDC dc) override;

private:
    void ApplyRichEditBackground();

    HBRUSH m_quietBrush;
    COLORREF m_quietColour;
    bool m_richBackground;
};
