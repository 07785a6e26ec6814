// The main dialog with the program's own template, pictures and texts, a
// fake application and the tray behind its seam: what it builds, hiding to
// the tray and showing again, the tray menu's commands, tab switching and
// the private messages, Exit and the engine exception, the balloon, and
// the tray icon that goes with the window.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/appmessages.h"
#include "app/programdialogs.h"
#include "engine/enginelogtext.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "skin/core/skinwnd.h"
#include "skin/draw/skindib.h"
#include "skin/skinlibrary.h"
#include "tests/app/app_test_support.h"
#include "tests/app/fake_engine.h"
#include "tests/platform/mfc/window_test_support.h"
#include "ui/maindialog.h"
#include "ui/maindialoghost.h"
#include "ui/pagestandin.h"
#include "ui/programresources.h"
#include "ui/trayicon.h"

namespace {

typedef CallLog Calls;

// ------------------------------------------------------------------ tray seam

struct TrayCall
{
    DWORD message;
    NOTIFYICONDATAA data;
};
std::vector<TrayCall> g_tray;

BOOL WINAPI RecordTray(DWORD message, PNOTIFYICONDATAA data)
{
    g_tray.push_back({message, *data});
    return TRUE;
}

// ------------------------------------------------------------------- pages

// A stand-in page that records the private messages it gets and its text loads.
class CRecordingPage : public CPageStandIn
{
public:
    CRecordingPage(const char* section, CWnd* parent, Calls& calls)
        : CPageStandIn(section, parent), m_calls(calls), m_section(section)
    {
    }

    std::vector<MSG> received;
    int textLoads = 0;

    BOOL CreatePage(int left, int top, int right, int bottom) override
    {
        m_calls.push_back("create " + m_section);
        return CPageStandIn::CreatePage(left, top, right, bottom);
    }
    void LoadTexts() override
    {
        ++textLoads;
        CPageStandIn::LoadTexts();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER && message < 0x8000)
        {
            MSG msg = {m_hWnd, message, wParam, lParam, 0, {0, 0}};
            received.push_back(msg);
        }
        return CPageStandIn::WindowProc(message, wParam, lParam);
    }

private:
    Calls& m_calls;
    std::string m_section;
};

class CFakeHost : public IMainDialogHost
{
public:
    CComPtr<IScanner> scanner;
    CComPtr<IQuarantine> quarantine;
    Calls calls;
    CRecordingPage* pages[PageCount] = {};
    int emptySlot = -1;
    // Run when the pages are made, inside the dialog's initialisation.
    std::function<void(CWnd*)> onInit;
    std::function<void(CWnd*)> onProgramUpdate;

    HWND mainWindow = nullptr;

    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    void SetMainWindowHandle(HWND window) override { mainWindow = window; }
    void GetQuarantineObject(CComPtr<IQuarantine>& out) override { out = quarantine; }
    void ShowExceptionReport(CString engineText, CString exceptionText) override
    {
        calls.push_back("report [" + std::string(engineText) + "] [" + std::string(exceptionText) + "]");
    }
    void SetDefaultDialogSkinName(CString name) override { calls.push_back("skin name " + std::string(name)); }
    void ApplyDefaultDialogSkin() override { calls.push_back("apply skin"); }
    void MakePages(CWnd* parent, CToolTipDialog* out[PageCount]) override
    {
        for (int i = 0; i < PageCount; ++i)
            out[i] = pages[i] = i == emptySlot ? nullptr : new CRecordingPage(kMainPageSections[i], parent, calls);
        if (onInit)
            onInit(parent);
    }
    void RunAboutDialog(CWnd* owner) override
    {
        calls.push_back("about");
        if (onAbout)
            onAbout(owner);
    }
    std::function<void(CWnd*)> onAbout;
    void RunProgramUpdateDialog(CWnd* owner) override
    {
        calls.push_back("program update");
        if (onProgramUpdate)
            onProgramUpdate(owner);
    }
};

const int kWatchdogResult = -77;
CMainDialog* g_modal = nullptr;

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_modal && g_modal->m_hWnd)
        g_modal->EndDialog(kWatchdogResult);
}

class MainDialogTest : public StaTest
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        EnsureCommonControls();
        g_tray.clear();
        g_boxes.clear();
        g_onBox = nullptr;
        m_previousTray = SetTrayNotifyFunction(&RecordTray);
        m_previousBox = AfxSetMessageBoxHandler(&RecordBox);
        m_temp = static_cast<LPCSTR>(CreateTempFileName("wobe"));
        CMapStringToString macros;
        macros.SetAt("{VER}", "2.1.153");
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        macros.SetAt("{COMPANY_NAME}", "Telmin Software");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, m_temp.c_str(), GetModuleFolder() + "Lang");
        ASSERT_TRUE(CLocalizer::Instance()->SetLocale("English"));
        m_dialog.reset(new CMainDialog(&m_host));
    }
    void TearDown() override
    {
        m_dialog.reset();
        CLocalizer::DeleteInstance();
        SetTrayNotifyFunction(m_previousTray == &Shell_NotifyIconA ? nullptr : m_previousTray);
        AfxSetMessageBoxHandler(m_previousBox);
        g_onBox = nullptr;
        StaTest::TearDown();
    }

    CMainDialog& Dialog() { return *m_dialog; }
    bool CreateModeless() { return Dialog().Create(IDD_MAIN_DIALOG, nullptr) != FALSE; }
    // Runs the dialog modally; what onInit posts drives it. A dialog that
    // does not end within the time is ended with kWatchdogResult.
    INT_PTR RunModal(DWORD watchdogMs = 30000)
    {
        g_modal = m_dialog.get();
        const UINT_PTR timer = SetTimer(nullptr, 0, watchdogMs, &Watchdog);
        const INT_PTR result = Dialog().DoModal();
        KillTimer(nullptr, timer);
        g_modal = nullptr;
        return result;
    }
    CRecordingPage* Page(int i) { return m_host.pages[i]; }
    size_t TrayCalls(DWORD message) const
    {
        size_t n = 0;
        for (const TrayCall& c : g_tray)
            n += c.message == message;
        return n;
    }
    void SelectTab(int tab)
    {
        CExtendedTabCtrl& tabs = Dialog().GetPageContainer();
        tabs.SetCurSel(tab);
        NMHDR header = {tabs.m_hWnd, static_cast<UINT_PTR>(IDC_PAGE_CONTAINER), static_cast<UINT>(TCN_SELCHANGE)};
        Dialog().SendMessage(WM_NOTIFY, IDC_PAGE_CONTAINER, reinterpret_cast<LPARAM>(&header));
    }

    CFakeHost m_host;
    std::unique_ptr<CMainDialog> m_dialog;
    std::string m_temp;
    TrayNotifyFunc m_previousTray = nullptr;
    AFX_MESSAGEBOX_HANDLER m_previousBox = nullptr;
};

} // namespace

TEST_F(MainDialogTest, OpensWithItsPagesTabsTitlesAndTrayIcon)
{
    ASSERT_TRUE(CreateModeless());
    EXPECT_EQ(Dialog().m_hWnd, m_host.mainWindow);
    EXPECT_EQ(CString("Telmin Cleanwarden 2.1.153"), [&] { CString t; Dialog().GetWindowText(t); return t; }());

    // The container on control 1041: five fixed tabs with their titles and
    // eight pictures; the pages made with the child skin, each in the
    // container's page rectangle.
    CExtendedTabCtrl& tabs = Dialog().GetPageContainer();
    EXPECT_EQ(Dialog().GetDlgItem(IDC_PAGE_CONTAINER)->m_hWnd, tabs.m_hWnd);
    ASSERT_EQ(5, tabs.GetItemCount());
    const char* titles[] = {"Scan", "Settings", "Scheduler", "Help", "News"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(CString(titles[i]), tabs.GetTitle(i));
    EXPECT_EQ(8, tabs.GetBitmapCount());
    CRect item;
    tabs.GetItemRect(0, item);
    EXPECT_EQ(124, item.Width());
    EXPECT_EQ(35, item.Height());
    EXPECT_EQ((Calls{"skin name ChildDialog", "apply skin", "create ScanDialog", "create SettingsDialog",
                     "create ShedulerDialog", "create HelpDialog", "create NewsDialog", "skin name Dialog",
                     "apply skin"}),
              m_host.calls);
    const CRect pageRect = tabs.GetPageRect(&Dialog());
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_TRUE(Page(i)->m_hWnd);
        EXPECT_EQ(Dialog().m_hWnd, ::GetParent(Page(i)->m_hWnd));
        CRect r;
        Page(i)->GetWindowRect(r);
        Dialog().ScreenToClient(r);
        EXPECT_EQ(pageRect, r);
    }
    EXPECT_EQ(Page(0)->m_hWnd, Dialog().GetScanPageWindow());
    EXPECT_EQ(Page(0), tabs.GetShownPage());

    // The logo's size; the About item of the system menu.
    CRect logo;
    Dialog().GetDlgItem(IDC_LOGO)->GetWindowRect(logo);
    EXPECT_EQ(CSize(243, 53), logo.Size());
    CMenu* systemMenu = Dialog().GetSystemMenu(FALSE);
    ASSERT_TRUE(systemMenu);
    const UINT last = systemMenu->GetMenuItemCount() - 1;
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), systemMenu->GetMenuItemID(last));
    CString aboutText;
    systemMenu->GetMenuString(last, aboutText, MF_BYPOSITION);
    EXPECT_EQ(CString("&About Telmin Cleanwarden..."), aboutText);

    // The tray icon: added bare, then given the icon and the tooltip.
    ASSERT_EQ(2u, g_tray.size());
    for (const TrayCall& call : g_tray)
    {
        EXPECT_EQ(Dialog().m_hWnd, call.data.hWnd);
        EXPECT_EQ(128u, call.data.uID);
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), call.data.uFlags);
        EXPECT_EQ(static_cast<UINT>(WM_TRAY_NOTIFY), call.data.uCallbackMessage);
        if (sizeof(void*) == 4)
        {
            EXPECT_EQ(488u, call.data.cbSize);
        }
    }
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_tray[0].message);
    EXPECT_EQ(nullptr, g_tray[0].data.hIcon);
    EXPECT_STREQ("", g_tray[0].data.szTip);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), g_tray[1].message);
    EXPECT_NE(nullptr, g_tray[1].data.hIcon);
    EXPECT_STREQ("Telmin Cleanwarden 2.1.152", g_tray[1].data.szTip);
    EXPECT_TRUE(Dialog().HasTrayIcon());

    // Whenever the window goes, the tray icon goes with it; the application
    // no longer hands its handle out.
    Dialog().DestroyWindow();
    EXPECT_EQ(nullptr, m_host.mainWindow);
    ASSERT_EQ(1u, TrayCalls(NIM_DELETE));
    EXPECT_EQ(128u, g_tray.back().data.uID);
    m_dialog.reset();
    EXPECT_EQ(1u, TrayCalls(NIM_DELETE));
}

TEST_F(MainDialogTest, ClosingHidesToTheTrayAndTheTrayShowsItAgain)
{
    ASSERT_TRUE(CreateModeless());
    Dialog().ShowWindow(SW_SHOW);
    EXPECT_TRUE(Page(0)->IsWindowVisible());
    EXPECT_FALSE(Page(1)->IsWindowVisible());

    Dialog().SendMessage(WM_CLOSE);
    EXPECT_FALSE(Dialog().IsWindowVisible());
    EXPECT_FALSE(Page(0)->IsWindowVisible());
    Dialog().SendMessage(WM_TRAY_NOTIFY, 128, WM_MOUSEMOVE);
    Dialog().SendMessage(WM_TRAY_NOTIFY, 128, WM_LBUTTONDOWN);
    EXPECT_FALSE(Dialog().IsWindowVisible());
    Dialog().SendMessage(WM_TRAY_NOTIFY, 128, WM_LBUTTONUP);
    EXPECT_TRUE(Dialog().IsWindowVisible());
    EXPECT_TRUE(Page(0)->IsWindowVisible());

    Dialog().SendMessage(WM_CLOSE);
    Dialog().SendMessage(WM_COMMAND, ID_TRAY_OPEN);
    EXPECT_TRUE(Dialog().IsWindowVisible());
    EXPECT_TRUE(::IsWindow(Dialog().m_hWnd));
    EXPECT_EQ(0u, TrayCalls(NIM_DELETE));
}

TEST_F(MainDialogTest, TabsSwitchPagesAndWhatIsOutsideThePagesIsIgnored)
{
    m_host.emptySlot = 3;
    ASSERT_TRUE(CreateModeless());
    Dialog().ShowWindow(SW_SHOW);
    CExtendedTabCtrl& tabs = Dialog().GetPageContainer();

    SelectTab(2);
    EXPECT_EQ(Page(2), tabs.GetShownPage());
    EXPECT_TRUE(Page(2)->IsWindowVisible());
    EXPECT_FALSE(Page(0)->IsWindowVisible());

    // The same tab again, an empty slot, tabs outside the map: nothing moves.
    SelectTab(2);
    tabs.SelectPage(3);
    tabs.SelectPage(5);
    tabs.SelectPage(-1);
    tabs.SelectPage(1000);
    EXPECT_EQ(Page(2), tabs.GetShownPage());
    EXPECT_TRUE(Page(2)->IsWindowVisible());

    // A scan locks the tabs and its end frees them.
    Dialog().SendMessage(WM_SELECT_PAGE, 0);
    EXPECT_FALSE(tabs.IsWindowEnabled());
    Dialog().SendMessage(WM_SELECT_PAGE, 1);
    EXPECT_TRUE(tabs.IsWindowEnabled());
}

TEST_F(MainDialogTest, ScanMessagesGoToTheScanPageAndTextsAreReloadedEverywhere)
{
    ASSERT_TRUE(CreateModeless());
    Dialog().ShowWindow(SW_SHOW);
    SelectTab(1);

    EXPECT_EQ(0, Dialog().SendMessage(WM_START_SCAN, 1, 0));
    EXPECT_EQ(Page(0), Dialog().GetPageContainer().GetShownPage());
    EXPECT_TRUE(Page(0)->IsWindowVisible());
    EXPECT_EQ(1, Dialog().GetPageContainer().GetCurSel());  // the highlight stays
    EXPECT_EQ(0, Dialog().SendMessage(WM_REFRESH_STATISTICS, 5, 6));
    PumpUntil([&] { return Page(0)->received.size() >= 2; });
    ASSERT_EQ(2u, Page(0)->received.size());
    EXPECT_EQ(static_cast<UINT>(WM_START_SCAN), Page(0)->received[0].message);
    EXPECT_EQ(1u, Page(0)->received[0].wParam);
    EXPECT_EQ(1, Page(0)->received[0].lParam);
    EXPECT_EQ(static_cast<UINT>(WM_REFRESH_STATISTICS), Page(0)->received[1].message);
    EXPECT_EQ(0u, Page(0)->received[1].wParam);
    EXPECT_EQ(0, Page(0)->received[1].lParam);
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(Page(i)->received.empty()) << i;

    // A language switch: the dialog's own texts and every page's.
    Dialog().SetWindowText("stale");
    Dialog().GetPageContainer().SetTitle(4, "stale");
    EXPECT_EQ(0, Dialog().SendMessage(WM_RELOAD_TEXTS));
    CString title;
    Dialog().GetWindowText(title);
    EXPECT_EQ(CString("Telmin Cleanwarden 2.1.153"), title);
    EXPECT_EQ(CString("News"), Dialog().GetPageContainer().GetTitle(4));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(2, Page(i)->textLoads) << i;
    EXPECT_EQ(CString("Spyware scan"), Page(0)->GetControlText(IDC_STANDIN_TITLE));
    EXPECT_EQ(CString("This page is not part of this version of Telmin Cleanwarden."),
              Page(0)->GetControlText(IDC_STANDIN_NOTE));
}

TEST_F(MainDialogTest, EnterAndEscapeDoNotEndTheDialog)
{
    MSG keys[] = {{nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}}, {nullptr, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}},
                  {nullptr, WM_KEYDOWN, 'A', 0, 0, {0, 0}}};
    m_host.onInit = [&](CWnd* dialog) {
        for (MSG& key : keys)
            key.hwnd = dialog->m_hWnd;
        dialog->PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
        dialog->PostMessage(WM_KEYDOWN, VK_RETURN, 1);
        dialog->PostMessage(WM_COMMAND, ID_TRAY_EXIT);
    };
    EXPECT_EQ(1, RunModal());
    // What the filter does to them before the dialog sees them.
    ASSERT_TRUE(CreateModeless());
    for (MSG& key : keys)
    {
        key.hwnd = Dialog().m_hWnd;
        Dialog().PreTranslateMessage(&key);
    }
    EXPECT_EQ(0u, keys[0].wParam);
    EXPECT_EQ(0u, keys[1].wParam);
    EXPECT_EQ(static_cast<WPARAM>('A'), keys[2].wParam);
}

TEST_F(MainDialogTest, ExitIsRefusedWhileAScanOrAQuarantineActionRunsAndEndsTheDialogOtherwise)
{
    CFakeScanner* scanner = MakeFake<CFakeScanner>(m_host.scanner);
    CFakeQuarantine* quarantine = MakeFake<CFakeQuarantine>(m_host.quarantine);
    scanner->runningAnswers = -1;
    HWND dialog = nullptr;
    m_host.onInit = [&](CWnd* d) {
        dialog = d->m_hWnd;
        d->PostMessage(WM_COMMAND, ID_TRAY_EXIT);
    };
    g_onBox = [&] {
        // The scan ends, a quarantine action begins; then that ends too.
        if (g_boxes.size() == 1)
        {
            scanner->runningAnswers = 0;
            quarantine->runningAnswers = -1;
        }
        else
            quarantine->runningAnswers = 0;
        ::PostMessageA(dialog, WM_COMMAND, ID_TRAY_EXIT, 0);
    };
    EXPECT_EQ(1, RunModal());
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(dialog, g_boxes[0].owner);
    EXPECT_EQ("A scan is still running.\nStop the scan before you exit Telmin Cleanwarden.", g_boxes[0].text);
    EXPECT_EQ("Telmin Cleanwarden 2.1.152", g_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), g_boxes[0].type);
    EXPECT_EQ("The quarantine is still saving or restoring items.\nWait until it has finished before you exit "
              "Telmin Cleanwarden.",
              g_boxes[1].text);
    EXPECT_EQ("Telmin Cleanwarden 2.1.152", g_boxes[1].caption);
    EXPECT_EQ(1u, TrayCalls(NIM_DELETE));
}

TEST_F(MainDialogTest, AnEngineExceptionWaitsForThePartThenReportsOnceAndEndsTheDialog)
{
    CFakeScanner* scanner = MakeFake<CFakeScanner>(m_host.scanner);
    scanner->runningAnswers = 3;
    CEngineLogText.Empty();
    CEngineLogText.Append("the engine's last steps");
    m_host.onInit = [&](CWnd* d) {
        d->PostMessage(WM_ENGINE_EXCEPTION, 1);
        // A second exception, and Exit, while the first is handled.
        d->PostMessage(WM_ENGINE_EXCEPTION, 0);
        d->PostMessage(WM_COMMAND, ID_TRAY_EXIT);
    };
    EXPECT_EQ(0, RunModal());
    CEngineLogText.Empty();
    EXPECT_EQ(4, scanner->runningQuestions);
    EXPECT_EQ(1, static_cast<int>(std::count_if(m_host.calls.begin(), m_host.calls.end(), [](const std::string& c) {
                  return c.rfind("report", 0) == 0;
              })));
    EXPECT_EQ("report [the engine's last steps] []", m_host.calls.back());
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(MainDialogTest, TheTrayMenuShowsTheWindowOpensTheAboutBoxAndExits)
{
    ASSERT_TRUE(CreateModeless());
    // A right click opens the menu; the key waiting in the queue chooses in it,
    // and the command arrives once the menu has closed.
    auto choose = [&](char key) {
        Dialog().PostMessage(WM_KEYDOWN, key, 1);
        Dialog().SendMessage(WM_TRAY_NOTIFY, 128, WM_RBUTTONUP);
        EXPECT_EQ(nullptr, FindWindowA("BitmapMenu", nullptr));
    };
    EXPECT_FALSE(Dialog().IsWindowVisible());
    choose('O');
    EXPECT_TRUE(PumpUntil([&] { return Dialog().IsWindowVisible() != FALSE; }));

    choose('A');
    EXPECT_TRUE(PumpUntil([&] { return m_host.calls.back() == "about"; }));

    choose('X');
    EXPECT_TRUE(PumpUntil([&] { return TrayCalls(NIM_DELETE) == 1; }));
}

TEST_F(MainDialogTest, TheUpdateBalloonTellsTheResultForTenSeconds)
{
    ASSERT_TRUE(CreateModeless());
    g_tray.clear();
    const char* expected[] = {"Telmin Cleanwarden has been updated to the newest signature database.",
                              "Your signature database is up to date.",
                              "The update could not be completed. Please try again later.", ""};
    const LPARAM results[] = {1, 2, 3, 9};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0, Dialog().SendMessage(WM_UPDATE_RESULT, 0, results[i]));
    ASSERT_EQ(4u, g_tray.size());
    for (int i = 0; i < 4; ++i)
    {
        const NOTIFYICONDATAA& data = g_tray[i].data;
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), g_tray[i].message);
        EXPECT_EQ(static_cast<UINT>(NIF_INFO), data.uFlags);  // the tooltip stays
        EXPECT_EQ(128u, data.uID);
        EXPECT_EQ(10000u, data.uTimeout);
        EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), data.dwInfoFlags);
        EXPECT_STREQ("", data.szInfoTitle);
        EXPECT_STREQ(expected[i], data.szInfo);
    }
}

TEST_F(MainDialogTest, TrayTextsAreCutToTheirFieldsAndAlwaysEnded)
{
    NOTIFYICONDATAA data;
    memset(&data, 'Z', sizeof(data));
    const std::string longText(400, 'x');
    CopyTrayText(data.szTip, longText.c_str());
    CopyTrayText(data.szInfo, longText.c_str());
    CopyTrayText(data.szInfoTitle, nullptr);
    EXPECT_EQ(127u, strlen(data.szTip));
    EXPECT_EQ(255u, strlen(data.szInfo));
    EXPECT_STREQ("", data.szInfoTitle);
    // What follows the fields is untouched.
    EXPECT_EQ(static_cast<char>('Z'), reinterpret_cast<const char*>(&data.dwState)[0]);
    EXPECT_EQ(static_cast<char>('Z'), reinterpret_cast<const char*>(&data.uTimeout)[0]);
}

TEST_F(MainDialogTest, ASecondProgramUpdateRequestWhileTheFirstIsHandledIsIgnored)
{
    ASSERT_TRUE(CreateModeless());
    m_host.onProgramUpdate = [](CWnd* owner) { owner->SendMessage(WM_SHOW_PROGRAM_UPDATE); };
    EXPECT_EQ(0, Dialog().SendMessage(WM_SHOW_PROGRAM_UPDATE));
    EXPECT_EQ(1, static_cast<int>(std::count(m_host.calls.begin(), m_host.calls.end(), "program update")));
    // Once it is over, the next request is taken.
    m_host.onProgramUpdate = nullptr;
    Dialog().SendMessage(WM_SHOW_PROGRAM_UPDATE);
    EXPECT_EQ(2, static_cast<int>(std::count(m_host.calls.begin(), m_host.calls.end(), "program update")));
}

TEST_F(MainDialogTest, TheSystemMenuAboutItemOpensTheAboutBox)
{
    ASSERT_TRUE(CreateModeless());
    Dialog().SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
    Dialog().SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3);
    EXPECT_EQ(2, static_cast<int>(std::count(m_host.calls.begin(), m_host.calls.end(), "about")));
}

TEST_F(MainDialogTest, AMinimisedWindowComesBackRestoredFromTheTrayIconAndFromOpen)
{
    ASSERT_TRUE(CreateModeless());
    for (int road = 0; road < 2; ++road)
    {
        Dialog().ShowWindow(SW_SHOW);
        Dialog().ShowWindow(SW_MINIMIZE);
        ASSERT_TRUE(Dialog().IsIconic());
        if (road == 0)
            Dialog().SendMessage(WM_TRAY_NOTIFY, 128, WM_LBUTTONUP);
        else
        {
            Dialog().SendMessage(WM_CLOSE);  // minimised and then hidden
            Dialog().SendMessage(WM_COMMAND, ID_TRAY_OPEN);
        }
        EXPECT_TRUE(Dialog().IsWindowVisible()) << road;
        EXPECT_FALSE(Dialog().IsIconic()) << road;
        EXPECT_TRUE(Page(0)->IsWindowVisible()) << road;
    }
}

TEST_F(MainDialogTest, OneAboutAtATimeFromTheTrayAndTheSystemMenu)
{
    ASSERT_TRUE(CreateModeless());
    m_host.onAbout = [&](CWnd*) {
        // Asked for again while it is open, by every road.
        Dialog().SendMessage(WM_COMMAND, ID_TRAY_ABOUT);
        Dialog().SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
    };
    Dialog().SendMessage(WM_COMMAND, ID_TRAY_ABOUT);
    EXPECT_EQ(1, static_cast<int>(std::count(m_host.calls.begin(), m_host.calls.end(), "about")));
    // Once it has closed, the next request opens it again.
    m_host.onAbout = nullptr;
    Dialog().SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
    EXPECT_EQ(2, static_cast<int>(std::count(m_host.calls.begin(), m_host.calls.end(), "about")));
}

TEST_F(MainDialogTest, TheLogoIsThePictureOfTheSkinOnAButtonOutOfTheTabOrder)
{
    ASSERT_TRUE(InitSkinLibrary(GetModuleHandleA(nullptr), "Telmin Cleanwarden", nullptr, 0));
    ASSERT_TRUE(LoadSkinFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(187), "SKIN"));
    ASSERT_TRUE(SetDialogSkin("Dialog"));
    ASSERT_TRUE(CreateModeless());
    HWND logo = Dialog().GetDlgItem(IDC_LOGO)->m_hWnd;
    char name[16] = "";
    GetClassNameA(logo, name, sizeof(name));
    const DWORD style = static_cast<DWORD>(GetWindowLongA(logo, GWL_STYLE));
    EXPECT_STREQ("Button", name);
    EXPECT_EQ(static_cast<DWORD>(BS_BITMAP), style & BS_BITMAP);
    EXPECT_EQ(0u, style & WS_TABSTOP);
    EXPECT_FALSE(IsWindowEnabled(logo)) << "a click neither takes the focus nor commands";

    // Its skinner draws the picture: the shield is slate blue on the page.
    CSkinWnd* skinner = CSkinWnd::FromHandle(logo);
    ASSERT_TRUE(skinner);
    CSkinDib picture(243, 53, 32);
    skinner->Paint(picture.GetDC());
    GdiFlush();
    const DWORD shield = picture.Pixels()[25 * 243 + 10] & 0xFFFFFF, page = picture.Pixels()[2 * 243 + 230] & 0xFFFFFF;
    EXPECT_GT(shield & 0xFF, (shield >> 16) + 0x30) << std::hex << shield;
    EXPECT_EQ(0xF3F5F8u, page) << std::hex << page;
    Dialog().DestroyWindow();
    ExitSkinLibrary();
}

TEST_F(MainDialogTest, TabTitlesTakeTheSkinsTabFontAndColourWhenThereIsOne)
{
    ASSERT_TRUE(CreateModeless());
    CExtendedTabCtrl& tabs = Dialog().GetPageContainer();
    HFONT font = nullptr;
    COLORREF colour = 0;
    tabs.GetTitleFont(font, colour);
    EXPECT_EQ(reinterpret_cast<HFONT>(Dialog().SendMessage(WM_GETFONT)), font);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), colour);

    ASSERT_TRUE(InitSkinLibrary(GetModuleHandleA(nullptr), "Telmin Cleanwarden", nullptr, 0));
    ASSERT_TRUE(LoadSkinFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(187), "SKIN"));
    tabs.GetTitleFont(font, colour);
    HFONT skinFont = nullptr;
    COLORREF skinColour = 0;
    ASSERT_TRUE(GetSkinObjectColors(FindSkinObject("Tab"), &skinFont, &skinColour));
    EXPECT_EQ(skinFont, font);
    EXPECT_EQ(RGB(0x1F, 0x3B, 0x57), colour);
    tabs.SetTextColourOverride(RGB(1, 2, 3));
    tabs.GetTitleFont(font, colour);
    EXPECT_EQ(RGB(1, 2, 3), colour);
    Dialog().DestroyWindow();
    ExitSkinLibrary();
}
