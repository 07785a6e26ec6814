// The structured-exception guard: processor faults and C++ exceptions in the
// body reach the filter on the faulting thread and end the guard, not the
// process.

#include <gtest/gtest.h>

#include <process.h>

#include <stdexcept>
#include <string>

#include "platform/sehguard.h"

namespace {

struct Seen
{
    int calls = 0;
    DWORD code = 0;
    DWORD thread = 0;
    ULONG_PTR faultAddress = 0;
    ULONG_PTR faultKind = 99;
    bool hadContext = false;
    int bodyReached = 0;
    ULONG_PTR target = 0;
};

void RecordFilter(EXCEPTION_POINTERS* info, void* context)
{
    Seen* seen = static_cast<Seen*>(context);
    ++seen->calls;
    seen->thread = GetCurrentThreadId();
    seen->code = info->ExceptionRecord->ExceptionCode;
    seen->hadContext = info->ContextRecord != nullptr;
    if (seen->code == EXCEPTION_ACCESS_VIOLATION && info->ExceptionRecord->NumberParameters >= 2)
    {
        seen->faultKind = info->ExceptionRecord->ExceptionInformation[0];
        seen->faultAddress = info->ExceptionRecord->ExceptionInformation[1];
    }
}

void WriteToTarget(void* context)
{
    Seen* seen = static_cast<Seen*>(context);
    ++seen->bodyReached;
    *reinterpret_cast<volatile int*>(seen->target) = 1;
    ++seen->bodyReached;   // never reached
}

void DivideByZero(void* context)
{
    Seen* seen = static_cast<Seen*>(context);
    volatile int zero = 0;
    volatile int result = 10 / zero;
    seen->bodyReached = result;
}

void Throws(void*)
{
    throw std::runtime_error("escaped");
}

void Returns(void* context)
{
    ++static_cast<Seen*>(context)->bodyReached;
}

volatile bool g_deeper = true;

int Recurse(volatile char* previous, int depth)
{
    volatile char block[4096];
    block[0] = previous ? previous[0] : 1;
    block[4095] = static_cast<char>(depth);
    if (!g_deeper)
        return block[0];
    return Recurse(block, depth + 1) + block[4095];
}

void OverflowStack(void*)
{
    Recurse(nullptr, 0);
}

void FaultingFilter(EXCEPTION_POINTERS* info, void* context)
{
    RecordFilter(info, context);
    volatile ULONG_PTR address = 16;
    *reinterpret_cast<volatile int*>(address) = 2;
}

struct Nested
{
    Seen inner;
    Seen outer;
    bool innerResult = true;
    DWORD innerCode = 0;
};

void OuterBody(void* context)
{
    Nested* n = static_cast<Nested*>(context);
    n->inner.target = 8;
    n->innerResult = CSehGuard::Run(WriteToTarget, RecordFilter, &n->inner, &n->innerCode);
    ++n->outer.bodyReached;
}

struct ThreadRun
{
    Seen seen;
    bool result = true;
    DWORD code = 0;
    int afterGuard = 0;
};

unsigned __stdcall FaultingThread(void* arg)
{
    ThreadRun* run = static_cast<ThreadRun*>(arg);
    run->seen.target = 0x20;
    run->result = CSehGuard::Run(WriteToTarget, RecordFilter, &run->seen, &run->code);
    run->afterGuard = 1;
    return 77;
}

unsigned __stdcall OverflowThread(void* arg)
{
    ThreadRun* run = static_cast<ThreadRun*>(arg);
    run->result = CSehGuard::Run(OverflowStack, RecordFilter, &run->seen, &run->code);
    run->afterGuard = 1;
    return 78;
}

} // namespace

TEST(SehGuard, AccessViolationReachesFilterWithRealExceptionInformation)
{
    Seen seen;
    seen.target = 0x40;
    DWORD code = 1;
    EXPECT_FALSE(CSehGuard::Run(WriteToTarget, RecordFilter, &seen, &code));
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), code);
    EXPECT_EQ(1, seen.calls);
    EXPECT_EQ(GetCurrentThreadId(), seen.thread);
    EXPECT_EQ(1u, seen.faultKind);        // a write
    EXPECT_EQ(0x40u, seen.faultAddress);
    EXPECT_TRUE(seen.hadContext);
    EXPECT_EQ(1, seen.bodyReached);

    // The guard is gone: the thread's next guard works as new.
    Seen clean;
    EXPECT_TRUE(CSehGuard::Run(Returns, RecordFilter, &clean, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0, clean.calls);
    EXPECT_EQ(1, clean.bodyReached);

    // No filter: still caught.
    Seen quiet;
    quiet.target = 0x50;
    EXPECT_FALSE(CSehGuard::Run(WriteToTarget, nullptr, &quiet, nullptr));
    EXPECT_EQ(1, quiet.bodyReached);
}

TEST(SehGuard, OtherFaultsAndCppExceptions)
{
    Seen divide;
    DWORD code = 0;
    EXPECT_FALSE(CSehGuard::Run(DivideByZero, RecordFilter, &divide, &code));
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_INT_DIVIDE_BY_ZERO), code);
    EXPECT_EQ(1, divide.calls);

    Seen thrown;
    EXPECT_FALSE(CSehGuard::Run(Throws, RecordFilter, &thrown, &code));
    EXPECT_EQ(static_cast<DWORD>(CSehGuard::CppExceptionCode), code);
    EXPECT_EQ(static_cast<DWORD>(CSehGuard::CppExceptionCode), thrown.code);
    EXPECT_TRUE(thrown.hadContext);
    EXPECT_EQ(1, thrown.calls);

    // A filter that faults itself does not take the process down.
    Seen bad;
    bad.target = 0x60;
    EXPECT_FALSE(CSehGuard::Run(WriteToTarget, FaultingFilter, &bad, &code));
    EXPECT_EQ(1, bad.calls);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), code);

    // C++ exceptions inside the guard that the body catches stay its own.
    Seen own;
    EXPECT_TRUE(CSehGuard::Run([](void* c) {
        try { throw 5; } catch (int) { ++static_cast<Seen*>(c)->bodyReached; }
    }, RecordFilter, &own, &code));
    EXPECT_EQ(1, own.bodyReached);
    EXPECT_EQ(0, own.calls);

    EXPECT_TRUE(CSehGuard::IsFaultCode(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_TRUE(CSehGuard::IsFaultCode(EXCEPTION_STACK_OVERFLOW));
    EXPECT_FALSE(CSehGuard::IsFaultCode(EXCEPTION_BREAKPOINT));
    EXPECT_FALSE(CSehGuard::IsFaultCode(0xE06D7363));
    EXPECT_FALSE(CSehGuard::IsFaultCode(RPC_S_SERVER_UNAVAILABLE));
}

TEST(SehGuard, FaultsHandledInsideTheBodyStayThere)
{
    // The system's own probes fault and handle it themselves: not ours.
    Seen probes;
    DWORD code = 9;
    EXPECT_TRUE(CSehGuard::Run([](void* c) {
        Seen* seen = static_cast<Seen*>(c);
        volatile ULONG_PTR bad = 0x10;
        seen->bodyReached += IsBadReadPtr(reinterpret_cast<const void*>(bad), 4) ? 1 : 0;
        seen->bodyReached += IsBadWritePtr(reinterpret_cast<void*>(bad), 4) ? 1 : 0;
    }, RecordFilter, &probes, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(2, probes.bodyReached);
    EXPECT_EQ(0, probes.calls);
}

TEST(SehGuard, InnermostGuardCatches)
{
    Nested n;
    DWORD code = 5;
    EXPECT_TRUE(CSehGuard::Run(OuterBody, RecordFilter, &n, &code));
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(n.innerResult);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), n.innerCode);
    EXPECT_EQ(1, n.inner.calls);
    EXPECT_EQ(1, n.outer.bodyReached);
    // The outer filter would have been called with the Nested as its context.
    EXPECT_EQ(0, n.outer.calls);
}

TEST(SehGuard, WorkerThreadEndsCleanlyAfterFault)
{
    for (int round = 0; round < 2; ++round)
    {
        ThreadRun run;
        HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, FaultingThread, &run, 0, nullptr));
        ASSERT_NE(nullptr, thread);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        DWORD exitCode = 0;
        GetExitCodeThread(thread, &exitCode);
        CloseHandle(thread);
        EXPECT_EQ(77u, exitCode);
        EXPECT_FALSE(run.result);
        EXPECT_EQ(1, run.afterGuard);
        EXPECT_EQ(1, run.seen.calls);
        EXPECT_NE(GetCurrentThreadId(), run.seen.thread);
        EXPECT_EQ(0x20u, run.seen.faultAddress);
    }

    ThreadRun overflow;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 256 * 1024, OverflowThread, &overflow, 0, nullptr));
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 20000));
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    EXPECT_EQ(78u, exitCode);
    EXPECT_FALSE(overflow.result);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_STACK_OVERFLOW), overflow.code);
    EXPECT_EQ(1, overflow.seen.calls);
}

// The guard leaves the thread's structured-exception chain as it found it,
// however the body ends: a record left behind would point into a stack
// frame that is gone, and the next exception dispatched on the thread would
// follow it.
#ifndef _WIN64

namespace {

void* ChainHead()
{
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void Faults(void*) { *static_cast<volatile int*>(nullptr) = 1; }

} // namespace

TEST(SehGuardChain, RestoredAfterReturnCppExceptionAndFault)
{
    void* const before = ChainHead();
    Seen seen;
    EXPECT_TRUE(CSehGuard::Run(&Returns, nullptr, &seen));
    EXPECT_EQ(before, ChainHead());
    EXPECT_FALSE(CSehGuard::Run(&Throws, nullptr, nullptr));
    EXPECT_EQ(before, ChainHead());
    EXPECT_FALSE(CSehGuard::Run(&Faults, nullptr, nullptr));
    EXPECT_EQ(before, ChainHead());
}

#endif
