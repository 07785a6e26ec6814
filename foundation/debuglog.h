#pragma once
// Plain-text diagnostic log: one line per call appended to "sdebug.log" in
// the program's folder, stamped with the UTC time. Failures are silent.

#include "platform/mfc/exception.h"

#include <windows.h>

// Formats like printf; at most 1,000 characters of the message reach the
// line. A NULL or empty format writes nothing. Safe to call from any thread.
void DebugLog(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(gnu_printf, 1, 2)))
#endif
    ;

// Logs the exception's message with the function name; the exception is not
// deleted. An exception without a message logs nothing.
void LogException(CException* exception, const char* function);

// Test seams. A folder (with or without trailing backslash) replaces the
// program's folder; NULL restores it.
void SetDebugLogFolder(const char* folderOrNull);
// Replaces GetSystemTime as the clock; NULL restores it. Returns the previous.
typedef void (WINAPI *DebugLogClockFn)(SYSTEMTIME* utc);
DebugLogClockFn SetDebugLogClock(DebugLogClockFn clock);
