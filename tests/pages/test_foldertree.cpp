// The folder tree inside its pane, driven by clicks on the check boxes as
// a user makes them: preset folders shown checked and their ancestors
// partly checked, the three states moving up and down, the choice read
// back without nested or repeated folders, preset folders dropped with an
// unchecked folder at any level, and the drive of a volume name with
// parentheses. The full-scan dialog stores the choice only on OK.

#include "pages/fullscandialog.h"
#include "pages/specfoldersdialog.h"
#include "resources/pages/scanids.h"
#include "tests/pages/pages_test_support.h"

#include <memory>

namespace {

class FolderTreeTest : public PagesTest
{
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        for (const char* folder : {"A", "A\\A1", "A\\A2", "A\\A2\\deep", "B", "C", "C\\.hidden"})
            ::CreateDirectoryA(Path(folder).c_str(), nullptr);
        ::SetFileAttributesA(Path("C\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    void TearDown() override
    {
        m_pane.reset();
        PagesTest::TearDown();
    }

    std::string Path(const char* sub) const { return m_root.File(sub); }
    CString Upper(const char* sub) const
    {
        CString text(Path(sub).c_str());
        text.MakeUpper();
        return text;
    }

    CDirTreeCtrl& MakePane(const std::vector<CString>& preset)
    {
        m_pane.reset(new CSpecFoldersDialog(&parent));
        CStringArray folders;
        for (const CString& f : preset)
            folders.Add(f);
        m_pane->SetFolders(folders);
        EXPECT_TRUE(m_pane->CreatePage(0, 0, 0, 0));
        m_pane->ShowWindow(SW_SHOW);
        parent.ShowWindow(SW_SHOW);
        m_current = m_pane.get();
        return m_current->GetTree();
    }

    // The item of a folder, opening every folder on the way.
    HTREEITEM Item(const std::string& path)
    {
        CDirTreeCtrl& tree = m_current->GetTree();
        CString rest(path.c_str());
        HTREEITEM item = nullptr;
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
            if (CDirTreeCtrl::DriveOfRootText(tree.GetItemText(root)).CompareNoCase(rest.Left(2)) == 0)
                item = root;
        rest = rest.Mid(3);
        while (item && !rest.IsEmpty())
        {
            tree.Expand(item, TVE_EXPAND);
            const int slash = rest.Find('\\');
            const CString name = slash < 0 ? rest : rest.Left(slash);
            rest = slash < 0 ? CString() : rest.Mid(slash + 1);
            HTREEITEM found = nullptr;
            for (HTREEITEM child = tree.GetChildItem(item); child && !found; child = tree.GetNextSiblingItem(child))
                if (tree.GetItemText(child).CompareNoCase(name) == 0)
                    found = child;
            item = found;
        }
        return item;
    }
    int State(const char* sub) { return m_current->GetTree().GetStateImage(Item(Path(sub))); }

    // A click on the item's check box, through the mouse as a user makes it.
    void ClickBox(HTREEITEM item)
    {
        CDirTreeCtrl& tree = m_current->GetTree();
        tree.SelectItem(item);  // in view
        CRect text;
        ASSERT_TRUE(tree.GetItemRect(item, &text, TRUE));
        POINT at = {-1, (text.top + text.bottom) / 2};
        for (int x = 0; x < text.left && at.x < 0; ++x)
        {
            UINT hit = 0;
            if (tree.HitTest(CPoint(x, at.y), &hit) == item && (hit & TVHT_ONITEMSTATEICON))
                at.x = x + 3;
        }
        ASSERT_GE(at.x, 0);
        POINT screen = at;
        tree.ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        tree.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        PumpPending();
    }
    std::vector<std::string> Collected()
    {
        CStringArray folders;
        m_current->GetCheckedFolders(folders);
        std::vector<std::string> out;
        for (int i = 0; i < folders.GetSize(); ++i)
            out.push_back(std::string(folders[i]));
        return out;
    }

    TempFolder m_root;
    std::unique_ptr<CSpecFoldersDialog> m_pane;
    CSpecFoldersDialog* m_current = nullptr;
};

} // namespace

TEST_F(FolderTreeTest, PresetFoldersShowCheckedWithTheirAncestorsPartlyChecked)
{
    // A2 covers its own "deep"; B comes twice in other cases; "nowhere" is never shown.
    CDirTreeCtrl& tree = MakePane({Path("A\\A2\\deep").c_str(), Path("B").c_str(), Upper("b"), Path("A\\A2").c_str(),
                                   Path("B\\nowhere").c_str()});
    EXPECT_EQ(2, tree.GetFolderList().GetSize());
    EXPECT_EQ(CDirTreeCtrl::StatePartial, tree.GetStateImage(Item(m_root.Path().substr(0, 2))));
    EXPECT_EQ(CDirTreeCtrl::StatePartial, State("A"));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("B"));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("A\\A2"));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("A\\A2\\deep"));  // under a checked folder
    EXPECT_EQ(CDirTreeCtrl::StateUnchecked, State("A\\A1"));
    EXPECT_EQ(CDirTreeCtrl::StateUnchecked, State("C"));
    // A folder whose only sub-folder is hidden gets no button, but lists it when opened.
    HTREEITEM c = Item(Path("C"));
    EXPECT_EQ(nullptr, tree.GetChildItem(c));
    EXPECT_FALSE(CDirTreeCtrl::HasSubFolders(Path("C").c_str()));
    EXPECT_EQ((std::vector<std::string>{Path("A\\A2"), Path("B")}), Collected());
}

TEST_F(FolderTreeTest, ClicksOnTheBoxesMoveTheStatesUpAndDownAndTheChoiceFollows)
{
    CDirTreeCtrl& tree = MakePane({Path("A\\A2").c_str()});
    // Unchecked A1 checked: every child of A is checked, so A is.
    ClickBox(Item(Path("A\\A1")));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("A\\A1"));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("A"));
    EXPECT_EQ(CDirTreeCtrl::StatePartial, tree.GetStateImage(Item(m_root.Path())));
    EXPECT_EQ((std::vector<std::string>{Path("A")}), Collected());

    // A partly checked folder becomes checked with all below it (the tree
    // view's own turning, which keeps 3 at 3 here, changes nothing).
    HTREEITEM root = Item(m_root.Path());
    ASSERT_EQ(CDirTreeCtrl::StatePartial, tree.GetStateImage(root));
    ClickBox(root);
    EXPECT_EQ(CDirTreeCtrl::StateChecked, tree.GetStateImage(root));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("C"));
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("B"));
    EXPECT_EQ((std::vector<std::string>{m_root.Path()}), Collected());

    // Unchecking B leaves its parent partly checked; unchecking the last
    // checked child leaves the parent unchecked, not partly checked.
    ClickBox(Item(Path("B")));
    EXPECT_EQ(CDirTreeCtrl::StateUnchecked, State("B"));
    EXPECT_EQ(CDirTreeCtrl::StatePartial, tree.GetStateImage(root));
    ClickBox(Item(Path("A\\A1")));
    ClickBox(Item(Path("A\\A2")));
    EXPECT_EQ(CDirTreeCtrl::StateUnchecked, State("A"));
    EXPECT_EQ(CDirTreeCtrl::StatePartial, tree.GetStateImage(root));  // C is still checked
    EXPECT_EQ((std::vector<std::string>{Path("C")}), Collected());
}

TEST_F(FolderTreeTest, UncheckingAFolderAtAnyLevelDropsThePresetFoldersBelowIt)
{
    // "A\A1\x" never gets an item: A1 has no sub-folder to open.
    CDirTreeCtrl& tree = MakePane({Path("A\\A1\\x").c_str(), Path("B").c_str()});
    EXPECT_EQ(CDirTreeCtrl::StatePartial, State("A"));
    ClickBox(Item(Path("A")));  // partly checked: checked
    EXPECT_EQ(CDirTreeCtrl::StateChecked, State("A\\A1"));
    ClickBox(Item(Path("A")));  // unchecked, and the preset below it goes
    EXPECT_EQ(CDirTreeCtrl::StateUnchecked, State("A"));
    EXPECT_EQ((std::vector<std::string>{Path("B")}), Collected());
    EXPECT_EQ(0, tree.GetFolderList().GetSize());
}

TEST_F(FolderTreeTest, RootTextsAndPathsCompareAtFolderBoundaries)
{
    EXPECT_EQ(CString("D:"), CDirTreeCtrl::DriveOfRootText("Data (old)(D:)"));
    EXPECT_EQ(CString("C:"), CDirTreeCtrl::DriveOfRootText("System(C:)"));
    EXPECT_EQ(CString("C:"), CDirTreeCtrl::DriveOfRootText("C:"));
    EXPECT_TRUE(CDirTreeCtrl::IsAtOrUnder("c:\\data\\x", "C:\\Data"));
    EXPECT_TRUE(CDirTreeCtrl::IsAtOrUnder("C:\\Data\\", "C:\\data"));
    EXPECT_FALSE(CDirTreeCtrl::IsAtOrUnder("C:\\Database", "C:\\Data"));
    EXPECT_TRUE(CDirTreeCtrl::IsAtOrUnder("C:\\x", "C:"));
    CStringArray list;
    for (const char* f : {"C:\\a\\b", "C:\\A", "D:\\x", "c:\\a\\", "C:\\ab", ""})
        list.Add(f);
    CDirTreeCtrl::Normalise(list);
    ASSERT_EQ(3, list.GetSize());
    EXPECT_EQ(CString("C:\\A"), list[0]);
    EXPECT_EQ(CString("D:\\x"), list[1]);
    EXPECT_EQ(CString("C:\\ab"), list[2]);
}

TEST_F(FolderTreeTest, TheScheduledScansDialogStoresTheChoiceOnlyOnOk)
{
    for (const UINT button : {UINT(IDC_FULLSCAN_CANCEL), UINT(IDC_FULLSCAN_OK)})
    {
        CScheduledScanSettings::Instance()->SetPaths(Path("B") + "," + Path("A"));
        CFullScanDialog dialog(&parent);
        ASSERT_TRUE(dialog.Create(IDD_FULL_SCAN, &parent));
        CString title;
        dialog.GetWindowText(title);
        EXPECT_EQ(CString("Folders of the scheduled scan"), title);
        CRect pane;
        dialog.GetFoldersPane().GetWindowRect(&pane);
        dialog.ScreenToClient(&pane);
        EXPECT_EQ(CPoint(15, 40), pane.TopLeft());
        m_current = &dialog.GetFoldersPane();
        ClickBox(Item(Path("B")));
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_EQ(button == IDC_FULLSCAN_OK ? Path("A") : Path("B") + "," + Path("A"),
                  CScheduledScanSettings::Instance()->GetPaths());
        dialog.DestroyWindow();
    }
    // An empty choice stores an empty text.
    CScheduledScanSettings::Instance()->SetPaths(Path("B"));
    CFullScanDialog dialog(&parent);
    ASSERT_TRUE(dialog.Create(IDD_FULL_SCAN, &parent));
    m_current = &dialog.GetFoldersPane();
    ClickBox(Item(Path("B")));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FULLSCAN_OK, BN_CLICKED), 0);
    EXPECT_EQ("", CScheduledScanSettings::Instance()->GetPaths());
    dialog.DestroyWindow();
}
