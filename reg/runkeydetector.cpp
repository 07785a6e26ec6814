#include "reg/runkeydetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

namespace {

// The program of a command line: cut after its first ".exe", one leading
// quote removed; empty when the command names no ".exe".
std::string ProgramOf(const std::string& command)
{
    const size_t exe = command.find(".exe");
    if (exe == std::string::npos)
        return std::string();
    std::string program = command.substr(0, exe + 4);
    if (!program.empty() && program[0] == '"')
        program.erase(0, 1);
    return program;
}

} // namespace

void CRunKeyDetector::Detect()
{
    const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    {
        for (const CRegValueRecord& value : CScanHelper::RegEnumValues(root, kRun))
        {
            CXmlRecord record("o4");
            record.AddField("path", value.GetFullKeyPath());
            record.AddField("title", value.m_name);
            record.AddField("command", value.m_data);
            const std::string md5 = CScanHelper::GetFileMd5(ProgramOf(value.m_data));
            if (!md5.empty())
                record.AddField("MD5", md5);
            Add(record);
        }
    }
}
