#pragma once
// CSkinManager: the process-wide registry of the skin toolkit: the current
// skin (always a store: an empty one until a skin is installed), one skinner
// per skinned window, the window-class table and the skinner factory.

#include <windows.h>

#include <map>
#include <string>

#include "skin/core/skinlock.h"

class CSkinStore;
class CSkinWnd;
class CSkinObject;

// Makes the skinners of the window kinds. The built-in factory is the one
// place that answers which skinners exist; tests put their own in.
class ISkinnerFactory
{
public:
    virtual ~ISkinnerFactory() {}
    virtual CSkinWnd* CreateDialogSkinner() = 0;
    virtual CSkinWnd* CreateFrameSkinner() = 0;
    virtual CSkinWnd* CreateControlSkinner(int type, CSkinWnd* parent) = 0;
};

ISkinnerFactory& GetBuiltinSkinnerFactory();

class CSkinManager
{
public:
    enum RemoveMode { RemoveDetach = 0, RemoveDestroyed = 1 };
    // The error a refused skinning call reports: the object is missing, of
    // a type that does not fit, or its skinner could not attach.
    enum { ErrorNoObject = 8 };

    CSkinManager();
    ~CSkinManager();

    CSkinStore* GetStore() const { return m_store; }
    CSkinWnd* FindSkinner(HWND hwnd);
    CSkinWnd* FindSkinnedAncestor(HWND hwnd);
    int ControlTypeOfWindow(HWND hwnd) const;
    CSkinWnd* CreateControlSkinner(int type, CSkinWnd* parent);

    // Each answers 1 or 0; error (when given) receives ErrorNoObject for
    // the failures a caller reports, and is left alone otherwise.
    BOOL SetWindowSkin(HWND hwnd, LPCSTR name, int* error = NULL);
    BOOL SetControlSkin(HWND hwnd, LPCSTR name, LPCSTR container, int* error = NULL);
    BOOL SetFrameSkin(HWND hwnd, LPCSTR name);
    BOOL SkinFloatingToolbar(HWND hwnd);
    BOOL AddSkinner(CSkinWnd* skinner, HWND hwnd);
    void SetSkinnerIfAbsent(CSkinWnd* skinner, HWND hwnd) { AddSkinner(skinner, hwnd); }
    BOOL RemoveSkin(HWND hwnd, int mode);
    BOOL InstallStore(CSkinStore* store);
    void RemoveAll();

    // The current skin's replacement of a system colour, read under the
    // manager's lock; false when the skin offers no colour table.
    bool GetSkinSysColor(int index, COLORREF* colour);

    // NULL puts the built-in factory back.
    void SetSkinnerFactory(ISkinnerFactory* factory);
    size_t GetSkinnerCount();

    static bool IsWindowObjectType(int type);
    static bool IsControlObjectType(int type);

private:
    CSkinManager(const CSkinManager&);
    CSkinManager& operator=(const CSkinManager&);

    // Enters, attaches; a skinner that cannot attach leaves the map again.
    BOOL EnterAndAttach(CSkinWnd* skinner, HWND hwnd, CSkinObject* object);

    CSkinLock m_lock;
    std::map<HWND, CSkinWnd*> m_windows;
    std::map<std::string, int> m_classes;
    CSkinStore* m_store;
    ISkinnerFactory* m_factory;
};
