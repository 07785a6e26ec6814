#include "platform/mfc/ctoolbarctrl.h"

IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CWnd::Create(TOOLBARCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd, nID))
        return FALSE;
    SetButtonStructSize();
    return TRUE;
}

void CToolBarCtrl::SetButtonStructSize()
{
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

BOOL CToolBarCtrl::SetBitmapSize(CSize size)
{
    return static_cast<BOOL>(SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}

BOOL CToolBarCtrl::SetButtonSize(CSize size)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}

CSize CToolBarCtrl::GetButtonSize() const
{
    return CSize(static_cast<DWORD>(::SendMessageA(m_hWnd, TB_GETBUTTONSIZE, 0, 0)));
}

BOOL CToolBarCtrl::SetButtonWidth(int cxMin, int cxMax)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONWIDTH, 0, MAKELPARAM(cxMin, cxMax)));
}

BOOL CToolBarCtrl::AddButtons(int nNumButtons, LPTBBUTTON lpButtons)
{
    return static_cast<BOOL>(SendMessage(TB_ADDBUTTONSA, nNumButtons, reinterpret_cast<LPARAM>(lpButtons)));
}

BOOL CToolBarCtrl::DeleteButton(int nIndex)
{
    return static_cast<BOOL>(SendMessage(TB_DELETEBUTTON, nIndex, 0));
}

int CToolBarCtrl::GetButtonCount() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TB_BUTTONCOUNT, 0, 0));
}

BOOL CToolBarCtrl::GetButton(int nIndex, LPTBBUTTON lpButton) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(lpButton)));
}

BOOL CToolBarCtrl::GetItemRect(int nIndex, LPRECT lpRect) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(lpRect)));
}

int CToolBarCtrl::HitTest(LPPOINT ppt) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TB_HITTEST, 0, reinterpret_cast<LPARAM>(ppt)));
}

int CToolBarCtrl::SetHotItem(int nHot)
{
    return static_cast<int>(SendMessage(TB_SETHOTITEM, nHot, 0));
}

int CToolBarCtrl::GetHotItem() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TB_GETHOTITEM, 0, 0));
}

int CToolBarCtrl::CommandToIndex(UINT nID) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TB_COMMANDTOINDEX, nID, 0));
}

BOOL CToolBarCtrl::GetButtonInfo(UINT nID, TBBUTTONINFOA* ptbbi) const
{
    return ::SendMessageA(m_hWnd, TB_GETBUTTONINFOA, nID, reinterpret_cast<LPARAM>(ptbbi)) != -1;
}

BOOL CToolBarCtrl::SetButtonInfo(UINT nID, TBBUTTONINFOA* ptbbi)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONINFOA, nID, reinterpret_cast<LPARAM>(ptbbi)));
}

BOOL CToolBarCtrl::SetState(int nID, UINT nState)
{
    return static_cast<BOOL>(SendMessage(TB_SETSTATE, nID, MAKELPARAM(nState, 0)));
}

int CToolBarCtrl::GetState(int nID) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TB_GETSTATE, nID, 0));
}

BOOL CToolBarCtrl::IsButtonEnabled(int nID) const
{
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TB_ISBUTTONENABLED, nID, 0));
}

DWORD CToolBarCtrl::SetExtendedStyle(DWORD dwExStyle)
{
    return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle));
}

void CToolBarCtrl::AutoSize()
{
    SendMessage(TB_AUTOSIZE, 0, 0);
}
