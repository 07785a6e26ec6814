#include "skin/controls/skinbutton.h"

#include <string.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/windows/skindialog.h"

namespace {

// A set without a picture has nothing to show: its default text style
// alone does not make it a state of its own.
bool IsSetEmpty(const SkinButtonState& set)
{
    return IsGridEmpty(set.image);
}

bool IsDefaultStyle(DWORD style)
{
    return (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

} // namespace

CSkinButton::CSkinButton(CSkinWnd* parent) : CSkinButtonBase(parent, sotButton), m_default(false)
{
    memset(&m_composed, 0, sizeof(m_composed));
}

BOOL CSkinButton::Attach(HWND hwnd)
{
    m_default = IsDefaultStyle((DWORD)GetWindowLongA(hwnd, GWL_STYLE));
    return CSkinButtonBase::Attach(hwnd);
}

int CSkinButton::ChooseState() const
{
    const CSkinButtonObject* object = PushLikeObject();
    if (!m_hwnd || !IsWindowEnabled(m_hwnd))
        return CSkinButtonObject::Disabled;
    const LRESULT state = SendMessageA(m_hwnd, BM_GETSTATE, 0, 0);
    if ((state & BST_PUSHED) || m_pressed)
        return CSkinButtonObject::Pressed;
    if (m_hovering && object && !IsSetEmpty(object->m_states[CSkinButtonObject::Hover]))
        return CSkinButtonObject::Hover;
    if (state & BST_CHECKED)
        return CSkinButtonObject::Pressed;
    const bool focused = GetFocus() == m_hwnd;
    if (m_default && !focused)
        return CSkinButtonObject::Default;
    if (focused) {
        if (m_default && object && IsSetEmpty(object->m_states[CSkinButtonObject::Focused]))
            return CSkinButtonObject::Default;
        return CSkinButtonObject::Focused;
    }
    return CSkinButtonObject::Normal;
}

const SkinButtonState& CSkinButton::PushLikeState() const
{
    const CSkinButtonObject* object = PushLikeObject();
    memset(&m_composed, 0, sizeof(m_composed));
    if (!object)
        return m_composed;
    const SkinButtonState& chosen = object->m_states[ChooseState()];
    const SkinButtonState& normal = object->m_states[CSkinButtonObject::Normal];
    static const RECT none = {0, 0, 0, 0};
    m_composed.image = GridOr(chosen.image, normal.image);
    m_composed.text = IsTextStyleEmpty(chosen.text) ? normal.text : chosen.text;
    m_composed.margins = EqualRect(&chosen.margins, &none) ? normal.margins : chosen.margins;
    return m_composed;
}

CSkinObject* CSkinButton::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinButtonBase::SetSkinObject(object);
    if (m_hwnd) {
        UpdatePushLikeRegion();
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return previous;
}

void CSkinButton::Paint(HDC dc)
{
    PaintPushLike(dc);
}

LRESULT CSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SKIN_PARENT_BACKGROUND:
        // A button used as a panel is the background of the controls on it.
        return CopyPaintedUnder(this, (HDC)wParam, (HWND)lParam);
    case WM_SETTEXT: {
        // The button's own procedure would draw the system's face first.
        const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
        const LRESULT result = CallSavedWithStyle(style & ~WS_VISIBLE, message, wParam, lParam);
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    case WM_SIZE: {
        const LRESULT result = CSkinButtonBase::WindowProc(message, wParam, lParam);
        UpdatePushLikeRegion();
        return result;
    }
    case WM_STYLECHANGED: case BM_SETSTYLE: {
        // The dialog manager moves the default look with BM_SETSTYLE, which
        // need not come with WM_STYLECHANGED.
        const LRESULT result = CSkinButtonBase::WindowProc(message, wParam, lParam);
        m_default = IsDefaultStyle((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE));
        RepaintNow();
        return result;
    }
    default:
        break;
    }
    return CSkinButtonBase::WindowProc(message, wParam, lParam);
}
