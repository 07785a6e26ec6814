#include "platform/mfc/ctoolbar.h"

IMPLEMENT_DYNAMIC(CToolBar, CToolBarCtrl)

CToolBar::CToolBar() : m_dwStyle(0)
{
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    m_rcBorders = rcBorders;
    m_dwStyle = dwStyle & CBRS_ALL;
    if (nID == AFX_IDW_TOOLBAR)
        m_dwStyle |= CBRS_HIDE_INPLACE;
    // The bar places itself; the control must not move or size itself.
    DWORD windowStyle = (dwStyle & ~CBRS_ALL) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE |
                        dwCtrlStyle;
    return CToolBarCtrl::Create(windowStyle, CRect(), pParentWnd, nID);
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button = {};
    return GetButton(nIndex, &button) ? static_cast<UINT>(button.idCommand) : 0;
}
