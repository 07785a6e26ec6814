#pragma once
// CSkinHeader: the skinner of header controls (list view column headers
// among them): the object's background, an item picture behind each item
// and its text inside the object's margins, aligned as the item asks.

#include "skin/controls/skincontrol.h"

class CSkinHeader : public CSkinControl
{
public:
    explicit CSkinHeader(CSkinWnd* parent);

    void Paint(HDC dc) override;
};
