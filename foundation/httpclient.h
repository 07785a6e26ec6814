#pragma once
// One GET or one form POST to a URL over WinInet. WinInet failures reach the
// caller as CInternetException pointers. Every request waits at most
// m_dwTimeoutMs to connect, to send and for each read; another thread may
// abort the open request (Abort).

#include <mutex>

#include "platform/mfc/cstring.h"
#include "platform/mfc/inet.h"

class CHttpClient
{
public:
    CHttpClient();
    ~CHttpClient();

    // GET of m_strURL over the existing session; true only for status 200.
    bool OpenGet();
    // POST of body as a form over a new session; the result of sending.
    bool PostForm(const CString& body);
    // Closes and frees the request, the connection and the session.
    void Close();
    // Any thread: closes the open request's handle, so that a send or read
    // blocked in it fails now; the request object stays for Close.
    void Abort();
    // Whether the current request was aborted.
    bool IsAborted() const { return m_bAborted; }

    CString m_strURL;
    CHttpFile* m_pRequest;
    CHttpConnection* m_pConnection;
    CInternetSession* m_pSession;
    // Connect, send and receive time-out of the requests opened from now on.
    DWORD m_dwTimeoutMs;

private:
    void CloseRequest();
    // Connects to the URL's server and opens the request; false for a URL
    // that does not parse.
    bool OpenRequest(int verb, LPCSTR* acceptTypes);

    // Guards the request object against Abort while it is made or freed.
    std::mutex m_requestLock;
    volatile bool m_bAborted;

    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;
};

// Form encoding: unsafe bytes as "%xx" (lower-case hex), a blank as "+".
CString UrlEncode(const CString& text);
bool NeedsUrlEscape(BYTE ch);
