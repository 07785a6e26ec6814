#pragma once
// Pieces of the COM server tests that run the stand-in program
// (cw_com_server.exe): a copy of it in a folder with blanks in its name, its
// runs and processes, bounded COM apartments, and registry readers.

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/syshelpers.h"

// A program of the build folder (the stand-in by default) copied to
// "<temp>\Telmin Cleanwarden Test <pid>\" (or the folder stem given) under a
// name of its own, so its processes are told from any other.
class ServerCopy
{
public:
    explicit ServerCopy(const char* builtName = "cw_com_server", const char* folderStem = "Telmin Cleanwarden Test")
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        char folder[MAX_PATH], name[96];
        wsprintfA(folder, "%s%s %lu", temp, folderStem, GetCurrentProcessId());
        wsprintfA(name, "%s_%lu.exe", builtName, GetCurrentProcessId());
        m_folder = folder;
        m_name = name;
        m_path = m_folder + "\\" + m_name;
        CreateDirectoryA(m_folder.c_str(), nullptr);
        const std::string built = std::string(GetModuleFolder()) + builtName + ".exe";
        m_copied = CopyFileA(built.c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~ServerCopy()
    {
        DeleteFileA(m_path.c_str());
        DeleteFileA(File("sdebug.log").c_str());
        for (const std::string& file : m_extraFiles)
            DeleteFileA(file.c_str());
        for (auto it = m_extraFolders.rbegin(); it != m_extraFolders.rend(); ++it)
            RemoveDirectoryA(it->c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    // Copies a file of the build folder into the copy's folder (a relative
    // name, whose folder is made); it goes with the copy.
    bool AddBuiltFile(const std::string& relative)
    {
        const size_t slash = relative.rfind('\\');
        if (slash != std::string::npos)
        {
            const std::string sub = m_folder + "\\" + relative.substr(0, slash);
            if (CreateDirectoryA(sub.c_str(), nullptr))
                m_extraFolders.push_back(sub);
        }
        const std::string target = File(relative.c_str());
        m_extraFiles.push_back(target);
        return CopyFileA((std::string(GetModuleFolder()) + relative).c_str(), target.c_str(), FALSE) != FALSE;
    }

    bool Copied() const { return m_copied; }
    const std::string& Path() const { return m_path; }
    const std::string& Name() const { return m_name; }
    std::string File(const char* name) const { return m_folder + "\\" + name; }

private:
    std::string m_folder, m_name, m_path;
    bool m_copied;
    std::vector<std::string> m_extraFiles, m_extraFolders;
};

const DWORD kRunTimedOut = 0xDEADBEEF;

class ServerProcess
{
public:
    ServerProcess() : m_info() {}
    ~ServerProcess() { End(); }

    bool Start(const ServerCopy& server, const std::string& arguments)
    {
        std::string line = "\"" + server.Path() + "\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        return CreateProcessA(server.Path().c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &m_info) != FALSE;
    }

    DWORD Id() const { return m_info.dwProcessId; }

    // The exit code, or kRunTimedOut when it still runs after `timeoutMs`.
    DWORD Wait(DWORD timeoutMs)
    {
        if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return kRunTimedOut;
        DWORD code = 0;
        GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }

    // Ends a run that a failed test left behind.
    void End()
    {
        if (!m_info.hProcess)
            return;
        if (WaitForSingleObject(m_info.hProcess, 0) != WAIT_OBJECT_0)
        {
            TerminateProcess(m_info.hProcess, 99);
            WaitForSingleObject(m_info.hProcess, 10000);
        }
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
        m_info = PROCESS_INFORMATION();
    }

private:
    PROCESS_INFORMATION m_info;
};

// One run of the stand-in to its end: its exit code, or kRunTimedOut.
inline DWORD RunServer(const ServerCopy& server, const std::string& arguments, DWORD timeoutMs = 60000)
{
    ServerProcess process;
    if (!process.Start(server, arguments))
        return GetLastError();
    return process.Wait(timeoutMs);
}

// Ids of the running processes of the copy (those COM started included).
inline std::vector<DWORD> ServerProcessIds(const ServerCopy& server)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, server.Name().c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// Waits up to `timeoutMs` for every process of the copy to end; true when
// none is left.
inline bool WaitForNoServer(const ServerCopy& server, DWORD timeoutMs)
{
    const DWORD begin = GetTickCount();
    for (;;)
    {
        if (ServerProcessIds(server).empty())
            return true;
        if (GetTickCount() - begin > timeoutMs)
            return false;
        Sleep(100);
    }
}

// Ends what a failed test left running of the copy.
inline void EndServerProcesses(const ServerCopy& server)
{
    for (DWORD id : ServerProcessIds(server))
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id))
        {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
}

// Runs `body` on a thread of its own in a single-threaded apartment and
// waits up to `timeoutMs` for it, so that a COM call that never returns
// fails the test instead of holding it.
inline bool RunInApartment(const std::function<void()>& body, DWORD timeoutMs = 120000)
{
    struct Job
    {
        std::function<void()> body;
        static DWORD WINAPI Run(void* p)
        {
            Job* job = static_cast<Job*>(p);
            if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            {
                job->body();
                CoUninitialize();
            }
            return 0;
        }
    };
    Job* job = new Job{body};
    HANDLE thread = CreateThread(nullptr, 0, &Job::Run, job, 0, nullptr);
    if (!thread)
    {
        delete job;
        return false;
    }
    const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (ended)
        delete job;     // a thread still in a call keeps its job
    else
        ADD_FAILURE() << "a COM call did not return within " << timeoutMs << " ms";
    return ended;
}

// ---------------------------------------------------------------- registry

inline bool KeyExists(const std::string& path, HKEY root = HKEY_CLASSES_ROOT)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline std::set<std::string> SubkeysOf(const std::string& path, HKEY root = HKEY_CLASSES_ROOT)
{
    std::set<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {"<missing>"};
    char name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

// Every value of the key by name ("" for the default value); texts as they
// are, other types as "<type N>".
inline std::map<std::string, std::string> ValuesOf(const std::string& path, HKEY root = HKEY_CLASSES_ROOT)
{
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {{"<missing>", ""}};
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i)
    {
        DWORD nameSize = sizeof(name), dataSize = sizeof(data) - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        data[dataSize] = 0;
        values[name] = type == REG_SZ ? std::string(reinterpret_cast<char*>(data))
                                      : "<type " + std::to_string(type) + ">";
    }
    RegCloseKey(key);
    return values;
}

inline std::string DefaultValueOf(const std::string& path)
{
    std::map<std::string, std::string> values = ValuesOf(path);
    auto it = values.find("");
    return it == values.end() ? "<none>" : it->second;
}

// ------------------------------------------------------- the registered tree

namespace comserver {

const char kClsid[] = "{123232CE-589E-45CA-B013-AF06C3BAB413}";
const char kAppId[] = "{9039EF7F-5A66-43AC-AF95-CE6D5820B17A}";
const char kLibId[] = "{F991C314-B963-44B8-B348-D3E311AC5BB6}";
const char kIid[] = "{99274197-0BB4-4AEC-85DB-54CD13A807E9}";
const char kListenerClsid[] = "{2C63E1B6-3FA8-4CB8-9EA9-62C2505CF73B}";
const char kProgId[] = "TelminCleanwarden.CleanwardenApplicat.1";
const char kIndependentProgId[] = "TelminCleanwarden.CleanwardenApplicatio";
const char kClassName[] = "CleanwardenApplication Class";
const std::string kClassKey = std::string("CLSID\\") + kClsid;

} // namespace comserver

// The whole tree "/RegServer" writes for the server at serverPath.
inline void ExpectRegisteredTree(const std::string& serverPath)
{
    using namespace comserver;
    typedef std::set<std::string> Names;
    typedef std::map<std::string, std::string> Values;

    // The AppID script.
    EXPECT_EQ((Values{{"", "TelminCleanwarden"}}), ValuesOf(std::string("AppID\\") + kAppId));
    EXPECT_EQ(Names{}, SubkeysOf(std::string("AppID\\") + kAppId));
    EXPECT_EQ((Values{{"AppID", kAppId}}), ValuesOf("AppID\\TelminCleanwarden.EXE"));
    EXPECT_EQ(Names{}, SubkeysOf("AppID\\TelminCleanwarden.EXE"));

    // The ProgIDs, cut at 39 characters.
    EXPECT_EQ(39u, strlen(kProgId));
    EXPECT_EQ(39u, strlen(kIndependentProgId));
    EXPECT_EQ((Values{{"", kClassName}}), ValuesOf(kProgId));
    EXPECT_EQ(Names{"CLSID"}, SubkeysOf(kProgId));
    EXPECT_EQ((Values{{"", kClsid}}), ValuesOf(std::string(kProgId) + "\\CLSID"));
    EXPECT_EQ((Values{{"", kClassName}}), ValuesOf(kIndependentProgId));
    EXPECT_EQ((Names{"CLSID", "CurVer"}), SubkeysOf(kIndependentProgId));
    EXPECT_EQ((Values{{"", kClsid}}), ValuesOf(std::string(kIndependentProgId) + "\\CLSID"));
    EXPECT_EQ((Values{{"", kProgId}}), ValuesOf(std::string(kIndependentProgId) + "\\CurVer"));

    // The class, its local server in quotes: the folder has blanks.
    EXPECT_EQ((Values{{"", kClassName}}), ValuesOf(kClassKey));
    EXPECT_EQ((Names{"LocalServer32", "ProgID", "Programmable", "TypeLib", "VersionIndependentProgID"}),
              SubkeysOf(kClassKey));
    EXPECT_EQ((Values{{"", "\"" + serverPath + "\""}}), ValuesOf(kClassKey + "\\LocalServer32"));
    EXPECT_EQ((Values{{"", kProgId}}), ValuesOf(kClassKey + "\\ProgID"));
    EXPECT_EQ((Values{{"", kIndependentProgId}}), ValuesOf(kClassKey + "\\VersionIndependentProgID"));
    EXPECT_EQ(Values{}, ValuesOf(kClassKey + "\\Programmable"));
    EXPECT_EQ(Names{}, SubkeysOf(kClassKey + "\\Programmable"));
    EXPECT_EQ((Values{{"", kLibId}}), ValuesOf(kClassKey + "\\TypeLib"));

    // The type library (TYPELIB 1 of the program) and the interface it
    // describes, marshalled by the system's type-library marshaller.
    const char* platform = sizeof(void*) == 8 ? "\\1.0\\0\\win64" : "\\1.0\\0\\win32";
    EXPECT_EQ(serverPath, DefaultValueOf(std::string("TypeLib\\") + kLibId + platform));
    EXPECT_EQ("{00020424-0000-0000-C000-000000000046}",
              DefaultValueOf(std::string("Interface\\") + kIid + "\\ProxyStubClsid32"));

    // The engine event sink has no registry script.
    EXPECT_FALSE(KeyExists(std::string("CLSID\\") + kListenerClsid));
}

// What "/UnregServer" leaves: none of the server's keys, the shared ones.
inline void ExpectNoRegisteredTree()
{
    using namespace comserver;
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kProgId));
    EXPECT_FALSE(KeyExists(kIndependentProgId));
    EXPECT_FALSE(KeyExists(std::string("AppID\\") + kAppId));
    EXPECT_FALSE(KeyExists("AppID\\TelminCleanwarden.EXE"));
    EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + kLibId));
    EXPECT_FALSE(KeyExists(std::string("Interface\\") + kIid));
    EXPECT_TRUE(KeyExists("AppID"));
    EXPECT_TRUE(KeyExists("CLSID"));
}
