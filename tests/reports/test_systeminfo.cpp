// The system-information sections: exact texts from planted machine state,
// the formats on this machine, and the version and drive tables.

#include "reports/systeminfo.h"

#include "tests/foundation/temp_folder.h"
#include "tests/reg/registry_sandbox.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

std::string Text(const CString& s)
{
    return s.GetString();
}

OSVERSIONINFOEXA Version(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* servicePack,
                         BYTE productType = 0, WORD suite = 0)
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    lstrcpynA(info.szCSDVersion, servicePack, sizeof(info.szCSDVersion));
    info.wProductType = productType;
    info.wSuiteMask = suite;
    return info;
}

std::string Os(const OSVERSIONINFOEXA& info, bool extended = true)
{
    CString text;
    if (!CSystemInfo::FormatOsVersion(info, extended, text))
        return "(failed)";
    return text.GetString();
}

const char kCpu[] = "Hardware\\Description\\System\\CentralProcessor\\0";

unsigned Processors()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

} // namespace

TEST(SystemInfoVersion, NamesEachWindowsAsItsTableSays)
{
    EXPECT_EQ("Microsoft Windows XP Professional Service Pack 2 (Build 2600)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 2", VER_NT_WORKSTATION)));
    EXPECT_EQ("Microsoft Windows XP Home Edition Service Pack 1 (Build 2600)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 1, 0x0A280A28, "Service Pack 1", VER_NT_WORKSTATION, 0x200)));
    EXPECT_EQ("Microsoft Windows 2000 Professional  (Build 2195)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 0, 2195, "", VER_NT_WORKSTATION)));
    EXPECT_EQ("Microsoft Windows 2000 DataCenter Server Service Pack 4 (Build 2195)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4", VER_NT_SERVER, 0x80)));
    EXPECT_EQ("Microsoft Windows .NET Enterprise Server  (Build 3663)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 1, 3663, "", VER_NT_SERVER, 0x2)));
    EXPECT_EQ("Microsoft Windows NT Advanced Server 4.0 Service Pack 6 (Build 1381)",
              Os(Version(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6", VER_NT_SERVER, 0x2)));
    EXPECT_EQ("Microsoft Windows NT Workstation 4.0 Service Pack 3 (Build 1381)",
              Os(Version(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 3", VER_NT_WORKSTATION)));
    // Versions the table has no name for still say which Windows they are.
    EXPECT_EQ("Microsoft Windows 6.1 Professional Service Pack 1 (Build 7601)",
              Os(Version(VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", VER_NT_WORKSTATION)));
    EXPECT_EQ("Microsoft Windows 5.2 Web Server  (Build 3790)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 2, 3790, "", VER_NT_SERVER, 0x400)));

    EXPECT_EQ("Microsoft Windows 95 OSR2 ", Os(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, " C")));
    EXPECT_EQ("Microsoft Windows 95 ", Os(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, "")));
    EXPECT_EQ("Microsoft Windows 98 SE ", Os(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A")));
    EXPECT_EQ("Microsoft Windows Millennium Edition ", Os(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, "")));
    EXPECT_EQ("(failed)", Os(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 50, 1, "")));
    EXPECT_EQ("Microsoft Win 3.1 or Win 3.11", Os(Version(VER_PLATFORM_WIN32s, 3, 11, 1, "")));
}

TEST(SystemInfoVersion, WithoutTheExtendedRecordTheProductTypeComesFromTheRegistry)
{
    RegistrySandbox registry;
    registry.SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType",
                       "LanmanNt");
    EXPECT_EQ("Microsoft Windows 2000 Server Service Pack 1 (Build 2195)",
              Os(Version(VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 1"), false));
    EXPECT_EQ("Microsoft Windows NT Server 4.0  (Build 1381)", Os(Version(VER_PLATFORM_WIN32_NT, 4, 0, 1381, ""), false));
}

TEST(SystemInfoDrives, FixedDrivesShowTheirSizesAndRemovableOnesOnlyTheirRoot)
{
    EXPECT_EQ(" C:\\ total 10240Mb free 2048Mb  FIXED\r\n",
              Text(CSystemInfo::FormatDrive("C:\\", DRIVE_FIXED, 10240ULL << 20, (2048ULL << 20) + 1000)));
    EXPECT_EQ(" D:\\  CDROM\r\n", Text(CSystemInfo::FormatDrive("D:\\", DRIVE_CDROM, 0, 0)));
    EXPECT_EQ(" A:\\  REMOVABLE\r\n", Text(CSystemInfo::FormatDrive("A:\\", DRIVE_REMOVABLE, 5, 5)));
    EXPECT_EQ(" N:\\ total 1Mb free 0Mb  NETWORK\r\n", Text(CSystemInfo::FormatDrive("N:\\", DRIVE_REMOTE, 1 << 20, 5)));
    EXPECT_EQ(" R:\\ total 0Mb free 0Mb  RAMDISK\r\n", Text(CSystemInfo::FormatDrive("R:\\", DRIVE_RAMDISK, 0, 0)));
    EXPECT_EQ(" X:\\ total 0Mb free 0Mb  UNKNOWN TYPE\r\n", Text(CSystemInfo::FormatDrive("X:\\", 0, 0, 0)));
}

TEST(SystemInfoPlanted, BrowserCpuAndBiosFromTheRegistry)
{
    RegistrySandbox registry;
    EXPECT_EQ("\r\nBrowser version = Unknown", Text(CSystemInfo::Collect("Browser")));
    EXPECT_EQ("\r\n\r\nSytem CPU info = Unknown", Text(CSystemInfo::Collect("CPU")));
    EXPECT_EQ("\r\n\r\nSystem bios version = Unknown", Text(CSystemInfo::Collect("BIOS")));

    registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version", "8.0.6001.18702");
    EXPECT_EQ("\r\nBrowser version = 8.0.6001.18702", Text(CSystemInfo::Collect("Browser")));

    registry.SetDword(HKEY_LOCAL_MACHINE, kCpu, "~MHz", 2394);
    registry.SetString(HKEY_LOCAL_MACHINE, kCpu, "Identifier", "x86 Family 6 Model 15 Stepping 11");
    registry.SetString(HKEY_LOCAL_MACHINE, kCpu, "VendorIdentifier", "GenuineIntel");
    EXPECT_EQ("\r\n\r\nSytem CPU info = x86 Family 6 Model 15 Stepping 11 2394 MHz GenuineIntel\r\nNumber of processor = " +
                  std::to_string(Processors()),
              Text(CSystemInfo::Collect("CPU")));

    // A BIOS key without its date fails as a whole.
    registry.SetString(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System", "SystemBiosVersion",
                       std::string("PTLTD - 6040000\0Phoenix\0", 25), REG_MULTI_SZ);
    EXPECT_EQ("\r\n\r\nSystem bios version = Unknown", Text(CSystemInfo::Collect("BIOS")));
    registry.SetString(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System", "SystemBiosDate", "07/31/06");
    EXPECT_EQ("\r\n\r\nSystem bios version = PTLTD - 6040000 \r\nSystem Bios date : 07/31/06",
              Text(CSystemInfo::Collect("BIOS")));
}

TEST(SystemInfoPlanted, AProcessorWithoutASpeedValueIsTimed)
{
    RegistrySandbox registry;
    registry.SetString(HKEY_LOCAL_MACHINE, kCpu, "VendorIdentifier", "AuthenticAMD");
    const DWORD began = GetTickCount();
    const std::string text = Text(CSystemInfo::Collect("CPU"));
    EXPECT_GE(GetTickCount() - began, 2000u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, std::regex("\r\n\r\nSytem CPU info = ([0-9]+) MHz AuthenticAMD\r\n"
                                                     "Number of processor = [0-9]+")))
        << text;
    EXPECT_GT(std::stoul(m[1]), 0u);
}

TEST(SystemInfoMachine, EverySectionHasItsFormOnThisMachine)
{
    EXPECT_EQ("", Text(CSystemInfo::Collect("Nothing")));
    EXPECT_EQ("", Text(CSystemInfo::Collect(NULL)));

    const std::string os = Text(CSystemInfo::Collect("OS"));
    EXPECT_TRUE(std::regex_match(os, std::regex("OS Version = Microsoft Windows .* \\(Build [0-9]+\\)"))) << os;

    char windows[MAX_PATH], system[MAX_PATH], module[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    GetModuleFileNameA(NULL, module, MAX_PATH);
    *strrchr(module, '\\') = '\0';
    EXPECT_EQ(std::string("Windows Directory = ") + windows + "\r\nSystem Directory = " + system +
                  "\r\nWork Directory = " + module,
              Text(CSystemInfo::Collect("Directories")));

    const std::string memory = Text(CSystemInfo::Collect("Memory"));
    EXPECT_TRUE(std::regex_match(memory, std::regex("Total physical memory : [0-9]+ Kb\r\nAvail physical memory : "
                                                    "[0-9]+ Kb\r\nTotal virtual memory : [0-9]+ Kb\r\nAvail "
                                                    "virtual memory : [0-9]+ Kb")))
        << memory;

    HDC screen = GetDC(NULL);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(NULL, screen);
    EXPECT_EQ("\r\n\r\nVideo resolution info = " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                  std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " " + std::to_string(bits) + " bits per pixel",
              Text(CSystemInfo::Collect("Resolution")));

    const std::string drives = Text(CSystemInfo::Collect("Discs"));
    EXPECT_EQ(0u, drives.find("Local drives info :\r\n"));
    EXPECT_TRUE(std::regex_search(drives, std::regex(" C:\\\\ total [0-9]+Mb free [0-9]+Mb  FIXED\r\n"))) << drives;

    const std::string cpu = Text(CSystemInfo::Collect("CPU"));
    EXPECT_EQ(0u, cpu.find("\r\n\r\nSytem CPU info = "));
    EXPECT_NE(std::string::npos, cpu.find("\r\nNumber of processor = " + std::to_string(Processors())));
}

TEST(SystemInfoMachine, TheWriteTestLeavesNothingBehindAndFailsWhereNothingCanBeMade)
{
    TempFolder folder;
    EXPECT_TRUE(CSystemInfo::CanWriteTo(folder.Path().c_str()));
    EXPECT_TRUE(folder.List().empty());
    EXPECT_FALSE(CSystemInfo::CanWriteTo(folder.File("missing").c_str()));
    EXPECT_FALSE(CSystemInfo::CanWriteTo(NULL));
}
