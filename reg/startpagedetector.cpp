#include "reg/startpagedetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

CStartPageDetector::CStartPageDetector(const char* tag, HKEY root) : m_tag(tag), m_root(root)
{
}

void CStartPageDetector::Detect()
{
    for (const CRegValueRecord& value :
         CScanHelper::RegEnumValues(m_root, "Software\\Microsoft\\Internet Explorer\\Main"))
    {
        if (value.m_name != "Start Page" && value.m_name != "Default_Page_URL")
            continue;
        CXmlRecord record(m_tag);
        record.AddField("path", value.GetFullKeyPath());
        record.AddField("key", value.m_name);
        record.AddField("value", value.m_data);
        Add(record);
    }
}

CStartPageMachineDetector::CStartPageMachineDetector() : CStartPageDetector("r0", HKEY_LOCAL_MACHINE)
{
}

CStartPageUserDetector::CStartPageUserDetector() : CStartPageDetector("r1", HKEY_CURRENT_USER)
{
}
