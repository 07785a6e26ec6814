#pragma once
// The folders of the scheduled folder scan: a modal dialog with the folder
// tree, preset with the scheduled-scan settings' Paths. OK stores the
// checked folders there (in memory; the scheduler page saves the file),
// Cancel leaves them as they were.
//
//   CFullScanDialog dialog(this);
//   dialog.DoModal();

#include "pages/specfoldersdialog.h"

class CFullScanDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CFullScanDialog)

public:
    explicit CFullScanDialog(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    // Enter: the same as OK.
    void OnOK() override;

    CSpecFoldersDialog& GetFoldersPane() { return m_folders; }

protected:
    afx_msg void OnOkClicked();
    afx_msg void OnCancelClicked();
    DECLARE_MESSAGE_MAP()

private:
    CRect m_rcPage;
    CStringArray m_chosen;
    CSpecFoldersDialog m_folders;
};
