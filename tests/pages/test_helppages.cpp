// The help page with its system-information list, the About box and the
// news page: their texts and layout, the list's cap of twenty rows, links
// through the shell (recorded, never opened), the link cursor, and the
// news from the site, from the local copy or from the built-in page, never
// holding the window's thread while the site is silent.

#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include "foundation/appsettings.h"
#include "pages/aboutdialog.h"
#include "pages/helpdialog.h"
#include "pages/newsdialog.h"
#include "pages/siteaddresses.h"
#include "resources/pages/helpids.h"
#include "tests/pages/help_test_support.h"
#include "tests/platform/html/silent_server.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"

namespace {

int Count(const CString& text, const char* part)
{
    int n = 0;
    for (int at = text.Find(part); at >= 0; at = text.Find(part, at + 1))
        ++n;
    return n;
}

// The cursor after a mouse move over the centre of the control.
HCURSOR CursorOver(CWnd& dialog, UINT id)
{
    CRect rect;
    dialog.GetDlgItem(id)->GetWindowRect(rect);
    MSG msg = {dialog.GetDlgItem(id)->GetSafeHwnd(), WM_MOUSEMOVE, 0, 0, 0, rect.CenterPoint()};
    ::SetCursor(nullptr);
    dialog.PreTranslateMessage(&msg);
    return ::GetCursor();
}

class HelpPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_english.IsReady());
        EnsureCommonControls();
        ASSERT_TRUE(CreatePopup(m_parent));
        m_parent.SetWindowPos(nullptr, 0, 0, 700, 460, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    void TearDown() override { m_parent.DestroyWindow(); }

    EnglishTexts m_english;
    CTestPageHost m_host;
    ShellOpens m_shell;
    MessageBoxes m_boxes;
    CWnd m_parent;
};

} // namespace

TEST_F(HelpPagesTest, TheSystemInformationListKeepsTheNewestTwentyRows)
{
    CSystemInfoList list(&m_parent);
    ASSERT_TRUE(list.CreateChild(CRect(0, 0, 300, 200)));
    for (int i = 1; i <= 21; ++i)
        EXPECT_TRUE(list.AddSection(CString("\r\n\r\nrow ") + std::to_string(i).c_str() + "!"));
    EXPECT_EQ(CSystemInfoList::kMaxRows, list.GetRowCount());
    EXPECT_EQ(20, Count(list.GetMarkup(), "<TR class=\"outer\"><TD class=\"outer\"><div"));
    EXPECT_EQ(-1, list.GetMarkup().Find(">row 1!<"));
    EXPECT_LT(list.GetMarkup().Find(">row 2!<"), list.GetMarkup().Find(">row 21!<"));
    EXPECT_EQ(0, list.GetMarkup().Find("<TABLE id=\"mainTable\""));

    // Text is escaped; its line breaks stay, the leading ones go.
    list.Reset();
    list.AddSection("\r\nA<B & \"C\"\r\nD's");
    EXPECT_NE(-1, list.GetMarkup().Find("<font class=\"eventTitle\">A&lt;B &amp; &quot;C&quot;<br>D&apos;s</font>"));
    EXPECT_EQ(1, list.GetRowCount());
}

TEST_F(HelpPagesTest, TheHelpPageListsTheEightSectionsAndOpensItsLinksThroughTheShell)
{
    CHelpDialog page(&m_parent);
    ASSERT_TRUE(page.CreatePage(10, 50, 650, 430));
    EXPECT_EQ("System information", ControlText(page, IDC_HELP_SYSINFO_TITLE));
    EXPECT_EQ("Customer support forum", ControlText(page, IDC_HELP_FORUM_LINK));
    EXPECT_EQ("Telmin Cleanwarden help", ControlText(page, IDC_HELP_FILE_LINK));
    EXPECT_EQ("Update the signature database", ControlText(page, IDC_HELP_LIVE_UPDATE_LINK));
    page.ShowWindow(SW_SHOW);
    EXPECT_FALSE(page.GetDlgItem(IDC_HELP_APP_UPDATE_LINK)->IsWindowVisible());

    // The sections in the order of their keys, one row each.
    const CString& markup = page.GetList().GetMarkup();
    EXPECT_EQ(8, page.GetList().GetRowCount());
    int at = 0;
    for (const char* start : {"OS Version = ", "Windows Directory = ", "Browser version = ", "Sytem CPU info = ",
                              "Total physical memory : ", "Video resolution info = ", "System bios version = ",
                              "Local drives info :"})
    {
        const int found = markup.Find(start);
        EXPECT_GT(found, at) << start;
        at = found;
    }
    CRect list;
    page.GetList().GetWindowRect(list);
    page.ScreenToClient(list);
    EXPECT_EQ(CPoint(270, 50), list.TopLeft());
    CRect frame;
    page.GetDlgItem(IDC_HELP_FRAME)->GetWindowRect(frame);
    page.ScreenToClient(frame);
    EXPECT_TRUE(frame.left < list.left && frame.top < list.top && list.right < frame.right &&
                list.bottom < frame.bottom)
        << "the list lies inside its frame";
    EXPECT_EQ(nullptr, ::GetWindow(page.GetDlgItem(IDC_HELP_FRAME)->GetSafeHwnd(), GW_HWNDNEXT))
        << "the frame lies behind the list";
    EXPECT_TRUE(page.GetList().IsWindowVisible());

    // Links: the link cursor over them, the arrow over their icons.
    EXPECT_EQ(m_host.linkCursor, CursorOver(page, IDC_HELP_FORUM_LINK));
    EXPECT_EQ(m_host.linkCursor, CursorOver(page, IDC_HELP_LIVE_UPDATE_LINK));
    EXPECT_EQ(::LoadCursorA(nullptr, IDC_ARROW), CursorOver(page, IDC_HELP_FORUM_ICON));

    Click(page, IDC_HELP_FORUM_LINK);
    Click(page, IDC_HELP_FILE_LINK);
    ASSERT_EQ(2u, m_shell.opened.size());
    EXPECT_EQ(page.GetSafeHwnd(), m_shell.opened[0].owner);
    EXPECT_EQ("http://www.telmin.com/forum/", m_shell.opened[0].path);
    EXPECT_EQ(std::string(GetModuleFolder()) + "telmincleanwarden.chm", m_shell.opened[1].path);
    EXPECT_TRUE(m_boxes.shown.empty());

    // A help file the shell cannot open is said so.
    m_shell.answer = SE_ERR_FNF;
    Click(page, IDC_HELP_FILE_LINK);
    ASSERT_EQ(1u, m_boxes.shown.size());
    EXPECT_EQ("The help file could not be opened.\nPlease reinstall Telmin Cleanwarden or visit the customer "
              "support forum.",
              m_boxes.shown[0].text);
    page.DestroyWindow();
}

TEST_F(HelpPagesTest, AboutShowsTheRunningBuildAndOpensTheTwoSites)
{
    CAboutDialog about;
    const INT_PTR result = RunModal(about, [&] {
        CString title;
        about.GetWindowText(title);
        EXPECT_STREQ("About Telmin Cleanwarden", title);
        EXPECT_EQ("Telmin Cleanwarden version 2.1.153, build 153", ControlText(about, IDC_ABOUT_VERSION));
        EXPECT_EQ(std::string(GetProductAddress()), ControlText(about, IDC_ABOUT_PRODUCT_LINK));
        EXPECT_EQ("Close", ControlText(about, IDC_ABOUT_CLOSE));
        CRect logo;
        about.GetDlgItem(IDC_ABOUT_LOGO)->GetWindowRect(logo);
        EXPECT_EQ(CSize(115, 42), logo.Size());
        EXPECT_EQ(m_host.linkCursor, CursorOver(about, IDC_ABOUT_COMPANY_LINK));
        EXPECT_EQ(::LoadCursorA(nullptr, IDC_ARROW), CursorOver(about, IDC_ABOUT_COPYRIGHT));

        Click(about, IDC_ABOUT_PRODUCT_LINK);
        Click(about, IDC_ABOUT_COMPANY_LINK);
        Click(about, IDC_ABOUT_CLOSE);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(2u, m_shell.opened.size());
    EXPECT_EQ("http://www.telmin.com/cleanwarden/", m_shell.opened[0].path);
    EXPECT_EQ("http://www.telmin.com/", m_shell.opened[1].path);
    EXPECT_NE(nullptr, m_shell.opened[0].owner);
}

namespace {

class NewsPageTest : public WithUpdateServer<HelpPagesTest>
{
protected:
    void SetUp() override
    {
        HelpPagesTest::SetUp();
        ASSERT_TRUE(server().Running());
        server().Put("lastnews.php", std::string("<html><body><p>Fresh news</p></body></html>"));
        server().ClearRequests();
        CAppSettings::Instance()->SetDownloadNews(true);
        m_site = std::make_unique<ScopedVariable>("CLEANWARDEN_WEB_SITE", server().Url(""));
        ASSERT_TRUE(m_page.CreatePage(10, 50, 650, 430));
    }
    void TearDown() override
    {
        m_page.DestroyWindow();
        m_site.reset();
        CAppSettings::DeleteInstance();
        HelpPagesTest::TearDown();
    }

    std::string Shown()
    {
        CString url;
        m_page.GetView().GetCurrentUrl(url);
        return url.GetString();
    }
    // Shows the page and waits for its news; how long the showing took and
    // whether the site's check was still under way when it returned.
    struct Showing
    {
        DWORD ms;
        bool checking;
    };
    Showing ShowAndWait(const char* urlStart)
    {
        m_page.ShowWindow(SW_HIDE);
        const DWORD begin = GetTickCount();
        m_page.ShowWindow(SW_SHOW);
        const Showing showing = {GetTickCount() - begin, m_page.IsChecking()};
        EXPECT_TRUE(PumpUntil([&] { return !m_page.IsChecking() && Shown().rfind(urlStart, 0) == 0; },
                              CHtmlDialogBase::kAddressCheckMs + 5000))
            << Shown();
        return showing;
    }

    CNewsDialog m_page{&m_parent};
    std::unique_ptr<ScopedVariable> m_site;
};

} // namespace

TEST_F(NewsPageTest, TheSiteIsAskedEachTimeThePageShows)
{
    ShowAndWait(server().Url("/lastnews.php").c_str());
    EXPECT_EQ(server().Url("/lastnews.php?v=2.1.153"), Shown());
    EXPECT_TRUE(m_page.GetLastResult());
    EXPECT_TRUE(m_page.GetView().IsWindowVisible());
    EXPECT_FALSE(m_page.GetDlgItem(IDC_NEWS_NOTICE)->IsWindowVisible());
    ShowAndWait(server().Url("/lastnews.php").c_str());
    // The check and the page's fetch, twice.
    EXPECT_TRUE(PumpUntil([&] { return server().Requests().size() >= 4; }, 6000));
    PumpFor(200);
    EXPECT_EQ(4, static_cast<int>(server().Requests().size()));
    for (const std::string& request : server().Requests())
        EXPECT_EQ("/lastnews.php?v=2.1.153", request);
}

TEST_F(NewsPageTest, WithoutTheSiteTheLocalCopyThenTheBuiltInPageShowsAndASilentSiteHoldsNothing)
{
    const std::string local = std::string(GetModuleFolder()) + "news.html";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(local.c_str()));
    SilentServer silent;
    ScopedVariable site("CLEANWARDEN_WEB_SITE", silent.url.substr(0, silent.url.rfind('/')));
    // The page shows at once, the site's check still under way (waiting for
    // the silent site costs the check's whole time); its local copy follows
    // the check's time-out.
    const DWORD begin = GetTickCount();
    const Showing showing = ShowAndWait("file://");
    EXPECT_TRUE(showing.checking) << "the page waited for the site";
    EXPECT_LT(showing.ms, CHtmlDialogBase::kAddressCheckMs - 1000);
    EXPECT_LT(GetTickCount() - begin, CHtmlDialogBase::kAddressCheckMs + 3000);
    EXPECT_NE(std::string::npos, Shown().find("news.html"));
    EXPECT_FALSE(m_page.GetLastResult());

    // No local copy: the built-in page.
    const std::string aside = local + ".aside";
    ASSERT_TRUE(MoveFileA(local.c_str(), aside.c_str()));
    ShowAndWait("res://");
    MoveFileA(aside.c_str(), local.c_str());
}

TEST_F(NewsPageTest, SwitchedOffNewsShowOnlyTheNoticeAndAskNothing)
{
    ShowAndWait(server().Url("/lastnews.php").c_str());
    server().ClearRequests();
    CAppSettings::Instance()->SetDownloadNews(false);
    m_page.ShowWindow(SW_HIDE);
    m_page.ShowWindow(SW_SHOW);
    EXPECT_FALSE(m_page.IsChecking());
    EXPECT_TRUE(m_page.GetDlgItem(IDC_NEWS_NOTICE)->IsWindowVisible());
    EXPECT_EQ("News are switched off.\nYou can switch them on in the settings.",
              ControlText(m_page, IDC_NEWS_NOTICE));
    EXPECT_FALSE(m_page.GetView().IsWindowVisible());
    PumpFor(300);
    EXPECT_TRUE(server().Requests().empty());
}

TEST(SiteAddresses, TheUpdateFolderIsReadAlikeByTheUpdateManagerAndThePages)
{
    // Set, set to nothing, not set, and longer than addresses usually are.
    const std::string local = "http://127.0.0.1:9/liveupdate/";
    const std::string longer = "http://127.0.0.1:9/" + std::string(3000, 'u') + "/";
    const std::string fallback = CVostelUpdateManager::DefaultUpdateUrl;
    const std::pair<const char*, std::string> cases[] = {
        {local.c_str(), local}, {"", fallback}, {nullptr, fallback}, {longer.c_str(), longer}};
    for (const auto& c : cases)
    {
        SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", c.first);
        EXPECT_EQ(c.second, std::string(CVostelUpdateManager::UpdateFolderUrl()));
        EXPECT_EQ(c.second, std::string(GetUpdateFolderAddress()));
    }
    SetEnvironmentVariableA("CLEANWARDEN_UPDATE_URL", nullptr);
}
