// The markup text drawer and its tables: sizes measured from the fonts' own
// metrics, tab stops, rules, alignment and column stretching drawn into
// memory pictures, overlines, hyperlink areas, resources by id (and ids
// that are none), and hostile texts that stay bounded.

#include <gtest/gtest.h>

#include <string>

#include "skin/markup/markuptextdrawer.h"

namespace {

const COLORREF White = RGB(255, 255, 255);
const COLORREF Red = RGB(255, 0, 0);
const COLORREF Blue = RGB(0, 0, 255);

// A white 32-bit picture to draw into and read back.
class CCanvas
{
public:
    CCanvas(int width, int height) : m_width(width), m_bits(NULL)
    {
        m_dc = CreateCompatibleDC(NULL);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, (void**)&m_bits, NULL, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        PatBlt(m_dc, 0, 0, width, height, WHITENESS);
    }
    ~CCanvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    operator HDC() const { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The first x of the row at or after from holding the colour; -1 if none.
    int FirstX(int y, COLORREF colour, int from = 0) const
    {
        for (int x = from; x < m_width; ++x)
            if (At(x, y) == colour)
                return x;
        return -1;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    int m_width;
    DWORD* m_bits;
};

// A bitmap of two colours: the first "split" columns left, the rest right.
class CPicture
{
public:
    CPicture(int width, int height, COLORREF right, int split = 0, COLORREF left = 0)
    {
        HDC screen = GetDC(NULL);
        m_bitmap = CreateCompatibleBitmap(screen, width, height);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, m_bitmap);
        RECT r = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(right);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        r.right = split;
        brush = CreateSolidBrush(left);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(NULL, screen);
    }
    ~CPicture() { DeleteObject(m_bitmap); }
    std::string Handle() const { return std::to_string((UINT_PTR)m_bitmap); }
    std::string Tag() const { return "<bmp handle=" + Handle() + ">"; }

private:
    HBITMAP m_bitmap;
};

// The font the default sheet gives the body (10pt Verdana), or another.
class CFontMetrics
{
public:
    CFontMetrics(HDC dc, int height, int weight = FW_NORMAL, LPCSTR face = "verdana") : m_dc(CreateCompatibleDC(dc))
    {
        LOGFONTA lf = {};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
        m_font = CreateFontIndirectA(&lf);
        m_old = SelectObject(m_dc, m_font);
        GetTextMetricsA(m_dc, &tm);
    }
    ~CFontMetrics()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
        DeleteDC(m_dc);
    }
    int Width(const std::string& text) const
    {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(m_dc, text.data(), (int)text.size(), &size);
        return size.cx;
    }
    TEXTMETRICA tm;

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

class MarkupDrawerTest : public ::testing::Test
{
protected:
    MarkupDrawerTest() : m_canvas(400, 300), m_bodyHeight(CMarkupLanguage::ParseLength(m_canvas, "10pt", 0, false))
    {
    }
    SIZE Measure(const std::string& text) { return m_drawer.Measure(m_canvas, text); }

    CCanvas m_canvas;
    int m_bodyHeight;
    CMarkupTextDrawer m_drawer;
};

TEST_F(MarkupDrawerTest, LinesMeasureTheirRunsInTheirFontsAndBreaksAddLines)
{
    CFontMetrics body(m_canvas, m_bodyHeight);
    const int line = body.tm.tmHeight;
    EXPECT_EQ(body.Width("Scan complete") + 2, Measure("Scan complete").cx);
    EXPECT_EQ(line + 2, Measure("Scan complete").cy) << "the last line closes like a break";
    EXPECT_EQ(2, Measure("").cx);
    EXPECT_EQ(line + 2, Measure("").cy);
    EXPECT_EQ(std::max(body.Width("one"), body.Width("three")) + 2, Measure("one<br>three").cx);
    EXPECT_EQ(2 * line + 2, Measure("one<br>three").cy);
    EXPECT_EQ(2 * line + 2, Measure("one\nthree").cy);
    EXPECT_EQ(4 * line + 2, Measure("one<br=3>three").cy);
    EXPECT_EQ(body.Width("a<b") + 2, Measure("a<<b").cx);

    // A line is as high as its tallest ascent plus its deepest descent.
    CFontMetrics big(m_canvas, 36);
    const int ascent = std::max(big.tm.tmAscent, body.tm.tmAscent);
    const int descent = std::max(big.tm.tmHeight - big.tm.tmAscent, body.tm.tmHeight - body.tm.tmAscent);
    EXPECT_EQ(ascent + descent + 2, Measure("<font size=7>X</font>y").cy);
    EXPECT_EQ(big.Width("X") + body.Width("y") + 2, Measure("<font size=7>X</font>y").cx);
}

TEST_F(MarkupDrawerTest, TabsRulesAndImagesTakeTheirWidths)
{
    CPicture forty(40, 30, Red), hundred(100, 10, Red);
    EXPECT_EQ(40 + 2, Measure(forty.Tag()).cx);
    EXPECT_EQ(30 + 2, Measure(forty.Tag()).cy) << "an image line is as high as the image";
    EXPECT_EQ(32 + 2, Measure("<t>").cx);
    EXPECT_EQ(64 + 2, Measure(forty.Tag() + "<t>").cx);
    EXPECT_EQ(128 + 2, Measure(forty.Tag() + "<t=3>").cx);
    EXPECT_EQ(128 + 2, Measure(forty.Tag() + "\t\t\t").cx);
    EXPECT_EQ(150 + 2, Measure(hundred.Tag() + "<hr width=50%>").cx);
    EXPECT_EQ(100 + 2, Measure(hundred.Tag() + "<br><hr width=50%>").cx);
    EXPECT_EQ(100 + 60 + 2, Measure(hundred.Tag() + "<hr width=60>").cx);
    EXPECT_EQ(3 + 8 + 2, Measure("<hr size=3>").cy) << "a rule is its size and 8 high";
}

TEST_F(MarkupDrawerTest, AlignmentPlacesLinesInTheRectangleAndAWiderLineStartsLeftOfIt)
{
    CPicture forty(40, 10, Red), wide(300, 10, Red, 60, Blue);
    m_drawer.Draw(m_canvas, "<center>" + forty.Tag() + "</center><br><right>" + forty.Tag(), 0, 0, 201, 100);
    EXPECT_EQ(80, m_canvas.FirstX(5, Red));
    EXPECT_EQ(White, m_canvas.At(120, 5));
    EXPECT_EQ(160, m_canvas.FirstX(15, Red));

    CCanvas canvas(400, 100);
    m_drawer.Draw(canvas, "<center>" + wide.Tag(), 0, 0, 201, 100);
    EXPECT_EQ(0, canvas.FirstX(5, Blue)) << "the line starts 50 pixels left of the rectangle";
    EXPECT_EQ(10, canvas.FirstX(5, Red));
}

TEST_F(MarkupDrawerTest, DrawingATextNotMeasuredMeasuresItFirst)
{
    CPicture forty(40, 10, Red);
    Measure("something else");
    m_drawer.Draw(m_canvas, "<right>" + forty.Tag(), 0, 0, 201, 100);
    EXPECT_EQ(160, m_canvas.FirstX(5, Red));
    CMarkupTextDrawer fresh;
    CCanvas canvas(400, 100);
    fresh.Draw(canvas, "<center>" + forty.Tag(), 0, 0, 201, 100);
    EXPECT_EQ(80, canvas.FirstX(5, Red));
}

TEST_F(MarkupDrawerTest, AnOverlineIsTwoPixelsOnBoldTextAndOneOtherwise)
{
    const std::string spaces = "          ";
    for (int bold = 0; bold < 2; ++bold) {
        CCanvas canvas(300, 60);
        m_drawer.Draw(canvas, std::string(bold ? "<b>" : "") + "<font style=o>" + spaces, 0, 20, 300, 60);
        int rows = 0;
        for (int y = 15; y < 30; ++y)
            rows += canvas.At(3, y) == RGB(0, 0, 0);
        EXPECT_EQ(bold ? 2 : 1, rows);
        EXPECT_EQ(RGB(0, 0, 0), canvas.At(3, 20));
    }
}

TEST_F(MarkupDrawerTest, HyperlinksLeaveHotAreasOnlyWhileDrawing)
{
    const std::string text = "See <a href=\"http://Example\">the log</a> or <a msg=clean>clean</a>";
    Measure(text);
    EXPECT_TRUE(m_drawer.GetHotAreas().empty());
    m_drawer.Draw(m_canvas, text, 0, 0, 400, 100);
    ASSERT_EQ(2u, m_drawer.GetHotAreas().size());
    const CMarkupTextDrawer::HotArea& first = m_drawer.GetHotAreas()[0];
    CFontMetrics body(m_canvas, m_bodyHeight);
    EXPECT_EQ(1, first.kind);
    EXPECT_EQ("http://example", first.link);
    EXPECT_EQ(0, first.index);
    EXPECT_EQ(body.Width("See "), first.rect.left);
    EXPECT_EQ(body.Width("See the log"), first.rect.right);
    EXPECT_EQ(2, m_drawer.GetHotAreas()[1].kind);
    EXPECT_EQ("clean", m_drawer.GetHotAreas()[1].link);
    EXPECT_EQ(1, m_drawer.GetHotAreas()[1].index);
}

TEST_F(MarkupDrawerTest, ResourcesLoadByIdAndIdsThatAreNoneAreMissing)
{
    CFontMetrics body(m_canvas, m_bodyHeight);
    EXPECT_EQ(body.Width("Resource text") + 2, Measure("<string idres=302>").cx);
    EXPECT_EQ(body.Width("Resource text") + 2, Measure("<string iddll=302 srcdll=x>").cx);
    EXPECT_EQ(2, Measure("<string idres=70000>").cx);
    EXPECT_EQ(2, Measure("<string idres=999>").cx);
    EXPECT_EQ(2 + 2, Measure("<bmp idres=300>").cx);
    EXPECT_EQ(2 + 2, Measure("<bmp idres=300>").cy);
    // 70000 and 0x10000 would read as pointers to names.
    EXPECT_EQ(2, Measure("<bmp idres=70000>").cx);
    EXPECT_EQ(2, Measure("<bmp idres=0x10000><icon idres=70000 cx=16 cy=16><ilst idres=70000 cx=1 cy=1>").cx);
    EXPECT_EQ(2, Measure("<ilst index=0>").cx) << "no image list";

    EXPECT_EQ("First line", m_drawer.GetResourceStringLine(301, 0));
    EXPECT_EQ("Second line", m_drawer.GetResourceStringLine(301, 1));
    EXPECT_EQ("", m_drawer.GetResourceStringLine(301, 2));
    EXPECT_EQ("Resource text", m_drawer.GetResourceStringLine(302, 0));
    EXPECT_EQ("", m_drawer.GetResourceStringLine(0, 0));
    EXPECT_EQ("", m_drawer.GetResourceStringLine(70000, 0));
}

TEST_F(MarkupDrawerTest, ImageListEntriesAndBitmapCellsAreDrawnAtTheirSize)
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    HBITMAP picture = CreateBitmap(16, 16, 1, 32, NULL);
    ImageList_Add(list, picture, NULL);
    DeleteObject(picture);
    m_drawer.SetImageList(list);
    EXPECT_EQ(16 + 2, Measure("<ilst index=0>").cx);
    EXPECT_EQ(8 + 2, Measure("<ilst index=0 width=50%>").cx);
    EXPECT_EQ(2, Measure("<ilst index=1>").cx);

    CPicture strip(30, 10, Red, 10, Blue);
    CCanvas canvas(100, 40);
    m_drawer.Draw(canvas, "<ilst handle=" + strip.Handle() + " cx=10 cy=10 index=1>", 0, 0, 100, 40);
    EXPECT_EQ(0, canvas.FirstX(5, Red)) << "cell 1 of the strip";
    EXPECT_EQ(-1, canvas.FirstX(5, Blue));
}

// ---------------------------------------------------------------- tables

TEST(MarkupTableScan, RowsColumnsSpansAndCase)
{
    int columns, rows;
    const std::string t = "<table><tr><td colspan=3>a</td><td>b</td></tr><tr><td>c</td></tr></table>";
    ScanMarkupTable(t, 0, t.size(), &columns, &rows);
    EXPECT_EQ(4, columns);
    EXPECT_EQ(2, rows);
    const std::string nested = "<table><tr><td><table><tr><td>x</td><td>y</td><td>z</td></tr></table></td></tr></table>";
    ScanMarkupTable(nested, 0, nested.size(), &columns, &rows);
    EXPECT_EQ(1, columns);
    EXPECT_EQ(1, rows);
    EXPECT_EQ(nested.size(), MatchingTableEnd(nested, 0, nested.size()));
    const std::string upper = "<TABLE><TR><TD>a</TD></TR></TABLE>";
    ScanMarkupTable(upper, 0, upper.size(), &columns, &rows);
    EXPECT_EQ(0, columns + rows);
    const std::string open = "<table><tr><td>a<td>b<tr><td>c";
    ScanMarkupTable(open, 0, open.size(), &columns, &rows);
    EXPECT_EQ(2, columns);
    EXPECT_EQ(2, rows);

    MarkupAttributes half = ParseMarkupAttributes("width=50%");
    EXPECT_EQ(400, MarkupTableWidth(NULL, half, 0, 200, true));
    EXPECT_EQ(200, MarkupTableWidth(NULL, half, 300, 200, false)) << "never below its content";
    EXPECT_EQ(150, MarkupTableWidth(NULL, half, 300, 100, false));
    EXPECT_EQ(300, MarkupTableWidth(NULL, ParseMarkupAttributes("width=150%"), 0, 200, true));
    EXPECT_EQ(0, MarkupTableWidth(NULL, MarkupAttributes(), 0, 0, true));
    EXPECT_EQ(90, MarkupTableWidth(NULL, MarkupAttributes(), 90, 10, false));
    EXPECT_EQ(20, MarkupTableWidth(NULL, ParseMarkupAttributes("width=0%"), 0, 20, true));
}

TEST_F(MarkupDrawerTest, AnUpperCaseTableIsNoTable)
{
    EXPECT_EQ(Measure("ab").cx, Measure("<TABLE><TR><TD>a</TD><TD>b</TD></TR></TABLE>").cx);
}

TEST_F(MarkupDrawerTest, ColumnsStretchToTheTableWidthWithTheRemainderToTheFirst)
{
    // Cells of 36 and 56 pixels need 40 and 60 with the margins of 2.
    CPicture a(36, 10, Blue), b(56, 10, Red);
    const std::string table = "<table><tr><td>" + a.Tag() + "</td><td>" + b.Tag() + "</td></tr></table>";
    const int y = CFontMetrics(m_canvas, m_bodyHeight).tm.tmHeight + 2 + 5;
    EXPECT_EQ(100 + 2, Measure(table).cx);
    m_drawer.Draw(m_canvas, table, 0, 0, 111, 100);
    EXPECT_EQ(2, m_canvas.FirstX(y, Blue));
    EXPECT_EQ(45 + 2, m_canvas.FirstX(y, Red));
    CCanvas narrow(200, 100);
    m_drawer.Draw(narrow, table, 0, 0, 102, 100);
    EXPECT_EQ(41 + 2, narrow.FirstX(y, Red));
}

TEST_F(MarkupDrawerTest, SpanningCellsSpreadWhatTheyNeedOverTheirColumnsAndRows)
{
    // Needed widths 20 and 30 under a spanning 101: 45 and 56 (remainder to
    // the last column).
    CPicture a(16, 6, Blue), b(26, 6, Red), wide(97, 6, Blue);
    const std::string columns = "<table><tr><td>" + a.Tag() + "</td><td>" + b.Tag() + "</td></tr><tr><td colspan=2>"
                                + wide.Tag() + "</td></tr></table>";
    EXPECT_EQ(101 + 2, Measure(columns).cx);
    const int line = CFontMetrics(m_canvas, m_bodyHeight).tm.tmHeight;
    m_drawer.Draw(m_canvas, columns, 0, 0, 102, 200);
    EXPECT_EQ(45 + 2, m_canvas.FirstX(line + 4, Red));

    // Needed heights 10 and 20 beside a spanning 51: 21 and 30 (remainder
    // to the first row).
    CPicture one(4, 6, Red), two(4, 16, Red), tall(4, 47, Red);
    const std::string rows = "<table><tr><td rowspan=2>" + tall.Tag() + "</td><td>" + one.Tag() + "</td></tr><tr><td>"
                             + two.Tag() + "</td></tr></table>";
    // The flows before and after the table ("<body>", "</body>") are a line
    // each.
    EXPECT_EQ(line + 21 + 30 + line + 2, Measure(rows).cy);
    CCanvas canvas(200, 200);
    m_drawer.Draw(canvas, rows, 0, 0, 17, 200);
    // The second row's picture starts 21 + 2 below the table's top.
    EXPECT_EQ(Red, canvas.At(8 + 2 + 1, line + 2));
    EXPECT_EQ(White, canvas.At(8 + 2 + 1, line + 21 + 1));
    EXPECT_EQ(Red, canvas.At(8 + 2 + 1, line + 21 + 2));
}

TEST_F(MarkupDrawerTest, ContentSitsInsideTheBorderInsetAndMarginsAndTablesTakeTheirWidth)
{
    CPicture a(10, 10, Red);
    m_drawer.Draw(m_canvas, "<table border=1 bordercolor=blue><tr><td>" + a.Tag() + "</td></tr></table>", 0, 0, 100,
                  100);
    const int line = CFontMetrics(m_canvas, m_bodyHeight).tm.tmHeight;
    EXPECT_EQ(Blue, m_canvas.At(0, line + 5)) << "the table's border";
    EXPECT_EQ(Blue, m_canvas.At(1, line + 5)) << "the cell's border inside it";
    EXPECT_EQ(1 + 1 + 2, m_canvas.FirstX(line + 5, Red));

    CPicture content(196, 4, Blue);
    const std::string half = "<table width=50% bgcolor=red><tr><td>" + content.Tag() + "</td></tr></table>";
    EXPECT_EQ(400 + 2, Measure(half).cx);
    CCanvas canvas(400, 100);
    m_drawer.Draw(canvas, half, 0, 0, 301, 100);
    EXPECT_EQ(Red, canvas.At(199, line + 1));
    EXPECT_EQ(White, canvas.At(200, line + 1));
}

TEST_F(MarkupDrawerTest, HostileTextsStayBounded)
{
    std::string nested;
    for (int i = 0; i < 200; ++i)
        nested += "<table><tr><td>";
    nested += "deep";
    const SIZE deep = Measure(nested);
    EXPECT_GT(deep.cy, 0);
    m_drawer.Draw(m_canvas, nested, 0, 0, 400, 300);

    const SIZE spans = Measure("<table><tr><td colspan=99999999 rowspan=99999999>x</td><td>y</td></tr></table>");
    EXPECT_LT(spans.cx, 1000);
    m_drawer.Draw(m_canvas, "<table><tr><td colspan=99999999>x</td></tr><tr><td>a<td>b<td>c</tr></table>", 0, 0,
                  400, 300);

    std::string tags;
    for (int i = 0; i < 20000; ++i)
        tags += "<b><i><font size=+9999>";
    EXPECT_GT(Measure(tags + "x").cx, 2);
    EXPECT_LE(Measure("<br=99999999>").cy, 1025 * 1000);
    EXPECT_LE(Measure("<t=99999999>").cx, 1024 * 32 + 2);
    EXPECT_EQ(2, Measure("<bmp handle=12345>").cx) << "a handle that is no bitmap";
    Measure("<table><tr><td><b>open<table><tr><td><a href=x>x");
}

} // namespace
