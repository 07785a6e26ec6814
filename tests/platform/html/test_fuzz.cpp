#include "tests/platform/html/html_test_support.h"

#include "platform/html/htmlparser.h"

#include <string>

namespace
{
// A small generator of hostile markup: fragments of real tags and styles,
// broken in every way, so the parser, styles, layout and painting meet
// everything at once.
class Fuzzer
{
public:
    explicit Fuzzer(unsigned seed) : m_seed(seed) {}

    unsigned Next()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return m_seed >> 8;
    }

    std::wstring Markup(size_t pieces)
    {
        static const wchar_t* parts[] = {
            L"<table", L"<tr>", L"<td colspan=999999>", L"</td>", L"<td width=100%>", L"</table>", L"<div style='",
            L"width:-5px;", L"height:1e9px;", L"margin:auto;", L"display:table-cell;", L"display:inline-block;",
            L"overflow:scroll;", L"font-size:0;", L"font:bold 999px x;", L"border:100px solid;", L"'>", L"</div>",
            L"<img src=checked.gif width=", L"99999", L"<img src=", L">", L"<b><i></b></i>", L"<p>", L"<li>",
            L"&#xFFFFFFFF;", L"&#0;", L"&amp", L"&", L"<", L"</", L"<!--", L"-->", L"<script>", L"</script>",
            L"<style>", L"div{width:50%} td:hover{background:url(x.gif)} a>b c{display:none}", L"</style>",
            L"<br>", L"<nobr>", L"text with words ", L"\t\n ", L"<input type=checkbox checked>", L"<a href=x>",
            L"<span onclick=\"F(this,'", L"\">", L"<pre>", L"\u00E9\xD83D", L"<tbody>", L"<hr>", L"=", L"'", L"\"",
            L"<div style=\"white-space:pre\">a\n\nb", L"<td rowspan=2 valign=bottom>", L"<font size=+9 color=#zzz>",
        };
        std::wstring out;
        for (size_t i = 0; i < pieces; ++i)
        {
            unsigned r = Next();
            if (r % 17 == 0)
                out += static_cast<wchar_t>(Next() % 0xFFFF + 1);
            else
                out += parts[r % (sizeof(parts) / sizeof(parts[0]))];
        }
        return out;
    }

private:
    unsigned m_seed;
};

void Exercise(TestPage& page, Fuzzer& f)
{
    page.document.SetViewport(static_cast<int>(f.Next() % 600), static_cast<int>(f.Next() % 400));
    page.document.UpdateLayout();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT clip = {0, 0, 64, 64};
    page.document.Paint(dc, clip);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    for (int k = 0; k < 5; ++k)
    {
        int x = static_cast<int>(f.Next() % 600), y = static_cast<int>(f.Next() % 400);
        page.document.MouseMove(x, y);
        page.document.MouseDown(x, y);
        page.document.MouseUp(x, y);
        page.document.MouseWheel(-WHEEL_DELTA, x, y);
    }
}
}  // namespace

TEST(HtmlFuzz, AnyMarkupParsesLaysOutAndPaints)
{
    Fuzzer f(20260101);
    TestPage page;
    page.script.Register(L"F", [](CHtmlScriptCall& c) {
        if (c.thisElement)
            c.document->SetHtml(c.thisElement, L"<b>changed</b>", kReplaceElement);
    });
    DWORD start = GetTickCount();
    for (int round = 0; round < 1000; ++round)
    {
        page.Load(f.Markup(f.Next() % 400));
        Exercise(page, f);
        // Changes in the middle of such a page.
        std::vector<CHtmlNode*> all;
        page.document.Select(page.document.Root(), L"*", [&](CHtmlNode* e) {
            all.push_back(e);
            return false;
        });
        if (!all.empty())
        {
            CHtmlNode* e = all[f.Next() % all.size()];
            page.document.SetStyleProperty(e, "display", (f.Next() & 1) ? L"none" : L"block");
            page.document.SetHtml(e, f.Markup(20), static_cast<int>(f.Next() % 6));
            Exercise(page, f);
        }
    }
    // Bounded time: well under what any of this would take if something ran away.
    EXPECT_LT(GetTickCount() - start, 120000u);
}

TEST(HtmlFuzz, DeepAndWideInputStaysBounded)
{
    TestPage page;
    std::wstring deep;
    for (int i = 0; i < 100000; ++i)
        deep += (i % 3 == 0) ? L"<table><tr><td>" : (i % 3 == 1) ? L"<div style='padding:1px'>" : L"<span><b>";
    DWORD start = GetTickCount();
    page.Load(deep);
    Fuzzer f(7);
    Exercise(page, f);
    EXPECT_LT(GetTickCount() - start, 60000u);
    // The tree kept every element, at a bounded depth.
    size_t nodes = page.document.Root()->CountNodes();
    EXPECT_GT(nodes, 100000u);

    // Megabytes of unclosed tags, quotes and references.
    std::wstring wide(2000000, L'<');
    for (size_t i = 0; i < wide.size(); i += 7)
        wide[i] = (i % 2) ? L'"' : L'&';
    start = GetTickCount();
    page.Load(wide);
    page.document.UpdateLayout();
    EXPECT_LT(GetTickCount() - start, 60000u);
}
