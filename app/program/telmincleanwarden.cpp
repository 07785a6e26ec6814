// The program's static objects, made in this order before the framework's
// entry runs and destroyed in the reverse order at exit. The libraries'
// statics that the program relies on (the RunAs logon token holder, the
// scheduler's events, the engine message text) are made before these: the
// runtime makes the statics of later-linked objects first.

#include "app/cleanwardenapp.h"
#include "app/cleanwardenmodule.h"
#include "reg/reportfile.h"

// "report.html" in the data folder, closed and deleted at exit.
CReportFile g_reportFile;
// The class objects and registry scripts of the COM server.
CCleanwardenModule g_module(CleanwardenObjectMap<CEngineListener>());
CCleanwardenApp theApp(&g_module);
