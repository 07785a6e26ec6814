#pragma once
// Base of the update manager: its state, the download object of its update
// job, and the two texts handed to that object before each download.

#include "foundation/messageexception.h"
#include "foundation/httpfiledownload.h"

// A failure of one download of the update manager.
class CUpdateManagerException : public CMessageException
{
public:
    explicit CUpdateManagerException(LPCSTR message) : CMessageException(message) {}
};

class CUpdateManager
{
public:
    enum State
    {
        StateIdle = 0,
        StateChecking = 1,
        StateUpToDate = 2,
        StateDownloading = 3,
        StateDone = 4,
        StateCancelled = 5,
        StateError = 6,
        StateStopped = 7,
        StateUnused = 8  // set by nothing; counts as not busy
    };

    CUpdateManager() : m_nState(StateIdle), m_download("", "") {}
    virtual ~CUpdateManager() {}

    virtual void Update() = 0;

    // Written by the working thread, read by others without a lock.
    volatile LONG m_nState;
    CString m_strText1;
    CString m_strText2;
    // The update job's download object.
    CHttpFileDownload m_download;

private:
    CUpdateManager(const CUpdateManager&) = delete;
    CUpdateManager& operator=(const CUpdateManager&) = delete;
};
