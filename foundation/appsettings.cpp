#include "foundation/appsettings.h"

namespace {

const char kRoot[] = "general";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<general language=\"English\"\n"
    "\thideToTrayOnClose=\"true\"\n"
    "\tdownloadNews=\"true\"\n"
    "\tautoScan=\"true\"\n"
    "\tautoRunScan=\"true\"/>\n";

} // namespace

CAppSettingsData::CAppSettingsData()
    : m_bAutoScan(false), m_bDownloadNews(false), m_bAutoRunScan(false), m_bHideToTrayOnClose(false)
{
}

CAppSettings::CAppSettings()
{
}

CAppSettings::~CAppSettings()
{
}

void CAppSettings::CreateDefault()
{
    ParseDefault(kDefault);
}

bool CAppSettings::Load(std::string path)
{
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetStringAttribute(root, "language", "true", m_strLanguage);
    GetBoolAttribute(root, "hideToTrayOnClose", "true", m_bHideToTrayOnClose);
    GetBoolAttribute(root, "autoRunScan", "true", m_bAutoRunScan);
    GetBoolAttribute(root, "downloadNews", "true", m_bDownloadNews);
    GetBoolAttribute(root, "autoScan", "true", m_bAutoScan);
    m_document.Clear();
    return true;
}

bool CAppSettings::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetAttribute(root, "language", m_strLanguage);
    SetBoolAttribute(root, "hideToTrayOnClose", m_bHideToTrayOnClose);
    SetBoolAttribute(root, "autoRunScan", m_bAutoRunScan);
    SetBoolAttribute(root, "downloadNews", m_bDownloadNews);
    SetBoolAttribute(root, "autoScan", m_bAutoScan);
    return CXmlSettingsFile::Save(path);
}
