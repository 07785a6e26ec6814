#pragma once
// The scheduled definitions update: one update of "definitions.bin" without
// a window, on the scheduler's task thread (the update page's RunSilent).
// It prepares the update manager, starts its job, polls it until the job
// has ended, makes the engine reload a new database, updates the
// statistics and tells the main window by posted messages only:
// WM_UPDATE_RESULT (1 new database, 2 nothing new, 3 failed or stopped),
// before a success WM_REFRESH_STATISTICS, after it WM_START_SCAN (quick
// scan) when the autoScan setting is on.

#include <windows.h>

class CDefinitionsInfo;

class CSilentUpdate
{
public:
    // The engine's database information, kept by the application.
    explicit CSilentUpdate(CDefinitionsInfo& definitions);

    // Returns once the update has ended (at once when the manager's job
    // could not start, e.g. while the update dialog runs one).
    void RunSilent();

    // Polling period of the job, and the pause after the engine reloaded a
    // new database before the statistics are read (ms).
    DWORD m_dwPollMs;
    DWORD m_dwSettleMs;

private:
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

    CDefinitionsInfo& m_definitions;
};
