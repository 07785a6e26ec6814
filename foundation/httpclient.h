#pragma once
// One GET or one form POST to a URL over WinInet. WinInet failures reach the
// caller as CInternetException pointers.

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

    CString m_strURL;
    CHttpFile* m_pRequest;
    CHttpConnection* m_pConnection;
    CInternetSession* m_pSession;

private:
    void CloseRequest();
    // Connects to the URL's server and opens the request; false for a URL
    // that does not parse.
    bool OpenRequest(int verb, LPCSTR* acceptTypes);

    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;
};

// Form encoding: unsafe bytes as "%xx" (lower-case hex), a blank as "+".
CString UrlEncode(const CString& text);
bool NeedsUrlEscape(BYTE ch);
