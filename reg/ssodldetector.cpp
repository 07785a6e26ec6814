#include "reg/ssodldetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CSsodlDetector::Detect()
{
    const char kDelayLoad[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    for (const CRegValueRecord& value : CScanHelper::RegEnumValues(HKEY_LOCAL_MACHINE, kDelayLoad))
    {
        const std::string& clsid = value.m_data;
        if (clsid.empty() || clsid[0] != '{')
            continue;
        CXmlRecord record("o21");
        record.AddField("kind", "SSODL");
        record.AddField("name", CScanHelper::ClassName(clsid));
        record.AddField("clsid", clsid);
        CScanHelper::AddFileFields(record, "filename", CScanHelper::ExpandEnvPath(CScanHelper::ClassServer(clsid)));
        Add(record);
    }
}
