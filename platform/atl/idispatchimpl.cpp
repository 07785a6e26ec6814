#include "platform/atl/idispatchimpl.h"

HRESULT CComTypeInfoHolder::GetTI(LCID lcid, ITypeInfo** ppInfo)
{
    if (!ppInfo)
        return E_POINTER;
    *ppInfo = nullptr;
    if (!m_pInfo)
    {
        HRESULT hr = Load(lcid);
        if (FAILED(hr))
            return hr;
    }
    m_pInfo->AddRef();
    *ppInfo = m_pInfo;
    return S_OK;
}

HRESULT CComTypeInfoHolder::GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** ppInfo)
{
    if (!ppInfo)
        return E_POINTER;
    *ppInfo = nullptr;
    if (itinfo != 0)
        return DISP_E_BADINDEX;
    return GetTI(lcid, ppInfo);
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids)
        return E_POINTER;
    CComPtr<ITypeInfo> info;
    HRESULT hr = GetTI(lcid, &info);
    if (FAILED(hr))
        return hr;
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT CComTypeInfoHolder::Invoke(IDispatch* object, DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    CComPtr<ITypeInfo> info;
    HRESULT hr = GetTI(lcid, &info);
    if (FAILED(hr))
        return hr;
    return info->Invoke(object, id, flags, params, result, excepInfo, argErr);
}

HRESULT CComTypeInfoHolder::Load(LCID lcid)
{
    CComPtr<ITypeLib> lib;
    TLIBATTR libAttr = {};
    if (SUCCEEDED(AtlModule().LoadTypeLib(&lib, &libAttr)) && !IsEqualGUID(libAttr.guid, *m_plibid))
        lib.Release();
    if (!lib)
    {
        HRESULT hr = ::LoadRegTypeLib(*m_plibid, m_wMajor, m_wMinor, lcid, &lib);
        if (FAILED(hr))
            return hr;
    }

    CComPtr<ITypeInfo> info;
    HRESULT hr = lib->GetTypeInfoOfGuid(*m_pguid, &info);
    if (FAILED(hr))
        return hr;
    // A dual interface answers with its dispinterface; calls go through the
    // interface's own description, whose functions are vtable slots.
    TYPEATTR* attr = nullptr;
    hr = info->GetTypeAttr(&attr);
    if (FAILED(hr))
        return hr;
    const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    if (dual)
    {
        HREFTYPE ref = 0;
        CComPtr<ITypeInfo> vtable;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, &vtable)))
            info = vtable;
    }

    ITypeInfo* loaded = info.Detach();
    if (::InterlockedCompareExchangePointer(reinterpret_cast<void**>(&m_pInfo), loaded, nullptr) == nullptr)
        AtlModule().AddTermFunc(&CComTypeInfoHolder::Release, this);
    else
        loaded->Release();      // another thread was first
    return S_OK;
}

void CComTypeInfoHolder::Release(void* holder)
{
    CComTypeInfoHolder* self = static_cast<CComTypeInfoHolder*>(holder);
    ITypeInfo* info = static_cast<ITypeInfo*>(::InterlockedExchangePointer(reinterpret_cast<void**>(&self->m_pInfo), nullptr));
    if (info)
        info->Release();
}
