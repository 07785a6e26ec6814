#pragma once
// One quarantine archive: the ".inf" record container (one block per
// program) and the ".dat" compressed-file archive beside it, and the backup
// time the pair is named after.

#include <windows.h>
#include <oaidl.h>

#include "engine/backupsection.h"
#include "foundation/packarchive.h"
#include "foundation/packfile.h"
#include "platform/mfc/cstring.h"

class CBackupArchive
{
public:
    CBackupArchive();
    CBackupArchive(const char* infPath, const char* datPath, DATE time);
    virtual ~CBackupArchive();

    // An archive without an ".inf" path is the empty archive handed out for
    // every miss; it never opens.
    bool IsValid() const { return !m_infPath.IsEmpty(); }
    bool IsOpen() const { return m_file.IsOpen(); }

    bool Open();
    // False when the ".inf" directory could not be written back.
    bool Close();

    int GetSectionCount() const;
    WORD GetSectionId(int index) const;
    CBackupSection GetSection(WORD id);
    CBackupSection CreateSection(WORD id, const char* name, const char* description, const char* url,
                                 DWORD risk);

    DATE GetTime() const { return m_time; }
    void SetTime(DATE time) { m_time = time; }
    // Both files' sizes together; 0xFFFFFFFF when either cannot be read.
    DWORD GetSize() const;
    // The same without the 32-bit limit; false when either size cannot be read.
    bool GetSize64(ULONGLONG* size) const;

    const CString& GetInfPath() const { return m_infPath; }
    const CString& GetDatPath() const { return m_datPath; }

private:
    CBackupArchive(const CBackupArchive&);
    CBackupArchive& operator=(const CBackupArchive&);

    CPackBlock* SectionBlock(CPackBlock& block);

    CPackFile m_file;
    CPackArchive m_archive;
    CString m_infPath;
    CString m_datPath;
    DATE m_time;
};
