#include "foundation/workerthread.h"

#include <gtest/gtest.h>

namespace {

// A job that waits for the stop request, as jobs are meant to.
class PoliteWorker : public CWorkerThread
{
public:
    explicit PoliteWorker(DWORD stopTimeoutMs = 10000) : CWorkerThread(stopTimeoutMs) {}
    ~PoliteWorker() override { CWorkerThread::Stop(); }

    void Stop() override
    {
        InterlockedIncrement(&stops);
        CWorkerThread::Stop();
    }

    bool Running() const { return IsRunning(); }
    DWORD Timeout() const { return m_stopTimeoutMs; }

    LONG runs = 0;
    LONG stoppedRuns = 0;
    LONG stops = 0;
    LONG* stoppedSink = nullptr;
    CEvent started{FALSE, TRUE};
    bool finishAtOnce = false;

protected:
    void Run() override
    {
        InterlockedIncrement(&runs);
        started.SetEvent();
        if (finishAtOnce)
            return;
        if (m_stopEvent.Lock(5000))
        {
            InterlockedIncrement(&stoppedRuns);
            if (stoppedSink)
                InterlockedIncrement(stoppedSink);
            m_doneEvent.SetEvent();
        }
    }
};

// A job that never looks at the stop request.
class StubbornWorker : public CWorkerThread
{
public:
    explicit StubbornWorker(DWORD stopTimeoutMs) : CWorkerThread(stopTimeoutMs) {}
    ~StubbornWorker() override { CWorkerThread::Stop(); }

    bool Running() const { return IsRunning(); }
    HANDLE DuplicateThreadHandle() const
    {
        HANDLE h = NULL;
        DuplicateHandle(GetCurrentProcess(), m_pThread->m_hThread, GetCurrentProcess(), &h, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        return h;
    }

    CEvent started{FALSE, TRUE};

protected:
    void Run() override
    {
        started.SetEvent();
        for (;;)
            Sleep(50);
    }
};

}  // namespace

TEST(WorkerThread, JobThatHonoursStopEndsAndRestarts)
{
    PoliteWorker w;
    EXPECT_EQ(10000u, w.Timeout());
    EXPECT_FALSE(w.Running());
    w.Stop();  // nothing runs: nothing to do
    EXPECT_EQ(1, w.stops);

    ASSERT_TRUE(w.Start());
    EXPECT_EQ(2, w.stops);  // Start goes through the virtual Stop first
    ASSERT_TRUE(w.started.Lock(5000));
    EXPECT_TRUE(w.Running());

    DWORD begin = GetTickCount();
    w.Stop();
    EXPECT_LT(GetTickCount() - begin, 1000u);
    EXPECT_FALSE(w.Running());
    EXPECT_EQ(1, w.stoppedRuns);

    // Start on a running job stops it before starting the next one.
    w.started.ResetEvent();
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.started.Lock(5000));
    w.started.ResetEvent();
    begin = GetTickCount();
    ASSERT_TRUE(w.Start());
    EXPECT_LT(GetTickCount() - begin, 1000u);
    EXPECT_EQ(2, w.stoppedRuns);
    ASSERT_TRUE(w.started.Lock(5000));
    EXPECT_EQ(3, w.runs);
    w.Stop();
    EXPECT_EQ(3, w.stoppedRuns);

    // A job that ended on its own is reaped quietly, and the stop request made
    // meanwhile does not reach the next run.
    w.finishAtOnce = true;
    w.started.ResetEvent();
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.started.Lock(5000));
    for (int i = 0; i < 500 && w.Running(); ++i)
        Sleep(5);
    EXPECT_FALSE(w.Running());
    DWORD reaped = GetTickCount();
    w.Stop();
    EXPECT_LT(GetTickCount() - reaped, 500u);
    w.finishAtOnce = false;
    w.started.ResetEvent();
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.started.Lock(5000));
    Sleep(50);
    EXPECT_TRUE(w.Running());  // still waiting for its own stop request
    EXPECT_EQ(3, w.stoppedRuns);
}

TEST(WorkerThread, DestructorStopsARunningJob)
{
    LONG stoppedRuns = 0;
    PoliteWorker* w = new PoliteWorker;
    w->stoppedSink = &stoppedRuns;
    ASSERT_TRUE(w->Start());
    ASSERT_TRUE(w->started.Lock(5000));
    DWORD begin = GetTickCount();
    delete w;
    EXPECT_LT(GetTickCount() - begin, 1000u);
    EXPECT_EQ(1, stoppedRuns);
}

TEST(WorkerThread, JobThatIgnoresStopIsKilledAfterTheBound)
{
    StubbornWorker w(300);
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.started.Lock(5000));
    HANDLE thread = w.DuplicateThreadHandle();
    ASSERT_NE(nullptr, thread);

    DWORD begin = GetTickCount();
    w.Stop();
    DWORD took = GetTickCount() - begin;
    EXPECT_GE(took, 280u);
    EXPECT_LT(took, 2000u);
    EXPECT_FALSE(w.Running());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(1u, code);
    CloseHandle(thread);

    // And it can run again afterwards.
    w.started.ResetEvent();
    ASSERT_TRUE(w.Start());
    EXPECT_TRUE(w.started.Lock(5000));
    EXPECT_TRUE(w.Running());
    // The destructor kills it the same way.
}
