#include "foundation/httpfiledownload.h"

#include "platform/mfc/file.h"

#include <vector>

namespace {

const UINT kChunk = 10024;

CString MessageOf(CException* e)
{
    char buf[256] = {};
    e->GetErrorMessage(buf, sizeof(buf));
    return CString(buf);
}

}  // namespace

CHttpFileDownload::CHttpFileDownload(const CString& url, const CString& target)
    : m_dwStarted(0),
      m_dwProgress(0),
      m_dwState(stateIdle),
      m_strTargetFolder(target),
      m_stopEvent(FALSE, FALSE),
      m_doneEvent(FALSE, FALSE),
      m_startWaitMs(1000)
{
    m_strURL = url;
}

void CHttpFileDownload::Stop()
{
    m_stopEvent.SetEvent();
    Abort();
}

void CHttpFileDownload::EndOnStop()
{
    m_stopEvent.ResetEvent();
    Close();
    m_doneEvent.SetEvent();
    m_dwState = stateStopped;
}

void CHttpFileDownload::HttpFileDownload()
{
    CString message;
    try
    {
        m_dwStarted = 0;
        m_dwProgress = 0;
        m_dwState = stateIdle;
        Close();  // whatever a previous call left open
        m_pSession = new CInternetSession(NULL, 1, PRE_CONFIG_INTERNET_ACCESS, NULL, NULL, 0);

        if (m_stopEvent.Lock(m_startWaitMs))
        {
            EndOnStop();
            throw new CHttpFileDownloadException("HttpFileDownload: User stopped.");
        }
        if (!OpenGet())
        {
            // An aborted request has no status to give.
            if (!IsAborted())
                throw new CHttpFileDownloadException("HttpFileDownload: Cannot connect to server.");
            EndOnStop();
            throw new CHttpFileDownloadException("HttpFileDownload: User stopped.");
        }
        if (!ReadToFile())
            throw new CHttpFileDownloadException("HttpFileDownload: User stopped or cannot open file.");

        m_dwState = stateDone;
        Close();
        return;
    }
    catch (CInternetException* e)
    {
        // A request that Stop aborted fails in WinInet: it was stopped.
        if (IsAborted())
        {
            message = "HttpFileDownload: User stopped.";
            EndOnStop();
        }
        else
        {
            message = MessageOf(e);
            m_dwState = stateNetworkError;
        }
        e->Delete();
    }
    catch (CFileException* e)
    {
        message = MessageOf(e);
        e->Delete();
    }
    catch (CHttpFileDownloadException* e)
    {
        message = e->m_strMessage;
        e->Delete();
    }
    catch (...)
    {
        message = "HttpFileDownload: unknown exception occured.";
    }
    Close();
    throw new CHttpFileDownloadException(message);
}

bool CHttpFileDownload::ReadToFile()
{
    if (!m_pRequest)
        return false;

    DWORD length = 0;
    if (!m_pRequest->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length))
        length = 0;

    const CString target = m_strTargetFolder + m_strTargetFileName;
    const CString part = target + ".part";
    CFile file(part, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);

    std::vector<BYTE> buf(kChunk);
    ULONGLONG received = 0;
    auto account = [&](UINT n) {
        received += n;
        // No announced length: nothing to measure against.
        ULONGLONG percent = length ? received * 100 / length : 0;
        m_dwProgress = static_cast<DWORD>(percent > 100 ? 100 : percent);
    };

    try
    {
        UINT n = m_pRequest->Read(buf.data(), kChunk);
        file.Write(buf.data(), n);
        account(n);
        m_dwStarted = 1;
        m_dwState = stateReceiving;

        while (n > 0)
        {
            if (::WaitForSingleObject(m_stopEvent, 1) == WAIT_OBJECT_0)
            {
                file.Abort();
                ::DeleteFileA(part);
                EndOnStop();
                return false;
            }
            n = m_pRequest->Read(buf.data(), kChunk);
            if (n == 0)
                break;
            file.Write(buf.data(), n);
            account(n);
        }

        // A connection that ends before the announced length is a network
        // failure, not a complete file.
        if (length && received < length)
            AfxThrowInternetException(m_pRequest->GetContext(), ERROR_INTERNET_CONNECTION_ABORTED);

        file.Close();
        if (!::MoveFileExA(part, target, MOVEFILE_REPLACE_EXISTING))
            CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), target);
    }
    catch (CInternetException* e)
    {
        file.Abort();
        ::DeleteFileA(part);
        if (!IsAborted())
            throw;
        e->Delete();
        EndOnStop();
        return false;
    }
    catch (...)
    {
        file.Abort();
        ::DeleteFileA(part);
        throw;
    }
    return true;
}
