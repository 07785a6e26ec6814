#include "foundation/appstats.h"

namespace {

const char kRoot[] = "TelminCleanwardenStats";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<TelminCleanwardenStats DBVersion=\"\"\n"
    "\tLastScan=\"\"\n"
    "\tSignatures=\"0\"\n"
    "\tRemoved=\"0\"\n"
    "\tScansNumber=\"0\"\n"
    "\tIgnored=\"0\"\n"
    "\tQuarantined=\"0\"/>\n";

} // namespace

CAppStatsData::CAppStatsData()
    : m_nSignatures(0), m_nRemoved(0), m_nScansNumber(0), m_nIgnored(0), m_nQuarantined(0)
{
}

CAppStats::CAppStats()
{
}

CAppStats::~CAppStats()
{
}

void CAppStats::CreateDefault()
{
    ParseDefault(kDefault);
}

bool CAppStats::Load(std::string path)
{
    if (!CXmlSettingsFile::Load(path))
        return false;
    if (!FindRoot(kRoot))
    {
        CreateDefault();
        CXmlSettingsFile::Save(path);
        return Load(path);
    }
    GetStringAttribute(FindRoot(kRoot), "DBVersion", "true", m_strDBVersion);
    GetStringAttribute(FindRoot(kRoot), "LastScan", "true", m_strLastScan);
    GetIntAttribute(FindRoot(kRoot), "Signatures", "true", m_nSignatures);
    GetIntAttribute(FindRoot(kRoot), "Removed", "true", m_nRemoved);
    GetIntAttribute(FindRoot(kRoot), "ScansNumber", "true", m_nScansNumber);
    GetIntAttribute(FindRoot(kRoot), "Ignored", "true", m_nIgnored);
    GetIntAttribute(FindRoot(kRoot), "Quarantined", "true", m_nQuarantined);
    m_document.Clear();
    return true;
}

bool CAppStats::Save(std::string path)
{
    CreateDefault();
    SetAttribute(FindRoot(kRoot), "DBVersion", m_strDBVersion);
    SetAttribute(FindRoot(kRoot), "LastScan", m_strLastScan);
    SetIntAttribute(FindRoot(kRoot), "Signatures", m_nSignatures);
    SetIntAttribute(FindRoot(kRoot), "Removed", m_nRemoved);
    SetIntAttribute(FindRoot(kRoot), "ScansNumber", m_nScansNumber);
    SetIntAttribute(FindRoot(kRoot), "Ignored", m_nIgnored);
    SetIntAttribute(FindRoot(kRoot), "Quarantined", m_nQuarantined);
    return CXmlSettingsFile::Save(path);
}
