#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>
#include <comdef.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/internalremove.h"
#include "engine/internalremovelistener.h"
#include "tests/engine/system_state_guards.h"
#include "tests/foundation/temp_folder.h"

namespace {

struct RemoveError
{
    DWORD area;
    BYTE nonFatal;
    std::string name;
    bool hasName;
    DWORD error;
};

class Recorder : public IInternalRemoveListener
{
public:
    void OnRemoveError(DWORD area, BYTE nonFatal, const char* name, DWORD error) override
    {
        calls.push_back({area, nonFatal, name ? name : "", name != NULL, error});
    }
    std::vector<RemoveError> calls;
};

// The texts of a REG_MULTI_SZ value, in ANSI.
std::vector<std::string> MultiStrings(const std::vector<BYTE>& data)
{
    std::vector<std::string> strings;
    const wchar_t* p = (const wchar_t*)data.data();
    const size_t count = data.size() / sizeof(wchar_t);
    size_t i = 0;
    while (i < count)
    {
        const size_t start = i;
        while (i < count && p[i])
            ++i;
        char text[2048] = "";
        WideCharToMultiByte(CP_ACP, 0, p + start, (int)(i - start), text, sizeof(text) - 1, NULL, NULL);
        strings.push_back(text);
        ++i;
    }
    return strings;
}

std::string TestKeyBase()
{
    char name[64];
    wsprintfA(name, "Software\\CleanwardenTest%lu\\Remove", GetCurrentProcessId());
    return name;
}

void PlantValue(const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) == ERROR_SUCCESS)
    {
        RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
        RegCloseKey(key);
    }
}

bool ReadValue(const std::string& path, const char* name, DWORD* type, std::vector<BYTE>* data)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name, NULL, type, NULL, &size) == ERROR_SUCCESS;
    if (ok)
    {
        data->resize(size);
        ok = RegQueryValueExA(key, name, NULL, type, size ? data->data() : NULL, &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool StartSuspended(const std::string& program, PROCESS_INFORMATION* process)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + program + "\" --gtest_list_tests";
    return CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup,
                          process) != 0;
}

// Plants a file and holds it open: readable, not deletable.
HANDLE PlantBusyFile(const std::string& path)
{
    TempFolder::Write(path, std::vector<BYTE>(10, 3));
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

std::string Text(const std::vector<BYTE>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(InternalRemove, ProcessItemsEndOnlyProgramsAndLoseTheirFiles)
{
    TempFolder dir;
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof(self));
    Recorder listener;
    CInternalRemove remover(&listener);

    // A name that does not end in ".exe" ends no process, but its file goes.
    PROCESS_INFORMATION kept;
    ASSERT_TRUE(StartSuspended(self, &kept));
    const std::string notProgram = dir.File("helper.bin");
    TempFolder::Write(notProgram, std::vector<BYTE>(100, 1));
    EXPECT_TRUE(remover.Remove(0, NULL, notProgram.c_str(), NULL, kept.dwProcessId, NULL, 0));
    EXPECT_FALSE(TempFolder::Exists(notProgram));
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(kept.hProcess, 0));
    TerminateProcess(kept.hProcess, 0);
    WaitForSingleObject(kept.hProcess, 5000);
    CloseHandle(kept.hThread);
    CloseHandle(kept.hProcess);

    // A program is ended with exit code 0xFFFFFFFF, then its file deleted.
    const std::string program = dir.File("victim.EXE");
    ASSERT_TRUE(CopyFileA(self, program.c_str(), FALSE));
    PROCESS_INFORMATION victim;
    ASSERT_TRUE(StartSuspended(program, &victim));
    EXPECT_TRUE(remover.Remove(0, NULL, program.c_str(), NULL, victim.dwProcessId, NULL, 0));
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(victim.hProcess, 5000));
    DWORD code = 0;
    GetExitCodeProcess(victim.hProcess, &code);
    EXPECT_EQ(0xFFFFFFFFu, code);
    CloseHandle(victim.hThread);
    CloseHandle(victim.hProcess);
    EXPECT_FALSE(TempFolder::Exists(program));
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_EQ(0, remover.RebootRequired());

    // A process that cannot be opened is reported as left for later, with
    // no name; the missing file makes the result false.
    EXPECT_FALSE(remover.Remove(0, NULL, dir.File("gone.exe").c_str(), NULL, 0xFFFFFFF0, NULL, 0));
    ASSERT_EQ(1u, listener.calls.size());
    EXPECT_EQ(0u, listener.calls[0].area);
    EXPECT_EQ(1, listener.calls[0].nonFatal);
    EXPECT_FALSE(listener.calls[0].hasName);
}

TEST(InternalRemove, MissingOrUnfitDiskItemsGiveFalseWithoutReport)
{
    TempFolder dir;
    Recorder listener;
    CInternalRemove remover(&listener);
    EXPECT_FALSE(remover.Remove(3, NULL, dir.File("missing.txt").c_str(), NULL, 0, NULL, 0));
    EXPECT_FALSE(remover.Remove(4, NULL, (dir.Path() + "\\" + std::string(1100, 'x')).c_str(), NULL, 0, NULL, 0));
    EXPECT_FALSE(remover.Remove(6, NULL, NULL, NULL, 0, NULL, 0));
    EXPECT_TRUE(remover.Remove(9, NULL, "anything", NULL, 0, NULL, 0));
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_EQ(0, remover.RebootRequired());

    // The short form of a path, and the system error for a missing one.
    EXPECT_FALSE(CInternalRemove::GetShortPath(dir.Path().c_str()).IsEmpty());
    HRESULT raised = S_OK;
    try
    {
        CInternalRemove::GetShortPath(dir.File("missing.txt").c_str());
    }
    catch (const _com_error& e)
    {
        raised = e.Error();
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), raised);

    EXPECT_TRUE(CInternalRemove::IsRetryableError(32));
    EXPECT_TRUE(CInternalRemove::IsRetryableError(4));
    EXPECT_FALSE(CInternalRemove::IsRetryableError(2));
}

TEST(InternalRemove, FolderWithAFileInUseIsFinishedAtTheNextStart)
{
    PendingGuard pending;
    TempFolder dir;
    const std::string folder = dir.File("victim");
    CreateDirectoryA(folder.c_str(), NULL);
    CreateDirectoryA((folder + "\\sub").c_str(), NULL);
    TempFolder::Write(folder + "\\a.txt", std::vector<BYTE>(10, 1));
    TempFolder::Write(folder + "\\sub\\b.txt", std::vector<BYTE>(10, 2));
    const std::string busy = folder + "\\busy.txt";
    HANDLE open = PlantBusyFile(busy);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);

    Recorder listener;
    CInternalRemove remover(&listener);
    EXPECT_TRUE(remover.Remove(3, NULL, folder.c_str(), NULL, 0, NULL, 0));
    CloseHandle(open);
    EXPECT_FALSE(TempFolder::Exists(folder + "\\a.txt"));
    EXPECT_FALSE(TempFolder::Exists(folder + "\\sub"));
    EXPECT_TRUE(TempFolder::Exists(busy));
    EXPECT_EQ(1, remover.RebootRequired());

    ASSERT_EQ(2u, listener.calls.size());
    EXPECT_EQ(3u, listener.calls[0].area);
    EXPECT_EQ(1, listener.calls[0].nonFatal);
    EXPECT_EQ(folder, listener.calls[0].name);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, listener.calls[0].error);
    EXPECT_EQ(1, listener.calls[1].nonFatal);
    EXPECT_EQ((DWORD)ERROR_DIR_NOT_EMPTY, listener.calls[1].error);

    // One delayed deletion per path, the file before its folder.
    bool exists = false;
    const std::vector<std::string> moves = MultiStrings(ReadPending(&exists));
    ASSERT_TRUE(exists);
    int fileAt = -1, folderAt = -1;
    for (size_t i = 0; i + 1 < moves.size(); ++i)
    {
        const std::string& m = moves[i];
        if (m.size() >= busy.size() && _stricmp(m.c_str() + m.size() - busy.size(), busy.c_str()) == 0)
            fileAt = (int)i;
        if (m.size() >= folder.size() && _stricmp(m.c_str() + m.size() - folder.size(), folder.c_str()) == 0)
            folderAt = (int)i;
    }
    ASSERT_GE(fileAt, 0);
    ASSERT_GE(folderAt, 0);
    EXPECT_LT(fileAt, folderAt);
    EXPECT_EQ("", moves[fileAt + 1]); // no target: a deletion
    EXPECT_EQ("", moves[folderAt + 1]);
}

TEST(InternalRemove, WhatTheBackupPassesOverStaysAndHoldsItsFolders)
{
    PendingGuard pending;
    TempFolder dir;
    const std::string folder = dir.File("Program");
    for (const char* sub : {"", "\\.state", "\\.state\\inner", "\\sub", "\\sub\\.cache", "\\other", "\\other\\deep"})
        CreateDirectoryA((folder + sub).c_str(), NULL);
    const char* kept[] = {"\\.state\\state.dat", "\\.state\\inner\\x.bin", "\\sub\\.cache\\c.txt"};
    const char* gone[] = {"\\top.dll", "\\.profile", "\\sub\\mid.txt", "\\other\\deep\\deep.bin"};
    for (const char* name : kept)
        TempFolder::Write(folder + name, std::vector<BYTE>(10, 1));
    for (const char* name : gone)
        TempFolder::Write(folder + name, std::vector<BYTE>(10, 2));
    // A file in use would take its folder along at the next start, but this
    // folder keeps what was passed over and must not be scheduled.
    const std::string busy = folder + "\\busy.txt";
    HANDLE open = PlantBusyFile(busy);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);

    Recorder listener;
    CInternalRemove remover(&listener);
    EXPECT_TRUE(remover.Remove(4, NULL, folder.c_str(), NULL, 0, NULL, 0));
    CloseHandle(open);
    for (const char* name : kept)
        EXPECT_EQ(std::vector<BYTE>(10, 1), TempFolder::Read(folder + name)) << name;
    for (const char* name : gone)
        EXPECT_FALSE(TempFolder::Exists(folder + name)) << name;
    EXPECT_FALSE(TempFolder::Exists(folder + "\\other"));
    EXPECT_TRUE(TempFolder::Exists(folder + "\\sub"));

    // The busy file waits for the next start; the two folders that keep
    // something are reported as failed, not scheduled.
    EXPECT_EQ(1, remover.RebootRequired());
    std::vector<std::string> reports;
    for (const RemoveError& call : listener.calls)
    {
        EXPECT_EQ(4u, call.area);
        EXPECT_EQ(folder, call.name);
        reports.push_back(std::to_string(call.nonFatal) + ":" + std::to_string(call.error));
    }
    std::sort(reports.begin(), reports.end());
    const std::string notEmpty = "0:" + std::to_string(ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ((std::vector<std::string>{notEmpty, notEmpty, "1:" + std::to_string(ERROR_SHARING_VIOLATION)}), reports);
    bool exists = false;
    const std::vector<std::string> moves = MultiStrings(ReadPending(&exists));
    int scheduled = 0;
    for (const std::string& move : moves)
    {
        if (move.size() >= busy.size() && _stricmp(move.c_str() + move.size() - busy.size(), busy.c_str()) == 0)
            ++scheduled;
        if (move.size() >= folder.size() && _stricmp(move.c_str() + move.size() - folder.size(), folder.c_str()) == 0)
            ADD_FAILURE() << "scheduled: " << move;
    }
    EXPECT_EQ(1, scheduled);

    // A link inside the folder is passed over too, where this system makes one.
    TempFolder target;
    TempFolder::Write(target.File("linked.txt"), std::vector<BYTE>(4, 4));
    const std::string second = dir.File("Linked");
    CreateDirectoryA(second.c_str(), NULL);
    const std::string link = second + "\\link";
    CreateSymbolicLinkA(link.c_str(), target.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD linkAttributes = GetFileAttributesA(link.c_str());
    if (linkAttributes == INVALID_FILE_ATTRIBUTES || !(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    EXPECT_TRUE(remover.Remove(4, NULL, second.c_str(), NULL, 0, NULL, 0));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(link.c_str()));
    EXPECT_TRUE(TempFolder::Exists(target.File("linked.txt")));
    RemoveDirectoryA(link.c_str());
}

TEST(InternalRemove, RegistryKeysValuesAndGuardedValues)
{
    const std::string base = TestKeyBase();
    Recorder listener;
    CInternalRemove remover(&listener);

    // A key already gone, and a value of a key already gone.
    EXPECT_TRUE(remover.Remove(1, HKEY_CURRENT_USER, (base + "\\Gone").c_str(), NULL, 0, NULL, 0));
    EXPECT_TRUE(remover.Remove(1, HKEY_CURRENT_USER, (base + "\\Gone").c_str(), "value", 0, NULL, 0));
    EXPECT_TRUE(listener.calls.empty());

    // A whole tree.
    const DWORD one = 1;
    PlantValue(base + "\\Tree", "top", REG_DWORD, &one, 4);
    PlantValue(base + "\\Tree\\Sub\\Deeper", "leaf", REG_DWORD, &one, 4);
    EXPECT_TRUE(remover.Remove(1, HKEY_CURRENT_USER, (base + "\\Tree").c_str(), NULL, 0, NULL, 0));
    EXPECT_FALSE(KeyExists(base + "\\Tree"));
    EXPECT_TRUE(KeyExists(base));

    // One value, the key and its other value stay; a second deletion finds
    // the value gone and that is what was wanted.
    PlantValue(base + "\\Values", "v1", REG_SZ, "a", 2);
    PlantValue(base + "\\Values", "v2", REG_SZ, "b", 2);
    EXPECT_TRUE(remover.Remove(1, HKEY_CURRENT_USER, (base + "\\Values").c_str(), "v1", 0, NULL, 0));
    DWORD type;
    std::vector<BYTE> data;
    EXPECT_FALSE(ReadValue(base + "\\Values", "v1", &type, &data));
    EXPECT_TRUE(ReadValue(base + "\\Values", "v2", &type, &data));
    EXPECT_TRUE(remover.Remove(1, HKEY_CURRENT_USER, (base + "\\Values").c_str(), "v1", 0, NULL, 0));
    EXPECT_TRUE(listener.calls.empty());

    // An empty key path would be the whole root: refused and reported.
    EXPECT_FALSE(remover.Remove(1, HKEY_CURRENT_USER, "", NULL, 0, NULL, 0));
    ASSERT_EQ(1u, listener.calls.size());
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, listener.calls[0].error);
    EXPECT_TRUE(KeyExists(base + "\\Values"));

    // Guarded values are written back with their type and data, the key
    // made when it is missing.
    PlantValue(base + "\\Guard", "Start Page", REG_SZ, "http://bad.example/", 20);
    EXPECT_TRUE(remover.Remove(2, HKEY_CURRENT_USER, (base + "\\Guard").c_str(), "Start Page", REG_EXPAND_SZ,
                               (const BYTE*)"about:blank", 12));
    ASSERT_TRUE(ReadValue(base + "\\Guard", "Start Page", &type, &data));
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, type);
    EXPECT_EQ(std::string("about:blank", 12), Text(data));
    EXPECT_TRUE(remover.Remove(2, HKEY_CURRENT_USER, (base + "\\NewGuard").c_str(), "Flag", REG_BINARY, NULL, 0));
    ASSERT_TRUE(ReadValue(base + "\\NewGuard", "Flag", &type, &data));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(1u, listener.calls.size());
    EXPECT_EQ(0, remover.RebootRequired());

    char parent[64];
    wsprintfA(parent, "Software\\CleanwardenTest%lu", GetCurrentProcessId());
    SHDeleteKeyA(HKEY_CURRENT_USER, parent);
}

TEST(InternalRemove, HostsLinesGoWholeAndOnlyWhenTheyMatch)
{
    HostsGuard hosts;
    const std::string longLine = "10.0.0.1 " + std::string(3000, 'x') + " ads.example\r\n";
    const std::string before = "# comment\r\n#127.0.0.1 ads.example\r\n127.0.0.1 ads.example\r\n"
                               "127.0.0.1\tother.example\r\n" + longLine +
                               "127.0.0.1   ADS.EXAMPLE extra\r\n::1 localhost";
    ASSERT_TRUE(TempFolder::Write(hosts.Path(), std::vector<BYTE>(before.begin(), before.end())));

    Recorder listener;
    CInternalRemove remover(&listener);
    EXPECT_TRUE(remover.Remove(5, NULL, "ads.example", "127.0.0.1", 0, NULL, 0));
    const std::string after = "# comment\r\n#127.0.0.1 ads.example\r\n127.0.0.1\tother.example\r\n" + longLine +
                              "::1 localhost";
    EXPECT_EQ(after, Text(TempFolder::Read(hosts.Path())));

    // Without a matching line the file is not rewritten at all.
    HANDLE file = CreateFileA(hosts.Path().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILETIME old = {0x12345678, 0x01C00000};
    SetFileTime(file, NULL, NULL, &old);
    CloseHandle(file);
    EXPECT_TRUE(remover.Remove(5, NULL, "nothing.example", "127.0.0.1", 0, NULL, 0));
    EXPECT_TRUE(remover.Remove(5, NULL, "other.example", NULL, 0, NULL, 0));
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExA(hosts.Path().c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(old.dwLowDateTime, info.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(old.dwHighDateTime, info.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(after, Text(TempFolder::Read(hosts.Path())));
    EXPECT_TRUE(listener.calls.empty());

    // A hosts file that cannot be opened is left for later and reported so.
    HANDLE locked = CreateFileA(hosts.Path().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_TRUE(remover.Remove(5, NULL, "other.example", "127.0.0.1", 0, NULL, 0));
    CloseHandle(locked);
    ASSERT_EQ(1u, listener.calls.size());
    EXPECT_EQ(5u, listener.calls[0].area);
    EXPECT_EQ(1, listener.calls[0].nonFatal);
    EXPECT_EQ("other.example", listener.calls[0].name);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, listener.calls[0].error);
    EXPECT_EQ(after, Text(TempFolder::Read(hosts.Path())));

    // No stray temporary file is left beside the hosts file.
    const std::string folder = hosts.Path().substr(0, hosts.Path().rfind('\\'));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\hst*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
