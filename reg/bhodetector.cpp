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
        Add(CScanHelper::ClassRecord("o2", "BHO", helper.m_name, false));
    }
}
