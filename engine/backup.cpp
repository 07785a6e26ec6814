#include "engine/backup.h"

#include "engine/engineobjects.h"

DATE LocalTimeNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    DATE date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}

CBackup::CBackup() : m_time(LocalTimeNow()) {}

HRESULT CBackup::FinalConstruct()
{
    return EngineCreateInstance(CLSID_ThreatCollection, &m_items);
}

HRESULT CBackup::put_Items(IThreatCollection* items)
{
    m_items = items;
    return S_OK;
}

HRESULT CBackup::get_Items(IThreatCollection** items)
{
    if (!m_items)
        return E_UNEXPECTED;
    if (!items)
        return E_POINTER;
    return m_items->QueryInterface(IID_IThreatCollection, reinterpret_cast<void**>(items));
}

HRESULT CBackup::put_Time(DATE time)
{
    m_time = time;
    return S_OK;
}

HRESULT CBackup::get_Time(DATE* time)
{
    if (!time) return E_POINTER;
    *time = m_time;
    return S_OK;
}
