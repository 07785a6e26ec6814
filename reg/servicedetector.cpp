#include "reg/servicedetector.h"

#include "reg/fileversion.h"
#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

namespace {

// Own process (0x10) that may interact with the desktop (0x100).
const DWORD kInteractiveOwnProcess = 0x110;

// The company of the last translation that names one.
std::string CompanyOf(const std::string& path)
{
    CFileVersion version;
    std::string company;
    if (!version.Load(path))
        return company;
    for (const std::string& translation : version.GetTranslations(false))
    {
        std::string name;
        if (version.GetString(translation, "CompanyName", name))
            company = name;
    }
    return company;
}

} // namespace

void CServiceDetector::Detect()
{
    const char kServices[] = "System\\CurrentControlSet\\Services";
    for (const CRegValueRecord& service : CScanHelper::RegEnumSubkeys(HKEY_LOCAL_MACHINE, kServices))
    {
        if (CScanHelper::RegReadDword(HKEY_LOCAL_MACHINE, service.m_keyPath, "Type") != kInteractiveOwnProcess)
            continue;
        const std::string image =
            CScanHelper::ExpandEnvPath(CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, service.m_keyPath, "ImagePath"));
        CXmlRecord record("o23");
        record.AddField("kind", "Service");
        record.AddField("title", service.m_name);
        record.AddField("displayname", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, service.m_keyPath, "DisplayName"));
        record.AddField("company", CompanyOf(image));
        CScanHelper::AddFileFields(record, "filename", image);
        Add(record);
    }
}
