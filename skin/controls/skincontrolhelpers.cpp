#include "skin/controls/skincontrolhelpers.h"

#include <string.h>

#include <algorithm>

#include "skin/core/skinchildwindows.h"
#include "skin/draw/skindib.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/core/skinwnd.h"
#include "skin/windows/skindialog.h"

RECT InsideMargins(const RECT& rect, const RECT& margins)
{
    const RECT inside = {rect.left + margins.left, rect.top + margins.top, rect.right - margins.right,
                         rect.bottom - margins.bottom};
    return inside;
}

bool IsGridEmpty(const SkinImageGrid& grid)
{
    return grid.name[0] == '\0' || IsRectEmpty(&grid.source);
}

const SkinImageGrid& GridOr(const SkinImageGrid& grid, const SkinImageGrid& fallback)
{
    return IsGridEmpty(grid) ? fallback : grid;
}

const SkinImageRef& PartOr(const SkinImageRef& part, const SkinImageRef& fallback)
{
    return IsImagePartEmpty(part) ? fallback : part;
}

bool IsTextStyleEmpty(const SkinTextStyle& style)
{
    static const SkinTextStyle zero = {};
    return memcmp(&style, &zero, sizeof(style)) == 0;
}

int ScrollBarGroupBase(const CSkinScrollBarObject& object, bool vertical)
{
    const SkinScrollBarState& group = object.m_states[4];
    const bool empty = IsImagePartEmpty(group.arrow1) && IsImagePartEmpty(group.arrow2) && IsGridEmpty(group.thumb)
        && IsGridEmpty(group.track);
    return vertical && !empty ? 4 : 0;
}

bool ChangeWindowStyle(HWND hwnd, DWORD remove, DWORD add, UINT frameFlags)
{
    const DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return false;
    SetWindowLongA(hwnd, GWL_STYLE, (LONG)changed);
    if (frameFlags)
        SetWindowPos(hwnd, NULL, 0, 0, 0, 0, frameFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    return true;
}

HWND WindowBehind(HWND control)
{
    HWND parent = GetParent(control);
    RECT rect;
    ::GetWindowRect(control, &rect);
    if (!parent)
        return NULL;
    for (HWND sibling : GetSkinChildWindows(parent)) {
        char name[32];
        RECT under, both;
        if (sibling == control || !IsWindowVisible(sibling) || !GetClassNameA(sibling, name, sizeof(name))
            || !::GetWindowRect(sibling, &under) || !IntersectRect(&both, &under, &rect) || !EqualRect(&both, &rect))
            continue;
        // A tab control, or a skinned button (a group box, or a panel made
        // of a disabled button), that holds the control draws what lies
        // behind it.
        if (!lstrcmpA(name, "SysTabControl32")
            || (!lstrcmpA(name, "Button") && !EqualRect(&under, &rect) && CSkinWnd::FromHandle(sibling)))
            return sibling;
    }
    return parent;
}

void DrawParentBackground(HWND control, HDC dc)
{
    HWND behind = WindowBehind(control);
    if (behind && SendMessageA(behind, WM_SKIN_PARENT_BACKGROUND, (WPARAM)dc, (LPARAM)control))
        return;
    RECT client;
    GetClientRect(control, &client);
    HWND parent = GetParent(control);
    const int saved = SaveDC(dc);
    HBRUSH brush = parent ? (HBRUSH)SendMessageA(parent, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control) : NULL;
    RestoreDC(dc, saved);
    if (brush && brush != (HBRUSH)GetStockObject(NULL_BRUSH))
        FillRect(dc, &client, brush);
    else
        FillSolidRect(dc, client, GetSysColor(COLOR_BTNFACE));
}

LRESULT CopyPaintedUnder(CSkinWnd* skinner, HDC dc, HWND child)
{
    HWND hwnd = skinner->GetHwnd();
    if (!IsWindow(child))
        return 0;
    RECT client, rect, under;
    GetClientRect(hwnd, &client);
    GetClientRect(child, &rect);
    MapWindowPoints(child, hwnd, (POINT*)&rect, 2);
    if (!IntersectRect(&under, &rect, &client))
        return 1;
    // The picture covers the part under the child alone, placed by its
    // viewport origin: the skinner paints all of itself, but only that part
    // is composed.
    CSkinMemDC picture(dc, RectWidth(under), RectHeight(under));
    if (!picture.IsValid())
        return 0;
    SetViewportOrgEx(picture, -under.left, -under.top, NULL);
    skinner->Paint(picture);
    BitBlt(dc, under.left - rect.left, under.top - rect.top, RectWidth(under), RectHeight(under), picture, under.left,
           under.top, SRCCOPY);
    return 1;
}

CControlFont::CControlFont(HWND control, HDC dc) : m_dc(dc), m_old(NULL)
{
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    m_old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT));
}

CControlFont::~CControlFont()
{
    if (m_old)
        SelectObject(m_dc, m_old);
}

void DrawPlainText(HDC dc, LPCSTR text, const RECT& rect, COLORREF colour, UINT format)
{
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF old = SetTextColor(dc, colour);
    RECT r = rect;
    DrawTextA(dc, text, -1, &r, format);
    SetTextColor(dc, old);
    SetBkMode(dc, mode);
}

namespace {

enum Transform { Turn90, Turn270, FlipVertical, FlipHorizontal };

// The pixels of a width x height picture moved by the transform into target
// (height x width for the turns).
void TransformPixels(const DWORD* source, int width, int height, Transform transform, DWORD* target)
{
    GdiFlush();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = source[y * width + x];
            switch (transform) {
            case Turn90: // (x, y) goes to (height - 1 - y, x) of a height-wide picture
                target[x * height + (height - 1 - y)] = pixel;
                break;
            case Turn270: // (x, y) goes to (y, width - 1 - x)
                target[(width - 1 - x) * height + y] = pixel;
                break;
            case FlipVertical:
                target[(height - 1 - y) * width + x] = pixel;
                break;
            case FlipHorizontal:
                target[y * width + (width - 1 - x)] = pixel;
                break;
            }
        }
    }
}

} // namespace

void DrawTurned(HDC dc, int x, int y, HDC source, int width, int height, int degrees)
{
    if (width <= 0 || height <= 0)
        return;
    if (degrees != 90 && degrees != 270) {
        BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
        return;
    }
    CSkinDib flat(width, height, 32), turned(height, width, 32);
    if (!flat.IsValid() || !turned.IsValid())
        return;
    BitBlt(flat.GetDC(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    TransformPixels(flat.Pixels(), width, height, degrees == 90 ? Turn90 : Turn270, turned.Pixels());
    BitBlt(dc, x, y, height, width, turned.GetDC(), 0, 0, SRCCOPY);
}

RECT UnturnRect(const RECT& rect, int clientWidth, int clientHeight, int degrees)
{
    RECT flat = rect;
    if (degrees == 90)
        SetRect(&flat, rect.top, clientWidth - rect.right, rect.bottom, clientWidth - rect.left);
    else if (degrees == 270)
        SetRect(&flat, clientHeight - rect.bottom, rect.left, clientHeight - rect.top, rect.right);
    return flat;
}

void DrawFlippedPart(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part, COLORREF key,
                     bool flipVertical)
{
    const int width = RectWidth(rect), height = RectHeight(rect);
    CSkinDib picture(width, height, 32), flipped(width, height, 32);
    if (!picture.IsValid() || !flipped.IsValid())
        return;
    const RECT local = {0, 0, width, height};
    FillSolidRect(picture.GetDC(), local, key);
    DrawSkinImagePart(store, picture.GetDC(), local, part, key, FALSE, FALSE);
    TransformPixels(picture.Pixels(), width, height, flipVertical ? FlipVertical : FlipHorizontal, flipped.Pixels());
    SkinTransparentStretchBlt(dc, rect.left, rect.top, width, height, flipped.GetDC(), 0, 0, width, height, key);
}

void DrawGridOriented(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid, COLORREF colour,
                      COLORREF key, int orientation)
{
    const int width = RectWidth(rect), height = RectHeight(rect);
    const bool turned = orientation == 90 || orientation == 270;
    const int w = turned ? height : width, h = turned ? width : height;
    CSkinDib flat(w, h, 32), result(width, height, 32);
    if (!flat.IsValid() || !result.IsValid())
        return;
    const RECT local = {0, 0, w, h};
    FillSolidRect(flat.GetDC(), local, key);
    DrawSkinNineGrid(store, flat.GetDC(), local, grid, colour, FALSE, FALSE);
    if (orientation == 0)
        BitBlt(result.GetDC(), 0, 0, width, height, flat.GetDC(), 0, 0, SRCCOPY);
    else
        TransformPixels(flat.Pixels(), w, h,
                        orientation == 90 ? Turn90 : orientation == 270 ? Turn270 : FlipVertical, result.Pixels());
    SkinTransparentStretchBlt(dc, rect.left, rect.top, width, height, result.GetDC(), 0, 0, width, height, key);
}

bool DrawNonClientGrid(HWND hwnd, CSkinStore* store, const SkinImageGrid& grid, COLORREF colour)
{
    RECT window, client;
    ::GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, NULL, (POINT*)&client, 2);
    const RECT inner = {std::min(client.left, client.right) - window.left, client.top - window.top,
                        std::max(client.left, client.right) - window.left, client.bottom - window.top};
    const RECT whole = {0, 0, RectWidth(window), RectHeight(window)};
    if (EqualRect(&inner, &whole) || IsGridEmpty(grid))
        return false;
    HDC dc = GetWindowDC(hwnd);
    if (!dc)
        return false;
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    DrawSkinNineGrid(store, dc, whole, grid, colour, TRUE, IsMirroredWindow(hwnd));
    ReleaseDC(hwnd, dc);
    return true;
}

int SkinBorderWidth(DWORD style, DWORD exStyle)
{
    int width = 0;
    if (exStyle & WS_EX_CLIENTEDGE)
        width += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_DLGMODALFRAME)
        width += GetSystemMetrics(SM_CXDLGFRAME);
    if (exStyle & WS_EX_STATICEDGE)
        width += 1;
    // The plain border of the dialog templates' edit boxes is the skin's too.
    if (style & WS_BORDER)
        width += GetSystemMetrics(SM_CXBORDER);
    return width;
}

HRGN InsideBorderRegion(HWND hwnd, WPARAM update, int width)
{
    RECT inner;
    ::GetWindowRect(hwnd, &inner);
    InflateRect(&inner, -width, -width);
    HRGN region = CreateRectRgnIndirect(&inner);
    if (region && update > 1)
        CombineRgn(region, region, (HRGN)update, RGN_AND);
    return region;
}

void DrawSkinBorder(HWND hwnd, CSkinStore* store, const SkinImageRef& part, COLORREF colour, int width)
{
    HDC dc = width > 0 ? GetWindowDC(hwnd) : NULL;
    if (!dc)
        return;
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const RECT whole = {0, 0, RectWidth(window), RectHeight(window)};
    ExcludeClipRect(dc, width, width, whole.right - width, whole.bottom - width);
    const RECT border = {width, width, width, width};
    DrawSkinNineGridEx(store, dc, whole, border, part, colour, TRUE, IsMirroredWindow(hwnd));
    ReleaseDC(hwnd, dc);
}
