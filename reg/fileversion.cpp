#include "reg/fileversion.h"

#include <cstdio>
#include <cstring>

bool CFileVersion::Load(const std::string& path)
{
    m_data.clear();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return false;
    m_data.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, m_data.data()))
    {
        m_data.clear();
        return false;
    }
    return true;
}

std::vector<std::string> CFileVersion::GetTranslations(bool upperCase) const
{
    std::vector<std::string> found;
    if (m_data.empty())
        return found;
    const WORD* pairs = NULL;
    UINT length = 0;
    if (!VerQueryValueA(m_data.data(), "\\VarFileInfo\\Translation", (LPVOID*)&pairs, &length) || !pairs)
        return found;
    for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
    {
        char text[16];
        snprintf(text, sizeof(text), upperCase ? "%04hX%04hX" : "%04hx%04hx", pairs[i], pairs[i + 1]);
        found.push_back(text);
    }
    return found;
}

bool CFileVersion::GetString(const std::string& translation, const char* entry, std::string& value) const
{
    value.clear();
    if (m_data.empty())
        return false;
    const std::string query = "\\StringFileInfo\\" + translation + "\\" + entry;
    const char* text = NULL;
    UINT length = 0;
    if (!VerQueryValueA(m_data.data(), query.c_str(), (LPVOID*)&text, &length) || !text)
        return false;
    value.assign(text, strnlen(text, length));
    return true;
}
