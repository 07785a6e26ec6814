#include "reg/trusteddomaindetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CTrustedDomainDetector::Detect()
{
    const char kDomains[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
    for (const CRegValueRecord& domain : CScanHelper::RegEnumSubkeys(HKEY_CURRENT_USER, kDomains))
    {
        CXmlRecord record("o15");
        record.AddField("url", domain.m_name);
        Add(record);
    }
}
