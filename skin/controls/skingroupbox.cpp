#include "skin/controls/skingroupbox.h"

#include <algorithm>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/windows/skindialog.h"

namespace {

const int TextLength = 300;
const int CaptionInset = 4;

} // namespace

CSkinGroupBox::CSkinGroupBox(CSkinWnd* parent) : CSkinControl(parent, sotGroupBox)
{
}

BOOL CSkinGroupBox::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    InvalidateRect(hwnd, NULL, TRUE);
    return TRUE;
}

RECT CSkinGroupBox::CaptionRect(bool* hasText) const
{
    char text[TextLength + 1] = "";
    GetWindowTextA(m_hwnd, text, sizeof(text));
    if (hasText)
        *hasText = text[0] != '\0';
    RECT client;
    GetClientRect(m_hwnd, &client);
    SIZE extent = {0, 0};
    if (HDC dc = GetDC(m_hwnd)) {
        {
            CControlFont font(m_hwnd, dc);
            const char* measured = text[0] ? text : "A";
            GetTextExtentPoint32A(dc, measured, lstrlenA(measured), &extent);
        }
        ReleaseDC(m_hwnd, dc);
    }
    const CSkinGroupBoxObject* object = ObjectOfType<CSkinGroupBoxObject>(m_object, sotGroupBox);
    const RECT margins = object ? object->m_background.margins : RECT();
    const int width = extent.cx + margins.left + margins.right, height = extent.cy + margins.top + margins.bottom;
    // Left unless the style asks for the right or the middle, as the
    // system's group boxes do.
    int left = client.left + CaptionInset;
    const DWORD align = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & BS_CENTER;
    if (align == BS_RIGHT)
        left = std::max<int>(client.right - CaptionInset - width, client.left + 2);
    else if (align == BS_CENTER)
        left = client.left + (RectWidth(client) - width) / 2;
    const RECT caption = {left, client.top, left + width, client.top + height};
    return caption;
}

RECT CSkinGroupBox::FrameRect(const RECT& caption) const
{
    RECT frame;
    GetClientRect(m_hwnd, &frame);
    frame.top = (caption.top + caption.bottom) / 2;
    return frame;
}

void CSkinGroupBox::Paint(HDC dc)
{
    DrawParentBackground(m_hwnd, dc);
    const CSkinGroupBoxObject* object = ObjectOfType<CSkinGroupBoxObject>(m_object, sotGroupBox);
    if (!object)
        return;
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    bool hasText = false;
    const RECT caption = CaptionRect(&hasText);
    // The frame picture's key-coloured pixels show what lies behind the
    // box: a rounded line keys out its inside, a panel fills it.
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawSkinKeyed(dc, client, m_transparentColour, [&](HDC frame, const RECT&) {
        DrawSkinNineGrid(store, frame, FrameRect(caption), object->m_frame, object->m_colour1, FALSE, mirrored);
        if (hasText)
            FillSolidRect(frame, caption, m_transparentColour);
        return TRUE;
    });
    if (!hasText)
        return;
    if (!object->m_parentBackground)
        DrawSkinNineGrid(store, dc, caption, object->m_background, object->m_colour1, FALSE, mirrored);
    char text[TextLength + 1] = "";
    GetWindowTextA(m_hwnd, text, sizeof(text));
    CControlFont font(m_hwnd, dc);
    DrawStyledText(dc, object->m_text, InsideMargins(caption, object->m_background.margins), text, -1, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CSkinGroupBox::ClipPaint(HDC dc)
{
    // The box paints all it covers, its parent's picture inside the frame,
    // except the controls laid over it, which keep their pixels: it does
    // not depend on a transparent window's place in the painting order.
    if (HWND parent = GetParent(m_hwnd))
        ExcludeWindowsFromClip(dc, m_hwnd, parent, m_hwnd);
}

LRESULT CSkinGroupBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SKIN_PARENT_BACKGROUND:
        return CopyPaintedUnder(this, (HDC)wParam, (HWND)lParam);
    case WM_ENABLE: case WM_SETTEXT: case WM_SETFONT: {
        // The system's box would draw itself while handling these.
        const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
        const LRESULT result = CallSavedWithStyle(style & ~WS_VISIBLE, message, wParam, lParam);
        if (style & WS_VISIBLE)
            RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    default:
        return CSkinControl::WindowProc(message, wParam, lParam);
    }
}
