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
        Add(CScanHelper::ClassRecord("o21", "SSODL", clsid, true));
    }
}
