// The skin file as the builder writes it and the store reads it: header and
// record layouts, the version rules of every type, the built-in skin, and
// corrupt files.

#include <gtest/gtest.h>

#include <string.h>

#include <functional>

#include "skin_test_support.h"
#include "skin/image/ximage.h"
#include "skin/core/skinversion.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

const int kVersions[] = {0, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18};

template <class T> T* Get(CSkinStore& store, LPCSTR name)
{
    CSkinObject* object = store.FindByName(name);
    return object ? dynamic_cast<T*>(object) : NULL;
}

bool RectIs(const RECT& r, LONG l, LONG t, LONG rr, LONG b)
{
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

DWORD LoadU32(const std::vector<BYTE>& d, size_t at)
{
    DWORD v;
    memcpy(&v, &d[at], 4);
    return v;
}

void StoreU32(std::vector<BYTE>& d, size_t at, DWORD v)
{
    memcpy(&d[at], &v, 4);
}

// A field the source sets, present from version 1.from on: before that the
// reader keeps the constructor's value (or sets its own default).
struct VersionRule
{
    const char* what;
    int from;
    std::function<bool(CSkinStore&)> holds;
};

std::vector<VersionRule> Rules()
{
    const COLORREF font = RGB(0x11, 0x22, 0x33);
    std::vector<VersionRule> r = {
        {"base bounds", 8, [](CSkinStore& s) { return RectIs(Get<CSkinObject>(s, "TApplication")->m_bounds, 1, 2, 3, 4); }},
        {"base value 2", 8, [](CSkinStore& s) { return Get<CSkinObject>(s, "TApplication")->m_value2 == 12; }},
        {"base value 1", 0, [](CSkinStore& s) { return Get<CSkinObject>(s, "TApplication")->m_value1 == 11; }},
        {"application texts 4, 5", 4, [](CSkinStore& s) { return !strcmp(Get<CSkinApplicationObject>(s, "TApplication")->m_texts[4], "info4"); }},
        {"application region flag", 0, [](CSkinStore& s) { return Get<CSkinApplicationObject>(s, "TApplication")->m_regionFlag == 0; }},
        // Exactly 1.6 sets the control id to 0 whatever the file holds.
        {"font control id", 7, [](CSkinStore& s) { return Get<CSkinStaticObject>(s, "TControlBar") == NULL
                                                              && Get<CSkinFontObject>(s, "TControlBar")->m_controlId == 108; }},
        {"font value 4", 8, [](CSkinStore& s) { return Get<CSkinFontObject>(s, "TButton")->m_value4 == 44; }},
        {"font value 5", 10, [](CSkinStore& s) { return Get<CSkinFontObject>(s, "TButton")->m_value5 == 55; }},
        {"font extra bytes", 18, [](CSkinStore& s) { return Get<CSkinFontObject>(s, "TButton")->m_extra[19] == 0x14; }},
        {"font old bounds discarded", 8, [](CSkinStore& s) { return RectIs(Get<CSkinObject>(s, "TButton")->m_bounds, 1, 2, 3, 4); }},
        {"button font in every layout", 0, [font](CSkinStore& s) { return Get<CSkinFontObject>(s, "TButton")->m_font.colour == font
                                                                   && !strcmp(Get<CSkinFontObject>(s, "TButton")->m_font.font.lfFaceName, "Verdana"); }},
        {"button own control id", 0, [](CSkinStore& s) { return Get<CSkinFontObject>(s, "TButton")->m_controlId == 77; }},
        {"button text styles", 9, [](CSkinStore& s) { return StyleTextColour(Get<CSkinButtonObject>(s, "TButton")->m_states[1].text) == RGB(0xC1, 0xC2, 0xC3); }},
        {"button words", 0, [](CSkinStore& s) { CSkinButtonObject* b = Get<CSkinButtonObject>(s, "TButton");
                                                return b->m_word1 == 91 && b->m_word2 == 92 && !strcmp(b->m_text, "button text")
                                                    && RectIs(b->m_states[5].margins, 1, 2, 3, 4); }},
        {"check push-like button", 17, [](CSkinStore& s) { return !strcmp(Get<CSkinCheckObject>(s, "TCheckBox")->m_pushLikeButton, "PushLike"); }},
        {"check styles", 9, [](CSkinStore& s) { return StyleTextColour(Get<CSkinCheckObject>(s, "TCheckBox")->m_states[3].text) == RGB(0xC1, 0xC2, 0xC3); }},
        {"check word", 9, [](CSkinStore& s) { return Get<CSkinCheckObject>(s, "TCheckBox")->m_word == 93; }},
        {"check mark", 0, [](CSkinStore& s) { return !strcmp(Get<CSkinCheckObject>(s, "TCheckBox")->m_states[6].mark.name, "mk"); }},
        {"radio is a check object", 9, [](CSkinStore& s) { CSkinCheckObject* c = Get<CSkinCheckObject>(s, "TRadio");
                                                           return c->GetType() == sotRadio && c->m_word == 94; }},
        {"combo colours 4, 5", 11, [](CSkinStore& s) { CSkinComboBoxObject* c = Get<CSkinComboBoxObject>(s, "TComboBox");
                                                       return c->m_colour4 == RGB(0x0A, 0x0B, 0x0C) && c->m_colour1 == RGB(1, 2, 3) && c->m_word2 == 96; }},
        {"combo word", 0, [](CSkinStore& s) { return Get<CSkinComboBoxObject>(s, "TComboBox")->m_word == 95
                                                  && Get<CSkinComboBoxObject>(s, "TComboBoxEx")->m_word == 97; }},
        {"edit colour 3", 11, [](CSkinStore& s) { return Get<CSkinObject>(s, "TEdit")->m_colour3 == RGB(7, 8, 9); }},
        {"edit border", 0, [](CSkinStore& s) { return !strcmp(Get<CSkinEditObject>(s, "TEdit")->m_border.name, "eb")
                                                   && !strcmp(Get<CSkinEditObject>(s, "TRichEdit")->m_border.name, "re"); }},
        {"tree view grids", 12, [](CSkinStore& s) { return Get<CSkinTreeViewObject>(s, "TTreeView")->m_words[1] == 98; }},
        {"tree view images", 15, [](CSkinStore& s) { CSkinTreeViewObject* t = Get<CSkinTreeViewObject>(s, "TTreeView");
                                                      return t->m_word == 99 && !strcmp(t->m_images[3].name, "ti"); }},
        {"group box style and word", 9, [](CSkinStore& s) { CSkinGroupBoxObject* g = Get<CSkinGroupBoxObject>(s, "TGroupBox");
                                                            return g->m_word == 100 && StyleTextColour(g->m_text) == RGB(0xC1, 0xC2, 0xC3); }},
        {"progress words", 0, [](CSkinStore& s) { return Get<CSkinProgressObject>(s, "TProgressBar")->m_words[2] == 101; }},
        {"scroll bar run of words", 0, [](CSkinStore& s) { return Get<CSkinScrollBarObject>(s, "TScrollBar")->m_words[4] == 102
                                                               && !strcmp(Get<CSkinScrollBarObject>(s, "TScrollBar")->m_states[3].track.name, "s3"); }},
        {"scroll bar vertical blocks", 12, [](CSkinStore& s) { return !strcmp(Get<CSkinScrollBarObject>(s, "TScrollBar")->m_states[7].track.name, "s7"); }},
        {"slider vertical thumb", 9, [](CSkinStore& s) { return Get<CSkinSliderObject>(s, "TSlider")->m_word == 104; }},
        {"static style", 9, [](CSkinStore& s) { return StyleTextColour(Get<CSkinStaticObject>(s, "TStatic")->m_text) == RGB(0xC1, 0xC2, 0xC3); }},
        {"static rect", 16, [](CSkinStore& s) { return RectIs(Get<CSkinStaticObject>(s, "TStatic")->m_rect, 1, 2, 3, 4); }},
        {"static link", 0, [](CSkinStore& s) { return !strcmp(Get<CSkinStaticObject>(s, "TStatic")->m_link, "linked"); }},
        {"tab word", 9, [](CSkinStore& s) { return Get<CSkinTabObject>(s, "TTab")->m_word == 106; }},
        {"popup second image", 3, [](CSkinStore& s) { return !strcmp(Get<CSkinPopupMenuObject>(s, "TPopupMenu")->m_images[1].name, "pi1"); }},
        {"spin horizontal blocks", 13, [](CSkinStore& s) { return !strcmp(Get<CSkinSpinObject>(s, "TSpin")->m_states[7].arrow.name, "sa7"); }},
        {"date time", 0, [](CSkinStore& s) { return Get<CSkinDateTimeObject>(s, "TDateTime")->m_word == 109; }},
        {"month calendar", 0, [](CSkinStore& s) { return Get<CSkinMonthCalObject>(s, "TMonthCalendar")->m_words[3] == 110; }},
        {"image list at the top level", 0, [](CSkinStore& s) { return Get<CSkinImageListObject>(s, "TImageList")->m_words[3] == 112; }},
        {"tooltip", 0, [](CSkinStore& s) { CSkinTooltipObject* t = Get<CSkinTooltipObject>(s, "TTooltip");
                                           return t->m_text == "a { color: red }" && t->m_displayTime == 4000 && t->m_position == 3; }},
        {"system colours", 0, [](CSkinStore& s) { CSkinSysColorTableObject* t = s.GetSysColorTable();
                                                  return t && t->GetColour(30) == RGB(30, 30, 30) && t->m_colours[99] == RGB(99, 99, 99); }},
        {"entry list", 0, [](CSkinStore& s) { const CSkinEntryListObject::Entry* e =
                                                  (const CSkinEntryListObject::Entry*)Get<CSkinObject>(s, "TEntryList")->FindEntry("FIRST");
                                              return e && e->id == 7 && e->data1.size() == 3 && e->data2.back() == 0 && e->data2[0] == 0x41; }},
        {"shape design size", 0, [](CSkinStore& s) { RECT d = Get<CSkinShapeObject>(s, "TShape")->GetDesignRect();
                                                     return d.right == 300 && d.bottom == 170; }},
        {"frame caption style", 9, [](CSkinStore& s) { return Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_captionStyle.format == 0x25; }},
        {"frame grids", 13, [](CSkinStore& s) { return Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_grids[1].mode == 6; }},
        {"frame background flag", 6, [](CSkinStore& s) { return Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_backgroundFlag == 1
                                                             && !strcmp(Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_mdiBackground.name, "mdi"); }},
        {"frame shape fields", 0, [](CSkinStore& s) { CSkinFrameWndObject* f = Get<CSkinFrameWndObject>(s, "TFrameWnd");
                                                      return f->m_clientColour == RGB(0x70, 0x80, 0x90) && f->m_shapeValue2 == 32
                                                          && !strcmp(f->m_frameImages[17].name, "img") && f->m_captionBarType == 38; }},
        {"caption bar images", 2, [](CSkinStore& s) { return !strcmp(Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_captionBar.m_iconImage.name, "icon"); }},
        {"caption bar grid 3", 3, [](CSkinStore& s) { return !strcmp(Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_captionBar.m_grid3.name, "bg3"); }},
        {"caption bar visibility", 11, [](CSkinStore& s) { return Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_captionBar.m_visibility == 3; }},
        {"caption bar words", 0, [](CSkinStore& s) { const CSkinCaptionBarObject& b = Get<CSkinFrameWndObject>(s, "TFrameWnd")->m_captionBar;
                                                     return b.m_word5 == 42 && b.m_anchor == 5 && !strcmp(b.m_name, "bar"); }},
        {"caption button bounds in every layout", 0, [](CSkinStore& s) { return RectIs(Get<CSkinObject>(s, "TCaptionButton")->m_bounds, 200, 5, 220, 25); }},
        {"caption button", 11, [](CSkinStore& s) { CSkinCaptionButtonObject* b = Get<CSkinCaptionButtonObject>(s, "TCaptionButton");
                                                   return b->m_visibility == 2 && !strcmp(b->m_text, "tip") && b->m_kind == 1 && b->m_word == 7; }},
        {"caption static", 0, [](CSkinStore& s) { CSkinCaptionStaticObject* c = Get<CSkinCaptionStaticObject>(s, "TCaptionStatic");
                                                  return c->m_word5 == 82 && c->m_bytes[19] == 0x14 && c->m_words[1] == 83 && !strcmp(c->m_caption, "cap"); }},
        {"nested children", 0, [](CSkinStore& s) { CSkinFontObject* d = Get<CSkinFontObject>(s, "TDeep");
                                                   return d && Get<CSkinObject>(s, "TNested")->FindChild("TDeep") == d; }},
    };
    return r;
}

} // namespace

TEST(SkinFileFormat, EveryVersionedFieldIsReadFromItsVersionOn)
{
    const std::vector<VersionRule> rules = Rules();
    for (int minor : kVersions) {
        std::vector<BYTE> file = AllTypesFile(minor);
        ASSERT_FALSE(file.empty()) << "test data of version 1." << minor;
        CSkinStore store;
        ASSERT_TRUE(LoadBytes(store, file)) << "1." << minor << " error " << store.GetError();
        EXPECT_EQ(1, store.GetVersion().major);
        EXPECT_EQ(minor, store.GetVersion().minor);
        EXPECT_EQ(36u, store.GetObjects().size());
        for (const VersionRule& rule : rules)
            EXPECT_EQ(minor >= rule.from, rule.holds(store)) << rule.what << " in version 1." << minor;
        // The reader leaves the current version at 1.18 after the load.
        EXPECT_EQ(SKIN_NEWEST_MINOR, GetSkinVersion().minor);
    }
}

TEST(SkinFileFormat, OlderFilesGetTheDefaultsTheirVersionPrescribes)
{
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, AllTypesFile(8)));
    // Before 1.9 text styles are the default, coloured with the font colour
    // for buttons and statics.
    const SkinTextStyle& style = Get<CSkinButtonObject>(store, "TButton")->m_states[1].text;
    EXPECT_EQ(RGB(0x11, 0x22, 0x33), StyleTextColour(style));
    EXPECT_EQ(0x8004u, style.format);
    EXPECT_EQ(255, style.alpha);
    EXPECT_EQ(RGB(0x11, 0x22, 0x33), StyleTextColour(Get<CSkinStaticObject>(store, "TStatic")->m_text));
    // Before 1.11 combo boxes move colours 1, 2 to 4, 5 and take the window
    // colours; edits take the system colours.
    CSkinComboBoxObject* combo = Get<CSkinComboBoxObject>(store, "TComboBox");
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), combo->m_colour4);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), combo->m_colour1);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Get<CSkinObject>(store, "TEdit")->m_colour3);

    CSkinStore store10;
    ASSERT_TRUE(LoadBytes(store10, AllTypesFile(10)));
    combo = Get<CSkinComboBoxObject>(store10, "TComboBox");
    EXPECT_EQ(RGB(1, 2, 3), combo->m_colour4);
    EXPECT_EQ(RGB(4, 5, 6), combo->m_colour5);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), combo->m_colour2);

    // A 1.6 font object reads its control id and drops it.
    CSkinStore store6;
    ASSERT_TRUE(LoadBytes(store6, AllTypesFile(6)));
    EXPECT_EQ(0u, Get<CSkinFontObject>(store6, "TControlBar")->m_controlId);
    EXPECT_EQ(0u, Get<CSkinFontObject>(store6, "TDeep")->m_controlId);
}

TEST(SkinFileFormat, HeaderLayout)
{
    std::vector<BYTE> data = Unpacked(AllTypesFile(18));
    ASSERT_GE(data.size(), 188u);
    EXPECT_EQ(0, memcmp(data.data(), "SKINTOOLS_SKIN_FILE", 19));
    EXPECT_EQ(1, data[20]);
    EXPECT_EQ(18, data[21]);
    EXPECT_EQ(36u, LoadU32(data, 176));
    // The first record follows the header: its type id, then its name.
    EXPECT_EQ((DWORD)sotAnimate, LoadU32(data, 188));
    EXPECT_STREQ("TAnimate", (const char*)&data[192]);
}

TEST(SkinFileFormat, SavedStoreIsByteForByteWhatTheBuilderWrites)
{
    // Every record type, written by the store in the newest layout, equals
    // the builder's own 1.18 rendering of the same source.
    std::vector<BYTE> packed = AllTypesFile(18);
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, packed));
    std::vector<BYTE> saved = SavedBytes(store);
    std::vector<BYTE> expected = Unpacked(packed);
    ASSERT_EQ(expected.size(), saved.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i], saved[i]) << "first difference at byte " << i;
}

TEST(SkinFileFormat, OlderFilesSavedInTheNewestLayoutReadTheSame)
{
    CSkinStore old;
    ASSERT_TRUE(LoadBytes(old, AllTypesFile(7)));
    CSkinMemStream packed;
    ASSERT_TRUE(old.SavePacked(packed));
    CSkinStore again;
    CSkinMemStream in(packed.GetBuffer(), packed.GetSize());
    ASSERT_TRUE(again.Load(in));
    EXPECT_EQ(18, again.GetVersion().minor);
    EXPECT_EQ(SavedBytes(old), SavedBytes(again));
    EXPECT_EQ(0u, Get<CSkinFontObject>(again, "TButton")->m_value4);
    EXPECT_EQ(77u, Get<CSkinFontObject>(again, "TButton")->m_controlId);
}

TEST(SkinFileFormat, BuiltinSkinHoldsTheNamedObjectsAndRoundTrips)
{
    std::vector<BYTE> packed = BuiltinSkinFile();
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, packed));
    EXPECT_EQ(18, store.GetVersion().minor);
    const struct { const char* name; int type; } top[] = {
        {"Application", sotApplication}, {"Button", sotButton}, {"CheckBox", sotCheckBox},
        {"ChildDialog", sotFrameWnd}, {"ComboBox", sotComboBox}, {"Dialog", sotFrameWnd},
        {"Edit", sotEdit}, {"FrameWindow", sotFrameWnd}, {"GroupBox", sotGroupBox},
        {"ListBox", sotListBox}, {"PopupMenu", sotPopupMenu}, {"ProgressBar", sotProgressBar},
        {"Static", sotStatic}, {"Tab", sotTab}, {"Tooltip", sotTooltip}, {"TreeView", sotTreeView},
        {"Animate", sotAnimate}, {"ControlBar", sotControlBar}, {"DateTime", sotDateTime}, {"Header", sotHeader},
        {"ListView", sotListView}, {"MonthCalendar", sotMonthCalendar}, {"Radio", sotRadio}, {"Rebar", sotRebar},
        {"RichEdit", sotRichEdit}, {"ScrollBar", sotScrollBar}, {"Slider", sotSlider}, {"Spin", sotSpin},
        {"StatusBar", sotStatusBar}, {"ToolBar", sotToolBar}};
    ASSERT_EQ(30u, store.GetObjects().size());
    for (const auto& t : top) {
        ASSERT_TRUE(store.GetObjects().count(t.name)) << t.name;
        EXPECT_EQ(t.type, store.GetObjects().at(t.name)->GetType()) << t.name;
    }
    CSkinObject* dialog = store.FindByName("Dialog");
    EXPECT_EQ(30u, dialog->GetChildren().size());
    const char* buttons[] = {"AppUpdateIcon", "BackGround", "ForumIcon", "HelpIcon", "IconError", "IgnoreIcon",
                             "LinkButton", "LiveUpdate", "LogoIcon", "QuarantineIcon", "ScanLogIcon", "SmallLogoIcon"};
    for (const char* name : buttons)
        EXPECT_EQ(sotButton, dialog->FindChild(name) ? dialog->FindChild(name)->GetType() : -1) << name;
    const char* statics[] = {"BoldStatic", "BoldTitleStatic", "LinkStat", "LinkStatic", "LinkStaticRegular",
                             "RedBoldStatic", "RedStatic", "SimpleStatic", "StaticBackground", "TitleStatic",
                             "TitleStaticBack"};
    for (const char* name : statics)
        EXPECT_EQ(sotStatic, dialog->FindChild(name) ? dialog->FindChild(name)->GetType() : -1) << name;
    EXPECT_EQ(sotGroupBox, dialog->FindChild("DialogFrame")->GetType());
    EXPECT_EQ(sotCheckBox, dialog->FindChild("SettingsCheckBox")->GetType());
    int captionButtons = 0, captionStatics = 0;
    for (const auto& child : dialog->GetChildren()) {
        captionButtons += child.second->GetType() == sotCaptionButton;
        captionStatics += child.second->GetType() == sotCaptionStatic;
    }
    EXPECT_EQ(3, captionButtons);
    EXPECT_EQ(2, captionStatics);
    const char* images[] = {"ScrollBar.bmp", "controls.bmp", "menus.bmp", "ramka.bmp", "skin.bmp", "update.bmp"};
    ASSERT_EQ(6u, store.GetImages().size());
    for (const char* name : images) {
        ASSERT_TRUE(store.FindImage(name)) << name;
        EXPECT_EQ(1u, ((CSkinImageObject*)store.GetImages().at(name))->m_format);
    }
    EXPECT_TRUE(store.GetSounds().empty());
    // The frame pieces were cut and given regions (the Application object
    // asks for them).
    const SkinImagePiece& corner = ((CSkinShapeObject*)dialog)->GetImagePiece(0);
    ASSERT_TRUE(corner.image);
    EXPECT_EQ(12u, corner.image->GetWidth());
    EXPECT_TRUE(corner.region != NULL);
    // Written back, it is the builder's file again.
    EXPECT_EQ(Unpacked(packed), SavedBytes(store));
}

// ---------------------------------------------------------------- record rules

TEST(SkinFileFormat, UnknownTopLevelAndImageListChildIdsConsumeOnlyTheirId)
{
    CSkinStore source;
    CSkinStaticObject* parent = new CSkinStaticObject();
    parent->SetName("Parent");
    CSkinStaticObject* child = new CSkinStaticObject();
    child->SetName("Child");
    child->m_word = 5;
    parent->AddChild(child);
    source.AddObject(parent);
    std::vector<BYTE> data = SavedBytes(source);
    // Parent's child count sits after type, name, colours, second name,
    // value 1, bounds and value 2.
    const size_t childCount = 188 + 4 + 51 + 12 + 51 + 4 + 16 + 4;
    ASSERT_EQ(1u, LoadU32(data, childCount));
    StoreU32(data, childCount, 2);
    const BYTE imageList[4] = {39, 0, 0, 0};
    data.insert(data.begin() + childCount + 4, imageList, imageList + 4);
    // An unknown top-level id (a caption button is child-only) before it.
    StoreU32(data, 176, 2);
    const BYTE captionButton[4] = {3, 0, 0, 0};
    data.insert(data.begin() + 188, captionButton, captionButton + 4);

    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, Packed(data)));
    ASSERT_EQ(1u, store.GetObjects().size());
    CSkinObject* loaded = store.FindByName("Parent");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(1u, loaded->GetChildren().size());
    EXPECT_EQ(5u, ((CSkinStaticObject*)loaded->FindChild("Child"))->m_word);
}

TEST(SkinFileFormat, LaterRecordOfTheSameNameReplacesTheEarlierAndTheColourTableStaysLive)
{
    for (int tableFirst = 0; tableFirst < 2; ++tableFirst) {
        CSkinStore source;
        CSkinObject* a = tableFirst ? (CSkinObject*)new CSkinSysColorTableObject() : new CSkinStaticObject();
        CSkinObject* b = tableFirst ? (CSkinObject*)new CSkinStaticObject() : new CSkinSysColorTableObject();
        a->SetName("A");
        b->SetName("B");
        source.AddObject(a);
        source.AddObject(b);
        std::vector<BYTE> data = SavedBytes(source);
        // Rename the second record "B" to "A".
        size_t second = 188;
        {
            CSkinMemStream s;
            a->SaveRecord(s);
            second += s.GetSize();
        }
        ASSERT_EQ('B', data[second + 4]);
        data[second + 4] = 'A';

        CSkinStore store;
        ASSERT_TRUE(LoadBytes(store, Packed(data)));
        ASSERT_EQ(1u, store.GetObjects().size());
        CSkinObject* found = store.FindByName("A");
        EXPECT_EQ(b->GetType(), found->GetType());
        if (tableFirst) {
            EXPECT_EQ(NULL, store.GetSysColorTable()) << "the replaced table is gone";
        } else {
            EXPECT_EQ(found, (CSkinObject*)store.GetSysColorTable());
        }
    }
}

TEST(SkinFileFormat, FixedTextFieldsEndInNul)
{
    CSkinStore source;
    CSkinStaticObject* object = new CSkinStaticObject();
    object->SetName("N");
    source.AddObject(object);
    std::vector<BYTE> data = SavedBytes(source);
    memset(&data[192], 'x', 51);                     // the name, unterminated
    memset(&data[192 + 51 + 12], 'y', 51);           // the second name
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, Packed(data)));
    ASSERT_EQ(1u, store.GetObjects().size());
    const CSkinObject* loaded = store.GetObjects().begin()->second;
    EXPECT_EQ(50u, strlen(loaded->GetName()));
    EXPECT_EQ(50u, strlen(loaded->m_secondName));
}

// ---------------------------------------------------------------- corrupt files

class CorruptSkin : public ::testing::Test
{
protected:
    // Loads and checks the error and that nothing was kept.
    void ExpectError(const std::vector<BYTE>& packed, int error, const char* what)
    {
        CSkinStore store;
        EXPECT_FALSE(LoadBytes(store, packed)) << what;
        EXPECT_EQ(error, store.GetError()) << what;
        EXPECT_TRUE(store.GetObjects().empty()) << what;
        EXPECT_TRUE(store.GetImages().empty()) << what;
        EXPECT_EQ(NULL, store.GetSysColorTable()) << what;
        EXPECT_EQ(18, store.GetVersion().minor) << what;
        EXPECT_EQ(SKIN_NEWEST_MINOR, GetSkinVersion().minor) << what;
    }
};

TEST_F(CorruptSkin, BadContainersAreError5)
{
    std::vector<BYTE> good = AllTypesFile(18);
    for (size_t n = 0; n < 4; ++n)
        ExpectError(std::vector<BYTE>(good.begin(), good.begin() + n), 5, "shorter than 4 bytes");
    ExpectError(std::vector<BYTE>(good.begin(), good.begin() + good.size() / 2), 5, "LZO data cut short");
    std::vector<BYTE> wrongSize = good;
    StoreU32(wrongSize, 0, LoadU32(good, 0) + 1);
    ExpectError(wrongSize, 5, "stated size one too big");
    StoreU32(wrongSize, 0, LoadU32(good, 0) - 1);
    ExpectError(wrongSize, 5, "stated size one too small");
    std::vector<BYTE> huge = good;
    StoreU32(huge, 0, 0xFFFFFFFF);
    ExpectError(huge, 5, "stated size above the cap");
    StoreU32(huge, 0, 0);
    ExpectError(huge, 5, "stated size 0");
    std::vector<BYTE> garbage(4 + 300);
    StoreU32(garbage, 0, 1000);
    for (size_t i = 4; i < garbage.size(); ++i)
        garbage[i] = (BYTE)(i * 37 + 11);
    ExpectError(garbage, 5, "not LZO data");
}

TEST_F(CorruptSkin, HeaderProblemsAre6And7)
{
    std::vector<BYTE> data = Unpacked(AllTypesFile(18));
    ExpectError(Packed(std::vector<BYTE>(data.begin(), data.begin() + 187)), 6, "187-byte header");
    std::vector<BYTE> bad = data;
    bad[3] = 'X';
    ExpectError(Packed(bad), 7, "wrong magic");
    bad = data;
    bad[21] = 19;
    ExpectError(Packed(bad), 7, "minor version 19");
    bad = data;
    bad[20] = 2;
    ExpectError(Packed(bad), 7, "major version 2");
    bad = data;
    bad[20] = 0;
    ExpectError(Packed(bad), 7, "major version 0");
}

TEST_F(CorruptSkin, CountsAndLengthsPastTheEndAre6)
{
    std::vector<BYTE> data = Unpacked(AllTypesFile(18));
    std::vector<BYTE> bad = data;
    StoreU32(bad, 176, 0xFFFFFFFF);
    ExpectError(Packed(bad), 6, "object count");

    // The first record is TAnimate: its child count follows the base fields.
    const size_t childCount = 188 + 4 + 51 + 12 + 51 + 4 + 16 + 4;
    for (DWORD count : std::vector<DWORD>{0xFFFFFFFFu, 0x40000000u, (DWORD)data.size()}) {
        bad = data;
        StoreU32(bad, childCount, count);
        ExpectError(Packed(bad), 6, "child count");
    }

    // The image list: count and then the image's length word.
    CSkinStore store;
    ASSERT_TRUE(LoadBytes(store, AllTypesFile(18)));
    size_t images = 188;
    for (const auto& object : store.GetObjects()) {
        CSkinMemStream s;
        object.second->SaveRecord(s);
        images += s.GetSize();
    }
    ASSERT_EQ(1u, LoadU32(data, images));
    bad = data;
    StoreU32(bad, images, 0x10000000);
    ExpectError(Packed(bad), 6, "image count");
    const size_t imageLength = images + 4 + 4 + 51 + 12 + 51 + 4 + 16 + 4 + 4;
    ASSERT_EQ(70u, LoadU32(data, imageLength)) << "the 2 x 2 bitmap of the source";
    bad = data;
    StoreU32(bad, imageLength, 0xFFFFFFFF);
    ExpectError(Packed(bad), 6, "image length 0xFFFFFFFF");
    bad = data;
    StoreU32(bad, imageLength, 0xFFFFFFF0);
    ExpectError(Packed(bad), 6, "image length near 4 GB");
}

TEST_F(CorruptSkin, TextAndEntryLengthsPastTheEndAre6)
{
    // A tooltip text length and an entry-list count of 0xFFFFFFFF.
    for (int kind = 0; kind < 2; ++kind) {
        CSkinStore source;
        CSkinObject* object = kind ? (CSkinObject*)new CSkinEntryListObject() : new CSkinTooltipObject();
        object->SetName("X");
        source.AddObject(object);
        std::vector<BYTE> data = SavedBytes(source);
        // The length (or count) is the last word before the empty image and
        // sound counts.
        const size_t at = data.size() - 12;
        ASSERT_EQ(0u, LoadU32(data, at));
        StoreU32(data, at, 0xFFFFFFFF);
        ExpectError(Packed(data), 6, kind ? "entry count" : "tooltip text length");
    }
}

TEST_F(CorruptSkin, NestingDeeperThanTheLimitIs6)
{
    for (int depth : {10, 40}) {
        CSkinStore source;
        CSkinStaticObject* top = new CSkinStaticObject();
        top->SetName("L0");
        CSkinObject* parent = top;
        for (int i = 1; i <= depth; ++i) {
            CSkinStaticObject* child = new CSkinStaticObject();
            child->SetName(("L" + std::to_string(i)).c_str());
            parent->AddChild(child);
            parent = child;
        }
        source.AddObject(top);
        std::vector<BYTE> packed = Packed(SavedBytes(source));
        if (depth <= CSkinMemStream::MaxNesting) {
            CSkinStore store;
            ASSERT_TRUE(LoadBytes(store, packed));
            EXPECT_TRUE(store.FindByName(("L" + std::to_string(depth)).c_str()));
        } else {
            ExpectError(packed, 6, "deep nesting");
        }
    }
}

TEST_F(CorruptSkin, TruncatedAndFuzzedFilesNeverCrash)
{
    std::vector<BYTE> data = Unpacked(BuiltinSkinFile());
    ASSERT_FALSE(data.empty());
    // Cut anywhere, in a record, a count or the last byte: error 6 and an
    // empty store, never a skin loaded in part.
    std::vector<size_t> cuts = {188, 190, data.size() - 8, data.size() - 4, data.size() - 1};
    for (size_t n = 191; n < data.size(); n += 997)
        cuts.push_back(n);
    for (size_t n : cuts)
        ExpectError(Packed(std::vector<BYTE>(data.begin(), data.begin() + n)), 6,
                    ("cut at " + std::to_string(n)).c_str());
    DWORD seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::vector<BYTE> fuzzed = data;
        for (int i = 0; i < 8; ++i) {
            seed = seed * 1103515245 + 12345;
            size_t at = 188 + (seed >> 8) % (fuzzed.size() - 188);
            seed = seed * 1103515245 + 12345;
            fuzzed[at] = (BYTE)(seed >> 16);
        }
        CSkinStore store;
        if (!LoadBytes(store, Packed(fuzzed))) {
            EXPECT_EQ(6, store.GetError());
            EXPECT_TRUE(store.GetObjects().empty());
        }
    }
}

TEST_F(CorruptSkin, AHostileSkinsPicturesTakeNoMoreMemoryThanItsSizeAllows)
{
    // Twelve 8-bit run-length bitmaps of 2000 x 2000 (4 MB each when
    // decoded), each 64 bytes: a run-length end marker and nothing else.
    std::vector<BYTE> bmp(14 + 40 + 8 + 2, 0);
    auto put32 = [&bmp](size_t at, DWORD v) { memcpy(&bmp[at], &v, 4); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, (DWORD)bmp.size());
    put32(10, 14 + 40 + 8);
    put32(14, 40);
    put32(18, 2000);
    put32(22, 2000);
    bmp[26] = 1;
    bmp[28] = 8;
    put32(30, BI_RLE8);
    put32(46, 2);  // two palette entries
    bmp[bmp.size() - 1] = 1;  // 0, 1: end of bitmap
    CSkinStore source;
    for (int i = 0; i < 12; ++i) {
        CSkinImageObject* image = new CSkinImageObject();
        image->SetName(("big" + std::to_string(i)).c_str());
        ASSERT_TRUE(image->SetData(&bmp[0], (DWORD)bmp.size(), CXIMAGE_FORMAT_BMP)) << "the source";
        source.AddImage(image);
    }
    const std::vector<BYTE> unpacked = SavedBytes(source);

    CSkinStore store;
    const DWORD begin = GetTickCount();
    ASSERT_TRUE(LoadBytes(store, Packed(unpacked)));
    EXPECT_LT(GetTickCount() - begin, 1000u);
    ULONGLONG decoded = 0;
    int kept = 0;
    for (int i = 0; i < 12; ++i) {
        if (CxImage* image = store.FindImage(("big" + std::to_string(i)).c_str())) {
            decoded += image->GetSize();
            ++kept;
        }
    }
    // A large picture within the bound is drawn; the rest cannot be decoded.
    EXPECT_EQ(1, kept);
    EXPECT_LE(decoded, CSkinStore::ImageMemoryBase + (ULONGLONG)CSkinStore::ImageMemoryPerByte * unpacked.size());
    EXPECT_EQ(12u, store.GetImages().size());

    // The built-in skin's pictures are far inside its bound.
    CSkinStore builtin;
    ASSERT_TRUE(LoadBytes(builtin, BuiltinSkinFile()));
    for (const char* name : {"skin.bmp", "ramka.bmp", "ScrollBar.bmp", "update.bmp"})
        EXPECT_NE(nullptr, builtin.FindImage(name)) << name;
}
