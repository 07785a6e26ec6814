#pragma once
// Machine-wide state the removal and quarantine tests change on purpose: the
// hosts file and the list of moves at the next start, each put back as it was
// when its guard ends.

#include <windows.h>

#include <string>
#include <vector>

#include "engine/internalremove.h"
#include "tests/foundation/temp_folder.h"

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// The raw list of moves at the next start; *exists tells whether the value is there.
inline std::vector<BYTE> ReadPending(bool* exists)
{
    std::vector<BYTE> data;
    *exists = false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return data;
    DWORD size = 0, type = 0;
    if (RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
    {
        *exists = true;
        data.resize(size);
        RegQueryValueExW(key, kPendingValue, nullptr, &type, size ? data.data() : nullptr, &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return data;
}

// Puts the system's list of moves at the next start back as it was.
class PendingGuard
{
public:
    PendingGuard() { m_data = ReadPending(&m_existed); }
    ~PendingGuard()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (m_existed)
            RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, m_data.data(), static_cast<DWORD>(m_data.size()));
        else
            RegDeleteValueW(key, kPendingValue);
        RegCloseKey(key);
    }

private:
    std::vector<BYTE> m_data;
    bool m_existed;
};

// Keeps the prefix's hosts file as it was.
class HostsGuard
{
public:
    HostsGuard() : m_path(static_cast<LPCSTR>(CInternalRemove::GetHostsPath())), m_existed(TempFolder::Exists(m_path))
    {
        m_bytes = TempFolder::Read(m_path);
    }
    ~HostsGuard()
    {
        if (m_existed)
            TempFolder::Write(m_path, m_bytes);
        else
            DeleteFileA(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_existed;
    std::vector<BYTE> m_bytes;
};

// Whether a key under HKEY_CURRENT_USER can be opened.
inline bool KeyExists(const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
