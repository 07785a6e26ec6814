// RunAs: the process-wide logon token, its replacement and closing, and the
// HRESULT of a failed logon.

#include "com_test_support.h"

#include "engine/runas.h"

namespace {

bool IsWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

HANDLE DuplicatedProcessToken()
{
    HANDLE process = nullptr, token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process))
        return nullptr;
    DuplicateTokenEx(process, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation, &token);
    CloseHandle(process);
    return token;
}

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

} // namespace

TEST_F(ComTest, RunAsTokenIsSharedReplacedAndClosed)
{
    CComPtr<IRunAs> first, second;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_RunAs, &first));
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_RunAs, &second));
    EXPECT_EQ(E_POINTER, first->get_SecurityToken(nullptr));
    ASSERT_EQ(S_OK, first->put_SecurityToken(0));

    HANDLE a = DuplicatedProcessToken();
    HANDLE b = DuplicatedProcessToken();
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(S_OK, first->put_SecurityToken(reinterpret_cast<LONG_PTR>(a)));
    LONG_PTR held = 0;
    EXPECT_EQ(S_OK, second->get_SecurityToken(&held));   // one token for the process
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(a), held);
    // Putting the held token again keeps it open.
    EXPECT_EQ(S_OK, second->put_SecurityToken(reinterpret_cast<LONG_PTR>(a)));
    EXPECT_TRUE(IsOpenHandle(a));
    // A new one closes the old one.
    EXPECT_EQ(S_OK, second->put_SecurityToken(reinterpret_cast<LONG_PTR>(b)));
    EXPECT_FALSE(IsOpenHandle(a));
    EXPECT_TRUE(IsOpenHandle(b));
    // The token outlives the objects.
    first = nullptr;
    second = nullptr;
    EXPECT_EQ(b, g_hSecurityToken.Get());
    EXPECT_TRUE(IsOpenHandle(b));
    // Null releases it.
    CComPtr<IRunAs> third;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_RunAs, &third));
    EXPECT_EQ(S_OK, third->put_SecurityToken(0));
    EXPECT_FALSE(IsOpenHandle(b));
    EXPECT_EQ(S_OK, third->get_SecurityToken(&held));
    EXPECT_EQ(0, held);
}

TEST_F(ComTest, RunAsLogonFailureResults)
{
    // HRESULT_FROM_WIN32, except that no error code is no success.
    EXPECT_EQ(E_FAIL, CRunAs::LogonFailure(0));
    EXPECT_EQ(static_cast<HRESULT>(0x8007052E), CRunAs::LogonFailure(ERROR_LOGON_FAILURE));
    EXPECT_EQ(E_ACCESSDENIED, CRunAs::LogonFailure(ERROR_ACCESS_DENIED));
    EXPECT_EQ(static_cast<HRESULT>(0x80090308), CRunAs::LogonFailure(0x80090308));
    EXPECT_EQ(static_cast<HRESULT>(0x8007FFFF), CRunAs::LogonFailure(0x0001FFFF));   // low 16 bits only
}

TEST_F(ComTest, RunAsLogonKeepsOrChecksTheToken)
{
    CComPtr<IRunAs> runAs;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_RunAs, &runAs));
    ASSERT_EQ(S_OK, runAs->put_SecurityToken(0));
    char user[256] = "";
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);

    // Checking credentials leaves the held token alone.
    HANDLE mine = DuplicatedProcessToken();
    ASSERT_EQ(S_OK, runAs->put_SecurityToken(reinterpret_cast<LONG_PTR>(mine)));
    HRESULT checked = runAs->CheckUserCredentials(CComBSTR(user), CComBSTR(L"."), CComBSTR(L"secret"));
    LONG_PTR held = 0;
    runAs->get_SecurityToken(&held);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(mine), held);
    EXPECT_TRUE(IsOpenHandle(mine));

    if (!IsWine())
    {
        // Only a real logon refuses a wrong password.
        EXPECT_NE(S_OK, checked);
        EXPECT_TRUE(FAILED(runAs->LogonUser(CComBSTR(user), CComBSTR(L"."), CComBSTR(L"cw-wrong-password"))));
        runAs->get_SecurityToken(&held);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(mine), held);
        runAs->put_SecurityToken(0);
        GTEST_SKIP() << "successful logons need a known password";
    }
    // Under Wine every logon succeeds; a logon replaces (and closes) the held token.
    EXPECT_EQ(S_OK, checked);
    EXPECT_EQ(S_OK, runAs->LogonUser(CComBSTR(user), CComBSTR(L"."), CComBSTR(L"any")));
    runAs->get_SecurityToken(&held);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(mine), held);
    EXPECT_FALSE(IsOpenHandle(mine));
    EXPECT_EQ(S_OK, runAs->LogonUser(nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, runAs->put_SecurityToken(0));
}
