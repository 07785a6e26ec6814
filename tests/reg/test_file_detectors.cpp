// The detectors that read files: the hosts file, the two INI files, the
// startup folder's shortcuts and the newest scan log.

#include "foundation/debuglog.h"
#include "reg/hostsfiledetector.h"
#include "reg/inidetector.h"
#include "reg/scanlogdetector.h"
#include "reg/startupfolderdetector.h"

#include "tests/reg/detector_test_support.h"
#include "tests/reg/registry_sandbox.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end()));
}

void SetWriteTime(const std::string& path, int daysAgo)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(daysAgo) * 864000000000ULL;
    FILETIME when = {t.LowPart, t.HighPart};
    SetFileTime(file, NULL, NULL, &when);
    CloseHandle(file);
}

// Makes a shortcut to target; false when the shell cannot.
bool MakeShortcut(const std::string& linkPath, const std::string& target)
{
    bool made = false;
    CoInitialize(NULL);
    IShellLinkA* link = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))))
    {
        link->SetPath(target.c_str());
        IPersistFile* file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            made = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return made;
}

} // namespace

TEST(HostsFileDetector, ReadsAddressAndHostOfEveryEntryLine)
{
    TempFolder folder;
    const std::string hosts = folder.File("hosts");
    WriteText(hosts, "# comment line\r\n"
                     "127.0.0.1   localhost now\r\n"
                     "\r\n"
                     "10.0.0.1\t\tspy.example\n"
                     "   192.168.0.9 indented\n"
                     "noseparator\n"
                     "  # indented comment\n"
                     "1.2.3.4 last-without-newline");
    EXPECT_EQ(Record("o1", {{"ip", "127.0.0.1"}, {"domain", "localhost now"}}) +
                  Record("o1", {{"ip", "10.0.0.1"}, {"domain", "spy.example"}}) +
                  Record("o1", {{"ip", "192.168.0.9"}, {"domain", "indented"}}) +
                  Record("o1", {{"ip", "noseparator"}, {"domain", ""}}) +
                  Record("o1", {{"ip", "1.2.3.4"}, {"domain", "last-without-newline"}}),
              Detect<CHostsFileDetector>(hosts));
}

TEST(HostsFileDetector, ALineLongerThanItsBufferGivesItsFirstPartAndTheReadGoesOn)
{
    TempFolder folder;
    const std::string hosts = folder.File("hosts");
    const std::string fits = "1.1.1.1 " + std::string(1023 - 8, 'f');    // exactly 1023 characters
    const std::string tooLong = "2.2.2.2 " + std::string(3000, 'x');
    // A hijack padded past the buffer, as such entries are hidden.
    const std::string hijack = "66.66.66.66 www.bank.example" + std::string(5000 - 28, ' ');
    WriteText(hosts, fits + "\n" + tooLong + "\n3.3.3.3 after\n" + hijack + "\r\n4.4.4.4 end\n");
    EXPECT_EQ(Record("o1", {{"ip", "1.1.1.1"}, {"domain", std::string(1023 - 8, 'f')}}) +
                  Record("o1", {{"ip", "2.2.2.2"}, {"domain", std::string(1023 - 8, 'x')}}) +
                  Record("o1", {{"ip", "3.3.3.3"}, {"domain", "after"}}) +
                  Record("o1", {{"ip", "66.66.66.66"}, {"domain", hijack.substr(12, 1023 - 12)}}) +
                  Record("o1", {{"ip", "4.4.4.4"}, {"domain", "end"}}),
              Detect<CHostsFileDetector>(hosts));
}

TEST(HostsFileDetector, AMissingFileGivesNothingAndTheSystemPathIsTheDriversFolder)
{
    TempFolder folder;
    EXPECT_EQ("", Detect<CHostsFileDetector>(folder.File("missing")));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\drivers\\etc\\hosts").c_str(),
                           CHostsFileDetector::SystemHostsPath().c_str()));
}

TEST(IniDetectors, ReportTheShellAndRunKeysWhenSet)
{
    TempFolder folder;
    const std::string system = folder.File("system.ini");
    const std::string win = folder.File("win.ini");
    const std::string longRun(3000, 'r');
    WriteText(system, "[boot]\r\nShell=wrong.exe\r\n[386enh]\r\nShell=explorer.exe evil.exe\r\n");
    WriteText(win, "[Explorer]\r\nrun=" + longRun + "\r\n[windows]\r\nload=\r\n");
    EXPECT_EQ(Record("f0", {{"filename", "system.ini"}, {"key", "Shell"}, {"value", "explorer.exe evil.exe"}}),
              Detect<CSystemIniDetector>(system));
    EXPECT_EQ(Record("f1", {{"filename", "win.ini"}, {"key", "run"}, {"value", longRun}}),
              Detect<CWinIniDetector>(win));

    WriteText(win, "[Explorer]\r\nrun=\r\n");
    EXPECT_EQ("", Detect<CWinIniDetector>(win));
    EXPECT_EQ("", Detect<CSystemIniDetector>(folder.File("missing.ini")));

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\win.ini", CIniValueDetector::WindowsFile("win.ini"));
}

TEST(StartupFolderDetector, ReportsEachShortcutWithItsTargetAndSkipsUnreadableOnes)
{
    TempFolder folder;
    const std::string target = PlantAbcFile(folder, "program.exe");
    CreateDirectoryA(folder.File("startup").c_str(), NULL);
    const std::string startup = folder.File("startup");
    ASSERT_TRUE(MakeShortcut(startup + "\\Program.lnk", target));
    // A file that only carries the extension is no shortcut: nothing, not its own path.
    WriteText(startup + "\\Broken.lnk", "not a shortcut");
    WriteText(startup + "\\notes.txt", "ignored");

    EXPECT_EQ(Record("o4startup", {{"path", "Global Startup"}, {"title", "Program.lnk"}, {"command", target},
                                   {"MD5", kAbcMd5}}),
              Detect<CStartupFolderDetector>(startup));

    std::string read;
    EXPECT_FALSE(CStartupFolderDetector::ReadShortcutTarget(startup + "\\Broken.lnk", read));
    EXPECT_EQ("", read);
}

TEST(StartupFolderDetector, AShortcutWithoutAPathIsNotReportedAsItsOwnFileAndTheNotesGoToTheDebugLog)
{
    TempFolder folder, logFolder;
    SetDebugLogFolder(logFolder.Path().c_str());
    const std::string startup = folder.File("startup");
    CreateDirectoryA(startup.c_str(), NULL);
    const std::string link = startup + "\\Computer.lnk";
    // A shortcut to a place that is no file (the computer itself).
    CoInitialize(NULL);
    LPITEMIDLIST computer = NULL;
    IShellLinkA* shell = NULL;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&shell)));
    shell->SetIDList(computer);
    IPersistFile* file = NULL;
    ASSERT_EQ(S_OK, shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    ASSERT_EQ(S_OK, file->Save(wide, TRUE));
    file->Release();
    shell->Release();
    CoTaskMemFree(computer);
    CoUninitialize();

    EXPECT_EQ("", Detect<CStartupFolderDetector>(startup));
    std::string target = "x";
    EXPECT_FALSE(CStartupFolderDetector::ReadShortcutTarget(link, target));
    EXPECT_EQ("", target);
    EXPECT_EQ("", Detect<CStartupFolderDetector>(folder.File("nowhere")));

    const std::vector<BYTE> bytes = TempFolder::Read(logFolder.File("sdebug.log"));
    const std::string log(bytes.begin(), bytes.end());
    SetDebugLogFolder(NULL);
    EXPECT_NE(std::string::npos, log.find("] Message: GetPath failed! (" + link + ")\nFunction: "
                                          "CStartupFolderDetector::Detect\r\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("] Message: No .lnk files found. (" + folder.File("nowhere") + "\\)"))
        << log;
}

TEST(StartupFolderDetector, AnEmptyFolderOrNoMachineFolderGivesNothing)
{
    TempFolder folder;
    EXPECT_EQ("", Detect<CStartupFolderDetector>(folder.Path()));
    RegistrySandbox registry;
    EXPECT_EQ("", Detect<CStartupFolderDetector>());
    EXPECT_TRUE(registry.AllKeys().empty());
}

TEST(ScanLogDetector, SendsTheNewestLogByTimeLineByLine)
{
    TempFolder logs;
    WriteText(logs.File("scan_log_12-31-2009_10-00-00.log"), "older by time\r\n");
    WriteText(logs.File("scan_log_01-01-2010_10-00-00.log"), "Scan log. Started\r\nsecond line\nlast");
    WriteText(logs.File("zzz.log.bak"), "not a log");
    SetWriteTime(logs.File("scan_log_12-31-2009_10-00-00.log"), 2);
    SetWriteTime(logs.File("scan_log_01-01-2010_10-00-00.log"), 1);
    SetWriteTime(logs.File("zzz.log.bak"), 0);

    EXPECT_EQ(Record("scan", {{"value", "Scan log. Started\r\nsecond line\r\nlast\r\n"}}),
              Detect<CScanLogDetector>(logs.Path()));
}

TEST(ScanLogDetector, NoLogMeansNoRecord)
{
    TempFolder logs;
    EXPECT_EQ("", Detect<CScanLogDetector>(logs.Path()));
    EXPECT_EQ("", Detect<CScanLogDetector>(logs.File("missing")));
    WriteText(logs.File("empty.log"), "");
    EXPECT_EQ(Record("scan", {{"value", ""}}), Detect<CScanLogDetector>(logs.Path()));
}
