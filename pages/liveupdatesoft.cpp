#include "pages/liveupdatesoft.h"

#include "app/vostelupdatemanager.h"
#include "foundation/syshelpers.h"
#include "pages/siteaddresses.h"

IMPLEMENT_DYNAMIC(CLiveUpdateSoft, CUpdateProgressDialog)

const char CLiveUpdateSoft::kInstallerName[] = "new_temp.exe";

CLiveUpdateSoft::CLiveUpdateSoft(CWnd* pParent)
    : CUpdateProgressDialog("LiveUpdateSoftDialog", pParent, "startupdateButton"), m_ftStarted()
{
}

bool CLiveUpdateSoft::PrepareUpdate()
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    if (manager->IsJobRunning())
        return false;
    m_strDownloadFolder = GetTempFolder();
    m_strInstaller.Empty();
    // File times can be coarse (two seconds on FAT): a download of this run
    // is never older than its start less that.
    ::GetSystemTimeAsFileTime(&m_ftStarted);
    ULARGE_INTEGER started = {{m_ftStarted.dwLowDateTime, m_ftStarted.dwHighDateTime}};
    started.QuadPart -= 2 * 10000000ULL;
    m_ftStarted.dwLowDateTime = started.LowPart;
    m_ftStarted.dwHighDateTime = started.HighPart;

    manager->SetInstallerUrl(GetInstallerAddress());
    manager->SetDownloadFolder(m_strDownloadFolder);
    manager->SetDestinationFolder(GetProductDataFolder());
    manager->m_bDefinitionsRequest = false;
    manager->m_bProgramRequest = true;
    return manager->Start();
}

bool CLiveUpdateSoft::IsFreshDownload(const CString& path) const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
        return false;
    return ::CompareFileTime(&data.ftLastWriteTime, &m_ftStarted) >= 0;
}

bool CLiveUpdateSoft::EndUpdate(LONG finalState)
{
    const CString installer = m_strDownloadFolder + kInstallerName;
    if (finalState == CUpdateManager::StateDone && IsFreshDownload(installer))
    {
        m_strInstaller = installer;
        Finish("instalNew");
        MessageBox(GetText("instalNew"), GetText("newVer"), MB_OK);
        // The user does not press the button again: the dialog ends and
        // the installer starts.
        StartUpdate();
        return true;
    }
    Finish(finalState == CUpdateManager::StateStopped || finalState == CUpdateManager::StateCancelled
               ? "updateCancelled"
               : "errUpdate");
    return true;
}

void CLiveUpdateSoft::OnFinishedButton()
{
    CUpdateProgressDialog::OnFinishedButton();
    if (!m_strInstaller.IsEmpty())
        ShellOpen(nullptr, m_strInstaller);
}
