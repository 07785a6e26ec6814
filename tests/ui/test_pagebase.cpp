// The page dialog base and its mix-ins: the tooltip and its relay, texts by
// key from the language file, and the control helpers, which do nothing
// for a control the dialog does not have.

#include <gtest/gtest.h>

#include "foundation/debuglog.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/uitest_ids.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

#include <algorithm>
#include <stdexcept>

namespace {

CallLog* g_relayLog = nullptr;
WNDPROC g_tooltipProc = nullptr;

LRESULT CALLBACK TooltipSpy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TTM_RELAYEVENT && g_relayLog)
    {
        const MSG* relayed = reinterpret_cast<const MSG*>(lParam);
        if (relayed->message == WM_MOUSEMOVE)
            g_relayLog->push_back("relay");
    }
    return CallWindowProcA(g_tooltipProc, hWnd, message, wParam, lParam);
}

class CTestPage : public CToolTipDialogEx, public CDialogControlHelper
{
public:
    CTestPage() : CToolTipDialogEx("MainDialog", nullptr, IDD_PAGE), CDialogControlHelper(this) {}

    CallLog log;
    int loads = 0;
    void LoadTexts() override { ++loads; }
    CToolTipCtrl* ToolTip() const { return m_pToolTip; }

protected:
    afx_msg void OnMouseMove(UINT, CPoint) { log.push_back("handler"); }
    afx_msg LRESULT OnFail(WPARAM, LPARAM) { throw std::runtime_error("page handler failed"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CToolTipDialogEx)
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_APP + 1, OnFail)
END_MESSAGE_MAP()

const char kKey64[] = "00112233445566778899aabbccddeeff0f1e2d3c4b5a69788796a5b4c3d2e1f0";

} // namespace

TEST(PageBase, TooltipIsMadeAtInitialisationAndGoesWithTheDialog)
{
    EnsureCommonControls();
    CTestPage page;
    ASSERT_NE(nullptr, page.ToolTip());
    EXPECT_EQ(nullptr, page.ToolTip()->m_hWnd);  // no window before the dialog's
    ASSERT_TRUE(page.Create(IDD_PAGE, nullptr));
    ASSERT_NE(nullptr, page.ToolTip()->m_hWnd);
    EXPECT_EQ(300, page.ToolTip()->GetMaxTipWidth());
    EXPECT_EQ(page.m_hWnd, ::GetWindow(page.ToolTip()->m_hWnd, GW_OWNER));
    EXPECT_FALSE(page.HasSizeGrip());
    EXPECT_FALSE(page.CreatePage(0, 0, 10, 10));
    EXPECT_STREQ("MainDialog", page.GetSectionName());
    EXPECT_TRUE(page.IsKindOf(RUNTIME_CLASS(CToolTipDialog)));
    EXPECT_STREQ("CToolTipDialogEx", page.GetRuntimeClass()->m_lpszClassName);

    page.DestroyWindow();
    EXPECT_EQ(nullptr, page.ToolTip()->m_hWnd);
    EXPECT_FALSE(page.ToolTip()->DestroyWindow());  // already gone: nothing to destroy
}

TEST(PageBase, MouseMessagesReachTheTooltipBeforeTheDialog)
{
    EnsureCommonControls();
    CTestPage page;
    ASSERT_TRUE(page.Create(IDD_PAGE, nullptr));
    g_relayLog = &page.log;
    g_tooltipProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        page.ToolTip()->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TooltipSpy)));
    page.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([&] { return page.log.size() >= 2; }));
    EXPECT_EQ((CallLog{"relay", "handler"}), page.log);
    g_relayLog = nullptr;
    page.DestroyWindow();
}

TEST(PageBase, HandlerFailureIsWrittenToTheDebugLog)
{
    TempFolder folder;
    SetDebugLogFolder(folder.Path().c_str());
    CTestPage page;  // the dialog base sends the framework's lines to the debug log
    ASSERT_TRUE(page.Create(IDD_PAGE, nullptr));
    EXPECT_EQ(0, page.SendMessage(WM_APP + 1));
    EXPECT_TRUE(::IsWindow(page.m_hWnd));
    page.DestroyWindow();
    SetDebugLogFolder(nullptr);
    std::vector<BYTE> bytes = TempFolder::Read(folder.File("sdebug.log"));
    std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, log.find("] Message: C++ exception: page handler failed\nFunction: window procedure"))
        << log;
}

TEST(PageBase, TextsComeFromTheDialogsSectionOrAreEmpty)
{
    std::string temp = (LPCSTR)CreateTempFileName("wobe");
    CMapStringToString macros;
    macros.SetAt("{VER}", "2.1.153");
    macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
    CLocalizer::Configure(kKey64, macros, temp.c_str(),
                          (std::string((LPCSTR)GetModuleFolder()) + "testdata\\lang").c_str());
    ASSERT_TRUE(CLocalizer::Instance()->SetLocale("English"));

    CTestPage page;
    EXPECT_STREQ("Telmin Cleanwarden 2.1.153", page.GetText("title"));
    EXPECT_STREQ("", page.GetText("noSuchKey"));
    struct CElsewhere : CLocalizedTextSource
    {
        CElsewhere() : CLocalizedTextSource("NoSuchSection") {}
        void LoadTexts() override {}
    } elsewhere;
    EXPECT_STREQ("", elsewhere.GetText("title"));
    CLocalizer::DeleteInstance();
    DeleteFileA((std::string((LPCSTR)GetTempFolder()) + temp).c_str());

    // Without a configured localizer the texts are missing, not a failure;
    // the debug log says why.
    TempFolder logFolder;
    SetDebugLogFolder(logFolder.Path().c_str());
    CLocalizer::Configure("", macros, temp.c_str(), "");
    EXPECT_STREQ("", page.GetText("title"));
    CLocalizer::DeleteInstance();
    SetDebugLogFolder(nullptr);
    std::vector<BYTE> bytes = TempFolder::Read(logFolder.File("sdebug.log"));
    EXPECT_NE(std::string::npos,
              std::string(bytes.begin(), bytes.end()).find("Function: CLocalizedTextSource::GetText"));
}

TEST(PageBase, ControlHelpersActOnTheControlOrDoNothing)
{
    CTestPage page;
    ASSERT_TRUE(page.Create(IDD_PAGE, nullptr));

    page.SetControlText(IDC_TEXT, "hello");
    EXPECT_STREQ("hello", page.GetControlText(IDC_TEXT));
    page.SetControlInt(IDC_NUMBER, -5);
    EXPECT_STREQ("-5", page.GetControlText(IDC_NUMBER));

    page.SetCheck(IDC_CHECK, 5);  // any non-zero value checks
    EXPECT_EQ(BST_CHECKED, page.IsDlgButtonChecked(IDC_CHECK));
    EXPECT_TRUE(page.IsChecked(IDC_CHECK));
    page.CheckDlgButton(IDC_CHECK, BST_INDETERMINATE);
    EXPECT_TRUE(page.IsChecked(IDC_CHECK));  // indeterminate counts as checked
    page.SetCheck(IDC_CHECK, FALSE);
    EXPECT_FALSE(page.IsChecked(IDC_CHECK));

    page.EnableControl(IDC_BUTTON, FALSE);
    EXPECT_FALSE(page.GetDlgItem(IDC_BUTTON)->IsWindowEnabled());
    EXPECT_TRUE(page.SetControlPos(IDC_BUTTON, nullptr, 3, 4, 50, 20, SWP_NOZORDER));
    CRect r;
    page.GetDlgItem(IDC_BUTTON)->GetWindowRect(r);
    page.ScreenToClient(r);
    EXPECT_EQ(CRect(3, 4, 53, 24), r);
    EXPECT_FALSE(page.SetControlSkin(IDC_BUTTON, "Dialog", "Dialog"));  // no skin toolkit here

    // A control the dialog does not have: nothing happens.
    const UINT missing = 4242;
    page.SetControlText(missing, "x");
    page.SetControlInt(missing, 1);
    page.SetCheck(missing, TRUE);
    page.EnableControl(missing, FALSE);
    EXPECT_STREQ("", page.GetControlText(missing));
    EXPECT_FALSE(page.IsChecked(missing));
    EXPECT_FALSE(page.SetControlPos(missing, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(page.SetControlSkin(missing, "Dialog", "Dialog"));
    page.DestroyWindow();

    // Without a window (or without a dialog) the helpers do nothing either.
    EXPECT_STREQ("", page.GetControlText(IDC_TEXT));
    CDialogControlHelper none(nullptr);
    none.SetControlText(IDC_TEXT, "x");
    EXPECT_FALSE(none.IsChecked(IDC_CHECK));
}

TEST(PageBase, ListFilesNamesFilesOnlyWithOrWithoutExtension)
{
    TempFolder folder;
    TempFolder::Write(folder.File("a.log"), {});
    TempFolder::Write(folder.File("b.log"), {});
    TempFolder::Write(folder.File("x.lo"), {});
    CreateDirectoryA(folder.File("c.log").c_str(), nullptr);

    CStringArray names;
    names.Add("stale");
    CDialogControlHelper::ListFiles(names, (folder.Path() + "\\*.log").c_str(), FALSE);
    ASSERT_EQ(2, names.GetSize());
    std::vector<std::string> sorted = {(LPCSTR)names[0], (LPCSTR)names[1]};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((std::vector<std::string>{"a.log", "b.log"}), sorted);

    CDialogControlHelper::ListFiles(names, (folder.Path() + "\\*.lo").c_str(), TRUE);
    ASSERT_EQ(1, names.GetSize());
    EXPECT_STREQ("", names[0]);  // four characters or fewer leave nothing

    CDialogControlHelper::ListFiles(names, (folder.Path() + "\\*.log").c_str(), TRUE);
    std::vector<std::string> stripped = {(LPCSTR)names[0], (LPCSTR)names[1]};
    std::sort(stripped.begin(), stripped.end());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), stripped);

    CDialogControlHelper::ListFiles(names, (folder.Path() + "\\*.none").c_str(), FALSE);
    EXPECT_EQ(0, names.GetSize());
}
