#include "skin/windows/skinframewnd.h"

#include <algorithm>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/elements/skinelement.h"
#include "skin/menus/skinpopupmenu.h"
#include "skin/objects/skinwindowobjects.h"
#include "skin/windows/skindialog.h"
#include "skin/windows/skinmdiclient.h"

namespace {

const CSkinCaptionBarObject* MenuBarObjectOf(CSkinObject* object)
{
    return object && object->GetType() == sotFrameWnd ? &static_cast<CSkinFrameWndObject*>(object)->m_captionBar
                                                      : NULL;
}

} // namespace

CSkinFrameWnd::CSkinFrameWnd()
    : m_redrawPending(0), m_savedMenu(NULL), m_plainStyle(PlainStyle), m_mdiChild(0),
      m_styleAtAttach(0), m_menuBar(RECT(), this, NULL), m_lastCaptionRelease(0), m_mdiClient(NULL)
{
    SetRectEmpty(&m_lastWindowRect);
    SetRectEmpty(&m_menuBarRect);
}

bool CSkinFrameWnd::IsResizable() const
{
    const DWORD style = StyleNow();
    return (style & WS_THICKFRAME) && !((style & WS_DLGFRAME) && (style & DS_MODALFRAME));
}

bool CSkinFrameWnd::IsMaximised() const
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    return GetWindowPlacement(m_hwnd, &placement) && placement.showCmd == SW_SHOWMAXIMIZED;
}

DWORD CSkinFrameWnd::Plain() const
{
    return (m_plainStyle & ~WS_VISIBLE) | (StyleNow() & WS_VISIBLE);
}

POINT CSkinFrameWnd::WindowPoint(LPARAM screen) const
{
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    POINT point = {(short)LOWORD(screen) - window.left, (short)HIWORD(screen) - window.top};
    return point;
}

void CSkinFrameWnd::FitToWindow()
{
    RECT window;
    GetWindowRect(window);
    FitFrame(RectWidth(window), RectHeight(window));
    LayoutElements(RectWidth(window), RectHeight(window));
    m_menuBarRect = GetMenuBarArea();
    m_menuBarRect.bottom = m_menuBarRect.top + m_menuBar.CalcBarHeight(RectWidth(m_menuBarRect));
}

// ---------------------------------------------------------------- attaching

CSkinObject* CSkinFrameWnd::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinWnd::SetSkinObject(object);
    m_menuBar.SetSkinObject(MenuBarObjectOf(object));
    if (!m_hwnd)
        return previous;
    DeleteBackground();
    if (m_mdiClient && m_mdiClient->GetHwnd()) {
        InvalidateRect(m_mdiClient->GetHwnd(), NULL, TRUE);
        UpdateWindow(m_mdiClient->GetHwnd());
    }
    if (!IsIconic(m_hwnd)) {
        if (IsResizable()) {
            CSkinShapeObject* shape = GetShape();
            const RECT* l = shape ? shape->m_layout : NULL;
            const int minWidth = l ? RectWidth(l[TopLeft]) + RectWidth(l[TopRight]) + 10 : 10;
            const int minHeight = l ? RectHeight(l[TopLeft]) + 5 : 10;
            RECT window;
            ::GetWindowRect(m_hwnd, &window);
            if (RectWidth(window) < minWidth || RectHeight(window) < minHeight) {
                POINT corner = {window.left, window.top};
                if (m_mdiChild && GetParent(m_hwnd))
                    ScreenToClient(GetParent(m_hwnd), &corner);
                MoveWindow(m_hwnd, corner.x, corner.y, std::max(RectWidth(window), minWidth),
                           std::max(RectHeight(window), minHeight), TRUE);
                return previous;
            }
        } else {
            RECT client;
            GetClientRect(m_hwnd, &client);
            KeepClientSize(client);
            SetRectEmpty(&m_lastWindowRect);
            RedrawWindow(m_hwnd, NULL, NULL,
                         RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_FRAME);
        }
    }
    SetWindowPos(m_hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(m_hwnd, NULL, TRUE);
    UpdateWindow(m_hwnd);
    return previous;
}

void CSkinFrameWnd::KeepClientSize(const RECT& client)
{
    if (!GetShape())
        return;
    FitToWindow();
    const RECT borders = GetBorderSizes();
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const int width = RectWidth(client) + borders.left + borders.right;
    const int height = RectHeight(client) + borders.top + borders.bottom;
    if (width != RectWidth(window) || height != RectHeight(window))
        SetWindowPos(m_hwnd, NULL, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CSkinFrameWnd::Attach(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    m_styleAtAttach = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    if ((m_styleAtAttach & WS_CAPTION) != WS_CAPTION)
        m_captionTextOn = 0;
    BOOL result;
    if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) {
        m_mdiChild = 1;
        m_plainStyle = m_styleAtAttach & ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        result = CSkinWnd::Attach(hwnd);
    } else {
        m_mdiChild = 0;
        m_plainStyle = PlainStyle;
        m_savedMenu = GetMenu(hwnd);
        m_menuBar.LoadMenu(m_savedMenu);
        SetMenu(hwnd, NULL);
        DrawMenuBar(hwnd);
        result = CSkinWnd::Attach(hwnd);
        if (!result) {
            SetMenu(hwnd, m_menuBar.GetMenu());
            DrawMenuBar(hwnd);
            m_menuBar.ForgetMenu();
            m_savedMenu = NULL;
            return FALSE;
        }
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char name[100] = "";
            GetClassNameA(child, name, sizeof(name));
            if (lstrcmpiA(name, "MDIClient") != 0)
                continue;
            SetWindowLongA(child, GWL_STYLE, GetWindowLongA(child, GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
            CSkinMdiClient* skinner = new CSkinMdiClient(this);
            if (!GetSkinManager().AddSkinner(skinner, child)) {
                delete skinner;
                break;
            }
            m_mdiClient = skinner;
            skinner->Attach(child);
            InvalidateRect(child, NULL, TRUE);
            UpdateWindow(child);
            break;
        }
    }
    if (IsResizable()) {
        SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        KeepClientSize(client);
        SetRectEmpty(&m_lastWindowRect);
        RedrawWindow(hwnd, NULL, NULL,
                     RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_FRAME);
        InvalidateRect(NULL, NULL, TRUE);
    }
    return result;
}

void CSkinFrameWnd::Detach()
{
    if (!m_beingDestroyed && m_mdiClient) {
        HWND client = m_mdiClient->GetHwnd();
        m_mdiClient = NULL;
        GetSkinManager().RemoveSkin(client, CSkinManager::RemoveDetach);
    }
    HWND hwnd = m_hwnd;
    CSkinWnd::Detach();
    if (hwnd && m_menuBar.GetMenu()) {
        SetMenu(hwnd, m_menuBar.GetMenu());
        m_menuBar.ForgetMenu();
        DrawMenuBar(hwnd);
    }
}

HMENU CSkinFrameWnd::GetSkinMenu() const
{
    return m_menuBar.GetMenu();
}

BOOL CSkinFrameWnd::SetFrameMenu(HMENU menu)
{
    if (m_menuBar.GetOpenItem() || !menu || !IsMenu(menu))
        return FALSE;
    m_menuBar.LoadMenu(menu);
    if (m_hwnd) {
        SetMenu(m_hwnd, NULL);
        RedrawWindow(m_hwnd, NULL, NULL, RDW_UPDATENOW | RDW_FRAME);
    }
    return TRUE;
}

// ---------------------------------------------------------------- layout

RECT CSkinFrameWnd::GetMenuBarArea() const
{
    RECT area = {m_layout[Left].right, m_layout[TopLeft].bottom, m_layout[Right].left, m_layout[TopLeft].bottom};
    return area;
}

bool CSkinFrameWnd::IsFrameOutOfDate() const
{
    RECT window;
    GetWindowRect(window);
    return RectWidth(window) != RectWidth(m_lastWindowRect) || RectHeight(window) != RectHeight(m_lastWindowRect);
}

RECT CSkinFrameWnd::GetBorderSizes() const
{
    RECT borders = {RectWidth(m_layout[Left]), RectHeight(m_layout[TopLeft]) + RectHeight(m_menuBarRect),
                    RectWidth(m_layout[Right]), RectHeight(m_layout[BottomLeft])};
    return borders;
}

void CSkinFrameWnd::OnNcCalcSize(RECT* proposed)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape)
        return;
    const RECT* l = shape->m_layout;
    if (GetWindowLongA(m_hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) {
        proposed->left += RectWidth(l[Right]);
        proposed->right -= RectWidth(l[Left]);
    } else {
        proposed->left += RectWidth(l[Left]);
        proposed->right -= RectWidth(l[Right]);
    }
    proposed->top += RectHeight(l[TopLeft]) + m_menuBar.CalcBarHeight(proposed->right - proposed->left);
    proposed->bottom -= RectHeight(l[BottomLeft]);
    if (proposed->right < proposed->left)
        proposed->right = proposed->left;
    if (proposed->bottom < proposed->top)
        proposed->bottom = proposed->top;
}

void CSkinFrameWnd::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CSkinShapeObject* shape = GetShape();
    RECT none[PartCount] = {};
    const RECT* l = shape ? shape->m_layout : none;
    RECT monitor, work;
    if (m_mdiChild && GetParent(m_hwnd)) {
        RECT client;
        GetClientRect(GetParent(m_hwnd), &client);
        info->ptMaxPosition.x = -RectWidth(l[Left]);
        info->ptMaxPosition.y = -RectHeight(l[TopLeft]);
        info->ptMaxSize.x = RectWidth(client) + RectWidth(l[Left]) + RectWidth(l[Right]);
        info->ptMaxSize.y = RectHeight(client) + RectHeight(l[TopLeft]) + RectHeight(l[BottomLeft]);
        if (GetWindowMonitorRect(m_hwnd, monitor, false)) {
            info->ptMaxTrackSize.x = RectWidth(monitor);
            info->ptMaxTrackSize.y = RectHeight(monitor);
        }
    } else if (GetWindowMonitorRect(m_hwnd, work, true)) {
        info->ptMaxPosition.x = work.left;
        info->ptMaxPosition.y = work.top;
        info->ptMaxSize.x = RectWidth(work);
        info->ptMaxSize.y = RectHeight(work);
    }
    info->ptMinTrackSize.x = std::max(RectWidth(l[TopLeft]) + RectWidth(l[TopRight]),
                                      RectWidth(l[BottomLeft]) + RectWidth(l[BottomRight])) + 2;
    info->ptMinTrackSize.y = RectHeight(l[TopLeft]) + RectHeight(l[BottomLeft]) + 2;
    MINMAXINFO own = *info;
    CallSaved(WM_GETMINMAXINFO, 0, (LPARAM)&own);
    info->ptMaxTrackSize.x = std::min(own.ptMaxTrackSize.x, info->ptMaxTrackSize.x);
    info->ptMaxTrackSize.y = std::min(own.ptMaxTrackSize.y, info->ptMaxTrackSize.y);
    info->ptMinTrackSize.x = std::max(own.ptMinTrackSize.x, info->ptMinTrackSize.x);
    info->ptMinTrackSize.y = std::max(own.ptMinTrackSize.y, info->ptMinTrackSize.y);
}

// ---------------------------------------------------------------- hit-testing

LRESULT CSkinFrameWnd::OnNcHitTest(POINT p)
{
    FitToWindow();
    if (PtInRect(&m_menuBarRect, p))
        return HTMENU;
    const RECT* l = m_layout;
    if (IsMaximised()) {
        for (size_t i = 0; i < m_elements.size(); ++i)
            if (m_elements[i]->HitTest(p) && m_elements[i]->GetHitCode() == HTCAPTION)
                return HTCAPTION;
        if (PtInRect(&l[TopLeft], p) || PtInRect(&l[Top], p) || PtInRect(&l[TopRight], p))
            return HTCAPTION;
        return PtInRect(&l[Centre], p) ? HTCLIENT : HTNOWHERE;
    }
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i]->HitTest(p))
            if (const int code = m_elements[i]->GetHitCode())
                return code;
    return HitTestFrame(p, IsResizable(), HTERROR);
}

// ---------------------------------------------------------------- mouse

void CSkinFrameWnd::OnNcLButtonDown(WPARAM hit, POINT p)
{
    if (RouteMouseToElements(WM_LBUTTONDOWN, p))
        return;
    if (PtInRect(&m_menuBarRect, p)) {
        m_menuBar.OnLButtonDown(p.x, p.y);
        return;
    }
    // A maximised frame is neither moved nor sized.
    if (IsMaximised())
        return;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const LPARAM screen = MAKELPARAM(p.x + window.left, p.y + window.top);
    HWND top = NULL;
    LONG topStyle = 0;
    if (m_mdiChild) {
        for (HWND parent = GetParent(m_hwnd); parent; parent = GetParent(parent))
            top = parent;
        if (top) {
            topStyle = GetWindowLongA(top, GWL_STYLE);
            SetWindowLongA(top, GWL_STYLE, topStyle & ~WS_SYSMENU);
        }
    }
    CallSavedWithStyle(StyleNow() & ~WS_SYSMENU, WM_NCLBUTTONDOWN, hit, screen);
    if (top && IsWindow(top))
        SetWindowLongA(top, GWL_STYLE, topStyle);
}

void CSkinFrameWnd::OnNcLButtonUp(WPARAM hit, POINT p)
{
    if (RouteMouseToElements(WM_LBUTTONUP, p))
        return;
    if (PtInRect(&m_menuBarRect, p)) {
        m_menuBar.OnLButtonUp(p.x, p.y);
        return;
    }
    if (IsMaximised()) {
        // A maximised frame gets no double clicks of its own (it does not
        // enter the move loop): two releases within the double-click time
        // are one.
        const LONG now = GetMessageTime();
        const bool twice = m_lastCaptionRelease && (DWORD)(now - m_lastCaptionRelease) <= GetDoubleClickTime();
        m_lastCaptionRelease = twice ? 0 : now;
        if (twice)
            OnNcLButtonDblClk(hit, p);
        return;
    }
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    CallSavedWithStyle(StyleNow() & ~WS_SYSMENU, WM_NCLBUTTONUP, hit, MAKELPARAM(p.x + window.left, p.y + window.top));
}

void CSkinFrameWnd::OnNcLButtonDblClk(WPARAM hit, POINT p)
{
    if (RouteMouseToElements(WM_LBUTTONDBLCLK, p))
        return;
    if (PtInRect(&m_menuBarRect, p) || hit != HTCAPTION)
        return;
    // A minimised frame is restored, and only that.
    if (IsIconic(m_hwnd)) {
        SendMessageA(m_hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        return;
    }
    if (IsResizable() && (m_styleAtAttach & WS_MAXIMIZEBOX)) {
        SendMessageA(m_hwnd, WM_SYSCOMMAND, IsZoomed(m_hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        return;
    }
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    CallSaved(WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(p.x + window.left, p.y + window.top));
}

void CSkinFrameWnd::OnNcMouseMove(WPARAM, POINT p)
{
    if (!m_activeCaption)
        return;
    if (!RouteMouseToElements(WM_MOUSEMOVE, p))
        m_menuBar.OnMouseMove(p.x, p.y);
}

void CSkinFrameWnd::OnClickOutsideMenu(LPARAM screen)
{
    POINT point = {(short)LOWORD(screen), (short)HIWORD(screen)};
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    if (!PtInRect(&window, point))
        return;
    POINT client = point;
    ScreenToClient(m_hwnd, &client);
    RECT area;
    GetClientRect(m_hwnd, &area);
    if (PtInRect(&area, client)) {
        m_menuBar.OnLButtonDown(-1, -1);
        SendMessageA(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(client.x, client.y));
        return;
    }
    SendMessageA(m_hwnd, WM_NCLBUTTONDOWN, OnNcHitTest(WindowPoint(screen)), screen);
}

LRESULT CSkinFrameWnd::OnMenuKey(WPARAM key, LPARAM keyData)
{
    if (key == VK_LEFT || key == VK_RIGHT) {
        m_menuBar.OnMenuKey((int)key);
        return 1;
    }
    if (key == VK_F10)
        return 1;
    if (!(keyData & (1 << 29)))
        return 0;
    // Alt+Space: the skinned system menu instead of the system's.
    if (key == VK_SPACE && (m_styleAtAttach & WS_SYSMENU)) {
        ShowSkinSystemMenu(m_hwnd);
        return 1;
    }
    return m_menuBar.OnMenuKey((int)(INT_PTR)key) ? 1 : 0;
}

// ---------------------------------------------------------------- MDI

HWND CSkinFrameWnd::GetActiveMdiChild(BOOL* maximised)
{
    if (maximised)
        *maximised = FALSE;
    if (!m_mdiClient || !m_mdiClient->GetHwnd())
        return NULL;
    return (HWND)SendMessageA(m_mdiClient->GetHwnd(), WM_MDIGETACTIVE, 0, (LPARAM)maximised);
}

void CSkinFrameWnd::ShowMdiChildSystemMenu()
{
    HWND child = GetActiveMdiChild(NULL);
    if (!child)
        return;
    ShowSkinSystemMenu(child);
    if (m_mdiClient && m_mdiClient->GetHwnd())
        RedrawWindow(m_mdiClient->GetHwnd(), NULL, NULL, RDW_NOERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

void CSkinFrameWnd::MinimizeMdiChild()
{
    if (HWND child = GetActiveMdiChild(NULL))
        SendMessageA(child, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CSkinFrameWnd::RestoreMdiChild()
{
    HWND child = GetActiveMdiChild(NULL);
    if (child && m_mdiClient)
        SendMessageA(m_mdiClient->GetHwnd(), WM_MDIRESTORE, (WPARAM)child, 0);
}

void CSkinFrameWnd::CloseMdiChild()
{
    if (HWND child = GetActiveMdiChild(NULL))
        SendMessageA(child, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// ---------------------------------------------------------------- painting

void CSkinFrameWnd::DrawFrameExtra(HDC dc, bool)
{
    m_menuBarRect = m_menuBar.GetBarRect();
    m_menuBar.Paint(dc);
}

void CSkinFrameWnd::PaintFrame(HRGN update)
{
    if (!m_hwnd || !GetShape())
        return;
    if (!m_menuBar.GetOpenItem()) {
        // A menu the program puts on the window later is taken over here.
        HMENU own = GetMenu(m_hwnd);
        if (own && IsMenu(own)) {
            m_menuBar.LoadMenu(own);
            SetMenu(m_hwnd, NULL);
        }
    }
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const int w = RectWidth(window), h = RectHeight(window);
    FitToWindow();
    if (w != RectWidth(m_lastWindowRect) || h != RectHeight(m_lastWindowRect)) {
        m_lastWindowRect = window;
        MakeBackground();
        HRGN region = BuildWindowRegion();
        RECT box;
        if (region && GetRgnBox(region, &box) == SIMPLEREGION && box.left == 0 && box.top == 0 && box.right == w
            && box.bottom == h) {
            DeleteObject(region);
            region = NULL;
        }
        SetRegion(region, TRUE);
        SendMessageA(m_hwnd, WM_NCPAINT, 1, 0);
        return;
    }
    if (IsIconic(m_hwnd) && GetShape()->m_grids[0].name[0]) {
        HDC windowDc = GetWindowDC(m_hwnd);
        DrawMinimized(windowDc, m_activeCaption);
        ReleaseDC(m_hwnd, windowDc);
        return;
    }
    HDC windowDc = GetWindowDC(m_hwnd);
    if (!windowDc)
        return;
    {
        CSkinMemDC frame(windowDc, w, h);
        if (frame.IsValid()) {
            HRGN clip = WindowUpdateClip(update);
            if (clip) {
                SelectClipRgn(frame, clip);
                SelectClipRgn(windowDc, clip);
            }
            SetBkMode(frame, TRANSPARENT);
            DrawFrame(frame, m_activeCaption);
            DrawElements(frame);
            CopyFrameStrips(windowDc, frame, w, h);
            SelectClipRgn(windowDc, NULL);
            if (clip)
                DeleteObject(clip);
        }
    }
    ReleaseDC(m_hwnd, windowDc);
}

void CSkinFrameWnd::RepaintCaptionStrip()
{
    FitToWindow();
    RECT strip = {m_layout[TopLeft].left, m_layout[TopLeft].top, m_layout[TopRight].right,
                  m_layout[TopLeft].bottom + RectHeight(m_menuBarRect)};
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    OffsetRect(&strip, window.left, window.top);
    HRGN region = CreateRectRgnIndirect(&strip);
    SendMessageA(m_hwnd, WM_NCPAINT, (WPARAM)region, 0);
    DeleteObject(region);
}

LRESULT CSkinFrameWnd::OnNcActivate(WPARAM wParam, LPARAM)
{
    m_activeCaption = wParam != 0;
    HWND hwnd = m_hwnd;
    LRESULT result;
    if (m_mdiChild) {
        result = CallSavedWithStyle(Plain(), WM_NCACTIVATE, wParam, 0);
    } else {
        if (m_menuBar.GetOpenItem())
            return 1;
        const BOOL frozen = LockWindowUpdate(GetDesktopWindow());
        result = CallSavedWithStyle(Plain(), WM_NCACTIVATE, wParam, 0);
        if (frozen)
            LockWindowUpdate(NULL);
    }
    if (CSkinWnd::FromHandle(hwnd) == this)
        SendMessageA(hwnd, WM_NCPAINT, 1, 0);
    return result;
}

// ---------------------------------------------------------------- background

void CSkinFrameWnd::DeleteBackground()
{
    m_background.reset();
}

void CSkinFrameWnd::MakeBackground()
{
    DeleteBackground();
    CSkinShapeObject* shape = GetShape();
    if (!shape || !m_hwnd)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (shape->GetType() == sotFrameWnd && static_cast<CSkinFrameWndObject*>(shape)->m_backgroundFlag) {
        m_background.reset(RenderBackground(client));
        if (m_background && shape->m_frameImages[Centre].mode >= SkinDrawStretch)
            m_redrawPending = 1;
        return;
    }
    // The window's own erase paints the picture.
    HDC dc = GetDC(m_hwnd);
    m_background.reset(new CSkinMemDC(dc, std::max(1, (int)client.right), std::max(1, (int)client.bottom)));
    ReleaseDC(m_hwnd, dc);
    if (m_background->IsValid())
        SendMessageA(m_hwnd, WM_ERASEBKGND, (WPARAM)(HDC)*m_background, 0);
    else
        m_background.reset();
}

BOOL CSkinFrameWnd::EraseBackground(HDC dc)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape || shape->GetType() != sotFrameWnd || !static_cast<CSkinFrameWndObject*>(shape)->m_backgroundFlag)
        return FALSE;
    if (!m_background)
        MakeBackground();
    if (!m_background)
        return FALSE;
    if (m_redrawPending) {
        m_redrawPending = 0;
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
        return TRUE;
    }
    CopyBackgroundTo(dc);
    return TRUE;
}

// ---------------------------------------------------------------- the procedure

LRESULT CSkinFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = m_hwnd;
    const DWORD style = StyleNow();
    switch (message) {
    case WM_DESTROY:
        if (m_mdiChild && GetParent(hwnd)) {
            RECT rect;
            ::GetWindowRect(hwnd, &rect);
            MapWindowPoints(NULL, GetParent(hwnd), (POINT*)&rect, 2);
            SendMessageA(GetParent(hwnd), WM_SKIN_MDI_REFRESH, 0, (LPARAM)&rect);
        }
        // The window's menu goes back so that the system destroys it with
        // the window.
        if (HMENU menu = m_menuBar.GetMenu() ? m_menuBar.GetMenu() : m_savedMenu) {
            m_menuBar.ForgetMenu();
            SetMenu(hwnd, menu);
        }
        m_savedMenu = NULL;
        break;
    case WM_SIZE:
        if (m_mdiChild && IsZoomed(hwnd)) {
            MINMAXINFO info = {};
            OnGetMinMaxInfo(&info);
            SetWindowPos(hwnd, NULL, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y, 0);
        }
        break;
    case WM_SETTEXT: case WM_SETICON: {
        const LRESULT result = CallSavedWithStyle(
            m_mdiChild && message == WM_SETTEXT ? Plain() : WS_POPUP | (style & WS_VISIBLE), message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this)
            RepaintCaptionStrip();
        return result;
    }
    case WM_ERASEBKGND:
        if (EraseBackground((HDC)wParam))
            return 1;
        break;
    case WM_SETCURSOR:
        return CallSavedWithStyle(style & ~WS_SYSMENU, message, wParam, lParam);
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo((MINMAXINFO*)lParam);
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (m_mdiChild && IsZoomed(hwnd)) {
            MINMAXINFO info = {};
            OnGetMinMaxInfo(&info);
            WINDOWPOS* pos = (WINDOWPOS*)lParam;
            pos->x = info.ptMaxPosition.x;
            pos->y = info.ptMaxPosition.y;
            pos->cx = info.ptMaxSize.x;
            pos->cy = info.ptMaxSize.y;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        if (m_mdiChild) {
            CallSavedWithStyle(style & ~WS_SYSMENU, message, wParam, lParam);
            SendMessageA(hwnd, WM_NCPAINT, 1, 0);
            return 0;
        }
        break;
    case WM_NCCALCSIZE:
        OnNcCalcSize(wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam);
        return 0;
    case WM_NCHITTEST:
        return OnNcHitTest(WindowPoint(lParam));
    case WM_NCPAINT:
        PaintFrame((HRGN)wParam);
        return 0;
    case WM_NCACTIVATE:
        return OnNcActivate(wParam, lParam);
    case WM_NCMOUSEMOVE: {
        const LRESULT result = CallSavedWithStyle(style & ~WS_SYSMENU, message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this)
            OnNcMouseMove(wParam, WindowPoint(lParam));
        return result;
    }
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(wParam, WindowPoint(lParam));
        return 0;
    case WM_NCLBUTTONUP:
        OnNcLButtonUp(wParam, WindowPoint(lParam));
        return 0;
    case WM_NCLBUTTONDBLCLK:
        OnNcLButtonDblClk(wParam, WindowPoint(lParam));
        return 0;
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
        return 0;
    case WM_NCRBUTTONUP:
        // A right click on the caption opens the skinned system menu.
        if ((wParam == HTCAPTION || wParam == HTSYSMENU) && (m_styleAtAttach & WS_SYSMENU)) {
            ShowSkinSystemMenu(hwnd);
            return 0;
        }
        break;
    case WM_INITMENU: case WM_INITMENUPOPUP: {
        const LRESULT result = CallSavedWithStyle(Plain(), message, wParam, lParam);
        if (CSkinWnd::FromHandle(hwnd) == this)
            SendMessageA(hwnd, WM_NCPAINT, 1, 0);
        return result;
    }
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(message, wParam, lParam);
    case WM_SKIN_MENU_LBUTTON_OUTSIDE: case WM_SKIN_MENU_RBUTTON_OUTSIDE:
        OnClickOutsideMenu(lParam);
        return 0;
    case WM_SKIN_MENU_MOUSE_OUTSIDE: {
        const POINT p = WindowPoint(lParam);
        OnNcMouseMove(OnNcHitTest(p), p);
        return 0;
    }
    case WM_SKIN_MENU_END:
        m_menuBar.OnMenuEnd();
        break;
    case WM_SKIN_PARENT_BACKGROUND:
        if (!m_background)
            MakeBackground();
        return CopyBackgroundUnder((HDC)wParam, (HWND)lParam);
    case WM_SKIN_QUERY_STATE:
        return m_styleAtAttach;
    }
    return CSkinWnd::WindowProc(message, wParam, lParam);
}
