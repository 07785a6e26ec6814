#include "tests/platform/html/html_test_support.h"

#include "platform/html/cssstyle.h"

namespace
{
CCssStyle Styled(const wchar_t* declarations, int parentFontSize = 16)
{
    CCssStyle parent;
    parent.fontSize = parentFontSize;
    CCssStyle s;
    s.InheritFrom(parent);
    ApplyCssDeclarations(s, &parent, declarations, wcslen(declarations));
    return s;
}

int Px(const CssLength& l)
{
    EXPECT_EQ(l.unit, CssLength::Px);
    return l.Resolve(0);
}
}  // namespace

TEST(Css, ColoursAndLengths)
{
    CssColor c;
    ASSERT_TRUE(ParseCssColor(L"#abc", c));
    EXPECT_EQ(c.rgb, RGB(0xAA, 0xBB, 0xCC));
    ASSERT_TRUE(ParseCssColor(L" #A1b2C3 ", c));
    EXPECT_EQ(c.rgb, RGB(0xA1, 0xB2, 0xC3));
    ASSERT_TRUE(ParseCssColor(L"rgb(1, 2,3)", c));
    EXPECT_EQ(c.rgb, RGB(1, 2, 3));
    ASSERT_TRUE(ParseCssColor(L"rgb(100%, 0%, 50%)", c));
    EXPECT_EQ(c.rgb, RGB(255, 0, 127));
    ASSERT_TRUE(ParseCssColor(L"Navy", c));
    EXPECT_EQ(c.rgb, RGB(0, 0, 128));
    ASSERT_TRUE(ParseCssColor(L"transparent", c));
    EXPECT_FALSE(c.set);
    for (const wchar_t* bad : {L"#ab", L"#ggg", L"bogus", L"", L"rgb(1,2"})
        EXPECT_FALSE(ParseCssColor(bad, c)) << std::string(bad, bad + wcslen(bad));

    CssLength l;
    ASSERT_TRUE(ParseCssLength(L"10", 16, l));
    EXPECT_EQ(Px(l), 10);
    ASSERT_TRUE(ParseCssLength(L"12pt", 16, l));
    EXPECT_EQ(Px(l), 16);
    ASSERT_TRUE(ParseCssLength(L"2em", 10, l));
    EXPECT_EQ(Px(l), 20);
    ASSERT_TRUE(ParseCssLength(L"50%", 10, l));
    EXPECT_EQ(l.unit, CssLength::Percent);
    EXPECT_EQ(l.Resolve(300), 150);
    ASSERT_TRUE(ParseCssLength(L"auto", 10, l));
    EXPECT_TRUE(l.IsAuto());
    ASSERT_TRUE(ParseCssLength(L"1e12px", 10, l));
    EXPECT_EQ(Px(l), 100000);  // clamped far from overflow
    EXPECT_FALSE(ParseCssLength(L"10vw", 10, l));
    EXPECT_FALSE(ParseCssLength(L"px", 10, l));
}

TEST(Css, ShorthandsAndBadDeclarations)
{
    CCssStyle s = Styled(L"margin: 1px 2px 3px 4px; padding: 3px 4px 5px");
    EXPECT_EQ(Px(s.margin[0]), 1);
    EXPECT_EQ(Px(s.margin[1]), 2);
    EXPECT_EQ(Px(s.margin[2]), 3);
    EXPECT_EQ(Px(s.margin[3]), 4);
    EXPECT_EQ(s.padding[0], 3);
    EXPECT_EQ(s.padding[1], 4);
    EXPECT_EQ(s.padding[2], 5);
    EXPECT_EQ(s.padding[3], 4);
    s = Styled(L"margin: 5px auto");
    EXPECT_EQ(Px(s.margin[0]), 5);
    EXPECT_TRUE(s.margin[1].IsAuto());

    s = Styled(L"border: 2px dashed #ff0000; border-left: 1px solid");
    EXPECT_EQ(s.borderWidth[0], 2);
    EXPECT_EQ(s.borderStyle[2], CssBorderStyle::Dashed);
    EXPECT_EQ(s.borderColor[1].rgb, RGB(255, 0, 0));
    EXPECT_EQ(s.borderWidth[3], 1);
    EXPECT_FALSE(s.borderColorSet[3]);  // drawn in the text colour

    s = Styled(L"font: italic bold 12px/30px Arial, sans-serif");
    EXPECT_TRUE(s.italic);
    EXPECT_EQ(s.fontWeight, 700);
    EXPECT_EQ(s.fontSize, 12);
    EXPECT_EQ(s.lineHeight, 30);
    ASSERT_TRUE(s.fontFamily);
    EXPECT_EQ(*s.fontFamily, L"Arial, sans-serif");

    s = Styled(L"background: #fff url('a b.png') no-repeat");
    EXPECT_EQ(s.background.rgb, RGB(255, 255, 255));
    ASSERT_TRUE(s.backgroundImage);
    EXPECT_EQ(*s.backgroundImage, L"a b.png");
    EXPECT_FALSE(s.backgroundRepeatX);

    // Bad or unknown declarations are skipped; the rest applies.
    s = Styled(L"width: 10px; width: -5px; foo: bar; color;;: ; COLOR: blue !important; display: nonsense");
    EXPECT_EQ(Px(s.width), 10);
    EXPECT_EQ(s.color.rgb, RGB(0, 0, 255));
    EXPECT_EQ(s.display, CssDisplay::Inline);

    EXPECT_EQ(Styled(L"font-size: larger", 10).fontSize, 12);
    EXPECT_EQ(Styled(L"font-size: 150%", 10).fontSize, 15);
    EXPECT_EQ(Styled(L"font-size: 0").fontSize, 1);
    EXPECT_EQ(Styled(L"font-size: 10px; line-height: 1.5").lineHeight, 15);
    EXPECT_EQ(Styled(L"font-size: x-small").fontSize, 10);
}

TEST(Css, CascadeBySpecificityOrderAndOrigin)
{
    TestPage page;
    page.Load(L"<style>/* rules */ p { color: red } #x { color: blue } p.c { color: green } .c { color: green }"
              L" @media print { p { color: black } } td { background: #0000FF } div > span { color: #010101 }"
              L" div span { color: #020202 } div[state] { color: #030303 } div[state=\"open\"] { color: #040404 }"
              L" h1, .g { color: #050505 } p:first-child { color: #060606 } </style>"
              L"<p id=x class=c>id wins</p><p class=c id=y>class</p><p id=z class=c style='color:#070707'>inline</p>"
              L"<table><tr><td id=cell bgcolor=red>cell</td></tr></table>"
              L"<div><span id=child>c</span><b><span id=grand>g</span></b></div>"
              L"<div id=s1 state=closed>s</div><div id=s2 state=open>s</div><h1 id=h>h</h1><i class=g id=g>g</i>"
              L"<center id=inherit style='color:#080808; background:#090909'><span id=inner>i</span></center>");
    auto color = [&](const wchar_t* id) { return page.ById(id)->style.color.rgb; };
    EXPECT_EQ(color(L"x"), RGB(0, 0, 255));
    EXPECT_EQ(color(L"y"), RGB(0, 128, 0));
    EXPECT_EQ(color(L"z"), RGB(7, 7, 7));
    EXPECT_EQ(page.ById(L"cell")->style.background.rgb, RGB(0, 0, 255));  // the sheet beats the attribute
    EXPECT_EQ(color(L"child"), RGB(2, 2, 2));   // both match; the later rule of equal weight wins
    EXPECT_EQ(color(L"grand"), RGB(2, 2, 2));
    EXPECT_EQ(color(L"s1"), RGB(3, 3, 3));
    EXPECT_EQ(color(L"s2"), RGB(4, 4, 4));
    EXPECT_EQ(color(L"h"), RGB(5, 5, 5));
    EXPECT_EQ(color(L"g"), RGB(5, 5, 5));
    // Colour is inherited, background is not.
    EXPECT_EQ(color(L"inner"), RGB(8, 8, 8));
    EXPECT_FALSE(page.ById(L"inner")->style.background.set);
    // Run-time properties beat the style attribute and survive a restyle.
    page.document.SetStyleProperty(page.ById(L"z"), "color", L"#0A0A0A");
    page.document.SetAttribute(page.ById(L"z"), "class", L"");
    EXPECT_EQ(color(L"z"), RGB(10, 10, 10));
    page.document.SetStyleProperty(page.ById(L"z"), "color", L"");
    EXPECT_EQ(color(L"z"), RGB(7, 7, 7));
}

TEST(Css, PresentationalAttributes)
{
    TestPage page;
    page.Load(L"<body text=#00ff00><font id=f size=5 color=#ff0000 face=Arial>f</font><font id=rel size=+1>r</font>"
              L"<table id=t cellpadding=4 align=center width=50 border=1><tr valign=top><td id=c nowrap>c</td>"
              L"<td id=d valign=bottom align=right>d</td></tr></table><img id=i hspace=3 vspace=2 width=7 height=8 border=2>"
              L"<span id=plain>p</span></body>");
    const CCssStyle& f = page.ById(L"f")->style;
    EXPECT_EQ(f.fontSize, 24);
    EXPECT_EQ(f.color.rgb, RGB(255, 0, 0));
    EXPECT_EQ(*f.fontFamily, L"Arial");
    EXPECT_EQ(page.ById(L"rel")->style.fontSize, 18);
    const CCssStyle& c = page.ById(L"c")->style;
    EXPECT_EQ(c.padding[0], 4);
    EXPECT_EQ(c.verticalAlign, CssVerticalAlign::Top);
    EXPECT_EQ(c.whiteSpace, CssWhiteSpace::NoWrap);
    EXPECT_EQ(c.borderWidth[0], 1);  // a table border gives its cells one too
    EXPECT_EQ(page.ById(L"d")->style.verticalAlign, CssVerticalAlign::Bottom);
    EXPECT_EQ(page.ById(L"d")->style.textAlign, CssTextAlign::Right);
    const CCssStyle& i = page.ById(L"i")->style;
    EXPECT_EQ(Px(i.margin[1]), 3);
    EXPECT_EQ(Px(i.margin[0]), 2);
    EXPECT_EQ(i.borderWidth[2], 2);
    EXPECT_EQ(page.ById(L"plain")->style.color.rgb, RGB(0, 255, 0));
    RECT t = page.Rect(L"t");
    EXPECT_EQ((t.left + t.right) / 2, 200);  // centred in a 400-pixel page
}

TEST(Css, HoverRulesFollowTheMouse)
{
    TestPage page(200, 100);
    page.Load(L"<style>div.usual { background-color: #F7F6F4 } div.usual:hover { background-color: #E8E8E8 }</style>"
              L"<body style='margin:0'><div id=a class=usual style='height:20px'></div>"
              L"<div id=b class=usual style='height:20px'></div></body>");
    EXPECT_EQ(page.ById(L"a")->style.background.rgb, RGB(0xF7, 0xF6, 0xF4));
    page.document.MouseMove(5, 5);
    EXPECT_EQ(page.ById(L"a")->style.background.rgb, RGB(0xE8, 0xE8, 0xE8));
    page.document.MouseMove(5, 25);
    EXPECT_EQ(page.ById(L"a")->style.background.rgb, RGB(0xF7, 0xF6, 0xF4));
    EXPECT_EQ(page.ById(L"b")->style.background.rgb, RGB(0xE8, 0xE8, 0xE8));
    page.document.MouseLeave();
    EXPECT_EQ(page.ById(L"b")->style.background.rgb, RGB(0xF7, 0xF6, 0xF4));
}
