#include "skin/windows/skindialog.h"

#include <algorithm>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/elements/skinelement.h"
#include "skin/menus/skinpopupmenu.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

// The style without frame, caption or buttons: what kind of window it is
// (child or popup) and whether it is visible.
DWORD BareStyle(DWORD style)
{
    return (style & (WS_CHILD | WS_VISIBLE)) | (style & WS_CHILD ? 0 : WS_POPUP);
}

} // namespace

CSkinDialog::CSkinDialog() : m_laidOut(false), m_redrawPending(0), m_styleAtAttach(0)
{
    SetRectEmpty(&m_lastWindowRect);
}

void CSkinDialog::Detach()
{
    m_frame.reset();
    CSkinWnd::Detach();
}

bool CSkinDialog::IsFramed() const
{
    return m_hwnd && (GetWindowLongA(m_hwnd, GWL_STYLE) & (WS_DLGFRAME | DS_MODALFRAME)) != 0;
}

RECT CSkinDialog::GetBorderSizes() const
{
    RECT borders = {RectWidth(m_layout[Left]), RectHeight(m_layout[TopLeft]), RectWidth(m_layout[Right]),
                    RectHeight(m_layout[BottomLeft])};
    return borders;
}

BOOL CSkinDialog::Attach(HWND hwnd)
{
    // The client size in the system's frame: attaching paints the skin's
    // frame, which already changes it.
    RECT client;
    GetClientRect(hwnd, &client);
    if (!CSkinWnd::Attach(hwnd))
        return FALSE;
    m_styleAtAttach = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    if ((m_styleAtAttach & WS_CAPTION) != WS_CAPTION)
        m_captionTextOn = 0;
    if (IsFramed())
        FitWindowToClient(client);
    SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

CSkinObject* CSkinDialog::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinWnd::SetSkinObject(object);
    if (!m_hwnd)
        return previous;
    if ((m_styleAtAttach & WS_CAPTION) != WS_CAPTION)
        m_captionTextOn = 0;
    // Nothing of the previous object is drawn again: the background and the
    // region are made anew at the next paint.
    DeleteBackground();
    m_frame.reset();
    m_laidOut = false;
    if (IsFramed()) {
        RECT client;
        GetClientRect(m_hwnd, &client);
        FitWindowToClient(client);
    }
    RedrawWindow(m_hwnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_FRAME);
    return previous;
}

void CSkinDialog::FitWindowToClient(const RECT& client)
{
    if (!GetShape())
        return;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const RECT borders = GetBorderSizes();
    const int width = RectWidth(client) + borders.left + borders.right;
    const int height = RectHeight(client) + borders.top + borders.bottom;
    if (width != RectWidth(window) || height != RectHeight(window))
        SetWindowPos(m_hwnd, NULL, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT CSkinDialog::WindowPoint(LPARAM screen) const
{
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    POINT point = {(short)LOWORD(screen) - window.left, (short)HIWORD(screen) - window.top};
    return point;
}

// ---------------------------------------------------------------- window procedure

LRESULT CSkinDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return IsFramed() ? FramedProc(message, wParam, lParam) : FramelessProc(message, wParam, lParam);
}

LRESULT CSkinDialog::FramelessProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORDLG:
        return (LRESULT)GetStockObject(NULL_BRUSH);
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(message, wParam, lParam);
    case WM_SKIN_PARENT_BACKGROUND:
        return MakeBackground() ? CopyBackgroundUnder((HDC)wParam, (HWND)lParam) : 0;
    case WM_ERASEBKGND:
        return EraseBackground((HDC)wParam) ? 1 : CSkinWnd::WindowProc(message, wParam, lParam);
    case WM_NCDESTROY: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    // Children's farewells and menu keys reach the skinner in a page too.
    case WM_SKIN_FORGET_CHILD: case WM_SKIN_MENU_KEY:
        return CSkinWnd::WindowProc(message, wParam, lParam);
    default:
        return CallSaved(message, wParam, lParam);
    }
}

LRESULT CSkinDialog::FramedProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    switch (message) {
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo((MINMAXINFO*)lParam);
        return 0;
    case WM_NCCALCSIZE:
        OnNcCalcSize(wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam);
        return 0;
    case WM_NCHITTEST: {
        POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        return HitTest(screen);
    }
    case WM_NCPAINT: {
        // The dialog's own procedure has its say on an empty region, where
        // it draws nothing: the system does more on this message than
        // drawing (under Wine the taskbar learns of the window here).
        HRGN nothing = CreateRectRgn(0, 0, 0, 0);
        if (nothing) {
            CallSaved(message, (WPARAM)nothing, lParam);
            DeleteObject(nothing);
        }
        PaintFrame((HRGN)wParam, false);
        return 0;
    }
    case WM_NCACTIVATE: case WM_SETTEXT: {
        // The dialog's own procedure would draw the system's caption: it
        // sees a window without one, and the skin's frame is drawn after.
        if (message == WM_NCACTIVATE)
            m_activeCaption = wParam != 0;
        HWND hwnd = m_hwnd;
        const LRESULT result = CallSavedWithStyle(BareStyle(style), message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this)
            RepaintFrame();
        return result;
    }
    case WM_ERASEBKGND:
        return EraseBackground((HDC)wParam) ? 1 : CSkinWnd::WindowProc(message, wParam, lParam);
    case WM_SETCURSOR: case WM_ENABLE: case WM_SETICON: case WM_INITMENU: case WM_INITMENUPOPUP: {
        HWND hwnd = m_hwnd;
        const LRESULT result = CallSavedWithStyle(style & ~WS_SYSMENU, message, wParam, lParam);
        if (message != WM_SETCURSOR && CSkinWnd::FromHandle(hwnd) == this) {
            UpdateCaptionButtons();
            RepaintFrame();
        }
        return result;
    }
    case WM_NCMOUSEMOVE: {
        HWND hwnd = m_hwnd;
        CallSavedWithStyle(style & ~WS_SYSMENU, message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this && m_activeCaption)
            RouteMouseToElements(WM_MOUSEMOVE, WindowPoint(lParam));
        return 0;
    }
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONUP: case WM_NCLBUTTONDBLCLK:
        return OnNcButton(message, wParam, lParam);
    case WM_NCRBUTTONDOWN:
        return 0;
    case WM_NCRBUTTONUP:
        // A right click on the caption: the skinned system menu.
        if ((wParam == HTCAPTION || wParam == HTSYSMENU) && (style & WS_SYSMENU)) {
            ShowSkinSystemMenu(m_hwnd);
            return 0;
        }
        return CSkinWnd::WindowProc(message, wParam, lParam);
    case WM_STYLECHANGED: {
        // Buttons come and go with the style; the next paint draws anew.
        // The style lent to the dialog's own procedure changes nothing.
        const LRESULT result = CSkinWnd::WindowProc(message, wParam, lParam);
        if (!IsBorrowingStyle()) {
            UpdateCaptionButtons();
            m_frame.reset();
        }
        return result;
    }
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(message, wParam, lParam);
    case WM_SKIN_PARENT_BACKGROUND:
        return MakeBackground() ? CopyBackgroundUnder((HDC)wParam, (HWND)lParam) : 0;
    default:
        return CSkinWnd::WindowProc(message, wParam, lParam);
    }
}

LRESULT CSkinDialog::OnMenuKey(WPARAM key, LPARAM keyData)
{
    if (key == VK_SPACE && (keyData & (1 << 29)) && IsFramed()
        && (GetWindowLongA(m_hwnd, GWL_STYLE) & WS_SYSMENU)) {
        ShowSkinSystemMenu(m_hwnd);
        return 1;
    }
    return 0;
}

LRESULT CSkinDialog::OnNcButton(UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT elementMessage = message == WM_NCLBUTTONDOWN ? WM_LBUTTONDOWN
                              : message == WM_NCLBUTTONUP ? WM_LBUTTONUP : WM_LBUTTONDBLCLK;
    if (RouteMouseToElements(elementMessage, WindowPoint(lParam)))
        return 0;
    if (message == WM_NCLBUTTONDBLCLK) {
        if (wParam != HTCAPTION)
            return 0;
        if (IsIconic(m_hwnd)) {
            SendMessageA(m_hwnd, WM_SYSCOMMAND, SC_RESTORE, lParam);
        } else if ((GetWindowLongA(m_hwnd, GWL_STYLE) & WS_THICKFRAME) && (m_styleAtAttach & WS_MAXIMIZEBOX)) {
            SendMessageA(m_hwnd, WM_SYSCOMMAND, IsZoomed(m_hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        } else {
            CallSaved(message, wParam, lParam);
        }
        return 0;
    }
    if (IsZoomed(m_hwnd))
        return 0;
    CallSavedWithStyle((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE) & ~WS_SYSMENU, message, wParam, lParam);
    return 0;
}

void CSkinDialog::OnNcCalcSize(RECT* proposed)
{
    RECT borders = GetBorderSizes();
    if (GetWindowLongA(m_hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) {
        const LONG left = borders.left;
        borders.left = borders.right;
        borders.right = left;
    }
    proposed->left += borders.left;
    proposed->top += borders.top;
    proposed->right -= borders.right;
    proposed->bottom -= borders.bottom;
    if (proposed->right < proposed->left)
        proposed->right = proposed->left;
    if (proposed->bottom < proposed->top)
        proposed->bottom = proposed->top;
}

void CSkinDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    RECT work, monitor;
    if (GetWindowMonitorRect(m_hwnd, work, true) && GetWindowMonitorRect(m_hwnd, monitor, false)) {
        info->ptMaxSize.x = RectWidth(work);
        info->ptMaxSize.y = RectHeight(work);
        info->ptMaxPosition.x = work.left - monitor.left;
        info->ptMaxPosition.y = work.top - monitor.top;
    }
    if (CSkinShapeObject* shape = GetShape()) {
        const RECT* l = shape->m_layout;
        const LONG top = RectWidth(l[TopLeft]) + RectWidth(l[TopRight]);
        const LONG bottom = RectWidth(l[BottomLeft]) + RectWidth(l[BottomRight]);
        info->ptMinTrackSize.x = std::max(top, bottom) + 2;
        info->ptMinTrackSize.y = RectHeight(l[TopLeft]) + RectHeight(l[BottomLeft]) + 2;
    }
    // The dialog's own limits count too: the stricter of both.
    MINMAXINFO own = *info;
    CallSaved(WM_GETMINMAXINFO, 0, (LPARAM)&own);
    info->ptMaxSize.x = std::min(own.ptMaxSize.x, info->ptMaxSize.x);
    info->ptMaxSize.y = std::min(own.ptMaxSize.y, info->ptMaxSize.y);
    info->ptMaxTrackSize.x = std::min(own.ptMaxTrackSize.x, info->ptMaxTrackSize.x);
    info->ptMaxTrackSize.y = std::min(own.ptMaxTrackSize.y, info->ptMaxTrackSize.y);
    info->ptMinTrackSize.x = std::max(own.ptMinTrackSize.x, info->ptMinTrackSize.x);
    info->ptMinTrackSize.y = std::max(own.ptMinTrackSize.y, info->ptMinTrackSize.y);
}

LRESULT CSkinDialog::HitTest(POINT screen)
{
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    FitFrame(RectWidth(window), RectHeight(window));
    LayoutElements(RectWidth(window), RectHeight(window));
    const POINT p = {screen.x - window.left, screen.y - window.top};
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i]->HitTest(p)) {
            if (const int code = m_elements[i]->GetHitCode())
                return code;
        }
    }
    const bool sizable = (GetWindowLongA(m_hwnd, GWL_STYLE) & WS_THICKFRAME) && !IsZoomed(m_hwnd);
    return HitTestFrame(p, sizable, HTNOWHERE);
}

// ---------------------------------------------------------------- painting

void CSkinDialog::RepaintFrame()
{
    PaintFrame((HRGN)1, true);
}

void CSkinDialog::RedrawFrameRect(const RECT& rect)
{
    if (!m_hwnd || !IsFramed())
        return;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    RECT screen = rect;
    OffsetRect(&screen, window.left, window.top);
    HRGN update = CreateRectRgnIndirect(&screen);
    if (update) {
        PaintFrame(update, true);
        DeleteObject(update);
    }
}

void CSkinDialog::PaintFrame(HRGN update, bool render)
{
    if (!m_hwnd || !GetShape())
        return;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const int w = RectWidth(window), h = RectHeight(window);
    FitFrame(w, h);
    LayoutElements(w, h);
    if (!m_laidOut || w != RectWidth(m_lastWindowRect) || h != RectHeight(m_lastWindowRect)) {
        // A new size: a new background and region, then a whole new frame.
        DeleteBackground();
        m_frame.reset();
        m_lastWindowRect = window;
        m_laidOut = true;
        SetRegion(BuildWindowRegion(), TRUE);
        SendMessageA(m_hwnd, WM_NCPAINT, 1, 0);
        UpdateWindow(m_hwnd);
        return;
    }
    HDC windowDc = GetWindowDC(m_hwnd);
    if (!windowDc)
        return;
    const bool iconic = IsIconic(m_hwnd) && GetShape()->m_grids[0].name[0];
    // The frame is drawn again only when something in it changed; the
    // system's repaints copy the picture kept from the last time.
    if (!m_frame || render || iconic) {
        m_frame.reset(new CSkinMemDC(windowDc, w, h));
        if (m_frame->IsValid() && iconic)
            DrawMinimized(*m_frame, m_activeCaption);
        else if (m_frame->IsValid()) {
            DrawFrame(*m_frame, m_activeCaption);
            DrawElements(*m_frame);
        }
    }
    if (m_frame->IsValid()) {
        HRGN clip = WindowUpdateClip(update);
        if (clip)
            SelectClipRgn(windowDc, clip);
        if (iconic)
            BitBlt(windowDc, 0, 0, w, h, *m_frame, 0, 0, SRCCOPY);
        else
            CopyFrameStrips(windowDc, *m_frame, w, h);
        if (clip)
            DeleteObject(clip);
    }
    ReleaseDC(m_hwnd, windowDc);
}

void CSkinDialog::DeleteBackground()
{
    m_background.reset();
}

bool CSkinDialog::MakeBackground()
{
    CSkinShapeObject* shape = GetShape();
    if (!shape || !m_hwnd)
        return false;
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (m_background && m_background->GetWidth() == (client.right > 0 ? client.right : 1)
        && m_background->GetHeight() == (client.bottom > 0 ? client.bottom : 1))
        return true;
    const bool resized = m_background != NULL;
    m_background.reset(RenderBackground(client));
    // A stretched picture changes everywhere with the size: the whole
    // client is drawn again, not only what the resize uncovered.
    if (m_background && resized && shape->m_frameImages[Centre].mode >= SkinDrawStretch)
        m_redrawPending = 1;
    return m_background != NULL;
}

BOOL CSkinDialog::EraseBackground(HDC dc)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape || shape->GetType() != sotFrameWnd || !static_cast<CSkinFrameWndObject*>(shape)->m_backgroundFlag)
        return FALSE;
    if (!MakeBackground())
        return FALSE;
    CopyBackgroundTo(dc);
    if (m_redrawPending) {
        m_redrawPending = 0;
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    return TRUE;
}
