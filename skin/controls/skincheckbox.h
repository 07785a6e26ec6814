#pragma once
// CSkinCheckBox: the skinner of check boxes, and the base of the radio
// button skinner. The button's state picks a mark and a text style from
// the object's seven blocks (unchecked, checked, disabled checked, hot
// unchecked, hot checked, disabled unchecked, pressed), each state through
// a chain of up to three blocks where the first one with content wins; an
// indeterminate box shows the greyed (disabled checked) mark. BS_PUSHLIKE
// boxes look like push buttons. A click steps auto check boxes.

#include "skin/controls/skinbuttonbase.h"

class CSkinCheckObject;

class CSkinCheckBox : public CSkinButtonBase
{
public:
    enum { Unchecked, Checked, DisabledChecked, HotUnchecked, HotChecked, DisabledUnchecked, Pressed };

    explicit CSkinCheckBox(CSkinWnd* parent, int type = sotCheckBox);

    void Paint(HDC dc) override;
    // The block for a state: the BM_GETSTATE bits, enabled, hot (hover or
    // focus) and held down by the mouse or space key.
    static const SkinCheckState& ChooseBlock(const CSkinCheckObject& object, LRESULT state, bool enabled, bool hot,
                                             bool pressed);

protected:
    void OnClick() override;
};
