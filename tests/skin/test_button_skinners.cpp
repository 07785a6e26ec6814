// Push buttons, check boxes, radio buttons, group boxes and statics under
// their skinners: clicks counted as the parent sees them, auto check and
// radio behaviour, keyboard use through the dialog manager, and the state
// pictures chosen, read as pixels of the colour blocks in controls.skin.

#include "skin_control_fixture.h"

#include "skin/controls/skinbutton.h"
#include "skin/controls/skincheckbox.h"
#include "skin/controls/skingroupbox.h"
#include "skin/controls/skinradio.h"
#include "skin/controls/skinstatic.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const DWORD DialogColour = 0x406080;
enum : DWORD { PushNormal = 0xB00000, PushPressed = 0xB01000, PushDefault = 0xB02000, PushFocused = 0xB03000,
               PushHover = 0xB04000, PushDisabled = 0xB05000 };
enum : DWORD { MarkUnchecked = 0xC00000, MarkChecked = 0xC01000, MarkDisabledChecked = 0xC02000,
               MarkHotUnchecked = 0xC03000, MarkHotChecked = 0xC04000, MarkDisabledUnchecked = 0xC05000,
               MarkPressed = 0xC06000 };

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

class ButtonSkinnersTest : public SkinControlsTest
{
protected:
    std::vector<WPARAM> Commands()
    {
        std::vector<WPARAM> out;
        for (const ControlMessage& m : Take(WM_COMMAND))
            out.push_back(m.wParam);
        return out;
    }
    void Click(HWND hwnd, int x = 3, int y = 3)
    {
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
        SendMessageA(hwnd, WM_LBUTTONUP, 0, At(x, y));
    }
    LRESULT Check(HWND hwnd) { return SendMessageA(hwnd, BM_GETCHECK, 0, 0); }
};

} // namespace

TEST_F(ButtonSkinnersTest, PushButtonTellsItsParentOneClickPerPressReleasedInside)
{
    HWND ok = Child("Button", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 101);
    Skin();
    ASSERT_TRUE(Skinner<CSkinButton>(ok));
    Click(ok);
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(101, BN_CLICKED)}, Commands()) << "inside: one BN_CLICKED";
    SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    SendMessageA(ok, WM_MOUSEMOVE, MK_LBUTTON, At(300, 3));
    SendMessageA(ok, WM_LBUTTONUP, 0, At(300, 3));
    EXPECT_TRUE(Commands().empty()) << "released outside: none";
    EXPECT_NE(ok, GetCapture());

    SendMessageA(ok, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(ok, WM_KEYUP, VK_SPACE, 0);
    SendMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(101, BN_CLICKED), MAKEWPARAM(101, BN_CLICKED)}), Commands())
        << "space bar and BM_CLICK";
}

TEST_F(ButtonSkinnersTest, PushButtonPicksItsSetByState)
{
    HWND def = Child("Button", "Go", BS_DEFPUSHBUTTON, 10, 10, 60, 20, 1);
    HWND other = Child("Button", "Other", BS_PUSHBUTTON, 10, 40, 60, 20, 2);
    HWND plain = Child("Button", "Plain", BS_DEFPUSHBUTTON, 10, 70, 60, 20, 3);
    HWND cornered = Child("Button", "", BS_PUSHBUTTON, 100, 10, 60, 20, 4);
    Skin();
    ASSERT_TRUE(m_manager.SetControlSkin(plain, "Plain", NULL));
    ASSERT_TRUE(m_manager.SetControlSkin(cornered, "Cornered", NULL));
    SetFocus(NULL);
    EXPECT_EQ(PushDefault, PixelOf(def, 3, 3)) << "default button without the focus";
    EXPECT_EQ(PushNormal, PixelOf(other, 3, 3));
    SetFocus(other);
    EXPECT_EQ(PushFocused, PixelOf(other, 3, 3));
    SendMessageA(other, WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(PushHover, PixelOf(other, 3, 3));
    SendMessageA(other, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    EXPECT_EQ(PushPressed, PixelOf(other, 3, 3));
    SendMessageA(other, WM_LBUTTONUP, 0, At(3, 3));
    SendMessageA(other, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(PushPressed, PixelOf(other, 3, 3)) << "BST_PUSHED";
    SendMessageA(other, BM_SETSTATE, FALSE, 0);
    EnableWindow(other, FALSE);
    EXPECT_EQ(PushDisabled, PixelOf(other, 3, 3));

    // Style changes move the default look.
    SendMessageA(def, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(Skinner<CSkinButton>(def)->IsDefault());
    EXPECT_EQ(PushNormal, PixelOf(def, 3, 3));

    // A set without pictures falls back: hover to normal, and a focused
    // default button to the default set.
    SendMessageA(plain, WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(PushDefault, PixelOf(plain, 3, 3)) << "empty hover set: its state without the mouse";
    SetFocus(plain);
    EXPECT_EQ(PushDefault, PixelOf(plain, 3, 3)) << "empty focused set of a default button";

    // A picture (only a normal set) is that picture in every state.
    const DWORD picture = 0xB06000;
    EXPECT_EQ(picture, PixelOf(cornered, 5, 5));
    SetFocus(cornered);
    EXPECT_EQ(picture, PixelOf(cornered, 5, 5)) << "focused";
    SendMessageA(cornered, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(picture, PixelOf(cornered, 5, 5)) << "pushed";
    SendMessageA(cornered, BM_SETSTATE, FALSE, 0);
    SendMessageA(cornered, BM_SETSTYLE, BS_DEFPUSHBUTTON | BS_BITMAP, TRUE);
    EnableWindow(cornered, FALSE);
    EXPECT_EQ(picture, PixelOf(cornered, 5, 5)) << "disabled default";
    EnableWindow(cornered, TRUE);
    SendMessageA(cornered, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);

    // The window takes the picture's shape: the keyed corner is cut away.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(cornered, region));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 30, 10));
    SetWindowPos(cornered, NULL, 0, 0, 90, 30, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_NE(ERROR, GetWindowRgn(cornered, region));
    EXPECT_TRUE(PtInRegion(region, 85, 25)) << "rebuilt for the new size";
    DeleteObject(region);
}

TEST_F(ButtonSkinnersTest, CheckBoxesStepAndShowTheirMarks)
{
    HWND box = Child("Button", "Box", BS_AUTOCHECKBOX, 10, 10, 100, 20, 11);
    HWND three = Child("Button", "Three", BS_AUTO3STATE, 10, 40, 100, 20, 12);
    HWND manual = Child("Button", "Manual", BS_CHECKBOX, 10, 70, 100, 20, 13);
    HWND like = Child("Button", "Like", BS_AUTOCHECKBOX | BS_PUSHLIKE, 10, 100, 100, 20, 14);
    Skin();
    ASSERT_TRUE(Skinner<CSkinCheckBox>(box));
    SetFocus(NULL);
    EXPECT_EQ(MarkUnchecked, PixelOf(box, 5, 10));
    EXPECT_EQ(DialogColour, PixelOf(box, 50, 1)) << "the dialog behind the text";
    Click(box);
    EXPECT_EQ(BST_CHECKED, Check(box));
    EXPECT_EQ(MarkHotChecked, PixelOf(box, 5, 10)) << "the click took the focus";
    SetFocus(NULL);
    EXPECT_EQ(MarkChecked, PixelOf(box, 5, 10));
    Click(box, 300, 3);
    EXPECT_EQ(BST_CHECKED, Check(box)) << "released outside: no toggle";
    SendMessageA(box, WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(MarkHotChecked, PixelOf(box, 5, 10));
    SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    EXPECT_EQ(MarkPressed, PixelOf(box, 5, 10));
    SendMessageA(box, WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_EQ(BST_UNCHECKED, Check(box));
    EXPECT_EQ(MarkHotUnchecked, PixelOf(box, 5, 10)) << "focused";
    EnableWindow(box, FALSE);
    EXPECT_EQ(MarkDisabledUnchecked, PixelOf(box, 5, 10));
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(MarkDisabledChecked, PixelOf(box, 5, 10));

    const LRESULT cycle[] = {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED};
    for (LRESULT expected : cycle) {
        Click(three);
        EXPECT_EQ(expected, Check(three));
    }
    SendMessageA(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    SetFocus(NULL);
    EXPECT_EQ(MarkDisabledChecked, PixelOf(three, 5, 10)) << "indeterminate: the greyed mark";

    Click(manual);
    EXPECT_EQ(BST_UNCHECKED, Check(manual)) << "a plain check box only tells its parent";
    EXPECT_EQ(6u, Commands().size()) << "every click inside told once";

    EXPECT_EQ(PushNormal, PixelOf(like, 3, 3)) << "push-like: the Button object's picture";
    Click(like);
    EXPECT_EQ(PushPressed, PixelOf(like, 3, 3)) << "checked";

    // The text keeps the system's gap from the mark, half a digit's width
    // of its font: its first letter's ink begins that far after the mark
    // (plus the letter's own left bearing).
    HDC screen = GetDC(NULL);
    HGDIOBJ old = SelectObject(screen, (HFONT)SendMessageA(manual, WM_GETFONT, 0, 0));
    INT digit = 0;
    ABC letter = {};
    GetCharWidth32A(screen, '0', '0', &digit);
    GetCharABCWidthsA(screen, 'M', 'M', &letter);
    SelectObject(screen, old);
    ReleaseDC(NULL, screen);
    const int markRight = 10;
    MemoryPicture picture(100, 20, 0x010203);
    Paint(manual, picture);
    int firstInk = -1;
    for (int x = markRight; x < 100 && firstInk < 0; ++x)
        for (int y = 0; y < 20 && firstInk < 0; ++y)
            if (picture.At(x, y) != DialogColour)
                firstInk = x;
    ASSERT_GE(digit / 2, 3);
    EXPECT_EQ(markRight + digit / 2 + letter.abcA, firstInk);
}

TEST_F(ButtonSkinnersTest, RadioGroupsRunFromOneGroupStartToTheNext)
{
    HWND label = Child("Static", "Choose", 0, 0, 0, 50, 14, 20);
    HWND a = Child("Button", "A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 60, 16, 21);
    HWND b = Child("Button", "B", BS_AUTORADIOBUTTON, 10, 30, 60, 16, 22);
    HWND text = Child("Edit", "", WS_BORDER, 10, 50, 60, 16, 23);
    HWND c = Child("Button", "C", BS_AUTORADIOBUTTON, 10, 70, 60, 16, 24);
    HWND next = Child("Button", "N", BS_AUTORADIOBUTTON | WS_GROUP, 10, 90, 60, 16, 25);
    Skin();
    ASSERT_TRUE(Skinner<CSkinRadio>(b));
    SendMessageA(next, BM_SETCHECK, BST_CHECKED, 0);
    Click(a);
    Click(c);
    EXPECT_EQ(BST_UNCHECKED, Check(a));
    EXPECT_EQ(BST_CHECKED, Check(c)) << "the edit between them does not end the group";
    EXPECT_EQ(BST_CHECKED, Check(next)) << "the next group is left alone";
    Click(b);
    EXPECT_EQ(BST_UNCHECKED, Check(c));
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(21, BN_CLICKED), MAKEWPARAM(24, BN_CLICKED), MAKEWPARAM(22, BN_CLICKED)}),
              Commands());

    // Arrow keys through the dialog manager move the check as the
    // system's radio buttons do.
    Click(a);
    Take(WM_COMMAND);
    MSG down = {a, WM_KEYDOWN, VK_DOWN, 0, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(m_dialog, &down));
    EXPECT_EQ(b, GetFocus());
    EXPECT_EQ(BST_CHECKED, Check(b));
    EXPECT_EQ(BST_UNCHECKED, Check(a));
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(22, BN_CLICKED)}, Commands());
    (void)label;
    (void)text;
}

TEST(SkinRadioGroups, WithoutAnyGroupStyleEverySiblingBelongs)
{
    HWND parent = MakeTestWindow();
    HWND first = CreateWindowA("Button", "1", WS_CHILD | BS_AUTORADIOBUTTON, 0, 0, 50, 10, parent, NULL, NULL, NULL);
    HWND second = CreateWindowA("Button", "2", WS_CHILD | BS_AUTORADIOBUTTON, 0, 20, 50, 10, parent, NULL, NULL, NULL);
    CSkinRadio radio(NULL);
    ASSERT_TRUE(radio.Attach(second));
    SendMessageA(first, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(second, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(first, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(second, BM_GETCHECK, 0, 0));
    radio.Detach();
    DestroyWindow(parent);
}

TEST_F(ButtonSkinnersTest, GroupBoxCaptionSitsOnTheFrameByAlignment)
{
    HWND left = Child("Button", "Options", BS_GROUPBOX, 10, 10, 200, 80, 31);
    HWND right = Child("Button", "Options", BS_GROUPBOX | BS_RIGHT, 10, 100, 200, 80, 32);
    HWND centre = Child("Button", "Options", BS_GROUPBOX | BS_CENTER, 220, 10, 90, 80, 33);
    HWND empty = Child("Button", "", BS_GROUPBOX, 220, 100, 90, 80, 34);
    Skin();
    CSkinGroupBox* box = Skinner<CSkinGroupBox>(left);
    ASSERT_TRUE(box);
    bool hasText = false;
    const RECT caption = box->CaptionRect(&hasText);
    EXPECT_TRUE(hasText);
    EXPECT_EQ(4, caption.left) << "no alignment bits: left, as the system's";
    EXPECT_EQ(196, Skinner<CSkinGroupBox>(right)->CaptionRect().right);
    const RECT middle = Skinner<CSkinGroupBox>(centre)->CaptionRect();
    EXPECT_LE(abs((middle.left + middle.right) - 90), 1);
    const RECT none = Skinner<CSkinGroupBox>(empty)->CaptionRect(&hasText);
    EXPECT_FALSE(hasText);
    EXPECT_EQ(none.bottom / 2, Skinner<CSkinGroupBox>(empty)->FrameRect(none).top) << "half of \"A\" with margins";

    const int frameTop = box->FrameRect(caption).top;
    EXPECT_EQ(0xE00000u, PixelOf(left, 1, frameTop + 10)) << "frame at the left";
    EXPECT_EQ(0xE00000u, PixelOf(left, caption.right + 5, frameTop)) << "frame top beside the caption";
    EXPECT_EQ(0xE01000u, PixelOf(left, caption.left + 1, frameTop)) << "caption background over the frame";
    EXPECT_EQ(DialogColour, PixelOf(left, 100, 50)) << "the middle is the dialog's";
    EXPECT_EQ(DialogColour, PixelOf(empty, 45, 1)) << "above an empty caption's frame";

    // Controls laid over a panel have the panel behind them.
    HWND inside = Child("Button", "", BS_AUTOCHECKBOX, 40, 50, 100, 20, 35);
    ASSERT_TRUE(m_manager.SetControlSkin(inside, "CheckBox", NULL));
    ASSERT_TRUE(m_manager.SetControlSkin(left, "Panel", NULL));
    EXPECT_EQ(0xE02000u, PixelOf(inside, 90, 10));
}

TEST_F(ButtonSkinnersTest, StaticsDrawTextOnTheirBackgroundAndLeaveOtherKindsAlone)
{
    HWND text = Child("Static", "Label", SS_LEFT, 10, 10, 80, 16, 41);
    HWND backed = Child("Static", "Label", SS_CENTER, 10, 30, 80, 16, 42);
    const DWORD unskinned[] = {SS_OWNERDRAW, SS_SIMPLE, SS_ETCHEDHORZ, SS_ETCHEDFRAME, SS_BLACKRECT, SS_GRAYFRAME,
                               SS_ENHMETAFILE};
    std::vector<HWND> others;
    for (DWORD style : unskinned)
        others.push_back(Child("Static", "", style, 100, 10, 40, 10, 0));
    Skin();
    ASSERT_TRUE(m_manager.SetControlSkin(backed, "BackedStatic", NULL));
    ASSERT_TRUE(Skinner<CSkinStatic>(text));
    for (size_t i = 0; i < others.size(); ++i)
        EXPECT_EQ(NULL, SkinnerOf(others[i])) << "style " << unskinned[i] << " keeps the system look";
    EXPECT_EQ(DialogColour, PixelOf(text, 79, 15));
    EXPECT_EQ(0xF00000u, PixelOf(backed, 79, 15));

    EXPECT_EQ((UINT)(DT_WORDBREAK), CSkinStatic::TextFlags(SS_LEFT, false));
    EXPECT_EQ((UINT)(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX),
              CSkinStatic::TextFlags(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, false));
    EXPECT_EQ((UINT)(DT_RIGHT | DT_WORDBREAK | DT_RTLREADING | DT_END_ELLIPSIS),
              CSkinStatic::TextFlags(SS_RIGHT | SS_ENDELLIPSIS, true));
    EXPECT_EQ((UINT)DT_SINGLELINE, CSkinStatic::TextFlags(SS_LEFTNOWORDWRAP, false));
    EXPECT_EQ((UINT)(DT_EDITCONTROL | DT_WORDBREAK), CSkinStatic::TextFlags(SS_EDITCONTROL, false));
}
