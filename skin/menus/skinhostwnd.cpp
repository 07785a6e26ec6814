#include "skin/menus/skinhostwnd.h"

#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skinobject.h"
#include "skin/objects/skinresourceobjects.h"

const char SKIN_POPUP_MENU_CLASS[] = "SkinToolsPopupMenuWnd";
const char SKIN_TOOLTIP_CLASS[] = "SkinToolsTooltip32";
const char SKIN_HOST_THIS_PROP[] = "this";

LRESULT CALLBACK SkinHostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const CREATESTRUCTA* cs = (const CREATESTRUCTA*)lParam;
        CSkinWnd* object = cs ? (CSkinWnd*)cs->lpCreateParams : NULL;
        if (object) {
            SetPropA(hwnd, SKIN_HOST_THIS_PROP, (HANDLE)object);
            object->SetHostWindow(hwnd);
        }
    }
    CSkinWnd* object = (CSkinWnd*)GetPropA(hwnd, SKIN_HOST_THIS_PROP);
    if (!object)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The object outlives its window: it hears of the end first, then
        // forgets the window.
        object->WindowProc(message, wParam, lParam);
        RemovePropA(hwnd, SKIN_HOST_THIS_PROP);
        object->SetHostWindow(NULL);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return object->WindowProc(message, wParam, lParam);
}

static bool RegisterHostClass(HINSTANCE instance, LPCSTR name)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_CLASSDC;
    wc.lpfnWndProc = SkinHostWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    wc.lpszClassName = name;
    if (RegisterClassExA(&wc))
        return true;
    // Still registered from a previous start-up whose window another thread
    // owned: the same class serves again.
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    return GetClassInfoExA(instance, name, &existing) && existing.lpfnWndProc == SkinHostWndProc;
}

bool RegisterSkinPopupMenuClass(HINSTANCE instance)
{
    return RegisterHostClass(instance, SKIN_POPUP_MENU_CLASS);
}

void UnregisterSkinPopupMenuClass(HINSTANCE instance)
{
    UnregisterClassA(SKIN_POPUP_MENU_CLASS, instance);
}

bool RegisterSkinTooltipClass(HINSTANCE instance)
{
    return RegisterHostClass(instance, SKIN_TOOLTIP_CLASS);
}

void UnregisterSkinTooltipClass(HINSTANCE instance)
{
    UnregisterClassA(SKIN_TOOLTIP_CLASS, instance);
}

// ---------------------------------------------------------------- CSkinHostWnd

CSkinHostWnd::CSkinHostWnd()
{
    ForgetSize();
}

CSkinHostWnd::~CSkinHostWnd()
{
}

const CSkinShapeObject* CSkinHostWnd::GetShape() const
{
    return (const CSkinShapeObject*)GetSkinObject();
}

bool CSkinHostWnd::IsMirrored() const
{
    return GetHwnd() && IsMirroredWindow(GetHwnd());
}

RECT CSkinHostWnd::GetBorders() const
{
    RECT borders = {0, 0, 0, 0};
    const CSkinShapeObject* shape = GetShape();
    if (!shape)
        return borders;
    const RECT left = shape->GetLayoutRect(3), right = shape->GetLayoutRect(5);
    const RECT top = shape->GetLayoutRect(0), bottom = shape->GetLayoutRect(6);
    borders.left = left.right - left.left;
    borders.right = right.right - right.left;
    borders.top = top.bottom - top.top;
    borders.bottom = bottom.bottom - bottom.top;
    if (IsMirrored()) {
        const LONG swap = borders.left;
        borders.left = borders.right;
        borders.right = swap;
    }
    return borders;
}

void CSkinHostWnd::FitFrame(int width, int height, RECT parts[9]) const
{
    const CSkinShapeObject* shape = GetShape();
    for (int i = 0; i < 9; ++i)
        parts[i] = shape ? shape->GetLayoutRect(i) : RECT();
    if (!shape)
        return;
    const RECT design = shape->GetDesignRect();
    const int dW = width - design.right, dH = height - design.bottom;
    // The right column moves by the change of width, the bottom row by the
    // change of height; the middle ones stretch.
    for (int i = 0; i < 9; ++i) {
        const int column = i % 3, row = i / 3;
        if (column == 2)
            OffsetRect(&parts[i], dW, 0);
        else if (column == 1)
            parts[i].right += dW;
        if (row == 2)
            OffsetRect(&parts[i], 0, dH);
        else if (row == 1)
            parts[i].bottom += dH;
    }
}

void CSkinHostWnd::ShrinkByFrame(RECT* proposed, int extraTop) const
{
    const RECT borders = GetBorders();
    proposed->left += borders.left;
    proposed->right -= borders.right;
    proposed->top += borders.top + extraTop;
    proposed->bottom -= borders.bottom;
    if (proposed->right < proposed->left)
        proposed->right = proposed->left;
    if (proposed->bottom < proposed->top)
        proposed->bottom = proposed->top;
}

COLORREF CSkinHostWnd::GetKeyColour() const
{
    CSkinStore* store = GetSkinObject() ? GetSkinObject()->GetStore() : NULL;
    CSkinObject* application = store ? store->FindFirstOfType(sotApplication) : NULL;
    return application ? application->m_colour3 : RGB(255, 0, 255);
}

void CSkinHostWnd::DrawFrame(HDC dc, int width, int height)
{
    const CSkinShapeObject* shape = GetShape();
    if (!shape)
        return;
    RECT parts[9];
    FitFrame(width, height, parts);
    static const int order[] = {3, 5, 0, 1, 2, 6, 7, 8};
    for (int i = 0; i < 8; ++i) {
        const int part = order[i];
        DrawSkinImagePart(shape->GetStore(), dc, parts[part], shape->GetFrameImage(part), GetFrameColour(), TRUE,
                          IsMirrored());
    }
}

COLORREF CSkinHostWnd::GetFrameColour() const
{
    return GetShape() ? GetShape()->m_activeColour : RGB(0, 0, 0);
}

void CSkinHostWnd::DrawClientBackground(HDC dc, const RECT& rect, COLORREF fill)
{
    const CSkinShapeObject* shape = GetShape();
    if (shape)
        DrawSkinImagePart(shape->GetStore(), dc, rect, shape->GetFrameImage(4), fill, TRUE, IsMirrored());
    else
        FillSolidRect(dc, rect, fill);
}

HRGN CSkinHostWnd::BuildRegion(int width, int height) const
{
    const CSkinShapeObject* shape = GetShape();
    CSkinStore* store = shape ? shape->GetStore() : NULL;
    const CSkinApplicationObject* application =
        store ? (const CSkinApplicationObject*)store->FindFirstOfType(sotApplication) : NULL;
    if (!application || !application->m_regionFlag)
        return NULL;
    RECT parts[9];
    FitFrame(width, height, parts);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < 9; ++i) {
        const RECT& r = parts[i];
        HRGN piece = NULL;
        const SkinImagePiece& image = shape->GetImagePiece(i);
        if (image.region && i != 4) {
            const SkinImageRef ref = shape->GetFrameImage(i);
            const int sw = ref.source.right - ref.source.left, sh = ref.source.bottom - ref.source.top;
            if (ref.mode == SkinDrawNatural || sw <= 0 || sh <= 0)
                piece = TransformRegion(image.region, 1.0f, 1.0f, r.left, r.top);
            else if (ref.mode == SkinDrawTile)
                piece = TileRegion(image.region, sw, sh, r);
            else
                piece = TransformRegion(image.region, (float)(r.right - r.left) / sw, (float)(r.bottom - r.top) / sh,
                                        r.left, r.top);
        }
        if (!piece)
            piece = CreateRectRgnIndirect(&r);
        CombineRgn(region, region, piece, RGN_OR);
        DeleteObject(piece);
    }
    return region;
}

void CSkinHostWnd::PaintFrame()
{
    HWND hwnd = GetHwnd();
    RECT window;
    GetWindowRect(hwnd, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    if (width != m_lastSize.cx || height != m_lastSize.cy) {
        m_lastSize.cx = width;
        m_lastSize.cy = height;
        // The region handed over belongs to the system from now on, and so
        // does the one it replaces.
        SetWindowRgn(hwnd, BuildRegion(width, height), TRUE);
        SendMessageA(hwnd, WM_NCPAINT, 1, 0);
        UpdateWindow(hwnd);
        return;
    }
    HDC windowDC = GetWindowDC(hwnd);
    if (!windowDC)
        return;
    {
        CSkinMemDC picture(windowDC, width, height);
        DrawFrame(picture, width, height);
        const RECT b = GetBorders();
        BitBlt(windowDC, 0, 0, width, b.top, picture, 0, 0, SRCCOPY);
        BitBlt(windowDC, 0, height - b.bottom, width, b.bottom, picture, 0, height - b.bottom, SRCCOPY);
        BitBlt(windowDC, 0, b.top, b.left, height - b.top - b.bottom, picture, 0, b.top, SRCCOPY);
        BitBlt(windowDC, width - b.right, b.top, b.right, height - b.top - b.bottom, picture, width - b.right, b.top,
               SRCCOPY);
    }
    ReleaseDC(hwnd, windowDC);
}
