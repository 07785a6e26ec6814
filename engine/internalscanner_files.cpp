// The file areas: processes and modules, located and digest-known files,
// the hosts file and cookies, with the file checks they share.
#include "engine/internalscanner.h"

#include "engine/digestpipeline.h"
#include "engine/folderlister.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "foundation/byteorder.h"
#include "foundation/md5.h"

#define ENGINE_MESSAGE(...) Message(__LINE__, __VA_ARGS__)

namespace {

HANDLE OpenForCheck(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

bool HasDigest(const BYTE* field0)
{
    static const BYTE zero[8] = {0};
    return memcmp(field0 + 12, zero, 8) != 0 && memcmp(field0 + 20, zero, 8) != 0;
}

void Lower(std::string& text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], (DWORD)text.size());
}

bool IsDotName(const char* name)
{
    return name[0] == '.';
}

// The folder walk digests every path that holds ".exe" or ".dll" anywhere.
bool HasProgramExtension(const char* lowerPath)
{
    return strstr(lowerPath, ".exe") != NULL || strstr(lowerPath, ".dll") != NULL;
}

// Walked folders end in a backslash and leave room for "test.dat" in a
// MAX_PATH buffer.
bool IsWalkable(const std::string& folder)
{
    return folder.size() + 8 < MAX_PATH;
}

// Links and junctions are not followed, so no walk can loop.
bool IsEnteredFolder(const char* name, DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsDotName(name);
}

// Parses one hosts line the way "%d.%d.%d.%d %s" and "%s %s" read it, but
// with every word bounded: the address, the first word and the host name.
bool ParseHostsLine(const char* line, DWORD* address, std::string& addressText, std::string& host)
{
    const char* p = line;
    DWORD bytes[4];
    for (int i = 0; i < 4; ++i)
    {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f')
            ++p;
        bool negative = false;
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';
        if (*p < '0' || *p > '9')
            return false;
        DWORD value = 0;
        for (int digits = 0; *p >= '0' && *p <= '9'; ++p, ++digits)
            if (digits < 10)
                value = value * 10 + (DWORD)(*p - '0');
        bytes[i] = (negative ? 0u - value : value) & 0xFF;
        if (i < 3 && *p++ != '.')
            return false;
    }
    *address = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (bytes[3] << 24);

    auto word = [](const char*& q, std::string& out) {
        while (*q && isspace((unsigned char)*q))
            ++q;
        const char* start = q;
        while (*q && !isspace((unsigned char)*q))
            ++q;
        out.assign(start, q - start);
        return !out.empty();
    };
    const char* q = line;
    if (!word(q, addressText) || !word(q, host))
        return false;
    return addressText.size() < 264 && host.size() < 8192;
}

} // namespace

// -------------------------------------------------------------- file checks

// The path goes in as listed: under Wine a lower-case path makes every open
// search its folders for a name that differs only in case.
void CInternalScanner::QueueDigest(const std::string& path)
{
    if (!m_pDigests)
        m_pDigests.reset(new CDigestPipeline);
    while (m_pDigests->IsFull())
        ReportDigests(true, true);
    m_pDigests->Push(path);
    ReportDigests(false, false);
}

// Reports the finished digests in walk order: only the oldest when one,
// else every one that is ready (wait: every queued one).
void CInternalScanner::ReportDigests(bool wait, bool one)
{
    if (!m_pDigests)
        return;
    if (Stopped())
    {
        m_pDigests->Clear();
        return;
    }
    std::string path;
    bool ok;
    BYTE digest[16];
    while (m_pDigests->Pop(path, ok, digest, wait))
    {
        DWORD program = 0;
        if (ok && !Stopped() && FindDigest(digest, &program))
        {
            Lower(path);
            OnItemFound(AreaFullDisk, program, path.c_str(), NULL, 0, 0, NULL, 0, 1, NULL);
        }
        if (one)
            break;
    }
}

HRESULT CInternalScanner::CheckFileContent(const char* path, const BYTE* pattern, DWORD patternLength,
                                           BYTE* field0)
{
    if (Stopped())
        return 1;
    HANDLE file = OpenForCheck(path);
    if (file == INVALID_HANDLE_VALUE)
        return E_FAIL;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
    {
        CloseHandle(file);
        return E_FAIL;
    }
    if (size.QuadPart == 0)
    {
        CloseHandle(file);
        return 1;
    }
    if ((ULONGLONG)size.QuadPart > (SIZE_T)-1)
    {
        CloseHandle(file);
        return E_FAIL;
    }
    HANDLE mapping = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (mapping == NULL)
    {
        CloseHandle(file);
        return E_FAIL;
    }
    const SIZE_T length = (SIZE_T)size.QuadPart;
    const BYTE* view = (const BYTE*)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    if (view == NULL)
    {
        CloseHandle(mapping);
        CloseHandle(file);
        return E_FAIL;
    }

    bool found = true;
    if (pattern != NULL && patternLength > 0)
    {
        found = false;
        const BYTE* p = view;
        const BYTE* end = view + length;
        while (!found && (SIZE_T)(end - p) >= patternLength)
        {
            p = (const BYTE*)memchr(p, pattern[0], (end - p) - patternLength + 1);
            if (p == NULL)
                break;
            found = memcmp(p, pattern, patternLength) == 0;
            ++p;
        }
    }
    MD5_CTX ctx;
    BYTE digest[16];
    MD5Init(&ctx);
    for (SIZE_T done = 0; done < length;)
    {
        const SIZE_T chunk = length - done > 0x40000000 ? 0x40000000 : length - done;
        MD5Update(&ctx, view + done, (DWORD)chunk);
        done += chunk;
    }
    MD5Final(digest, &ctx);
    DWORD program = 0;
    const bool known = FindDigest(digest, &program);
    if (known && field0)
        StoreLE32(field0 + 4, program);

    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    return found && known ? 0 : 1;
}

// ---------------------------------------------------------------- processes

void CInternalScanner::ReportModule(const char* path, DWORD processId)
{
    BYTE* recordPtr = FindByFileName(path);
    if (recordPtr == NULL)
        return;
    CPackedRecord record(recordPtr);
    const DWORD program = LoadLE32(record.GetEntry(0) + 4);
    ENGINE_MESSAGE("Process item detected, program #%d, filename %s", (int)program, path);
    OnItemFound(AreaProcesses, program, path, NULL, processId, 0, NULL, 0, 1, NULL);
}

bool CInternalScanner::scanProcesses()
{
    typedef BOOL(WINAPI * EnumProcessesFn)(DWORD*, DWORD, DWORD*);
    typedef BOOL(WINAPI * EnumProcessModulesFn)(HANDLE, HMODULE*, DWORD, DWORD*);
    typedef DWORD(WINAPI * GetModuleFileNameExFn)(HANDLE, HMODULE, LPSTR, DWORD);
    typedef HANDLE(WINAPI * SnapshotFn)(DWORD, DWORD);
    typedef BOOL(WINAPI * ModuleWalkFn)(HANDLE, MODULEENTRY32*);
    typedef BOOL(WINAPI * ProcessWalkFn)(HANDLE, PROCESSENTRY32*);

    ENGINE_MESSAGE("scanProcesses started");
    DWORD& counter = m_counters[AreaProcesses];

    HMODULE psapi = LoadLibraryA("psapi.dll");
    EnumProcessesFn enumProcesses = NULL;
    EnumProcessModulesFn enumModules = NULL;
    GetModuleFileNameExFn moduleName = NULL;
    if (psapi)
    {
        enumProcesses = (EnumProcessesFn)(void*)GetProcAddress(psapi, "EnumProcesses");
        enumModules = (EnumProcessModulesFn)(void*)GetProcAddress(psapi, "EnumProcessModules");
        moduleName = (GetModuleFileNameExFn)(void*)GetProcAddress(psapi, "GetModuleFileNameExA");
        GetProcAddress(psapi, "GetModuleBaseNameA");
        if (!enumProcesses || !enumModules || !moduleName)
        {
            FreeLibrary(psapi);
            psapi = NULL;
            ENGINE_MESSAGE("PSAPI not found, use toolhelp");
        }
    }
    HMODULE kernel = NULL;
    SnapshotFn snapshot = NULL;
    ModuleWalkFn moduleFirst = NULL, moduleNext = NULL;
    ProcessWalkFn processFirst = NULL, processNext = NULL;
    if (!psapi)
    {
        kernel = LoadLibraryA("kernel32.dll");
        if (kernel)
        {
            snapshot = (SnapshotFn)(void*)GetProcAddress(kernel, "CreateToolhelp32Snapshot");
            moduleFirst = (ModuleWalkFn)(void*)GetProcAddress(kernel, "Module32First");
            moduleNext = (ModuleWalkFn)(void*)GetProcAddress(kernel, "Module32Next");
            processFirst = (ProcessWalkFn)(void*)GetProcAddress(kernel, "Process32First");
            processNext = (ProcessWalkFn)(void*)GetProcAddress(kernel, "Process32Next");
            if (!snapshot || !moduleFirst || !moduleNext || !processFirst || !processNext)
            {
                FreeLibrary(kernel);
                kernel = NULL;
            }
        }
        if (!kernel)
        {
            ENGINE_MESSAGE("Neither psapi nor toolhelp cannot be found");
            return false;
        }
    }

    if (psapi)
    {
        std::vector<DWORD> ids(512);
        DWORD bytes = 0;
        bool ok;
        for (;;)
        {
            ok = enumProcesses(&ids[0], (DWORD)(ids.size() * sizeof(DWORD)), &bytes) != 0;
            if (!ok || bytes < ids.size() * sizeof(DWORD))
                break;
            ids.resize(ids.size() + 512);
        }
        if (!ok)
        {
            ENGINE_MESSAGE("EnumProcesses() failed!");
            bytes = 0;
        }
        std::vector<char> path(16384);
        const DWORD count = bytes / sizeof(DWORD);
        for (DWORD i = 0; i < count; ++i)
        {
            HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, ids[i]);
            if (process == NULL)
                continue;
            std::vector<HMODULE> modules(512);
            DWORD needed = 0;
            bool read;
            for (;;)
            {
                read = enumModules(process, &modules[0], (DWORD)(modules.size() * sizeof(HMODULE)), &needed) != 0;
                if (!read || needed < modules.size() * sizeof(HMODULE))
                    break;
                modules.resize(modules.size() + 512);
            }
            if (!read)
            {
                ENGINE_MESSAGE("EnumProcessModules() failed for process #%d", (int)ids[i]);
                needed = 0;
            }
            const DWORD moduleCount = needed / sizeof(HMODULE);
            for (DWORD m = 0; m < moduleCount && m < modules.size() && !Stopped(); ++m)
            {
                const DWORD n = moduleName(process, modules[m], &path[0], (DWORD)path.size());
                if (n == 0 || n >= path.size())
                {
                    ENGINE_MESSAGE("Cannot get module name for hModule = %d", (int)(INT_PTR)modules[m]);
                    continue;
                }
                ReportModule(&path[0], ids[i]);
            }
            CloseHandle(process);
            ++counter;
            if (WaitWhilePaused())
                break;
        }
    }
    else
    {
        HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
        if (processes != INVALID_HANDLE_VALUE)
        {
            PROCESSENTRY32 process;
            process.dwSize = sizeof(process);
            for (BOOL more = processFirst(processes, &process); more; more = processNext(processes, &process))
            {
                HANDLE modules = snapshot(TH32CS_SNAPMODULE, process.th32ProcessID);
                MODULEENTRY32 module;
                module.dwSize = sizeof(module);
                if (modules == INVALID_HANDLE_VALUE || !moduleFirst(modules, &module))
                    ENGINE_MESSAGE("Modules enumeration failed for process #%d", (int)process.th32ProcessID);
                else
                {
                    do
                        ReportModule(module.szExePath, process.th32ProcessID);
                    while (!Stopped() && moduleNext(modules, &module));
                }
                if (modules != INVALID_HANDLE_VALUE)
                    CloseHandle(modules);
                ++counter;
                if (WaitWhilePaused())
                    break;
            }
            CloseHandle(processes);
        }
    }

    OnScanning(AreaProcesses, counter);
    if (psapi)
        FreeLibrary(psapi);
    if (kernel)
        FreeLibrary(kernel);
    return true;
}

// --------------------------------------------------------------------- disk

bool CInternalScanner::scanDisk(CPackBlock& block, int pass)
{
    ENGINE_MESSAGE("scanDisk started, #UseDetectable = %d", pass == 1 ? 1 : 0);
    DWORD& counter = m_counters[AreaQuickDisk];

    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        BYTE* field0 = record.GetEntry(0);
        if (field0 == NULL || record.GetEntryLength(0) < 28)
            continue;
        const bool detectable = LoadLE16(field0) != 0;
        const bool selected = pass == 1 ? detectable : !detectable && IsProgramFound(LoadLE32(field0 + 4));
        if (!selected)
            continue;
        const WORD location = LoadLE16(field0 + 2);
        if (location == 0)
            break;
        const BYTE* name = record.GetEntry(1);
        const int nameLength = record.GetEntryLength(1);
        if (location < LocationCount && name != NULL && memchr(name, 0, nameLength) != NULL)
        {
            const std::string pattern = m_locations[location] + (const char*)name;
            const size_t slash = pattern.rfind('\\');
            const std::string folder = pattern.substr(0, slash + 1);
            const DWORD size = LoadLE32(field0 + 8);
            const BYTE* content = record.GetEntry(2);
            const DWORD contentLength = content ? (DWORD)record.GetEntryLength(2) : 0;
            WIN32_FIND_DATAA data;
            HANDLE find = pattern.size() < MAX_PATH ? FindFirstFileA(pattern.c_str(), &data) : INVALID_HANDLE_VALUE;
            if (find != INVALID_HANDLE_VALUE)
            {
                do
                {
                    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsDotName(data.cFileName))
                        continue;
                    if (size != 0 && size != data.nFileSizeLow)
                        continue;
                    const std::string path = folder + data.cFileName;
                    if (path.size() >= MAX_PATH)
                        continue;
                    if (content != NULL || HasDigest(field0))
                    {
                        const HRESULT check = CheckFileContent(path.c_str(), content, contentLength, field0);
                        if (check == 1)
                            continue;
                        if (check == E_FAIL)
                            ENGINE_MESSAGE("Cannot access file %s", path.c_str());
                    }
                    const DWORD program = LoadLE32(field0 + 4);
                    ENGINE_MESSAGE("Disk item detected (quick), program #%d, item %d, filename %s", (int)program,
                                   (int)counter, path.c_str());
                    OnItemFound(AreaQuickDisk, program, path.c_str(), NULL, 0, 0, NULL, 0, 1, NULL);
                } while (!Stopped() && FindNextFileA(find, &data));
                FindClose(find);
            }
        }
        if (WaitWhilePaused())
            return false;
    }

    // Whatever a scan abandoned by an exception left goes first.
    if (m_pDigests)
        m_pDigests->Clear();
    if (!m_pLister)
        m_pLister.reset(new CFolderLister);
    m_pLister->Clear();
    std::vector<std::string> ahead;
    if (!m_areas[AreaFullDisk])
    {
        for (int i = 1; i < LocationCount; ++i)
            if (IsWalkable(m_locationCopies[i]))
                ahead.push_back(m_locationCopies[i]);
        m_pLister->Request(ahead);
        for (int i = 1; i < LocationCount && !Stopped(); ++i)
        {
            ENGINE_MESSAGE("Quick disk scan system path: %s", m_locationCopies[i].c_str());
            ScanFolder(m_locationCopies[i], pass);
        }
    }
    else if (pass == 2)
    {
        ENGINE_MESSAGE("Full disk scan required");
        for (size_t i = 0; i < m_paths.size(); ++i)
            if (IsWalkable(m_paths[i] + "\\"))
                ahead.push_back(m_paths[i] + "\\");
        m_pLister->Request(ahead);
        for (size_t i = 0; i < m_paths.size() && !Stopped(); ++i)
        {
            ENGINE_MESSAGE("Full disk scan path: %s", m_paths[i].c_str());
            ScanFolder(m_paths[i] + "\\", pass);
        }
    }
    ReportDigests(true, false);
    m_pLister->Clear();
    return true;
}

void CInternalScanner::ScanFolder(const std::string& folder, int pass)
{
    if (!IsWalkable(folder))
        return;
    CFolderListing listing;
    if (!m_pLister->Take(folder, listing))
        return;
    const bool recurse = m_areas[AreaFullDisk] && pass == 2;
    if (recurse)
    {
        // The folders this walk enters next, listed while it goes on.
        std::vector<std::string> subfolders;
        for (size_t i = 0; i < listing.HeldCount(); ++i)
        {
            if (!IsEnteredFolder(listing.HeldName(i), listing.HeldAttributes(i)))
                continue;
            const std::string subfolder = folder + listing.HeldName(i) + "\\";
            if (IsWalkable(subfolder))
                subfolders.push_back(subfolder);
        }
        m_pLister->Request(subfolders);
    }

    DWORD& counter = m_counters[AreaQuickDisk];
    // The name test looks at the lower-case path; a match cannot span the
    // folder's last backslash, so the folder is folded once.
    std::string lowerFolder = folder;
    Lower(lowerFolder);
    const bool folderMatches = HasProgramExtension(lowerFolder.c_str());
    std::string path, lowerName;
    const char* name;
    DWORD attributes;
    while (listing.Next(&name, &attributes))
    {
        path = folder;
        path += name;
        if (path.size() >= MAX_PATH)
            continue; // never cut into another path
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotName(name))
        {
            if (recurse && IsEnteredFolder(name, attributes))
                ScanFolder(path + "\\", pass);
        }
        else
            OnScanning(AreaQuickDisk, ++counter);
        lowerName = name;
        Lower(lowerName);
        if (folderMatches || HasProgramExtension(lowerName.c_str()))
        {
            OnScanningFolder((lowerFolder + lowerName).c_str());
            if (!Stopped())
                QueueDigest(path);
        }
        if (WaitWhilePaused())
            break;
    }
}

// -------------------------------------------------------------------- hosts

bool CInternalScanner::scanHosts(CPackBlock& block)
{
    if (!m_areas[AreaHosts])
        return false;
    ENGINE_MESSAGE("scanHosts started");
    FILE* file = fopen(m_hostsPath.c_str(), "rt");
    if (file == NULL)
        return false;
    DWORD& counter = m_counters[AreaHosts];
    char line[8192];
    while (fgets(line, sizeof(line), file))
    {
        size_t length = strlen(line);
        if (length > 0 && line[length - 1] == '\n')
            line[--length] = 0;
        else if (!feof(file))
        {
            // Longer than a line may be: skip the rest of it as well.
            int c;
            while ((c = fgetc(file)) != EOF && c != '\n')
            {
            }
            continue;
        }
        if (length > 0 && line[length - 1] == '\r')
            line[--length] = 0;
        DWORD address;
        std::string addressText, host;
        if (line[0] == '#' || !ParseHostsLine(line, &address, addressText, host))
            continue;
        for (BYTE* p = block.First(); p; p = block.Next())
        {
            CPackedRecord record(p);
            const BYTE* field0 = record.GetEntry(0);
            const BYTE* name = record.GetEntry(1);
            if (field0 == NULL || record.GetEntryLength(0) < 8 || name == NULL ||
                memchr(name, 0, record.GetEntryLength(1)) == NULL || LoadLE32(field0 + 4) != address)
                continue;
            if (strcmp((const char*)name, "*") != 0 && lstrcmpiA((const char*)name, host.c_str()) != 0)
                continue;
            const DWORD program = LoadLE32(field0);
            ENGINE_MESSAGE("Host detected, program #%d, item index %d, line %s", (int)program, (int)counter, line);
            OnItemFound(AreaHosts, program, host.c_str(), addressText.c_str(), 0, 0, NULL, 0, 1, NULL);
        }
        ++counter;
        if (WaitWhilePaused())
            break;
    }
    fclose(file);
    OnScanning(AreaHosts, counter);
    return true;
}

// ------------------------------------------------------------------ cookies

bool CInternalScanner::scanCookies(CPackBlock& block)
{
    if (!m_areas[AreaCookies])
        return false;
    ENGINE_MESSAGE("scanCookies() started");
    std::string folder;
    if (GetVersion() & 0x80000000)
    {
        char windows[MAX_PATH];
        const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            folder = windows;
    }
    else
    {
        char profile[MAX_PATH];
        LPITEMIDLIST list = NULL;
        if (SHGetSpecialFolderLocation(NULL, CSIDL_PROFILE, &list) == S_OK && list)
        {
            if (SHGetPathFromIDListA(list, profile))
                folder = profile;
            CoTaskMemFree(list);
        }
    }
    if (folder.empty() || folder[folder.size() - 1] != '\\')
        folder += '\\';
    folder += "Cookies\\";

    DWORD& counter = m_counters[AreaCookies];
    for (BYTE* p = block.First(); p; p = block.Next())
    {
        CPackedRecord record(p);
        const BYTE* field0 = record.GetEntry(0);
        const BYTE* name = record.GetEntry(1);
        if (field0 != NULL && record.GetEntryLength(0) >= 4 && name != NULL &&
            memchr(name, 0, record.GetEntryLength(1)) != NULL)
        {
            const DWORD program = LoadLE32(field0);
            const std::string pattern = folder + (const char*)name;
            WIN32_FIND_DATAA data;
            HANDLE find = pattern.size() < MAX_PATH ? FindFirstFileA(pattern.c_str(), &data) : INVALID_HANDLE_VALUE;
            if (find != INVALID_HANDLE_VALUE)
            {
                do
                {
                    const std::string path = folder + data.cFileName;
                    ENGINE_MESSAGE("Cookie detected, program #%d, item index %d, file name %s", (int)program,
                                   (int)counter, data.cFileName);
                    OnItemFound(AreaCookies, program, path.c_str(), data.cFileName, 0, 0, NULL, 0, 1, NULL);
                } while (!Stopped() && FindNextFileA(find, &data));
                FindClose(find);
            }
            ++counter;
        }
        if (WaitWhilePaused())
            break;
    }
    OnScanning(AreaCookies, counter);
    return true;
}
