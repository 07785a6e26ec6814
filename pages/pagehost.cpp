#include "pages/pagehost.h"

namespace {
IPageHost* g_pageHost = nullptr;
}

IPageHost* GetPageHost()
{
    return g_pageHost;
}

IQuarantine* GetPageQuarantine()
{
    CComPtr<IQuarantine>* quarantine = g_pageHost ? g_pageHost->GetQuarantine() : nullptr;
    return quarantine ? static_cast<IQuarantine*>(*quarantine) : nullptr;
}

IIgnoreList* GetPageIgnoreList()
{
    CComPtr<IIgnoreList>* list = g_pageHost ? g_pageHost->GetIgnoreList() : nullptr;
    return list ? static_cast<IIgnoreList*>(*list) : nullptr;
}

IPageHost* SetPageHost(IPageHost* host)
{
    IPageHost* previous = g_pageHost;
    g_pageHost = host;
    return previous;
}
