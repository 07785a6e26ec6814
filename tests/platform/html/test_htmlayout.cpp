#include "tests/platform/html/html_test_support.h"

#include "platform/html/htmlayout.h"
#include "platform/html/htmlview.h"
#include "tests/platform/html/threatlist_functions.h"

#include <string>
#include <vector>

namespace
{
BOOL CALLBACK KeepFirst(HELEMENT he, LPVOID p)
{
    *static_cast<HELEMENT*>(p) = he;
    return TRUE;
}

BOOL CALLBACK CountAll(HELEMENT, LPVOID n)
{
    ++*static_cast<int*>(n);
    return FALSE;
}

// A window of the layout library's class with a recording callback; the
// window's own messages are seen through a subclass, as a control sees them.
class LayoutWindow
{
public:
    LayoutWindow(int w = 300, int h = 200)
    {
        m_parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
        hwnd = CreateWindowA(HTMLayoutClassNameA(), "", WS_CHILD | WS_VISIBLE, 0, 0, w, h, m_parent,
                             reinterpret_cast<HMENU>(77), nullptr, nullptr);
        HTMLayoutSetCallback(hwnd, Callback, this);
        SetPropA(hwnd, "test", this);
        m_oldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    }
    ~LayoutWindow() { DestroyWindow(m_parent); }

    void Load(const std::string& html)
    {
        ASSERT_TRUE(HTMLayoutLoadHtml(hwnd, reinterpret_cast<const BYTE*>(html.data()), static_cast<UINT>(html.size())));
    }
    HELEMENT Root()
    {
        HELEMENT root = nullptr;
        EXPECT_EQ(HTMLayoutGetRootElement(hwnd, &root), HLDOM_OK);
        return root;
    }
    HELEMENT ById(const char* id)
    {
        HELEMENT found = nullptr;
        std::string selector = std::string("#") + id;
        HTMLayoutSelectElements(Root(), selector.c_str(), KeepFirst, &found);
        return found;
    }
    CHtmlDocument& Document() { return CHtmlView::FromWindow(hwnd)->Document(); }
    void Click(HELEMENT he)
    {
        RECT r;
        ASSERT_TRUE(Document().ElementRect(reinterpret_cast<CHtmlNode*>(he), r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(hwnd, WM_MOUSEMOVE, 0, at);
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }

    HWND hwnd;
    std::vector<UINT> codes;
    std::vector<std::wstring> requested;
    std::vector<std::pair<UINT, std::wstring>> links;
    std::map<std::wstring, std::string> served;  // answered with HTMLayoutDataReady
    bool answerByFields = false;

private:
    static LRESULT CALLBACK Callback(UINT msg, WPARAM, LPARAM lParam, LPVOID param)
    {
        LayoutWindow* self = static_cast<LayoutWindow*>(param);
        EXPECT_EQ(msg, static_cast<UINT>(WM_NOTIFY));
        NMHDR* h = reinterpret_cast<NMHDR*>(lParam);
        EXPECT_EQ(h->hwndFrom, self->hwnd);
        EXPECT_EQ(h->idFrom, 77u);
        self->codes.push_back(h->code);
        if (h->code == HLN_LOAD_DATA)
        {
            NMHL_LOAD_DATA* load = reinterpret_cast<NMHL_LOAD_DATA*>(h);
            self->requested.push_back(load->uri);
            auto it = self->served.find(load->uri);
            if (it != self->served.end())
            {
                if (self->answerByFields)
                {
                    load->outData = const_cast<char*>(it->second.data());
                    load->outDataSize = static_cast<DWORD>(it->second.size());
                }
                else
                    HTMLayoutDataReady(self->hwnd, load->uri, reinterpret_cast<LPBYTE>(const_cast<char*>(it->second.data())),
                                       static_cast<DWORD>(it->second.size()));
            }
        }
        return 0;
    }
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        LayoutWindow* self = static_cast<LayoutWindow*>(GetPropA(hwnd, "test"));
        if (msg == WM_BEHAVIOR_NOTIFY)
        {
            NMHL_HYPERLINK* nm = reinterpret_cast<NMHL_HYPERLINK*>(lParam);
            if (nm->hdr.code == HLN_HYPERLINK)
                self->links.emplace_back(nm->action, nm->href);
        }
        return CallWindowProcA(self->m_oldProc, hwnd, msg, wParam, lParam);
    }

    HWND m_parent;
    WNDPROC m_oldProc;
};

std::string FileBytes(const wchar_t* resourceName)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    std::string narrow(resourceName, resourceName + wcslen(resourceName));
    EXPECT_TRUE(LoadResourceBytes(GetModuleHandle(nullptr), narrow.c_str(), MAKEINTRESOURCEA(2110), &data, &size));
    return std::string(reinterpret_cast<const char*>(data), size);
}
}  // namespace

TEST(HtmlLayoutApi, ElementsByIdInnerHtmlAndStyle)
{
    LayoutWindow w;
    w.Load("<html><body><div id=content>old</div><p id=p class=x>one</p><p class=x>two</p></body></html>");
    HELEMENT content = w.ById("content");
    ASSERT_TRUE(content);
    // A selection stops at the first element the callback keeps.
    int seen = 0;
    EXPECT_EQ(HTMLayoutSelectElements(w.Root(), "p.x", CountAll, &seen), HLDOM_OK);
    EXPECT_EQ(seen, 2);
    HELEMENT first = nullptr;
    EXPECT_EQ(HTMLayoutSelectElements(w.Root(), "p.x", KeepFirst, &first), HLDOM_OK);
    EXPECT_EQ(first, w.ById("p"));
    EXPECT_EQ(HTMLayoutSelectElements(w.Root(), "p..", KeepFirst, &first), HLDOM_INVALID_PARAMETER);

    const char utf8[] = "<b>caf\xC3\xA9</b> &amp; more";
    ASSERT_EQ(HTMLayoutSetElementHtml(content, reinterpret_cast<const BYTE*>(utf8), sizeof(utf8) - 1, SIH_REPLACE_CONTENT), HLDOM_OK);
    EXPECT_EQ(w.Document().InnerHtml(reinterpret_cast<CHtmlNode*>(content)), L"<b>caf\u00E9</b> &amp; more");
    ASSERT_EQ(HTMLayoutSetElementInnerText16(content, L"<plain>", 7), HLDOM_OK);
    EXPECT_EQ(w.Document().InnerHtml(reinterpret_cast<CHtmlNode*>(content)), L"&lt;plain&gt;");
    ASSERT_EQ(HTMLayoutSetElementInnerText16(content, L"", 0), HLDOM_OK);
    EXPECT_EQ(w.Document().InnerHtml(reinterpret_cast<CHtmlNode*>(content)), L"");

    // Style attributes as the view sets them: numbers are pixels.
    HELEMENT root = w.Root();
    EXPECT_EQ(HTMLayoutSetStyleAttribute(root, "width", L"120"), HLDOM_OK);
    EXPECT_EQ(HTMLayoutSetStyleAttribute(root, "height", L"80"), HLDOM_OK);
    EXPECT_EQ(HTMLayoutSetStyleAttribute(root, "overflow", L"auto"), HLDOM_OK);
    EXPECT_EQ(HTMLayoutUpdateElement(root, TRUE), HLDOM_OK);
    RECT r;
    ASSERT_TRUE(w.Document().ElementRect(reinterpret_cast<CHtmlNode*>(root), r));
    EXPECT_RECT(r, 0, 0, 120, 80);
    EXPECT_EQ(reinterpret_cast<CHtmlNode*>(root)->style.overflow, CssOverflow::Auto);
}

TEST(HtmlLayoutApi, UsedElementsOutliveTheirPlaceInThePage)
{
    LayoutWindow w;
    w.Load("<div id=outer><span id=inner>x</span></div>");
    HELEMENT inner = w.ById("inner");
    ASSERT_EQ(HTMLayout_UseElement(inner), HLDOM_OK);
    ASSERT_EQ(HTMLayoutSetElementHtml(w.ById("outer"), reinterpret_cast<const BYTE*>("new"), 3, SIH_REPLACE_CONTENT), HLDOM_OK);
    EXPECT_EQ(w.ById("inner"), nullptr);
    // Still valid, but in no page: changes are refused, selection works.
    EXPECT_EQ(HTMLayoutSetElementHtml(inner, reinterpret_cast<const BYTE*>("y"), 1, SIH_REPLACE_CONTENT), HLDOM_PASSIVE_HANDLE);
    EXPECT_EQ(HTMLayoutUpdateElement(inner, FALSE), HLDOM_PASSIVE_HANDLE);
    EXPECT_EQ(reinterpret_cast<CHtmlNode*>(inner)->tag, "span");
    EXPECT_EQ(HTMLayout_UnuseElement(inner), HLDOM_OK);
    // Null handles and windows of other classes.
    EXPECT_EQ(HTMLayout_UseElement(nullptr), HLDOM_INVALID_HANDLE);
    EXPECT_EQ(HTMLayoutSetStyleAttribute(nullptr, "width", L"1"), HLDOM_INVALID_HANDLE);
    HELEMENT none;
    EXPECT_EQ(HTMLayoutGetRootElement(GetDesktopWindow(), &none), HLDOM_INVALID_HWND);
    EXPECT_FALSE(HTMLayoutLoadHtml(GetDesktopWindow(), reinterpret_cast<const BYTE*>("x"), 1));
}

TEST(HtmlLayoutApi, DataRequestsGoToTheCallbackFirst)
{
    LayoutWindow w;
    std::string checked = FileBytes(L"CHECKED.GIF");
    w.served[L"mine.gif"] = checked;
    w.Load("<img id=a src='mine.gif'><img id=b src='minus.png'><img id=c src='missing.gif'>");
    UpdateWindow(w.hwnd);
    w.Document().UpdateLayout();
    EXPECT_EQ(w.requested, (std::vector<std::wstring>{L"mine.gif", L"minus.png", L"missing.gif"}));
    RECT a, b, c;
    w.Document().ElementRect(reinterpret_cast<CHtmlNode*>(w.ById("a")), a);
    w.Document().ElementRect(reinterpret_cast<CHtmlNode*>(w.ById("b")), b);
    w.Document().ElementRect(reinterpret_cast<CHtmlNode*>(w.ById("c")), c);
    EXPECT_EQ(a.right - a.left, 11);  // from the callback
    EXPECT_EQ(b.right - b.left, 9);   // from the program's resources by the URI's rule
    EXPECT_EQ(c.right - c.left, 0);
    // Loaded, completed and the data notifications, in order.
    EXPECT_EQ(w.codes.front(), static_cast<UINT>(HLN_DOCUMENT_COMPLETE));
    EXPECT_NE(std::find(w.codes.begin(), w.codes.end(), static_cast<UINT>(HLN_DATA_LOADED)), w.codes.end());

    LayoutWindow fields;
    fields.answerByFields = true;
    fields.served[L"mine.gif"] = checked;
    fields.Load("<img id=a src='mine.gif'>");
    fields.Document().UpdateLayout();
    fields.Document().ElementRect(reinterpret_cast<CHtmlNode*>(fields.ById("a")), a);
    EXPECT_EQ(a.right - a.left, 11);
}

TEST(HtmlLayoutApi, ClicksReachLinksAndScriptFunctions)
{
    LayoutWindow w;
    CHtmlView* view = CHtmlView::FromWindow(w.hwnd);
    RegisterThreatListFunctions(view->Script());
    std::vector<std::wstring> calls;
    view->Script().Register(L"Note", [&](CHtmlScriptCall& c) {
        calls.push_back(c.Arg(0).ToString() + L"|" + c.Arg(1).ToString() + L"|" + (c.thisElement ? L"this" : L"-"));
    });
    w.Load("<body style='margin:0'><a id=link href='http://example.test/x'><img width=20 height=20></a>"
           "<img id=box src='unchecked.gif' class=checkbox onclick='ToggleCheckbox(this);'>"
           "<img id=exp src='minus.gif' onclick=\"ToggleLayerVisibility(this, 'details1');\">"
           "<div id=details1 style='display:block'>details</div>"
           "<span id=note onclick=\"Note('a;b', 42); Unknown(1); Note(&quot;x&quot;, true)\">note</span></body>");
    UpdateWindow(w.hwnd);
    w.Click(w.ById("link"));
    ASSERT_EQ(w.links.size(), 2u);  // entered, then clicked
    EXPECT_EQ(w.links[0].first, static_cast<UINT>(HYPERLINK_ENTER));
    EXPECT_EQ(w.links[1].first, static_cast<UINT>(HYPERLINK_CLICK));
    EXPECT_EQ(w.links[1].second, L"http://example.test/x");

    CHtmlNode* box = reinterpret_cast<CHtmlNode*>(w.ById("box"));
    w.Click(w.ById("box"));
    ASSERT_EQ(w.links.size(), 3u);
    EXPECT_EQ(w.links[2].first, static_cast<UINT>(HYPERLINK_LEAVE));
    EXPECT_EQ(*box->Attribute("src"), L"checked.gif");
    w.Click(w.ById("box"));
    EXPECT_EQ(*box->Attribute("src"), L"unchecked.gif");

    w.Click(w.ById("exp"));
    EXPECT_EQ(reinterpret_cast<CHtmlNode*>(w.ById("details1"))->style.display, CssDisplay::None);
    EXPECT_EQ(*reinterpret_cast<CHtmlNode*>(w.ById("exp"))->Attribute("src"), L"plus.gif");

    w.Click(w.ById("note"));
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"a;b|42|this", L"x|true|this"}));
}
