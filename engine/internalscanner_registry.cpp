// The registry areas: registry items, the autorun check and guarded values.
#include "engine/internalscanner.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "foundation/byteorder.h"

#define ENGINE_MESSAGE(...) Message(__LINE__, __VA_ARGS__)

namespace {

const DWORD kNameChars = 16383;   // the registry's own limit for names
const DWORD kWalkBuffer = 16384;  // find mode: names and data
const DWORD kValueBuffer = 8192;  // direct mode and autorun data

// Predefined keys travel as their 32-bit values; on a 64-bit build the handle
// is the sign-extended value.
HKEY RootKey(DWORD root)
{
    return (HKEY)(ULONG_PTR)(LONG_PTR)(LONG)root;
}

// A string field as text: up to its NUL or its end. False when absent.
bool FieldText(const CPackedRecord& record, int field, std::string& out)
{
    out.clear();
    const BYTE* data = record.GetEntry(field);
    if (data == NULL)
        return false;
    const int length = record.GetEntryLength(field);
    const BYTE* end = (const BYTE*)memchr(data, 0, length);
    out.assign((const char*)data, end ? (size_t)(end - data) : (size_t)length);
    return true;
}

bool IsDollarRecord(const CPackedRecord& record)
{
    std::string name;
    return FieldText(record, 2, name) && name == "$";
}

void LowerInPlace(char* text)
{
    const size_t n = strlen(text);
    if (n)
        CharLowerBuffA(text, (DWORD)n);
}

} // namespace

// The state of one record's match, made once per scan step and reused by
// every record. Its buffers live on the heap and are shared by every level of
// a tree: each level finishes its values before the walk goes down, and the
// key path grows and shrinks in place.
struct CInternalScanner::RegistryWalk
{
    // One key open on the way down: its handle, the next subkey index to
    // enumerate, and the key path's length at that level.
    struct Level
    {
        HKEY key;
        DWORD index;
        size_t pathLength;
    };

    DWORD program;
    WORD flags;
    DWORD root;
    bool hasName;
    std::string valueName;
    const BYTE* data;
    DWORD dataLength;
    std::string path;
    std::vector<char> name;
    std::vector<BYTE> value;
    std::vector<char> subkey;
    std::vector<Level> levels;

    RegistryWalk() : program(0), flags(0), root(0), hasName(false), data(NULL), dataLength(0),
                     name(kWalkBuffer), value(kWalkBuffer + 1), subkey(kNameChars + 1) {}
};

bool CInternalScanner::ContainsNoCase(const char* text, DWORD textSize, const char* part, DWORD partSize)
{
    char haystack[8192];
    char needle[8192];
    const DWORD n = textSize < sizeof(haystack) - 1 ? textSize : sizeof(haystack) - 1;
    const DWORD m = partSize < sizeof(needle) - 1 ? partSize : sizeof(needle) - 1;
    memcpy(haystack, text, n);
    haystack[n] = 0;
    memcpy(needle, part, m);
    needle[m] = 0;
    LowerInPlace(haystack);
    LowerInPlace(needle);
    return strstr(haystack, needle) != NULL;
}

bool CInternalScanner::MatchData(const BYTE* read, const BYTE* recordData, DWORD readSize,
                                 DWORD recordSize, bool contains)
{
    if (contains)
        return ContainsNoCase((const char*)read, readSize, (const char*)recordData, recordSize);
    return readSize == recordSize && memcmp(read, recordData, readSize) == 0;
}

// Numbers read as their signed decimal text, so records can name them.
static void NumberAsText(DWORD type, BYTE* data, DWORD capacity, DWORD* size)
{
    char text[32];
    if (type == REG_DWORD && *size == 4)
        sprintf(text, "%ld", (long)(LONG)LoadLE32(data));
    else if (type == REG_QWORD && *size == 8)
        sprintf(text, "%lld", (long long)((ULONGLONG)LoadLE32(data) | ((ULONGLONG)LoadLE32(data + 4) << 32)));
    else
        return;
    const DWORD length = (DWORD)strlen(text);
    if (length + 1 > capacity)
        return;
    memcpy(data, text, length + 1);
    *size = length;
}

LONG CInternalScanner::QueryValueAsText(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size)
{
    const DWORD capacity = *size;
    DWORD t = 0;
    const LONG rc = RegQueryValueExA(key, name, NULL, &t, data, size);
    if (rc == ERROR_SUCCESS && data)
        NumberAsText(t, data, capacity, size);
    if (type)
        *type = t;
    return rc;
}

LONG CInternalScanner::EnumValueAsText(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* type,
                                       BYTE* data, DWORD* size)
{
    const DWORD capacity = *size;
    DWORD t = 0;
    const LONG rc = RegEnumValueA(key, index, name, nameSize, NULL, &t, data, size);
    if (rc == ERROR_SUCCESS && data)
        NumberAsText(t, data, capacity, size);
    if (type)
        *type = t;
    return rc;
}

// ----------------------------------------------------------- registry items

bool CInternalScanner::ScanRegistry(CPackBlock& block, int pass)
{
    ENGINE_MESSAGE("ScanRegistry started, #UseDetectable = %d", pass == 1 ? 1 : 0);
    DWORD& counter = m_counters[AreaRegistry];
    RegistryWalk walk;
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        const BYTE* field0 = record.GetEntry(0);
        if (field0 != NULL && record.GetEntryLength(0) >= 10 && !IsDollarRecord(record))
        {
            walk.flags = LoadLE16(field0);
            walk.root = LoadLE32(field0 + 2);
            walk.program = LoadLE32(field0 + 6);
            const bool selected = pass == 1 ? (walk.flags & FlagDetectable) != 0
                                            : (walk.flags & FlagDetectable) == 0 && IsProgramFound(walk.program);
            if (selected && FieldText(record, 1, walk.path))
            {
                walk.hasName = FieldText(record, 2, walk.valueName);
                walk.data = record.GetEntry(4);
                walk.dataLength = walk.data ? (DWORD)record.GetEntryLength(4) : 0;
                HKEY key;
                if (OpenUserKey(RootKey(walk.root), walk.path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
                {
                    MatchRegistryItem(key, record, walk);
                    RegCloseKey(key);
                }
            }
            // A selected record counts whether or not it names a key.
            if (selected && ++counter % 100 == 0)
                OnScanning(AreaRegistry, counter);
        }
        if (WaitWhilePaused())
            break;
    }
    OnScanning(AreaRegistry, counter);
    return true;
}

// walk holds the record's fields, walk.path the path of key.
void CInternalScanner::MatchRegistryItem(HKEY key, const CPackedRecord& record, RegistryWalk& walk)
{
    if (Stopped() || record.GetEntry(3) != NULL)
        return;
    MatchRegistryKey(key, walk);
    if (!(walk.flags & FlagSubkeys))
        return;

    // Every subkey at every depth, depth first in enumeration order, as a
    // recursion would go; but the open keys are kept on the heap, so a deep
    // tree (which any user can make) costs no stack, and the depth limit is
    // what ends it. Level 0 is the caller's key.
    walk.levels.clear();
    RegistryWalk::Level top = {key, 0, walk.path.size()};
    walk.levels.push_back(top);
    while (!walk.levels.empty() && !Stopped())
    {
        RegistryWalk::Level& level = walk.levels.back();
        DWORD length = kNameChars + 1;
        const LONG rc = walk.levels.size() < MaxRegistryDepth
                            ? RegEnumKeyExA(level.key, level.index++, &walk.subkey[0], &length, NULL, NULL, NULL, NULL)
                            : ERROR_NO_MORE_ITEMS;
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
        {
            if (walk.levels.size() > 1)
                RegCloseKey(level.key);
            walk.levels.pop_back();
            continue;
        }
        walk.path.resize(level.pathLength);
        if (walk.path.empty() || walk.path[walk.path.size() - 1] != '\\')
            walk.path += '\\';
        walk.path.append(&walk.subkey[0], length);
        if (walk.path.size() >= kWalkBuffer)
            continue; // a path that does not fit is never cut into another
        HKEY subkey;
        if (RegOpenKeyExA(level.key, &walk.subkey[0], 0, KEY_READ, &subkey) != ERROR_SUCCESS)
            continue;
        MatchRegistryKey(subkey, walk);
        RegistryWalk::Level below = {subkey, 0, walk.path.size()};
        walk.levels.push_back(below);
    }
    // A stop leaves the keys of the way down open.
    for (size_t i = 1; i < walk.levels.size(); ++i)
        RegCloseKey(walk.levels[i].key);
    walk.levels.clear();
}

// The values of one key against the record; walk.path is the key's path.
void CInternalScanner::MatchRegistryKey(HKEY key, RegistryWalk& walk)
{
    if (Stopped())
        return;
    const char* keyPath = walk.path.c_str();
    const char* name = walk.hasName ? walk.valueName.c_str() : NULL;
    const bool findMode = (walk.hasName && (walk.flags & FlagNamePattern)) || (!walk.hasName && walk.data);

    if (!findMode)
    {
        if (!walk.hasName)
        {
            ENGINE_MESSAGE("Registry item (k): program #%d, flags %d, key %s", (int)walk.program,
                           (int)walk.flags, keyPath);
            OnItemFound(AreaRegistry, walk.program, keyPath, NULL, 0, 0, NULL, walk.root, 1, NULL);
        }
        else if (!walk.data)
        {
            if (RegQueryValueExA(key, name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS)
            {
                ENGINE_MESSAGE("Registry item (k, v): program #%d, flags %d, key %s, value %s",
                               (int)walk.program, (int)walk.flags, keyPath, name);
                OnItemFound(AreaRegistry, walk.program, keyPath, name, 0, 0, NULL, walk.root, 1, NULL);
            }
        }
        else
        {
            BYTE* data = &walk.value[0];
            DWORD size = kValueBuffer;
            if (QueryValueAsText(key, name, NULL, data, &size) == ERROR_SUCCESS &&
                MatchData(data, walk.data, size, walk.dataLength, (walk.flags & FlagContains) != 0))
            {
                ENGINE_MESSAGE("Registry item (k, v, d): program #%d, flags %d, key %s, value %s",
                               (int)walk.program, (int)walk.flags, keyPath, name);
                OnItemFound(AreaRegistry, walk.program, keyPath, name, 0, size, data, walk.root, 1, NULL);
            }
        }
        return;
    }

    for (DWORD index = 0; !Stopped(); ++index)
    {
        DWORD nameSize = kWalkBuffer;
        DWORD size = kWalkBuffer;
        LONG rc;
        if (walk.data)
            rc = EnumValueAsText(key, index, &walk.name[0], &nameSize, NULL, &walk.value[0], &size);
        else
            rc = RegEnumValueA(key, index, &walk.name[0], &nameSize, NULL, NULL, NULL, NULL);
        if (rc == ERROR_MORE_DATA)
            continue; // too large to compare: pass it over, the walk goes on
        if (rc != ERROR_SUCCESS)
            break;
        const char* found = &walk.name[0];
        if (walk.hasName && !ContainsNoCase(found, nameSize, name, (DWORD)walk.valueName.size()))
            continue;
        if (walk.data &&
            !MatchData(&walk.value[0], walk.data, size, walk.dataLength, (walk.flags & FlagContains) != 0))
            continue;
        ENGINE_MESSAGE("Registry item (find): program #%d, flags %d, key %s, value %s", (int)walk.program,
                       (int)walk.flags, keyPath, name ? name : "");
        OnItemFound(AreaRegistry, walk.program, keyPath, found, 0, walk.data ? size : 0,
                    walk.data ? &walk.value[0] : NULL, walk.root, 1, NULL);
    }
}

// ------------------------------------------------------------------ autorun

DWORD CInternalScanner::UnknownEntryNumber(DWORD programCount, DWORD root, const char* keyPath,
                                           const char* valueName)
{
    // FNV-1a over the root, the lower-case key path and the value name: the
    // same entry keeps its number from scan to scan.
    DWORD hash = 2166136261u;
    auto mix = [&hash](BYTE b) {
        hash ^= b;
        hash *= 16777619u;
    };
    for (int i = 0; i < 4; ++i)
        mix((BYTE)(root >> (8 * i)));
    for (const char* p = keyPath ? keyPath : ""; *p; ++p)
        mix((BYTE)(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p));
    mix('\\');
    for (const char* p = valueName ? valueName : ""; *p; ++p)
        mix((BYTE)*p);
    const DWORD span = programCount < 65536 ? 65536 - programCount : 65536;
    return programCount + hash % span;
}

bool CInternalScanner::ScanAutorunKeys(CPackBlock& block)
{
    struct AutorunKey
    {
        DWORD root;
        const char* path;
        bool subkeys;
        bool dll;
    };
    static const AutorunKey kKeys[] = {
        {0x80000002, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false, false},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", false, false},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", false, false},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", false, true},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler", false, true},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\GPExtensions", true, true},
        {0x80000002, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify", true, true},
        {0x80000001, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", false, false},
    };
    for (size_t i = 0; i < sizeof(kKeys) / sizeof(kKeys[0]) && !Stopped(); ++i)
        ScanAutorunKey(block, kKeys[i].path, kKeys[i].root, kKeys[i].subkeys, kKeys[i].dll);
    return true;
}

bool CInternalScanner::IsKnownAutorunFile(CPackBlock& block, const char* file)
{
    const size_t length = strlen(file);
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        if (IsDollarRecord(record))
        {
            const BYTE* data = record.GetEntry(4);
            DWORD size = data ? (DWORD)record.GetEntryLength(4) : 0;
            while (size > 0 && data[size - 1] == 0)
                --size;
            if (data && size == length && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, (const char*)data,
                                                         (int)size, file, (int)length) == CSTR_EQUAL)
                return true;
        }
        if (WaitWhilePaused())
            return false;
    }
    return false;
}

bool CInternalScanner::ScanAutorunKey(CPackBlock& block, const char* keyPath, DWORD root, bool subkeys, bool dll)
{
    DWORD& counter = m_counters[AreaRegistry];
    HKEY key;
    if (RegOpenKeyExA(RootKey(root), keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        std::vector<char> name(kNameChars + 1);
        if (subkeys)
        {
            for (DWORD index = 0; !Stopped(); ++index)
            {
                DWORD length = kNameChars + 1;
                const LONG rc = RegEnumKeyExA(key, index, &name[0], &length, NULL, NULL, NULL, NULL);
                if (rc == ERROR_MORE_DATA)
                    continue;
                if (rc != ERROR_SUCCESS)
                    break;
                std::string path = std::string(keyPath) + "\\" + &name[0];
                if (path.size() > kNameChars)
                    continue;
                HKEY subkey;
                if (OpenUserKey(key, &name[0], 0, KEY_READ, &subkey) != ERROR_SUCCESS)
                    continue;
                ScanAutorunKey(block, path.c_str(), root, false, dll);
                RegCloseKey(subkey);
            }
        }
        else
        {
            std::vector<char> data(kValueBuffer + 1);
            const DWORD programCount = (DWORD)m_file.GetBlock(SectionPrograms).GetRecordCount();
            for (DWORD index = 0; !Stopped(); ++index)
            {
                DWORD nameSize = kNameChars + 1;
                LONG rc = RegEnumValueA(key, index, &name[0], &nameSize, NULL, NULL, NULL, NULL);
                if (rc == ERROR_MORE_DATA)
                    continue;
                if (rc != ERROR_SUCCESS)
                    break;
                DWORD type = 0, size = kValueBuffer;
                rc = RegQueryValueExA(key, &name[0], NULL, &type, (BYTE*)&data[0], &size);
                ++counter;
                if (rc != ERROR_SUCCESS)
                {
                    if (WaitWhilePaused())
                        break;
                    continue; // too large (or gone): this value only
                }
                data[size < kValueBuffer ? size : kValueBuffer] = 0;
                LowerInPlace(&data[0]);
                const char* file;
                if (!dll)
                {
                    char* exe = strstr(&data[0], ".exe");
                    if (exe)
                        exe[4] = 0;
                    const char* slash = exe ? strrchr(&data[0], '\\') : NULL;
                    file = slash ? slash + 1 : &data[0];
                }
                else
                {
                    if (strstr(&data[0], ".dll") == NULL)
                    {
                        if (WaitWhilePaused())
                            break;
                        continue;
                    }
                    file = &data[0];
                }
                const bool known = IsKnownAutorunFile(block, file);
                if (Stopped())
                    break;
                if (!known && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
                {
                    const DWORD number = UnknownEntryNumber(programCount, root, keyPath, &name[0]);
                    OnItemFound(AreaRegistry, number, keyPath, &name[0], 0, 0, (const BYTE*)&data[0], root, 0,
                                &data[0]);
                }
                if (WaitWhilePaused())
                    break;
            }
        }
        RegCloseKey(key);
    }
    OnScanning(AreaRegistry, counter);
    return true;
}

// ---------------------------------------------------------- guarded values

bool CInternalScanner::scanGuarded(CPackBlock& block)
{
    ENGINE_MESSAGE("scanGuarded started");
    const DWORD item = m_counters[AreaGuarded];
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        const BYTE* field0 = record.GetEntry(0);
        std::string keyPath, valueName;
        if (field0 != NULL && record.GetEntryLength(0) >= 14 && FieldText(record, 1, keyPath))
        {
            FieldText(record, 2, valueName);
            const DWORD root = LoadLE32(field0);
            const DWORD program = LoadLE32(field0 + 4);
            const DWORD wantType = LoadLE32(field0 + 8);
            const bool reportAbsent = LoadLE16(field0 + 12) != 0;
            const BYTE* good = record.GetEntry(3);
            const DWORD goodLength = good ? (DWORD)record.GetEntryLength(3) : 0;
            HKEY key;
            if (OpenUserKey(RootKey(root), keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
            {
                // Room for the good value at least, so that "too large to read"
                // always means "larger than the good value".
                std::vector<BYTE> data(goodLength > 1024 ? goodLength : 1024);
                DWORD type = 0, size = (DWORD)data.size();
                const LONG rc = RegQueryValueExA(key, valueName.c_str(), NULL, &type, &data[0], &size);
                bool report = false;
                if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA)
                {
                    if (rc == ERROR_MORE_DATA || type != wantType || size != goodLength ||
                        (goodLength && memcmp(&data[0], good, goodLength) != 0))
                    {
                        ENGINE_MESSAGE("Guarded BAD found, program #%d, item %d, key %s, value %s", (int)program,
                                       (int)item, keyPath.c_str(), valueName.c_str());
                        report = true;
                    }
                }
                else if (reportAbsent)
                {
                    ENGINE_MESSAGE("Guarded ABSENT found, program #%d, item %d, key %s, value %s", (int)program,
                                   (int)item, keyPath.c_str(), valueName.c_str());
                    report = true;
                }
                // The report carries the database's type with the good value:
                // the repair writes both, whatever type the registry held.
                if (report)
                    OnItemFound(AreaGuarded, program, keyPath.c_str(), valueName.c_str(), wantType, goodLength,
                                good, root, 1, NULL);
                RegCloseKey(key);
            }
        }
        if (WaitWhilePaused())
            break;
    }
    return true;
}
