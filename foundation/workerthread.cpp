#include "foundation/workerthread.h"

CWorkerThread::CWorkerThread(DWORD stopTimeoutMs)
    : m_stopEvent(FALSE, FALSE), m_doneEvent(FALSE, FALSE), m_pThread(NULL), m_stopTimeoutMs(stopTimeoutMs)
{
}

CWorkerThread::~CWorkerThread()
{
    StopThread();
}

bool CWorkerThread::Start()
{
    Stop();
    m_stopEvent.ResetEvent();
    m_doneEvent.ResetEvent();

    CWinThread* thread = AfxBeginThread(&CWorkerThread::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return false;
    thread->m_bAutoDelete = FALSE;
    m_pThread = thread;
    thread->ResumeThread();
    return true;
}

void CWorkerThread::Stop()
{
    StopThread();
}

bool CWorkerThread::IsRunning() const
{
    return m_pThread && ::WaitForSingleObject(m_pThread->m_hThread, 0) == WAIT_TIMEOUT;
}

void CWorkerThread::StopThread()
{
    if (!m_pThread)
        return;
    if (m_pThread->m_nThreadID == ::GetCurrentThreadId())
    {
        // The job stopping itself: it can only be asked.
        m_stopEvent.SetEvent();
        return;
    }

    HANDLE thread = m_pThread->m_hThread;
    if (::WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
    {
        const DWORD begin = ::GetTickCount();
        m_stopEvent.SetEvent();
        HANDLE waits[2] = {m_doneEvent, thread};
        ::WaitForMultipleObjects(2, waits, FALSE, m_stopTimeoutMs);

        // Done signalled: the job is on its way out; give it what is left of
        // the bound to return.
        const DWORD spent = ::GetTickCount() - begin;
        const DWORD left = spent < m_stopTimeoutMs ? m_stopTimeoutMs - spent : 0;
        if (::WaitForSingleObject(thread, left) == WAIT_TIMEOUT)
        {
            ::TerminateThread(thread, 1);
            ::WaitForSingleObject(thread, INFINITE);
        }
    }
    // A request the job never consumed must not stop the next one.
    m_stopEvent.ResetEvent();
    m_doneEvent.ResetEvent();
    delete m_pThread;  // closes the handle
    m_pThread = NULL;
}

UINT __cdecl CWorkerThread::ThreadProc(LPVOID self)
{
    // The thread object stays with the owner, so nothing here touches it.
    static_cast<CWorkerThread*>(self)->Run();
    return 0;
}
