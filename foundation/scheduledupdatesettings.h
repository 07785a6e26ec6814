#pragma once
// Schedule of the definitions update in "scheduled_update.xml"; its data part
// also serves the program-update schedule.

#include "foundation/scheduledscansettings.h"
#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CScheduledUpdateData
{
public:
    CScheduledUpdateData();

    int GetScheduleType() const { return m_nScheduleType; }
    void SetScheduleType(int type) { m_nScheduleType = type; }
    int GetDayOfMonth() const { return m_nDayOfMonth; }
    void SetDayOfMonth(int day) { m_nDayOfMonth = day; }
    std::string GetStartTime() const { return m_strStartTime; }
    void SetStartTime(std::string time) { m_strStartTime = time; }
    std::string GetDays() const { return m_strDays; }
    void SetDays(std::string days) { m_strDays = days; }
    bool GetEnable() const { return m_bEnable; }
    void SetEnable(bool value) { m_bEnable = value; }

    bool IsValid() const
    {
        return IsValidSchedule(m_nScheduleType, m_nDayOfMonth, m_strStartTime, m_strDays);
    }

protected:
    int m_nScheduleType;
    int m_nDayOfMonth;
    std::string m_strStartTime;
    bool m_bActive;
    bool m_bEnable;
    std::string m_strDays;
};

// The two update schedules keep the same attributes under their own roots;
// only the definitions schedule reads and writes "active" (the program
// update carries it).
class CScheduledUpdateFile : public CXmlSettingsFile, public CScheduledUpdateData
{
public:
    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;

protected:
    CScheduledUpdateFile(const char* root, const char* defaultText, bool handlesActive);

private:
    const char* m_root;
    const char* m_defaultText;
    bool m_bHandlesActive;
};

class CScheduledUpdateSettings : public CScheduledUpdateFile,
                                 public CSingleton<CScheduledUpdateSettings>
{
public:
    CScheduledUpdateSettings();
    ~CScheduledUpdateSettings() override;
};
