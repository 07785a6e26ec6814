#include "engine/internalscanner.h"

#include "engine/digestpipeline.h"
#include "engine/folderlister.h"

#include <shlobj.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "engine/enginelogtext.h"
#include "foundation/byteorder.h"

namespace {

const wchar_t kDefaultKeyText[] = L"marigold lid===";

// Sections that a usable database must carry, in the order they are checked.
const WORD kRequiredSections[] = {33, 17, 18, 1, 49, 65, 81};

bool BlockHasData(CPackBlock& block)
{
    return block.GetData() != NULL && block.GetSize() > 0;
}

void SpecialFolder(int csidl, std::string& out)
{
    out.clear();
    LPITEMIDLIST list = NULL;
    if (SHGetSpecialFolderLocation(NULL, csidl, &list) != S_OK || list == NULL)
        return;
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(list, path))
        out = path;
    CoTaskMemFree(list);
}

void WindowsFolder(std::string& out)
{
    char path[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    out = n > 0 && n < MAX_PATH ? path : "";
}

} // namespace

CInternalScanner::CInternalScanner()
    : m_bStop(0), m_bPause(0), m_bComplete(0), m_bOtherUser(0)
{
    for (int i = 0; i < AreaCount; ++i)
    {
        m_areas[i] = 1;
        m_counters[i] = 0;
    }
}

CInternalScanner::~CInternalScanner()
{
    ClearNameIndex();
    if (m_file.IsOpen())
        m_file.Close();
}

// Every step leaves a trace line in the engine's message text.
void CInternalScanner::Message(int line, const char* format, ...)
{
    char text[8192];
    va_list args;
    va_start(args, format);
    FormatMessageV(text, sizeof(text), format, args);
    va_end(args);
    FormatSourceError(CEngineLogText, "engine/internalscanner", line, "%s", text);
}

#define ENGINE_MESSAGE(...) Message(__LINE__, __VA_ARGS__)

// ------------------------------------------------------------------ database

const wchar_t* CInternalScanner::GetDefaultKey()
{
    return kDefaultKeyText;
}

void CInternalScanner::MakeKey(const wchar_t* keyText, BYTE key[KeyLength])
{
    memset(key, 0, KeyLength);
    if (keyText == NULL || *keyText == 0)
        keyText = kDefaultKeyText;
    char ansi[256];
    int n = WideCharToMultiByte(CP_ACP, 0, keyText, -1, ansi, sizeof(ansi), NULL, NULL);
    if (n <= 0)
    {
        // Longer than the buffer: convert only the first characters.
        wchar_t head[KeyLength];
        wcsncpy(head, keyText, KeyLength - 1);
        head[KeyLength - 1] = 0;
        n = WideCharToMultiByte(CP_ACP, 0, head, -1, ansi, sizeof(ansi), NULL, NULL);
        if (n <= 0)
            return;
    }
    ansi[sizeof(ansi) - 1] = 0;
    size_t length = strlen(ansi);
    if (length > KeyLength - 1)
        length = KeyLength - 1;
    memcpy(key, ansi, length);
}

static bool ToAnsi(const wchar_t* text, std::string& out)
{
    out.clear();
    if (text == NULL)
        return false;
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 0)
        return false;
    out.resize(n);
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, NULL, NULL);
    out.resize(n - 1);
    return true;
}

bool CInternalScanner::OpenDefinitions(const wchar_t* path)
{
    std::string ansi;
    if (!ToAnsi(path, ansi) || m_file.IsOpen())
        return false;
    BYTE key[KeyLength];
    MakeKey(m_keyText.c_str(), key);
    if (!m_file.Open(ansi.c_str(), 0, KeyLength, key))
        return false;
    bool ok = true;
    for (size_t i = 0; ok && i < sizeof(kRequiredSections) / sizeof(kRequiredSections[0]); ++i)
    {
        ok = BlockHasData(m_file.GetBlock(kRequiredSections[i]));
        m_file.UnloadBlockById(kRequiredSections[i]);
    }
    m_file.Close();
    return ok;
}

bool CInternalScanner::ReadDatabaseInfo(const wchar_t* path, DWORD* stamp, DWORD* programs, DWORD* items)
{
    std::string ansi;
    if (!ToAnsi(path, ansi) || stamp == NULL || programs == NULL || items == NULL)
        return false;
    BYTE key[KeyLength];
    MakeKey(NULL, key);
    CPackFile file;
    if (!file.Open(ansi.c_str(), 0, KeyLength, key))
        return false;
    // A section the directory lacks counts as holding nothing.
    struct Count
    {
        static DWORD Of(const CPackFile& f, WORD id)
        {
            const DWORD n = f.GetRecordCountById(id);
            return n == 0xFFFFFFFF ? 0 : n;
        }
    };
    *stamp = file.GetTimeStamp();
    *programs = Count::Of(file, SectionPrograms);
    *items = Count::Of(file, SectionRegistry) + Count::Of(file, SectionFiles) +
             Count::Of(file, SectionHosts) + Count::Of(file, SectionCookies) +
             Count::Of(file, SectionGuarded);
    file.Close();
    return true;
}

static void CopyField(const CPackedRecord& record, int field, char* out, size_t size)
{
    if (out == NULL || size == 0)
        return;
    out[0] = 0;
    const BYTE* data = record.GetEntry(field);
    const int length = record.GetEntryLength(field);
    if (data == NULL || length <= 0)
        return;
    size_t n = 0;
    while (n < (size_t)length && n + 1 < size && data[n] != 0)
    {
        out[n] = (char)data[n];
        ++n;
    }
    out[n] = 0;
}

bool CInternalScanner::GetProgramInfo(DWORD program, char* name, char* description, char* url,
                                      size_t size, DWORD* risk)
{
    if (!m_file.IsOpen())
        return false;
    CPackBlock& block = m_file.GetBlock(SectionPrograms);
    if (!BlockHasData(block) || program >= (DWORD)block.GetRecordCount())
        return false;
    CPackedRecord record(block.GetRecordPtr(NULL, (int)program));
    const BYTE* field0 = record.GetEntry(0);
    if (record == NULL || field0 == NULL || record.GetEntryLength(0) < 4)
        return false;
    CopyField(record, 1, name, size);
    CopyField(record, 2, description, size);
    CopyField(record, 3, url, size);
    if (risk)
        *risk = LoadLE32(field0);
    return true;
}

bool CInternalScanner::FindDigest(const BYTE digest[16], DWORD* program)
{
    CPackBlock& block = m_file.GetBlock(SectionDigests);
    int low = 0, high = block.GetRecordCount() - 1;
    while (low <= high)
    {
        const int middle = low + (high - low) / 2;
        CPackedRecord record(block.GetRecordPtr(NULL, middle));
        const BYTE* field0 = record.GetEntry(0);
        if (field0 == NULL || record.GetEntryLength(0) < 20)
            return false; // a damaged record leaves the order unknown
        const int order = memcmp(digest, field0 + 4, 16);
        if (order == 0)
        {
            if (program)
                *program = LoadLE32(field0);
            return true;
        }
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return false;
}

static bool FileRecordFixed(const CPackedRecord& record, const BYTE** field0)
{
    *field0 = record.GetEntry(0);
    return *field0 != NULL && record.GetEntryLength(0) >= 28;
}

bool CInternalScanner::BuildNameIndex(CPackBlock& block)
{
    ClearNameIndex();
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        const BYTE* field0;
        const BYTE* name = record.GetEntry(1);
        const int length = record.GetEntryLength(1);
        if (!FileRecordFixed(record, &field0) || LoadLE16(field0 + 2) != 0 || name == NULL)
            continue;
        // Only names that end inside their field can be compared as texts.
        if (memchr(name, 0, length) == NULL)
            continue;
        m_names.push_back((const char*)name);
        m_nameOffsets.push_back((WORD)(name - p));
    }
    return true;
}

void CInternalScanner::ClearNameIndex()
{
    m_names.clear();
    m_nameOffsets.clear();
}

BYTE* CInternalScanner::FindByFileName(const char* path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return NULL;
    FindClose(find);
    const DWORD fileSize = data.nFileSizeLow;

    const char* slash = strrchr(path, '\\');
    char name[260];
    lstrcpynA(name, slash ? slash + 1 : path, sizeof(name));

    int low = 0, high = (int)m_names.size() - 1, hit = -1;
    while (low <= high)
    {
        const int middle = low + (high - low) / 2;
        const int order = strcmp(name, m_names[middle]);
        if (order == 0)
        {
            hit = middle;
            break;
        }
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    if (hit < 0)
        return NULL;
    int first = hit, last = hit;
    while (first > low && strcmp(name, m_names[first - 1]) == 0)
        --first;
    while (last < high && strcmp(name, m_names[last + 1]) == 0)
        ++last;

    for (int i = first; i <= last; ++i)
    {
        if (Stopped())
            return NULL;
        BYTE* recordPtr = (BYTE*)m_names[i] - m_nameOffsets[i];
        CPackedRecord record(recordPtr);
        const BYTE* field0 = record.GetEntry(0);
        const DWORD size = LoadLE32(field0 + 8);
        if (size != 0 && size != fileSize)
            continue;
        const HRESULT check = CheckFileContent(path, record.GetEntry(2), (DWORD)record.GetEntryLength(2),
                                               (BYTE*)field0);
        if (check != 1)
            return recordPtr;
    }
    return NULL;
}

// ------------------------------------------------------------- user context

const char* CInternalScanner::GetLocation(int slot) const
{
    return slot >= 0 && slot < LocationCount ? m_locationCopies[slot].c_str() : "";
}

bool CInternalScanner::SidToText(PSID sid, char* buffer, DWORD* size)
{
    if (sid == NULL || size == NULL || !IsValidSid(sid))
        return false;
    PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
    const DWORD count = *GetSidSubAuthorityCount(sid);
    const DWORD need = 28 + 12 * count;
    if (buffer == NULL || *size < need)
    {
        *size = need;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    int n = sprintf(buffer, "S-%lu-", (unsigned long)SID_REVISION);
    const BYTE* v = authority->Value;
    if (v[0] != 0 || v[1] != 0)
        n += sprintf(buffer + n, "0x%02hx%02hx%02hx%02hx%02hx%02hx", (USHORT)v[0], (USHORT)v[1],
                     (USHORT)v[2], (USHORT)v[3], (USHORT)v[4], (USHORT)v[5]);
    else
        n += sprintf(buffer + n, "%lu",
                     (unsigned long)((DWORD)v[5] | ((DWORD)v[4] << 8) | ((DWORD)v[3] << 16) |
                                     ((DWORD)v[2] << 24)));
    for (DWORD i = 0; i < count; ++i)
        n += sprintf(buffer + n, "-%lu", (unsigned long)*GetSidSubAuthority(sid, i));
    return true;
}

bool CInternalScanner::PrepareUserContext(bool otherUser)
{
    char system[MAX_PATH];
    const UINT n = GetSystemDirectoryA(system, MAX_PATH);
    m_hostsPath = n > 0 && n < MAX_PATH ? system : "";
    if (m_hostsPath.empty() || m_hostsPath[m_hostsPath.size() - 1] != '\\')
        m_hostsPath += '\\';
    m_hostsPath += "drivers\\etc\\hosts";

    m_bOtherUser = otherUser ? 1 : 0;
    for (int i = 0; i < LocationCount; ++i)
    {
        m_locations[i].clear();
        m_locationCopies[i].clear();
    }
    static const int kFolders[LocationCount] = {
        -1, -2, -3, CSIDL_PROGRAM_FILES, CSIDL_DESKTOPDIRECTORY, CSIDL_APPDATA,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_FAVORITES, -4, CSIDL_STARTMENU, CSIDL_PROFILE,
        CSIDL_STARTUP, CSIDL_STARTUP, -5, -6, CSIDL_COMMON_DESKTOPDIRECTORY};
    for (int i = 0; i < LocationCount; ++i)
    {
        std::string& slot = m_locations[i];
        char buffer[MAX_PATH];
        switch (kFolders[i])
        {
        case -1:
            break;
        case -2:
            WindowsFolder(slot);
            break;
        case -3:
        {
            const UINT len = GetSystemDirectoryA(buffer, MAX_PATH);
            if (len > 0 && len < MAX_PATH)
                slot = buffer;
            break;
        }
        case -4:
        {
            const DWORD len = GetTempPathA(MAX_PATH, buffer);
            if (len > 0 && len < MAX_PATH)
                slot = buffer;
            break;
        }
        case -5:
            WindowsFolder(slot);
            if (!slot.empty() && slot[slot.size() - 1] != '\\')
                slot += '\\';
            slot += "Downloaded Program Files";
            break;
        case -6:
        {
            WindowsFolder(slot);
            const size_t cut = slot.find('\\');
            if (cut != std::string::npos)
                slot.resize(cut + 1);
            break;
        }
        default:
            SpecialFolder(kFolders[i], slot);
            break;
        }
        if (slot.empty() || slot[slot.size() - 1] != '\\')
            slot += '\\';
        m_locationCopies[i] = slot;
    }

    if (!otherUser)
        return true;
    m_sidText.clear();
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD need = 0;
    std::vector<BYTE> info;
    bool ok = false;
    if (!GetTokenInformation(token, TokenUser, NULL, 0, &need) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER && need > 0)
    {
        info.resize(need);
        if (GetTokenInformation(token, TokenUser, &info[0], need, &need))
        {
            char text[8192];
            DWORD size = sizeof(text) - 1;
            if (SidToText(((TOKEN_USER*)&info[0])->User.Sid, text, &size))
            {
                m_sidText = text;
                m_sidText += '\\';
                ok = true;
            }
        }
    }
    CloseHandle(token);
    return ok;
}

LONG CInternalScanner::OpenUserKey(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key)
{
    if (m_bOtherUser && root == HKEY_CURRENT_USER)
    {
        std::string full = m_sidText + path;
        if (full.size() >= 8192)
            return ERROR_FILENAME_EXCED_RANGE;
        return RegOpenKeyExA(HKEY_USERS, full.c_str(), options, access, key);
    }
    return RegOpenKeyExA(root, path, options, access, key);
}

// ----------------------------------------------------------------- settings

void CInternalScanner::AddListener(IInternalScannerListener* listener)
{
    if (listener)
        m_listeners.push_back(listener);
}

void CInternalScanner::SetAreaEnabled(int area, bool enabled)
{
    if (area >= 0 && area < AreaCount)
        m_areas[area] = enabled ? 1 : 0;
}

bool CInternalScanner::IsAreaEnabled(int area) const
{
    return area >= 0 && area < AreaCount && m_areas[area] != 0;
}

int CInternalScanner::AddPath(const char* folder)
{
    std::string path = folder ? folder : "";
    if (!path.empty() && path[path.size() - 1] == '\\')
        path.resize(path.size() - 1);
    m_paths.push_back(path);
    return (int)m_paths.size() - 1;
}

void CInternalScanner::ClearPaths()
{
    m_paths.clear();
}

void CInternalScanner::SetKeyText(const wchar_t* keyText)
{
    m_keyText = keyText ? keyText : L"";
}

bool CInternalScanner::WaitWhilePaused()
{
    for (;;)
    {
        if (m_bStop)
            return true;
        if (!m_bPause)
            return false;
        Sleep(10);
    }
}

// -------------------------------------------------------------------- hooks

void CInternalScanner::OnItemFound(int area, DWORD programNumber, const char* name, const char* value,
                                   DWORD typeOrProcessId, DWORD dataSize, const BYTE* data,
                                   DWORD rootKey, BYTE known, const char* extra)
{
    // Unknown autorun entries carry made-up numbers: they must never switch
    // on the pass-2 records of a real program.
    if (known)
        m_found.insert(programNumber);
    std::string passed = name ? name : "";
    if (area == AreaQuickDisk || area == AreaFullDisk)
    {
        char full[8192];
        const DWORD n = GetFullPathNameA(passed.c_str(), sizeof(full), full, NULL);
        if (n > 0 && n < sizeof(full))
            passed = full;
    }
    else if ((area == AreaRegistry || area == AreaGuarded) && rootKey == 0x80000001 && m_bOtherUser)
    {
        passed = m_sidText + passed;
        rootKey = 0x80000003;
    }
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnItemFound(area, programNumber, passed.c_str(), value, typeOrProcessId,
                                    dataSize, data, rootKey, known, extra);
}

void CInternalScanner::OnAccessError(int area, const char* path, DWORD processId)
{
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnAccessError(area, path, processId);
}

void CInternalScanner::OnStartedArea(int area)
{
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnStartedArea(area);
}

void CInternalScanner::OnCompleteArea(int area)
{
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnCompleteArea(area);
}

void CInternalScanner::OnScanningFolder(const char* folder)
{
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnScanningFolder(folder);
}

void CInternalScanner::OnScanning(int area, DWORD itemsScanned)
{
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->OnScanning(area, itemsScanned);
}

// ------------------------------------------------------------------- passes

bool CInternalScanner::StartScan(const char* path)
{
    ENGINE_MESSAGE("StartScan call, file name %s", path ? path : "");
    BYTE key[KeyLength];
    MakeKey(m_keyText.c_str(), key);
    if (path == NULL || m_file.IsOpen() || !m_file.Open(path, 0, KeyLength, key))
    {
        ENGINE_MESSAGE("Cannot open file");
        return false;
    }
    m_bStop = 0;
    m_bComplete = 0;
    for (int i = 0; i < AreaCount; ++i)
        m_counters[i] = 0;

    ENGINE_MESSAGE("Prepare to run pass#1");
    bool result = scanAll(1);
    ENGINE_MESSAGE("Prepare to run pass#2");
    if (result)
        result = scanAll(2);
    ENGINE_MESSAGE("Scan complete");
    m_file.Flush();
    OnCompleteArea(AreaCount);
    m_file.Close();
    ENGINE_MESSAGE("Exiting StartScan");
    return result;
}

void CInternalScanner::CloseDatabase()
{
    ClearNameIndex();
    if (m_file.IsOpen())
        m_file.Close();
}

// A step whose section block is dropped again when it is done; an empty
// block gives the step's message instead.
template <class Step>
void CInternalScanner::RunSectionStep(int area, WORD section, const char* missing, Step step)
{
    CPackBlock& block = m_file.GetBlock(section);
    if (!BlockHasData(block))
    {
        ENGINE_MESSAGE("%s", missing);
        return;
    }
    OnStartedArea(area);
    step(block);
    m_file.UnloadBlockById(section);
    OnCompleteArea(area);
}

bool CInternalScanner::scanAll(int pass)
{
    ENGINE_MESSAGE("scanAll started");
    const bool first = pass == 1;

    if (first && m_areas[AreaProcesses])
    {
        CPackBlock& block = m_file.GetBlock(SectionFiles);
        if (!BlockHasData(block))
            ENGINE_MESSAGE("Disk items section is not present");
        else
        {
            OnStartedArea(AreaProcesses);
            BuildNameIndex(block);
            scanProcesses();
            ClearNameIndex();
            OnCompleteArea(AreaProcesses);
        }
    }

    if (m_areas[AreaRegistry] && !Stopped())
        RunSectionStep(AreaRegistry, SectionRegistry, "Registry items section is not present",
                       [this, pass](CPackBlock& block) { ScanRegistry(block, pass); });
    if (first && m_areas[AreaRegistry] && !Stopped())
        RunSectionStep(AreaRegistry, SectionRegistry, "Registry items section is not present",
                       [this](CPackBlock& block) { ScanAutorunKeys(block); });
    if (first && m_areas[AreaGuarded] && !Stopped())
        RunSectionStep(AreaGuarded, SectionGuarded, "Guarded items section is not present",
                       [this](CPackBlock& block) { scanGuarded(block); });
    if (first && m_areas[AreaHosts] && !Stopped())
        RunSectionStep(AreaHosts, SectionHosts, "Hosts items section is not present",
                       [this](CPackBlock& block) { scanHosts(block); });
    if (first && m_areas[AreaCookies] && !Stopped())
        RunSectionStep(AreaCookies, SectionCookies, "Cookies items section is not present",
                       [this](CPackBlock& block) { scanCookies(block); });

    if ((m_areas[AreaQuickDisk] || m_areas[AreaFullDisk]) && !Stopped())
    {
        CPackBlock& block = m_file.GetBlock(SectionFiles);
        if (!BlockHasData(block))
            ENGINE_MESSAGE("Disk items section is not present");
        else
        {
            OnStartedArea(AreaFullDisk);
            BuildNameIndex(block);
            scanDisk(block, pass);
            ClearNameIndex();
            ENGINE_MESSAGE("FullDisk scan completed");
            OnCompleteArea(AreaFullDisk);
            ENGINE_MESSAGE("Event raized");
        }
    }

    if (!first && !Stopped())
    {
        CPackBlock& block = m_file.GetBlock(SectionFiles);
        if (BlockHasData(block))
            CompleteFlagWalk(block);
    }
    return true;
}

void CInternalScanner::CompleteFlagWalk(CPackBlock& block)
{
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        const BYTE* field0;
        if (!FileRecordFixed(record, &field0))
            continue;
        if (LoadLE16(field0 + 2) == 0 && IsProgramFound(LoadLE32(field0 + 4)))
        {
            m_bComplete = 1;
            break;
        }
    }
}
