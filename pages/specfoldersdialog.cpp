#include "pages/specfoldersdialog.h"

#include "pages/pagehost.h"
#include "platform/mfc/cwaitcursor.h"
#include "resources/pages/scanids.h"
#include "skin/skinlibrary.h"

IMPLEMENT_DYNAMIC(CSpecFoldersDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CSpecFoldersDialog, CToolTipDialog)
    ON_WM_DESTROY()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CSpecFoldersDialog::CSpecFoldersDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_SPEC_FOLDERS), CLocalizedTextSource("SpecFoldersDialog"), CDialogControlHelper(this)
{
}

void CSpecFoldersDialog::SetFolders(const CStringArray& folders)
{
    m_folders.Append(folders);
}

BOOL CSpecFoldersDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SPEC_FOLDERS, m_pParentWnd);
}

BOOL CSpecFoldersDialog::OnInitDialog()
{
    CWaitCursor wait;
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    if (!m_tree.SubclassDlgItem(IDC_FOLDER_TREE, this))
        return FALSE;
    if (IPageHost* host = GetPageHost())
        host->ApplyDefaultDialogSkin();
    m_tree.SetCheckedFolders(m_folders);
    m_tree.Init(IDB_TREE_STATES);
    SetWindowPos(nullptr, m_rcPage.left, m_rcPage.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LoadTexts();
    return TRUE;
}

void CSpecFoldersDialog::LoadTexts()
{
    SetWindowText(GetText("title"));
}

void CSpecFoldersDialog::GetCheckedFolders(CStringArray& out)
{
    if (m_tree.m_hWnd)
    {
        m_tree.CollectChecked();
        m_tree.GetFolders(m_folders);
    }
    out.Copy(m_folders);
}

void CSpecFoldersDialog::OnDestroy()
{
    if (m_tree.m_hWnd)
    {
        ::RemoveWindowSkin(m_tree.m_hWnd);
        m_tree.UnsubclassWindow();
    }
    ::RemoveWindowSkin(m_hWnd);
    CToolTipDialog::OnDestroy();
}

void CSpecFoldersDialog::OnClose()
{
    m_tree.ReleaseStateImages();
    Default();
}
