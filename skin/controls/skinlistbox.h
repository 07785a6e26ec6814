#pragma once
// CSkinListBox: the skinner of list boxes, the lists of simple combo boxes
// among them: the object's colours, the border and the skinned scroll
// bars. Owner-drawn lists other than a combo box's keep the system look.
// Selection, keys and scrolling stay the control's own.

#include "skin/controls/skinscrollcontrol.h"

class CSkinListBox : public CSkinScrollControl
{
public:
    explicit CSkinListBox(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
