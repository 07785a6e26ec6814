#pragma once
// Per-thread state of the window framework: the current message of the
// window procedure (for CWnd::Default), the window being created, the map
// from window handles to their CWnd objects, and the temporary wrapper
// objects that FromHandle hands out for handles no object owns. Windows,
// menus and device contexts belong to one thread, and so do these maps.

#include <windows.h>

#include <map>
#include <typeindex>
#include <unordered_map>
#include <utility>

class CWnd;

// A temporary wrapper made by FromHandle; it never owns its handle.
class CAfxTempObject
{
public:
    virtual ~CAfxTempObject() = default;
    // TRUE when the handle no longer names a live object.
    virtual bool IsStale() const = 0;
};

struct AFX_THREAD_STATE
{
    MSG lastSentMsg = {};           // the message the window procedure is handling
    CWnd* pWndInit = nullptr;       // the object waiting for its window to be created
    HHOOK hCbtHook = nullptr;
    int cbtHookUsers = 0;
    int loopDepth = 0;              // message loops of the framework running on the thread
    std::unordered_map<HWND, CWnd*> permanentWnds;
    std::map<std::pair<const void*, std::type_index>, CAfxTempObject*> temporaries;

    ~AFX_THREAD_STATE();
};

AFX_THREAD_STATE& AfxGetThreadState();

// Frees the temporary wrappers whose handles have gone. Called when the
// outermost message loop of the thread is idle: no handler is running then,
// so no handler can still hold one of them.
void AfxPruneTempObjects();

// Traits of a wrapper class: how it takes and releases a handle and how a
// dead handle is recognised. Specialised next to each class.
template <class T>
struct AfxTempTraits;

template <class T>
class CAfxTempEntry : public CAfxTempObject
{
public:
    T object;
    ~CAfxTempEntry() override { AfxTempTraits<T>::Release(object); }
    bool IsStale() const override { return AfxTempTraits<T>::IsStale(object); }
};

// The thread's temporary T for the handle, made on first use; NULL for a
// NULL handle. Valid until the thread's outermost message loop next idles.
template <class T, class H>
T* AfxTempObject(H handle)
{
    if (handle == nullptr)
        return nullptr;
    CAfxTempObject*& slot = AfxGetThreadState().temporaries[{static_cast<const void*>(handle), typeid(T)}];
    if (slot == nullptr)
    {
        auto* entry = new CAfxTempEntry<T>;
        AfxTempTraits<T>::Wrap(entry->object, handle);
        slot = entry;
    }
    return &static_cast<CAfxTempEntry<T>*>(slot)->object;
}

// Marks the start and end of a framework message loop on this thread; the
// outermost one prunes the temporaries when it idles.
struct CAfxLoopScope
{
    CAfxLoopScope() { ++AfxGetThreadState().loopDepth; }
    ~CAfxLoopScope() { --AfxGetThreadState().loopDepth; }
    static bool IsOutermost() { return AfxGetThreadState().loopDepth == 1; }
};
