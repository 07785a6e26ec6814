#pragma once
// The application object (coclass CleanwardenApplication): through it
// another process asks whether the running program is initialised and asks
// it to close. Every object answers for the whole process: the program's own
// object and those of other clients share one initialised state.

#include "app/comserverids.h"
#include "app/telmincleanwarden.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/idispatchimpl.h"

class IApplicationHost;

class CCleanwardenApplication
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CCleanwardenApplication, &CLSID_CleanwardenApplication>,
      public IDispatchImpl<ICleanwardenApplication, &IID_ICleanwardenApplication, &LIBID_TelminCleanwardenLib>
{
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_CLEANWARDENAPPLICATION)
    DECLARE_AGGREGATABLE(CCleanwardenApplication)

    BEGIN_COM_MAP(CCleanwardenApplication)
        COM_INTERFACE_ENTRY(ICleanwardenApplication)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    // 1 once the program is initialised, else 0.
    HRESULT STDMETHODCALLTYPE get_Initialized(unsigned char* pVal) override;
    // S_OK when the program agreed to close, S_FALSE when the user refused or
    // another ShutDown is still asking; *result (if given) is 0. A server
    // without a host has no window: S_OK at once.
    HRESULT STDMETHODCALLTYPE ShutDown(LONG reason, LONG* result) override;
    // Marks the program initialised.
    HRESULT STDMETHODCALLTYPE Initialize() override;

    // The desktop program sets itself as host while it can be asked to
    // close; null (the default) for a window-less server. UI thread only.
    static void SetHost(IApplicationHost* host);
    static bool IsProgramInitialized();

private:
    static IApplicationHost* s_host;
    static LONG s_initialized;
    static bool s_prompting;
};
