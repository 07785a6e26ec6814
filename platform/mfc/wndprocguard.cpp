#include "platform/mfc/wndprocguard.h"

#include "platform/mfc/cwinapp.h"
#include "platform/mfc/cwnd.h"
#include "platform/mfc/exception.h"
#include "platform/sehguard.h"

#include <comdef.h>

#include <exception>
#include <string.h>

namespace {

void DebuggerSink(const char* line)
{
    ::OutputDebugStringA(line);
    ::OutputDebugStringA("\n");
}

AFX_LOG_SINK g_sink = &DebuggerSink;

// One guarded step of the window procedure. C++ exceptions are caught here,
// inside every frame of the framework; faults reach the guard's filter.
struct GuardedCall
{
    void (*step)(GuardedCall& call);
    CWnd* wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool caught;
    AFX_WNDPROC_EXCEPTION info;
    EXCEPTION_RECORD record;
    CONTEXT context;
};

void DescribeCppException(GuardedCall& call, const CString& text)
{
    call.caught = true;
    call.info.code = CSehGuard::CppExceptionCode;
    call.info.description = text;
}

void RunStep(void* p)
{
    GuardedCall& call = *static_cast<GuardedCall*>(p);
    try
    {
        call.step(call);
    }
    catch (CException* e)
    {
        char text[512] = "";
        if (!e->GetErrorMessage(text, sizeof(text)))
            lstrcpynA(text, "framework exception without a message", sizeof(text));
        e->Delete();
        DescribeCppException(call, text);
    }
    catch (const _com_error& e)
    {
        CString text;
        text.Format("COM error 0x%08lX", static_cast<unsigned long>(e.Error()));
        DescribeCppException(call, text);
    }
    catch (const std::exception& e)
    {
        DescribeCppException(call, CString("C++ exception: ") + e.what());
    }
    catch (...)
    {
        DescribeCppException(call, "unknown C++ exception");
    }
}

void CopyFault(EXCEPTION_POINTERS* pointers, void* p)
{
    GuardedCall& call = *static_cast<GuardedCall*>(p);
    call.record = *pointers->ExceptionRecord;
    call.record.ExceptionRecord = nullptr;
    memcpy(&call.context, pointers->ContextRecord, sizeof(CONTEXT));
}

CString DescribeFault(const EXCEPTION_RECORD& record)
{
    CString text;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
    {
        const ULONG_PTR kind = record.ExceptionInformation[0];
        text.Format("Access violation at 0x%p %s 0x%p", record.ExceptionAddress,
                    kind == 1 ? "writing" : kind == 8 ? "executing" : "reading",
                    reinterpret_cast<void*>(record.ExceptionInformation[1]));
    }
    else
        text.Format("Exception 0x%08lX at 0x%p", static_cast<unsigned long>(record.ExceptionCode),
                    record.ExceptionAddress);
    return text;
}

// Runs the step behind the barrier; true when it completed.
bool RunGuarded(GuardedCall& call)
{
    call.caught = false;
    DWORD code = 0;
    if (CSehGuard::Run(&RunStep, &CopyFault, &call, &code) && !call.caught)
        return true;
    if (!call.caught)
    {
        call.caught = true;
        call.info.code = code;
        call.info.record = &call.record;
        call.info.context = &call.context;
        call.info.description = DescribeFault(call.record);
    }
    return false;
}

void ReportCaught(GuardedCall& call, HWND hWnd)
{
    MSG msg = {hWnd, call.message, call.wParam, call.lParam, 0, {0, 0}};
    CWinApp* app = AfxGetApp();
    try
    {
        call.result = app ? app->ProcessWndProcException(call.info, &msg)
                          : (AfxLogLine(AfxFormatWndProcException(call.info, msg)),
                             AfxDefaultWndProcExceptionResult(msg));
    }
    catch (...)
    {
        // The reporter itself failed; the message still gets its safe answer.
        call.result = AfxDefaultWndProcExceptionResult(msg);
    }
}

void WindowProcStep(GuardedCall& call)
{
    call.result = call.wnd->WindowProc(call.message, call.wParam, call.lParam);
}

} // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr || pWnd->m_hWnd != hWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE& state = AfxGetThreadState();
    const MSG saved = state.lastSentMsg;
    state.lastSentMsg.hwnd = hWnd;
    state.lastSentMsg.message = message;
    state.lastSentMsg.wParam = wParam;
    state.lastSentMsg.lParam = lParam;

    GuardedCall call = {};
    call.step = &WindowProcStep;
    call.wnd = pWnd;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    if (!RunGuarded(call))
        ReportCaught(call, hWnd);
    const LRESULT result = call.result;

    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd)
    {
        // The window's last message: the object lets go of the handle even
        // when its handler failed.
        GuardedCall cleanup = {};
        cleanup.step = [](GuardedCall& c) { c.wnd->NcDestroyCleanup(); };
        cleanup.wnd = pWnd;
        cleanup.message = message;
        if (!RunGuarded(cleanup))
        {
            ReportCaught(cleanup, hWnd);
            if (CWnd::FromHandlePermanent(hWnd) == pWnd)
                pWnd->Detach();
        }
    }
    state.lastSentMsg = saved;
    return result;
}

LRESULT AfxDefaultWndProcExceptionResult(const MSG& msg)
{
    switch (msg.message)
    {
    case WM_CREATE:
        return -1;
    case WM_NCCREATE:
        return FALSE;
    case WM_PAINT:
        ::ValidateRect(msg.hwnd, nullptr);
        return 0;
    default:
        return 0;
    }
}

CString AfxFormatWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG& msg)
{
    CString line;
    line.Format("Message: %s\nFunction: window procedure (message 0x%04X, window 0x%p)",
                static_cast<LPCSTR>(info.description), msg.message, static_cast<void*>(msg.hwnd));
    return line;
}

AFX_LOG_SINK AfxSetLogSink(AFX_LOG_SINK sink)
{
    AFX_LOG_SINK previous = g_sink;
    g_sink = sink ? sink : &DebuggerSink;
    return previous;
}

void AfxLogLine(const char* line)
{
    if (line != nullptr && *line != '\0')
        g_sink(line);
}
