#pragma once
// The program's COM module: the local server of CleanwardenApplication and
// the class object of the engine event sink, the registration switches, and
// the life of a window-less server that COM started.
//
// Start-up (CCleanwardenApp::InitInstance):
//   CCleanwardenModule module(CleanwardenObjectMap<CEngineListener>());
//   CServerSwitches switches = ...;            // from the command line
//   if (module.HandleRegistrationSwitch(switches, &exitCode)) -> end, exit code
//   ... single-instance guard ...
//   switch (module.StartServer(switches)) { FALSE: end; TRUE: message loop; -1: desktop start }
//   ... CCleanwardenApplication::SetHost(app) while the main dialog runs ...
//   module.Stop();                               // ExitInstance

#include "app/cleanwardenapplication.h"
#include "app/serverswitches.h"
#include "platform/atl/atlexemodule.h"

// The program's class objects; TEngineListener is the engine event sink's
// class, served without a registry script.
template <class TEngineListener>
CwObjectEntry* CleanwardenObjectMap()
{
    BEGIN_OBJECT_MAP(map)
        OBJECT_ENTRY(CLSID_CleanwardenApplication, CCleanwardenApplication)
        OBJECT_ENTRY_NO_REGISTRY(CLSID_EngineListener, TEngineListener)
    END_OBJECT_MAP()
    return map;
}

class CCleanwardenModule : public CAtlExeModule
{
public:
    // A server that COM started and no client reached ends after this long
    // (ms): long enough for a client that COM is still connecting on a
    // loaded machine, short enough not to linger.
    static const DWORD kIdleTimeout = 10000;

    // Adds the table to the process's module (AtlModule()).
    explicit CCleanwardenModule(CwObjectEntry* objectMap);
    virtual ~CCleanwardenModule();

    // "/RegServer": the AppID script, then the class scripts with the type
    // library; "/UnregServer": the same taken away. True when one was asked:
    // the process then ends with *exitCode, 0 when done and 1 when it failed
    // (the failure goes to the debug log). It needs nothing of a running
    // program: call it before the single-instance check, so that it works
    // while another copy runs.
    bool HandleRegistrationSwitch(const CServerSwitches& switches, int* exitCode);

    // Registers the class objects for other processes (CLSCTX_LOCAL_SERVER,
    // REGCLS_MULTIPLEUSE). -1: go on with the desktop start; TRUE: a
    // window-less server ("/Embedding", "/Automation"), whose message loop
    // ends on the last release or after kIdleTimeout without a client;
    // FALSE: the class objects could not be registered.
    virtual int StartServer(const CServerSwitches& switches);

    // Revokes the class objects, stops the server's monitor and releases the
    // class factories and type information. Before CoUninitialize.
    void Stop();

private:
    CwObjectEntry* m_objectMap;
};
