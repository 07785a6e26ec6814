#pragma once
// CSkinRebar: the skinner of rebars: the object's background and a band
// picture behind each band with the band's text inside the margins.

#include "skin/controls/skincontrol.h"

class CSkinRebar : public CSkinControl
{
public:
    explicit CSkinRebar(CSkinWnd* parent);

    void Paint(HDC dc) override;
};
