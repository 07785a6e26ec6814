#include "engine/backuparchive.h"

CBackupArchive::CBackupArchive() : m_time(0) {}

CBackupArchive::CBackupArchive(const char* infPath, const char* datPath, DATE time)
    : m_infPath(infPath), m_datPath(datPath), m_time(time)
{
}

CBackupArchive::~CBackupArchive()
{
    Close();
}

bool CBackupArchive::Open()
{
    if (!IsValid() || !m_file.Open(m_infPath, 1, 0, NULL))
        return false;
    // Without the ".dat" file, files neither go in nor come out; every
    // other kind of item still works.
    m_archive.Open(m_datPath);
    return true;
}

bool CBackupArchive::Close()
{
    if (m_archive.IsOpen())
        m_archive.Close();
    return !m_file.IsOpen() || m_file.Close();
}

int CBackupArchive::GetSectionCount() const
{
    if (!m_file.IsOpen())
        return 0;
    const int count = m_file.GetBlockCount();
    return count > 0 ? count : 0;
}

WORD CBackupArchive::GetSectionId(int index) const
{
    if (!m_file.IsOpen())
        return 0xFFFF;
    return (WORD)m_file.GetBlockId(index);
}

// The container hands out its one shared empty block for every miss; a
// section must never write into that.
CPackBlock* CBackupArchive::SectionBlock(CPackBlock& block)
{
    return &block == &m_file.LoadBlock(-1) ? NULL : &block;
}

CBackupSection CBackupArchive::GetSection(WORD id)
{
    return CBackupSection(&m_archive, SectionBlock(m_file.GetBlock(id)));
}

CBackupSection CBackupArchive::CreateSection(WORD id, const char* name, const char* description, const char* url,
                                             DWORD risk)
{
    CBackupSection section(&m_archive, SectionBlock(m_file.CreateBlock(id)));
    section.WriteHeader(name, description, url, risk);
    return section;
}

bool CBackupArchive::GetSize64(ULONGLONG* size) const
{
    WIN32_FILE_ATTRIBUTE_DATA inf, dat;
    if (!IsValid() || !GetFileAttributesExA(m_infPath, GetFileExInfoStandard, &inf) ||
        !GetFileAttributesExA(m_datPath, GetFileExInfoStandard, &dat))
        return false;
    *size = (((ULONGLONG)inf.nFileSizeHigh << 32) | inf.nFileSizeLow) +
            (((ULONGLONG)dat.nFileSizeHigh << 32) | dat.nFileSizeLow);
    return true;
}

DWORD CBackupArchive::GetSize() const
{
    ULONGLONG size;
    if (!GetSize64(&size))
        return 0xFFFFFFFF;
    // A pair too large for 32 bits must not read as unreadable.
    return size < 0xFFFFFFFFu ? (DWORD)size : 0xFFFFFFFE;
}
