// Skinned popup menus: reading items (texts of bitmap and owner-drawn items,
// mnemonics of localized texts), placement, navigation by mouse and keys,
// sub-menus, scrolling, what the owner is told, the tracker's answers and
// its ends (Escape, WM_QUIT, a destroyed owner, a window that cannot be
// made), and the system menu.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "skin/core/skinwnd.h"
#include "skin/draw/skindrawutils.h"
#include "skin/menus/skinpopupmenu.h"
#include "menu_test_support.h"

namespace {

struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> s_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: case WM_SYSCOMMAND: case WM_MENUSELECT: case WM_INITMENUPOPUP: case WM_NCLBUTTONDOWN:
    case WM_SKIN_MENU_LBUTTON_OUTSIDE: case WM_SKIN_MENU_RBUTTON_OUTSIDE: case WM_SKIN_MENU_MOUSE_OUTSIDE:
    case WM_SKIN_MENU_END: case WM_SKIN_MENU_KEY: case WM_NCACTIVATE:
        s_received.push_back(Received{message, wParam, lParam});
        if (message == WM_SYSCOMMAND || message == WM_NCLBUTTONDOWN || message == WM_NCACTIVATE)
            return message == WM_NCACTIVATE ? TRUE : 0;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int Count(UINT message, WPARAM wParam = (WPARAM)-1)
{
    int n = 0;
    for (const Received& r : s_received)
        n += r.message == message && (wParam == (WPARAM)-1 || r.wParam == wParam);
    return n;
}

LPARAM LastLParam(UINT message)
{
    for (size_t i = s_received.size(); i-- > 0;)
        if (s_received[i].message == message)
            return s_received[i].lParam;
    return -1;
}

class PopupMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterSkinPopupMenuClass(GetModuleHandleA(NULL));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwMenuOwner";
        RegisterClassA(&wc);
        m_owner = CreateWindowExA(0, "CwMenuOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                  NULL, NULL, GetModuleHandleA(NULL), NULL);
        m_sub = CreatePopupMenu();
        AppendMenuA(m_sub, MF_STRING, 201, "&First");
        AppendMenuA(m_sub, MF_STRING, 202, "&Second");
        m_menu = CreatePopupMenu();
        AppendMenuA(m_menu, MF_STRING, 101, "&Open\tCtrl+O");
        AppendMenuA(m_menu, MF_SEPARATOR, 0, NULL);
        AppendMenuA(m_menu, MF_STRING | MF_GRAYED, 102, "&Disabled");
        AppendMenuA(m_menu, MF_POPUP, (UINT_PTR)m_sub, "&More");
        AppendMenuA(m_menu, MF_STRING | MF_CHECKED, 103, "&Check");
        s_received.clear();
    }
    void TearDown() override
    {
        DestroyMenu(m_menu);
        if (IsWindow(m_owner))
            DestroyWindow(m_owner);
        Pump();
    }

    // A root popup of the test menu, shown at (100, 100).
    CSkinPopupMenu* Open(int mode)
    {
        CSkinPopupMenu* popup = new CSkinPopupMenu(m_owner, NULL, mode);
        EXPECT_TRUE(popup->Create());
        popup->LoadMenu(m_menu);
        const SIZE size = popup->CalcSize();
        MoveWindow(popup->GetHwnd(), 100, 100, size.cx, size.cy, TRUE);
        ShowWindow(popup->GetHwnd(), SW_SHOW);
        s_received.clear();
        return popup;
    }

    static POINT Centre(CSkinPopupMenu* popup, int index)
    {
        const RECT r = popup->GetItemRect(index);
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        return p;
    }

    HWND m_owner;
    HMENU m_menu;
    HMENU m_sub;
};

TEST(SkinMenuItems, TextsMnemonicsAndStatesAreReadByPosition)
{
    HMENU menu = CreatePopupMenu();
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, NULL);
    AppendMenuA(menu, MF_STRING, 1, "Save &as\tCtrl+S");
    AppendMenuA(menu, MF_BITMAP, 2, (LPCSTR)bitmap);
    AppendMenuA(menu, MF_OWNERDRAW, 3, (LPCSTR)(UINT_PTR)0x41414141);
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    const std::string longText(600, 'x');
    AppendMenuA(menu, MF_STRING | MF_GRAYED | MF_CHECKED, 4, longText.c_str());
    HMENU sub = CreatePopupMenu();
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)sub, "\xc9&\xe9tat");

    CSkinMenuItemList list;
    list.Load(menu);
    ASSERT_EQ(6, list.GetCount());
    EXPECT_EQ("Save &as\tCtrl+S", list.At(0)->text);
    EXPECT_EQ('A', list.At(0)->mnemonic);
    EXPECT_EQ("", list.At(1)->text) << "a bitmap item's data is no text";
    EXPECT_EQ("", list.At(2)->text) << "an owner-drawn item's data is no text";
    EXPECT_TRUE(list.At(3)->IsSeparator());
    EXPECT_EQ(longText, list.At(4)->text);
    EXPECT_FALSE(list.At(4)->IsEnabled());
    EXPECT_TRUE(list.At(4)->state & MF_CHECKED);
    EXPECT_EQ(sub, list.At(5)->subMenu);
    EXPECT_EQ((UINT)-1, list.At(5)->commandId);
    EXPECT_FALSE(list.At(5)->IsSeparator());
    EXPECT_EQ(0xE9, list.At(5)->mnemonic) << "a localized letter is no negative character";
    EXPECT_TRUE(list.At(6) == NULL);

    EXPECT_EQ(0, MenuMnemonic("a&&b"));
    EXPECT_EQ('B', MenuMnemonic("a&&&b"));
    EXPECT_EQ('X', MenuMnemonic("&x"));
    EXPECT_EQ(0, MenuMnemonic("end&"));
    DestroyMenu(menu);
    DeleteObject(bitmap);
}

TEST(SkinMenuPlacement, TrackedMenusAlignToThePointAndStayInsideTheWorkArea)
{
    RECT work;
    const POINT origin = {200, 200};
    ASSERT_TRUE(GetPointMonitorRect(origin, work, true));
    const SIZE size = {100, 50};
    RECT r = CalcSkinPopupMenuRect(200, 200, 0, size, false);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(200, r.top);
    r = CalcSkinPopupMenuRect(200, 200, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, size, false);
    EXPECT_EQ(200, r.right);
    EXPECT_EQ(200, r.bottom);
    r = CalcSkinPopupMenuRect(200, 200, TPM_CENTERALIGN | TPM_VCENTERALIGN, size, false);
    EXPECT_EQ(150, r.left);
    EXPECT_EQ(175, r.top);
    r = CalcSkinPopupMenuRect(200, 200, 0, size, true);
    EXPECT_EQ(200, r.right) << "mirrored, the default opens to the left";
    r = CalcSkinPopupMenuRect(work.right - 10, work.bottom - 10, 0, size, false);
    EXPECT_EQ(work.right, r.right);
    EXPECT_EQ(work.bottom, r.bottom);
    const SIZE huge = {work.right - work.left + 100, work.bottom - work.top + 100};
    r = CalcSkinPopupMenuRect(200, 200, 0, huge, false);
    EXPECT_TRUE(EqualRect(&r, &work)) << "larger than the work area: as large as it";
}

TEST_F(PopupMenuTest, MouseAndKeysMoveTheHotItemSkippingSeparatorsAndWrapping)
{
    // A sub-menu of eight items: its count sets the separator bit of the
    // item's menu state, yet the item is no separator.
    for (UINT id = 203; id <= 208; ++id)
        AppendMenuA(m_sub, MF_STRING, id, "Item");
    CSkinPopupMenu* popup = Open(CSkinPopupMenu::Popup);
    EXPECT_EQ(GetCapture(), popup->GetHwnd()) << "the root captures the mouse";
    EXPECT_TRUE(popup->OnMouseMove(Centre(popup, 0)));
    EXPECT_EQ(0, popup->GetHotIndex());
    ASSERT_EQ(1, Count(WM_MENUSELECT));
    EXPECT_EQ(MAKEWPARAM(101, 0x8080), s_received.back().wParam);
    EXPECT_EQ((LPARAM)m_menu, s_received.back().lParam);

    popup->OnKeyDown(VK_DOWN);
    EXPECT_EQ(2, popup->GetHotIndex()) << "the separator is skipped";
    EXPECT_EQ(MAKEWPARAM(102, 0x0080), s_received.back().wParam);
    popup->OnKeyDown(VK_DOWN);
    EXPECT_EQ(3, popup->GetHotIndex()) << "the sub-menu item is reached";
    popup->OnKeyDown(VK_DOWN);
    popup->OnKeyDown(VK_DOWN);
    EXPECT_EQ(0, popup->GetHotIndex()) << "past the last item to the first";
    popup->OnKeyDown(VK_UP);
    EXPECT_EQ(4, popup->GetHotIndex());

    // Separators, disabled items and sub-menu items take no click.
    for (int index : {1, 2, 3})
        EXPECT_EQ(CSkinPopupMenu::Handled, popup->OnButtonDown(WM_LBUTTONDOWN, Centre(popup, index)));
    EXPECT_FALSE(popup->IsDone());
    EXPECT_EQ(CSkinPopupMenu::CommandChosen, popup->OnButtonDown(WM_LBUTTONDOWN, Centre(popup, 0)));
    EXPECT_TRUE(popup->IsDone());
    Pump();
    EXPECT_EQ(1, Count(WM_COMMAND, 101));
    EXPECT_EQ(1, Count(WM_SKIN_MENU_END));
    EXPECT_EQ(1, Count(WM_MENUSELECT, 0xFFFF0000));
    delete popup;
    EXPECT_NE(GetCapture(), m_owner);
}

TEST_F(PopupMenuTest, SubMenusOpenBesideTheirItemAndPassTheirCommandUp)
{
    CSkinPopupMenu* popup = Open(CSkinPopupMenu::Popup);
    // The pointer itself rests there too, so that moves the system makes up
    // (the capture, a window shown) find the same item.
    POINT over = Centre(popup, 3);
    ClientToScreen(popup->GetHwnd(), &over);
    SetCursorPos(over.x, over.y);
    popup->OnMouseMove(Centre(popup, 3));
    PumpFor(400);
    EXPECT_TRUE(popup->GetChild() == NULL) << "not before 500 ms";
    for (int waited = 0; waited < 3000 && !popup->GetChild(); waited += 50)
        PumpFor(50);
    ASSERT_TRUE(popup->GetChild() != NULL) << "resting 500 ms opens the sub-menu";
    EXPECT_EQ(1, Count(WM_INITMENUPOPUP, (WPARAM)m_sub));
    EXPECT_EQ(3, LastLParam(WM_INITMENUPOPUP)) << "the item's position";
    RECT item = popup->GetItemRect(3), child;
    POINT corner = {item.right, item.top};
    ClientToScreen(popup->GetHwnd(), &corner);
    GetWindowRect(popup->GetChild()->GetHwnd(), &child);
    EXPECT_EQ(corner.x, child.left);
    EXPECT_EQ(corner.y, child.top);

    // Left in the sub-menu closes only the sub-menu.
    popup->GetChild()->OnKeyDown(VK_LEFT);
    Pump();
    EXPECT_TRUE(popup->GetChild() == NULL);
    EXPECT_FALSE(popup->IsDone());

    // Moving to another item closes an open sub-menu.
    SendMessageA(popup->GetHwnd(), WM_TIMER, CSkinPopupMenu::SubMenuTimer, 0);
    ASSERT_TRUE(popup->GetChild() != NULL);
    popup->OnMouseMove(Centre(popup, 4));
    EXPECT_TRUE(popup->GetChild() == NULL);

    // A command chosen in the sub-menu reaches the owner from the root.
    popup->OnMouseMove(Centre(popup, 3));
    SendMessageA(popup->GetHwnd(), WM_TIMER, CSkinPopupMenu::SubMenuTimer, 0);
    CSkinPopupMenu* sub = popup->GetChild();
    ASSERT_TRUE(sub != NULL);
    POINT second = Centre(sub, 1);
    ClientToScreen(sub->GetHwnd(), &second);
    ScreenToClient(popup->GetHwnd(), &second);
    s_received.clear();
    EXPECT_EQ(CSkinPopupMenu::CommandChosen, popup->OnButtonDown(WM_LBUTTONDOWN, second));
    EXPECT_TRUE(popup->GetChild() == NULL);
    Pump();
    EXPECT_EQ(1, Count(WM_COMMAND, 202));
    delete popup;
}

TEST_F(PopupMenuTest, MnemonicsChooseItemsAndOpenSubMenusAndMenuKeysNeedAlt)
{
    CSkinPopupMenu* popup = Open(CSkinPopupMenu::Popup);
    popup->OnKeyDown('M');
    ASSERT_TRUE(popup->GetChild() != NULL) << "a sub-menu item's mnemonic opens it";
    popup->GetChild()->OnKeyDown('S');
    Pump();
    EXPECT_EQ(1, Count(WM_COMMAND, 202));
    EXPECT_TRUE(popup->IsDone());
    delete popup;

    popup = Open(CSkinPopupMenu::SystemMenu);
    EXPECT_EQ(0, popup->OnMenuKey('O', 0)) << "without Alt";
    EXPECT_EQ(0, popup->OnMenuKey('D', 1 << 29)) << "a disabled item";
    EXPECT_EQ(0, popup->OnMenuKey('Z', 1 << 29));
    Pump();
    EXPECT_EQ(1, Count(WM_SKIN_MENU_KEY, 'Z')) << "passed on to the owner";
    EXPECT_EQ(1, popup->OnMenuKey('O', 1 << 29));
    Pump();
    EXPECT_EQ(1, Count(WM_SYSCOMMAND, 101));
    delete popup;

    popup = Open(CSkinPopupMenu::Popup);
    popup->OnMenuKey('Z', 1 << 29);
    EXPECT_TRUE(popup->IsDone()) << "an ordinary popup ends on an unknown Alt key";
    delete popup;
}

TEST_F(PopupMenuTest, ClicksOutsideAndDeactivationEndTheMenuAndTellTheOwner)
{
    for (int mode : {CSkinPopupMenu::DropDown, CSkinPopupMenu::Popup}) {
        CSkinPopupMenu* popup = Open(mode);
        POINT outside = {-50, -50};
        EXPECT_EQ(CSkinPopupMenu::NotHandled, popup->OnButtonDown(WM_RBUTTONDOWN, outside));
        EXPECT_TRUE(popup->IsDone());
        EXPECT_TRUE(popup->WasCancelled());
        Pump();
        const UINT told = mode == CSkinPopupMenu::DropDown ? WM_SKIN_MENU_RBUTTON_OUTSIDE : WM_NCLBUTTONDOWN;
        ASSERT_EQ(1, Count(told));
        POINT screen = outside;
        ClientToScreen(popup->GetHwnd(), &screen);
        EXPECT_EQ(MAKELPARAM(screen.x, screen.y), LastLParam(told));
        EXPECT_EQ(1, Count(WM_SKIN_MENU_END));
        delete popup;
    }
    CSkinPopupMenu* popup = Open(CSkinPopupMenu::DropDown);
    popup->OnMouseMove(POINT{-50, -50});
    Pump();
    EXPECT_EQ(1, Count(WM_SKIN_MENU_MOUSE_OUTSIDE)) << "a drop-down reports the pointer leaving it";
    SendMessageA(popup->GetHwnd(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_TRUE(popup->IsDone());
    Pump();
    EXPECT_EQ(1, Count(WM_SKIN_MENU_END));
    delete popup;
}

TEST_F(PopupMenuTest, TheOwnerFrameKeepsItsActiveLookWhileTheMenuIsShown)
{
    CSkinPopupMenu* popup = Open(CSkinPopupMenu::Popup);
    s_received.clear();
    EXPECT_EQ(TRUE, SendMessageA(m_owner, WM_NCACTIVATE, FALSE, 0));
    EXPECT_EQ(0, Count(WM_NCACTIVATE)) << "the frame's own procedure never hears of it";
    EXPECT_EQ(1, SendMessageA(m_owner, WM_NCACTIVATE, TRUE, 0));
    EXPECT_EQ(1, Count(WM_NCACTIVATE));
    delete popup;
    EXPECT_EQ((LONG_PTR)RecordingProc, GetWindowLongPtrA(m_owner, GWLP_WNDPROC));
    EXPECT_EQ(NULL, GetPropA(m_owner, SKIN_SAVED_WNDPROC_PROP));
}

TEST_F(PopupMenuTest, AMenuTallerThanItsWindowScrollsOneItemPerClickAndStopsAtTheEnds)
{
    HMENU tall = CreatePopupMenu();
    for (int i = 0; i < 30; ++i)
        AppendMenuA(tall, MF_STRING, 1000 + i, "Item");
    CSkinPopupMenu popup(m_owner, NULL, CSkinPopupMenu::Popup);
    ASSERT_TRUE(popup.Create());
    popup.LoadMenu(tall);
    const SIZE size = popup.CalcSize();
    const int item = popup.GetItemHeight();
    const RECT borders = popup.GetBorderSizes();
    // Room for 5 items and 4 pixels: one item gives way to the scroll areas.
    MoveWindow(popup.GetHwnd(), 0, 0, size.cx, 5 * item + 4 + borders.top + borders.bottom, TRUE);
    ShowWindow(popup.GetHwnd(), SW_SHOW);
    ASSERT_TRUE(popup.IsScrolling());
    EXPECT_EQ(4, popup.GetVisibleCount());
    EXPECT_EQ((item + 4) / 2, popup.GetUpArea().bottom);
    RECT client;
    GetClientRect(popup.GetHwnd(), &client);
    EXPECT_EQ(client.bottom - (item + 4) / 2, popup.GetDownArea().top);
    POINT down = {10, client.bottom - 1}, up = {10, 0};
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(CSkinPopupMenu::Handled, popup.OnButtonDown(WM_LBUTTONDOWN, down));
    EXPECT_EQ(26, popup.GetFirstVisible()) << "stops with the last item in view";
    popup.OnButtonDown(WM_LBUTTONDOWN, up);
    EXPECT_EQ(25, popup.GetFirstVisible());
    POINT first = {10, popup.GetUpArea().bottom + 1};
    EXPECT_EQ(25, popup.HitTest(first));
    popup.Close();
    DestroyMenu(tall);
}

TEST_F(PopupMenuTest, TheTrackerAnswersTheCommandOrZeroAndEndsOnEscapeQuitAndADestroyedOwner)
{
    CScript choose({[] { PostMessageA(FindPopup(), WM_KEYDOWN, VK_DOWN, 0); },
                    [] { PostMessageA(FindPopup(), WM_KEYDOWN, VK_RETURN, 0); }});
    EXPECT_EQ(101, TrackSkinPopupMenu(m_menu, TPM_RETURNCMD, 100, 100, m_owner, FALSE));
    EXPECT_TRUE(FindPopup() == NULL);
    Pump();
    EXPECT_EQ(0, Count(WM_COMMAND)) << "the command is answered, not posted";

    {
        CScript escape({[] { PostMessageA(FindPopup(), WM_KEYDOWN, VK_ESCAPE, 0); }});
        EXPECT_EQ(0, TrackSkinPopupMenu(m_menu, 0, 100, 100, m_owner, TRUE));
    }
    {
        CScript quit({[] { PostQuitMessage(7); }});
        EXPECT_EQ(0, TrackSkinPopupMenu(m_menu, 0, 100, 100, m_owner, FALSE));
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit goes on";
        EXPECT_EQ(7, (int)msg.wParam);
    }
    {
        HWND owner = m_owner;
        CScript destroy({[owner] { DestroyWindow(owner); }});
        EXPECT_EQ(0, TrackSkinPopupMenu(m_menu, 0, 100, 100, m_owner, FALSE));
        EXPECT_FALSE(IsWindow(m_owner));
    }
    // Without its window class no popup can be made: the answer comes at
    // once.
    UnregisterSkinPopupMenuClass(GetModuleHandleA(NULL));
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, TrackSkinPopupMenu(m_menu, 0, 100, 100, NULL, FALSE));
    EXPECT_LT(GetTickCount() - start, 1000u);
    RegisterSkinPopupMenuClass(GetModuleHandleA(NULL));
}

// Opens the window's skinned system menu, reads the states of its standard
// items, and clicks the item of the command.
std::map<UINT, bool> OpenSystemMenuAndClick(HWND window, UINT command, int* result)
{
    std::map<UINT, bool> states;
    CScript click({[&states, command] {
        CSkinPopupMenu* popup = (CSkinPopupMenu*)GetPropA(FindPopup(), "this");
        for (int i = 0; i < popup->GetItems().GetCount(); ++i) {
            const CSkinMenuItem* item = popup->GetItems().At(i);
            if (item->commandId >= SC_SIZE && item->commandId <= SC_RESTORE)
                states[item->commandId] = item->IsEnabled();
            if (item->commandId == command) {
                const RECT r = popup->GetItemRect(i);
                PostMessageA(popup->GetHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(r.left + 5, r.top + 2));
            }
        }
        // A greyed item takes no click: the menu stays until Escape.
        PostMessageA(popup->GetHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    }});
    *result = ShowSkinSystemMenu(window);
    Pump();
    return states;
}

TEST_F(PopupMenuTest, TheSystemMenuShowsTheItemsTheWindowAllowsAndCarriesOutOnlyThose)
{
    ShowWindow(m_owner, SW_MAXIMIZE);
    int result = -1;
    std::map<UINT, bool> states = OpenSystemMenuAndClick(m_owner, SC_CLOSE, &result);
    EXPECT_EQ(1, result);
    EXPECT_EQ(1, Count(WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_EQ(1, Count(WM_INITMENUPOPUP));
    EXPECT_EQ(0x10000, LastLParam(WM_INITMENUPOPUP)) << "announced as the system menu";
    const std::map<UINT, bool> maximised = {{SC_RESTORE, true}, {SC_MOVE, false}, {SC_SIZE, false},
                                            {SC_MINIMIZE, true}, {SC_MAXIMIZE, false}, {SC_CLOSE, true}};
    EXPECT_EQ(maximised, states);

    // A window that can be neither sized nor maximised, as the main window:
    // the system greys Size and Maximize, and so does the skinned menu; a
    // click on them does nothing.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    HWND fixed =
        CreateWindowExA(0, "CwMenuOwner", "fixed", style, 60, 60, 200, 120, NULL, NULL, GetModuleHandleA(NULL), NULL);
    s_received.clear();
    states = OpenSystemMenuAndClick(fixed, SC_SIZE, &result);
    const std::map<UINT, bool> normal = {{SC_RESTORE, false}, {SC_MOVE, true}, {SC_SIZE, false},
                                         {SC_MINIMIZE, true}, {SC_MAXIMIZE, false}, {SC_CLOSE, true}};
    EXPECT_EQ(normal, states);
    EXPECT_EQ(0, result) << "left with Escape";
    EXPECT_EQ(0, Count(WM_SYSCOMMAND));
    states = OpenSystemMenuAndClick(fixed, SC_MAXIMIZE, &result);
    EXPECT_EQ(0, Count(WM_SYSCOMMAND));
    DestroyWindow(fixed);
    EXPECT_EQ(0, ShowSkinSystemMenu(NULL));
}

} // namespace
