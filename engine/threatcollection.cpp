#include "engine/threatcollection.h"

#include "engine/engineobjects.h"
#include "engine/streamio.h"

CThreatCollection::CThreatCollection() : m_complete(1) {}

void CThreatCollection::FinalRelease()
{
    Clear();
}

HRESULT CThreatCollection::get__NewEnum(IUnknown**)
{
    return E_NOTIMPL;
}

HRESULT CThreatCollection::get_Item(INT index, IThreat** threat)
{
    if (index < 0 || static_cast<size_t>(index) >= m_threats.size())
        return E_INVALIDARG;
    if (!threat)
        return E_POINTER;
    return m_threats[static_cast<size_t>(index)].CopyTo(threat);
}

HRESULT CThreatCollection::get_Count(LONG* count)
{
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(m_threats.size());
    return S_OK;
}

HRESULT CThreatCollection::FindIndexByID(ULONG id, int* index)
{
    for (size_t i = 0; i < m_threats.size(); ++i)
    {
        ULONG threatID = 0;
        HRESULT hr = m_threats[i]->get_ID(&threatID);
        if (FAILED(hr))
            return hr;
        if (threatID == id)
        {
            *index = static_cast<int>(i);
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT CThreatCollection::Lookup(ULONG id, IThreat** threat)
{
    if (!threat) return E_POINTER;
    int index = -1;
    HRESULT hr = FindIndexByID(id, &index);
    if (FAILED(hr))
        return hr;
    return m_threats[static_cast<size_t>(index)].CopyTo(threat);
}

HRESULT CThreatCollection::CreateElement(CLSID clsid, IThreat** threat)
{
    if (!threat) return E_POINTER;
    return EngineCreateInstance(clsid, IID_IThreat, reinterpret_cast<void**>(threat));
}

HRESULT CThreatCollection::Add(IThreat* threat)
{
    if (!threat) return E_POINTER;
    m_threats.push_back(threat);
    IThreatCollection* self = this;
    FireToSinks<IThreatCollectionEvents>(Sinks(), [&](IThreatCollectionEvents* s) { return s->OnItemAdded(self, threat); });
    DWORD cookie = 0;
    if (FAILED(AtlAdvise(threat, static_cast<IThreatEvents*>(this), IID_IThreatEvents, &cookie)))
        cookie = 0;
    m_cookies.push_back(cookie);
    return S_OK;
}

void CThreatCollection::Unsubscribe(size_t index)
{
    if (index < m_cookies.size() && m_cookies[index] != 0)
        AtlUnadvise(m_threats[index], IID_IThreatEvents, m_cookies[index]);
}

HRESULT CThreatCollection::Remove(INT index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_threats.size())
        return E_INVALIDARG;
    size_t i = static_cast<size_t>(index);
    CComPtr<IThreat> threat = m_threats[i];
    Unsubscribe(i);
    m_cookies.erase(m_cookies.begin() + index);
    m_threats.erase(m_threats.begin() + index);
    IThreatCollection* self = this;
    FireToSinks<IThreatCollectionEvents>(Sinks(), [&](IThreatCollectionEvents* s) { return s->OnItemRemoved(self, threat); });
    return S_OK;
}

HRESULT CThreatCollection::RemoveByID(ULONG id)
{
    int index = -1;
    HRESULT hr = FindIndexByID(id, &index);
    if (FAILED(hr))
        return hr;
    return Remove(index);
}

HRESULT CThreatCollection::Clear()
{
    // Taken out first: unadvising may release the last reference to this.
    std::vector<CComPtr<IThreat>> threats;
    std::vector<DWORD> cookies;
    threats.swap(m_threats);
    cookies.swap(m_cookies);
    for (size_t i = 0; i < threats.size(); ++i)
        if (i < cookies.size() && cookies[i] != 0)
            AtlUnadvise(threats[i], IID_IThreatEvents, cookies[i]);
    return S_OK;
}

HRESULT CThreatCollection::put_Complete(LONG complete) { m_complete = complete; return S_OK; }
HRESULT CThreatCollection::get_Complete(LONG* complete)
{
    if (!complete) return E_POINTER;
    *complete = m_complete;
    return S_OK;
}

HRESULT CThreatCollection::OnItemAdded(IThreat* source, ISearchItem* item)
{
    IThreatCollection* self = this;
    return FireToSinks<IThreatCollectionEvents>(Sinks(), [&](IThreatCollectionEvents* s) { return s->OnSubItemAdded(self, source, item); });
}

HRESULT CThreatCollection::OnItemRemoved(IThreat* source, ISearchItem* item)
{
    IThreatCollection* self = this;
    return FireToSinks<IThreatCollectionEvents>(Sinks(), [&](IThreatCollectionEvents* s) { return s->OnSubItemRemoved(self, source, item); });
}

HRESULT CThreatCollection::OnItemUpdated(IThreat* source, ISearchItem* item)
{
    IThreatCollection* self = this;
    return FireToSinks<IThreatCollectionEvents>(Sinks(), [&](IThreatCollectionEvents* s) { return s->OnSubItemUpdated(self, source, item); });
}

HRESULT CThreatCollection::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ThreatCollection;
    return S_OK;
}

HRESULT CThreatCollection::IsDirty()
{
    return S_OK;
}

HRESULT CThreatCollection::Load(IStream* stream)
{
    if (!stream)
        return E_INVALIDARG;
    DWORD count = 0;
    HRESULT hr = ReadStreamU32(stream, &count);
    if (FAILED(hr)) return hr;
    Clear();
    for (DWORD i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        hr = EngineCreateInstance(CLSID_Threat, &threat);
        if (FAILED(hr)) return hr;
        CComQIPtr<IPersistStream> persist(threat);
        if (!persist) return E_FAIL;
        hr = persist->Load(stream);
        if (FAILED(hr)) return hr;
        Add(threat);
    }
    return S_OK;
}

HRESULT CThreatCollection::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT hr = WriteStreamU32(stream, static_cast<DWORD>(m_threats.size()));
    if (FAILED(hr)) return hr;
    for (const CComPtr<IThreat>& threat : m_threats)
    {
        CComQIPtr<IPersistStream> persist(threat);
        if (!persist) return E_FAIL;
        hr = persist->Save(stream, clearDirty);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CThreatCollection::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}
