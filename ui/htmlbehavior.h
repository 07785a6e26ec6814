#pragma once
// Named behaviours of HTML layout pages: an element whose style names a
// behaviour ("behavior: name") is served by the registered behaviour of that
// name, which receives the element's events by group. Behaviours register
// themselves at construction in one process-wide list (newest first) and
// leave it when destroyed.

#include "platform/html/htmlayout.h"

#include <windows.h>

class CHtmlBehavior
{
public:
    // Event groups, as the element procedure receives them.
    enum
    {
        HandleInitialization = 0,
        HandleMouse = 1,
        HandleKey = 2,
        HandleFocus = 4,
        HandleTimer = 16,
        HandleSize = 32,
        HandleDraw = 64,
        HandleDataArrived = 128,
        HandleBehaviorEvent = 256,
        HandleMethodCall = 512,
    };

    CHtmlBehavior(UINT events, LPCSTR name);
    virtual ~CHtmlBehavior();
    CHtmlBehavior(const CHtmlBehavior&) = delete;
    CHtmlBehavior& operator=(const CHtmlBehavior&) = delete;

    // The behaviour registered under exactly this name (case counts), as
    // its GetInstance gives it for the element; NULL when none.
    static CHtmlBehavior* Find(LPCSTR name, HELEMENT he);
    // Puts a behaviour at the head of the list when given; the head.
    static CHtmlBehavior* GetListHead(CHtmlBehavior* add = nullptr);

    // The element procedure the layout control hands the library for
    // elements this behaviour serves (tag: the behaviour).
    static BOOL CALLBACK ElementProc(LPVOID tag, HELEMENT he, UINT evtg, LPVOID prms);

    UINT Events() const { return m_events; }
    LPCSTR Name() const { return m_name; }
    CHtmlBehavior* Next() const { return m_next; }

    // Initialization commands.
    virtual void Attached(HELEMENT) {}
    virtual void Detached(HELEMENT) {}
    // The object that serves one element: this one, shared by all.
    virtual CHtmlBehavior* GetInstance(HELEMENT) { return this; }
    virtual BOOL OnMouse(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnKey(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnFocus(HELEMENT, LPVOID) { return FALSE; }
    virtual void OnSize(HELEMENT) {}
    virtual BOOL OnDraw(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnMethodCall(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnEvent(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnDataArrived(HELEMENT, LPVOID) { return FALSE; }
    virtual BOOL OnTimer(HELEMENT) { return FALSE; }

private:
    UINT m_events;
    CHtmlBehavior* m_next;
    LPCSTR m_name;
};
