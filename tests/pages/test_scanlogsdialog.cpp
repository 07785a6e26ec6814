// The scan logs page over a scratch data folder: the logs listed and shown
// line by line, refreshed each time the page is shown, deleted with the
// list kept as on disk, and the note for a log that cannot be read or is too
// large to show at once.

#include "pages/scanlogsdialog.h"

#include "resources/pages/maintenanceids.h"
#include "tests/pages/maintenance_test_support.h"
#include "tests/reports/english_texts.h"

namespace {

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

class ScanLogsPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_english.IsReady());
        CreateDirectoryA(Logs().c_str(), nullptr);
    }
    void TearDown() override
    {
        if (m_page.GetSafeHwnd())
            m_page.DestroyWindow();
    }

    std::string Logs() const { return m_data.File("logs"); }
    std::string Log(const char* name) const { return Logs() + "\\" + name; }

    void Open()
    {
        ASSERT_TRUE(m_page.CreatePage(0, 0, 640, 380));
        m_page.ShowWindow(SW_SHOW);
    }
    void Click(UINT id) { Notify(id, BN_CLICKED); }
    void Notify(UINT id, UINT code)
    {
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_page.GetDlgItem(id)->m_hWnd));
    }
    void Choose(int index)
    {
        m_page.GetDlgItem(IDC_SCAN_LOGS_FILES)->SendMessage(CB_SETCURSEL, index, 0);
        Notify(IDC_SCAN_LOGS_FILES, CBN_SELCHANGE);
    }
    std::string Shown()
    {
        CString text;
        m_page.GetDlgItemText(IDC_SCAN_LOGS_TEXT, text);
        return static_cast<LPCSTR>(text);
    }
    std::vector<std::string> Listed()
    {
        std::vector<std::string> names;
        CWnd* combo = m_page.GetDlgItem(IDC_SCAN_LOGS_FILES);
        const int count = static_cast<int>(combo->SendMessage(CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
        {
            char name[MAX_PATH] = "";
            combo->SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
            names.push_back(name);
        }
        return names;
    }

    EnglishTexts m_english;
    ScratchDataFolder m_data;
    CPageParent m_parent;
    CScanLogsDialog m_page{&m_parent};
};

} // namespace

TEST_F(ScanLogsPageTest, ListsTheLogsShowsThemLineByLineAndRefreshesWhenShown)
{
    TempFolder::Write(Log("scan_log_01-02-2024_10-00-00.log"),
                      Bytes("Scan log. Started at 01.02.2024 10:00:00\r\nName: Spy\r\nc:\\spy.exe\r\n\r\nScanning Finished."));
    TempFolder::Write(Log("scan_log_01-03-2024_11-00-00.log"), Bytes("one\ntwo\n\nthree"));
    TempFolder::Write(Logs() + "\\notes.txt", Bytes("not a log"));
    CreateDirectoryA(Log("folder.log").c_str(), nullptr);
    Open();

    EXPECT_EQ((std::vector<std::string>{"scan_log_01-02-2024_10-00-00.log", "scan_log_01-03-2024_11-00-00.log"}),
              Listed());
    EXPECT_EQ(2, m_page.GetLogNames().GetSize());
    EXPECT_EQ("Scan log. Started at 01.02.2024 10:00:00\r\nName: Spy\r\nc:\\spy.exe\r\n\r\nScanning Finished.\r\n",
              Shown());
    Choose(1);
    EXPECT_EQ("one\r\ntwo\r\n\r\nthree\r\n", Shown());

    // Texts from the language file.
    CString label;
    m_page.GetDlgItemText(IDC_SCAN_LOGS_TITLE, label);
    EXPECT_STREQ("Select a log file from list:", label);

    // A log written while the page was away is there when it comes back.
    m_page.ShowWindow(SW_HIDE);
    TempFolder::Write(Log("scan_log_01-04-2024_12-00-00.log"), Bytes("new"));
    m_page.ShowWindow(SW_SHOW);
    EXPECT_EQ(3u, Listed().size());

    Click(IDC_SCAN_LOGS_BACK);
    PumpPending();
    EXPECT_EQ(1, m_parent.backs);
}

TEST_F(ScanLogsPageTest, DeletingKeepsTheListAsOnDiskAndTheLastOneEmptiesTheText)
{
    MessageBoxRecorder boxes;
    TempFolder::Write(Log("a.log"), Bytes("first"));
    TempFolder::Write(Log("b.log"), Bytes("second"));
    Open();
    ASSERT_EQ("first\r\n", Shown());

    Click(IDC_SCAN_LOGS_DELETE);
    EXPECT_FALSE(TempFolder::Exists(Log("a.log")));
    EXPECT_EQ(std::vector<std::string>{"b.log"}, Listed());
    EXPECT_EQ("second\r\n", Shown());

    // A log in use stays, and stays listed; the user is told.
    HANDLE held = CreateFileA(Log("b.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Click(IDC_SCAN_LOGS_DELETE);
    CloseHandle(held);
    ASSERT_EQ(1u, MessageBoxRecorder::Boxes().size());
    EXPECT_EQ("Error", MessageBoxRecorder::Boxes()[0].caption);
    EXPECT_EQ("The log file could not be deleted. It may be in use.", MessageBoxRecorder::Boxes()[0].text);
    EXPECT_EQ(std::vector<std::string>{"b.log"}, Listed());

    Click(IDC_SCAN_LOGS_DELETE);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ("", Shown());
    Click(IDC_SCAN_LOGS_DELETE);   // nothing left: nothing happens
    EXPECT_EQ(1u, MessageBoxRecorder::Boxes().size());
}

TEST_F(ScanLogsPageTest, AnUnreadableOrHugeLogShowsWhatItCanWithANote)
{
    // Larger than the page shows: whole lines of its beginning, after the note.
    std::string big;
    for (int i = 0; big.size() <= CScanLogsDialog::MaxShownBytes + 5000; ++i)
        big += "Name: Spy " + std::to_string(i) + "\r\nc:\\files\\spy.exe\r\n\r\n";
    TempFolder::Write(Log("a_big.log"), Bytes(big));
    TempFolder::Write(Log("b_locked.log"), Bytes("secret"));
    TempFolder::Write(Log("c_nul.log"), Bytes(std::string("a\0b\r\n", 5)));
    Open();

    const std::string note = "This log is too large to show at once. Only its beginning is shown below.\r\n\r\n";
    const std::string shown = Shown();
    ASSERT_EQ(note, shown.substr(0, note.size()));
    const std::string part = shown.substr(note.size());
    EXPECT_LE(part.size(), static_cast<size_t>(CScanLogsDialog::MaxShownBytes));
    EXPECT_GT(part.size(), static_cast<size_t>(CScanLogsDialog::MaxShownBytes) - 100);
    EXPECT_EQ(big.substr(0, part.size()), part);
    EXPECT_EQ("\r\n", part.substr(part.size() - 2));

    // A log another program holds shut: a note, not the previous log's text.
    HANDLE held = CreateFileA(Log("b_locked.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Choose(1);
    CloseHandle(held);
    EXPECT_EQ("This log file could not be read. It may be in use or damaged.", Shown());

    Choose(2);
    EXPECT_EQ("a b\r\n", Shown());
    CScanLogsDialog::ReadNote note2 = CScanLogsDialog::NoteTooLarge;
    TempFolder::Write(Log("empty.log"), {});
    EXPECT_STREQ("", CScanLogsDialog::ReadLogText(Log("empty.log").c_str(), &note2));
    EXPECT_EQ(CScanLogsDialog::NoteNone, note2);
}
