#include "skin/controls/skinspin.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

bool IsBlockEmpty(const SkinSpinState& block)
{
    return IsImagePartEmpty(block.button) && IsImagePartEmpty(block.arrow);
}

} // namespace

CSkinSpin::CSkinSpin(CSkinWnd* parent) : CSkinControl(parent, sotSpin), m_state(None)
{
}

bool CSkinSpin::IsHorizontal() const
{
    return (GetWindowLongA(m_hwnd, GWL_STYLE) & UDS_HORZ) != 0;
}

int CSkinSpin::HalfAt(POINT point) const
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!PtInRect(&client, point))
        return 0;
    if (IsHorizontal())
        return point.x < client.right / 2 ? 1 : 2;
    return point.y < client.bottom / 2 ? 1 : 2;
}

SkinSpinState CSkinSpin::Block(int base, int half) const
{
    const CSkinSpinObject* object = ObjectOfType<CSkinSpinObject>(m_object, sotSpin);
    int state = 0;
    if (!IsWindowEnabled(m_hwnd))
        state = 3;
    else if (m_state == (half == 1 ? FirstPressed : SecondPressed))
        state = 2;
    else if (m_state == (half == 1 ? FirstHot : SecondHot))
        state = 1;
    // Face and arrow each fall back to the normal state's.
    const SkinSpinState& chosen = object->m_states[base + state];
    const SkinSpinState& normal = object->m_states[base];
    SkinSpinState block = {PartOr(chosen.button, normal.button), PartOr(chosen.arrow, normal.arrow)};
    return block;
}

void CSkinSpin::PaintHalves(HDC dc, int width, int height, int base, bool horizontal)
{
    CSkinStore* store = GetStore();
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const COLORREF key = 0xFF00FF;
    for (int half = 1; half <= 2; ++half) {
        RECT rect = {0, 0, width, height};
        if (horizontal)
            (half == 1 ? rect.right : rect.left) = width / 2;
        else
            (half == 1 ? rect.bottom : rect.top) = height / 2;
        const SkinSpinState block = Block(base, half);
        DrawSkinImagePart(store, dc, rect, block.button, face, TRUE, FALSE);
        const int w = RectWidth(block.arrow.source), h = RectHeight(block.arrow.source);
        if (w <= 0 || h <= 0)
            continue;
        RECT arrow = {rect.left + (RectWidth(rect) - w) / 2, rect.top + (RectHeight(rect) - h) / 2, 0, 0};
        arrow.right = arrow.left + w;
        arrow.bottom = arrow.top + h;
        if (half == 1)
            DrawSkinImagePartTransparent(store, dc, arrow, block.arrow, key, FALSE);
        else
            DrawFlippedPart(store, dc, arrow, block.arrow, key, !horizontal);
    }
}

void CSkinSpin::Paint(HDC dc)
{
    const CSkinSpinObject* object = ObjectOfType<CSkinSpinObject>(m_object, sotSpin);
    if (!object)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!IsHorizontal()) {
        PaintHalves(dc, client.right, client.bottom, 0, false);
        return;
    }
    if (!IsBlockEmpty(object->m_states[4])) {
        PaintHalves(dc, client.right, client.bottom, 4, true);
        return;
    }
    // No horizontal pictures: the vertical spin composed upright, turned so
    // that its first half comes to the left.
    CSkinMemDC upright(dc, client.bottom, client.right);
    if (!upright.IsValid())
        return;
    PaintHalves(upright, client.bottom, client.right, 0, false);
    DrawTurned(dc, 0, 0, upright, client.bottom, client.right, 270);
}

LRESULT CSkinSpin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: {
        const POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        const int half = HalfAt(point);
        const bool down = message == WM_LBUTTONDOWN || (message == WM_MOUSEMOVE && (wParam & MK_LBUTTON));
        const int state = half == 0 ? None : down ? (half == 1 ? FirstPressed : SecondPressed)
                                                  : (half == 1 ? FirstHot : SecondHot);
        if (state != m_state) {
            m_state = state;
            RepaintNow();
        }
        break;
    }
    case WM_MOUSELEAVE:
        m_state = None;
        break;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
