#include "ui/extendedtabctrl.h"

#include "platform/mfc/exception.h"
#include "skin/skinlibrary.h"
#include "ui/tooltipdialog.h"

IMPLEMENT_DYNAMIC(CExtendedTabCtrl, CTabCtrl)

BEGIN_MESSAGE_MAP(CExtendedTabCtrl, CTabCtrl)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, OnSelChange)
    ON_WM_SHOWWINDOW()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CExtendedTabCtrl::CExtendedTabCtrl(int left, int right, int top, int bottom)
    : m_pShownPage(nullptr),
      m_strSkinObject("Tab"),
      m_nLeftMargin(left),
      m_nRightMargin(right),
      m_nTopMargin(top),
      m_nBottomMargin(bottom),
      m_nTextAlignment(TitleBesideBitmap),
      m_crTextOverride(kNoColour),
      m_nFirstPage(0)
{
}

CExtendedTabCtrl::~CExtendedTabCtrl()
{
    for (INT_PTR i = 0; i < m_pages.GetSize(); ++i)
    {
        CToolTipDialog* page = m_pages[i];
        if (page == nullptr)
            continue;
        if (page->m_hWnd)
        {
            RemoveWindowSkin(page->m_hWnd);
            page->DestroyWindow();
        }
        delete page;
    }
    m_pShownPage = nullptr;
    m_indexMap.clear();
    m_pages.RemoveAll();
    for (CBitmap* bitmap : m_bitmaps)
        delete bitmap;
    m_bitmaps.clear();
}

void CExtendedTabCtrl::SetItemSize(int cx, int cy)
{
    CTabCtrl::SetItemSize(CSize(cx, cy));
    SetMinTabWidth(cx);
}

BOOL CExtendedTabCtrl::AddBitmap(UINT nIDResource)
{
    CBitmap* bitmap = new CBitmap;
    if (!bitmap->LoadBitmap(nIDResource))
    {
        delete bitmap;
        return FALSE;
    }
    m_bitmaps.push_back(bitmap);
    return TRUE;
}

void CExtendedTabCtrl::SetTabCount(int n)
{
    DeleteAllItems();
    m_titles.RemoveAll();
    m_indexMap.assign(n > 0 ? n : 0, 0);
    for (int i = 0; i < n; ++i)
    {
        m_titles.Add("");
        InsertItem(i, "");
        m_indexMap[i] = i;
    }
    SetCurSel(m_nFirstPage);
}

void CExtendedTabCtrl::SetTitle(int tab, const CString& title)
{
    if (tab < 0 || tab >= m_titles.GetSize())
        AfxThrowInvalidArgException();
    m_titles.SetAt(tab, title);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(title));
    SetItem(tab, &item);
}

CRect CExtendedTabCtrl::GetPageRect(CWnd* pParent) const
{
    CRect rect;
    GetWindowRect(rect);
    if (pParent)
        pParent->ScreenToClient(rect);
    CRect item;
    if (!GetItemRect(0, item))
        item.SetRectEmpty();
    rect.left += m_nLeftMargin;
    rect.right -= m_nRightMargin;
    rect.top += m_nTopMargin + item.Height();
    rect.bottom -= m_nBottomMargin;
    return rect;
}

void CExtendedTabCtrl::CreatePages(const CPageArray& pages, CWnd* pParent)
{
    m_pages.RemoveAll();
    for (INT_PTR i = 0; i < pages.GetSize(); ++i)
        m_pages.Add(pages[i]);
    const CRect rect = GetPageRect(pParent);
    for (INT_PTR i = 0; i < m_pages.GetSize(); ++i)
        if (m_pages[i])
            m_pages[i]->CreatePage(rect.left, rect.top, rect.right, rect.bottom);
    m_pShownPage = GetPage(m_nFirstPage);
}

CToolTipDialog* CExtendedTabCtrl::GetPage(int index) const
{
    return index >= 0 && index < m_pages.GetSize() ? m_pages[index] : nullptr;
}

void CExtendedTabCtrl::SelectPage(int tab)
{
    if (tab < 0 || tab >= static_cast<int>(m_indexMap.size()))
        return;
    if (CToolTipDialog* page = GetPage(m_indexMap[tab]))
        ShowPage(page);
}

void CExtendedTabCtrl::ShowPage(CToolTipDialog* pPage)
{
    if (pPage == m_pShownPage)
        return;
    if (m_pShownPage && m_pShownPage->m_hWnd)
        m_pShownPage->ShowWindow(SW_HIDE);
    if (pPage && pPage->m_hWnd)
        pPage->ShowWindow(SW_SHOW);
    m_pShownPage = pPage;
}

void CExtendedTabCtrl::OnSelChange(NMHDR*, LRESULT* pResult)
{
    SelectPage(GetCurSel());
    *pResult = 0;
}

void CExtendedTabCtrl::OnShowWindow(BOOL bShow, UINT nStatus)
{
    if (m_pShownPage && m_pShownPage->m_hWnd)
    {
        m_pShownPage->PostMessage(WM_SHOWWINDOW, bShow, nStatus);
        m_pShownPage->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
    }
    CTabCtrl::OnShowWindow(bShow, nStatus);
}

void CExtendedTabCtrl::GetTitleFont(HFONT& font, COLORREF& colour) const
{
    font = nullptr;
    colour = 0;
    CSkinObject* object = FindSkinObject(m_strSkinObject);
    if (!object || !GetSkinObjectColors(object, &font, &colour) || !font)
    {
        // No skin "Tab": the dialog's font, the system's colours.
        font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
        if (!font)
            font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        colour = ::GetSysColor(COLOR_BTNTEXT);
    }
    if (m_crTextOverride != kNoColour)
        colour = m_crTextOverride;
}

CSize CExtendedTabCtrl::MeasureSkinText(const CString& text, HFONT font)
{
    CClientDC dc(this);
    HGDIOBJ old = dc.SelectObject(static_cast<HGDIOBJ>(font));
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(dc.m_hDC, text, text.GetLength(), &size);
    dc.SelectObject(old);
    return CSize(size.cx, size.cy);
}

void CExtendedTabCtrl::OnPaint()
{
    CPaintDC dc(this);
    DrawTabs(dc);
}

void CExtendedTabCtrl::DrawTabs(CDC& dc)
{
    dc.SetBkMode(TRANSPARENT);
    HFONT font = nullptr;
    COLORREF colour = 0;
    GetTitleFont(font, colour);
    HGDIOBJ oldFont = dc.SelectObject(static_cast<HGDIOBJ>(font));
    const COLORREF oldColour = dc.SetTextColor(colour);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
    {
        CRect item;
        if (!GetItemRect(i, item))
            continue;
        const int w = item.Width();
        const int h = item.Height();
        const int x = w * i;
        const CString title = m_titles.GetAt(i);
        const CSize text = MeasureSkinText(title, font);

        int bw = 0;
        if (i < static_cast<int>(m_bitmaps.size()))
        {
            BITMAP info = {};
            if (m_bitmaps[i]->GetObject(sizeof(info), &info) == sizeof(info))
            {
                bw = info.bmWidth;
                const int bh = info.bmHeight;
                CDC memory;
                memory.CreateCompatibleDC(&dc);
                CBitmap* oldBitmap = memory.SelectObject(m_bitmaps[i]);
                dc.BitBlt(x + 7, h / 2 - bh / 2 + 5, bw, bh, &memory, 0, 0, SRCCOPY);
                memory.SelectObject(oldBitmap);
            }
        }
        if (m_nTextAlignment == TitleBesideBitmap)
            dc.TextOut(x + bw + 12, h / 2 - text.cy / 2 + 3, title);
        else if (m_nTextAlignment == TitleCentred)
            dc.TextOut(w / 2 - text.cx / 2 + x, h / 2 - text.cy / 2 + 3, title);
    }
    dc.SetTextColor(oldColour);
    dc.SelectObject(oldFont);
}
