#include "engine/proxystubs.h"

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

extern "C" HRESULT MothtrapGetProxyStubClassObject(REFCLSID clsid, REFIID iid, void** ppv);

namespace {

const IID* const kProxiedInterfaces[] = {
    &IID_ISearchItem, &IID_IThreat, &IID_IThreatEvents, &IID_IThreatCollection,
    &IID_IThreatCollectionEvents, &IID_IPaths, &IID_IBackup, &IID_IIgnoreList,
    &IID_ILogRecord, &IID_ILog, &IID_ILogEvents, &IID_IRunAs, &IID_IScannerEvents,
    &IID_IScanner, &IID_IQuarantine, &IID_IQuarantineEvents,
};

// The factory answers under the first interface's IID, as MIDL-built proxies do.
const CLSID& ProxyStubClsid()
{
    return IID_ISearchItem;
}

} // namespace

HRESULT RegisterEngineProxyStubs(DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    CComPtr<IUnknown> factory;
    HRESULT hr = MothtrapGetProxyStubClassObject(ProxyStubClsid(), IID_IUnknown, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = CoRegisterClassObject(ProxyStubClsid(), factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, cookie);
    if (FAILED(hr))
        return hr;
    for (const IID* iid : kProxiedInterfaces)
    {
        hr = CoRegisterPSClsid(*iid, ProxyStubClsid());
        if (FAILED(hr))
        {
            CoRevokeClassObject(*cookie);
            *cookie = 0;
            return hr;
        }
    }
    return S_OK;
}

HRESULT RevokeEngineProxyStubs(DWORD cookie)
{
    return CoRevokeClassObject(cookie);
}
