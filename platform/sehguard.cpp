#include "platform/sehguard.h"

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
    void* registration[2];          // our own SEH record: next, handler
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

// Decides for a fault that no handler inside the guarded code took; true
// when the thread is to resume at the guard (the context has been changed).
bool HandleFault(EXCEPTION_RECORD* record, CONTEXT* context)
{
    if (!record || !context || (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)))
        return false;
    GuardFrame* frame = CurrentFrame();
    const DWORD code = record->ExceptionCode;
    if (!frame || !CSehGuard::IsFaultCode(code))
        return false;

#ifdef _WIN64
    const ULONG_PTR faultStack = context->Rsp;
#else
    const ULONG_PTR faultStack = context->Esp;
#endif
    if (frame->inFilter)
    {
        // The filter itself failed: give up on it and leave the guard.
        frame->filterLater = 0;
        RedirectToLanding(context, faultStack - 512);
        return true;
    }
    frame->code = code;
    if (code == EXCEPTION_STACK_OVERFLOW)
    {
        // No room here for the filter: copy the facts and run it from the
        // landing, on stack the abandoned frames used (well above the fault).
        frame->recordCopy = *record;
        memcpy(&frame->contextCopy, context, sizeof(CONTEXT));
        frame->filterLater = 1;
        RedirectToLanding(context, reinterpret_cast<ULONG_PTR>(frame) - 16384);
        return true;
    }
    if (frame->filter)
    {
        EXCEPTION_POINTERS pointers = {record, context};
        frame->inFilter = 1;
        frame->filter(&pointers, frame->context);
    }
    frame->filterLater = 0;
    RedirectToLanding(context, faultStack - 512);
    return true;
}

BOOL CALLBACK InitGuard(PINIT_ONCE, PVOID, PVOID*)
{
    g_slot = TlsAlloc();
    return g_slot != TLS_OUT_OF_INDEXES;
}

} // namespace

// The frame handler of the guard: the system calls it only for exceptions
// that the frames inside the guard did not handle themselves.
extern "C" EXCEPTION_DISPOSITION __cdecl CwSehGuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*)
{
    return HandleFault(record, context) ? ExceptionContinueExecution : ExceptionContinueSearch;
}

#ifdef _WIN64
// body(arg) inside a frame whose unwind data names CwSehGuardHandler.
extern "C" void CwSehGuardCall(CSehGuard::Body body, void* arg);
__asm__(
    ".text\n"
    ".globl CwSehGuardCall\n"
    ".def CwSehGuardCall; .scl 2; .type 32; .endef\n"
    ".seh_proc CwSehGuardCall\n"
    "CwSehGuardCall:\n"
    "    .seh_handler CwSehGuardHandler, @except\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    "    nop\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    ".seh_endproc\n");
#endif

namespace {

// The body with C++ exceptions turned into a filter call; kept apart from
// Run so that the setjmp frame holds no exception regions.
__attribute__((noinline)) bool InvokeBody(CSehGuard::Body body, GuardFrame* frame)
{
    try
    {
#ifdef _WIN64
        CwSehGuardCall(body, frame->context);
#else
        body(frame->context);
#endif
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
    GuardFrame* volatile self = &frame;
    TlsSetValue(g_slot, self);
#ifndef _WIN64
    // Our record goes on the thread's SEH chain, inside every handler of the
    // caller and outside every one the body registers.
    frame.exceptionList = ReadExceptionList();
    frame.registration[0] = frame.exceptionList;
    frame.registration[1] = reinterpret_cast<void*>(&CwSehGuardHandler);
    WriteExceptionList(frame.registration);
#endif

    volatile bool completed = false;
    if (__builtin_setjmp(frame.jump) == 0)
        completed = InvokeBody(body, self);
#ifndef _WIN64
    // The caller's chain again; after a fault, the records the abandoned
    // frames registered go with them.
    WriteExceptionList(self->exceptionList);
#endif
    TlsSetValue(g_slot, self->previous);
    if (exceptionCode)
        *exceptionCode = self->code;
    return completed;
}
