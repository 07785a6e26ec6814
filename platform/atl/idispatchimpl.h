#pragma once
// IDispatch of a dual interface from its type library: names, dispatch ids
// and calls come from the interface's type information.
//
//   class CThing : public CComObjectRootEx<CComSingleThreadModel>,
//                  public IDispatchImpl<IThing, &IID_IThing, &LIBID_ThingLib>
//   BEGIN_COM_MAP(CThing) COM_INTERFACE_ENTRY(IThing) COM_INTERFACE_ENTRY(IDispatch) END_COM_MAP()

#include "platform/atl/atlbase.h"

// The type information of one interface, loaded on first use and kept until
// the module's Term. It is read from TYPELIB 1 of the executable when that is
// the library asked for, else from the registered library.
class CComTypeInfoHolder
{
public:
    const GUID* m_pguid;
    const GUID* m_plibid;
    WORD m_wMajor;
    WORD m_wMinor;
    ITypeInfo* m_pInfo;

    HRESULT GetTI(LCID lcid, ITypeInfo** ppInfo);
    HRESULT GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** ppInfo);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
    HRESULT Invoke(IDispatch* object, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

private:
    HRESULT Load(LCID lcid);
    static void Release(void* holder);
};

template <class T, const IID* piid, const GUID* plibid, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public T
{
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** ppInfo) override
    {
        return _tih.GetTypeInfo(itinfo, lcid, ppInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override
    {
        return _tih.GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override
    {
        return _tih.Invoke(static_cast<T*>(this), id, riid, lcid, flags, params, result, excepInfo, argErr);
    }

    static CComTypeInfoHolder _tih;
};

template <class T, const IID* piid, const GUID* plibid, WORD wMajor, WORD wMinor>
CComTypeInfoHolder IDispatchImpl<T, piid, plibid, wMajor, wMinor>::_tih = {piid, plibid, wMajor, wMinor, nullptr};
