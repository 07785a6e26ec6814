#pragma once
// A small form-posting client on WinInet for the support report. It keeps its
// Internet, connection and request handles between calls and reports
// failures through a kept system error code, never by exceptions. A request
// counts as sent only when the server answers with a 2xx status.

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

class CHttpPostClient
{
public:
    // host is "name" or "name:port"; without a port the secure flag picks 443 or 80.
    CHttpPostClient(const char* host, bool secure);
    // Closes whatever is still open.
    ~CHttpPostClient();

    bool Open(const char* agent);
    // Connects to host, or to the stored host when NULL, or to "localhost".
    bool Connect(const char* host);
    // The kept error and status are those of this request alone.
    bool SendRequest(const char* verb, const char* path, const void* data, const char* referrer, DWORD length);
    bool Post(const char* path, const void* data, const char* referrer, DWORD length);

    void CloseRequest();
    void Disconnect();
    void Close();

    // NULL or "" sends no extra headers.
    void SetHeaders(const char* headers);
    // Grows the response buffer to hold n bytes; contents are not kept.
    void ReserveResponse(DWORD n);

    // 0 while nothing failed; ERROR_HTTP_INVALID_SERVER_RESPONSE when the
    // server answered with a status outside 2xx (see GetStatusCode).
    DWORD GetLastError() const { return m_lastError; }
    // The HTTP status of the last request; 0 when none came.
    DWORD GetStatusCode() const { return m_status; }
    bool IsOpen() const { return m_hInternet != NULL; }
    bool IsConnected() const { return m_hConnection != NULL; }
    bool HasRequest() const { return m_hRequest != NULL; }
    DWORD GetResponseCapacity() const { return m_capacity; }
    // Connect, send and receive time-out of the connections made from now on.
    void SetTimeout(DWORD timeoutMs) { m_timeoutMs = timeoutMs; }

    // The request flags for the secure flag: certificates are checked in full.
    static DWORD RequestFlags(bool secure);

private:
    CHttpPostClient(const CHttpPostClient&) = delete;
    CHttpPostClient& operator=(const CHttpPostClient&) = delete;

    bool SetLastErrorFromResult(bool result);
    static void CloseHandleOf(HINTERNET& handle);

    HINTERNET m_hInternet;
    HINTERNET m_hConnection;
    HINTERNET m_hRequest;
    DWORD m_lastError;
    bool m_secure;
    std::string m_host;
    INTERNET_PORT m_port;  // 0: by the secure flag
    std::string m_headers;  // empty: none
    std::vector<BYTE> m_response;
    DWORD m_capacity;
    DWORD m_status;
    DWORD m_timeoutMs;
};
