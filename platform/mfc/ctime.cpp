#include "platform/mfc/ctime.h"

namespace {

__time64_t MakeLocal(int year, int month, int day, int hour, int minute, int second, int dst)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst;
    __time64_t result = _mktime64(&t);
    return result == -1 ? 0 : result;
}

CString FormatTm(const struct tm& t, LPCSTR format)
{
    if (format == nullptr || *format == '\0')
        return CString();
    char buffer[256];
    size_t length = strftime(buffer, sizeof(buffer), format, &t);
    return CString(buffer, static_cast<int>(length));
}

} // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
    : m_time(MakeLocal(nYear, nMonth, nDay, nHour, nMin, nSec, nDST))
{
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : m_time(MakeLocal(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST))
{
}

CTime::CTime(const FILETIME& ft, int nDST) : m_time(0)
{
    FILETIME local;
    SYSTEMTIME st;
    if (::FileTimeToLocalFileTime(&ft, &local) && ::FileTimeToSystemTime(&local, &st))
        m_time = MakeLocal(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime CTime::GetCurrentTime()
{
    return CTime(_time64(nullptr));
}

bool CTime::Local(struct tm& out) const
{
    struct tm* t = _localtime64(&m_time);
    if (t == nullptr)
        return false;
    out = *t;
    return true;
}

int CTime::LocalField(int tm::*field, int offset) const
{
    struct tm t;
    return Local(t) ? t.*field + offset : 0;
}

int CTime::GetYear() const { return LocalField(&tm::tm_year, 1900); }
int CTime::GetMonth() const { return LocalField(&tm::tm_mon, 1); }
int CTime::GetDay() const { return LocalField(&tm::tm_mday, 0); }
int CTime::GetHour() const { return LocalField(&tm::tm_hour, 0); }
int CTime::GetMinute() const { return LocalField(&tm::tm_min, 0); }
int CTime::GetSecond() const { return LocalField(&tm::tm_sec, 0); }
int CTime::GetDayOfWeek() const { return LocalField(&tm::tm_wday, 1); }

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    struct tm t;
    if (!Local(t))
        return FALSE;
    st = SYSTEMTIME();
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    return TRUE;
}

CString CTime::Format(LPCSTR pszFormat) const
{
    struct tm t;
    return Local(t) ? FormatTm(t, pszFormat) : CString();
}

CString CTime::FormatGmt(LPCSTR pszFormat) const
{
    struct tm* t = _gmtime64(&m_time);
    return t ? FormatTm(*t, pszFormat) : CString();
}
