#pragma once
// Compressed-file archive: whole files appended as zlib streams, each behind
// a 20-byte header. The archive keeps no index; callers keep the header that
// AddFile fills and hand it back to ExtractFile.

#include <windows.h>

#pragma pack(push, 1)
struct CPackEntryHeader
{
    DWORD magic;
    DWORD entryOffset;
    DWORD entrySize;    // header + compressed stream
    DWORD crc;          // crc32 of the compressed stream
    DWORD unpackedSize;
};
#pragma pack(pop)
static_assert(sizeof(CPackEntryHeader) == 20, "archive entry headers are 20 bytes");

class CPackArchive
{
public:
    enum : DWORD { Magic = 0x0F0E0D0C };

    CPackArchive();
    virtual ~CPackArchive();

    bool Open(const char* path);
    bool Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    bool AddFile(const char* sourcePath, CPackEntryHeader* header);
    bool ExtractFile(const char* destinationPath, CPackEntryHeader header);

private:
    CPackArchive(const CPackArchive&);
    CPackArchive& operator=(const CPackArchive&);

    bool Truncate(ULONGLONG size);

    HANDLE m_hFile;
};
