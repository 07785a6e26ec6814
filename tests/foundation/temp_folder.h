#pragma once
// A private folder under the temporary-files folder for one test, removed
// with everything in it when the test ends.

#include <windows.h>

#include <string>
#include <vector>

class TempFolder
{
public:
    TempFolder()
    {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static LONG counter;
        char name[MAX_PATH];
        wsprintfA(name, "%scwtest-%lu-%ld", base, GetCurrentProcessId(), InterlockedIncrement(&counter));
        m_path = name;
        CreateDirectoryA(m_path.c_str(), NULL);
    }
    ~TempFolder() { RemoveTree(m_path); }

    const std::string& Path() const { return m_path; }
    std::string File(const char* name) const { return m_path + "\\" + name; }

    static std::vector<BYTE> Read(const std::string& path)
    {
        std::vector<BYTE> bytes;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, 0, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return bytes;
        DWORD size = GetFileSize(h, NULL), read = 0;
        bytes.resize(size);
        if (size)
            ReadFile(h, bytes.data(), size, &read, NULL);
        CloseHandle(h);
        bytes.resize(read);
        return bytes;
    }

    static bool Write(const std::string& path, const std::vector<BYTE>& bytes)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL);
        CloseHandle(h);
        return ok && written == bytes.size();
    }

    static bool Exists(const std::string& path)
    {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Names of the files in the folder.
    std::vector<std::string> List() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((m_path + "\\*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do
        {
            if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
                names.push_back(data.cFileName);
        } while (FindNextFileA(h, &data));
        FindClose(h);
        return names;
    }

private:
    static void RemoveTree(const std::string& path)
    {
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE)
        {
            do
            {
                if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                    continue;
                std::string child = path + "\\" + data.cFileName;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(child);
                else
                {
                    SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(child.c_str());
                }
            } while (FindNextFileA(h, &data));
            FindClose(h);
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string m_path;
};
