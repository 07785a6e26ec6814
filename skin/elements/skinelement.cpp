#include "skin/elements/skinelement.h"

#include <commctrl.h>
#include <string.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinwnd.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

const int TooltipStringLength = 100;

} // namespace

CSkinElement::CSkinElement(CSkinWnd* owner, CSkinCaptionElementObject* object)
    : m_enabled(1), m_state(1), m_owner(owner)
{
    CSkinRoot::SetSkinObject(object);
    if (object) {
        m_bounds = object->m_bounds;
        SetTooltipText(object->m_text);
    } else {
        SetRectEmpty(&m_bounds);
    }
}

CSkinCaptionElementObject* CSkinElement::GetElementObject() const
{
    return static_cast<CSkinCaptionElementObject*>(m_object);
}

DWORD CSkinElement::GetCommand() const
{
    return m_object ? GetElementObject()->m_command : 0;
}

HWND CSkinElement::OwnerWindow() const
{
    return m_owner ? m_owner->GetHwnd() : NULL;
}

bool CSkinElement::IsVisible() const
{
    if (!m_enabled)
        return false;
    const DWORD condition = m_object ? GetElementObject()->m_visibility : (DWORD)ShowAlways;
    HWND window = OwnerWindow();
    const bool minimized = window && IsIconic(window), maximized = window && IsZoomed(window);
    switch (condition) {
    case ShowAlways: return true;
    case ShowMinimized: return minimized;
    case ShowNotMinimized: return !minimized;
    case ShowMaximized: return maximized;
    case ShowNotMaximized: return !maximized;
    case ShowActive: return m_owner && m_owner->IsActiveCaption();
    case ShowInactive: return m_owner && !m_owner->IsActiveCaption();
    case ShowEnabled: return !window || IsWindowEnabled(window);
    case ShowDisabled: return window && !IsWindowEnabled(window);
    case ShowRestored: return !minimized && !maximized;
    default: return false;
    }
}

bool CSkinElement::HitTest(POINT point) const
{
    return IsVisible() && PtInRect(&m_bounds, point);
}

void CSkinElement::Anchor(int width, int height)
{
    CSkinCaptionElementObject* object = GetElementObject();
    if (!object)
        return;
    m_bounds = object->m_bounds;
    CSkinShapeObject* shape = m_owner ? m_owner->GetShape() : NULL;
    if (!shape || shape->GetType() == sotTooltip)
        return;
    const RECT design = shape->GetDesignRect();
    const int dW = width - design.right, dH = height - design.bottom;
    switch (object->m_anchor) {
    case 4: case 6: OffsetRect(&m_bounds, dW, 0); break;
    case 2: case 8: OffsetRect(&m_bounds, 0, dH); break;
    case 5: OffsetRect(&m_bounds, dW, dH); break;
    default: break;
    }
}

void CSkinElement::Notify(UINT message, POINT point) const
{
    if (HWND window = OwnerWindow())
        SendMessageA(window, message, GetCommand(), MAKELPARAM(point.x - m_bounds.left, point.y - m_bounds.top));
}

BOOL CSkinElement::OnMouseMove(POINT point)
{
    Notify(WM_SKIN_ELEMENT_MOUSEMOVE, point);
    return FALSE;
}

BOOL CSkinElement::OnLButtonDown(POINT point, DWORD)
{
    Notify(WM_SKIN_ELEMENT_LBUTTONDOWN, point);
    return FALSE;
}

BOOL CSkinElement::OnRButtonDown(POINT point)
{
    Notify(WM_SKIN_ELEMENT_RBUTTONDOWN, point);
    return FALSE;
}

BOOL CSkinElement::OnLButtonUp(POINT point)
{
    Notify(WM_SKIN_ELEMENT_LBUTTONUP, point);
    return FALSE;
}

BOOL CSkinElement::OnRButtonUp(POINT point)
{
    Notify(WM_SKIN_ELEMENT_RBUTTONUP, point);
    return FALSE;
}

BOOL CSkinElement::OnLButtonDblClk(POINT point)
{
    Notify(WM_SKIN_ELEMENT_LBUTTONDBLCLK, point);
    return FALSE;
}

void CSkinElement::SetState(int state)
{
    m_state = state;
    Repaint();
}

void CSkinElement::Repaint()
{
    if (m_owner)
        m_owner->RedrawFrameRect(m_bounds);
}

std::string CSkinElement::GetTooltipText() const
{
    HWND window = OwnerWindow();
    if (window) {
        TOOLTIPTEXTA request;
        memset(&request, 0, sizeof(request));
        request.hdr.hwndFrom = GetSkinTooltip().GetHwnd();
        request.hdr.idFrom = GetCommand();
        request.hdr.code = TTN_NEEDTEXTA;
        request.uFlags = 1;
        SendMessageA(window, WM_SKIN_ELEMENT_TOOLTIP, GetCommand(), (LPARAM)&request);
        if (request.hinst) {
            char text[TooltipStringLength] = "";
            if (LoadStringA(request.hinst, (UINT)(UINT_PTR)request.lpszText, text, sizeof(text)) > 0)
                return text;
        } else if (request.lpszText) {
            return request.lpszText;
        } else if (request.szText[0]) {
            request.szText[sizeof(request.szText) - 1] = '\0';
            return request.szText;
        }
    }
    return CSkinRoot::GetTooltipText();
}

CSkinObject* CSkinElement::FindTooltipObject() const
{
    CSkinObject* owner = m_owner ? m_owner->GetSkinObject() : NULL;
    if (owner) {
        const CSkinObject::ChildMap& children = owner->GetChildren();
        for (CSkinObject::ChildMap::const_iterator it = children.begin(); it != children.end(); ++it)
            if (it->second->GetType() == sotTooltip)
                return it->second;
    }
    return CSkinRoot::FindTooltipObject();
}
