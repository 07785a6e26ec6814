#pragma once
// The small ATL-like COM layer the engine and the application are built on:
// smart pointers and BSTR wrapper, text conversion, reference-counted object
// bases with interface maps, aggregation, class factories, the module's
// class-object table with its registry scripts and type library, and the
// HRESULT check that raises a COM error.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <comdef.h>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------- errors

// Raises a failing HRESULT as _com_error (with the thread's error info, if
// any); callers catch it at the end of the operation.
void CheckHResult(HRESULT hr);

// ---------------------------------------------------------------- text

// UTF-16 from narrow text in the given code page; a null input gives null.
class CA2W
{
public:
    explicit CA2W(LPCSTR text, UINT codePage = CP_ACP);
    operator LPWSTR() const { return m_null ? nullptr : const_cast<LPWSTR>(m_buf.data()); }
private:
    std::vector<WCHAR> m_buf;
    bool m_null;
};

// Narrow text in the given code page from UTF-16; a null input gives null.
// Characters the code page cannot hold become its default character.
class CW2A
{
public:
    explicit CW2A(LPCWSTR text, UINT codePage = CP_ACP);
    // The first `length` UTF-16 units, embedded NULs included.
    CW2A(LPCWSTR text, int length, UINT codePage);
    operator LPSTR() const { return m_null ? nullptr : const_cast<LPSTR>(m_buf.data()); }
private:
    void Convert(LPCWSTR text, int length, UINT codePage);
    std::vector<char> m_buf;
    bool m_null;
};

// ---------------------------------------------------------------- BSTR

class CComBSTR
{
public:
    BSTR m_str;

    CComBSTR() : m_str(nullptr) {}
    CComBSTR(LPCOLESTR text);                   // null gives null
    CComBSTR(int length, LPCOLESTR text);       // length units (text may be null: zeros)
    explicit CComBSTR(LPCSTR text);             // ANSI code page; null gives null
    CComBSTR(const CComBSTR& other);
    CComBSTR(CComBSTR&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
    ~CComBSTR() { ::SysFreeString(m_str); }

    CComBSTR& operator=(const CComBSTR& other);
    CComBSTR& operator=(CComBSTR&& other) noexcept;
    CComBSTR& operator=(LPCOLESTR text);

    operator BSTR() const { return m_str; }
    BSTR* operator&() { return &m_str; }
    bool operator!() const { return m_str == nullptr; }

    unsigned int Length() const { return ::SysStringLen(m_str); }
    unsigned int ByteLength() const { return ::SysStringByteLen(m_str); }

    BSTR Copy() const;                          // same byte length; null stays null
    HRESULT CopyTo(BSTR* out) const;            // E_POINTER for null, E_OUTOFMEMORY
    void Attach(BSTR text) { if (m_str != text) { ::SysFreeString(m_str); m_str = text; } }
    BSTR Detach() { BSTR s = m_str; m_str = nullptr; return s; }
    void Empty() { ::SysFreeString(m_str); m_str = nullptr; }

    HRESULT Append(LPCOLESTR text, int length);
    HRESULT Append(LPCOLESTR text);
    HRESULT Append(const CComBSTR& other) { return Append(other.m_str, static_cast<int>(other.Length())); }
    CComBSTR& operator+=(LPCOLESTR text) { CheckHResult(Append(text)); return *this; }
    CComBSTR& operator+=(const CComBSTR& other) { CheckHResult(Append(other)); return *this; }

    // Exact comparison of the units up to Length(); null equals the empty text.
    bool operator==(LPCOLESTR text) const;
    bool operator!=(LPCOLESTR text) const { return !(*this == text); }
};

// ---------------------------------------------------------------- pointers

template <class T>
class CComPtr
{
public:
    T* p;

    CComPtr() : p(nullptr) {}
    CComPtr(T* q) : p(q) { if (p) p->AddRef(); }
    CComPtr(const CComPtr& other) : p(other.p) { if (p) p->AddRef(); }
    CComPtr(CComPtr&& other) noexcept : p(other.p) { other.p = nullptr; }
    ~CComPtr() { if (p) p->Release(); }

    CComPtr& operator=(T* q)
    {
        if (q) q->AddRef();
        if (p) p->Release();
        p = q;
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) { return *this = other.p; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != std::addressof(other)) { if (p) p->Release(); p = other.p; other.p = nullptr; }
        return *this;
    }

    operator T*() const { return p; }
    T& operator*() const { return *p; }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
    bool operator!() const { return p == nullptr; }

    void Release() { T* q = p; if (q) { p = nullptr; q->Release(); } }
    void Attach(T* q) { if (p) p->Release(); p = q; }
    T* Detach() { T* q = p; p = nullptr; return q; }
    HRESULT CopyTo(T** out) const
    {
        if (!out) return E_POINTER;
        *out = p;
        if (p) p->AddRef();
        return S_OK;
    }
    template <class Q> HRESULT QueryInterface(Q** out) const
    {
        if (!out) return E_POINTER;
        if (!p) { *out = nullptr; return E_POINTER; }
        return p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(out));
    }
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer = nullptr, DWORD context = CLSCTX_ALL)
    {
        Release();
        return ::CoCreateInstance(clsid, outer, context, __uuidof(T), reinterpret_cast<void**>(&p));
    }
    // Same COM identity (compared through IUnknown).
    bool IsEqualObject(IUnknown* other) const
    {
        if (!p && !other) return true;
        if (!p || !other) return false;
        CComPtr<IUnknown> a, b;
        p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a.p));
        other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b.p));
        return a.p == b.p;
    }
};

template <class T, const IID* piid = &__uuidof(T)>
class CComQIPtr : public CComPtr<T>
{
public:
    CComQIPtr() {}
    CComQIPtr(T* q) : CComPtr<T>(q) {}
    CComQIPtr(const CComQIPtr& other) : CComPtr<T>(other.p) {}
    CComQIPtr(IUnknown* unk) { if (unk) unk->QueryInterface(*piid, reinterpret_cast<void**>(&this->p)); }
    CComQIPtr& operator=(T* q) { CComPtr<T>::operator=(q); return *this; }
    CComQIPtr& operator=(const CComQIPtr& other) { CComPtr<T>::operator=(other.p); return *this; }
    CComQIPtr& operator=(IUnknown* unk)
    {
        T* q = nullptr;
        if (unk) unk->QueryInterface(*piid, reinterpret_cast<void**>(&q));
        this->Attach(q);
        return *this;
    }
};

// ---------------------------------------------------------------- objects

class CComFakeCriticalSection
{
public:
    void Lock() {}
    void Unlock() {}
};

class CComAutoCriticalSection
{
public:
    CComAutoCriticalSection() { ::InitializeCriticalSection(&m_sec); }
    ~CComAutoCriticalSection() { ::DeleteCriticalSection(&m_sec); }
    CComAutoCriticalSection(const CComAutoCriticalSection&) = delete;
    CComAutoCriticalSection& operator=(const CComAutoCriticalSection&) = delete;
    void Lock() { ::EnterCriticalSection(&m_sec); }
    void Unlock() { ::LeaveCriticalSection(&m_sec); }
private:
    CRITICAL_SECTION m_sec;
};

// Objects of one apartment: plain counter, no lock.
class CComSingleThreadModel
{
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(++(*p)); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(--(*p)); }
    typedef CComFakeCriticalSection CriticalSection;
};

class CComMultiThreadModel
{
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(::InterlockedIncrement(p)); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(::InterlockedDecrement(p)); }
    typedef CComAutoCriticalSection CriticalSection;
};

// One interface of an object: its IID and the offset of its vtable pointer.
struct CwInterfaceEntry
{
    const IID* piid;
    ULONG_PTR offset;
};

#define CW_OFFSETOFCLASS(base, derived) \
    (reinterpret_cast<ULONG_PTR>(static_cast<base*>(reinterpret_cast<derived*>(8))) - 8)

class CComObjectRootBase
{
public:
    CComObjectRootBase() : m_dwRef(0) {}
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    // IUnknown gives the first entry; anything absent E_NOINTERFACE.
    static HRESULT InternalQueryInterface(void* object, const CwInterfaceEntry* entries,
                                          REFIID iid, void** ppv);
    LONG m_dwRef;
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase
{
public:
    typedef ThreadModel _ThreadModel;
    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
    void Lock() { m_critsec.Lock(); }
    void Unlock() { m_critsec.Unlock(); }
private:
    typename ThreadModel::CriticalSection m_critsec;
};

// Interface map: BEGIN_COM_MAP(CThing) COM_INTERFACE_ENTRY(IThing) END_COM_MAP().
// The first entry also answers IUnknown.
#define BEGIN_COM_MAP(x) \
public: \
    typedef x _ComMapClass; \
    static const ::CwInterfaceEntry* _GetEntries() \
    { \
        static const ::CwInterfaceEntry _entries[] = {
#define COM_INTERFACE_ENTRY(I) { &__uuidof(I), CW_OFFSETOFCLASS(I, _ComMapClass) },
#define COM_INTERFACE_ENTRY_IID(iid, I) { &(iid), CW_OFFSETOFCLASS(I, _ComMapClass) },
#define COM_INTERFACE_ENTRY2(I, I2) \
    { &__uuidof(I), reinterpret_cast<ULONG_PTR>(static_cast<I*>(static_cast<I2*>( \
                        reinterpret_cast<_ComMapClass*>(8)))) - 8 },
#define END_COM_MAP() \
            { nullptr, 0 } }; \
        return _entries; \
    } \
    HRESULT _InternalQueryInterface(REFIID iid, void** ppv) \
    { return InternalQueryInterface(this, _GetEntries(), iid, ppv); } \
    IUnknown* GetUnknown() \
    { return reinterpret_cast<IUnknown*>(reinterpret_cast<ULONG_PTR>(this) + _GetEntries()[0].offset); } \
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0; \
    virtual ULONG STDMETHODCALLTYPE Release() = 0; \
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) = 0;

// Module-wide lock count of the server (live objects and LockServer calls).
class CComModule;
CComModule& AtlModule();

// A creatable object: CComObject<CThing>.
template <class Base>
class CComObject : public Base
{
public:
    CComObject();
    virtual ~CComObject();
    ULONG STDMETHODCALLTYPE AddRef() override { return this->InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG l = this->InternalRelease();
        if (l == 0)
            delete this;
        return l;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return this->_InternalQueryInterface(iid, ppv);
    }
    // A new object with reference count 0 after FinalConstruct succeeded.
    static HRESULT CreateInstance(CComObject<Base>** pp)
    {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        CComObject<Base>* p = new (std::nothrow) CComObject<Base>();
        if (!p) return E_OUTOFMEMORY;
        // Guarded so that FinalConstruct may hand out and drop references.
        p->InternalAddRef();
        HRESULT hr = p->FinalConstruct();
        p->InternalRelease();
        if (FAILED(hr)) { delete p; return hr; }
        *pp = p;
        return hr;
    }
};

typedef HRESULT (WINAPI *CwCreatorFunc)(void* outer, REFIID iid, void** ppv);

template <class T>
class CComCreator
{
public:
    static HRESULT WINAPI CreateInstance(void* outer, REFIID iid, void** ppv)
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        CComObject<T>* p = nullptr;
        HRESULT hr = CComObject<T>::CreateInstance(&p);
        if (FAILED(hr)) return hr;
        p->AddRef();
        hr = p->QueryInterface(iid, ppv);
        p->Release();
        return hr;
    }
};

// An aggregated object's interfaces: their IUnknown goes to the outer object.
template <class Base>
class CComContainedObject : public Base
{
public:
    explicit CComContainedObject(IUnknown* outer) : m_pOuterUnknown(outer) {}
    ULONG STDMETHODCALLTYPE AddRef() override { return m_pOuterUnknown->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_pOuterUnknown->Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return m_pOuterUnknown->QueryInterface(iid, ppv);
    }
    IUnknown* m_pOuterUnknown;
};

// An object made inside an outer one: this is its own (non-delegating)
// IUnknown, which only the outer object holds; the object's interfaces
// delegate to the outer object.
template <class Base>
class CComAggObject : public IUnknown
{
public:
    explicit CComAggObject(IUnknown* outer);
    virtual ~CComAggObject();
    CComAggObject(const CComAggObject&) = delete;
    CComAggObject& operator=(const CComAggObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG l = ::InterlockedDecrement(&m_dwRef);
        if (l == 0)
            delete this;
        return static_cast<ULONG>(l);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown))
        {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(iid, ppv);
    }

    // The inner IUnknown of a new object inside `outer`, reference count 1.
    static HRESULT CreateInstance(IUnknown* outer, IUnknown** ppInner)
    {
        if (!ppInner)
            return E_POINTER;
        *ppInner = nullptr;
        CComAggObject<Base>* p = new (std::nothrow) CComAggObject<Base>(outer);
        if (!p)
            return E_OUTOFMEMORY;
        p->AddRef();
        HRESULT hr = p->m_contained.FinalConstruct();
        if (FAILED(hr))
        {
            p->Release();
            return hr;
        }
        *ppInner = p;
        return hr;
    }

    LONG m_dwRef;
    CComContainedObject<Base> m_contained;
};

// Creator of a class that may be aggregated: with an outer object only
// IUnknown may be asked for (COM's rule), and the inner IUnknown is returned.
template <class T>
class CComAggCreator
{
public:
    static HRESULT WINAPI CreateInstance(void* outer, REFIID iid, void** ppv)
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!outer)
            return CComCreator<T>::CreateInstance(nullptr, iid, ppv);
        if (!IsEqualIID(iid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        return CComAggObject<T>::CreateInstance(static_cast<IUnknown*>(outer), reinterpret_cast<IUnknown**>(ppv));
    }
};

#define DECLARE_AGGREGATABLE(x) public: typedef ::CComAggCreator<x> _CreatorClass;
#define DECLARE_NOT_AGGREGATABLE(x) public: typedef ::CComCreator<x> _CreatorClass;

// Registry script of a class: UpdateRegistry(TRUE) registers it, FALSE
// takes it away. CComCoClass gives classes none.
#define DECLARE_NO_REGISTRY() \
    static HRESULT WINAPI UpdateRegistry(BOOL) { return S_OK; }
#define DECLARE_REGISTRY_RESOURCEID(id) \
    static HRESULT WINAPI UpdateRegistry(BOOL bRegister) \
    { return ::AtlModule().UpdateRegistryFromResource(id, bRegister); }

template <class T, const CLSID* pclsid>
class CComCoClass
{
public:
    typedef CComCreator<T> _CreatorClass;
    DECLARE_NO_REGISTRY()
    static const CLSID& WINAPI GetObjectCLSID() { return *pclsid; }
    template <class Q> static HRESULT CreateInstance(Q** pp)
    {
        return T::_CreatorClass::CreateInstance(nullptr, __uuidof(Q), reinterpret_cast<void**>(pp));
    }
};

// IClassFactory over a creator function; the factory object is free-threaded.
class CComClassFactory : public IClassFactory
{
public:
    explicit CComClassFactory(CwCreatorFunc creator) : m_ref(0), m_creator(creator) {}
    virtual ~CComClassFactory() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
private:
    LONG m_ref;
    CwCreatorFunc m_creator;
};

typedef HRESULT (WINAPI *CwUpdateRegistryFunc)(BOOL bRegister);

// One row of a class-object table.
struct CwObjectEntry
{
    const CLSID* pclsid;
    CwCreatorFunc pfnCreateInstance;
    CwUpdateRegistryFunc pfnUpdateRegistry;     // null: the class has no registry script
    IUnknown* pCF;          // class factory, made on first use
    DWORD dwRegister;       // CoRegisterClassObject cookie, 0 when not registered
};

#define BEGIN_OBJECT_MAP(x) static ::CwObjectEntry x[] = {
#define OBJECT_ENTRY(clsid, cls) { &(clsid), &cls::_CreatorClass::CreateInstance, &cls::UpdateRegistry, nullptr, 0 },
// A class served by its class object only: no registry script, not aggregatable.
#define OBJECT_ENTRY_NO_REGISTRY(clsid, cls) { &(clsid), &::CComCreator<cls>::CreateInstance, nullptr, nullptr, 0 },
#define END_OBJECT_MAP() { nullptr, nullptr, nullptr, nullptr, 0 } };

// The process's COM module: its lock count, its class-object tables, and
// the registration of its classes and type library. The module is the
// executable.
class CComModule
{
public:
    CComModule();
    ~CComModule();
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    // Adds a table ending in a null CLSID; a table already added is ignored.
    void AddObjectMap(CwObjectEntry* map);
    void RemoveObjectMap(CwObjectEntry* map);

    LONG Lock();
    // When the count comes back to 0 the last-unlock handler runs, on the
    // thread that unlocked.
    LONG Unlock();
    LONG GetLockCount() const { return m_lockCount; }
    typedef void (*LastUnlockHandler)(void* context);
    void SetLastUnlockHandler(LastUnlockHandler handler, void* context);

    HINSTANCE GetModuleInstance() const { return m_hInst; }
    // Full path of the executable.
    std::wstring GetModulePath() const;

    // Registry scripts (resources of type "REGISTRY") see %MODULE% (the
    // executable's path in double quotes, as a command line needs it with
    // blanks in the folder), %MODULE_RAW% (the bare path) and the
    // replacements added here (a key added again takes the new value).
    void AddCommonReplacement(LPCOLESTR key, LPCOLESTR value);
    HRESULT UpdateRegistryFromResource(UINT id, BOOL bRegister);

    // TYPELIB 1 of the executable, with its attributes if asked.
    HRESULT LoadTypeLib(ITypeLib** ppLib, TLIBATTR* pAttr);
    // The same registered with the executable's path, or taken away; taking
    // away a library that is not registered succeeds.
    HRESULT RegisterTypeLib();
    HRESULT UnRegisterTypeLib();

    // The registry script of every listed class, then the type library.
    HRESULT RegisterServer(BOOL bRegTypeLib);
    // Best effort: every script and the library are taken away even when one
    // fails; the first failure is returned.
    HRESULT UnregisterServer(BOOL bUnRegTypeLib);

    // Runs at Term, last added first (type information caches release there).
    void AddTermFunc(void (*func)(void* data), void* data);

    // The class factory of a listed class; CLASS_E_CLASSNOTAVAILABLE otherwise.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
    // A new object of a listed class, made directly in the caller's apartment.
    HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** ppv);

    // CoRegisterClassObject of every listed class; on a failure the ones
    // registered by this call are revoked again and the failure returned.
    HRESULT RegisterClassObjects(DWORD context, DWORD flags);
    // CoRevokeClassObject of every registered class; the last failure wins.
    HRESULT RevokeClassObjects();
    // Releases the class factories (after revoking).
    void Term();

private:
    CwObjectEntry* Find(REFCLSID clsid);
    HRESULT EnsureFactory(CwObjectEntry* entry);
    std::vector<CwObjectEntry*> Entries();

    LONG m_lockCount;
    std::vector<CwObjectEntry*> m_maps;
    CComAutoCriticalSection m_sec;
    HINSTANCE m_hInst;
    LastUnlockHandler m_lastUnlock;
    void* m_lastUnlockContext;
    std::vector<std::pair<std::wstring, std::wstring>> m_replacements;
    std::vector<std::pair<void (*)(void*), void*>> m_termFuncs;
};

template <class Base>
CComObject<Base>::CComObject() { AtlModule().Lock(); }

template <class Base>
CComObject<Base>::~CComObject()
{
    // A high count keeps references taken during FinalRelease from deleting again.
    this->m_dwRef = 0x3FFFFFFF;
    this->FinalRelease();
    AtlModule().Unlock();
}

template <class Base>
CComAggObject<Base>::CComAggObject(IUnknown* outer) : m_dwRef(0), m_contained(outer)
{
    AtlModule().Lock();
}

template <class Base>
CComAggObject<Base>::~CComAggObject()
{
    m_dwRef = 0x3FFFFFFF;
    m_contained.FinalRelease();
    AtlModule().Unlock();
}
