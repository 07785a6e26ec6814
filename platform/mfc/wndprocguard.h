#pragma once
// The exception barrier of the window procedure. Wine calls window
// procedures from its own frames; a C++ exception unwinding through them, or
// a processor fault nobody handles, would end the process without a word.
// So every message a framework window handles runs behind a barrier that
// catches both, writes a line to the log and lets the application decide
// (CWinApp::ProcessWndProcException); the message then gets a safe result
// and the program carries on.

#include "platform/mfc/cstring.h"

#include <windows.h>

// What the barrier caught, valid during the call that reports it.
struct AFX_WNDPROC_EXCEPTION
{
    DWORD code;                      // the fault's code, or CSehGuard::CppExceptionCode
    const EXCEPTION_RECORD* record;  // a fault's record and context; NULL for C++ exceptions
    const CONTEXT* context;
    CString description;             // "Access violation at 0x... writing 0x..." or the exception's text
};

// The answer a message gets after its handler failed: -1 for WM_CREATE
// (creation fails), FALSE for WM_NCCREATE, 0 otherwise; a failed WM_PAINT
// validates the window so that it does not fail again at once.
LRESULT AfxDefaultWndProcExceptionResult(const MSG& msg);

// The line the barrier logs, in the debug log's exception form.
CString AfxFormatWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG& msg);

// Where the framework's diagnostic lines go (the program's debug log, once
// something installs it); the default writes them to the debugger.
// Returns the previous sink; NULL restores the default.
typedef void (*AFX_LOG_SINK)(const char* line);
AFX_LOG_SINK AfxSetLogSink(AFX_LOG_SINK sink);
void AfxLogLine(const char* line);
