// The crash reporter without its dialog: the poster against a local server,
// and the Send road with message boxes and the save dialog replaced.

#include "reports/exceptionreport.h"
#include "reports/serverposter.h"

#include "tests/foundation/http_test_server.h"
#include "tests/foundation/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Catches what Send throws and returns its message, or "(none)".
std::string SendAndCatch(CServerPoster& poster)
{
    try
    {
        poster.Send();
    }
    catch (CException* e)
    {
        char text[256] = "";
        const bool ours = dynamic_cast<CUnhandledExceptionReporterException*>(e) != nullptr;
        e->GetErrorMessage(text, sizeof(text));
        e->Delete();
        return ours ? text : std::string("(framework) ") + text;
    }
    return "(none)";
}

class FakeUi : public IExceptionReportUi
{
public:
    struct Shown
    {
        std::string text;
        std::string caption;
        UINT type;
    };

    CString GetText(const char* key) override { return CString("[") + key + "]"; }
    int ShowMessage(const CString& text, const char* caption, UINT type) override
    {
        shown.push_back({text.GetString(), caption, type});
        return (type & MB_OKCANCEL) ? answer : IDOK;
    }
    bool AskSavePath(CString& path) override
    {
        ++saveAsked;
        path = savePath.c_str();
        return !savePath.empty();
    }
    void ShowWaitCursor(bool show) override { cursor.push_back(show); }

    std::vector<Shown> shown;
    std::vector<bool> cursor;
    int answer = IDOK;
    int saveAsked = 0;
    std::string savePath;
};

// A poster whose WinInet handles can be seen.
class CWatchedPoster : public CServerPoster
{
public:
    using CServerPoster::CServerPoster;
    bool HoldsNoHandle() const
    {
        return !m_client.m_pRequest && !m_client.m_pConnection && !m_client.m_pSession;
    }
};

CExceptionReport MakeReport(const std::string& url)
{
    CExceptionReport report(url.c_str());
    report.m_strExceptionText = "Access violation at 0x0040102A";
    report.m_strEngineLog = "scanner.cpp(120): open failed";
    return report;
}

} // namespace

TEST(ServerPoster, FormatsTheBodyWithTheFormEncodingOfEachArgument)
{
    CServerPoster poster("http://127.0.0.1/support.php");
    poster.FormatBody("name=%s&email=%s&subject=%s&message=%s",
                      {"Unhandled exception reporter", "me@x.org", "a&b=c", "line\n%s 100%"});
    EXPECT_STREQ("name=Unhandled+exception+reporter&email=me%40x.org&subject=a%26b%3dc&message=line%0a%25s+100%25",
                 poster.GetBody());
    poster.FormatBody("a=%s&b=%s", {"only"});
    EXPECT_STREQ("a=only&b=", poster.GetBody());
}

TEST(ServerPoster, SendsTheBodyAndTakesOnlyA2xxAnswer)
{
    HttpTestServer server;
    CServerPoster poster(server.Url("/support.php").c_str());
    EXPECT_EQ("no data to send to server", SendAndCatch(poster));
    EXPECT_TRUE(server.Requests().empty());

    poster.FormatBody("name=%s", {"x y"});
    EXPECT_EQ("(none)", SendAndCatch(poster));
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("POST /support.php HTTP/1.1", server.Requests()[0].Line());
    EXPECT_EQ("name=x+y", server.Requests()[0].body);
    EXPECT_TRUE(server.Requests()[0].HasHeader("Content-Type: application/x-www-form-urlencoded"));

    // Every failure, answered or thrown, leaves no WinInet handle open.
    server.SetDefaultStatus("500 Internal Server Error");
    CWatchedPoster rejected(server.Url("/support.php").c_str());
    rejected.FormatBody("name=%s", {"x"});
    EXPECT_EQ("Cannot post data to server.", SendAndCatch(rejected));
    EXPECT_TRUE(rejected.HoldsNoHandle());
    CWatchedPoster missing(server.Url("/missing").c_str());
    missing.FormatBody("name=%s", {"x"});
    EXPECT_EQ("Cannot post data to server.", SendAndCatch(missing));
    EXPECT_TRUE(missing.HoldsNoHandle());
    EXPECT_EQ(3u, server.Requests().size());

    CWatchedPoster refused(("http://127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()) + "/support.php").c_str());
    refused.FormatBody("name=%s", {"x"});
    EXPECT_NE("(none)", SendAndCatch(refused));
    EXPECT_TRUE(refused.HoldsNoHandle());
}

TEST(ExceptionReport, BuildsTheReportAndTheMessage)
{
    const CExceptionReport report = MakeReport("http://127.0.0.1/support.php");
    EXPECT_STREQ("User comments:\nI clicked Scan\n\nException info:\nAccess violation at 0x0040102A",
                 report.BuildReportText("I clicked Scan"));
    EXPECT_STREQ("User comments:\n\n\nException info:\nAccess violation at 0x0040102A", report.BuildReportText(""));
    EXPECT_STREQ("R================EXCEPTION_LOG======================\r\nscanner.cpp(120): open failed",
                 report.BuildMessage("R"));
}

TEST(ExceptionReport, ASentReportThanksTheUserOnly)
{
    HttpTestServer server;
    const CExceptionReport report = MakeReport(server.Url("/support.php"));
    FakeUi ui;
    EXPECT_TRUE(report.Send("I clicked Scan", "", ui));

    ASSERT_EQ(1u, ui.shown.size());
    EXPECT_EQ("[thanksMessage]", ui.shown[0].text);
    EXPECT_EQ("Telmin Cleanwarden 2.1.152", ui.shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), ui.shown[0].type);
    EXPECT_EQ((std::vector<bool>{true, false}), ui.cursor);
    EXPECT_EQ(0, ui.saveAsked);

    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("name=Unhandled+exception+reporter&email=anonymous%40telmin.com&subject=Unhandled+exception+reporter"
              "&message=User+comments:%0aI+clicked+Scan%0a%0aException+info:%0aAccess+violation+at+0x0040102A"
              "%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3dEXCEPTION_LOG"
              "%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%0d%0ascanner.cpp(120):+open+failed",
              server.Requests()[0].body);

    EXPECT_TRUE(report.Send("", "user@example.org", ui));
    ASSERT_EQ(2u, server.Requests().size());
    EXPECT_NE(std::string::npos, server.Requests()[1].body.find("&email=user%40example.org&"));
}

TEST(ExceptionReport, AFailedSendOffersToSaveTheReportWithoutTheEngineLog)
{
    HttpTestServer server;
    server.SetDefaultStatus("500 Internal Server Error");
    TempFolder folder;
    const CExceptionReport report = MakeReport(server.Url("/support.php"));
    FakeUi ui;
    ui.savePath = folder.File("saved.txt");
    EXPECT_FALSE(report.Send("I clicked Scan", "me@x.org", ui));

    ASSERT_EQ(2u, ui.shown.size());
    EXPECT_EQ("[cannotSendInfo]", ui.shown[0].text);
    EXPECT_EQ("Telmin Cleanwarden 2.1.152", ui.shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), ui.shown[0].type);
    EXPECT_EQ("[thanksMessage]", ui.shown[1].text);
    EXPECT_EQ(1, ui.saveAsked);
    const std::vector<BYTE> saved = TempFolder::Read(ui.savePath);
    const std::string text(saved.begin(), saved.end());
    // Text mode: each line feed is written as CR LF.
    EXPECT_EQ("User comments:\r\nI clicked Scan\r\n\r\nException info:\r\nAccess violation at 0x0040102A", text);
}

TEST(ExceptionReport, CancelOrAnUnwritableFileSavesNothingAndStillThanks)
{
    const CExceptionReport report =
        MakeReport("http://127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()) + "/support.php");
    FakeUi cancel;
    cancel.answer = IDCANCEL;
    EXPECT_FALSE(report.Send("c", "", cancel));
    EXPECT_EQ(0, cancel.saveAsked);
    ASSERT_EQ(2u, cancel.shown.size());
    EXPECT_EQ("[thanksMessage]", cancel.shown[1].text);

    TempFolder folder;
    FakeUi unwritable;
    unwritable.savePath = folder.File("missing\\saved.txt");
    EXPECT_FALSE(report.Send("c", "", unwritable));
    EXPECT_EQ(1, unwritable.saveAsked);
    EXPECT_FALSE(TempFolder::Exists(unwritable.savePath));
    EXPECT_EQ("[thanksMessage]", unwritable.shown.back().text);

    FakeUi noPath;
    EXPECT_FALSE(CExceptionReport::SaveReport("text", noPath));
}
