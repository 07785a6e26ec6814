#pragma once
// What the engine says of the signature database in use: its stamp (seconds
// since 1970) and the count of its detection records. While a scan runs the
// engine answers without them; the last good answer stands in then. Any
// thread: the values are kept with interlocked operations.

#include <windows.h>

#include "engine/mothtrap.h"
#include "platform/mfc/cstring.h"

class CDefinitionsInfo
{
public:
    CDefinitionsInfo() : m_stamp(0), m_count(0) {}

    // S_OK: fresh values (kept as the last good ones); S_FALSE: the engine
    // is busy and the last good values (zero before any) are given; a
    // failure (no scanner, no readable database): both zero.
    HRESULT Query(IScanner* scanner, ULONG& stamp, ULONG& count);

    ULONG GetLastStamp() const;
    ULONG GetLastCount() const;

private:
    volatile LONG m_stamp;
    volatile LONG m_count;
};

// The database date as the statistics keep it: "%m/%d/%Y" in local time.
CString FormatDatabaseDate(ULONG stamp);
