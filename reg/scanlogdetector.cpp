#include "reg/scanlogdetector.h"

#include "foundation/syshelpers.h"
#include "reg/xmlrecord.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct LogFile
{
    std::string name;
    ULONGLONG written;
};

bool HasLogExtension(const char* name)
{
    const size_t length = strlen(name);
    return length > 4 && lstrcmpiA(name + length - 4, ".log") == 0;
}

// The file's lines, each followed by "\r\n"; empty when it cannot be opened.
std::string ReadLines(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    std::string line;
    char chunk[4096];
    size_t n;
    bool open = false;  // a line has begun and is not ended yet
    while ((n = fread(chunk, 1, sizeof(chunk), file)) > 0)
    {
        for (size_t i = 0; i < n; ++i)
        {
            if (chunk[i] == '\n')
            {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                text += line + "\r\n";
                line.clear();
                open = false;
            }
            else
            {
                line += chunk[i];
                open = true;
            }
        }
    }
    if (open)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text += line + "\r\n";
    }
    fclose(file);
    return text;
}

} // namespace

CScanLogDetector::CScanLogDetector() : m_folder(std::string(GetProductDataFolder()) + "logs")
{
}

CScanLogDetector::CScanLogDetector(const std::string& folder) : m_folder(folder)
{
}

void CScanLogDetector::Detect()
{
    std::vector<LogFile> logs;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_folder + "\\*.log").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !HasLogExtension(found.cFileName))
                continue;
            const ULONGLONG written =
                (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
            logs.push_back({found.cFileName, written});
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // Oldest first; equal times keep name order.
    std::sort(logs.begin(), logs.end(), [](const LogFile& a, const LogFile& b) {
        return a.written != b.written ? a.written < b.written : lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0;
    });
    m_names.RemoveAll();
    for (const LogFile& log : logs)
        m_names.Add(log.name.c_str());
    if (m_names.IsEmpty())
        return;

    CXmlRecord record("scan");
    record.AddField("value", ReadLines(m_folder + "\\" + std::string(m_names.GetAt(m_names.GetUpperBound()))));
    Add(record);
}
