#pragma once
// A point in time as seconds since 1970 (UTC), read and written in local
// time as the framework's time class does.

#include "platform/mfc/cstring.h"

#include <windows.h>
#include <time.h>

class CTime
{
public:
    CTime() : m_time(0) {}
    CTime(__time64_t time) : m_time(time) {}
    // Local time; nDST < 0 lets the system decide whether daylight saving
    // applies. Fields out of range are normalised as mktime does (month 13
    // is January of the next year); a time mktime cannot hold gives 0.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();

    __time64_t GetTime() const { return m_time; }
    // Local-time fields; 0 when the time cannot be shown in local time.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const;
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime formats of the local or the UTC time; empty when the time
    // cannot be shown.
    CString Format(LPCSTR pszFormat) const;
    CString FormatGmt(LPCSTR pszFormat) const;

    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    bool Local(struct tm& out) const;
    // A field of the local time plus offset; 0 when it cannot be shown.
    int LocalField(int tm::*field, int offset) const;

    __time64_t m_time;
};
