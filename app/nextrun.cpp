#include "app/nextrun.h"

#include "foundation/scheduledscansettings.h"

namespace {

const ULONGLONG kTicksPerSecond = 10000000ULL;
const ULONGLONG kTicksPerDay = 86400ULL * kTicksPerSecond;

// Wall-clock times as FILETIME counts: plain calendar arithmetic, no zone.
ULONGLONG Ticks(const SYSTEMTIME& time)
{
    FILETIME ft;
    if (!SystemTimeToFileTime(&time, &ft))
        return 0;
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

SYSTEMTIME FromTicks(ULONGLONG ticks)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME time = {};
    FileTimeToSystemTime(&ft, &time);
    return time;
}

// now cut to the second.
ULONGLONG WholeSeconds(const SYSTEMTIME& now)
{
    const ULONGLONG ticks = Ticks(now);
    return ticks - ticks % kTicksPerSecond;
}

SYSTEMTIME At(WORD year, WORD month, WORD day, int hour, int minute, int second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

void ReadWeekDays(const std::string& days, DWORD weekDays[7])
{
    for (size_t w = 0; w < 7; ++w)
        weekDays[w] = w < days.size() && days[w] == '1' ? 1 : 0;
}

bool CalculateNextRun(const CScheduleRule& rule, const SYSTEMTIME& now, SYSTEMTIME& next)
{
    if (!IsValidScheduleTime(rule.startTime))
        return false;
    const int hour = atoi(rule.startTime.substr(0, 2).c_str());
    const int minute = atoi(rule.startTime.substr(3, 2).c_str());
    const int second = atoi(rule.startTime.substr(6, 2).c_str());
    const ULONGLONG nowTicks = WholeSeconds(now);
    const ULONGLONG today = Ticks(At(now.wYear, now.wMonth, now.wDay, hour, minute, second));
    if (nowTicks == 0 || today == 0)
        return false;

    switch (rule.scheduleType)
    {
    case ScheduleDaily:
        next = FromTicks(today > nowTicks ? today : today + kTicksPerDay);
        return true;

    case ScheduleWeekly:
    {
        DWORD weekDays[7];
        ReadWeekDays(rule.days, weekDays);
        // Up to a week ahead: today's weekday again when only it is chosen
        // and its start time has passed.
        for (int k = 0; k <= 7; ++k)
        {
            const ULONGLONG candidate = today + k * kTicksPerDay;
            if (weekDays[(now.wDayOfWeek + k) % 7] && candidate > nowTicks)
            {
                next = FromTicks(candidate);
                return true;
            }
        }
        return false;
    }

    case ScheduleMonthly:
    {
        if (rule.dayOfMonth < 1 || rule.dayOfMonth > 31)
            return false;
        int year = now.wYear;
        int month = now.wMonth;
        // Months that lack the day are passed over; every day from 1 to 31
        // comes round within a few months.
        for (int k = 0; k <= 12; ++k)
        {
            if (rule.dayOfMonth <= DaysInMonth(year, month))
            {
                const ULONGLONG candidate = Ticks(At(static_cast<WORD>(year), static_cast<WORD>(month),
                                                     static_cast<WORD>(rule.dayOfMonth), hour, minute, second));
                if (candidate > nowTicks)
                {
                    next = FromTicks(candidate);
                    return true;
                }
            }
            if (++month > 12)
            {
                month = 1;
                ++year;
            }
        }
        return false;
    }

    default:
        return false;
    }
}

bool LocalTimeToUtc(const SYSTEMTIME& local, const TIME_ZONE_INFORMATION* zone, FILETIME& utc)
{
    SYSTEMTIME universal;
    return TzSpecificLocalTimeToSystemTime(const_cast<TIME_ZONE_INFORMATION*>(zone), &local, &universal) &&
           SystemTimeToFileTime(&universal, &utc);
}
