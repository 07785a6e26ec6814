// The threat list: its fragment byte for byte (order, check boxes, every
// item group, collapsed and expanded), names from the machine escaped, the
// page's functions reached by clicks and by the program's calls, and a
// failing engine read.

#include "pages/threatlistview.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "resources/pages/resultsids.h"
#include "tests/pages/result_page_support.h"

namespace {

const char kStart[] = "<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\n";

std::string Row(const char* icon, const char* text)
{
    return std::string("<tr>\n \t<td width=\"10\"><img src=\"white.gif\" width=\"10\" height=\"1\"></td>\n"
                       " \t<td width=\"21\"><img src=\"") + icon + "\" width=\"21\" height=\"21\"></td>\n"
                       " \t<td><nobr>" + text + "</nobr></td>\n </tr>\n";
}

const std::string kGroupStart = "<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\" class=\"itemsTable\">\n";

// Known threat 12 first, though second in the collection: checked, every
// group in order (guarded registry with registry, cookies with files);
// then the unknown threat 7 with its hosts and the empty threat 9.
const std::string kCollapsed =
    std::string(kStart) +
    "<tr><td><table id=\"threat12\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\" >\n <tr>\n"
    " \t<td><img src=\"plus.gif\" onclick=\"ToggleLayerVisibility(this, 'details12');\" height=\"9\" width=\"9\"></td>\n"
    " \t<td><img src=\"checked.gif\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" "
    "class=\"checkbox\" id=\"checkbox12\"></td>\n \t<td><b></b>Adware.Bar</td>\n </tr>\n </table>\n"
    " <div id=\"details12\" style=\"display:none\">\n" +
    kGroupStart + Row("process.gif", "C:\\<wbr>bar.exe") + "</table>\n" +
    kGroupStart + Row("registry.gif", "[HKEY_CURRENT_USER\\<wbr>Software\\<wbr>Bar]") +
    Row("registry.gif", "[HKEY_LOCAL_MACHINE\\<wbr>Software\\<wbr>Main]") + "</table>\n" +
    kGroupStart + Row("files.gif", "C:\\<wbr>bar.dll") + Row("files.gif", "bar@ads.example") + "</table>\n" +
    "</div>\n</td></tr>"
    "<tr><td><table id=\"threat7\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\">\n <tr>\n"
    " \t<td><img src=\"plus.gif\" onclick=\"ToggleLayerVisibility(this, 'details7');\" height=\"9\" width=\"9\"></td>\n"
    " \t<td><img src=\"unchecked.gif\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" "
    "class=\"checkbox\" id=\"checkbox7\"></td>\n \t<td ><b></b>Hijacker</td>\n </tr>\n </table>\n"
    " <div id=\"details7\" style=\"display:none\">\n" +
    kGroupStart + Row("hosts.gif", "ads.example [127.0.0.1]") + "</table>\n" +
    "</div>\n</td></tr>"
    "<tr><td><table id=\"threat9\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\">\n <tr>\n"
    " \t<td><img src=\"plus.gif\" onclick=\"ToggleLayerVisibility(this, 'details9');\" height=\"9\" width=\"9\"></td>\n"
    " \t<td><img src=\"unchecked.gif\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" "
    "class=\"checkbox\" id=\"checkbox9\"></td>\n \t<td ><b></b>Empty</td>\n </tr>\n </table>\n"
    " <div id=\"details9\" style=\"display:none\">\n</div>\n</td></tr></table>";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

CComPtr<IThreatCollection> SampleCollection()
{
    return MakeCollection({MakeThreat(7, L"Hijacker", {MakeItem(saHosts, L"ads.example", L"127.0.0.1", false)}),
                       MakeThreat(12, L"Adware.Bar",
                              {MakeItem(saProcesses, L"C:\\bar.exe"),
                               MakeItem(saRegistry, L"Software\\Bar", L"Run", true, HKEY_CURRENT_USER),
                               MakeItem(saQuickDisk, L"C:\\bar.dll"),
                               MakeItem(saGuardedRegistry, L"Software\\Main", L"Start Page", false, HKEY_LOCAL_MACHINE),
                               MakeItem(saCookies, L"bar@ads.example")}),
                       MakeThreat(9, L"Empty", {})});
}

class ThreatListTest : public ::testing::Test
{
protected:
    ThreatListTest() : list(IDD_THREAT_LIST, IDR_THREAT_LIST, &parent) { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ThreatListTest() override { list.DestroyWindow(); parent.DestroyWindow(); CoUninitialize(); }

    void Open()
    {
        CreatePopup(parent, nullptr, WS_POPUP | WS_VISIBLE);
        ASSERT_TRUE(list.CreateModeless());
        list.SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    CHtmlDocument& Page() { return list.GetHtmlView()->Document(); }
    CHtmlNode* Element(const std::wstring& id) { return Page().GetElementById(id); }
    // A click on the element, as the mouse gives it.
    void Click(CHtmlNode* element)
    {
        RECT r;
        ASSERT_TRUE(Page().ElementRect(element, r));
        const LPARAM at = MAKELPARAM(r.left + 2, r.top + 2);
        ::SendMessageA(list.GetBrowserWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(list.GetBrowserWindow(), WM_LBUTTONUP, 0, at);
    }
    bool Hidden(const std::wstring& id) { return Element(id)->style.display == CssDisplay::None; }

    CWnd parent;
    CThreatListView list;
};

}  // namespace

TEST_F(ThreatListTest, FragmentIsByteExactKnownFirstInEveryGroupCollapsedAndExpanded)
{
    list.BuildHtml(MakeCollection({}), FALSE, 1);
    EXPECT_STREQ("<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\n</table>", list.GetHtml());
    EXPECT_FALSE(list.HasUnknownItem());

    CComPtr<IThreatCollection> threats = SampleCollection();
    list.BuildHtml(threats, FALSE, 1);
    EXPECT_EQ(kCollapsed, std::string(list.GetHtml()));
    EXPECT_TRUE(list.HasUnknownItem());
    std::string expanded = Replace(Replace(kCollapsed, "display:none", "display:block"), "plus.gif", "minus.gif");
    list.BuildHtml(threats, FALSE, 0);
    EXPECT_EQ(expanded, std::string(list.GetHtml()));

    // Unknown items the user ignores are no reason for the help link.
    for (ULONG id : {7u, 12u})
    {
        CComPtr<IThreat> threat;
        threats->Lookup(id, &threat);
        LONG n = 0;
        threat->get_Count(&n);
        for (LONG j = 0; j < n; ++j)
        {
            CComPtr<ISearchItem> item;
            threat->get_Item(j, &item);
            item->put_Ignore(1);
        }
    }
    list.BuildHtml(threats, FALSE, 1);
    EXPECT_FALSE(list.HasUnknownItem());

    // A failing read leaves the list as it was; nothing leaks past the call.
    EXPECT_THROW(list.BuildHtml(MakeCollection({MakeBrokenThreat()}), FALSE, 1), _com_error);
    EXPECT_EQ(kCollapsed, std::string(list.GetHtml()));
}

TEST_F(ThreatListTest, NamesFromTheMachineAreShownAsTheyAreAndNeverReadAsMarkup)
{
    const std::wstring name = L"<img src=x onerror=Remove()>&\"'<script>";
    const std::wstring unicode = L"Caf\u00e9 \U0001F600 \xD800!";
    list.BuildHtml(MakeCollection({MakeThreat(1, name, {MakeItem(saFullDisk, unicode),
                                                MakeItem(saHosts, L"a\"><b>x", L"1.2.3.4&amp;")})}),
                   FALSE, 0);
    const std::string html(list.GetHtml());
    EXPECT_NE(std::string::npos,
              html.find("<b></b>&lt;img src=x onerror=Remove()&gt;&amp;&quot;&#39;&lt;script&gt;</td>"));
    EXPECT_NE(std::string::npos, html.find("<nobr>Caf&#233; &#128512; &#65533;!</nobr>"));
    EXPECT_NE(std::string::npos, html.find("<nobr>a&quot;&gt;&lt;b&gt;x [1.2.3.4&amp;amp;]</nobr>"));

    Open();
    CHtmlNode* header = Element(L"threat1");
    ASSERT_TRUE(header);
    std::vector<CHtmlNode*> cells;
    Page().Select(header, L"td", [&](CHtmlNode* e) { return cells.push_back(e), false; });
    ASSERT_EQ(3u, cells.size());
    EXPECT_EQ(name, Page().InnerText(cells[2]));
    EXPECT_NE(std::wstring::npos, Page().InnerText(Element(L"details1")).find(L"Caf\u00e9 \U0001F600 \xFFFD!"));
    EXPECT_NE(std::wstring::npos, Page().InnerText(Element(L"details1")).find(L"a\"><b>x [1.2.3.4&amp;]"));
    int images = 0, scripts = 0;
    Page().Select(Page().Root(), L"img", [&](CHtmlNode*) { return ++images, false; });
    Page().Select(Page().Root(), L"script", [&](CHtmlNode*) { return ++scripts, false; });
    EXPECT_EQ(2 + 2 * 2, images);  // expander and check box; indent and icon of each item
    EXPECT_EQ(0, scripts);
}

TEST_F(ThreatListTest, LongPathsBreakAfterBackslashesAndShowWholeWithinTheList)
{
    const std::wstring path = L"C:\\Documents and Settings\\Administrator\\Local Settings\\Application Data\\"
                              L"Bargain Bar\\Toolbar\\Components\\bbhelper.dll";
    list.BuildHtml(MakeCollection({MakeThreat(3, L"Adware\\Bar", {MakeItem(saQuickDisk, path),
                                                                     MakeItem(saQuickDisk, L"C:\\x.dll")})}),
                   FALSE, 0);
    const std::string html(list.GetHtml());
    EXPECT_NE(std::string::npos, html.find("<nobr>C:\\<wbr>Documents and Settings\\<wbr>Administrator\\<wbr>"));
    EXPECT_NE(std::string::npos, html.find("<b></b>Adware\\Bar</td>"));  // names are no paths

    Open();
    std::vector<CHtmlNode*> texts;
    Page().Select(Element(L"details3"), L"nobr", [&](CHtmlNode* e) { return texts.push_back(e), false; });
    ASSERT_EQ(2u, texts.size());
    RECT view, longText, shortText;
    ::GetClientRect(list.GetBrowserWindow(), &view);
    ASSERT_TRUE(Page().ElementRect(texts[0], longText));
    ASSERT_TRUE(Page().ElementRect(texts[1], shortText));
    EXPECT_LE(longText.right, view.right);
    EXPECT_GE(longText.bottom - longText.top, 2 * (shortText.bottom - shortText.top));
    EXPECT_EQ(path, Page().InnerText(texts[0]));
}

TEST_F(ThreatListTest, CheckBoxesAndExpandersAnswerClicksAndTheProgramsCalls)
{
    EXPECT_EQ(-1, list.GetCheckBoxState(12));  // no page yet
    EXPECT_EQ(0, list.GetScriptError().Find("JSCall Error:\n"));
    list.BuildHtml(SampleCollection(), FALSE, 1);
    Open();  // the fragment built before shows once the page has loaded
    EXPECT_EQ(1, list.GetCheckBoxState(12));
    EXPECT_EQ(0, list.GetCheckBoxState(7));
    EXPECT_EQ(0, list.GetCheckBoxState(404));

    Click(Element(L"checkbox7"));
    EXPECT_EQ(1, list.GetCheckBoxState(7));
    Click(Element(L"checkbox12"));
    EXPECT_EQ(0, list.GetCheckBoxState(12));
    CHtmlNode* expander = nullptr;
    Page().Select(Element(L"threat7"), L"img", [&](CHtmlNode* e) { return expander = e, true; });
    ASSERT_TRUE(expander);
    Click(expander);
    EXPECT_FALSE(Hidden(L"details7"));
    EXPECT_EQ(L"minus.gif", *expander->Attribute("src"));
    Click(expander);
    EXPECT_TRUE(Hidden(L"details7"));
    EXPECT_EQ(L"plus.gif", *expander->Attribute("src"));

    EXPECT_TRUE(list.RemoveThreat(7));
    EXPECT_TRUE(Hidden(L"threat7"));
    EXPECT_TRUE(Hidden(L"details7"));
    EXPECT_EQ(0, list.GetCheckBoxState(7));
    // Select All leaves a removed threat out.
    list.SetAllCheckboxState(TRUE);
    EXPECT_EQ(1, list.GetCheckBoxState(12));
    EXPECT_EQ(1, list.GetCheckBoxState(9));
    EXPECT_EQ(0, list.GetCheckBoxState(7));
    list.SetAllCheckboxState(FALSE);
    EXPECT_EQ(0, list.GetCheckBoxState(12));

    list.Clear();
    EXPECT_EQ(L"", Page().InnerHtml(Element(L"content")));
    EXPECT_FALSE(list.HasUnknownItem());
    EXPECT_EQ(0, list.GetCheckBoxState(9));
}
