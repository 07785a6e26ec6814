#include "foundation/scheduledupdatesettings.h"

namespace {

const char kRoot[] = "ScheduledUpdate";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ScheduledUpdate scheduleType=\"1\"\n"
    "\tdays=\"1111111\"\n"
    "\tdayOfMonth=\"1\"\n"
    "\tstartTime=\"12:00:00\"\n"
    "\tincludePaths=\"true\"\n"
    "\tautoRemove=\"0\"\n"
    "\tautoQua=\"0\"\n"
    "\tactive=\"false\"\n"
    "\tenable=\"false\"/>\n";

} // namespace

CScheduledUpdateData::CScheduledUpdateData()
    : m_nScheduleType(0), m_nDayOfMonth(0), m_bActive(false), m_bEnable(false)
{
}

CScheduledUpdateFile::CScheduledUpdateFile(const char* root, const char* defaultText, bool handlesActive)
    : m_root(root), m_defaultText(defaultText), m_bHandlesActive(handlesActive)
{
}

void CScheduledUpdateFile::CreateDefault()
{
    ParseDefault(m_defaultText);
}

bool CScheduledUpdateFile::Load(std::string path)
{
    bool result = false;
    TiXmlElement* root = LoadRoot(path, m_root, result);
    if (root == NULL)
        return result;
    GetIntAttribute(root, "scheduleType", "true", m_nScheduleType);
    GetIntAttribute(root, "dayOfMonth", "true", m_nDayOfMonth);
    if (m_bHandlesActive)
        GetBoolAttribute(root, "active", "true", m_bActive);
    GetStringAttribute(root, "days", "true", m_strDays);
    GetStringAttribute(root, "startTime", "true", m_strStartTime);
    GetBoolAttribute(root, "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledUpdateFile::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(m_root);
    SetIntAttribute(root, "scheduleType", m_nScheduleType);
    SetIntAttribute(root, "dayOfMonth", m_nDayOfMonth);
    if (m_bHandlesActive)
        SetBoolAttribute(root, "active", m_bActive);
    SetAttribute(root, "days", m_strDays);
    SetAttribute(root, "startTime", m_strStartTime);
    SetBoolAttribute(root, "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}

CScheduledUpdateSettings::CScheduledUpdateSettings() : CScheduledUpdateFile(kRoot, kDefault, true)
{
}

CScheduledUpdateSettings::~CScheduledUpdateSettings()
{
}
