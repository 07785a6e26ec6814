#include "engine/backupsection.h"

#include <new>
#include <stdio.h>
#include <string.h>

#include <string>

#include "engine/enginelogtext.h"
#include "engine/internalremove.h"
#include "foundation/byteorder.h"
#include "foundation/packarchive.h"
#include "foundation/packedrecord.h"
#include "foundation/packfile.h"

#define QLOG(...) FormatSourceError(CEngineLogText, "engine/internalquarantine", __LINE__, __VA_ARGS__)

namespace {

enum { FieldHeader = 0, FieldName = 1, FieldValue = 2, FieldData = 3 };
const DWORD kPackHeaderSize = sizeof(CPackEntryHeader);

const char* Printable(const char* text)
{
    return text ? text : "";
}

bool IsDiskArea(DWORD area)
{
    return area == 0 || area == 3 || area == 4 || area == 6;
}

// Root keys are stored as their 32-bit handle values. Only the predefined
// keys have such values (sign-extended on 64-bit systems); any other handle
// would not mean the same key later and is refused.
bool IsPredefinedRoot(HKEY root)
{
    const LONG_PTR value = (LONG_PTR)root;
    return value >= (LONG_PTR)(LONG)0x80000000 && value <= (LONG_PTR)(LONG)0x8000000F;
}

DWORD RootKeyValue(HKEY root)
{
    return (DWORD)((LONG_PTR)root & 0xFFFFFFFF);
}

HKEY RootKeyFromValue(DWORD value)
{
    return (HKEY)(ULONG_PTR)(LONG_PTR)(LONG)value;
}

// A text field that ends inside the field, else NULL (absent or damaged).
const char* FieldText(const CPackedRecord& record, int field)
{
    const BYTE* data = record.GetEntry(field);
    const int length = record.GetEntryLength(field);
    if (data == NULL || length < 1 || memchr(data, 0, length) == NULL)
        return NULL;
    return (const char*)data;
}

void CopyText(char* buffer, DWORD size, const char* text)
{
    if (buffer == NULL || size == 0)
        return;
    const size_t length = text ? strlen(text) : 0;
    const size_t copied = length < size ? length : size - 1;
    if (text != NULL && copied != 0)
        memcpy(buffer, text, copied);
    buffer[copied] = 0;
}

void BeginRecord(CPackedRecord& record)
{
    record.SetTotalLength(2);
}

// Absent texts get no slot of their own unless a later field needs one.
bool SetText(CPackedRecord& record, int field, const char* text)
{
    return text == NULL || *text == 0 || record.SetString(field, text);
}

bool SetData(CPackedRecord& record, int field, const BYTE* data, DWORD length)
{
    return data == NULL || length == 0 || record.SetEntry(field, data, (int)length);
}

bool SetItemHeader(CPackedRecord& record, DWORD area, DWORD attributes, WORD depth, DWORD valueType)
{
    BYTE header[CBackupSection::ItemHeaderSize];
    StoreLE16(header, (WORD)area);
    StoreLE32(header + 2, attributes);
    StoreLE16(header + 6, depth);
    StoreLE32(header + 8, valueType);
    BeginRecord(record);
    return record.SetEntry(FieldHeader, header, sizeof(header));
}

void StorePackHeader(BYTE* out, const CPackEntryHeader& header)
{
    StoreLE32(out, header.magic);
    StoreLE32(out + 4, header.entryOffset);
    StoreLE32(out + 8, header.entrySize);
    StoreLE32(out + 12, header.crc);
    StoreLE32(out + 16, header.unpackedSize);
}

CPackEntryHeader LoadPackHeader(const BYTE* in)
{
    CPackEntryHeader header;
    header.magic = LoadLE32(in);
    header.entryOffset = LoadLE32(in + 4);
    header.entrySize = LoadLE32(in + 8);
    header.crc = LoadLE32(in + 12);
    header.unpackedSize = LoadLE32(in + 16);
    return header;
}

// Creates a folder, making missing parents first; true only when the folder
// itself was made by this call.
bool CreateFolderWithParents(const char* path)
{
    if (CreateDirectoryA(path, NULL))
        return true;
    if (GetLastError() != ERROR_PATH_NOT_FOUND)
        return false;
    char buffer[CBackupSection::MaxPathLength];
    const size_t length = strlen(path);
    if (length >= sizeof(buffer))
        return false;
    memcpy(buffer, path, length + 1);
    // Past a drive root ("C:\") or a UNC server and share there is nothing to make.
    size_t start = 0;
    if (length > 2 && buffer[1] == ':')
        start = 3;
    else if (length > 2 && buffer[0] == '\\' && buffer[1] == '\\')
    {
        int slashes = 0;
        for (start = 2; start < length && slashes < 2; ++start)
            if (buffer[start] == '\\')
                ++slashes;
    }
    for (size_t i = start; i < length; ++i)
    {
        if (buffer[i] != '\\' && buffer[i] != '/')
            continue;
        const char saved = buffer[i];
        buffer[i] = 0;
        CreateDirectoryA(buffer, NULL);
        buffer[i] = saved;
    }
    return CreateDirectoryA(path, NULL) != 0;
}

// Takes a value away; one that is already gone counts as taken.
bool DeleteValue(HKEY key, const char* valueName)
{
    if (key == NULL)
        return false;
    const LONG rc = RegDeleteValueA(key, valueName);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// Whether the two files hold the same bytes.
bool SameFileContents(const char* a, const char* b)
{
    FILE* first = fopen(a, "rb");
    FILE* second = first ? fopen(b, "rb") : NULL;
    bool same = second != NULL;
    char left[16384], right[16384];
    while (same)
    {
        const size_t got = fread(left, 1, sizeof(left), first);
        same = fread(right, 1, sizeof(right), second) == got && memcmp(left, right, got) == 0;
        if (got < sizeof(left))
        {
            same = same && !ferror(first) && !ferror(second);
            break;
        }
    }
    if (first)
        fclose(first);
    if (second)
        fclose(second);
    return same;
}

// Whether the key already holds the value with this type and data.
bool HasValue(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD length)
{
    DWORD storedType = 0, storedLength = 0;
    if (key == NULL || RegQueryValueExA(key, valueName, NULL, &storedType, NULL, &storedLength) != ERROR_SUCCESS ||
        storedType != type || storedLength != length)
        return false;
    if (length == 0)
        return true;
    BYTE* stored = new (std::nothrow) BYTE[length];
    bool same = stored != NULL &&
                RegQueryValueExA(key, valueName, NULL, &storedType, stored, &storedLength) == ERROR_SUCCESS &&
                storedType == type && storedLength == length && memcmp(stored, data, length) == 0;
    delete[] stored;
    return same;
}

// The whole of a small file (empty when it cannot be read).
std::string ReadSmallFile(const char* path)
{
    std::string text;
    FILE* file = fopen(path, "rb");
    if (file == NULL)
        return text;
    char buffer[16384];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}

} // namespace

// Shared state of one backup walk: one record buffer and one name buffer,
// so that the frames of deep trees stay small.
struct CBackupSection::KeyWalk
{
    DWORD area;
    DWORD root;
    CPackedRecordBuffer record;
    char name[1024];
};

CBackupSection::CBackupSection() : m_pArchive(NULL), m_pBlock(NULL), m_nItemCount(0) {}

CBackupSection::CBackupSection(CPackArchive* archive, CPackBlock* block)
    : m_pArchive(archive), m_pBlock(block), m_nItemCount(CountItems(block))
{
}

bool CBackupSection::HasData() const
{
    return m_pBlock != NULL && m_pBlock->GetData() != NULL;
}

bool CBackupSection::ReadItemHeader(const CPackedRecord& record, ItemHeader* header)
{
    const BYTE* data = record.GetEntry(FieldHeader);
    if (data == NULL || record.GetEntryLength(FieldHeader) != ItemHeaderSize)
        return false;
    header->area = LoadLE16(data);
    header->attributes = LoadLE32(data + 2);
    header->depth = LoadLE16(data + 6);
    header->valueType = LoadLE32(data + 8);
    return true;
}

// The deeper records of a key tree belong to the item before them; every
// other record starts an item, a damaged one too, so that it is reported.
bool CBackupSection::StartsItem(const CPackedRecord& record)
{
    ItemHeader header;
    return !ReadItemHeader(record, &header) || !IsRegistryArea(header.area) || header.depth == 0;
}

int CBackupSection::CountItems(CPackBlock* block)
{
    if (block == NULL)
        return 0;
    const int count = block->GetRecordCount();
    int items = 0;
    CPackedRecord record;
    for (int i = 1; i < count; ++i)
        if (block->GetRecord(&record, i) != NULL && record != NULL && StartsItem(record))
            ++items;
    return items;
}

int CBackupSection::FindItemRecord(int item) const
{
    if (m_pBlock == NULL || item < 0 || item >= m_nItemCount)
        return -1;
    const int count = m_pBlock->GetRecordCount();
    int seen = 0;
    CPackedRecord record;
    for (int i = 1; i < count; ++i)
    {
        m_pBlock->GetRecord(&record, i);
        if (record != NULL && StartsItem(record) && ++seen == item + 1)
            return i;
    }
    return -1;
}

bool CBackupSection::WriteHeader(const char* name, const char* description, const char* url, DWORD risk)
{
    if (m_pBlock == NULL || m_pBlock->GetRecordCount() != 0)
        return false;
    CPackedRecordBuffer record;
    if (record.GetPtr() == NULL)
        return false;
    BYTE riskBytes[4];
    StoreLE32(riskBytes, risk);
    CPackedRecord& r = record.Record();
    BeginRecord(r);
    if (!r.SetEntry(FieldHeader, riskBytes, sizeof(riskBytes)) || !SetText(r, 1, name) ||
        !SetText(r, 2, description) || !SetText(r, 3, url))
        return false;
    return m_pBlock->AddRecord(r);
}

bool CBackupSection::ReadHeader(char* name, char* description, char* url, DWORD bufferSize, DWORD* risk)
{
    if (m_pBlock == NULL || m_pBlock->GetRecordCount() == 0)
        return false;
    CPackedRecord record;
    m_pBlock->GetRecord(&record, 0);
    if (record == NULL)
        return false;
    CopyText(name, bufferSize, FieldText(record, 1));
    CopyText(description, bufferSize, FieldText(record, 2));
    CopyText(url, bufferSize, FieldText(record, 3));
    if (risk)
    {
        const BYTE* data = record.GetEntry(FieldHeader);
        *risk = data && record.GetEntryLength(FieldHeader) >= 4 ? LoadLE32(data) : 0;
    }
    return true;
}

bool CBackupSection::AppendRecord(CPackedRecordBuffer& record, bool startsItem)
{
    if (m_pBlock == NULL || !m_pBlock->AddRecord(record.Record()))
        return false;
    if (startsItem)
        ++m_nItemCount;
    return true;
}

bool CBackupSection::HasDiskRecord(const char* path) const
{
    if (m_pBlock == NULL)
        return false;
    const int count = m_pBlock->GetRecordCount();
    CPackedRecord record;
    ItemHeader header;
    for (int i = 1; i < count; ++i)
    {
        m_pBlock->GetRecord(&record, i);
        if (record == NULL || !ReadItemHeader(record, &header) || !IsDiskArea(header.area))
            continue;
        const char* stored = FieldText(record, FieldName);
        if (stored && _stricmp(stored, path) == 0)
            return true;
    }
    return false;
}

bool CBackupSection::AddFileRecord(DWORD area, const char* path, DWORD attributes, WORD depth)
{
    if (HasDiskRecord(path))
        return true;
    CPackedRecordBuffer record;
    CPackedRecord& r = record.Record();
    if (r == NULL || !SetItemHeader(r, area, attributes, depth, 0) || !SetText(r, FieldName, path))
        return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        CPackEntryHeader header;
        if (m_pArchive == NULL || !m_pArchive->AddFile(path, &header))
        {
            QLOG("Cannot add file to archive: %s", path);
            return false;
        }
        BYTE stored[kPackHeaderSize];
        StorePackHeader(stored, header);
        if (!r.SetEntry(FieldData, stored, sizeof(stored)))
            return false;
    }
    return AppendRecord(record, true);
}

bool CBackupSection::PassesOver(const WIN32_FIND_DATAA& entry)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] == '.';
}

// path is a buffer of MaxPathLength chars holding length chars; entries are
// appended to it in place and cut off again.
bool CBackupSection::AddFolderTree(DWORD area, char* path, size_t length, DWORD attributes, WORD depth)
{
    if (HasDiskRecord(path))
        return true;
    if (!AddFileRecord(area, path, attributes, depth))
        return false;
    // A link to another folder is kept as the link; its target is not ours.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    if (depth == 0xFFFF)
        return false;

    const bool slash = length > 0 && path[length - 1] == '\\';
    const size_t base = slash ? length : length + 1;
    if (base + 4 > MaxPathLength - 1)
        return false;
    path[length] = '\\';
    memcpy(path + base, "*.*", 4);
    WIN32_FIND_DATAA* found = new (std::nothrow) WIN32_FIND_DATAA;
    HANDLE search = found ? FindFirstFileA(path, found) : INVALID_HANDLE_VALUE;
    path[length] = 0;
    if (search == INVALID_HANDLE_VALUE)
    {
        delete found;
        return false;
    }
    bool ok = true;
    do
    {
        if (PassesOver(*found))
            continue;
        const DWORD entryAttributes = found->dwFileAttributes;
        const bool folder = (entryAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const size_t nameLength = strlen(found->cFileName);
        if (base + nameLength > MaxPathLength - 1)
        {
            // Never cut a path: the entry could not be backed up.
            QLOG("Path too long to back up: %s\\%s", path, found->cFileName);
            ok = false;
            continue;
        }
        path[length] = '\\';
        memcpy(path + base, found->cFileName, nameLength + 1);
        const bool added = folder ? AddFolderTree(area, path, base + nameLength, entryAttributes, (WORD)(depth + 1))
                                  : AddFileRecord(area, path, entryAttributes, (WORD)(depth + 1));
        if (!added)
            ok = false;
        path[length] = 0;
    } while (FindNextFileA(search, found));
    FindClose(search);
    delete found;
    return ok;
}

bool CBackupSection::AddValueRecord(KeyWalk& walk, const char* keyPath, HKEY key, const char* valueName, WORD depth)
{
    CPackedRecord& r = walk.record.Record();
    if (r == NULL)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, valueName, NULL, &type, NULL, &size) != ERROR_SUCCESS)
        return SetItemHeader(r, walk.area, walk.root, depth, 0) && SetText(r, FieldName, keyPath) &&
               SetText(r, FieldValue, valueName) && AppendRecord(walk.record, depth == 0);

    BYTE* data = NULL;
    if (size)
    {
        data = new (std::nothrow) BYTE[size];
        if (data == NULL)
            return false;
    }
    DWORD read = size;
    bool ok = RegQueryValueExA(key, valueName, NULL, &type, data, &read) == ERROR_SUCCESS && read <= size;
    ok = ok && SetItemHeader(r, walk.area, walk.root, depth, type) && SetText(r, FieldName, keyPath) &&
         SetText(r, FieldValue, valueName) && SetData(r, FieldData, data, read) &&
         AppendRecord(walk.record, depth == 0);
    delete[] data;
    return ok;
}

bool CBackupSection::AddKeyTree(KeyWalk& walk, HKEY key, const char* keyPath, WORD depth)
{
    if (depth > MaxKeyDepth)
    {
        QLOG("Key tree deeper than %d levels: %s", (int)MaxKeyDepth, keyPath);
        return false;
    }
    if (!AddValueRecord(walk, keyPath, key, NULL, depth))
        return false;
    bool ok = true;
    for (DWORD i = 0;; ++i)
    {
        DWORD length = sizeof(walk.name);
        const LONG rc = RegEnumValueA(key, i, walk.name, &length, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
        {
            // A value that cannot be listed (its name too long) cannot be
            // backed up, so the tree is not whole.
            ok = false;
            if (rc != ERROR_MORE_DATA)
                break;
            continue;
        }
        if (walk.name[0] == 0)
            continue;
        if (!AddValueRecord(walk, NULL, key, walk.name, (WORD)(depth + 1)))
            ok = false;
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD length = sizeof(walk.name);
        const LONG rc = RegEnumKeyExA(key, i, walk.name, &length, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
        {
            ok = false;
            if (rc != ERROR_MORE_DATA)
                break;
            continue;
        }
        HKEY subKey;
        if (RegOpenKeyExA(key, walk.name, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &subKey) != ERROR_SUCCESS)
            continue;
        // The name buffer is free again once the subkey's own record is written.
        if (!AddKeyTree(walk, subKey, walk.name, (WORD)(depth + 1)))
            ok = false;
        RegCloseKey(subKey);
    }
    return ok;
}

bool CBackupSection::AddItemToBackup(DWORD area, HKEY root, const char* name, const char* value)
{
    QLOG("Add item to backup: %s", Printable(name));
    bool ok = false;
    if (m_pBlock != NULL && name != NULL && *name != 0)
    {
        if (IsDiskArea(area))
        {
            const size_t length = strlen(name);
            const DWORD attributes = GetFileAttributesA(name);
            if (length >= MaxPathLength)
                QLOG("Path too long to back up: %s", name);
            else if (attributes == INVALID_FILE_ATTRIBUTES)
                ok = false;
            else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                char* path = new (std::nothrow) char[MaxPathLength];
                if (path)
                {
                    memcpy(path, name, length + 1);
                    ok = AddFolderTree(area, path, length, attributes, 0);
                    delete[] path;
                }
            }
            else
                ok = AddFileRecord(area, name, attributes, 0);
        }
        else if (IsRegistryArea(area))
        {
            HKEY key;
            if (IsPredefinedRoot(root) && RegOpenKeyExA(root, name, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &key) == ERROR_SUCCESS)
            {
                KeyWalk* walk = new (std::nothrow) KeyWalk;
                if (walk)
                {
                    walk->area = area;
                    walk->root = RootKeyValue(root);
                    if (value != NULL && *value != 0)
                        ok = AddValueRecord(*walk, name, key, value, 0);
                    else
                        ok = AddKeyTree(*walk, key, name, 0);
                    delete walk;
                }
                RegCloseKey(key);
            }
        }
        else if (area == 5)
        {
            CPackedRecordBuffer record;
            CPackedRecord& r = record.Record();
            ok = r != NULL && SetItemHeader(r, area, 0, 0, 0) && SetText(r, FieldName, name) &&
                 SetText(r, FieldValue, value) && AppendRecord(record, true);
        }
    }
    QLOG("Added item to backup");
    return ok;
}

bool CBackupSection::GetItemInfo(int item, DWORD bufferSize, DWORD* area, DWORD* attributesOrRoot, char* name,
                                 char* value, BYTE* data, DWORD* dataLength, DWORD* valueType)
{
    const int index = FindItemRecord(item);
    if (index < 0)
        return false;
    CPackedRecord record;
    m_pBlock->GetRecord(&record, index);
    ItemHeader header;
    if (record == NULL || !ReadItemHeader(record, &header))
        return false;

    const DWORD capacity = dataLength ? *dataLength : 0;
    CopyText(name, bufferSize, NULL);
    CopyText(value, bufferSize, NULL);
    if (dataLength)
        *dataLength = 0;
    if (valueType)
        *valueType = 0;
    if (attributesOrRoot)
        *attributesOrRoot = 0;
    if (area)
        *area = header.area;
    if (header.area > 6)
        return true;

    if (header.area != 5 && attributesOrRoot)
        *attributesOrRoot = header.attributes;
    if (IsDiskArea(header.area))
        CopyText(name, bufferSize, FieldText(record, FieldName));
    else if (IsRegistryArea(header.area))
    {
        CopyText(name, bufferSize, FieldText(record, FieldName));
        CopyText(value, bufferSize, FieldText(record, FieldValue));
        const BYTE* stored = record.GetEntry(FieldData);
        const DWORD storedLength = stored ? (DWORD)record.GetEntryLength(FieldData) : 0;
        if (data && stored)
            memcpy(data, stored, storedLength < capacity ? storedLength : capacity);
        if (dataLength)
            *dataLength = storedLength;
        if (valueType)
            *valueType = header.valueType;
    }
    else
    {
        CopyText(name, bufferSize, FieldText(record, FieldName));
        CopyText(value, bufferSize, FieldText(record, FieldValue));
    }
    return true;
}

bool CBackupSection::RestoreDiskItem(const CPackedRecord& record, const ItemHeader& header)
{
    const char* path = FieldText(record, FieldName);
    if (path == NULL || *path == 0 || strlen(path) >= MaxPathLength)
        return false;
    if (header.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return CreateFolderWithParents(path);

    const BYTE* stored = record.GetEntry(FieldData);
    if (stored == NULL || record.GetEntryLength(FieldData) != (int)kPackHeaderSize || m_pArchive == NULL)
    {
        QLOG("Cannot restore file: %s", path);
        return false;
    }
    const CPackEntryHeader entry = LoadPackHeader(stored);
    const DWORD existing = GetFileAttributesA(path);
    if (existing == INVALID_FILE_ATTRIBUTES || (existing & FILE_ATTRIBUTE_DIRECTORY))
    {
        if (!m_pArchive->ExtractFile(path, entry))
        {
            QLOG("Cannot restore file: %s", path);
            return false;
        }
    }
    else
    {
        // The file is there already (restored before, or put back by hand):
        // the stored copy is unpacked beside it and replaces it only when
        // the two differ, so an equal file is left as it is.
        std::string folder(path);
        const size_t slash = folder.find_last_of("\\/");
        folder.erase(slash == std::string::npos ? 0 : slash + 1);
        char temp[MAX_PATH];
        if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "cwr", 0, temp))
        {
            QLOG("Cannot restore file: %s", path);
            return false;
        }
        bool ok = m_pArchive->ExtractFile(temp, entry);
        if (ok && SameFileContents(temp, path))
        {
            DeleteFileA(temp);
            return true;
        }
        if (ok)
        {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            ok = MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }
        if (!ok)
        {
            DeleteFileA(temp);
            QLOG("Cannot restore file: %s", path);
            return false;
        }
    }
    SetFileAttributesA(path, header.attributes ? header.attributes : FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool CBackupSection::RestoreHostsItem(const CPackedRecord& record)
{
    const char* host = FieldText(record, FieldName);
    const char* address = FieldText(record, FieldValue);
    // A damaged record must not add lines of its own.
    if (host == NULL || address == NULL || strpbrk(host, "\r\n") || strpbrk(address, "\r\n"))
        return false;
    const CString path = CInternalRemove::GetHostsPath();

    // A line that is there already (restored before) is not added again.
    const std::string text = ReadSmallFile(path);
    for (size_t start = 0; start < text.size();)
    {
        const size_t end = text.find('\n', start);
        const size_t stop = end == std::string::npos ? text.size() : end + 1;
        if (CInternalRemove::IsHostsLine(text.data() + start, stop - start, address, host))
            return true;
        start = stop;
    }
    // A last line without its line end would otherwise be joined to ours.
    const bool needsLineEnd = !text.empty() && text[text.size() - 1] != '\n';
    FILE* file = fopen(path, "at");
    if (file == NULL)
    {
        QLOG("Cannot open the hosts file %s", (LPCSTR)path);
        return false;
    }
    if (needsLineEnd)
        fputs("\n", file);
    fprintf(file, "%s\t%s\n", address, host);
    const bool ok = !ferror(file);
    return fclose(file) == 0 && ok;
}

// Restores the record at index and its siblings of the same depth (only the
// one record when single), each with its deeper records beneath it.
bool CBackupSection::RestoreKeyTree(HKEY parent, int& index, WORD depth, WORD area, bool single)
{
    const int count = m_pBlock->GetRecordCount();
    HKEY opened = NULL;
    HKEY recordKey = parent;
    bool ok = true;
    bool first = true;
    CPackedRecord record;
    while (index < count)
    {
        m_pBlock->GetRecord(&record, index);
        ItemHeader header;
        if (record == NULL || !ReadItemHeader(record, &header) || header.area != area || header.depth < depth)
            break;
        if (header.depth > depth)
        {
            if (first)
                break;
            if (header.depth > MaxKeyDepth)
            {
                ok = false;
                ++index;
                continue;
            }
            if (!RestoreKeyTree(recordKey, index, header.depth, area, false))
                ok = false;
            continue;
        }
        if (!first && single)
            break;
        first = false;

        const char* keyPath = FieldText(record, FieldName);
        const char* valueName = FieldText(record, FieldValue);
        const BYTE* data = record.GetEntry(FieldData);
        const int dataLength = data ? record.GetEntryLength(FieldData) : 0;
        recordKey = parent;
        if (keyPath)
        {
            if (opened)
                RegCloseKey(opened);
            opened = NULL;
            if (parent == NULL || RegCreateKeyExA(parent, keyPath, 0, NULL, REG_OPTION_NON_VOLATILE,
                                                  KEY_WRITE | KEY_QUERY_VALUE, NULL, &opened, NULL) != ERROR_SUCCESS)
            {
                QLOG("Cannot create key %s", keyPath);
                opened = NULL;
                ok = false;
            }
            recordKey = opened;
        }
        // A stored type without data is a value that was empty. A value
        // that is already as stored (restored before) is left alone.
        if (data || header.valueType != 0)
        {
            if (recordKey == NULL ||
                (!HasValue(recordKey, valueName, header.valueType, data, (DWORD)dataLength) &&
                 RegSetValueExA(recordKey, valueName, 0, header.valueType, data, (DWORD)dataLength) != ERROR_SUCCESS))
                ok = false;
        }
        // Neither type nor data: the value was absent when it was backed up.
        // A guarded value is written by its repair even then, so its restore
        // takes it away again (an empty REG_NONE value is stored the same way
        // and goes too). The other values of a key tree were never changed.
        else if (single && area == 2 && !DeleteValue(recordKey, valueName))
            ok = false;
        ++index;
    }
    if (opened)
        RegCloseKey(opened);
    return ok;
}

bool CBackupSection::RestoreItem(int item)
{
    int index = FindItemRecord(item);
    if (index < 0)
        return false;
    CPackedRecord record;
    m_pBlock->GetRecord(&record, index);
    ItemHeader header;
    if (record == NULL || !ReadItemHeader(record, &header))
        return false;
    if (IsDiskArea(header.area))
        return RestoreDiskItem(record, header);
    if (IsRegistryArea(header.area))
        return RestoreKeyTree(RootKeyFromValue(header.attributes), index, header.depth, header.area, true);
    if (header.area == 5)
        return RestoreHostsItem(record);
    return true;
}
