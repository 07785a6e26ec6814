#include "app/cleanwardenapplication.h"

#include "app/applicationhost.h"

IApplicationHost* CCleanwardenApplication::s_host = nullptr;
LONG CCleanwardenApplication::s_initialized = 0;
bool CCleanwardenApplication::s_prompting = false;

HRESULT STDMETHODCALLTYPE CCleanwardenApplication::get_Initialized(unsigned char* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = IsProgramInitialized() ? 1 : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CCleanwardenApplication::ShutDown(LONG /*reason*/, LONG* result)
{
    // The answer goes out in the result as well: a script client through
    // IDispatch sees S_FALSE as plain success.
    int agreed = 1;
    if (s_host)
    {
        // The question is modal: a second client's call arrives while it is open.
        if (s_prompting)
            agreed = 0;
        else
        {
            s_prompting = true;
            agreed = s_host->PromptClose();
            s_prompting = false;
        }
    }
    if (result)
        *result = agreed ? 1 : 0;
    return agreed ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CCleanwardenApplication::Initialize()
{
    ::InterlockedExchange(&s_initialized, 1);
    return S_OK;
}

void CCleanwardenApplication::SetHost(IApplicationHost* host)
{
    s_host = host;
}

bool CCleanwardenApplication::IsProgramInitialized()
{
    return ::InterlockedCompareExchange(&s_initialized, 0, 0) > 0;
}
