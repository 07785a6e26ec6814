#pragma once
// CSkinWnd: the root of every skinner. A skinner attaches to one existing
// window: it keeps the skin object it draws with, links itself to the window
// through the property "OBJECT", replaces the window procedure (in the
// window's own character set) and gives the window's child controls control
// skinners through the manager. The drawing skinners derive from it and
// override the window procedure and the set-object, attach and detach
// operations.

#include <windows.h>

#include <map>

class CSkinObject;

// Private messages of the window skinners.
const UINT WM_SKIN_FORGET_CHILD = 6035;
const UINT WM_SKIN_MENU_KEY = 6036;

class CSkinWnd
{
public:
    CSkinWnd();
    virtual ~CSkinWnd();

    // Swaps the object and returns the previous one.
    virtual CSkinObject* SetSkinObject(CSkinObject* object);
    virtual BOOL Attach(HWND hwnd);
    virtual void Detach();
    // Whether a skin switch that finds no object keeps this skinner.
    virtual BOOL KeepWithoutObject() { return FALSE; }
    // Answer to WM_SKIN_MENU_KEY: non-zero swallows the key.
    virtual LRESULT OnMenuKey(WPARAM, LPARAM) { return 0; }
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    CSkinObject* GetSkinObject() const { return m_object; }
    HWND GetHwnd() const { return m_hwnd; }
    // Windows of the popup-menu and tooltip classes are made for their
    // object; the host procedure records the window here.
    void SetHostWindow(HWND hwnd) { m_hwnd = hwnd; }

    // Skins each child window of parent (depth first) with object's child
    // objects, or the store's first object of the child's type.
    void SkinChildren(HWND parent, CSkinObject* object);
    // FALSE when the window is of no control class.
    BOOL SkinChild(HWND child, CSkinObject* object);
    void ForgetChild(HWND child) { m_children.erase(child); }

    // The destroyed-window removal: the saved procedure goes back and the
    // property is removed, nothing else is touched.
    void RestoreWindowProc();
    bool IsBeingDestroyed() const { return m_beingDestroyed != 0; }

    static LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CSkinWnd* FromHandle(HWND hwnd);

protected:
    LRESULT CallSaved(UINT message, WPARAM wParam, LPARAM lParam);
    static CSkinObject* FindControlObject(CSkinObject* parent, int id, int type);

    CSkinObject* m_object;
    HWND m_hwnd;
    WNDPROC m_savedProc;
    bool m_unicode;
    std::map<HWND, CSkinWnd*> m_children;
    int m_beingDestroyed;

private:
    CSkinWnd(const CSkinWnd&);
    CSkinWnd& operator=(const CSkinWnd&);
};

extern const char SKIN_OBJECT_PROP[];
