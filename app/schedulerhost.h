#pragma once
// What the scheduler's tasks need of the application object, which
// implements this interface (the tests fake it) and hands it over with
// SetSchedulerHost before it starts the tasks.

#include <windows.h>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

class ISchedulerHost
{
public:
    // UI thread, when the tasks start: the application's scanner
    // (CCleanwardenApp::GetScanner); null when there is none. The task
    // manager passes it to the task threads through the global interface
    // table.
    virtual void GetScanner(CComPtr<IScanner>& scanner) = 0;
    // Any thread: the main window that the tasks post to (WM_START_SCAN,
    // WM_SHOW_PROGRAM_UPDATE); NULL when there is none.
    virtual HWND GetMainWindow() = 0;
    // Task thread: one definitions update without a window
    // (CLiveUpdate::RunSilent), returning after the update has ended.
    virtual void RunSilentUpdate() = 0;

protected:
    ~ISchedulerHost() {}
};

// Not owned; NULL (the start value) leaves the tasks without scanner,
// window and silent update.
void SetSchedulerHost(ISchedulerHost* host);
ISchedulerHost* GetSchedulerHost();
