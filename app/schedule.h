#pragma once
// A named schedule with its waitable timer (manual reset, named after the
// schedule), and the schedule that takes its rule from a settings file.

#include <windows.h>

#include "foundation/messageexception.h"
#include "app/nextrun.h"

// The four schedules; each name is also its timer's name.
#define QUICK_SCAN_SCHEDULE_NAME "TCWQuickScanSchedule"
#define FULL_SCAN_SCHEDULE_NAME "TCWFullScanSchedule"
#define UPDATE_SCHEDULE_NAME "TCWUpdateSchedule"
#define UPDATE_SOFT_SCHEDULE_NAME "TCWUpdateSoftSchedule"

class CScheduleException : public CMessageException
{
public:
    explicit CScheduleException(LPCSTR message) : CMessageException(message) {}
};

class CSchedule
{
public:
    // An empty name throws CScheduleException. A timer that cannot be made
    // (its name taken by another kind of object, say) is logged to
    // "sdebug.log" and leaves the schedule without timer: it never runs.
    explicit CSchedule(LPCSTR name);
    virtual ~CSchedule();

    // Works out the next run and arms the timer for it. FALSE when there is
    // no valid next run (or no timer): the timer is then reset, not signalled
    // and not armed.
    virtual BOOL SetNextRun() = 0;
    // Throws CScheduleException "Cannot create waitable object." on failure.
    virtual void CreateTimer();
    // Takes the values the next runs are worked out from (UI thread); the
    // base has none.
    virtual void ReadSettings() {}

    HANDLE GetTimer() const { return m_hTimer; }
    const CString& GetName() const { return m_strName; }
    BOOL IsRepeating() const { return m_dwRepeat != 0; }
    const SYSTEMTIME& GetNextRunTime() const { return m_nextRun; }

    // Tests give the timers names of their own: the suffix is appended to
    // every timer name made afterwards.
    static void SetTimerNameSuffix(LPCSTR suffix);

protected:
    // Arms the timer for a local wall-clock time (the timer's period 5,000 ms
    // keeps it signalled until it is armed again); with no time, resets it.
    BOOL ArmTimer(const SYSTEMTIME* localTime);

    HANDLE m_hTimer;
    CString m_strName;
    DWORD m_dwRepeat;
    SYSTEMTIME m_nextRun;

private:
    CSchedule(const CSchedule&) = delete;
    CSchedule& operator=(const CSchedule&) = delete;
};

class CSettingsSchedule : public CSchedule
{
public:
    explicit CSettingsSchedule(const CString& name);

    BOOL SetNextRun() override;
    // Copies the schedule values of the settings that the name selects:
    // "TCWUpdateSchedule" the definitions update, "TCWUpdateSoftSchedule"
    // the program update, any other the scheduled scan.
    void ReadSettings() override;

    const CScheduleRule& GetRule() const { return m_rule; }

    // Filled by the weekly computation, Sunday first.
    DWORD m_dwWeekDays[7];

private:
    CScheduleRule m_rule;
    bool m_bRuleRead;
};
