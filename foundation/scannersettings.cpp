#include "foundation/scannersettings.h"

namespace {

const char kRoot[] = "TelminCleanwardenScanner";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<TelminCleanwardenScanner ProcessesScan=\"true\"\n"
    "\tRegistryScan=\"true\"\n"
    "\tHostsFile=\"true\"\n"
    "\tCookiesScan=\"true\"\n"
    "\tIncludePaths=\"AllDrives\"/>\n";

} // namespace

CScannerSettingsData::CScannerSettingsData()
    : m_bHostsFile(false), m_bCookiesScan(false), m_bProcessesScan(false), m_bRegistryScan(false)
{
}

CScannerSettings::CScannerSettings()
{
}

CScannerSettings::~CScannerSettings()
{
}

void CScannerSettings::CreateDefault()
{
    ParseDefault(kDefault);
}

bool CScannerSettings::Load(std::string path)
{
    if (!CXmlSettingsFile::Load(path))
        return false;
    if (!FindRoot(kRoot))
    {
        CreateDefault();
        CXmlSettingsFile::Save(path);
        return Load(path);
    }
    GetBoolAttribute(FindRoot(kRoot), "HostsFile", "true", m_bHostsFile);
    GetStringAttribute(FindRoot(kRoot), "IncludePaths", "true", m_strIncludePaths);
    GetBoolAttribute(FindRoot(kRoot), "CookiesScan", "true", m_bCookiesScan);
    GetBoolAttribute(FindRoot(kRoot), "ProcessesScan", "true", m_bProcessesScan);
    GetBoolAttribute(FindRoot(kRoot), "RegistryScan", "true", m_bRegistryScan);
    m_document.Clear();
    return true;
}

bool CScannerSettings::Save(std::string path)
{
    CreateDefault();
    SetBoolAttribute(FindRoot(kRoot), "HostsFile", m_bHostsFile);
    SetAttribute(FindRoot(kRoot), "IncludePaths", m_strIncludePaths);
    SetBoolAttribute(FindRoot(kRoot), "CookiesScan", m_bCookiesScan);
    SetBoolAttribute(FindRoot(kRoot), "ProcessesScan", m_bProcessesScan);
    SetBoolAttribute(FindRoot(kRoot), "RegistryScan", m_bRegistryScan);
    return CXmlSettingsFile::Save(path);
}
