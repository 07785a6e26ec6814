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
        // Value names are not case-sensitive: neither is the match.
        if (lstrcmpiA(value.m_name.c_str(), "Start Page") != 0 &&
            lstrcmpiA(value.m_name.c_str(), "Default_Page_URL") != 0)
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
