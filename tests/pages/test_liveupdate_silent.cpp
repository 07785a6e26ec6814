// The scheduled definitions update without a window, against the local
// update service: on its task thread it updates the data folder's database,
// makes the engine (living on the UI thread) reload it through the task's
// marshalled pointer, updates the statistics and tells the main window only
// by posted messages: one result per run, a success only once the engine
// reads the new database.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/appmessages.h"
#include "app/schedulerhost.h"
#include "app/taskmanager.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "pages/liveupdate.h"
#include "tests/pages/help_test_support.h"

using namespace help_test;

namespace {

class CTestSchedulerHost : public ISchedulerHost
{
public:
    CComPtr<IScanner> scanner;
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    HWND GetMainWindow() override { return nullptr; }
    void RunSilentUpdate() override {}
};

typedef std::vector<std::pair<UINT, LPARAM>> Posted;

class SilentUpdateTest : public UpdateServiceTest
{
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        OpenEngine(m_scheduler.scanner);
        m_pages.window = m_main.Handle();
        CAppStats::Instance()->SetDBVersion("before");
        CAppStats::Instance()->SetSignatures(-1);
        CAppSettings::Instance()->SetAutoScan(true);
    }
    void TearDown() override
    {
        CTaskManager::DeleteInstance();
        SetSchedulerHost(nullptr);
        m_scheduler.scanner.Release();
        CAppStats::DeleteInstance();
        CAppSettings::DeleteInstance();
        UpdateServiceTest::TearDown();
    }

    // RunSilent on a thread of its own, as a task runs it, with the
    // scanner handed over as the task manager hands it, while this (the
    // scanner's) thread keeps its messages flowing; then what was posted.
    // whileRunning is called once the job's download receives data.
    Posted RunSilent(const std::function<void()>& whileRunning = nullptr)
    {
        SetSchedulerHost(&m_scheduler);
        CTaskManager::Instance()->StartScanTasks();
        CLiveUpdate update;
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
                CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
                if (whileRunning && !acted && manager->IsJobRunning() &&
                    manager->m_download.m_dwState == CHttpFileDownload::stateReceiving)
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
        Posted posted;
        for (const MessageRecorder::Message& m : m_main.messages)
        {
            EXPECT_EQ(0u, m.wParam);
            posted.push_back({m.msg, m.lParam});
        }
        return posted;
    }

    MessageRecorder m_main;
    CTestSchedulerHost m_scheduler;
    CTestPageHost m_pages;
};

const Posted kError = {{WM_UPDATE_RESULT, UPDATE_RESULT_ERROR}};

} // namespace

TEST_F(SilentUpdateTest, ANewDatabaseIsInstalledReloadedCountedAndAScanFollows)
{
    const Posted posted = RunSilent();
    EXPECT_EQ((Posted{{WM_REFRESH_STATISTICS, 0}, {WM_UPDATE_RESULT, UPDATE_RESULT_SUCCESS}, {WM_START_SCAN, 1}}),
              posted);
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));

    // The engine reads the new one; the statistics say so.
    ULONG stamp = 0, programs = 0, items = 0;
    ASSERT_EQ(S_OK, m_scheduler.scanner->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_EQ(static_cast<ULONG>(kNewStamp), stamp);
    EXPECT_EQ(std::string(FormatDatabaseDate(kNewStamp)), CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(static_cast<int>(items), CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, WithoutAutoScanNoScanIsStarted)
{
    CAppSettings::Instance()->SetAutoScan(false);
    EXPECT_EQ((Posted{{WM_REFRESH_STATISTICS, 0}, {WM_UPDATE_RESULT, UPDATE_RESULT_SUCCESS}}), RunSilent());
}

TEST_F(SilentUpdateTest, NothingNewIsTheOnlyMessageWhenTheDatabaseIsCurrent)
{
    server().Put("liveupdate\\tcw.php", Stamp(kOldStamp));
    EXPECT_EQ((Posted{{WM_UPDATE_RESULT, UPDATE_RESULT_NOTHING_NEW}}), RunSilent());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ("before", CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(-1, CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, FailuresOfTheServiceAreOneErrorWhateverTheLastJobLeft)
{
    // The last job's state must not be taken for this one's.
    CVostelUpdateManager::Instance()->m_nState = CUpdateManager::StateDone;
    UpdateFolderAs("@404");
    EXPECT_EQ(kError, RunSilent());

    // A versions file too short to hold a stamp; a database cut short.
    UpdateFolderAs("");
    server().Put("liveupdate\\tcw.php", std::string("\x01\x02"));
    m_main.messages.clear();
    EXPECT_EQ(kError, RunSilent());
    server().Put("liveupdate\\tcw.php", Stamp(kNewStamp));
    UpdateFolderAs("@cut");
    m_main.messages.clear();
    EXPECT_EQ(kError, RunSilent());

    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ(-1, CAppStats::Instance()->GetSignatures());
}

TEST_F(SilentUpdateTest, AStoppedDownloadIsNoSuccessAndStartsNoScan)
{
    UpdateFolderAs("@stall");
    const Posted posted = RunSilent([] { CVostelUpdateManager::Instance()->Cancel(); });
    EXPECT_EQ(CUpdateManager::StateStopped, CVostelUpdateManager::Instance()->m_nState);
    EXPECT_EQ(kError, posted);
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
}

TEST_F(SilentUpdateTest, AnUpdateThatCannotStartIsAnError)
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    manager->m_bDefinitionsRequest = true;
    ASSERT_TRUE(manager->Start());
    EXPECT_EQ(kError, RunSilent());
    EXPECT_TRUE(manager->IsJobRunning()) << "the running job is left alone";
    manager->Cancel();
}

TEST_F(SilentUpdateTest, TheReloadWaitsForTheScanAndAFailedReloadIsAnError)
{
    CComObject<CScanAfterInstall>* scanner = nullptr;
    ASSERT_EQ(S_OK, CComObject<CScanAfterInstall>::CreateInstance(&scanner));
    CComPtr<IScanner> keep(scanner);
    m_scheduler.scanner = keep;
    EXPECT_EQ(kError, RunSilent());
    EXPECT_EQ(1, scanner->initializeCalls);
    EXPECT_EQ(0, scanner->scanQuestionsLeftAtInitialize) << "reloaded while the scan ran";
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ("before", CAppStats::Instance()->GetDBVersion());
}
