#include "pages/pagehost.h"

namespace {
IPageHost* g_pageHost = nullptr;
}

IPageHost* GetPageHost()
{
    return g_pageHost;
}

IPageHost* SetPageHost(IPageHost* host)
{
    IPageHost* previous = g_pageHost;
    g_pageHost = host;
    return previous;
}
