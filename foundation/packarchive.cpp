#include "foundation/packarchive.h"

#include <string.h>
#include <zlib.h>

namespace {

// A view of [offset, offset + size) of a mapping; views must start on the
// allocation granularity, so the mapped range may begin a little earlier.
class CMappedRange
{
public:
    CMappedRange() : m_base(NULL), m_data(NULL) {}
    ~CMappedRange()
    {
        if (m_base)
            UnmapViewOfFile(m_base);
    }

    BYTE* Map(HANDLE mapping, DWORD access, ULONGLONG offset, ULONGLONG size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const ULONGLONG start = offset - offset % info.dwAllocationGranularity;
        const ULONGLONG length = offset - start + size;
        if (length > (SIZE_T)-1)
            return NULL;
        m_base = (BYTE*)MapViewOfFile(mapping, access, (DWORD)(start >> 32), (DWORD)start, (SIZE_T)length);
        m_data = m_base ? m_base + (offset - start) : NULL;
        return m_data;
    }

private:
    BYTE* m_base;
    BYTE* m_data;
};

class CHandle
{
public:
    explicit CHandle(HANDLE h = NULL) : m_h(h) {}
    ~CHandle() { Reset(NULL); }
    void Reset(HANDLE h)
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        m_h = h;
    }
    bool Valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return m_h; }

private:
    CHandle(const CHandle&);
    CHandle& operator=(const CHandle&);
    HANDLE m_h;
};

bool FileSize(HANDLE file, ULONGLONG* size)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(file, &li))
        return false;
    *size = (ULONGLONG)li.QuadPart;
    return true;
}

ULONGLONG WorstCaseCompressed(ULONGLONG size) { return size + size / 1024 + 1024; }

// Inflates one stream into a new file; the caller's path is only replaced
// once the whole file is there.
bool InflateToFile(const char* destinationPath, const BYTE* stream, DWORD streamSize, DWORD unpackedSize)
{
    char folder[MAX_PATH];
    const char* slash = strrchr(destinationPath, '\\');
    const char* other = strrchr(destinationPath, '/');
    if (other > slash)
        slash = other;
    if (slash == NULL)
        strcpy(folder, ".");
    else
    {
        const size_t length = slash - destinationPath + 1;
        if (length >= sizeof(folder))
            return false;
        memcpy(folder, destinationPath, length);
        folder[length] = 0;
    }
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder, "cwx", 0, temp))
        return false;

    bool ok = false;
    {
        CHandle file(CreateFileA(temp, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL));
        if (file.Valid())
        {
            CHandle mapping(CreateFileMappingA(file, NULL, PAGE_READWRITE, 0, unpackedSize, NULL));
            if (mapping.Valid())
            {
                CMappedRange view;
                BYTE* out = view.Map(mapping, FILE_MAP_WRITE, 0, unpackedSize);
                uLongf length = unpackedSize;
                ok = out && uncompress(out, &length, stream, streamSize) == Z_OK && length == unpackedSize;
            }
        }
    }
    if (ok)
        ok = MoveFileExA(temp, destinationPath, MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok)
        DeleteFileA(temp);
    return ok;
}

} // namespace

CPackArchive::CPackArchive() : m_hFile(INVALID_HANDLE_VALUE) {}

CPackArchive::~CPackArchive() {}

bool CPackArchive::Open(const char* path)
{
    if (IsOpen() || path == NULL)
        return false;
    m_hFile = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    return IsOpen();
}

bool CPackArchive::Close()
{
    if (!IsOpen())
        return false;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    return true;
}

bool CPackArchive::Truncate(ULONGLONG size)
{
    LARGE_INTEGER to;
    to.QuadPart = (LONGLONG)size;
    return SetFilePointerEx(m_hFile, to, NULL, FILE_BEGIN) && SetEndOfFile(m_hFile);
}

bool CPackArchive::AddFile(const char* sourcePath, CPackEntryHeader* header)
{
    if (!IsOpen() || header == NULL || sourcePath == NULL)
        return false;
    CHandle source(CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    ULONGLONG sourceSize, archiveSize;
    if (!source.Valid() || !FileSize(source, &sourceSize) || !FileSize(m_hFile, &archiveSize))
        return false;
    if (sourceSize == 0)
    {
        memset(header, 0, sizeof(*header));
        header->magic = Magic;
        return true;
    }
    // Every offset and size of an entry is 32 bits wide.
    const ULONGLONG capacity = WorstCaseCompressed(sourceSize);
    const ULONGLONG grown = archiveSize + sizeof(CPackEntryHeader) + capacity;
    if (sourceSize > 0xFFFFFFFFu || grown > 0xFFFFFFFFu)
        return false;

    bool ok = false;
    uLongf packedSize = 0;
    {
        CHandle sourceMap(CreateFileMappingA(source, NULL, PAGE_READONLY, 0, 0, NULL));
        CHandle archiveMap(CreateFileMappingA(m_hFile, NULL, PAGE_READWRITE, 0, (DWORD)grown, NULL));
        if (sourceMap.Valid() && archiveMap.Valid())
        {
            CMappedRange in, out;
            const BYTE* src = in.Map(sourceMap, FILE_MAP_READ, 0, sourceSize);
            BYTE* dst = out.Map(archiveMap, FILE_MAP_WRITE, archiveSize, grown - archiveSize);
            if (src && dst)
            {
                packedSize = (uLongf)capacity;
                ok = compress2(dst + sizeof(CPackEntryHeader), &packedSize, src, (uLong)sourceSize, 6) == Z_OK;
                if (ok)
                {
                    CPackEntryHeader made;
                    made.magic = Magic;
                    made.entryOffset = (DWORD)archiveSize;
                    made.entrySize = (DWORD)packedSize + sizeof(CPackEntryHeader);
                    made.crc = crc32(crc32(0, Z_NULL, 0), dst + sizeof(CPackEntryHeader), packedSize);
                    made.unpackedSize = (DWORD)sourceSize;
                    memcpy(dst, &made, sizeof(made));
                    *header = made;
                }
            }
        }
    }
    // Cut the spare worst-case room, or everything this call added.
    if (ok)
        return Truncate(archiveSize + sizeof(CPackEntryHeader) + packedSize);
    Truncate(archiveSize);
    return false;
}

bool CPackArchive::ExtractFile(const char* destinationPath, CPackEntryHeader header)
{
    if (!IsOpen() || destinationPath == NULL || header.magic != Magic)
        return false;
    if (header.unpackedSize == 0)
    {
        CHandle empty(CreateFileA(destinationPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL));
        return empty.Valid();
    }

    ULONGLONG archiveSize;
    if (!FileSize(m_hFile, &archiveSize) || header.entrySize <= sizeof(CPackEntryHeader) ||
        (ULONGLONG)header.entryOffset + header.entrySize > archiveSize)
        return false;

    CHandle mapping(CreateFileMappingA(m_hFile, NULL, PAGE_READONLY, 0, 0, NULL));
    if (!mapping.Valid())
        return false;
    CMappedRange view;
    const BYTE* entry = view.Map(mapping, FILE_MAP_READ, header.entryOffset, header.entrySize);
    if (entry == NULL)
        return false;
    CPackEntryHeader stored;
    memcpy(&stored, entry, sizeof(stored));
    if (stored.crc != header.crc || stored.entrySize != header.entrySize ||
        stored.unpackedSize != header.unpackedSize)
        return false;
    return InflateToFile(destinationPath, entry + sizeof(CPackEntryHeader),
                         header.entrySize - sizeof(CPackEntryHeader), header.unpackedSize);
}
