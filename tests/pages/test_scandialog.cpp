// The scan page with its start and progress pages on a recording scanner:
// page switching and what is posted to the main window, the area switches
// and folders of each kind of scan, "/s", pause, resume and abort with
// their texts and the log they leave, the statistics panes, requests that
// come while a scan runs, starts that fail, and a scan whose engine ends
// without its end event. One test runs a real scan of a planted folder.

#include "app/appmessages.h"
#include "app/enginelistener.h"
#include "platform/atl/atlcom.h"
#include "pages/scandialog.h"
#include "resources/pages/scanids.h"
#include "tests/pages/pages_test_support.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

std::string Text(CWnd& dialog, UINT id)
{
    CString text;
    dialog.GetDlgItemText(id, text);
    return std::string(text);
}

// Shown by its own style (the test's main window stays hidden).
bool Shown(const CWnd& window)
{
    return (window.GetStyle() & WS_VISIBLE) != 0;
}

void WriteText(const std::string& path, const std::string& text)
{
    TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end()));
}

void Click(CWnd& dialog, UINT id)
{
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)->m_hWnd));
}

const std::vector<std::string> kConfiguredAreas = {"area 2 0", "area 5 1", "area 1 1", "area 6 1", "area 0 1"};

class ScanDialogTest : public PagesTest
{
protected:
    void TearDown() override
    {
        m_dialog.reset();
        PagesTest::TearDown();
    }

    CScanDialog& Make()
    {
        m_dialog.reset(new CScanDialog(&parent));
        EXPECT_TRUE(m_dialog->CreatePage(0, 0, 640, 380));
        m_dialog->ShowWindow(SW_SHOW);
        return *m_dialog;
    }
    CScanDialog& Dialog() { return *m_dialog; }
    CScanProcessDialog& Progress() { return m_dialog->GetProcessPage(); }
    // Posts and lets the pages act on it.
    void Post(UINT message, WPARAM wParam, LPARAM lParam)
    {
        Dialog().PostMessage(message, wParam, lParam);
        PumpPending();
    }
    // The engine's end of the scan, then the pages' own messages.
    void EndScan()
    {
        scanner->running = false;
        host.dispatcher.FireOnCompleteArea(saMaxAreaNumber);
        PumpUntil([&] { return Dialog().GetCurrentPage() == &Dialog().GetResultPage(); });
    }
    std::vector<std::string> LogFiles()
    {
        CStringArray names;
        CDialogControlHelper::ListFiles(names, (DataPath("logs") + "\\*.log").c_str(), FALSE);
        std::vector<std::string> out;
        for (int i = 0; i < names.GetSize(); ++i)
            out.push_back(DataPath("logs") + "\\" + std::string(names[i]));
        return out;
    }
    std::string FileText(const std::string& path)
    {
        std::vector<BYTE> bytes = TempFolder::Read(path);
        return std::string(bytes.begin(), bytes.end());
    }

    std::unique_ptr<CScanDialog> m_dialog;
};

} // namespace

TEST_F(ScanDialogTest, PagesSwitchOnTheirMessagesAndTheTabsAreLockedUntilTheScanIsLeft)
{
    CScanDialog& dialog = Make();
    EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    EXPECT_TRUE(Shown(dialog.GetStartPage()));
    // The sub-pages take the child skin, the folder pane and the end restore "Dialog".
    EXPECT_EQ((std::vector<std::string>{"set ChildDialog", "apply", "apply"}), host.skins);
    EXPECT_FALSE(dialog.GetStatPanes().IsShown());
    CRect page;
    dialog.GetStartPage().GetWindowRect(&page);
    dialog.ScreenToClient(&page);
    EXPECT_EQ(CRect(10, 10, 630, 370), page);

    // A quick scan: tabs locked, disk areas, the progress page and zeroed panes.
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    ASSERT_EQ(1u, parent.posted.size());
    EXPECT_EQ(UINT(WM_SELECT_PAGE), parent.posted[0].message);
    EXPECT_EQ(0u, parent.posted[0].wParam);
    EXPECT_EQ(&Progress(), dialog.GetCurrentPage());
    EXPECT_TRUE(Shown(Progress()));
    EXPECT_FALSE(Shown(dialog.GetStartPage()));
    EXPECT_TRUE(dialog.GetStatPanes().IsShown());
    EXPECT_TRUE(Progress().IsScanning());

    // The end: the result page, the panes stay, the tabs stay locked.
    EndScan();
    EXPECT_EQ(&dialog.GetResultPage(), dialog.GetCurrentPage());
    EXPECT_TRUE(dialog.GetStatPanes().IsShown());
    EXPECT_EQ(1u, parent.posted.size());
    EXPECT_FALSE(Progress().IsScanning());

    // Leaving: the start page, panes hidden, tabs free.
    Post(WM_LEAVE_SCAN_PAGE, 0, 0);
    EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    EXPECT_FALSE(dialog.GetStatPanes().IsShown());
    ASSERT_EQ(2u, parent.posted.size());
    EXPECT_EQ(1u, parent.posted[1].wParam);

    // Unknown ids change nothing; the maintenance pages come and go back.
    Post(WM_SHOW_SCAN_PAGE, 1005, 1);
    EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    const std::pair<UINT, CToolTipDialog*> maintenance[] = {{WM_SHOW_QUARANTINE, &dialog.GetQuarantinePage()},
                                                            {WM_SHOW_IGNORE_LIST, &dialog.GetIgnoreListPage()},
                                                            {WM_SHOW_SCAN_LOGS, &dialog.GetScanLogsPage()}};
    for (const auto& m : maintenance)
    {
        Post(m.first, 0, 0);
        EXPECT_EQ(m.second, dialog.GetCurrentPage());
        EXPECT_TRUE(Shown(*m.second));
        Post(WM_PAGE_BACK, 0, 0);
        EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    }
    // The menu's links reach the container through the start page.
    dialog.GetStartPage().GetMenuPane().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LINK_LOGS, STN_CLICKED), 0);
    PumpPending();
    EXPECT_EQ(&dialog.GetScanLogsPage(), dialog.GetCurrentPage());
    EXPECT_EQ(2u, parent.posted.size());

    // Hidden with the main window's tab and shown again, on the result page
    // the panes return with it.
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageResults, 0);
    dialog.ShowWindow(SW_HIDE);
    EXPECT_FALSE(Shown(dialog.GetResultPage()));
    dialog.ShowWindow(SW_SHOW);
    EXPECT_TRUE(Shown(dialog.GetResultPage()));
    EXPECT_TRUE(dialog.GetStatPanes().IsShown());
}

TEST_F(ScanDialogTest, EachKindOfScanGetsItsAreasAndFolders)
{
    CScheduledScanSettings::Instance()->SetPaths("D:\\Sched One,E:\\Two");
    const std::string include = m_data.Path();
    struct Case
    {
        const char* name;
        std::function<void(CScanDialog&)> request;
        const char* fullDisk;
        std::string paths;
    };
    const Case cases[] = {
        {"button", [](CScanDialog& d) { Click(d.GetStartPage(), IDC_START_BUTTON); }, "area 4 0", include},
        {"user folders",
         [](CScanDialog& d) {
             d.GetStartPage().SetCheck(IDC_USE_PATHS, TRUE);
             Click(d.GetStartPage(), IDC_START_BUTTON);
         },
         "area 4 1", include},
        {"scheduled quick", [](CScanDialog& d) { d.PostMessage(WM_START_SCAN, 0, 1); }, "area 4 0", include},
        {"scheduled folders", [](CScanDialog& d) { d.PostMessage(WM_START_SCAN, 1, 1); }, "area 4 1",
         "D:\\Sched One|E:\\Two"},
    };
    for (const Case& c : cases)
    {
        CScanDialog& dialog = Make();
        scanner->calls.clear();
        c.request(dialog);
        PumpUntil([&] { return Progress().IsScanning(); });
        ASSERT_TRUE(Progress().IsScanning()) << c.name;
        std::vector<std::string> areas = {"area 3 1", c.fullDisk};
        areas.insert(areas.end(), kConfiguredAreas.begin(), kConfiguredAreas.end());
        EXPECT_EQ(areas, scanner->Areas()) << c.name;
        EXPECT_EQ(c.paths, scanner->Paths()) << c.name;
        EXPECT_EQ("results", scanner->calls[2]) << c.name;
        EXPECT_EQ("start", scanner->calls.back()) << c.name;
        EndScan();
    }
    // Only the user's folder scan stored its folders in the scanner settings' file.
    const std::vector<BYTE> saved = TempFolder::Read(DataPath("scanner_settings.xml"));
    EXPECT_NE(std::string::npos, std::string(saved.begin(), saved.end()).find(include));
    EXPECT_EQ(include, CScannerSettings::Instance()->GetIncludePaths());
}

TEST_F(ScanDialogTest, SlashSStartsAQuickScanAtOnceButSlashCapitalSDoesNot)
{
    host.commandLine = "/h /S";
    Make();
    EXPECT_FALSE(Progress().IsScanning());
    EXPECT_TRUE(scanner->calls.empty());

    host.commandLine = "/h /s";
    CScanDialog& dialog = Make();
    EXPECT_TRUE(Progress().IsScanning());
    EXPECT_EQ(&Progress(), dialog.GetCurrentPage());
    EXPECT_EQ("area 4 0", scanner->Areas()[1]);
}

TEST_F(ScanDialogTest, PauseResumeAndAbortShowTheirTextsAndTheLogEndsAbortedOnce)
{
    Make();
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    host.dispatcher.FireOnStartedArea(saRegistry);
    EXPECT_EQ("Scanning the registry...", Text(Progress(), IDC_SCAN_STATUS));
    EXPECT_EQ("Pause", Text(Progress(), IDC_SCAN_PAUSE));
    EXPECT_EQ("Abort", Text(Progress(), IDC_SCAN_ABORT));

    Click(Progress(), IDC_SCAN_PAUSE);
    EXPECT_EQ("Scan paused. Press Resume to go on.", Text(Progress(), IDC_SCAN_STATUS));
    EXPECT_EQ("Resume", Text(Progress(), IDC_SCAN_PAUSE));
    EXPECT_EQ("pause 1", scanner->calls.back());
    Click(Progress(), IDC_SCAN_PAUSE);
    EXPECT_EQ("Scanning the registry...", Text(Progress(), IDC_SCAN_STATUS));
    EXPECT_EQ("Pause", Text(Progress(), IDC_SCAN_PAUSE));
    EXPECT_EQ("pause 0", scanner->calls.back());

    // The literal "Unknown" for the end area; values above it change nothing.
    host.dispatcher.FireOnStartedArea(saMaxAreaNumber);
    EXPECT_EQ("Unknown", Text(Progress(), IDC_SCAN_STATUS));
    host.dispatcher.FireOnStartedArea(static_cast<ScanAreaType>(9));
    EXPECT_EQ("Unknown", Text(Progress(), IDC_SCAN_STATUS));

    // Abort while paused: the engine ends the scan inside its stop, as the
    // real one does. The log says aborted, once; the scan counts.
    Click(Progress(), IDC_SCAN_PAUSE);
    ASSERT_TRUE(Progress().IsPaused());
    scanner->onStop = [&] { host.dispatcher.FireOnCompleteArea(saMaxAreaNumber); };
    Click(Progress(), IDC_SCAN_ABORT);
    PumpUntil([&] { return Dialog().GetCurrentPage() == &Dialog().GetResultPage(); });
    // The paused animation did not hold the stop: its thread ended rather
    // than being left, after its time, with the picture.
    EXPECT_FALSE(Progress().GetAnimation().IsPlaying());
    EXPECT_TRUE(Progress().GetAnimation().IsGIF());
    // Then the result page asks for the results it shows.
    EXPECT_EQ((std::vector<std::string>{"pause 1", "pause 0", "stop", "results"}),
              std::vector<std::string>(scanner->calls.end() - 4, scanner->calls.end()));
    EXPECT_EQ("Scan finished.", Text(Progress(), IDC_SCAN_STATUS));
    EXPECT_EQ(&Dialog().GetResultPage(), Dialog().GetCurrentPage());
    const std::vector<std::string> logs = LogFiles();
    ASSERT_EQ(1u, logs.size());
    const std::string text = FileText(logs[0]);
    EXPECT_NE(std::string::npos, text.find("Scanning aborted by user. ")) << text;
    EXPECT_EQ(1, CAppStats::Instance()->GetScansNumber());
}

TEST_F(ScanDialogTest, PanesCountPerAreaAndFindsUnderTheLastStartedArea)
{
    CScanDialog& dialog = Make();
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageFolderScan, 0);
    CScanStatPanes& panes = dialog.GetStatPanes();
    host.dispatcher.FireOnScanning(saProcesses, 5);
    host.dispatcher.FireOnScanning(saGuardedRegistry, 7);
    host.dispatcher.FireOnScanning(saCookies, 3000000000u);  // shown unsigned
    host.dispatcher.FireOnScanning(saHosts, 99);              // no pane
    host.dispatcher.FireOnScanning(saQuickDisk, 40);
    host.dispatcher.FireOnScanning(saFullDisk, 2);
    EXPECT_EQ("5", Text(panes.Processes(), IDC_PROCESSES_SCANNED));
    EXPECT_EQ("7", Text(panes.Registry(), IDC_REGISTRY_SCANNED));
    EXPECT_EQ("3000000000", Text(panes.Cookies(), IDC_COOKIES_SCANNED));
    EXPECT_EQ("42", Text(panes.Files(), IDC_FILES_SCANNED));
    host.dispatcher.FireOnScanning(saQuickDisk, 50);  // replaces the quick-disk part
    EXPECT_EQ("50", Text(panes.Files(), IDC_FILES_SCANNED));

    // A found item counts under the area last started, whatever its own type.
    CComPtr<IThreat> threat;
    CComPtr<ISearchItem> item;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Threat, &threat));
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_SearchItem, &item));
    item->put_Type(saRegistry);
    host.dispatcher.FireOnStartedArea(saCookies);
    host.dispatcher.FireOnSubItemAdded(nullptr, threat, item);
    host.dispatcher.FireOnSubItemAdded(nullptr, threat, item);
    EXPECT_EQ("2", Text(panes.Cookies(), IDC_COOKIES_FOUND));
    EXPECT_EQ("0", Text(panes.Registry(), IDC_REGISTRY_FOUND));

    // A folder name of any length is cut before it reaches the control.
    host.dispatcher.FireOnScanningFolder(CComBSTR((L"C:\\" + std::wstring(5000, L'x') + L"\\end").c_str()));
    const std::string folder = Text(Progress(), IDC_SCAN_FOLDER);
    EXPECT_LE(folder.size(), size_t(CScanProcessDialog::MaxFolderText));
    EXPECT_EQ("C:\\xx", folder.substr(0, 5));
    EXPECT_EQ("x\\end", folder.substr(folder.size() - 5));

    // Counts stay on the result page and are zeroed by the next scan.
    EndScan();
    EXPECT_EQ("2", Text(panes.Cookies(), IDC_COOKIES_FOUND));
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    EXPECT_EQ("0", Text(panes.Cookies(), IDC_COOKIES_FOUND));
    EXPECT_EQ("0", Text(panes.Files(), IDC_FILES_SCANNED));
}

TEST_F(ScanDialogTest, ARequestDuringAScanOrACleanIsIgnoredAndLogged)
{
    CScanDialog& dialog = Make();
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    const size_t calls = scanner->calls.size();
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageFolderScan, 1);
    Post(WM_START_SCAN, 0, 1);
    PumpPending();
    EXPECT_EQ(calls, scanner->calls.size());  // no second clear, no new areas
    EXPECT_EQ(1u, parent.posted.size());
    // One registration: one start line per area start.
    host.dispatcher.FireOnStartedArea(saHosts);
    EXPECT_EQ(1u, std::string(Progress().GetLog().GetText()).find("Start Hosts file scan") != std::string::npos);
    const std::string text(Progress().GetLog().GetText());
    EXPECT_EQ(text.find("Start Hosts"), text.rfind("Start Hosts"));
    EXPECT_NE(std::string::npos, debugLog.Text().find("Scan request 1017 ignored: a scan runs"));
    EndScan();

    quarantine->runningAnswers = -1;
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    EXPECT_EQ(&dialog.GetResultPage(), dialog.GetCurrentPage());
    EXPECT_NE(std::string::npos, debugLog.Text().find("Scan request 1004 ignored: a clean runs"));
    quarantine->runningAnswers = 0;
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    EXPECT_TRUE(Progress().IsScanning());
}

TEST_F(ScanDialogTest, AStartThatFailsLeavesNothingBehindAndReturnsToTheStartPage)
{
    CScanDialog& dialog = Make();
    scanner->startResult = E_FAIL;
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    PumpUntil([&] { return dialog.GetCurrentPage() == &dialog.GetStartPage(); });
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Error", g_boxes[0].caption);
    EXPECT_EQ(UINT(MB_ICONERROR), g_boxes[0].type & MB_ICONMASK);
    EXPECT_FALSE(g_boxes[0].text.empty());
    EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    EXPECT_EQ(2u, parent.posted.size());
    EXPECT_EQ(1u, parent.posted.back().wParam);
    EXPECT_FALSE(Progress().IsScanning());
    EXPECT_FALSE(Progress().GetAnimation().IsPlaying());
    // No listener is left: events of another scan reach nothing here.
    host.dispatcher.FireOnStartedArea(saCookies);
    host.dispatcher.FireOnCompleteArea(saMaxAreaNumber);
    PumpPending();
    EXPECT_EQ(&dialog.GetStartPage(), dialog.GetCurrentPage());
    EXPECT_TRUE(LogFiles().empty());
    EXPECT_EQ(0, CAppStats::Instance()->GetScansNumber());

    // The next start works.
    scanner->startResult = S_OK;
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    EXPECT_TRUE(Progress().IsScanning());
}

TEST_F(ScanDialogTest, AScanWhoseEngineStopsWithoutItsEndEventStillEnds)
{
    CScanDialog& dialog = Make();
    // Found by the one-second check.
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    scanner->running = false;
    ASSERT_TRUE(PumpUntil([&] { return dialog.GetCurrentPage() == &dialog.GetResultPage(); }, 4000));
    EXPECT_FALSE(Progress().IsScanning());
    EXPECT_EQ(1u, parent.Count(WM_SELECT_PAGE, 1));  // the tabs are free again
    EXPECT_EQ(0, CAppStats::Instance()->GetScansNumber());
    EXPECT_EQ(1u, LogFiles().size());

    // And at once after Abort's stop.
    Post(WM_LEAVE_SCAN_PAGE, 0, 0);
    Post(WM_SHOW_SCAN_PAGE, CScanDialog::PageQuickScan, 0);
    ASSERT_TRUE(Progress().IsScanning());
    Click(Progress(), IDC_SCAN_ABORT);
    EXPECT_FALSE(Progress().IsScanning());
    PumpPending();
    EXPECT_EQ(&dialog.GetResultPage(), dialog.GetCurrentPage());
    EXPECT_EQ(0, CAppStats::Instance()->GetScansNumber());
}

// ----------------------------------------------------------- a real scan

TEST_F(ScanDialogTest, ARealScanOfAPlantedFolderRunsThroughThePageToItsLog)
{
    TempFolder planted;
    ::CreateDirectoryA(planted.File("tools").c_str(), nullptr);
    WriteText(planted.File("tools\\fernweb.exe"), "Cleanwarden planted test file: Fernweb helper\r\n");
    WriteText(planted.File("readme.txt"), "nothing to see");
    CScannerSettings* settings = CScannerSettings::Instance();
    settings->SetIncludePaths(planted.Path());
    settings->SetProcessesScan(false);
    settings->SetRegistryScan(false);
    settings->SetCookiesScan(false);
    settings->SetHostsFile(false);

    CComPtr<IScanner> engine;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Scanner, &engine));
    ASSERT_EQ(S_OK, engine->Initialize(CComBSTR((GetModuleFolder() + "definitions.bin").GetString()),
                                       CComBSTR(L"pvrt82m6kd3.47h")));
    CComObject<CEngineListener>* sink = nullptr;
    ASSERT_EQ(S_OK, CComObject<CEngineListener>::CreateInstance(&sink));
    CComPtr<IUnknown> holder(sink->GetUnknown());
    sink->SetTarget(&host);
    DWORD scannerCookie = 0, resultsCookie = 0;
    ASSERT_EQ(S_OK, AtlAdvise(engine, holder, IID_IScannerEvents, &scannerCookie));
    CComPtr<IThreatCollection> results;
    ASSERT_EQ(S_OK, engine->get_Results(&results));
    ASSERT_EQ(S_OK, AtlAdvise(results, holder, IID_IThreatCollectionEvents, &resultsCookie));
    host.scanner = engine;

    CScanDialog& dialog = Make();
    dialog.GetStartPage().SetCheck(IDC_USE_PATHS, TRUE);
    Click(dialog.GetStartPage(), IDC_START_BUTTON);
    ASSERT_TRUE(PumpUntil([&] { return dialog.GetCurrentPage() == &dialog.GetResultPage(); }, 60000));

    AtlUnadvise(results, IID_IThreatCollectionEvents, resultsCookie);
    AtlUnadvise(engine, IID_IScannerEvents, scannerCookie);
    EXPECT_EQ(1, CAppStats::Instance()->GetScansNumber());
    EXPECT_EQ("1", Text(dialog.GetStatPanes().Files(), IDC_FILES_FOUND));
    const std::vector<std::string> logs = LogFiles();
    ASSERT_EQ(1u, logs.size());
    const std::string text = FileText(logs[0]);
    // The engine names files in lower case.
    std::string file = planted.Path() + "\\tools\\fernweb.exe";
    std::transform(file.begin(), file.end(), file.begin(), ::tolower);
    EXPECT_NE(std::string::npos, text.find("Start File system scan\r\nName: Fernweb Toolbar\r\n" + file + "\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Scanning Finished. ")) << text;
    LONG threats = 0;
    results->get_Count(&threats);
    EXPECT_EQ(1, threats);
}
