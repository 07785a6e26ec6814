#pragma once
// The system's open and save file dialogs. DoModal goes through one
// replaceable function, so that tests answer the dialog themselves
// (AfxSetFileDialogHandler), as they do message boxes.

#include "platform/mfc/cstring.h"

#include <windows.h>
#include <commdlg.h>

class CWnd;

class CFileDialog
{
public:
    // The filter is written "Text (*.txt)|*.txt|All files|*.*||"; NULL for
    // none. The explorer style is always added to the flags.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog();

    // IDOK with the chosen name, or IDCANCEL (also when the name did not
    // fit or the dialog could not be shown).
    virtual INT_PTR DoModal();
    // The whole path chosen once DoModal has returned IDOK (before, the
    // name the dialog starts with).
    CString GetPathName() const;

    OPENFILENAMEA m_ofn;

protected:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strFilter;  // with the separators turned into NULs
    char m_szFileName[MAX_PATH];
    CWnd* m_pParentWnd;

private:
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;
};

// Shows the dialog described by ofn (GetOpenFileNameA or GetSaveFileNameA
// by default); TRUE when the user chose a name, written into ofn->lpstrFile.
// Returns the previous handler; NULL restores the system's dialogs.
typedef BOOL (*AFX_FILEDIALOG_HANDLER)(OPENFILENAMEA* ofn, BOOL bOpenFileDialog);
AFX_FILEDIALOG_HANDLER AfxSetFileDialogHandler(AFX_FILEDIALOG_HANDLER handler);
