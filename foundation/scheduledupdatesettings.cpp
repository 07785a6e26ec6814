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

CScheduledUpdateSettings::CScheduledUpdateSettings()
{
}

CScheduledUpdateSettings::~CScheduledUpdateSettings()
{
}

void CScheduledUpdateSettings::CreateDefault()
{
    ParseDefault(kDefault);
}

bool CScheduledUpdateSettings::Load(std::string path)
{
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetIntAttribute(root, "scheduleType", "true", m_nScheduleType);
    GetIntAttribute(root, "dayOfMonth", "true", m_nDayOfMonth);
    GetBoolAttribute(root, "active", "true", m_bActive);
    GetStringAttribute(root, "days", "true", m_strDays);
    GetStringAttribute(root, "startTime", "true", m_strStartTime);
    GetBoolAttribute(root, "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledUpdateSettings::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetIntAttribute(root, "scheduleType", m_nScheduleType);
    SetIntAttribute(root, "dayOfMonth", m_nDayOfMonth);
    SetBoolAttribute(root, "active", m_bActive);
    SetAttribute(root, "days", m_strDays);
    SetAttribute(root, "startTime", m_strStartTime);
    SetBoolAttribute(root, "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}
