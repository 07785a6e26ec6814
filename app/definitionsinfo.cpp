#include "app/definitionsinfo.h"

#include "platform/mfc/ctime.h"

HRESULT CDefinitionsInfo::Query(IScanner* scanner, ULONG& stamp, ULONG& count)
{
    stamp = 0;
    count = 0;
    if (!scanner)
        return E_POINTER;
    ULONG freshStamp = 0, programs = 0, freshCount = 0;
    const HRESULT hr = scanner->GetDatabaseInfo(&freshStamp, &programs, &freshCount);
    if (hr == S_OK)
    {
        ::InterlockedExchange(&m_stamp, static_cast<LONG>(freshStamp));
        ::InterlockedExchange(&m_count, static_cast<LONG>(freshCount));
        stamp = freshStamp;
        count = freshCount;
        return S_OK;
    }
    if (SUCCEEDED(hr))
    {
        stamp = GetLastStamp();
        count = GetLastCount();
        return S_FALSE;
    }
    return hr;
}

ULONG CDefinitionsInfo::GetLastStamp() const
{
    return static_cast<ULONG>(::InterlockedCompareExchange(const_cast<volatile LONG*>(&m_stamp), 0, 0));
}

ULONG CDefinitionsInfo::GetLastCount() const
{
    return static_cast<ULONG>(::InterlockedCompareExchange(const_cast<volatile LONG*>(&m_count), 0, 0));
}

CString FormatDatabaseDate(ULONG stamp)
{
    return CTime(static_cast<__time64_t>(stamp)).Format("%m/%d/%Y");
}
