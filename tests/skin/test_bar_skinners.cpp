// Progress bars, scroll-bar controls, sliders, spins, tabs, headers, status
// bars, date pickers, month calendars and animations under their skinners:
// the values they keep or leave to the control, what their parents hear,
// the date picker's calendar loop, the animation's thread and temporary
// file, and the pictures they paint.

#include "skin_control_fixture.h"

#include "skin/controls/skinanimate.h"
#include "skin/controls/skindatetime.h"
#include "skin/controls/skinprogressbar.h"
#include "skin/controls/skinscrollbar.h"
#include "skin/controls/skinslider.h"
#include "skin/controls/skinspin.h"
#include "skin/controls/skintab.h"
#include "skin/windows/skindialog.h"

namespace {

const DWORD DialogColour = 0x406080;

WNDPROC s_progressProc;
HWND s_picker;
SYSTEMTIME s_pickedDay;

// Clicks a day of the picker's open calendar.
void CALLBACK PickADay(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    HWND calendar = (HWND)SendMessageA(s_picker, DTM_GETMONTHCAL, 0, 0);
    RECT size = {0, 0, 0, 0};
    SendMessageA(calendar, MCM_GETMINREQRECT, 0, (LPARAM)&size);
    for (int y = size.bottom / 3; y < size.bottom; y += 4) {
        MCHITTESTINFO hit = {};
        hit.cbSize = sizeof(hit);
        hit.pt.x = size.right / 2;
        hit.pt.y = y;
        SendMessageA(calendar, MCM_HITTEST, 0, (LPARAM)&hit);
        if (hit.uHit == MCHT_CALENDARDATE) {
            s_pickedDay = hit.st;
            PostMessageA(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, y));
            PostMessageA(calendar, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, y));
            return;
        }
    }
}

void CALLBACK DestroyThePicker(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    DestroyWindow(s_picker);
}

// A progress bar that cannot tell its step.
LRESULT CALLBACK NoGetStep(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_GETSTEP)
        return 0;
    return CallWindowProcA(s_progressProc, hwnd, message, wParam, lParam);
}

class BarSkinnersTest : public SkinControlsTest
{
protected:
    std::vector<WPARAM> Scrolls(UINT message)
    {
        std::vector<WPARAM> out;
        for (const ControlMessage& m : Take(message))
            out.push_back(m.wParam);
        return out;
    }
    std::vector<int> Notifications()
    {
        std::vector<int> out;
        for (const ControlMessage& m : Take(WM_NOTIFY))
            out.push_back(m.code);
        return out;
    }
};

} // namespace

TEST_F(BarSkinnersTest, ProgressBarsKeepTheirValuesAndStopAtTheEnds)
{
    HWND bar = Child(PROGRESS_CLASSA, "", 0, 10, 10, 200, 16, 101);
    SendMessageA(bar, PBM_SETRANGE32, 0, 200);
    SendMessageA(bar, PBM_SETPOS, 50, 0);
    SendMessageA(bar, PBM_SETSTEP, (WPARAM)-7, 0);
    HWND measured = Child(PROGRESS_CLASSA, "", 0, 10, 40, 100, 16, 102);
    SendMessageA(measured, PBM_SETSTEP, (WPARAM)-4, 0);
    SendMessageA(measured, PBM_SETPOS, 30, 0);
    s_progressProc = (WNDPROC)SetWindowLongPtrA(measured, GWLP_WNDPROC, (LONG_PTR)NoGetStep);
    Skin();
    CSkinProgressBar* skinner = Skinner<CSkinProgressBar>(bar);
    ASSERT_TRUE(skinner && skinner->IsEmulating());
    EXPECT_EQ(50, SendMessageA(bar, PBM_GETPOS, 0, 0));
    EXPECT_EQ(50, SendMessageA(bar, PBM_STEPIT, 0, 0));
    EXPECT_EQ(43, SendMessageA(bar, PBM_GETPOS, 0, 0)) << "a step below zero stays below zero";
    EXPECT_EQ(-4, SendMessageA(measured, PBM_GETSTEP, 0, 0)) << "measured where the control cannot tell";
    EXPECT_EQ(30, SendMessageA(measured, PBM_GETPOS, 0, 0)) << "the position survives the measuring";
    EXPECT_EQ(-7, SendMessageA(bar, PBM_SETSTEP, 30, 0));
    SendMessageA(bar, PBM_SETPOS, 190, 0);
    SendMessageA(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(200, SendMessageA(bar, PBM_GETPOS, 0, 0)) << "stepping stops at the high end";
    SendMessageA(bar, PBM_DELTAPOS, (WPARAM)-500, 0);
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
    PBRANGE range = {-1, -1};
    EXPECT_EQ(200, SendMessageA(bar, PBM_GETRANGE, FALSE, (LPARAM)&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(200, range.iHigh);
    EXPECT_EQ((LRESULT)CLR_DEFAULT, SendMessageA(bar, PBM_SETBARCOLOR, 0, RGB(255, 0, 0)));

    SendMessageA(bar, PBM_SETPOS, 100, 0);
    EXPECT_EQ(0x601000u, PixelOf(bar, 50, 8)) << "half filled";
    EXPECT_EQ(0x600000u, PixelOf(bar, 150, 8));
    SendMessageA(bar, PBM_SETRANGE32, 0, 0);
    EXPECT_EQ(0x600000u, PixelOf(bar, 1, 8)) << "an empty range shows no fill";
    SendMessageA(bar, PBM_SETRANGE32, 0, 200);
    SendMessageA(bar, PBM_SETPOS, 120, 0);
    ASSERT_TRUE(m_manager.RemoveSkin(bar, CSkinManager::RemoveDetach));
    EXPECT_EQ(120, SendMessageA(bar, PBM_GETPOS, 0, 0)) << "the control has the values back";
    EXPECT_EQ(200, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(30, SendMessageA(bar, PBM_GETSTEP, 0, 0));
}

TEST_F(BarSkinnersTest, ProgressBarsFillInTheirModesAndUpright)
{
    HWND blocks = Child(PROGRESS_CLASSA, "", 0, 10, 10, 100, 16, 103);
    HWND upright = Child(PROGRESS_CLASSA, "", PBS_VERTICAL, 120, 10, 16, 100, 104);
    Skin();
    ASSERT_TRUE(m_manager.SetControlSkin(blocks, "Blocks", NULL));
    SendMessageA(blocks, PBM_SETPOS, 25, 0);
    EXPECT_EQ(0x601000u, PixelOf(blocks, 19, 8)) << "two whole blocks of 10";
    EXPECT_EQ(0x600000u, PixelOf(blocks, 22, 8)) << "no part of a third";
    SendMessageA(upright, PBM_SETPOS, 30, 0);
    EXPECT_EQ(0x601000u, PixelOf(upright, 8, 95)) << "filled from the bottom";
    EXPECT_EQ(0x600000u, PixelOf(upright, 8, 5));
}

TEST_F(BarSkinnersTest, ScrollBarControlsKeepTheirValuesAndTellTheirParent)
{
    HWND bar = Child("ScrollBar", "", SBS_VERT, 10, 10, 16, 120, 111);
    const SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 99, 10, 5, 0};
    SetScrollInfo(bar, SB_CTL, &info, FALSE);
    Skin();
    CSkinScrollBar* skinner = Skinner<CSkinScrollBar>(bar);
    ASSERT_TRUE(skinner && skinner->IsEmulating());
    EXPECT_EQ(5, GetScrollPos(bar, SB_CTL));
    SetScrollPos(bar, SB_CTL, 500, TRUE);
    EXPECT_EQ(90, GetScrollPos(bar, SB_CTL)) << "the system's rule: maximum - (page - 1)";
    const SCROLLINFO noPage = {sizeof(noPage), SIF_PAGE | SIF_POS, 0, 0, 0, 500, 0};
    SetScrollInfo(bar, SB_CTL, &noPage, TRUE);
    EXPECT_EQ(99, GetScrollPos(bar, SB_CTL)) << "without a page: the maximum";
    SetScrollInfo(bar, SB_CTL, &info, TRUE);

    const SkinScrollGeometry g = skinner->Measure();
    EXPECT_EQ(10, g.arrow) << "the arrow picture's length";
    EXPECT_EQ(0x903000u, PixelOf(bar, 8, g.arrow + g.thumbOffset + g.thumbSize + 5)) << "track";
    EXPECT_EQ(0x902000u, PixelOf(bar, 8, g.arrow + g.thumbOffset + g.thumbSize / 2)) << "thumb";
    EXPECT_EQ(0x901000u, PixelOf(bar, 8, 115)) << "second arrow";

    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 115));
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(SB_LINEDOWN, 0)}, Scrolls(WM_VSCROLL)) << "one line at once";
    EXPECT_EQ(0x921000u, PixelOf(bar, 8, 115)) << "the pressed arrow";
    POINT cursor = {8, 115};
    ClientToScreen(bar, &cursor);
    SetCursorPos(cursor.x, cursor.y);
    SendMessageA(bar, WM_TIMER, 200, 0);
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(SB_LINEDOWN, 0)}, Scrolls(WM_VSCROLL)) << "repeats";
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 115));
    SendMessageA(bar, WM_TIMER, 200, 0);
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(SB_ENDSCROLL, 0)}, Scrolls(WM_VSCROLL)) << "and stops on release";

    const int y = g.arrow + g.thumbOffset + g.thumbSize / 2;
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, y));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, y + 30));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, y + 30));
    const int dragged = SkinScrollDragPosition(g, info, g.thumbOffset + 30);
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(SB_THUMBTRACK, 5), MAKEWPARAM(SB_THUMBTRACK, dragged),
                                   MAKEWPARAM(SB_THUMBPOSITION, dragged), MAKEWPARAM(SB_ENDSCROLL, 0)}),
              Scrolls(WM_VSCROLL));

    // A thumb that fills the track does not move.
    const SCROLLINFO full = {sizeof(full), SIF_ALL, 0, 9, 10, 0, 0};
    SetScrollInfo(bar, SB_CTL, &full, TRUE);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 60));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 100));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 100));
    EXPECT_TRUE(Scrolls(WM_VSCROLL).empty());

    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    SetScrollPos(bar, SB_CTL, 42, TRUE);
    ASSERT_TRUE(m_manager.RemoveSkin(bar, CSkinManager::RemoveDetach));
    EXPECT_EQ(42, GetScrollPos(bar, SB_CTL)) << "the control has the values back";
}

TEST_F(BarSkinnersTest, SlidersAndSpinsKeepTheirPositions)
{
    HWND slider = Child(TRACKBAR_CLASSA, "", TBS_HORZ, 10, 10, 200, 30, 121);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
    HWND spin = Child(UPDOWN_CLASSA, "", 0, 220, 10, 20, 40, 122);
    SendMessageA(spin, UDM_SETRANGE32, 0, 10);
    SendMessageA(spin, UDM_SETPOS32, 0, 5);
    HWND side = Child(UPDOWN_CLASSA, "", UDS_HORZ, 250, 10, 40, 20, 123);
    Skin();
    ASSERT_TRUE(Skinner<CSkinSlider>(slider));
    EXPECT_TRUE(GetWindowLongA(slider, GWL_STYLE) & TBS_BOTH);
    SendMessageA(slider, TBM_SETPOS, TRUE, 4);
    EXPECT_EQ(4, SendMessageA(slider, TBM_GETPOS, 0, 0));
    SendMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(5, SendMessageA(slider, TBM_GETPOS, 0, 0)) << "keys move the thumb";
    EXPECT_FALSE(Scrolls(WM_HSCROLL).empty()) << "and tell the parent";
    RECT thumb, channel;
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    SendMessageA(slider, TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
    EXPECT_EQ(0x611000u, PixelOf(slider, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2));
    EXPECT_EQ(0x610000u, PixelOf(slider, channel.left + 1, (channel.top + channel.bottom) / 2));

    CSkinSpin* skinner = Skinner<CSkinSpin>(spin);
    ASSERT_TRUE(skinner);
    EXPECT_EQ(0x620000u, PixelOf(spin, 1, 1));
    SendMessageA(spin, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(0x623000u, PixelOf(spin, 1, 1)) << "hot upper half";
    EXPECT_EQ(0x620000u, PixelOf(spin, 1, 38)) << "the lower half stays";
    // The arrow is drawn as it is above and mirrored below.
    EXPECT_EQ(0x621000u, PixelOf(spin, 10, 5));
    EXPECT_EQ(0x622000u, PixelOf(spin, 10, 25));
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_EQ(CSkinSpin::FirstPressed, skinner->GetState());
    EXPECT_EQ(0x624000u, PixelOf(spin, 1, 1)) << "pressed";
    SendMessageA(spin, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(6, SendMessageA(spin, UDM_GETPOS32, 0, 0)) << "a click on the upper half steps up";
    EXPECT_EQ(0x620000u, PixelOf(side, 1, 1)) << "a horizontal spin: the upright picture turned";
    EnableWindow(spin, FALSE);
    EXPECT_EQ(0x625000u, PixelOf(spin, 1, 1));

    ASSERT_TRUE(m_manager.RemoveSkin(slider, CSkinManager::RemoveDetach));
    EXPECT_FALSE(GetWindowLongA(slider, GWL_STYLE) & TBS_BOTH) << "its own style back";
}

TEST_F(BarSkinnersTest, TabsPaintTheirStatesAndAreTheBackgroundOfTheirPages)
{
    HWND tab = Child(WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 10, 10, 250, 150, 131);
    HWND owner = Child(WC_TABCONTROLA, "", TCS_OWNERDRAWFIXED, 10, 170, 100, 40, 132);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = (LPSTR) "Tab";
    for (int i = 0; i < 3; ++i)
        SendMessageA(tab, TCM_INSERTITEMA, i, (LPARAM)&item);
    HWND page = Child("Static", "", 0, 30, 60, 100, 50, 133);
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Skin();
    EXPECT_EQ(NULL, SkinnerOf(owner));
    CSkinTab* skinner = Skinner<CSkinTab>(tab);
    ASSERT_TRUE(skinner);
    RECT first, second;
    SendMessageA(tab, TCM_GETITEMRECT, 0, (LPARAM)&first);
    SendMessageA(tab, TCM_GETITEMRECT, 1, (LPARAM)&second);
    EXPECT_EQ(0x402000u, PixelOf(tab, first.left + 2, first.top + 2)) << "selected";
    EXPECT_EQ(0x400000u, PixelOf(tab, second.left + 2, second.top + 2)) << "normal";
    SendMessageA(tab, WM_MOUSEMOVE, 0, MAKELPARAM(second.left + 3, second.top + 3));
    EXPECT_EQ(0x401000u, PixelOf(tab, second.left + 2, second.top + 2)) << "hot";
    EXPECT_EQ(0x404000u, PixelOf(tab, 100, 140)) << "page";
    // The page over the tab control gets the tab's picture behind it.
    MemoryPicture behind(100, 50, 0x010101);
    EXPECT_EQ(1, SendMessageA(tab, WM_SKIN_PARENT_BACKGROUND, (WPARAM)behind.DC(), (LPARAM)page));
    EXPECT_EQ(0x404000u, behind.At(50, 25));
    EXPECT_EQ(0x404000u, PixelOf(page, 50, 25)) << "the static on the page shows it";
}

TEST_F(BarSkinnersTest, HeadersAndStatusBarsPaintTheirParts)
{
    HWND header = Child(WC_HEADERA, "", HDS_HORZ, 10, 10, 200, 20, 141);
    HDITEMA item = {};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.cxy = 80;
    item.pszText = (LPSTR) "Name";
    SendMessageA(header, HDM_INSERTITEMA, 0, (LPARAM)&item);
    HWND status = Child(STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0, 142);
    const int parts[2] = {100, -1};
    SendMessageA(status, SB_SETPARTS, 2, (LPARAM)parts);
    Skin();
    EXPECT_EQ(0x410000u, PixelOf(header, 2, 2)) << "item";
    EXPECT_EQ(0x411000u, PixelOf(header, 150, 2)) << "past the items: background";
    RECT part;
    SendMessageA(status, SB_GETRECT, 0, (LPARAM)&part);
    EXPECT_EQ(0x421000u, PixelOf(status, part.left + 1, part.top + 1));
}

TEST_F(BarSkinnersTest, DatePickerCalendarEndsOnQuitOnAGonePickerAndOnAPick)
{
    HWND picker = Child(DATETIMEPICK_CLASSA, "", 0, 10, 10, 150, 22, 151);
    Skin();
    CSkinDateTime* skinner = Skinner<CSkinDateTime>(picker);
    ASSERT_TRUE(skinner);
    const RECT button = skinner->ButtonRect();
    EXPECT_EQ(0x302000u, PixelOf(picker, button.left + 8, 11)) << "the drop button";
    EXPECT_EQ(0x300000u, PixelOf(picker, 1, 1)) << "background";
    const LPARAM onButton = MAKELPARAM(button.left + 8, 11);

    // WM_QUIT ends the calendar's loop and stays for the loop above it.
    PostQuitMessage(7);
    SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, onButton);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_EQ(NULL, skinner->GetCalendar());
    std::vector<int> codes = Notifications();
    EXPECT_TRUE(Contains(codes, DTN_DROPDOWN) && Contains(codes, DTN_CLOSEUP));

    // A pick in the calendar sets the date and tells the parent.
    s_picker = picker;
    SetTimer(NULL, 0, 10, PickADay);
    SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, onButton);
    SYSTEMTIME date = {};
    SendMessageA(picker, DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
    EXPECT_EQ(s_pickedDay.wDay, date.wDay);
    EXPECT_EQ(s_pickedDay.wMonth, date.wMonth);
    EXPECT_TRUE(Contains(Notifications(), DTN_DATETIMECHANGE)) << "as the system's picker does";

    // The picker going away ends the loop.
    SetTimer(NULL, 0, 10, DestroyThePicker);
    SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, onButton);
    EXPECT_FALSE(IsWindow(picker));
}

TEST_F(BarSkinnersTest, MonthCalendarsWearTheSkinsColoursAndGiveTheirOwnBack)
{
    HWND calendar = Child(MONTHCAL_CLASSA, "", 0, 10, 10, 200, 160, 161);
    const COLORREF own = (COLORREF)SendMessageA(calendar, MCM_GETCOLOR, MCSC_BACKGROUND, 0);
    Skin();
    EXPECT_EQ(Rgb(0xFFFFF0), (COLORREF)SendMessageA(calendar, MCM_GETCOLOR, MCSC_BACKGROUND, 0));
    EXPECT_EQ((COLORREF)0x40, (COLORREF)SendMessageA(calendar, MCM_GETCOLOR, MCSC_TITLEBK, 0));
    ASSERT_TRUE(m_manager.RemoveSkin(calendar, CSkinManager::RemoveDetach));
    EXPECT_EQ(own, (COLORREF)SendMessageA(calendar, MCM_GETCOLOR, MCSC_BACKGROUND, 0));
}

TEST_F(BarSkinnersTest, AnimationsPlayOnTheirOwnThreadAndLeaveNoFilesBehind)
{
    HWND clip = Child(ANIMATE_CLASSA, "", ACS_CENTER, 10, 10, 40, 20, 171);
    HWND unknown = Child(ANIMATE_CLASSA, "", 0, 60, 10, 10, 10, 172);
    Skin();
    CSkinAnimate* skinner = Skinner<CSkinAnimate>(clip);
    ASSERT_TRUE(skinner);
    EXPECT_EQ(0x320000u, PixelOf(clip, 1, 1)) << "background without a clip";
    ASSERT_TRUE(SendMessageA(clip, ACM_OPENA, (WPARAM)GetModuleHandleA(NULL), 310));
    const std::string copy = skinner->GetClipFile();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str())) << "the resource's copy while open";
    EXPECT_EQ(0xFF0000u, PixelOf(clip, 20, 10)) << "the first frame, centred";
    EXPECT_EQ(0x320000u, PixelOf(clip, 1, 1));

    Take(WM_COMMAND);
    ASSERT_TRUE(SendMessageA(clip, ACM_PLAY, (WPARAM)-1, MAKELPARAM(0, -1)));
    EXPECT_TRUE(skinner->IsPlaying());
    const DWORD start = GetTickCount();
    while (skinner->GetFrame() == 0 && GetTickCount() - start < 3000)
        Sleep(10);
    EXPECT_NE(0, skinner->GetFrame()) << "the thread steps the frames";
    EXPECT_TRUE(SendMessageA(clip, ACM_STOP, 0, 0));
    EXPECT_FALSE(skinner->IsPlaying());
    std::vector<WPARAM> commands;
    for (const ControlMessage& m : Take(WM_COMMAND))
        commands.push_back(m.wParam);
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(171, ACN_START), MAKEWPARAM(171, ACN_STOP)}), commands);

    EXPECT_EQ(1, SendMessageA(clip, ACM_OPENA, 0, 0)) << "no clip: stopped and closed";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str())) << "the copy is gone";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.substr(0, copy.size() - 4).c_str()))
        << "and the name made for it";

    // Destroyed while playing: the thread ends with the window.
    ASSERT_TRUE(SendMessageA(clip, ACM_OPENA, (WPARAM)GetModuleHandleA(NULL), 310));
    const std::string second = skinner->GetClipFile();
    ASSERT_TRUE(SendMessageA(clip, ACM_PLAY, (WPARAM)-1, MAKELPARAM(0, -1)));
    DestroyWindow(clip);
    EXPECT_EQ(NULL, SkinnerOf(clip));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(second.c_str()));
    ASSERT_TRUE(Skinner<CSkinAnimate>(unknown));
    EXPECT_FALSE(SendMessageA(unknown, ACM_OPENA, 0, 999)) << "an unknown clip";
    EXPECT_TRUE(Skinner<CSkinAnimate>(unknown)->GetClipFile().empty());
}
