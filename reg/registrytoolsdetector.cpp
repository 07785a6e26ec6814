#include "reg/registrytoolsdetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CRegistryToolsDetector::Detect()
{
    const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    CXmlRecord record("o7");
    record.AddField("path", std::string("HKEY_CURRENT_USER\\") + kPolicies);
    record.AddField("key", "DisableRegistryTools");
    record.AddField("value",
                    CScanHelper::RegReadDword(HKEY_CURRENT_USER, kPolicies, "DisableRegistryTools") ? "1" : "0");
    Add(record);
}
