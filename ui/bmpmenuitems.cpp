#include "ui/bmpmenuitems.h"

#include "ui/bmpmenu.h"

#include <algorithm>
#include <string.h>

IMPLEMENT_DYNAMIC(CBmpMenuItems, CToolBar)

BEGIN_MESSAGE_MAP(CBmpMenuItems, CToolBar)
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_MESSAGE(CBmpMenu::WM_BMPMENU_CLICK, OnClick)
    ON_MESSAGE(CBmpMenu::WM_BMPMENU_CHILDCLOSED, OnChildClosed)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

CPoint CBmpMenuItems::s_lastMouse(0, 0);

#ifndef OBM_CHECK
#define OBM_CHECK 32760  // the system's check mark (winuser.h gives it only with OEMRESOURCE)
#endif

namespace {

// Clicks made for the keyboard carry this bit beside MK_LBUTTON, so that a
// sub-menu they open starts with its first item hot.
const WPARAM kKeyboardClick = MK_LBUTTON | CBmpMenu::FlagKeyboard;

char UpperChar(char c)
{
    char text[2] = {c, '\0'};
    ::CharUpperBuffA(text, 1);
    return text[0];
}

COLORREF Swap(COLORREF bgr)
{
    return RGB(GetBValue(bgr), GetGValue(bgr), GetRValue(bgr));
}

// The picture in 32-bit form with black, dark gray, light gray and white
// turned into the menu's colours; NULL when it cannot be read.
HBITMAP RecolouredCopy(HBITMAP picture, bool hot, int& width, int& height)
{
    BITMAP info;
    if (::GetObjectA(picture, sizeof(info), &info) != sizeof(info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy == nullptr)
        return nullptr;
    CClientDC screen(nullptr);
    if (!::GetDIBits(screen.m_hDC, picture, 0, height, bits, &header, DIB_RGB_COLORS))
    {
        ::DeleteObject(copy);
        return nullptr;
    }
    const COLORREF from[4] = {RGB(0, 0, 0), RGB(0x80, 0x80, 0x80), RGB(0xC0, 0xC0, 0xC0), RGB(0xFF, 0xFF, 0xFF)};
    const COLORREF to[4] = {::GetSysColor(COLOR_BTNTEXT), ::GetSysColor(COLOR_BTNSHADOW),
                            ::GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_MENU), ::GetSysColor(COLOR_BTNHIGHLIGHT)};
    DWORD* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
    {
        const COLORREF value = Swap(pixel[i] & 0xFFFFFF);  // DIB pixels are BGR
        for (int k = 0; k < 4; ++k)
        {
            if (value == from[k])
            {
                pixel[i] = Swap(to[k]);
                break;
            }
        }
    }
    return copy;
}

} // namespace

CBmpMenuItems::CBmpMenuItems(CBmpMenu* pMenu)
    : m_pMenu(pMenu), m_nHotId(-1), m_nPending(-1), m_nHoverIndex(-1)
{
}

CBmpMenuItems::~CBmpMenuItems()
{
    // The window before the font and item copies it refers to.
    DestroyWindow();
}

BOOL CBmpMenuItems::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    dwStyle = (dwStyle & ~WS_VISIBLE) | CBRS_TOOLTIPS;
    if (!CToolBar::CreateEx(pParentWnd, dwCtrlStyle, dwStyle, rcBorders, nID))
        return FALSE;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) &&
        m_font.CreateFontIndirect(&metrics.lfMenuFont))
        SetFont(&m_font, FALSE);
    return TRUE;
}

CSize CBmpMenuItems::AddItems(HMENU hMenu)
{
    const int cxCheck = ::GetSystemMetrics(SM_CXMENUCHECK);
    SetBitmapSize(CSize(cxCheck, ::GetSystemMetrics(SM_CYMENUCHECK)));
    const int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        auto item = std::make_unique<CBmpMenuItem>();
        item->position = i;
        MENUITEMINFOA& info = item->info;
        memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
        info.dwTypeData = item->text;
        info.cch = CBmpMenuItem::MaxText;
        if (!::GetMenuItemInfoA(hMenu, i, TRUE, &info))
        {
            // Unreadable: an empty, disabled row keeps buttons and positions in step.
            memset(&info, 0, sizeof(info));
            info.cbSize = sizeof(info);
            info.fState = MFS_GRAYED;
        }
        // Only a string item has text; for a bitmap item the field holds a
        // handle, which must not be read as text.
        if (info.fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW))
            item->text[0] = '\0';
        item->text[CBmpMenuItem::MaxText - 1] = '\0';
        info.dwTypeData = item->text;
        info.cch = static_cast<UINT>(strlen(item->text));

        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = static_cast<int>(info.wID);
        button.fsState = TBSTATE_WRAP | (item->IsGrayed() ? 0 : TBSTATE_ENABLED);
        button.fsStyle = item->IsSeparator() ? BTNS_SEP : BTNS_BUTTON;
        button.dwData = reinterpret_cast<DWORD_PTR>(item.get());
        button.iString = item->IsSeparator() ? 0 : reinterpret_cast<INT_PTR>(item->text);
        if (item->IsSeparator())
            button.iBitmap = 0;
        AddButtons(1, &button);
        m_items.push_back(std::move(item));
    }
    if (m_items.empty())
        return CSize(0, 0);

    const int width = GetButtonSize().cx + cxCheck;
    SetButtonWidth(width, width);
    // The column is as wide as its widest button: a separator in front
    // would give the width of a separator.
    CRect first, last, rect;
    GetItemRect(0, first);
    GetItemRect(GetItemCount() - 1, last);
    int columnWidth = 0;
    for (int i = 0; i < GetItemCount(); ++i)
    {
        if (GetItemRect(i, rect))
            columnWidth = std::max(columnWidth, static_cast<int>(rect.Width()));
    }
    return CSize(columnWidth, last.bottom - first.top);
}

const CBmpMenuItem* CBmpMenuItems::GetItem(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)].get() : nullptr;
}

int CBmpMenuItems::ItemFromPoint(CPoint point) const
{
    // TB_HITTEST answers separators and misses with negative numbers (and
    // a separator at index 0 with 0), so the rectangles decide.
    for (int i = 0; i < GetItemCount(); ++i)
    {
        CRect rect;
        if (GetItemRect(i, rect) && rect.PtInRect(point))
            return m_items[static_cast<size_t>(i)]->IsSeparator() ? -1 : i;
    }
    return -1;
}

void CBmpMenuItems::SimulateClick(int index, WPARAM flags)
{
    CRect rect;
    if (GetItemRect(index, rect))
        ClickAt(CPoint(rect.left + 1, rect.top + 1), flags);
}

void CBmpMenuItems::ClickAt(CPoint point, WPARAM flags)
{
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessage(WM_LBUTTONDOWN, flags, at);
    if (m_hWnd != nullptr)
        SendMessage(WM_LBUTTONUP, flags, at);
}

void CBmpMenuItems::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const CBmpMenuItem* hot = GetItem(GetHotItem());
    switch (nChar)
    {
    case VK_ESCAPE:
        m_pMenu->Close();
        return;
    case VK_LEFT:
        if (m_pMenu->IsSubMenu())
        {
            CBmpMenu* parent = m_pMenu->GetParentMenu();
            m_pMenu->Close();
            if (parent != nullptr && parent->m_hWnd != nullptr)
                parent->SendMessage(CBmpMenu::WM_BMPMENU_CHILDCLOSED, 0, 0);
        }
        return;
    case VK_RIGHT:
    case VK_RETURN:
        if (hot != nullptr && (nChar == VK_RETURN || hot->HasSubMenu()))
        {
            m_nPending = -1;
            SimulateClick(hot->position, kKeyboardClick);
        }
        return;
    case VK_UP:
    case VK_DOWN:
        CToolBar::OnKeyDown(nChar, nRepCnt, nFlags);  // the tool bar's own hot-item movement
        return;
    default:
        Mnemonic(nChar);
        return;
    }
}

void CBmpMenuItems::Mnemonic(UINT key)
{
    const UINT mapped = ::MapVirtualKeyA(key, MAPVK_VK_TO_CHAR) & 0x7FFF;
    if (mapped == 0 || mapped > 0xFF)
        return;
    const char ch = UpperChar(static_cast<char>(mapped));
    std::vector<int> matches;
    for (int i = 0; i < GetItemCount(); ++i)
    {
        const char* text = m_items[static_cast<size_t>(i)]->text;
        for (const char* amp = strchr(text, '&'); amp != nullptr && amp[1] != '\0'; amp = strchr(amp + 1, '&'))
        {
            if (UpperChar(amp[1]) == ch)
            {
                matches.push_back(i);
                break;
            }
        }
    }
    if (matches.empty())
    {
        CWnd* owner = m_pMenu->GetOwnerWnd();
        if (owner == nullptr || !::IsWindow(owner->m_hWnd))
            return;
        const LRESULT answer = owner->SendMessage(WM_MENUCHAR, MAKEWPARAM(static_cast<unsigned char>(ch), MF_POPUP),
                                                  reinterpret_cast<LPARAM>(m_pMenu->m_hMenu));
        if (HIWORD(answer) == MNC_CLOSE)
            m_pMenu->CloseChain();
        else if (HIWORD(answer) == MNC_EXECUTE)
            m_pMenu->ChooseCommand(LOWORD(answer));
        return;
    }
    if (matches.size() == 1)
    {
        SetHotItem(matches[0]);
        SimulateClick(matches[0], MK_LBUTTON);
        return;
    }
    // Several: the next one after the hot item becomes hot, without a click.
    const int hot = GetHotItem();
    int next = matches[0];
    for (int index : matches)
    {
        if (index > hot)
        {
            next = index;
            break;
        }
    }
    SetHotItem(next);
}

void CBmpMenuItems::OnLButtonDown(UINT nFlags, CPoint point)
{
    // The tool bar itself never sees the press, so it sends no command of
    // its own: the choice is made on WM_BMPMENU_CLICK.
    const int index = ItemFromPoint(point);
    const CBmpMenuItem* item = GetItem(index);
    if (item == nullptr || item->IsGrayed() || index == m_nPending)
        return;
    m_pMenu->CloseSubMenus();
    m_nPending = index;
    PostMessage(CBmpMenu::WM_BMPMENU_CLICK, nFlags, MAKELPARAM(point.x, point.y));
}

LRESULT CBmpMenuItems::OnClick(WPARAM wParam, LPARAM lParam)
{
    const CBmpMenuItem* item = GetItem(ItemFromPoint(CPoint(lParam)));
    if (item == nullptr || item->IsGrayed())
        return 0;
    if (item->HasSubMenu())
        m_pMenu->SendMessage(CBmpMenu::WM_BMPMENU_OPENSUBMENU, item->position, wParam & CBmpMenu::FlagKeyboard);
    else
        m_pMenu->ChooseCommand(item->info.wID);
    return 0;
}

LRESULT CBmpMenuItems::OnChildClosed(WPARAM, LPARAM)
{
    m_nPending = -1;
    return 0;
}

void CBmpMenuItems::OnMouseMove(UINT nFlags, CPoint point)
{
    const int index = ItemFromPoint(point);
    const CBmpMenuItem* item = GetItem(index);
    if (item != nullptr && item->IsGrayed())
        return;  // no hot tracking over grayed items
    CPoint screen = point;
    ClientToScreen(&screen);
    if (screen == s_lastMouse)
        return;
    s_lastMouse = screen;
    if (index != m_nHoverIndex)
    {
        m_nHoverIndex = index;
        m_ptHover = point;
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER, m_hWnd, 0};
        ::TrackMouseEvent(&track);
    }
    CToolBar::OnMouseMove(nFlags, point);
}

void CBmpMenuItems::OnMouseHover(UINT, CPoint point)
{
    const CBmpMenuItem* item = GetItem(m_nHoverIndex);
    if (item == nullptr || ItemFromPoint(point) != m_nHoverIndex)
        return;
    if (item->HasSubMenu())
        ClickAt(m_ptHover, MK_LBUTTON);
    else
    {
        m_pMenu->CloseSubMenus();
        m_nPending = -1;
    }
}

void CBmpMenuItems::NoteHotItem(const CBmpMenuItem& item)
{
    const int id = item.HasSubMenu() ? item.position : static_cast<int>(item.info.wID);
    if (id == m_nHotId)
        return;
    m_nHotId = id;
    CWnd* owner = m_pMenu->GetOwnerWnd();
    if (owner != nullptr && ::IsWindow(owner->m_hWnd))
        owner->SendMessage(WM_MENUSELECT, MAKEWPARAM(id, item.HasSubMenu() ? MF_POPUP : 0),
                           reinterpret_cast<LPARAM>(m_pMenu->m_hMenu));
}

void CBmpMenuItems::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTBCUSTOMDRAW* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(pNMHDR);
    switch (draw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT:
    {
        const CBmpMenuItem* item = reinterpret_cast<const CBmpMenuItem*>(draw->nmcd.lItemlParam);
        if (item == nullptr)
        {
            *pResult = CDRF_DODEFAULT;
            return;
        }
        const bool hot = GetHotItem() == item->position;
        if (hot)
            NoteHotItem(*item);
        CDC dc;
        dc.Attach(draw->nmcd.hdc);
        DrawItem(&dc, draw->nmcd.rc, *item, hot);
        dc.Detach();
        *pResult = CDRF_SKIPDEFAULT;
        return;
    }
    default:
        *pResult = CDRF_DODEFAULT;
        return;
    }
}

void CBmpMenuItems::DrawItem(CDC* pDC, const CRect& rect, const CBmpMenuItem& item, bool hot) const
{
    const bool grayed = item.IsGrayed();
    pDC->FillSolidRect(rect, ::GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_MENU));
    const int side = rect.Height();
    DrawCheck(pDC, CRect(rect.left, rect.top, rect.left + side, rect.bottom), item, hot);

    const int cxCheck = ::GetSystemMetrics(SM_CXMENUCHECK);
    CRect textRect(rect.left + 2 + side, rect.top, rect.right - cxCheck, rect.bottom);
    CBrush arrowBrush;
    CPen arrowPen;
    const int saved = pDC->SaveDC();
    if (m_font.m_hObject != nullptr)
        pDC->SelectObject(m_font.m_hObject);
    pDC->SetBkMode(TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_VCENTER;
    if (grayed && !hot)
    {
        // Engraved: a light copy one pixel right and down under the grey text.
        CRect engraved = textRect;
        engraved.OffsetRect(1, 1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        pDC->DrawText(item.text, -1, engraved, format);
    }
    pDC->SetTextColor(::GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    pDC->DrawText(item.text, -1, textRect, format);

    if (item.HasSubMenu())
    {
        // A filled triangle pointing right near the right edge.
        const int half = std::max(2, cxCheck / 4);
        const int tip = rect.right - half - 2;
        const int middle = (rect.top + rect.bottom) / 2;
        const POINT points[3] = {{tip - half, middle - half}, {tip - half, middle + half}, {tip, middle}};
        const COLORREF colour = pDC->GetTextColor();
        arrowBrush.CreateSolidBrush(colour);
        arrowPen.CreatePen(PS_SOLID, 1, colour);
        pDC->SelectObject(&arrowBrush);
        pDC->SelectObject(&arrowPen);
        pDC->Polygon(points, 3);
    }
    pDC->RestoreDC(saved);
}

void CBmpMenuItems::DrawCheck(CDC* pDC, const CRect& square, const CBmpMenuItem& item, bool hot) const
{
    const bool checked = item.IsChecked();
    HBITMAP picture = checked ? item.info.hbmpChecked : item.info.hbmpUnchecked;
    CBitmap systemCheck;
    if (checked && picture == nullptr && systemCheck.LoadOEMBitmap(OBM_CHECK))
        picture = systemCheck;
    CRect inner = square;
    inner.DeflateRect(1, 1);
    if (checked)
    {
        if (!hot)
        {
            // A dithered ground of the menu and highlight colours.
            const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
            CBitmap dither;
            dither.Attach(::CreateBitmap(8, 8, 1, 1, pattern));
            CBrush ground;
            ground.CreatePatternBrush(&dither);
            const COLORREF oldText = pDC->SetTextColor(::GetSysColor(COLOR_MENU));
            const COLORREF oldBack = pDC->SetBkColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
            pDC->FillRect(inner, &ground);
            pDC->SetTextColor(oldText);
            pDC->SetBkColor(oldBack);
        }
        pDC->DrawEdge(inner, BDR_SUNKENOUTER, BF_RECT);
    }
    if (picture == nullptr)
        return;
    int width = 0, height = 0;
    HBITMAP copy = RecolouredCopy(picture, hot, width, height);
    if (copy == nullptr)
        return;
    CDC source;
    source.CreateCompatibleDC(pDC);
    HGDIOBJ old = source.SelectObject(static_cast<HGDIOBJ>(copy));
    // Centred in the square, shrunk to fit when larger.
    const int cx = std::min(width, inner.Width() - 2);
    const int cy = std::min(height, inner.Height() - 2);
    const int x = inner.left + (inner.Width() - cx) / 2;
    const int y = inner.top + (inner.Height() - cy) / 2;
    if (cx == width && cy == height)
        pDC->BitBlt(x, y, cx, cy, &source, 0, 0, SRCCOPY);
    else
    {
        const int mode = ::SetStretchBltMode(pDC->m_hDC, COLORONCOLOR);
        pDC->StretchBlt(x, y, cx, cy, &source, 0, 0, width, height, SRCCOPY);
        ::SetStretchBltMode(pDC->m_hDC, mode);
    }
    source.SelectObject(old);
    ::DeleteObject(copy);
}
