#include "reg/controlinidetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CControlIniDetector::Detect()
{
    const struct
    {
        HKEY root;
        const char* path;
    } kPlaces[] = {
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\don't load"},
        {HKEY_CURRENT_USER, "Control Panel\\don't load"},
    };
    for (const auto& place : kPlaces)
    {
        for (const CRegValueRecord& value : CScanHelper::RegEnumValues(place.root, place.path))
        {
            CXmlRecord record("o5");
            record.AddField("filename", "control.ini");
            record.AddField("key", value.m_name);
            record.AddField("value", value.m_data);
            Add(record);
        }
    }
}
