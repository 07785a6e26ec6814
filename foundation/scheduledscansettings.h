#pragma once
// Schedule of the scheduled scan in "scheduled_scan.xml".

#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

// Schedule values come from hand-editable files, and a missing attribute
// reads as "true"; the scheduler checks them before it indexes or splits
// them.
// Seven characters, each '0' or '1'.
bool IsValidScheduleDays(const std::string& days);
// "HH:MM:SS", two digits each, within 00:00:00 and 23:59:59.
bool IsValidScheduleTime(const std::string& time);
// A type of 1 to 3, a valid start time, valid days for type 2 and a day of
// the month from 1 to 31 for type 3.
bool IsValidSchedule(int scheduleType, int dayOfMonth, const std::string& startTime,
                     const std::string& days);

class CScheduledScanData
{
public:
    CScheduledScanData();

protected:
    int m_nScheduleType;
    int m_nDayOfMonth;
    std::string m_strStartTime;
    std::string m_strPaths;
    bool m_bIncludePaths;
    bool m_bAutoRemove;
    bool m_bAutoQua;
    bool m_bActive;
    bool m_bEnable;
    std::string m_strDays;
};

class CScheduledScanSettings : public CXmlSettingsFile,
                               public CScheduledScanData,
                               public CSingleton<CScheduledScanSettings>
{
public:
    CScheduledScanSettings();
    ~CScheduledScanSettings() override;

    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;

    int GetScheduleType() const { return m_nScheduleType; }
    void SetScheduleType(int type) { m_nScheduleType = type; }
    int GetDayOfMonth() const { return m_nDayOfMonth; }
    void SetDayOfMonth(int day) { m_nDayOfMonth = day; }
    std::string GetStartTime() const { return m_strStartTime; }
    void SetStartTime(std::string time) { m_strStartTime = time; }
    std::string GetDays() const { return m_strDays; }
    void SetDays(std::string days) { m_strDays = days; }
    std::string GetPaths() const { return m_strPaths; }
    void SetPaths(std::string paths) { m_strPaths = paths; }
    bool GetIncludePaths() const { return m_bIncludePaths; }
    void SetIncludePaths(bool value) { m_bIncludePaths = value; }
    bool GetActive() const { return m_bActive; }
    void SetActive(bool value) { m_bActive = value; }
    bool GetEnable() const { return m_bEnable; }
    void SetEnable(bool value) { m_bEnable = value; }

    bool IsValid() const
    {
        return IsValidSchedule(m_nScheduleType, m_nDayOfMonth, m_strStartTime, m_strDays);
    }
};
