#include "engine/runas.h"

#include <vector>

CAutoHandle g_hSecurityToken;

void CAutoHandle::Reset(HANDLE handle)
{
    HANDLE old = static_cast<HANDLE>(InterlockedExchangePointer(const_cast<PVOID volatile*>(&m_handle), handle));
    if (old && old != handle && old != INVALID_HANDLE_VALUE)
        CloseHandle(old);
}

namespace {

typedef BOOL(WINAPI* LogonUserAFunc)(LPCSTR, LPCSTR, LPCSTR, DWORD, DWORD, PHANDLE);

// ANSI copy of a text; wiped when it goes, for it may hold a password.
class CSecretAnsi
{
public:
    explicit CSecretAnsi(BSTR text) : m_null(text == nullptr)
    {
        if (m_null)
            return;
        int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
        m_buffer.assign(length > 0 ? static_cast<size_t>(length) : 1, '\0');
        if (length > 0)
            WideCharToMultiByte(CP_ACP, 0, text, -1, m_buffer.data(), length, nullptr, nullptr);
    }
    ~CSecretAnsi()
    {
        if (!m_buffer.empty())
            SecureZeroMemory(m_buffer.data(), m_buffer.size());
    }
    LPCSTR Get() const { return m_null ? nullptr : m_buffer.data(); }

private:
    CSecretAnsi(const CSecretAnsi&);
    CSecretAnsi& operator=(const CSecretAnsi&);

    bool m_null;
    std::vector<char> m_buffer;
};

} // namespace

CRunAs::CRunAs() : m_advapi(LoadLibraryA("advapi32.dll"))
{
}

CRunAs::~CRunAs()
{
    if (m_advapi)
        FreeLibrary(m_advapi);
}

HRESULT CRunAs::LogonFailure(DWORD error)
{
    if (error == 0)
        return E_FAIL;
    if (static_cast<HRESULT>(error) < 0)
        return static_cast<HRESULT>(error);
    return static_cast<HRESULT>((error & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}

HRESULT CRunAs::Logon(BSTR user, BSTR domain, BSTR password, HANDLE* token)
{
    *token = nullptr;
    if (!m_advapi)
        return S_FALSE;
    LogonUserAFunc logon = reinterpret_cast<LogonUserAFunc>(
        reinterpret_cast<void*>(GetProcAddress(m_advapi, "LogonUserA")));
    if (!logon)
        return S_FALSE;
    CSecretAnsi userText(user), domainText(domain), passwordText(password);
    HANDLE made = nullptr;
    if (!logon(userText.Get(), domainText.Get(), passwordText.Get(), LOGON32_LOGON_INTERACTIVE,
               LOGON32_PROVIDER_DEFAULT, &made))
        return LogonFailure(GetLastError());
    *token = made;
    return S_OK;
}

HRESULT CRunAs::LogonUser(BSTR user, BSTR domain, BSTR password)
{
    HANDLE token = nullptr;
    HRESULT hr = Logon(user, domain, password, &token);
    if (hr == S_OK)
        g_hSecurityToken.Reset(token);
    return hr;
}

HRESULT CRunAs::CheckUserCredentials(BSTR user, BSTR domain, BSTR password)
{
    HANDLE token = nullptr;
    HRESULT hr = Logon(user, domain, password, &token);
    if (hr == S_OK && token)
        CloseHandle(token);
    return hr;
}

HRESULT CRunAs::get_SecurityToken(LONG_PTR* token)
{
    if (!token)
        return E_POINTER;
    *token = reinterpret_cast<LONG_PTR>(g_hSecurityToken.Get());
    return S_OK;
}

HRESULT CRunAs::put_SecurityToken(LONG_PTR token)
{
    g_hSecurityToken.Reset(reinterpret_cast<HANDLE>(token));
    return S_OK;
}
