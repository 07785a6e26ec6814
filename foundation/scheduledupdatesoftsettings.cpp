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
    GetStringAttribute(FindRoot(kRoot), "days", "true", m_strDays);
    GetStringAttribute(FindRoot(kRoot), "startTime", "true", m_strStartTime);
    GetBoolAttribute(FindRoot(kRoot), "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledUpdateSoftSettings::Save(std::string path)
{
    CreateDefault();
    SetIntAttribute(FindRoot(kRoot), "scheduleType", m_nScheduleType);
    SetIntAttribute(FindRoot(kRoot), "dayOfMonth", m_nDayOfMonth);
    SetAttribute(FindRoot(kRoot), "days", m_strDays);
    SetAttribute(FindRoot(kRoot), "startTime", m_strStartTime);
    SetBoolAttribute(FindRoot(kRoot), "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}
