#include "reg/ieextensiondetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CIEExtensionDetector::Detect()
{
    for (const CRegValueRecord& button :
         CScanHelper::RegEnumSubkeys(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer\\Extensions"))
    {
        const std::string exec = CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, button.m_keyPath, "Exec");
        const std::string file =
            !exec.empty() ? exec : CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, button.m_keyPath, "Script");
        CXmlRecord record("o9");
        record.AddField("kind", "Extra button");
        record.AddField("title", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, button.m_keyPath, "ButtonText"));
        record.AddField("clsid", button.m_name);
        CScanHelper::AddFileFields(record, "filename", CScanHelper::ExpandEnvPath(file));
        Add(record);
    }
}
