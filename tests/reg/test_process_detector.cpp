// The process detector: the program file of each running process.

#include "reg/processdetector.h"
#include "reg/scanhelper.h"

#include "tests/reg/detector_test_support.h"

#include <gtest/gtest.h>

TEST(ProcessDetector, ReportsThisProgramWithItsFolderNameAndDigest)
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    const std::string full = module;
    const size_t slash = full.rfind('\\');
    const std::string path = full.substr(0, slash + 1);
    const std::string name = full.substr(slash + 1);

    const std::string found = Detect<CProcessDetector>();
    const std::string expected = Record("process", {{"path", path}, {"exename", name},
                                                    {"MD5", CScanHelper::GetFileMd5(full)}});
    EXPECT_NE(std::string::npos, found.find(expected)) << found.substr(0, 2000);
    // Several processes, each record whole and naming its program.
    size_t opened = 0, closed = 0;
    for (size_t at = found.find("\t<process>\n"); at != std::string::npos; at = found.find("\t<process>\n", at + 1))
        ++opened;
    for (size_t at = found.find("\t</process>\n"); at != std::string::npos; at = found.find("\t</process>\n", at + 1))
        ++closed;
    EXPECT_GE(opened, 2u);
    EXPECT_EQ(opened, closed);
    EXPECT_EQ(std::string::npos, found.find("<exename></exename>"));
}

TEST(ProcessDetector, SkipsTheSystemProcessOfEachWindowsVersion)
{
    EXPECT_EQ(2u, CProcessDetector::SystemProcessId(4, 0));
    EXPECT_EQ(8u, CProcessDetector::SystemProcessId(5, 0));
    EXPECT_EQ(4u, CProcessDetector::SystemProcessId(5, 1));
    EXPECT_EQ(4u, CProcessDetector::SystemProcessId(6, 1));
    EXPECT_EQ(4u, CProcessDetector::SystemProcessId(10, 0));
}

TEST(ProcessDetector, DropsTheNativePrefixOfAModuleName)
{
    EXPECT_EQ("C:\\Windows\\x.exe", CProcessDetector::Win32PathOf("\\??\\C:\\Windows\\x.exe"));
    EXPECT_EQ("C:\\Windows\\x.exe", CProcessDetector::Win32PathOf("C:\\Windows\\x.exe"));
    EXPECT_EQ("\\SystemRoot\\x.exe", CProcessDetector::Win32PathOf("\\SystemRoot\\x.exe"));
}
