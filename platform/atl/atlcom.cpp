#include "platform/atl/atlcom.h"

DWORD CComDynamicUnkArray::Add(IUnknown* sink)
{
    // Once every place is empty no cookie is outstanding: start over, so
    // advise/unadvise cycles do not grow the array.
    bool allEmpty = true;
    for (IUnknown* p : m_places)
        allEmpty = allEmpty && p == nullptr;
    if (allEmpty)
        m_places.clear();
    m_places.push_back(sink);
    return CookieOf(GetSize() - 1);
}

bool CComDynamicUnkArray::Remove(DWORD cookie)
{
    if (cookie == 0 || cookie > m_places.size())
        return false;
    IUnknown*& place = m_places[cookie - 1];
    if (!place)
        return false;
    IUnknown* sink = place;
    place = nullptr;
    sink->Release();
    return true;
}

void CComDynamicUnkArray::RemoveAll()
{
    std::vector<IUnknown*> old;
    old.swap(m_places);
    for (IUnknown* p : old)
        if (p)
            p->Release();
}

HRESULT STDMETHODCALLTYPE CComConnectionPoint::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint))
    {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CComConnectionPoint::GetConnectionInterface(IID* piid)
{
    if (!piid)
        return E_POINTER;
    *piid = *m_piid;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CComConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppcpc)
{
    if (!ppcpc)
        return E_POINTER;
    *ppcpc = nullptr;
    if (!m_owner)
        return E_UNEXPECTED;
    return m_owner->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(ppcpc));
}

HRESULT STDMETHODCALLTYPE CComConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    IUnknown* typed = nullptr;
    if (FAILED(sink->QueryInterface(*m_piid, reinterpret_cast<void**>(&typed))) || !typed)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = m_vec.Add(typed);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CComConnectionPoint::Unadvise(DWORD cookie)
{
    return m_vec.Remove(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

namespace {

// A new enumerator over a copy of the items, handed out with one reference.
template <class Enum, class Base, class Item>
HRESULT NewEnumerator(const std::vector<Item>& items, IUnknown* owner, Base** ppEnum)
{
    Enum* e = new (std::nothrow) Enum(items, owner);
    if (!e)
        return E_OUTOFMEMORY;
    e->AddRef();
    *ppEnum = e;
    return S_OK;
}

// The point of `iid` on the object behind pUnkCP.
HRESULT FindPoint(IUnknown* pUnkCP, const IID& iid, IConnectionPoint** ppCP)
{
    if (!pUnkCP)
        return E_INVALIDARG;
    CComPtr<IConnectionPointContainer> cpc;
    HRESULT hr = pUnkCP->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    if (FAILED(hr))
        return hr;
    return cpc->FindConnectionPoint(iid, ppCP);
}

} // namespace

HRESULT STDMETHODCALLTYPE CComConnectionPoint::EnumConnections(IEnumConnections** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    std::vector<CONNECTDATA> items;
    for (int i = 0; i < m_vec.GetSize(); ++i)
        if (IUnknown* p = m_vec.GetAt(i))
        {
            CONNECTDATA d;
            d.pUnk = p;
            d.dwCookie = CComDynamicUnkArray::CookieOf(i);
            items.push_back(d);
        }
    return NewEnumerator<CComEnumConnections>(items, m_owner, ppEnum);
}

HRESULT CwConnectionPointContainerBase::DoEnum(IUnknown* owner, void* object, const CwConnectionPointEntry* map,
                                               IEnumConnectionPoints** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    std::vector<IConnectionPoint*> items;
    for (const CwConnectionPointEntry* e = map; e && e->pfnGet; ++e)
    {
        CComConnectionPoint* cp = e->pfnGet(object);
        cp->SetOwner(owner);
        items.push_back(cp);
    }
    return NewEnumerator<CComEnumConnectionPoints>(items, owner, ppEnum);
}

HRESULT CwConnectionPointContainerBase::DoFind(IUnknown* owner, void* object, const CwConnectionPointEntry* map,
                                               REFIID iid, IConnectionPoint** ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    for (const CwConnectionPointEntry* e = map; e && e->pfnGet; ++e)
    {
        CComConnectionPoint* cp = e->pfnGet(object);
        if (IsEqualIID(cp->GetIID(), iid))
        {
            cp->SetOwner(owner);
            cp->AddRef();
            *ppCP = cp;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT AtlAdvise(IUnknown* pUnkCP, IUnknown* sink, const IID& iid, LPDWORD pdw)
{
    CComPtr<IConnectionPoint> cp;
    HRESULT hr = FindPoint(pUnkCP, iid, &cp);
    return FAILED(hr) ? hr : cp->Advise(sink, pdw);
}

HRESULT AtlUnadvise(IUnknown* pUnkCP, const IID& iid, DWORD dw)
{
    CComPtr<IConnectionPoint> cp;
    HRESULT hr = FindPoint(pUnkCP, iid, &cp);
    return FAILED(hr) ? hr : cp->Unadvise(dw);
}
