#include "tests/platform/html/html_test_support.h"

#include "platform/html/htmlparser.h"

namespace
{
// The tree as markup, for exact comparisons.
std::wstring Tree(const wchar_t* html)
{
    TestPage page;
    page.Load(html);
    return page.document.InnerHtml(page.document.Body());
}
}  // namespace

TEST(HtmlParser, ClosesWhatBrowsersClose)
{
    EXPECT_EQ(Tree(L"<p>one<p>two<div>three</div>"), L"<p>one</p><p>two</p><div>three</div>");
    EXPECT_EQ(Tree(L"<ul><li>a<li>b</ul>"), L"<ul><li>a</li><li>b</li></ul>");
    EXPECT_EQ(Tree(L"<table><tr><td>1<td>2<tr><td>3</table>"),
              L"<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table>");
    // A cell without its row gets one.
    EXPECT_EQ(Tree(L"<table><td>x</td></table>"), L"<table><tr><td>x</td></tr></table>");
    // Misnested inline tags close at the first end tag that reaches them.
    EXPECT_EQ(Tree(L"<b>1<i>2</b>3</i>4"), L"<b>1<i>2</i></b>34");
    // Stray end tags are dropped; an end tag does not close across a cell.
    EXPECT_EQ(Tree(L"</span>a</div><table><tr><td><div>b</td></tr></table>c"),
              L"a<table><tr><td><div>b</div></td></tr></table>c");
    // Unclosed elements end with the text.
    EXPECT_EQ(Tree(L"<div><span>open"), L"<div><span>open</span></div>");
    EXPECT_EQ(Tree(L"<a href=1>x<a href=2>y"), L"<a href=\"1\">x</a><a href=\"2\">y</a>");
}

TEST(HtmlParser, AttributesWithAndWithoutQuotes)
{
    TestPage page;
    page.Load(L"<img id=a src='x y.gif' width=10 height=\"20\" alt=\"&lt;&quot;&amp;\" checked ID=dup data-x = v>");
    CHtmlNode* img = page.ById(L"a");
    ASSERT_TRUE(img);
    EXPECT_EQ(*img->Attribute("src"), L"x y.gif");
    EXPECT_EQ(*img->Attribute("width"), L"10");
    EXPECT_EQ(*img->Attribute("height"), L"20");
    EXPECT_EQ(*img->Attribute("alt"), L"<\"&");
    EXPECT_EQ(*img->Attribute("checked"), L"");
    EXPECT_EQ(*img->Attribute("id"), L"a");  // the first of a repeated name wins
    EXPECT_EQ(*img->Attribute("data-x"), L"v");

    // Check boxes start as their markup says, in a page and in markup put into it.
    page.Load(L"<input id=on type=checkbox checked><input id=off type=checkbox><div id=d></div>");
    EXPECT_TRUE(page.ById(L"on")->checked);
    EXPECT_FALSE(page.ById(L"off")->checked);
    ASSERT_TRUE(page.document.SetHtml(page.ById(L"d"), L"<input id=new type=radio checked>", kReplaceContent));
    EXPECT_TRUE(page.ById(L"new")->checked);
}

TEST(HtmlParser, CharacterReferences)
{
    EXPECT_EQ(DecodeCharacterReferences(L"&amp;&lt;&gt;&quot;&apos;&nbsp;&copy;", 36), L"&<>\"'\u00A0\u00A9");
    EXPECT_EQ(DecodeCharacterReferences(L"&#233;&#xE9;&#X20AC;&#128512;", 29), L"\u00E9\u00E9\u20AC\U0001F600");
    // Unknown names, missing digits and out-of-range numbers.
    EXPECT_EQ(DecodeCharacterReferences(L"&bogus; & &#; &#1114112;", 24), L"&bogus; & &#; \uFFFD");
    // A few old names work without the semicolon.
    EXPECT_EQ(DecodeCharacterReferences(L"a&ampb &lt3", 11), L"a&b <3");
}

TEST(HtmlParser, ScriptAndStyleKeepTheirText)
{
    TestPage page;
    page.Load(L"<head><style>p { color: red }</style><script>if (a < b && c > d) x();</script></head>"
              L"<body><p id=p>text</p><script>document.write('</p>')</script></body>");
    EXPECT_EQ(page.ById(L"p")->style.color.rgb, RGB(255, 0, 0));
    std::wstring body = page.document.InnerHtml(page.document.Body());
    EXPECT_NE(body.find(L"document.write('</p>')"), std::wstring::npos) << std::string(body.begin(), body.end());
}

TEST(HtmlParser, DepthIsBounded)
{
    std::wstring html;
    for (int i = 0; i < 5000; ++i)
        html += L"<div>";
    html += L"deep";
    TestPage page;
    page.Load(html);
    int depth = 0;
    for (CHtmlNode* n = page.document.Body(); n && !n->children.empty(); n = n->children.back())
        ++depth;
    EXPECT_LE(depth, kMaxHtmlDepth);
    EXPECT_GT(page.document.Root()->CountNodes(), 5000u);  // nothing was dropped
}

TEST(HtmlParser, InnerHtmlRoundTrip)
{
    TestPage page;
    page.Load(L"<div id=c></div>");
    CHtmlNode* c = page.ById(L"c");
    const wchar_t* markup = L"<b class=\"x\">bold &amp; &lt;tag&gt;</b><br><img src=\"a.gif\">\u00A0end";
    ASSERT_TRUE(page.document.SetHtml(c, markup, kReplaceContent));
    EXPECT_EQ(page.document.InnerHtml(c), L"<b class=\"x\">bold &amp; &lt;tag&gt;</b><br><img src=\"a.gif\">&nbsp;end");
    EXPECT_EQ(page.document.InnerText(c), L"bold & <tag>\n\u00A0end");

    // Placements around and inside the element.
    ASSERT_TRUE(page.document.SetHtml(c, L"<i>1</i>", kInsertAtStart));
    ASSERT_TRUE(page.document.SetHtml(c, L"<i>9</i>", kAppendAtEnd));
    ASSERT_TRUE(page.document.SetHtml(c, L"<p id=before></p>", kInsertBefore));
    ASSERT_TRUE(page.document.SetHtml(c, L"<p id=after></p>", kInsertAfter));
    std::wstring body = page.document.InnerHtml(page.document.Body());
    EXPECT_EQ(body.substr(0, 27), L"<p id=\"before\"></p><div id=");
    EXPECT_NE(body.find(L"<i>1</i><b"), std::wstring::npos);
    EXPECT_NE(body.find(L"end<i>9</i></div><p id=\"after\"></p>"), std::wstring::npos);
    ASSERT_TRUE(page.document.SetHtml(c, L"<span id=r>replaced</span>", kReplaceElement));
    EXPECT_EQ(page.ById(L"c"), nullptr);
    EXPECT_TRUE(page.ById(L"r"));
    EXPECT_FALSE(page.document.SetHtml(page.document.Root(), L"x", kReplaceElement));

    // Ids given or taken away at run time are found as they now stand.
    CHtmlNode* after = page.ById(L"after");
    page.document.SetStyleProperty(after, "color", L"red");
    page.document.SetAttribute(after, "id", L"renamed");
    EXPECT_EQ(page.ById(L"after"), nullptr);
    EXPECT_EQ(page.ById(L"renamed"), after);
    page.document.SetText(page.document.Body(), L"text only");
    EXPECT_EQ(page.ById(L"renamed"), nullptr);
}

TEST(HtmlParser, BytesInTheirCharacterSet)
{
    const char utf8[] = "<p id=p>caf\xC3\xA9</p>";
    const char ansi1251[] = "<meta charset=windows-1251><p id=p>\xEF\xF0\xE8</p>";
    const char bom[] = "\xEF\xBB\xBF<p id=p>\xE2\x82\xAC</p>";
    TestPage page;
    page.document.Load(reinterpret_cast<const BYTE*>(utf8), sizeof(utf8) - 1);
    EXPECT_EQ(page.document.InnerText(page.ById(L"p")), L"caf\u00E9");
    page.document.Load(reinterpret_cast<const BYTE*>(ansi1251), sizeof(ansi1251) - 1);
    EXPECT_EQ(page.document.InnerText(page.ById(L"p")), L"\u043F\u0440\u0438");
    page.document.Load(reinterpret_cast<const BYTE*>(bom), sizeof(bom) - 1);
    EXPECT_EQ(page.document.InnerText(page.ById(L"p")), L"\u20AC");
}
