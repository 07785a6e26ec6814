#include "skin/menus/skinmenubar.h"

#include <algorithm>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/menus/skinpopupmenu.h"

namespace {

const int MdiButtonSize = 16;
const int MdiIndent = 16;      // room for the child's icon before the items
const int MdiButtonsWidth = 48; // three buttons after the items

} // namespace

// ---------------------------------------------------------------- items

CSkinMenuBarItem::CSkinMenuBarItem(HMENU menuHandle, int itemPosition)
    : text(ReadMenuItemText(menuHandle, itemPosition)), commandId(GetMenuItemID(menuHandle, itemPosition)),
      position(itemPosition), subMenu(GetSubMenu(menuHandle, itemPosition)), menu(menuHandle),
      mnemonic(MenuMnemonic(text)), state(Normal), dropDown(NULL)
{
    SetRectEmpty(&rect);
}

bool CSkinMenuBarItem::IsEnabled() const
{
    return (GetMenuState(menu, (UINT)position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
}

// ---------------------------------------------------------------- the bar

CSkinMenuBar::CSkinMenuBar(const RECT& rect, ISkinMenuBarFrame* frame, const CSkinCaptionBarObject* object)
    : m_frame(frame), m_object(object), m_menu(NULL), m_hot(NULL), m_open(NULL), m_rect(rect), m_font(NULL),
      m_timer(false)
{
    for (int i = 0; i < MdiButtonCount; ++i) {
        SetRectEmpty(&m_buttons[i].rect);
        m_buttons[i].state = 0;
    }
}

CSkinMenuBar::~CSkinMenuBar()
{
    StopHoverTimer();
    ClearItems();
    if (m_font)
        DeleteObject(m_font);
}

void CSkinMenuBar::ClearItems()
{
    CloseDropDown();
    for (size_t i = 0; i < m_items.size(); ++i)
        delete m_items[i];
    m_items.clear();
    m_hot = m_open = NULL;
}

void CSkinMenuBar::LoadMenu(HMENU menu)
{
    ClearItems();
    m_menu = menu;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        CSkinMenuBarItem* item = new CSkinMenuBarItem(menu, i);
        // Separators and owner-drawn entries have no place in the bar.
        if (item->text.empty())
            delete item;
        else
            m_items.push_back(item);
    }
}

void CSkinMenuBar::ForgetMenu()
{
    ClearItems();
    m_menu = NULL;
}

void CSkinMenuBar::SetSkinObject(const CSkinCaptionBarObject* object)
{
    m_object = object;
    if (m_font)
        DeleteObject(m_font);
    m_font = NULL;
}

CSkinMenuBarItem* CSkinMenuBar::GetItem(int index) const
{
    return index >= 0 && index < (int)m_items.size() ? m_items[index] : NULL;
}

HFONT CSkinMenuBar::BarFont()
{
    if (!m_font) {
        LOGFONTA lf = Look().m_font.font;
        m_font = CreateFontIndirectA(&lf);
    }
    return m_font;
}

bool CSkinMenuBar::AreMdiButtonsShown()
{
    BOOL maximised = FALSE;
    HWND child = m_frame ? m_frame->GetActiveMdiChild(&maximised) : NULL;
    return child && maximised && (SendMessageA(child, WM_SKIN_QUERY_STATE, 0, 0) & WS_SYSMENU);
}

// ---------------------------------------------------------------- layout

SIZE CSkinMenuBar::MeasureItem(HDC dc, const CSkinMenuBarItem& item) const
{
    const CSkinCaptionBarObject& look = Look();
    const RECT& hot = look.m_rects[0];
    const RECT& pressed = look.m_rects[1];
    RECT text = {0, 0, 0, 0};
    DrawTextA(dc, item.text.c_str(), (int)item.text.size(), &text, DT_SINGLELINE | DT_CALCRECT);
    SIZE size;
    size.cx = text.right + std::max(hot.left, pressed.left) + std::max(hot.right, pressed.right);
    size.cy = text.bottom + std::max(hot.top, pressed.top) + std::max(hot.bottom, pressed.bottom);
    return size;
}

int CSkinMenuBar::CalcBarHeight(int width)
{
    if (m_items.empty())
        return 0;
    const RECT& margins = Look().m_rects[2];
    const int available = width - margins.left - margins.right;
    const bool mdi = AreMdiButtonsShown();
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, BarFont());
    // The rows as the layout makes them: a new row when an item would pass
    // the right edge, unless it is the row's first.
    int x = mdi ? MdiIndent + 4 : 4, rows = 1, tallest = 0;
    bool rowEmpty = true;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const SIZE size = MeasureItem(dc, *m_items[i]);
        tallest = std::max(tallest, (int)size.cy);
        if (!rowEmpty && x + size.cx > available) {
            ++rows;
            x = 0;
        }
        x += size.cx;
        rowEmpty = false;
    }
    if (mdi && x + MdiButtonsWidth > available)
        ++rows;
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    return (tallest + 2) * rows + margins.top + margins.bottom;
}

RECT CSkinMenuBar::GetBarRect()
{
    const RECT area = m_frame->GetMenuBarArea();
    m_rect.left = area.left;
    m_rect.right = area.right;
    m_rect.top = area.top;
    m_rect.bottom = area.top + CalcBarHeight(area.right - area.left);
    if (m_frame->IsFrameOutOfDate())
        SetWindowPos(m_frame->GetFrameWindow(), NULL, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return m_rect;
}

void CSkinMenuBar::Layout()
{
    const RECT& margins = Look().m_rects[2];
    const RECT inner = InsideMargins(m_rect, margins);
    const bool mdi = AreMdiButtonsShown();
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, BarFont());
    int x = inner.left + (mdi ? MdiIndent + 4 : 4), row = 1, lastHeight = 0;
    bool rowEmpty = true;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const SIZE size = MeasureItem(dc, *m_items[i]);
        if (!rowEmpty && x + size.cx > inner.right) {
            ++row;
            x = inner.left;
        }
        SetRect(&m_items[i]->rect, x, inner.top + (row - 1) * (size.cy + 2), x + size.cx,
                inner.top + row * (size.cy + 2));
        x += size.cx;
        lastHeight = size.cy;
        rowEmpty = false;
    }
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);

    const int d = (lastHeight - 14) / 2;
    SetRect(&m_buttons[ChildIcon].rect, inner.left + 2, inner.top + d, inner.left + 2 + MdiButtonSize,
            inner.top + d + MdiButtonSize);
    SetRect(&m_buttons[Close].rect, inner.right - MdiButtonSize, inner.bottom - d - MdiButtonSize, inner.right,
            inner.bottom - d);
    m_buttons[Restore].rect = m_buttons[Close].rect;
    OffsetRect(&m_buttons[Restore].rect, -18, 0);
    m_buttons[Minimize].rect = m_buttons[Close].rect;
    OffsetRect(&m_buttons[Minimize].rect, -36, 0);
}

// ---------------------------------------------------------------- painting

void CSkinMenuBar::DrawItem(HDC dc, const CSkinMenuBarItem& item)
{
    const CSkinCaptionBarObject& look = Look();
    CSkinStore* store = m_frame->GetFrameStore();
    const bool mirrored = IsMirroredWindow(m_frame->GetFrameWindow());
    RECT text = item.rect;
    COLORREF colour = look.m_font.colour;
    if (!item.IsEnabled()) {
        colour = look.m_rect4.right;
    } else if (item.state != CSkinMenuBarItem::Normal) {
        const bool hot = item.state == CSkinMenuBarItem::Hot;
        DrawSkinNineGrid(store, dc, item.rect, hot ? look.m_grid1 : look.m_grid2, hot ? look.m_word4 : look.m_word5,
                         TRUE, mirrored);
        text = InsideMargins(item.rect, look.m_rects[hot ? 0 : 1]);
        colour = hot ? look.m_rect4.left : look.m_rect4.top;
    }
    SetTextColor(dc, colour);
    DrawTextA(dc, item.text.c_str(), (int)item.text.size(), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CSkinMenuBar::Paint(HDC dc)
{
    Layout();
    const CSkinCaptionBarObject& look = Look();
    CSkinStore* store = m_frame->GetFrameStore();
    const bool mirrored = IsMirroredWindow(m_frame->GetFrameWindow());
    DrawSkinNineGrid(store, dc, m_rect, look.m_grid3, look.m_colour1, TRUE, mirrored);
    if (m_menu) {
        HGDIOBJ old = SelectObject(dc, BarFont());
        const int mode = SetBkMode(dc, TRANSPARENT);
        for (size_t i = 0; i < m_items.size(); ++i)
            DrawItem(dc, *m_items[i]);
        SetBkMode(dc, mode);
        SelectObject(dc, old);
    }
    if (AreMdiButtonsShown()) {
        for (int b = 0; b < MdiButtonCount; ++b) {
            // Three pictures a button: eleven in the button images, the
            // twelfth the icon image.
            const int index = b * 3 + m_buttons[b].state, normal = b * 3;
            const SkinImageRef& part = index < 11 ? look.m_buttonImages[index] : look.m_iconImage;
            const SkinImageRef& fallback = look.m_buttonImages[normal];
            DrawSkinImagePart(store, dc, m_buttons[b].rect, IsImagePartEmpty(part) ? fallback : part,
                              GetSysColor(COLOR_BTNFACE), TRUE, mirrored);
        }
    }
}

void CSkinMenuBar::Repaint()
{
    HWND hwnd = m_frame->GetFrameWindow();
    const int width = m_rect.right - m_rect.left, height = m_rect.bottom - m_rect.top;
    if (!hwnd || width <= 0 || height <= 0)
        return;
    HDC windowDC = GetWindowDC(hwnd);
    {
        CSkinMemDC picture(windowDC, width, height);
        SetViewportOrgEx(picture, -m_rect.left, -m_rect.top, NULL);
        Paint(picture);
        SetViewportOrgEx(picture, 0, 0, NULL);
        BitBlt(windowDC, m_rect.left, m_rect.top, width, height, picture, 0, 0, SRCCOPY);
    }
    ReleaseDC(hwnd, windowDC);
}

// ---------------------------------------------------------------- mouse

POINT CSkinMenuBar::FramePoint(int x, int y) const
{
    POINT point = {x, y};
    HWND hwnd = m_frame->GetFrameWindow();
    if (IsMirroredWindow(hwnd)) {
        RECT window;
        ::GetWindowRect(hwnd, &window);
        point.x = (window.right - window.left) - x;
    }
    return point;
}

CSkinMenuBarItem* CSkinMenuBar::ItemAt(POINT point) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (PtInRect(&m_items[i]->rect, point) && m_items[i]->IsEnabled())
            return m_items[i];
    return NULL;
}

void CSkinMenuBar::OnMouseMove(int x, int y)
{
    const POINT point = FramePoint(x, y);
    if (m_open && PtInRect(&m_open->rect, point))
        return;
    CSkinMenuBarItem* item = ItemAt(point);
    if (item && !m_open) {
        if (m_hot && m_hot != item)
            m_hot->state = CSkinMenuBarItem::Normal;
        else if (!m_hot)
            StartHoverTimer();
        m_hot = item;
        item->state = CSkinMenuBarItem::Hot;
        for (int b = 0; b < MdiButtonCount; ++b)
            m_buttons[b].state = 0;
        Repaint();
    } else if (item) {
        // A drop-down follows the pointer from item to item.
        m_open->state = CSkinMenuBarItem::Normal;
        CloseDropDown();
        if (!item->subMenu) {
            item->state = CSkinMenuBarItem::Hot;
            m_hot = item;
            StartHoverTimer();
        } else {
            OpenDropDown(item);
        }
        Repaint();
    } else if (!m_open) {
        bool changed = false;
        if (m_hot) {
            m_hot->state = CSkinMenuBarItem::Normal;
            m_hot = NULL;
            StopHoverTimer();
            changed = true;
        }
        if (AreMdiButtonsShown()) {
            for (int b = 0; b < MdiButtonCount; ++b) {
                const int state = PtInRect(&m_buttons[b].rect, point) ? 1 : 0;
                if (state && !m_timer)
                    StartHoverTimer();
                changed = changed || state != m_buttons[b].state;
                m_buttons[b].state = state;
            }
        }
        if (changed)
            Repaint();
    }
}

void CSkinMenuBar::OnLButtonDown(int x, int y)
{
    const POINT point = FramePoint(x, y);
    CSkinMenuBarItem* item = ItemAt(point);
    HWND frame = m_frame->GetFrameWindow();
    if (item && item != m_open) {
        if (!m_open)
            SendMessageA(frame, WM_INITMENU, (WPARAM)m_menu, 0);
        CloseDropDown();
        StopHoverTimer();
        m_hot = NULL;
        if (!item->subMenu) {
            item->state = CSkinMenuBarItem::Normal;
            Repaint();
            PostMessageA(frame, WM_COMMAND, item->commandId, 0);
        } else {
            OpenDropDown(item);
            Repaint();
        }
    } else if (item) {
        CloseDropDown();
        item->state = CSkinMenuBarItem::Hot;
        m_hot = item;
        StartHoverTimer();
        Repaint();
    } else {
        CloseDropDown();
        if (AreMdiButtonsShown()) {
            if (PtInRect(&m_buttons[ChildIcon].rect, point))
                m_frame->ShowMdiChildSystemMenu();
            for (int b = Minimize; b <= Close; ++b)
                if (PtInRect(&m_buttons[b].rect, point))
                    m_buttons[b].state = 2;
        }
        Repaint();
    }
}

void CSkinMenuBar::OnLButtonUp(int x, int y)
{
    if (!AreMdiButtonsShown())
        return;
    const POINT point = FramePoint(x, y);
    for (int b = Minimize; b <= Close; ++b) {
        if (!PtInRect(&m_buttons[b].rect, point))
            continue;
        m_buttons[b].state = 1;
        if (b == Minimize)
            m_frame->MinimizeMdiChild();
        else if (b == Restore)
            m_frame->RestoreMdiChild();
        else
            m_frame->CloseMdiChild();
    }
    Repaint();
}

void CSkinMenuBar::PressItem(CSkinMenuBarItem* item)
{
    if (item)
        OnLButtonDown(item->rect.left + 1, item->rect.top + 1);
}

BOOL CSkinMenuBar::OnMenuKey(int key)
{
    if (key == VK_LEFT || key == VK_RIGHT) {
        CSkinMenuBarItem* current = m_open ? m_open : m_hot;
        if (!current || m_items.empty())
            return FALSE;
        const int count = (int)m_items.size();
        int index = (int)(std::find(m_items.begin(), m_items.end(), current) - m_items.begin());
        index = (index + (key == VK_RIGHT ? 1 : count - 1)) % count;
        CSkinMenuBarItem* next = m_items[index];
        if (next->subMenu) {
            PressItem(next);
        } else {
            // An arrow only moves: an item without a drop-down is marked,
            // its command waits for a click or Enter.
            CloseDropDown();
            if (m_hot)
                m_hot->state = CSkinMenuBarItem::Normal;
            m_hot = next;
            next->state = CSkinMenuBarItem::Hot;
            StartHoverTimer();
            Repaint();
        }
        return TRUE;
    }
    if (key == -1) {
        OnLButtonDown(0, 0);
        return TRUE;
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->mnemonic == key) {
            PressItem(m_items[i]);
            return TRUE;
        }
    }
    return FALSE;
}

void CSkinMenuBar::OnMenuEnd()
{
    CloseDropDown();
    Repaint();
}

// ---------------------------------------------------------------- drop-downs

void CSkinMenuBar::OpenDropDown(CSkinMenuBarItem* item)
{
    HWND frame = m_frame->GetFrameWindow();
    SendMessageA(frame, WM_INITMENUPOPUP, (WPARAM)item->subMenu, item->position);
    CSkinPopupMenu* popup = new CSkinPopupMenu(frame, NULL, CSkinPopupMenu::DropDown);
    popup->SetMenuImages(m_frame->GetMenuImages());
    if (!popup->Create()) {
        delete popup;
        return;
    }
    popup->LoadMenu(item->subMenu);
    if (CSkinStore* store = m_frame->GetFrameStore())
        if (CSkinObject* look = store->FindFirstOfType(sotPopupMenu))
            popup->SetSkinObject(look);
    const SIZE size = popup->CalcSize();

    RECT window, work;
    ::GetWindowRect(frame, &window);
    RECT itemRect = item->rect;
    OffsetRect(&itemRect, window.left, window.top);
    GetRectMonitorRect(itemRect, work, true);
    RECT r;
    if (IsMirroredWindow(frame)) {
        // Mirrored, item coordinates run from the window's right edge.
        r.right = window.right - item->rect.left;
        r.left = r.right - size.cx;
        r.top = itemRect.bottom;
    } else {
        r.left = itemRect.left;
        r.top = itemRect.bottom;
        if (r.left + size.cx > work.right)
            r.left = itemRect.right - size.cx;
        if (r.top + size.cy > work.bottom)
            r.top = itemRect.top - size.cy;
        if (r.top < work.top)
            r.top = std::min(work.top + 1, work.bottom - 1 - size.cy);
        if (r.left < work.left)
            r.left = work.left;
    }
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    MoveWindow(popup->GetHwnd(), r.left, r.top, size.cx, size.cy, TRUE);
    ShowWindow(popup->GetHwnd(), SW_SHOW);
    item->state = CSkinMenuBarItem::Pressed;
    item->dropDown = popup;
    m_open = item;
}

void CSkinMenuBar::CloseDropDown()
{
    if (!m_open)
        return;
    CSkinMenuBarItem* item = m_open;
    m_open = NULL;
    item->state = CSkinMenuBarItem::Normal;
    CSkinPopupMenu* popup = item->dropDown;
    item->dropDown = NULL;
    if (!popup)
        return;
    RECT area = {0, 0, 0, 0};
    if (popup->GetHwnd())
        ::GetWindowRect(popup->GetHwnd(), &area);
    popup->SetNotifyOnDeactivate(false);
    popup->Close();
    delete popup;
    // What the drop-down covered is drawn again.
    HWND frame = m_frame->GetFrameWindow();
    if (frame && !IsRectEmpty(&area)) {
        ScreenToClientRect(frame, area);
        RedrawWindow(frame, &area, NULL, RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}

// ---------------------------------------------------------------- hover

void CSkinMenuBar::StartHoverTimer()
{
    HWND frame = m_frame->GetFrameWindow();
    if (frame && SetTimer(frame, (UINT_PTR)this, HoverTimerPeriod, HoverTimerProc))
        m_timer = true;
}

void CSkinMenuBar::StopHoverTimer()
{
    if (m_timer)
        KillTimer(m_frame->GetFrameWindow(), (UINT_PTR)this);
    m_timer = false;
}

void CALLBACK CSkinMenuBar::HoverTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    // The timer's id is the bar; its destructor kills the timer first.
    ((CSkinMenuBar*)id)->OnHoverTimer();
}

void CSkinMenuBar::OnHoverTimer()
{
    POINT cursor;
    GetCursorPos(&cursor);
    RECT window;
    ::GetWindowRect(m_frame->GetFrameWindow(), &window);
    RECT bar = m_rect;
    OffsetRect(&bar, window.left, window.top);
    if (PtInRect(&bar, cursor))
        return;
    for (int b = 0; b < MdiButtonCount; ++b)
        m_buttons[b].state = 0;
    if (m_hot)
        m_hot->state = CSkinMenuBarItem::Normal;
    m_hot = NULL;
    StopHoverTimer();
    Repaint();
}
