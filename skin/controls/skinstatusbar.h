#pragma once
// CSkinStatusBar: the skinner of status bars: the object's background, a
// part picture behind each part with its text inside the picture's side
// margins, and the grip picture in the corner of a sizing bar.

#include "skin/controls/skincontrol.h"

class CSkinStatusBar : public CSkinControl
{
public:
    explicit CSkinStatusBar(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
};
