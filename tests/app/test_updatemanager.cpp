// The update road against the local update service: the versions check, the
// database download and its installation, what goes wrong on the way, and
// the latest-version text and installer.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/appconstants.h"
#include "app/vostelupdatemanager.h"
#include "foundation/byteorder.h"
#include "tests/app/app_test_support.h"
#include "tests/app/update_test_server.h"
#include "tests/engine/scan_client.h"

namespace {

typedef std::vector<BYTE> Bytes;

const LONG kOldStamp = 1600000000;  // old.bin
const LONG kNewStamp = 1700000000;  // new.bin, wrongkey.bin

Bytes Stamp(LONG value)
{
    Bytes bytes(4);
    StoreLE32(bytes.data(), static_cast<DWORD>(value));
    bytes.push_back('\n');  // the rest of the versions file is ignored
    return bytes;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class UpdateRoadTest : public WithUpdateServer<StaTest>
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        ASSERT_TRUE(server().Running()) << "the update service did not start";
        server().ClearRequests();
        server().Put("liveupdate\\tcw.php", Stamp(kNewStamp));
        server().Put("liveupdate\\" CW_DEFINITIONS_FILE_NAME, TempFolder::Read(UpdateTestData("new.bin")));
        server().Put("latest.txt", std::string("2.1.154\r\n"));
        server().Put("dl.php", std::string("installer bytes"));
        ASSERT_TRUE(TempFolder::Write(InUse(), TempFolder::Read(UpdateTestData("old.bin"))));

        manager.reset(new CVostelUpdateManager);
        manager->SetDefinitionsBaseUrl(server().Url("/liveupdate/").c_str());
        manager->SetVersionsBaseUrl(server().Url("/liveupdate/").c_str());
        manager->SetLatestInfoUrl(server().Url("/latest.txt").c_str());
        manager->SetInstallerUrl(server().Url("/dl.php ").c_str());
        manager->SetFileName(CW_DEFINITIONS_FILE_NAME);
        manager->SetDownloadFolder((downloads.Path() + "\\").c_str());
        manager->SetDestinationFolder((destination.Path() + "\\").c_str());
        manager->SetDatabaseTime(kOldStamp);
        manager->m_bDefinitionsRequest = true;
    }
    void TearDown() override
    {
        manager.reset();
        StaTest::TearDown();
    }

    std::string InUse() const { return destination.File(CW_DEFINITIONS_FILE_NAME); }
    std::string Downloaded(const char* name = CW_DEFINITIONS_FILE_NAME) const { return downloads.File(name); }

    // Starts the job and follows its state until it ends: the distinct
    // states seen, in order.
    std::vector<LONG> RunJob(DWORD timeoutMs = 60000)
    {
        std::vector<LONG> states;
        EXPECT_TRUE(manager->Start());
        Follow(states, timeoutMs);
        return states;
    }
    void Follow(std::vector<LONG>& states, DWORD timeoutMs)
    {
        const bool ended = PumpUntil(
            [&] {
                const LONG state = manager->m_nState;
                if (states.empty() || states.back() != state)
                    states.push_back(state);
                return !manager->IsJobRunning();
            },
            timeoutMs);
        EXPECT_TRUE(ended) << "the job did not end";
        const LONG last = manager->m_nState;
        if (states.empty() || states.back() != last)
            states.push_back(last);
    }

    bool Requested(const std::string& target) const
    {
        for (const std::string& r : server().Requests())
            if (r == target)
                return true;
        return false;
    }

    // The threats a registry scan with the given database finds.
    std::string ScanWith(const std::string& database)
    {
        PlantedKey marker("Software\\CwUpdateRoad\\Marker");
        ScanClient client;
        EXPECT_EQ(S_OK, client.Open());
        ScanClientOptions options;
        options.database = Wide(database);
        options.keyText = L"" CW_DEFINITIONS_KEY_TEXT;
        options.areas = {saRegistry};
        EXPECT_EQ(S_OK, client.Run(options));
        return client.ResultText();
    }

    TempFolder downloads;
    TempFolder destination;
    DebugLogCapture debugLog;
    std::unique_ptr<CVostelUpdateManager> manager;
};


} // namespace

TEST_F(UpdateRoadTest, AStampNotNewerIsUpToDateForASecondThenIdle)
{
    server().Put("liveupdate\\tcw.php", Stamp(kOldStamp));
    const DWORD begin = GetTickCount();
    const std::vector<LONG> states = RunJob();
    EXPECT_GE(GetTickCount() - begin, 1000u);
    EXPECT_EQ(CUpdateManager::StateIdle, states.back());
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(CUpdateManager::StateUpToDate, states[states.size() - 2]) << ::testing::PrintToString(states);
    EXPECT_EQ(states.end(), std::find(states.begin(), states.end(), CUpdateManager::StateDownloading));
    EXPECT_EQ(kOldStamp, manager->m_lVersionsStamp);
    EXPECT_TRUE(Requested("/liveupdate/tcw.php"));
    EXPECT_FALSE(Requested("/liveupdate/" CW_DEFINITIONS_FILE_NAME));
    EXPECT_FALSE(TempFolder::Exists(Downloaded("tcw.php")));
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
}

TEST_F(UpdateRoadTest, ANewerDatabaseIsDownloadedInstalledAndScannedWith)
{
    EXPECT_EQ(std::string::npos, ScanWith(InUse()).find("Road Marker"));

    const std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateDone, states.back()) << ::testing::PrintToString(states);
    EXPECT_NE(states.end(), std::find(states.begin(), states.end(), CUpdateManager::StateDownloading));
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());
    EXPECT_TRUE(downloads.List().empty());
    EXPECT_EQ(100u, manager->GetProgress());

    // The engine reads the new database.
    EXPECT_NE(std::string::npos, ScanWith(InUse()).find("Road Marker"));
    DWORD stamp = 0, programs = 0, items = 0;
    ASSERT_TRUE(CInternalScanner::ReadDatabaseInfo(Wide(InUse()).c_str(), &stamp, &programs, &items));
    EXPECT_EQ(static_cast<DWORD>(kNewStamp), stamp);
    EXPECT_EQ(2u, programs);
}

TEST_F(UpdateRoadTest, MissingFilesOnTheServerAreErrorsThatChangeNothing)
{
    manager->SetVersionsBaseUrl(server().Url("/@404/liveupdate/").c_str());
    std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateError, states.back());
    EXPECT_FALSE(Requested("/liveupdate/" CW_DEFINITIONS_FILE_NAME));
    EXPECT_NE(std::string::npos,
              debugLog.Text().find("] Message: HttpFileDownload: Cannot connect to server.\nFunction: "
                                   "CVostelUpdateManager::Update\r\n"));

    manager->SetVersionsBaseUrl(server().Url("/liveupdate/").c_str());
    server().Remove("liveupdate\\" CW_DEFINITIONS_FILE_NAME);
    states = RunJob();
    EXPECT_EQ(CUpdateManager::StateError, states.back());
    EXPECT_TRUE(Requested("/liveupdate/" CW_DEFINITIONS_FILE_NAME));
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());
}

TEST_F(UpdateRoadTest, CancelStopsADownloadThatNeverEnds)
{
    manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    std::vector<LONG> states;
    ASSERT_TRUE(manager->Start());
    ASSERT_TRUE(PumpUntil([&] { return manager->m_nState == CUpdateManager::StateDownloading &&
                                       manager->m_download.m_dwStarted; },
                          30000));
    // One job at a time: a second start is refused, the first goes on.
    EXPECT_FALSE(manager->Start());
    EXPECT_TRUE(manager->IsBusy());

    const DWORD cancelled = GetTickCount();
    manager->Cancel();
    EXPECT_EQ(CUpdateManager::StateCancelled, manager->m_nState);
    EXPECT_TRUE(manager->IsBusy());
    Follow(states, 30000);
    EXPECT_LT(GetTickCount() - cancelled, 5000u);
    EXPECT_EQ(CUpdateManager::StateStopped, states.back());
    EXPECT_FALSE(manager->IsBusy());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_NE(std::string::npos, debugLog.Text().find("HttpFileDownload: User stopped"));
}

TEST_F(UpdateRoadTest, AVersionsFileShorterThanAStampIsAnError)
{
    server().Put("liveupdate\\tcw.php", Bytes{0x00, 0xF1, 0x53});
    const std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateError, states.back());
    EXPECT_FALSE(Requested("/liveupdate/" CW_DEFINITIONS_FILE_NAME));
    EXPECT_FALSE(TempFolder::Exists(Downloaded("tcw.php")));
    EXPECT_NE(std::string::npos, debugLog.Text().find("] Message: CVostelUpdateManager: cannot open versions file."));
}

TEST_F(UpdateRoadTest, AShortDownloadIsAnErrorAndNothingIsInstalled)
{
    manager->SetDefinitionsBaseUrl(server().Url("/@cut/liveupdate/").c_str());
    const std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateError, states.back());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());
    EXPECT_TRUE(downloads.List().empty());
}

TEST_F(UpdateRoadTest, ADownloadThatIsNoReadableDatabaseIsNeverInstalled)
{
    const std::vector<std::string> unusable = {"wrongkey", "garbage", "empty"};
    for (const std::string& kind : unusable)
    {
        Bytes served = kind == "wrongkey" ? TempFolder::Read(UpdateTestData("wrongkey.bin"))
                       : kind == "garbage" ? Bytes(4096, 0x5A)
                                           : Bytes();
        server().Put("liveupdate\\" CW_DEFINITIONS_FILE_NAME, served);
        const std::vector<LONG> states = RunJob();
        EXPECT_EQ(CUpdateManager::StateError, states.back()) << kind;
        EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse())) << kind;
        EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List()) << kind;
    }
    EXPECT_EQ(3u, CountOf(debugLog.Text(), "] Message: CVostelUpdateManager: the downloaded database cannot be read."));
}

TEST_F(UpdateRoadTest, ADatabaseInUseByARunningScanIsKept)
{
    // A scan holds the database open, paused inside its registry area.
    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    bool paused = false;
    client.Sink().onEvent = [&](const ScanClientEvent& e) {
        if (e.kind == "start" && e.area == saRegistry && !paused)
            paused = SUCCEEDED(client.scanner->Pause(TRUE));
    };
    ScanClientOptions options;
    options.database = Wide(InUse());
    options.keyText = L"" CW_DEFINITIONS_KEY_TEXT;
    options.areas = {saRegistry};
    ASSERT_EQ(S_OK, client.Begin(options));
    ASSERT_TRUE(PumpUntil([&] { return paused; }, 30000));

    std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateError, states.back());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    // The download is kept for the next try.
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(Downloaded()));
    EXPECT_NE(std::string::npos, debugLog.Text().find("] Message: CVostelUpdateManager: cannot replace the file."));
    EXPECT_EQ(std::string::npos, debugLog.Text().find("cannot restore")) << "the database in use was never touched";

    client.scanner->Pause(FALSE);
    ASSERT_TRUE(client.WaitForEnd(30000));
    client.Close();

    // Once the scan has let go, the next update installs it and tidies up.
    states = RunJob();
    EXPECT_EQ(CUpdateManager::StateDone, states.back());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());
    EXPECT_TRUE(downloads.List().empty());
}

TEST_F(UpdateRoadTest, CancelWithoutAJobLeavesNoStopForTheNextOne)
{
    manager->Cancel();
    EXPECT_EQ(CUpdateManager::StateIdle, manager->m_nState);
    manager->m_download.Stop();  // even a stray stop of the download object
    const std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateDone, states.back());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
}

TEST_F(UpdateRoadTest, TheInstallerComesFromTheAddressEndingInABlank)
{
    EXPECT_EQ(std::string(" "), std::string(CVostelUpdateManager::DefaultInstallerUrl).substr(
                                    strlen(CVostelUpdateManager::DefaultInstallerUrl) - 1));
    EXPECT_EQ(0u, std::string(CVostelUpdateManager::DefaultInstallerUrl).rfind("/dl.php ") -
                      (strlen(CVostelUpdateManager::DefaultInstallerUrl) - 8));
    manager->m_bDefinitionsRequest = false;
    manager->m_bProgramRequest = true;
    const std::vector<LONG> states = RunJob();
    EXPECT_EQ(CUpdateManager::StateDone, states.back());
    EXPECT_EQ(Bytes({'i', 'n', 's', 't', 'a', 'l', 'l', 'e', 'r', ' ', 'b', 'y', 't', 'e', 's'}),
              TempFolder::Read(Downloaded("new_temp.exe")));
    // However the address's closing blank travels (Wine's URL canonicalization
    // drops it), the service answers.
    EXPECT_TRUE(Requested("/dl.php%20") || Requested("/dl.php ") || Requested("/dl.php"))
        << ::testing::PrintToString(server().Requests());
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());

    for (const char* target : {"/dl.php", "/dl.php ", "/dl.php%20"})
        EXPECT_EQ("HTTP/1.1 200 OK", server().Get(target)) << "[" << target << "]";

    // An installer that is not there.
    server().Remove("dl.php");
    EXPECT_EQ(CUpdateManager::StateError, RunJob().back());
}

TEST_F(UpdateRoadTest, TheLatestVersionTextIsComparedWithTheProgramsOwn)
{
    ASSERT_STREQ("2.1.153", CW_PRODUCT_VERSION);
    const struct
    {
        const char* text;
        BOOL newer;
    } cases[] = {
        {"2.1.154", TRUE}, {"2.1.153", FALSE}, {"2.1.152", FALSE}, {"3.0.0", TRUE},      {"2.2.0", TRUE},
        {"1.9.999", FALSE}, {"2.1", FALSE},    {"", FALSE},        {"2.1.200\nx", TRUE}, {"v2.1.200", FALSE},
    };
    for (const auto& c : cases)
    {
        server().Put("latest.txt", std::string(c.text));
        manager->m_bNewerProgram = !c.newer;
        EXPECT_EQ(c.newer, manager->DownloadLatestInfo()) << c.text;
        EXPECT_EQ(c.newer != FALSE, manager->m_bNewerProgram) << c.text;
        EXPECT_FALSE(TempFolder::Exists(Downloaded("latest.txt"))) << c.text;
    }
    // A failed download leaves the flag as it was; with no job it shows in the state.
    manager->SetLatestInfoUrl(server().Url("/@404/latest.txt").c_str());
    manager->m_bNewerProgram = true;
    EXPECT_TRUE(manager->DownloadLatestInfo());
    EXPECT_EQ(CUpdateManager::StateError, manager->m_nState);
    EXPECT_FALSE(manager->IsNewerProgramVersion(Downloaded("nothing.txt").c_str()));
}

TEST_F(UpdateRoadTest, TheLatestVersionCheckRunsBesideAJobWithoutDisturbingIt)
{
    manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    ASSERT_TRUE(manager->Start());
    ASSERT_TRUE(PumpUntil([&] { return manager->m_download.m_dwStarted != 0; }, 30000));
    manager->SetLatestInfoUrl(server().Url("/@404/latest.txt").c_str());
    EXPECT_FALSE(manager->DownloadLatestInfo());
    manager->SetLatestInfoUrl(server().Url("/latest.txt").c_str());
    EXPECT_TRUE(manager->DownloadLatestInfo());
    // The job's download goes on, its state untouched.
    EXPECT_EQ(CUpdateManager::StateDownloading, manager->m_nState);
    EXPECT_EQ(CHttpFileDownload::stateReceiving, manager->m_download.m_dwState);
    manager->Cancel();
    std::vector<LONG> states;
    Follow(states, 30000);
    EXPECT_EQ(CUpdateManager::StateStopped, states.back());
}

TEST_F(UpdateRoadTest, ADownloadPathWithoutFolderIsRefused)
{
    for (const char* path : {"definitions.bin", "\\definitions.bin"})
    {
        try
        {
            manager->DownloadFile(server().Url("/liveupdate/tcw.php").c_str(), path);
            ADD_FAILURE() << path;
        }
        catch (CUpdateManagerException* e)
        {
            EXPECT_EQ("Wrong path parameter", std::string(e->m_strMessage));
            e->Delete();
        }
    }
    EXPECT_TRUE(server().Requests().empty());
}

TEST_F(UpdateRoadTest, TheDatabaseInUseIsReplacedInOneMoveNeverWrittenInPlace)
{
    // Written in place, the file that holds the database would be the same
    // file, cut short for a while; replaced by a move it is another file,
    // whole from its first moment.
    auto fileId = [this] {
        BY_HANDLE_FILE_INFORMATION info = {};
        HANDLE file = CreateFileA(InUse().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        GetFileInformationByHandle(file, &info);
        CloseHandle(file);
        return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    const ULONGLONG before = fileId();
    ASSERT_NE(0u, before);
    EXPECT_EQ(CUpdateManager::StateDone, RunJob().back()) << debugLog.Text();
    EXPECT_NE(before, fileId());
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ((std::vector<std::string>{CW_DEFINITIONS_FILE_NAME}), destination.List());
}

namespace {

// A job that ends at once, for cancels that race its end.
class InstantJobManager : public CVostelUpdateManager
{
public:
    void Update() override { m_nState = StateChecking; }
};

} // namespace

TEST(UpdateManagerCancel, ACancelRacingTheEndOfAJobNeverLeavesTheManagerBusy)
{
    InstantJobManager manager;
    volatile bool done = false;
    std::thread canceller([&] {
        while (!done)
            manager.Cancel();
    });
    int busy = 0;
    for (int i = 0; i < 1500; ++i)
    {
        ASSERT_TRUE(manager.Start());
        for (DWORD begin = GetTickCount(); manager.IsJobRunning() && GetTickCount() - begin < 5000;)
            Sleep(0);
        ASSERT_FALSE(manager.IsJobRunning());
        busy += manager.IsBusy() ? 1 : 0;
    }
    done = true;
    canceller.join();
    EXPECT_EQ(0, busy);
}
