#include "foundation/httpclient.h"
#include "foundation/httpfiledownload.h"

#include "tests/foundation/http_test_server.h"
#include "tests/foundation/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Downloads with a shorter first wait for a stop request, to keep the suite fast.
class QuickDownload : public CHttpFileDownload
{
public:
    QuickDownload(const std::string& url, const std::string& target, DWORD startWaitMs = 20)
        : CHttpFileDownload(url.c_str(), target.c_str())
    {
        m_startWaitMs = startWaitMs;
    }
};

// Runs the download and returns the message of the exception it threw, or
// "(none)" for a normal return.
std::string Download(CHttpFileDownload& d)
{
    try
    {
        d.HttpFileDownload();
    }
    catch (CHttpFileDownloadException* e)
    {
        std::string message = e->m_strMessage.GetString();
        e->Delete();
        return message;
    }
    return "(none)";
}

std::string InternetMessage(DWORD error)
{
    CInternetException e(error);
    char buf[256] = {};
    e.GetErrorMessage(buf, sizeof(buf));
    return buf;
}

std::vector<BYTE> Bytes(const std::string& s)
{
    return std::vector<BYTE>(s.begin(), s.end());
}

bool IsClosed(const CHttpClient& c)
{
    return !c.m_pRequest && !c.m_pConnection && !c.m_pSession;
}

}  // namespace

TEST(UrlEncode, FormEncodingOfEveryByte)
{
    EXPECT_STREQ("a+b", UrlEncode("a b"));
    EXPECT_STREQ("%26", UrlEncode("&"));
    EXPECT_STREQ("%09", UrlEncode("\t"));
    EXPECT_STREQ("http://host/a-b.c_d~e!*'()", UrlEncode("http://host/a-b.c_d~e!*'()"));
    EXPECT_STREQ("%22%23%24%25%2b%2c%3b%3c%3d%3e%3f%40%5b%5c%5d%5e%60%7b%7c%7d",
                 UrlEncode("\"#$%+,;<=>?@[\\]^`{|}"));
    EXPECT_STREQ("%7f%80%e9%ff%01", UrlEncode("\x7f\x80\xe9\xff\x01"));
    EXPECT_STREQ("name%3dJos%e9+M.", UrlEncode("name=Jos\xe9 M."));
    EXPECT_STREQ("", UrlEncode(""));

    const std::string unsafe = " \"#$%&+,;<=>?@[\\]^`{|}";
    int passed = 0;
    for (int b = 0; b < 256; ++b)
    {
        bool expected = b < 32 || b > 126 || unsafe.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(expected, NeedsUrlEscape(static_cast<BYTE>(b))) << b;
        passed += expected ? 0 : 1;
    }
    EXPECT_EQ(95 - 22, passed);
}

TEST(HttpClient, GetSendsItsHeadersAndWantsStatus200)
{
    HttpTestServer server;
    CHttpClient client;
    EXPECT_TRUE(IsClosed(client));
    client.m_strURL = server.Url("/ok").c_str();
    EXPECT_FALSE(client.OpenGet());  // no session yet

    client.m_pSession = new CInternetSession;
    ASSERT_TRUE(client.OpenGet());
    ASSERT_NE(nullptr, client.m_pRequest);
    std::string body;
    char buf[4096];
    UINT n;
    while ((n = client.m_pRequest->Read(buf, sizeof(buf))) > 0)
        body.append(buf, n);
    EXPECT_EQ(HttpTestServer::OkBody(), body);

    // A second request replaces the first one on the same session; any
    // status but 200 is a failure.
    CInternetSession* session = client.m_pSession;
    client.m_strURL = server.Url("/missing").c_str();
    EXPECT_FALSE(client.OpenGet());
    EXPECT_NE(nullptr, client.m_pRequest);
    EXPECT_EQ(session, client.m_pSession);

    client.m_strURL = "no url at all";
    EXPECT_FALSE(client.OpenGet());
    EXPECT_EQ(nullptr, client.m_pRequest);
    EXPECT_NE(nullptr, client.m_pSession);
    client.Close();
    EXPECT_TRUE(IsClosed(client));
    client.Close();

    std::vector<HttpTestServer::Request> requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET /ok HTTP/1.1", requests[0].Line());
    EXPECT_EQ("GET /missing HTTP/1.1", requests[1].Line());
    // The extra headers go in only where new: the accept type already made an
    // Accept header, so WinInet refuses the first line and stops there; the
    // session's agent (the program name) names the client.
    for (const HttpTestServer::Request& r : requests)
    {
        EXPECT_TRUE(r.HasHeader("Accept: application/x-ofc"));
        EXPECT_FALSE(r.HasHeader("Accept: */*"));
        EXPECT_TRUE(r.HasHeader("User-Agent: foundation_tests"));
        EXPECT_EQ(std::string::npos, r.head.find("User-Agent: Application"));
        EXPECT_TRUE(r.body.empty());
    }
}

TEST(HttpClient, PostFormSendsTheBodyAsAForm)
{
    HttpTestServer server;
    CHttpClient client;
    client.m_strURL = server.Url("/report.php?id=7").c_str();
    const CString body = "name=" + UrlEncode("A & B") + "&data=" + UrlEncode("\x01\xff/:");
    EXPECT_TRUE(client.PostForm(body));
    EXPECT_NE(nullptr, client.m_pSession);

    // A second post closes the first one's objects and makes new ones.
    const CString second = "x=%2b";
    EXPECT_TRUE(client.PostForm(second));
    DWORD status = 0;
    EXPECT_TRUE(client.m_pRequest->QueryInfoStatusCode(status));
    EXPECT_EQ(200u, status);
    client.Close();
    EXPECT_TRUE(IsClosed(client));

    std::vector<HttpTestServer::Request> requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("POST /report.php?id=7 HTTP/1.1", requests[0].Line());
    EXPECT_TRUE(requests[0].HasHeader("Content-Type: application/x-www-form-urlencoded"));
    EXPECT_TRUE(requests[0].HasHeader("Content-Length: 26"));
    EXPECT_EQ("name=A+%26+B&data=%01%ff/:", std::string(body.GetString()));
    EXPECT_EQ(Bytes(body.GetString()), Bytes(requests[0].body));
    EXPECT_EQ("x=%2b", requests[1].body);

    // A URL that cannot be split posts nothing.
    client.m_strURL = "this is no url";
    EXPECT_FALSE(client.PostForm(body));
    EXPECT_EQ(nullptr, client.m_pRequest);
    EXPECT_EQ(2u, server.Requests().size());

    // Nothing listening: WinInet's failure reaches the caller.
    client.m_strURL = ("http://127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()) + "/x").c_str();
    try
    {
        client.PostForm(body);
        ADD_FAILURE() << "no exception";
    }
    catch (CInternetException* e)
    {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), e->m_dwError);
        e->Delete();
    }
}

TEST(HttpFileDownload, DownloadsThroughStatesIntoTheTarget)
{
    HttpTestServer server;
    TempFolder dir;
    // Folder and file name are joined without a separator.
    CHttpFileDownload d(server.Url("/paced").c_str(), (dir.Path() + "\\").c_str());
    d.m_strTargetFileName = "def.bin";
    EXPECT_EQ(0u, d.m_dwState);
    d.m_dwState = 7;  // a download starts from idle

    std::vector<DWORD> states, progress;
    volatile bool finished = false;
    std::thread watch([&] {
        while (!finished)
        {
            DWORD s = d.m_dwState, p = d.m_dwProgress;
            if (states.empty() || states.back() != s)
                states.push_back(s);
            if (s == 3 && (progress.empty() || progress.back() != p))
                progress.push_back(p);
            Sleep(2);
        }
    });
    DWORD begin = GetTickCount();
    std::string result = Download(d);
    DWORD took = GetTickCount() - begin;
    finished = true;
    watch.join();
    if (states.back() != d.m_dwState)
        states.push_back(DWORD(d.m_dwState));

    EXPECT_EQ("(none)", result);
    EXPECT_GE(took, 950u);  // the first second waits for a stop request
    EXPECT_EQ((std::vector<DWORD>{0, 3, 1}), states);
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.front(), 100u);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i], progress[i - 1]);
    EXPECT_EQ(1u, d.m_dwState);
    EXPECT_EQ(100u, d.m_dwProgress);
    EXPECT_EQ(1u, d.m_dwStarted);
    EXPECT_TRUE(IsClosed(d));
    EXPECT_FALSE(d.m_doneEvent.Lock(0));
    EXPECT_EQ(Bytes(HttpTestServer::PacedBody()), TempFolder::Read(dir.File("def.bin")));
    EXPECT_EQ(std::vector<std::string>{"def.bin"}, dir.List());

    // The same object downloads again, replacing the file.
    QuickDownload again(server.Url("/ok"), dir.File("def.bin"));
    EXPECT_EQ("(none)", Download(again));
    EXPECT_EQ(Bytes(HttpTestServer::OkBody()), TempFolder::Read(dir.File("def.bin")));
    d.m_strURL = server.Url("/ok").c_str();
    d.m_strTargetFileName = "second.bin";
    EXPECT_EQ("(none)", Download(d));
    EXPECT_EQ(Bytes(HttpTestServer::OkBody()), TempFolder::Read(dir.File("second.bin")));

    // Without an announced length there is nothing to show progress against.
    QuickDownload noLength(server.Url("/nolength"), dir.File("nolength.bin"));
    EXPECT_EQ("(none)", Download(noLength));
    EXPECT_EQ(1u, noLength.m_dwState);
    EXPECT_EQ(0u, noLength.m_dwProgress);
    EXPECT_EQ(Bytes(HttpTestServer::NoLengthBody()), TempFolder::Read(dir.File("nolength.bin")));
    EXPECT_EQ(3u, dir.List().size());
}

TEST(HttpFileDownload, FailuresThrowAndLeaveNoFile)
{
    HttpTestServer server;
    TempFolder dir;
    const std::string target = dir.File("t.bin");

    QuickDownload missing(server.Url("/missing"), target);
    EXPECT_EQ("HttpFileDownload: Cannot connect to server.", Download(missing));
    EXPECT_EQ(0u, missing.m_dwState);
    EXPECT_TRUE(IsClosed(missing));

    QuickDownload badUrl("this is no url", target);
    EXPECT_EQ("HttpFileDownload: Cannot connect to server.", Download(badUrl));
    EXPECT_EQ(0u, badUrl.m_dwState);

    // WinInet's own failure is a network error with WinInet's text.
    QuickDownload refused("http://127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()) + "/x", target);
    std::string message = Download(refused);
    EXPECT_EQ(InternetMessage(ERROR_INTERNET_CANNOT_CONNECT), message);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(2u, refused.m_dwState);
    EXPECT_TRUE(IsClosed(refused));
    EXPECT_TRUE(dir.List().empty());

    // Fewer bytes than announced: a network error, and the previous file
    // under the target name survives untouched.
    ASSERT_TRUE(TempFolder::Write(target, Bytes("previous")));
    QuickDownload cut(server.Url("/cut"), target);
    EXPECT_EQ(InternetMessage(ERROR_INTERNET_CONNECTION_ABORTED), Download(cut));
    EXPECT_EQ(2u, cut.m_dwState);
    EXPECT_EQ(1u, cut.m_dwStarted);
    EXPECT_EQ(25u, cut.m_dwProgress);
    EXPECT_TRUE(IsClosed(cut));
    EXPECT_EQ(Bytes("previous"), TempFolder::Read(target));
    EXPECT_EQ(std::vector<std::string>{"t.bin"}, dir.List());

    // A target that cannot be created: the file error's text.
    const std::string nowhere = dir.File("no-such-folder\\t.bin");
    QuickDownload noFolder(server.Url("/ok"), nowhere);
    EXPECT_EQ(nowhere + ".part contains an invalid path.", Download(noFolder));
    EXPECT_EQ(0u, noFolder.m_dwState);
    EXPECT_TRUE(IsClosed(noFolder));
}

TEST(HttpFileDownload, StopEndsTheDownload)
{
    HttpTestServer server;
    TempFolder dir;
    const std::string target = dir.File("s.bin");

    // Requested before the start: consumed at once, nothing is fetched.
    CHttpFileDownload early(server.Url("/ok").c_str(), target.c_str());
    early.Stop();
    DWORD begin = GetTickCount();
    EXPECT_EQ("HttpFileDownload: User stopped.", Download(early));
    EXPECT_LT(GetTickCount() - begin, 500u);
    EXPECT_EQ(4u, early.m_dwState);
    EXPECT_TRUE(early.m_doneEvent.Lock(0));
    EXPECT_FALSE(early.m_stopEvent.Lock(0));
    EXPECT_TRUE(IsClosed(early));

    // Requested from another thread during the first second.
    CHttpFileDownload waiting(server.Url("/ok").c_str(), target.c_str());
    std::thread stopper([&] { Sleep(200); waiting.Stop(); });
    begin = GetTickCount();
    EXPECT_EQ("HttpFileDownload: User stopped.", Download(waiting));
    EXPECT_LT(GetTickCount() - begin, 900u);
    stopper.join();
    EXPECT_EQ(4u, waiting.m_dwState);
    EXPECT_TRUE(waiting.m_doneEvent.Lock(0));
    EXPECT_TRUE(server.Requests().empty());

    // Requested while data flows: ends the read loop and removes the partial data.
    QuickDownload slow(server.Url("/slow"), target);
    DWORD stoppedAt = 0;
    std::thread reader([&] {
        for (int i = 0; i < 500 && slow.m_dwState != 3; ++i)
            Sleep(5);
        Sleep(100);
        stoppedAt = GetTickCount();
        slow.Stop();
    });
    std::string message = Download(slow);
    DWORD ended = GetTickCount();
    reader.join();
    EXPECT_EQ("HttpFileDownload: User stopped or cannot open file.", message);
    EXPECT_LT(ended - stoppedAt, 1000u);
    EXPECT_EQ(4u, slow.m_dwState);
    EXPECT_EQ(1u, slow.m_dwStarted);
    EXPECT_LT(slow.m_dwProgress, 100u);
    EXPECT_TRUE(slow.m_doneEvent.Lock(0));
    EXPECT_TRUE(IsClosed(slow));
    EXPECT_TRUE(dir.List().empty());
}

TEST(HttpFileDownload, ASilentServerFailsTheReadAfterTheTimeOutAndAStopIsAStop)
{
    HttpTestServer server;
    TempFolder dir;
    const std::string target = dir.File("silent.bin");

    QuickDownload silent(server.Url("/silent"), target);
    silent.m_dwTimeoutMs = 1000;
    DWORD begin = GetTickCount();
    const std::string message = Download(silent);
    const DWORD took = GetTickCount() - begin;
    EXPECT_EQ(InternetMessage(ERROR_INTERNET_TIMEOUT), message);
    EXPECT_EQ(2u, silent.m_dwState) << message;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 10000u);
    EXPECT_TRUE(IsClosed(silent));
    EXPECT_TRUE(dir.List().empty());

    // Stopped while its read waits: the download ends as stopped, not as a
    // network failure, and leaves nothing behind.
    QuickDownload stopped(server.Url("/silent"), target);
    stopped.m_dwTimeoutMs = 3000;
    std::thread stopper([&] {
        Sleep(700);
        stopped.Stop();
    });
    EXPECT_EQ("HttpFileDownload: User stopped or cannot open file.", Download(stopped));
    stopper.join();
    EXPECT_EQ(4u, stopped.m_dwState);
    EXPECT_TRUE(stopped.m_doneEvent.Lock(0));
    EXPECT_TRUE(IsClosed(stopped));
    EXPECT_TRUE(dir.List().empty());
}
