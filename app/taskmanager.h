#pragma once
// Starts and stops the threads of the scheduled tasks: one thread per listed
// task, waiting for its schedule's timer or its group's stop event; a gate
// lets one task run at a time. Every operation runs on the UI thread. A stop
// waits a bounded time: a thread that has not ended by then is logged and
// left to end by itself (its stop stays set), so neither Apply nor Exit can
// hang on a run that does not return.

#include <vector>

#include "app/scheduledtask.h"
#include "engine/mothtrap.h"
#include "foundation/singleton.h"
#include "platform/atl/atlbase.h"
#include "platform/mfc/carray.h"
#include "platform/mfc/winthread.h"

class CTaskManager : public CSingleton<CTaskManager>
{
public:
    enum State
    {
        StateStarted = 0,
        StateStopped = 1
    };

    CTaskManager();
    // Stops the update tasks, then the scan tasks; empties the list.
    ~CTaskManager() override;

    // No duplicates; a null task is refused.
    void AddTask(CScheduledTask* task);
    void RemoveTask(CScheduledTask* task);
    BOOL ContainsTask(CScheduledTask* task) const;
    INT_PTR GetTaskCount() const { return m_tasks.GetSize(); }

    // When stopped: a thread for every listed task of the scan group (every
    // task is), in list order. The application's scanner is put into the
    // global interface table for the threads.
    void StartScanTasks();
    // Sets the stop event and waits, dispatching the UI thread's messages and
    // interrupting the runs in progress (CScheduledTask::Interrupt), until
    // every thread of the group has ended or the stop bound has passed; then
    // clears the stop event. Always leaves the state stopped.
    void StopScanTasks();
    // The same for the update group, which holds no task.
    void StartUpdateTasks();
    void StopUpdateTasks();

    DWORD GetState() const { return m_dwState; }
    // How long a stop waits for the threads (ms).
    void SetStopTimeout(DWORD timeoutMs) { m_dwStopTimeoutMs = timeoutMs; }
    enum { DefaultStopTimeoutMs = 10000 };

    // On a task thread (COM initialised): the application's scanner as a
    // proxy for this thread; null when the tasks run without one.
    static HRESULT GetScanner(CComPtr<IScanner>& scanner);

    // Threads of a group alive (counted in before they start, out as they end).
    static LONG GetThreadCount(DWORD group);

private:
    struct TaskThread
    {
        CWinThread* thread;
        CScheduledTask* task;
    };

    void StartGroup(DWORD group, std::vector<TaskThread>& threads);
    void StopGroup(DWORD group, std::vector<TaskThread>& threads, const char* function);
    void RegisterScanner();
    void RevokeScanner();

    CArray<CScheduledTask*, CScheduledTask*> m_tasks;
    DWORD m_dwState;
    std::vector<TaskThread> m_scanThreads;
    std::vector<TaskThread> m_updateThreads;
    DWORD m_dwStopTimeoutMs;
    // A stop waits with messages flowing; a start or stop asked for from a
    // message handled meanwhile is ignored.
    bool m_bBusy;
};

// The thread of one task; returns 1 for a null task, else 0.
UINT __cdecl ScheduleThreadProc(LPVOID task);
