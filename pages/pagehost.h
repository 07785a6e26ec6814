#pragma once
// What the pages ask of the application: the engine's objects, the event
// dispatcher, the database facts, the dialog skin and the main window.
// CCleanwardenApp implements it and registers itself while it exists; the
// tests register a fake instead.

#include <windows.h>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/ctime.h"

class CEngineEventDispatcher;

class IPageHost
{
public:
    // A new reference to the application's scanner (null when none).
    virtual void GetScanner(CComPtr<IScanner>& scanner) = 0;
    // The application's own members, no new reference.
    virtual CComPtr<IQuarantine>* GetQuarantine() = 0;
    virtual CComPtr<IIgnoreList>* GetIgnoreList() = 0;
    virtual CEngineEventDispatcher* GetEventDispatcher() = 0;
    // A new engine object (Paths, Backup, ...) made the way the program makes
    // its own (class factory, all contexts).
    virtual HRESULT CreateEngineObject(REFCLSID clsid, REFIID iid, void** object) = 0;

    // Dialogs created from now on are skinned with this object; Apply goes
    // back to the default ("Dialog").
    virtual void SetDefaultDialogSkin(CString name) = 0;
    virtual void ApplyDefaultDialogSkin() = 0;
    // The link cursor pages set over their links (null before it is loaded).
    virtual HCURSOR GetLinkCursor() const = 0;

    // The signature database: its path, record count, date and date text.
    virtual void GetDefinitionsPath(CString& path) const = 0;
    virtual DWORD GetDefinitionsItemCount() = 0;
    virtual void GetDefinitionsDate(CTime& date) = 0;
    virtual void GetDatabaseDateText(CString& text) = 0;

    // The main window that pages and their threads post to; NULL when none.
    virtual HWND GetMainWindow() = 0;
    // The program's command line (without the program's name).
    virtual CString GetCommandLineText() = 0;

protected:
    ~IPageHost() {}
};

// Not owned. NULL while no application runs.
IPageHost* GetPageHost();
// Returns the previous host.
IPageHost* SetPageHost(IPageHost* host);
// The host's quarantine and ignore list, no new reference; null where there
// is no host or it has no such object.
IQuarantine* GetPageQuarantine();
IIgnoreList* GetPageIgnoreList();
