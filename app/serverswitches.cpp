#include "app/serverswitches.h"

#include "platform/mfc/ccommandlineinfo.h"

CServerSwitches ServerSwitchesFrom(const CCommandLineInfo& info)
{
    CServerSwitches switches;
    if (info.m_nShellCommand == CCommandLineInfo::AppRegister)
        switches.command = CServerSwitches::Register;
    else if (info.m_nShellCommand == CCommandLineInfo::AppUnregister)
        switches.command = CServerSwitches::Unregister;
    switches.embedding = info.m_bRunEmbedded != FALSE;
    switches.automation = info.m_bRunAutomated != FALSE;
    return switches;
}

CServerSwitches ParseServerSwitches(int argc, const char* const* argv)
{
    CCommandLineInfo info;
    for (int i = 1; i < argc; ++i)
    {
        const char* param = argv[i] ? argv[i] : "";
        const BOOL flag = param[0] == '/' || param[0] == '-';
        info.ParseParam(flag ? param + 1 : param, flag, i + 1 == argc);
    }
    return ServerSwitchesFrom(info);
}
