#include "app/schedulerhost.h"

namespace {

ISchedulerHost* g_host = NULL;

} // namespace

void SetSchedulerHost(ISchedulerHost* host)
{
    g_host = host;
}

ISchedulerHost* GetSchedulerHost()
{
    return g_host;
}
