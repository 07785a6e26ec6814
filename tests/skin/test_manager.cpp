// The skin manager: window kinds, skinners by window, skin switches and the
// removal of skinners. Skinners here are test skinners that only subclass.

#include <gtest/gtest.h>

#include "skin_test_support.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

class SkinManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_manager.SetSkinnerFactory(&m_factory);
        CSkinStore* store = new CSkinStore();
        ASSERT_TRUE(LoadBytes(*store, BuiltinSkinFile()));
        ASSERT_TRUE(m_manager.InstallStore(store));
        m_parent = MakeTestWindow();
        CTestSkinner::s_live = 0;
    }
    void TearDown() override
    {
        m_manager.RemoveAll();
        m_manager.SetSkinnerFactory(NULL);
        DestroyWindow(m_parent);
        EXPECT_EQ(0, CTestSkinner::s_live) << "every skinner was deleted";
    }
    HWND Button(DWORD style)
    {
        return CreateWindowExA(0, "Button", "b", WS_CHILD | style, 0, 0, 50, 20, m_parent, NULL, NULL, NULL);
    }

    CSkinManager& m_manager = GetSkinManager();
    CTestSkinnerFactory m_factory;
    HWND m_parent = NULL;
};

} // namespace

TEST_F(SkinManagerTest, ButtonStylesNameTheirKind)
{
    EXPECT_EQ(sotGroupBox, m_manager.ControlTypeOfWindow(Button(BS_GROUPBOX)));
    EXPECT_EQ(sotCheckBox, m_manager.ControlTypeOfWindow(Button(BS_AUTOCHECKBOX)));
    EXPECT_EQ(sotCheckBox, m_manager.ControlTypeOfWindow(Button(BS_3STATE)));
    EXPECT_EQ(sotRadio, m_manager.ControlTypeOfWindow(Button(BS_AUTORADIOBUTTON)));
    EXPECT_EQ(sotButton, m_manager.ControlTypeOfWindow(Button(BS_PUSHBUTTON)));
    EXPECT_EQ(sotButton, m_manager.ControlTypeOfWindow(Button(BS_DEFPUSHBUTTON)));
    EXPECT_EQ(0, m_manager.ControlTypeOfWindow(Button(BS_OWNERDRAW))) << "drawn by its owner";
    HWND stat = CreateWindowExA(0, "Static", "s", WS_CHILD, 0, 0, 10, 10, m_parent, NULL, NULL, NULL);
    EXPECT_EQ(sotStatic, m_manager.ControlTypeOfWindow(stat));
    EXPECT_EQ(0, m_manager.ControlTypeOfWindow(m_parent));
}

TEST_F(SkinManagerTest, OnlyTheListOfASimpleComboBoxIsAListBox)
{
    for (DWORD style : {(DWORD)CBS_SIMPLE, (DWORD)CBS_DROPDOWN}) {
        HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | style, 0, 0, 100, 100, m_parent, NULL, NULL, NULL);
        ASSERT_TRUE(combo);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        EXPECT_EQ(sotComboBox, m_manager.ControlTypeOfWindow(combo));
        EXPECT_EQ(style == CBS_SIMPLE ? sotListBox : 0, m_manager.ControlTypeOfWindow(info.hwndList)) << style;
    }
}

TEST_F(SkinManagerTest, WindowSkinsTakeFrameObjectsOnlyAndNeverTwice)
{
    int error = 0;
    EXPECT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog", &error));
    CSkinWnd* skinner = m_manager.FindSkinner(m_parent);
    ASSERT_TRUE(skinner);
    EXPECT_EQ(skinner, CSkinWnd::FromHandle(m_parent)) << "linked through the OBJECT property";
    EXPECT_FALSE(m_manager.SetWindowSkin(m_parent, "ChildDialog", &error));
    EXPECT_EQ(0, error) << "already skinned is no error";
    EXPECT_EQ(skinner, m_manager.FindSkinner(m_parent));
    EXPECT_STREQ("Dialog", skinner->GetSkinObject()->GetName());

    HWND other = MakeTestWindow();
    EXPECT_FALSE(m_manager.SetWindowSkin(other, "Button", &error)) << "a button object has no frame";
    EXPECT_EQ(CSkinManager::ErrorNoObject, error);
    error = 0;
    EXPECT_FALSE(m_manager.SetWindowSkin(other, "NoSuchObject", &error));
    EXPECT_FALSE(m_manager.SetWindowSkin(other, NULL, &error));
    EXPECT_EQ(0, error);
    DestroyWindow(other);
}

TEST_F(SkinManagerTest, SkinnerWhoseAttachFailsIsRemoved)
{
    m_factory.m_attachFails = true;
    int error = 0;
    EXPECT_FALSE(m_manager.SetWindowSkin(m_parent, "Dialog", &error));
    EXPECT_EQ(CSkinManager::ErrorNoObject, error);
    EXPECT_EQ(NULL, m_manager.FindSkinner(m_parent));
    HWND button = Button(BS_PUSHBUTTON);
    error = 0;
    EXPECT_FALSE(m_manager.SetControlSkin(button, "BackGround", "Dialog", &error));
    EXPECT_EQ(CSkinManager::ErrorNoObject, error);
    EXPECT_EQ(NULL, m_manager.FindSkinner(button));
    EXPECT_EQ(0, CTestSkinner::s_live);
    EXPECT_EQ(0u, m_manager.GetSkinnerCount());
}

TEST_F(SkinManagerTest, ControlSkinsAreFoundInTheirContainerAndRetargetedByType)
{
    HWND check = Button(BS_AUTOCHECKBOX);
    int error = 0;
    EXPECT_TRUE(m_manager.SetControlSkin(check, "SettingsCheckBox", "Dialog", &error));
    CSkinWnd* skinner = m_manager.FindSkinner(check);
    ASSERT_TRUE(skinner);
    EXPECT_STREQ("SettingsCheckBox", skinner->GetSkinObject()->GetName());
    // A check box skinner takes a Button object, not a Static one.
    EXPECT_TRUE(m_manager.SetControlSkin(check, "BackGround", "Dialog", &error));
    EXPECT_STREQ("BackGround", skinner->GetSkinObject()->GetName());
    EXPECT_FALSE(m_manager.SetControlSkin(check, "CheckBox", NULL, &error)) << "it holds a Button object now";
    EXPECT_STREQ("BackGround", skinner->GetSkinObject()->GetName());
}

TEST_F(SkinManagerTest, ControlSkinRefusals)
{
    HWND button = Button(BS_PUSHBUTTON);
    int error = 0;
    EXPECT_TRUE(m_manager.SetControlSkin(button, "BackGround", "Dialog", &error));
    EXPECT_FALSE(m_manager.SetControlSkin(button, "BoldStatic", "Dialog", &error)) << "another type";
    EXPECT_EQ(CSkinManager::ErrorNoObject, error);
    EXPECT_STREQ("BackGround", m_manager.FindSkinner(button)->GetSkinObject()->GetName());
    HWND other = Button(BS_PUSHBUTTON);
    error = 0;
    EXPECT_FALSE(m_manager.SetControlSkin(other, "Dialog", NULL, &error)) << "a frame is no control object";
    EXPECT_EQ(CSkinManager::ErrorNoObject, error);
    EXPECT_FALSE(m_manager.SetControlSkin(other, "BoldStatic", "NoContainer", &error));
    EXPECT_FALSE(m_manager.SetControlSkin(other, "NoObject", "Dialog", &error));
    EXPECT_FALSE(m_manager.SetControlSkin(other, NULL, "Dialog", &error));
    EXPECT_EQ(NULL, m_manager.FindSkinner(other));
}

TEST_F(SkinManagerTest, SkinSwitchKeepsNamesFallsBackToTypesAndDropsTheRest)
{
    HWND byName = Button(BS_PUSHBUTTON), byType = Button(BS_PUSHBUTTON), dropped = Button(BS_PUSHBUTTON);
    ASSERT_TRUE(m_manager.SetControlSkin(byName, "Button", NULL));
    ASSERT_TRUE(m_manager.SetControlSkin(byType, "LogoIcon", "Dialog"));
    ASSERT_TRUE(m_manager.SetControlSkin(dropped, "TreeView", NULL));

    // The new skin has a Button named "Button" (the first Button object, by
    // its type's name), no "LogoIcon", and no TreeView.
    CSkinStore* next = new CSkinStore();
    CSkinButtonObject* named = new CSkinButtonObject();
    named->SetName("Button");
    next->AddObject(named);
    CSkinButtonObject* another = new CSkinButtonObject();
    another->SetName("Another");
    next->AddObject(another);
    ASSERT_TRUE(m_manager.InstallStore(next));
    EXPECT_EQ(next, m_manager.GetStore());
    EXPECT_EQ(named, m_manager.FindSkinner(byName)->GetSkinObject());
    EXPECT_EQ(named, m_manager.FindSkinner(byType)->GetSkinObject());
    EXPECT_EQ(NULL, m_manager.FindSkinner(dropped));
    EXPECT_EQ(NULL, CSkinWnd::FromHandle(dropped)) << "detached";
    EXPECT_FALSE(m_manager.InstallStore(NULL));
}

TEST_F(SkinManagerTest, SkinnedAncestorIsTheNearestFrameSkinner)
{
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    HWND panel = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 100, 50, m_parent, NULL, NULL, NULL);
    HWND inner = CreateWindowExA(0, "Button", "", WS_CHILD, 0, 0, 10, 10, panel, NULL, NULL, NULL);
    ASSERT_TRUE(m_manager.SetControlSkin(panel, "BoldStatic", "Dialog"));
    // The static's skinner (a control object) is passed over.
    EXPECT_EQ(m_manager.FindSkinner(m_parent), m_manager.FindSkinnedAncestor(inner));
    HWND loose = MakeTestWindow();
    HWND looseChild = CreateWindowExA(0, "Button", "", WS_CHILD, 0, 0, 10, 10, loose, NULL, NULL, NULL);
    EXPECT_EQ(NULL, m_manager.FindSkinnedAncestor(looseChild));
    DestroyWindow(loose);
}

TEST_F(SkinManagerTest, AttachSkinsExistingChildrenAndDestroyingRemovesSkinners)
{
    HWND child = Button(BS_PUSHBUTTON);
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    EXPECT_TRUE(m_manager.FindSkinner(child)) << "children get control skinners on attach";
    EXPECT_EQ(2, CTestSkinner::s_live);
    DestroyWindow(m_parent);
    m_parent = NULL;
    EXPECT_EQ(0u, m_manager.GetSkinnerCount());
    EXPECT_EQ(0, CTestSkinner::s_live);
}

TEST_F(SkinManagerTest, RemoveSkinDetachesAndRestoresTheWindowProcedure)
{
    WNDPROC original = (WNDPROC)GetWindowLongPtrA(m_parent, GWLP_WNDPROC);
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    EXPECT_NE((LONG_PTR)original, GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
    EXPECT_TRUE(m_manager.RemoveSkin(m_parent, CSkinManager::RemoveDetach));
    EXPECT_EQ((LONG_PTR)original, GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
    EXPECT_EQ(NULL, CSkinWnd::FromHandle(m_parent));
    EXPECT_FALSE(m_manager.RemoveSkin(m_parent, CSkinManager::RemoveDetach));
}

TEST_F(SkinManagerTest, RemoveAllLeavesAnEmptyStore)
{
    ASSERT_TRUE(m_manager.SetWindowSkin(m_parent, "Dialog"));
    m_manager.RemoveAll();
    EXPECT_EQ(0u, m_manager.GetSkinnerCount());
    ASSERT_TRUE(m_manager.GetStore());
    EXPECT_TRUE(m_manager.GetStore()->GetObjects().empty());
    EXPECT_EQ(NULL, m_manager.GetStore()->FindByName("Dialog"));
}
