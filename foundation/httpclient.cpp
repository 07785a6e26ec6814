#include "foundation/httpclient.h"

#include <cstring>

CHttpClient::CHttpClient()
    : m_pRequest(NULL), m_pConnection(NULL), m_pSession(NULL), m_dwTimeoutMs(AFX_INET_DEFAULT_TIMEOUT_MS),
      m_bAborted(false)
{
}

CHttpClient::~CHttpClient()
{
    Close();
}

namespace {

// Closes, deletes and forgets one of the client's WinInet objects.
template <class T>
void CloseAndDelete(T*& object)
{
    if (object)
    {
        object->Close();
        delete object;
        object = NULL;
    }
}

} // namespace

void CHttpClient::CloseRequest()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        CloseAndDelete(m_pRequest);
    }
    CloseAndDelete(m_pConnection);
}

void CHttpClient::Abort()
{
    std::lock_guard<std::mutex> lock(m_requestLock);
    if (!m_pRequest)
        return;
    m_bAborted = true;
    m_pRequest->Close();
}

void CHttpClient::Close()
{
    CloseRequest();
    CloseAndDelete(m_pSession);
}

bool CHttpClient::OpenRequest(int verb, LPCSTR* acceptTypes)
{
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    if (!AfxParseURL(m_strURL, service, server, object, port))
        return false;
    m_pConnection = m_pSession->GetHttpConnection(server, port, NULL, NULL);
    // WinInet waits without limit unless told otherwise; the request takes
    // the connection's bounds.
    AfxSetInternetTimeouts(*m_pConnection, m_dwTimeoutMs);
    CHttpFile* request =
        m_pConnection->OpenRequest(verb, object, NULL, 1, acceptTypes, NULL, INTERNET_FLAG_EXISTING_CONNECT);
    AfxSetInternetTimeouts(*request, m_dwTimeoutMs);
    std::lock_guard<std::mutex> lock(m_requestLock);
    m_pRequest = request;
    m_bAborted = false;
    return true;
}

bool CHttpClient::OpenGet()
{
    // A repeated call replaces the previous request rather than leaking it.
    CloseRequest();
    if (!m_pSession)
        return false;

    LPCSTR acceptTypes[] = {"application/x-ofc", NULL};
    if (!OpenRequest(CHttpConnection::HTTP_VERB_GET, acceptTypes))
        return false;
    m_pRequest->AddRequestHeaders("Accept: */*\r\nUser-Agent: Application\r\n", HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    m_pRequest->SendRequest();

    DWORD status = 0;
    return m_pRequest->QueryInfoStatusCode(status) && status == HTTP_STATUS_OK;
}

bool CHttpClient::PostForm(const CString& body)
{
    Close();
    m_pSession = new CInternetSession(NULL, 1, PRE_CONFIG_INTERNET_ACCESS, NULL, NULL, 0);

    if (!OpenRequest(CHttpConnection::HTTP_VERB_POST, NULL))
        return false;
    CString headers = "Content-Type: application/x-www-form-urlencoded";
    return m_pRequest->SendRequest(headers, const_cast<LPSTR>(body.GetString()),
                                   static_cast<DWORD>(body.GetLength())) != FALSE;
}

bool NeedsUrlEscape(BYTE ch)
{
    if (ch < 32 || ch > 126)
        return true;
    return strchr(" \"#$%&+,;<=>?@[\\]^`{|}", ch) != NULL;
}

CString UrlEncode(const CString& text)
{
    static const char kHex[] = "0123456789abcdef";
    CString out;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        BYTE ch = static_cast<BYTE>(text.GetAt(i));
        if (!NeedsUrlEscape(ch))
            out += static_cast<char>(ch);
        else if (ch == ' ')
            out += '+';
        else
        {
            out += '%';
            out += kHex[ch >> 4];
            out += kHex[ch & 15];
        }
    }
    return out;
}
