#include "platform/mfc/cfiledialog.h"

#include "platform/mfc/cwnd.h"

#include <cstring>

namespace {

BOOL SystemFileDialog(OPENFILENAMEA* ofn, BOOL bOpenFileDialog)
{
    return bOpenFileDialog ? ::GetOpenFileNameA(ofn) : ::GetSaveFileNameA(ofn);
}

AFX_FILEDIALOG_HANDLER g_fileDialog = nullptr;

} // namespace

AFX_FILEDIALOG_HANDLER AfxSetFileDialogHandler(AFX_FILEDIALOG_HANDLER handler)
{
    AFX_FILEDIALOG_HANDLER previous = g_fileDialog;
    g_fileDialog = handler;
    return previous;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt ? lpszDefExt : ""),
      m_strFilter(lpszFilter ? lpszFilter : ""), m_szFileName(), m_pParentWnd(pParentWnd)
{
    if (lpszFileName != nullptr)
        lstrcpynA(m_szFileName, lpszFileName, MAX_PATH);
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt != nullptr)
        m_ofn.lpstrDefExt = m_strDefExt;
    if (lpszFilter != nullptr)
    {
        // "a|b|c|d||": each text ends in NUL, the list in two; one more NUL
        // ends a list written without its closing bars.
        m_strFilter.Replace('|', '\0');
        m_strFilter += '\0';
        m_ofn.lpstrFilter = m_strFilter;
    }
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal()
{
    HWND hWndTop = nullptr;
    m_ofn.hwndOwner = CWnd::GetSafeOwner_(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, &hWndTop);
    const BOOL chosen = (g_fileDialog ? g_fileDialog : &SystemFileDialog)(&m_ofn, m_bOpenFileDialog);
    if (hWndTop != nullptr)
        ::EnableWindow(hWndTop, TRUE);
    m_szFileName[MAX_PATH - 1] = '\0';
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    return m_szFileName;
}
