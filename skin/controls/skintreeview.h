#pragma once
// CSkinTreeView: the skinner of tree views: the object's text, background
// and line colours (the control's own given back on detach), the border
// and the skinned scroll bars.

#include "skin/controls/skinscrollcontrol.h"

class CSkinTreeView : public CSkinScrollControl
{
public:
    explicit CSkinTreeView(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyColours();

    bool m_coloured;
    COLORREF m_ownColours[3]; // text, background, lines
};
