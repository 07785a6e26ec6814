#include "reports/serverposter.h"

#include <cstring>

CServerPoster::CServerPoster(const char* url)
{
    m_client.m_strURL = url;
}

CServerPoster::~CServerPoster()
{
}

void CServerPoster::FormatBody(const char* format, const std::vector<CString>& arguments)
{
    // One pass over the format: an argument's own text is never taken for a place.
    m_body.Empty();
    size_t next = 0;
    for (const char* at = format ? format : ""; *at; ++at)
    {
        if (at[0] == '%' && at[1] == 's')
        {
            if (next < arguments.size())
                m_body += UrlEncode(arguments[next]);
            ++next;
            ++at;
        }
        else
        {
            m_body += *at;
        }
    }
}

void CServerPoster::Send()
{
    if (m_body.IsEmpty())
        throw new CUnhandledExceptionReporterException("no data to send to server");
    bool accepted = false;
    try
    {
        DWORD status = 0;
        accepted = m_client.PostForm(m_body) && m_client.m_pRequest &&
                   m_client.m_pRequest->QueryInfoStatusCode(status) && status >= 200 && status <= 299;
    }
    catch (...)
    {
        m_client.Close();
        throw;
    }
    m_client.Close();
    if (!accepted)
        throw new CUnhandledExceptionReporterException("Cannot post data to server.");
}
