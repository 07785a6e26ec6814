#pragma once
// WinInet session, HTTP connection and request with the interface of the MFC
// internet classes. WinInet failures throw a CInternetException by pointer
// (the catcher calls Delete); AddRequestHeaders and the queries report through
// their results.

#include "platform/mfc/cstring.h"
#include "platform/mfc/exception.h"

#include <windows.h>
#include <wininet.h>

#define AFX_INET_SERVICE_FTP INTERNET_SERVICE_FTP
#define AFX_INET_SERVICE_HTTP INTERNET_SERVICE_HTTP
#define AFX_INET_SERVICE_GOPHER INTERNET_SERVICE_GOPHER
#define AFX_INET_SERVICE_UNK 0x1000
#define AFX_INET_SERVICE_FILE (AFX_INET_SERVICE_UNK + 1)
#define AFX_INET_SERVICE_MAILTO (AFX_INET_SERVICE_UNK + 2)
#define AFX_INET_SERVICE_MID (AFX_INET_SERVICE_UNK + 3)
#define AFX_INET_SERVICE_CID (AFX_INET_SERVICE_UNK + 4)
#define AFX_INET_SERVICE_NEWS (AFX_INET_SERVICE_UNK + 5)
#define AFX_INET_SERVICE_NNTP (AFX_INET_SERVICE_UNK + 6)
#define AFX_INET_SERVICE_PROSPERO (AFX_INET_SERVICE_UNK + 7)
#define AFX_INET_SERVICE_TELNET (AFX_INET_SERVICE_UNK + 8)
#define AFX_INET_SERVICE_WAIS (AFX_INET_SERVICE_UNK + 9)
#define AFX_INET_SERVICE_AFS (AFX_INET_SERVICE_UNK + 10)
#define AFX_INET_SERVICE_HTTPS (AFX_INET_SERVICE_UNK + 11)

#define PRE_CONFIG_INTERNET_ACCESS INTERNET_OPEN_TYPE_PRECONFIG
#define LOCAL_INTERNET_ACCESS INTERNET_OPEN_TYPE_DIRECT
#define CERN_PROXY_INTERNET_ACCESS INTERNET_OPEN_TYPE_PROXY

class CInternetException : public CException
{
public:
    explicit CInternetException(DWORD error);

    // WinInet's text for the error; for ERROR_INTERNET_EXTENDED_ERROR the
    // server's last response follows. FALSE (empty text) when none is known.
    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL) override;

    DWORD m_dwError;
    DWORD_PTR m_dwContext;
};

// error 0 takes GetLastError().
[[noreturn]] void AfxThrowInternetException(DWORD_PTR context, DWORD error = 0);

// How long WinInet may wait to connect, to send and to receive, unless a
// caller sets its own.
const DWORD AFX_INET_DEFAULT_TIMEOUT_MS = 30000;

// Sets the connect, send and receive time-outs of a WinInet handle (and of
// the handles made from it afterwards) to the same bound; FALSE when WinInet
// refused one of them.
BOOL AfxSetInternetTimeouts(HINTERNET handle, DWORD timeoutMs);

// Splits a URL into service, server, object (path with any query) and port;
// FALSE, with AFX_INET_SERVICE_UNK, when WinInet cannot crack it.
BOOL AfxParseURL(LPCSTR url, DWORD& serviceType, CString& server, CString& object, INTERNET_PORT& port);

class CHttpConnection;

class CInternetSession
{
public:
    // A NULL agent names the program (its file name without extension).
    explicit CInternetSession(LPCSTR agent = NULL, DWORD_PTR context = 1, DWORD accessType = PRE_CONFIG_INTERNET_ACCESS,
                              LPCSTR proxyName = NULL, LPCSTR proxyBypass = NULL, DWORD flags = 0);
    virtual ~CInternetSession();

    CHttpConnection* GetHttpConnection(LPCSTR server, INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                                       LPCSTR userName = NULL, LPCSTR password = NULL);
    virtual void Close();

    DWORD_PTR GetContext() const { return m_dwContext; }
    operator HINTERNET() const { return m_hSession; }

protected:
    HINTERNET m_hSession;
    DWORD_PTR m_dwContext;

private:
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
};

class CInternetConnection
{
public:
    CInternetConnection(CInternetSession* session, LPCSTR server, INTERNET_PORT port, DWORD_PTR context);
    virtual ~CInternetConnection();

    virtual void Close();

    CInternetSession* GetSession() const { return m_pSession; }
    CString GetServerName() const { return m_strServerName; }
    DWORD_PTR GetContext() const { return m_dwContext; }
    operator HINTERNET() const { return m_hConnection; }

protected:
    HINTERNET m_hConnection;
    DWORD_PTR m_dwContext;
    CInternetSession* m_pSession;
    CString m_strServerName;
    INTERNET_PORT m_nPort;

private:
    CInternetConnection(const CInternetConnection&) = delete;
    CInternetConnection& operator=(const CInternetConnection&) = delete;
};

class CInternetFile
{
public:
    CInternetFile(HINTERNET file, LPCSTR fileName, CInternetConnection* connection, DWORD_PTR context);
    virtual ~CInternetFile();

    // Reads up to count bytes; 0 at the end of the data.
    virtual UINT Read(void* buf, UINT count);
    virtual void Write(const void* buf, UINT count);
    // Closes the handle once, whichever thread gets there first: another
    // thread may close it to end a blocked read or send.
    virtual void Close();

    DWORD_PTR GetContext() const { return m_dwContext; }
    CString GetFileName() const { return m_strFileName; }
    operator HINTERNET() const { return m_hFile; }

protected:
    HINTERNET volatile m_hFile;
    DWORD_PTR m_dwContext;
    CInternetConnection* m_pConnection;
    CString m_strFileName;

private:
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;
};

class CHttpFile : public CInternetFile
{
public:
    CHttpFile(HINTERNET file, LPCSTR verb, LPCSTR object, CHttpConnection* connection);

    // headerLen -1: the headers end at their NUL.
    BOOL AddRequestHeaders(LPCSTR headers, DWORD modifiers = HTTP_ADDREQ_FLAG_ADD_IF_NEW, int headerLen = -1);
    BOOL AddRequestHeaders(const CString& headers, DWORD modifiers = HTTP_ADDREQ_FLAG_ADD_IF_NEW);

    // Both throw a CInternetException when the request cannot be sent.
    BOOL SendRequest(LPCSTR headers = NULL, DWORD headersLen = 0, LPVOID optional = NULL, DWORD optionalLen = 0);
    BOOL SendRequest(const CString& headers, LPVOID optional = NULL, DWORD optionalLen = 0);

    BOOL QueryInfoStatusCode(DWORD& statusCode) const;
    // The level is read as a number (HTTP_QUERY_FLAG_NUMBER is added).
    BOOL QueryInfo(DWORD infoLevel, DWORD& result, LPDWORD index = NULL) const;
    BOOL QueryInfo(DWORD infoLevel, CString& result, LPDWORD index = NULL) const;

    CString GetVerb() const { return m_strVerb; }
    CString GetObject() const { return m_strObject; }

protected:
    CString m_strVerb;
    CString m_strObject;
};

class CHttpConnection : public CInternetConnection
{
public:
    enum
    {
        HTTP_VERB_MIN = 0,
        HTTP_VERB_POST = 0,
        HTTP_VERB_GET = 1,
        HTTP_VERB_HEAD = 2,
        HTTP_VERB_PUT = 3,
        HTTP_VERB_LINK = 4,
        HTTP_VERB_DELETE = 5,
        HTTP_VERB_UNLINK = 6,
        HTTP_VERB_MAX = 6
    };

    // Throws a CInternetException when WinInet refuses the connection handle.
    CHttpConnection(CInternetSession* session, LPCSTR server, INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                    LPCSTR userName = NULL, LPCSTR password = NULL, DWORD_PTR context = 1);

    // context 1 takes the connection's context.
    CHttpFile* OpenRequest(LPCSTR verb, LPCSTR objectName, LPCSTR referer = NULL, DWORD_PTR context = 1,
                           LPCSTR* acceptTypes = NULL, LPCSTR version = NULL,
                           DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);
    CHttpFile* OpenRequest(int verb, LPCSTR objectName, LPCSTR referer = NULL, DWORD_PTR context = 1,
                           LPCSTR* acceptTypes = NULL, LPCSTR version = NULL,
                           DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);
};
