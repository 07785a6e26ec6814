#include "ui/bmpmenu.h"

#include "ui/bmpmenuitems.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CBmpMenu, CWnd)

BEGIN_MESSAGE_MAP(CBmpMenu, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

const char kMenuClass[] = "BitmapMenu";
const DWORD kMenuExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE |
                           WS_EX_CONTROLPARENT;  // 0x10189
// WS_CHILD beside WS_POPUP changes nothing: a window with both is a popup.
const DWORD kMenuStyle = WS_POPUP | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER;  // 0xC6800000
const DWORD kStripCtrlStyle = TBSTYLE_WRAPABLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_CUSTOMERASE;  // 0x3A00
const DWORD kStripBarStyle = 0x0200005C;

bool Fits(const CRect& area, CPoint topLeft, CSize size)
{
    return topLeft.x >= area.left && topLeft.y >= area.top && topLeft.x + size.cx <= area.right &&
           topLeft.y + size.cy <= area.bottom;
}

bool IsButtonDown(UINT message)
{
    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

CBmpMenu::CBmpMenu(int stripWidth, BOOL subMenusInherit, HBITMAP picture, BOOL stretch)
    : m_pOwner(nullptr), m_pSubMenu(nullptr), m_hPicture(nullptr), m_bSubMenusInherit(subMenusInherit),
      m_bStretch(stretch), m_nStripWidth(stripWidth), m_dwFlags(0), m_pItems(nullptr), m_pParentMenu(nullptr),
      m_bClosing(false)
{
    BITMAP info;
    if (picture != nullptr && ::GetObjectType(picture) == OBJ_BITMAP &&
        ::GetObjectA(picture, sizeof(info), &info) == sizeof(info))
        m_hPicture = picture;
}

CBmpMenu::~CBmpMenu()
{
    delete m_pItems;
}

BOOL CBmpMenu::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CWnd::PreCreateWindow(cs))
        return FALSE;
    // Once per process, the menu's class from the base class's.
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA wc;
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        if (!::GetClassInfoA(instance, cs.lpszClass, &wc))
            return FALSE;
        wc.hInstance = instance;
        wc.lpszClassName = kMenuClass;
        if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return FALSE;
        registered = true;
    }
    cs.lpszClass = kMenuClass;
    return TRUE;
}

BOOL CBmpMenu::TrackPopup(DWORD flags, int x, int y, CWnd* pOwner, LPCRECT lpExclude)
{
    if (m_hWnd != nullptr)
        return FALSE;
    m_dwFlags = flags;
    const bool subMenu = IsSubMenu();
    if (!subMenu)
        m_pOwner = pOwner;
    if (m_pOwner == nullptr || !::IsWindow(m_pOwner->m_hWnd) || pOwner == nullptr)
        return FALSE;
    m_pOwner->SendMessage(subMenu ? WM_INITMENUPOPUP : WM_INITMENU, reinterpret_cast<WPARAM>(m_hMenu), 0);
    // A menu without items (or no menu at all) shows nothing.
    if (!::IsMenu(m_hMenu) || ::GetMenuItemCount(m_hMenu) <= 0)
        return FALSE;
    if (!CreateEx(kMenuExStyle, nullptr, nullptr, kMenuStyle, 0, 0, 0, 0, pOwner->m_hWnd, nullptr))
        return FALSE;
    if (subMenu)
    {
        m_pParentMenu = DYNAMIC_DOWNCAST(CBmpMenu, pOwner);
        if (m_pParentMenu)
            m_pParentMenu->m_pSubMenu = this;
    }
    m_pItems = new CBmpMenuItems(this);
    if (!m_pItems->CreateEx(this, kStripCtrlStyle, kStripBarStyle, CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR))
    {
        DestroyWindow();
        delete m_pItems;
        m_pItems = nullptr;
        return FALSE;
    }
    Layout(x, y, lpExclude);
    if (!subMenu)
        m_pOwner->SetForegroundWindow();
    ShowWindow(SW_SHOWNA);
    UpdateWindow();
    if (m_dwFlags & FlagKeyboard)
    {
        m_pItems->SetHotItem(0);
        m_dwFlags &= ~FlagKeyboard;
    }
    if (::IsWindow(m_pOwner->m_hWnd))
        m_pOwner->SendMessage(WM_ENTERMENULOOP, reinterpret_cast<WPARAM>(m_hMenu), reinterpret_cast<LPARAM>(m_hWnd));

    RunMenuLoop();

    delete m_pItems;  // frees the item copies; the strip's window went with the menu's
    m_pItems = nullptr;
    if (m_hWnd != nullptr)
        DestroyWindow();
    return TRUE;
}

void CBmpMenu::Layout(int x, int y, LPCRECT lpExclude)
{
    CSize column = m_pItems->AddItems(m_hMenu);
    CSize size(m_nStripWidth + column.cx + 6, column.cy + 6);
    CRect desktop;
    ::GetWindowRect(::GetDesktopWindow(), desktop);
    CPoint at = PlaceMenu(desktop, size, CPoint(x, y), lpExclude);
    // Placed topmost: the style given at creation is dropped for a popup
    // whose owner is not topmost, and the owner could then cover the menu.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE);
    m_pItems->SetWindowPos(nullptr, m_nStripWidth, 0, column.cx + 6, column.cy + 6, SWP_NOZORDER | SWP_NOACTIVATE);
    m_pItems->ShowWindow(SW_SHOWNOACTIVATE);
}

CPoint CBmpMenu::PlaceMenu(const CRect& area, CSize size, CPoint point, LPCRECT lpExclude)
{
    if (lpExclude == nullptr)
    {
        const CPoint candidates[] = {
            point,                                          // right and down
            CPoint(point.x - size.cx, point.y),             // left and down
            CPoint(point.x, point.y - size.cy),             // right and up
            CPoint(point.x - size.cx, point.y - size.cy)};  // left and up
        for (const CPoint& c : candidates)
        {
            if (Fits(area, c, size))
                return c;
        }
        return point;
    }
    const CRect& r = *lpExclude;
    const CPoint candidates[] = {
        CPoint(r.right, r.top),                       // beside the right edge, down
        CPoint(r.right, r.bottom - size.cy),          // beside the right edge, up
        CPoint(r.left - size.cx, r.top),              // beside the left edge, down
        CPoint(r.left - size.cx, r.bottom - size.cy)  // beside the left edge, up
    };
    for (const CPoint& c : candidates)
    {
        if (Fits(area, c, size))
            return c;
    }
    // Fits nowhere: the first place, pushed back inside the area as far as
    // it goes, rather than a menu nobody can see.
    CPoint at = candidates[0];
    at.x = std::max(area.left, std::min(at.x, area.right - size.cx));
    at.y = std::max(area.top, std::min(at.y, area.bottom - size.cy));
    return at;
}

void CBmpMenu::RunMenuLoop()
{
    CAfxLoopScope loop;
    MSG msg;
    while (m_hWnd != nullptr)
    {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0)
        {
            // The loop outside must see the quit too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            CloseChain();
            break;
        }
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
        {
            // The keyboard belongs to the menu while it is open.
            if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
            {
                CBmpMenu* root = Root();
                if (root->m_hWnd != nullptr)
                    root->SendMessage(msg.message, msg.wParam, msg.lParam);
            }
            continue;
        }
        if (IsButtonDown(msg.message) && !BelongsToChain(msg.hwnd))
        {
            // A click anywhere else dismisses the menu and is not passed on.
            CloseChain();
            continue;
        }
        if (!AfxPreTranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

CBmpMenu* CBmpMenu::Root()
{
    CBmpMenu* menu = this;
    while (menu->m_pParentMenu != nullptr)
        menu = menu->m_pParentMenu;
    return menu;
}

bool CBmpMenu::BelongsToChain(HWND hWnd)
{
    for (CBmpMenu* menu = Root(); menu != nullptr; menu = menu->m_pSubMenu)
    {
        if (menu->m_hWnd != nullptr && (hWnd == menu->m_hWnd || ::IsChild(menu->m_hWnd, hWnd)))
            return true;
    }
    return false;
}

void CBmpMenu::Close()
{
    // Destroying an active menu deactivates it, and deactivation closes the
    // menu: that inner Close must not start the destruction over again.
    if (m_bClosing)
        return;
    m_bClosing = true;
    CloseSubMenus();
    if (m_hWnd != nullptr)
        DestroyWindow();
    m_bClosing = false;
}

void CBmpMenu::CloseSubMenus()
{
    if (m_pSubMenu != nullptr)
        m_pSubMenu->Close();
    m_pSubMenu = nullptr;
}

void CBmpMenu::CloseChain()
{
    Root()->Close();
}

void CBmpMenu::ChooseCommand(UINT id)
{
    // The menu goes first: the command may open windows of its own.
    CWnd* owner = m_pOwner;
    CloseChain();
    if (owner != nullptr && ::IsWindow(owner->m_hWnd))
        owner->PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void CBmpMenu::OpenSubMenu(int position, BOOL fromKeyboard)
{
    if (m_hWnd == nullptr || m_pItems == nullptr || position < 0 || position >= m_pItems->GetItemCount())
        return;
    HMENU subMenu = ::GetSubMenu(m_hMenu, position);
    if (subMenu == nullptr)
        return;
    CloseSubMenus();
    CBmpMenu* child = new CBmpMenu(m_bSubMenusInherit ? m_nStripWidth : 0, m_bSubMenusInherit,
                                   m_bSubMenusInherit ? m_hPicture : nullptr, m_bStretch);
    child->CMenu::Attach(subMenu);
    child->m_pOwner = m_pOwner;
    CRect item;
    m_pItems->GetItemRect(position, item);
    m_pItems->ClientToScreen(item);
    item.left -= m_nStripWidth;
    child->TrackPopup(FlagSubMenu | (fromKeyboard ? FlagKeyboard : 0), item.right, item.top, this, item);
    if (m_pSubMenu == child)
        m_pSubMenu = nullptr;
    child->CMenu::Detach();  // the sub-menu belongs to this menu
    delete child;
    // The item can open its sub-menu again, however the sub-menu closed.
    if (m_pItems != nullptr && m_pItems->m_hWnd != nullptr)
        m_pItems->ResetPending();
}

LRESULT CBmpMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (m_pOwner != nullptr && ::IsWindow(m_pOwner->m_hWnd))
            return m_pOwner->SendMessage(WM_COMMAND, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
        {
            CWnd* other = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
            if (other == nullptr || !other->IsKindOf(RUNTIME_CLASS(CBmpMenu)))
                Close();
        }
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_ACTIVATEAPP:
        // Another application became active; the menu need never have been
        // active itself to notice.
        if (!wParam)
            Close();
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_KEYDOWN:
        if (CBmpMenu* sub = GetOpenSubMenu())
            return sub->SendMessage(message, wParam, lParam);
        if (m_pItems != nullptr && m_pItems->m_hWnd != nullptr)
            return m_pItems->SendMessage(message, wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
        Close();
        return 0;
    case WM_BMPMENU_CHILDCLOSED:
        if (m_pItems != nullptr && m_pItems->m_hWnd != nullptr)
            m_pItems->SendMessage(WM_BMPMENU_CHILDCLOSED, 0, 0);
        return 0;
    case WM_BMPMENU_OPENSUBMENU:
        OpenSubMenu(static_cast<int>(wParam), (lParam & FlagKeyboard) != 0);
        return 0;
    case WM_DESTROY:
        if (m_pOwner != nullptr && ::IsWindow(m_pOwner->m_hWnd))
            m_pOwner->SendMessage(WM_EXITMENULOOP, 0, 0);
        if (m_pParentMenu != nullptr && m_pParentMenu->m_hWnd != nullptr)
            m_pParentMenu->Invalidate();
        return CWnd::WindowProc(message, wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CBmpMenu::PaintBackground(CDC* pDC, const CRect& client) const
{
    pDC->FillSolidRect(client, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    if (m_hPicture == nullptr || m_nStripWidth <= 0)
        return;
    CRect strip(client.left, client.top, client.left + m_nStripWidth, client.bottom);
    if (m_bStretch)
    {
        BITMAP info;
        ::GetObjectA(m_hPicture, sizeof(info), &info);
        CDC source;
        source.CreateCompatibleDC(pDC);
        HGDIOBJ old = source.SelectObject(static_cast<HGDIOBJ>(m_hPicture));
        // Shrinking must not merge pixels by AND, which darkens a picture.
        const int mode = ::SetStretchBltMode(pDC->m_hDC, COLORONCOLOR);
        pDC->StretchBlt(strip.left, strip.top, strip.Width(), strip.Height(), &source, 0, 0, info.bmWidth,
                        info.bmHeight, SRCCOPY);
        ::SetStretchBltMode(pDC->m_hDC, mode);
        source.SelectObject(old);
    }
    else
    {
        CBrush tiles;
        tiles.Attach(::CreatePatternBrush(m_hPicture));
        ::SetBrushOrgEx(pDC->m_hDC, strip.left, strip.top, nullptr);
        pDC->FillRect(strip, &tiles);
    }
}

void CBmpMenu::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(client);
    PaintBackground(&dc, client);
}

BOOL CBmpMenu::OnEraseBkgnd(CDC* pDC)
{
    // The item strip is transparent and asks for this erase too, for the
    // gaps between and below its buttons.
    CRect client;
    GetClientRect(client);
    PaintBackground(pDC, client);
    return TRUE;
}
