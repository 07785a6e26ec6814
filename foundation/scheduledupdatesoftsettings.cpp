#include "foundation/scheduledupdatesoftsettings.h"

namespace {

const char kRoot[] = "ScheduledUpdateSoft";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ScheduledUpdateSoft scheduleType=\"1\"\n"
    "\tdays=\"1111111\"\n"
    "\tdayOfMonth=\"1\"\n"
    "\tstartTime=\"12:00:00\"\n"
    "\tincludePaths=\"true\"\n"
    "\tautoRemove=\"0\"\n"
    "\tautoQua=\"0\"\n"
    "\tactive=\"false\"\n"
    "\tenable=\"false\"/>\n";

} // namespace

CScheduledUpdateSoftSettings::CScheduledUpdateSoftSettings()
{
}

CScheduledUpdateSoftSettings::~CScheduledUpdateSoftSettings()
{
}

void CScheduledUpdateSoftSettings::CreateDefault()
{
    ParseDefault(kDefault);
}

// active is carried, not read: this schedule has no master switch of its own.
bool CScheduledUpdateSoftSettings::Load(std::string path)
{
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetIntAttribute(root, "scheduleType", "true", m_nScheduleType);
    GetIntAttribute(root, "dayOfMonth", "true", m_nDayOfMonth);
    GetStringAttribute(root, "days", "true", m_strDays);
    GetStringAttribute(root, "startTime", "true", m_strStartTime);
    GetBoolAttribute(root, "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledUpdateSoftSettings::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetIntAttribute(root, "scheduleType", m_nScheduleType);
    SetIntAttribute(root, "dayOfMonth", m_nDayOfMonth);
    SetAttribute(root, "days", m_strDays);
    SetAttribute(root, "startTime", m_strStartTime);
    SetBoolAttribute(root, "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}
