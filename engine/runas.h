#pragma once
// RunAs: logs a Windows user on and keeps the logon token for the whole
// process, so that the engine's workers can impersonate that user.

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

// Holds one Windows handle (null when none) and closes it when replaced or
// when the process ends.
class CAutoHandle
{
public:
    CAutoHandle() : m_handle(nullptr) {}
    ~CAutoHandle() { Reset(nullptr); }

    HANDLE Get() const { return m_handle; }
    // Takes the handle over; the one held before is closed unless it is the
    // same handle.
    void Reset(HANDLE handle);

private:
    CAutoHandle(const CAutoHandle&);
    CAutoHandle& operator=(const CAutoHandle&);

    HANDLE volatile m_handle;
};

// The process-wide logon token every RunAs object shares.
extern CAutoHandle g_hSecurityToken;

class CRunAs : public CComObjectRootEx<CComSingleThreadModel>,
               public CComCoClass<CRunAs, &CLSID_RunAs>,
               public IRunAs
{
public:
    CRunAs();
    ~CRunAs();

    BEGIN_COM_MAP(CRunAs)
        COM_INTERFACE_ENTRY(IRunAs)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE LogonUser(BSTR user, BSTR domain, BSTR password) override;
    HRESULT STDMETHODCALLTYPE CheckUserCredentials(BSTR user, BSTR domain, BSTR password) override;
    HRESULT STDMETHODCALLTYPE get_SecurityToken(LONG_PTR* token) override;
    HRESULT STDMETHODCALLTYPE put_SecurityToken(LONG_PTR token) override;

    // The result of a failed logon: HRESULT_FROM_WIN32 of the error, except
    // that a failure without an error code is E_FAIL rather than success.
    static HRESULT LogonFailure(DWORD error);

private:
    // S_OK with *token the logon token, S_FALSE without LogonUserA, or the
    // failure of the logon.
    HRESULT Logon(BSTR user, BSTR domain, BSTR password, HANDLE* token);

    HMODULE m_advapi;
};
