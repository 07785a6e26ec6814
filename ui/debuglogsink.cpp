#include "ui/debuglogsink.h"

#include "foundation/debuglog.h"
#include "platform/mfc/wndprocguard.h"

namespace {

void WriteToDebugLog(const char* line)
{
    DebugLog("%s", line);
}

} // namespace

void UseDebugLogForFramework()
{
    AfxSetLogSink(&WriteToDebugLog);
}
