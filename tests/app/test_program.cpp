// The real program, TelminCleanwarden.exe, run in the test prefix from a
// folder with blanks in its name against a data folder of the test's own:
// what a start leaves there, the message of a start without database, a
// second start, the registration switches and a second process that asks
// the running program through COM. Its message boxes are read and answered
// as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include <shlwapi.h>

#include "app/telmincleanwarden.h"
#include "platform/atl/atlbase.h"
#include "tests/app/program_test_support.h"
#include "tests/app/update_test_server.h"

#include <commctrl.h>
#include "ui/programresources.h"

namespace {

const char kMainTitle[] = "Telmin Cleanwarden 2.1.153";

bool WriteText(const std::string& path, const std::string& text)
{
    return TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end()));
}

std::string ReadText(const std::string& path)
{
    std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest() : m_override(m_install.DataFolder()) {}

    void SetUp() override { ASSERT_TRUE(m_install.Ready()); }
    void TearDown() override
    {
        EndServerProcesses(m_install.Program());
        if (m_registered)
        {
            EXPECT_EQ(0u, RunServer(m_install.Program(), "/UnregServer"));
            ExpectNoRegisteredTree();
        }
    }

    // Starts the desktop program and waits for its main window.
    HWND StartDesktop(ServerProcess& process)
    {
        if (!process.Start(m_install.Program(), ""))
            return nullptr;
        return WaitForProcessWindow(process.Id(), "#32770", kMainTitle);
    }

    void Register()
    {
        m_registered = true;
        ASSERT_EQ(0u, RunServer(m_install.Program(), "/RegServer"));
    }

    ProgramInstall m_install;
    DataFolderOverride m_override;
    bool m_registered = false;
};

} // namespace

TEST_F(ProgramTest, AValidDatabaseOpensTheMainWindowAndExitSavesTheData)
{
    ASSERT_TRUE(m_install.PlantDefinitions());
    ServerProcess program;
    HWND main = StartDesktop(program);
    ASSERT_NE(nullptr, main) << m_install.DebugLog();

    // Every settings file made from its defaults and the quarantine folder;
    // the support report file only comes with a report.
    for (const char* file : {"app_settings.xml", "app_stats.xml", "scanner_settings.xml", "scheduled_scan.xml",
                             "scheduled_update.xml", "scheduled_updatesoft.xml"})
        EXPECT_TRUE(TempFolder::Exists(m_install.DataFile(file))) << file;
    EXPECT_FALSE(TempFolder::Exists(m_install.DataFile("report.html")));
    EXPECT_TRUE(TempFolder::Exists(m_install.DataFile("quarantine")));
    EXPECT_NE(std::string::npos, ReadText(m_install.DataFile("app_settings.xml")).find("language=\"English\""));

    // The page container with its five tabs.
    HWND tabs = GetDlgItem(main, IDC_PAGE_CONTAINER);
    ASSERT_NE(nullptr, tabs);
    EXPECT_EQ(5, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));

    // Closing the window only hides it; Exit from the tray menu ends the program.
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(kRunTimedOut, program.Wait(0));
    PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0u, program.Wait(60000));

    // What the shutdown saves and removes.
    EXPECT_TRUE(TempFolder::Exists(m_install.DataFile("ilist.lst")));
    EXPECT_FALSE(TempFolder::Exists(m_install.DataFile("report.html")));
    const std::string stats = ReadText(m_install.DataFile("app_stats.xml"));
    EXPECT_EQ(std::string::npos, stats.find("Signatures=\"0\"")) << stats;
    EXPECT_EQ(std::string::npos, stats.find("DBVersion=\"\"")) << stats;
    EXPECT_EQ(std::string::npos, m_install.DebugLog().find("start-up step")) << m_install.DebugLog();
}

TEST_F(ProgramTest, WithoutDataFolderTheFolderIsMadeAndTheMissingDatabaseIsTold)
{
    ASSERT_FALSE(TempFolder::Exists(m_install.DataFolder()));
    ServerProcess program;
    ASSERT_TRUE(program.Start(m_install.Program(), ""));
    ProgramWindow box = WaitForMessageBox(program.Id(), "Unable to locate component");
    ASSERT_NE(nullptr, box.hwnd) << m_install.DebugLog();
    EXPECT_EQ("Definition database was not found. Re-installing the application may fix this problem", box.text);
    EXPECT_EQ(nullptr, GetWindow(box.hwnd, GW_OWNER));
    EXPECT_EQ(nullptr, FindProcessWindow(program.Id(), "#32770", kMainTitle));
    AnswerMessageBox(box.hwnd, IDOK);
    EXPECT_EQ(0u, program.Wait(60000));

    // The data folder was made, so the settings of this first start are there.
    for (const char* file : {"app_settings.xml", "app_stats.xml", "scanner_settings.xml", "scheduled_scan.xml"})
        EXPECT_TRUE(TempFolder::Exists(m_install.DataFile(file))) << file;
    EXPECT_FALSE(TempFolder::Exists(m_install.DataFile("report.html")));
    EXPECT_NE(std::string::npos,
              m_install.DebugLog().find("Message: start-up step \"read the signature database's records\" failed: "
                                        "0x80070057\nFunction: CCleanwardenApp::InitEngine"))
        << m_install.DebugLog();
}

TEST_F(ProgramTest, ASecondStartEndsAtOnceAndTheFirstGoesOn)
{
    ASSERT_TRUE(m_install.PlantDefinitions());
    ServerProcess first;
    HWND main = StartDesktop(first);
    ASSERT_NE(nullptr, main);

    ServerProcess second;
    ASSERT_TRUE(second.Start(m_install.Program(), ""));
    EXPECT_EQ(0u, second.Wait(30000));
    EXPECT_EQ(kRunTimedOut, first.Wait(0));
    EXPECT_TRUE(IsWindow(main));

    PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0u, first.Wait(60000));
}

TEST_F(ProgramTest, WithoutAReadableLanguageFileTheProgramSaysSoInEnglishAndGoesOn)
{
    ASSERT_TRUE(m_install.PlantDefinitions());
    const std::string english = m_install.Program().File("Lang\\English.ini");
    for (const char* kind : {"garbled", "no language folder"})
    {
        SCOPED_TRACE(kind);
        if (std::string(kind) == "garbled")
            ASSERT_TRUE(WriteText(english, std::string(3000, '\x5A')));
        else
        {
            DeleteFileA(english.c_str());
            RemoveDirectoryA(m_install.Program().File("Lang").c_str());
        }
        DeleteFileA(m_install.Program().File("sdebug.log").c_str());
        ServerProcess program;
        ASSERT_TRUE(program.Start(m_install.Program(), ""));
        ProgramWindow box = WaitForMessageBox(program.Id(), "Telmin Cleanwarden");
        ASSERT_NE(nullptr, box.hwnd) << m_install.DebugLog();
        EXPECT_EQ("The language files of Telmin Cleanwarden could not be read, so its windows will show no texts. "
                  "Re-installing the application may fix this problem.",
                  box.text);
        AnswerMessageBox(box.hwnd, IDOK);
        for (DWORD begin = GetTickCount(); IsWindow(box.hwnd) && GetTickCount() - begin < 30000;)
            Sleep(50);
        // The start goes on: the main window, without its title.
        HWND main = WaitForProcessWindow(program.Id(), "#32770", "");
        ASSERT_NE(nullptr, main) << m_install.DebugLog();
        PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
        EXPECT_EQ(0u, program.Wait(60000));
        const std::string log = m_install.DebugLog();
        EXPECT_NE(std::string::npos, log.find("English.ini could not be read\nFunction: CCleanwardenApp::InitLocalizer"))
            << log;
        EXPECT_NE(std::string::npos, log.find("] Message: no language file could be read in ")) << log;
    }
}

TEST_F(ProgramTest, AChosenLanguageThatCannotBeReadFallsBackToEnglish)
{
    ASSERT_TRUE(m_install.PlantDefinitions());
    ASSERT_TRUE(WriteText(m_install.DataFile("app_settings.xml"),
                          "<general language=\"Deutsch\" hideToTrayOnClose=\"true\" downloadNews=\"true\" "
                          "autoScan=\"true\" autoRunScan=\"true\"/>\n"));
    ServerProcess program;
    HWND main = StartDesktop(program);
    ASSERT_NE(nullptr, main) << m_install.DebugLog();
    EXPECT_EQ(nullptr, FindProcessWindow(program.Id(), "#32770", "Telmin Cleanwarden"));
    PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0u, program.Wait(60000));
    EXPECT_NE(std::string::npos, m_install.DebugLog().find("Deutsch.ini could not be read\nFunction: "
                                                           "CCleanwardenApp::InitLocalizer"))
        << m_install.DebugLog();
}

TEST_F(ProgramTest, TheSwitchesRegisterAndUnregisterTheProgramWhileItRuns)
{
    ASSERT_TRUE(m_install.PlantDefinitions());
    ServerProcess program;
    HWND main = StartDesktop(program);
    ASSERT_NE(nullptr, main);

    Register();
    ExpectRegisteredTree(m_install.Program().Path());
    EXPECT_EQ(0u, RunServer(m_install.Program(), "-unregserver"));
    ExpectNoRegisteredTree();
    m_registered = false;
    EXPECT_EQ(kRunTimedOut, program.Wait(0));

    PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0u, program.Wait(60000));
}

TEST_F(ProgramTest, AnotherProcessAsksTheRunningProgramToCloseThroughCom)
{
    Register();
    ASSERT_TRUE(m_install.PlantDefinitions());
    ServerProcess program;
    HWND main = StartDesktop(program);
    ASSERT_NE(nullptr, main);
    const DWORD programId = program.Id();

    // The user answers the program's question: No, then Yes.
    auto answer = [programId](int button, std::string* text) {
        ProgramWindow box = WaitForMessageBox(programId, "Telmin Cleanwarden");
        if (!box.hwnd)
            return;
        *text = box.text;
        AnswerMessageBox(box.hwnd, button);
    };
    RunInApartment([&] {
        CComPtr<ICleanwardenApplication> app;
        ASSERT_EQ(S_OK, app.CoCreateInstance(CLSID_CleanwardenApplication, nullptr, CLSCTX_LOCAL_SERVER));
        // This process's object answers for the running program.
        unsigned char initialized = 0xEE;
        EXPECT_EQ(S_OK, app->get_Initialized(&initialized));
        EXPECT_EQ(1, initialized);

        std::string asked;
        std::thread no(answer, IDNO, &asked);
        LONG result = 5;
        EXPECT_EQ(S_FALSE, app->ShutDown(0, &result));
        no.join();
        EXPECT_EQ("Do you want close Telmin Cleanwarden?", asked);
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

        asked.clear();
        std::thread yes(answer, IDYES, &asked);
        EXPECT_EQ(S_OK, app->ShutDown(0, &result));
        yes.join();
        EXPECT_EQ("Do you want close Telmin Cleanwarden?", asked);
    });
    EXPECT_EQ(0u, program.Wait(60000));
}

TEST_F(ProgramTest, ARegistrationRunLeavesTheDataFolderAsItWas)
{
    m_install.MakeDataFolder();
    const std::vector<std::string> names = {"report.html", "app_settings.xml", "ilist.lst"};
    for (const std::string& name : names)
        ASSERT_TRUE(WriteText(m_install.DataFile(name.c_str()), "kept: " + name));
    Register();
    EXPECT_EQ(0u, RunServer(m_install.Program(), "/UnregServer"));
    m_registered = false;
    for (const std::string& name : names)
        EXPECT_EQ("kept: " + name, ReadText(m_install.DataFile(name.c_str()))) << name;
}

TEST_F(ProgramTest, StartedByComTheProgramServesWithoutAWindowAndEndsWithItsLastClient)
{
    Register();
    RunInApartment([&] {
        CComPtr<ICleanwardenApplication> app;
        ASSERT_EQ(S_OK, app.CoCreateInstance(CLSID_CleanwardenApplication, nullptr, CLSCTX_LOCAL_SERVER));
        const std::vector<DWORD> ids = ServerProcessIds(m_install.Program());
        ASSERT_EQ(1u, ids.size());
        unsigned char initialized = 0xEE;
        EXPECT_EQ(S_OK, app->get_Initialized(&initialized));
        EXPECT_EQ(0, initialized);
        // Nobody to ask and no window: the answer is yes at once.
        LONG result = 5;
        EXPECT_EQ(S_OK, app->ShutDown(0, &result));
        EXPECT_EQ(nullptr, FindProcessWindow(ids[0], "#32770"));
        // No data folder is touched by a server without the desktop program.
        EXPECT_FALSE(TempFolder::Exists(m_install.DataFile("app_settings.xml")));
    });
    EXPECT_TRUE(WaitForNoServer(m_install.Program(), 30000));
}

TEST_F(ProgramTest, AFailedRegistrationEndsWithExitCodeOneAndLeavesNoHalfClass)
{
    // A volatile ProgID key cannot take the lasting "CLSID" subkey.
    HKEY blocker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, comserver::kProgId, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &blocker, nullptr));
    RegCloseKey(blocker);
    EXPECT_EQ(1u, RunServer(m_install.Program(), "/RegServer"));
    EXPECT_FALSE(KeyExists(comserver::kClassKey));
    EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + comserver::kLibId));
    EXPECT_NE(std::string::npos, m_install.DebugLog().find("COM server registration failed: 0x")) << m_install.DebugLog();
    SHDeleteKeyA(HKEY_CLASSES_ROOT, comserver::kProgId);
}

namespace {

// Starts the program with its definitions update due a few seconds later,
// from the update service's folder as the mode serves it, and waits until
// the update reads the versions file.
HWND StartWithScheduledUpdate(ProgramInstall& install, UpdateTestServer& server, ServerProcess& program,
                              const std::string& mode)
{
    // A versions file that never ends: the update waits in its first read.
    server.Put("liveupdate\\tcw.php", std::string(4096, '\x7f'));
    SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", server.Url("/" + mode + "/liveupdate/").c_str());
    SYSTEMTIME due;
    GetLocalTime(&due);
    FILETIME at;
    SystemTimeToFileTime(&due, &at);
    ULARGE_INTEGER later = {{at.dwLowDateTime, at.dwHighDateTime}};
    later.QuadPart += 4ULL * 10000000ULL;
    at = {later.LowPart, later.HighPart};
    FileTimeToSystemTime(&at, &due);
    char startTime[16];
    wsprintfA(startTime, "%02d:%02d:%02d", due.wHour, due.wMinute, due.wSecond);
    if (!install.PlantDefinitions() ||
        !WriteText(install.DataFile("scheduled_scan.xml"),
                   "<ScheduledScan scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" startTime=\"12:00:00\" "
                   "includePaths=\"false\" Paths=\"\" active=\"true\" enable=\"false\"/>\n") ||
        !WriteText(install.DataFile("scheduled_update.xml"),
                   std::string("<ScheduledUpdate scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" startTime=\"") +
                       startTime + "\" active=\"true\" enable=\"true\"/>\n") ||
        !program.Start(install.Program(), ""))
        return nullptr;
    HWND main = WaitForProcessWindow(program.Id(), "#32770", kMainTitle);
    SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", nullptr);
    const std::string asked = "/" + mode + "/liveupdate/tcw.php";
    for (DWORD begin = GetTickCount(); GetTickCount() - begin < 30000; Sleep(100))
    {
        const std::vector<std::string> requests = server.Requests();
        if (std::find(requests.begin(), requests.end(), asked) != requests.end())
        {
            Sleep(1500);  // past the download's first wait, into its reads
            return main;
        }
    }
    return nullptr;
}

} // namespace

TEST_F(ProgramTest, ExitDuringAScheduledUpdateEndsInBoundedTimeAndTheNextStartWorks)
{
    // "@stall" trickles: the stop ends the read at once. "@hang" says
    // nothing more: under Wine the read waits for its receive time-out,
    // longer than the exit waits for the task's thread, which is left.
    const struct
    {
        const char* mode;
        DWORD exitMs;
        bool left;
    } cases[] = {{"@stall", 8000, false}, {"@hang", 20000, true}};
    UpdateTestServer server;
    ASSERT_TRUE(server.Running());
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.mode);
        DeleteFileA(m_install.Program().File("sdebug.log").c_str());
        ServerProcess program;
        HWND main = StartWithScheduledUpdate(m_install, server, program, c.mode);
        ASSERT_NE(nullptr, main) << m_install.DebugLog();
        const DWORD exit = GetTickCount();
        PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
        EXPECT_EQ(0u, program.Wait(30000));
        EXPECT_LT(GetTickCount() - exit, c.exitMs);
        EXPECT_EQ(c.left, m_install.DebugLog().find("Message: the thread of a scheduled task did not end within "
                                                    "10000 ms and is left running (TCWUpdateSchedule)") !=
                              std::string::npos)
            << m_install.DebugLog();

        // The guard went with it: the next start opens its window.
        ServerProcess next;
        HWND again = StartDesktop(next);
        ASSERT_NE(nullptr, again) << m_install.DebugLog();
        PostMessageA(again, WM_COMMAND, ID_TRAY_EXIT, 0);
        EXPECT_EQ(0u, next.Wait(60000));
    }
}
