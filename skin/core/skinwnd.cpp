#include "skin/core/skinwnd.h"

#include <string.h>

#include "skin/core/skinchildwindows.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/core/skinwindowproperty.h"
#include "skin/core/skinwndproc.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/elements/skincaptionbutton.h"
#include "skin/elements/skincaptionstatic.h"
#include "skin/image/ximage.h"
#include "skin/objects/skinobject.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"

const char SKIN_OBJECT_PROP[] = "OBJECT";

namespace {

// The procedure a skinner found when a later subclass sits on top of it at
// detach: the window keeps calling the shared procedure, which passes the
// messages on to this one. One name per character set of the procedure.
const char s_chainA[] = "OBJECT_NEXT_A";
const char s_chainW[] = "OBJECT_NEXT_W";

const int CaptionTextLength = 300;

CSkinWindowProperty& SkinnerProperty()
{
    // Never destroyed: windows may still take messages at exit.
    static CSkinWindowProperty* property = new CSkinWindowProperty(SKIN_OBJECT_PROP);
    return *property;
}

// The corner of a sizing frame part that sizes the window diagonally.
const int CornerSize = 5;

// Whether a child window leaves part of itself to its parent's background:
// transparent windows and group boxes, which draw their frame alone.
bool ShowsParentThrough(HWND child)
{
    if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT)
        return true;
    char name[16] = "";
    GetClassNameA(child, name, sizeof(name));
    return lstrcmpiA(name, "Button") == 0 && (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The type of the object a skinner draws with; 0 for none.
int SkinnedType(const CSkinWnd* skinner)
{
    return skinner && skinner->GetSkinObject() ? skinner->GetSkinObject()->GetType() : 0;
}

// Adds region to target and deletes it.
void AddRegion(HRGN target, HRGN region)
{
    if (region) {
        CombineRgn(target, target, region, RGN_OR);
        DeleteObject(region);
    }
}

} // namespace

CSkinWnd::CSkinWnd()
    : m_hwnd(NULL), m_savedProc(NULL), m_unicode(false), m_beingDestroyed(0), m_captionTextOn(1), m_regionFlag(0),
      m_transparentColour(0xFF00FF), m_windowRegion(NULL), m_activeCaption(true), m_borrowingStyle(false)
{
    memset(m_layout, 0, sizeof(m_layout));
}

CSkinWnd::~CSkinWnd()
{
    DeleteElements();
}

CSkinWnd* CSkinWnd::FromHandle(HWND hwnd)
{
    return (CSkinWnd*)SkinnerProperty().Get(hwnd);
}

CSkinStore* CSkinWnd::GetStore() const
{
    return m_object ? m_object->GetStore() : NULL;
}

CSkinShapeObject* CSkinWnd::GetShape() const
{
    if (!m_object)
        return NULL;
    switch (m_object->GetType()) {
    case sotFrameWnd: case sotPopupMenu: case sotTooltip: case sotShape:
        return static_cast<CSkinShapeObject*>(m_object);
    default:
        return NULL;
    }
}

void CSkinWnd::DeleteElements()
{
    for (size_t i = 0; i < m_elements.size(); ++i)
        delete m_elements[i];
    m_elements.clear();
}

CSkinObject* CSkinWnd::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinRoot::SetSkinObject(object);
    DeleteElements();
    CSkinStore* store = object ? object->GetStore() : NULL;
    if (!store)
        return previous;

    CSkinObject* application = store->FindFirstOfType(sotApplication);
    m_regionFlag = application ? (int)static_cast<CSkinApplicationObject*>(application)->m_regionFlag : 0;
    m_transparentColour = application ? application->m_colour3 : 0xFF00FF;
    m_captionTextOn = 1;

    const CSkinObject::ChildMap& children = object->GetChildren();
    for (CSkinObject::ChildMap::const_iterator it = children.begin(); it != children.end(); ++it) {
        CSkinObject* child = it->second;
        if (child->GetType() == sotCaptionButton) {
            m_elements.push_back(new CSkinCaptionButton(this, static_cast<CSkinCaptionButtonObject*>(child)));
        } else if (child->GetType() == sotCaptionStatic) {
            m_elements.push_back(new CSkinCaptionStatic(this, static_cast<CSkinCaptionStaticObject*>(child)));
            if (child->m_value1 == 1)
                m_captionTextOn = 0;
        }
    }
    if (m_hwnd)
        SkinChildren(m_hwnd, object);
    if (CSkinShapeObject* shape = GetShape())
        memcpy(m_layout, shape->m_layout, sizeof(m_layout));
    if (m_hwnd) {
        // Elements made for a window that is already attached follow its
        // style and size at once.
        UpdateCaptionButtons();
        RECT window;
        GetWindowRect(window);
        FitFrame(RectWidth(window), RectHeight(window));
        LayoutElements(RectWidth(window), RectHeight(window));
    }
    return previous;
}

BOOL CSkinWnd::Attach(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    m_hwnd = hwnd;
    SkinChildren(hwnd, m_object);
    m_unicode = IsWindowUnicode(hwnd) != FALSE;
    m_savedProc = GetSkinWindowProc(hwnd, m_unicode);
    SkinnerProperty().Set(hwnd, (HANDLE)this);
    // A window made without the creation hook is seen here first.
    NoteSkinWindowsChanged();
    UpdateCaptionButtons();
    m_activeCaption = GetActiveWindow() == hwnd;
    if (!SetSkinWindowProc(hwnd, m_unicode, SharedWindowProc)) {
        m_savedProc = NULL;
        return FALSE;
    }
    if (m_object) {
        RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    }
    return TRUE;
}

void CSkinWnd::RestoreWindowProc()
{
    if (m_hwnd && m_savedProc) {
        if (GetSkinWindowProc(m_hwnd, m_unicode) == SharedWindowProc) {
            SetSkinWindowProc(m_hwnd, m_unicode, m_savedProc);
        } else {
            // Subclassed again after us: the later procedure keeps calling
            // the shared one, which now passes everything on.
            SetPropA(m_hwnd, m_unicode ? s_chainW : s_chainA, (HANDLE)m_savedProc);
        }
    }
    if (m_hwnd)
        SkinnerProperty().Remove(m_hwnd);
    m_savedProc = NULL;
}

void CSkinWnd::SetRegion(HRGN region, BOOL redraw)
{
    if (!m_hwnd) {
        if (region)
            DeleteObject(region);
        return;
    }
    if (!SetWindowRgn(m_hwnd, region, redraw)) {
        // Not taken: still ours to free.
        if (region)
            DeleteObject(region);
        region = NULL;
    }
    m_windowRegion = region;
}

// Removes the skins of the window's descendants that this skinner skinned,
// deepest first.
static void RemoveChildSkins(HWND parent, std::map<HWND, CSkinWnd*>& children, CSkinManager& manager)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RemoveChildSkins(child, children, manager);
        if (children.erase(child))
            manager.RemoveSkin(child, CSkinManager::RemoveDetach);
    }
}

void CSkinWnd::Detach()
{
    CSkinManager& manager = GetSkinManager();
    if (m_hwnd)
        RemoveChildSkins(m_hwnd, m_children, manager);
    // Children that moved elsewhere are let go all the same.
    while (!m_children.empty()) {
        HWND child = m_children.begin()->first;
        m_children.erase(m_children.begin());
        manager.RemoveSkin(child, CSkinManager::RemoveDetach);
    }
    if (!m_hwnd)
        return;
    if (!m_beingDestroyed && m_windowRegion) {
        SetWindowRgn(m_hwnd, NULL, TRUE);
        m_windowRegion = NULL;
    }
    RestoreWindowProc();
    if (!m_beingDestroyed)
        SetWindowPos(m_hwnd, NULL, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    m_hwnd = NULL;
}

LRESULT CSkinWnd::CallSaved(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_savedProc)
        return m_unicode ? DefWindowProcW(m_hwnd, message, wParam, lParam)
                         : DefWindowProcA(m_hwnd, message, wParam, lParam);
    return CallSkinWindowProc(m_unicode, m_savedProc, m_hwnd, message, wParam, lParam);
}

LRESULT CSkinWnd::CallSavedWithStyle(DWORD style, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = m_hwnd;
    const LONG saved = GetWindowLongA(hwnd, GWL_STYLE);
    m_borrowingStyle = true;
    SetWindowLongA(hwnd, GWL_STYLE, (LONG)style);
    m_borrowingStyle = false;
    const LRESULT result = CallSaved(message, wParam, lParam);
    // The call may have destroyed the window or removed the skin.
    if (IsWindow(hwnd)) {
        const bool mine = FromHandle(hwnd) == this;
        if (mine)
            m_borrowingStyle = true;
        SetWindowLongA(hwnd, GWL_STYLE, saved);
        if (mine)
            m_borrowingStyle = false;
    }
    return result;
}

void CSkinWnd::OnNcDestroy()
{
    // The skinner is deleted before the window's own procedure sees the
    // message: everything that call needs is copied first.
    HWND hwnd = m_hwnd;
    WNDPROC saved = m_savedProc;
    const bool unicode = m_unicode;
    m_beingDestroyed = 1;
    GetSkinManager().RemoveSkin(hwnd, CSkinManager::RemoveDestroyed);
    if (saved)
        CallSkinWindowProc(unicode, saved, hwnd, WM_NCDESTROY, 0, 0);
}

LRESULT CSkinWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        OnShowWindow(wParam, lParam);
        return CallSaved(message, wParam, lParam);
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    case WM_CTLCOLOREDIT: {
        CSkinWnd* control = GetSkinManager().FindSkinner((HWND)lParam);
        HBRUSH brush = SkinnedType(control) == sotEdit ? control->GetControlColour((HDC)wParam) : NULL;
        return brush ? (LRESULT)brush : CallSaved(message, wParam, lParam);
    }
    case WM_CTLCOLORLISTBOX:
        if (SkinnedType(GetSkinManager().FindSkinner((HWND)lParam)) == sotListBox)
            return SendMessageA((HWND)lParam, message, wParam, lParam);
        return CallSaved(message, wParam, lParam);
    case WM_SKIN_FORGET_CHILD:
        ForgetChild((HWND)wParam);
        return 0;
    case WM_SKIN_MENU_KEY:
        return OnMenuKey(wParam, lParam);
    default:
        return CallSaved(message, wParam, lParam);
    }
}

LRESULT CALLBACK CSkinWnd::SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The kept child lists change with windows coming, going and changing
    // places in the Z order.
    if ((message == WM_WINDOWPOSCHANGED && !(((const WINDOWPOS*)lParam)->flags & SWP_NOZORDER))
        || (message == WM_PARENTNOTIFY && (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)))
        NoteSkinWindowsChanged();
    CSkinWnd* skinner = FromHandle(hwnd);
    if (skinner)
        return skinner->WindowProc(message, wParam, lParam);
    for (int unicode = 0; unicode < 2; ++unicode) {
        const char* name = unicode ? s_chainW : s_chainA;
        if (WNDPROC next = (WNDPROC)GetPropA(hwnd, name)) {
            if (message == WM_NCDESTROY)
                RemovePropA(hwnd, name);
            return CallSkinWindowProc(unicode != 0, next, hwnd, message, wParam, lParam);
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

CSkinObject* CSkinWnd::FindControlObject(CSkinObject* parent, int id, int type)
{
    if (!parent)
        return NULL;
    const CSkinObject::ChildMap& children = parent->GetChildren();
    for (CSkinObject::ChildMap::const_iterator it = children.begin(); it != children.end(); ++it) {
        CSkinObject* child = it->second;
        if (child->GetType() == type && child->IsFontObject()
            && (int)((CSkinFontObject*)child)->m_controlId == id)
            return child;
    }
    return NULL;
}

void CSkinWnd::SkinChildren(HWND parent, CSkinObject* object)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SkinChild(child, object);
}

BOOL CSkinWnd::SkinChild(HWND child, CSkinObject* object)
{
    SkinChildren(child, object);
    CSkinManager& manager = GetSkinManager();
    const int type = manager.ControlTypeOfWindow(child);
    if (type == 0)
        return FALSE;
    const int id = (int)GetWindowLongA(child, GWL_ID);
    CSkinStore* store = manager.GetStore();
    // Link windows draw with Static objects.
    const int objectType = type == sotLinkWnd ? sotStatic : type;
    CSkinObject* found = FindControlObject(object, id, objectType);
    if (!found && store)
        found = store->FindFirstOfType(objectType);
    std::map<HWND, CSkinWnd*>::iterator known = m_children.find(child);
    if (found && known == m_children.end()) {
        CSkinWnd* skinner = manager.CreateControlSkinner(type, this);
        if (!skinner)
            return TRUE;
        if (!manager.AddSkinner(skinner, child)) {
            delete skinner;
            return TRUE;
        }
        skinner->SetSkinObject(found);
        m_children[child] = skinner;
        if (!skinner->Attach(child)) {
            // Refused (the parent's veto, an owner-drawn button): no skinner
            // stays behind for it.
            m_children.erase(child);
            manager.RemoveSkin(child, CSkinManager::RemoveDetach);
        }
    } else if (found) {
        if (known->second == manager.FindSkinner(child) && known->second->GetHwnd() == child)
            known->second->SetSkinObject(found);
        else
            m_children.erase(known);
    } else if (known != m_children.end()) {
        m_children.erase(known);
        manager.RemoveSkin(child, CSkinManager::RemoveDetach);
    }
    return TRUE;
}

// ---------------------------------------------------------------- frame

void CSkinWnd::GetWindowRect(RECT& rect) const
{
    if (!m_hwnd || !::GetWindowRect(m_hwnd, &rect))
        SetRectEmpty(&rect);
}

RECT CSkinWnd::GetBorderSizes() const
{
    RECT none = {0, 0, 0, 0};
    return none;
}

void CSkinWnd::FitFrame(int width, int height)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape)
        return;
    memcpy(m_layout, shape->m_layout, sizeof(m_layout));
    const RECT design = shape->GetDesignRect();
    const int dW = width - design.right, dH = height - design.bottom;
    for (int part = 0; part < PartCount; ++part) {
        const int column = part % 3, row = part / 3;
        if (column == 1)
            m_layout[part].right += dW;
        else if (column == 2)
            OffsetRect(&m_layout[part], dW, 0);
        if (row == 1)
            m_layout[part].bottom += dH;
        else if (row == 2)
            OffsetRect(&m_layout[part], 0, dH);
    }
}

LRESULT CSkinWnd::HitTestFrame(POINT p, bool sizable, LRESULT outside) const
{
    const RECT* l = m_layout;
    if (PtInRect(&l[Centre], p))
        return HTCLIENT;
    if (PtInRect(&l[TopLeft], p))
        return sizable && p.x < l[TopLeft].left + CornerSize && p.y < l[TopLeft].top + CornerSize ? HTTOPLEFT
                                                                                                 : HTCAPTION;
    if (PtInRect(&l[Top], p))
        return sizable && p.y < l[Top].top + CornerSize ? HTTOP : HTCAPTION;
    if (PtInRect(&l[TopRight], p))
        return sizable && p.x >= l[TopRight].right - CornerSize && p.y < l[TopRight].top + CornerSize ? HTTOPRIGHT
                                                                                                     : HTCAPTION;
    if (PtInRect(&l[Right], p))
        return sizable ? HTRIGHT : HTNOWHERE;
    if (PtInRect(&l[Left], p))
        return sizable ? HTLEFT : HTNOWHERE;
    if (PtInRect(&l[BottomRight], p))
        return !sizable ? HTNOWHERE
               : p.x >= l[BottomRight].right - CornerSize && p.y >= l[BottomRight].bottom - CornerSize ? HTBOTTOMRIGHT
                                                                                                        : HTBOTTOM;
    if (PtInRect(&l[BottomLeft], p))
        return !sizable ? HTNOWHERE
               : p.x < l[BottomLeft].left + CornerSize && p.y >= l[BottomLeft].bottom - CornerSize ? HTBOTTOMLEFT
                                                                                                    : HTBOTTOM;
    if (PtInRect(&l[Bottom], p))
        return sizable ? HTBOTTOM : HTNOWHERE;
    return outside;
}

HRGN CSkinWnd::WindowUpdateClip(HRGN update) const
{
    if ((ULONG_PTR)update <= 1 || IsMirroredWindow(m_hwnd))
        return NULL;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    if (clip && CombineRgn(clip, update, NULL, RGN_COPY) != ERROR) {
        OffsetRgn(clip, -window.left, -window.top);
        return clip;
    }
    if (clip)
        DeleteObject(clip);
    return NULL;
}

void CSkinWnd::CopyFrameStrips(HDC windowDc, HDC frame, int w, int h) const
{
    const RECT b = GetBorderSizes();
    BitBlt(windowDc, 0, 0, w, b.top, frame, 0, 0, SRCCOPY);
    BitBlt(windowDc, 0, h - b.bottom, w, b.bottom, frame, 0, h - b.bottom, SRCCOPY);
    BitBlt(windowDc, 0, b.top, b.left, h - b.top - b.bottom, frame, 0, b.top, SRCCOPY);
    BitBlt(windowDc, w - b.right, b.top, b.right, h - b.top - b.bottom, frame, w - b.right, b.top, SRCCOPY);
}

CSkinMemDC* CSkinWnd::RenderBackground(const RECT& client) const
{
    CSkinShapeObject* shape = GetShape();
    if (!shape || !m_hwnd)
        return NULL;
    HDC screen = ::GetDC(m_hwnd);
    CSkinMemDC* picture =
        new CSkinMemDC(screen, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
    ::ReleaseDC(m_hwnd, screen);
    if (!picture->IsValid()) {
        delete picture;
        return NULL;
    }
    DrawSkinImagePart(GetStore(), *picture, client, shape->m_frameImages[Centre], shape->m_clientColour, TRUE,
                      IsMirroredWindow(m_hwnd));
    return picture;
}

void CSkinWnd::CopyBackgroundTo(HDC dc) const
{
    if (!m_background || !m_hwnd)
        return;
    RECT client, box;
    GetClientRect(m_hwnd, &client);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    ExcludeWindowsFromClip(dc, m_hwnd, m_hwnd, NULL, ShowsParentThrough);
    if (GetClipBox(dc, &box) != NULLREGION)
        BitBlt(dc, box.left, box.top, RectWidth(box), RectHeight(box), *m_background, box.left, box.top, SRCCOPY);
    RestoreDC(dc, saved);
}

LRESULT CSkinWnd::CopyBackgroundUnder(HDC dc, HWND child) const
{
    if (!m_background || !IsWindow(child))
        return 0;
    RECT rect;
    GetClientRect(child, &rect);
    MapWindowPoints(child, m_hwnd, (POINT*)&rect, 2);
    BitBlt(dc, 0, 0, RectWidth(rect), RectHeight(rect), *m_background, rect.left, rect.top, SRCCOPY);
    return 1;
}

LRESULT CSkinWnd::OnCtlColorStatic(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND control = (HWND)lParam;
    HDC dc = (HDC)wParam;
    CSkinManager& manager = GetSkinManager();
    CSkinWnd* skinner = manager.FindSkinner(control);
    if (!skinner) {
        // An edit control (read-only ones ask here) paints its own
        // background: with a hollow brush its old text would stay behind.
        const int type = manager.ControlTypeOfWindow(control);
        if (type == sotEdit || type == sotRichEdit)
            return CallSaved(message, wParam, lParam);
        SetBkMode(dc, TRANSPARENT);
        return (LRESULT)GetStockObject(NULL_BRUSH);
    }
    const int type = SkinnedType(skinner);
    if (type == sotStatic) {
        SetBkMode(dc, TRANSPARENT);
        return (LRESULT)GetStockObject(NULL_BRUSH);
    }
    if (type == sotEdit) {
        if (HBRUSH brush = skinner->GetControlColour(dc))
            return (LRESULT)brush;
    }
    return CallSaved(message, wParam, lParam);
}

void CSkinWnd::UpdateCaptionButtons()
{
    if (!m_hwnd)
        return;
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    for (size_t i = 0; i < m_elements.size(); ++i)
        m_elements[i]->FollowWindowStyle(style);
}

void CSkinWnd::LayoutElements(int width, int height)
{
    for (size_t i = 0; i < m_elements.size(); ++i)
        m_elements[i]->Anchor(width, height);
}

void CSkinWnd::DrawElements(HDC dc)
{
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i]->IsVisible())
            m_elements[i]->Draw(dc);
}

CSkinElement* CSkinWnd::ElementAt(POINT point) const
{
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i]->HitTest(point))
            return m_elements[i];
    return NULL;
}

BOOL CSkinWnd::RouteMouseToElements(UINT message, POINT point)
{
    CSkinElement* element = ElementAt(point);
    if (!element)
        return FALSE;
    switch (message) {
    case WM_MOUSEMOVE: return element->OnMouseMove(point);
    case WM_LBUTTONDOWN: return element->OnLButtonDown(point, (DWORD)GetMessageTime());
    case WM_RBUTTONDOWN: return element->OnRButtonDown(point);
    case WM_LBUTTONUP: return element->OnLButtonUp(point);
    case WM_RBUTTONUP: return element->OnRButtonUp(point);
    case WM_LBUTTONDBLCLK: return element->OnLButtonDblClk(point);
    default: return FALSE;
    }
}

void CSkinWnd::DrawFramePart(HDC dc, int part, bool active)
{
    CSkinShapeObject* shape = GetShape();
    const RECT& rect = m_layout[part];
    if (!shape || RectWidth(rect) <= 0 || RectHeight(rect) <= 0)
        return;
    SkinImageRef image = shape->m_frameImages[part];
    if (!active && !IsImagePartEmpty(shape->m_frameImages[9 + part]))
        image = shape->m_frameImages[9 + part];
    const COLORREF fill = active ? shape->m_activeColour : shape->m_inactiveColour;
    // A natural-size picture smaller than its part leaves the rest: the
    // part's colour is under it.
    if (image.mode == SkinDrawNatural)
        FillSolidRect(dc, rect, fill);
    DrawSkinImagePart(GetStore(), dc, rect, image, fill, TRUE, m_hwnd && IsMirroredWindow(m_hwnd));
}

void CSkinWnd::DrawFrame(HDC dc, bool active)
{
    if (!m_hwnd || !IsIconic(m_hwnd)) {
        DrawFramePart(dc, Left, active);
        DrawFramePart(dc, Right, active);
    }
    static const int others[] = {TopLeft, Top, TopRight, BottomLeft, Bottom, BottomRight};
    for (size_t i = 0; i < sizeof(others) / sizeof(others[0]); ++i)
        DrawFramePart(dc, others[i], active);
    DrawCaptionText(dc);
    DrawFrameExtra(dc, active);
}

void CSkinWnd::DrawMinimized(HDC dc, bool active)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape)
        return;
    RECT window;
    GetWindowRect(window);
    const RECT local = {0, 0, RectWidth(window), RectHeight(window)};
    const SkinImageGrid& grid = active || !shape->m_grids[1].name[0] ? shape->m_grids[0] : shape->m_grids[1];
    DrawSkinNineGrid(GetStore(), dc, local, grid, active ? shape->m_activeColour : shape->m_inactiveColour, TRUE,
                     m_hwnd && IsMirroredWindow(m_hwnd));
    DrawCaptionText(dc);
    DrawElements(dc);
}

void CSkinWnd::DrawCaptionText(HDC dc)
{
    CSkinShapeObject* shape = GetShape();
    if (!shape || !m_captionTextOn || !m_hwnd)
        return;
    char text[CaptionTextLength + 1] = "";
    GetWindowTextA(m_hwnd, text, sizeof(text));
    HFONT font = CreateFontIndirectA(&shape->m_captionFont.font);
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, shape->m_captionFont.colour);
    if (font)
        SelectObject(dc, font);
    const DWORD exStyle = (DWORD)GetWindowLongA(m_hwnd, GWL_EXSTYLE);
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (exStyle & WS_EX_RTLREADING)
        format |= DT_RTLREADING;
    if (exStyle & WS_EX_RIGHT)
        format |= DT_RIGHT;
    RECT rect = m_layout[Top];
    DrawTextA(dc, text, -1, &rect, format);
    RestoreDC(dc, saved);
    if (font)
        DeleteObject(font);
}

HRGN CSkinWnd::BuildWindowRegion()
{
    CSkinShapeObject* shape = GetShape();
    if (!m_regionFlag || !shape)
        return NULL;
    if (m_hwnd && IsIconic(m_hwnd) && shape->m_grids[0].name[0]) {
        RECT window;
        GetWindowRect(window);
        return CreateRectRgn(0, 0, RectWidth(window), RectHeight(window));
    }
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region)
        return NULL;
    for (int part = 0; part < PartCount; ++part) {
        const RECT& rect = m_layout[part];
        if (RectWidth(rect) <= 0 || RectHeight(rect) <= 0)
            continue;
        const SkinImagePiece& piece = shape->GetImagePiece(part);
        const SkinImageRef& image = shape->m_frameImages[part];
        const int pw = piece.image ? (int)piece.image->GetWidth() : 0;
        const int ph = piece.image ? (int)piece.image->GetHeight() : 0;
        if (!piece.region || pw <= 0 || ph <= 0) {
            AddRegion(region, CreateRectRgnIndirect(&rect));
        } else if (image.mode == SkinDrawNatural) {
            // The picture's shape where it lies, the part's rectangle
            // beyond it.
            HRGN shaped = CreateRectRgnIndirect(&rect);
            HRGN copy = CreateRectRgn(0, 0, 0, 0);
            HRGN covered = CreateRectRgn(rect.left, rect.top, rect.left + pw, rect.top + ph);
            if (shaped && copy && covered) {
                CombineRgn(copy, piece.region, NULL, RGN_COPY);
                OffsetRgn(copy, rect.left, rect.top);
                CombineRgn(shaped, shaped, covered, RGN_DIFF);
                CombineRgn(copy, copy, covered, RGN_AND);
                CombineRgn(shaped, shaped, copy, RGN_OR);
            }
            if (copy)
                DeleteObject(copy);
            if (covered)
                DeleteObject(covered);
            AddRegion(region, shaped);
        } else if (image.mode == SkinDrawTile) {
            AddRegion(region, TileRegion(piece.region, pw, ph, rect));
        } else {
            AddRegion(region, TransformRegion(piece.region, (float)RectWidth(rect) / pw, (float)RectHeight(rect) / ph,
                                              rect.left, rect.top));
        }
    }
    for (size_t i = 0; i < m_elements.size(); ++i)
        m_elements[i]->CombineRegion(region);
    return region;
}
