// When a schedule runs next, for a given "now": daily, weekly and monthly
// rules across month and year ends, leap days and a daylight-saving change.

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "app/nextrun.h"

namespace {

// A local time with its weekday filled in.
SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    FILETIME ft;
    SystemTimeToFileTime(&time, &ft);
    FileTimeToSystemTime(&ft, &time);
    return time;
}

std::string Text(const SYSTEMTIME& t)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    char buf[64];
    _snprintf(buf, sizeof(buf), "%04u-%02u-%02u %02u:%02u:%02u %s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
              t.wSecond, t.wDayOfWeek < 7 ? days[t.wDayOfWeek] : "?");
    return buf;
}

// The next run as text, or "none".
std::string Next(const CScheduleRule& rule, const SYSTEMTIME& now)
{
    SYSTEMTIME next = {};
    return CalculateNextRun(rule, now, next) ? Text(next) : "none";
}

CScheduleRule Daily(const char* time = "12:00:00")
{
    return CScheduleRule(ScheduleDaily, "1111111", 1, time);
}
CScheduleRule Weekly(const char* days, const char* time = "12:00:00")
{
    return CScheduleRule(ScheduleWeekly, days, 1, time);
}
CScheduleRule Monthly(int day, const char* time = "12:00:00")
{
    return CScheduleRule(ScheduleMonthly, "1111111", day, time);
}

} // namespace

TEST(NextRun, DailyIsTodayUntilTheStartTimeThenTomorrow)
{
    EXPECT_EQ("2026-03-10 12:00:00 Tue", Next(Daily(), At(2026, 3, 10, 11, 59, 59, 999)));
    EXPECT_EQ("2026-03-11 12:00:00 Wed", Next(Daily(), At(2026, 3, 10, 12, 0, 0)));
    EXPECT_EQ("2026-03-11 12:00:00 Wed", Next(Daily(), At(2026, 3, 10, 12, 0, 0, 500)));
    EXPECT_EQ("2026-03-11 12:00:00 Wed", Next(Daily(), At(2026, 3, 10, 18, 0, 0)));
    // Month, year and leap-day ends.
    EXPECT_EQ("2026-02-01 12:00:00 Sun", Next(Daily(), At(2026, 1, 31, 13, 0, 0)));
    EXPECT_EQ("2027-01-01 00:00:30 Fri", Next(Daily("00:00:30"), At(2026, 12, 31, 23, 59, 59)));
    EXPECT_EQ("2028-02-29 12:00:00 Tue", Next(Daily(), At(2028, 2, 28, 13, 0, 0)));
    EXPECT_EQ("2027-03-01 12:00:00 Mon", Next(Daily(), At(2027, 2, 28, 13, 0, 0)));
}

TEST(NextRun, WeeklyTakesTheNextChosenWeekday)
{
    // 9 March 2026 is a Monday.
    EXPECT_EQ("2026-03-16 12:00:00 Mon", Next(Weekly("0100000"), At(2026, 3, 9, 12, 30, 0)));
    EXPECT_EQ("2026-03-09 12:00:00 Mon", Next(Weekly("0100000"), At(2026, 3, 9, 11, 0, 0)));
    EXPECT_EQ("2026-03-09 12:00:00 Mon", Next(Weekly("0100000"), At(2026, 3, 8, 20, 0, 0)));  // Sunday
    EXPECT_EQ("2026-03-13 08:15:00 Fri", Next(Weekly("0000011", "08:15:00"), At(2026, 3, 9, 9, 0, 0)));
    // Every day chosen is the daily rule.
    EXPECT_EQ(Next(Daily(), At(2026, 3, 9, 12, 30, 0)), Next(Weekly("1111111"), At(2026, 3, 9, 12, 30, 0)));
    // Missing characters choose nothing; only '1' chooses.
    EXPECT_EQ("2026-03-16 12:00:00 Mon", Next(Weekly("01"), At(2026, 3, 10, 9, 0, 0)));
    EXPECT_EQ("2026-03-11 12:00:00 Wed", Next(Weekly("02x1"), At(2026, 3, 9, 13, 0, 0)));
    // Across a year end.
    EXPECT_EQ("2027-01-01 12:00:00 Fri", Next(Weekly("0000010"), At(2026, 12, 26, 9, 0, 0)));
    // No weekday chosen: no run, and the computation ends.
    EXPECT_EQ("none", Next(Weekly("0000000"), At(2026, 3, 9, 9, 0, 0)));
    EXPECT_EQ("none", Next(Weekly(""), At(2026, 3, 9, 9, 0, 0)));
}

TEST(NextRun, MonthlyLandsOnTheDayInTheFirstMonthThatHasIt)
{
    EXPECT_EQ("2026-02-10 12:00:00 Tue", Next(Monthly(10), At(2026, 1, 20, 9, 0, 0)));
    EXPECT_EQ("2026-01-10 12:00:00 Sat", Next(Monthly(10), At(2026, 1, 5, 9, 0, 0)));
    EXPECT_EQ("2026-02-10 12:00:00 Tue", Next(Monthly(10), At(2026, 1, 10, 12, 0, 0)));
    EXPECT_EQ("2027-01-10 12:00:00 Sun", Next(Monthly(10), At(2026, 12, 20, 9, 0, 0)));
    // A shorter next month is passed over, never overrun into the one after.
    EXPECT_EQ("2026-03-30 12:00:00 Mon", Next(Monthly(30), At(2026, 1, 30, 13, 0, 0)));
    EXPECT_EQ("2026-03-31 12:00:00 Tue", Next(Monthly(31), At(2026, 1, 31, 13, 0, 0)));
    EXPECT_EQ("2026-05-31 12:00:00 Sun", Next(Monthly(31), At(2026, 4, 5, 9, 0, 0)));
    EXPECT_EQ("2027-01-31 12:00:00 Sun", Next(Monthly(31), At(2026, 12, 31, 13, 0, 0)));
    // Leap days.
    EXPECT_EQ("2028-02-29 12:00:00 Tue", Next(Monthly(29), At(2028, 1, 30, 9, 0, 0)));
    EXPECT_EQ("2027-03-29 12:00:00 Mon", Next(Monthly(29), At(2027, 1, 30, 9, 0, 0)));
    EXPECT_EQ("2032-02-29 12:00:00 Sun", Next(Monthly(29), At(2032, 2, 29, 11, 0, 0)));
    // Days no month has.
    EXPECT_EQ("none", Next(Monthly(0), At(2026, 1, 5, 9, 0, 0)));
    EXPECT_EQ("none", Next(Monthly(32), At(2026, 1, 5, 9, 0, 0)));
}

TEST(NextRun, RulesWithoutAValidRunGiveNone)
{
    SYSTEMTIME kept = At(2000, 1, 1, 0, 0, 0);
    EXPECT_FALSE(CalculateNextRun(CScheduleRule(4, "1111111", 1, "12:00:00"), At(2026, 3, 9, 9, 0, 0), kept));
    EXPECT_EQ("2000-01-01 00:00:00 Sat", Text(kept));
    EXPECT_EQ("none", Next(CScheduleRule(0, "1111111", 1, "12:00:00"), At(2026, 3, 9, 9, 0, 0)));
    for (const char* time : {"true", "", "24:00:00", "12:60:00", "12:00", "9:30:00", "12:00:00x"})
        EXPECT_EQ("none", Next(Daily(time), At(2026, 3, 9, 9, 0, 0))) << time;
    EXPECT_EQ("2026-03-09 23:59:59 Mon", Next(Daily("23:59:59"), At(2026, 3, 9, 9, 0, 0)));
}

TEST(NextRun, TheWallClockTimeHoldsAcrossADaylightSavingChange)
{
    // Central European rules: +1 hour, +2 from the last Sunday of March
    // (02:00) to the last Sunday of October (03:00).
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    zone.StandardBias = 0;
    zone.DaylightBias = -60;
    zone.StandardDate.wMonth = 10;
    zone.StandardDate.wDayOfWeek = 0;
    zone.StandardDate.wDay = 5;
    zone.StandardDate.wHour = 3;
    zone.DaylightDate.wMonth = 3;
    zone.DaylightDate.wDayOfWeek = 0;
    zone.DaylightDate.wDay = 5;
    zone.DaylightDate.wHour = 2;

    // Saturday before the change: the next daily run is Sunday at 12:00 by
    // the clock, one hour less after the previous run.
    SYSTEMTIME next = {};
    ASSERT_TRUE(CalculateNextRun(Daily(), At(2026, 3, 28, 13, 0, 0), next));
    EXPECT_EQ("2026-03-29 12:00:00 Sun", Text(next));

    auto utcText = [&](const SYSTEMTIME& local) {
        FILETIME utc;
        if (!LocalTimeToUtc(local, &zone, utc))
            return std::string("failed");
        SYSTEMTIME u;
        FileTimeToSystemTime(&utc, &u);
        return Text(u);
    };
    EXPECT_EQ("2026-03-28 11:00:00 Sat", utcText(At(2026, 3, 28, 12, 0, 0)));
    EXPECT_EQ("2026-03-29 10:00:00 Sun", utcText(next));
    // And back in October.
    ASSERT_TRUE(CalculateNextRun(Weekly("1000000"), At(2026, 10, 24, 13, 0, 0), next));
    EXPECT_EQ("2026-10-25 12:00:00 Sun", Text(next));
    EXPECT_EQ("2026-10-25 11:00:00 Sun", utcText(next));
}
