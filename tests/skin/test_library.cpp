// The call interface: error codes in every state, start-up and teardown run
// many times, the per-thread hooks on two threads, and the skin resource.

#include <gtest/gtest.h>

#include "skin_test_support.h"
#include "skin/controls/skinbutton.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinobject.h"
#include "skin/skinlibrary.h"
#include "skin/windows/skindialog.h"

namespace {

HMODULE Self()
{
    return GetModuleHandleA(NULL);
}

BOOL LoadBuiltin()
{
    return LoadSkinFromResource(Self(), MAKEINTRESOURCEA(187), "SKIN");
}

BOOL Init()
{
    return InitSkinLibrary(Self(), "skin_tests", NULL, 0);
}

// Runs fn on a new thread and waits for it.
template <class F> void OnThread(F fn)
{
    struct Call
    {
        static DWORD WINAPI Run(LPVOID p)
        {
            (*(F*)p)();
            return 0;
        }
    };
    HANDLE thread = CreateThread(NULL, 0, Call::Run, &fn, 0, NULL);
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    CloseHandle(thread);
}

// A modeless dialog of class "#32770" from an in-memory template.
HWND MakeDialog(HWND parent = NULL)
{
    struct
    {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tpl = {};
    tpl.t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    tpl.t.cx = 100;
    tpl.t.cy = 50;
    return CreateDialogIndirectParamA(Self(), &tpl.t, parent, NULL, 0);
}

class SkinLibraryTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        // Leave the library as each test found it: not initialised.
        while (GetSkinHookedThreadCount())
            ExitSkinLibrary();
        ExitSkinLibrary();
        GetSkinManager().SetSkinnerFactory(NULL);
    }
};

} // namespace

TEST_F(SkinLibraryTest, BeforeInitEveryCallButFourAnswers19)
{
    HWND hwnd = MakeTestWindow();
    SetSkinLibraryError(0);
    EXPECT_FALSE(LoadBuiltin());
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetDialogSkin("Dialog"));
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(ClearDialogSkin());
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetWindowSkin(hwnd, "Dialog"));
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(RemoveWindowSkin(hwnd));
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetControlSkin(hwnd, "BoldStatic", "Dialog"));
    EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
    ExitSkinLibrary(); // does nothing

    // The look-ups work on the manager's empty store.
    EXPECT_EQ(NULL, FindSkinObject("Dialog"));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    HFONT font = (HFONT)1;
    COLORREF colour = 7;
    EXPECT_FALSE(GetSkinObjectColors(NULL, &font, &colour));
    EXPECT_EQ((HFONT)1, font) << "nothing written";
    EXPECT_EQ(7u, colour);
    DestroyWindow(hwnd);

    int other = -1;
    OnThread([&other] { other = GetSkinLibraryError(); });
    EXPECT_EQ(0, other) << "a thread that never called the library";
}

TEST_F(SkinLibraryTest, EachThreadHasItsOwnLastErrorAndReadingOneKeepsNothing)
{
    ASSERT_FALSE(LoadBuiltin());  // not initialised: error 19 on this thread
    ASSERT_EQ(19, GetSkinLibraryError());
    const size_t kept = GetSkinErrorThreadCount();
    for (int i = 0; i < 20; ++i)
        OnThread([] { EXPECT_EQ(0, GetSkinLibraryError()); });
    EXPECT_EQ(kept, GetSkinErrorThreadCount());
    int other = -1;
    OnThread([&other] {
        SetControlSkin(NULL, "Button", NULL);
        other = GetSkinLibraryError();
    });
    EXPECT_EQ(19, other);
    EXPECT_EQ(19, GetSkinLibraryError());
}

TEST_F(SkinLibraryTest, InitAndExitManyTimesInOneProcess)
{
    for (int round = 0; round < 25; ++round) {
        ASSERT_TRUE(Init()) << "round " << round << " error " << GetSkinLibraryError();
        EXPECT_EQ(0, GetSkinLibraryError());
        EXPECT_TRUE(Init()) << "a second call on the thread installs nothing new";
        EXPECT_EQ(1u, GetSkinHookedThreadCount());
        EXPECT_TRUE(IsWindow(GetSkinTooltip().GetHwnd()));
        ASSERT_TRUE(LoadBuiltin());
        CSkinObject* tab = FindSkinObject("Tab");
        ASSERT_TRUE(tab);
        HFONT font = NULL;
        COLORREF colour = 0;
        EXPECT_TRUE(GetSkinObjectColors(tab, &font, &colour));
        EXPECT_TRUE(font != NULL);
        EXPECT_EQ(RGB(0x1F, 0x3B, 0x57), colour);
        ExitSkinLibrary();
        EXPECT_FALSE(IsSkinLibraryInitialised());
        EXPECT_EQ(NULL, GetSkinTooltip().GetHwnd());
        EXPECT_FALSE(SetDialogSkin("Dialog"));
        EXPECT_EQ(SKINERR_NOTINIT, GetSkinLibraryError());
        EXPECT_EQ(NULL, FindSkinObject("Tab")) << "the skin went with the library";
    }
}

TEST_F(SkinLibraryTest, WithoutASkinLookUpsAnswerNoObject)
{
    ASSERT_TRUE(Init());
    HWND hwnd = MakeTestWindow();
    EXPECT_EQ(NULL, FindSkinObject("Dialog"));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetControlSkin(hwnd, "BoldStatic", "Dialog"));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetWindowSkin(hwnd, "Dialog"));
    EXPECT_EQ(0, GetSkinLibraryError()) << "a missing window skin leaves the error";

    // A missing resource keeps the skin that is there.
    ASSERT_TRUE(LoadBuiltin());
    EXPECT_FALSE(LoadSkinFromResource(Self(), MAKEINTRESOURCEA(188), "SKIN"));
    EXPECT_EQ(SKINERR_NORESOURCE, GetSkinLibraryError());
    EXPECT_TRUE(FindSkinObject("Dialog"));
    DestroyWindow(hwnd);
}

TEST_F(SkinLibraryTest, WrongTypesAreRefusedWithError8)
{
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());
    HWND hwnd = MakeTestWindow();
    HFONT font = (HFONT)1;
    EXPECT_FALSE(GetSkinObjectColors(FindSkinObject("Dialog"), &font, NULL)) << "a frame has no font";
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    EXPECT_EQ((HFONT)1, font);
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetControlSkin(hwnd, "Dialog", NULL));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetWindowSkin(hwnd, "BoldStatic"));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    DestroyWindow(hwnd);
}

TEST_F(SkinLibraryTest, BuiltInSkinnersSkinDialogsAndTheirControls)
{
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());
    HWND hwnd = MakeTestWindow();
    HWND button = CreateWindowExA(0, "Button", "", WS_CHILD | BS_PUSHBUTTON, 0, 0, 9, 9, hwnd, NULL, NULL, NULL);
    EXPECT_TRUE(SetWindowSkin(hwnd, "Dialog"));
    EXPECT_TRUE(dynamic_cast<CSkinDialog*>(GetSkinManager().FindSkinner(hwnd)));
    EXPECT_TRUE(dynamic_cast<CSkinButton*>(GetSkinManager().FindSkinner(button)));
    EXPECT_TRUE(SetControlSkin(button, "BackGround", "Dialog"));
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetControlSkin(button, "Static", NULL)) << "a push button takes no Static object";
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    EXPECT_EQ(2u, GetSkinManager().GetSkinnerCount());
    DestroyWindow(hwnd);
    EXPECT_EQ(0u, GetSkinManager().GetSkinnerCount());
}

TEST_F(SkinLibraryTest, DialogSkinNameIsCutAt50AndNullClearsIt)
{
    ASSERT_TRUE(Init());
    const std::string sixty(60, 'n');
    EXPECT_TRUE(SetDialogSkin(sixty.c_str()));
    EXPECT_EQ(std::string(50, 'n'), GetSkinDialogName());
    EXPECT_TRUE(SetDialogSkin(NULL));
    EXPECT_STREQ("", GetSkinDialogName());
    EXPECT_TRUE(SetDialogSkin("Dialog"));
    EXPECT_TRUE(ClearDialogSkin());
    EXPECT_STREQ("", GetSkinDialogName());
}

TEST_F(SkinLibraryTest, WindowSkinCallsThroughTheInterface)
{
    CTestSkinnerFactory factory;
    GetSkinManager().SetSkinnerFactory(&factory);
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());
    HWND hwnd = MakeTestWindow();
    EXPECT_TRUE(SetWindowSkin(hwnd, "Dialog"));
    SetSkinLibraryError(0);
    EXPECT_FALSE(SetWindowSkin(hwnd, "Dialog")) << "already skinned";
    EXPECT_EQ(0, GetSkinLibraryError());
    EXPECT_TRUE(RemoveWindowSkin(hwnd));
    EXPECT_FALSE(RemoveWindowSkin(hwnd));
    EXPECT_EQ(0, GetSkinLibraryError());
    factory.m_attachFails = true;
    EXPECT_FALSE(SetWindowSkin(hwnd, "Dialog"));
    EXPECT_EQ(SKINERR_NOOBJECT, GetSkinLibraryError());
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(SkinLibraryTest, HookSkinsDialogsWhileANameIsSetAndTheirControlsAtOnce)
{
    CTestSkinnerFactory factory;
    GetSkinManager().SetSkinnerFactory(&factory);
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());

    HWND plain = MakeDialog();
    ASSERT_TRUE(plain);
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(plain)) << "no dialog skin name";
    DestroyWindow(plain);

    ASSERT_TRUE(SetDialogSkin("Dialog"));
    HWND dialog = MakeDialog();
    ASSERT_TRUE(dialog);
    CSkinWnd* skinner = GetSkinManager().FindSkinner(dialog);
    ASSERT_TRUE(skinner);
    EXPECT_STREQ("Dialog", skinner->GetSkinObject()->GetName());
    HWND check = CreateWindowExA(0, "Button", "c", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 10, dialog, NULL, NULL, NULL);
    CSkinWnd* control = GetSkinManager().FindSkinner(check);
    ASSERT_TRUE(control) << "skinned by the hook when created";
    EXPECT_EQ(sotCheckBox, control->GetSkinObject()->GetType());
    EXPECT_TRUE(SetControlSkin(check, "SettingsCheckBox", "Dialog"));
    EXPECT_STREQ("SettingsCheckBox", control->GetSkinObject()->GetName());
    // A window of no control class inside it passes the creation hook
    // unchanged: its own procedure back in place, WM_CREATE seen once.
    static int creates = 0;
    struct Counting
    {
        static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
        {
            creates += m == WM_CREATE;
            return DefWindowProcA(h, m, w, l);
        }
    };
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Counting::Proc;
    wc.lpszClassName = "CwSkinCounting";
    RegisterClassA(&wc);
    HWND plainChild = CreateWindowExA(0, "CwSkinCounting", "", WS_CHILD, 0, 0, 9, 9, dialog, NULL, NULL, NULL);
    EXPECT_EQ(1, creates);
    EXPECT_EQ((LONG_PTR)Counting::Proc, GetWindowLongPtrA(plainChild, GWLP_WNDPROC));
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(plainChild));
    DestroyWindow(dialog);
    EXPECT_EQ(0u, GetSkinManager().GetSkinnerCount());

    ASSERT_TRUE(SetDialogSkin("Button"));
    HWND refused = MakeDialog();
    EXPECT_EQ(NULL, GetSkinManager().FindSkinner(refused)) << "a dialog skin must be a frame object";
    DestroyWindow(refused);
}

TEST_F(SkinLibraryTest, TwoThreadsHookAndUnhookIndependently)
{
    CTestSkinnerFactory factory;
    GetSkinManager().SetSkinnerFactory(&factory);
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());
    ASSERT_TRUE(SetDialogSkin("Dialog"));

    bool otherInit = false, otherSkinned = true, otherErrorZero = false;
    size_t hookedDuring = 0;
    OnThread([&] {
        otherInit = Init() != FALSE;
        otherErrorZero = GetSkinLibraryError() == 0;
        hookedDuring = GetSkinHookedThreadCount();
        HWND dialog = MakeDialog();
        otherSkinned = GetSkinManager().FindSkinner(dialog) != NULL;
        DestroyWindow(dialog);
        ExitSkinLibrary();
    });
    EXPECT_TRUE(otherInit);
    EXPECT_TRUE(otherErrorZero);
    EXPECT_EQ(2u, hookedDuring);
    EXPECT_TRUE(otherSkinned);
    EXPECT_EQ(1u, GetSkinHookedThreadCount());
    EXPECT_TRUE(IsSkinLibraryInitialised()) << "the other thread's exit leaves the library";

    HWND dialog = MakeDialog();
    EXPECT_TRUE(GetSkinManager().FindSkinner(dialog)) << "this thread's dialogs are still skinned";
    DestroyWindow(dialog);

    // A thread that never called InitSkinLibrary gets no dialog skinning.
    bool unhookedSkinned = true;
    OnThread([&] {
        HWND d = MakeDialog();
        unhookedSkinned = GetSkinManager().FindSkinner(d) != NULL;
        DestroyWindow(d);
    });
    EXPECT_FALSE(unhookedSkinned);

    ExitSkinLibrary();
    EXPECT_FALSE(IsSkinLibraryInitialised());
}

TEST_F(SkinLibraryTest, KeyboardHookRoutesMenuKeysAndSwallowsBareAlt)
{
    CTestSkinnerFactory factory;
    GetSkinManager().SetSkinnerFactory(&factory);
    EXPECT_EQ(0, SkinKeyboardHook(HC_ACTION, VK_MENU, 0)) << "a thread without the hook";
    ASSERT_TRUE(Init());
    ASSERT_TRUE(LoadBuiltin());
    EXPECT_EQ(1, SkinKeyboardHook(HC_ACTION, VK_MENU, 0)) << "ALT with bit 29 clear";

    HWND hwnd = MakeTestWindow();
    ASSERT_TRUE(SetWindowSkin(hwnd, "Dialog"));
    ShowWindow(hwnd, SW_SHOW);
    SetActiveWindow(hwnd);
    if (GetActiveWindow() != hwnd) {
        DestroyWindow(hwnd);
        GTEST_SKIP() << "no active window on this display driver";
    }
    CTestSkinner::s_lastMenuKey = 0;
    CTestSkinner::s_swallowMenuKeys = 0;
    EXPECT_EQ(0, SkinKeyboardHook(HC_ACTION, VK_F10, 0)) << "the skinner answered 0: passed on";
    EXPECT_EQ(VK_F10, CTestSkinner::s_lastMenuKey);
    CTestSkinner::s_swallowMenuKeys = 1;
    EXPECT_EQ(1, SkinKeyboardHook(HC_ACTION, 'F', 1 << 29));
    EXPECT_EQ('F', CTestSkinner::s_lastMenuKey);
    EXPECT_EQ(1, SkinKeyboardHook(HC_ACTION, VK_MENU, 1 << 29));
    EXPECT_EQ(-1, CTestSkinner::s_lastMenuKey);
    CTestSkinner::s_swallowMenuKeys = 0;
    DestroyWindow(hwnd);
}

TEST_F(SkinLibraryTest, LastExitOnAnotherThreadThanTheStartUpStillAllowsANewStart)
{
    ASSERT_TRUE(Init()); // the tooltip window belongs to this thread
    bool otherInit = false;
    HANDLE go = CreateEventA(NULL, FALSE, FALSE, NULL);
    HANDLE hooked = CreateEventA(NULL, FALSE, FALSE, NULL);
    struct Other
    {
        static DWORD WINAPI Run(LPVOID p)
        {
            HANDLE* events = (HANDLE*)p;
            bool ok = Init() != FALSE;
            SetEvent(events[1]);
            WaitForSingleObject(events[0], 30000);
            ExitSkinLibrary(); // the last one: tears down what this thread did not make
            return ok ? 0 : 1;
        }
    };
    HANDLE events[2] = {go, hooked};
    HANDLE thread = CreateThread(NULL, 0, Other::Run, events, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hooked, 30000));
    ExitSkinLibrary();
    EXPECT_TRUE(IsSkinLibraryInitialised());
    SetEvent(go);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    otherInit = code == 0;
    CloseHandle(thread);
    CloseHandle(go);
    CloseHandle(hooked);
    EXPECT_TRUE(otherInit);
    EXPECT_FALSE(IsSkinLibraryInitialised());
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    ASSERT_TRUE(Init()) << "error " << GetSkinLibraryError();
    EXPECT_TRUE(IsWindow(GetSkinTooltip().GetHwnd()));
    ExitSkinLibrary();
}
