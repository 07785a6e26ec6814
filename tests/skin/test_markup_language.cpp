// The markup language: lengths and units, colours, keywords, declarations,
// the style sheet, cutting text into runs and tags, the style tags with
// their stack, and the attributes of tables and images; hostile input stays
// bounded.

#include <gtest/gtest.h>

#include <string>

#include "skin/markup/markuplanguage.h"

namespace {

class MarkupLanguageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dc = CreateCompatibleDC(NULL);
        m_dpi = GetDeviceCaps(m_dc, LOGPIXELSY);
    }
    void TearDown() override { DeleteDC(m_dc); }

    bool Tag(const char* text) { return m_lang.ApplyStyleTag(m_dc, ParseMarkupTag(text)); }

    HDC m_dc;
    int m_dpi;
    CMarkupLanguage m_lang;
};

// Exposes the shadow settings that decide the "s" effect letter.
class CShadowLanguage : public CMarkupLanguage
{
public:
    void SetShadow(bool soft, int x, int y)
    {
        m_softShadow = soft;
        m_shadowX = x;
        m_shadowY = y;
    }
};

std::string Runs(const std::string& text, bool lineBreaks)
{
    CMarkupTokenizer tokens(text.data(), text.data() + text.size(), lineBreaks);
    std::string out;
    for (MarkupToken t = tokens.Next(); t.kind != MarkupToken::End; t = tokens.Next())
        out += (t.kind == MarkupToken::Text ? "[" : "{") + t.text + (t.kind == MarkupToken::Text ? "]" : "}");
    return out;
}

TEST_F(MarkupLanguageTest, LengthsReadUnitsSignsPercentagesAndTheFontScale)
{
    EXPECT_EQ(10 * m_dpi / 72, CMarkupLanguage::ParseLength(m_dc, "10pt", 0, false));
    EXPECT_EQ(m_dpi / 6, CMarkupLanguage::ParseLength(m_dc, "1pc", 0, false));
    EXPECT_EQ(m_dpi, CMarkupLanguage::ParseLength(m_dc, "1in", 0, false));
    EXPECT_EQ((int)(m_dpi * 0.39370078740157477), CMarkupLanguage::ParseLength(m_dc, "1cm", 0, false));
    EXPECT_EQ((int)(10 * m_dpi * 0.03937007874015748), CMarkupLanguage::ParseLength(m_dc, "10mm", 0, false));
    if (m_dpi == 96) {
        EXPECT_EQ(13, CMarkupLanguage::ParseLength(m_dc, "10pt", 0, false));
        EXPECT_EQ(37, CMarkupLanguage::ParseLength(m_dc, "1cm", 0, false));
    }
    TEXTMETRICA tm;
    GetTextMetricsA(m_dc, &tm);
    EXPECT_EQ(2 * tm.tmHeight, CMarkupLanguage::ParseLength(m_dc, "2em", 0, false));

    // The font scale turns 1 to 7 into sizes, nothing else.
    EXPECT_EQ(12, CMarkupLanguage::ParseLength(m_dc, "3", 10, true));
    EXPECT_EQ(9, CMarkupLanguage::ParseLength(m_dc, "9", 10, true));
    EXPECT_EQ(3, CMarkupLanguage::ParseLength(m_dc, "3", 10, false));
    EXPECT_EQ(15, CMarkupLanguage::ParseLength(m_dc, "150%", 10, true));
    // The sign is dropped, not applied.
    EXPECT_EQ(5, CMarkupLanguage::ParseLength(m_dc, "-5px", 0, false));
    EXPECT_EQ(8, CMarkupLanguage::ParseLength(m_dc, "+1", 0, true));
    // Empty gives the base; bare numbers follow their prefix.
    EXPECT_EQ(7, CMarkupLanguage::ParseLength(m_dc, "", 7, false));
    EXPECT_EQ(16, CMarkupLanguage::ParseLength(m_dc, "0x10", 0, false));
    EXPECT_EQ(8, CMarkupLanguage::ParseLength(m_dc, "010", 0, false));
    // Hostile sizes stay inside what a layout can add up.
    EXPECT_EQ(100000, CMarkupLanguage::ParseLength(m_dc, "99999999999px", 0, false));
    EXPECT_EQ(100000, CMarkupLanguage::ParseLength(m_dc, "99999999999in", 0, false));
    EXPECT_EQ(100000, CMarkupLanguage::ParseLength(m_dc, "99999999999", 0, false));
}

TEST_F(MarkupLanguageTest, ColoursReadHashesNumbersKeywordsAndSystemColours)
{
    const COLORREF def = RGB(1, 2, 3);
    EXPECT_EQ(RGB(255, 153, 0), m_lang.ParseColor("#ff9900", def));
    EXPECT_EQ(def, m_lang.ParseColor("#f90", def));
    EXPECT_EQ(def, m_lang.ParseColor("", def));
    EXPECT_EQ(RGB(255, 0, 0), m_lang.ParseColor("255", def));
    EXPECT_EQ(RGB(0, 0, 255), m_lang.ParseColor("0xff0000", def));
    EXPECT_EQ(RGB(0, 0, 128), m_lang.ParseColor("navy", def));
    EXPECT_EQ(RGB(250, 250, 210), m_lang.ParseColor("lightgoldenrodyellow", def));
    EXPECT_EQ(RGB(154, 205, 50), m_lang.ParseColor("yellowgreen", def));
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), m_lang.ParseColor("threedface", def));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), m_lang.ParseColor("windowtext", def));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), m_lang.ParseColor("infobackground", def));
    // Names match exactly.
    EXPECT_EQ(def, m_lang.ParseColor("Red", def));
    EXPECT_EQ(def, m_lang.ParseColor("grey", def));
}

TEST_F(MarkupLanguageTest, KeywordsGiveTheFirstRowWhenEmptyAndTheDefaultWhenUnknown)
{
    EXPECT_EQ(0, CMarkupLanguage::ParseFontStyle("", 1));
    EXPECT_EQ(1, CMarkupLanguage::ParseFontStyle("slanted", 1));
    EXPECT_EQ(mvaBaseline, CMarkupLanguage::ParseVerticalAlign("", mvaTop));
    EXPECT_EQ(mbsDotted, CMarkupLanguage::ParseBorderStyle("groove", mbsDotted));
    // Weights: keywords, decimal numbers, else the default.
    EXPECT_EQ(900, CMarkupLanguage::ParseFontWeight("bolder", 400));
    EXPECT_EQ(600, CMarkupLanguage::ParseFontWeight("600", 400));
    EXPECT_EQ(400, CMarkupLanguage::ParseFontWeight("heavy", 400));
    // Border widths scale their base; effects fall back to a length.
    EXPECT_EQ(3, CMarkupLanguage::ParseBorderWidth(m_dc, "thin", 4));
    EXPECT_EQ(5, CMarkupLanguage::ParseBorderWidth(m_dc, "thick", 4));
    EXPECT_EQ(7, CMarkupLanguage::ParseBorderWidth(m_dc, "7px", 4));
    EXPECT_EQ(-1, CMarkupLanguage::ParseBackgroundEffect(m_dc, "", 0));
    EXPECT_EQ(2, CMarkupLanguage::ParseBackgroundEffect(m_dc, "2", 0));
}

TEST_F(MarkupLanguageTest, DeclarationsAreLowerCasedAndReadPropertyByProperty)
{
    MarkupStyle s;
    m_lang.ParseStyleText(m_dc,
                          "COLOR: Red ; font-family:\"Courier New\"; text-decoration: underline,overline;"
                          " background-color:#102030; margin-left:-5px; padding-top:3px; bogus:1;"
                          " font-weight:bold; text-align:center; vertical-align:top; border-style:dashed",
                          s);
    EXPECT_EQ(RGB(255, 0, 0), s.textColour);
    EXPECT_EQ("courier new", s.faceName);
    EXPECT_EQ(1, s.underline);
    EXPECT_EQ(1, s.overline);
    EXPECT_EQ(0, s.strikeOut);
    EXPECT_EQ(mbmOpaque, s.backMode);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), s.backColour);
    EXPECT_EQ(5, s.marginLeft);
    EXPECT_EQ(3, s.paddingTop);
    EXPECT_EQ(700, s.weight);
    EXPECT_EQ(mhaCenter, s.hAlign);
    EXPECT_EQ(mvaTop, s.vAlign);
    EXPECT_EQ(mbsDashed, s.borderStyle);

    m_lang.ParseStyleText(m_dc, "text-decoration:none; background-color:transparent; font-family:", s);
    EXPECT_EQ(0, s.underline + s.overline + s.strikeOut);
    EXPECT_EQ(mbmTransparent, s.backMode);
    EXPECT_EQ("courier new", s.faceName);
}

TEST_F(MarkupLanguageTest, StyleSheetsKeepSelectorsAsWrittenAndFindThemLowerCased)
{
    const char* defaults[] = {"body", "p",    "h1",     "h2",      "h3",  "h4",  "h5",    "h6",          "pre",
                              "code", "a:link", "a:hover", "sub", "sup", "big", "small", ".cpp-comment"};
    for (const char* name : defaults)
        EXPECT_TRUE(m_lang.FindRule(name) != NULL) << name;
    EXPECT_TRUE(m_lang.FindRule("BODY") != NULL);
    ASSERT_TRUE(m_lang.ApplyRule(m_dc, "pre"));
    EXPECT_EQ("courier", m_lang.Style().faceName);
    EXPECT_EQ(RGB(0xfb, 0xed, 0xbb), m_lang.Style().backColour);

    m_lang.SetStyleSheet("Caps {color:red}\r\n  .note{color:#00ff00}  td {margin-left:9px} broken {color:blue");
    EXPECT_TRUE(m_lang.FindRule("caps") == NULL);
    EXPECT_TRUE(m_lang.FindRule("Caps") == NULL);
    ASSERT_TRUE(m_lang.FindRule(".note") != NULL);
    EXPECT_EQ("color:#00ff00", *m_lang.FindRule(".note"));
    EXPECT_TRUE(m_lang.FindRule("td") != NULL);
    EXPECT_TRUE(m_lang.FindRule("broken") == NULL);
    EXPECT_TRUE(m_lang.FindRule("body") == NULL);

    m_lang.SetStyleSheet(NULL);
    EXPECT_TRUE(m_lang.FindRule("body") != NULL);
    EXPECT_TRUE(m_lang.FindRule(".note") == NULL);
}

TEST(MarkupTokenizer, TextIsCutIntoRunsAndTags)
{
    EXPECT_EQ("[<b>]", Runs("<<b>", true));
    EXPECT_EQ("[a<b]", Runs("a<<b", true));
    EXPECT_EQ("[one]{b}[two]{/b}", Runs("one<b>two</b>", true));
    EXPECT_EQ("[a]{\n}[b]{\t}{\r}[c]", Runs("a\nb\t\rc", true));
    EXPECT_EQ("[a][b][c]", Runs("a\nb\t\rc", false));
    // A tag without its ">" ends at the end of the text.
    EXPECT_EQ("[x]{font color=red}", Runs("x<font color=red", true));
    EXPECT_EQ("", Runs("", true));
}

TEST(MarkupTokenizer, TagsReadTheirNameCountAndAttributes)
{
    MarkupTag closing = ParseMarkupTag("/B ");
    EXPECT_TRUE(closing.closing);
    EXPECT_EQ("b", closing.name);
    EXPECT_EQ(2, ParseMarkupTag("br=2").RepeatCount());
    EXPECT_EQ(1, ParseMarkupTag("br=0").RepeatCount());
    EXPECT_EQ(1, ParseMarkupTag("t").RepeatCount());
    EXPECT_EQ("br", ParseMarkupTag("\n").name);
    EXPECT_EQ("t", ParseMarkupTag("\t").name);

    const MarkupAttributes a = ParseMarkupTag("FONT  color=\"Dark Red\" size = 3 bold ,,face=x").Attributes();
    ASSERT_EQ(4u, a.size());
    EXPECT_EQ("color", a[0].first);
    EXPECT_EQ("dark red", a[0].second);
    EXPECT_EQ("3", *FindMarkupAttribute(a, "size"));
    EXPECT_EQ("", *FindMarkupAttribute(a, "bold"));
    EXPECT_EQ("x", *FindMarkupAttribute(a, "face"));
    EXPECT_TRUE(FindMarkupAttribute(a, "weight") == NULL);
    // An unclosed quote runs to the end.
    EXPECT_EQ("a b", ParseMarkupAttributes("href=\"a b").at(0).second);
}

TEST_F(MarkupLanguageTest, StyleTagsPushUnderTheirNamesAndOnlyTheirClosingTagPops)
{
    EXPECT_EQ(400, m_lang.Style().weight);
    EXPECT_TRUE(Tag("b"));
    EXPECT_EQ(800, m_lang.Style().weight);
    EXPECT_TRUE(Tag("b"));
    EXPECT_EQ(900, m_lang.Style().weight);
    EXPECT_FALSE(Tag("/i"));
    EXPECT_EQ(900, m_lang.Style().weight);
    EXPECT_TRUE(Tag("/b"));
    EXPECT_EQ(800, m_lang.Style().weight);
    EXPECT_TRUE(Tag("/b"));
    EXPECT_EQ(400, m_lang.Style().weight);
    EXPECT_EQ(0u, m_lang.GetStyleDepth());

    EXPECT_TRUE(Tag("em"));
    EXPECT_TRUE(Tag("i"));
    EXPECT_EQ(0, m_lang.Style().italic);
    EXPECT_TRUE(Tag("/i"));
    EXPECT_EQ(1, m_lang.Style().italic);

    EXPECT_TRUE(Tag("font face=Arial size=5 color=#0000ff bkgnd=yellow style=\"b-iu+o\""));
    EXPECT_EQ("arial", m_lang.Style().faceName);
    EXPECT_EQ(18, m_lang.Style().fontHeight);
    EXPECT_EQ(RGB(0, 0, 255), m_lang.Style().textColour);
    EXPECT_EQ(mbmOpaque, m_lang.Style().backMode);
    EXPECT_EQ(RGB(255, 255, 0), m_lang.Style().backColour);
    EXPECT_EQ(700, m_lang.Style().weight);
    EXPECT_EQ(0, m_lang.Style().italic);
    EXPECT_EQ(1, m_lang.Style().underline);
    EXPECT_EQ(1, m_lang.Style().overline);
    EXPECT_TRUE(Tag("/font"));
    EXPECT_EQ(1, m_lang.Style().italic);

    // A class counts only as the first attribute; "p" is no style tag.
    EXPECT_FALSE(Tag("span id=x class=cpp-comment"));
    EXPECT_TRUE(Tag("span class=cpp-comment"));
    EXPECT_EQ(RGB(0, 128, 0), m_lang.Style().textColour);
    EXPECT_FALSE(Tag("p"));
    EXPECT_TRUE(Tag("h2"));
    EXPECT_EQ(RGB(255, 153, 0), m_lang.Style().textColour);
    EXPECT_TRUE(Tag("middle"));
    EXPECT_EQ(mvaMiddle, m_lang.Style().vAlign);
    EXPECT_TRUE(Tag("/middle"));
    EXPECT_EQ(mvaBaseline, m_lang.Style().vAlign);
    EXPECT_TRUE(Tag("right"));
    EXPECT_EQ(mhaRight, m_lang.Style().hAlign);
}

TEST_F(MarkupLanguageTest, ThousandsOfUnclosedTagsStopAtTheDepthLimitAndUnwindCleanly)
{
    for (int i = 0; i < 5000; ++i)
        Tag("b");
    EXPECT_EQ((size_t)CMarkupLanguage::MaxStyleDepth, m_lang.GetStyleDepth());
    for (int i = 0; i < 5000; ++i)
        Tag("/b");
    EXPECT_EQ(0u, m_lang.GetStyleDepth());
    EXPECT_EQ(400, m_lang.Style().weight);
}

TEST_F(MarkupLanguageTest, TableAttributesSetBordersBackgroundsSpacingAndBoundedSpans)
{
    MarkupStyle s;
    int cols = 0, rows = 0;
    m_lang.ParseTableAttributes(m_dc, ParseMarkupAttributes("border=2 colspan=3 rowspan=0"), s, &cols, &rows);
    EXPECT_EQ(mbsSolid, s.borderStyle);
    EXPECT_EQ(2, s.borderWidth);
    EXPECT_EQ(3, cols);
    EXPECT_EQ(1, rows);
    m_lang.ParseTableAttributes(m_dc, ParseMarkupAttributes("border=0 colspan=99999999"), s, &cols, &rows);
    EXPECT_EQ(mbsNone, s.borderStyle);
    EXPECT_EQ(1024, cols);

    m_lang.ParseTableAttributes(m_dc,
                                ParseMarkupAttributes("bgcolor=red bordercolor=blue bordercolordark=lime "
                                                      "cellpadding=4 cellspacing=1 align=center valign=bottom "
                                                      "background=idres:12 borderstyle=double"),
                                s);
    EXPECT_EQ(0, s.backEffect);
    EXPECT_EQ(RGB(255, 0, 0), s.backColour);
    EXPECT_EQ(RGB(0, 0, 255), s.borderLight);
    EXPECT_EQ(RGB(0, 255, 0), s.borderDark);
    EXPECT_EQ(4, s.marginLeft);
    EXPECT_EQ(4, s.marginBottom);
    EXPECT_EQ(1, s.paddingTop);
    EXPECT_EQ(1, s.paddingRight);
    EXPECT_EQ(mhaCenter, s.hAlign);
    EXPECT_EQ(mvaBottom, s.vAlign);
    EXPECT_EQ("idres:12", s.backImage);
    EXPECT_EQ(mbsDouble, s.borderStyle);
    // A gradient asked for stays one when a colour follows.
    m_lang.ParseTableAttributes(m_dc, ParseMarkupAttributes("bgeffect=vgradient bgcolor=red"), s);
    EXPECT_EQ(2, s.backEffect);
}

TEST(MarkupImageAttributes, EffectLettersFollowTheShadowSettings)
{
    CShadowLanguage lang;
    MarkupImageAttributes image;
    lang.ParseImageAttributes(NULL,
                              ParseMarkupAttributes("idres=300 mask=#00ff00 style=gxs hotstyle=dl "
                                                    "width=50% height=20 cx=16 cy=8 index=3"),
                              image);
    EXPECT_TRUE(image.HasSource());
    EXPECT_EQ(300, image.resourceId);
    EXPECT_TRUE(image.masked);
    EXPECT_EQ(RGB(0, 255, 0), image.maskColour);
    EXPECT_EQ((DWORD)(mieGrey | mieSoftShadow), image.effects);
    EXPECT_EQ((DWORD)(mieDarker | mieLighter), image.hotEffects);
    EXPECT_EQ(50, image.width.Resolve(100));
    EXPECT_EQ(20, image.height.Resolve(100));
    EXPECT_EQ(100, MarkupImageLength().Resolve(100));
    EXPECT_EQ(16, image.cx);
    EXPECT_EQ(8, image.cy);
    EXPECT_EQ(3, image.index);

    lang.SetShadow(false, 2, 0);
    lang.ParseImageAttributes(NULL, ParseMarkupAttributes("style=s"), image);
    EXPECT_EQ((DWORD)mieShadow, image.effects);
    lang.SetShadow(true, 0, 0);
    lang.ParseImageAttributes(NULL, ParseMarkupAttributes("style=s"), image);
    EXPECT_EQ(0u, image.effects);
}

} // namespace
