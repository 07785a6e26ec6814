#pragma once
// The version resource of a file: its language and code-page pairs and the
// string entries under each.

#include <windows.h>

#include <string>
#include <vector>

class CFileVersion
{
public:
    // False when the file has no version resource.
    bool Load(const std::string& path);

    // "\VarFileInfo\Translation" as "%04x%04x" texts (language, code page).
    std::vector<std::string> GetTranslations(bool upperCase) const;
    // "\StringFileInfo\<translation>\<entry>"; false when missing.
    bool GetString(const std::string& translation, const char* entry, std::string& value) const;

private:
    std::vector<BYTE> m_data;
};
