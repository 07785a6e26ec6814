// The browser dialog and the program's base on it: the page from the HTML
// resource, inner HTML exchange, host flags, keys and right clicks, the
// script bridge with its argument order and error texts, and Navigate's
// fallback against a local server answering 200, 404 and never.

#include "tests/foundation/http_test_server.h"

#include <gtest/gtest.h>

#include "platform/html/fileurl.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "platform/html/httprequestthread.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/html/silent_server.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/htmlviews_ids.h"
#include "ui/htmldialogbase.h"
#include "ui/webpagescript.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// What a page built on the base does: the fragment bound to "content", the
// document handed to its script caller when it has loaded.
class CTestListView : public CHtmlDialogBase
{
public:
    explicit CTestListView(CWnd* parent, UINT page = IDR_LAYOUT_PAGE, DWORD hostFlags = 13)
        : CHtmlDialogBase(IDD_HTMLVIEW, page, parent)
    {
        m_dwDialogHostFlags = hostFlags;
        RegisterScriptFunction(L"Join", [this](CHtmlScriptCall& c) {
            std::wstring all;
            for (const CHtmlScriptValue& v : c.args)
                all += (v.kind() == CHtmlScriptValue::Element ? L"<element>" : v.ToString()) + L",";
            joined.push_back(all);
            c.result = CHtmlScriptValue::FromString(all);
        });
    }

    std::vector<CString> completed;
    CString m_html;
    CWebPageScript script;
    std::vector<POINT> menus;
    std::vector<HRESULT> menuAnswers;
    std::vector<std::wstring> joined;
    bool push = true;  // the fragment into each page that loads

    void OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl) override
    {
        CHtmlDialogBase::OnDocumentComplete(pDisp, szUrl);
        completed.push_back(szUrl);
        script.SetDocument(pDisp);
        if (push)
            UpdateData(FALSE);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CHtmlDialogBase::DoDataExchange(pDX);
        DDX_DHtml_ElementInnerHtml(pDX, "content", m_html);
    }
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* a, IDispatch* b) override
    {
        menus.push_back(*ppt);
        menuAnswers.push_back(CHtmlDialogBase::ShowContextMenu(dwID, ppt, a, b));
        return menuAnswers.back();
    }

    CHtmlDocument& Document() { return GetHtmlView()->Document(); }
    std::wstring Text(const wchar_t* id)
    {
        CHtmlNode* e = Document().GetElementById(id);
        return e ? Document().InnerText(e) : L"(none)";
    }
    CRect BodyRect()
    {
        CRect r;
        Document().ElementRect(Document().Body(), r);
        return r;
    }
};

// The framework's browser dialog as it is, and one whose host keeps page
// script from running.
class CPlainBrowser : public CDHtmlDialog
{
public:
    CPlainBrowser(CWnd* parent, bool noScript = false)
        : CDHtmlDialog(IDD_HTMLVIEW, IDR_OTHER_PAGE, parent), m_noScript(noScript)
    {
    }
    std::vector<CString> completed;
    std::vector<HRESULT> menuAnswers;

    void OnDocumentComplete(LPDISPATCH, LPCSTR szUrl) override { completed.push_back(szUrl); }
    BOOL OnAmbientProperty(COleControlSite* site, DISPID id, VARIANT* v) override
    {
        if (m_noScript && id == DISPID_AMBIENT_DLCONTROL)
        {
            V_VT(v) = VT_I4;
            V_I4(v) = DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS;
            return TRUE;
        }
        return CDHtmlDialog::OnAmbientProperty(site, id, v);
    }
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* a, IDispatch* b) override
    {
        menuAnswers.push_back(CDHtmlDialog::ShowContextMenu(dwID, ppt, a, b));
        return menuAnswers.back();
    }

private:
    bool m_noScript;
};

struct Host
{
    Host()
    {
        EXPECT_TRUE(wnd.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 30, 30, 320, 200, nullptr, nullptr));
    }
    CWnd wnd;
};

CString ResourceUrl(UINT id)
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    CString url;
    url.Format("res://%s/%u", module, id);
    return url;
}

// Counts its references, to see what the script bridge keeps.
class CCounted : public IDispatch
{
public:
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
};

// A script object that records how it is called: "Known" answers with the
// counted object, "Failing" fails.
class CFakeScript : public CCounted
{
public:
    CCounted answer;
    std::vector<std::wstring> args;  // rgvarg as Invoke received it
    std::vector<VARTYPE> types;
    LCID nameLocale = 0, callLocale = 1;
    WORD flags = 0;

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        nameLocale = lcid;
        EXPECT_EQ(1u, count);
        ids[0] = wcscmp(names[0], L"Known") == 0 ? 5 : wcscmp(names[0], L"Failing") == 0 ? 6 : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD wFlags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argErr) override
    {
        callLocale = lcid;
        flags = wFlags;
        EXPECT_EQ(UINT(-1), *argErr);
        if (id == 6)
            return E_FAIL;
        args.clear();
        types.clear();
        for (UINT i = 0; i < params->cArgs; ++i)
        {
            types.push_back(V_VT(&params->rgvarg[i]));
            args.push_back(V_BSTR(&params->rgvarg[i]));
        }
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = &answer;
        answer.AddRef();
        return S_OK;
    }
};

// A document whose "Script" property is the fake script (or fails).
class CFakeDocument : public CCounted
{
public:
    CFakeScript script;
    bool fail = false;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        ids[0] = _wcsicmp(names[0], L"Script") == 0 ? 1001 : DISPID_UNKNOWN;
        return ids[0] == 1001 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (fail)
            return E_FAIL;
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = &script;
        script.AddRef();
        return S_OK;
    }
};

CStringArray FirstSecondThird()
{
    CStringArray args;
    args.Add("first");
    args.Add("second");
    args.Add("third");
    return args;
}

void WriteFile(const std::string& path, const std::string& text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

} // namespace

TEST(HtmlDialog, ShowsItsPageAndExchangesInnerHtmlWithTheMembers)
{
    Host host;
    CTestListView view(&host.wnd, IDR_OTHER_PAGE);
    ASSERT_TRUE(view.CreateModeless());
    EXPECT_EQ(host.wnd.m_hWnd, ::GetParent(view.m_hWnd));
    ASSERT_EQ(1u, view.completed.size());
    EXPECT_EQ(ResourceUrl(IDR_OTHER_PAGE), view.completed[0]);
    CString current;
    view.GetCurrentUrl(current);
    EXPECT_EQ(view.completed[0], current);
    IDispatch* doc = nullptr;
    ASSERT_EQ(S_OK, view.GetDHtmlDocument(&doc));
    doc->Release();

    // The view fills the dialog, without the browser's border.
    HWND browser = view.GetBrowserWindow();
    EXPECT_EQ(AFX_IDW_PANE_FIRST, ::GetDlgCtrlID(browser));
    EXPECT_FALSE(::GetWindowLongA(browser, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    CRect client, inner;
    view.GetClientRect(client);
    ::GetClientRect(browser, inner);
    EXPECT_EQ(client, inner);
    view.SetWindowPos(nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(browser, inner);
    EXPECT_EQ(CRect(0, 0, 250, 150), inner);

    // The document-complete handler pushed the (empty) fragment in.
    EXPECT_EQ(L"", view.Text(L"content"));
    view.m_html = "<b>Adware</b> <i>&amp;</i> more";
    view.UpdateData(FALSE);
    EXPECT_EQ(L"<b>Adware</b> <i>&amp;</i> more", view.Document().InnerHtml(view.Document().GetElementById(L"content")));
    EXPECT_EQ(L"Adware & more", view.Text(L"content"));
    view.Document().SetHtml(view.Document().GetElementById(L"content"), L"changed <u>here</u>", kReplaceContent);
    view.UpdateData(TRUE);
    EXPECT_STREQ("changed <u>here</u>", view.m_html);

    // No scroll bar with the base's flags, even for a tall page; a page that
    // drops DOCHOSTUIFLAG_SCROLL_NO keeps it.
    CString tall;
    for (int i = 0; i < 40; ++i)
        tall.AppendFormat("<div>row %d</div>", i);
    view.m_html = tall;
    view.UpdateData(FALSE);
    const int margins = 2 * 8;
    EXPECT_EQ(250 - margins, view.BodyRect().Width());
    CTestListView list(&host.wnd, IDR_OTHER_PAGE, DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER);
    list.m_html = tall;
    ASSERT_TRUE(list.CreateModeless());
    CRect listClient;
    list.GetClientRect(listClient);
    EXPECT_EQ(listClient.Width() - margins - kHtmlScrollBarWidth, list.BodyRect().Width());

    // The framework's own default has the border; without a resource it
    // shows the empty page.
    CPlainBrowser plain(&host.wnd);
    ASSERT_TRUE(plain.Create(IDD_HTMLVIEW, &host.wnd));
    EXPECT_TRUE(::GetWindowLongA(plain.GetBrowserWindow(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ((std::vector<CString>{ResourceUrl(IDR_OTHER_PAGE)}), plain.completed);
    CDHtmlDialog blank(IDD_HTMLVIEW, 0, &host.wnd);
    ASSERT_TRUE(blank.Create(IDD_HTMLVIEW, &host.wnd));
    blank.GetCurrentUrl(current);
    EXPECT_STREQ("about:blank", current);
    EXPECT_FALSE(blank.LoadFromResource(9999u));
    EXPECT_STREQ(L"", blank.GetHtmlView()->Document().InnerText(blank.GetHtmlView()->Document().Body()).c_str());
}

TEST(WebPageScript, ArgumentsGoInLastFirstAndFailuresAreKeptAsTexts)
{
    CFakeDocument document;
    CWebPageScript script;
    EXPECT_TRUE(script.SetDocument(&document));
    const CStringArray args = FirstSecondThird();
    VARIANT result;
    VariantInit(&result);
    ASSERT_TRUE(script.CallScriptArgs("Known", args, &result));
    EXPECT_EQ((std::vector<std::wstring>{L"third", L"second", L"first"}), document.script.args);
    EXPECT_EQ((std::vector<VARTYPE>{VT_BSTR, VT_BSTR, VT_BSTR}), document.script.types);
    EXPECT_EQ(LCID(LOCALE_SYSTEM_DEFAULT), document.script.nameLocale);
    EXPECT_EQ(LCID(0), document.script.callLocale);
    EXPECT_EQ(WORD(DISPATCH_METHOD), document.script.flags);
    // The caller holds a copy; the call's own result was let go.
    ASSERT_EQ(VT_DISPATCH, V_VT(&result));
    EXPECT_EQ(&document.script.answer, V_DISPATCH(&result));
    EXPECT_EQ(2, document.script.answer.refs);
    VariantClear(&result);
    EXPECT_EQ(1, document.script.answer.refs);
    ASSERT_TRUE(script.CallScript("Known", "only"));
    EXPECT_EQ((std::vector<std::wstring>{L"only"}), document.script.args);
    EXPECT_EQ(1, document.script.answer.refs);
    EXPECT_EQ(1, document.script.refs);  // the script object is not kept either
    EXPECT_EQ(1, document.refs);         // nor is the document counted

    // Failures, each with its text.
    EXPECT_FALSE(script.CallScript("Missing", "x"));
    EXPECT_STREQ("JSCall Error:\n" + CWebPageScript::FormatErrorText(DISP_E_UNKNOWNNAME), script.GetLastError());
    EXPECT_FALSE(script.CallScript("Failing", "x"));
    EXPECT_STREQ("JSCall Error:\n" + CWebPageScript::FormatErrorText(E_FAIL), script.GetLastError());
    EXPECT_STRNE("FormatMessage Netive Error", CWebPageScript::FormatErrorText(E_FAIL));
    EXPECT_STREQ("FormatMessage Netive Error", CWebPageScript::FormatErrorText(static_cast<HRESULT>(0x2FFF1234)));
    document.fail = true;
    EXPECT_FALSE(script.CallScript("Known", "x"));
    EXPECT_STREQ("JSCall Error:\nCannot GetScript", script.GetLastError());
    CWebPageScript none;
    IDispatch* object = reinterpret_cast<IDispatch*>(1);
    EXPECT_FALSE(none.GetScript(&object));
    EXPECT_EQ(nullptr, object);
    EXPECT_STREQ("JSCall Error:\nNULL pointer", none.GetLastError());
    EXPECT_FALSE(none.CallScript("Known", "x"));
    EXPECT_STREQ("JSCall Error:\nCannot GetScript", none.GetLastError());
    none.SetError("own words");
    EXPECT_STREQ("JSCall Error:\nown words", none.GetLastError());
}

TEST(WebPageScript, CallsAndClicksReachThePagesFunctionsUnlessTheHostForbidsScript)
{
    Host host;
    CTestListView view(&host.wnd);
    ASSERT_TRUE(view.CreateModeless());
    const CStringArray args = FirstSecondThird();
    VARIANT result;
    VariantInit(&result);
    ASSERT_TRUE(view.script.CallScriptArgs("Join", args, &result));
    ASSERT_EQ(VT_BSTR, V_VT(&result));
    EXPECT_STREQ(L"first,second,third,", V_BSTR(&result));
    VariantClear(&result);
    EXPECT_FALSE(view.script.CallScript("NoSuchFunction", "x"));
    EXPECT_STREQ("JSCall Error:\n" + CWebPageScript::FormatErrorText(DISP_E_UNKNOWNNAME), view.script.GetLastError());

    // A click on an element whose handler calls the page's functions.
    view.RegisterScriptFunction(L"Clicked", [&](CHtmlScriptCall& c) {
        view.joined.push_back(L"clicked " + c.Arg(0).ToString());
    });
    view.m_html = "<span id=\"hit\" onclick=\"Clicked('row 1'); Join(this, 2)\">remove</span>";
    view.UpdateData(FALSE);
    view.joined.clear();
    CRect r;
    ASSERT_TRUE(view.Document().ElementRect(view.Document().GetElementById(L"hit"), r));
    LPARAM at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
    ::SendMessageA(view.GetBrowserWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(view.GetBrowserWindow(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ((std::vector<std::wstring>{L"clicked row 1", L"<element>,2,"}), view.joined);

    // The base's download control keeps script on; a host that turns it off
    // gets neither calls nor handlers.
    VARIANT dl;
    VariantInit(&dl);
    EXPECT_TRUE(view.OnAmbientProperty(nullptr, DISPID_AMBIENT_DLCONTROL, &dl));
    EXPECT_EQ(VT_I4, V_VT(&dl));
    EXPECT_EQ(0x70, V_I4(&dl));
    VariantInit(&dl);
    EXPECT_FALSE(view.OnAmbientProperty(nullptr, DISPID_AMBIENT_USERAGENT, &dl));
    EXPECT_EQ(VT_EMPTY, V_VT(&dl));

    CPlainBrowser quiet(&host.wnd, true);
    int calls = 0;
    quiet.RegisterScriptFunction(L"Clicked", [&](CHtmlScriptCall&) { ++calls; });
    ASSERT_TRUE(quiet.Create(IDD_HTMLVIEW, &host.wnd));
    IDispatch* doc = nullptr;
    ASSERT_EQ(S_OK, quiet.GetDHtmlDocument(&doc));
    CWebPageScript script;
    script.SetDocument(doc);
    EXPECT_FALSE(script.CallScript("Clicked", "x"));
    EXPECT_STREQ("JSCall Error:\n" + CWebPageScript::FormatErrorText(E_ACCESSDENIED), script.GetLastError());
    CHtmlDocument& page = quiet.GetHtmlView()->Document();
    page.SetHtml(page.Body(), L"<span id=hit onclick=\"Clicked()\">x</span>", kReplaceContent);
    ASSERT_TRUE(page.ElementRect(page.GetElementById(L"hit"), r));
    at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
    ::SendMessageA(quiet.GetBrowserWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(quiet.GetBrowserWindow(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(0, calls);
    quiet.DestroyWindow();
    // The document outlives the window for callers that still hold it, also
    // when the window is made anew with a document of its own.
    EXPECT_FALSE(script.CallScript("Clicked", "x"));
    doc->Release();
    ASSERT_TRUE(quiet.Create(IDD_HTMLVIEW, &host.wnd));
    EXPECT_FALSE(script.CallScript("Clicked", "x"));
    IDispatch* fresh = nullptr;
    ASSERT_EQ(S_OK, quiet.GetDHtmlDocument(&fresh));
    EXPECT_NE(doc, fresh);
    fresh->Release();
}

TEST(HtmlDialog, KeysAndRightClicksGoToTheHostFirst)
{
    Host host;
    CPlainBrowser plain(&host.wnd);
    ASSERT_TRUE(plain.Create(IDD_HTMLVIEW, &host.wnd));
    CTestListView view(&host.wnd, IDR_OTHER_PAGE, DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER);
    for (int i = 0; i < 40; ++i)
        view.m_html.AppendFormat("<div>row %d</div>", i);
    ASSERT_TRUE(view.CreateModeless());
    view.BodyRect();  // laid out: the page is taller than the view

    // F5: the browser reloads its page, the program's pages do not.
    ::PostMessageA(plain.GetBrowserWindow(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_TRUE(PumpUntil([&] { return plain.completed.size() == 2; }));
    EXPECT_EQ(ResourceUrl(IDR_OTHER_PAGE), plain.completed[1]);
    ::PostMessageA(view.GetBrowserWindow(), WM_KEYDOWN, VK_F5, 0);
    PumpPending();
    EXPECT_EQ(1u, view.completed.size());
    // Other keys reach the page.
    ::PostMessageA(view.GetBrowserWindow(), WM_KEYDOWN, VK_DOWN, 0);
    PumpPending();
    EXPECT_EQ(16, view.Document().ViewportScroll());

    // A right click asks the host; the program's pages show no menu.
    POINT at = {12, 14};
    ::SendMessageA(view.GetBrowserWindow(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ::ClientToScreen(view.GetBrowserWindow(), &at);
    ASSERT_EQ(1u, view.menus.size());
    EXPECT_EQ(at.x, view.menus[0].x);
    EXPECT_EQ(at.y, view.menus[0].y);
    EXPECT_EQ(S_OK, view.menuAnswers[0]);
    ::SendMessageA(plain.GetBrowserWindow(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ((std::vector<HRESULT>{S_FALSE}), plain.menuAnswers);
}

TEST(HtmlDialog, NavigateFallsBackToTheLocalFileThenToTheResource)
{
    HttpTestServer server;
    SilentServer silent;
    std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
    TempFolder folder;
    std::string local = folder.File("my news #1.html");
    WriteFile(local, "<html><body><div id=\"content\">local copy</div></body></html>");
    Host host;
    CTestListView view(&host.wnd, IDR_OTHER_PAGE);
    view.push = false;
    view.SetLocalFile(local.c_str());
    ASSERT_TRUE(view.CreateModeless());
    ASSERT_EQ(1u, view.completed.size());
    EXPECT_EQ(ResourceUrl(IDR_OTHER_PAGE), view.completed[0]);
    const CString file = FileUrlFromPath(local).c_str();
    EXPECT_EQ(std::string::npos, std::string(file).find_first_of(" #"));

    // 200: the live page, fetched on a worker and shown when it arrives.
    DWORD start = GetTickCount();
    EXPECT_TRUE(view.Navigate((base + "/ok").c_str()));
    EXPECT_LT(GetTickCount() - start, 2500u);
    ASSERT_TRUE(PumpUntil([&] { return view.completed.size() == 2; }, 10000));
    EXPECT_EQ(CString((base + "/ok").c_str()), view.completed[1]);
    EXPECT_EQ(std::wstring(base.begin(), base.end()) + L"/ok", view.Document().Url());

    // 404: the local copy at once.
    start = GetTickCount();
    EXPECT_FALSE(view.Navigate((base + "/missing").c_str()));
    EXPECT_LT(GetTickCount() - start, 2500u);
    ASSERT_EQ(3u, view.completed.size());
    EXPECT_EQ(file, view.completed[2]);
    EXPECT_EQ(L"local copy", view.Text(L"content"));

    // No answer: the local copy after the time allowed. The check's worker
    // still waits, with state of its own.
    const LONG pending = HttpRequestThread::PendingRequests();
    start = GetTickCount();
    EXPECT_FALSE(view.Navigate(silent.url.c_str()));
    DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, CHtmlDialogBase::kAddressCheckMs - 100);
    EXPECT_LT(spent, CHtmlDialogBase::kAddressCheckMs + 3000);
    ASSERT_EQ(4u, view.completed.size());
    EXPECT_EQ(file, view.completed[3]);
    EXPECT_EQ(pending + 1, HttpRequestThread::PendingRequests());
    silent.Close();
    EXPECT_TRUE(PumpUntil([&] { return HttpRequestThread::PendingRequests() == pending; }, 10000));

    // An address the internet functions do not take: at once.
    start = GetTickCount();
    EXPECT_FALSE(view.Navigate("127.0.0.1/ok"));
    EXPECT_LT(GetTickCount() - start, 2500u);
    EXPECT_EQ(5u, view.completed.size());

    // The live page again, then no network and no local copy: the page's
    // own resource, not the live page as if it were current.
    ASSERT_TRUE(view.Navigate((base + "/ok").c_str()));
    ASSERT_TRUE(PumpUntil([&] { return view.completed.size() == 6; }, 10000));
    ASSERT_TRUE(DeleteFileA(local.c_str()));
    EXPECT_FALSE(view.Navigate((base + "/missing").c_str()));
    ASSERT_EQ(7u, view.completed.size());
    EXPECT_EQ(ResourceUrl(IDR_OTHER_PAGE), view.completed[6]);
    EXPECT_EQ(L"other page", view.Text(L"content"));

    // Without a local file the resource serves as well.
    CTestListView plain(&host.wnd, IDR_LAYOUT_PAGE);
    ASSERT_TRUE(plain.CreateModeless());
    plain.m_html = "changed";
    plain.UpdateData(FALSE);
    EXPECT_FALSE(plain.Navigate((base + "/missing").c_str()));
    ASSERT_EQ(2u, plain.completed.size());
    EXPECT_EQ(ResourceUrl(IDR_LAYOUT_PAGE), plain.completed[1]);
}

TEST(HtmlDialog, WebPagesArriveLaterAndOnlyTheLatestIsShown)
{
    HttpTestServer server;
    std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
    Host host;
    CPlainBrowser browser(&host.wnd);
    ASSERT_TRUE(browser.Create(IDD_HTMLVIEW, &host.wnd));

    // Navigate returns before the page is there; a newer address replaces
    // the one on its way.
    browser.Navigate((base + "/paced").c_str());
    EXPECT_EQ(1u, browser.completed.size());
    browser.Navigate((base + "/ok").c_str());
    ASSERT_TRUE(PumpUntil([&] { return browser.completed.size() == 2; }, 10000));
    EXPECT_EQ(CString((base + "/ok").c_str()), browser.completed[1]);
    PumpUntil([&] { return server.Requests().size() >= 2 && browser.completed.size() > 2; }, 1500);
    EXPECT_EQ(2u, browser.completed.size());
    CString current;
    browser.GetCurrentUrl(current);
    EXPECT_EQ(CString((base + "/ok").c_str()), current);

    // A dialog that goes while its page is on the way leaves the fetch its
    // state; the answer finds nothing to show.
    std::unique_ptr<CPlainBrowser> brief(new CPlainBrowser(&host.wnd));
    ASSERT_TRUE(brief->Create(IDD_HTMLVIEW, &host.wnd));
    brief->Navigate((base + "/paced").c_str());
    brief.reset();
    size_t before = server.Requests().size();
    PumpUntil([&] { return server.Requests().size() > before; }, 3000);
    PumpUntil([] { return false; }, 500);
    EXPECT_TRUE(::IsWindow(host.wnd.m_hWnd));
}
