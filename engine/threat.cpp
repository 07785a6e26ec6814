#include "engine/threat.h"

#include "engine/engineobjects.h"
#include "engine/searchitem.h"
#include "engine/streamio.h"

CThreat::CThreat() : m_risk(0), m_id(0) {}

HRESULT CThreat::get__NewEnum(IUnknown**)
{
    return E_NOTIMPL;
}

HRESULT CThreat::get_Item(INT index, ISearchItem** item)
{
    if (index < 0 || static_cast<size_t>(index) >= m_items.size())
        return E_INVALIDARG;
    if (!item)
        return E_POINTER;
    return m_items[static_cast<size_t>(index)].CopyTo(item);
}

HRESULT CThreat::get_Count(LONG* count)
{
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(m_items.size());
    return S_OK;
}

HRESULT CThreat::FindIndexByID(ULONG id, int* index)
{
    for (size_t i = 0; i < m_items.size(); ++i)
    {
        ULONG itemID = 0;
        HRESULT hr = m_items[i]->get_ID(&itemID);
        if (FAILED(hr))
            return hr;
        if (itemID == id)
        {
            *index = static_cast<int>(i);
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT CThreat::Lookup(ULONG itemID, ISearchItem** item)
{
    if (!item) return E_POINTER;
    int index = -1;
    HRESULT hr = FindIndexByID(itemID, &index);
    if (FAILED(hr))
        return hr;
    return m_items[static_cast<size_t>(index)].CopyTo(item);
}

HRESULT CThreat::FindItem(ISearchItem* item, ULONG* index)
{
    if (!index) return E_POINTER;
    *index = 0xFFFFFFFF;
    if (!item) return E_POINTER;
    for (size_t i = 0; i < m_items.size(); ++i)
    {
        HRESULT hr = m_items[i]->IsEqual(item);
        if (FAILED(hr))
            return hr;
        if (hr == S_OK)
        {
            *index = static_cast<ULONG>(i);
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CThreat::CreateElement(CLSID clsid, ISearchItem** item)
{
    if (!item) return E_POINTER;
    return EngineCreateInstance(clsid, IID_ISearchItem, reinterpret_cast<void**>(item));
}

HRESULT CThreat::Add(ISearchItem* item)
{
    if (!item) return E_POINTER;
    ULONG index = 0;
    if (FindItem(item, &index) != S_FALSE)
        return E_INVALIDARG;
    m_items.push_back(item);
    Fire_OnItemAdded(item);
    return S_OK;
}

HRESULT CThreat::Remove(INT index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_items.size())
        return E_INVALIDARG;
    CComPtr<ISearchItem> item = m_items[static_cast<size_t>(index)];
    m_items.erase(m_items.begin() + index);
    Fire_OnItemRemoved(item);
    return S_OK;
}

HRESULT CThreat::RemoveByID(ULONG id)
{
    int index = -1;
    HRESULT hr = FindIndexByID(id, &index);
    if (FAILED(hr))
        return hr;
    return Remove(index);
}

HRESULT CThreat::Clear()
{
    m_items.clear();
    return S_OK;
}

HRESULT CThreat::put_Name(BSTR name) { return CopyBstrUpToNul(name, m_name); }
HRESULT CThreat::get_Name(BSTR* name) { return CopyBstrOut(m_name, name); }
HRESULT CThreat::put_Description(BSTR text) { return CopyBstrUpToNul(text, m_description); }
HRESULT CThreat::get_Description(BSTR* text) { return CopyBstrOut(m_description, text); }
HRESULT CThreat::put_URL(BSTR url) { return CopyBstrUpToNul(url, m_url); }
HRESULT CThreat::get_URL(BSTR* url) { return CopyBstrOut(m_url, url); }
HRESULT CThreat::put_Risk(ULONG risk) { m_risk = risk; return S_OK; }
HRESULT CThreat::get_Risk(ULONG* risk) { if (!risk) return E_POINTER; *risk = m_risk; return S_OK; }
HRESULT CThreat::put_ID(ULONG id) { m_id = id; return S_OK; }
HRESULT CThreat::get_ID(ULONG* id) { if (!id) return E_POINTER; *id = m_id; return S_OK; }

HRESULT CThreat::Fire_OnItemAdded(ISearchItem* item)
{
    IThreat* self = this;
    return FireToSinks<IThreatEvents>(Sinks(), [&](IThreatEvents* s) { return s->OnItemAdded(self, item); });
}

HRESULT CThreat::Fire_OnItemRemoved(ISearchItem* item)
{
    IThreat* self = this;
    return FireToSinks<IThreatEvents>(Sinks(), [&](IThreatEvents* s) { return s->OnItemRemoved(self, item); });
}

HRESULT CThreat::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Threat;
    return S_OK;
}

HRESULT CThreat::IsDirty()
{
    return S_OK;
}

HRESULT CThreat::Load(IStream* stream)
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT hr = ReadStreamU32(stream, &m_id);
    if (FAILED(hr)) return hr;
    hr = ReadStreamString(stream, &m_name);
    if (FAILED(hr)) return hr;
    hr = ReadStreamString(stream, &m_description);
    if (FAILED(hr)) return hr;
    hr = ReadStreamU32(stream, &m_risk);
    if (FAILED(hr)) return hr;
    DWORD count = 0;
    hr = ReadStreamU32(stream, &count);
    if (FAILED(hr)) return hr;
    Clear();
    for (DWORD i = 0; i < count; ++i)
    {
        CComPtr<ISearchItem> item;
        hr = EngineCreateInstance(CLSID_SearchItem, &item);
        if (FAILED(hr)) return hr;
        CComQIPtr<IPersistStream> persist(item);
        if (!persist) return E_FAIL;
        hr = persist->Load(stream);
        if (FAILED(hr)) return hr;
        Add(item);      // an item equal to one loaded before is dropped
    }
    return S_OK;
}

HRESULT CThreat::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT hr = WriteStreamU32(stream, m_id);
    if (SUCCEEDED(hr)) hr = WriteStreamString(stream, m_name);
    if (SUCCEEDED(hr)) hr = WriteStreamString(stream, m_description);
    if (SUCCEEDED(hr)) hr = WriteStreamU32(stream, m_risk);
    if (SUCCEEDED(hr)) hr = WriteStreamU32(stream, static_cast<DWORD>(m_items.size()));
    if (FAILED(hr)) return hr;
    for (const CComPtr<ISearchItem>& item : m_items)
    {
        CComQIPtr<IPersistStream> persist(item);
        if (!persist) return E_FAIL;
        hr = persist->Save(stream, clearDirty);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CThreat::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}
