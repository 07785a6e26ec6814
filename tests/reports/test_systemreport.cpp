// The system report: its four sections, the screenshot archive that the
// archive reader unpacks into a readable bitmap, and the debug privilege put
// back as it was.

#include "reports/systemreport.h"

#include "foundation/packarchive.h"

#include "tests/foundation/temp_folder.h"
#include "tests/reg/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FileText(const std::string& path)
{
    const std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

bool DebugPrivilegeEnabled()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID debug;
    LookupPrivilegeValueA(NULL, "SeDebugPrivilege", &debug);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, NULL, 0, &size);
    std::vector<BYTE> buffer(size);
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size))
    {
        const TOKEN_PRIVILEGES* p = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < p->PrivilegeCount; ++i)
            if (p->Privileges[i].Luid.LowPart == debug.LowPart && p->Privileges[i].Luid.HighPart == debug.HighPart)
                enabled = (p->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    CloseHandle(token);
    return enabled;
}

std::string ThisProgramName()
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    return strrchr(module, '\\') + 1;
}

} // namespace

TEST(SystemReport, WritesTheFourSectionsInOrder)
{
    TempFolder folder;
    CSystemReport report(folder.Path());
    report.Write();
    const std::string text = FileText(folder.File("report.doc"));
    const size_t system = text.find("\nSYSTEM INFO\n");
    const size_t processes = text.find("\nPROCESSES\n");
    const size_t services = text.find("\nSERVICES\n");
    const size_t programs = text.find("\nINSTALL PROGRAMS\n");
    EXPECT_EQ(0u, system);
    ASSERT_NE(std::string::npos, processes);
    ASSERT_NE(std::string::npos, services);
    ASSERT_NE(std::string::npos, programs);
    EXPECT_LT(processes, services);
    EXPECT_LT(services, programs);

    EXPECT_EQ(13u, text.find("OS Version = Microsoft Windows "));
    EXPECT_NE(std::string::npos, text.find("Local drives info :\r\n"));

    const std::string own = "\n\n=====================================================\nPROCESS NAME:  " +
                            ThisProgramName() +
                            "\n-----------------------------------------------------\n  process ID\t\t\t= " +
                            std::to_string(GetCurrentProcessId()) + "\n  thread count\t\t\t= ";
    const size_t at = text.find(own);
    ASSERT_NE(std::string::npos, at) << text.substr(processes, 3000);
    EXPECT_LT(at, services);
    EXPECT_NE(std::string::npos, text.find("\n  parent process ID\t\t= ", at));
    EXPECT_NE(std::string::npos, text.find("\n  Priority Base\t\t\t= ", at));
    EXPECT_NE(std::string::npos, text.find("\n  Priority Class    = ", at));
    EXPECT_NE(std::string::npos, text.find("\n\n     MODULE NAME:     " + ThisProgramName() + "\n     executable     = ", at));
    EXPECT_NE(std::string::npos, text.find("\n     ref count (g)  =     ", at));
    EXPECT_NE(std::string::npos, text.find("\n     base size      = ", at));
    // Lines end with "\n" alone outside the system-information texts.
    EXPECT_EQ(std::string::npos, text.find('\r', processes));
}

TEST(SystemReport, TheScreenshotArchiveHoldsABitmapOfTheScreen)
{
    TempFolder folder;
    CSystemReport report(folder.Path());
    report.Write();
    EXPECT_FALSE(TempFolder::Exists(folder.File("screen.bmp")));

    const std::vector<BYTE> archive = TempFolder::Read(folder.File("screen.kap"));
    ASSERT_GE(archive.size(), sizeof(CPackEntryHeader));
    CPackEntryHeader header;
    memcpy(&header, archive.data(), sizeof(header));
    EXPECT_EQ(static_cast<DWORD>(CPackArchive::Magic), header.magic);
    EXPECT_EQ(0u, header.entryOffset);
    EXPECT_EQ(archive.size(), header.entrySize);  // one entry, nothing after it

    CPackArchive reader;
    ASSERT_TRUE(reader.Open(folder.File("screen.kap").c_str()));
    ASSERT_TRUE(reader.ExtractFile(folder.File("out.bmp").c_str(), header));
    reader.Close();

    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(NULL, folder.File("out.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_TRUE(bitmap != NULL);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), info.bmWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), info.bmHeight);
    DeleteObject(bitmap);

    const std::vector<BYTE> bmp = TempFolder::Read(folder.File("out.bmp"));
    ASSERT_GE(bmp.size(), 54u);
    const BITMAPFILEHEADER* file = reinterpret_cast<const BITMAPFILEHEADER*>(bmp.data());
    EXPECT_EQ(0x4D42, file->bfType);
    EXPECT_EQ(bmp.size(), file->bfSize);
}

TEST(SystemReport, ASecondWriteLeavesOnlyTheSecondReport)
{
    TempFolder folder;
    CSystemReport report(folder.Path());
    report.Write();
    const size_t firstArchive = TempFolder::Read(folder.File("screen.kap")).size();
    report.Write();
    const std::string text = FileText(folder.File("report.doc"));
    EXPECT_EQ(text.find("\nSYSTEM INFO\n"), text.rfind("\nSYSTEM INFO\n"));
    EXPECT_EQ(firstArchive, TempFolder::Read(folder.File("screen.kap")).size());
}

TEST(SystemReport, TheProcessWalkPutsTheDebugPrivilegeBack)
{
    ASSERT_FALSE(DebugPrivilegeEnabled());
    CSystemReport report;
    report.AddProcesses();
    EXPECT_FALSE(DebugPrivilegeEnabled());

    EXPECT_FALSE(EnableDebugPrivilege(true));
    EXPECT_TRUE(DebugPrivilegeEnabled());
    report.AddProcesses();
    EXPECT_TRUE(DebugPrivilegeEnabled());  // it was on before the walk
    EXPECT_TRUE(EnableDebugPrivilege(false));
    EXPECT_FALSE(DebugPrivilegeEnabled());
}

TEST(SystemReport, InstalledProgramsShowEachValueThatCanBeRead)
{
    RegistrySandbox registry;
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    const std::string longName(300, 'N');
    registry.SetString(HKEY_LOCAL_MACHINE, uninstall + "\\App1", "InstallLocation", "C:\\A");
    registry.SetString(HKEY_LOCAL_MACHINE, uninstall + "\\App1", "DisplayName", longName);
    registry.SetString(HKEY_LOCAL_MACHINE, uninstall + "\\App1", "Publisher", "Publisher Inc.");
    registry.SetString(HKEY_LOCAL_MACHINE, uninstall + "\\App2", "DisplayVersion", "");
    registry.CreateKey(HKEY_LOCAL_MACHINE, uninstall + "\\App3");

    CSystemReport report;
    report.AddInstalledPrograms();
    const std::string rule = "===================================================\n";
    EXPECT_EQ("\nINSTALL PROGRAMS\n" + rule + "App1:\n\nInstallLocation\t- C:\\A\nDisplayName\t\t- " + longName +
                  "\nPublisher\t\t- Publisher Inc.\n" + rule + "App2:\n\nDisplayVersion\t- \n" + rule + "App3:\n\n",
              std::string(report.GetSectionText()));
}

TEST(SystemReport, AnEmptyMachineGivesHeadingsOnly)
{
    RegistrySandbox registry;
    CSystemReport report;
    report.AddInstalledPrograms();
    EXPECT_EQ("\nINSTALL PROGRAMS\n", std::string(report.GetSectionText()));
}

TEST(SystemReport, VersionBlocksNeedAllEightEntries)
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    CSystemReport report;
    report.AddVersionInfo(module);  // this program has no version resource
    report.AddVersionInfo("C:\\missing\\file.dll");
    EXPECT_EQ("", std::string(report.GetSectionText()));

    char kernel[MAX_PATH];
    GetSystemDirectoryA(kernel, MAX_PATH);
    lstrcatA(kernel, "\\kernel32.dll");
    report.AddVersionInfo(kernel);
    const std::string block = report.GetSectionText().GetString();
    if (!block.empty())
    {
        EXPECT_EQ(0u, block.find(std::string("\n\n") + kernel + ":\nCompanyName: "));
        size_t at = 0;
        for (const char* label : {"\nFileDescription: ", "\nFileVersion: ", "\nInternalName: ", "\nFLegalCopyright: ",
                                  "\nOriginalFilename: ", "\nProductName: ", "\nProductVersion: "})
        {
            const size_t next = block.find(label, at);
            ASSERT_NE(std::string::npos, next) << label;
            at = next;
        }
    }
}

TEST(SystemReport, ServicesListRunningOnesWithTheirConfiguration)
{
    CSystemReport report;
    report.AddServices();
    const std::string text = report.GetSectionText().GetString();
    EXPECT_EQ(0u, text.find("\nSERVICES\n"));
    for (size_t at = text.find("==============================================\n"); at != std::string::npos;
         at = text.find("==============================================\n", at + 1))
    {
        const size_t type = text.find("Type:\t", at);
        ASSERT_NE(std::string::npos, type);
        EXPECT_NE(std::string::npos, text.find("\nRunType:\t", type));
        EXPECT_NE(std::string::npos, text.find("\nErrorControl:\t", type));
        EXPECT_NE(std::string::npos, text.find("\nPath:\t", type));
    }
    CSystemReport none;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ENUMERATE_SERVICE);
    none.AddServiceConfig(manager, "NoSuchServiceHere");
    CloseServiceHandle(manager);
    EXPECT_EQ("", std::string(none.GetSectionText()));
}
