#pragma once
// One program's part of a quarantine archive: a block of the ".inf" record
// container (header record, then item records) together with the ".dat"
// archive that holds the backed-up files. A value object; only valid while
// its archive is open.

#include <windows.h>

class CPackArchive;
class CPackBlock;
class CPackedRecord;
class CPackedRecordBuffer;

class CBackupSection
{
public:
    // Size of field 0 of every item record.
    enum { ItemHeaderSize = 12 };
    // Longest path, with its NUL, that a disk item may have.
    enum { MaxPathLength = 1040 };
    // Deepest key level that a registry tree is backed up or restored to.
    enum { MaxKeyDepth = 512 };

    CBackupSection();
    // block may be NULL: the section of a missing block, which holds nothing
    // and takes nothing.
    CBackupSection(CPackArchive* archive, CPackBlock* block);

    bool HasData() const;
    int GetItemCount() const { return m_nItemCount; }

    bool WriteHeader(const char* name, const char* description, const char* url, DWORD risk);
    // Each text buffer holds bufferSize chars; absent fields read as empty.
    bool ReadHeader(char* name, char* description, char* url, DWORD bufferSize, DWORD* risk);

    bool AddItemToBackup(DWORD area, HKEY root, const char* name, const char* value);
    // name, value and data may be NULL. dataLength is in: the data buffer's
    // size; out: the stored data length, which may exceed what was copied.
    bool GetItemInfo(int item, DWORD bufferSize, DWORD* area, DWORD* attributesOrRoot, char* name,
                     char* value, BYTE* data, DWORD* dataLength, DWORD* valueType);
    bool RestoreItem(int item);

    // Whether a folder's backup passes over an entry found inside it: links
    // (reparse points) and folders whose names begin with "." ("." and ".."
    // among them). Removal leaves the same entries in place.
    static bool PassesOver(const WIN32_FIND_DATAA& entry);

private:
    struct ItemHeader
    {
        WORD area;
        DWORD attributes; // file attributes or root key value
        WORD depth;
        DWORD valueType;
    };
    struct KeyWalk;

    static bool ReadItemHeader(const CPackedRecord& record, ItemHeader* header);
    static bool IsRegistryArea(DWORD area) { return area == 1 || area == 2; }
    static bool StartsItem(const CPackedRecord& record);
    static int CountItems(CPackBlock* block);
    int FindItemRecord(int item) const;

    bool AppendRecord(CPackedRecordBuffer& record, bool startsItem);
    bool HasDiskRecord(const char* path) const;
    bool AddFileRecord(DWORD area, const char* path, DWORD attributes, WORD depth);
    bool AddFolderTree(DWORD area, char* path, size_t length, DWORD attributes, WORD depth);
    bool AddValueRecord(KeyWalk& walk, const char* keyPath, HKEY key, const char* valueName, WORD depth);
    bool AddKeyTree(KeyWalk& walk, HKEY key, const char* keyPath, WORD depth);

    bool RestoreDiskItem(const CPackedRecord& record, const ItemHeader& header);
    bool RestoreHostsItem(const CPackedRecord& record);
    bool RestoreKeyTree(HKEY parent, int& index, WORD depth, WORD area, bool single);

    CPackArchive* m_pArchive;
    CPackBlock* m_pBlock;
    int m_nItemCount;
};
