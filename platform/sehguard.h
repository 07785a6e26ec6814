#pragma once
// A structured-exception guard for worker threads and the window procedure.
// The compiler has no __try/__except, so the guard puts a frame handler of
// its own around the body (unwind data of a small assembly frame on x86_64,
// a record on the thread's SEH chain on i686). A processor fault (access
// violation, division by zero, illegal instruction, stack overflow...) that
// no handler inside the body takes reaches it: it calls the guard's filter on
// the faulting thread with the real exception pointers, before anything is
// unwound, and then resumes at the guard, whose Run returns false. The frames
// in between are abandoned without running their destructors, as a
// structured handler without unwinding would do.
// C++ exceptions escaping the body are caught as well; the filter then gets
// a record with code CppExceptionCode and the context of the catch.
// Software exceptions (RaiseException, C++ throws in flight) pass on to the
// handlers outside the guard.

#include <windows.h>

class CSehGuard
{
public:
    // Exception code reported for a C++ exception that escaped the body.
    enum : DWORD { CppExceptionCode = 0xE0435050 };

    typedef void (*Body)(void* context);
    // Called on the faulting thread; info and everything it points to are
    // valid only during the call.
    typedef void (*Filter)(EXCEPTION_POINTERS* info, void* context);

    // Runs body(context) under the guard. True when the body returned; false
    // when an exception was caught (the filter, when given, has been called
    // with the same context). exceptionCode, when given, gets the code caught
    // or 0. Guards nest: the innermost one of the thread catches.
    static bool Run(Body body, Filter filter, void* context, DWORD* exceptionCode = nullptr);

    // Whether the guard catches exceptions of this code.
    static bool IsFaultCode(DWORD code);

private:
    CSehGuard();
};
