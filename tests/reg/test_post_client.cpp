// The support report's POST client against a local server.

#include "reg/httppostclient.h"

#include "tests/foundation/http_test_server.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string HostOf(const HttpTestServer& server)
{
    return "127.0.0.1:" + std::to_string(server.Port());
}

} // namespace

TEST(HttpPostClient, PostsTheExactBodyWithTheFormHeaders)
{
    HttpTestServer server;
    CHttpPostClient client(HostOf(server).c_str(), false);
    const std::string body = "log=<log>%09\n</log>&email=a%40b%2Ec&subj=&desc=";
    ASSERT_TRUE(client.Post("/post_log/parse.php", body.data(), NULL, static_cast<DWORD>(body.size())));
    EXPECT_EQ(0u, client.GetLastError());
    EXPECT_EQ(200u, client.GetStatusCode());
    EXPECT_TRUE(client.HasRequest());

    const auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    const HttpTestServer::Request& r = requests[0];
    EXPECT_EQ("POST /post_log/parse.php HTTP/1.1", r.Line());
    EXPECT_EQ(body, r.body);
    EXPECT_TRUE(r.HasHeader("Content-Type: application/x-www-form-urlencoded"));
    EXPECT_TRUE(r.HasHeader("Accept-Language: eng"));
    EXPECT_TRUE(r.HasHeader("Accept-Encoding: gzip, deflate"));
    EXPECT_TRUE(r.HasHeader("Accept: */*"));
    EXPECT_TRUE(r.HasHeader("User-Agent: Telmin Cleanwarden"));
    EXPECT_TRUE(r.HasHeader("Content-Length: " + std::to_string(body.size())));

    // Posting without data sends a length of 0.
    ASSERT_TRUE(client.Post("/empty", NULL, NULL, 123));
    ASSERT_EQ(2u, server.Requests().size());
    EXPECT_TRUE(server.Requests()[1].HasHeader("Content-Length: 0"));
    EXPECT_EQ("", server.Requests()[1].body);
    client.Close();
    EXPECT_FALSE(client.IsOpen() || client.IsConnected() || client.HasRequest());
}

TEST(HttpPostClient, OnlyA2xxAnswerCountsAsSentAndEachRequestStartsWithoutAnError)
{
    HttpTestServer server;
    CHttpPostClient client(HostOf(server).c_str(), false);
    const char data[] = "x=1";

    server.SetDefaultStatus("500 Internal Server Error");
    EXPECT_FALSE(client.Post("/post", data, NULL, 3));
    EXPECT_EQ(500u, client.GetStatusCode());
    EXPECT_EQ(static_cast<DWORD>(ERROR_HTTP_INVALID_SERVER_RESPONSE), client.GetLastError());

    EXPECT_FALSE(client.Post("/missing", data, NULL, 3));
    EXPECT_EQ(404u, client.GetStatusCode());
    EXPECT_NE(0u, client.GetLastError());

    server.SetDefaultStatus("204 No Content");
    EXPECT_TRUE(client.Post("/post", data, NULL, 3));
    EXPECT_EQ(204u, client.GetStatusCode());
    EXPECT_EQ(0u, client.GetLastError());
    EXPECT_EQ(3u, server.Requests().size());
}

TEST(HttpPostClient, AServerThatNeverAnswersFailsThePostAfterTheTimeOut)
{
    HttpTestServer server;
    CHttpPostClient client(HostOf(server).c_str(), false);
    client.SetTimeout(1000);
    const DWORD begin = GetTickCount();
    EXPECT_FALSE(client.Post("/mute", "x=1", NULL, 3));
    EXPECT_LT(GetTickCount() - begin, 10000u);
    // Wine reports the receive time-out of a send as an aborted connection.
    const DWORD error = client.GetLastError();
    EXPECT_TRUE(error == ERROR_INTERNET_TIMEOUT || error == ERROR_INTERNET_CONNECTION_ABORTED) << error;
    EXPECT_EQ(0u, client.GetStatusCode());
}

TEST(HttpPostClient, ARefusedConnectionKeepsTheErrorAndLeavesNoRequest)
{
    CHttpPostClient client(("127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort())).c_str(), false);
    EXPECT_FALSE(client.Post("/post_log/parse.php", "a", NULL, 1));
    EXPECT_NE(0u, client.GetLastError());
    EXPECT_EQ(0u, client.GetStatusCode());
    EXPECT_FALSE(client.HasRequest());
}

TEST(HttpPostClient, SecureRequestsCheckTheCertificateNameAndResponseRoomOnlyGrows)
{
    const DWORD secure = CHttpPostClient::RequestFlags(true);
    EXPECT_TRUE(secure & INTERNET_FLAG_SECURE);
    EXPECT_TRUE(secure & INTERNET_FLAG_KEEP_CONNECTION);
    EXPECT_FALSE(secure & INTERNET_FLAG_IGNORE_CERT_CN_INVALID);
    EXPECT_FALSE(secure & INTERNET_FLAG_IGNORE_CERT_DATE_INVALID);
    EXPECT_EQ(static_cast<DWORD>(INTERNET_FLAG_KEEP_CONNECTION), CHttpPostClient::RequestFlags(false));

    CHttpPostClient client("localhost", true);
    client.ReserveResponse(4096);
    EXPECT_EQ(4096u, client.GetResponseCapacity());
    client.ReserveResponse(100);
    EXPECT_EQ(4096u, client.GetResponseCapacity());
    client.ReserveResponse(8000);
    EXPECT_EQ(8000u, client.GetResponseCapacity());
}
