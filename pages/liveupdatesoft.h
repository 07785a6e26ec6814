#pragma once
// Downloads the new version of the program, which the scheduler's check has
// found, as "new_temp.exe" into the temporary-files folder, and opens it
// with the shell once the user has been told. Only an installer this very
// run has downloaded in full is opened: after a failed, stopped or empty
// download the dialog says so and opens nothing, whatever an earlier run
// left in the folder.

#include "pages/updateprogressdialog.h"

class CLiveUpdateSoft : public CUpdateProgressDialog
{
    DECLARE_DYNAMIC(CLiveUpdateSoft)

public:
    static const char kInstallerName[];

    explicit CLiveUpdateSoft(CWnd* pParent = nullptr);

    // The installer this run downloaded; empty until there is one.
    const CString& GetInstaller() const { return m_strInstaller; }

protected:
    bool PrepareUpdate() override;
    bool EndUpdate(LONG finalState) override;
    // Ends the dialog, then opens the installer when there is one.
    void OnFinishedButton() override;

private:
    // Whether the file is there, not empty and written since the run began.
    bool IsFreshDownload(const CString& path) const;

    CString m_strDownloadFolder;
    FILETIME m_ftStarted;
    CString m_strInstaller;
};
