#pragma once
// Shared pieces of the help, news, About and update pages' tests: the
// application as the pages see it (IPageHost) over a scanner of the test's
// own, the shell's "open" recorded instead of run, and the update service
// with a data folder of the test's own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appconstants.h"
#include "app/definitionsinfo.h"
#include "app/vostelupdatemanager.h"
#include "foundation/byteorder.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "tests/app/app_test_support.h"
#include "tests/app/update_test_server.h"

class CHelpTestPageHost : public IPageHost
{
public:
    CHelpTestPageHost() : m_previous(SetPageHost(this)) {}
    ~CHelpTestPageHost() { SetPageHost(m_previous); }

    CComPtr<IScanner> scanner;
    HWND window = nullptr;
    HCURSOR linkCursor = ::LoadCursorA(nullptr, IDC_HAND);

    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    CComPtr<IQuarantine>* GetQuarantine() override { return nullptr; }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return nullptr; }
    CEngineEventDispatcher* GetEventDispatcher() override { return nullptr; }
    void SetDefaultDialogSkin(CString) override {}
    void ApplyDefaultDialogSkin() override {}
    HCURSOR GetLinkCursor() const override { return linkCursor; }
    void GetDefinitionsPath(CString& path) const override
    {
        path = GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME;
    }
    DWORD GetDefinitionsItemCount() override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        return count;
    }
    void GetDefinitionsDate(CTime& date) override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        date = CTime(static_cast<__time64_t>(stamp));
    }
    void GetDatabaseDateText(CString& text) override
    {
        CTime date;
        GetDefinitionsDate(date);
        text = FormatDatabaseDate(static_cast<ULONG>(date.GetTime()));
    }
    HWND GetMainWindow() override { return window; }
    CString GetCommandLineText() override { return ""; }

private:
    IPageHost* m_previous;
    CDefinitionsInfo m_definitions;
};

// What the pages hand to the shell while this lives; nothing is started.
class ShellOpens
{
public:
    struct Opened
    {
        HWND owner;
        std::string path;
    };

    ShellOpens() : m_previous(SetShellOpenHook(&Open)) { Instance() = this; }
    ~ShellOpens()
    {
        SetShellOpenHook(m_previous);
        Instance() = nullptr;
    }

    std::vector<Opened> opened;
    // What the shell answers (above 32: success).
    INT_PTR answer = 42;

private:
    static ShellOpens*& Instance()
    {
        static ShellOpens* instance;
        return instance;
    }
    static HINSTANCE Open(HWND owner, const char* path)
    {
        ShellOpens* self = Instance();
        self->opened.push_back({owner, path ? path : ""});
        return reinterpret_cast<HINSTANCE>(self->answer);
    }

    ShellOpenFn m_previous;
};

// An environment variable set for the lifetime of the object.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name)
    {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(m_name, nullptr); }

private:
    const char* m_name;
};

namespace help_test {

const LONG kOldStamp = 1600000000;  // old.bin
const LONG kNewStamp = 1700000000;  // new.bin

inline std::vector<BYTE> Stamp(LONG value)
{
    std::vector<BYTE> bytes(4);
    StoreLE32(bytes.data(), static_cast<DWORD>(value));
    return bytes;
}

} // namespace help_test

// The update service offering new.bin (newer than the old.bin in the
// test's data folder); the pages' update address points at it.
class UpdateServiceTest : public WithUpdateServer<StaTest>
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        ASSERT_TRUE(server().Running());
        server().Put("liveupdate\\tcw.php", help_test::Stamp(help_test::kNewStamp));
        server().Put("liveupdate\\" CW_DEFINITIONS_FILE_NAME, TempFolder::Read(UpdateTestData("new.bin")));
        server().ClearRequests();
        SetEnvironmentVariableA(kDataFolderVariable, (m_data.Path() + "\\").c_str());
        SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", server().Url("/liveupdate/").c_str());
        ASSERT_TRUE(TempFolder::Write(InUse(), TempFolder::Read(UpdateTestData("old.bin"))));
    }
    void TearDown() override
    {
        CVostelUpdateManager::Instance()->Cancel();
        PumpUntil([] { return !CVostelUpdateManager::Instance()->IsJobRunning(); }, 30000);
        SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", nullptr);
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        StaTest::TearDown();
    }

    // The update service's folder under a request form ("@404", "@stall").
    void UpdateFolderAs(const char* form)
    {
        SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", server().Url(std::string("/") + form + "/liveupdate/").c_str());
    }

    std::string InUse() const { return m_data.File(CW_DEFINITIONS_FILE_NAME); }

    TempFolder m_data;
};
