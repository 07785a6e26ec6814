#pragma once
// CSkinControlBar: the skinner of the framework's control bars (tool bar
// docks): the object's background over the client area.

#include "skin/controls/skincontrol.h"

class CSkinControlBar : public CSkinControl
{
public:
    explicit CSkinControlBar(CSkinWnd* parent);

    void Paint(HDC dc) override;
};
