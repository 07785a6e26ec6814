#include "app/schedule.h"

#include "foundation/debuglog.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"

namespace {

CString g_timerNameSuffix;

// The schedule values of one of the three schedule settings files.
template <class Settings>
CScheduleRule RuleOf(const Settings* s)
{
    return CScheduleRule(s->GetScheduleType(), s->GetDays(), s->GetDayOfMonth(), s->GetStartTime());
}

} // namespace

void CSchedule::SetTimerNameSuffix(LPCSTR suffix)
{
    g_timerNameSuffix = suffix;
}

CSchedule::CSchedule(LPCSTR name) : m_hTimer(NULL), m_strName(name), m_dwRepeat(0)
{
    memset(&m_nextRun, 0, sizeof(m_nextRun));
    if (m_strName.IsEmpty())
        throw new CScheduleException("Must specify the name of the schedule");
    try
    {
        CreateTimer();
    }
    catch (CScheduleException* e)
    {
        // One schedule without timer must not stop the program.
        DebugLog("Message: %s (%s)\nFunction: %s", e->m_strMessage.GetString(), m_strName.GetString(),
                 "CSchedule::CSchedule");
        e->Delete();
    }
}

CSchedule::~CSchedule()
{
    if (m_hTimer)
        ::CloseHandle(m_hTimer);
}

void CSchedule::CreateTimer()
{
    HANDLE timer = ::CreateWaitableTimerA(NULL, TRUE, m_strName + g_timerNameSuffix);
    if (!timer)
        throw new CScheduleException("Cannot create waitable object.");
    if (m_hTimer)
        ::CloseHandle(m_hTimer);
    m_hTimer = timer;
}

BOOL CSchedule::ArmTimer(const SYSTEMTIME* localTime)
{
    if (!m_hTimer)
        return FALSE;
    ::CancelWaitableTimer(m_hTimer);
    FILETIME due;
    if (localTime && LocalTimeToUtc(*localTime, NULL, due))
    {
        LARGE_INTEGER when;
        when.LowPart = due.dwLowDateTime;
        when.HighPart = static_cast<LONG>(due.dwHighDateTime);
        if (::SetWaitableTimer(m_hTimer, &when, 5000, NULL, NULL, TRUE))
            return TRUE;
    }
    // Cancelling leaves a signalled timer signalled: setting it (far ahead)
    // clears the signal, cancelling then disarms it.
    LARGE_INTEGER later;
    later.QuadPart = -365LL * 86400 * 10000000;
    ::SetWaitableTimer(m_hTimer, &later, 0, NULL, NULL, FALSE);
    ::CancelWaitableTimer(m_hTimer);
    return FALSE;
}

CSettingsSchedule::CSettingsSchedule(const CString& name) : CSchedule(name), m_bRuleRead(false)
{
    m_dwRepeat = 1;
    memset(m_dwWeekDays, 0, sizeof(m_dwWeekDays));
}

void CSettingsSchedule::ReadSettings()
{
    // Names are compared exactly.
    if (m_strName == UPDATE_SCHEDULE_NAME)
        m_rule = RuleOf(CScheduledUpdateSettings::Instance());
    else if (m_strName == UPDATE_SOFT_SCHEDULE_NAME)
        m_rule = RuleOf(CScheduledUpdateSoftSettings::Instance());
    else
        m_rule = RuleOf(CScheduledScanSettings::Instance());
    m_bRuleRead = true;
}

BOOL CSettingsSchedule::SetNextRun()
{
    if (!m_bRuleRead)
        ReadSettings();
    if (m_rule.scheduleType == ScheduleWeekly)
        ReadWeekDays(m_rule.days, m_dwWeekDays);

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    SYSTEMTIME next;
    if (!CalculateNextRun(m_rule, now, next))
        return ArmTimer(NULL);
    m_nextRun = next;
    return ArmTimer(&m_nextRun);
}
