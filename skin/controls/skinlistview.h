#pragma once
// CSkinListView: the skinner of list views: the object's background and
// text colours (the control's own given back on detach), the border and
// the skinned scroll bars. Owner-drawn list views keep the system look.
// Without the interception a dragged thumb scrolls the list by the distance
// it moved (LVM_SCROLL), as a list view reads its own bar's position.

#include "skin/controls/skinscrollcontrol.h"

class CSkinListView : public CSkinScrollControl
{
public:
    explicit CSkinListView(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    LRESULT OnScroll(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyColours();

    bool m_coloured;
    COLORREF m_ownColours[3]; // background, text background, text
};
