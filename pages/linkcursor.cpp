#include "pages/linkcursor.h"

#include "pages/pagehost.h"

UINT ControlUnderPoint(CWnd& dialog, const MSG& msg)
{
    POINT pt = msg.pt;
    ::ScreenToClient(dialog.GetSafeHwnd(), &pt);
    HWND child = ::ChildWindowFromPointEx(dialog.GetSafeHwnd(), pt, CWP_SKIPINVISIBLE);
    if (!child || child == dialog.GetSafeHwnd())
        return 0;
    return static_cast<UINT>(::GetDlgCtrlID(child));
}

bool SetLinkCursor(CWnd& dialog, const MSG& msg, const UINT* links, size_t count, HCURSOR elsewhere)
{
    if (msg.message != WM_MOUSEMOVE)
        return false;
    const UINT id = ControlUnderPoint(dialog, msg);
    HCURSOR cursor = elsewhere;
    for (size_t i = 0; i < count; ++i)
    {
        if (id == links[i])
        {
            IPageHost* host = GetPageHost();
            if (HCURSOR linkCursor = host ? host->GetLinkCursor() : nullptr)
                cursor = linkCursor;
            break;
        }
    }
    ::SetCursor(cursor);
    return true;
}
