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
    if (!CXmlSettingsFile::Load(path))
        return false;
    if (!FindRoot(kRoot))
    {
        CreateDefault();
        CXmlSettingsFile::Save(path);
        return Load(path);
    }
    GetStringAttribute(FindRoot(kRoot), "language", "true", m_strLanguage);
    GetBoolAttribute(FindRoot(kRoot), "hideToTrayOnClose", "true", m_bHideToTrayOnClose);
    GetBoolAttribute(FindRoot(kRoot), "autoRunScan", "true", m_bAutoRunScan);
    GetBoolAttribute(FindRoot(kRoot), "downloadNews", "true", m_bDownloadNews);
    GetBoolAttribute(FindRoot(kRoot), "autoScan", "true", m_bAutoScan);
    m_document.Clear();
    return true;
}

bool CAppSettings::Save(std::string path)
{
    CreateDefault();
    SetAttribute(FindRoot(kRoot), "language", m_strLanguage);
    SetBoolAttribute(FindRoot(kRoot), "hideToTrayOnClose", m_bHideToTrayOnClose);
    SetBoolAttribute(FindRoot(kRoot), "autoRunScan", m_bAutoRunScan);
    SetBoolAttribute(FindRoot(kRoot), "downloadNews", m_bDownloadNews);
    SetBoolAttribute(FindRoot(kRoot), "autoScan", m_bAutoScan);
    return CXmlSettingsFile::Save(path);
}
