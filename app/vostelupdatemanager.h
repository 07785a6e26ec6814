#pragma once
// Fetches updates from the update service: a newer signature database
// (after comparing the versions file's stamp with the database in use), the
// text naming the latest program version, and the program installer. The
// update job runs on a worker thread of its own; the caller prepares it with
// the setters and request flags, starts it and polls the state. The
// scheduler's program-update task calls DownloadLatestInfo on its own
// thread, with a download object of its own.

#include <mutex>

#include "app/updatemanager.h"
#include "foundation/workerthread.h"

// A failure of the versions check.
class CVostelUpdateManagerException : public CMessageException
{
public:
    explicit CVostelUpdateManagerException(LPCSTR message) : CMessageException(message) {}
};

class CVostelUpdateManager : public CUpdateManager, public CWorkerThread
{
    enum { JobIdle, JobRunning, JobStarting };

public:
    // The service's defaults: the update folder (database and versions
    // file), the latest-version text and the installer.
    static const char* const DefaultUpdateUrl;
    static const char* const DefaultLatestInfoUrl;
    static const char* const DefaultInstallerUrl;
    // The update folder in use: the value of the environment variable
    // "CLEANWARDEN_UPDATE_URL" (a test's or a machine's own update service)
    // where it is set and not empty, else DefaultUpdateUrl. The manager and
    // the update pages take it from here alone.
    static CString UpdateFolderUrl();

    // The one manager of the process, made on the first call and kept to
    // the end of the process.
    static CVostelUpdateManager* Instance();

    CVostelUpdateManager();
    ~CVostelUpdateManager() override;

    // Folders are given with their closing backslash, base URLs with their
    // closing slash: paths and URLs are made by joining.
    void SetFileName(const CString& name);
    void SetDownloadFolder(const CString& folder);
    void SetDestinationFolder(const CString& folder);
    // Seconds since 1970 (UTC) of the database in use.
    void SetDatabaseTime(__time64_t time);
    void SetDefinitionsBaseUrl(const CString& url);
    void SetVersionsBaseUrl(const CString& url);
    void SetLatestInfoUrl(const CString& url);
    void SetInstallerUrl(const CString& url);

    // Starts the update job; refused (false) while one runs.
    bool Start() override;
    // Cancels the job and waits for it to end (at most the worker's bound).
    void Stop() override;
    // Whether a job has been started and has not finished.
    bool IsJobRunning() const { return m_lJobRunning != JobIdle; }

    // TRUE unless the state is 0, 2, 4, 6, 7 or 8.
    BOOL IsBusy() const;
    // While a job runs: state 5 (unless the job has already reached its
    // end state) and the job's download stopped; the job then ends with
    // state 7. Nothing when no job runs. A cancel and the job's end agree:
    // the job never ends looking busy.
    void Cancel();
    // Stops a version check (DownloadLatestInfo) in progress; any thread.
    void StopLatestInfo();
    DWORD GetProgress() const { return m_download.m_dwProgress; }

    // Fetches the latest-version text and sets the newer-program flag from
    // it; returns the flag. A failed download leaves the flag as it was.
    BOOL DownloadLatestInfo();
    // Whether the first line of the text file names a version, major.minor.
    // build, newer than the program's own; deletes the file after reading.
    BOOL IsNewerProgramVersion(const CString& path);
    // TRUE when the versions file's stamp is later than the database time.
    // Throws CVostelUpdateManagerException.
    BOOL CheckVersionsFile();
    // One download of the job; throws CUpdateManagerException.
    void DownloadFile(const CString& url, const CString& path);
    // Installs a downloaded database over the target: a copy of the target
    // is kept as target + ".old", the download is copied beside the target
    // as target + ".new", checked to open with records and then moved over
    // the target in one step, so the target is at every moment either the
    // old database or the new one. On failure the target is untouched, the
    // download is kept and CUpdateManagerException thrown (state 6).
    void ReplaceWithBackup(const CString& source, const CString& target);

    void Update() override;

    // Read by the callers directly.
    volatile bool m_bDefinitionsRequest;
    volatile bool m_bNewerProgram;
    volatile bool m_bProgramRequest;
    volatile LONG m_lVersionsStamp;

protected:
    void Run() override;

private:
    // A locked copy of a text setting: the scheduler's thread may set the
    // download folder while the job reads it.
    CString Setting(const CString& field) const;
    void SetSetting(CString& field, const CString& value);
    bool CancelRequested() const;
    // The job's own state changes: they never overwrite a cancel with a
    // state of work in progress.
    void SetJobState(LONG state);
    void DownloadWith(CHttpFileDownload& download, const CString& url, const CString& path, bool setState);
    void UpdateDefinitions();
    void Fail(LPCSTR message);

    CString m_strDownloadFolder;
    __time64_t m_tDatabaseTime;
    CString m_strDestinationFolder;
    CString m_strFileName;
    CString m_strDefinitionsUrl;
    CString m_strVersionsUrl;
    CString m_strLatestInfoUrl;
    CString m_strInstallerUrl;
    mutable std::mutex m_lock;
    // Manual reset; set by Cancel, cleared when a job starts.
    HANDLE m_hCancel;
    volatile LONG m_lJobRunning;
    // The version check's download while it runs (under m_lock).
    CHttpFileDownload* m_pLatestInfoDownload;
};
