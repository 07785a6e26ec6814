#pragma once
// The command-line switches the COM server acts on, read as the framework's
// command-line parser reads them: "/" or "-" before the word, case ignored;
// "Regserver" or "Register", "Unregserver" or "Unregister" (the last of
// them counts), "Embedding", "Automation". Other arguments are left to the
// rest of the start-up.

struct CServerSwitches
{
    enum Command { Nothing, Register, Unregister };

    Command command = Nothing;
    bool embedding = false;     // started by COM
    bool automation = false;

    // Run as a COM server only: no window, no desktop start.
    bool IsServerOnly() const { return embedding || automation; }
};

// argv[1] to argv[argc - 1], as the C runtime split the command line.
CServerSwitches ParseServerSwitches(int argc, const char* const* argv);
