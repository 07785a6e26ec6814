#pragma once
// Record container: numbered blocks of packed records in one file, with a
// directory of 18-byte entries at the end whose last entry describes the
// directory itself. Keyed containers store blocks compressed, padded and
// enciphered with the process-wide Blowfish context; others store them raw.
// Failures are reported by results only; nothing here throws.

#include <windows.h>

#include "foundation/packedrecord.h"

struct BLOWFISH_CTX;

#pragma pack(push, 1)
struct CPackDirEntry
{
    WORD id;
    DWORD offset;
    DWORD storedSize;
    DWORD unpackedSize; // the directory's own entry: creation time
    DWORD recordCount;
};
#pragma pack(pop)
static_assert(sizeof(CPackDirEntry) == 18, "directory entries are 18 bytes");

class CPackBlock
{
public:
    CPackBlock();
    virtual ~CPackBlock();

    BYTE* First();
    BYTE* Next();
    bool BuildIndex();
    BYTE* GetRecordPtr(CPackedRecord* out, int i);
    CPackedRecord* GetRecord(CPackedRecord* out, int i);
    int GetRecordCount();
    bool AddRecord(const BYTE* record);
    bool AddRecord(const CPackedRecord& record) { return AddRecord(record.GetPtr()); }

    bool operator==(const void* p) const { return m_pData == p; }
    bool operator!=(const void* p) const { return m_pData != p; }

    BYTE* GetData() const { return m_pData; }
    DWORD GetSize() const { return m_dwSize; }
    bool IsChanged() const { return m_bChanged != 0; }

    // Length of the record at pos, or 0 when none fits there: a length
    // below 2 or a record running past the end ends every walk.
    static DWORD RecordLengthAt(const BYTE* data, DWORD size, DWORD pos);
    static DWORD CountRecords(const BYTE* data, DWORD size);

private:
    friend class CPackFile;
    CPackBlock(const CPackBlock&);
    CPackBlock& operator=(const CPackBlock&);

    bool AddIndexEntry(DWORD pos);

    BYTE* m_pData;
    DWORD m_dwSize;
    DWORD m_dwCursor;
    BYTE m_bIndexed;
    BYTE m_bChanged;
    // Offsets rather than pointers, so a moved buffer leaves the index valid.
    DWORD* m_pIndex;
    int m_nIndexCount;
    int m_nIndexCapacity;
};

class CPackFile
{
public:
    enum { DirectoryId = 0x8FFF };

    CPackFile();
    virtual ~CPackFile();

    bool Open(const char* path, BYTE writable, DWORD keyLength, const BYTE* key);
    // Read-only keyed open with a cipher context of this container's own, so
    // that it can be read while another keyed container is in use (the
    // update check of a downloaded database during a scan).
    bool OpenPrivate(const char* path, DWORD keyLength, const BYTE* key);
    bool Flush();
    bool Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    CPackBlock& GetBlock(WORD id);
    CPackBlock& CreateBlock(WORD id);
    CPackBlock& LoadBlock(int index);
    bool UnloadBlock(int index);
    bool UnloadBlockById(WORD id);

    int GetBlockCount() const;
    short GetBlockId(int index) const;
    DWORD GetRecordCountById(WORD id) const;
    DWORD GetTimeStamp() const;

    // Compresses, pads and enciphers data with the process-wide context.
    // Returns the stored size and a buffer the caller frees with delete[],
    // or 0 when compression fails.
    static DWORD PackBlock(const BYTE* data, DWORD size, BYTE** packed);

private:
    CPackFile(const CPackFile&);
    CPackFile& operator=(const CPackFile&);

    struct Entry
    {
        CPackDirEntry dir;
        BYTE changed;
        CPackBlock* block;
    };

    bool ReadBlock(const Entry& entry, CPackBlock* block);
    bool ReadAt(DWORD offset, void* buffer, DWORD size);
    bool WriteAt(DWORD offset, const void* buffer, DWORD size);
    int FindEntry(WORD id, bool includeDirectory) const;
    bool InsertEntry(int index, const Entry& entry);
    void FreeDirectory();
    void UnloadAll();
    int DataEntryCount() const { return m_nEntries - 1; }

    CPackBlock m_empty;
    HANDLE m_hFile;
    BYTE m_bWritable;
    Entry* m_pEntries;
    int m_nEntries;
    int m_nCapacity;
    BYTE m_bKeyed;
    ULONGLONG m_fileSize;
    // The process-wide context, or an own one from OpenPrivate.
    BLOWFISH_CTX* m_pCipher;
    BLOWFISH_CTX* m_pOwnCipher;
};
