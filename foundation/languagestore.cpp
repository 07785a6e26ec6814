#include "foundation/languagestore.h"

#include <mbstring.h>
#include <new>
#include <string.h>

namespace {

bool SameText(const CString& a, const CString& b)
{
    return _mbsicmp((const unsigned char*)(LPCSTR)a, (const unsigned char*)(LPCSTR)b) == 0;
}

} // namespace

CLanguageStore::CLanguageStore() : m_bModified(0) {}

CLanguageStore::~CLanguageStore()
{
    SaveIfModified();
    m_sections.RemoveAll();
}

void CLanguageStore::SetFilePath(const CString& path)
{
    if (!path.IsEmpty())
        m_filePath = path;
}

int CLanguageStore::Load(const CString& path)
{
    char* buffer = new (std::nothrow) char[BufferSize];
    if (buffer == NULL)
        return 0;
    m_bModified = 0;
    SetFilePath(path);

    int count = (int)GetPrivateProfileSectionNamesA(buffer, BufferSize, path);
    if (count > 0)
    {
        m_sections.RemoveAll();
        for (const char* name = buffer; *name && name < buffer + count; name += strlen(name) + 1)
        {
            CLanguageSection section;
            section.name = name;
            m_sections.Add(section);
        }
        for (INT_PTR s = 0; s < m_sections.GetSize(); ++s)
        {
            CLanguageSection& section = m_sections[s];
            count = (int)GetPrivateProfileSectionA(section.name, buffer, BufferSize, path);
            for (const char* line = buffer; *line && line < buffer + count; line += strlen(line) + 1)
            {
                const char* equals = strchr(line, '=');
                if (equals)
                {
                    section.keys.Add(CString(line, (int)(equals - line)));
                    section.values.Add(CString(equals + 1));
                }
                else
                {
                    section.keys.Add(CString());
                    section.values.Add(CString(line));
                }
            }
        }
    }
    delete[] buffer;
    return count;
}

int CLanguageStore::FindSection(const CString& name) const
{
    for (INT_PTR i = 0; i < m_sections.GetSize(); ++i)
        if (SameText(m_sections[i].name, name))
            return (int)i;
    return -1;
}

int CLanguageStore::FindKey(int section, const CString& key) const
{
    if (section < 0 || section >= m_sections.GetSize())
        return -1;
    const CStringArray& keys = m_sections[section].keys;
    for (INT_PTR i = 0; i < keys.GetSize(); ++i)
        if (SameText(keys[i], key))
            return (int)i;
    return -1;
}

CString& CLanguageStore::Lookup(CString& value, const CString& section, const CString& key) const
{
    const int s = FindSection(section);
    const int k = FindKey(s, key);
    if (k < 0)
        value.Empty();
    else
        value = m_sections[s].values[k];
    return value;
}

void CLanguageStore::SaveIfModified()
{
    if (!m_bModified || m_filePath.IsEmpty())
        return;
    for (INT_PTR s = 0; s < m_sections.GetSize(); ++s)
    {
        const CLanguageSection& section = m_sections[s];
        CString lines;
        for (INT_PTR k = 0; k < section.keys.GetSize(); ++k)
        {
            lines += section.keys[k];
            lines += '=';
            lines += section.values[k];
            lines += '\0';
        }
        lines += '\0';
        WritePrivateProfileSectionA(section.name, lines.GetString(), m_filePath);
    }
    m_bModified = 0;
}
