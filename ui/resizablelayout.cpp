#include "ui/resizablelayout.h"

namespace {

bool IsClass(const std::string& name, const char* expected)
{
    return lstrcmpiA(name.c_str(), expected) == 0;
}

bool IsStaticText(DWORD type)
{
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

bool IsStaticImage(DWORD type)
{
    return type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE;
}

} // namespace

BOOL CResizableLayout::CanClipControl(const LayoutInfo& info) const
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(info.hWnd, GWL_STYLE));
    if (IsClass(info.windowClass, TOOLBARCLASSNAMEA))
        return !(style & TBSTYLE_TRANSPARENT);
    if (IsClass(info.windowClass, "Button"))
        return (style & BS_TYPEMASK) != BS_GROUPBOX;
    if (IsClass(info.windowClass, "Static"))
    {
        const DWORD type = style & SS_TYPEMASK;
        if (IsStaticImage(type))
            return !(style & SS_CENTERIMAGE);
        return IsStaticText(type) || type == SS_BLACKRECT || type == SS_GRAYRECT || type == SS_WHITERECT ||
               type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT;
    }
    return TRUE;
}

BOOL CResizableLayout::NeedsRepaint(const LayoutInfo& info) const
{
    if (!IsClass(info.windowClass, "Static"))
        return FALSE;
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(info.hWnd, GWL_STYLE));
    const DWORD type = style & SS_TYPEMASK;
    if (IsStaticText(type) || type == SS_BITMAP)
        return TRUE;
    return IsStaticImage(type) && (style & SS_CENTERIMAGE);
}

void CResizableLayout::GetLayoutClientRect(LPRECT lpRect) const
{
    GetLayoutWindow()->GetClientRect(lpRect);
}

BOOL CResizableLayout::ArrangeLayoutCallback(LayoutInfo&, LPRECT) const
{
    return FALSE;
}

void CResizableLayout::AddAnchor(HWND hWnd, CSize anchorTopLeft, CSize anchorBottomRight)
{
    CWnd* parent = GetLayoutWindow();
    if (hWnd == nullptr || parent == nullptr || ::GetParent(hWnd) != parent->m_hWnd)
        return;
    CRect client, control;
    GetLayoutClientRect(client);
    ::GetWindowRect(hWnd, control);
    parent->ScreenToClient(control);
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof(name));
    LayoutInfo info;
    info.hWnd = hWnd;
    info.windowClass = name;
    info.anchorTopLeft = anchorTopLeft;
    info.anchorBottomRight = anchorBottomRight;
    info.marginTopLeft.cx = control.left - (client.left + client.Width() * anchorTopLeft.cx / 100);
    info.marginTopLeft.cy = control.top - (client.top + client.Height() * anchorTopLeft.cy / 100);
    info.marginBottomRight.cx = control.right - (client.left + client.Width() * anchorBottomRight.cx / 100);
    info.marginBottomRight.cy = control.bottom - (client.top + client.Height() * anchorBottomRight.cy / 100);
    m_layout.push_back(info);
}

CRect CResizableLayout::NewRect(const LayoutInfo& info, const CRect& client) const
{
    return CRect(client.left + client.Width() * info.anchorTopLeft.cx / 100 + info.marginTopLeft.cx,
                 client.top + client.Height() * info.anchorTopLeft.cy / 100 + info.marginTopLeft.cy,
                 client.left + client.Width() * info.anchorBottomRight.cx / 100 + info.marginBottomRight.cx,
                 client.top + client.Height() * info.anchorBottomRight.cy / 100 + info.marginBottomRight.cy);
}

void CResizableLayout::ArrangeLayout() const
{
    CRect client;
    GetLayoutClientRect(client);
    HDWP hdwp = ::BeginDeferWindowPos(static_cast<int>(m_layout.size()));
    std::vector<HWND> repaint;
    for (const LayoutInfo& entry : m_layout)
    {
        if (!::IsWindow(entry.hWnd))
            continue;  // a control destroyed while listed is passed over
        LayoutInfo info = entry;
        CRect rect;
        if (!ArrangeLayoutCallback(info, rect))
            rect = NewRect(info, client);
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREPOSITION;
        if (NeedsRepaint(info))
        {
            flags |= SWP_NOCOPYBITS;
            repaint.push_back(info.hWnd);
        }
        if (hdwp)
            hdwp = ::DeferWindowPos(hdwp, info.hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(), flags);
    }
    if (hdwp)
        ::EndDeferWindowPos(hdwp);
    for (HWND hWnd : repaint)
        ::InvalidateRect(hWnd, nullptr, TRUE);
}

void CResizableLayout::ClipChildren(CDC* pDC) const
{
    CWnd* parent = GetLayoutWindow();
    for (const LayoutInfo& info : m_layout)
    {
        if (!::IsWindow(info.hWnd) || !::IsWindowVisible(info.hWnd) || !CanClipControl(info))
            continue;
        CRect rect;
        ::GetWindowRect(info.hWnd, rect);
        parent->ScreenToClient(rect);
        pDC->ExcludeClipRect(rect);
    }
}
