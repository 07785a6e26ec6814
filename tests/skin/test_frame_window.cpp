// The frame-window skinner over a test frame with a menu: the menu moved
// into the skinned bar and back, the client area under caption and bar
// (growing when the bar wraps), hit-test codes of resizable, fixed and
// maximised frames, caption double clicks, menu keys, drop-down commands,
// track sizes, the MDI client's skinner, and frames skinned by the hook
// only once a frame skin is named.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/menus/skinpopupmenu.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"
#include "skin/skinlibrary.h"
#include "skin/windows/skinframewnd.h"
#include "skin/windows/skinmdiclient.h"
#include "menu_test_support.h"

namespace {

std::vector<UINT> s_seen;

LRESULT CALLBACK TestFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_NCLBUTTONDBLCLK || message == WM_LBUTTONDOWN)
        s_seen.push_back(message == WM_COMMAND ? (UINT)(0x10000 | LOWORD(wParam)) : message);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Seen(UINT what)
{
    for (UINT s : s_seen)
        if (s == what)
            return true;
    return false;
}

class FrameWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterSkinPopupMenuClass(GetModuleHandleA(NULL));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestFrameProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        wc.lpszClassName = "CwTestFrame";
        RegisterClassA(&wc);
        // The default shape: top-left 86 x 30, sides 10, bottom 12.
        CSkinStore* store = new CSkinStore();
        CSkinFrameWndObject* frame = new CSkinFrameWndObject();
        frame->SetName("TestFrame");
        frame->m_backgroundFlag = 1;
        frame->m_captionBar.m_rects[2].left = frame->m_captionBar.m_rects[2].right = 2;
        store->AddObject(frame);
        CSkinPopupMenuObject* popup = new CSkinPopupMenuObject();
        popup->SetName("NotAFrame");
        store->AddObject(popup);
        ASSERT_TRUE(GetSkinManager().InstallStore(store));
        s_seen.clear();
    }
    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            if (IsWindow(hwnd))
                DestroyWindow(hwnd);
        Pump();
        GetSkinManager().InstallStore(new CSkinStore());
    }

    HMENU MakeMenu()
    {
        HMENU menu = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
        AppendMenuA(file, MF_STRING, 10, "&Open");
        AppendMenuA(file, MF_STRING, 11, "E&xit");
        AppendMenuA(edit, MF_STRING, 20, "&Copy");
        AppendMenuA(menu, MF_POPUP, (UINT_PTR)file, "&File");
        AppendMenuA(menu, MF_POPUP, (UINT_PTR)edit, "&Edit");
        AppendMenuA(menu, MF_STRING, 30, "&Help");
        return menu;
    }

    HWND MakeFrame(DWORD style, HMENU menu, int width = 400, DWORD exStyle = 0, HWND owner = NULL)
    {
        HWND hwnd = CreateWindowExA(exStyle, "CwTestFrame", "Frame", style | WS_VISIBLE, 100, 100, width, 300, owner,
                                    menu, GetModuleHandleA(NULL), NULL);
        m_windows.push_back(hwnd);
        return hwnd;
    }

    CSkinFrameWnd* Skin(HWND hwnd)
    {
        if (!GetSkinManager().SetFrameSkin(hwnd, "TestFrame"))
            return NULL;
        return dynamic_cast<CSkinFrameWnd*>(GetSkinManager().FindSkinner(hwnd));
    }

    // The client area's place in window coordinates.
    static RECT ClientInWindow(HWND hwnd)
    {
        RECT window, client;
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        MapWindowPoints(hwnd, NULL, (POINT*)&client, 2);
        OffsetRect(&client, -window.left, -window.top);
        return client;
    }

    std::vector<HWND> m_windows;
};

TEST_F(FrameWindowTest, TheMenuMovesIntoTheSkinnedBarUnderTheCaptionAndBackOnDetach)
{
    HMENU menu = MakeMenu();
    HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW, menu);
    CSkinFrameWnd* frame = Skin(hwnd);
    ASSERT_TRUE(frame != NULL);
    EXPECT_EQ(NULL, GetMenu(hwnd)) << "no system menu bar";
    EXPECT_EQ(menu, frame->GetSkinMenu());
    EXPECT_EQ(3, frame->GetMenuBar().GetItemCount());
    const int bar = frame->GetMenuBar().CalcBarHeight(400 - 20);
    ASSERT_GT(bar, 0);
    const RECT client = ClientInWindow(hwnd);
    EXPECT_EQ(10, client.left);
    EXPECT_EQ(30 + bar, client.top);
    EXPECT_EQ(390, client.right);
    EXPECT_EQ(300 - 12, client.bottom);

    EXPECT_FALSE(GetSkinManager().SetFrameSkin(hwnd, "TestFrame")) << "one skinner a window";
    HWND other = MakeFrame(WS_OVERLAPPEDWINDOW, NULL);
    EXPECT_FALSE(GetSkinManager().SetFrameSkin(other, "Missing"));
    EXPECT_FALSE(GetSkinManager().SetFrameSkin(other, "NotAFrame"));
    EXPECT_TRUE(GetSkinManager().SetFrameSkin(other, NULL)) << "no name: the first frame object";

    // A menu set later is shown from the next frame paint on.
    HMENU later = MakeMenu();
    SetMenu(hwnd, later);
    SendMessageA(hwnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(NULL, GetMenu(hwnd));
    EXPECT_EQ(later, frame->GetSkinMenu());
    EXPECT_FALSE(frame->SetFrameMenu(NULL));
    EXPECT_TRUE(frame->SetFrameMenu(menu));

    EXPECT_TRUE(GetSkinManager().RemoveSkin(hwnd, CSkinManager::RemoveDetach));
    EXPECT_EQ(menu, GetMenu(hwnd)) << "the window has its menu again";
    DestroyMenu(later);
}

TEST_F(FrameWindowTest, ANarrowFrameWrapsItsBarAndItsClientAreaShrinksByTheRows)
{
    HMENU menu = MakeMenu();
    for (int i = 0; i < 6; ++i)
        AppendMenuA(menu, MF_STRING, 40 + i, "&Window");
    HWND wide = MakeFrame(WS_OVERLAPPEDWINDOW, MakeMenu(), 400);
    HWND narrow = MakeFrame(WS_OVERLAPPEDWINDOW, menu, 200);
    CSkinFrameWnd* a = Skin(wide);
    CSkinFrameWnd* b = Skin(narrow);
    ASSERT_TRUE(a && b);
    const int one = a->GetMenuBar().CalcBarHeight(380);
    const int rows = b->GetMenuBar().CalcBarHeight(180);
    EXPECT_GT(rows, one);
    EXPECT_EQ(30 + rows, ClientInWindow(narrow).top);
    EXPECT_EQ(30 + one, ClientInWindow(wide).top);
}

TEST_F(FrameWindowTest, HitCodesFollowThePartsTheStyleAndTheMaximisedState)
{
    HWND sizable = MakeFrame(WS_OVERLAPPEDWINDOW, MakeMenu());
    HWND fixed = MakeFrame(WS_CAPTION | WS_SYSMENU, MakeMenu());
    CSkinFrameWnd* r = Skin(sizable);
    CSkinFrameWnd* f = Skin(fixed);
    ASSERT_TRUE(r && f);
    // The same size for both (a fixed frame was fitted round its client).
    RECT window;
    GetWindowRect(sizable, &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    SetWindowPos(fixed, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    struct Case
    {
        POINT p;
        LRESULT sizable, fixed;
    } cases[] = {
        {{2, 2}, HTTOPLEFT, HTCAPTION},       {{50, 2}, HTCAPTION, HTCAPTION},
        {{120, 2}, HTTOP, HTCAPTION},         {{120, 20}, HTCAPTION, HTCAPTION},
        {{w - 2, 2}, HTTOPRIGHT, HTCAPTION},  {{3, h / 2}, HTLEFT, HTNOWHERE},
        {{w - 3, h / 2}, HTRIGHT, HTNOWHERE}, {{w - 2, h - 2}, HTBOTTOMRIGHT, HTNOWHERE},
        {{w - 8, h - 10}, HTBOTTOM, HTNOWHERE}, {{2, h - 2}, HTBOTTOMLEFT, HTNOWHERE},
        {{w / 2, h - 3}, HTBOTTOM, HTNOWHERE}, {{w / 2, h / 2}, HTCLIENT, HTCLIENT},
        {{20, 33}, HTMENU, HTMENU},           {{-3, -3}, HTERROR, HTERROR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.sizable, r->OnNcHitTest(c.p)) << c.p.x << "," << c.p.y;
        EXPECT_EQ(c.fixed, f->OnNcHitTest(c.p)) << c.p.x << "," << c.p.y;
    }
    // Through the message, from a screen point.
    GetWindowRect(sizable, &window);
    EXPECT_EQ(HTTOP, SendMessageA(sizable, WM_NCHITTEST, 0, MAKELPARAM(window.left + 120, window.top + 2)));

    ShowWindow(sizable, SW_MAXIMIZE);
    ASSERT_TRUE(r->IsMaximised());
    EXPECT_EQ(HTCAPTION, r->OnNcHitTest(POINT{2, 2})) << "a maximised frame does not size";
    EXPECT_EQ(HTNOWHERE, r->OnNcHitTest(POINT{-3, -3}));
}

TEST_F(FrameWindowTest, CaptionDoubleClicksToggleMaximisingOnlyWithAMaximiseBox)
{
    HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW, MakeMenu());
    CSkinFrameWnd* frame = Skin(hwnd);
    ASSERT_TRUE(frame);
    frame->OnNcLButtonDblClk(HTCAPTION, POINT{120, 20});
    EXPECT_TRUE(IsZoomed(hwnd));
    // On the maximised frame two releases within the double-click time.
    RECT window;
    GetWindowRect(hwnd, &window);
    const LPARAM caption = MAKELPARAM(window.left + 120, window.top + 15);
    PostMessageA(hwnd, WM_NCLBUTTONUP, HTCAPTION, caption);
    PostMessageA(hwnd, WM_NCLBUTTONUP, HTCAPTION, caption);
    Pump();
    EXPECT_FALSE(IsZoomed(hwnd));

    frame->OnNcLButtonDblClk(HTCLIENT, POINT{120, 20});
    EXPECT_FALSE(IsZoomed(hwnd)) << "only the caption";
    ShowWindow(hwnd, SW_MINIMIZE);
    frame->OnNcLButtonDblClk(HTCAPTION, POINT{120, 20});
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_FALSE(IsZoomed(hwnd)) << "a minimised frame is only restored";

    HWND plain = MakeFrame(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, MakeMenu());
    CSkinFrameWnd* other = Skin(plain);
    ASSERT_TRUE(other);
    s_seen.clear();
    other->OnNcLButtonDblClk(HTCAPTION, POINT{120, 20});
    EXPECT_FALSE(IsZoomed(plain));
    EXPECT_TRUE(Seen(WM_NCLBUTTONDBLCLK)) << "left to the frame's own procedure";
}

TEST_F(FrameWindowTest, MenuKeysWalkTheBarAndADropDownCommandReachesTheFrame)
{
    HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW, MakeMenu());
    CSkinFrameWnd* frame = Skin(hwnd);
    ASSERT_TRUE(frame);
    SendMessageA(hwnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(0, SendMessageA(hwnd, WM_SKIN_MENU_KEY, 'F', 0)) << "without Alt";
    EXPECT_EQ(1, SendMessageA(hwnd, WM_SKIN_MENU_KEY, 'F', 1 << 29));
    ASSERT_TRUE(frame->GetMenuBar().GetOpenItem() != NULL);
    EXPECT_EQ("&File", frame->GetMenuBar().GetOpenItem()->text);
    EXPECT_EQ(1, SendMessageA(hwnd, WM_SKIN_MENU_KEY, VK_RIGHT, 0));
    EXPECT_EQ("&Edit", frame->GetMenuBar().GetOpenItem()->text);
    EXPECT_EQ(1, SendMessageA(hwnd, WM_SKIN_MENU_KEY, VK_F10, 0));
    EXPECT_EQ(0, SendMessageA(hwnd, WM_SKIN_MENU_KEY, 'Q', 1 << 29));

    // The drop-down's own Left goes to the frame and on to the bar.
    HWND dropDown = frame->GetMenuBar().GetOpenItem()->dropDown->GetHwnd();
    SendMessageA(dropDown, WM_KEYDOWN, VK_LEFT, 0);
    Pump();
    ASSERT_TRUE(frame->GetMenuBar().GetOpenItem() != NULL);
    EXPECT_EQ("&File", frame->GetMenuBar().GetOpenItem()->text);
    dropDown = frame->GetMenuBar().GetOpenItem()->dropDown->GetHwnd();
    SendMessageA(dropDown, WM_KEYDOWN, 'X', 0);
    Pump();
    EXPECT_TRUE(Seen(0x10000 | 11)) << "Exit chosen by its mnemonic";
    EXPECT_TRUE(frame->GetMenuBar().GetOpenItem() == NULL) << "the end of the menu closes the drop-down";

    // A click outside a drop-down, in the client area, closes it and reaches
    // the frame.
    frame->GetMenuBar().PressItem(frame->GetMenuBar().GetItem(0));
    ASSERT_TRUE(frame->GetMenuBar().GetOpenItem() != NULL);
    RECT window;
    GetWindowRect(hwnd, &window);
    s_seen.clear();
    SendMessageA(hwnd, WM_SKIN_MENU_LBUTTON_OUTSIDE, 0, MAKELPARAM(window.left + 200, window.top + 200));
    EXPECT_TRUE(frame->GetMenuBar().GetOpenItem() == NULL);
    EXPECT_TRUE(Seen(WM_LBUTTONDOWN));
}

TEST_F(FrameWindowTest, TrackSizesKeepTheFramePartsAndTheMdiClientGetsItsSkinner)
{
    HWND hwnd = MakeFrame(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, MakeMenu());
    CLIENTCREATESTRUCT ccs = {NULL, 1000};
    HWND client = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, hwnd, NULL,
                                  GetModuleHandleA(NULL), &ccs);
    ASSERT_TRUE(client != NULL);
    CSkinFrameWnd* frame = Skin(hwnd);
    ASSERT_TRUE(frame);
    MINMAXINFO info = {};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(86 + 103 + 2, info.ptMinTrackSize.x);
    EXPECT_EQ(30 + 12 + 2, info.ptMinTrackSize.y);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.right - work.left, info.ptMaxSize.x);

    ASSERT_TRUE(frame->GetMdiClient() != NULL);
    EXPECT_EQ(frame->GetMdiClient(), GetSkinManager().FindSkinner(client));
    EXPECT_TRUE(GetWindowLongA(client, GWL_STYLE) & WS_CLIPCHILDREN);
    BOOL maximised = TRUE;
    EXPECT_EQ(NULL, frame->GetActiveMdiChild(&maximised));
    EXPECT_FALSE(maximised);
    EXPECT_TRUE(GetSkinManager().RemoveSkin(hwnd, CSkinManager::RemoveDetach));
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(client)) << "the frame's detach removes it";
}

TEST_F(FrameWindowTest, ASkinnedDialogOpensTheSkinnedSystemMenuOnAltSpaceAndARightClickOnItsCaption)
{
    HWND dialog = CreateWindowExA(0, "#32770", "Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100,
                                  300, 200, NULL, NULL, GetModuleHandleA(NULL), NULL);
    m_windows.push_back(dialog);
    ASSERT_TRUE(GetSkinManager().SetWindowSkin(dialog, "TestFrame"));
    std::vector<UINT> commands;
    auto look = [&commands] {
        CSkinPopupMenu* popup = (CSkinPopupMenu*)GetPropA(FindPopup(), "this");
        for (int i = 0; popup && i < popup->GetItems().GetCount(); ++i)
            commands.push_back(popup->GetItems().At(i)->commandId);
        PostMessageA(FindPopup(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    {
        CScript script({look});
        EXPECT_EQ(1, SendMessageA(dialog, WM_SKIN_MENU_KEY, VK_SPACE, 1 << 29));
    }
    ASSERT_FALSE(commands.empty()) << "a skinned popup was shown";
    EXPECT_NE(commands.end(), std::find(commands.begin(), commands.end(), (UINT)SC_CLOSE));
    EXPECT_EQ(0, SendMessageA(dialog, WM_SKIN_MENU_KEY, VK_SPACE, 0)) << "Space without Alt";

    commands.clear();
    RECT window;
    GetWindowRect(dialog, &window);
    {
        CScript script({look});
        SendMessageA(dialog, WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(window.left + 100, window.top + 10));
    }
    EXPECT_FALSE(commands.empty());
    EXPECT_TRUE(FindPopup() == NULL);
}

TEST_F(FrameWindowTest, TheHookSkinsToolFramesUnderASkinnedWindowOnlyOnceAFrameSkinIsNamed)
{
    ASSERT_TRUE(InitSkinLibrary(GetModuleHandleA(NULL), "test", NULL, 0));
    // The library's start-up leaves the manager's skin alone.
    HWND owner = MakeFrame(WS_OVERLAPPEDWINDOW, NULL);
    ASSERT_TRUE(GetSkinManager().SetFrameSkin(owner, "TestFrame"));
    const DWORD tool = WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    HWND first = MakeFrame(tool, NULL, 200, WS_EX_TOOLWINDOW, owner);
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(first)) << "no frame skin named";
    ASSERT_TRUE(SetFrameSkin("TestFrame"));
    HWND second = MakeFrame(tool, NULL, 200, WS_EX_TOOLWINDOW, owner);
    EXPECT_TRUE(dynamic_cast<CSkinFrameWnd*>(GetSkinManager().FindSkinner(second)) != NULL);
    HWND notTool = MakeFrame(WS_POPUP | WS_CAPTION | WS_THICKFRAME, NULL, 200, 0, owner);
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(notTool));
    SetFrameSkin(NULL);
    for (HWND w : m_windows)
        DestroyWindow(w);
    m_windows.clear();
    ExitSkinLibrary();
}

} // namespace
