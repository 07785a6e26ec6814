#include "tests/platform/html/html_test_support.h"

#include "platform/html/htmllayout.h"
#include "tests/platform/html/timing.h"

#include <memory>

namespace
{
// A 32-bit top-down bitmap the page paints into.
class Canvas
{
public:
    Canvas(int w, int h) : m_w(w), m_h(h)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bmp = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bmp);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD p = m_bits[y * m_w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, bool (*pred)(COLORREF)) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += pred(At(x, y)) ? 1 : 0;
        return n;
    }

private:
    int m_w, m_h;
    HDC m_dc;
    HBITMAP m_bmp;
    HGDIOBJ m_old;
    DWORD* m_bits = nullptr;
};

bool Dark(COLORREF c)
{
    return GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80;
}
}  // namespace

TEST(HtmlLayout, BlocksStackWithMarginsBordersAndPadding)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'>"
              L"<div id=a style='margin:10px; padding:5px; border:2px solid black; height:20px'></div>"
              L"<div id=b style='width:50%; margin:5px auto; height:10px'></div>"
              L"<div id=c style='width:100px; margin-left:auto; margin-right:0; height:10px'></div>"
              L"<div id=d style='display:none; height:50px'></div>"
              L"<div id=e style='height:7px'></div></body>");
    EXPECT_RECT(page.Rect(L"a"), 10, 10, 390, 44);
    EXPECT_RECT(page.Rect(L"b"), 100, 54, 300, 64);  // margins 10 and 5 collapse to 10
    EXPECT_RECT(page.Rect(L"c"), 300, 69, 400, 79);
    EXPECT_RECT(page.Rect(L"e"), 0, 79, 400, 86);
}

TEST(HtmlLayout, TableColumnsFromCellsWithSpacingPaddingAndSpans)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'><table id=t cellspacing=2 cellpadding=3 border=0>"
              L"<tr><td id=c1><img id=i1 width=10 height=20></td><td id=c2 width=50><img id=i2 width=5 height=5></td></tr>"
              L"<tr><td id=c3 colspan=2><img width=60 height=4></td></tr></table>"
              L"<table id=w width='100%' cellspacing=0 cellpadding=0><tr><td id=w1 width=30><img width=10 height=10></td>"
              L"<td id=w2><img width=10 height=10></td></tr></table></body>");
    EXPECT_RECT(page.Rect(L"t"), 0, 0, 97, 42);
    EXPECT_RECT(page.Rect(L"c1"), 2, 2, 37, 28);
    EXPECT_RECT(page.Rect(L"c2"), 39, 2, 95, 28);
    EXPECT_RECT(page.Rect(L"c3"), 2, 30, 95, 40);
    EXPECT_RECT(page.Rect(L"i1"), 5, 5, 15, 25);
    EXPECT_RECT(page.Rect(L"i2"), 42, 12, 47, 17);  // cells centre their content vertically
    // A full-width table gives the room left to the column without a width.
    EXPECT_RECT(page.Rect(L"w"), 0, 42, 400, 52);
    EXPECT_RECT(page.Rect(L"w1"), 0, 42, 30, 52);
    EXPECT_RECT(page.Rect(L"w2"), 30, 42, 400, 52);
}

TEST(HtmlLayout, InlineContentWrapsAndImagesTakeTheirSizes)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'><div id=box style='width:100px'><img id=p1 width=40 height=10>"
              L"<img id=p2 width=40 height=10><img id=p3 width=40 height=10></div>"
              L"<div id=line style='width:60px'>x</div>"
              L"<div id=wrap style='width:60px'>word word word word word word</div>"
              L"<div id=nowrap style='width:60px; white-space:nowrap'>word word word word word word</div>"
              L"<p id=pic><img id=png src='minus.png'><img id=gif src='process.gif' hspace=5></p></body>");
    EXPECT_RECT(page.Rect(L"p1"), 0, 0, 40, 10);
    EXPECT_RECT(page.Rect(L"p2"), 40, 0, 80, 10);
    EXPECT_RECT(page.Rect(L"p3"), 0, 10, 40, 20);
    EXPECT_RECT(page.Rect(L"box"), 0, 0, 100, 20);
    int line = page.Rect(L"line").bottom - page.Rect(L"line").top;
    EXPECT_GT(line, 8);
    EXPECT_GE(page.Rect(L"wrap").bottom - page.Rect(L"wrap").top, 3 * line);
    EXPECT_EQ(page.Rect(L"nowrap").bottom - page.Rect(L"nowrap").top, line);
    // Pictures without sizes take their own: 9 x 9 and 21 x 21, the second
    // with its horizontal space on both sides.
    RECT png = page.Rect(L"png"), gif = page.Rect(L"gif");
    EXPECT_EQ(png.right - png.left, 9);
    EXPECT_EQ(png.bottom - png.top, 9);
    EXPECT_EQ(gif.right - gif.left, 21);
    EXPECT_EQ(gif.left, png.right + 5);
}

TEST(HtmlLayout, LinesBreakAtBlanksAndWbrOnlyAndAnUnbreakableWordOverflows)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'>"
              // A path in <nobr> breaks at its <wbr>s only, though blanks may not break it.
              L"<div style='width:100px'><nobr><img id=a width=60 height=10>\\<wbr>"
              L"<img id=b width=60 height=10> <span id=x>x</span><wbr><img id=c width=60 height=10></nobr></div>"
              // Elements that touch without a blank stay on one line.
              L"<div style='width:30px'><span id=w1>aaaa</span><b id=w2>bbbb</b></div>"
              // A word wider than its line starts a line of its own and runs past its end.
              L"<div id=over style='width:30px'><span id=s1>a</span> <span id=long>aaaaaaaaaaaaaaaa</span> "
              L"<span id=s2>b</span></div>"
              // A table holding such a path takes the room there is, not the path's whole width.
              L"<div style='width:120px'><table id=t cellspacing=0 cellpadding=0><tr><td><nobr>"
              L"<img id=t1 width=50 height=5><wbr><img width=50 height=5><wbr><img id=t3 width=50 height=5>"
              L"</nobr></td></tr></table></div></body>");
    RECT a = page.Rect(L"a"), b = page.Rect(L"b"), x = page.Rect(L"x"), c = page.Rect(L"c");
    EXPECT_EQ(0, b.left);  // the line breaks after the backslash
    EXPECT_GE(b.top, a.bottom);
    EXPECT_GT(x.left, b.right);  // the blank inside <nobr> keeps x beside b
    EXPECT_EQ(0, c.left);
    EXPECT_GE(c.top, b.bottom);

    RECT w1 = page.Rect(L"w1"), w2 = page.Rect(L"w2");
    EXPECT_EQ(w1.top, w2.top);
    EXPECT_EQ(w1.right, w2.left);

    RECT over = page.Rect(L"over"), s1 = page.Rect(L"s1"), lng = page.Rect(L"long"), s2 = page.Rect(L"s2");
    EXPECT_EQ(over.left, lng.left);
    EXPECT_GT(lng.right, over.right);
    EXPECT_GE(lng.top, s1.bottom);
    EXPECT_EQ(over.left, s2.left);
    EXPECT_GE(s2.top, lng.bottom);

    RECT t = page.Rect(L"t"), t1 = page.Rect(L"t1"), t3 = page.Rect(L"t3");
    EXPECT_EQ(120, t.right - t.left);
    EXPECT_EQ(t.left, t3.left);
    EXPECT_GE(t3.top, t1.bottom);
}

TEST(HtmlLayout, NestedInlineElementsTakeLinearTime)
{
    // Each page nested takes about what the same elements side by side do
    // (the least of three runs, so a busy machine does not count).
    TestPage page(400, 300);
    auto nestedAgainstFlat = [&](const std::wstring& nested, const std::wstring& flat) {
        const double n = LeastMs([&] { page.Load(nested); }, 3), f = LeastMs([&] { page.Load(flat); }, 3);
        EXPECT_LT(n, 10 * f + 50) << f << " ms side by side";
    };
    // Thirty unclosed inline tags in 99 characters: each level once doubled
    // the time.
    std::wstring page30, side30;
    const wchar_t* tags[] = {L"<b>", L"<i>", L"<u>"};
    const wchar_t* ends[] = {L"</b>", L"</i>", L"</u>"};
    for (int i = 0; i < 30; ++i)
        page30 += tags[i % 3], side30 += tags[i % 3], side30 += ends[i % 3];
    page30 += L"deep text";
    side30 += L"deep text";
    ASSERT_EQ(99u, page30.size());
    nestedAgainstFlat(page30, side30);

    // As deep as the parser goes, with a block at the bottom: every inline
    // element above it is laid out as a block, until the block turns inline.
    std::wstring deep = L"<body style='margin:0'>", side = deep;
    for (int i = 0; i < 190; ++i)
        deep += i % 2 ? L"<span>" : L"<font>", side += i % 2 ? L"<span></span>" : L"<font></font>";
    deep += L"<div id=d style='height:10px'>x</div>";
    side += L"<div id=d style='height:10px'>x</div>";
    nestedAgainstFlat(deep, side);
    page.Load(deep);
    EXPECT_EQ(400, page.Rect(L"d").right - page.Rect(L"d").left);
    page.document.SetStyleProperty(page.ById(L"d"), "display", L"inline");
    page.document.UpdateLayout();
    EXPECT_LT(page.Rect(L"d").right - page.Rect(L"d").left, 100);
}

TEST(HtmlLayout, ChangesAreLaidOutAgain)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'><div id=a style='height:30px'></div><div id=b style='height:10px'></div>"
              L"<table cellspacing=0 cellpadding=0><tr><td id=cell><div id=row style='height:5px'></div></td></tr></table>"
              L"<div id=after style='height:1px'></div></body>");
    EXPECT_RECT(page.Rect(L"b"), 0, 30, 400, 40);
    page.document.SetStyleProperty(page.ById(L"a"), "display", L"none");
    EXPECT_RECT(page.Rect(L"b"), 0, 0, 400, 10);
    page.document.SetStyleProperty(page.ById(L"a"), "display", L"");
    page.document.SetStyleProperty(page.ById(L"b"), "height", L"25");  // a bare number is pixels
    EXPECT_RECT(page.Rect(L"b"), 0, 30, 400, 55);
    EXPECT_RECT(page.Rect(L"after"), 0, 60, 400, 61);
    // New content of one element moves what follows it.
    ASSERT_TRUE(page.document.SetHtml(page.ById(L"row"), L"<img width=3 height=40>", kReplaceContent));
    page.document.SetStyleProperty(page.ById(L"row"), "height", L"auto");
    EXPECT_EQ(page.Rect(L"cell").bottom - page.Rect(L"cell").top, 40);
    EXPECT_RECT(page.Rect(L"after"), 0, 95, 400, 96);
    ASSERT_TRUE(page.document.SetText(page.ById(L"row"), L""));
    EXPECT_RECT(page.Rect(L"after"), 0, 55, 400, 56);
}

TEST(HtmlLayout, OverflowScrollsItsContent)
{
    TestPage page(400, 100);
    page.Load(L"<body style='margin:0'><div id=s style='width:100px; height:50px; overflow:auto'>"
              L"<div id=inner style='height:200px'></div></div><div id=tall style='height:300px'></div></body>");
    EXPECT_RECT(page.Rect(L"inner"), 0, 0, 84, 200);  // the scroll bar takes its width
    page.document.MouseWheel(-WHEEL_DELTA, 10, 10);
    EXPECT_RECT(page.Rect(L"inner"), 0, -48, 84, 152);
    // Past the element's end the page itself scrolls.
    for (int i = 0; i < 10; ++i)
        page.document.MouseWheel(-WHEEL_DELTA, 10, 10);
    EXPECT_EQ(page.ById(L"s")->box.scrollY, 150);
    EXPECT_GT(page.document.ViewportScroll(), 0);
    // A click on the element's scroll bar below the thumb pages down... and
    // the arrow at the top scrolls back one line.
    page.document.ScrollViewport(0);
    page.document.MouseDown(95, 2);
    page.document.MouseUp(95, 2);
    EXPECT_EQ(page.ById(L"s")->box.scrollY, 134);
}

TEST(HtmlLayout, HitTestingFindsTheDeepestElement)
{
    TestPage page(400, 300);
    page.Load(L"<body style='margin:0'><table cellspacing=0 cellpadding=0><tr><td id=cell><img id=pic width=20 height=20>"
              L"<a id=link href='http://x/'><b id=bold>link text</b></a></td></tr></table></body>");
    EXPECT_EQ(page.document.ElementAt(5, 5), page.ById(L"pic"));
    RECT bold = page.Rect(L"bold");
    EXPECT_EQ(page.document.ElementAt(bold.left + 2, bold.top + 2), page.ById(L"bold"));
    RECT link = page.Rect(L"link");
    EXPECT_RECT(link, bold.left, bold.top, bold.right, bold.bottom);
    page.document.MouseDown(bold.left + 2, bold.top + 2);
    page.document.MouseUp(bold.left + 3, bold.top + 2);
    ASSERT_EQ(page.links.size(), 1u);
    EXPECT_EQ(page.links[0].first, L"http://x/");
    EXPECT_EQ(page.links[0].second, 3);
    // Press and release on different elements is no click.
    page.document.MouseDown(5, 5);
    page.document.MouseUp(bold.left + 2, bold.top + 2);
    EXPECT_EQ(page.links.size(), 1u);
}

TEST(HtmlLayout, PaintsBackgroundsBordersPicturesAndText)
{
    TestPage page(100, 60);
    page.Load(L"<body style='margin:0; background:#00FF00'>"
              L"<div style='width:20px; height:10px; background-color:#FF0000; border-left:5px solid #0000FF'></div>"
              L"<img src='minus.gif'><div id=t style='font-size:20px; color:black'>MMM</div>"
              L"<div style='height:10px; visibility:hidden; background:#FF0000'></div></body>");
    Canvas canvas(100, 60);
    RECT all = {0, 0, 100, 60};
    page.document.Paint(canvas.dc(), all);
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(10, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(30, 5), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(0, 10), RGB(0x7F, 0x9D, 0xB9));  // the picture's frame
    EXPECT_EQ(canvas.At(4, 14), RGB(0, 0, 0));           // its minus sign
    RECT text = page.Rect(L"t");
    EXPECT_GT(canvas.Count(text, Dark), 20);
    // Hidden elements take room but paint nothing.
    EXPECT_EQ(canvas.At(50, text.bottom + 5), RGB(0, 255, 0));
}
