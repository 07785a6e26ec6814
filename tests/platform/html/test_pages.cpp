// The program's own pages in the engine's window, driven the way the pages
// drive them: the threat list through its script functions, the help page's
// system-information list through the element functions.

#include "tests/platform/html/html_test_support.h"

#include "platform/html/htmlayout.h"
#include "platform/html/htmlview.h"
#include "platform/html/utf8stream.h"
#include "platform/html/htmlscriptcaller.h"
#include "tests/platform/html/threatlist_functions.h"

#include <cstdio>
#include <string>

namespace
{
std::string SampleFile(const char* name)
{
    // The samples lie beside this source file.
    std::string here = __FILE__;
    for (char& c : here)
        if (c == '\\')
            c = '/';
    std::string path = "Z:" + here.substr(0, here.find_last_of('/')) + "/data/" + name;
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        text.append(buf, n);
    fclose(f);
    return text;
}

struct PageWindow
{
    explicit PageWindow(int resource, int w = 480, int h = 360)
    {
        hwnd = CreateWindowA(HTMLayoutClassNameA(), "", WS_POPUP, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
        view = CHtmlView::FromWindow(hwnd);
        EXPECT_TRUE(view->LoadUrl(L"res://" + std::to_wstring(resource)));
    }
    ~PageWindow() { DestroyWindow(hwnd); }
    CHtmlDocument& Doc() { return view->Document(); }
    CHtmlNode* ById(const std::wstring& id) { return Doc().GetElementById(id); }
    RECT Rect(const std::wstring& id)
    {
        RECT r = {};
        Doc().ElementRect(ById(id), r);
        return r;
    }

    HWND hwnd;
    CHtmlView* view;
};
}  // namespace

TEST(Pages, ThreatListAnswersItsScriptFunctions)
{
    PageWindow page(158);
    RegisterThreatListFunctions(page.view->Script());
    std::string fragment = SampleFile("threats_sample.html");
    ASSERT_FALSE(fragment.empty());
    ASSERT_EQ(HTMLayoutSetElementHtml(reinterpret_cast<HELEMENT>(page.ById(L"content")),
                                      reinterpret_cast<const BYTE*>(fragment.data()), static_cast<DWORD>(fragment.size()), 0),
              HLDOM_OK);
    IDispatch* document = page.view->DocumentObject();
    CHtmlScriptCaller script;
    script.SetDocument(document);
    auto checked = [&](const char* id) {
        VARIANT v;
        VariantInit(&v);
        bool ok = script.CallScript("GetCheckBoxState", id, &v);
        int state = !ok ? -1 : (V_VT(&v) == VT_BOOL && V_BOOL(&v) == VARIANT_TRUE) ? 1 : 0;
        VariantClear(&v);
        return state;
    };
    EXPECT_EQ(checked("checkbox101"), 1);
    EXPECT_EQ(checked("checkbox103"), 0);
    EXPECT_EQ(checked("checkbox999"), 0);  // no such element: unchecked, no error

    // Removing a threat hides its rows, unchecks it, and moves the next one up.
    RECT first = page.Rect(L"threat101");
    ASSERT_TRUE(script.CallScript("RemoveThreat", "101"));
    EXPECT_EQ(page.ById(L"threat101")->style.display, CssDisplay::None);
    EXPECT_EQ(page.ById(L"details101")->style.display, CssDisplay::None);
    EXPECT_EQ(checked("checkbox101"), 0);
    EXPECT_EQ(page.Rect(L"threat102").top, first.top + 4);  // the emptied cell keeps its padding of 2
    EXPECT_LT(page.Rect(L"threat102").top, first.bottom);

    ASSERT_TRUE(script.CallScript("SetAllCheckboxState", "1"));
    EXPECT_EQ(checked("checkbox103"), 1);
    EXPECT_EQ(checked("checkbox104"), 1);
    ASSERT_TRUE(script.CallScript("SetAllCheckboxState", "0"));
    EXPECT_EQ(checked("checkbox102"), 0);

    // The collapsed threat opens with a click on its expander.
    EXPECT_EQ(page.ById(L"details103")->style.display, CssDisplay::None);
    CHtmlNode* expander = nullptr;
    page.Doc().Select(page.ById(L"threat103"), L"img", [&](CHtmlNode* e) {
        expander = e;
        return true;
    });
    ASSERT_TRUE(expander);
    RECT r;
    ASSERT_TRUE(page.Doc().ElementRect(expander, r));
    LPARAM at = MAKELPARAM(r.left + 2, r.top + 2);
    SendMessageA(page.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(page.hwnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(page.ById(L"details103")->style.display, CssDisplay::Block);
    EXPECT_EQ(*expander->Attribute("src"), L"minus.gif");
    EXPECT_GT(page.Rect(L"details103").bottom - page.Rect(L"details103").top, 21);
    document->Release();
}

TEST(Pages, HelpListFillsItsContentElement)
{
    const int width = 330, height = 120;
    PageWindow page(128, width, height);
    // As the help page's view sizes its root to the window.
    HELEMENT root = nullptr;
    ASSERT_EQ(HTMLayoutGetRootElement(page.hwnd, &root), HLDOM_OK);
    HTMLayoutSetStyleAttribute(root, "width", std::to_wstring(width).c_str());
    HTMLayoutSetStyleAttribute(root, "height", std::to_wstring(height).c_str());
    HTMLayoutSetStyleAttribute(root, "overflow", L"auto");
    std::string rows = "<TABLE id=\"mainTable\" cellspacing=\"0\" cellpadding=\"6\" border=\"0\" width=\"100%\">";
    for (int i = 0; i < 8; ++i)
    {
        std::string text = "Section " + std::to_string(i) + " <&> \xE9";
        ToUtf8Html(text);
        rows += "<TR class=\"outer\"><TD class=\"outer\"><div id =\"" + std::to_string(100 + i) +
                "\" class=\"usual\"><font class=\"eventTitle\">" + text + "</font></div></TD></TR>";
    }
    rows += "</TABLE>";
    ASSERT_EQ(HTMLayoutSetElementHtml(reinterpret_cast<HELEMENT>(page.ById(L"content")),
                                      reinterpret_cast<const BYTE*>(rows.data()), static_cast<DWORD>(rows.size()), 0),
              HLDOM_OK);
    ASSERT_EQ(HTMLayoutUpdateElement(root, TRUE), HLDOM_OK);
    // Eight rows, in order, the text as written; the list scrolls in its root.
    CHtmlNode* row0 = page.ById(L"100");
    CHtmlNode* row7 = page.ById(L"107");
    ASSERT_TRUE(row0 && row7);
    EXPECT_EQ(page.Doc().InnerText(row0), L"Section 0 <&> \u00E9");
    EXPECT_GT(page.Rect(L"107").top, page.Rect(L"100").bottom);
    EXPECT_TRUE(reinterpret_cast<CHtmlNode*>(root)->box.hasScrollBar);
    RECT table = page.Rect(L"mainTable");
    EXPECT_EQ(table.right - table.left, width - kHtmlScrollBarWidth);
    // Rows light up under the mouse.
    EXPECT_EQ(row0->style.background.rgb, RGB(0xF7, 0xF6, 0xF4));
    RECT r = page.Rect(L"100");
    SendMessageA(page.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, r.top + 3));
    EXPECT_EQ(row0->style.background.rgb, RGB(0xE8, 0xE8, 0xE8));
}
