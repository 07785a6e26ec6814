// The HTML layout control, its view and element wrapper over the engine:
// pages from resources, the data the page asks for, notifications by code,
// links and clicks, elements by id, inner HTML and style with re-layout, and
// the behaviour registry.

#include <gtest/gtest.h>

#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/htmlviews_ids.h"
#include "ui/htmlayoutview.h"
#include "ui/htmlbehavior.h"
#include "ui/htmlelement.h"
#include "ui/toutf8html.h"

#include <string>
#include <vector>

namespace {

// The parent: every WM_NOTIFY it gets, and the control's documents as its
// handler sees them.
class CHostWnd : public CWnd
{
public:
    struct Notice
    {
        WPARAM wParam;
        UINT code;
        HWND from;
    };
    std::vector<Notice> notices;
    int completed = 0;
    LRESULT answer = 0;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
        notices.push_back({wParam, h->code, h->hwndFrom});
        if (CWnd::OnNotify(wParam, lParam, pResult))
            return TRUE;
        *pResult = answer;
        return TRUE;
    }

protected:
    afx_msg void OnDocumentComplete(NMHDR*, LRESULT* result)
    {
        ++completed;
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostWnd, CWnd)
    ON_NOTIFY(HLN_DOCUMENT_COMPLETE, IDC_HTML, OnDocumentComplete)
END_MESSAGE_MAP()

// The control with its handlers recorded.
class CSpyLayoutCtrl : public CHTMLayoutView
{
public:
    explicit CSpyLayoutCtrl(CWnd* parent, UINT page = IDR_LAYOUT_PAGE) : CHTMLayoutView(IDC_HTML, page, parent) {}

    using CHTMLayoutCtrl::OnHtmlLayoutNotify;
    CallLog log;
    std::vector<std::pair<std::wstring, LRESULT>> loads;

    LRESULT Notify(UINT code, LPARAM extra = 0)
    {
        struct
        {
            NMHDR hdr;
            LPARAM extra;
        } nm = {{m_hWnd, IDC_HTML, code}, extra};
        return OnHtmlLayoutNotify(WM_NOTIFY, IDC_HTML, reinterpret_cast<LPARAM>(&nm));
    }

protected:
    LRESULT OnNotifyB00(NMHDR*) override { return Note("B00"); }
    LRESULT OnNotifyB02(NMHDR*) override { return Note("B02"); }
    LRESULT OnNotifyB03(NMHDR*) override { return Note("B03"); }
    LRESULT OnNotifyB04(NMHDR*) override { return Note("B04"); }
    LRESULT OnNotifyB06(NMHDR*) override { return Note("B06"); }
    LRESULT OnBehaviorCode1(NMHDR*) override { return Note("code1"); }
    LRESULT OnHyperlinkAction1(NMHL_HYPERLINK*) override { return Note("enter"); }
    LRESULT OnHyperlinkAction2(NMHL_HYPERLINK*) override { return Note("leave"); }
    LRESULT OnLoadData(NMHL_LOAD_DATA* nm) override
    {
        LRESULT r = CHTMLayoutCtrl::OnLoadData(nm);
        loads.emplace_back(nm->uri ? nm->uri : L"(null)", r);
        return r;
    }

private:
    LRESULT Note(const char* what)
    {
        log.push_back(what);
        return 0x50;
    }
};

struct ShellCall
{
    HWND hwnd;
    std::string verb, file;
    bool noParameters, noDirectory;
    INT show;
};
std::vector<ShellCall> g_shell;

HINSTANCE WINAPI RecordShellExecute(HWND hwnd, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    g_shell.push_back({hwnd, verb ? verb : "", file ? file : "", params == nullptr, dir == nullptr, show});
    return reinterpret_cast<HINSTANCE>(2);  // "file not found": the control answers 0 anyway
}

// Replaces the shell for one test.
struct ShellSeam
{
    ShellSeam()
    {
        g_shell.clear();
        old = CHTMLayoutCtrl::SetShellExecute(RecordShellExecute);
    }
    ~ShellSeam() { CHTMLayoutCtrl::SetShellExecute(old); }
    CHTMLayoutCtrl::SHELLEXECUTEPROC old;
};

struct LayoutFixture
{
    LayoutFixture(UINT page = IDR_LAYOUT_PAGE, int width = 300, int height = 200) : html(&host, page)
    {
        EXPECT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 20, 20, width + 20, height + 20, nullptr, nullptr));
        EXPECT_TRUE(html.CreateChild(CRect(0, 0, width, height)));
        html.ShowWindow(SW_SHOW);
    }
    CHtmlDocument& Document() { return CHtmlView::FromWindow(html.m_hWnd)->Document(); }
    CHtmlNode* Node(HELEMENT he) { return reinterpret_cast<CHtmlNode*>(he); }
    HELEMENT ById(LPCSTR id)
    {
        CHtmlElement root(CHtmlElement::GetRootElement(html.m_hWnd));
        return root.GetElementById(id);
    }
    CRect Rect(LPCSTR id)
    {
        CRect r(-1, -1, -1, -1);
        EXPECT_TRUE(Document().ElementRect(Node(ById(id)), r)) << id;
        return r;
    }
    // The control's picture, drawn as its window would be.
    void PaintInto(MemoryCanvas& canvas) { html.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc.m_hDC), PRF_CLIENT); }
    void Click(const CRect& r)
    {
        LPARAM at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
        html.SendMessage(WM_MOUSEMOVE, 0, at);
        html.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        html.SendMessage(WM_LBUTTONUP, 0, at);
    }

    CHostWnd host;
    CSpyLayoutCtrl html;
};

std::wstring IdOf(const CHtmlNode* node)
{
    const std::wstring* id = node ? node->Attribute("id") : nullptr;
    return id ? *id : std::wstring();
}

std::string Bytes(const CString& s)
{
    return std::string(s.GetString(), s.GetLength());
}

class CTestBehavior : public CHtmlBehavior
{
public:
    CTestBehavior(LPCSTR name) : CHtmlBehavior(HandleMouse | HandleSize, name) {}
    CallLog log;
    std::vector<HELEMENT> attached;
    void Attached(HELEMENT he) override { attached.push_back(he); }
    void Detached(HELEMENT) override { log.push_back("detached"); }
    BOOL OnMouse(HELEMENT, LPVOID) override { return Note("mouse"); }
    BOOL OnKey(HELEMENT, LPVOID) override { return Note("key"); }
    BOOL OnFocus(HELEMENT, LPVOID) override { return Note("focus"); }
    void OnSize(HELEMENT) override { Note("size"); }
    BOOL OnDraw(HELEMENT, LPVOID) override { return Note("draw"); }
    BOOL OnMethodCall(HELEMENT, LPVOID) override { return Note("method"); }
    BOOL OnEvent(HELEMENT, LPVOID) override { return Note("event"); }
    BOOL OnDataArrived(HELEMENT, LPVOID) override { return Note("data"); }
    BOOL OnTimer(HELEMENT) override { return Note("timer"); }

private:
    BOOL Note(const char* what)
    {
        log.push_back(what);
        return 7;
    }
};

} // namespace

TEST(HtmlLayoutCtrl, ShowsItsResourcePageWithPicturesFromTheResources)
{
    LayoutFixture f;
    EXPECT_EQ(&f.html, CWnd::FromHandlePermanent(f.html.m_hWnd));
    EXPECT_TRUE(f.html.IsKindOf(RUNTIME_CLASS(CHTMLayoutCtrl)));
    char name[64] = {};
    ::GetClassNameA(f.html.m_hWnd, name, sizeof(name));
    EXPECT_STREQ(HTMLayoutClassNameA(), name);
    EXPECT_EQ(DWORD(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | WS_VISIBLE), f.html.GetStyle());
    EXPECT_EQ(IDC_HTML, f.html.GetDlgCtrlID());

    // The document-complete notice reached the parent's handler; the
    // picture the page names, asked for when the page is laid out, came from
    // the resource "minus" of type "PNG".
    EXPECT_EQ(1, f.host.completed);
    MemoryCanvas canvas(300, 200);
    f.PaintInto(canvas);
    ASSERT_EQ(1u, f.html.loads.size());
    EXPECT_EQ(L"minus.png", f.html.loads[0].first);
    EXPECT_EQ(0, f.html.loads[0].second);
    EXPECT_EQ((CallLog{"B03"}), f.html.log);  // the data-loaded notice

    // The root fills the client area and scrolls its own content.
    CRect root;
    ASSERT_TRUE(f.Document().ElementRect(f.Document().Root(), root));
    EXPECT_EQ(CRect(0, 0, 300, 200), root);

    CRect box = f.Rect("box");
    EXPECT_EQ(CRect(0, 16, 100, 36), box);
    EXPECT_EQ(100 * 20, canvas.Count(box, RGB(255, 0, 0)));
    CRect pic = f.Rect("pic");
    EXPECT_EQ(9, pic.Width());
    EXPECT_LT(canvas.Count(pic, RGB(255, 255, 255)), 81);  // the picture is drawn

    // Other pages, other modules.
    EXPECT_FALSE(f.html.LoadHtmlResource(9999));
    EXPECT_FALSE(f.html.LoadHtmlResource(IDR_LAYOUT_PAGE, ::GetModuleHandleA("kernel32.dll")));
    EXPECT_EQ(1, f.host.completed);
    EXPECT_TRUE(f.html.LoadHtmlResource(IDR_OTHER_PAGE));
    EXPECT_EQ(2, f.host.completed);
    EXPECT_EQ(0, f.ById("box"));

    CHTMLayoutCtrl plain;
    CHostWnd parent;
    ASSERT_TRUE(CreatePopup(parent));
    ASSERT_TRUE(plain.CreateWithExStyle(WS_EX_CLIENTEDGE, WS_VISIBLE, CRect(0, 0, 50, 50), &parent, 5));
    EXPECT_TRUE(plain.GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(plain.CreateControl(WS_VISIBLE, CRect(0, 0, 50, 50), &parent, 6));  // one window per object
}

TEST(HtmlLayoutCtrl, DataRequestsAreAnsweredFromTheProgramsResources)
{
    LayoutFixture f;
    HWND hwnd = f.html.m_hWnd;
    EXPECT_EQ(1, CHTMLayoutCtrl::OnLoadHtmlResource(hwnd, nullptr));
    EXPECT_EQ(1, CHTMLayoutCtrl::OnLoadHtmlResource(hwnd, L""));
    EXPECT_EQ(0, CHTMLayoutCtrl::OnLoadHtmlResource(hwnd, L"plus.png"));
    EXPECT_EQ(0, CHTMLayoutCtrl::OnLoadHtmlResource(hwnd, L"nosuch.png"));  // the library goes on by itself
    EXPECT_EQ(1, CHTMLayoutCtrl::OnLoadHtmlResource(hwnd, L"empty.png"));   // found, nothing to read

    // A picture that is no resource of the control's kind ("checked" of type
    // "GIF") is found by the library itself (the browser's resource type).
    MemoryCanvas canvas(300, 200);
    f.PaintInto(canvas);
    f.html.loads.clear();
    const char html[] = "<img id=c src='checked.gif'><img id=n src='nosuch.png'>";
    CHtmlElement content(f.ById("content"));
    ASSERT_EQ(HLDOM_OK, content.SetHtml(reinterpret_cast<const BYTE*>(html), sizeof(html) - 1, SIH_REPLACE_CONTENT));
    content.Update(true);
    ASSERT_EQ(2u, f.html.loads.size());
    EXPECT_EQ(0, f.html.loads[0].second);
    EXPECT_EQ(0, f.html.loads[1].second);
    EXPECT_EQ(11, f.Rect("c").Width());  // the check box picture's own size
}

TEST(HtmlLayoutCtrl, NotificationsGoToTheirHandlersOrTheParent)
{
    LayoutFixture f;
    f.html.log.clear();
    EXPECT_EQ(0x50, f.html.Notify(0xB00));
    EXPECT_EQ(0x50, f.html.Notify(0xB02));
    EXPECT_EQ(0x50, f.html.Notify(0xB03));
    EXPECT_EQ(0x50, f.html.Notify(0xB04));
    EXPECT_EQ(0x50, f.html.Notify(0xB06));
    EXPECT_EQ((CallLog{"B00", "B02", "B03", "B04", "B06"}), f.html.log);

    // 0xB05 and unknown codes reach the parent as they are, with its answer.
    f.host.notices.clear();
    f.host.answer = 77;
    int completed = f.host.completed;
    EXPECT_EQ(0, f.html.Notify(HLN_DOCUMENT_COMPLETE));  // handled by the parent's map: 0
    EXPECT_EQ(completed + 1, f.host.completed);
    EXPECT_EQ(77, f.html.Notify(0x1234));
    ASSERT_EQ(2u, f.host.notices.size());
    EXPECT_EQ(WPARAM(IDC_HTML), f.host.notices[1].wParam);
    EXPECT_EQ(0x1234u, f.host.notices[1].code);
    EXPECT_EQ(f.html.m_hWnd, f.host.notices[1].from);

    // An attach request for a behaviour nobody registered stays untouched.
    NMHL_ATTACH_BEHAVIOR attach = {{f.html.m_hWnd, IDC_HTML, HLN_ATTACH_BEHAVIOR}, f.ById("served"), "nobody", nullptr,
                                   nullptr, 0x1234};
    EXPECT_EQ(0, f.html.OnHtmlLayoutNotify(WM_NOTIFY, IDC_HTML, reinterpret_cast<LPARAM>(&attach)));
    EXPECT_EQ(nullptr, attach.elementProc);
    EXPECT_EQ(nullptr, attach.elementTag);
    EXPECT_EQ(0x1234u, attach.elementEvents);
    EXPECT_EQ(0, f.html.OnHtmlLayoutNotify(WM_NOTIFY, 0, 0));  // no notification at all
}

TEST(HtmlLayoutCtrl, LinksOpenThroughTheShellAndOtherBehaviourNoticesAreLeft)
{
    ShellSeam shell;
    LayoutFixture f;
    f.html.log.clear();
    const WPARAM self = reinterpret_cast<WPARAM>(f.html.m_hWnd);
    NMHL_HYPERLINK nm = {};
    nm.hdr = {f.html.m_hWnd, IDC_HTML, HLN_HYPERLINK};
    nm.action = HYPERLINK_CLICK;
    lstrcpyW(nm.href, L"http://help.invalid/a b?x=1");
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm)));
    ASSERT_EQ(1u, g_shell.size());
    EXPECT_EQ(f.html.m_hWnd, g_shell[0].hwnd);
    EXPECT_EQ("open", g_shell[0].verb);
    EXPECT_EQ("http://help.invalid/a b?x=1", g_shell[0].file);
    EXPECT_TRUE(g_shell[0].noParameters && g_shell[0].noDirectory);
    EXPECT_EQ(SW_SHOW, g_shell[0].show);

    nm.action = HYPERLINK_ENTER;
    f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm));
    nm.action = HYPERLINK_LEAVE;
    f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm));
    nm.action = 9;
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm)));
    nm.hdr.code = HLN_BEHAVIOR_ATTACHED;
    EXPECT_EQ(0x50, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm)));
    nm.hdr.code = 7;
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm)));
    EXPECT_EQ((CallLog{"enter", "leave", "code1"}), f.html.log);

    // The same number is also WM_USER + 100 (the program's own
    // WM_QUARANTINE_DONE): anything else under it is no notice of the
    // control's, and its lParam is not read.
    nm.hdr.code = HLN_HYPERLINK;
    nm.action = HYPERLINK_CLICK;
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)));
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, 1, 2));
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, 0));
    nm.hdr.hwndFrom = f.host.m_hWnd;
    EXPECT_EQ(0, f.html.SendMessage(WM_BEHAVIOR_NOTIFY, self, reinterpret_cast<LPARAM>(&nm)));
    EXPECT_EQ(1u, g_shell.size());

    // A real click on the page's link.
    f.Click(f.Rect("link"));
    ASSERT_EQ(2u, g_shell.size());
    EXPECT_EQ("http://help.invalid/first page", g_shell[1].file);
}

TEST(HtmlLayoutCtrl, ClicksReachTheScriptFunctionsOfThePage)
{
    LayoutFixture f;
    std::vector<std::wstring> calls;
    CHtmlView::FromWindow(f.html.m_hWnd)->Script().Register(L"Clicked", [&](CHtmlScriptCall& c) {
        std::wstring line;
        for (const CHtmlScriptValue& v : c.args)
            line += (v.kind() == CHtmlScriptValue::Element ? L"<" + IdOf(v.ToElement()) + L">" : v.ToString()) + L" ";
        calls.push_back(line);
    });
    f.Click(f.Rect("clicker"));
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(L"one two <clicker> ", calls[0]);
    EXPECT_EQ(L"again ", calls[1]);

    // Through the system's input, as a user clicks.
    calls.clear();
    f.host.SetForegroundWindow();
    CRect r = f.Rect("clicker");
    CPoint at = r.CenterPoint();
    f.html.ClientToScreen(&at);
    ClickAt(at);
    EXPECT_TRUE(PumpUntil([&] { return calls.size() == 2; }));
}

TEST(HtmlElement, FindsElementsSetsInnerHtmlAndStyleAndLaysOutAgain)
{
    LayoutFixture f;
    CHtmlElement root(CHtmlElement::GetRootElement(f.html.m_hWnd));
    ASSERT_NE(nullptr, root.GetHandle());
    CHtmlElement content(root.GetElementById("content"));
    ASSERT_NE(nullptr, content.GetHandle());
    EXPECT_EQ(L"content", IdOf(f.Node(content.GetHandle())));
    EXPECT_EQ(nullptr, root.GetElementById("nosuch"));
    EXPECT_EQ(nullptr, root.GetElementById(nullptr));

    // The help page's way: escaped UTF-8 rows into "content", then the root
    // updated at once.
    CString row("Caf\xE9 <Pro> & \"Home\"");
    ToUtf8Html(row);
    EXPECT_EQ("Caf\xC3\xA9 &lt;Pro&gt; &amp; &quot;Home&quot;", Bytes(row));
    CString html;
    html.Format("<table id=\"t\"><tr><td>%s</td></tr></table>", row.GetString());
    ASSERT_EQ(HLDOM_OK, content.SetHtml(reinterpret_cast<const BYTE*>(html.GetString()), html.GetLength(), SIH_REPLACE_CONTENT));
    ASSERT_EQ(HLDOM_OK, root.Update(true));
    EXPECT_EQ(L"<table id=\"t\"><tr><td>Caf\u00E9 &lt;Pro&gt; &amp; \"Home\"</td></tr></table>",
              f.Document().InnerHtml(f.Node(content.GetHandle())));
    CHtmlElement table(root.GetElementById("t"));
    EXPECT_NE(nullptr, table.GetHandle());

    // A length of 0 clears the element.
    ASSERT_EQ(HLDOM_OK, content.SetHtml(reinterpret_cast<const BYTE*>("<b>x</b>"), 0, SIH_REPLACE_CONTENT));
    EXPECT_EQ(L"", f.Document().InnerHtml(f.Node(content.GetHandle())));
    // The table is out of the page; the wrapper's use keeps its handle safe.
    EXPECT_EQ(HLDOM_PASSIVE_HANDLE, table.SetStyleAttribute("width", L"10px"));
    table.Release();
    EXPECT_EQ(nullptr, table.GetHandle());
    EXPECT_EQ(HLDOM_INVALID_HANDLE, table.Update(true));
    CHtmlElement none(nullptr);
    EXPECT_EQ(nullptr, none.GetHandle());
    EXPECT_EQ(nullptr, none.GetElementById("content"));

    // A style change moves what follows.
    CHtmlElement box(root.GetElementById("box"));
    CRect link = f.Rect("link");
    ASSERT_EQ(HLDOM_OK, box.SetStyleAttribute("height", L"50px"));
    ASSERT_EQ(HLDOM_OK, box.SetStyleAttribute("width", L"150"));
    box.Update(true);
    EXPECT_EQ(CRect(0, 16, 150, 66), f.Rect("box"));
    EXPECT_EQ(link.top + 30, f.Rect("link").top);
    MemoryCanvas canvas(300, 200);
    f.PaintInto(canvas);
    EXPECT_EQ(150 * 50, canvas.Count(f.Rect("box"), RGB(255, 0, 0)));

    // An id is cut to 255 characters in the selector.
    std::string id(255, 'a');
    std::string page = "<span id='" + id + "'>long</span>";
    content.SetHtml(reinterpret_cast<const BYTE*>(page.data()), static_cast<DWORD>(page.size()), SIH_REPLACE_CONTENT);
    std::string longer = id + std::string(45, 'b');
    HELEMENT found = root.GetElementById(longer.c_str());
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(L"long", f.Document().InnerText(f.Node(found)));
}

TEST(HtmlElement, TheHelpPagesListGrowsAndScrollsInsideItsRoot)
{
    // The system-information list: the view over a rectangle of the page,
    // rows written into "content" as the help page writes them.
    LayoutFixture f(128, 240, 120);
    CHtmlElement root(CHtmlElement::GetRootElement(f.html.m_hWnd));
    CHtmlElement content(root.GetElementById("content"));
    CString markup("<TABLE id=\"mainTable\" cellspacing=\"0\" cellpadding=\"6\" border=\"0\" width=\"100%\">");
    for (int i = 0; i < 20; ++i)
        markup.AppendFormat("<TR class=\"outer\"><TD class=\"outer\"><div id =\"%d\" class=\"usual\">"
                            "<font class=\"eventTitle\">Row %d</font></div></TD></TR>", 1000 + i, i);
    markup += "</TABLE>";
    ASSERT_EQ(HLDOM_OK, content.SetHtml(reinterpret_cast<const BYTE*>(markup.GetString()), markup.GetLength(), 0));
    root.Update(true);
    CRect table = f.Rect("mainTable");
    EXPECT_GT(table.Height(), 120);  // taller than the view: the root scrolls it
    CRect first = f.Rect("1000");
    EXPECT_LT(table.Width(), 240);   // beside the root's scroll bar
    EXPECT_GE(table.Width(), 240 - 20);
    // The wheel scrolls the root's content, not the window.
    f.html.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3)), MAKELPARAM(40, 40));
    EXPECT_LT(f.Rect("1000").top, first.top);
}

TEST(HtmlBehavior, RegisteredBehavioursServeTheElementsThatNameThem)
{
    CTestBehavior tester("tester");
    CTestBehavior other("other");
    EXPECT_EQ(&other, CHtmlBehavior::GetListHead());
    EXPECT_EQ(&tester, other.Next());  // the earlier one stays in the list
    EXPECT_EQ(&tester, CHtmlBehavior::Find("tester", nullptr));
    EXPECT_EQ(nullptr, CHtmlBehavior::Find("Tester", nullptr));  // case counts
    EXPECT_EQ(nullptr, CHtmlBehavior::Find(nullptr, nullptr));

    LayoutFixture f;
    ASSERT_EQ(1u, tester.attached.size());
    EXPECT_EQ(L"served", IdOf(f.Node(tester.attached[0])));
    EXPECT_TRUE(other.attached.empty());

    // The element procedure by event group, as the library calls it.
    INITIALIZATION_PARAMS detach = {BEHAVIOR_DETACH}, unknown = {5};
    HELEMENT he = tester.attached[0];
    EXPECT_EQ(TRUE, CHtmlBehavior::ElementProc(&tester, he, 0, &detach));
    EXPECT_EQ(TRUE, CHtmlBehavior::ElementProc(&tester, he, 0, &unknown));
    int params = 0;
    for (UINT group : {1u, 2u, 4u, 16u, 64u, 128u, 256u, 512u})
        EXPECT_EQ(7, CHtmlBehavior::ElementProc(&tester, he, group, &params)) << group;
    EXPECT_EQ(FALSE, CHtmlBehavior::ElementProc(&tester, he, 32, &params));
    EXPECT_EQ(FALSE, CHtmlBehavior::ElementProc(&tester, he, 8, &params));
    EXPECT_EQ(FALSE, CHtmlBehavior::ElementProc(nullptr, he, 1, &params));
    EXPECT_EQ((CallLog{"detached", "mouse", "key", "focus", "timer", "draw", "data", "event", "method", "size"}),
              tester.log);
    {
        CTestBehavior brief("brief");
        EXPECT_EQ(&brief, CHtmlBehavior::Find("brief", nullptr));
    }
    // A behaviour that is gone is not found any more, and the list holds.
    EXPECT_EQ(nullptr, CHtmlBehavior::Find("brief", nullptr));
    EXPECT_EQ(&tester, CHtmlBehavior::Find("tester", nullptr));
}
