#pragma once
// The quarantine store: the archives of the quarantine folder, newest first,
// loaded once on first use and kept for the store's lifetime.

#include <windows.h>
#include <oaidl.h>

#include <vector>

#include "engine/backuparchive.h"
#include "platform/mfc/cstring.h"

class CInternalQuarantine
{
public:
    // Longest quarantine folder and archive path accepted, in characters.
    enum { MaxFolderLength = 780, MaxPathLength = 1040 };

    CInternalQuarantine();
    ~CInternalQuarantine();

    bool Initialize(const char* folder);
    bool LoadArchives();
    int GetCount();
    CBackupArchive& GetArchive(int index);
    CBackupArchive& Lookup(DATE time);
    CBackupArchive& CreateArchive(DATE time);
    bool DeleteArchive(int index);
    bool RemoveBackup(DATE time);
    bool ShrinkStorage(DWORD limit);

    // "<folder>\archive DD.MM.YYYY HH-MM-SS.inf" for a backup time; false
    // when the time is no valid date or the name does not fit.
    static bool MakeArchivePath(const char* folder, DATE time, CString& infPath);
    // The ".dat" path beside an ".inf" path.
    static CString MakeDatPath(const char* infPath);
    // The backup time of an ".inf" file name; false when the name does not
    // follow the pattern exactly.
    static bool ParseArchiveName(const char* fileName, DATE* time);

private:
    CInternalQuarantine(const CInternalQuarantine&);
    CInternalQuarantine& operator=(const CInternalQuarantine&);

    void Insert(CBackupArchive* archive);
    CString FolderWithSlash() const;

    CString m_folder;
    bool m_bLoaded;
    std::vector<CBackupArchive*> m_archives;
    CBackupArchive m_empty;
};
