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
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetBoolAttribute(root, "HostsFile", "true", m_bHostsFile);
    GetStringAttribute(root, "IncludePaths", "true", m_strIncludePaths);
    GetBoolAttribute(root, "CookiesScan", "true", m_bCookiesScan);
    GetBoolAttribute(root, "ProcessesScan", "true", m_bProcessesScan);
    GetBoolAttribute(root, "RegistryScan", "true", m_bRegistryScan);
    m_document.Clear();
    return true;
}

bool CScannerSettings::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetBoolAttribute(root, "HostsFile", m_bHostsFile);
    SetAttribute(root, "IncludePaths", m_strIncludePaths);
    SetBoolAttribute(root, "CookiesScan", m_bCookiesScan);
    SetBoolAttribute(root, "ProcessesScan", m_bProcessesScan);
    SetBoolAttribute(root, "RegistryScan", m_bRegistryScan);
    return CXmlSettingsFile::Save(path);
}
