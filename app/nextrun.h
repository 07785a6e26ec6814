#pragma once
// When a schedule runs next: a pure computation on the local wall clock (a
// schedule set for 12:00 runs at 12:00 whatever the daylight-saving rules),
// and the conversion of that local time to the UTC time a waitable timer
// wants, with the zone's rules for that date.

#include <windows.h>

#include <string>

enum ScheduleType
{
    ScheduleDaily = 1,
    ScheduleWeekly = 2,
    ScheduleMonthly = 3
};

// The values of one schedule settings file.
struct CScheduleRule
{
    int scheduleType;
    std::string days;       // weekly: from Sunday, '1' = chosen; missing days are not chosen
    int dayOfMonth;         // monthly: 1 to 31
    std::string startTime;  // "HH:MM:SS"

    CScheduleRule() : scheduleType(0), dayOfMonth(0) {}
    CScheduleRule(int type, const std::string& weekDays, int day, const std::string& time)
        : scheduleType(type), days(weekDays), dayOfMonth(day), startTime(time)
    {
    }
};

// The first run strictly later than now (compared to the second): daily at
// the start time; weekly on the next chosen weekday; monthly on the day of
// the month, in the first month from now's that has that day. False when
// the rule gives none (unknown type, invalid start time, no weekday chosen,
// a day of the month outside 1 to 31); next is then left as it was.
bool CalculateNextRun(const CScheduleRule& rule, const SYSTEMTIME& now, SYSTEMTIME& next);

// The chosen weekdays of a weekly rule, Sunday first (1 chosen, 0 not).
void ReadWeekDays(const std::string& days, DWORD weekDays[7]);

// A local wall-clock time as UTC, under the zone's rules (bias and daylight
// saving) for that date; a null zone stands for the machine's own.
bool LocalTimeToUtc(const SYSTEMTIME& local, const TIME_ZONE_INFORMATION* zone, FILETIME& utc);
