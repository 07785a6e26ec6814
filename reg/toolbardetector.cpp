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
            Add(CScanHelper::ClassRecord("o3", "ToolBar", value.m_name, true));
        }
    }
}
