#include "reg/ierestrictionsdetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CIERestrictionsDetector::Detect()
{
    const char kRestrictions[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
    CXmlRecord record("o6");
    record.AddField("path", std::string("HKEY_CURRENT_USER\\") + kRestrictions);
    record.AddField("status", CScanHelper::RegReadDword(HKEY_CURRENT_USER, kRestrictions, "NoBrowserOptions")
                                  ? "present"
                                  : "not present");
    Add(record);
}
