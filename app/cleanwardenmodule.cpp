#include "app/cleanwardenmodule.h"

#include "foundation/debuglog.h"

namespace {

const wchar_t kAppId[] = L"{9039EF7F-5A66-43AC-AF95-CE6D5820B17A}";

} // namespace

CCleanwardenModule::CCleanwardenModule(CwObjectEntry* objectMap)
    : CAtlExeModule(IDR_APPID, kAppId), m_objectMap(objectMap)
{
    AtlModule().AddObjectMap(m_objectMap);
}

CCleanwardenModule::~CCleanwardenModule()
{
    Stop();
    AtlModule().RemoveObjectMap(m_objectMap);
}

bool CCleanwardenModule::HandleRegistrationSwitch(const CServerSwitches& switches, int* exitCode)
{
    if (switches.command == CServerSwitches::Nothing)
        return false;
    const bool doRegister = switches.command == CServerSwitches::Register;
    HRESULT hr = doRegister ? RegisterServer(TRUE) : UnregisterServer(TRUE);
    if (FAILED(hr))
        DebugLog("COM server %s failed: 0x%08lX", doRegister ? "registration" : "unregistration",
                 static_cast<unsigned long>(hr));
    if (exitCode)
        *exitCode = FAILED(hr) ? 1 : 0;
    return true;
}

int CCleanwardenModule::StartServer(const CServerSwitches& switches)
{
    HRESULT hr = RegisterClassObjects(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE);
    if (FAILED(hr))
    {
        DebugLog("COM class objects not registered: 0x%08lX", static_cast<unsigned long>(hr));
        return FALSE;
    }
    if (!switches.IsServerOnly())
        return -1;
    hr = StartMonitor(kIdleTimeout);
    if (FAILED(hr))
    {
        DebugLog("COM server monitor not started: 0x%08lX", static_cast<unsigned long>(hr));
        RevokeClassObjects();
        return FALSE;
    }
    return TRUE;
}

void CCleanwardenModule::Stop()
{
    StopMonitor();
    RevokeClassObjects();
    AtlModule().Term();
}
