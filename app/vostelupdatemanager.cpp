#include "app/vostelupdatemanager.h"

#include <stdio.h>
#include <stdlib.h>

#include <mutex>

#include "app/appconstants.h"
#include "app/definitionscheck.h"
#include "foundation/byteorder.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"

const char* const CVostelUpdateManager::DefaultUpdateUrl = "http://update.telminsoftware.com/liveupdate/";
const char* const CVostelUpdateManager::DefaultLatestInfoUrl = "http://update.telminsoftware.com/latest.txt";
const char* const CVostelUpdateManager::DefaultInstallerUrl = "http://update.telminsoftware.com/dl.php ";

namespace {

const char kVersionsFile[] = "tcw.php";
const char kLatestInfoFile[] = "latest.txt";
const char kInstallerFile[] = "new_temp.exe";
const char kVersionsUnreadable[] = "CVostelUpdateManager: cannot open versions file.";

bool FileExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Copies a file and has the copy's data reach the disk before it is used.
bool CopyFlushed(const CString& source, const CString& target)
{
    if (!::CopyFileA(source, target, FALSE))
        return false;
    HANDLE file = ::CreateFileA(target, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = ::FlushFileBuffers(file) != FALSE;
    ::CloseHandle(file);
    return flushed;
}

} // namespace

CString CVostelUpdateManager::UpdateFolderUrl()
{
    return GetEnvironmentOr("CLEANWARDEN_UPDATE_URL", DefaultUpdateUrl);
}

CVostelUpdateManager* CVostelUpdateManager::Instance()
{
    // Never deleted: the job's thread may outlive every other object.
    static CVostelUpdateManager* instance = new CVostelUpdateManager;
    return instance;
}

CVostelUpdateManager::CVostelUpdateManager()
    : m_bDefinitionsRequest(false),
      m_bNewerProgram(false),
      m_bProgramRequest(false),
      m_lVersionsStamp(0),
      m_tDatabaseTime(0),
      m_strFileName("signatures.ref"),
      m_strDefinitionsUrl(UpdateFolderUrl()),
      m_strVersionsUrl(UpdateFolderUrl()),
      m_strLatestInfoUrl(DefaultLatestInfoUrl),
      m_strInstallerUrl(DefaultInstallerUrl),
      m_hCancel(::CreateEventA(NULL, TRUE, FALSE, NULL)),
      m_lJobRunning(JobIdle),
      m_pLatestInfoDownload(NULL)
{
}

CVostelUpdateManager::~CVostelUpdateManager()
{
    Stop();
    ::CloseHandle(m_hCancel);
}

CString CVostelUpdateManager::Setting(const CString& field) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return field;
}

void CVostelUpdateManager::SetSetting(CString& field, const CString& value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    field = value;
}

void CVostelUpdateManager::SetFileName(const CString& name)
{
    SetSetting(m_strFileName, name);
}

void CVostelUpdateManager::SetDownloadFolder(const CString& folder)
{
    SetSetting(m_strDownloadFolder, folder);
}

void CVostelUpdateManager::SetDestinationFolder(const CString& folder)
{
    SetSetting(m_strDestinationFolder, folder);
}

void CVostelUpdateManager::SetDatabaseTime(__time64_t time)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_tDatabaseTime = time;
}

void CVostelUpdateManager::SetDefinitionsBaseUrl(const CString& url)
{
    SetSetting(m_strDefinitionsUrl, url);
}

void CVostelUpdateManager::SetVersionsBaseUrl(const CString& url)
{
    SetSetting(m_strVersionsUrl, url);
}

void CVostelUpdateManager::SetLatestInfoUrl(const CString& url)
{
    SetSetting(m_strLatestInfoUrl, url);
}

void CVostelUpdateManager::SetInstallerUrl(const CString& url)
{
    SetSetting(m_strInstallerUrl, url);
}

bool CVostelUpdateManager::Start()
{
    // A running job is never cut short by a new one.
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_lJobRunning != JobIdle)
            return false;
        m_lJobRunning = JobStarting;
        ::ResetEvent(m_hCancel);
        m_download.m_stopEvent.ResetEvent();
    }
    // The worker's start first reaps the thread of the previous job (through
    // Stop, which cancels nothing while this job is only starting).
    const bool started = CWorkerThread::Start();
    std::lock_guard<std::mutex> lock(m_lock);
    if (!started)
        m_lJobRunning = JobIdle;
    else if (m_lJobRunning == JobStarting)  // unless the job has already ended
        m_lJobRunning = JobRunning;
    return started;
}

void CVostelUpdateManager::Stop()
{
    Cancel();
    CWorkerThread::Stop();
}

void CVostelUpdateManager::Run()
{
    try
    {
        Update();
    }
    catch (CException* e)
    {
        LogException(e, "CVostelUpdateManager::Update");
        e->Delete();
    }
    catch (...)
    {
        DebugLog("Message: %s\nFunction: %s", "unknown exception", "CVostelUpdateManager::Update");
    }
    // A job never ends looking busy; a cancel meanwhile waits for this.
    std::lock_guard<std::mutex> lock(m_lock);
    const LONG state = m_nState;
    if (state == StateChecking || state == StateDownloading || state == StateCancelled)
        m_nState = CancelRequested() ? StateStopped : StateError;
    m_lJobRunning = JobIdle;
}

BOOL CVostelUpdateManager::IsBusy() const
{
    switch (m_nState)
    {
    case StateIdle:
    case StateUpToDate:
    case StateDone:
    case StateError:
    case StateStopped:
    case StateUnused:
        return FALSE;
    default:
        return TRUE;
    }
}

bool CVostelUpdateManager::CancelRequested() const
{
    return ::WaitForSingleObject(m_hCancel, 0) == WAIT_OBJECT_0;
}

namespace {

// The states a job's last step leaves; a later cancel does not undo them.
bool IsEndState(LONG state)
{
    return state == CUpdateManager::StateDone || state == CUpdateManager::StateError ||
           state == CUpdateManager::StateStopped;
}

} // namespace

void CVostelUpdateManager::SetJobState(LONG state)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_nState != StateCancelled || IsEndState(state))
        m_nState = state;
}

void CVostelUpdateManager::Cancel()
{
    std::lock_guard<std::mutex> lock(m_lock);
    // With no job a stop request would be left for the next one.
    if (m_lJobRunning != JobRunning)
        return;
    ::SetEvent(m_hCancel);
    if (!IsEndState(m_nState))
        m_nState = StateCancelled;
    m_download.Stop();
}

void CVostelUpdateManager::StopLatestInfo()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_pLatestInfoDownload)
        m_pLatestInfoDownload->Stop();
}

void CVostelUpdateManager::Fail(LPCSTR message)
{
    SetJobState(StateError);
    throw new CUpdateManagerException(message);
}

void CVostelUpdateManager::DownloadWith(CHttpFileDownload& download, const CString& url, const CString& path,
                                        bool setState)
{
    download.m_strURL = url;
    download.m_strExtra1 = m_strText1;
    download.m_strExtra2 = m_strText2;
    const int slash = path.ReverseFind('\\');
    if (slash <= 0)
        throw new CUpdateManagerException("Wrong path parameter");
    download.m_strTargetFolder = path.Left(slash + 1);
    download.m_strTargetFileName = path.Mid(slash + 1);

    // A stop meant for an earlier download is dropped; a cancel of the job
    // that came before this download began still holds.
    download.m_stopEvent.ResetEvent();
    if (&download == &m_download && CancelRequested())
    {
        if (setState)
            SetJobState(StateStopped);
        throw new CUpdateManagerException("HttpFileDownload: User stopped.");
    }
    try
    {
        download.HttpFileDownload();
    }
    catch (CHttpFileDownloadException* e)
    {
        const CString message = e->m_strMessage;
        e->Delete();
        if (setState)
            SetJobState(download.m_dwState == CHttpFileDownload::stateStopped ? StateStopped : StateError);
        throw new CUpdateManagerException(message);
    }
}

void CVostelUpdateManager::DownloadFile(const CString& url, const CString& path)
{
    DownloadWith(m_download, url, path, true);
}

BOOL CVostelUpdateManager::CheckVersionsFile()
{
    SetJobState(StateChecking);
    BOOL newer = FALSE;
    const CString path = Setting(m_strDownloadFolder) + kVersionsFile;
    try
    {
        DownloadFile(Setting(m_strVersionsUrl) + kVersionsFile, path);
    }
    catch (CUpdateManagerException* e)
    {
        const CString message = e->m_strMessage;
        e->Delete();
        throw new CVostelUpdateManagerException(message);
    }

    FILE* file = fopen(path, "rb");
    if (!file)
    {
        SetJobState(StateError);
        throw new CVostelUpdateManagerException(kVersionsUnreadable);
    }
    BYTE stamp[4];
    const size_t read = fread(stamp, 1, sizeof(stamp), file);
    fclose(file);
    ::DeleteFileA(path);
    // Fewer than four bytes hold no stamp to compare.
    if (read < sizeof(stamp))
    {
        SetJobState(StateError);
        throw new CVostelUpdateManagerException(kVersionsUnreadable);
    }
    m_lVersionsStamp = static_cast<LONG>(LoadLE32(stamp));
    __time64_t databaseTime;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        databaseTime = m_tDatabaseTime;
    }
    if (databaseTime < m_lVersionsStamp)
        newer = TRUE;
    else
    {
        // Held long enough for a poller that looks every 500 ms to see it.
        SetJobState(StateUpToDate);
        ::WaitForSingleObject(m_hCancel, 1000);
    }
    SetJobState(StateIdle);
    return newer;
}

void CVostelUpdateManager::ReplaceWithBackup(const CString& source, const CString& target)
{
    // The database in use is never written in place: a kill or a crash at
    // any moment leaves it whole, old or new.
    const CString backup = target + ".old";
    const CString fresh = target + ".new";
    if (FileExists(target) && !::CopyFileA(target, backup, FALSE))
        Fail("CVostelUpdateManager: cannot keep a copy of the file to replace.");
    LPCSTR failure = NULL;
    if (!CopyFlushed(source, fresh))
        failure = "CVostelUpdateManager: cannot replace the file.";
    else if (!IsUsableDefinitions(fresh, CW_DEFINITIONS_KEY_TEXT))
        failure = "CVostelUpdateManager: the downloaded database cannot be read.";
    else if (!::MoveFileExA(fresh, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = "CVostelUpdateManager: cannot replace the file.";
    if (failure)
    {
        // The target is as it was: its copy is not needed, the download is
        // kept for the next try.
        ::DeleteFileA(fresh);
        ::DeleteFileA(backup);
        Fail(failure);
    }
    ::DeleteFileA(source);
}

void CVostelUpdateManager::UpdateDefinitions()
{
    try
    {
        if (!CheckVersionsFile())
            return;
        SetJobState(StateDownloading);
        const CString name = Setting(m_strFileName);
        const CString download = Setting(m_strDownloadFolder) + name;
        const CString target = Setting(m_strDestinationFolder) + name;
        DownloadFile(Setting(m_strDefinitionsUrl) + name, download);
        // A file the scanner could not read must never replace the one in use.
        if (!IsUsableDefinitions(download, CW_DEFINITIONS_KEY_TEXT))
            Fail("CVostelUpdateManager: the downloaded database cannot be read.");
        ReplaceWithBackup(download, target);
        ::DeleteFileA(target + ".old");
        SetJobState(StateDone);
    }
    catch (CException* e)
    {
        LogException(e, "CVostelUpdateManager::Update");
        e->Delete();
    }
}

void CVostelUpdateManager::Update()
{
    SetJobState(StateChecking);
    m_bNewerProgram = false;
    if (m_bProgramRequest)
    {
        try
        {
            SetJobState(StateDownloading);
            DownloadFile(Setting(m_strInstallerUrl), Setting(m_strDownloadFolder) + kInstallerFile);
            SetJobState(StateDone);
        }
        catch (CUpdateManagerException* e)
        {
            e->Delete();
            return;
        }
    }
    if (m_bDefinitionsRequest)
        UpdateDefinitions();
}

BOOL CVostelUpdateManager::DownloadLatestInfo()
{
    // A download object of its own: a job may be using the manager's.
    CHttpFileDownload download("", "");
    const CString path = Setting(m_strDownloadFolder) + kLatestInfoFile;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_pLatestInfoDownload = &download;
    }
    try
    {
        // A failure shows in the state only when no job owns the state.
        DownloadWith(download, Setting(m_strLatestInfoUrl), path, !IsJobRunning());
        m_bNewerProgram = IsNewerProgramVersion(path) != FALSE;
    }
    catch (CUpdateManagerException* e)
    {
        e->Delete();
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_pLatestInfoDownload = NULL;
    return m_bNewerProgram;
}

BOOL CVostelUpdateManager::IsNewerProgramVersion(const CString& path)
{
    FILE* file = fopen(path, "rt");
    if (!file)
        return FALSE;
    char line[256] = {};
    if (!fgets(line, 255, file))
        line[0] = '\0';
    fclose(file);
    ::DeleteFileA(path);

    int major = 0, minor = 0, build = 0;
    if (sscanf(line, "%d.%d.%d", &major, &minor, &build) != 3)
        return FALSE;
    int ownMajor = 0, ownMinor = 0;
    sscanf(CW_PRODUCT_VERSION, "%d.%d", &ownMajor, &ownMinor);
    const int ownBuild = atoi(CW_PRODUCT_BUILD);
    if (major != ownMajor)
        return major > ownMajor;
    if (minor != ownMinor)
        return minor > ownMinor;
    return build > ownBuild;
}
