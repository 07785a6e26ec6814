#include "skin/controls/skintoolbar.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const int TextLength = 260;
const int DropArrowWidth = 6;

// The small arrow of a drop-down button: rows of 6, 4, 2 and 2 pixels.
void DrawDropArrow(HDC dc, const RECT& rect)
{
    static const int rows[4] = {6, 4, 2, 2};
    HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
    const int x = rect.right - DropArrowWidth, y = rect.top + (RectHeight(rect) - 4) / 2;
    for (int i = 0; i < 4; ++i) {
        const int inset = (DropArrowWidth - rows[i]) / 2;
        MoveToEx(dc, x + inset, y + i, NULL);
        LineTo(dc, x + inset + rows[i], y + i);
    }
    SelectObject(dc, old);
}

} // namespace

CSkinToolBar::CSkinToolBar(CSkinWnd* parent) : CSkinControl(parent, sotToolBar), m_hot(-1)
{
}

int CSkinToolBar::ButtonState(BYTE state, bool hot)
{
    if (state & (TBSTATE_CHECKED | TBSTATE_PRESSED))
        return 2;
    if ((state & TBSTATE_HIDDEN) || !(state & TBSTATE_ENABLED))
        return 3;
    return hot ? 1 : 0;
}

bool CSkinToolBar::IsDockedAtSide() const
{
    HWND parent = GetParent(m_hwnd);
    char name[32] = "";
    if (!parent || !GetClassNameA(parent, name, sizeof(name)))
        return false;
    if (lstrcmpA(name, "AfxControlBar42sd") && lstrcmpA(name, "AfxControlBar42s") && lstrcmpA(name, "AfxControlBar42su")
        && lstrcmpA(name, "AfxControlBar42sud"))
        return false;
    return (GetWindowLongA(parent, GWL_STYLE) & (0x1000 | 0x4000)) != 0;
}

void CSkinToolBar::PaintBackground(HDC dc, const RECT& rect)
{
    const CSkinToolBarObject& object = *ObjectOfType<CSkinToolBarObject>(m_object, sotToolBar);
    if (!IsDockedAtSide()) {
        DrawSkinNineGrid(GetStore(), dc, rect, object.m_background, object.m_colour1, TRUE, IsMirroredWindow(m_hwnd));
        return;
    }
    CSkinMemDC flat(dc, RectHeight(rect), RectWidth(rect));
    if (!flat.IsValid())
        return;
    const RECT lying = {0, 0, RectHeight(rect), RectWidth(rect)};
    DrawSkinNineGrid(GetStore(), flat, lying, object.m_background, object.m_colour1, TRUE, FALSE);
    DrawTurned(dc, rect.left, rect.top, flat, lying.right, lying.bottom, 270);
}

void CSkinToolBar::PaintButton(HDC dc, int index, const TBBUTTON& button, const RECT& bounds)
{
    const CSkinToolBarObject& object = *ObjectOfType<CSkinToolBarObject>(m_object, sotToolBar);
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    if (button.fsStyle & BTNS_SEP) {
        DrawSkinNineGrid(store, dc, bounds, object.m_separator, object.m_colour1, FALSE, mirrored);
        return;
    }
    const bool hot = index == m_hot;
    const int state = ButtonState(button.fsState, hot);
    DrawSkinNineGrid(store, dc, bounds, GridOr(object.m_buttons[state], object.m_buttons[0]), object.m_colour1, FALSE,
                     mirrored);
    RECT rect = bounds;
    if (button.fsStyle & 0x89) {
        DrawDropArrow(dc, rect);
        rect.right -= DropArrowWidth;
    }
    HIMAGELIST images = (HIMAGELIST)CallSaved(TB_GETIMAGELIST, 0, 0);
    HIMAGELIST hotImages = hot ? (HIMAGELIST)CallSaved(TB_GETHOTIMAGELIST, 0, 0) : NULL;
    HIMAGELIST disabledImages = state == 3 ? (HIMAGELIST)CallSaved(TB_GETDISABLEDIMAGELIST, 0, 0) : NULL;
    int iconWidth = 0, iconHeight = 0;
    if (images && button.iBitmap >= 0)
        ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    const bool list = (GetWindowLongA(m_hwnd, GWL_STYLE) & TBSTYLE_LIST) != 0;
    char text[TextLength] = "";
    const int length = (int)CallSaved(TB_GETBUTTONTEXTA, button.idCommand, 0);
    if (length > 0 && length < TextLength)
        CallSaved(TB_GETBUTTONTEXTA, button.idCommand, (LPARAM)text);
    int x = list ? rect.left + 3 : rect.left + (RectWidth(rect) - iconWidth) / 2;
    int y = list || !text[0] ? rect.top + (RectHeight(rect) - iconHeight) / 2 : rect.top + 3;
    if (iconWidth) {
        if (disabledImages || state != 3) {
            HIMAGELIST from = disabledImages ? disabledImages : hotImages ? hotImages : images;
            ImageList_Draw(from, button.iBitmap, dc, x, y, ILD_TRANSPARENT);
        } else if (HICON icon = ImageList_GetIcon(images, button.iBitmap, ILD_NORMAL)) {
            DrawStateA(dc, NULL, NULL, (LPARAM)icon, 0, x, y, iconWidth, iconHeight, DST_ICON | DSS_DISABLED);
            DestroyIcon(icon);
        }
    }
    if (!text[0])
        return;
    CControlFont font(m_hwnd, dc);
    const COLORREF colour = state == 3 ? GetSysColor(COLOR_GRAYTEXT) : object.GetFontColour();
    if (list) {
        const RECT area = {x + iconWidth + 3, rect.top, rect.right, rect.bottom};
        DrawPlainText(dc, text, area, colour, DT_VCENTER | DT_SINGLELINE);
    } else {
        const RECT area = {rect.left, y + iconHeight, rect.right, rect.bottom};
        DrawPlainText(dc, text, area, colour, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    }
}

void CSkinToolBar::Paint(HDC dc)
{
    if (!ObjectOfType<CSkinToolBarObject>(m_object, sotToolBar))
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    PaintBackground(dc, client);
    const int count = (int)CallSaved(TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        RECT rect;
        if (!CallSaved(TB_GETBUTTON, i, (LPARAM)&button) || (button.fsState & TBSTATE_HIDDEN)
            || !CallSaved(TB_GETITEMRECT, i, (LPARAM)&rect))
            continue;
        PaintButton(dc, i, button, rect);
    }
}

LRESULT CSkinToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCPAINT: {
        const CSkinToolBarObject* object = ObjectOfType<CSkinToolBarObject>(m_object, sotToolBar);
        if (object && DrawNonClientGrid(m_hwnd, GetStore(), object->m_background, object->m_colour1))
            return 0;
        break;
    }
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: {
        POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (!IsWindow(m_hwnd))
            return result;
        const int hit = (int)CallSaved(TB_HITTEST, 0, (LPARAM)&point);
        const int hot = hit >= 0 ? hit : -1;
        if (hot != m_hot || message != WM_MOUSEMOVE) {
            m_hot = hot;
            RepaintNow();
        }
        return result;
    }
    case WM_MOUSELEAVE:
        m_hot = -1;
        break;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
