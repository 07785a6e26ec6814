#include "platform/atl/atlexemodule.h"

namespace {

const wchar_t kMonitorClass[] = L"CwAtlExeModuleMonitor";
const UINT WM_LAST_UNLOCK = WM_APP + 1;
const UINT_PTR kIdleTimer = 1;

} // namespace

CAtlExeModule::CAtlExeModule(UINT appIdScript, LPCOLESTR appId)
    : m_appIdScript(appIdScript), m_appId(appId), m_context(CLSCTX_LOCAL_SERVER),
      m_flags(REGCLS_MULTIPLEUSE), m_monitor(nullptr), m_ended(false)
{
    AtlModule().AddCommonReplacement(L"APPID", m_appId.c_str());
}

CAtlExeModule::~CAtlExeModule()
{
    StopMonitor();
}

HRESULT CAtlExeModule::RegisterServer(BOOL bRegTypeLib)
{
    HRESULT hr = AtlModule().UpdateRegistryFromResource(m_appIdScript, TRUE);
    if (FAILED(hr))
        return hr;
    return AtlModule().RegisterServer(bRegTypeLib);
}

HRESULT CAtlExeModule::UnregisterServer(BOOL bUnRegTypeLib)
{
    HRESULT first = AtlModule().UpdateRegistryFromResource(m_appIdScript, FALSE);
    HRESULT hr = AtlModule().UnregisterServer(bUnRegTypeLib);
    return FAILED(first) ? first : hr;
}

HRESULT CAtlExeModule::RegisterClassObjects(DWORD context, DWORD flags)
{
    m_context = context;
    m_flags = flags;
    return AtlModule().RegisterClassObjects(context, flags);
}

HRESULT CAtlExeModule::RevokeClassObjects()
{
    return AtlModule().RevokeClassObjects();
}

HRESULT CAtlExeModule::StartMonitor(DWORD idleTimeout)
{
    if (m_monitor)
        return S_FALSE;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CAtlExeModule::MonitorProc;
    wc.hInstance = AtlModule().GetModuleInstance();
    wc.lpszClassName = kMonitorClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return HRESULT_FROM_WIN32(GetLastError());
    m_monitor = CreateWindowExW(0, kMonitorClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                AtlModule().GetModuleInstance(), nullptr);
    if (!m_monitor)
        return HRESULT_FROM_WIN32(GetLastError());
    SetWindowLongPtrW(m_monitor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_ended = false;
    SetTimer(m_monitor, kIdleTimer, idleTimeout, nullptr);
    AtlModule().SetLastUnlockHandler(&CAtlExeModule::OnLastUnlock, this);
    return S_OK;
}

void CAtlExeModule::StopMonitor()
{
    if (!m_monitor)
        return;
    AtlModule().SetLastUnlockHandler(nullptr, nullptr);
    DestroyWindow(m_monitor);
    m_monitor = nullptr;
}

// Any thread may release the last object; the monitor's thread decides.
void CAtlExeModule::OnLastUnlock(void* context)
{
    CAtlExeModule* self = static_cast<CAtlExeModule*>(context);
    PostMessageW(self->m_monitor, WM_LAST_UNLOCK, 0, 0);
}

void CAtlExeModule::EndIfIdle()
{
    if (m_ended || AtlModule().GetLockCount() != 0)
        return;
    // No new client may reach a server that is ending; one that came just
    // before the revocation keeps it going, with its class objects back.
    RevokeClassObjects();
    if (AtlModule().GetLockCount() != 0)
    {
        AtlModule().RegisterClassObjects(m_context, m_flags);
        return;
    }
    m_ended = true;
    PostQuitMessage(0);
}

LRESULT CALLBACK CAtlExeModule::MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CAtlExeModule* self = reinterpret_cast<CAtlExeModule*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message)
    {
    case WM_TIMER:
        if (wParam != kIdleTimer)
            break;
        KillTimer(window, kIdleTimer);
        if (self)
            self->EndIfIdle();
        return 0;
    case WM_LAST_UNLOCK:
        if (self)
            self->EndIfIdle();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
