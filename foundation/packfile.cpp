#include "foundation/packfile.h"

#include <new>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

#include "foundation/blowfish.h"
#include "foundation/byteorder.h"

namespace {

// One context for the whole process: every keyed Open keys it anew.
BLOWFISH_CTX g_packCipher;

const DWORD kEntrySize = sizeof(CPackDirEntry);
// zlib cannot expand data by more than about 1032:1; a larger claimed
// unpacked size is damage, not data, and must not drive an allocation.
const ULONGLONG kMaxInflateRatio = 1032;

// Bytes a flush is about to write for one data entry.
struct PendingWrite
{
    bool write;
    BYTE* bytes;
    bool owned; // allocated with new[] by the flush
    CPackDirEntry entry;
};

} // namespace

// ---------------------------------------------------------------- CPackBlock

CPackBlock::CPackBlock()
    : m_pData(NULL), m_dwSize(0), m_dwCursor(0), m_bIndexed(0), m_bChanged(0),
      m_pIndex(NULL), m_nIndexCount(0), m_nIndexCapacity(0)
{
}

CPackBlock::~CPackBlock()
{
    if (m_pData)
    {
        SecureZeroMemory(m_pData, m_dwSize);
        free(m_pData);
    }
    free(m_pIndex);
}

DWORD CPackBlock::RecordLengthAt(const BYTE* data, DWORD size, DWORD pos)
{
    if (data == NULL || pos >= size || size - pos < 2)
        return 0;
    const DWORD length = LoadLE16(data + pos);
    if (length < 2 || length > size - pos)
        return 0;
    return length;
}

DWORD CPackBlock::CountRecords(const BYTE* data, DWORD size)
{
    DWORD count = 0;
    for (DWORD pos = 0, length; (length = RecordLengthAt(data, size, pos)) != 0; pos += length)
        ++count;
    return count;
}

BYTE* CPackBlock::First()
{
    m_dwCursor = 0;
    return RecordLengthAt(m_pData, m_dwSize, 0) ? m_pData : NULL;
}

BYTE* CPackBlock::Next()
{
    const DWORD length = RecordLengthAt(m_pData, m_dwSize, m_dwCursor);
    if (length == 0)
    {
        m_dwCursor = m_dwSize;
        return NULL;
    }
    m_dwCursor += length;
    return RecordLengthAt(m_pData, m_dwSize, m_dwCursor) ? m_pData + m_dwCursor : NULL;
}

bool CPackBlock::AddIndexEntry(DWORD pos)
{
    if (m_nIndexCount == m_nIndexCapacity)
    {
        const int capacity = m_nIndexCapacity ? m_nIndexCapacity * 2 : 64;
        DWORD* grown = (DWORD*)realloc(m_pIndex, capacity * sizeof(DWORD));
        if (grown == NULL)
            return false;
        m_pIndex = grown;
        m_nIndexCapacity = capacity;
    }
    m_pIndex[m_nIndexCount++] = pos;
    return true;
}

bool CPackBlock::BuildIndex()
{
    m_nIndexCount = 0;
    m_bIndexed = 0;
    if (m_pData == NULL)
        return false;
    for (DWORD pos = 0, length; (length = RecordLengthAt(m_pData, m_dwSize, pos)) != 0; pos += length)
    {
        if (!AddIndexEntry(pos))
        {
            m_nIndexCount = 0;
            return false;
        }
    }
    m_bIndexed = 1;
    return true;
}

int CPackBlock::GetRecordCount()
{
    if (m_pData == NULL)
        return 0;
    if (!m_bIndexed && !BuildIndex())
        return 0;
    return m_nIndexCount;
}

BYTE* CPackBlock::GetRecordPtr(CPackedRecord* out, int i)
{
    BYTE* record = NULL;
    if (m_pData != NULL && i >= 0 && i < GetRecordCount())
        record = m_pData + m_pIndex[i];
    if (out)
        out->Attach(record);
    return record;
}

CPackedRecord* CPackBlock::GetRecord(CPackedRecord* out, int i)
{
    GetRecordPtr(out, i);
    return out;
}

bool CPackBlock::AddRecord(const BYTE* record)
{
    if (record == NULL)
        return false;
    const DWORD length = LoadLE16(record);
    if (length < 2 || length > 0xFFFFFFFFu - m_dwSize)
        return false;
    // Room in the index first, so that a failure leaves the block unchanged.
    if (m_bIndexed && m_nIndexCount == m_nIndexCapacity)
    {
        if (!AddIndexEntry(0))
            return false;
        --m_nIndexCount;
    }
    // A record copied from this very block must survive the buffer moving.
    const bool inside = m_pData && record >= m_pData && record < m_pData + m_dwSize;
    const DWORD from = inside ? (DWORD)(record - m_pData) : 0;
    if (inside && length > m_dwSize - from)
        return false;
    BYTE* grown = (BYTE*)realloc(m_pData, m_dwSize + length);
    if (grown == NULL)
        return false;
    m_pData = grown;
    memcpy(m_pData + m_dwSize, inside ? m_pData + from : record, length);
    if (m_bIndexed)
        m_pIndex[m_nIndexCount++] = m_dwSize;
    m_dwSize += length;
    m_bChanged = 1;
    return true;
}

// ----------------------------------------------------------------- CPackFile

CPackFile::CPackFile()
    : m_hFile(INVALID_HANDLE_VALUE), m_bWritable(0), m_pEntries(NULL), m_nEntries(0),
      m_nCapacity(0), m_bKeyed(0), m_fileSize(0), m_pCipher(&g_packCipher), m_pOwnCipher(NULL)
{
}

CPackFile::~CPackFile()
{
    if (IsOpen())
        Close();
    FreeDirectory();
    delete m_pOwnCipher;
}

void CPackFile::UnloadAll()
{
    for (int i = 0; i < m_nEntries; ++i)
    {
        delete m_pEntries[i].block;
        m_pEntries[i].block = NULL;
    }
}

void CPackFile::FreeDirectory()
{
    UnloadAll();
    free(m_pEntries);
    m_pEntries = NULL;
    m_nEntries = 0;
    m_nCapacity = 0;
}

bool CPackFile::InsertEntry(int index, const Entry& entry)
{
    if (m_nEntries == m_nCapacity)
    {
        const int capacity = m_nCapacity ? m_nCapacity * 2 : 16;
        Entry* grown = (Entry*)realloc(m_pEntries, capacity * sizeof(Entry));
        if (grown == NULL)
            return false;
        m_pEntries = grown;
        m_nCapacity = capacity;
    }
    memmove(m_pEntries + index + 1, m_pEntries + index, (m_nEntries - index) * sizeof(Entry));
    m_pEntries[index] = entry;
    ++m_nEntries;
    return true;
}

bool CPackFile::ReadAt(DWORD offset, void* buffer, DWORD size)
{
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile, to, NULL, FILE_BEGIN))
        return false;
    DWORD read = 0;
    return ReadFile(m_hFile, buffer, size, &read, NULL) && read == size;
}

bool CPackFile::WriteAt(DWORD offset, const void* buffer, DWORD size)
{
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile, to, NULL, FILE_BEGIN))
        return false;
    if (size == 0)
        return true;
    DWORD written = 0;
    return WriteFile(m_hFile, buffer, size, &written, NULL) && written == size;
}

bool CPackFile::Open(const char* path, BYTE writable, DWORD keyLength, const BYTE* key)
{
    if (IsOpen() || path == NULL)
        return false;
    if (writable)
        m_hFile = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    else
        m_hFile = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, NULL);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    m_bWritable = writable ? 1 : 0;
    m_bKeyed = key != NULL;

    bool ok = !m_bKeyed || Blowfish_Init(m_pCipher, key, keyLength);
    LARGE_INTEGER size;
    if (ok)
        ok = GetFileSizeEx(m_hFile, &size) && size.QuadPart <= 0xFFFFFFFFLL;
    if (!ok)
    {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        return false;
    }
    m_fileSize = (ULONGLONG)size.QuadPart;

    if (m_fileSize < kEntrySize)
    {
        if (!m_bWritable)
        {
            CloseHandle(m_hFile);
            m_hFile = INVALID_HANDLE_VALUE;
            return false;
        }
        Entry own;
        own.dir.id = DirectoryId;
        own.dir.offset = 0;
        own.dir.storedSize = kEntrySize;
        own.dir.unpackedSize = (DWORD)time(NULL);
        own.dir.recordCount = 0;
        own.changed = 0;
        own.block = NULL;
        if (!InsertEntry(0, own))
        {
            CloseHandle(m_hFile);
            m_hFile = INVALID_HANDLE_VALUE;
            return false;
        }
        return true;
    }

    // The directory's own entry closes the file and tells how long the
    // directory is; a size of 0 could not hold that entry itself.
    const DWORD fileSize = (DWORD)m_fileSize;
    CPackDirEntry own;
    bool valid = ReadAt(fileSize - kEntrySize, &own, kEntrySize) && own.storedSize != 0 &&
                 own.storedSize % kEntrySize == 0 && own.offset <= fileSize - kEntrySize &&
                 own.storedSize <= fileSize;
    if (valid)
    {
        const int count = (int)(own.storedSize / kEntrySize);
        CPackDirEntry* entries = (CPackDirEntry*)malloc(own.storedSize);
        Entry* table = (Entry*)malloc(count * sizeof(Entry));
        valid = entries && table && ReadAt(fileSize - own.storedSize, entries, own.storedSize);
        if (valid)
        {
            for (int i = 0; i < count; ++i)
            {
                table[i].dir = entries[i];
                table[i].changed = 0;
                table[i].block = NULL;
            }
            m_pEntries = table;
            m_nEntries = m_nCapacity = count;
            table = NULL;
        }
        free(entries);
        free(table);
    }
    if (!valid)
    {
        FreeDirectory();
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        return false;
    }
    return true;
}

bool CPackFile::ReadBlock(const Entry& entry, CPackBlock* block)
{
    const CPackDirEntry& dir = entry.dir;
    if ((ULONGLONG)dir.offset + dir.storedSize > m_fileSize)
        return false;

    if (dir.unpackedSize == 0)
    {
        if (dir.storedSize == 0)
            return true; // a block of no data
        block->m_pData = (BYTE*)malloc(dir.storedSize);
        if (block->m_pData == NULL || !ReadAt(dir.offset, block->m_pData, dir.storedSize))
            return false;
        block->m_dwSize = dir.storedSize;
        return true;
    }

    // Compressed, padded to whole cipher blocks with a pad of 9 to 16 bytes
    // whose last four hold its length.
    if (dir.storedSize < 16 || dir.storedSize % 8 != 0 ||
        dir.unpackedSize > (ULONGLONG)dir.storedSize * kMaxInflateRatio + 1024)
        return false;
    BYTE* packed = (BYTE*)malloc(dir.storedSize);
    if (packed == NULL)
        return false;
    bool ok = ReadAt(dir.offset, packed, dir.storedSize);
    if (ok)
    {
        Blowfish_DecryptBuffer(m_pCipher, packed, dir.storedSize);
        const DWORD pad = LoadLE32(packed + dir.storedSize - 4);
        ok = pad >= 9 && pad <= 16;
        if (ok)
        {
            block->m_pData = (BYTE*)malloc(dir.unpackedSize);
            uLongf length = dir.unpackedSize;
            ok = block->m_pData != NULL &&
                 uncompress(block->m_pData, &length, packed, dir.storedSize - pad) == Z_OK &&
                 length == dir.unpackedSize;
            block->m_dwSize = dir.unpackedSize;
        }
    }
    SecureZeroMemory(packed, dir.storedSize);
    free(packed);
    return ok;
}

CPackBlock& CPackFile::LoadBlock(int index)
{
    if (!IsOpen() || index < 0 || index >= DataEntryCount())
        return m_empty;
    Entry& entry = m_pEntries[index];
    if (entry.block)
        return *entry.block;
    CPackBlock* block = new (std::nothrow) CPackBlock;
    if (block == NULL)
        return m_empty;
    if (!ReadBlock(entry, block))
    {
        delete block;
        return m_empty;
    }
    entry.block = block;
    return *block;
}

int CPackFile::FindEntry(WORD id, bool includeDirectory) const
{
    const int end = includeDirectory ? m_nEntries : DataEntryCount();
    for (int i = 0; i < end; ++i)
        if (m_pEntries[i].dir.id == id)
            return i;
    return -1;
}

CPackBlock& CPackFile::GetBlock(WORD id)
{
    if (!IsOpen())
        return m_empty;
    const int index = FindEntry(id, false);
    return index < 0 ? m_empty : LoadBlock(index);
}

CPackBlock& CPackFile::CreateBlock(WORD id)
{
    if (!IsOpen() || m_nEntries < 1 || FindEntry(id, true) >= 0)
        return m_empty;
    CPackBlock* block = new (std::nothrow) CPackBlock;
    if (block == NULL)
        return m_empty;
    Entry entry;
    entry.dir.id = id;
    entry.dir.offset = DataEntryCount() > 0 ? m_pEntries[m_nEntries - 1].dir.offset : 0;
    entry.dir.storedSize = 0;
    entry.dir.unpackedSize = 0;
    entry.dir.recordCount = 0;
    entry.changed = 1;
    entry.block = block;
    if (!InsertEntry(m_nEntries - 1, entry))
    {
        delete block;
        return m_empty;
    }
    return *block;
}

bool CPackFile::UnloadBlock(int index)
{
    if (!IsOpen() || m_bWritable || index < 0 || index >= DataEntryCount() ||
        m_pEntries[index].block == NULL)
        return false;
    delete m_pEntries[index].block;
    m_pEntries[index].block = NULL;
    return true;
}

bool CPackFile::UnloadBlockById(WORD id)
{
    if (!IsOpen())
        return false;
    const int index = FindEntry(id, false);
    return index >= 0 && UnloadBlock(index);
}

int CPackFile::GetBlockCount() const
{
    return m_nEntries > 0 ? DataEntryCount() : -1;
}

short CPackFile::GetBlockId(int index) const
{
    if (index < 0 || index >= DataEntryCount())
        return -1;
    return (short)m_pEntries[index].dir.id;
}

DWORD CPackFile::GetRecordCountById(WORD id) const
{
    if (m_nEntries < 1)
        return 0xFFFFFFFF;
    const int index = FindEntry(id, false);
    return index < 0 ? 0xFFFFFFFF : m_pEntries[index].dir.recordCount;
}

DWORD CPackFile::GetTimeStamp() const
{
    return m_nEntries > 0 ? m_pEntries[m_nEntries - 1].dir.unpackedSize : 0;
}

DWORD CPackFile::PackBlock(const BYTE* data, DWORD size, BYTE** packed)
{
    *packed = NULL;
    const ULONGLONG capacity = (ULONGLONG)size + size / 1024 + 1024;
    if (capacity + 16 > 0xFFFFFFFFu)
        return 0;
    BYTE* buffer = new (std::nothrow) BYTE[(size_t)capacity + 16];
    if (buffer == NULL)
        return 0;
    uLongf z = (uLongf)capacity;
    if (compress2(buffer, &z, data, size, 6) != Z_OK)
    {
        delete[] buffer;
        return 0;
    }
    const DWORD pad = 16 - (DWORD)(z % 8);
    memset(buffer + z, 0, pad - 4);
    StoreLE32(buffer + z + pad - 4, pad);
    const DWORD stored = (DWORD)z + pad;
    Blowfish_EncryptBuffer(&g_packCipher, buffer, stored);
    *packed = buffer;
    return stored;
}

bool CPackFile::Flush()
{
    if (!IsOpen())
        return false;
    if (!m_bWritable)
    {
        UnloadAll();
        return true;
    }

    // Everything to be written is made in memory first: new stored forms of
    // changed blocks, and the stored bytes of later blocks that must move.
    // Nothing touches the file unless all of it could be prepared.
    const int dataCount = DataEntryCount();
    PendingWrite* pending = (PendingWrite*)calloc(dataCount > 0 ? dataCount : 1, sizeof(PendingWrite));
    if (pending == NULL)
        return false;
    bool ok = true;
    bool anyWrite = false;
    LONGLONG shift = 0;
    for (int i = 0; i < dataCount && ok; ++i)
    {
        Entry& entry = m_pEntries[i];
        PendingWrite& out = pending[i];
        out.entry = entry.dir;
        const LONGLONG offset = (LONGLONG)entry.dir.offset + shift;
        if (offset < 0 || offset > 0xFFFFFFFFLL)
        {
            ok = false;
            break;
        }
        out.entry.offset = (DWORD)offset;

        CPackBlock* block = entry.block;
        if (block && (entry.changed || block->m_bChanged))
        {
            DWORD stored = block->m_dwSize;
            if (m_bKeyed && block->m_dwSize > 0)
            {
                // Keyed blocks of no data stay raw: a packed form would
                // carry an unpacked size of 0, which reads back as raw.
                stored = PackBlock(block->m_pData, block->m_dwSize, &out.bytes);
                if (stored == 0)
                {
                    ok = false;
                    break;
                }
                out.owned = true;
                out.entry.unpackedSize = block->m_dwSize;
            }
            else
            {
                out.bytes = block->m_pData;
                out.entry.unpackedSize = 0;
            }
            out.write = true;
            out.entry.storedSize = stored;
            out.entry.recordCount = CPackBlock::CountRecords(block->m_pData, block->m_dwSize);
            shift += (LONGLONG)stored - entry.dir.storedSize;
            anyWrite = true;
        }
        else if (offset != entry.dir.offset && entry.dir.storedSize > 0)
        {
            // A block that only moves keeps its stored bytes as they are.
            out.write = true;
            out.bytes = new (std::nothrow) BYTE[entry.dir.storedSize];
            out.owned = true;
            ok = out.bytes != NULL && (ULONGLONG)entry.dir.offset + entry.dir.storedSize <= m_fileSize &&
                 ReadAt(entry.dir.offset, out.bytes, entry.dir.storedSize);
        }
        if (ok && (ULONGLONG)out.entry.offset + out.entry.storedSize > 0xFFFFFFFFu)
            ok = false;
    }

    CPackDirEntry* directory = NULL;
    if (ok && anyWrite)
    {
        directory = (CPackDirEntry*)malloc(m_nEntries * kEntrySize);
        ok = directory != NULL;
        if (ok)
        {
            for (int i = 0; i < dataCount; ++i)
                directory[i] = pending[i].entry;
            CPackDirEntry own = m_pEntries[m_nEntries - 1].dir;
            if (dataCount > 0)
            {
                own.offset = directory[dataCount - 1].offset + directory[dataCount - 1].storedSize;
                own.storedSize = m_nEntries * kEntrySize;
            }
            else
            {
                own.offset = 0;
                own.storedSize = kEntrySize;
            }
            directory[m_nEntries - 1] = own;
            ok = (ULONGLONG)own.offset + own.storedSize <= 0xFFFFFFFFu;
        }
    }

    if (ok && anyWrite)
    {
        for (int i = 0; i < dataCount && ok; ++i)
            if (pending[i].write)
                ok = WriteAt(pending[i].entry.offset, pending[i].bytes, pending[i].entry.storedSize);
        const CPackDirEntry& own = directory[m_nEntries - 1];
        ok = ok && WriteAt(own.offset, directory, m_nEntries * kEntrySize) &&
             SetEndOfFile(m_hFile);
        if (ok)
        {
            for (int i = 0; i < m_nEntries; ++i)
            {
                m_pEntries[i].dir = directory[i];
                m_pEntries[i].changed = 0;
            }
            m_fileSize = (ULONGLONG)own.offset + own.storedSize;
        }
    }

    for (int i = 0; i < dataCount; ++i)
        if (pending[i].owned)
            delete[] pending[i].bytes;
    free(pending);
    free(directory);
    if (ok)
        UnloadAll();
    return ok;
}

bool CPackFile::OpenPrivate(const char* path, DWORD keyLength, const BYTE* key)
{
    if (IsOpen() || key == NULL)
        return false;
    if (m_pOwnCipher == NULL)
        m_pOwnCipher = new (std::nothrow) BLOWFISH_CTX;
    if (m_pOwnCipher == NULL)
        return false;
    m_pCipher = m_pOwnCipher;
    const bool opened = Open(path, 0, keyLength, key);
    if (!opened)
        m_pCipher = &g_packCipher;
    return opened;
}

bool CPackFile::Close()
{
    if (!IsOpen())
        return false;
    const bool flushed = Flush();
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    FreeDirectory();
    m_pCipher = &g_packCipher;
    return flushed;
}
