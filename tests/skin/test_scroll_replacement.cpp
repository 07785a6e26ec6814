// The scroll-bar replacement: its arithmetic, the user32 stand-ins' storing
// and visibility rules, presses, repeats and thumb drags as the window sees
// them, the parts it paints, and a real list box whose replaced bar stays in
// step with the list without the interception.

#include "skin_control_fixture.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindib.h"
#include "skin/hooks/skinuser32.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/scrollbars/skinscrollinternal.h"

namespace {

SCROLLINFO Info(int min, int max, UINT page, int pos)
{
    SCROLLINFO info = {sizeof(info), SIF_ALL, min, max, page, pos, 0};
    return info;
}

std::vector<WPARAM> s_scrolls;

LRESULT CALLBACK ScrolledProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        s_scrolls.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

WPARAM Code(int code, int position = 0)
{
    return MAKEWPARAM(code, position);
}

DWORD WindowPixel(HWND hwnd, POINT point)
{
    HDC dc = GetWindowDC(hwnd);
    const COLORREF c = GetPixel(dc, point.x, point.y);
    ReleaseDC(hwnd, dc);
    return DibPixel(c);
}

// The middle of a part of the vertical bar, in window coordinates.
POINT PartPoint(HWND hwnd, int part)
{
    SkinScrollWindow* window = SkinSB_Find(hwnd);
    const RECT bar = SkinSB_GetBarRect(hwnd, SB_VERT);
    const SkinScrollGeometry g = SkinSBMeasure(window->vert, bar);
    int along = 0;
    switch (part) {
    case sspFirstArrow: along = g.arrow / 2; break;
    case sspSecondArrow: along = g.length - g.arrow / 2 - 1; break;
    case sspThumb: along = g.arrow + g.thumbOffset + g.thumbSize / 2; break;
    case sspPageBefore: along = g.arrow + g.thumbOffset / 2; break;
    case sspPageAfter: along = (g.arrow + g.thumbOffset + g.thumbSize + g.length - g.arrow) / 2; break;
    }
    POINT point = {(bar.left + bar.right) / 2, bar.top + along};
    return point;
}

LPARAM ScreenParam(HWND hwnd, POINT windowPoint)
{
    RECT window;
    GetWindowRect(hwnd, &window);
    return MAKELPARAM(window.left + windowPoint.x, window.top + windowPoint.y);
}

LPARAM ClientParam(HWND hwnd, POINT windowPoint)
{
    RECT window;
    GetWindowRect(hwnd, &window);
    POINT point = {window.left + windowPoint.x, window.top + windowPoint.y};
    ScreenToClient(hwnd, &point);
    return MAKELPARAM(point.x, point.y);
}

class ScrollReplacementTest : public SkinControlsTest
{
protected:
    void SetUp() override
    {
        SkinControlsTest::SetUp();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ScrolledProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwScrolled";
        RegisterClassA(&wc);
        s_scrolls.clear();
    }
    void TearDown() override
    {
        if (m_window)
            DestroyWindow(m_window);
        SkinSB_SetRoutedOverride(-1);
        SkinControlsTest::TearDown();
    }
    // A 200 x 150 window whose bars the replacement stands in for, as if
    // the interception were in place.
    HWND Routed()
    {
        SkinSB_SetRoutedOverride(1);
        m_window = CreateWindowExA(0, "CwScrolled", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 300, 300, 200, 150, NULL,
                                   NULL, NULL, NULL);
        const SCROLLINFO info = Info(0, 99, 10, 5);
        SetScrollInfo(m_window, SB_VERT, &info, FALSE);
        EXPECT_TRUE(SkinSB_Install(m_window));
        SkinSB_SetSize(m_window, SB_BOTH, 16, 16);
        return m_window;
    }
    std::vector<WPARAM> Scrolls()
    {
        std::vector<WPARAM> taken;
        taken.swap(s_scrolls);
        return taken;
    }
    HWND m_window = NULL;
};

} // namespace

TEST(SkinScrollGeometry, PositionsKeepToTheSystemsRuleAndAFullTrackNeverMoves)
{
    SCROLLINFO info = Info(0, 100, 10, 0);
    EXPECT_EQ(91, SkinScrollMaxPosition(info));
    EXPECT_EQ(91, SkinScrollClampPosition(info, 500));
    EXPECT_EQ(0, SkinScrollClampPosition(info, -5));
    info.nPage = 0;
    EXPECT_EQ(100, SkinScrollClampPosition(info, 500)) << "no page: the maximum itself, not one past it";
    info.nPage = 500;
    EXPECT_EQ(101u, SkinScrollClampPage(info, info.nPage)) << "a page is at most the range";

    info = Info(0, 100, 10, 91);
    SkinScrollGeometry g = SkinScrollMeasure(200, 10, 8, info);
    EXPECT_EQ(180, g.track);
    EXPECT_EQ(17, g.thumbSize);
    EXPECT_EQ(163, g.thumbOffset) << "the last position puts the thumb at the end";
    EXPECT_EQ(sspPageBefore, SkinScrollHitTest(g, info, 100));
    EXPECT_EQ(sspThumb, SkinScrollHitTest(g, info, 10 + 163 + 5));
    EXPECT_EQ(sspSecondArrow, SkinScrollHitTest(g, info, 195));
    EXPECT_EQ(0, SkinScrollDragPosition(g, info, 0));
    EXPECT_EQ(91, SkinScrollDragPosition(g, info, 163));
    EXPECT_EQ(91, SkinScrollDragPosition(g, info, 5000)) << "never past the last position";

    // Two arrows do not fit: half-length arrows and nothing between.
    g = SkinScrollMeasure(15, 10, 8, info);
    EXPECT_EQ(7, g.arrow);
    EXPECT_EQ(0, g.track);
    EXPECT_EQ(sspFirstArrow, SkinScrollHitTest(g, info, 6));
    EXPECT_EQ(sspSecondArrow, SkinScrollHitTest(g, info, 8));
    EXPECT_EQ(sspNone, SkinScrollHitTest(g, info, 7));

    // The thumb fills the track: no thumb to hit, a drag keeps the position.
    info = Info(0, 9, 10, 0);
    g = SkinScrollMeasure(100, 10, 8, info);
    EXPECT_EQ(g.track, g.thumbSize);
    EXPECT_EQ(sspNone, SkinScrollHitTest(g, info, 50));
    EXPECT_EQ(0, SkinScrollDragPosition(g, info, 30));
    info = Info(0, 1, 0, 1);
    g = SkinScrollMeasure(30, 10, 20, info);
    EXPECT_EQ(1, SkinScrollDragPosition(g, info, 5)) << "a minimum thumb wider than its track";
}

// The control skinner and the replaced bars both ask this: a skin that
// gives vertical bars any picture of their own gets its vertical groups.
TEST(SkinScrollGeometry, VerticalBarsTakeTheirOwnGroupsWhenTheSkinGivesAnyPicture)
{
    CSkinScrollBarObject object;
    EXPECT_EQ(0, ScrollBarGroupBase(object, true)) << "an older skin lends the horizontal groups";
    strcpy(object.m_states[4].arrow1.name, "up");
    SetRect(&object.m_states[4].arrow1.source, 0, 0, 16, 16);
    EXPECT_EQ(4, ScrollBarGroupBase(object, true)) << "an arrow without a track is enough";
    EXPECT_EQ(0, ScrollBarGroupBase(object, false));
}

TEST_F(ScrollReplacementTest, StandInsStoreClampAndShowAsUser32Does)
{
    HWND hwnd = Routed();
    EXPECT_FALSE(SkinSB_Install(hwnd)) << "once only";
    EXPECT_EQ(5, GetScrollPos(hwnd, SB_VERT)) << "user32 itself, before any call of ours";
    EXPECT_EQ(5, SkinSB_GetScrollPos(hwnd, SB_VERT)) << "the system's values taken over";
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(200 - 16, client.right) << "room for the bar";

    EXPECT_EQ(5, SkinSB_SetScrollPos(hwnd, SB_VERT, 500, TRUE));
    EXPECT_EQ(90, SkinSB_GetScrollPos(hwnd, SB_VERT));
    SCROLLINFO info = {sizeof(info), SIF_PAGE | SIF_POS, 0, 0, 0, 1000, 0};
    EXPECT_EQ(99, SkinSB_SetScrollInfo(hwnd, SB_VERT, &info, TRUE)) << "page 0: up to the maximum";
    EXPECT_EQ(0, SkinSB_SetScrollInfo(hwnd, SB_VERT, NULL, TRUE));
    EXPECT_FALSE(SkinSB_GetScrollInfo(hwnd, SB_VERT, NULL));
    int low = -1, high = -1;
    EXPECT_FALSE(SkinSB_GetScrollRange(hwnd, SB_VERT, &low, NULL));
    EXPECT_TRUE(SkinSB_GetScrollRange(hwnd, SB_VERT, &low, &high));
    EXPECT_EQ(99, high);

    // A page wider than the range: stored as range + 1, the bar hidden
    // unless SIF_DISABLENOSCROLL keeps it.
    info.fMask = SIF_PAGE;
    info.nPage = 500;
    SkinSB_SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    SCROLLINFO read = {sizeof(read), SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SkinSB_GetScrollInfo(hwnd, SB_VERT, &read);
    EXPECT_EQ(100u, read.nPage);
    EXPECT_EQ(0, read.nPos);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(200, client.right);
    info.fMask = SIF_PAGE | SIF_DISABLENOSCROLL;
    SkinSB_SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(SkinSB_SetScrollRange(hwnd, SB_VERT, 5, 5, TRUE));
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL) << "an empty range hides the bar";

    EXPECT_FALSE(SkinSB_SetSize(hwnd, SB_BOTH, 0, 16));
    EXPECT_FALSE(SkinSB_SetSize(hwnd, SB_BOTH, 16, 257));
    EXPECT_TRUE(SkinSB_SetSize(hwnd, SB_VERT, -2, 16));
    EXPECT_EQ(2 * GetSystemMetrics(SM_CYVSCROLL), SkinSBArrowLength(SkinSB_Find(hwnd)->vert));
    EXPECT_EQ(S_OK, SkinSB_Uninstall(hwnd));
    EXPECT_EQ(E_FAIL, SkinSB_Uninstall(hwnd));
    EXPECT_EQ(5, SkinSB_GetScrollPos(hwnd, SB_VERT)) << "without the replacement: user32's own";
}

TEST_F(ScrollReplacementTest, ArrowsRepeatAndThumbsDragAsTheWindowSeesIt)
{
    HWND hwnd = Routed();
    const POINT down = PartPoint(hwnd, sspSecondArrow);
    EXPECT_EQ(HTVSCROLL, SendMessageA(hwnd, WM_NCHITTEST, 0, ScreenParam(hwnd, down)));
    EXPECT_EQ(0, SendMessageA(hwnd, WM_NCRBUTTONDOWN, HTVSCROLL, ScreenParam(hwnd, down)));
    EXPECT_TRUE(Scrolls().empty()) << "a right click does nothing";

    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(hwnd, down));
    EXPECT_EQ(std::vector<WPARAM>{Code(SB_LINEDOWN)}, Scrolls()) << "one line at once";
    EXPECT_EQ(hwnd, GetCapture());
    EXPECT_EQ(0x921000u, WindowPixel(hwnd, down)) << "the pressed arrow of the vertical pictures";
    SendMessageA(hwnd, WM_TIMER, 0xFFFD, 0);
    RECT window;
    GetWindowRect(hwnd, &window);
    SetCursorPos(window.left + down.x, window.top + down.y);
    SendMessageA(hwnd, WM_TIMER, 0xFFFE, 0);
    EXPECT_EQ(std::vector<WPARAM>{Code(SB_LINEDOWN)}, Scrolls()) << "repeats while the mouse stays";
    SetCursorPos(window.left + 5, window.top + 5);
    SendMessageA(hwnd, WM_TIMER, 0xFFFE, 0);
    EXPECT_TRUE(Scrolls().empty()) << "paused off the arrow";
    EXPECT_EQ(0x901000u, WindowPixel(hwnd, down)) << "not pressed while the mouse is away";
    SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(std::vector<WPARAM>{Code(SB_ENDSCROLL)}, Scrolls());
    EXPECT_NE(hwnd, GetCapture());

    // Drag the thumb down 20 pixels, then 25 pixels to the side of the bar:
    // it snaps back where it began and stands for its first position again.
    const POINT thumb = PartPoint(hwnd, sspThumb);
    EXPECT_EQ(0x902000u, WindowPixel(hwnd, thumb));
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(hwnd, thumb));
    EXPECT_TRUE(SkinSB_IsThumbTracking(hwnd));
    const SkinScrollGeometry g = SkinSBMeasure(SkinSB_Find(hwnd)->vert, SkinSB_GetBarRect(hwnd, SB_VERT));
    const int moved = SkinScrollDragPosition(g, SkinSB_Find(hwnd)->vert.info, g.thumbOffset + 20);
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(hwnd, POINT{thumb.x, thumb.y + 20}));
    EXPECT_EQ(0x922000u, WindowPixel(hwnd, POINT{thumb.x, thumb.y + 20})) << "the pressed thumb moved";
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(hwnd, POINT{thumb.x + 25 + 8, thumb.y + 20}));
    EXPECT_EQ(0x922000u, WindowPixel(hwnd, thumb)) << "back at its start";
    SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ((std::vector<WPARAM>{Code(SB_THUMBTRACK, moved), Code(SB_THUMBTRACK, 5), Code(SB_THUMBPOSITION, 5),
                                   Code(SB_ENDSCROLL)}),
              Scrolls());
    EXPECT_FALSE(SkinSB_IsThumbTracking(hwnd));

    // While a thumb is dragged the range stays.
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(hwnd, thumb));
    SkinSB_SetScrollRange(hwnd, SB_VERT, 0, 10, TRUE);
    int low = 0, high = 0;
    SkinSB_GetScrollRange(hwnd, SB_VERT, &low, &high);
    EXPECT_EQ(99, high);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    Scrolls();

    // A bar whose thumb fills the track only takes the mouse.
    const SCROLLINFO full = {sizeof(full), SIF_ALL | SIF_DISABLENOSCROLL, 0, 9, 10, 0, 0};
    SkinSB_SetScrollInfo(hwnd, SB_VERT, &full, TRUE);
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(hwnd, PartPoint(hwnd, sspThumb)));
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(hwnd, PartPoint(hwnd, sspSecondArrow)));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(std::vector<WPARAM>{Code(SB_ENDSCROLL)}, Scrolls());
    EXPECT_EQ(0, SkinSB_GetScrollPos(hwnd, SB_VERT));
}

TEST_F(ScrollReplacementTest, WithoutTheInterceptionAListBoxBarFollowsTheList)
{
    SkinSB_SetRoutedOverride(0);
    HWND list = Child("ListBox", "", WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10, 10, 120, 100, 51);
    for (int i = 0; i < 60; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"item");
    Skin();
    ASSERT_TRUE(SkinSB_IsInstalled(list));
    auto expectInStep = [&](const char* when) {
        SCROLLINFO system = {sizeof(system), SIF_ALL, 0, 0, 0, 0, 0};
        GetSkinUser32Entries().GetScrollInfo(list, SB_VERT, &system);
        SCROLLINFO ours = {sizeof(ours), SIF_ALL, 0, 0, 0, 0, 0};
        SkinSB_GetScrollInfo(list, SB_VERT, &ours);
        EXPECT_EQ(system.nPos, ours.nPos) << when;
        EXPECT_EQ(system.nMax, ours.nMax) << when;
        EXPECT_EQ(system.nPage, ours.nPage) << when;
        EXPECT_EQ(0x902000u, WindowPixel(list, PartPoint(list, sspThumb))) << when << ": the skin's thumb";
        EXPECT_EQ(0x903000u, WindowPixel(list, PartPoint(list, sspPageAfter))) << when << ": the skin's track";
    };
    expectInStep("skinned");
    SendMessageA(list, LB_SETTOPINDEX, 20, 0);
    EXPECT_EQ(20, GetScrollPos(list, SB_VERT));
    expectInStep("top index set");
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    expectInStep("End key");
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < 100; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"more");
    expectInStep("refilled");

    // A thumb dragged on the skin's bar scrolls the list.
    const int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    const POINT thumb = PartPoint(list, sspThumb);
    SendMessageA(list, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(list, thumb));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(list, POINT{thumb.x, thumb.y + 15}));
    const int dragged = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    EXPECT_GT(dragged, top);
    SendMessageA(list, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(dragged, SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    expectInStep("dragged");
    SendMessageA(list, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(list, PartPoint(list, sspPageBefore)));
    SendMessageA(list, WM_LBUTTONUP, 0, 0);
    EXPECT_LT(SendMessageA(list, LB_GETTOPINDEX, 0, 0), dragged) << "a page up";
    expectInStep("paged");
}

#if defined(__i386__)

TEST_F(ScrollReplacementTest, WithTheInterceptionAListBoxMovesTheReplacementItself)
{
    SetSkinInterceptionModeOverride(simInline);
    ASSERT_TRUE(InstallSkinUser32Interception());
    HWND list = Child("ListBox", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 10, 120, 100, 52);
    for (int i = 0; i < 60; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"item");
    Skin();
    ASSERT_TRUE(SkinSB_IsInstalled(list));
    // The interception sends every module's calls to the replacement...
    SetScrollPos(list, SB_VERT, 7, TRUE);
    EXPECT_EQ(7, SkinSB_GetScrollPos(list, SB_VERT));
    // ...but this system's own list box moves its bar past it: the
    // replacement takes the list's values over all the same.
    SendMessageA(list, LB_SETTOPINDEX, 20, 0);
    EXPECT_EQ(20, SkinSB_GetScrollPos(list, SB_VERT));
    EXPECT_EQ(20, GetScrollPos(list, SB_VERT));
    EXPECT_EQ(0x902000u, WindowPixel(list, PartPoint(list, sspThumb)));
    // A dragged thumb: the list asks where it is and is told.
    const POINT thumb = PartPoint(list, sspThumb);
    SendMessageA(list, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(list, thumb));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(list, POINT{thumb.x, thumb.y + 15}));
    SendMessageA(list, WM_LBUTTONUP, 0, 0);
    EXPECT_GT(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), SkinSB_GetScrollPos(list, SB_VERT));
    DestroyWindow(list);
    RemoveSkinUser32Interception();
    SetSkinInterceptionModeOverride(-1);
}

#endif
