// The skinned menu bar over a stand-in frame: which items it shows, rows
// that wrap and stay inside the bar, hot and pressed items under the mouse,
// drop-downs that follow the pointer and the arrow keys, mnemonics, the end
// of a drop-down, and the buttons of a maximised MDI child.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/draw/skindrawutils.h"
#include "skin/menus/skinmenubar.h"
#include "skin/menus/skinpopupmenu.h"
#include "menu_test_support.h"

namespace {

std::vector<UINT> s_frameMessages;
LRESULT s_childState = 0;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_INITMENU || message == WM_INITMENUPOPUP)
        s_frameMessages.push_back(message == WM_COMMAND ? (UINT)(0x10000 | wParam) : message);
    if (message == WM_SKIN_QUERY_STATE)
        return s_childState;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A frame window whose bar area is its top, full width.
class CFakeFrame : public ISkinMenuBarFrame
{
public:
    CFakeFrame(int x, int y, int width)
        : m_mdiChild(NULL), m_maximised(FALSE), m_minimized(0), m_restored(0), m_closed(0), m_systemMenus(0)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwBarFrame";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, "CwBarFrame", "frame", WS_POPUP | WS_VISIBLE, x, y, width, 300, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    }
    ~CFakeFrame() { DestroyWindow(m_hwnd); }
    HWND GetFrameWindow() const override { return m_hwnd; }
    CSkinStore* GetFrameStore() const override { return NULL; }
    const SkinMenuImages& GetMenuImages() const override { return m_images; }
    RECT GetMenuBarArea() const override
    {
        RECT window;
        GetWindowRect(m_hwnd, &window);
        RECT area = {0, 0, window.right - window.left, 0};
        return area;
    }
    bool IsFrameOutOfDate() const override { return false; }
    HWND GetActiveMdiChild(BOOL* maximised) override
    {
        *maximised = m_maximised;
        return m_mdiChild;
    }
    void ShowMdiChildSystemMenu() override { ++m_systemMenus; }
    void MinimizeMdiChild() override { ++m_minimized; }
    void RestoreMdiChild() override { ++m_restored; }
    void CloseMdiChild() override { ++m_closed; }

    HWND m_hwnd;
    SkinMenuImages m_images;
    HWND m_mdiChild;
    BOOL m_maximised;
    int m_minimized, m_restored, m_closed, m_systemMenus;
};

class MenuBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterSkinPopupMenuClass(GetModuleHandleA(NULL));
        m_menu = CreateMenu();
        for (const char* name : {"&File", "&Edit", "&View"}) {
            HMENU sub = CreatePopupMenu();
            AppendMenuA(sub, MF_STRING, 500, "&Item");
            AppendMenuA(m_menu, MF_POPUP, (UINT_PTR)sub, name);
        }
        AppendMenuA(m_menu, MF_SEPARATOR, 0, NULL);
        AppendMenuA(m_menu, MF_OWNERDRAW, 77, (LPCSTR)(UINT_PTR)0x41414141);
        AppendMenuA(m_menu, MF_STRING, 400, "&Help");
        s_frameMessages.clear();
        s_childState = 0;
    }
    void TearDown() override
    {
        DestroyMenu(m_menu);
        Pump();
    }
    static POINT Inside(const CSkinMenuBarItem* item)
    {
        POINT p = {(item->rect.left + item->rect.right) / 2, (item->rect.top + item->rect.bottom) / 2};
        return p;
    }
    HMENU m_menu;
};

TEST_F(MenuBarTest, ItemsWithTextLayOutInRowsThatGrowTheBarAndStayInsideIt)
{
    CFakeFrame frame(0, 0, 600);
    CSkinMenuBar bar(RECT(), &frame, NULL);
    bar.LoadMenu(m_menu);
    ASSERT_EQ(4, bar.GetItemCount()) << "separators and owner-drawn entries are left out";
    EXPECT_EQ("&Help", bar.GetItem(3)->text);
    EXPECT_EQ('H', bar.GetItem(3)->mnemonic);

    const RECT wide = bar.GetBarRect();
    bar.Layout();
    const int rowHeight = bar.GetItem(0)->rect.bottom - bar.GetItem(0)->rect.top;
    EXPECT_EQ(rowHeight, wide.bottom - wide.top) << "one row";
    EXPECT_EQ(4, bar.GetItem(0)->rect.left);
    EXPECT_EQ(bar.GetItem(0)->rect.right, bar.GetItem(1)->rect.left);

    // Each width that makes more rows grows the bar by whole rows, and no
    // item leaves it.
    int oneItem = 0;
    for (int i = 0; i < bar.GetItemCount(); ++i)
        oneItem = std::max(oneItem, (int)(bar.GetItem(i)->rect.right - bar.GetItem(i)->rect.left));
    for (int width = 4 + oneItem; width < 400; width += 7) {
        MoveWindow(frame.m_hwnd, 0, 0, width, 300, FALSE);
        const RECT r = bar.GetBarRect();
        bar.Layout();
        EXPECT_EQ(0, (r.bottom - r.top) % rowHeight) << width;
        for (int i = 0; i < bar.GetItemCount(); ++i) {
            RECT inside;
            IntersectRect(&inside, &bar.GetItem(i)->rect, &r);
            EXPECT_TRUE(EqualRect(&inside, &bar.GetItem(i)->rect)) << "width " << width << " item " << i;
        }
    }
    MoveWindow(frame.m_hwnd, 0, 0, 4 + oneItem, 300, FALSE);
    EXPECT_EQ(4 * rowHeight, bar.GetBarRect().bottom) << "one item a row";
    CSkinMenuBar empty(RECT(), &frame, NULL);
    EXPECT_EQ(0, empty.CalcBarHeight(600));
}

TEST_F(MenuBarTest, DropDownsOpenOnClickFollowThePointerAndCloseOnASecondClick)
{
    CFakeFrame frame(0, 0, 600);
    CSkinMenuBar bar(RECT(), &frame, NULL);
    bar.LoadMenu(m_menu);
    bar.GetBarRect();
    bar.Layout();
    CSkinMenuBarItem* file = bar.GetItem(0);
    CSkinMenuBarItem* edit = bar.GetItem(1);
    CSkinMenuBarItem* help = bar.GetItem(3);

    bar.OnMouseMove(Inside(file).x, Inside(file).y);
    EXPECT_EQ(file, bar.GetHotItem());
    EXPECT_EQ(CSkinMenuBarItem::Hot, file->state);

    bar.OnLButtonDown(Inside(file).x, Inside(file).y);
    ASSERT_EQ(file, bar.GetOpenItem());
    EXPECT_EQ(CSkinMenuBarItem::Pressed, file->state);
    EXPECT_TRUE(bar.GetHotItem() == NULL) << "never hot and open at once";
    ASSERT_TRUE(file->dropDown && IsWindowVisible(file->dropDown->GetHwnd()));
    RECT window;
    GetWindowRect(file->dropDown->GetHwnd(), &window);
    EXPECT_EQ(file->rect.left, window.left);
    EXPECT_EQ(file->rect.bottom, window.top);
    ASSERT_EQ(2u, s_frameMessages.size());
    EXPECT_EQ((UINT)WM_INITMENU, s_frameMessages[0]);
    EXPECT_EQ((UINT)WM_INITMENUPOPUP, s_frameMessages[1]);

    // Without a click to the next item with a drop-down; to one without, the
    // drop-down closes and that item is only hot.
    bar.OnMouseMove(Inside(edit).x, Inside(edit).y);
    EXPECT_EQ(edit, bar.GetOpenItem());
    EXPECT_TRUE(file->dropDown == NULL);
    EXPECT_EQ(CSkinMenuBarItem::Normal, file->state);
    bar.OnMouseMove(Inside(help).x, Inside(help).y);
    EXPECT_TRUE(bar.GetOpenItem() == NULL);
    EXPECT_EQ(help, bar.GetHotItem());

    bar.OnLButtonDown(Inside(edit).x, Inside(edit).y);
    bar.OnLButtonDown(Inside(edit).x, Inside(edit).y);
    EXPECT_TRUE(bar.GetOpenItem() == NULL) << "the open item clicked again closes";
    EXPECT_EQ(edit, bar.GetHotItem());

    s_frameMessages.clear();
    bar.OnLButtonDown(Inside(help).x, Inside(help).y);
    Pump();
    ASSERT_FALSE(s_frameMessages.empty());
    EXPECT_EQ(0x10000u | 400, s_frameMessages.back()) << "an item without a drop-down is a command";
}

TEST_F(MenuBarTest, ArrowKeysWalkTheDropDownsRoundAndMnemonicsOpenThem)
{
    CFakeFrame frame(0, 0, 600);
    CSkinMenuBar bar(RECT(), &frame, NULL);
    bar.LoadMenu(m_menu);
    bar.GetBarRect();
    bar.Layout();
    EXPECT_FALSE(bar.OnMenuKey(VK_RIGHT)) << "nothing open";
    EXPECT_TRUE(bar.OnMenuKey('E'));
    EXPECT_EQ(bar.GetItem(1), bar.GetOpenItem());
    EXPECT_FALSE(bar.OnMenuKey('Q'));
    bar.PressItem(bar.GetItem(0));
    s_frameMessages.clear();
    EXPECT_TRUE(bar.OnMenuKey(VK_LEFT));
    EXPECT_EQ(bar.GetItem(3), bar.GetHotItem()) << "left of the first is the last";
    EXPECT_TRUE(bar.GetOpenItem() == NULL) << "Help has no drop-down";
    Pump();
    EXPECT_TRUE(s_frameMessages.empty()) << "an arrow does not choose Help's command";
    EXPECT_TRUE(bar.OnMenuKey(VK_RIGHT));
    EXPECT_EQ(bar.GetItem(0), bar.GetOpenItem()) << "right of the last is the first";
    bar.OnMenuEnd();
    EXPECT_TRUE(bar.GetOpenItem() == NULL);
    EXPECT_EQ(CSkinMenuBarItem::Normal, bar.GetItem(0)->state);
}

TEST_F(MenuBarTest, ADropDownThatWouldPassTheBottomOpensAboveItsItem)
{
    RECT work;
    const POINT origin = {10, 10};
    ASSERT_TRUE(GetPointMonitorRect(origin, work, true));
    CFakeFrame frame(work.left + 10, work.bottom - 30, 600);
    CSkinMenuBar bar(RECT(), &frame, NULL);
    bar.LoadMenu(m_menu);
    bar.GetBarRect();
    bar.Layout();
    bar.PressItem(bar.GetItem(0));
    ASSERT_TRUE(bar.GetItem(0)->dropDown != NULL);
    RECT window;
    GetWindowRect(bar.GetItem(0)->dropDown->GetHwnd(), &window);
    EXPECT_EQ(work.bottom - 30 + bar.GetItem(0)->rect.top, window.bottom);
}

TEST_F(MenuBarTest, AMaximisedMdiChildShowsItsButtonsWhichActOnIt)
{
    CFakeFrame frame(0, 0, 600);
    CSkinMenuBar bar(RECT(), &frame, NULL);
    bar.LoadMenu(m_menu);
    const int plain = bar.CalcBarHeight(600);
    frame.m_mdiChild = frame.m_hwnd;  // answers WM_SKIN_QUERY_STATE
    frame.m_maximised = TRUE;
    EXPECT_FALSE(bar.AreMdiButtonsShown()) << "not without WS_SYSMENU in the child's answer";
    s_childState = WS_SYSMENU;
    ASSERT_TRUE(bar.AreMdiButtonsShown());
    const RECT r = bar.GetBarRect();
    EXPECT_EQ(plain, r.bottom - r.top);
    bar.Layout();
    EXPECT_EQ(4 + 16, bar.GetItem(0)->rect.left) << "room for the child's icon";
    const RECT close = bar.GetMdiButtonRect(CSkinMenuBar::Close);
    EXPECT_EQ(r.right, close.right);
    EXPECT_EQ(close.left - 18, bar.GetMdiButtonRect(CSkinMenuBar::Restore).left);
    EXPECT_EQ(close.left - 36, bar.GetMdiButtonRect(CSkinMenuBar::Minimize).left);

    const RECT minimize = bar.GetMdiButtonRect(CSkinMenuBar::Minimize);
    bar.OnLButtonDown(minimize.left + 2, minimize.top + 2);
    EXPECT_EQ(2, bar.GetMdiButtonState(CSkinMenuBar::Minimize));
    bar.OnLButtonUp(minimize.left + 2, minimize.top + 2);
    EXPECT_EQ(1, frame.m_minimized);
    bar.OnLButtonUp(close.left + 2, close.top + 2);
    EXPECT_EQ(1, frame.m_closed);
    const RECT icon = bar.GetMdiButtonRect(CSkinMenuBar::ChildIcon);
    bar.OnLButtonDown(icon.left + 2, icon.top + 2);
    EXPECT_EQ(1, frame.m_systemMenus);

    // A frame too narrow for the buttons after the items takes a row more.
    MoveWindow(frame.m_hwnd, 0, 0, bar.GetItem(3)->rect.right + 20, 300, FALSE);
    EXPECT_EQ(2 * plain, bar.CalcBarHeight(bar.GetItem(3)->rect.right + 20));
}

} // namespace
