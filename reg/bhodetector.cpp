#include "reg/bhodetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CBhoDetector::Detect()
{
    const char kHelpers[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    for (const CRegValueRecord& helper : CScanHelper::RegEnumSubkeys(HKEY_LOCAL_MACHINE, kHelpers))
    {
        if (helper.m_name.empty() || helper.m_name[0] != '{')
            continue;
        CXmlRecord record("o2");
        record.AddField("kind", "BHO");
        record.AddField("name", CScanHelper::ClassName(helper.m_name));
        record.AddField("clsid", helper.m_name);
        CScanHelper::AddFileFields(record, "filename", CScanHelper::ClassServer(helper.m_name));
        Add(record);
    }
}
