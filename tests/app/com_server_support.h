#pragma once
// Pieces of the COM server tests that run the stand-in program
// (cw_com_server.exe): a copy of it in a folder with blanks in its name, its
// runs and processes, bounded COM apartments, and registry readers.

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/syshelpers.h"

// The stand-in program copied to "<temp>\Telmin Cleanwarden Test <pid>\" under
// a name of its own, so its processes are told from any other.
class ServerCopy
{
public:
    ServerCopy()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        char folder[MAX_PATH], name[64];
        wsprintfA(folder, "%sTelmin Cleanwarden Test %lu", temp, GetCurrentProcessId());
        wsprintfA(name, "cw_com_server_%lu.exe", GetCurrentProcessId());
        m_folder = folder;
        m_name = name;
        m_path = m_folder + "\\" + m_name;
        CreateDirectoryA(m_folder.c_str(), nullptr);
        const std::string built = std::string(GetModuleFolder()) + "cw_com_server.exe";
        m_copied = CopyFileA(built.c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~ServerCopy()
    {
        DeleteFileA(m_path.c_str());
        DeleteFileA(File("sdebug.log").c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    bool Copied() const { return m_copied; }
    const std::string& Path() const { return m_path; }
    const std::string& Name() const { return m_name; }
    std::string File(const char* name) const { return m_folder + "\\" + name; }

private:
    std::string m_folder, m_name, m_path;
    bool m_copied;
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
