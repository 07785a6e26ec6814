#pragma once
// Shared pieces of the help, news, About and update pages' tests: the
// shell's "open" recorded instead of run, and the update service with a
// data folder and an engine of the test's own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appconstants.h"
#include "app/definitionsinfo.h"
#include "app/vostelupdatemanager.h"
#include "engine/engineobjects.h"
#include "foundation/byteorder.h"
#include "foundation/syshelpers.h"
#include "tests/pages/test_page_host.h"
#include "tests/app/app_test_support.h"
#include "tests/app/fake_engine.h"
#include "tests/app/update_test_server.h"

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

// Pumps until the update job's download receives data (of the database
// when downloadingDatabase). A stop asked before that may land while the
// request is still being opened, and the download then ends as a failure to
// connect rather than as stopped; from now on a stop ends it as stopped.
inline bool WaitUntilDownloadReceives(bool downloadingDatabase = false, DWORD timeoutMs = 30000)
{
    return PumpUntil(
        [downloadingDatabase] {
            CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
            return manager->IsJobRunning() &&
                   (!downloadingDatabase || manager->m_nState == CUpdateManager::StateDownloading) &&
                   manager->m_download.m_dwState == CHttpFileDownload::stateReceiving;
        },
        timeoutMs);
}

} // namespace help_test

// A scanner whose scan starts as the new database is installed and runs
// for three questions; it reads databases as told.
class CScanAfterInstall : public CScannerStub
{
public:
    int scanQuestions = 3;
    int initializeCalls = 0;
    int scanQuestionsLeftAtInitialize = -1;
    HRESULT initializeResult = S_FALSE;
    HRESULT STDMETHODCALLTYPE get_Running(BOOL* running) override
    {
        *running = FALSE;
        if (CVostelUpdateManager::Instance()->m_nState == CUpdateManager::StateDone && scanQuestions > 0)
        {
            --scanQuestions;
            *running = TRUE;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR, BSTR) override
    {
        if (initializeCalls++ == 0)
            scanQuestionsLeftAtInitialize = scanQuestions;
        return initializeResult;
    }
    HRESULT STDMETHODCALLTYPE GetDatabaseInfo(ULONG* stamp, ULONG* programs, ULONG* items) override
    {
        *stamp = help_test::kOldStamp;
        *programs = *items = 1;
        return S_OK;
    }
};

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

    // The engine's scanner with the database in use.
    void OpenEngine(CComPtr<IScanner>& scanner)
    {
        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Scanner, &scanner));
        const std::string inUse = InUse();
        ASSERT_EQ(S_OK, scanner->Initialize(CComBSTR(std::wstring(inUse.begin(), inUse.end()).c_str()),
                                            CComBSTR(CW_DEFINITIONS_KEY_TEXT)));
    }

    TempFolder m_data;
};
