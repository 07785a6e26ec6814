#include "skin/windows/skinmdiclient.h"

#include "skin/draw/skinimagepart.h"
#include "skin/objects/skinwindowobjects.h"
#include "skin/windows/skinframewnd.h"

CSkinMdiClient::CSkinMdiClient(CSkinFrameWnd* frame) : m_frame(frame)
{
}

CSkinMdiClient::~CSkinMdiClient()
{
    if (m_frame && m_frame->GetMdiClient() == this)
        m_frame->ForgetMdiClient();
}

LRESULT CSkinMdiClient::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        CSkinShapeObject* shape = m_frame ? m_frame->GetShape() : NULL;
        if (!shape || shape->GetType() != sotFrameWnd)
            break;
        RECT client;
        GetClientRect(m_hwnd, &client);
        DrawSkinImagePart(m_frame->GetStore(), (HDC)wParam, client,
                          static_cast<CSkinFrameWndObject*>(shape)->m_mdiBackground, shape->m_clientColour, TRUE,
                          FALSE);
        return 1;
    }
    case WM_MDICREATE: {
        BOOL maximised = FALSE;
        HWND active = (HWND)CallSaved(WM_MDIGETACTIVE, 0, (LPARAM)&maximised);
        if (active && maximised)
            SendMessageA(active, WM_SYSCOMMAND, SC_RESTORE, 0);
        break;
    }
    case WM_SKIN_MDI_REFRESH:
        if (!CallSaved(WM_MDIGETACTIVE, 0, 0) && lParam) {
            InvalidateRect(m_hwnd, (const RECT*)lParam, TRUE);
            UpdateWindow(m_hwnd);
        }
        return 0;
    }
    return CSkinWnd::WindowProc(message, wParam, lParam);
}
