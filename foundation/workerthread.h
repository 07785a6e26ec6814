#pragma once
// Base of objects that run a job (Run) on a worker thread of their own. The
// job watches m_stopEvent and sets m_doneEvent when it leaves because of it.
// A derived class must call Stop in its own destructor: the base destructor
// runs after the derived members are gone.

#include "platform/mfc/event.h"
#include "platform/mfc/winthread.h"

class CWorkerThread
{
public:
    explicit CWorkerThread(DWORD stopTimeoutMs = 10000);
    virtual ~CWorkerThread();

    // Stops a running job first; true when the new thread was created.
    virtual bool Start();
    // Asks the job to stop and waits up to the stop bound for it; a thread
    // still running then is killed with exit code 1.
    virtual void Stop();

protected:
    virtual void Run() = 0;

    // Whether the job's thread has not ended yet.
    bool IsRunning() const;

    static UINT __cdecl ThreadProc(LPVOID self);

    CEvent m_stopEvent;
    CEvent m_doneEvent;
    // Owned (never auto-deleted) so its handle stays valid until Stop reaps it
    // after the thread has ended.
    CWinThread* m_pThread;
    DWORD m_stopTimeoutMs;

private:
    void StopThread();

    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;
};
