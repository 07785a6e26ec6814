#include "foundation/scheduledscansettings.h"

namespace {

const char kRoot[] = "ScheduledScan";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ScheduledScan scheduleType=\"1\"\n"
    "\tdays=\"1111111\"\n"
    "\tdayOfMonth=\"1\"\n"
    "\tstartTime=\"12:00:00\"\n"
    "\tincludePaths=\"true\"\n"
    "\tPaths=\"\"\n"
    "\tautoRemove=\"0\"\n"
    "\tautoQua=\"0\"\n"
    "\tactive=\"false\"\n"
    "\tenable=\"false\"/>\n";

bool TwoDigits(const std::string& text, size_t pos, int limit)
{
    char high = text[pos], low = text[pos + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9')
        return false;
    return (high - '0') * 10 + (low - '0') < limit;
}

} // namespace

bool IsValidScheduleDays(const std::string& days)
{
    if (days.size() != 7)
        return false;
    for (char c : days)
        if (c != '0' && c != '1')
            return false;
    return true;
}

bool IsValidScheduleTime(const std::string& time)
{
    return time.size() == 8 && time[2] == ':' && time[5] == ':' && TwoDigits(time, 0, 24) &&
           TwoDigits(time, 3, 60) && TwoDigits(time, 6, 60);
}

bool IsValidSchedule(int scheduleType, int dayOfMonth, const std::string& startTime,
                     const std::string& days)
{
    if (scheduleType < 1 || scheduleType > 3 || !IsValidScheduleTime(startTime))
        return false;
    if (scheduleType == 2 && !IsValidScheduleDays(days))
        return false;
    if (scheduleType == 3 && (dayOfMonth < 1 || dayOfMonth > 31))
        return false;
    return true;
}

CScheduledScanData::CScheduledScanData()
    : m_nScheduleType(0), m_nDayOfMonth(0), m_bIncludePaths(false), m_bAutoRemove(false),
      m_bAutoQua(false), m_bActive(false), m_bEnable(false)
{
}

CScheduledScanSettings::CScheduledScanSettings()
{
}

CScheduledScanSettings::~CScheduledScanSettings()
{
}

void CScheduledScanSettings::CreateDefault()
{
    ParseDefault(kDefault);
}

bool CScheduledScanSettings::Load(std::string path)
{
    bool result = false;
    TiXmlElement* root = LoadRoot(path, kRoot, result);
    if (root == NULL)
        return result;
    GetIntAttribute(root, "scheduleType", "true", m_nScheduleType);
    GetIntAttribute(root, "dayOfMonth", "true", m_nDayOfMonth);
    GetBoolAttribute(root, "includePaths", "true", m_bIncludePaths);
    GetStringAttribute(root, "Paths", "true", m_strPaths);
    GetBoolAttribute(root, "autoRemove", "true", m_bAutoRemove);
    GetBoolAttribute(root, "autoQua", "true", m_bAutoQua);
    GetBoolAttribute(root, "active", "true", m_bActive);
    GetStringAttribute(root, "days", "true", m_strDays);
    GetStringAttribute(root, "startTime", "true", m_strStartTime);
    GetBoolAttribute(root, "enable", "true", m_bEnable);
    if (m_strStartTime.empty())
        m_strStartTime = "21:00:00";
    m_document.Clear();
    return true;
}

bool CScheduledScanSettings::Save(std::string path)
{
    CreateDefault();
    TiXmlElement* root = FindRoot(kRoot);
    SetIntAttribute(root, "scheduleType", m_nScheduleType);
    SetIntAttribute(root, "dayOfMonth", m_nDayOfMonth);
    SetBoolAttribute(root, "includePaths", m_bIncludePaths);
    SetAttribute(root, "Paths", m_strPaths);
    SetBoolAttribute(root, "autoRemove", m_bAutoRemove);
    SetBoolAttribute(root, "autoQua", m_bAutoQua);
    SetBoolAttribute(root, "active", m_bActive);
    SetAttribute(root, "days", m_strDays);
    SetAttribute(root, "startTime", m_strStartTime);
    SetBoolAttribute(root, "enable", m_bEnable);
    return CXmlSettingsFile::Save(path);
}
