// The memory stream, the store's look-ups and the objects' own rules.

#include <gtest/gtest.h>

#include "skin_test_support.h"
#include "skin/image/ximage.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"

TEST(SkinMemStream, ReadSeekAndGrowingWrites)
{
    const BYTE bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CSkinMemStream s(bytes, 10, 4);
    BYTE out[16];
    EXPECT_EQ(4u, s.Read(out, 4));
    EXPECT_EQ(3, out[3]);
    EXPECT_EQ(6u, s.Read(out, 16));
    EXPECT_EQ(0u, s.Read(out, 1));
    EXPECT_EQ(8u, s.Seek(-2, 2));
    EXPECT_EQ(10u, s.Seek(100, 1));
    EXPECT_EQ(0u, s.Seek(-100, 1));
    EXPECT_EQ(3u, s.Seek(3, 0));
    EXPECT_EQ(3u, s.Seek(1, 7)) << "an unknown origin leaves the position";

    // Writing past the capacity grows by whole steps of the growth size.
    s.Seek(0, 2);
    EXPECT_EQ(5u, s.Write(bytes, 5));
    EXPECT_EQ(15u, s.GetSize());
    s.Rewind();
    EXPECT_EQ(15u, s.Read(out, 16));
    EXPECT_EQ(4, out[14]);

    CSkinMemStream empty;
    EXPECT_EQ(0u, empty.Read(out, 4));
    EXPECT_EQ(3u, empty.Write(bytes, 3));
    EXPECT_EQ(3u, empty.GetSize());
}

TEST(SkinMemStream, CountsAreCheckedAgainstTheBytesRemaining)
{
    BYTE bytes[12] = {3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    CSkinMemStream s(bytes, sizeof(bytes));
    DWORD count = 99;
    EXPECT_TRUE(s.ReadCount(count, 2)) << "3 items of 2 bytes fit in 4";
    EXPECT_EQ(3u, count);
    EXPECT_FALSE(s.ReadCount(count, 1)) << "0xFFFFFFFF bytes cannot follow";
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(s.IsCorrupt());

    // A count cut short is no count, and so is a read of more than remains.
    CSkinMemStream exhausted(bytes, 2);
    EXPECT_FALSE(exhausted.ReadCount(count, 4));
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(exhausted.IsCorrupt());
    CSkinMemStream shortText(bytes, 6);
    char text[8];
    shortText.ReadText(text, 4);
    EXPECT_FALSE(shortText.IsCorrupt());
    shortText.ReadText(text, 4);
    EXPECT_TRUE(shortText.IsCorrupt());
}

TEST(SkinMemStream, PackAndUnpackAreInverse)
{
    std::vector<BYTE> data(50000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)((i * 7) ^ (i >> 5));
    std::vector<BYTE> packed = Packed(data);
    ASSERT_GT(packed.size(), 4u);
    EXPECT_EQ(data.size(), packed[0] | (packed[1] << 8) | (packed[2] << 16) | ((DWORD)packed[3] << 24));
    EXPECT_EQ(data, Unpacked(packed));
}

class SkinStoreLookups : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(LoadBytes(m_store, AllTypesFile(18))); }
    CSkinStore m_store;
};

TEST_F(SkinStoreLookups, ByNameSearchesObjectsChildrenImagesAndSounds)
{
    EXPECT_EQ(sotFrameWnd, m_store.FindByName("TFrameWnd")->GetType());
    EXPECT_EQ(sotStatic, m_store.FindByName("TDeep")->GetType()) << "a grandchild";
    EXPECT_EQ(sotImage, m_store.FindByName("img")->GetType());
    EXPECT_EQ(sotVoice, m_store.FindByName("snd")->GetType());
    EXPECT_EQ(NULL, m_store.FindByName("tframewnd")) << "names are case-sensitive";
    EXPECT_EQ(NULL, m_store.FindByName(NULL));
    EXPECT_EQ(NULL, m_store.FindByName("missing"));
    ASSERT_TRUE(m_store.FindImage("img"));
    EXPECT_EQ(2u, m_store.FindImage("img")->GetWidth());
    EXPECT_EQ(NULL, m_store.FindImage("snd"));
}

TEST_F(SkinStoreLookups, FirstOfTypeTakesTheTypeNameOnlyForItsOwnType)
{
    // No object is named like these types: the first in name order.
    EXPECT_STREQ("TButton", m_store.FindFirstOfType(sotButton)->GetName());
    EXPECT_STREQ("TCheckBox", m_store.FindFirstOfType(sotCheckBox)->GetName());
    EXPECT_EQ(NULL, m_store.FindFirstOfType(sotMenuBar));

    // An object named "Static" of another type is not the first Static.
    CSkinButtonObject* impostor = new CSkinButtonObject();
    impostor->SetName("Static");
    m_store.AddObject(impostor);
    EXPECT_STREQ("TStatic", m_store.FindFirstOfType(sotStatic)->GetName());
    CSkinStaticObject* named = new CSkinStaticObject();
    named->SetName("Static");
    m_store.AddObject(named);
    EXPECT_EQ(named, m_store.FindFirstOfType(sotStatic));

    // ControlBar is looked up as ToolBar.
    EXPECT_STREQ("TToolBar", m_store.FindFirstOfType(sotControlBar)->GetName());
    CSkinToolBarObject* toolbar = new CSkinToolBarObject();
    toolbar->SetName("ToolBar");
    m_store.AddObject(toolbar);
    EXPECT_EQ(toolbar, m_store.FindFirstOfType(sotControlBar));
}

TEST_F(SkinStoreLookups, SystemColoursCanBeSwitchedOffAndClearEmptiesEverything)
{
    ASSERT_TRUE(m_store.GetSysColorTable());
    m_store.SetSysColorsOff(true);
    EXPECT_EQ(NULL, m_store.GetSysColorTable());
    m_store.SetSysColorsOff(false);
    m_store.Clear();
    EXPECT_EQ(NULL, m_store.GetSysColorTable());
    EXPECT_TRUE(m_store.GetObjects().empty());
    EXPECT_EQ(NULL, m_store.FindByName("TStatic"));
}

TEST(SkinObjects, ShapeDefaultsAndFittingTheLayout)
{
    CSkinShapeObject shape;
    RECT design = shape.GetDesignRect();
    EXPECT_EQ(276, design.right);
    EXPECT_EQ(160, design.bottom);
    RECT centre = {0, 0, 336, 158};
    shape.SetBounds(centre);
    RECT part2 = shape.GetLayoutRect(2), part8 = shape.GetLayoutRect(8), part0 = shape.GetLayoutRect(0);
    EXPECT_EQ(253, part2.left);
    EXPECT_EQ(0, part2.top);
    EXPECT_EQ(356, part2.right);
    EXPECT_EQ(30, part2.bottom);
    EXPECT_EQ(346, part8.left);
    EXPECT_EQ(188, part8.top);
    EXPECT_EQ(356, part8.right);
    EXPECT_EQ(200, part8.bottom);
    EXPECT_EQ(86, part0.right);
    EXPECT_EQ(30, part0.bottom);
    design = shape.GetDesignRect();
    EXPECT_EQ(356, design.right);
    EXPECT_EQ(200, design.bottom);
    EXPECT_EQ(60, shape.m_bounds.right) << "the base bounds stay";
    EXPECT_EQ(0, shape.GetLayoutRect(9).right) << "an index outside 0 to 8 reads empty";
}

TEST(SkinObjects, PopupMenuAndTooltipBuiltInLooks)
{
    CSkinPopupMenuObject menu;
    EXPECT_EQ(278, menu.GetDesignRect().right);
    EXPECT_EQ(152, menu.GetDesignRect().bottom);
    RECT part7 = menu.GetLayoutRect(7);
    EXPECT_EQ(4, part7.left);
    EXPECT_EQ(148, part7.top);
    EXPECT_EQ(278, part7.right);
    EXPECT_EQ(0xE2B61Du, menu.m_colour1);
    EXPECT_EQ(0xFAE6E6, menu.m_rects[0].left);

    CSkinTooltipObject tooltip;
    EXPECT_EQ(1, tooltip.GetLayoutRect(0).right);
    EXPECT_EQ(277, tooltip.GetLayoutRect(8).left);
    EXPECT_EQ(1000u, tooltip.m_initialDelay);
    EXPECT_EQ(8000u, tooltip.m_displayTime);
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), tooltip.m_colour3);
    EXPECT_TRUE(tooltip.m_text.empty());
}

TEST(SkinObjects, SystemColourTableAnswersEntryZeroOutsideItsRange)
{
    CSkinSysColorTableObject table;
    for (int i = 0; i < 100; ++i)
        table.m_colours[i] = RGB(i, 0, 1);
    table.CreateResources();
    EXPECT_EQ(RGB(30, 0, 1), table.GetColour(30));
    EXPECT_EQ(RGB(0, 0, 1), table.GetColour(31));
    EXPECT_EQ(RGB(0, 0, 1), table.GetColour(-1));
    EXPECT_EQ(table.GetBrush(0), table.GetBrush(31));
    LOGBRUSH brush;
    ASSERT_TRUE(GetObjectA(table.GetBrush(5), sizeof(brush), &brush));
    EXPECT_EQ(RGB(5, 0, 1), brush.lbColor);
}

TEST(SkinObjects, DuplicateChildIsRefusedAndFreed)
{
    CSkinStaticObject parent;
    CSkinStaticObject* first = new CSkinStaticObject();
    first->SetName("C");
    CSkinStaticObject* second = new CSkinStaticObject();
    second->SetName("C");
    EXPECT_TRUE(parent.AddChild(first));
    EXPECT_FALSE(parent.AddChild(second));
    EXPECT_EQ(first, parent.FindChild("C"));
}

TEST(SkinObjects, FontObjectsMakeTheirFontWithTheirResources)
{
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, AllTypesFile(18)));
    CSkinFontObject* button = (CSkinFontObject*)store.FindByName("TButton");
    ASSERT_TRUE(button->GetFont());
    LOGFONTA font;
    ASSERT_TRUE(GetObjectA(button->GetFont(), sizeof(font), &font));
    EXPECT_EQ(-15, font.lfHeight);
    EXPECT_EQ(600, font.lfWeight);
    button->ReleaseResources();
    EXPECT_EQ(NULL, button->GetFont());
}
