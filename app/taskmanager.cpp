#include "app/taskmanager.h"

#include <stdio.h>

#include <exception>

#include "app/schedulerhost.h"
#include "engine/proxystubs.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"
#include "platform/sehguard.h"

namespace {

// The scheduler's process-wide objects, made before start-up.
struct SchedulerObjects
{
    HANDLE stopScan;    // manual reset: ends the scan group's threads
    HANDLE runGate;     // auto reset: one task runs at a time
    HANDLE allDone;     // auto reset: the last thread of a group has ended
    HANDLE stopUpdate;  // manual reset: ends the update group's threads
    volatile LONG scanThreads;
    volatile LONG updateThreads;

    SchedulerObjects()
        : stopScan(::CreateEventA(NULL, TRUE, FALSE, NULL)),
          runGate(::CreateEventA(NULL, FALSE, FALSE, NULL)),
          allDone(::CreateEventA(NULL, FALSE, FALSE, NULL)),
          stopUpdate(::CreateEventA(NULL, TRUE, FALSE, NULL)),
          scanThreads(0),
          updateThreads(0)
    {
    }
    ~SchedulerObjects()
    {
        ::CloseHandle(stopUpdate);
        ::CloseHandle(allDone);
        ::CloseHandle(runGate);
        ::CloseHandle(stopScan);
    }

    HANDLE StopEvent(DWORD group) const { return group == CScheduledTask::ScanGroup ? stopScan : stopUpdate; }
    // A group's next threads get a stop event of their own; the old one
    // stays set (and open) for threads that a stop had to leave running.
    void RenewStopEvent(DWORD group)
    {
        HANDLE& stop = group == CScheduledTask::ScanGroup ? stopScan : stopUpdate;
        stop = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    volatile LONG& Count(DWORD group) { return group == CScheduledTask::ScanGroup ? scanThreads : updateThreads; }
};

SchedulerObjects g_scheduler;

// The application's scanner in the global interface table; 0 when none.
DWORD g_scannerCookie = 0;

CComPtr<IGlobalInterfaceTable> InterfaceTable()
{
    CComPtr<IGlobalInterfaceTable> table;
    ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, NULL, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                       reinterpret_cast<void**>(&table));
    return table;
}

// Counts a task thread out of its group however it ends.
class ThreadCountOut
{
public:
    explicit ThreadCountOut(DWORD group) : m_group(group) {}
    ~ThreadCountOut()
    {
        if (::InterlockedDecrement(&g_scheduler.Count(m_group)) == 0)
            ::SetEvent(g_scheduler.allDone);
    }

private:
    DWORD m_group;
};

// A task thread's own apartment, with the engine's proxies for the scanner.
class TaskApartment
{
public:
    TaskApartment() : m_com(SUCCEEDED(::CoInitialize(NULL))), m_proxies(0)
    {
        if (m_com && FAILED(RegisterEngineProxyStubs(&m_proxies)))
            m_proxies = 0;
    }
    ~TaskApartment()
    {
        if (m_proxies)
            RevokeEngineProxyStubs(m_proxies);
        if (m_com)
            ::CoUninitialize();
    }

private:
    bool m_com;
    DWORD m_proxies;
};

struct RunContext
{
    CScheduledTask* task;
    char failure[512];
};

void RunBody(void* arg)
{
    RunContext* context = static_cast<RunContext*>(arg);
    char* failure = context->failure;
    const size_t size = sizeof(context->failure);
    try
    {
        context->task->Run();
    }
    catch (CException* e)
    {
        if (!e->GetErrorMessage(failure, static_cast<UINT>(size)) || !failure[0])
            lstrcpynA(failure, "exception without message", static_cast<int>(size));
        e->Delete();
    }
    catch (const _com_error& e)
    {
        _snprintf(failure, size, "COM error 0x%08lX: %s", static_cast<unsigned long>(e.Error()), e.ErrorMessage());
    }
    catch (const std::exception& e)
    {
        _snprintf(failure, size, "%s", e.what());
    }
    catch (...)
    {
        lstrcpynA(failure, "unknown exception", static_cast<int>(size));
    }
    failure[size - 1] = '\0';
}

// On the faulting thread, before anything is unwound: no allocation here.
void OnRunFault(EXCEPTION_POINTERS* info, void* arg)
{
    RunContext* context = static_cast<RunContext*>(arg);
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : NULL;
    if (record && record->ExceptionCode == CSehGuard::CppExceptionCode)
        return;  // RunBody has described it
    _snprintf(context->failure, sizeof(context->failure), "structured exception 0x%08lX at %p",
              record ? static_cast<unsigned long>(record->ExceptionCode) : 0UL,
              record ? record->ExceptionAddress : NULL);
    context->failure[sizeof(context->failure) - 1] = '\0';
}

// Runs the task; whatever it throws or faults with is logged and ends here.
void RunTask(CScheduledTask* task)
{
    RunContext context;
    context.task = task;
    context.failure[0] = '\0';
    const bool returned = CSehGuard::Run(&RunBody, &OnRunFault, &context);
    if (!returned || context.failure[0])
    {
        if (!context.failure[0])
            lstrcpynA(context.failure, "unknown exception", sizeof(context.failure));
        CSchedule* schedule = task->GetSchedule();
        DebugLog("Message: %s (%s)\nFunction: %s", context.failure, schedule ? schedule->GetName().GetString() : "",
                 "ScheduleThreadProc");
    }
}

// ArmSchedule for a thread: FALSE when there is no valid next run.
BOOL ArmTask(CScheduledTask* task)
{
    try
    {
        return task->ArmSchedule();
    }
    catch (CException* e)
    {
        e->Delete();
        return FALSE;
    }
}

} // namespace

UINT __cdecl ScheduleThreadProc(LPVOID param)
{
    CScheduledTask* task = static_cast<CScheduledTask*>(param);
    if (!task)
        return 1;
    ThreadCountOut countOut(task->GetGroup());
    TaskApartment apartment;
    HANDLE stop = g_scheduler.StopEvent(task->GetGroup());

    BOOL armed = FALSE;
    try
    {
        armed = task->ArmSchedule();
    }
    catch (CTaskException* e)
    {
        // No schedule: nothing to wait for.
        e->Delete();
        return 0;
    }
    CSchedule* schedule = task->GetSchedule();
    for (;;)
    {
        // A timer with no valid next run is not waited for: only a stop ends
        // the wait then. When both are signalled the stop wins.
        HANDLE timer = schedule->GetTimer();
        HANDLE waits[2] = {stop, timer};
        const DWORD woken = ::WaitForMultipleObjects(armed && timer ? 2 : 1, waits, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1)
            break;
        HANDLE gate[2] = {stop, g_scheduler.runGate};
        if (::WaitForMultipleObjects(2, gate, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            break;
        RunTask(task);
        ::SetEvent(g_scheduler.runGate);
        if (!schedule->IsRepeating())
            break;
        // Each run arms its schedule as it ends; one that failed before has
        // left the timer signalled and is armed here.
        if (::WaitForSingleObject(timer, 0) == WAIT_OBJECT_0)
            armed = ArmTask(task);
    }
    return 0;
}

CTaskManager::CTaskManager() : m_dwState(StateStopped), m_dwStopTimeoutMs(DefaultStopTimeoutMs), m_bBusy(false)
{
    ::ResetEvent(g_scheduler.stopScan);
    ::SetEvent(g_scheduler.runGate);
}

CTaskManager::~CTaskManager()
{
    StopUpdateTasks();
    StopScanTasks();
    m_tasks.RemoveAll();
}

void CTaskManager::AddTask(CScheduledTask* task)
{
    if (task && !ContainsTask(task))
        m_tasks.Add(task);
}

void CTaskManager::RemoveTask(CScheduledTask* task)
{
    for (INT_PTR i = 0; i < m_tasks.GetSize(); ++i)
    {
        if (m_tasks[i] == task)
        {
            m_tasks.RemoveAt(i);
            return;
        }
    }
}

BOOL CTaskManager::ContainsTask(CScheduledTask* task) const
{
    for (INT_PTR i = 0; i < m_tasks.GetSize(); ++i)
        if (m_tasks[i] == task)
            return TRUE;
    return FALSE;
}

LONG CTaskManager::GetThreadCount(DWORD group)
{
    return ::InterlockedCompareExchange(&g_scheduler.Count(group), 0, 0);
}

void CTaskManager::StartGroup(DWORD group, std::vector<TaskThread>& threads)
{
    ::ResetEvent(g_scheduler.allDone);
    ::ResetEvent(g_scheduler.StopEvent(group));
    for (INT_PTR i = 0; i < m_tasks.GetSize(); ++i)
    {
        CScheduledTask* task = m_tasks[i];
        if (task->GetGroup() != group)
            continue;
        task->ReadSettings();
        CWinThread* thread = AfxBeginThread(&ScheduleThreadProc, task, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (!thread)
        {
            DebugLog("Message: cannot start the thread of a scheduled task (%s)\nFunction: %s",
                     task->GetSchedule() ? task->GetSchedule()->GetName().GetString() : "",
                     "CTaskManager::StartScanTasks");
            continue;
        }
        // Kept (not auto-deleted) so that a stop can wait for its handle.
        thread->m_bAutoDelete = FALSE;
        ::InterlockedIncrement(&g_scheduler.Count(group));
        threads.push_back({thread, task});
        thread->ResumeThread();
    }
}

void CTaskManager::StopGroup(DWORD group, std::vector<TaskThread>& threads, const char* function)
{
    if (threads.empty())
        return;
    ::SetEvent(g_scheduler.StopEvent(group));
    // The threads themselves, not the all-done event, tell when they have
    // ended: that event may be left over from threads that ended on their
    // own. Messages keep flowing: a scheduled scan's run calls the scanner,
    // which lives on this thread. Runs are interrupted again on every round,
    // as one may only just have begun what it waits for.
    const DWORD begin = ::GetTickCount();
    while (!threads.empty())
    {
        const DWORD spent = ::GetTickCount() - begin;
        if (spent >= m_dwStopTimeoutMs)
            break;
        std::vector<HANDLE> handles;
        for (const TaskThread& t : threads)
        {
            t.task->Interrupt();
            handles.push_back(t.thread->m_hThread);
        }
        const DWORD slice = m_dwStopTimeoutMs - spent < 250 ? m_dwStopTimeoutMs - spent : 250;
        const DWORD woken = ::WaitForMultipleObjectsWithMessages(static_cast<DWORD>(handles.size()), handles.data(),
                                                                 FALSE, slice);
        if (woken >= WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + handles.size())
        {
            delete threads[woken - WAIT_OBJECT_0].thread;
            threads.erase(threads.begin() + (woken - WAIT_OBJECT_0));
        }
        else if (woken == WAIT_FAILED)
            break;
    }
    ::ResetEvent(g_scheduler.allDone);
    if (!threads.empty())
    {
        // Left running: they free their thread objects when they end, and
        // find their stop still set whenever their run returns.
        for (const TaskThread& t : threads)
        {
            CSchedule* schedule = t.task->GetSchedule();
            DebugLog("Message: the thread of a scheduled task did not end within %lu ms and is left running (%s)"
                     "\nFunction: %s",
                     static_cast<unsigned long>(m_dwStopTimeoutMs),
                     schedule ? schedule->GetName().GetString() : "", function);
            t.thread->m_bAutoDelete = TRUE;
        }
        threads.clear();
        g_scheduler.RenewStopEvent(group);
        return;
    }
    ::ResetEvent(g_scheduler.StopEvent(group));
}

void CTaskManager::StartScanTasks()
{
    if (m_bBusy || m_dwState != StateStopped)
        return;
    m_bBusy = true;
    RegisterScanner();
    StartGroup(CScheduledTask::ScanGroup, m_scanThreads);
    m_dwState = StateStarted;
    m_bBusy = false;
}

void CTaskManager::StopScanTasks()
{
    if (m_bBusy)
        return;
    m_bBusy = true;
    StopGroup(CScheduledTask::ScanGroup, m_scanThreads, "CTaskManager::StopScanTasks");
    RevokeScanner();
    m_dwState = StateStopped;
    m_bBusy = false;
}

void CTaskManager::StartUpdateTasks()
{
    if (m_bBusy || !m_updateThreads.empty())
        return;
    m_bBusy = true;
    StartGroup(CScheduledTask::UpdateGroup, m_updateThreads);
    m_bBusy = false;
}

void CTaskManager::StopUpdateTasks()
{
    if (m_bBusy)
        return;
    m_bBusy = true;
    StopGroup(CScheduledTask::UpdateGroup, m_updateThreads, "CTaskManager::StopUpdateTasks");
    m_bBusy = false;
}

void CTaskManager::RegisterScanner()
{
    RevokeScanner();
    ISchedulerHost* host = GetSchedulerHost();
    if (!host)
        return;
    CComPtr<IScanner> scanner;
    host->GetScanner(scanner);
    CComPtr<IGlobalInterfaceTable> table = InterfaceTable();
    if (scanner && table && FAILED(table->RegisterInterfaceInGlobal(scanner, IID_IScanner, &g_scannerCookie)))
        g_scannerCookie = 0;
}

void CTaskManager::RevokeScanner()
{
    if (!g_scannerCookie)
        return;
    if (CComPtr<IGlobalInterfaceTable> table = InterfaceTable())
        table->RevokeInterfaceFromGlobal(g_scannerCookie);
    g_scannerCookie = 0;
}

HRESULT CTaskManager::GetScanner(CComPtr<IScanner>& scanner)
{
    scanner.Release();
    if (!g_scannerCookie)
        return S_FALSE;
    CComPtr<IGlobalInterfaceTable> table = InterfaceTable();
    if (!table)
        return E_FAIL;
    return table->GetInterfaceFromGlobal(g_scannerCookie, IID_IScanner, reinterpret_cast<void**>(&scanner));
}
