#include "platform/atl/atlbase.h"

#include "platform/atl/regobject.h"

#include <cstring>
#include <memory>

void CheckHResult(HRESULT hr)
{
    if (FAILED(hr))
    {
        IErrorInfo* info = nullptr;
        if (::GetErrorInfo(0, &info) != S_OK)
            info = nullptr;
        throw _com_error(hr, info);     // takes over the reference
    }
}

// ---------------------------------------------------------------- text

CA2W::CA2W(LPCSTR text, UINT codePage) : m_null(text == nullptr)
{
    if (m_null)
        return;
    int n = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0)
    {
        m_buf.assign(1, L'\0');
        return;
    }
    m_buf.assign(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, m_buf.data(), n);
}

CW2A::CW2A(LPCWSTR text, UINT codePage) : m_null(text == nullptr)
{
    if (!m_null)
        Convert(text, static_cast<int>(wcslen(text)), codePage);
}

CW2A::CW2A(LPCWSTR text, int length, UINT codePage) : m_null(text == nullptr)
{
    if (!m_null)
        Convert(text, length < 0 ? 0 : length, codePage);
}

void CW2A::Convert(LPCWSTR text, int length, UINT codePage)
{
    int n = length == 0 ? 0 : ::WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n < 0)
        n = 0;
    m_buf.assign(static_cast<size_t>(n) + 1, '\0');
    if (n > 0)
        ::WideCharToMultiByte(codePage, 0, text, length, m_buf.data(), n, nullptr, nullptr);
}

// ---------------------------------------------------------------- BSTR

static BSTR AllocOrThrow(LPCOLESTR text, UINT length)
{
    BSTR s = ::SysAllocStringLen(text, length);
    if (!s)
        CheckHResult(E_OUTOFMEMORY);
    return s;
}

CComBSTR::CComBSTR(LPCOLESTR text) : m_str(nullptr)
{
    if (text)
        m_str = AllocOrThrow(text, static_cast<UINT>(wcslen(text)));
}

CComBSTR::CComBSTR(int length, LPCOLESTR text) : m_str(nullptr)
{
    m_str = AllocOrThrow(text, length < 0 ? 0u : static_cast<UINT>(length));
}

CComBSTR::CComBSTR(LPCSTR text) : m_str(nullptr)
{
    if (!text)
        return;
    CA2W wide(text);
    m_str = AllocOrThrow(wide, static_cast<UINT>(wcslen(wide)));
}

CComBSTR::CComBSTR(const CComBSTR& other) : m_str(other.Copy())
{
    if (other.m_str && !m_str)
        CheckHResult(E_OUTOFMEMORY);
}

CComBSTR& CComBSTR::operator=(const CComBSTR& other)
{
    if (this != std::addressof(other))
    {
        BSTR s = other.Copy();
        if (other.m_str && !s)
            CheckHResult(E_OUTOFMEMORY);
        ::SysFreeString(m_str);
        m_str = s;
    }
    return *this;
}

CComBSTR& CComBSTR::operator=(CComBSTR&& other) noexcept
{
    if (this != std::addressof(other))
    {
        ::SysFreeString(m_str);
        m_str = other.m_str;
        other.m_str = nullptr;
    }
    return *this;
}

CComBSTR& CComBSTR::operator=(LPCOLESTR text)
{
    if (text != m_str)
    {
        BSTR s = text ? AllocOrThrow(text, static_cast<UINT>(wcslen(text))) : nullptr;
        ::SysFreeString(m_str);
        m_str = s;
    }
    return *this;
}

BSTR CComBSTR::Copy() const
{
    if (!m_str)
        return nullptr;
    return ::SysAllocStringByteLen(reinterpret_cast<LPCSTR>(m_str), ::SysStringByteLen(m_str));
}

HRESULT CComBSTR::CopyTo(BSTR* out) const
{
    if (!out)
        return E_POINTER;
    *out = Copy();
    if (m_str && !*out)
        return E_OUTOFMEMORY;
    return S_OK;
}

HRESULT CComBSTR::Append(LPCOLESTR text, int length)
{
    if (length <= 0)
        return S_OK;
    UINT old = Length();
    BSTR s = ::SysAllocStringLen(nullptr, old + static_cast<UINT>(length));
    if (!s)
        return E_OUTOFMEMORY;
    if (old)
        memcpy(s, m_str, old * sizeof(WCHAR));
    if (text)
        memcpy(s + old, text, static_cast<size_t>(length) * sizeof(WCHAR));
    else
        memset(s + old, 0, static_cast<size_t>(length) * sizeof(WCHAR));
    ::SysFreeString(m_str);
    m_str = s;
    return S_OK;
}

HRESULT CComBSTR::Append(LPCOLESTR text)
{
    return text ? Append(text, static_cast<int>(wcslen(text))) : S_OK;
}

bool CComBSTR::operator==(LPCOLESTR text) const
{
    UINT n = Length();
    size_t m = text ? wcslen(text) : 0;
    if (n != m)
        return false;
    return n == 0 || memcmp(m_str, text, n * sizeof(WCHAR)) == 0;
}

// ---------------------------------------------------------------- objects

HRESULT CComObjectRootBase::InternalQueryInterface(void* object, const CwInterfaceEntry* entries,
                                                   REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!entries || !entries[0].piid)
        return E_NOINTERFACE;
    const CwInterfaceEntry* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown))
        found = &entries[0];
    else
        for (const CwInterfaceEntry* e = entries; e->piid; ++e)
            if (IsEqualIID(iid, *e->piid)) { found = e; break; }
    if (!found)
        return E_NOINTERFACE;
    IUnknown* unk = reinterpret_cast<IUnknown*>(reinterpret_cast<ULONG_PTR>(object) + found->offset);
    unk->AddRef();
    *ppv = unk;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CComClassFactory::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
    {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CComClassFactory::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_ref));
}

ULONG STDMETHODCALLTYPE CComClassFactory::Release()
{
    LONG l = ::InterlockedDecrement(&m_ref);
    if (l == 0)
        delete this;
    return static_cast<ULONG>(l);
}

HRESULT STDMETHODCALLTYPE CComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!m_creator)
        return E_UNEXPECTED;
    return m_creator(outer, iid, ppv);
}

HRESULT STDMETHODCALLTYPE CComClassFactory::LockServer(BOOL lock)
{
    if (lock)
        AtlModule().Lock();
    else
        AtlModule().Unlock();
    return S_OK;
}

// ---------------------------------------------------------------- module

CComModule& AtlModule()
{
    static CComModule module;
    return module;
}

CComModule::CComModule()
    : m_lockCount(0), m_hInst(::GetModuleHandleW(nullptr)), m_lastUnlock(nullptr), m_lastUnlockContext(nullptr)
{
}

CComModule::~CComModule() {}

void CComModule::AddObjectMap(CwObjectEntry* map)
{
    m_sec.Lock();
    bool present = false;
    for (CwObjectEntry* m : m_maps)
        present = present || m == map;
    if (!present && map)
        m_maps.push_back(map);
    m_sec.Unlock();
}

void CComModule::RemoveObjectMap(CwObjectEntry* map)
{
    m_sec.Lock();
    for (size_t i = 0; i < m_maps.size(); ++i)
        if (m_maps[i] == map) { m_maps.erase(m_maps.begin() + static_cast<ptrdiff_t>(i)); break; }
    m_sec.Unlock();
}

LONG CComModule::Lock()
{
    return ::InterlockedIncrement(&m_lockCount);
}

LONG CComModule::Unlock()
{
    LONG l = ::InterlockedDecrement(&m_lockCount);
    if (l == 0)
    {
        m_sec.Lock();
        LastUnlockHandler handler = m_lastUnlock;
        void* context = m_lastUnlockContext;
        m_sec.Unlock();
        if (handler)
            handler(context);
    }
    return l;
}

void CComModule::SetLastUnlockHandler(LastUnlockHandler handler, void* context)
{
    m_sec.Lock();
    m_lastUnlock = handler;
    m_lastUnlockContext = context;
    m_sec.Unlock();
}

CwObjectEntry* CComModule::Find(REFCLSID clsid)
{
    for (CwObjectEntry* map : m_maps)
        for (CwObjectEntry* e = map; e->pclsid; ++e)
            if (IsEqualCLSID(*e->pclsid, clsid))
                return e;
    return nullptr;
}

HRESULT CComModule::EnsureFactory(CwObjectEntry* entry)
{
    if (entry->pCF)
        return S_OK;
    CComClassFactory* cf = new (std::nothrow) CComClassFactory(entry->pfnCreateInstance);
    if (!cf)
        return E_OUTOFMEMORY;
    cf->AddRef();
    entry->pCF = cf;
    return S_OK;
}

HRESULT CComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    m_sec.Lock();
    HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
    CwObjectEntry* e = Find(clsid);
    if (e)
    {
        hr = EnsureFactory(e);
        if (SUCCEEDED(hr))
            hr = e->pCF->QueryInterface(iid, ppv);
    }
    m_sec.Unlock();
    return hr;
}

HRESULT CComModule::CreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    m_sec.Lock();
    CwObjectEntry* e = Find(clsid);
    CwCreatorFunc creator = e ? e->pfnCreateInstance : nullptr;
    m_sec.Unlock();
    if (!creator)
        return REGDB_E_CLASSNOTREG;
    return creator(outer, iid, ppv);
}

HRESULT CComModule::RegisterClassObjects(DWORD context, DWORD flags)
{
    m_sec.Lock();
    HRESULT hr = S_OK;
    std::vector<CwObjectEntry*> done;
    for (CwObjectEntry* map : m_maps)
    {
        for (CwObjectEntry* e = map; e->pclsid && SUCCEEDED(hr); ++e)
        {
            if (e->dwRegister)
                continue;
            hr = EnsureFactory(e);
            if (SUCCEEDED(hr))
                hr = ::CoRegisterClassObject(*e->pclsid, e->pCF, context, flags, &e->dwRegister);
            if (SUCCEEDED(hr))
                done.push_back(e);
            else
                e->dwRegister = 0;
        }
    }
    if (FAILED(hr))
        for (CwObjectEntry* e : done)
        {
            ::CoRevokeClassObject(e->dwRegister);
            e->dwRegister = 0;
        }
    m_sec.Unlock();
    return hr;
}

HRESULT CComModule::RevokeClassObjects()
{
    m_sec.Lock();
    HRESULT hr = S_OK;
    for (CwObjectEntry* map : m_maps)
        for (CwObjectEntry* e = map; e->pclsid; ++e)
        {
            if (!e->dwRegister)
                continue;
            HRESULT r = ::CoRevokeClassObject(e->dwRegister);
            e->dwRegister = 0;
            if (FAILED(r))
                hr = r;
        }
    m_sec.Unlock();
    return hr;
}

void CComModule::Term()
{
    RevokeClassObjects();
    m_sec.Lock();
    std::vector<std::pair<void (*)(void*), void*>> funcs;
    funcs.swap(m_termFuncs);
    m_sec.Unlock();
    for (auto it = funcs.rbegin(); it != funcs.rend(); ++it)
        it->first(it->second);
    m_sec.Lock();
    for (CwObjectEntry* map : m_maps)
        for (CwObjectEntry* e = map; e->pclsid; ++e)
            if (e->pCF)
            {
                e->pCF->Release();
                e->pCF = nullptr;
            }
    m_sec.Unlock();
}

void CComModule::AddTermFunc(void (*func)(void* data), void* data)
{
    m_sec.Lock();
    m_termFuncs.emplace_back(func, data);
    m_sec.Unlock();
}

std::vector<CwObjectEntry*> CComModule::Entries()
{
    std::vector<CwObjectEntry*> entries;
    m_sec.Lock();
    for (CwObjectEntry* map : m_maps)
        for (CwObjectEntry* e = map; e->pclsid; ++e)
            entries.push_back(e);
    m_sec.Unlock();
    return entries;
}

// ---------------------------------------------------------------- registration

std::wstring CComModule::GetModulePath() const
{
    std::vector<WCHAR> path(MAX_PATH);
    for (;;)
    {
        DWORD n = ::GetModuleFileNameW(m_hInst, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size())
            return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

void CComModule::AddCommonReplacement(LPCOLESTR key, LPCOLESTR value)
{
    m_sec.Lock();
    SetRegReplacement(m_replacements, key, value);
    m_sec.Unlock();
}

HRESULT CComModule::UpdateRegistryFromResource(UINT id, BOOL bRegister)
{
    std::wstring path = GetModulePath();
    if (path.empty())
        return HRESULT_FROM_WIN32(::GetLastError());
    CRegObject registrar;
    registrar.AddReplacement(L"MODULE", (L"\"" + path + L"\"").c_str());
    registrar.AddReplacement(L"MODULE_RAW", path.c_str());
    m_sec.Lock();
    CRegReplacements replacements = m_replacements;
    m_sec.Unlock();
    for (const auto& r : replacements)
        registrar.AddReplacement(r.first.c_str(), r.second.c_str());
    return bRegister ? registrar.ResourceRegister(m_hInst, id, L"REGISTRY")
                     : registrar.ResourceUnregister(m_hInst, id, L"REGISTRY");
}

HRESULT CComModule::LoadTypeLib(ITypeLib** ppLib, TLIBATTR* pAttr)
{
    if (!ppLib)
        return E_POINTER;
    *ppLib = nullptr;
    CComPtr<ITypeLib> lib;
    HRESULT hr = ::LoadTypeLibEx(GetModulePath().c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr))
        return hr;
    if (pAttr)
    {
        TLIBATTR* attr = nullptr;
        hr = lib->GetLibAttr(&attr);
        if (FAILED(hr))
            return hr;
        *pAttr = *attr;
        lib->ReleaseTLibAttr(attr);
    }
    *ppLib = lib.Detach();
    return S_OK;
}

HRESULT CComModule::RegisterTypeLib()
{
    CComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLib(&lib, nullptr);
    if (FAILED(hr))
        return hr;
    std::wstring path = GetModulePath();
    return ::RegisterTypeLib(lib, &path[0], nullptr);
}

HRESULT CComModule::UnRegisterTypeLib()
{
    CComPtr<ITypeLib> lib;
    TLIBATTR a = {};
    HRESULT hr = LoadTypeLib(&lib, &a);
    if (FAILED(hr))
        return hr;

    // The system's call fails for a library that is not registered.
    WCHAR guid[40] = {};
    ::StringFromGUID2(a.guid, guid, 40);
    WCHAR key[80];
    wsprintfW(key, L"TypeLib\\%s\\%x.%x", guid, a.wMajorVerNum, a.wMinorVerNum);
    HKEY version = nullptr;
    LONG r = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &version);
    if (r == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (r == ERROR_SUCCESS)
        ::RegCloseKey(version);
    return ::UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

HRESULT CComModule::RegisterServer(BOOL bRegTypeLib)
{
    for (CwObjectEntry* e : Entries())
    {
        if (!e->pfnUpdateRegistry)
            continue;
        HRESULT hr = e->pfnUpdateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    return bRegTypeLib ? RegisterTypeLib() : S_OK;
}

HRESULT CComModule::UnregisterServer(BOOL bUnRegTypeLib)
{
    HRESULT first = S_OK;
    for (CwObjectEntry* e : Entries())
    {
        if (!e->pfnUpdateRegistry)
            continue;
        HRESULT hr = e->pfnUpdateRegistry(FALSE);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    if (bUnRegTypeLib)
    {
        HRESULT hr = UnRegisterTypeLib();
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}
