#include "skin/controls/skintab.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/windows/skindialog.h"

namespace {

const int TextLength = 260;
const int IconGap = 4;
const COLORREF Key = 0xFF00FF;

} // namespace

CSkinTab::CSkinTab(CSkinWnd* parent) : CSkinControl(parent, sotTab), m_hot(-1)
{
}

BOOL CSkinTab::Attach(HWND hwnd)
{
    if (GetWindowLongA(hwnd, GWL_STYLE) & TCS_OWNERDRAWFIXED)
        return FALSE;
    return CSkinControl::Attach(hwnd);
}

CSkinTab::Side CSkinTab::GetSide() const
{
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    if ((style & (TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE)) == (TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE))
        return Right;
    if (style & TCS_VERTICAL)
        return Left;
    return (style & TCS_BOTTOM) ? Bottom : Top;
}

int CSkinTab::ItemState(int item) const
{
    if (!IsWindowEnabled(m_hwnd))
        return 3;
    if (item == (int)SendMessageA(m_hwnd, TCM_GETCURSEL, 0, 0))
        return 2;
    return item == m_hot ? 1 : 0;
}

RECT CSkinTab::PageRect() const
{
    RECT page, rows = {0, 0, 0, 0};
    GetClientRect(m_hwnd, &page);
    const int count = (int)SendMessageA(m_hwnd, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        RECT item;
        if (SendMessageA(m_hwnd, TCM_GETITEMRECT, i, (LPARAM)&item))
            UnionRect(&rows, &rows, &item);
    }
    if (IsRectEmpty(&rows))
        return page;
    switch (GetSide()) {
    case Top: page.top = rows.bottom; break;
    case Bottom: page.bottom = rows.top; break;
    case Left: page.left = rows.right; break;
    case Right: page.right = rows.left; break;
    }
    return page;
}

void CSkinTab::PaintItem(HDC dc, int item, const RECT& rect)
{
    const CSkinTabObject& object = *ObjectOfType<CSkinTabObject>(m_object, sotTab);
    const SkinButtonState& normal = object.m_items[0];
    const SkinButtonState& chosen = object.m_items[ItemState(item)];
    const Side side = GetSide();
    const int orientation = side == Top ? 0 : side == Bottom ? SkinUpsideDown : side == Left ? 90 : 270;
    DrawGridOriented(GetStore(), dc, rect, GridOr(chosen.image, normal.image), object.m_colour1, Key, orientation);

    char text[TextLength] = "";
    TCITEMA info = {};
    info.mask = TCIF_TEXT | TCIF_IMAGE;
    info.pszText = text;
    info.cchTextMax = TextLength;
    info.iImage = -1;
    CallSaved(TCM_GETITEMA, item, (LPARAM)&info);
    HIMAGELIST images = (HIMAGELIST)CallSaved(TCM_GETIMAGELIST, 0, 0);
    int iconWidth = 0, iconHeight = 0;
    if (images && info.iImage >= 0)
        ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    const int gap = iconWidth && text[0] ? IconGap : 0;
    const int content = extent.cx + iconWidth + gap;
    int left = rect.left + (RectWidth(rect) - content) / 2;
    if (content > RectWidth(rect))
        left = rect.left;
    if (iconWidth) {
        ImageList_Draw(images, info.iImage, dc, left, rect.top + (RectHeight(rect) - iconHeight) / 2, ILD_TRANSPARENT);
        left += iconWidth + gap;
    }
    if (!text[0])
        return;
    const RECT area = {left, rect.top, rect.right, rect.bottom};
    const SkinTextStyle& style = IsTextStyleEmpty(chosen.text) ? normal.text : chosen.text;
    DrawStyledText(dc, style, content > RectWidth(rect) ? area : rect, text, -1,
                   (content > RectWidth(rect) ? 0 : DT_CENTER) | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS
                       | DT_NOPREFIX);
}

void CSkinTab::Paint(HDC dc)
{
    const CSkinTabObject* object = ObjectOfType<CSkinTabObject>(m_object, sotTab);
    if (!object)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    if (object->m_word)
        DrawParentBackground(m_hwnd, dc);
    else
        DrawSkinNineGrid(store, dc, client, object->m_background, GetSysColor(COLOR_3DFACE), TRUE, mirrored);
    DrawSkinNineGrid(store, dc, PageRect(), object->m_page, object->m_colour1, FALSE, mirrored);
    CControlFont font(m_hwnd, dc);
    const int count = (int)CallSaved(TCM_GETITEMCOUNT, 0, 0);
    const int selected = (int)CallSaved(TCM_GETCURSEL, 0, 0);
    // The selected tab last, over its neighbours.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            RECT rect;
            if ((i == selected) != (pass == 1) || !CallSaved(TCM_GETITEMRECT, i, (LPARAM)&rect))
                continue;
            PaintItem(dc, i, rect);
        }
    }
}

void CSkinTab::ClipPaint(HDC dc)
{
    // The pages and other windows over the tab control keep their pixels.
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    if (style & WS_CLIPCHILDREN)
        ExcludeWindowsFromClip(dc, m_hwnd, m_hwnd, NULL);
    if ((style & WS_CLIPSIBLINGS) && GetParent(m_hwnd))
        ExcludeWindowsFromClip(dc, m_hwnd, GetParent(m_hwnd), m_hwnd);
}

LRESULT CSkinTab::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SKIN_PARENT_BACKGROUND:
        return CopyPaintedUnder(this, (HDC)wParam, (HWND)lParam);
    case WM_MOUSEMOVE: {
        TCHITTESTINFO hit = {{(short)LOWORD(lParam), (short)HIWORD(lParam)}, 0};
        const int hot = (int)CallSaved(TCM_HITTEST, 0, (LPARAM)&hit);
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (hot != m_hot) {
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
