// The bitmap menu: placement, keyboard and mouse choices and the commands
// they send, sub-menus, the ways the menu closes, bad input, and what it
// draws, read back from memory-DC pixels.

#include <gtest/gtest.h>

#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/uitest_ids.h"
#include "ui/bmpmenu.h"
#include "ui/bmpmenuitems.h"

#include <functional>
#include <string>

namespace {

enum
{
    ID_OPEN = 1,
    ID_UPDATE = 3,
    ID_ABOUT = 4,
    ID_EXIT = 5,
    ID_QUICK = 11,
    ID_FULL = 12,
    POS_SCAN = 1,
    POS_UPDATE = 3,
    POS_ABOUT = 4,
};
const UINT_PTR kSafetyTimer = 99;
const int kSafetyQuit = 99;

// The owner of the menus under test: records what the menu tells it and
// runs a script when a menu enters its loop.
class CMenuOwner : public CWnd
{
public:
    CallLog log;
    std::vector<UINT> commands;
    std::vector<UINT> selected;
    LRESULT menuCharAnswer = 0;
    std::function<void(CBmpMenu&)> onEnter;
    int clicks = 0;
    bool menuOpenAtCommand = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_INITMENU:
            log.push_back("init");
            break;
        case WM_INITMENUPOPUP:
            log.push_back("initpopup");
            break;
        case WM_ENTERMENULOOP:
            log.push_back("enter");
            if (onEnter)
            {
                CBmpMenu* menu = DYNAMIC_DOWNCAST(CBmpMenu, FromHandlePermanent(reinterpret_cast<HWND>(lParam)));
                if (menu)
                    onEnter(*menu);
            }
            break;
        case WM_EXITMENULOOP:
            log.push_back("exit");
            break;
        case WM_MENUSELECT:
            selected.push_back(LOWORD(wParam));
            break;
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            menuOpenAtCommand = menuOpenAtCommand || FindWindowA("BitmapMenu", nullptr) != nullptr;
            return 0;
        case WM_MENUCHAR:
            log.push_back("menuchar " + std::string(1, static_cast<char>(LOWORD(wParam))));
            return menuCharAnswer;
        case WM_LBUTTONDOWN:
            ++clicks;
            break;
        case WM_TIMER:
            if (wParam == kSafetyTimer)
                PostQuitMessage(kSafetyQuit);  // a menu that never closed
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Open, Scan > (Quick, Full), separator, Update (grayed), About, E&xit.
void FillMenu(CBmpMenu& menu)
{
    CMenu scan;
    scan.CreatePopupMenu();
    scan.AppendMenu(MF_STRING, ID_QUICK, "&Quick scan");
    scan.AppendMenu(MF_STRING, ID_FULL, "&Full scan");
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, ID_OPEN, "&Open");
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(scan.Detach()), "&Scan");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_GRAYED, ID_UPDATE, "&Update");
    menu.AppendMenu(MF_STRING, ID_ABOUT, "&About");
    menu.AppendMenu(MF_STRING, ID_EXIT, "E&xit");
}

CPoint ItemCentre(CBmpMenu& menu, int position)
{
    CRect r;
    menu.GetItemStrip()->GetItemRect(position, r);
    return r.CenterPoint();
}

void PostClick(CBmpMenu& menu, int position)
{
    const CPoint at = ItemCentre(menu, position);
    menu.GetItemStrip()->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    menu.GetItemStrip()->PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void PostKey(CWnd& target, UINT key)
{
    target.PostMessage(WM_KEYDOWN, key, 1);
}

class BmpMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureCommonControls();
        ASSERT_TRUE(CreatePopup(owner, nullptr, WS_POPUP | WS_VISIBLE));
        owner.SetTimer(kSafetyTimer, 20000);
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        EXPECT_NE(kSafetyQuit, TakeQuitMessage()) << "a menu did not close";
    }
    // Tracks the menu at (x, y), then delivers the posted commands.
    BOOL Track(CBmpMenu& menu, DWORD flags = 0, int x = 100, int y = 100)
    {
        BOOL shown = menu.TrackPopup(flags, x, y, &owner);
        PumpPending();
        return shown;
    }
    int Count(const char* entry) const { return static_cast<int>(std::count(owner.log.begin(), owner.log.end(), entry)); }

    CMenuOwner owner;
};

} // namespace

TEST_F(BmpMenuTest, ArrowsSkipSeparatorsAndGrayedItemsAndEnterChooses)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    PostKey(owner, VK_DOWN);    // Open -> Scan
    PostKey(owner, VK_DOWN);    // -> About, past the separator and the grayed item
    PostKey(owner, VK_RETURN);
    EXPECT_TRUE(Track(menu, CBmpMenu::FlagKeyboard));
    EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, owner.commands);
    EXPECT_EQ((CallLog{"init", "enter", "exit"}), owner.log);
    EXPECT_EQ(nullptr, menu.m_hWnd);
    EXPECT_EQ(nullptr, menu.GetItemStrip());
    // The command comes after the menu has gone: it may open windows itself.
    EXPECT_FALSE(owner.menuOpenAtCommand);
}

TEST_F(BmpMenuTest, EscapeClosesWithoutACommand)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    PostKey(owner, VK_ESCAPE);
    EXPECT_TRUE(Track(menu));
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(1, Count("exit"));
    // The menu can be tracked again.
    PostKey(owner, VK_ESCAPE);
    EXPECT_TRUE(Track(menu));
    EXPECT_EQ(2, Count("exit"));
}

TEST_F(BmpMenuTest, MnemonicsInAnyCase)
{
    {
        CBmpMenu menu(0, TRUE, nullptr, FALSE);
        FillMenu(menu);
        owner.PostMessage(WM_KEYDOWN, 'X', 1);  // E&xit, with or without Shift the same key
        EXPECT_TRUE(Track(menu));
        EXPECT_EQ(std::vector<UINT>{ID_EXIT}, owner.commands);
    }
    {
        // Two items share the letter: each press moves on, Enter chooses.
        CBmpMenu menu(0, TRUE, nullptr, FALSE);
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 21, "&Open");
        menu.AppendMenu(MF_STRING, 22, "Sh&ow");
        menu.AppendMenu(MF_STRING, 23, "&Options");
        owner.commands.clear();
        owner.PostMessage(WM_KEYDOWN, 'O', 1);
        owner.PostMessage(WM_KEYDOWN, 'O', 1);
        owner.PostMessage(WM_KEYDOWN, VK_RETURN, 1);
        EXPECT_TRUE(Track(menu, CBmpMenu::FlagKeyboard));
        EXPECT_EQ(std::vector<UINT>{23}, owner.commands);
    }
}

TEST_F(BmpMenuTest, UnknownCharacterAsksTheOwner)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.menuCharAnswer = MAKELRESULT(77, MNC_EXECUTE);
    owner.PostMessage(WM_KEYDOWN, 'Z', 1);
    EXPECT_TRUE(Track(menu));
    EXPECT_EQ(std::vector<UINT>{77}, owner.commands);
    EXPECT_EQ(1, Count("menuchar Z"));

    CBmpMenu second(0, TRUE, nullptr, FALSE);
    FillMenu(second);
    owner.commands.clear();
    owner.menuCharAnswer = MAKELRESULT(0, MNC_CLOSE);
    owner.PostMessage(WM_KEYDOWN, 'Z', 1);
    EXPECT_TRUE(Track(second));
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(BmpMenuTest, SubMenuOpensFromTheKeyboardWithItsFirstItemHot)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    CRect item, subRect;
    owner.onEnter = [&](CBmpMenu& m) {
        if (!m.IsSubMenu())
            return;
        EXPECT_EQ(0, m.GetItemStrip()->GetHotItem());
        EXPECT_EQ(&m, m.GetParentMenu()->GetOpenSubMenu());
        m.GetWindowRect(subRect);
        m.GetParentMenu()->GetItemStrip()->GetItemRect(POS_SCAN, item);
        m.GetParentMenu()->GetItemStrip()->ClientToScreen(item);
        PostKey(owner, VK_DOWN);    // Full scan
        PostKey(owner, VK_RETURN);
    };
    PostKey(owner, VK_DOWN);     // Scan
    PostKey(owner, VK_RIGHT);    // opens it; Quick scan is hot
    EXPECT_TRUE(Track(menu, CBmpMenu::FlagKeyboard));
    EXPECT_EQ(std::vector<UINT>{ID_FULL}, owner.commands);
    EXPECT_EQ((CallLog{"init", "enter", "initpopup", "enter", "exit", "exit"}), owner.log);
    EXPECT_EQ(item.right, subRect.left);  // beside its item
    EXPECT_EQ(item.top, subRect.top);
    EXPECT_EQ(nullptr, menu.GetOpenSubMenu());
}

TEST_F(BmpMenuTest, LeftClosesTheSubMenuAndTheParentStaysOpen)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu& m) {
        if (!m.IsSubMenu())
            return;
        PostKey(owner, VK_LEFT);     // back to the parent
        PostKey(owner, VK_LEFT);     // a top-level menu ignores Left
        PostKey(owner, VK_DOWN);     // About
        PostKey(owner, VK_RETURN);
    };
    PostKey(owner, VK_DOWN);
    PostKey(owner, VK_RIGHT);
    EXPECT_TRUE(Track(menu, CBmpMenu::FlagKeyboard));
    EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, owner.commands);
    EXPECT_EQ(2, Count("exit"));
}

TEST_F(BmpMenuTest, MouseClickChoosesAndAClickedSubMenuOpensAgainAfterEscape)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    int subMenus = 0;
    owner.onEnter = [&](CBmpMenu& m) {
        if (!m.IsSubMenu())
        {
            PostClick(m, POS_SCAN);
            return;
        }
        // The first time Escape closes the sub-menu and the same item is
        // clicked again; the second time an item of it is clicked.
        if (++subMenus == 1)
        {
            PostKey(owner, VK_ESCAPE);
            PostClick(*m.GetParentMenu(), POS_SCAN);
        }
        else
            PostClick(m, 0);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_EQ(2, subMenus);
    EXPECT_EQ(std::vector<UINT>{ID_QUICK}, owner.commands);
}

TEST_F(BmpMenuTest, RealClickOnAnItemChoosesIt)
{
    // A real click also activates the menu, which then closes while active.
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu& m) {
        CPoint at = ItemCentre(m, POS_ABOUT);
        m.GetItemStrip()->ClientToScreen(&at);
        ClickAt(at);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_EQ(std::vector<UINT>{ID_ABOUT}, owner.commands);

    // Through a sub-menu: each click activates the menu it lands on.
    CBmpMenu withSub(0, TRUE, nullptr, FALSE);
    FillMenu(withSub);
    owner.commands.clear();
    owner.onEnter = [&](CBmpMenu& m) {
        CPoint at = ItemCentre(m, m.IsSubMenu() ? 1 : POS_SCAN);
        m.GetItemStrip()->ClientToScreen(&at);
        EXPECT_TRUE(m.GetExStyle() & WS_EX_TOPMOST);
        ClickAt(at);
    };
    EXPECT_TRUE(Track(withSub));
    EXPECT_EQ(std::vector<UINT>{ID_FULL}, owner.commands);
}

TEST_F(BmpMenuTest, RealKeysReachTheMenuWhateverHasTheFocus)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu&) {
        owner.SetFocus();
        SendKey(VK_DOWN);    // the typed keys reach the owner's queue; the menu takes them
        SendKey(VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu, CBmpMenu::FlagKeyboard));
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(1, Count("exit"));

    CBmpMenu second(0, TRUE, nullptr, FALSE);
    FillMenu(second);
    owner.onEnter = [&](CBmpMenu&) { SendKey('X'); };
    EXPECT_TRUE(Track(second));
    EXPECT_EQ(std::vector<UINT>{ID_EXIT}, owner.commands);
}

TEST_F(BmpMenuTest, GrayedItemCannotBeClicked)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu& m) {
        PostClick(m, POS_UPDATE);
        PostKey(owner, VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(BmpMenuTest, HoveringOpensAndClosesSubMenus)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    int opened = 0;
    // Moves to the item (after a move elsewhere: a move to the very place
    // of the last one is ignored), then the hover notice arrives.
    auto hover = [](CBmpMenu& m, int position) {
        CBmpMenuItems* strip = m.GetItemStrip();
        strip->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        const CPoint at = ItemCentre(m, position);
        strip->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        strip->PostMessage(WM_MOUSEHOVER, 0, MAKELPARAM(at.x, at.y));
    };
    owner.onEnter = [&](CBmpMenu& m) {
        if (!m.IsSubMenu())
        {
            hover(m, POS_SCAN);  // opens the sub-menu
            return;
        }
        ++opened;
        // Hovering over a plain item of the parent closes the sub-menu; the
        // Escape after it then reaches the parent, which closes too.
        hover(*m.GetParentMenu(), POS_ABOUT);
        PostKey(owner, VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_EQ(1, opened);
    EXPECT_EQ(2, Count("exit"));
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(BmpMenuTest, QuitMessageClosesTheMenuAndIsPostedAgain)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu& m) {
        if (!m.IsSubMenu())
            m.PostMessage(CBmpMenu::WM_BMPMENU_OPENSUBMENU, POS_SCAN, 0);
        else
            PostQuitMessage(7);  // arrives while the sub-menu runs
    };
    EXPECT_TRUE(menu.TrackPopup(0, 100, 100, &owner));
    EXPECT_EQ(nullptr, menu.m_hWnd);
    EXPECT_EQ(7, TakeQuitMessage());
    EXPECT_EQ(2, Count("exit"));
}

TEST_F(BmpMenuTest, ClosesWhenAnotherWindowOrApplicationIsActivatedOrClicked)
{
    CWnd other;
    ASSERT_TRUE(CreatePopup(other));
    for (int way = 0; way < 3; ++way)
    {
        CBmpMenu menu(0, TRUE, nullptr, FALSE);
        FillMenu(menu);
        bool stayedForOwnMenu = false;
        owner.onEnter = [&](CBmpMenu& m) {
            // Activating one of its own menus keeps it open.
            m.SendMessage(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(m.m_hWnd));
            stayedForOwnMenu = m.m_hWnd != nullptr;
            if (way == 0)
                m.SendMessage(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other.m_hWnd));
            else if (way == 1)
                m.SendMessage(WM_ACTIVATEAPP, FALSE, 0);
            else
                owner.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        };
        const int clicksBefore = owner.clicks;
        EXPECT_TRUE(Track(menu)) << way;
        EXPECT_TRUE(stayedForOwnMenu) << way;
        EXPECT_TRUE(owner.commands.empty()) << way;
        EXPECT_EQ(clicksBefore, owner.clicks) << way;  // the dismissing click is not passed on
    }
    other.DestroyWindow();
}

TEST_F(BmpMenuTest, OwnerGoingAwayClosesTheMenu)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    owner.onEnter = [&](CBmpMenu&) { owner.PostMessage(WM_CLOSE); };
    EXPECT_TRUE(menu.TrackPopup(0, 100, 100, &owner));
    EXPECT_EQ(nullptr, owner.m_hWnd);
    EXPECT_EQ(nullptr, menu.m_hWnd);
}

TEST_F(BmpMenuTest, ColumnIsAsWideAsItsWidestItem)
{
    CBmpMenu menu(24, TRUE, nullptr, FALSE);
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_SEPARATOR);  // a separator first must not set the width
    menu.AppendMenu(MF_STRING, 41, "&Open the program window");
    menu.AppendMenu(MF_STRING, 42, "E&xit");
    CRect window, first, item;
    owner.onEnter = [&](CBmpMenu& m) {
        m.GetWindowRect(window);
        m.GetItemStrip()->GetItemRect(0, first);
        m.GetItemStrip()->GetItemRect(1, item);
        PostKey(owner, VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_GT(item.Width(), first.Width());
    EXPECT_EQ(24 + item.Width() + 6, window.Width());
}

TEST_F(BmpMenuTest, NothingIsShownWithoutItemsOrOwner)
{
    CBmpMenu empty(0, TRUE, nullptr, FALSE);
    empty.CreatePopupMenu();
    EXPECT_FALSE(empty.TrackPopup(0, 100, 100, &owner));
    EXPECT_EQ((CallLog{"init"}), owner.log);  // the owner could have filled it
    EXPECT_EQ(nullptr, empty.m_hWnd);

    CBmpMenu noMenu(0, TRUE, nullptr, FALSE);
    EXPECT_FALSE(noMenu.TrackPopup(0, 100, 100, &owner));

    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    EXPECT_FALSE(menu.TrackPopup(0, 100, 100, nullptr));
    CWnd gone;
    ASSERT_TRUE(CreatePopup(gone));
    gone.DestroyWindow();
    EXPECT_FALSE(menu.TrackPopup(0, 100, 100, &gone));
}

TEST_F(BmpMenuTest, PositionsOutsideTheItemsDoNothing)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    bool stillOpen = false;
    owner.onEnter = [&](CBmpMenu& m) {
        m.SendMessage(CBmpMenu::WM_BMPMENU_OPENSUBMENU, 99, 0);
        m.SendMessage(CBmpMenu::WM_BMPMENU_OPENSUBMENU, static_cast<WPARAM>(-1), 0);
        m.SendMessage(CBmpMenu::WM_BMPMENU_OPENSUBMENU, POS_ABOUT, 0);  // no sub-menu there
        CBmpMenuItems* strip = m.GetItemStrip();
        strip->SendMessage(CBmpMenu::WM_BMPMENU_CLICK, MK_LBUTTON, MAKELPARAM(-50, -50));
        strip->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5000, 5000));
        strip->SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5000, 5000));
        EXPECT_EQ(nullptr, strip->GetItem(-1));
        EXPECT_EQ(nullptr, strip->GetItem(strip->GetItemCount()));
        stillOpen = m.m_hWnd != nullptr && m.GetOpenSubMenu() == nullptr;
        PostKey(owner, VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(owner.commands.empty());
}

TEST_F(BmpMenuTest, ItemTextsAreCopiedBoundedAndOnlyFromStringItems)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    menu.CreatePopupMenu();
    const std::string longText(400, 'a');
    menu.AppendMenu(MF_STRING, 31, longText.c_str());
    CBitmap picture;
    ASSERT_TRUE(picture.LoadBitmap(IDB_OPEN));
    menu.AppendMenu(MF_BITMAP, 32, reinterpret_cast<LPCSTR>(static_cast<HBITMAP>(picture)));
    owner.onEnter = [&](CBmpMenu& m) {
        const CBmpMenuItem* first = m.GetItemStrip()->GetItem(0);
        ASSERT_NE(nullptr, first);
        EXPECT_EQ(std::string(CBmpMenuItem::MaxText - 1, 'a'), first->text);
        const CBmpMenuItem* second = m.GetItemStrip()->GetItem(1);
        ASSERT_NE(nullptr, second);
        EXPECT_STREQ("", second->text);
        EXPECT_EQ(32u, second->info.wID);
        PostKey(owner, VK_ESCAPE);
    };
    EXPECT_TRUE(Track(menu));
}

TEST(BmpMenuPlacement, OpensWhereItFitsInTheFourDirections)
{
    const CRect area(0, 0, 1000, 800);
    const CSize size(200, 300);
    EXPECT_EQ(CPoint(100, 100), CBmpMenu::PlaceMenu(area, size, CPoint(100, 100), nullptr));  // right, down
    EXPECT_EQ(CPoint(700, 100), CBmpMenu::PlaceMenu(area, size, CPoint(900, 100), nullptr));  // left, down
    EXPECT_EQ(CPoint(100, 400), CBmpMenu::PlaceMenu(area, size, CPoint(100, 700), nullptr));  // right, up
    EXPECT_EQ(CPoint(700, 400), CBmpMenu::PlaceMenu(area, size, CPoint(900, 700), nullptr));  // left, up
    // Fits nowhere: at the point.
    EXPECT_EQ(CPoint(500, 400), CBmpMenu::PlaceMenu(area, CSize(1200, 900), CPoint(500, 400), nullptr));

    // Sub-menus open beside the item: right and down, right and up, left
    // and down, left and up.
    const CRect item(100, 100, 300, 120);
    EXPECT_EQ(CPoint(300, 100), CBmpMenu::PlaceMenu(area, size, CPoint(), item));
    const CRect low(100, 700, 300, 720);
    EXPECT_EQ(CPoint(300, 420), CBmpMenu::PlaceMenu(area, size, CPoint(), low));
    const CRect right(700, 100, 900, 120);
    EXPECT_EQ(CPoint(500, 100), CBmpMenu::PlaceMenu(area, size, CPoint(), right));
    const CRect corner(700, 700, 900, 720);
    EXPECT_EQ(CPoint(500, 420), CBmpMenu::PlaceMenu(area, size, CPoint(), corner));
    // Nowhere: kept inside the area rather than off it.
    EXPECT_EQ(CPoint(0, 0), CBmpMenu::PlaceMenu(area, CSize(1100, 900), CPoint(), item));
}

TEST_F(BmpMenuTest, NearTheBottomRightCornerTheMenuOpensLeftAndUp)
{
    CRect desktop;
    GetWindowRect(GetDesktopWindow(), desktop);
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    FillMenu(menu);
    CRect placed;
    owner.onEnter = [&](CBmpMenu& m) {
        m.GetWindowRect(placed);
        PostKey(owner, VK_ESCAPE);
    };
    const CPoint at(desktop.right - 5, desktop.bottom - 5);
    EXPECT_TRUE(Track(menu, 0, at.x, at.y));
    EXPECT_EQ(at.x, placed.right);
    EXPECT_EQ(at.y, placed.bottom);
}

TEST(BmpMenuPicture, ANonBitmapPictureIsDropped)
{
    CBrush brush(RGB(1, 2, 3));
    CBmpMenu withBrush(24, TRUE, reinterpret_cast<HBITMAP>(brush.m_hObject), FALSE);
    EXPECT_EQ(nullptr, withBrush.GetPicture());
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_STRIP));
    CBmpMenu withBitmap(24, TRUE, strip, FALSE);
    EXPECT_EQ(static_cast<HBITMAP>(strip), withBitmap.GetPicture());
}

TEST(BmpMenuDrawing, BackgroundWithThePictureStretchedOrTiled)
{
    const COLORREF ground = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF top = RGB(0x10, 0x30, 0x70);     // the strip picture's first band
    const COLORREF bottom = RGB(0x4C, 0xA8, 0xF7);  // and its last
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_STRIP));  // 24 x 96

    MemoryCanvas stretched(100, 48);
    CBmpMenu(24, TRUE, strip, TRUE).PaintBackground(&stretched.dc, CRect(0, 0, 100, 48));
    EXPECT_EQ(top, stretched.dc.GetPixel(1, 0));
    EXPECT_EQ(bottom, stretched.dc.GetPixel(1, 47));  // the whole picture in half the height
    EXPECT_EQ(ground, stretched.dc.GetPixel(24, 10));
    EXPECT_EQ(ground, stretched.dc.GetPixel(99, 47));

    MemoryCanvas tiled(100, 200);
    CBmpMenu(24, TRUE, strip, FALSE).PaintBackground(&tiled.dc, CRect(0, 0, 100, 200));
    EXPECT_EQ(bottom, tiled.dc.GetPixel(1, 95));
    EXPECT_EQ(top, tiled.dc.GetPixel(1, 96));  // the picture again below itself
    EXPECT_EQ(ground, tiled.dc.GetPixel(30, 150));

    MemoryCanvas plain(40, 20);
    CBmpMenu(24, TRUE, nullptr, TRUE).PaintBackground(&plain.dc, CRect(0, 0, 40, 20));
    EXPECT_EQ(40 * 20, plain.Count(CRect(0, 0, 40, 20), ground));
}

TEST(BmpMenuDrawing, ItemsShowHotGrayedCheckedAndSubMenuStates)
{
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    CBmpMenuItems strip(&menu);  // draws without a window
    auto make = [](const char* text, UINT state, bool subMenu) {
        CBmpMenuItem item = {};
        item.info.cbSize = sizeof(item.info);
        item.info.fState = state;
        item.info.hSubMenu = subMenu ? reinterpret_cast<HMENU>(1) : nullptr;
        lstrcpynA(item.text, text, CBmpMenuItem::MaxText);
        return item;
    };
    const CRect rect(0, 0, 160, 22);
    const CRect textArea(24, 0, 120, 22);
    const COLORREF menuText = GetSysColor(COLOR_MENUTEXT);

    MemoryCanvas normal(160, 22);
    strip.DrawItem(&normal.dc, rect, make("&Open", 0, false), false);
    EXPECT_EQ(GetSysColor(COLOR_MENU), normal.dc.GetPixel(159, 0));
    EXPECT_GT(normal.Count(textArea, menuText), 10);

    MemoryCanvas hot(160, 22);
    strip.DrawItem(&hot.dc, rect, make("&Open", 0, false), true);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), hot.dc.GetPixel(159, 0));
    EXPECT_GT(hot.Count(textArea, GetSysColor(COLOR_HIGHLIGHTTEXT)), 10);

    MemoryCanvas grayed(160, 22);
    strip.DrawItem(&grayed.dc, rect, make("&Update", MF_GRAYED, false), false);
    EXPECT_GT(grayed.Count(textArea, GetSysColor(COLOR_GRAYTEXT)), 10);
    EXPECT_EQ(0, grayed.Count(textArea, menuText));

    // An arrow near the right edge for an item with a sub-menu only.
    const int cxCheck = GetSystemMetrics(SM_CXMENUCHECK);
    const CRect arrowArea(160 - cxCheck, 0, 160, 22);
    MemoryCanvas withSub(160, 22);
    strip.DrawItem(&withSub.dc, rect, make("&Scan", 0, true), false);
    EXPECT_GT(withSub.Count(arrowArea, menuText), 4);
    EXPECT_EQ(0, normal.Count(arrowArea, menuText));

    // A checked item's own picture, recoloured: black becomes the button
    // text colour, white the highlight colour.
    CBitmap picture;
    ASSERT_TRUE(picture.LoadBitmap(IDB_OPEN));
    CBmpMenuItem checked = make("&Open", MFS_CHECKED, false);
    checked.info.hbmpChecked = picture;
    MemoryCanvas check(160, 22);
    strip.DrawItem(&check.dc, rect, checked, false);
    const CRect square(0, 0, 22, 22);
    EXPECT_GT(check.Count(square, GetSysColor(COLOR_BTNTEXT)), 10);

    // Checked without a picture of its own: the system's check mark.
    MemoryCanvas systemCheck(160, 22);
    strip.DrawItem(&systemCheck.dc, rect, make("&Open", MFS_CHECKED, false), false);
    EXPECT_GT(systemCheck.Count(square, GetSysColor(COLOR_BTNTEXT)), 4);
    // Unchecked without a picture: the square stays empty.
    EXPECT_EQ(22 * 22, normal.Count(square, GetSysColor(COLOR_MENU)));
}
