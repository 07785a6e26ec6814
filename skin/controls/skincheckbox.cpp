#include "skin/controls/skincheckbox.h"

#include "skin/objects/skincontrolobjects.h"

CSkinCheckBox::CSkinCheckBox(CSkinWnd* parent, int type) : CSkinButtonBase(parent, type)
{
}

const SkinCheckState& CSkinCheckBox::ChooseBlock(const CSkinCheckObject& object, LRESULT state, bool enabled,
                                                 bool hot, bool pressed)
{
    const SkinCheckState* blocks = object.m_states;
    const bool checked = (state & BST_CHECKED) != 0, mixed = (state & BST_INDETERMINATE) != 0;
    if (!enabled)
        return checked || mixed ? PickState(blocks, DisabledChecked, Checked, Unchecked)
                                : PickState(blocks, DisabledUnchecked, Unchecked, Unchecked);
    if (pressed || (state & BST_PUSHED))
        return PickState(blocks, Pressed, checked ? Checked : Unchecked, Unchecked);
    if (mixed)
        return PickState(blocks, DisabledChecked, Checked, Unchecked);
    if (hot)
        return checked ? PickState(blocks, HotChecked, Checked, Unchecked)
                       : PickState(blocks, HotUnchecked, Unchecked, Unchecked);
    return checked ? PickState(blocks, Checked, Unchecked, Unchecked)
                   : PickState(blocks, Unchecked, Unchecked, Unchecked);
}

void CSkinCheckBox::Paint(HDC dc)
{
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    if ((style & BS_PUSHLIKE) || !m_object || (m_object->GetType() != sotCheckBox && m_object->GetType() != sotRadio)) {
        PaintPushLike(dc);
        return;
    }
    const CSkinCheckObject& object = *static_cast<CSkinCheckObject*>(m_object);
    const LRESULT state = SendMessageA(m_hwnd, BM_GETSTATE, 0, 0);
    const bool hot = m_hovering || GetFocus() == m_hwnd;
    // Word 0: the parent's picture shows behind the box; otherwise the
    // block's background over the button face.
    PaintCheck(dc, ChooseBlock(object, state, IsWindowEnabled(m_hwnd) != FALSE, hot, m_pressed != 0),
               object.m_word == 0);
}

void CSkinCheckBox::OnClick()
{
    const DWORD type = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & BS_TYPEMASK;
    const LRESULT check = SendMessageA(m_hwnd, BM_GETCHECK, 0, 0);
    if (type == BS_AUTOCHECKBOX)
        SendMessageA(m_hwnd, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (type == BS_AUTO3STATE)
        SendMessageA(m_hwnd, BM_SETCHECK,
                     check == BST_UNCHECKED ? BST_CHECKED : check == BST_CHECKED ? BST_INDETERMINATE : BST_UNCHECKED, 0);
}
