#pragma once
// The folder choice pane: the folder tree, preset with folders before its
// window is made, read back with GetCheckedFolders. It lives on the scan
// start page and in the scheduled scan's folder dialog.

#include "pages/dirtreectrl.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

class CSpecFoldersDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CSpecFoldersDialog)

public:
    explicit CSpecFoldersDialog(CWnd* pParent);

    // Adds to the preset; before CreatePage.
    void SetFolders(const CStringArray& folders);
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void LoadTexts() override;
    // The tree's choice (the preset while there is no tree).
    void GetCheckedFolders(CStringArray& out);

    CDirTreeCtrl& GetTree() { return m_tree; }

protected:
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

private:
    CRect m_rcPage;
    CStringArray m_folders;
    CDirTreeCtrl m_tree;
};
