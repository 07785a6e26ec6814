#include "platform/mfc/cfilefind.h"

#include <string.h>

CFileFind::CFileFind() : m_hContext(nullptr), m_haveFound(false), m_found(), m_next()
{
}

CFileFind::~CFileFind()
{
    Close();
}

void CFileFind::Close()
{
    if (m_hContext != nullptr && m_hContext != INVALID_HANDLE_VALUE)
        ::FindClose(m_hContext);
    m_hContext = nullptr;
    m_haveFound = false;
    m_strRoot.Empty();
}

BOOL CFileFind::FindFile(LPCSTR pstrName, DWORD)
{
    Close();
    if (pstrName == nullptr)
        pstrName = "*.*";
    if (strlen(pstrName) >= MAX_PATH)
    {
        ::SetLastError(ERROR_BAD_ARGUMENTS);
        return FALSE;
    }
    HANDLE h = ::FindFirstFileA(pstrName, &m_next);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    m_hContext = h;
    // The folder part of the mask's full path.
    char full[MAX_PATH];
    LPSTR namePart = nullptr;
    DWORD length = ::GetFullPathNameA(pstrName, MAX_PATH, full, &namePart);
    if (length == 0 || length >= MAX_PATH)
    {
        Close();
        ::SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (namePart != nullptr)
        *namePart = '\0';
    m_strRoot = full;
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (m_hContext == nullptr)
        return FALSE;
    m_found = m_next;
    m_haveFound = true;
    return ::FindNextFileA(m_hContext, &m_next);
}

CString CFileFind::GetFileName() const
{
    return m_haveFound ? CString(m_found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const
{
    return m_haveFound ? m_strRoot + m_found.cFileName : CString();
}

CString CFileFind::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot >= 0 ? name.Left(dot) : name;
}

ULONGLONG CFileFind::GetLength() const
{
    return m_haveFound ? (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow : 0;
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const
{
    return m_haveFound && (m_found.dwFileAttributes & dwMask) != 0;
}

BOOL CFileFind::IsDots() const
{
    return m_haveFound && (strcmp(m_found.cFileName, ".") == 0 || strcmp(m_found.cFileName, "..") == 0);
}
