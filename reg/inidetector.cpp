#include "reg/inidetector.h"

#include "reg/xmlrecord.h"

#include <windows.h>

#include <vector>

namespace {

const DWORD kFirstBufferChars = 1024;
const DWORD kMaxValueChars = 1u << 16;

// The whole value: a buffer that came back full is grown and read again.
std::string ReadProfileString(const char* section, const char* key, const std::string& path)
{
    for (DWORD size = kFirstBufferChars; size <= kMaxValueChars; size *= 2)
    {
        std::vector<char> buffer(size, '\0');
        DWORD n = GetPrivateProfileStringA(section, key, "", buffer.data(), size, path.c_str());
        if (n < size - 1)
            return std::string(buffer.data(), n);
    }
    return std::string();
}

} // namespace

CIniValueDetector::CIniValueDetector(const char* tag, const char* fileName, const char* section, const char* key,
                                     const std::string& path)
    : m_tag(tag), m_fileName(fileName), m_section(section), m_key(key), m_path(path)
{
}

std::string CIniValueDetector::WindowsFile(const char* fileName)
{
    char folder[MAX_PATH];
    UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    return std::string(folder) + "\\" + fileName;
}

void CIniValueDetector::Detect()
{
    if (m_path.empty())
        return;
    const std::string value = ReadProfileString(m_section, m_key, m_path);
    if (value.empty())
        return;
    CXmlRecord record(m_tag);
    record.AddField("filename", m_fileName);
    record.AddField("key", m_key);
    record.AddField("value", value);
    Add(record);
}

CSystemIniDetector::CSystemIniDetector() : CSystemIniDetector(WindowsFile("system.ini"))
{
}

CSystemIniDetector::CSystemIniDetector(const std::string& path)
    : CIniValueDetector("f0", "system.ini", "386enh", "Shell", path)
{
}

CWinIniDetector::CWinIniDetector() : CWinIniDetector(WindowsFile("win.ini"))
{
}

CWinIniDetector::CWinIniDetector(const std::string& path)
    : CIniValueDetector("f1", "win.ini", "Explorer", "run", path)
{
}
