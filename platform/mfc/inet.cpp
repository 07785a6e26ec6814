#include "platform/mfc/inet.h"

#include "platform/mfc/cwinapp.h"

#include <cstring>

namespace {

void CopyText(LPSTR buf, UINT max, LPCSTR text)
{
    if (buf && max > 0)
        lstrcpynA(buf, text ? text : "", static_cast<int>(max));
}

}  // namespace

// --- CInternetException ---

CInternetException::CInternetException(DWORD error) : m_dwError(error), m_dwContext(0)
{
}

BOOL CInternetException::GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext)
{
    if (helpContext)
        *helpContext = 0;
    if (!buf || max == 0)
        return FALSE;
    buf[0] = '\0';

    LPSTR text = NULL;
    DWORD len = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 ::GetModuleHandleA("wininet.dll"), m_dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<LPSTR>(&text), 0, NULL);
    if (len == 0)
    {
        // WinInet also fails with plain system errors.
        len = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               NULL, m_dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                               reinterpret_cast<LPSTR>(&text), 0, NULL);
    }
    if (len == 0 || !text)
        return FALSE;

    CString message(text);
    ::LocalFree(text);
    if (m_dwError == ERROR_INTERNET_EXTENDED_ERROR)
    {
        DWORD error = 0, size = 0;
        ::InternetGetLastResponseInfoA(&error, NULL, &size);
        if (size > 0)
        {
            CString response;
            DWORD room = size + 1;
            BOOL ok = ::InternetGetLastResponseInfoA(&error, response.GetBuffer(static_cast<int>(room)), &room);
            response.ReleaseBuffer(ok ? static_cast<int>(room) : 0);
            message += response;
        }
    }
    CopyText(buf, max, message);
    return TRUE;
}

void AfxThrowInternetException(DWORD_PTR context, DWORD error)
{
    if (error == 0)
        error = ::GetLastError();
    // A socket's time-out is WinInet's time-out (with WinInet's text).
    if (error == WSAETIMEDOUT)
        error = ERROR_INTERNET_TIMEOUT;
    CInternetException* e = new CInternetException(error);
    e->m_dwContext = context;
    throw e;
}

BOOL AfxSetInternetTimeouts(HINTERNET handle, DWORD timeoutMs)
{
    if (!handle)
        return FALSE;
    BOOL ok = TRUE;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ok = ::InternetSetOptionA(handle, option, &timeoutMs, sizeof(timeoutMs)) && ok;
    return ok;
}

// --- AfxParseURL ---

BOOL AfxParseURL(LPCSTR url, DWORD& serviceType, CString& server, CString& object, INTERNET_PORT& port)
{
    serviceType = AFX_INET_SERVICE_UNK;
    if (!url)
        return FALSE;

    // Canonicalized first, as a browser would.
    CString canonical;
    DWORD size = INTERNET_MAX_URL_LENGTH;
    BOOL ok = ::InternetCanonicalizeUrlA(url, canonical.GetBuffer(static_cast<int>(size)), &size, ICU_BROWSER_MODE);
    if (!ok && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER)
    {
        canonical.ReleaseBuffer(0);
        size += 1;
        ok = ::InternetCanonicalizeUrlA(url, canonical.GetBuffer(static_cast<int>(size)), &size, ICU_BROWSER_MODE);
    }
    canonical.ReleaseBuffer(ok ? static_cast<int>(size) : 0);
    if (!ok)
        return FALSE;

    URL_COMPONENTSA parts;
    memset(&parts, 0, sizeof(parts));
    parts.dwStructSize = sizeof(parts);
    CString host, path;
    parts.lpszHostName = host.GetBuffer(INTERNET_MAX_URL_LENGTH + 1);
    parts.dwHostNameLength = INTERNET_MAX_URL_LENGTH;
    parts.lpszUrlPath = path.GetBuffer(INTERNET_MAX_URL_LENGTH + 1);
    parts.dwUrlPathLength = INTERNET_MAX_URL_LENGTH;
    ok = ::InternetCrackUrlA(canonical, 0, 0, &parts);
    host.ReleaseBuffer(ok ? static_cast<int>(parts.dwHostNameLength) : 0);
    path.ReleaseBuffer(ok ? static_cast<int>(parts.dwUrlPathLength) : 0);
    if (!ok)
        return FALSE;

    server = host;
    object = path;
    port = parts.nPort;
    switch (parts.nScheme)
    {
    case INTERNET_SCHEME_FTP: serviceType = AFX_INET_SERVICE_FTP; break;
    case INTERNET_SCHEME_GOPHER: serviceType = AFX_INET_SERVICE_GOPHER; break;
    case INTERNET_SCHEME_HTTP: serviceType = AFX_INET_SERVICE_HTTP; break;
    case INTERNET_SCHEME_HTTPS: serviceType = AFX_INET_SERVICE_HTTPS; break;
    case INTERNET_SCHEME_FILE: serviceType = AFX_INET_SERVICE_FILE; break;
    case INTERNET_SCHEME_NEWS: serviceType = AFX_INET_SERVICE_NNTP; break;
    case INTERNET_SCHEME_MAILTO: serviceType = AFX_INET_SERVICE_MAILTO; break;
    default: serviceType = AFX_INET_SERVICE_UNK; break;
    }
    return TRUE;
}

// --- CInternetSession ---

CInternetSession::CInternetSession(LPCSTR agent, DWORD_PTR context, DWORD accessType, LPCSTR proxyName,
                                   LPCSTR proxyBypass, DWORD flags)
    : m_hSession(NULL), m_dwContext(context)
{
    CString name = agent ? CString(agent) : AfxGetModuleTitle(nullptr);
    m_hSession = ::InternetOpenA(name, accessType, proxyName, proxyBypass, flags);
    if (!m_hSession)
        AfxThrowInternetException(context);
}

CInternetSession::~CInternetSession()
{
    Close();
}

CHttpConnection* CInternetSession::GetHttpConnection(LPCSTR server, INTERNET_PORT port, LPCSTR userName,
                                                     LPCSTR password)
{
    return new CHttpConnection(this, server, port, userName, password, m_dwContext);
}

void CInternetSession::Close()
{
    if (m_hSession)
        ::InternetCloseHandle(m_hSession);
    m_hSession = NULL;
}

// --- CInternetConnection ---

CInternetConnection::CInternetConnection(CInternetSession* session, LPCSTR server, INTERNET_PORT port,
                                         DWORD_PTR context)
    : m_hConnection(NULL), m_dwContext(context), m_pSession(session), m_strServerName(server), m_nPort(port)
{
}

CInternetConnection::~CInternetConnection()
{
    Close();
}

void CInternetConnection::Close()
{
    if (m_hConnection)
        ::InternetCloseHandle(m_hConnection);
    m_hConnection = NULL;
}

// --- CHttpConnection ---

CHttpConnection::CHttpConnection(CInternetSession* session, LPCSTR server, INTERNET_PORT port, LPCSTR userName,
                                 LPCSTR password, DWORD_PTR context)
    : CInternetConnection(session, server, port, context)
{
    m_hConnection = ::InternetConnectA(*session, server, port, userName, password, INTERNET_SERVICE_HTTP, 0, context);
    if (!m_hConnection)
        AfxThrowInternetException(context);
}

CHttpFile* CHttpConnection::OpenRequest(LPCSTR verb, LPCSTR objectName, LPCSTR referer, DWORD_PTR context,
                                        LPCSTR* acceptTypes, LPCSTR version, DWORD flags)
{
    if (context == 1)
        context = m_dwContext;
    HINTERNET h = ::HttpOpenRequestA(m_hConnection, verb, objectName, version, referer, acceptTypes, flags, context);
    if (!h)
        AfxThrowInternetException(context);
    CHttpFile* file = new CHttpFile(h, verb, objectName, this);
    return file;
}

CHttpFile* CHttpConnection::OpenRequest(int verb, LPCSTR objectName, LPCSTR referer, DWORD_PTR context,
                                        LPCSTR* acceptTypes, LPCSTR version, DWORD flags)
{
    static const char* const kVerbs[] = {"POST", "GET", "HEAD", "PUT", "LINK", "DELETE", "UNLINK"};
    if (verb < HTTP_VERB_MIN || verb > HTTP_VERB_MAX)
        AfxThrowInternetException(context, ERROR_INVALID_PARAMETER);
    return OpenRequest(kVerbs[verb], objectName, referer, context, acceptTypes, version, flags);
}

// --- CInternetFile and CHttpFile ---

CInternetFile::CInternetFile(HINTERNET file, LPCSTR fileName, CInternetConnection* connection, DWORD_PTR context)
    : m_hFile(file), m_dwContext(context), m_pConnection(connection), m_strFileName(fileName)
{
}

CInternetFile::~CInternetFile()
{
    Close();
}

UINT CInternetFile::Read(void* buf, UINT count)
{
    DWORD read = 0;
    if (!::InternetReadFile(m_hFile, buf, count, &read))
        AfxThrowInternetException(m_dwContext);
    return read;
}

void CInternetFile::Write(const void* buf, UINT count)
{
    DWORD written = 0;
    if (!::InternetWriteFile(m_hFile, buf, count, &written))
        AfxThrowInternetException(m_dwContext);
    if (written != count)
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_CONNECTION_ABORTED);
}

void CInternetFile::Close()
{
    HINTERNET file = static_cast<HINTERNET>(::InterlockedExchangePointer(&m_hFile, NULL));
    if (file)
        ::InternetCloseHandle(file);
}

CHttpFile::CHttpFile(HINTERNET file, LPCSTR verb, LPCSTR object, CHttpConnection* connection)
    : CInternetFile(file, object, connection, connection ? connection->GetContext() : 1),
      m_strVerb(verb),
      m_strObject(object)
{
}

BOOL CHttpFile::AddRequestHeaders(LPCSTR headers, DWORD modifiers, int headerLen)
{
    if (!headers)
        return FALSE;
    DWORD len = headerLen < 0 ? static_cast<DWORD>(strlen(headers)) : static_cast<DWORD>(headerLen);
    return ::HttpAddRequestHeadersA(m_hFile, headers, len, modifiers);
}

BOOL CHttpFile::AddRequestHeaders(const CString& headers, DWORD modifiers)
{
    return AddRequestHeaders(headers, modifiers, headers.GetLength());
}

BOOL CHttpFile::SendRequest(LPCSTR headers, DWORD headersLen, LPVOID optional, DWORD optionalLen)
{
    if (!::HttpSendRequestA(m_hFile, headers, headersLen, optional, optionalLen))
        AfxThrowInternetException(m_dwContext);
    return TRUE;
}

BOOL CHttpFile::SendRequest(const CString& headers, LPVOID optional, DWORD optionalLen)
{
    return SendRequest(headers, static_cast<DWORD>(headers.GetLength()), optional, optionalLen);
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& statusCode) const
{
    return QueryInfo(HTTP_QUERY_STATUS_CODE, statusCode);
}

BOOL CHttpFile::QueryInfo(DWORD infoLevel, DWORD& result, LPDWORD index) const
{
    DWORD value = 0, size = sizeof(value);
    if (!::HttpQueryInfoA(m_hFile, infoLevel | HTTP_QUERY_FLAG_NUMBER, &value, &size, index))
        return FALSE;
    result = value;
    return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD infoLevel, CString& result, LPDWORD index) const
{
    DWORD size = 0;
    DWORD keep = index ? *index : 0;
    ::HttpQueryInfoA(m_hFile, infoLevel, NULL, &size, index);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    {
        result.Empty();
        return FALSE;
    }
    if (index)
        *index = keep;
    CString text;
    DWORD room = size + 1;
    BOOL ok = ::HttpQueryInfoA(m_hFile, infoLevel, text.GetBuffer(static_cast<int>(room)), &room, index);
    text.ReleaseBuffer(ok ? static_cast<int>(room) : 0);
    if (ok)
        result = text;
    else
        result.Empty();
    return ok;
}
