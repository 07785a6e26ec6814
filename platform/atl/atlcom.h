#pragma once
// Connection points of the ATL-like layer: the container, one point per
// outgoing interface, their enumerators, and AtlAdvise/AtlUnadvise.
//
//   class CThing : public CComObjectRootEx<CComSingleThreadModel>,
//                  public IThing,
//                  public IConnectionPointContainerImpl<CThing>,
//                  public IConnectionPointImpl<CThing, &IID_IThingEvents>
//   BEGIN_COM_MAP(CThing) ... COM_INTERFACE_ENTRY(IConnectionPointContainer) END_COM_MAP()
//   BEGIN_CONNECTION_POINT_MAP(CThing) CONNECTION_POINT_ENTRY(IID_IThingEvents) END_CONNECTION_POINT_MAP()
//
// Sinks sit in advise order; an unadvised sink leaves an empty place, so
// raising an event visits the live sinks in the order they subscribed.

#include "platform/atl/atlbase.h"

// Sink references with stable places; cookie = place + 1.
class CComDynamicUnkArray
{
public:
    CComDynamicUnkArray() {}
    ~CComDynamicUnkArray() { RemoveAll(); }
    CComDynamicUnkArray(const CComDynamicUnkArray&) = delete;
    CComDynamicUnkArray& operator=(const CComDynamicUnkArray&) = delete;

    // Takes over one reference; returns the cookie (never 0).
    DWORD Add(IUnknown* sink);
    // Releases the sink of that cookie; false when the cookie holds none.
    bool Remove(DWORD cookie);
    void RemoveAll();
    int GetSize() const { return static_cast<int>(m_places.size()); }
    // Null for an empty place or an index outside the array.
    IUnknown* GetAt(int index) const
    {
        return index >= 0 && index < GetSize() ? m_places[static_cast<size_t>(index)] : nullptr;
    }
    static DWORD CookieOf(int index) { return static_cast<DWORD>(index) + 1; }

private:
    std::vector<IUnknown*> m_places;
};

// IConnectionPoint of one outgoing interface; lives inside its container and
// shares the container's reference count.
class CComConnectionPoint : public IConnectionPoint
{
public:
    explicit CComConnectionPoint(const IID* piid) : m_piid(piid), m_owner(nullptr) {}
    virtual ~CComConnectionPoint() {}

    void SetOwner(IUnknown* owner) { m_owner = owner; }
    const IID& GetIID() const { return *m_piid; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner ? m_owner->AddRef() : 1; }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner ? m_owner->Release() : 1; }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* piid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppcpc) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

    CComDynamicUnkArray m_vec;

private:
    const IID* m_piid;
    IUnknown* m_owner;
};

// Base of a class that raises the events of one outgoing interface.
template <class T, const IID* piid>
class IConnectionPointImpl
{
public:
    IConnectionPointImpl() : m_cp(piid) {}
    CComConnectionPoint m_cp;
    CComDynamicUnkArray& Sinks() { return m_cp.m_vec; }
};

// A copy of a list, enumerated through IEnumConnections or IEnumConnectionPoints.
template <class Base, class Item>
class CComEnumImpl : public Base
{
public:
    CComEnumImpl(const std::vector<Item>& items, IUnknown* owner, ULONG pos = 0)
        : m_ref(0), m_items(items), m_pos(pos), m_owner(owner)
    {
        for (Item& item : m_items)
            AddRefItem(item);
    }
    virtual ~CComEnumImpl()
    {
        for (Item& item : m_items)
            ReleaseItem(item);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Base)))
        {
            *ppv = static_cast<Base*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG l = ::InterlockedDecrement(&m_ref);
        if (l == 0) delete this;
        return static_cast<ULONG>(l);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override
    {
        if (fetched) *fetched = 0;
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        while (n < count && m_pos < m_items.size())
        {
            out[n] = m_items[m_pos++];
            AddRefItem(out[n]);
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        ULONG left = static_cast<ULONG>(m_items.size()) - m_pos;
        if (count > left) { m_pos = static_cast<ULONG>(m_items.size()); return S_FALSE; }
        m_pos += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { m_pos = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(Base** out) override
    {
        if (!out) return E_POINTER;
        CComEnumImpl* copy = new (std::nothrow) CComEnumImpl(m_items, m_owner, m_pos);
        if (!copy) { *out = nullptr; return E_OUTOFMEMORY; }
        copy->AddRef();
        *out = copy;
        return S_OK;
    }

private:
    static void AddRefItem(CONNECTDATA& d) { if (d.pUnk) d.pUnk->AddRef(); }
    static void ReleaseItem(CONNECTDATA& d) { if (d.pUnk) d.pUnk->Release(); }
    static void AddRefItem(IConnectionPoint*& p) { if (p) p->AddRef(); }
    static void ReleaseItem(IConnectionPoint*& p) { if (p) p->Release(); }

    LONG m_ref;
    std::vector<Item> m_items;
    ULONG m_pos;
    CComPtr<IUnknown> m_owner;      // keeps the source alive while enumerating
};

typedef CComEnumImpl<IEnumConnections, CONNECTDATA> CComEnumConnections;
typedef CComEnumImpl<IEnumConnectionPoints, IConnectionPoint*> CComEnumConnectionPoints;

// One row of a connection-point map: the point inside the object.
struct CwConnectionPointEntry
{
    CComConnectionPoint* (*pfnGet)(void* object);
};

#define BEGIN_CONNECTION_POINT_MAP(x) \
    typedef x _CPMapClass; \
    static const ::CwConnectionPointEntry* GetConnMap() \
    { \
        static const ::CwConnectionPointEntry _entries[] = {
#define CONNECTION_POINT_ENTRY(iid) \
    { [](void* o) -> ::CComConnectionPoint* { \
          return &static_cast<::IConnectionPointImpl<_CPMapClass, &(iid)>*>( \
                      static_cast<_CPMapClass*>(o))->m_cp; } },
#define END_CONNECTION_POINT_MAP() \
            { nullptr } }; \
        return _entries; \
    }

class CwConnectionPointContainerBase : public IConnectionPointContainer
{
protected:
    HRESULT DoEnum(IUnknown* owner, void* object, const CwConnectionPointEntry* map, IEnumConnectionPoints** ppEnum);
    HRESULT DoFind(IUnknown* owner, void* object, const CwConnectionPointEntry* map, REFIID iid, IConnectionPoint** ppCP);
};

template <class T>
class IConnectionPointContainerImpl : public CwConnectionPointContainerBase
{
public:
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override
    {
        T* self = static_cast<T*>(this);
        return DoEnum(self->GetUnknown(), self, T::GetConnMap(), ppEnum);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** ppCP) override
    {
        T* self = static_cast<T*>(this);
        return DoFind(self->GetUnknown(), self, T::GetConnMap(), iid, ppCP);
    }
};

// Finds the point of `iid` on the object and advises `sink`.
HRESULT AtlAdvise(IUnknown* pUnkCP, IUnknown* sink, const IID& iid, LPDWORD pdw);
HRESULT AtlUnadvise(IUnknown* pUnkCP, const IID& iid, DWORD dw);

// Calls `call` on every live sink of `sinks` (as interface I) in advise
// order; the result of the last sink called, S_OK when there is none. A
// failing sink does not stop the others.
template <class I, class F>
HRESULT FireToSinks(CComDynamicUnkArray& sinks, F call)
{
    HRESULT hr = S_OK;
    for (int i = 0; i < sinks.GetSize(); ++i)
    {
        CComPtr<IUnknown> unk = sinks.GetAt(i);
        if (!unk)
            continue;
        hr = call(static_cast<I*>(static_cast<IUnknown*>(unk)));
    }
    return hr;
}
