#pragma once
// The command-line switches the COM server acts on, as the framework's
// command-line parser (CCommandLineInfo) reads them: "/" or "-" before the
// word, case ignored; "Regserver" or "Register", "Unregserver" or
// "Unregister" (the last of them counts), "Embedding", "Automation". Other
// arguments are left to the rest of the start-up.

class CCommandLineInfo;

struct CServerSwitches
{
    enum Command { Nothing, Register, Unregister };

    Command command = Nothing;
    bool embedding = false;     // started by COM
    bool automation = false;

    // Run as a COM server only: no window, no desktop start.
    bool IsServerOnly() const { return embedding || automation; }
};

// What the framework's parser found.
CServerSwitches ServerSwitchesFrom(const CCommandLineInfo& info);

// argv[1] to argv[argc - 1], as the C runtime split the command line, handed
// to the framework's parser one by one.
CServerSwitches ParseServerSwitches(int argc, const char* const* argv);
