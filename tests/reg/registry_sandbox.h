#pragma once
// Redirects HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT of
// this process to three empty keys of its own (RegOverridePredefKey), so
// tests plant exactly what a detector should see and can tell whether
// anything was created. Everything is put back and removed at the end.

#include <windows.h>

#include <string>
#include <vector>

class RegistrySandbox
{
public:
    RegistrySandbox()
    {
        static LONG counter;
        char name[96];
        wsprintfA(name, "Software\\CleanwardenTests\\sandbox-%lu-%ld", GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
        m_base = name;
        RegCreateKeyExA(HKEY_CURRENT_USER, m_base.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &m_baseKey, NULL);
        const char* names[] = {"HKLM", "HKCU", "HKCR"};
        for (int i = 0; i < 3; ++i)
            RegCreateKeyExA(m_baseKey, names[i], 0, NULL, 0, KEY_ALL_ACCESS, NULL, &m_roots[i], NULL);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_roots[0]);
        RegOverridePredefKey(HKEY_CURRENT_USER, m_roots[1]);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, m_roots[2]);
    }

    ~RegistrySandbox()
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        RegOverridePredefKey(HKEY_CLASSES_ROOT, NULL);
        for (HKEY root : m_roots)
            RegCloseKey(root);
        RegCloseKey(m_baseKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_base.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CleanwardenTests");  // only when no other sandbox is left
    }

    // The sandbox's stand-in for a predefined root.
    HKEY Root(HKEY predefined) const
    {
        if (predefined == HKEY_LOCAL_MACHINE)
            return m_roots[0];
        if (predefined == HKEY_CURRENT_USER)
            return m_roots[1];
        return m_roots[2];
    }

    void SetString(HKEY predefined, const std::string& path, const char* name, const std::string& value,
                   DWORD type = REG_SZ)
    {
        HKEY key = Create(predefined, path);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }

    void SetBytes(HKEY predefined, const std::string& path, const char* name, const std::string& bytes, DWORD type)
    {
        HKEY key = Create(predefined, path);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }

    void SetDword(HKEY predefined, const std::string& path, const char* name, DWORD value)
    {
        HKEY key = Create(predefined, path);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

    void CreateKey(HKEY predefined, const std::string& path) { RegCloseKey(Create(predefined, path)); }

    // Every key path under the three roots, "HKLM\..." and so on.
    std::vector<std::string> AllKeys() const
    {
        std::vector<std::string> keys;
        const char* names[] = {"HKLM", "HKCU", "HKCR"};
        for (int i = 0; i < 3; ++i)
            Walk(m_roots[i], names[i], keys);
        return keys;
    }

private:
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    HKEY Create(HKEY predefined, const std::string& path)
    {
        HKEY key = NULL;
        RegCreateKeyExA(Root(predefined), path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        return key;
    }

    static void Walk(HKEY key, const std::string& path, std::vector<std::string>& keys)
    {
        char name[256];
        for (DWORD i = 0;; ++i)
        {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(key, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            const std::string child = path + "\\" + name;
            keys.push_back(child);
            HKEY sub;
            if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS)
            {
                Walk(sub, child, keys);
                RegCloseKey(sub);
            }
        }
    }

    std::string m_base;
    HKEY m_baseKey = NULL;
    HKEY m_roots[3] = {};
};
