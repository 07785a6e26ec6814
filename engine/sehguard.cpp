#include "engine/sehguard.h"

#include <string.h>

namespace {

// One active guard on the thread's stack; the thread's innermost guard sits
// in a TLS slot and links to the one around it.
struct GuardFrame
{
    CONTEXT contextCopy;            // first: CONTEXT wants 16-byte alignment
    EXCEPTION_RECORD recordCopy;
    void* jump[5];                  // __builtin_setjmp buffer
    GuardFrame* previous;
    CSehGuard::Filter filter;
    void* context;
    volatile DWORD code;
    volatile LONG inFilter;
    volatile LONG filterLater;      // stack overflow: filter runs on a sound stack
#ifndef _WIN64
    void* exceptionList;            // the thread's SEH chain when the guard began
#endif
};

#ifndef _WIN64
// Head of the thread's SEH registration chain (fs:0).
void* ReadExceptionList()
{
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void WriteExceptionList(void* head)
{
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#endif

DWORD g_slot = TLS_OUT_OF_INDEXES;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

GuardFrame* CurrentFrame()
{
    // Handlers must not disturb the faulting code's last error.
    DWORD error = GetLastError();
    GuardFrame* frame = static_cast<GuardFrame*>(TlsGetValue(g_slot));
    SetLastError(error);
    return frame;
}

extern "C" __attribute__((noreturn, noinline, force_align_arg_pointer)) void SehGuardLanding()
{
    GuardFrame* frame = CurrentFrame();
    if (frame->filterLater && frame->filter)
    {
        EXCEPTION_POINTERS pointers = {&frame->recordCopy, &frame->contextCopy};
        frame->inFilter = 1;
        frame->filter(&pointers, frame->context);
    }
    __builtin_longjmp(frame->jump, 1);
}

// Resumes the faulting thread in SehGuardLanding on the given stack address,
// as if it had been called there.
void RedirectToLanding(CONTEXT* context, ULONG_PTR stack)
{
    stack &= ~static_cast<ULONG_PTR>(15);
    stack -= sizeof(ULONG_PTR);
    *reinterpret_cast<ULONG_PTR*>(stack) = 0;   // no return address
#ifdef _WIN64
    context->Rsp = stack;
    context->Rip = reinterpret_cast<DWORD64>(&SehGuardLanding);
#else
    context->Esp = static_cast<DWORD>(stack);
    context->Eip = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(&SehGuardLanding));
#endif
}

LONG CALLBACK GuardHandler(EXCEPTION_POINTERS* info)
{
    if (!info || !info->ExceptionRecord || !info->ContextRecord)
        return EXCEPTION_CONTINUE_SEARCH;
    GuardFrame* frame = CurrentFrame();
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!frame || !CSehGuard::IsFaultCode(code))
        return EXCEPTION_CONTINUE_SEARCH;

#ifdef _WIN64
    ULONG_PTR faultStack = info->ContextRecord->Rsp;
#else
    ULONG_PTR faultStack = info->ContextRecord->Esp;
#endif
    if (frame->inFilter)
    {
        // The filter itself failed: give up on it and leave the guard.
        RedirectToLanding(info->ContextRecord, faultStack - 512);
        frame->filterLater = 0;
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    frame->code = code;
    if (code == EXCEPTION_STACK_OVERFLOW)
    {
        // No room here for the filter: copy the facts and run it from the
        // landing, on stack the abandoned frames used (well above the fault).
        frame->recordCopy = *info->ExceptionRecord;
        memcpy(&frame->contextCopy, info->ContextRecord, sizeof(CONTEXT));
        frame->filterLater = 1;
        RedirectToLanding(info->ContextRecord, reinterpret_cast<ULONG_PTR>(frame) - 16384);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (frame->filter)
    {
        frame->inFilter = 1;
        frame->filter(info, frame->context);
    }
    frame->filterLater = 0;
    RedirectToLanding(info->ContextRecord, faultStack - 512);
    return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL CALLBACK InitGuard(PINIT_ONCE, PVOID, PVOID*)
{
    g_slot = TlsAlloc();
    if (g_slot == TLS_OUT_OF_INDEXES)
        return FALSE;
    // First in the chain: a fault is ours before anyone else's. The handler
    // stays for the life of the process.
    return AddVectoredExceptionHandler(1, GuardHandler) != nullptr;
}

// The body with C++ exceptions turned into a filter call; kept apart from
// Run so that the setjmp frame holds no exception regions.
__attribute__((noinline)) bool InvokeBody(CSehGuard::Body body, GuardFrame* frame)
{
    try
    {
        body(frame->context);
        return true;
    }
    catch (...)
    {
        frame->code = CSehGuard::CppExceptionCode;
        memset(&frame->recordCopy, 0, sizeof(frame->recordCopy));
        frame->recordCopy.ExceptionCode = CSehGuard::CppExceptionCode;
        RtlCaptureContext(&frame->contextCopy);
#ifdef _WIN64
        frame->recordCopy.ExceptionAddress = reinterpret_cast<void*>(frame->contextCopy.Rip);
#else
        frame->recordCopy.ExceptionAddress = reinterpret_cast<void*>(static_cast<ULONG_PTR>(frame->contextCopy.Eip));
#endif
        if (frame->filter)
        {
            EXCEPTION_POINTERS pointers = {&frame->recordCopy, &frame->contextCopy};
            frame->inFilter = 1;
            frame->filter(&pointers, frame->context);
            frame->inFilter = 0;
        }
        return false;
    }
}

} // namespace

bool CSehGuard::IsFaultCode(DWORD code)
{
    switch (code)
    {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
        return true;
    default:
        return false;
    }
}

bool CSehGuard::Run(Body body, Filter filter, void* context, DWORD* exceptionCode)
{
    if (exceptionCode)
        *exceptionCode = 0;
    if (!InitOnceExecuteOnce(&g_once, InitGuard, nullptr, nullptr))
    {
        // Without the handler a fault cannot be caught; C++ exceptions can.
        GuardFrame plain = {};
        plain.filter = filter;
        plain.context = context;
        bool ok = InvokeBody(body, &plain);
        if (exceptionCode)
            *exceptionCode = plain.code;
        return ok;
    }

    // The frame lives in this function's own stack, which the landing jumps
    // back into.
    GuardFrame frame;
    memset(&frame, 0, sizeof(frame));
    frame.filter = filter;
    frame.context = context;
    frame.previous = static_cast<GuardFrame*>(TlsGetValue(g_slot));
#ifndef _WIN64
    frame.exceptionList = ReadExceptionList();
#endif
    GuardFrame* volatile self = &frame;
    TlsSetValue(g_slot, self);

    volatile bool completed = false;
    if (__builtin_setjmp(frame.jump) == 0)
        completed = InvokeBody(body, self);
    else
    {
#ifndef _WIN64
        // Frames the abandoned code registered are gone with it.
        WriteExceptionList(self->exceptionList);
#endif
        completed = false;
    }
    TlsSetValue(g_slot, self->previous);
    if (exceptionCode)
        *exceptionCode = self->code;
    return completed;
}
