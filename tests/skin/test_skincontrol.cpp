// The control skinner bases: the parent's veto, the control's own object
// with its font and place, the font given back, hovering, painting through
// a memory bitmap, the button base's clicks, layout and push-like object;
// and the AVI player on a clip of tools/avitool.py's making.

#include <gtest/gtest.h>

#include "skin_test_support.h"
#include "skin/controls/skinaviplayer.h"
#include "skin/controls/skinbuttonbase.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/draw/skindrawutils.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/skinlibrary.h"
#include "skin/windows/skindialog.h"

namespace {

const DWORD Face = 0x123456;

// A concrete control skinner: its face is one colour.
class CFlatControl : public CSkinControl
{
public:
    CFlatControl(CSkinWnd* parent, int type) : CSkinControl(parent, type) {}
    void Paint(HDC dc) override
    {
        RECT client;
        GetClientRect(GetHwnd(), &client);
        FillSolidRect(dc, client, Rgb(Face));
    }
};

class CCountingCheck : public CSkinButtonBase
{
public:
    CCountingCheck(CSkinWnd* parent, int type) : CSkinButtonBase(parent, type) {}
    void OnClick() override { ++clicks; }
    int clicks = 0;
};

// A dialog skinner that tells how many controls it skinned.
class CCountingDialog : public CSkinDialog
{
public:
    size_t Children() const { return m_children.size(); }
};

class CControlFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return new CCountingDialog(); }
    CSkinWnd* CreateFrameSkinner() override { return NULL; }
    CSkinWnd* CreateControlSkinner(int type, CSkinWnd* parent) override
    {
        if (type == sotCheckBox || type == sotRadio || type == sotButton)
            return new CCountingCheck(parent, type);
        return new CFlatControl(parent, type);
    }
};

bool s_veto;
std::vector<WPARAM> s_commands;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SKIN_ATTACH_VETO)
        return s_veto;
    if (message == WM_COMMAND)
        s_commands.push_back(wParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

class SkinControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_manager.SetSkinnerFactory(&m_factory);
        CSkinStore* store = new CSkinStore();
        ASSERT_TRUE(LoadBytes(*store, BlocksSkinFile()));
        ASSERT_TRUE(m_manager.InstallStore(store));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwSkinParent";
        RegisterClassA(&wc);
        m_parent = CreateWindowExA(0, "CwSkinParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, NULL, NULL, NULL,
                                   NULL);
        m_font = CreateFontA(-15, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        s_veto = false;
        s_commands.clear();
    }
    void TearDown() override
    {
        DestroyWindow(m_parent);
        m_manager.RemoveAll();
        m_manager.SetSkinnerFactory(NULL);
        DeleteObject(m_font);
    }
    HWND Child(LPCSTR cls, DWORD style, int id, HWND parent = NULL)
    {
        HWND child = CreateWindowExA(0, cls, "text", WS_CHILD | WS_VISIBLE | style, 100, 100, 40, 20,
                                     parent ? parent : m_parent, (HMENU)(INT_PTR)id, NULL, NULL);
        SendMessageA(child, WM_SETFONT, (WPARAM)m_font, FALSE);
        return child;
    }
    HFONT FontOf(HWND hwnd) { return (HFONT)SendMessageA(hwnd, WM_GETFONT, 0, 0); }
    HFONT SkinFont(LPCSTR name)
    {
        return ((CSkinFontObject*)m_manager.GetStore()->FindByName(name))->GetFont();
    }

    CSkinManager& m_manager = GetSkinManager();
    CControlFactory m_factory;
    HWND m_parent = NULL;
    HFONT m_font = NULL;
};

} // namespace

TEST_F(SkinControlTest, ControlsTakeTheirObjectFontAndPlaceAndGiveTheFontBack)
{
    HWND own = Child("Static", 0, 1001), other = Child("Static", 0, 7);
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    Pump();
    CSkinWnd* skinner = m_manager.FindSkinner(own);
    ASSERT_TRUE(skinner);
    EXPECT_STREQ("IdStatic", skinner->GetSkinObject()->GetName()) << "the child object with the control's id";
    EXPECT_EQ(SkinFont("IdStatic"), FontOf(own));
    RECT placed;
    GetWindowRect(own, &placed);
    MapWindowPoints(NULL, m_parent, (POINT*)&placed, 2);
    EXPECT_EQ((RECT{10, 20, 70, 40}), placed) << "value 2 clear: the object's bounds";
    EXPECT_STREQ("Static", m_manager.FindSkinner(other)->GetSkinObject()->GetName());
    EXPECT_EQ(SkinFont("Static"), FontOf(other));
    GetWindowRect(other, &placed);
    MapWindowPoints(NULL, m_parent, (POINT*)&placed, 2);
    EXPECT_EQ(100, placed.left) << "no own object: stays where it is";

    // A skin switch hands the new skin's font before the old one goes.
    CSkinStore* copy = new CSkinStore();
    ASSERT_TRUE(LoadBytes(*copy, BlocksSkinFile()));
    ASSERT_TRUE(m_manager.InstallStore(copy));
    EXPECT_EQ(SkinFont("IdStatic"), FontOf(own));

    EXPECT_TRUE(m_manager.RemoveSkin(m_parent, CSkinManager::RemoveDetach));
    EXPECT_EQ(m_font, FontOf(own)) << "the font it had before";
    EXPECT_EQ(m_font, FontOf(other));
    EXPECT_EQ(0u, m_manager.GetSkinnerCount());

    // Skinned and let go before the posted hand-over arrived: the control
    // keeps its own font, also after the queue has run.
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    EXPECT_TRUE(m_manager.RemoveSkin(m_parent, CSkinManager::RemoveDetach));
    Pump();
    EXPECT_EQ(m_font, FontOf(own));
}

TEST_F(SkinControlTest, AVetoedOrRefusedControlLeavesNoSkinnerBehind)
{
    ASSERT_TRUE(InitSkinLibrary(GetModuleHandleA(NULL), "skin_tests", NULL, 0));
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    s_veto = true;
    HWND vetoed = Child("Static", 0, 5);
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetControlSkin(vetoed, "Static", NULL));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    EXPECT_EQ(NULL, m_manager.FindSkinner(vetoed));
    EXPECT_EQ(NULL, CSkinWnd::FromHandle(vetoed));
    s_veto = false;
    HWND owner = Child("Button", BS_OWNERDRAW, 6);
    EXPECT_FALSE(m_manager.SetControlSkin(owner, "Button", NULL)) << "owner-drawn buttons keep their look";
    EXPECT_EQ(NULL, m_manager.FindSkinner(owner));
    EXPECT_EQ(NULL, CSkinWnd::FromHandle(owner));
    EXPECT_EQ(1u, m_manager.GetSkinnerCount()) << "the parent alone";
    ExitSkinLibrary();
}

TEST_F(SkinControlTest, HoverPaintingAndTheDialogForgettingAGoneControl)
{
    HWND label = Child("Static", 0, 7);
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    CSkinControl* skinner = dynamic_cast<CSkinControl*>(m_manager.FindSkinner(label));
    ASSERT_TRUE(skinner);
    EXPECT_EQ(m_parent, skinner->GetParentWindow());
    SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(skinner->IsHovering());
    SendMessageA(label, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(skinner->IsHovering());

    InvalidateRect(label, NULL, TRUE);
    UpdateWindow(label);
    HDC dc = GetDC(label);
    EXPECT_EQ(Rgb(Face), GetPixel(dc, 3, 3)) << "painted through the memory bitmap";
    ReleaseDC(label, dc);

    DestroyWindow(label);
    EXPECT_EQ(1u, m_manager.GetSkinnerCount());
    EXPECT_TRUE(m_manager.RemoveSkin(m_parent, CSkinManager::RemoveDetach));

    // A control that goes is forgotten by its dialog, a page without a
    // frame too.
    HWND page = CreateWindowExA(0, "CwSkinParent", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, m_parent, NULL, NULL,
                                NULL);
    HWND inside = Child("Static", 0, 3, page);
    ASSERT_TRUE(m_manager.SetWindowSkin(page, "ChildDialog"));
    CCountingDialog* pageSkinner = dynamic_cast<CCountingDialog*>(m_manager.FindSkinner(page));
    ASSERT_TRUE(pageSkinner);
    EXPECT_EQ(1u, pageSkinner->Children());
    DestroyWindow(inside);
    EXPECT_EQ(0u, pageSkinner->Children());
}

TEST_F(SkinControlTest, ButtonBaseClicksInsideOnlyAndFindsItsPushLikeLook)
{
    HWND check = Child("Button", BS_AUTOCHECKBOX, 9);
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    CCountingCheck* skinner = dynamic_cast<CCountingCheck*>(m_manager.FindSkinner(check));
    ASSERT_TRUE(skinner);
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(skinner->IsPressed());
    SendMessageA(check, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_FALSE(skinner->IsPressed()) << "dragged outside";
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(0, skinner->clicks);
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    SendMessageA(check, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(skinner->IsPressed());
    SendMessageA(check, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(2, skinner->clicks);
    Pump();
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(9, BN_CLICKED), MAKEWPARAM(9, BN_CLICKED)}), s_commands);

    // No "PushLikeButton" in the skin: the first Button object.
    EXPECT_EQ(m_manager.GetStore()->FindByName("Button"), skinner->PushLikeObject());
}

TEST(SkinButtonLayout, MarkAndTextFollowTheStyle)
{
    const RECT client = {0, 0, 100, 20};
    const SIZE mark = {13, 13}, text = {40, 10};
    CSkinButtonBase::Layout left = CSkinButtonBase::PlaceContent(0, client, mark, text, 3);
    EXPECT_EQ((RECT{0, 3, 13, 16}), left.mark) << "mark left, centred";
    EXPECT_EQ((RECT{16, 5, 56, 15}), left.text) << "text the gap after it";
    CSkinButtonBase::Layout right = CSkinButtonBase::PlaceContent(BS_LEFTTEXT | BS_TOP | BS_RIGHT, client, mark, text, 3);
    EXPECT_EQ((RECT{87, 0, 100, 13}), right.mark);
    EXPECT_EQ((RECT{44, 0, 84, 10}), right.text);
    EXPECT_EQ((UINT)(DT_WORDBREAK | DT_EDITCONTROL | DT_CENTER | DT_RTLREADING),
              CSkinButtonBase::TextFlags(BS_MULTILINE | BS_CENTER, true));
    EXPECT_EQ((UINT)(DT_SINGLELINE | DT_VCENTER | DT_LEFT), CSkinButtonBase::TextFlags(0, false));

    SkinButtonState blocks[3] = {};
    blocks[2].margins.left = 1;
    EXPECT_EQ(&blocks[2], &CSkinButtonBase::PickState(blocks, 0, 1, 2)) << "empty blocks fall back";
    blocks[1].text.format = 1;
    EXPECT_EQ(&blocks[1], &CSkinButtonBase::PickState(blocks, 0, 1, 2));
}

TEST(SkinAviPlayer, PlaysTheFramesOfAProjectClip)
{
    CSkinAviPlayer player;
    ASSERT_TRUE(player.IsUsable());
    EXPECT_EQ(-1, player.GetLength());
    MemoryPicture picture(16, 8, 0x111111);
    EXPECT_EQ(0, player.DrawFrame(picture.DC(), 0)) << "no clip";
    EXPECT_FALSE(player.Open(SkinTestPath("testdata\\skin\\missing.avi").c_str()));

    ASSERT_TRUE(player.Open(SkinTestPath("testdata\\skin\\colours.avi").c_str()));
    EXPECT_EQ(3, player.GetLength());
    EXPECT_DOUBLE_EQ(10.0, player.GetFramesPerSecond());
    EXPECT_EQ(16, player.GetFrameSize().cx);
    const DWORD first[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(1, player.DrawFrame(picture.DC(), frame));
        EXPECT_EQ(first[frame], picture.At(0, 7)) << frame;
    }
    player.DrawFrame(picture.DC(), 1);
    EXPECT_EQ(0xFFFFFFu, picture.At(7, 3)) << "the right way up";
    EXPECT_EQ(0x00FF00u, picture.At(7, 1));
    EXPECT_EQ(0, player.DrawFrame(picture.DC(), 50)) << "past the end";
    player.Close();
    EXPECT_EQ(-1, player.GetLength());
}
