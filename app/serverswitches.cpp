#include "app/serverswitches.h"

#include <windows.h>

CServerSwitches ParseServerSwitches(int argc, const char* const* argv)
{
    CServerSwitches switches;
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i];
        if (!arg || (arg[0] != '/' && arg[0] != '-'))
            continue;
        const char* word = arg + 1;
        if (lstrcmpiA(word, "Regserver") == 0 || lstrcmpiA(word, "Register") == 0)
            switches.command = CServerSwitches::Register;
        else if (lstrcmpiA(word, "Unregserver") == 0 || lstrcmpiA(word, "Unregister") == 0)
            switches.command = CServerSwitches::Unregister;
        else if (lstrcmpiA(word, "Embedding") == 0)
            switches.embedding = true;
        else if (lstrcmpiA(word, "Automation") == 0)
            switches.automation = true;
    }
    return switches;
}
