#pragma once
// ThreatCollection: the ordered threats of a scan result, ignore list or
// backup. It listens to each of its threats and passes their item events on
// as OnSubItem... events, so one subscription sees every item added.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

class CThreatCollection : public CComObjectRootEx<CComSingleThreadModel>,
                          public CComCoClass<CThreatCollection, &CLSID_ThreatCollection>,
                          public IThreatCollection,
                          public IPersistStream,
                          public IThreatEvents,
                          public IConnectionPointContainerImpl<CThreatCollection>,
                          public IConnectionPointImpl<CThreatCollection, &IID_IThreatCollectionEvents>
{
public:
    CThreatCollection();
    void FinalRelease();

    BEGIN_COM_MAP(CThreatCollection)
        COM_INTERFACE_ENTRY(IThreatCollection)
        COM_INTERFACE_ENTRY(IPersistStream)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        COM_INTERFACE_ENTRY(IThreatEvents)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CThreatCollection)
        CONNECTION_POINT_ENTRY(IID_IThreatCollectionEvents)
    END_CONNECTION_POINT_MAP()

    // IThreatCollection
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_Item(INT index, IThreat** threat) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Lookup(ULONG id, IThreat** threat) override;
    HRESULT STDMETHODCALLTYPE CreateElement(CLSID clsid, IThreat** threat) override;
    HRESULT STDMETHODCALLTYPE Add(IThreat* threat) override;
    HRESULT STDMETHODCALLTYPE Remove(INT index) override;
    HRESULT STDMETHODCALLTYPE RemoveByID(ULONG id) override;
    HRESULT STDMETHODCALLTYPE Clear() override;
    HRESULT STDMETHODCALLTYPE put_Complete(LONG complete) override;
    HRESULT STDMETHODCALLTYPE get_Complete(LONG* complete) override;

    // IThreatEvents of the threats held
    HRESULT STDMETHODCALLTYPE OnItemAdded(IThreat* source, ISearchItem* item) override;
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IThreat* source, ISearchItem* item) override;
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IThreat* source, ISearchItem* item) override;

    // IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    HRESULT FindIndexByID(ULONG id, int* index);
    void Unsubscribe(size_t index);

    std::vector<CComPtr<IThreat>> m_threats;
    std::vector<DWORD> m_cookies;   // 0: the subscription to that threat failed
    LONG m_complete;
};
