// The support report: detectors in order, the report file, the body and its
// post against a local server.

#include "reg/bhodetector.h"
#include "reg/controlinidetector.h"
#include "reg/hostsfiledetector.h"
#include "reg/ieextensiondetector.h"
#include "reg/iemenuextdetector.h"
#include "reg/ieplugindetector.h"
#include "reg/ierestrictionsdetector.h"
#include "reg/inidetector.h"
#include "reg/mainscan.h"
#include "reg/processdetector.h"
#include "reg/registrytoolsdetector.h"
#include "reg/reportfile.h"
#include "reg/reportservers.h"
#include "reg/runkeydetector.h"
#include "reg/scanlogdetector.h"
#include "reg/servicedetector.h"
#include "reg/ssodldetector.h"
#include "reg/startpagedetector.h"
#include "reg/startupfolderdetector.h"
#include "reg/tcpipdomaindetector.h"
#include "reg/toolbardetector.h"
#include "reg/trusteddomaindetector.h"

#include "tests/foundation/http_test_server.h"
#include "tests/foundation/temp_folder.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

class FixedDetector : public CDetector
{
public:
    explicit FixedDetector(const std::string& text) : m_text(text) {}
    void Detect() override { m_result += m_text; }

private:
    std::string m_text;
};

CMainScan::Detectors Fixed(std::initializer_list<const char*> texts)
{
    CMainScan::Detectors detectors;
    for (const char* text : texts)
        detectors.push_back(std::unique_ptr<CDetector>(new FixedDetector(text)));
    return detectors;
}

std::string FileText(const std::string& path)
{
    const std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string HostOf(const HttpTestServer& server)
{
    return "127.0.0.1:" + std::to_string(server.Port());
}

} // namespace

TEST(MainScan, PostsTheEncodedRecordsWithTheFieldsAsOneForm)
{
    HttpTestServer server;
    TempFolder folder;
    CReportFile file(folder.File("report.html"));
    CMainScan scan(&file, HostOf(server));
    CMainScan::Detectors detectors = Fixed({"\t<o1>\n\t\t<ip>1.2.3.4</ip>\n\t</o1>\n", "", "\t<scan>\n\t</scan>\n"});

    ASSERT_TRUE(scan.SendReport(detectors, "me@host.org", "Slow PC", "It hangs & = \xE9"));
    const std::string records = "%09%3Co1%3E%0A%09%09%3Cip%3E1%2E2%2E3%2E4%3C%2Fip%3E%0A%09%3C%2Fo1%3E%0A"
                                "%09%3Cscan%3E%0A%09%3C%2Fscan%3E%0A";
    EXPECT_EQ(records, scan.GetReport());
    EXPECT_EQ(records, FileText(file.GetPath()));

    const auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    const std::string body =
        "log=<log>" + records + "\n</log>&email=me%40host%2Eorg&subj=Slow%20PC&desc=It%20hangs%20%26%20=%20%E9";
    EXPECT_EQ("POST /post_log/parse.php HTTP/1.1", requests[0].Line());
    EXPECT_EQ(body, requests[0].body);
    EXPECT_TRUE(requests[0].HasHeader("Content-Length: " + std::to_string(body.size())));
    EXPECT_TRUE(requests[0].HasHeader("Content-Type: application/x-www-form-urlencoded"));
    EXPECT_EQ(200u, scan.GetStatusCode());
}

TEST(MainScan, EachRequestStartsEmpty)
{
    HttpTestServer server;
    TempFolder folder;
    CReportFile file(folder.File("report.html"));
    CMainScan scan(&file, HostOf(server));
    CMainScan::Detectors first = Fixed({"first"});
    CMainScan::Detectors second = Fixed({"second"});
    ASSERT_TRUE(scan.SendReport(first, "a@b.c", "", ""));
    ASSERT_TRUE(scan.SendReport(second, "a@b.c", "", ""));

    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("log=<log>second\n</log>&email=a%40b%2Ec&subj=&desc=", requests[1].body);
    EXPECT_EQ("second", FileText(file.GetPath()));
}

TEST(MainScan, NothingFoundPostsNothing)
{
    HttpTestServer server;
    CMainScan scan(NULL, HostOf(server));
    CMainScan::Detectors empty = Fixed({"", ""});
    EXPECT_TRUE(scan.SendReport(empty, "a@b.c", "s", "d"));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(MainScan, ARefusedOrRejectedPostIsAFailure)
{
    TempFolder folder;
    CReportFile file(folder.File("report.html"));
    {
        CMainScan scan(&file, "127.0.0.1:" + std::to_string(HttpTestServer::ClosedPort()));
        CMainScan::Detectors detectors = Fixed({"record"});
        EXPECT_FALSE(scan.SendReport(detectors, "a@b.c", "", ""));
        EXPECT_NE(0u, scan.GetLastError());
        // The report was written all the same.
        EXPECT_EQ("record", FileText(file.GetPath()));
    }
    HttpTestServer server;
    CMainScan scan(&file, HostOf(server));
    for (const char* status : {"404 Not Found", "500 Internal Server Error"})
    {
        server.SetDefaultStatus(status);
        CMainScan::Detectors detectors = Fixed({"record"});
        EXPECT_FALSE(scan.SendReport(detectors, "a@b.c", "", "")) << status;
        EXPECT_EQ(static_cast<DWORD>(atoi(status)), scan.GetStatusCode());
    }
    EXPECT_EQ(2u, server.Requests().size());
}

TEST(MainScan, PostsEvenWhenTheReportFileCouldNotBeOpenedAndOpensItOnceItCan)
{
    HttpTestServer server;
    TempFolder folder;
    const std::string missing = folder.File("data");
    CReportFile file(missing + "\\report.html");
    EXPECT_FALSE(file.IsOpen());
    CMainScan scan(&file, HostOf(server));
    CMainScan::Detectors detectors = Fixed({"record"});
    ASSERT_TRUE(scan.SendReport(detectors, "a@b.c", "", ""));
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("log=<log>record\n</log>&email=a%40b%2Ec&subj=&desc=", server.Requests()[0].body);

    CreateDirectoryA(missing.c_str(), NULL);
    CMainScan::Detectors again = Fixed({"again"});
    ASSERT_TRUE(scan.SendReport(again, "a@b.c", "", ""));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ("again", FileText(file.GetPath()));
}

TEST(MainScan, TheStandardReportRunsTheTwentyOneDetectorsInOrderAndReachesTheServer)
{
    CMainScan::Detectors d = CMainScan::CreateDetectors();
    const std::type_info* expected[] = {
        &typeid(CProcessDetector),       &typeid(CToolbarDetector),      &typeid(CRunKeyDetector),
        &typeid(CStartPageMachineDetector), &typeid(CStartPageUserDetector), &typeid(CIEMenuExtDetector),
        &typeid(CBhoDetector),           &typeid(CControlIniDetector),   &typeid(CIERestrictionsDetector),
        &typeid(CRegistryToolsDetector), &typeid(CServiceDetector),      &typeid(CIEPluginDetector),
        &typeid(CSsodlDetector),         &typeid(CIEExtensionDetector),  &typeid(CTrustedDomainDetector),
        &typeid(CTcpipDomainDetector),   &typeid(CHostsFileDetector),    &typeid(CSystemIniDetector),
        &typeid(CWinIniDetector),        &typeid(CStartupFolderDetector), &typeid(CScanLogDetector),
    };
    ASSERT_EQ(21u, d.size());
    for (size_t i = 0; i < d.size(); ++i)
        EXPECT_TRUE(typeid(*d[i]) == *expected[i]) << i;

    HttpTestServer server;
    SetSupportReportHost(HostOf(server).c_str());
    CMainScan scan(NULL, GetSupportReportHost());
    EXPECT_TRUE(scan.SendReport("me@host.org", "subject", "description"));
    SetSupportReportHost(NULL);
    ASSERT_EQ(1u, server.Requests().size());
    const std::string body = server.Requests()[0].body;
    EXPECT_EQ(0u, body.find("log=<log>%09%3Cprocess%3E%0A"));
    EXPECT_NE(std::string::npos, body.find("%09%3Co6%3E%0A"));
    EXPECT_NE(std::string::npos, body.find("%09%3Co7%3E%0A"));
    EXPECT_NE(std::string::npos, body.find("\n</log>&email=me%40host%2Eorg&subj=subject&desc=description"));
}

TEST(ReportFile, WritesAtOnceAndDeletesTheFileWhenClosed)
{
    TempFolder folder;
    const std::string path = folder.File("report.html");
    // A file that was there is left alone until a report is made.
    ASSERT_TRUE(TempFolder::Write(path, {'o', 'l', 'd'}));
    {
        CReportFile file(path);
        EXPECT_FALSE(file.IsOpen());
        file.Write("ignored");
        EXPECT_EQ("old", FileText(path));
        EXPECT_TRUE(file.Restart());
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(nullptr, CReportFile::Program());
        file.Write("abc");
        file.Write("def");
        EXPECT_EQ("abcdef", FileText(path));
        EXPECT_TRUE(file.Restart());
        EXPECT_EQ("", FileText(path));
        file.Write("x");
        file.Close();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(TempFolder::Exists(path));
        file.Write("late");
        EXPECT_FALSE(file.Restart());
        EXPECT_FALSE(TempFolder::Exists(path));
    }
    {
        CReportFile file(path);
        file.Restart();
        file.Write("kept until exit");
    }
    EXPECT_FALSE(TempFolder::Exists(path));
}

TEST(ReportFile, TheProgramsFileIsFoundWhileItExists)
{
    {
        CReportFile program;
        EXPECT_EQ(&program, CReportFile::Program());
        EXPECT_NE(std::string::npos, program.GetPath().find("\\Telmin\\Cleanwarden\\report.html"));
    }
    EXPECT_EQ(nullptr, CReportFile::Program());
}

TEST(ReportServers, OverridesWinOverTheEnvironmentWhichWinsOverTheDefaults)
{
    EXPECT_EQ("www.telmin.com", GetSupportReportHost());
    EXPECT_EQ("http://www.telmin.com/support.php", GetCrashReportUrl());
    SetEnvironmentVariableA("CLEANWARDEN_REPORT_HOST", "reports.example:8080");
    SetEnvironmentVariableA("CLEANWARDEN_CRASH_REPORT_URL", "http://crash.example/support.php");
    EXPECT_EQ("reports.example:8080", GetSupportReportHost());
    EXPECT_EQ("http://crash.example/support.php", GetCrashReportUrl());
    SetSupportReportHost("127.0.0.1:1");
    SetCrashReportUrl("http://127.0.0.1:1/support.php");
    EXPECT_EQ("127.0.0.1:1", GetSupportReportHost());
    EXPECT_EQ("http://127.0.0.1:1/support.php", GetCrashReportUrl());
    SetSupportReportHost(NULL);
    SetCrashReportUrl(NULL);
    SetEnvironmentVariableA("CLEANWARDEN_REPORT_HOST", NULL);
    SetEnvironmentVariableA("CLEANWARDEN_CRASH_REPORT_URL", NULL);
    EXPECT_EQ("www.telmin.com", GetSupportReportHost());
}
