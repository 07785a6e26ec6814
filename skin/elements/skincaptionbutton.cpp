#include "skin/elements/skincaptionbutton.h"

#include <map>

#include "skin/core/skinwnd.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

const UINT HoverInterval = 100;

// Thread timers carry no data: the button of each running timer.
std::map<UINT_PTR, CSkinCaptionButton*>& Timers()
{
    static std::map<UINT_PTR, CSkinCaptionButton*> timers;
    return timers;
}

void TrackSystemMenu(HWND frame, POINT point)
{
    HMENU menu = GetSystemMenu(frame, FALSE);
    if (!menu)
        return;
    const UINT command = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, point.x,
                                              point.y, 0, frame, NULL);
    if (command)
        PostMessageA(frame, WM_SYSCOMMAND, command, 0);
}

CSkinCaptionButton::SystemMenuHandler s_systemMenu = TrackSystemMenu;

} // namespace

void CSkinCaptionButton::SetSystemMenuHandler(SystemMenuHandler handler)
{
    s_systemMenu = handler ? handler : TrackSystemMenu;
}

CSkinCaptionButton::CSkinCaptionButton(CSkinWnd* owner, CSkinCaptionButtonObject* object)
    : CSkinElement(owner, object), m_lastClick(0), m_clicked(false), m_tracking(false), m_toggled(false), m_timer(0),
      m_region(NULL), m_transparent(object ? object->GetTransparentColour() : 0xFF00FF)
{
    m_state = StateNormal;
    MakeShape();
}

CSkinCaptionButton::~CSkinCaptionButton()
{
    StopHoverTimer();
    if (m_region)
        DeleteObject(m_region);
}

DWORD CSkinCaptionButton::GetKind() const
{
    return m_object ? static_cast<CSkinCaptionButtonObject*>(m_object)->m_kind : (DWORD)ActionCommand;
}

bool CSkinCaptionButton::IsToggle() const
{
    return m_object && static_cast<CSkinCaptionButtonObject*>(m_object)->m_word != 0;
}

void CSkinCaptionButton::MakeShape()
{
    CSkinCaptionButtonObject* object = static_cast<CSkinCaptionButtonObject*>(m_object);
    const int w = m_bounds.right - m_bounds.left, h = m_bounds.bottom - m_bounds.top;
    if (!object || object->m_value1 == 0 || w <= 0 || h <= 0)
        return;
    const SkinImageRef* candidates[] = {&object->m_images[0], &object->m_images[1], &object->m_image};
    const SkinImageRef* image = NULL;
    for (size_t i = 0; i < 3 && !image; ++i)
        if (!IsImagePartEmpty(*candidates[i]))
            image = candidates[i];
    if (!image)
        return;
    CSkinMemDC picture(NULL, w, h);
    if (!picture.IsValid())
        return;
    const RECT local = {0, 0, w, h};
    FillSolidRect(picture, local, m_transparent);
    DrawSkinImagePart(object->GetStore(), picture, local, *image, m_transparent, FALSE, FALSE);
    HBITMAP bitmap = picture.Detach();
    m_region = RegionFromBitmap(bitmap, m_transparent);
    DeleteObject(bitmap);
}

bool CSkinCaptionButton::HitTest(POINT point) const
{
    if (!CSkinElement::HitTest(point))
        return false;
    return !m_region || PtInRegion(m_region, point.x - m_bounds.left, point.y - m_bounds.top);
}

void CSkinCaptionButton::FollowWindowStyle(DWORD style)
{
    switch (GetKind()) {
    case ActionClose: case ActionSystemMenuAlt: Enable((style & WS_SYSMENU) != 0); break;
    case ActionMaximize: Enable((style & WS_MAXIMIZEBOX) != 0); break;
    case ActionMinimize: Enable((style & WS_MINIMIZEBOX) != 0); break;
    default: break;
    }
}

void CSkinCaptionButton::Draw(HDC dc)
{
    HWND frame = OwnerWindow();
    const bool mirrored = frame && IsMirroredWindow(frame);
    if (GetKind() == ActionSystemMenu) {
        if (frame) {
            POINT at = {(m_bounds.left + m_bounds.right - 16) / 2, (m_bounds.top + m_bounds.bottom - 16) / 2};
            DrawWindowSmallIcon(frame, dc, at);
        }
        return;
    }
    CSkinCaptionButtonObject* object = static_cast<CSkinCaptionButtonObject*>(m_object);
    if (!object)
        return;
    const SkinImageRef* image = &object->m_image;
    if (!IsEnabled())
        image = &object->m_images[2];
    else if (m_state == StateHot)
        image = &object->m_images[0];
    else if (m_state == StatePressed)
        image = &object->m_images[1];
    if (IsImagePartEmpty(*image))
        image = &object->m_image;
    DrawSkinImagePartTransparent(object->GetStore(), dc, m_bounds, *image, m_transparent, mirrored);
}

void CSkinCaptionButton::PostSysCommand(WPARAM command)
{
    if (HWND frame = OwnerWindow())
        PostMessageA(frame, WM_SYSCOMMAND, command, 0);
}

void CSkinCaptionButton::OpenSystemMenu()
{
    HWND frame = OwnerWindow();
    if (!frame)
        return;
    RECT window;
    ::GetWindowRect(frame, &window);
    POINT point = {window.left + m_bounds.left, window.top + m_bounds.bottom};
    s_systemMenu(frame, point);
}

void CSkinCaptionButton::PerformAction()
{
    HWND frame = OwnerWindow();
    switch (GetKind()) {
    case ActionCommand:
        if (frame)
            PostMessageA(frame, WM_COMMAND, GetCommand(), 0);
        break;
    case ActionClose:
        StopHoverTimer();
        PostSysCommand(SC_CLOSE);
        break;
    case ActionSystemMenu: case ActionSystemMenuAlt:
        OpenSystemMenu();
        break;
    case ActionMaximize:
        PostSysCommand(frame && IsZoomed(frame) ? SC_RESTORE : SC_MAXIMIZE);
        break;
    case ActionMinimize:
        PostSysCommand(frame && IsIconic(frame) ? SC_RESTORE : SC_MINIMIZE);
        break;
    default:
        break;
    }
}

BOOL CSkinCaptionButton::OnLButtonDown(POINT, DWORD time)
{
    if (GetKind() == ActionSystemMenu || GetKind() == ActionSystemMenuAlt) {
        // A second click within the system's double-click time closes, as
        // a double click on a system menu does; the times are the
        // messages' own, in milliseconds (the difference survives the
        // counter's wrap).
        if (m_clicked && time - m_lastClick <= GetDoubleClickTime()) {
            m_clicked = false;
            PostSysCommand(SC_CLOSE);
            return TRUE;
        }
        m_clicked = true;
        m_lastClick = time;
        PerformAction();
        return TRUE;
    }
    m_tracking = true;
    SetState(StatePressed);
    return TRUE;
}

BOOL CSkinCaptionButton::OnMouseMove(POINT)
{
    const int state = IsToggle() || !m_tracking ? StateHot : StatePressed;
    if (state != m_state)
        SetState(state);
    StartHoverTimer();
    return TRUE;
}

BOOL CSkinCaptionButton::OnLButtonUp(POINT)
{
    if (!m_tracking)
        return TRUE;
    m_tracking = false;
    const DWORD kind = GetKind();
    if (kind == ActionMaximize || kind == ActionMinimize) {
        SetState(StateNormal);
    } else if (IsToggle()) {
        m_toggled = !m_toggled;
        SetState(RestingState());
    } else if (m_timer) {
        SetState(StateHot);
    } else {
        SetState(StateNormal);
    }
    PerformAction();
    return TRUE;
}

BOOL CSkinCaptionButton::OnRButtonDown(POINT point)
{
    CSkinElement::OnRButtonDown(point);
    return TRUE;
}

BOOL CSkinCaptionButton::OnRButtonUp(POINT point)
{
    // The second system-menu button opens its menu on the right button too.
    if (GetKind() == ActionSystemMenuAlt) {
        OpenSystemMenu();
        return TRUE;
    }
    CSkinElement::OnRButtonUp(point);
    return TRUE;
}

BOOL CSkinCaptionButton::OnLButtonDblClk(POINT point)
{
    if (GetKind() == ActionSystemMenu || GetKind() == ActionSystemMenuAlt) {
        m_clicked = false;
        PostSysCommand(SC_CLOSE);
        return TRUE;
    }
    // The second press of a double click is a press like the first.
    return OnLButtonDown(point, (DWORD)GetMessageTime());
}

void CSkinCaptionButton::StartHoverTimer()
{
    if (m_timer)
        return;
    m_timer = SetTimer(NULL, 0, HoverInterval, HoverTimerProc);
    if (m_timer)
        Timers()[m_timer] = this;
}

void CSkinCaptionButton::StopHoverTimer()
{
    if (!m_timer)
        return;
    KillTimer(NULL, m_timer);
    Timers().erase(m_timer);
    m_timer = 0;
}

void CSkinCaptionButton::CheckHover(POINT cursor)
{
    if (PtInRect(&m_bounds, cursor))
        return;
    StopHoverTimer();
    m_tracking = false;
    SetState(RestingState());
    if (HWND frame = OwnerWindow())
        SendMessageA(frame, WM_SKIN_ELEMENT_LEAVE, GetCommand(), 0);
}

void CALLBACK CSkinCaptionButton::HoverTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    std::map<UINT_PTR, CSkinCaptionButton*>::iterator it = Timers().find(id);
    if (it == Timers().end()) {
        KillTimer(NULL, id);
        return;
    }
    CSkinCaptionButton* button = it->second;
    HWND frame = button->OwnerWindow();
    POINT cursor;
    RECT window;
    if (!frame || !GetCursorPos(&cursor) || !::GetWindowRect(frame, &window)) {
        button->StopHoverTimer();
        return;
    }
    cursor.x -= window.left;
    cursor.y -= window.top;
    button->CheckHover(cursor);
}
