// The scheduled definitions update without a window, against the local
// update service: on its task thread it updates the data folder's database,
// makes the engine (living on the UI thread) reload it, updates the
// statistics and tells the main window only by posted messages, in the
// order and with the results the main window acts on.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/appconstants.h"
#include "app/appmessages.h"
#include "app/definitionsinfo.h"
#include "app/schedulerhost.h"
#include "app/silentupdate.h"
#include "app/taskmanager.h"
#include "app/vostelupdatemanager.h"
#include "engine/engineobjects.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/byteorder.h"
#include "tests/app/app_test_support.h"
#include "tests/app/update_test_server.h"

namespace {

const LONG kOldStamp = 1600000000;  // old.bin
const LONG kNewStamp = 1700000000;  // new.bin

std::vector<BYTE> Stamp(LONG value)
{
    std::vector<BYTE> bytes(4);
    StoreLE32(bytes.data(), static_cast<DWORD>(value));
    return bytes;
}

class CTestSchedulerHost : public ISchedulerHost
{
public:
    CComPtr<IScanner> scanner;
    HWND window = nullptr;
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    HWND GetMainWindow() override { return window; }
    void RunSilentUpdate() override {}
};

class SilentUpdateTest : public WithUpdateServer<StaTest>
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        ASSERT_TRUE(server().Running());
        server().Put("liveupdate\\tcw.php", Stamp(kNewStamp));
        server().Put("liveupdate\\" CW_DEFINITIONS_FILE_NAME, TempFolder::Read(UpdateTestData("new.bin")));
        SetEnvironmentVariableA(kDataFolderVariable, (m_data.Path() + "\\").c_str());
        ASSERT_TRUE(TempFolder::Write(InUse(), TempFolder::Read(UpdateTestData("old.bin"))));

        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Scanner, &m_host.scanner));
        const std::string inUse = InUse();
        ASSERT_EQ(S_OK, m_host.scanner->Initialize(CComBSTR(std::wstring(inUse.begin(), inUse.end()).c_str()),
                                                   CComBSTR(CW_DEFINITIONS_KEY_TEXT)));
        m_host.window = m_main.Handle();
        SetSchedulerHost(&m_host);
        // The scanner reaches the task threads through the task manager.
        CTaskManager::Instance()->StartScanTasks();

        CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
        manager->SetDefinitionsBaseUrl(server().Url("/liveupdate/").c_str());
        manager->SetVersionsBaseUrl(server().Url("/liveupdate/").c_str());
        CAppStats::Instance()->SetDBVersion("before");
        CAppStats::Instance()->SetSignatures(-1);
        CAppSettings::Instance()->SetAutoScan(true);
    }
    void TearDown() override
    {
        CVostelUpdateManager::Instance()->Cancel();
        PumpUntil([] { return !CVostelUpdateManager::Instance()->IsJobRunning(); }, 30000);
        CTaskManager::DeleteInstance();
        SetSchedulerHost(nullptr);
        m_host.scanner.Release();
        CAppStats::DeleteInstance();
        CAppSettings::DeleteInstance();
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        StaTest::TearDown();
    }

    std::string InUse() const { return m_data.File(CW_DEFINITIONS_FILE_NAME); }

    // RunSilent on a thread of its own, as a task runs it, while this (the
    // scanner's) thread keeps its messages flowing; then what was posted.
    std::vector<MessageRecorder::Message> RunSilent(const std::function<void()>& whileRunning = nullptr)
    {
        CSilentUpdate update(m_definitions);
        update.m_dwPollMs = 50;
        update.m_dwSettleMs = 100;
        std::atomic<bool> done(false);
        std::thread task([&] {
            CoInitialize(nullptr);
            DWORD proxies = 0;
            RegisterEngineProxyStubs(&proxies);
            update.RunSilent();
            RevokeEngineProxyStubs(proxies);
            CoUninitialize();
            done = true;
        });
        bool acted = false;
        const bool ended = PumpUntil(
            [&] {
                if (whileRunning && !acted && CVostelUpdateManager::Instance()->m_nState ==
                                                  CUpdateManager::StateDownloading)
                {
                    acted = true;
                    whileRunning();
                }
                return done.load();
            },
            120000);
        EXPECT_TRUE(ended) << "the silent update did not return";
        if (!ended)
            CVostelUpdateManager::Instance()->Cancel();
        PumpUntil([&] { return done.load(); }, 60000);
        task.join();
        PumpFor(50);
        return m_main.messages;
    }

    TempFolder m_data;
    MessageRecorder m_main;
    CTestSchedulerHost m_host;
    CDefinitionsInfo m_definitions;
};


typedef std::vector<std::pair<UINT, LPARAM>> Posted;

Posted Summary(const std::vector<MessageRecorder::Message>& messages)
{
    Posted posted;
    for (const MessageRecorder::Message& m : messages)
    {
        EXPECT_EQ(0u, m.wParam);
        posted.push_back({m.msg, m.lParam});
    }
    return posted;
}

} // namespace

TEST_F(SilentUpdateTest, ANewDatabaseIsInstalledReloadedCountedAndAScanFollows)
{
    const Posted posted = Summary(RunSilent());
    EXPECT_EQ((Posted{{WM_REFRESH_STATISTICS, 0}, {WM_UPDATE_RESULT, UPDATE_RESULT_SUCCESS}, {WM_START_SCAN, 1}}),
              posted);
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));

    // The engine reads the new one; the statistics say so.
    ULONG stamp = 0, programs = 0, items = 0;
    ASSERT_EQ(S_OK, m_host.scanner->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_EQ(static_cast<ULONG>(kNewStamp), stamp);
    EXPECT_EQ(std::string(FormatDatabaseDate(kNewStamp)), CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(static_cast<int>(items), CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, WithoutAutoScanNoScanIsStarted)
{
    CAppSettings::Instance()->SetAutoScan(false);
    EXPECT_EQ((Posted{{WM_REFRESH_STATISTICS, 0}, {WM_UPDATE_RESULT, UPDATE_RESULT_SUCCESS}}), Summary(RunSilent()));
}

TEST_F(SilentUpdateTest, NothingNewIsTheOnlyMessageWhenTheDatabaseIsCurrent)
{
    server().Put("liveupdate\\tcw.php", Stamp(kOldStamp));
    EXPECT_EQ((Posted{{WM_UPDATE_RESULT, UPDATE_RESULT_NOTHING_NEW}}), Summary(RunSilent()));
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ("before", CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(-1, CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, AFailedUpdateIsAnErrorWhateverTheLastJobLeft)
{
    // The last job's state must not be taken for this one's.
    CVostelUpdateManager::Instance()->m_nState = CUpdateManager::StateDone;
    CVostelUpdateManager::Instance()->SetVersionsBaseUrl(server().Url("/@404/liveupdate/").c_str());
    EXPECT_EQ((Posted{{WM_UPDATE_RESULT, UPDATE_RESULT_ERROR}}), Summary(RunSilent()));
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ(-1, CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, AStoppedDownloadIsNoSuccessAndStartsNoScan)
{
    CVostelUpdateManager::Instance()->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    const Posted posted = Summary(RunSilent([] { CVostelUpdateManager::Instance()->Cancel(); }));
    EXPECT_EQ(CUpdateManager::StateStopped, CVostelUpdateManager::Instance()->m_nState);
    EXPECT_EQ((Posted{{WM_UPDATE_RESULT, UPDATE_RESULT_ERROR}}), posted);
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
}

TEST_F(SilentUpdateTest, NothingHappensWhileAnotherUpdateRuns)
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    manager->m_bDefinitionsRequest = true;
    ASSERT_TRUE(manager->Start());
    EXPECT_TRUE(RunSilent().empty());
    manager->Cancel();
}
