#include "skin/controls/skinslider.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

CSkinSlider::CSkinSlider(CSkinWnd* parent) : CSkinControl(parent, sotSlider), m_styleBefore(0)
{
}

BOOL CSkinSlider::Attach(HWND hwnd)
{
    m_styleBefore = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    ChangeWindowStyle(hwnd, 0, TBS_BOTH, 0);
    return TRUE;
}

void CSkinSlider::Detach()
{
    if (m_hwnd) {
        const DWORD visible = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & WS_VISIBLE;
        SetWindowLongA(m_hwnd, GWL_STYLE, (LONG)((m_styleBefore & ~WS_VISIBLE) | visible));
        InvalidateRect(m_hwnd, NULL, TRUE);
    }
    CSkinControl::Detach();
}

void CSkinSlider::PaintFlat(HDC dc, int width, int height, const RECT& channel, const RECT& thumb)
{
    const CSkinSliderObject* object = ObjectOfType<CSkinSliderObject>(m_object, sotSlider);
    CSkinStore* store = GetStore();
    const RECT whole = {0, 0, width, height};
    if (!object->m_words[0])
        DrawSkinNineGrid(store, dc, whole, object->m_background, GetSysColor(COLOR_3DFACE), TRUE, FALSE);
    DrawSkinNineGrid(store, dc, channel, object->m_channel, object->m_colour1, TRUE, FALSE);
    DrawSkinNineGrid(store, dc, thumb, object->m_thumb, object->m_colour1, TRUE, FALSE);
}

void CSkinSlider::Paint(HDC dc)
{
    const CSkinSliderObject* object = ObjectOfType<CSkinSliderObject>(m_object, sotSlider);
    if (!object)
        return;
    RECT client, channel, thumb;
    GetClientRect(m_hwnd, &client);
    CallSaved(TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
    CallSaved(TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    // Word 0: the parent's picture shows through the background.
    if (object->m_words[0])
        DrawParentBackground(m_hwnd, dc);
    if (!(GetWindowLongA(m_hwnd, GWL_STYLE) & TBS_VERT)) {
        PaintFlat(dc, client.right, client.bottom, channel, thumb);
        return;
    }
    // A vertical slider is composed lying down and turned upright; its
    // channel is reported across the control's width or along its height
    // depending on the system, so it is taken upright in either case.
    if (RectWidth(channel) > RectHeight(channel))
        SetRect(&channel, channel.top, channel.left, channel.bottom, channel.right);
    CSkinMemDC flat(dc, client.bottom, client.right);
    if (!flat.IsValid())
        return;
    if (object->m_words[0]) {
        CSkinMemDC upright(dc, client.right, client.bottom);
        DrawParentBackground(m_hwnd, upright);
        DrawTurned(flat, 0, 0, upright, client.right, client.bottom, 90);
    }
    PaintFlat(flat, client.bottom, client.right, UnturnRect(channel, client.right, client.bottom, 270),
              UnturnRect(thumb, client.right, client.bottom, 270));
    DrawTurned(dc, 0, 0, flat, client.bottom, client.right, 270);
}

LRESULT CSkinSlider::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!(wParam & MK_LBUTTON))
            break;
    // fall through
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: {
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (IsWindow(m_hwnd))
            RepaintNow();
        return result;
    }
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
