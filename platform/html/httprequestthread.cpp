#include "platform/html/httprequestthread.h"

#include <wininet.h>

namespace
{
LONG g_pending = 0;

// How long a request may wait to connect, to send and for each read.
const DWORD kTimeoutMs = 30000;

struct RequestState
{
    LONG refs = 2;  // the caller and the worker
    std::string url;
    LONG status = 0;

    void Release()
    {
        if (InterlockedDecrement(&refs) == 0)
        {
            InterlockedDecrement(&g_pending);
            delete this;
        }
    }
};

}  // namespace

DWORD HttpGetBytes(const std::string& url, std::vector<BYTE>* body, size_t maxBytes)
{
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    char path[INTERNET_MAX_PATH_LENGTH] = {};
    char extra[INTERNET_MAX_PATH_LENGTH] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof(extra);
    if (url.empty() || !InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return 0;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return 0;
    DWORD status = 0;
    HINTERNET session = InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = session ? InternetConnectA(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1)
                                   : nullptr;
    // A silent server does not hold the worker for ever; the request takes
    // the connection's bounds.
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        if (connection)
            InternetSetOptionA(connection, option, const_cast<DWORD*>(&kTimeoutMs), sizeof(kTimeoutMs));
    std::string object = std::string(path[0] ? path : "/") + extra;
    // Whether the address answers now: nothing from the cache.
    DWORD flags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                  (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = connection ? HttpOpenRequestA(connection, "GET", object.c_str(), nullptr, nullptr, nullptr, flags, 1)
                                   : nullptr;
    if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0))
    {
        DWORD size = sizeof(status);
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            status = 0;
        if (body && status)
        {
            BYTE buffer[16384];
            DWORD read = 0;
            while (InternetReadFile(request, buffer, sizeof(buffer), &read) && read > 0 && body->size() + read <= maxBytes)
                body->insert(body->end(), buffer, buffer + read);
        }
    }
    if (request)
        InternetCloseHandle(request);
    if (connection)
        InternetCloseHandle(connection);
    if (session)
        InternetCloseHandle(session);
    return status;
}

namespace
{
DWORD WINAPI Worker(LPVOID param)
{
    RequestState* state = static_cast<RequestState*>(param);
    DWORD status = HttpGetBytes(state->url, nullptr);
    InterlockedExchange(&state->status, static_cast<LONG>(status));
    state->Release();
    return 0;
}
}  // namespace

LONG HttpRequestThread::PendingRequests()
{
    return InterlockedCompareExchange(&g_pending, 0, 0);
}

bool HttpRequestThread::Run(const std::string& url, DWORD timeoutMs)
{
    m_url = url;
    m_status = 0;
    RequestState* state = new RequestState();
    state->url = url;
    InterlockedIncrement(&g_pending);
    HANDLE thread = CreateThread(nullptr, 0, Worker, state, 0, nullptr);
    if (!thread)
    {
        state->Release();
        state->Release();
        return false;
    }
    // An answer after the time-out is the worker's alone.
    bool done = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    m_status = done ? static_cast<DWORD>(InterlockedCompareExchange(&state->status, 0, 0)) : 0;
    state->Release();
    return m_status == 200;
}
