#include "foundation/debuglog.h"

#include "foundation/syshelpers.h"
#include "platform/mfc/cstring.h"

#include <cstdarg>
#include <cstdio>

namespace {

const int kMaxMessage = 1000;

// One lock for the whole process so that lines from several threads never
// interleave in the file and never race for it. Statically initialised.
SRWLOCK g_lock = SRWLOCK_INIT;
CString g_folder;  // guarded by g_lock; empty means the program's folder
DebugLogClockFn g_clock = GetSystemTime;

class LockGuard
{
public:
    LockGuard() { AcquireSRWLockExclusive(&g_lock); }
    ~LockGuard() { ReleaseSRWLockExclusive(&g_lock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
};

CString LogPath()
{
    CString folder = g_folder;
    if (folder.IsEmpty()) {
        char module[MAX_PATH];
        CopyModuleFolder(module, sizeof(module));
        folder = module;
    }
    if (folder.IsEmpty())
        return CString();
    if (folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    return folder + "sdebug.log";
}

}  // namespace

void DebugLog(const char* format, ...)
{
    if (!format || !*format)
        return;

    char message[kMaxMessage + 24];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    if (n < 0)
        message[0] = '\0';
    message[sizeof(message) - 1] = '\0';

    LockGuard lock;
    const CString path = LogPath();
    if (path.IsEmpty())
        return;
    FILE* file = fopen(path, "ab");
    if (!file)
        return;
    SYSTEMTIME now = {};
    g_clock(&now);
    char line[kMaxMessage + 64];
    n = snprintf(line, sizeof(line), "[%.2d.%.2d.%.4d %.2d:%.2d:%.2d] %.1000s\r\n", now.wDay,
                 now.wMonth, now.wYear, now.wHour, now.wMinute, now.wSecond, message);
    if (n > 0) {
        size_t length = static_cast<size_t>(n);
        if (length >= sizeof(line))
            length = sizeof(line) - 1;
        fwrite(line, 1, length, file);
    }
    fclose(file);
}

void LogException(CException* exception, const char* function)
{
    if (!exception)
        return;
    char message[512] = "";
    if (!exception->GetErrorMessage(message, sizeof(message)))
        return;
    message[sizeof(message) - 1] = '\0';
    CString text;
    text.Format("Message: %s\nFunction: %s", message, function ? function : "");
    DebugLog("%s", text.GetString());
}

void SetDebugLogFolder(const char* folderOrNull)
{
    LockGuard lock;
    g_folder = folderOrNull;
}

DebugLogClockFn SetDebugLogClock(DebugLogClockFn clock)
{
    LockGuard lock;
    DebugLogClockFn previous = g_clock;
    g_clock = clock ? clock : GetSystemTime;
    return previous;
}
