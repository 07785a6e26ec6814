// The result page against the real quarantine and ignore list: what is
// checked is backed up and removed and what is not stays, the summary
// shows once whatever completion reports come, the restart question and
// its answers, the ignore road and its saved list, failures shown and
// leaving nothing running, and the page's keys, buttons and link.

#include "app/appmessages.h"
#include "pages/scanresultdialog.h"
#include "resources/pages/resultsids.h"
#include "resources/reports/reportids.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "tests/pages/result_page_support.h"
#include "tests/reports/dialog_test_support.h"

#include <functional>

namespace {

// Calls the handler for each modal dialog of this thread that shows the
// control, once per window, while the test pumps or a modal loop runs.
class ModalWatcher
{
public:
    ModalWatcher(UINT control, std::function<void(HWND)> handler) : m_control(control), m_handler(std::move(handler))
    {
        Instance() = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &Tick);
    }
    ~ModalWatcher()
    {
        ::KillTimer(nullptr, m_timer);
        Instance() = nullptr;
    }
    int shown = 0;

private:
    static ModalWatcher*& Instance()
    {
        static ModalWatcher* watcher;
        return watcher;
    }
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM)
    {
        ModalWatcher* self = Instance();
        if (self && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, self->m_control) && !::GetPropA(hwnd, kSeen))
        {
            ::SetPropA(hwnd, kSeen, reinterpret_cast<HANDLE>(1));
            ++self->shown;
            self->m_handler(hwnd);
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ::EnumThreadWindows(::GetCurrentThreadId(), &Visit, 0); }

    UINT m_control;
    std::function<void(HWND)> m_handler;
    UINT_PTR m_timer = 0;
    static constexpr const char* kSeen = "CwTestWatched";
};

std::string TextOf(HWND hwnd, UINT id = 0)
{
    char text[256] = "";
    ::GetWindowTextA(id ? ::GetDlgItem(hwnd, id) : hwnd, text, sizeof(text));
    return text;
}

std::vector<UINT> g_exits;
BOOL WINAPI RecordExit(UINT flags, DWORD)
{
    g_exits.push_back(flags);
    return TRUE;
}

class ScanResultTest : public ::testing::Test
{
protected:
    ScanResultTest() : page(&parent) { parent.Make(); }
    ~ScanResultTest() override
    {
        page.DestroyWindow();
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    }

    std::string Plant(const char* name)
    {
        TempFolder::Write(victims.File(name), std::vector<BYTE>(100, 7));
        return victims.File(name);
    }
    void Open(const std::vector<CComPtr<IThreat>>& threats)
    {
        rig.scanner->results = MakeCollection(threats);
        ASSERT_TRUE(page.CreatePage(10, 10, 730, 470));
        page.ShowResults();
        page.ShowWindow(SW_SHOW);
    }
    void Press(UINT id) { Click(page, id); }
    void Check(int threat)
    {
        CHtmlDocument& doc = page.GetThreatList().GetHtmlView()->Document();
        RECT r;
        ASSERT_TRUE(doc.ElementRect(doc.GetElementById(L"checkbox" + std::to_wstring(threat)), r));
        const LPARAM at = MAKELPARAM(r.left + 2, r.top + 2);
        ::SendMessageA(page.GetThreatList().GetBrowserWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(page.GetThreatList().GetBrowserWindow(), WM_LBUTTONUP, 0, at);
    }
    size_t Left() const { return parent.Count(WM_LEAVE_SCAN_PAGE, 0); }
    // Clean, then pump until the page has gone back to the start page.
    void Clean()
    {
        if (page.GetThreatList().GetHtml().IsEmpty())
            page.ShowResults();  // shown again, as after the next scan
        const size_t before = Left();
        Press(IDC_RESULT_CLEAN);
        EXPECT_TRUE(PumpUntil([&] { return Left() > before; }, 60000));
        PumpFor(200);
    }
    static void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

    EngineRig rig;
    TempFolder victims;
    const std::string key = "Software\\CwResultPageTest-" + std::to_string(GetCurrentProcessId());
    CRecordingParent parent;
    CScanResultDialog page;
    MessageBoxes boxes;
};

}  // namespace

TEST_F(ScanResultTest, CleanBacksUpAndRemovesWhatIsCheckedOnceWithOneSummary)
{
    const std::string a = Plant("a.bin"), b = Plant("b.bin"), c = Plant("c.bin");
    const std::string run = key + "\\Run";
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, run.c_str(), "bar", REG_SZ, "c:\\bar.exe", 11));
    Open({MakeThreat(1, L"Adware.One", {MakeItem(saQuickDisk, Wide(a)),
                                        MakeItem(saRegistry, Wide(run), L"bar", true, HKEY_CURRENT_USER)}),
          MakeThreat(2, L"Adware.Two", {MakeItem(saQuickDisk, Wide(b))}),
          MakeThreat(3, L"Unknown.Three", {MakeItem(saQuickDisk, Wide(c), L"", false)})});
    Check(2);  // off
    Check(3);  // on: an unknown item asks first

    boxes.answers = {IDCANCEL};
    Press(IDC_RESULT_CLEAN);
    PumpFor(300);
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(Text("ScanResultDialog", "btTitle"), boxes.shown[0].caption);
    EXPECT_EQ(Text("ScanResultDialog", "btText"), boxes.shown[0].text);
    EXPECT_EQ((UINT)MB_OKCANCEL, boxes.shown[0].type);
    EXPECT_TRUE(TempFolder::Exists(a));
    EXPECT_EQ(0u, rig.ArchiveFiles());
    EXPECT_EQ(0u, Left());

    // While the summary shows, more completion reports come and every
    // button and the link are pressed: none of it counts.
    std::string found, removed, title;
    ModalWatcher summary(IDC_SUMMARY_FOUND, [&](HWND box) {
        found = TextOf(box, IDC_SUMMARY_FOUND);
        removed = TextOf(box, IDC_SUMMARY_REMOVED);
        title = TextOf(box);
        page.PostMessage(WM_QUARANTINE_DONE, 0, 0);
        page.PostMessage(WM_QUARANTINE_DONE, 0, 0);
        for (UINT id : {IDC_RESULT_SELECT_ALL, IDC_RESULT_IGNORE, IDC_RESULT_CLEAN, IDC_RESULT_CANCEL})
            Press(id);
        page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULT_UNKNOWN_LINK, STN_CLICKED), 0);
        PumpFor(200);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    boxes.answers = {IDOK};
    Clean();
    PumpFor(300);
    EXPECT_EQ(1, summary.shown);
    EXPECT_EQ("3", found);
    EXPECT_EQ("2", removed);
    EXPECT_EQ("Cleaning Complete", title);
    EXPECT_EQ(1u, Left());
    EXPECT_EQ(2u, boxes.shown.size());  // the unknown item's question again; no restart question
    EXPECT_EQ(Text("ScanResultDialog", "btSelectAll"), std::string(page.GetControlText(IDC_RESULT_SELECT_ALL)));
    EXPECT_FALSE(page.IsCleaning());

    EXPECT_FALSE(TempFolder::Exists(a));
    EXPECT_TRUE(TempFolder::Exists(b));
    EXPECT_FALSE(TempFolder::Exists(c));
    EXPECT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, run.c_str(), "bar", RRF_RT_ANY, nullptr, nullptr, nullptr));
    // The archive holds the two threats that were checked.
    EXPECT_EQ(2u, rig.ArchiveFiles());
    CComPtr<IBackup> made, view;
    ASSERT_EQ(S_OK, rig.host.quarantine->get_Item(0, &made));
    DATE time = 0;
    made->get_Time(&time);
    EngineCreateInstance(CLSID_Backup, &view);
    view->put_Time(time);
    ASSERT_EQ(S_OK, rig.host.quarantine->ViewBackup(view));
    rig.host.quarantine->StopOperation();
    CComPtr<IThreatCollection> saved;
    view->get_Items(&saved);
    LONG count = 0;
    saved->get_Count(&count);
    EXPECT_EQ(2, count);
    CComPtr<IThreat> one, three, two;
    EXPECT_EQ(S_OK, saved->Lookup(1, &one));
    EXPECT_EQ(S_OK, saved->Lookup(3, &three));

    // The page no longer listens: a later action elsewhere ends nowhere here.
    rig.host.dispatcher.FireOnQuarantineProgress(0, 0);
    PumpFor(300);
    EXPECT_EQ(1, summary.shown);
    EXPECT_EQ(1u, Left());
}

TEST_F(ScanResultTest, RestartIsAskedWhenARemovalWaitsAndOnlyOkRestarts)
{
    const std::string busy = Plant("busy.bin");
    HANDLE open = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    PendingEntriesGuard pending(busy);
    ExitWindowsFn previous = SetExitWindowsHook(&RecordExit);
    g_exits.clear();
    Open({MakeThreat(5, L"Busy", {MakeItem(saQuickDisk, Wide(busy))})});
    ModalWatcher summary(IDC_SUMMARY_FOUND, [](HWND box) { ::PostMessageA(box, WM_COMMAND, IDOK, 0); });

    boxes.answers = {IDCANCEL};
    Clean();
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(Text("ScanResultDialog", "rebootMessage"), boxes.shown[0].text);
    EXPECT_EQ("Telmin Cleanwarden 2.1.152", boxes.shown[0].caption);
    EXPECT_EQ((UINT)MB_OKCANCEL, boxes.shown[0].type);
    EXPECT_TRUE(g_exits.empty());

    boxes.answers = {IDOK};
    Clean();
    EXPECT_EQ((std::vector<UINT>{EWX_REBOOT}), g_exits);

    // The program under test never restarts.
    SetEnvironmentVariableA(CScanResultDialog::kNoRestartVariable, "1");
    boxes.answers = {IDOK};
    Clean();
    SetEnvironmentVariableA(CScanResultDialog::kNoRestartVariable, nullptr);
    EXPECT_EQ(3u, boxes.shown.size());
    EXPECT_EQ(1u, g_exits.size());
    EXPECT_EQ(3, summary.shown);
    SetExitWindowsHook(previous);
    CloseHandle(open);
}

TEST_F(ScanResultTest, IgnoreSavesTheCheckedThreatsAndSelectAllLeavesThemOut)
{
    Open({MakeThreat(1, L"Adware.One", {MakeItem(saQuickDisk, L"C:\\one.dll"), MakeItem(saProcesses, L"C:\\one.exe")}),
          MakeThreat(2, L"Adware.Two", {MakeItem(saCookies, L"two@ads.example")}),
          MakeThreat(3, L"Unknown.Three", {MakeItem(saQuickDisk, L"C:\\three.dll", L"", false)})});
    CThreatListView& list = page.GetThreatList();
    Press(IDC_RESULT_IGNORE);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(0, list.GetCheckBoxState(1));
    EXPECT_EQ(CssDisplay::None, list.GetHtmlView()->Document().GetElementById(L"threat2")->style.display);
    EXPECT_EQ(0u, Left());  // the page stays

    CComPtr<IIgnoreList> reread;
    EngineCreateInstance(CLSID_IgnoreList, &reread);
    ASSERT_EQ(S_OK, reread->Load(CComBSTR(Wide(rig.data.File("ilist.lst")).c_str())));
    CComPtr<IThreatCollection> ignored;
    reread->get_Items(&ignored);
    LONG count = 0, items = 0;
    ignored->get_Count(&count);
    EXPECT_EQ(2, count);
    CComPtr<IThreat> one, three;
    ASSERT_EQ(S_OK, ignored->Lookup(1, &one));
    one->get_Count(&items);
    EXPECT_EQ(2, items);
    EXPECT_NE(S_OK, ignored->Lookup(3, &three));
    rig.scanner->results->Lookup(3, &three);
    CComPtr<ISearchItem> item;
    three->get_Item(0, &item);
    LONG flag = 1;
    item->get_Ignore(&flag);
    EXPECT_EQ(0, flag);

    Press(IDC_RESULT_SELECT_ALL);
    EXPECT_EQ(Text("ScanResultDialog", "btDeselectAll"), std::string(page.GetControlText(IDC_RESULT_SELECT_ALL)));
    EXPECT_EQ(1, list.GetCheckBoxState(3));
    EXPECT_EQ(0, list.GetCheckBoxState(1));
    Press(IDC_RESULT_SELECT_ALL);
    EXPECT_EQ(Text("ScanResultDialog", "btSelectAll"), std::string(page.GetControlText(IDC_RESULT_SELECT_ALL)));
    EXPECT_EQ(0, list.GetCheckBoxState(3));

    // Enter and Escape stay on the page; the link, shown for the unknown
    // item, opens the help-request form.
    for (WPARAM key : {VK_RETURN, VK_ESCAPE})
        page.GetDlgItem(IDC_RESULT_CLEAN)->PostMessage(WM_KEYDOWN, key, 0);
    PumpFor(200);
    EXPECT_EQ(0u, Left());
    EXPECT_TRUE(page.GetDlgItem(IDC_RESULT_UNKNOWN_LINK)->GetStyle() & WS_VISIBLE);
    ModalWatcher form(IDC_SEND_REPORT_CANCEL, [](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULT_UNKNOWN_LINK, STN_CLICKED), 0);
    EXPECT_EQ(1, form.shown);
}

TEST_F(ScanResultTest, FailuresAreShownAndLeaveNothingRunning)
{
    // A result that cannot be read: an error and an empty list.
    Open({MakeBrokenThreat()});
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("Error", boxes.shown[0].caption);
    EXPECT_EQ(0u, boxes.shown[0].text.find(Text("ScanResultDialog", "errShowResults")));
    EXPECT_STREQ("", page.GetThreatList().GetHtml());
    EXPECT_FALSE(page.GetDlgItem(IDC_RESULT_UNKNOWN_LINK)->GetStyle() & WS_VISIBLE);

    // A quarantine that cannot start: an error, and the page's listeners
    // are gone again.
    const std::string file = Plant("kept.bin");
    rig.scanner->results = MakeCollection({MakeThreat(4, L"Kept", {MakeItem(saQuickDisk, Wide(file))})});
    page.ShowResults();
    CComPtr<IQuarantine> working = rig.host.quarantine;
    rig.host.quarantine.Release();
    EngineCreateInstance(CLSID_Quarantine, &rig.host.quarantine);  // not initialised: refuses every action
    ModalWatcher summary(IDC_SUMMARY_FOUND, [](HWND box) { ::PostMessageA(box, WM_COMMAND, IDOK, 0); });
    Press(IDC_RESULT_CLEAN);
    ASSERT_EQ(2u, boxes.shown.size());
    EXPECT_EQ("Error", boxes.shown[1].caption);
    EXPECT_EQ(0u, boxes.shown[1].text.find(Text("ScanResultDialog", "errClean")));
    EXPECT_FALSE(page.IsCleaning());
    rig.host.dispatcher.FireOnQuarantineProgress(1, 1);
    rig.host.dispatcher.FireOnQuaException(0);
    PumpFor(300);
    EXPECT_EQ(0, summary.shown);
    EXPECT_EQ(0u, Left());
    EXPECT_TRUE(TempFolder::Exists(file));
    rig.host.quarantine = working;

    // The ignore list cannot be written: the user is told.
    SetEnvironmentVariableA(kDataFolderVariable, (file + "\\under-a-file").c_str());
    Press(IDC_RESULT_IGNORE);
    ASSERT_EQ(3u, boxes.shown.size());
    EXPECT_EQ("Error", boxes.shown[2].caption);
    EXPECT_EQ(0u, boxes.shown[2].text.find(Text("ScanResultDialog", "errIgnore")));

    // An engine exception ends a running clean without a summary.
    page.ShowResults();
    Press(IDC_RESULT_CLEAN);
    ASSERT_TRUE(page.IsCleaning());
    rig.host.dispatcher.FireOnQuaException(0);
    EXPECT_TRUE(PumpUntil([&] { return Left() == 1; }, 30000));
    PumpFor(300);
    EXPECT_EQ(0, summary.shown);
    EXPECT_FALSE(page.IsCleaning());
    EXPECT_EQ(3u, boxes.shown.size());
}
