#pragma once
// CSkinRadio: the skinner of radio buttons: drawn as a check box, a click
// on an auto radio button checks it and clears the other radio buttons of
// its group (from the nearest WS_GROUP sibling before it, or the first
// sibling, up to the next WS_GROUP sibling).

#include "skin/controls/skincheckbox.h"

class CSkinRadio : public CSkinCheckBox
{
public:
    explicit CSkinRadio(CSkinWnd* parent);

protected:
    void OnClick() override;
};
