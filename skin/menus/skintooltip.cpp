#include "skin/menus/skintooltip.h"

#include "skin/core/skinlibrarystate.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"

CSkinTooltipProvider::~CSkinTooltipProvider()
{
    GetSkinTooltip().ForgetProvider(this);
}

RECT SkinTooltipRectAt(POINT anchor, SIZE size, int position)
{
    const int w = size.cx, h = size.cy;
    RECT r;
    switch (position) {
    case 1: r.left = anchor.x - w / 2; r.top = anchor.y + 22; break;
    case 2: r.left = anchor.x - 2 - w; r.top = anchor.y + 22; break;
    case 3: r.left = anchor.x + 2; r.top = anchor.y - h / 2; break;
    case 4: r.left = anchor.x - 2 - w; r.top = anchor.y - h / 2; break;
    case 5: r.left = anchor.x + 2; r.top = anchor.y - 2 - h; break;
    case 6: r.left = anchor.x - w / 2; r.top = anchor.y - 2 - h; break;
    case 7: r.left = anchor.x - 2 - w; r.top = anchor.y - 2 - h; break;
    default: r.left = anchor.x + 2; r.top = anchor.y + 22; break;
    }
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

RECT ChooseSkinTooltipRect(POINT anchor, SIZE size, int preferred, const RECT& work)
{
    // Both corners inside; a corner on the right or bottom edge is outside.
    const auto fits = [&work](const RECT& r) {
        const POINT topLeft = {r.left, r.top}, bottomRight = {r.right, r.bottom};
        return PtInRect(&work, topLeft) && PtInRect(&work, bottomRight);
    };
    RECT r = SkinTooltipRectAt(anchor, size, preferred);
    if (fits(r))
        return r;
    for (int position = 0; position < 8; ++position) {
        r = SkinTooltipRectAt(anchor, size, position);
        if (fits(r))
            return r;
    }
    return SkinTooltipRectAt(anchor, size, 7);
}

CSkinTooltip::CSkinTooltip() : m_provider(NULL), m_tracking(false)
{
    m_anchor.x = m_anchor.y = 0;
    // The built-in look: a black line round the info colour.
    m_default.m_activeColour = m_default.m_inactiveColour = RGB(0, 0, 0);
    CSkinHostWnd::SetSkinObject(&m_default);
}

CSkinTooltip::~CSkinTooltip()
{
    Destroy();
}

BOOL CSkinTooltip::Create(HWND parent)
{
    HINSTANCE instance = GetSkinInstance() ? GetSkinInstance() : GetModuleHandleA(NULL);
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, SKIN_TOOLTIP_CLASS, "", WS_POPUP, 0, 0, 0, 0, parent,
                           NULL, instance, static_cast<CSkinWnd*>(this))
           != NULL;
}

void CSkinTooltip::Destroy()
{
    if (GetHwnd())
        DestroyWindow(GetHwnd());
}

void CSkinTooltip::SetInstance(HINSTANCE instance)
{
    m_drawer.SetInstance(instance);
}

CSkinObject* CSkinTooltip::SetSkinObject(CSkinObject* object)
{
    if (!object || object->GetType() != sotTooltip)
        object = &m_default;
    const std::string& sheet = ((CSkinTooltipObject*)object)->m_text;
    m_drawer.SetStyleSheet(sheet.empty() ? NULL : sheet.c_str());
    ForgetSize();
    return CSkinHostWnd::SetSkinObject(object);
}

BOOL CSkinTooltip::SetTooltipObject(CSkinObject* object)
{
    const BOOL fits = !object || object->GetType() == sotTooltip;
    SetSkinObject(fits ? object : NULL);
    return fits;
}

const CSkinTooltipObject* CSkinTooltip::GetTooltipObject() const
{
    return (const CSkinTooltipObject*)GetSkinObject();
}

void CSkinTooltip::ForgetProvider(CSkinTooltipProvider* provider)
{
    if (!provider || m_provider != provider)
        return;
    m_provider = NULL;
    Hide();
}

void CSkinTooltip::ShowText(const std::string& text, const POINT* point)
{
    if (point)
        m_anchor = *point;
    else
        GetCursorPos(&m_anchor);
    Hide();
    m_text = text;
    if (!m_text.empty() && GetHwnd())
        SetTimer(GetHwnd(), DelayTimer, GetTooltipObject()->m_initialDelay, NULL);
}

void CSkinTooltip::Hide()
{
    if (!GetHwnd())
        return;
    ShowWindow(GetHwnd(), SW_HIDE);
    KillTimer(GetHwnd(), DelayTimer);
    KillTimer(GetHwnd(), DisplayTimer);
    m_tracking = false;
}

void CSkinTooltip::Show()
{
    HWND hwnd = GetHwnd();
    Hide();
    HDC dc = GetDC(hwnd);
    const SIZE text = m_drawer.Measure(dc, m_text);
    ReleaseDC(hwnd, dc);
    const RECT borders = GetBorderSizes();
    const SIZE size = {text.cx + borders.left + borders.right, text.cy + borders.top + borders.bottom};
    RECT work;
    if (!GetPointMonitorRect(m_anchor, work, true))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const RECT r = ChooseSkinTooltipRect(m_anchor, size, (int)GetTooltipObject()->m_position, work);
    SetWindowPos(hwnd, HWND_TOPMOST, r.left, r.top, size.cx, size.cy,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
    SetTimer(hwnd, DisplayTimer, GetTooltipObject()->m_displayTime, NULL);
}

void CSkinTooltip::PaintClient(HDC picture, const RECT& client)
{
    DrawClientBackground(picture, client, GetTooltipObject()->m_colour3);
    m_drawer.Draw(picture, m_text, 0, 0, client.right, client.bottom);
}

LRESULT CSkinTooltip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = GetHwnd();
    switch (message) {
    case WM_TIMER:
        if (wParam == DelayTimer) {
            KillTimer(hwnd, DelayTimer);
            GetCursorPos(&m_anchor);
            if (m_provider)
                m_text = m_provider->GetTooltipTextAt(m_anchor);
            if (!m_text.empty())
                Show();
        } else if (wParam == DisplayTimer) {
            Hide();
        }
        break;
    case WM_MOUSELEAVE:
        Hide();
        break;
    case WM_MOUSEMOVE:
        if (!m_tracking) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, HOVER_DEFAULT};
            m_tracking = _TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_NCDESTROY:
        m_tracking = false;
        return 0;
    }
    return CSkinHostWnd::WindowProc(message, wParam, lParam);
}
