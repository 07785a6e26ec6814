#include "tests/platform/html/html_test_support.h"

#include "platform/html/fileurl.h"
#include "platform/html/htmlayout.h"
#include "platform/html/htmlview.h"
#include "platform/html/httprequestthread.h"
#include "platform/html/htmlscriptcaller.h"
#include "tests/foundation/http_test_server.h"
#include "tests/platform/html/silent_server.h"

#include <memory>

namespace
{
// The script object the browser dialog's document hands out, with functions
// that record what they were given.
struct ScriptedPage
{
    ScriptedPage()
    {
        page.Load(L"<img id=checkbox7 src='checked.gif'>");
        host = &page.script;
        host->Register(L"Join", [this](CHtmlScriptCall& c) {
            std::wstring all;
            for (const CHtmlScriptValue& v : c.args)
                all += v.ToString() + L",";
            calls.push_back(all);
            c.result = CHtmlScriptValue::FromString(all);
        });
        host->Register(L"IsSet", [](CHtmlScriptCall& c) {
            CHtmlNode* e = c.document->GetElementById(c.Arg(0).ToString());
            c.result = CHtmlScriptValue::FromBool(e && e->Attribute("src") && *e->Attribute("src") == L"checked.gif");
        });
        document = CreateHtmlDocumentObject(host);
    }
    ~ScriptedPage() { document->Release(); }

    TestPage page;
    CHtmlScriptHost* host;
    IDispatch* document;
    std::vector<std::wstring> calls;
};
}  // namespace

TEST(BrowserScript, CallsReachNativeFunctionsInArgumentOrder)
{
    ScriptedPage p;
    CHtmlScriptCaller script;
    ASSERT_TRUE(script.SetDocument(p.document));
    VARIANT result;
    VariantInit(&result);
    ASSERT_TRUE(script.CallScriptArgs("Join", {"first", "second", "third"}, &result));
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], L"first,second,third,");
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&result), L"first,second,third,");
    VariantClear(&result);

    ASSERT_TRUE(script.CallScript("IsSet", "checkbox7", &result));
    ASSERT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    ASSERT_TRUE(script.CallScript("IsSet", "checkbox8", &result));
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_TRUE(script.CallScript("Join", "no result wanted"));
}

TEST(BrowserScript, ErrorTexts)
{
    CHtmlScriptCaller script;
    EXPECT_FALSE(script.CallScript("Join", "x"));
    EXPECT_EQ(script.LastError(), "JSCall Error:\nCannot GetScript");
    IDispatch* none = nullptr;
    EXPECT_FALSE(script.GetScript(&none));
    EXPECT_EQ(script.LastError(), "JSCall Error:\nNULL pointer");

    ScriptedPage p;
    script.SetDocument(p.document);
    EXPECT_FALSE(script.CallScript("NoSuchFunction", "x"));
    EXPECT_EQ(script.LastError(), "JSCall Error:\n" + CHtmlScriptCaller::FormatErrorText(DISP_E_UNKNOWNNAME));
    std::string system = CHtmlScriptCaller::FormatErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(system, "FormatMessage Netive Error");
    EXPECT_FALSE(system.empty());
    EXPECT_EQ(CHtmlScriptCaller::FormatErrorText(static_cast<HRESULT>(0x2FFF1234)), "FormatMessage Netive Error");

    // A script object kept past its page answers, but runs nothing.
    std::unique_ptr<CHtmlScriptHost> host(new CHtmlScriptHost());
    host->Register(L"F", [](CHtmlScriptCall&) {});
    IDispatch* kept = host->Dispatch();
    host.reset();
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(kept->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), E_UNEXPECTED);
    kept->Release();
}

TEST(BrowserScript, HandlerTextsCallFunctionsWithThisAndLiterals)
{
    TestPage page;
    page.Load(L"<span id=s>x</span>");
    std::vector<std::wstring> seen;
    page.script.Register(L"F", [&](CHtmlScriptCall& c) {
        std::wstring line;
        for (const CHtmlScriptValue& v : c.args)
            line += (v.kind() == CHtmlScriptValue::Element ? L"<" + std::wstring(v.ToElement()->tag.begin(), v.ToElement()->tag.end()) + L">"
                                                             : v.ToString()) + L" ";
        seen.push_back(line);
    });
    CHtmlNode* s = page.ById(L"s");
    EXPECT_EQ(page.script.RunHandler(s, L"javascript:F(this, 'it''s', \"q\\\"t\", -2.5, false, null);return false;"), 1);
    EXPECT_EQ(page.script.RunHandler(s, L"F('a');; G(1); F( 'b' , 7 )"), 2);
    EXPECT_EQ(page.script.RunHandler(s, L"F('unterminated"), 0);
    EXPECT_EQ(page.script.RunHandler(s, L"F(1"), 0);
    EXPECT_EQ(page.script.RunHandler(s, L"F(x ;y); F('after')"), 1);  // ran away once: no progress on ';'
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3], L"after ");
    seen.pop_back();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], L"<span> it s q\"t -2.5 false  ");
    EXPECT_EQ(seen[1], L"a ");
    EXPECT_EQ(seen[2], L"b 7 ");
}

TEST(BrowserScript, FileUrlEscapesWhatWouldBreakIt)
{
    EXPECT_EQ(FileUrlFromPath("X:\\My Pages\\a b\\news.html"), "file://X:\\My%20Pages\\a%20b\\news.html");
    EXPECT_EQ(FileUrlFromPath("C:\\100% #1\\n.html"), "file://C:\\100%25%20%231\\n.html");
    EXPECT_EQ(PathFromFileUrl(L"file://C:\\100%25%20%231\\n.html"), L"C:\\100% #1\\n.html");
    EXPECT_EQ(PathFromFileUrl(L"file:///C:/a%20b/c.html"), L"C:\\a b\\c.html");
}

TEST(HttpRequest, StatusOfTheAnswer)
{
    HttpTestServer server;
    std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
    HttpRequestThread ok;
    EXPECT_TRUE(ok.Run(base + "/ok", 10000));
    EXPECT_EQ(ok.StatusCode(), 200u);
    EXPECT_EQ(ok.Url(), base + "/ok");
    HttpRequestThread missing;
    DWORD start = GetTickCount();
    EXPECT_FALSE(missing.Run(base + "/missing", 10000));
    EXPECT_EQ(missing.StatusCode(), 404u);
    EXPECT_LT(GetTickCount() - start, 8000u);
    // A page from the web, fetched into the engine's window; a 404 keeps
    // the page shown.
    std::vector<BYTE> body;
    EXPECT_EQ(HttpGetBytes(base + "/ok", &body), 200u);
    EXPECT_EQ(std::string(body.begin(), body.end()), HttpTestServer::OkBody());
    HWND view = CreateWindowA(HTMLayoutClassNameA(), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    CHtmlView* html = CHtmlView::FromWindow(view);
    std::wstring wide(base.begin(), base.end());
    ASSERT_TRUE(html->LoadUrl(wide + L"/ok"));
    EXPECT_EQ(html->Document().Url(), wide + L"/ok");
    EXPECT_EQ(html->Document().InnerText(html->Document().Body()).size(), HttpTestServer::OkBody().size());
    EXPECT_FALSE(html->LoadUrl(wide + L"/missing"));
    EXPECT_EQ(html->Document().Url(), wide + L"/ok");
    DestroyWindow(view);
    // No scheme, no request.
    HttpRequestThread bad;
    start = GetTickCount();
    EXPECT_FALSE(bad.Run("127.0.0.1/ok", 10000));
    EXPECT_EQ(bad.StatusCode(), 0u);
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(HttpRequest, SilentServerCostsTheTimeOutAndTheWorkerKeepsItsState)
{
    SilentServer silent;
    ASSERT_TRUE(silent.listening);
    const std::string& url = silent.url;
    LONG before = HttpRequestThread::PendingRequests();
    DWORD start = GetTickCount();
    {
        std::unique_ptr<HttpRequestThread> request(new HttpRequestThread());
        EXPECT_FALSE(request->Run(url, 600));
        EXPECT_EQ(request->StatusCode(), 0u);
    }
    DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 550u);
    EXPECT_LT(spent, 5000u);
    // The caller is gone; the worker still waits with its state.
    EXPECT_EQ(HttpRequestThread::PendingRequests(), before + 1);
    silent.Close();
    for (int i = 0; i < 200 && HttpRequestThread::PendingRequests() != before; ++i)
        Sleep(50);
    EXPECT_EQ(HttpRequestThread::PendingRequests(), before);
}
