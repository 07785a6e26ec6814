#include "skin/menus/skinpopupmenu.h"

#include <algorithm>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/core/skinwndproc.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"

const char SKIN_SAVED_WNDPROC_PROP[] = "SKIN_WNDPROC";

namespace {

const WPARAM MenuClosed = 0xFFFF0000;
const WORD SelectedByMouse = 0x8080;
const WORD SelectedByKey = 0x0080;

// The text as it shows: "&" marks gone, "&&" one ampersand.
std::string ShownText(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

int TextWidth(HDC dc, const std::string& text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.data(), (int)text.size(), &size);
    return size.cx;
}

WNDPROC SubclassWindow(HWND hwnd, WNDPROC proc)
{
    return (WNDPROC)SetSkinWindowProc(hwnd, IsWindowUnicode(hwnd) != FALSE, proc);
}

WNDPROC CurrentWindowProc(HWND hwnd)
{
    return GetSkinWindowProc(hwnd, IsWindowUnicode(hwnd) != FALSE);
}

} // namespace

LRESULT CALLBACK KeepFrameActiveProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The frame keeps its active look while its menu has the focus.
    if (message == WM_NCACTIVATE && !wParam)
        return TRUE;
    WNDPROC saved = (WNDPROC)GetPropA(hwnd, SKIN_SAVED_WNDPROC_PROP);
    if (!saved)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return CallSkinWindowProc(IsWindowUnicode(hwnd) != FALSE, saved, hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- life

CSkinPopupMenu::CSkinPopupMenu(HWND owner, CSkinPopupMenu* parent, int mode)
    : m_owner(owner), m_parent(parent), m_child(NULL), m_mode(mode), m_done(false), m_cancelled(false),
      m_resultCommand(0), m_notifyOnDeactivate(true), m_hot(-1), m_itemHeight(0), m_scrolling(false),
      m_firstVisible(0), m_visibleCount(0), m_font(NULL), m_captured(false)
{
    SetRectEmpty(&m_upArea);
    SetRectEmpty(&m_downArea);
    // The built-in look shows disabled items grey.
    m_default.m_rects[0].top = GetSysColor(COLOR_GRAYTEXT);
    CSkinHostWnd::SetSkinObject(&m_default);
}

CSkinPopupMenu::~CSkinPopupMenu()
{
    CloseChild();
    if (GetHwnd())
        DestroyWindow(GetHwnd());
    if (m_font)
        DeleteObject(m_font);
}

BOOL CSkinPopupMenu::Create()
{
    HWND parentWindow = m_parent ? m_parent->GetHwnd() : m_owner;
    DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    if (parentWindow && IsMirroredWindow(parentWindow))
        exStyle |= WS_EX_LAYOUTRTL;
    HINSTANCE instance = GetSkinInstance() ? GetSkinInstance() : GetModuleHandleA(NULL);
    return CreateWindowExA(exStyle, SKIN_POPUP_MENU_CLASS, "", WS_POPUP | WS_BORDER | WS_SYSMENU, 0, 0, 100, 100,
                           parentWindow, NULL, instance, static_cast<CSkinWnd*>(this))
           != NULL;
}

CSkinObject* CSkinPopupMenu::SetSkinObject(CSkinObject* object)
{
    if (!object || object->GetType() != sotPopupMenu)
        object = &m_default;
    if (m_font)
        DeleteObject(m_font);
    m_font = NULL;
    ForgetSize();
    return CSkinHostWnd::SetSkinObject(object);
}

void CSkinPopupMenu::LoadMenu(HMENU menu)
{
    m_items.Load(menu);
    m_hot = -1;
    m_scrolling = false;
    m_firstVisible = 0;
    m_visibleCount = m_items.GetCount();
}

CSkinPopupMenu* CSkinPopupMenu::GetRoot()
{
    CSkinPopupMenu* root = this;
    while (root->m_parent)
        root = root->m_parent;
    return root;
}

void CSkinPopupMenu::Close()
{
    CloseChild();
    KillTimer(GetHwnd(), SubMenuTimer);
    if (!m_parent && GetHwnd())
        ShowWindow(GetHwnd(), SW_HIDE);
    m_items.Clear();
    if (GetHwnd())
        DestroyWindow(GetHwnd());
}

void CSkinPopupMenu::CloseChild()
{
    if (!m_child)
        return;
    CSkinPopupMenu* child = m_child;
    m_child = NULL;
    child->SetNotifyOnDeactivate(false);
    child->Close();
    delete child;
}

// ---------------------------------------------------------------- sizes

HFONT CSkinPopupMenu::MenuFont()
{
    if (!m_font) {
        LOGFONTA lf = Look().m_captionFont.font;
        m_font = CreateFontIndirectA(&lf);
    }
    return m_font;
}

int CSkinPopupMenu::CalcItemHeight()
{
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SIZE text = {0, 0};
    GetTextExtentPoint32A(dc, "TEST", 4, &text);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    int height = text.cy;
    int cx = 0, cy = 0;
    if (m_images.normal && ImageList_GetIconSize(m_images.normal, &cx, &cy))
        height = std::max(height, std::max(cx, cy));
    const RECT& margins = Look().m_rects[1];
    return height + margins.top + margins.bottom + 2;
}

SIZE CSkinPopupMenu::CalcSize()
{
    m_itemHeight = CalcItemHeight();
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int widest = 0;
    for (int i = 0; i < m_items.GetCount(); ++i) {
        const std::string shown = ShownText(m_items.At(i)->text);
        const size_t tab = shown.find('\t');
        int width = TextWidth(dc, shown.substr(0, tab));
        if (tab != std::string::npos)
            width += TextWidth(dc, shown.substr(tab + 1)) + TextWidth(dc, "    ");
        widest = std::max(widest, width);
    }
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    const RECT borders = GetBorderSizes();
    const RECT& margins = Look().m_rects[1];
    SIZE size;
    size.cx = widest + borders.left + borders.right + margins.left + margins.right + 2 * m_itemHeight + 1;
    size.cy = m_items.GetCount() * m_itemHeight + borders.top + borders.bottom;
    return size;
}

RECT CSkinPopupMenu::GetItemRect(int index) const
{
    RECT client;
    GetClientRect(GetHwnd(), &client);
    RECT rect = {0, 0, client.right, 0};
    rect.top = (index - m_firstVisible) * m_itemHeight + (m_scrolling ? m_upArea.bottom : 0);
    rect.bottom = rect.top + m_itemHeight;
    return rect;
}

int CSkinPopupMenu::HitTest(POINT client) const
{
    RECT area;
    GetClientRect(GetHwnd(), &area);
    if (m_scrolling) {
        area.top = m_upArea.bottom;
        area.bottom = m_downArea.top;
    }
    if (!PtInRect(&area, client) || m_items.GetCount() == 0 || m_itemHeight <= 0)
        return -1;
    const int index = (client.y - area.top) / m_itemHeight + m_firstVisible;
    if (index >= m_items.GetCount() || index >= m_firstVisible + m_visibleCount)
        return -1;
    return index;
}

// ---------------------------------------------------------------- showing

HWND CSkinPopupMenu::OwnerFrame() const
{
    HWND frame = m_owner;
    while (frame && (GetWindowLongA(frame, GWL_STYLE) & WS_CHILD))
        frame = GetParent(frame);
    return frame;
}

void CSkinPopupMenu::KeepOwnerActive(bool keep)
{
    HWND frame = OwnerFrame();
    if (!frame || !IsWindow(frame))
        return;
    if (keep) {
        if (GetPropA(frame, SKIN_SAVED_WNDPROC_PROP))
            return;
        SetPropA(frame, SKIN_SAVED_WNDPROC_PROP, (HANDLE)SubclassWindow(frame, KeepFrameActiveProc));
        return;
    }
    WNDPROC saved = (WNDPROC)GetPropA(frame, SKIN_SAVED_WNDPROC_PROP);
    // Only while ours is the procedure in place: a window subclassed after
    // us keeps calling through KeepFrameActiveProc, which needs the saved
    // procedure.
    if (saved && CurrentWindowProc(frame) == KeepFrameActiveProc) {
        SubclassWindow(frame, saved);
        RemovePropA(frame, SKIN_SAVED_WNDPROC_PROP);
    }
}

void CSkinPopupMenu::OnShow(bool show)
{
    if (!m_parent)
        KeepOwnerActive(show);
    if (show) {
        m_itemHeight = CalcItemHeight();
        RECT client;
        GetClientRect(GetHwnd(), &client);
        const int count = m_items.GetCount();
        if (m_itemHeight > 0 && client.bottom < m_itemHeight * count) {
            m_scrolling = true;
            m_visibleCount = client.bottom / m_itemHeight;
            if (client.bottom % m_itemHeight < 10)
                --m_visibleCount;
            m_visibleCount = std::max(m_visibleCount, 0);
            const int area = (client.bottom - m_visibleCount * m_itemHeight) / 2;
            SetRect(&m_upArea, 0, 0, client.right, area);
            SetRect(&m_downArea, 0, client.bottom - area, client.right, client.bottom);
        } else {
            m_scrolling = false;
            m_visibleCount = count;
            SetRectEmpty(&m_upArea);
            SetRectEmpty(&m_downArea);
        }
        for (int i = 0; i < count; ++i)
            m_items.At(i)->highlighted = false;
        m_hot = -1;
    }
    if (!m_parent) {
        if (show) {
            SetCapture(GetHwnd());
            m_captured = true;
        } else if (m_captured) {
            m_captured = false;
            if (GetCapture() == GetHwnd())
                ReleaseCapture();
        }
    }
}

// ---------------------------------------------------------------- painting

void CSkinPopupMenu::PaintClient(HDC picture, const RECT& client)
{
    DrawClientBackground(picture, client, Look().m_clientColour);
    HGDIOBJ oldFont = SelectObject(picture, MenuFont());
    SetBkMode(picture, TRANSPARENT);
    const int last = std::min(m_items.GetCount(), m_firstVisible + m_visibleCount);
    for (int i = m_firstVisible; i < last; ++i)
        DrawItem(picture, *m_items.At(i), GetItemRect(i));
    if (m_scrolling) {
        HGDIOBJ oldPen = SelectObject(picture, GetStockObject(BLACK_PEN));
        const int c = client.right / 2;
        const POINT up[3] = {{c - 4, m_upArea.top + 4}, {c, m_upArea.top}, {c + 4, m_upArea.top + 4}};
        const POINT down[3] = {
            {c - 4, m_downArea.bottom - 5}, {c + 4, m_downArea.bottom - 5}, {c, m_downArea.bottom - 1}};
        FillTriangle(picture, up, RGB(0, 0, 0));
        FillTriangle(picture, down, RGB(0, 0, 0));
        SelectObject(picture, oldPen);
    }
    SelectObject(picture, oldFont);
}

void CSkinPopupMenu::DrawItem(HDC dc, const CSkinMenuItem& item, const RECT& rect)
{
    const CSkinPopupMenuObject& look = Look();
    CSkinStore* store = look.GetStore();
    const bool mirrored = IsMirrored();
    const RECT& m = look.m_rects[1];
    const int h = rect.bottom - rect.top;

    if (item.IsSeparator()) {
        const SkinImageGrid& separator = look.m_grids2[1];
        if (IsGridEmpty(separator)) {
            RECT line = rect;
            line.top = (rect.top + rect.bottom) / 2;
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        } else {
            RECT part = rect;
            const int partHeight = separator.source.bottom - separator.source.top;
            if (h > partHeight) {
                part.top += (h - partHeight) / 2;
                part.bottom = part.top + partHeight;
            }
            DrawSkinNineGrid(store, dc, part, separator, look.m_clientColour, FALSE, mirrored);
        }
        return;
    }

    RECT text = {rect.left + m.left + h + 1, rect.top + m.top, rect.right - m.right - h, rect.bottom - m.bottom};
    const COLORREF disabled = look.m_rects[0].top;
    COLORREF colour;
    if (item.highlighted) {
        if (IsGridEmpty(look.m_grids2[0]))
            FillSolidRect(dc, rect, look.m_colour1);
        else
            DrawSkinNineGrid(store, dc, rect, look.m_grids2[0], look.m_colour1, TRUE, mirrored);
        colour = item.IsEnabled() ? (COLORREF)look.m_rects[0].left : disabled;
    } else {
        colour = item.IsEnabled() ? look.m_colour2 : disabled;
    }
    SetTextColor(dc, colour);
    const size_t tab = item.text.find('\t');
    const std::string before = item.text.substr(0, tab);
    DrawTextA(dc, before.c_str(), (int)before.size(), &text, DT_SINGLELINE | DT_VCENTER);
    if (tab != std::string::npos) {
        const std::string after = item.text.substr(tab + 1);
        DrawTextA(dc, after.c_str(), (int)after.size(), &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }

    RECT box = {rect.left + m.left + 1, rect.top + m.top + 1, 0, 0};
    const int side = (rect.bottom - m.bottom - 1) - (rect.top + m.top + 1);
    box.right = box.left + side;
    box.bottom = box.top + side;
    if (!(item.state & MF_CHECKED)) {
        HIMAGELIST list = m_images.normal;
        if (item.highlighted && m_images.hot)
            list = m_images.hot;
        else if (!item.IsEnabled() && m_images.disabled)
            list = m_images.disabled;
        const int image = m_images.IndexOf(item.commandId);
        if (list && image >= 0)
            ImageList_DrawEx(list, image, dc, box.left, box.top, side, side, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    } else if (IsImagePartEmpty(look.m_images[0])) {
        const int cx = rect.left + m.left + h / 2, cy = (rect.top + rect.bottom) / 2;
        const RECT mark = {cx - 3, cy - 3, cx + 3, cy + 3};
        FillSolidRect(dc, mark, RGB(0, 0, 0));
    } else {
        DrawSkinImagePartTransparent(store, dc, box, look.m_images[0], GetTransparentColour(), mirrored);
    }

    if (item.subMenu) {
        const int middle = (rect.top + rect.bottom) / 2;
        if (IsImagePartEmpty(look.m_images[1])) {
            const int base = rect.right - m.right - 8;
            const POINT arrow[3] = {{base, middle - 4}, {base, middle + 4}, {rect.right - m.right - 4, middle}};
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
            FillTriangle(dc, arrow, RGB(0, 0, 0));
            SelectObject(dc, oldPen);
        } else {
            RECT arrowBox = {rect.right - m.right - 2 - side, rect.top + m.top + 1, rect.right - m.right - 2, 0};
            arrowBox.bottom = arrowBox.top + side;
            DrawSkinImagePartTransparent(store, dc, arrowBox, look.m_images[1], GetTransparentColour(), mirrored);
        }
    }
}

void CSkinPopupMenu::RepaintItem(int index)
{
    if (index < 0 || !GetHwnd())
        return;
    RECT rect = GetItemRect(index);
    InvalidateRect(GetHwnd(), &rect, FALSE);
}

void CSkinPopupMenu::Scroll(int delta)
{
    m_firstVisible = std::max(0, std::min(m_firstVisible + delta, m_items.GetCount() - m_visibleCount));
    InvalidateRect(GetHwnd(), NULL, FALSE);
}

// ---------------------------------------------------------------- the chain

void CSkinPopupMenu::PostToOwner(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_owner)
        PostMessageA(m_owner, message, wParam, lParam);
}

void CSkinPopupMenu::MenuSelectClosed()
{
    if (m_owner)
        SendMessageA(m_owner, WM_MENUSELECT, MenuClosed, 0);
}

void CSkinPopupMenu::SetHot(int index, bool byMouse)
{
    CSkinMenuItem* item = m_items.At(index);
    if (!item)
        return;
    m_hot = index;
    item->highlighted = true;
    if (m_owner)
        SendMessageA(m_owner, WM_MENUSELECT, MAKEWPARAM(item->commandId & 0xFFFF, byMouse ? SelectedByMouse : SelectedByKey),
                     (LPARAM)item->menu);
}

void CSkinPopupMenu::ClearHot()
{
    if (CSkinMenuItem* item = m_items.At(m_hot)) {
        item->highlighted = false;
        RepaintItem(m_hot);
    }
    m_hot = -1;
}

void CSkinPopupMenu::DeliverCommand(UINT command)
{
    if (m_mode == ReturnCommand)
        m_resultCommand = command;
    else if (m_mode == SystemMenu)
        PostToOwner(WM_SYSCOMMAND, command, 0);
    else
        PostToOwner(WM_COMMAND, command, 0);
}

void CSkinPopupMenu::EndMenu(bool cancelled)
{
    PostToOwner(WM_SKIN_MENU_END, 0, 0);
    m_done = true;
    m_cancelled = cancelled;
}

void CSkinPopupMenu::ChooseCommand(UINT command)
{
    MenuSelectClosed();
    PostMessageA(m_parent ? m_parent->GetHwnd() : GetHwnd(), WM_SKIN_MENU_COMMAND, command, 0);
}

void CSkinPopupMenu::OpenSubMenu(int index)
{
    CSkinMenuItem* item = m_items.At(index);
    if (!item || !item->subMenu || !GetHwnd())
        return;
    CloseChild();
    if (m_owner)
        SendMessageA(m_owner, WM_INITMENUPOPUP, (WPARAM)item->subMenu, item->position);
    CSkinPopupMenu* child = new CSkinPopupMenu(m_owner, this, m_mode);
    if (!child->Create()) {
        delete child;
        return;
    }
    child->LoadMenu(item->subMenu);
    child->SetSkinObject(GetSkinObject());
    child->SetMenuImages(m_images);
    const SIZE size = child->CalcSize();

    const RECT itemRect = GetItemRect(index);
    POINT corner = {itemRect.right, itemRect.top}, left = {itemRect.left, itemRect.top};
    ClientToScreen(GetHwnd(), &corner);
    ClientToScreen(GetHwnd(), &left);
    RECT r = {corner.x, corner.y, corner.x + size.cx, corner.y + size.cy};
    if (IsMirrored())
        SetRect(&r, corner.x - size.cx, corner.y, corner.x, corner.y + size.cy);
    RECT work;
    GetWindowMonitorRect(GetHwnd(), work, true);
    if (r.bottom > work.bottom) {
        r.bottom = work.bottom - 1;
        r.top = std::max(r.bottom - size.cy, work.top + 1);
    }
    if (!IsMirrored() && r.right > work.right) {
        r.left = std::max(left.x - size.cx, work.left);
        r.right = std::min(r.left + size.cx, work.right);
    }
    m_child = child;
    MoveWindow(child->GetHwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(child->GetHwnd(), SW_SHOW);
}

// ---------------------------------------------------------------- mouse

bool CSkinPopupMenu::OnMouseMove(POINT client)
{
    if (!GetHwnd())
        return false;
    POINT screen = client;
    ClientToScreen(GetHwnd(), &screen);
    if (m_child && m_child->GetHwnd()) {
        RECT childRect;
        ::GetWindowRect(m_child->GetHwnd(), &childRect);
        POINT inChild = screen;
        ScreenToClient(m_child->GetHwnd(), &inChild);
        if (PtInRect(&childRect, screen) && m_child->OnMouseMove(inChild))
            return true;
    }
    const int index = HitTest(client);
    if (index < 0) {
        if (m_child && m_child->GetHwnd()) {
            POINT inChild = screen;
            ScreenToClient(m_child->GetHwnd(), &inChild);
            if (m_child->OnMouseMove(inChild))
                return true;
        } else if (m_hot >= 0) {
            // The item of an open sub-menu stays marked.
            KillTimer(GetHwnd(), SubMenuTimer);
            ClearHot();
        }
        if (m_mode == DropDown && !m_parent)
            PostToOwner(WM_SKIN_MENU_MOUSE_OUTSIDE, 0, MAKELPARAM(screen.x, screen.y));
        RECT window;
        ::GetWindowRect(GetHwnd(), &window);
        return PtInRect(&window, screen) != FALSE;
    }
    if (m_hot >= 0 && m_hot != index) {
        KillTimer(GetHwnd(), SubMenuTimer);
        const bool hadSubMenu = m_items.At(m_hot)->subMenu != NULL;
        ClearHot();
        if (hadSubMenu && m_child) {
            CloseChild();
            SetForegroundWindow(GetHwnd());
        }
    }
    if (m_hot != index) {
        KillTimer(GetHwnd(), SubMenuTimer);
        SetHot(index, true);
        SetTimer(GetHwnd(), SubMenuTimer, SubMenuDelay, NULL);
    }
    RepaintItem(index);
    UpdateWindow(GetHwnd());
    return true;
}

int CSkinPopupMenu::OnButtonDown(UINT message, POINT client)
{
    if (!GetHwnd())
        return NotHandled;
    POINT screen = client;
    ClientToScreen(GetHwnd(), &screen);
    if (m_child && m_child->GetHwnd()) {
        POINT inChild = screen;
        ScreenToClient(m_child->GetHwnd(), &inChild);
        const int answer = m_child->OnButtonDown(message, inChild);
        if (answer == CommandChosen) {
            const UINT command = m_child->m_resultCommand;
            if (m_parent) {
                m_resultCommand = command;
                return CommandChosen;
            }
            MenuSelectClosed();
            CloseChild();
            EndMenu(false);
            DeliverCommand(command);
            return CommandChosen;
        }
        if (answer == Handled)
            return Handled;
    }
    if (m_scrolling && PtInRect(&m_downArea, client)) {
        if (m_firstVisible + m_visibleCount < m_items.GetCount())
            Scroll(1);
        return Handled;
    }
    if (m_scrolling && PtInRect(&m_upArea, client)) {
        if (m_firstVisible > 0)
            Scroll(-1);
        return Handled;
    }
    const int index = HitTest(client);
    if (const CSkinMenuItem* item = m_items.At(index)) {
        if (item->IsSeparator() || item->subMenu || !item->IsEnabled())
            return Handled;
        // Done before the window hides, so that losing the focus then
        // does not end the menu a second time.
        if (m_parent) {
            m_done = true;
            m_resultCommand = item->commandId;
            ShowWindow(GetHwnd(), SW_HIDE);
            return CommandChosen;
        }
        MenuSelectClosed();
        EndMenu(false);
        DeliverCommand(item->commandId);
        ShowWindow(GetHwnd(), SW_HIDE);
        return CommandChosen;
    }
    RECT window;
    ::GetWindowRect(GetHwnd(), &window);
    if (PtInRect(&window, screen))
        return Handled;
    if (m_parent)
        return NotHandled;
    MenuSelectClosed();
    EndMenu(true);
    const LPARAM point = MAKELPARAM(screen.x, screen.y);
    if (m_mode == DropDown)
        PostToOwner(message == WM_RBUTTONDOWN ? WM_SKIN_MENU_RBUTTON_OUTSIDE : WM_SKIN_MENU_LBUTTON_OUTSIDE, 0, point);
    else
        PostToOwner(WM_NCLBUTTONDOWN, 0, point);
    return NotHandled;
}

// ---------------------------------------------------------------- keys

void CSkinPopupMenu::OnKeyDown(UINT key)
{
    const int count = m_items.GetCount();
    CSkinMenuItem* hot = m_items.At(m_hot);
    switch (key) {
    case VK_RETURN:
        if (hot && hot->IsEnabled()) {
            if (hot->subMenu)
                OpenSubMenu(m_hot);
            else
                ChooseCommand(hot->commandId);
        }
        break;
    case VK_ESCAPE:
    case VK_LEFT:
        MenuSelectClosed();
        if (m_parent) {
            PostMessageA(m_parent->GetHwnd(), WM_SKIN_MENU_CLOSE_SUBMENU, 0, 0);
        } else if (key == VK_ESCAPE) {
            EndMenu(true);
            ShowWindow(GetHwnd(), SW_HIDE);
        } else {
            PostToOwner(WM_SKIN_MENU_KEY, VK_LEFT, 0);
        }
        break;
    case VK_UP:
    case VK_DOWN: {
        if (count == 0)
            break;
        const int step = key == VK_DOWN ? 1 : -1;
        int index = m_hot;
        if (hot) {
            hot->highlighted = false;
            RepaintItem(m_hot);
        }
        for (int tries = 0; tries < count; ++tries) {
            index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
            if (!m_items.At(index)->IsSeparator())
                break;
        }
        SetHot(index, false);
        // Keep the item in view when the menu scrolls.
        if (m_scrolling && index < m_firstVisible)
            Scroll(index - m_firstVisible);
        else if (m_scrolling && index >= m_firstVisible + m_visibleCount)
            Scroll(index - (m_firstVisible + m_visibleCount) + 1);
        break;
    }
    case VK_RIGHT:
        if (hot && hot->subMenu && hot->IsEnabled())
            OpenSubMenu(m_hot);
        else
            PostToOwner(WM_SKIN_MENU_KEY, VK_RIGHT, 0);
        break;
    default:
        ChooseByMnemonic(key);
        break;
    }
    if (GetHwnd())
        InvalidateRect(GetHwnd(), NULL, FALSE);
}

int CSkinPopupMenu::ChooseByMnemonic(WPARAM key)
{
    for (int i = 0; i < m_items.GetCount(); ++i) {
        CSkinMenuItem* item = m_items.At(i);
        if (item->mnemonic != (int)key)
            continue;
        if (!item->IsEnabled())
            return MnemonicDisabled;
        // An item that opens a sub-menu has no command to choose: it opens.
        if (item->subMenu) {
            ClearHot();
            SetHot(i, false);
            OpenSubMenu(i);
        } else {
            ChooseCommand(item->commandId);
        }
        return MnemonicChosen;
    }
    return NoMnemonic;
}

LRESULT CSkinPopupMenu::OnMenuKey(WPARAM key, LPARAM keyData)
{
    if (!(keyData & (1 << 29)))
        return 0;
    const int found = ChooseByMnemonic(key);
    if (found != NoMnemonic)
        return found == MnemonicChosen;
    if (m_mode != Popup)
        PostToOwner(WM_SKIN_MENU_KEY, key, keyData);
    else
        GetRoot()->m_done = true;
    return 0;
}

// ---------------------------------------------------------------- messages

LRESULT CSkinPopupMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = GetHwnd();
    switch (message) {
    case WM_SHOWWINDOW:
        OnShow(wParam != 0);
        break;
    case WM_MOUSEMOVE: {
        POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        OnMouseMove(p);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        OnButtonDown(message, p);
        return 0;
    }
    case WM_KEYDOWN:
        OnKeyDown((UINT)wParam);
        return 0;
    case WM_CHAR:
        return 0;
    case WM_TIMER:
        if (wParam == SubMenuTimer) {
            KillTimer(hwnd, SubMenuTimer);
            const CSkinMenuItem* hot = m_items.At(m_hot);
            if (hot && hot->subMenu && hot->IsEnabled())
                OpenSubMenu(m_hot);
        }
        break;
    case WM_SKIN_MENU_COMMAND:
        if (m_parent) {
            PostMessageA(m_parent->GetHwnd(), WM_SKIN_MENU_COMMAND, wParam, lParam);
        } else {
            EndMenu(false);
            DeliverCommand((UINT)wParam);
            ShowWindow(hwnd, SW_HIDE);
        }
        return 0;
    case WM_SKIN_MENU_CLOSE_SUBMENU: {
        const CSkinMenuItem* hot = m_items.At(m_hot);
        if (hot && hot->subMenu && m_child) {
            CloseChild();
            SetForegroundWindow(hwnd);
        }
        return 0;
    }
    case WM_SKIN_MENU_KEY:
        return OnMenuKey(wParam, lParam);
    case WM_NCACTIVATE:
        if (!wParam && !m_child && !m_done) {
            if (m_notifyOnDeactivate)
                PostToOwner(WM_SKIN_MENU_END, 0, 0);
            m_done = true;
            m_cancelled = true;
        }
        return TRUE;
    case WM_DRAWITEM:
        return m_owner ? SendMessageA(m_owner, message, wParam, lParam) : 0;
    case WM_NCDESTROY:
        KillTimer(hwnd, SubMenuTimer);
        if (!m_parent) {
            KeepOwnerActive(false);
            if (m_captured && GetCapture() == hwnd)
                ReleaseCapture();
            m_captured = false;
        }
        return 0;
    }
    return CSkinHostWnd::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- tracking

RECT CalcSkinPopupMenuRect(int x, int y, UINT flags, SIZE size, bool mirrored)
{
    RECT r;
    UINT horizontal = flags & (TPM_CENTERALIGN | TPM_RIGHTALIGN);
    if (mirrored && horizontal != TPM_CENTERALIGN)
        horizontal = horizontal == TPM_RIGHTALIGN ? TPM_LEFTALIGN : TPM_RIGHTALIGN;
    if (horizontal == TPM_CENTERALIGN)
        r.left = x - size.cx / 2;
    else if (horizontal == TPM_RIGHTALIGN)
        r.left = x - size.cx;
    else
        r.left = x;
    if (flags & TPM_BOTTOMALIGN)
        r.top = y - size.cy;
    else if (flags & TPM_VCENTERALIGN)
        r.top = y - size.cy / 2;
    else
        r.top = y;
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    POINT point = {x, y};
    RECT work;
    if (!GetPointMonitorRect(point, work, true))
        return r;
    KeepRectInside(work, r);
    if (size.cx > work.right - work.left) {
        r.left = work.left;
        r.right = work.right;
    }
    if (size.cy > work.bottom - work.top) {
        r.top = work.top;
        r.bottom = work.bottom;
    }
    return r;
}

int TrackSkinPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner, BOOL systemMenu)
{
    const int mode = systemMenu ? CSkinPopupMenu::SystemMenu
                     : (flags & TPM_RETURNCMD) ? CSkinPopupMenu::ReturnCommand
                                               : CSkinPopupMenu::Popup;
    CSkinPopupMenu* popup = new CSkinPopupMenu(owner, NULL, mode);
    if (owner)
        SendMessageA(owner, WM_INITMENUPOPUP, (WPARAM)menu, systemMenu ? 0x10000 : 0);
    // Without its window the menu could never end: answer at once.
    if (!popup->Create()) {
        delete popup;
        return 0;
    }
    popup->LoadMenu(menu);
    if (CSkinStore* store = GetSkinManager().GetStore())
        if (CSkinObject* look = store->FindFirstOfType(sotPopupMenu))
            popup->SetSkinObject(look);
    const SIZE size = popup->CalcSize();
    const RECT r = CalcSkinPopupMenuRect(x, y, flags, size, owner && IsMirroredWindow(owner));
    HWND hwnd = popup->GetHwnd();
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWindow(hwnd, SW_SHOW);

    bool cancelled = false;
    MSG msg;
    while (!popup->IsDone()) {
        // A popup or owner destroyed meanwhile ends the menu.
        if (!popup->GetHwnd() || !IsWindow(popup->GetHwnd()) || (owner && !IsWindow(owner))) {
            cancelled = true;
            break;
        }
        const BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0) {
            // The program is ending: the quit goes on to its own loop.
            PostQuitMessage((int)msg.wParam);
            cancelled = true;
            break;
        }
        if (got == -1) {
            cancelled = true;
            break;
        }
        // Escape at the root ends the menu; a sub-menu closes itself.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && msg.hwnd == hwnd) {
            cancelled = true;
            break;
        }
        if (msg.message == WM_SKIN_MENU_END) {
            DispatchMessageA(&msg);
            break;
        }
        if (systemMenu && (msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCLBUTTONDBLCLK)) {
            popup->SetNotifyOnDeactivate(false);
            popup->Close();
            DispatchMessageA(&msg);
            delete popup;
            return 0;
        }
        DispatchMessageA(&msg);
    }
    cancelled = cancelled || popup->WasCancelled();
    int result = cancelled ? 0 : 1;
    if (mode == CSkinPopupMenu::ReturnCommand)
        result = cancelled ? 0 : (int)popup->GetResultCommand();
    popup->SetNotifyOnDeactivate(false);
    popup->Close();
    delete popup;
    return result;
}

int ShowSkinSystemMenu(HWND hwnd)
{
    POINT cursor;
    GetCursorPos(&cursor);
    cursor.x += 2;
    return ShowSkinSystemMenuAt(hwnd, cursor);
}

void OpenSkinSystemMenu(HWND hwnd, POINT point)
{
    ShowSkinSystemMenuAt(hwnd, point);
}

int ShowSkinSystemMenuAt(HWND hwnd, POINT point)
{
    HMENU system = GetSystemMenu(hwnd, FALSE);
    if (!system)
        return 0;
    HMENU copy = CreatePopupMenu();
    CopyMenuItems(system, copy);
    // The system sets these items as its own menu opens, from what the
    // window's style and state allow; the other items keep the states the
    // program gave them.
    const DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    const bool zoomed = IsZoomed(hwnd) != FALSE, iconic = IsIconic(hwnd) != FALSE;
    const struct
    {
        UINT command;
        bool enabled;
    } items[] = {
        {SC_RESTORE, zoomed || iconic},
        {SC_MOVE, !zoomed},
        {SC_SIZE, (style & WS_THICKFRAME) && !zoomed && !iconic},
        {SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !iconic},
        {SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !zoomed},
    };
    for (const auto& item : items)
        EnableMenuItem(copy, item.command, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    if (GetClassLongA(hwnd, GCL_STYLE) & CS_NOCLOSE)
        EnableMenuItem(copy, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    const int result = TrackSkinPopupMenu(copy, 0, point.x, point.y, hwnd, TRUE);
    DestroyMenu(copy);
    return result;
}
