// The ignore list page on the engine's ignore list: the ignored threats
// shown unchecked, the checked ones taken off and the list file saved at
// once (read back by the engine, whose check then lets the threat through
// again), and a save that fails told to the user.

#include "pages/ignorelistdialog.h"

#include "resources/pages/maintenanceids.h"
#include "tests/engine/com_test_support.h"
#include "tests/pages/test_page_host.h"
#include "tests/pages/maintenance_test_support.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"

namespace {

class IgnoreListPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_english.IsReady());
        ASSERT_TRUE(m_page.CreatePage(0, 0, 640, 380));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override { m_page.DestroyWindow(); }

    // Ignore from the results: the threats' items marked Ignore, fed to the list.
    void Ignore(const std::vector<ULONG>& ids)
    {
        CComPtr<IThreatCollection> results;
        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_ThreatCollection, &results));
        for (ULONG id : ids)
        {
            CComPtr<IThreat> threat = NewThreat(id, (L"Adware " + std::to_wstring(id)).c_str());
            CComPtr<ISearchItem> item = Item(id);
            item->put_Ignore(1);
            item->put_Known(1);
            threat->Add(item);
            results->Add(threat);
        }
        ASSERT_EQ(S_OK, m_host.IgnoreList()->Feed(results));
    }
    static CComPtr<ISearchItem> Item(ULONG id)
    {
        return NewItem(saQuickDisk, (L"c:\\adware\\a" + std::to_wstring(id) + L".exe").c_str());
    }
    // IDs of the threats the ignore list holds, in its order.
    static std::vector<ULONG> Ids(IIgnoreList* list)
    {
        CComPtr<IThreatCollection> items;
        list->get_Items(&items);
        return ThreatIds(items);
    }
    void Click(UINT id)
    {
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_page.GetDlgItem(id)->m_hWnd));
    }
    std::string Text(UINT id)
    {
        CString text;
        m_page.GetDlgItemText(id, text);
        return static_cast<LPCSTR>(text);
    }

    EnglishTexts m_english;
    ScratchDataFolder m_data;
    CTestPageHost m_host{m_data.Path() + "\\"};
    MessageBoxes m_boxes;
    CPageParent m_parent;
    CIgnoreListDialog m_page{&m_parent};
};

} // namespace

TEST_F(IgnoreListPageTest, TheTitleLeavesTheListsFrameUncovered)
{
    CRect title, frame;
    m_page.GetDlgItem(IDC_IGNORE_LIST_TITLE)->GetWindowRect(&title);
    m_page.GetDlgItem(IDC_IGNORE_LIST_LIST_FRAME)->GetWindowRect(&frame);
    EXPECT_LE(title.bottom, frame.top);
}

TEST_F(IgnoreListPageTest, TakesTheCheckedThreatsOffAndSavesTheListAtOnce)
{
    Ignore({71, 72, 73, 74});
    m_page.ShowIgnoreList();
    CThreatListView& list = m_page.GetThreatList();
    for (int id : {71, 72, 73, 74})
        EXPECT_EQ(0, list.GetCheckBoxState(id)) << id;   // known threats too
    EXPECT_EQ("Select All", Text(IDC_IGNORE_LIST_SELECT_ALL));
    EXPECT_EQ("Manage your Ignore List:", Text(IDC_IGNORE_LIST_TITLE));
    Click(IDC_IGNORE_LIST_SELECT_ALL);
    EXPECT_EQ("Deselect All", Text(IDC_IGNORE_LIST_SELECT_ALL));
    EXPECT_EQ(1, list.GetCheckBoxState(74));

    // Two neighbours checked: both go, and the file says so.
    list.RemoveThreat(71);
    list.RemoveThreat(74);
    Click(IDC_IGNORE_LIST_REMOVE);
    EXPECT_EQ((std::vector<ULONG>{71, 74}), Ids(m_host.IgnoreList()));
    CComPtr<IIgnoreList> reread;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_IgnoreList, &reread));
    ASSERT_EQ(S_OK, reread->Load(CComBSTR(m_data.File("ilist.lst").c_str())));
    EXPECT_EQ((std::vector<ULONG>{71, 74}), Ids(reread));
    // The next scan lets the threats taken off through again.
    INT index = 0;
    EXPECT_EQ(S_FALSE, m_host.IgnoreList()->CheckSearchItem(72, Item(72), &index));
    EXPECT_EQ(S_OK, m_host.IgnoreList()->CheckSearchItem(71, Item(71), &index));

    // Shown again: what is left, unchecked; all of it taken off leaves an empty file.
    m_page.ShowIgnoreList();
    EXPECT_EQ("Select All", Text(IDC_IGNORE_LIST_SELECT_ALL));
    EXPECT_EQ(0, list.GetCheckBoxState(71));
    Click(IDC_IGNORE_LIST_SELECT_ALL);
    Click(IDC_IGNORE_LIST_REMOVE);
    EXPECT_TRUE(Ids(m_host.IgnoreList()).empty());
    CComPtr<IIgnoreList> empty;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_IgnoreList, &empty));
    ASSERT_EQ(S_OK, empty->Load(CComBSTR(m_data.File("ilist.lst").c_str())));
    EXPECT_TRUE(Ids(empty).empty());
    EXPECT_TRUE(m_boxes.shown.empty());

    Click(IDC_IGNORE_LIST_BACK);
    PumpPending();
    EXPECT_EQ(1, m_parent.backs);
}

TEST_F(IgnoreListPageTest, AFailedSaveIsToldAndTheOldFileStaysWhole)
{
    Ignore({81, 82});
    ASSERT_EQ(S_OK, m_host.IgnoreList()->Save(CComBSTR(m_data.File("ilist.lst").c_str())));
    const std::vector<BYTE> before = TempFolder::Read(m_data.File("ilist.lst"));
    // The list file cannot be replaced while another program holds it.
    HANDLE held = CreateFileA(m_data.File("ilist.lst").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    m_page.ShowIgnoreList();
    Click(IDC_IGNORE_LIST_SELECT_ALL);
    Click(IDC_IGNORE_LIST_REMOVE);
    CloseHandle(held);
    ASSERT_EQ(1u, m_boxes.shown.size());
    EXPECT_EQ("Error", m_boxes.shown[0].caption);
    EXPECT_EQ("The ignore list could not be saved. The threats you removed will be ignored again the next time "
              "Telmin Cleanwarden starts.",
              m_boxes.shown[0].text);
    EXPECT_EQ(before, TempFolder::Read(m_data.File("ilist.lst")));
    EXPECT_TRUE(Ids(m_host.IgnoreList()).empty());
}
