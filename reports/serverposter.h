#pragma once
// The crash reporter's form poster: a body of URL-encoded fields posted to
// one address. Failures are thrown as CUnhandledExceptionReporterException
// (or the framework's CInternetException) by pointer; the catcher deletes them.

#include "foundation/httpclient.h"
#include "platform/mfc/cstring.h"
#include "foundation/messageexception.h"

#include <vector>

class CUnhandledExceptionReporterException : public CMessageException
{
public:
    explicit CUnhandledExceptionReporterException(LPCSTR message) : CMessageException(message) {}
};

class CServerPoster
{
public:
    explicit CServerPoster(const char* url);
    virtual ~CServerPoster();

    // The format with each "%s" replaced, in turn, by the next argument
    // encoded with UrlEncode; places without an argument stay empty.
    void FormatBody(const char* format, const std::vector<CString>& arguments);
    // Posts the body; throws when it is empty, cannot be sent or is not
    // answered with a 2xx status. The connection is closed on every path.
    virtual void Send();

    const CString& GetBody() const { return m_body; }

protected:
    CHttpClient m_client;
    CString m_body;

private:
    CServerPoster(const CServerPoster&) = delete;
    CServerPoster& operator=(const CServerPoster&) = delete;
};
