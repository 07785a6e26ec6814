#pragma once
// Fetches a URL into a file on the calling thread; another thread may stop it
// (Stop) and read its progress and state meanwhile.

#include "foundation/httpclient.h"
#include "platform/mfc/event.h"
#include "foundation/messageexception.h"

class CHttpFileDownloadException : public CMessageException
{
public:
    explicit CHttpFileDownloadException(LPCSTR message) : CMessageException(message) {}
};

class CHttpFileDownload : public CHttpClient
{
public:
    enum State
    {
        stateIdle = 0,
        stateDone = 1,
        stateNetworkError = 2,
        stateReceiving = 3,
        stateStopped = 4
    };

    CHttpFileDownload(const CString& url, const CString& target);

    // The whole download; every failure throws a CHttpFileDownloadException
    // by pointer and leaves the client closed.
    void HttpFileDownload();
    // Copies the open response into the target file; false when stopped.
    // The data goes to "<target>.part", which replaces the target only once
    // every announced byte has arrived and is removed on any other ending.
    bool ReadToFile();
    // Any thread: asks the download to stop and aborts its open request, so
    // that a read or send waiting for a silent server ends now.
    void Stop();

    // Written by the downloading thread, read by others without a lock.
    volatile DWORD m_dwStarted;
    volatile DWORD m_dwProgress;
    volatile DWORD m_dwState;
    CString m_strExtra1;
    CString m_strExtra2;
    CString m_strTargetFolder;    // folder, or the whole target path
    CString m_strTargetFileName;  // appended directly to m_strTargetFolder
    CEvent m_stopEvent;
    CEvent m_doneEvent;

protected:
    // How long a download first waits for a stop request.
    DWORD m_startWaitMs;

private:
    void EndOnStop();
};
