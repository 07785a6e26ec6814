#pragma once
// Searches a folder with a wildcard mask. FindFile starts the search;
// each FindNextFile moves to the next entry and returns FALSE when it has
// moved to the last one, so the usual loop reads every entry:
//
//   BOOL more = finder.FindFile("C:\\logs\\*.log");
//   while (more) { more = finder.FindNextFile(); use(finder.GetFileName()); }

#include "platform/mfc/cobject.h"
#include "platform/mfc/cstring.h"

#include <windows.h>

class CFileFind : public CObject
{
public:
    CFileFind();
    ~CFileFind() override;

    // NULL searches "*.*". FALSE when nothing matches or the mask is not a
    // valid path (GetLastError says why).
    virtual BOOL FindFile(LPCSTR pstrName = nullptr, DWORD dwUnused = 0);
    virtual BOOL FindNextFile();
    void Close();

    // Of the current entry (after FindNextFile).
    CString GetFileName() const;
    CString GetFilePath() const;
    // The name without its extension.
    CString GetFileTitle() const;
    // The searched folder with a trailing backslash.
    CString GetRoot() const { return m_strRoot; }
    ULONGLONG GetLength() const;
    BOOL MatchesMask(DWORD dwMask) const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
    // "." or "..".
    BOOL IsDots() const;

private:
    HANDLE m_hContext;
    bool m_haveFound;
    WIN32_FIND_DATAA m_found;
    WIN32_FIND_DATAA m_next;
    CString m_strRoot;
};
