#include "reg/toolbardetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CToolbarDetector::Detect()
{
    const char kToolbar[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";
    for (const CRegValueRecord& bar : CScanHelper::RegEnumSubkeys(HKEY_CURRENT_USER, kToolbar))
    {
        for (const CRegValueRecord& value : CScanHelper::RegEnumValues(HKEY_CURRENT_USER, bar.m_keyPath))
        {
            if (value.m_name.empty() || value.m_name[0] != '{')
                continue;
            CXmlRecord record("o3");
            record.AddField("kind", "ToolBar");
            record.AddField("name", CScanHelper::ClassName(value.m_name));
            record.AddField("clsid", value.m_name);
            CScanHelper::AddFileFields(record, "filename",
                                       CScanHelper::ExpandEnvPath(CScanHelper::ClassServer(value.m_name)));
            Add(record);
        }
    }
}
