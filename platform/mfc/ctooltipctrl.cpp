#include "platform/mfc/ctooltipctrl.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr);
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg)
{
    if (m_hWnd != nullptr && lpMsg != nullptr)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg));
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth)
{
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth));
}

int CToolTipCtrl::GetMaxTipWidth() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TTM_GETMAXTIPWIDTH, 0, 0));
}

void CToolTipCtrl::FillToolInfo(TTTOOLINFOA& info, CWnd* pWnd, UINT_PTR nIDTool) const
{
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.hwnd = pWnd ? pWnd->m_hWnd : nullptr;
    if (nIDTool == 0 && pWnd != nullptr)
    {
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->m_hWnd);
        info.hwnd = ::GetParent(pWnd->m_hWnd);
        if (info.hwnd == nullptr)
            info.hwnd = pWnd->m_hWnd;
    }
    else
        info.uId = nIDTool;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (pWnd == nullptr)
        return FALSE;
    TTTOOLINFOA info;
    FillToolInfo(info, pWnd, nIDTool);
    if (lpRectTool != nullptr)
        info.rect = *lpRectTool;
    else if (!(info.uFlags & TTF_IDISHWND))
        ::GetClientRect(pWnd->m_hWnd, &info.rect);
    info.lpszText = const_cast<LPSTR>(lpszText);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOA info;
    FillToolInfo(info, pWnd, nIDTool);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOA info;
    FillToolInfo(info, pWnd, nIDTool);
    info.lpszText = const_cast<LPSTR>(lpszText);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const
{
    // Comctl32 writes at most wParam characters (older versions at most
    // INFOTIPSIZE, 1024); either limit fits the buffer.
    char text[MaxTextLength + 1] = "";
    TTTOOLINFOA info;
    FillToolInfo(info, pWnd, nIDTool);
    info.lpszText = text;
    ::SendMessageA(m_hWnd, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    text[MaxTextLength] = '\0';
    str = text;
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    SendMessage(TTM_ACTIVATE, bActivate, 0);
}

void CToolTipCtrl::SetDelayTime(UINT nDelay)
{
    SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, nDelay);
}

void CToolTipCtrl::Pop()
{
    SendMessage(TTM_POP, 0, 0);
}
