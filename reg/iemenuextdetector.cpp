#include "reg/iemenuextdetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CIEMenuExtDetector::Detect()
{
    for (const CRegValueRecord& entry :
         CScanHelper::RegEnumSubkeys(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\MenuExt"))
    {
        CXmlRecord record("o8");
        record.AddField("kind", entry.m_name);
        record.AddField("title", entry.m_name);
        record.AddField("command", CScanHelper::RegReadString(HKEY_CURRENT_USER, entry.m_keyPath, ""));
        Add(record);
    }
}
