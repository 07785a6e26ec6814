#pragma once
// Threat: one program of the definitions with the search items found for it;
// raises IThreatEvents when items are added or removed.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

class CThreat : public CComObjectRootEx<CComSingleThreadModel>,
                public CComCoClass<CThreat, &CLSID_Threat>,
                public IThreat,
                public IPersistStream,
                public IConnectionPointContainerImpl<CThreat>,
                public IConnectionPointImpl<CThreat, &IID_IThreatEvents>
{
public:
    CThreat();

    BEGIN_COM_MAP(CThreat)
        COM_INTERFACE_ENTRY(IThreat)
        COM_INTERFACE_ENTRY(IPersistStream)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CThreat)
        CONNECTION_POINT_ENTRY(IID_IThreatEvents)
    END_CONNECTION_POINT_MAP()

    // IThreat
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_Item(INT index, ISearchItem** item) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Lookup(ULONG itemID, ISearchItem** item) override;
    HRESULT STDMETHODCALLTYPE FindItem(ISearchItem* item, ULONG* index) override;
    HRESULT STDMETHODCALLTYPE CreateElement(CLSID clsid, ISearchItem** item) override;
    HRESULT STDMETHODCALLTYPE Add(ISearchItem* item) override;
    HRESULT STDMETHODCALLTYPE Remove(INT index) override;
    HRESULT STDMETHODCALLTYPE RemoveByID(ULONG id) override;
    HRESULT STDMETHODCALLTYPE Clear() override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_Description(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_URL(BSTR url) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE put_Risk(ULONG risk) override;
    HRESULT STDMETHODCALLTYPE get_Risk(ULONG* risk) override;
    HRESULT STDMETHODCALLTYPE put_ID(ULONG id) override;
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override;

    // IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    HRESULT FindIndexByID(ULONG id, int* index);
    HRESULT Fire_OnItemAdded(ISearchItem* item);
    HRESULT Fire_OnItemRemoved(ISearchItem* item);

    std::vector<CComPtr<ISearchItem>> m_items;
    CComBSTR m_name;
    CComBSTR m_description;
    CComBSTR m_url;
    DWORD m_risk;
    DWORD m_id;
};
