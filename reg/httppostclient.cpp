#include "reg/httppostclient.h"

#include <cstdlib>

#include "platform/mfc/inet.h"

namespace {

const char kFormHeaders[] =
    "Content-Type: application/x-www-form-urlencoded\r\nAccept-Language: eng\r\nAccept-Encoding: gzip, deflate";

// Splits "name:port"; a text without a numeric port is all name.
void SplitHost(const std::string& text, std::string& name, INTERNET_PORT& port)
{
    name = text;
    port = 0;
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size())
        return;
    for (size_t i = colon + 1; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return;
    const unsigned long value = strtoul(text.c_str() + colon + 1, NULL, 10);
    if (value == 0 || value > 65535)
        return;
    name = text.substr(0, colon);
    port = static_cast<INTERNET_PORT>(value);
}

} // namespace

CHttpPostClient::CHttpPostClient(const char* host, bool secure)
    : m_hInternet(NULL), m_hConnection(NULL), m_hRequest(NULL), m_lastError(0), m_secure(secure), m_port(0),
      m_headers(kFormHeaders), m_capacity(0), m_status(0), m_timeoutMs(AFX_INET_DEFAULT_TIMEOUT_MS)
{
    if (host)
        SplitHost(host, m_host, m_port);
}

CHttpPostClient::~CHttpPostClient()
{
    Close();
}

void CHttpPostClient::CloseHandleOf(HINTERNET& handle)
{
    if (handle)
    {
        InternetCloseHandle(handle);
        handle = NULL;
    }
}

bool CHttpPostClient::SetLastErrorFromResult(bool result)
{
    if (!result)
        m_lastError = ::GetLastError();
    return result;
}

bool CHttpPostClient::Open(const char* agent)
{
    if (!m_hInternet)
        m_hInternet = InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    return SetLastErrorFromResult(m_hInternet != NULL);
}

bool CHttpPostClient::Connect(const char* host)
{
    if (!Open("Telmin Cleanwarden"))
        return false;
    if (!m_hConnection)
    {
        std::string name = m_host;
        INTERNET_PORT port = m_port;
        if (host)
            SplitHost(host, name, port);
        if (name.empty())
            name = "localhost";
        if (port == 0)
            port = m_secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
        m_hConnection = InternetConnectA(m_hInternet, name.c_str(), port, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 1);
        // The requests made from it take its bounds: a silent server fails the
        // post instead of holding the sending thread for ever.
        AfxSetInternetTimeouts(m_hConnection, m_timeoutMs);
    }
    return SetLastErrorFromResult(m_hConnection != NULL);
}

DWORD CHttpPostClient::RequestFlags(bool secure)
{
    return INTERNET_FLAG_KEEP_CONNECTION | (secure ? INTERNET_FLAG_SECURE : 0);
}

bool CHttpPostClient::SendRequest(const char* verb, const char* path, const void* data, const char* referrer,
                                  DWORD length)
{
    m_lastError = 0;
    m_status = 0;
    if (!Connect(NULL))
        return false;
    CloseRequest();
    LPCSTR acceptTypes[] = {"*/*", NULL};
    m_hRequest = HttpOpenRequestA(m_hConnection, verb, path, NULL, referrer, acceptTypes, RequestFlags(m_secure), 1);
    if (!SetLastErrorFromResult(m_hRequest != NULL))
        return false;
    const bool hasHeaders = !m_headers.empty();
    if (!SetLastErrorFromResult(HttpSendRequestA(m_hRequest, hasHeaders ? m_headers.c_str() : NULL,
                                                 hasHeaders ? static_cast<DWORD>(-1) : 0, const_cast<void*>(data),
                                                 data ? length : 0) != FALSE))
    {
        CloseRequest();
        return false;
    }
    DWORD status = 0, size = sizeof(status);
    if (!SetLastErrorFromResult(HttpQueryInfoA(m_hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                               &size, NULL) != FALSE))
        return false;
    m_status = status;
    if (status < 200 || status > 299)
    {
        m_lastError = ERROR_HTTP_INVALID_SERVER_RESPONSE;
        return false;
    }
    return true;
}

bool CHttpPostClient::Post(const char* path, const void* data, const char* referrer, DWORD length)
{
    return SendRequest("POST", path, data, referrer, length);
}

void CHttpPostClient::CloseRequest()
{
    CloseHandleOf(m_hRequest);
}

void CHttpPostClient::Disconnect()
{
    CloseRequest();
    CloseHandleOf(m_hConnection);
}

void CHttpPostClient::Close()
{
    Disconnect();
    CloseHandleOf(m_hInternet);
}

void CHttpPostClient::SetHeaders(const char* headers)
{
    m_headers = headers ? headers : "";
}

void CHttpPostClient::ReserveResponse(DWORD n)
{
    if (n <= m_capacity)
        return;
    m_response.assign(static_cast<size_t>(n) + 1, 0);
    m_capacity = n;
}
