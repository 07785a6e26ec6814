#pragma once
// Tells within a time limit whether a web address answers: a worker thread
// sends one GET through WinInet and records the HTTP status. The request's
// state belongs to the caller and the worker together, so a worker that is
// still waiting for the server after the caller gave up writes into state
// that is still there, and frees it when it ends.

#include <windows.h>

#include <string>
#include <vector>

// One GET through WinInet on the calling thread: the HTTP status (0 when
// there was no answer or the URL is no http(s) address) and, when asked, the
// body (at most maxBytes).
DWORD HttpGetBytes(const std::string& url, std::vector<BYTE>* body, size_t maxBytes = 32u * 1024 * 1024);

class HttpRequestThread
{
public:
    HttpRequestThread() = default;
    HttpRequestThread(const HttpRequestThread&) = delete;
    HttpRequestThread& operator=(const HttpRequestThread&) = delete;

    // Waits up to timeoutMs for the answer; true when it was 200.
    bool Run(const std::string& url, DWORD timeoutMs);

    DWORD StatusCode() const { return m_status; }  // 0 until a response arrived in time
    const std::string& Url() const { return m_url; }

    // Requests whose workers are still running (for tests).
    static LONG PendingRequests();

private:
    std::string m_url;
    DWORD m_status = 0;
};
