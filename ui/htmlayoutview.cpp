#include "ui/htmlayoutview.h"

#include "ui/htmlelement.h"

#include <string>

CHTMLayoutView::CHTMLayoutView(UINT nID, UINT nHtmlResID, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd), m_nID(nID), m_nHtmlResID(nHtmlResID)
{
}

BOOL CHTMLayoutView::CreateChild(const RECT& rect)
{
    if (!CreateControl(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, rect, m_pParentWnd, m_nID))
        return FALSE;
    return FitRootToClient();
}

BOOL CHTMLayoutView::FitRootToClient()
{
    if (!LoadHtmlResource(m_nHtmlResID))
        return FALSE;
    CRect client;
    GetClientRect(client);
    CHtmlElement root(CHtmlElement::GetRootElement(m_hWnd));
    root.SetStyleAttribute("width", std::to_wstring(client.Width()).c_str());
    root.SetStyleAttribute("height", std::to_wstring(client.Height()).c_str());
    root.SetStyleAttribute("overflow", L"auto");
    return TRUE;
}
