#pragma once
// Backup: one backup set of the quarantine, a threat collection and a date.

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

class CBackup : public CComObjectRootEx<CComSingleThreadModel>,
                public CComCoClass<CBackup, &CLSID_Backup>,
                public IBackup
{
public:
    CBackup();
    HRESULT FinalConstruct();

    BEGIN_COM_MAP(CBackup)
        COM_INTERFACE_ENTRY(IBackup)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE put_Items(IThreatCollection* items) override;
    HRESULT STDMETHODCALLTYPE get_Items(IThreatCollection** items) override;
    HRESULT STDMETHODCALLTYPE put_Time(DATE time) override;
    HRESULT STDMETHODCALLTYPE get_Time(DATE* time) override;

private:
    CComPtr<IThreatCollection> m_items;
    DATE m_time;
};

// The local time now as an automation date (whole seconds).
DATE LocalTimeNow();
