#include "skin/core/skinwnd.h"

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/objects/skinobject.h"

const char SKIN_OBJECT_PROP[] = "OBJECT";

// The window procedure calls in the window's own character set.
static LONG_PTR SetWindowProc(HWND hwnd, bool unicode, WNDPROC proc)
{
    return unicode ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)proc)
                   : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)proc);
}

static LRESULT CallProc(bool unicode, WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return unicode ? CallWindowProcW(proc, hwnd, message, wParam, lParam)
                   : CallWindowProcA(proc, hwnd, message, wParam, lParam);
}

CSkinWnd::CSkinWnd() : m_object(NULL), m_hwnd(NULL), m_savedProc(NULL), m_unicode(false), m_beingDestroyed(0)
{
}

CSkinWnd::~CSkinWnd()
{
}

CSkinObject* CSkinWnd::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = m_object;
    m_object = object;
    return previous;
}

CSkinWnd* CSkinWnd::FromHandle(HWND hwnd)
{
    return (CSkinWnd*)GetPropA(hwnd, SKIN_OBJECT_PROP);
}

BOOL CSkinWnd::Attach(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    m_hwnd = hwnd;
    SkinChildren(hwnd, m_object);
    m_unicode = IsWindowUnicode(hwnd) != FALSE;
    SetPropA(hwnd, SKIN_OBJECT_PROP, (HANDLE)this);
    LONG_PTR previous = SetWindowProc(hwnd, m_unicode, SharedWindowProc);
    if (!previous)
        return FALSE;
    m_savedProc = (WNDPROC)previous;
    if (m_object) {
        RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    }
    return TRUE;
}

void CSkinWnd::RestoreWindowProc()
{
    if (m_hwnd && m_savedProc)
        SetWindowProc(m_hwnd, m_unicode, m_savedProc);
    if (m_hwnd)
        RemovePropA(m_hwnd, SKIN_OBJECT_PROP);
    m_savedProc = NULL;
}

void CSkinWnd::Detach()
{
    CSkinManager& manager = GetSkinManager();
    for (HWND child = m_hwnd ? GetWindow(m_hwnd, GW_CHILD) : NULL; child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (m_children.count(child)) {
            m_children.erase(child);
            manager.RemoveSkin(child, CSkinManager::RemoveDetach);
        }
    }
    while (!m_children.empty()) {
        HWND child = m_children.begin()->first;
        m_children.erase(m_children.begin());
        manager.RemoveSkin(child, CSkinManager::RemoveDetach);
    }
    if (!m_hwnd)
        return;
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
    return CallProc(m_unicode, m_savedProc, m_hwnd, message, wParam, lParam);
}

LRESULT CSkinWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCDESTROY: {
        // The skinner goes before the window's own procedure sees the
        // message; that procedure is the saved one by then.
        HWND hwnd = m_hwnd;
        WNDPROC saved = m_savedProc;
        bool unicode = m_unicode;
        m_beingDestroyed = 1;
        GetSkinManager().RemoveSkin(hwnd, CSkinManager::RemoveDestroyed);
        if (saved)
            CallProc(unicode, saved, hwnd, WM_NCDESTROY, 0, 0);
        return 0;
    }
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
    CSkinWnd* skinner = FromHandle(hwnd);
    if (skinner)
        return skinner->WindowProc(message, wParam, lParam);
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
