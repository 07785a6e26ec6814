#include "reg/hostsfiledetector.h"

#include "engine/internalremove.h"
#include "reg/xmlrecord.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const size_t kLineChars = 1024;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

CHostsFileDetector::CHostsFileDetector() : m_path(SystemHostsPath())
{
}

CHostsFileDetector::CHostsFileDetector(const std::string& path) : m_path(path)
{
}

std::string CHostsFileDetector::SystemHostsPath()
{
    // The file the engine scans and repairs.
    return static_cast<LPCSTR>(CInternalRemove::GetHostsPath());
}

void CHostsFileDetector::Detect()
{
    FILE* file = m_path.empty() ? NULL : fopen(m_path.c_str(), "rb");
    if (!file)
        return;
    char line[kLineChars];
    while (fgets(line, sizeof(line), file))
    {
        size_t length = strlen(line);
        if (length == sizeof(line) - 1 && line[length - 1] != '\n')
        {
            // Longer than the line buffer: its first part holds the address
            // and the host names (a hijack padded past the buffer among
            // them); the rest of it is skipped.
            int c;
            while ((c = fgetc(file)) != EOF && c != '\n')
            {
            }
        }
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
            line[--length] = '\0';

        const char* at = line;
        while (IsBlank(*at))
            ++at;
        if (*at == '\0' || *at == '#')
            continue;
        const char* end = at;
        while (*end && !IsBlank(*end))
            ++end;
        const std::string ip(at, end);
        while (IsBlank(*end))
            ++end;

        CXmlRecord record("o1");
        record.AddField("ip", ip);
        record.AddField("domain", end);
        Add(record);
    }
    fclose(file);
}
