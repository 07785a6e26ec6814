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
    if (!CXmlSettingsFile::Load(path))
        return false;
    if (!FindRoot(kRoot))
    {
        CreateDefault();
        CXmlSettingsFile::Save(path);
        return Load(path);
    }
    GetIntAttribute(FindRoot(kRoot), "scheduleType", "true", m_nScheduleType);
    GetIntAttribute(FindRoot(kRoot), "dayOfMonth", "true", m_nDayOfMonth);
    GetBoolAttribute(FindRoot(kRoot), "active", "true", m_bActive);
    GetStringAttribute(FindRoot(kRoot), "days", "true", m_strDays);
    GetStringAttribute(FindRoot(kRoot), "startTime", "true", m_strStartTime);
    GetBoolAttribute(FindRoot(kRoot), "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledUpdateSettings::Save(std::string path)
{
    CreateDefault();
    SetIntAttribute(FindRoot(kRoot), "scheduleType", m_nScheduleType);
    SetIntAttribute(FindRoot(kRoot), "dayOfMonth", m_nDayOfMonth);
    SetBoolAttribute(FindRoot(kRoot), "active", m_bActive);
    SetAttribute(FindRoot(kRoot), "days", m_strDays);
    SetAttribute(FindRoot(kRoot), "startTime", m_strStartTime);
    SetBoolAttribute(FindRoot(kRoot), "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}
