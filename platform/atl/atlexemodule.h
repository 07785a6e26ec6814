#pragma once
// The module of a local server (an executable that COM starts): its
// registration with its AppID script, its class objects for other
// processes, and, when COM started it, its end.

#include "platform/atl/atlbase.h"

#include <string>

class CAtlExeModule
{
public:
    // appIdScript: the "REGISTRY" resource of the AppID; appId: the AppID
    // GUID in braces, which every registry script sees as %APPID%.
    CAtlExeModule(UINT appIdScript, LPCOLESTR appId);
    ~CAtlExeModule();
    CAtlExeModule(const CAtlExeModule&) = delete;
    CAtlExeModule& operator=(const CAtlExeModule&) = delete;

    // The AppID script, then the class scripts of AtlModule()'s tables with
    // the type library; stops at the first failure.
    HRESULT RegisterServer(BOOL bRegTypeLib = TRUE);
    // The same, taken away in the same order; goes on past failures and
    // returns the first.
    HRESULT UnregisterServer(BOOL bUnRegTypeLib = TRUE);

    HRESULT RegisterClassObjects(DWORD context = CLSCTX_LOCAL_SERVER, DWORD flags = REGCLS_MULTIPLEUSE);
    HRESULT RevokeClassObjects();

    // Server mode. Call it on the thread that registered the class objects
    // and runs the message loop. When the last object of the module is
    // released, or when none is alive `idleTimeout` ms after this call (no
    // client came), the class objects are revoked and WM_QUIT is posted to
    // this thread; an object made meanwhile keeps the server going.
    HRESULT StartMonitor(DWORD idleTimeout);
    void StopMonitor();
    bool IsMonitoring() const { return m_monitor != nullptr; }

private:
    static LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void OnLastUnlock(void* context);
    void EndIfIdle();

    UINT m_appIdScript;
    std::wstring m_appId;
    DWORD m_context;
    DWORD m_flags;
    HWND m_monitor;
    bool m_ended;
};
