// Times the HTML engine on a threat-list-like page of 10,000 rows (expander
// image, check box image, text), in the engine's window:
//   1. parse, lay out and paint the first screen of the whole page;
//   2. set the inner HTML of one row and repaint.
// Not part of the test suite; on the i686 build:
//   cmake --build build --target html_bench && scripts/wine-run build/html_bench.exe

#include "platform/html/htmlayout.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "tests/bench/benchclock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
std::string Row(int id, const char* name, bool checked)
{
    char buf[1024];
    snprintf(buf, sizeof(buf),
             "<tr><td><table id=\"threat%d\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\">\n <tr>\n"
             " \t<td><img src=\"plus.gif\" onclick=\"ToggleLayerVisibility(this, 'details%d');\" height=\"9\" width=\"9\"></td>\n"
             " \t<td><img src=\"%s\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" class=\"checkbox\" id=\"checkbox%d\"></td>\n"
             " \t<td ><b></b>%s %d</td>\n </tr>\n </table>\n <div id=\"details%d\" style=\"display:none\">\n</div>\n</td></tr>",
             id, id, checked ? "checked.gif" : "unchecked.gif", id, name, id, id);
    return buf;
}

}  // namespace

int main()
{
    const int rows = 10000;
    static const char* names[] = {"Adware.BargainBar", "Tracking.Cookie.Statz", "Hijacker.SearchPage", "Trojan.Downloader.Qoob"};
    std::string page =
        "<html><head><style>body { font-family: Tahoma, Verdana; background-color: white; }"
        "table.threatName { font-size: 11px; }</style></head><body><form><div id=\"content\">"
        "<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\n";
    for (int i = 0; i < rows; ++i)
        page += Row(i, names[i % 4], i % 3 != 0);
    page += "</table></div></form></body></html>";

    HWND view = CreateWindowA(HTMLayoutClassNameA(), "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> load, change;
    for (int round = 0; round < 5; ++round)
    {
        double t0 = NowMilliseconds();
        HTMLayoutLoadHtml(view, reinterpret_cast<const BYTE*>(page.data()), static_cast<UINT>(page.size()));
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        load.push_back(NowMilliseconds() - t0);

        CHtmlView* html = CHtmlView::FromWindow(view);
        for (int k = 0; k < 5; ++k)
        {
            // A row on the first screen, as the list changes one threat.
            CHtmlNode* row = html->Document().GetElementById(L"threat" + std::to_wstring(3 + k));
            std::string markup = Row(3 + k, "Changed.Threat.Name", k % 2 == 0);
            double t1 = NowMilliseconds();
            HTMLayoutSetElementHtml(reinterpret_cast<HELEMENT>(row->parent), reinterpret_cast<const BYTE*>(markup.data()),
                                    static_cast<DWORD>(markup.size()), SIH_REPLACE_CONTENT);
            HELEMENT root = nullptr;
            HTMLayoutGetRootElement(view, &root);
            HTMLayoutUpdateElement(root, TRUE);
            change.push_back(NowMilliseconds() - t1);
        }
    }
    printf("html_bench: %d rows, %zu bytes of HTML\n", rows, page.size());
    printf("  parse, lay out and paint the first screen: %.1f ms (median of %zu, best %.1f)\n", Median(load), load.size(),
           *std::min_element(load.begin(), load.end()));
    printf("  set one row's inner HTML and repaint:      %.2f ms (median of %zu, best %.2f)\n", Median(change), change.size(),
           *std::min_element(change.begin(), change.end()));
    DestroyWindow(view);
    return 0;
}
