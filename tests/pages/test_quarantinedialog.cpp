// The quarantine page on the real engine over a scratch data folder:
// backups made by a clean are listed newest first, viewed, restored one
// threat of two (byte for byte and type for type, the rest kept and
// restorable later), deleted; a busy quarantine or an unreadable backup is
// reported and leaves the page usable.

#include "pages/quarantinedialog.h"

#include <algorithm>

#include "app/engineeventdispatcher.h"
#include "resources/pages/maintenanceids.h"
#include "tests/engine/com_test_support.h"
#include "tests/pages/test_page_host.h"
#include "tests/pages/maintenance_test_support.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"

namespace {

std::vector<BYTE> Pattern(size_t size, BYTE seed)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(i * 7 + seed + (i >> 9));
    return bytes;
}

std::string KeyPath()
{
    return "Software\\CleanwardenQuaPage" + std::to_string(GetCurrentProcessId());
}

void PlantValue(const char* name, DWORD type, const std::vector<BYTE>& data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

// The value's type and bytes; type 0xEE when it is missing.
std::pair<DWORD, std::vector<BYTE>> ReadValue(const char* name)
{
    HKEY key;
    DWORD type = 0xEE, size = 0;
    std::vector<BYTE> data;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {type, data};
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
    {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    }
    else
        type = 0xEE;
    RegCloseKey(key);
    return {type, data};
}

CComPtr<ISearchItem> Marked(ScanAreaType type, const std::string& name, const char* value = nullptr)
{
    CComPtr<ISearchItem> item = NewItem(type, CComBSTR(name.c_str()), value ? static_cast<LPCWSTR>(CComBSTR(value)) : nullptr);
    if (type == saRegistry)
        item->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
    item->put_Quarantine(1);
    item->put_Repair(1);
    return item;
}

class QuarantinePageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_english.IsReady());
        RegDeleteTreeA(HKEY_CURRENT_USER, KeyPath().c_str());
    }
    void TearDown() override
    {
        if (m_page.GetSafeHwnd())
            m_page.DestroyWindow();
        RegDeleteTreeA(HKEY_CURRENT_USER, KeyPath().c_str());
    }

    // Backs the threats up and removes them, as Clean on the result page does.
    void Clean(const std::vector<CComPtr<IThreat>>& threats)
    {
        CComPtr<IBackup> backup;
        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &backup));
        CComPtr<IThreatCollection> items;
        backup->get_Items(&items);
        for (const CComPtr<IThreat>& threat : threats)
            items->Add(threat);
        ASSERT_EQ(S_OK, m_host.Quarantine()->CreateBackup(backup));
        ASSERT_EQ(S_OK, m_host.Quarantine()->StopOperation());
    }
    CComPtr<IThreat> Threat(ULONG id, const std::vector<CComPtr<ISearchItem>>& items)
    {
        CComPtr<IThreat> threat = NewThreat(id, (L"Spy " + std::to_wstring(id)).c_str());
        for (const CComPtr<ISearchItem>& item : items)
            threat->Add(item);
        return threat;
    }
    std::string Plant(const char* name, const std::vector<BYTE>& bytes)
    {
        const std::string path = m_data.File(name);
        TempFolder::Write(path, bytes);
        return path;
    }

    void Open()
    {
        ASSERT_TRUE(m_page.CreatePage(0, 0, 640, 380));
        m_page.ShowWindow(SW_SHOW);
        m_page.FillBackupList();
        WaitForPage();
    }
    // Until the page has taken the quarantine's last event and given the list back.
    void WaitForPage()
    {
        EXPECT_TRUE(PumpUntil([this] { return ComboEnabled(); }));
        PumpPending();
    }
    bool ComboEnabled() { return m_page.GetDlgItem(IDC_QUARANTINE_BACKUPS)->IsWindowEnabled() != FALSE; }
    int Entries() { return static_cast<int>(m_page.GetDlgItem(IDC_QUARANTINE_BACKUPS)->SendMessage(CB_GETCOUNT)); }
    void Click(UINT id)
    {
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_page.GetDlgItem(id)->m_hWnd));
    }
    void Choose(int index)
    {
        CWnd* combo = m_page.GetDlgItem(IDC_QUARANTINE_BACKUPS);
        combo->SendMessage(CB_SETCURSEL, index, 0);
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_QUARANTINE_BACKUPS, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(combo->m_hWnd));
        WaitForPage();
    }
    // The user checks exactly this threat of the list.
    void CheckOnly(ULONG id, const std::vector<ULONG>& others)
    {
        m_page.GetThreatList().SetAllCheckboxState(TRUE);
        for (ULONG other : others)
            m_page.GetThreatList().RemoveThreat(static_cast<int>(other));
        ASSERT_EQ(1, m_page.GetThreatList().GetCheckBoxState(static_cast<int>(id)));
    }
    // IDs of the threats the page shows for the viewed backup.
    std::vector<ULONG> Shown()
    {
        CComPtr<IThreatCollection> items;
        if (m_page.GetViewedBackup())
            m_page.GetViewedBackup()->get_Items(&items);
        return ThreatIds(items);
    }
    LONG Backups()
    {
        LONG count = -1;
        m_host.Quarantine()->get_Count(&count);
        return count;
    }

    EnglishTexts m_english;
    ScratchDataFolder m_data;
    CTestPageHost m_host{m_data.Path() + "\\"};
    MessageBoxes m_boxes;
    CPageParent m_parent;
    CQuarantineDialog m_page{&m_parent};
};

} // namespace

TEST(QuarantinePage, BackupTimesAreWrittenInFull)
{
    SYSTEMTIME st = {2007, 9, 1, 3, 13, 45, 7, 0};
    DATE time = 0;
    SystemTimeToVariantTime(&st, &time);
    EXPECT_STREQ("Monday, September 03, 2007 01:45:07 PM", CQuarantineDialog::FormatBackupTime(time));
}

TEST_F(QuarantinePageTest, TheBackupChooserEndsBeforeTheButtonsAtTheProgramsPageWidth)
{
    ASSERT_TRUE(m_page.CreatePage(0, 0, 604, 350));
    CRect chooser, remove;
    m_page.GetDlgItem(IDC_QUARANTINE_BACKUPS)->GetWindowRect(&chooser);
    m_page.GetDlgItem(IDC_QUARANTINE_REMOVE)->GetWindowRect(&remove);
    EXPECT_LT(chooser.right, remove.left);
    EXPECT_GT(chooser.Width(), 200);
}

TEST_F(QuarantinePageTest, RestoresTheCheckedThreatOnlyKeepsTheRestAndDeletesWhatIsDone)
{
    const std::vector<BYTE> oneBytes = Pattern(30000, 1), twoBytes = Pattern(700, 2), laterBytes = Pattern(50, 3);
    const std::string one = Plant("one.exe", oneBytes), two = Plant("two.dll", twoBytes);
    PlantValue("one", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
    PlantValue("two", REG_DWORD, {9, 8, 7, 6});
    Clean({Threat(51, {Marked(saQuickDisk, one), Marked(saRegistry, KeyPath(), "one")}),
           Threat(52, {Marked(saFullDisk, two), Marked(saRegistry, KeyPath(), "two")})});
    Sleep(1100);   // a backup of its own second
    const std::string later = Plant("later.exe", laterBytes);
    Clean({Threat(53, {Marked(saQuickDisk, later)})});
    ASSERT_FALSE(TempFolder::Exists(one));
    ASSERT_EQ(0xEEu, ReadValue("one").first);

    // Newest first, each by its time; the newest is shown.
    Open();
    ASSERT_EQ(2, Entries());
    LONG running = 1;
    m_host.Quarantine()->get_Running(&running);
    EXPECT_EQ(0, running);   // the list came back only once the quarantine was idle
    EXPECT_EQ(std::vector<ULONG>{53}, Shown());
    Choose(1);
    EXPECT_EQ((std::vector<ULONG>{51, 52}), Shown());

    // One threat of two: exactly it comes back; the backup stays, without it.
    CheckOnly(51, {52});
    Click(IDC_QUARANTINE_RESTORE);
    WaitForPage();
    EXPECT_EQ(oneBytes, TempFolder::Read(one));
    EXPECT_EQ((std::make_pair(DWORD(REG_MULTI_SZ), std::vector<BYTE>{'a', 0, 'b', 0, 0})), ReadValue("one"));
    EXPECT_FALSE(TempFolder::Exists(two));
    EXPECT_EQ(0xEEu, ReadValue("two").first);
    EXPECT_EQ(2, Backups());
    EXPECT_EQ(2, Entries());
    EXPECT_EQ(std::vector<ULONG>{52}, Shown());
    EXPECT_TRUE(m_boxes.shown.empty());

    // The rest later: now the backup is spent and goes; the next is shown.
    CheckOnly(52, {});
    Click(IDC_QUARANTINE_RESTORE);
    WaitForPage();
    EXPECT_EQ(twoBytes, TempFolder::Read(two));
    EXPECT_EQ((std::make_pair(DWORD(REG_DWORD), std::vector<BYTE>{9, 8, 7, 6})), ReadValue("two"));
    EXPECT_EQ(oneBytes, TempFolder::Read(one));
    EXPECT_EQ(1, Backups());
    EXPECT_EQ(1, Entries());
    EXPECT_EQ(std::vector<ULONG>{53}, Shown());

    // Nothing checked: nothing to do.
    m_page.GetThreatList().SetAllCheckboxState(FALSE);
    Click(IDC_QUARANTINE_RESTORE);
    EXPECT_TRUE(ComboEnabled());
    EXPECT_FALSE(TempFolder::Exists(later));

    // Deleting the last backup empties the page.
    Click(IDC_QUARANTINE_REMOVE);
    EXPECT_EQ(0, Backups());
    EXPECT_EQ(0, Entries());
    EXPECT_EQ(nullptr, m_page.GetViewedBackup());
    EXPECT_FALSE(TempFolder::Exists(later));
    m_page.FillBackupList();
    EXPECT_EQ(0, Entries());
    EXPECT_EQ(nullptr, m_page.GetViewedBackup());

    Click(IDC_QUARANTINE_BACK);
    PumpPending();
    EXPECT_EQ(1, m_parent.backs);
}

TEST_F(QuarantinePageTest, ABusyQuarantineOrAnUnreadableBackupIsReportedAndTheListComesBack)
{
    const std::string spy = Plant("spy.exe", Pattern(100, 4));
    Clean({Threat(61, {Marked(saQuickDisk, spy)})});
    ASSERT_TRUE(m_page.CreatePage(0, 0, 640, 380));
    m_page.ShowWindow(SW_SHOW);

    // Another action holds the quarantine (its worker waits for this thread).
    CComPtr<IBackup> entry, other;
    m_host.Quarantine()->get_Item(0, &entry);
    EngineCreateInstance(CLSID_Backup, &other);
    DATE time = 0;
    entry->get_Time(&time);
    other->put_Time(time);
    ASSERT_EQ(S_OK, m_host.Quarantine()->ViewBackup(other));
    m_page.FillBackupList();
    ASSERT_EQ(1u, m_boxes.shown.size());
    EXPECT_EQ("Error", m_boxes.shown[0].caption);
    EXPECT_EQ("The quarantine is busy with another task. Please try again in a moment.", m_boxes.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), m_boxes.shown[0].type);
    EXPECT_TRUE(ComboEnabled());
    EXPECT_EQ(nullptr, m_page.GetViewedBackup());
    // The page no longer listens: there is nothing of it left to take out.
    EXPECT_EQ(1, m_host.GetEventDispatcher()->RemoveOnQuarantineProgress(&m_page, &CEngineEventHandler::OnQuarantineProgress));
    m_host.Quarantine()->StopOperation();
    PumpPending();
    EXPECT_EQ(1u, m_boxes.shown.size());

    // Restore and Remove while the quarantine is busy do nothing.
    Choose(0);
    ASSERT_EQ(std::vector<ULONG>{61}, Shown());
    CheckOnly(61, {});
    ASSERT_EQ(S_OK, m_host.Quarantine()->ViewBackup(other));
    Click(IDC_QUARANTINE_RESTORE);
    Click(IDC_QUARANTINE_REMOVE);
    m_host.Quarantine()->StopOperation();
    PumpPending();
    EXPECT_FALSE(TempFolder::Exists(spy));
    EXPECT_EQ(1, Backups());
    EXPECT_TRUE(ComboEnabled());

    // A damaged archive: said so, nothing shown, the list usable.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(m_data.File("quarantine\\*.inf").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    TempFolder::Write(m_data.File("quarantine\\") + found.cFileName, std::vector<BYTE>(64, 0xAB));
    Choose(0);
    ASSERT_EQ(2u, m_boxes.shown.size());
    EXPECT_EQ("This backup could not be read. It may be damaged or in use.", m_boxes.shown[1].text);
    EXPECT_TRUE(ComboEnabled());
}
