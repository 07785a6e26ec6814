#include "foundation/xmlsettingsfile.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <new>

namespace {

const int kMaxLoads = 5;

// The program file's folder with its trailing separator.
std::string ProgramFolder()
{
    char module[MAX_PATH + 1] = "";
    DWORD len = GetModuleFileNameA(NULL, module, MAX_PATH);
    module[len < MAX_PATH ? len : MAX_PATH] = '\0';
    char full[MAX_PATH + 1] = "";
    DWORD fullLen = GetFullPathNameA(module, MAX_PATH, full, NULL);
    std::string folder = (fullLen > 0 && fullLen < MAX_PATH) ? full : module;
    size_t cut = folder.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

// Only a file that is really absent may be replaced by the default; one that
// exists but could not be opened or read (locked, denied, read error) keeps
// its contents.
bool IsMissingFile(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

CXmlSettingsFile::CXmlSettingsFile()
    : m_nLoadCount(0)
{
}

CXmlSettingsFile::~CXmlSettingsFile()
{
}

bool CXmlSettingsFile::Save(std::string path)
{
    return WriteDocument(path);
}

bool CXmlSettingsFile::WriteDocument(const std::string& path) const
{
    size_t cut = path.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut + 1);
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "cws", 0, temp))
        return false;

    bool written = false;
    FILE* fp = fopen(temp, "w");
    if (fp)
    {
        written = m_document.SaveFile(fp);
        written = fflush(fp) == 0 && written && ferror(fp) == 0;
        written = fclose(fp) == 0 && written;
    }
    if (written && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp);
    return false;
}

bool CXmlSettingsFile::Load(std::string path)
{
    bool loaded = false;
    bool readable = true;
    try
    {
        loaded = m_document.LoadFile(path.c_str());
        readable = loaded || m_document.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE;
    }
    catch (const std::bad_alloc&)
    {
        // Too large to hold: unreadable, not malformed.
        readable = false;
    }

    if (!loaded)
    {
        CreateDefault();
        if (readable || IsMissingFile(path))
        {
            SetCurrentDirectoryA(ProgramFolder().c_str());
            if (WriteDocument(path))
            {
                bool reloaded = false;
                try
                {
                    reloaded = m_document.LoadFile(path.c_str());
                }
                catch (const std::bad_alloc&)
                {
                }
                if (!reloaded)
                    CreateDefault();
            }
        }
    }

    if (m_nLoadCount >= kMaxLoads)
        return false;
    ++m_nLoadCount;
    return true;
}

void CXmlSettingsFile::SetAttribute(TiXmlElement* element, const std::string& name,
                                    const std::string& value)
{
    if (element)
        element->SetAttribute(name, value);
}

void CXmlSettingsFile::SetIntAttribute(TiXmlElement* element, const std::string& name, int value)
{
    SetAttribute(element, name, std::to_string(value));
}

void CXmlSettingsFile::SetBoolAttribute(TiXmlElement* element, const std::string& name, bool value)
{
    SetAttribute(element, name, value ? "true" : "false");
}

void CXmlSettingsFile::GetStringAttribute(TiXmlElement* element, const std::string& name,
                                          const std::string& fallback, std::string& out)
{
    if (!element)
    {
        out = fallback;
        return;
    }
    if (!element->Attribute(name.c_str()))
        SetAttribute(element, name, fallback);
    const char* text = element->Attribute(name.c_str());
    out = text ? text : fallback;
}

void CXmlSettingsFile::GetIntAttribute(TiXmlElement* element, const std::string& name,
                                       const std::string& fallback, int& out)
{
    std::string text;
    GetStringAttribute(element, name, fallback, text);
    out = ParseLeadingInt(text.c_str());
}

void CXmlSettingsFile::GetBoolAttribute(TiXmlElement* element, const std::string& name,
                                        const std::string& fallback, bool& out)
{
    std::string text;
    GetStringAttribute(element, name, fallback, text);
    out = text == "true";
}

int CXmlSettingsFile::ParseLeadingInt(const char* text)
{
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Saturate instead of overflowing: a limit is reached long before the
    // 64-bit accumulator could wrap.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        value = value * 10 + (*text - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

TiXmlElement* CXmlSettingsFile::FindRoot(const char* name)
{
    return TiXmlHandle(&m_document).ChildElement(name, 0).Element();
}

TiXmlElement* CXmlSettingsFile::LoadRoot(const std::string& path, const char* rootName, bool& result)
{
    result = false;
    if (!CXmlSettingsFile::Load(path))
        return NULL;
    TiXmlElement* root = FindRoot(rootName);
    if (root == NULL)
    {
        CreateDefault();
        CXmlSettingsFile::Save(path);
        result = Load(path);
    }
    return root;
}

void CXmlSettingsFile::ParseDefault(const char* text)
{
    m_document.Clear();
    m_document.Parse(text, 0, TIXML_DEFAULT_ENCODING);
}
