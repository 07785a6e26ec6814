#include "skin/menus/skinhostwnd.h"

#include <algorithm>

#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skinobject.h"

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

bool CSkinHostWnd::IsMirrored() const
{
    return GetHwnd() && IsMirroredWindow(GetHwnd());
}

RECT CSkinHostWnd::GetBorderSizes() const
{
    RECT borders = {0, 0, 0, 0};
    const CSkinShapeObject* shape = GetShape();
    if (!shape)
        return borders;
    const RECT left = shape->GetLayoutRect(Left), right = shape->GetLayoutRect(Right);
    const RECT top = shape->GetLayoutRect(TopLeft), bottom = shape->GetLayoutRect(BottomLeft);
    borders.left = left.right - left.left;
    borders.right = right.right - right.left;
    borders.top = top.bottom - top.top;
    borders.bottom = bottom.bottom - bottom.top;
    if (IsMirrored())
        std::swap(borders.left, borders.right);
    return borders;
}

LRESULT CSkinHostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE:
        if (wParam) {
            ShrinkByFrame(&((NCCALCSIZE_PARAMS*)lParam)->rgrc[0]);
            return 0;
        }
        break;
    case WM_NCPAINT:
        PaintFrame();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    }
    return DefWindowProcA(GetHwnd(), message, wParam, lParam);
}

void CSkinHostWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHwnd(), &ps);
    RECT client;
    GetClientRect(GetHwnd(), &client);
    if (client.right > 0 && client.bottom > 0) {
        CSkinMemDC picture(dc, client.right, client.bottom);
        PaintClient(picture, client);
        // A mirrored window's DC would flip the picture a second time.
        BitBlt(dc, 0, 0, client.right, client.bottom, picture, 0, 0, SRCCOPY | (IsMirrored() ? NOMIRRORBITMAP : 0));
    }
    EndPaint(GetHwnd(), &ps);
}

void CSkinHostWnd::ShrinkByFrame(RECT* proposed) const
{
    const RECT borders = GetBorderSizes();
    proposed->left += borders.left;
    proposed->right -= borders.right;
    proposed->top += borders.top;
    proposed->bottom -= borders.bottom;
    if (proposed->right < proposed->left)
        proposed->right = proposed->left;
    if (proposed->bottom < proposed->top)
        proposed->bottom = proposed->top;
}

void CSkinHostWnd::DrawClientBackground(HDC dc, const RECT& rect, COLORREF fill)
{
    const CSkinShapeObject* shape = GetShape();
    if (shape)
        DrawSkinImagePart(GetStore(), dc, rect, shape->GetFrameImage(Centre), fill, TRUE, IsMirrored());
    else
        FillSolidRect(dc, rect, fill);
}

void CSkinHostWnd::PaintFrame()
{
    HWND hwnd = GetHwnd();
    RECT window;
    GetWindowRect(window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    FitFrame(width, height);
    if (width != m_lastSize.cx || height != m_lastSize.cy) {
        m_lastSize.cx = width;
        m_lastSize.cy = height;
        SetRegion(BuildWindowRegion(), TRUE);
        SendMessageA(hwnd, WM_NCPAINT, 1, 0);
        UpdateWindow(hwnd);
        return;
    }
    HDC windowDC = GetWindowDC(hwnd);
    if (!windowDC)
        return;
    {
        CSkinMemDC picture(windowDC, width, height);
        DrawFrame(picture, true);
        const RECT b = GetBorderSizes();
        BitBlt(windowDC, 0, 0, width, b.top, picture, 0, 0, SRCCOPY);
        BitBlt(windowDC, 0, height - b.bottom, width, b.bottom, picture, 0, height - b.bottom, SRCCOPY);
        BitBlt(windowDC, 0, b.top, b.left, height - b.top - b.bottom, picture, 0, b.top, SRCCOPY);
        BitBlt(windowDC, width - b.right, b.top, b.right, height - b.top - b.bottom, picture, width - b.right, b.top,
               SRCCOPY);
    }
    ReleaseDC(hwnd, windowDC);
}
