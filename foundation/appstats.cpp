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
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetStringAttribute(root, "DBVersion", "true", m_strDBVersion);
    GetStringAttribute(root, "LastScan", "true", m_strLastScan);
    GetIntAttribute(root, "Signatures", "true", m_nSignatures);
    GetIntAttribute(root, "Removed", "true", m_nRemoved);
    GetIntAttribute(root, "ScansNumber", "true", m_nScansNumber);
    GetIntAttribute(root, "Ignored", "true", m_nIgnored);
    GetIntAttribute(root, "Quarantined", "true", m_nQuarantined);
    m_document.Clear();
    return true;
}

bool CAppStats::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetAttribute(root, "DBVersion", m_strDBVersion);
    SetAttribute(root, "LastScan", m_strLastScan);
    SetIntAttribute(root, "Signatures", m_nSignatures);
    SetIntAttribute(root, "Removed", m_nRemoved);
    SetIntAttribute(root, "ScansNumber", m_nScansNumber);
    SetIntAttribute(root, "Ignored", m_nIgnored);
    SetIntAttribute(root, "Quarantined", m_nQuarantined);
    return CXmlSettingsFile::Save(path);
}
