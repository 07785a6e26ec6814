#include "reg/ieplugindetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CIEPluginDetector::Detect()
{
    for (const CRegValueRecord& plugin : CScanHelper::RegEnumSubkeys(
             HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer\\Plugins\\Extension"))
    {
        CXmlRecord record("o12");
        record.AddField("extension", plugin.m_name);
        record.AddField("filename", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, plugin.m_keyPath, "Location"));
        Add(record);
    }
}
