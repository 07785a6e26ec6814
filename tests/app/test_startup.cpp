// The application object in this process, against a planted data folder
// and the real engine: what each kind of signature database gives at
// start-up (the message box through the framework's seam, the failed step
// in the debug log), the settings files made from their defaults, the order
// of the shutdown and of ExitInstance, a failed start that stops what it
// started, the ignore list that could not be read, the database facts
// during a scan, closing while a scan or a quarantine action runs, and the
// crash road.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/appmessages.h"
#include "app/cleanwardenapp.h"
#include "app/cleanwardenmodule.h"
#include "app/taskmanager.h"
#include "engine/engineobjects.h"
#include "engine/scanner.h"
#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/syshelpers.h"
#include "skin/skinlibrary.h"
#include "tests/app/app_test_support.h"

namespace {

typedef std::vector<std::string> Steps;

const char kBadDatabaseText[] = "Definition database was not found. Re-installing the application may fix this problem";
const char kBadDatabaseCaption[] = "Unable to locate component";

std::string InstanceName()
{
    static int counter;
    char name[64];
    wsprintfA(name, "CwStartupTest%lu_%d", GetCurrentProcessId(), ++counter);
    return name;
}

std::string ReadText(const std::string& path)
{
    std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The application with the engine made in this apartment, no crash dialog,
// and every step of the shutdown and of ExitInstance recorded.
class CStartupApp : public CCleanwardenApp
{
public:
    explicit CStartupApp(CCleanwardenModule* module = nullptr) : CCleanwardenApp(module, InstanceName().c_str()) {}

    Steps steps;
    std::vector<std::string> reports;

    using CCleanwardenApp::OnStartupException;
    using CCleanwardenApp::ReportCrash;

    void StopSchedules(BOOL withUpdates) override
    {
        steps.push_back(withUpdates ? "stop schedules with updates" : "stop scan schedules");
        CCleanwardenApp::StopSchedules(withUpdates);
    }
    void ShowExceptionReport(CString, CString exceptionText) override
    {
        if (exceptionText.IsEmpty())
            exceptionText = m_strExceptionReport;
        reports.push_back(static_cast<LPCSTR>(exceptionText));
    }
    CScanner* Scanner() { return static_cast<CScanner*>(m_spScanner.p); }

protected:
    HRESULT CreateEngineObject(REFCLSID clsid, REFIID iid, void** object) override
    {
        return EngineCreateInstance(clsid, iid, object);
    }
#define RECORDED(step, name)                                                                                   \
    void step() override                                                                                       \
    {                                                                                                          \
        steps.push_back(name);                                                                                 \
        CCleanwardenApp::step();                                                                               \
    }
    RECORDED(StopEngineWork, "stop engine work")
    RECORDED(ClearScanResults, "clear scan results")
    RECORDED(ExitSkin, "exit skin")
    RECORDED(DeleteSingletons, "delete singletons")
    RECORDED(DeleteAppSettings, "delete app settings")
    RECORDED(SaveAppStats, "save statistics")
    RECORDED(DeleteSettingsFiles, "delete settings files")
    RECORDED(SaveIgnoreList, "save ignore list")
    RECORDED(UnadviseEngine, "unadvise engine")
    RECORDED(ReleaseEventSink, "release event sink")
    RECORDED(DeleteScannerSettings, "delete scanner settings")
    RECORDED(RevokeClassObjects, "revoke class objects")
#undef RECORDED
};

const Steps kShutdownSteps = {"stop engine work", "clear scan results", "stop schedules with updates",
                              "exit skin",        "delete singletons",  "delete app settings",
                              "save statistics",  "delete settings files"};
const Steps kExitSteps = {"save ignore list", "unadvise engine", "release event sink", "delete scanner settings",
                          "revoke class objects"};

Steps Joined(Steps a, const Steps& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class StartupTest : public StaTest
{
protected:
    StartupTest() : m_folder(m_data.Path() + "\\") {}

    void SetUp() override
    {
        StaTest::SetUp();
        SetEnvironmentVariableA(kDataFolderVariable, m_folder.c_str());
        g_boxes.clear();
        g_onBox = nullptr;
        m_previousBox = AfxSetMessageBoxHandler(&RecordBox);
        m_app.reset(new CStartupApp);
    }
    void TearDown() override
    {
        m_app.reset();
        AfxSetMessageBoxHandler(m_previousBox);
        g_onBox = nullptr;
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        StaTest::TearDown();
    }

    std::string File(const char* name) const { return m_folder + name; }
    void PlantDefinitions(const std::string& from = std::string(GetModuleFolder()) + "definitions.bin")
    {
        ASSERT_TRUE(CopyFileA(from.c_str(), File("definitions.bin").c_str(), FALSE));
    }
    // The start-up steps up to the engine, as InitInstance runs them.
    HRESULT StartToTheEngine()
    {
        m_app->EnsureDataFolder();
        m_app->LoadAppSettings();
        m_app->LoadAppStats();
        return m_app->StartEngine();
    }
    // A registry scan of the application's scanner, held at its first record.
    void StartHeldScan(CComPtr<IScanner>& scanner)
    {
        m_app->GetScanner(scanner);
        ASSERT_TRUE(scanner);
        for (int a = 0; a < 7; ++a)
            scanner->put_AreaEnabled(static_cast<ScanAreaType>(a), a == saRegistry);
        m_app->Scanner()->GetInternalScanner().SetPause(true);
        ASSERT_EQ(S_OK, scanner->Start());
    }
    void EndApp()
    {
        m_app->Shutdown();
        m_app->ExitInstance();
    }

    TempFolder m_data;
    std::string m_folder;
    DebugLogCapture m_log;
    AFX_MESSAGEBOX_HANDLER m_previousBox = nullptr;
    std::unique_ptr<CStartupApp> m_app;
};

} // namespace

TEST_F(StartupTest, AValidDatabaseStartsTheEngineAndTheStatisticsTakeItsFacts)
{
    PlantDefinitions();
    ASSERT_EQ(S_OK, StartToTheEngine());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_TRUE(m_app->steps.empty());

    CComPtr<IScanner> scanner;
    m_app->GetScanner(scanner);
    ASSERT_TRUE(scanner);
    EXPECT_TRUE(*m_app->GetQuarantine());
    EXPECT_TRUE(*m_app->GetIgnoreList());
    ULONG stamp = 0, programs = 0, items = 0;
    ASSERT_EQ(S_OK, scanner->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_LT(0u, items);
    EXPECT_EQ(items, m_app->GetDefinitionsItemCount());
    CString path, dateText;
    m_app->GetDefinitionsPath(path);
    EXPECT_EQ(File("definitions.bin"), std::string(path));
    m_app->GetDatabaseDateText(dateText);
    EXPECT_EQ(std::string(CTime(static_cast<__time64_t>(stamp)).Format("%m/%d/%Y")), std::string(dateText));
    EXPECT_TRUE(TempFolder::Exists(File("quarantine")));

    EndApp();
    EXPECT_EQ(Joined(kShutdownSteps, kExitSteps), m_app->steps);
    const std::string stats = ReadText(File("app_stats.xml"));
    EXPECT_NE(std::string::npos, stats.find("Signatures=\"" + std::to_string(items) + "\"")) << stats;
    EXPECT_NE(std::string::npos, stats.find("DBVersion=\"" + std::string(dateText) + "\"")) << stats;
    EXPECT_TRUE(TempFolder::Exists(File("ilist.lst")));
    EXPECT_EQ(std::string::npos, m_log.Text().find("start-up step")) << m_log.Text();
}

TEST_F(StartupTest, MissingSettingsFilesAreMadeFromTheirDefaultsInAMissingDataFolder)
{
    // A data folder two levels below one that exists.
    m_folder = m_data.Path() + "\\Telmin\\Cleanwarden\\";
    SetEnvironmentVariableA(kDataFolderVariable, m_folder.c_str());
    EXPECT_TRUE(m_app->EnsureDataFolder());
    EXPECT_TRUE(TempFolder::Exists(m_folder));
    EXPECT_TRUE(m_app->EnsureDataFolder());  // there already: fine

    m_app->LoadAppSettings();
    m_app->LoadAppStats();
    EXPECT_EQ(E_INVALIDARG, m_app->StartEngine());  // no database here
    for (const char* name : {"app_settings.xml", "app_stats.xml", "scanner_settings.xml", "scheduled_scan.xml",
                             "scheduled_update.xml", "scheduled_updatesoft.xml"})
        EXPECT_TRUE(TempFolder::Exists(File(name))) << name;
    EXPECT_NE(std::string::npos, ReadText(File("app_settings.xml")).find("language=\"English\""));
    EXPECT_NE(std::string::npos, ReadText(File("scheduled_scan.xml")).find("active=\"false\""));
    m_app->ExitInstance();
}

TEST_F(StartupTest, EveryUnusableDatabaseGivesTheSameMessageAndTheFailedStepIsLogged)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string& path)> plant;
        const char* step;
    };
    HANDLE locked = INVALID_HANDLE_VALUE;
    const Case cases[] = {
        {"missing", [](const std::string&) {}, "read the signature database's records\" failed: 0x80070057"},
        {"empty", [](const std::string& p) { TempFolder::Write(p, {}); }, "failed: 0x"},
        {"not a database", [](const std::string& p) { TempFolder::Write(p, std::vector<BYTE>(4096, 0x5A)); },
         "failed: 0x"},
        {"no records",
         [](const std::string& p) {
             CopyFileA((std::string(GetModuleFolder()) + "testdata\\app\\norecords.bin").c_str(), p.c_str(), FALSE);
         },
         "read the signature database's records\" failed: 0x80070057"},
        {"unreadable",
         [&locked](const std::string& p) {
             CopyFileA((std::string(GetModuleFolder()) + "definitions.bin").c_str(), p.c_str(), FALSE);
             locked = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         },
         "failed: 0x"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempFolder data;
        m_folder = data.Path() + "\\";
        SetEnvironmentVariableA(kDataFolderVariable, m_folder.c_str());
        c.plant(File("definitions.bin"));
        g_boxes.clear();
        m_app.reset(new CStartupApp);
        DebugLogCapture log;

        EXPECT_TRUE(FAILED(StartToTheEngine()));
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(nullptr, g_boxes[0].owner);
        EXPECT_EQ(kBadDatabaseText, g_boxes[0].text);
        EXPECT_EQ(kBadDatabaseCaption, g_boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), g_boxes[0].type);
        const std::string text = log.Text();
        EXPECT_NE(std::string::npos, text.find("Message: start-up step \"")) << text;
        EXPECT_NE(std::string::npos, text.find(c.step)) << text;
        EXPECT_NE(std::string::npos, text.find("\nFunction: CCleanwardenApp::InitEngine")) << text;
        // The shutdown ran at once; the exit that follows has nothing to save.
        EXPECT_EQ(kShutdownSteps, m_app->steps);
        m_app->ExitInstance();
        if (locked != INVALID_HANDLE_VALUE)
        {
            CloseHandle(locked);
            locked = INVALID_HANDLE_VALUE;
        }
        m_app.reset();
    }
}

TEST_F(StartupTest, ADatabaseCutShortIsReplacedByTheKeptCopyOfTheLastGoodOne)
{
    // What an update killed in the middle of the old copying install left.
    const std::vector<BYTE> good = TempFolder::Read(std::string(GetModuleFolder()) + "definitions.bin");
    ASSERT_TRUE(TempFolder::Write(File("definitions.bin.old"), good));
    ASSERT_TRUE(TempFolder::Write(File("definitions.bin"), std::vector<BYTE>(good.begin(), good.begin() + good.size() / 2)));

    ASSERT_EQ(S_OK, StartToTheEngine()) << m_log.Text();
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_LT(0u, m_app->GetDefinitionsItemCount());
    EXPECT_EQ(good, TempFolder::Read(File("definitions.bin")));
    EXPECT_FALSE(TempFolder::Exists(File("definitions.bin.old")));
    EXPECT_NE(std::string::npos,
              m_log.Text().find("] Message: the signature database could not be read; its kept copy "
                                "definitions.bin.old replaced it\nFunction: CCleanwardenApp::InitEngine\r\n"))
        << m_log.Text();
    EndApp();

    // A good database keeps its place; an unusable copy never replaces anything.
    const std::vector<BYTE> half(good.begin(), good.begin() + good.size() / 2);
    ASSERT_TRUE(TempFolder::Write(File("definitions.bin.old"), half));
    m_app.reset(new CStartupApp);
    ASSERT_EQ(S_OK, StartToTheEngine());
    EXPECT_EQ(good, TempFolder::Read(File("definitions.bin")));
    EXPECT_EQ(half, TempFolder::Read(File("definitions.bin.old")));
    EndApp();
}

namespace {

// A COM server whose class objects cannot be registered.
class CRefusingModule : public CCleanwardenModule
{
public:
    CRefusingModule() : CCleanwardenModule(CleanwardenObjectMap<CEngineListener>()) {}
    int StartServer(const CServerSwitches&) override { return FALSE; }
};

} // namespace

TEST_F(StartupTest, AServerWhoseClassObjectsCannotBeRegisteredEndsWithExitCodeOne)
{
    CRefusingModule module;
    m_app.reset(new CStartupApp(&module));
    EXPECT_EQ(FALSE, m_app->StartServer());
    EXPECT_EQ(1, m_app->ExitInstance());
    EXPECT_NE(std::string::npos, m_log.Text().find("] Message: start-up step \"register the class objects\" failed: "
                                                   "0x80004005\nFunction: CCleanwardenApp::InitInstance\r\n"))
        << m_log.Text();
    m_app.reset();
}

TEST_F(StartupTest, StatisticsThatCannotBeSavedAtExitAreLogged)
{
    PlantDefinitions();
    ASSERT_EQ(S_OK, StartToTheEngine());
    // Something else has taken the file's name.
    DeleteFileA(File("app_stats.xml").c_str());
    ASSERT_TRUE(CreateDirectoryA(File("app_stats.xml").c_str(), nullptr));
    EndApp();
    EXPECT_NE(std::string::npos, m_log.Text().find("] Message: start-up step \"save the statistics\" failed: "
                                                   "0x80004005\nFunction: CCleanwardenApp::Shutdown\r\n"))
        << m_log.Text();
    RemoveDirectoryA(File("app_stats.xml").c_str());
}

TEST_F(StartupTest, AFailedStartStopsTheSchedulesAndTheSkinItStarted)
{
    // An active daily scan schedule: its thread runs from the engine's start.
    TempFolder::Write(File("scheduled_scan.xml"),
                      [] {
                          std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ScheduledScan scheduleType=\"1\" "
                                            "days=\"1111111\" dayOfMonth=\"1\" startTime=\"03:00:00\" includePaths=\"false\" "
                                            "Paths=\"\" autoRemove=\"0\" autoQua=\"0\" active=\"true\" enable=\"true\"/>\n";
                          return std::vector<BYTE>(xml.begin(), xml.end());
                      }());
    ASSERT_TRUE(m_app->InitSkin());
    LONG threadsAtTheMessage = -1;
    g_onBox = [&] { threadsAtTheMessage = CTaskManager::GetThreadCount(CScheduledTask::ScanGroup); };

    EXPECT_EQ(E_INVALIDARG, StartToTheEngine());
    EXPECT_EQ(1, threadsAtTheMessage);
    EXPECT_EQ(0, CTaskManager::GetThreadCount(CScheduledTask::ScanGroup));
    // The skin library is closed: it no longer takes calls.
    EXPECT_FALSE(SetDialogSkin("Dialog"));
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    EXPECT_EQ(kShutdownSteps, m_app->steps);
    m_app->ExitInstance();
}

TEST_F(StartupTest, AnIgnoreListThatCannotBeReadIsKeptAsideAndNeverOverwritten)
{
    PlantDefinitions();
    const std::vector<BYTE> garbage(300, 0xA5);
    ASSERT_TRUE(TempFolder::Write(File("ilist.lst"), garbage));
    ASSERT_EQ(S_OK, StartToTheEngine());
    EXPECT_EQ(garbage, TempFolder::Read(File("ilist.lst.unreadable")));
    EXPECT_NE(std::string::npos, m_log.Text().find("the ignore list could not be read")) << m_log.Text();
    EndApp();
    // A fresh list where the unreadable one was; the user's file stays aside.
    EXPECT_TRUE(TempFolder::Exists(File("ilist.lst")));
    EXPECT_NE(garbage, TempFolder::Read(File("ilist.lst")));
    EXPECT_EQ(garbage, TempFolder::Read(File("ilist.lst.unreadable")));

    // The next unreadable list is kept beside the first, never over it.
    const std::vector<BYTE> other(200, 0x3C);
    ASSERT_TRUE(TempFolder::Write(File("ilist.lst"), other));
    m_app.reset(new CStartupApp);
    ASSERT_EQ(S_OK, StartToTheEngine());
    EndApp();
    EXPECT_EQ(garbage, TempFolder::Read(File("ilist.lst.unreadable")));
    EXPECT_EQ(other, TempFolder::Read(File("ilist.lst.unreadable.2")));
    EXPECT_NE(std::string::npos, m_log.Text().find("it was kept as " + File("ilist.lst.unreadable.2")))
        << m_log.Text();

    // A list that can be neither read nor moved (another program holds it)
    // is left as it is at exit.
    TempFolder data;
    m_folder = data.Path() + "\\";
    SetEnvironmentVariableA(kDataFolderVariable, m_folder.c_str());
    PlantDefinitions();
    ASSERT_TRUE(TempFolder::Write(File("ilist.lst"), garbage));
    HANDLE held = CreateFileA(File("ilist.lst").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    m_app.reset(new CStartupApp);
    ASSERT_EQ(S_OK, StartToTheEngine());
    EndApp();
    CloseHandle(held);
    EXPECT_EQ(garbage, TempFolder::Read(File("ilist.lst")));
    EXPECT_FALSE(TempFolder::Exists(File("ilist.lst.unreadable")));
}

TEST_F(StartupTest, TheDatabaseFactsKeepTheirLastGoodValuesWhileAScanRuns)
{
    PlantDefinitions();
    // Before the engine answered anything: zero.
    EXPECT_EQ(0u, m_app->GetDefinitionsInfo().GetLastCount());
    EXPECT_EQ(0u, m_app->GetDefinitionsInfo().GetLastStamp());
    ASSERT_EQ(S_OK, StartToTheEngine());
    const DWORD count = m_app->GetDefinitionsItemCount();
    CString dateBefore;
    m_app->GetDatabaseDateText(dateBefore);
    ASSERT_LT(0u, count);

    CComPtr<IScanner> scanner;
    ASSERT_NO_FATAL_FAILURE(StartHeldScan(scanner));
    ULONG stamp = 1, programs = 1, items = 1;
    EXPECT_EQ(S_FALSE, scanner->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_EQ(count, m_app->GetDefinitionsItemCount());
    CString dateDuring;
    m_app->GetDatabaseDateText(dateDuring);
    EXPECT_EQ(std::string(dateBefore), std::string(dateDuring));
    EndApp();
}

TEST_F(StartupTest, ClosingDuringAScanStopsTheScanFirst)
{
    PlantDefinitions();
    ASSERT_EQ(S_OK, StartToTheEngine());
    CComPtr<IScanner> scanner;
    ASSERT_NO_FATAL_FAILURE(StartHeldScan(scanner));

    const DWORD begin = GetTickCount();
    m_app->Shutdown();
    EXPECT_LT(GetTickCount() - begin, 30000u);
    BOOL running = TRUE;
    EXPECT_EQ(S_OK, scanner->get_Running(&running));
    EXPECT_FALSE(running);
    CComPtr<IThreatCollection> results;
    scanner->get_Results(&results);
    LONG threats = -1;
    results->get_Count(&threats);
    EXPECT_EQ(0, threats);
    scanner.Release();
    m_app->ExitInstance();
    EXPECT_TRUE(TempFolder::Exists(File("ilist.lst")));
    EXPECT_TRUE(TempFolder::Exists(File("app_stats.xml")));
}

TEST_F(StartupTest, ClosingDuringAQuarantineActionLetsTheBackupAndRemovalFinishWhole)
{
    PlantDefinitions();
    ASSERT_EQ(S_OK, StartToTheEngine());

    // Planted files enough to keep the action busy for a while.
    TempFolder planted;
    const int kFiles = 40;
    CComPtr<IBackup> backup;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &backup));
    CComPtr<IThreatCollection> threats;
    backup->get_Items(&threats);
    std::vector<std::string> files;
    std::vector<BYTE> content(256 * 1024);
    for (int i = 0; i < kFiles; ++i)
    {
        for (size_t b = 0; b < content.size(); ++b)
            content[b] = static_cast<BYTE>(b * 31 + i);
        files.push_back(planted.File(("planted" + std::to_string(i) + ".bin").c_str()));
        ASSERT_TRUE(TempFolder::Write(files.back(), content));
        CComPtr<ISearchItem> item;
        EngineCreateInstance(CLSID_SearchItem, &item);
        item->put_Type(saQuickDisk);
        item->put_ItemName(CComBSTR(Wide(files.back()).c_str()));
        item->put_Quarantine(1);
        item->put_Repair(1);
        CComPtr<IThreat> threat;
        EngineCreateInstance(CLSID_Threat, &threat);
        threat->put_ID(1000 + i);
        threat->put_Name(CComBSTR(Wide("Planted " + std::to_string(i)).c_str()));
        threat->Add(item);
        threats->Add(threat);
    }
    CComPtr<IQuarantine> quarantine = *m_app->GetQuarantine();
    ASSERT_EQ(S_OK, quarantine->CreateBackup(backup));
    LONG running = 0;
    quarantine->get_Running(&running);
    EXPECT_EQ(1, running) << "the action ended before the close: the test proves nothing";

    m_app->Shutdown();
    quarantine->get_Running(&running);
    EXPECT_EQ(0, running);
    quarantine.Release();
    m_app->ExitInstance();

    // Every file went, and the archive holds every one of them.
    for (const std::string& file : files)
        EXPECT_FALSE(TempFolder::Exists(file)) << file;
    CComPtr<IQuarantine> reader;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Quarantine, &reader));
    ASSERT_EQ(S_OK, reader->Initialize(CComBSTR(Wide(File("quarantine\\")).c_str())));
    LONG backups = 0;
    reader->get_Count(&backups);
    ASSERT_EQ(1, backups);
    CComPtr<IBackup> stored;
    ASSERT_EQ(S_OK, reader->get_Item(0, &stored));
    ASSERT_EQ(S_OK, reader->ViewBackup(stored));
    reader->StopOperation();
    CComPtr<IThreatCollection> viewed;
    stored->get_Items(&viewed);
    LONG count = 0;
    viewed->get_Count(&count);
    EXPECT_EQ(kFiles, count);
}

TEST_F(StartupTest, TheExceptionHeaderNamesTheUsersLanguageTheSystemAndTheProduct)
{
    char language[128] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLANGUAGE, language, sizeof(language));
    const std::string expected = std::string(language) + " " + static_cast<LPCSTR>(GetOSName()) +
                                 "\r\nIE version: " + static_cast<LPCSTR>(GetIEVersion()) +
                                 "\nTelmin Cleanwarden 2.1.153.153\r\n";
    CString header;
    m_app->BuildExceptionHeader(header);
    EXPECT_EQ(expected, std::string(header));
}

TEST_F(StartupTest, TheFirstEngineExceptionIsAnnouncedAndLaterOnesAreDropped)
{
    struct CQuaListener : CEngineEventHandler
    {
        std::vector<ULONG_PTR> codes;
        void OnQuaException(ULONG_PTR code) override { codes.push_back(code); }
    } listener;
    m_app->GetEventDispatcher()->AddOnQuaException(&listener, &CEngineEventHandler::OnQuaException);
    MessageRecorder main;
    m_app->SetMainWindowHandle(main.Handle());

    CString header;
    m_app->BuildExceptionHeader(header);
    EXPECT_EQ(1, m_app->OnEngineException(0x51, 0));
    EXPECT_EQ(std::vector<ULONG_PTR>{0x51}, listener.codes);
    EXPECT_EQ("QUA EXCEPTION\n" + std::string(header), std::string(m_app->GetExceptionReportText()));

    // A second one, of either part, while the first is handled.
    EXPECT_EQ(1, m_app->OnEngineException(0x52, 1));
    EXPECT_EQ(1, m_app->OnEngineException(0x53, 0));
    PumpFor(100);
    ASSERT_EQ(1u, main.messages.size());
    EXPECT_EQ(static_cast<UINT>(WM_ENGINE_EXCEPTION), main.messages[0].msg);
    EXPECT_EQ(0u, main.messages[0].wParam);
    EXPECT_EQ(std::vector<ULONG_PTR>{0x51}, listener.codes);
    EXPECT_EQ("QUA EXCEPTION\n" + std::string(header), std::string(m_app->GetExceptionReportText()));

    // The scanner's: its own mark.
    m_app.reset(new CStartupApp);
    m_app->SetMainWindowHandle(main.Handle());
    m_app->OnEngineException(0x54, 1);
    EXPECT_EQ("SCAN EXCEPTION\n" + std::string(header), std::string(m_app->GetExceptionReportText()));
    PumpFor(100);
    ASSERT_EQ(2u, main.messages.size());
    EXPECT_EQ(1u, main.messages[1].wParam);
    m_app->GetEventDispatcher()->RemoveListener(&listener);
}

TEST_F(StartupTest, AFaultInAWindowShowsTheCrashReportOnce)
{
    class CFaultingWindow : public CWnd
    {
    public:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_APP + 7)
                throw std::runtime_error("handler failed");
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "faulting", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    window.SendMessage(WM_APP + 7);
    window.SendMessage(WM_APP + 7);
    window.DestroyWindow();
    ASSERT_EQ(1u, m_app->reports.size());
    CString header;
    m_app->BuildExceptionHeader(header);
    EXPECT_EQ(0u, m_app->reports[0].find(std::string(header)));
    EXPECT_NE(std::string::npos, m_app->reports[0].find("handler failed")) << m_app->reports[0];
    EXPECT_NE(std::string::npos, m_app->reports[0].find("(message 0x8007)")) << m_app->reports[0];
}

TEST_F(StartupTest, AFaultThatEscapesTheStartUpIsReportedAndFollowedByTheShutdown)
{
    PlantDefinitions();
    ASSERT_EQ(S_OK, StartToTheEngine());
    const char* address = reinterpret_cast<const char*>(0x00401234);
    EXPECT_FALSE(m_app->OnStartupException(EXCEPTION_ACCESS_VIOLATION, address));
    ASSERT_EQ(1u, m_app->reports.size());
    EXPECT_NE(std::string::npos, m_app->reports[0].find("Exception 0xC0000005 at ")) << m_app->reports[0];
    EXPECT_EQ(kShutdownSteps, m_app->steps);
    EXPECT_NE(std::string::npos, m_log.Text().find("Message: Exception 0xC0000005 at ")) << m_log.Text();
    // The shutdown runs once, whoever asks again.
    m_app->Shutdown();
    EXPECT_EQ(kShutdownSteps, m_app->steps);
    m_app->ExitInstance();
}
