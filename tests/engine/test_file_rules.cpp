// Matching rules of the process, disk, hosts and cookie areas with planted
// files, a helper process, hosts lines and cookies.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "foundation/syshelpers.h"
#include "scan_test_support.h"

namespace {

std::string FolderName(const TempFolder& temp)
{
    return temp.Path().substr(temp.Path().rfind('\\') + 1);
}

std::string LowerText(std::string s)
{
    return RecordingListener::Lower(s);
}

} // namespace

TEST(FileRules, LocatedItemsOfTheQuickScanLocations)
{
    TempFolder temp;
    const std::string dir = FolderName(temp);
    ASSERT_TRUE(TempFolder::Write(temp.File("one.exe"), B("12345")));
    ASSERT_TRUE(TempFolder::Write(temp.File("two.exe"), B("1234567")));
    ASSERT_TRUE(TempFolder::Write(temp.File("three.txt"), B("x")));
    const Bytes marked = B("head MARKER tail");
    ASSERT_TRUE(TempFolder::Write(temp.File("marked.dat"), marked));
    ASSERT_TRUE(TempFolder::Write(temp.File("unmarked.dat"), B("head marker tail")));
    ASSERT_TRUE(TempFolder::Write(temp.File("pattern-only.bin"), B("MARKER but no digest")));
    ASSERT_TRUE(TempFolder::Write(temp.File("locked.lck"), B("locked")));
    ASSERT_TRUE(TempFolder::Write(temp.File("late.zzz"), B("late")));
    CreateDirectoryA(temp.File("sub.exe").c_str(), NULL);

    TestDatabase db;
    db.File(1, 8, 1, 0, (dir + "\\*.exe").c_str());                          // one, two; folder sub.exe too
    db.File(1, 8, 2, 5, (dir + "\\*.exe").c_str());                          // size 5: one only
    db.File(1, 8, 3, 0, (dir + "\\*.dat").c_str(), Bytes(), B("MARKER"));    // marked; program from digest
    db.File(1, 8, 4, 0, (dir + "\\*.bin").c_str(), Bytes(), B("MARKER"));    // digest unknown: none
    db.File(1, 8, 5, 0, (dir + "\\*.lck").c_str(), Bytes(16, 1));            // unreadable: reported
    db.File(0, 8, 6, 0, (dir + "\\*.txt").c_str());                          // pass 2 only, never found
    db.File(1, 0, 7, 0, "cw-unlocated.exe");                                 // ends the walk
    db.File(1, 8, 8, 0, (dir + "\\*.zzz").c_str());                          // never reached
    db.Digest(9, Md5Of(marked));
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    HANDLE lock = CreateFileA(temp.File("locked.lck").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    MessageCapture messages;
    TestScan scan({4}); // full form: no folder walk in the temporary folder's top level
    const bool ran = scan.Run(temp.File("db.bin"));
    CloseHandle(lock);
    ASSERT_TRUE(ran);

    std::vector<std::string> got;
    for (const ScanEvent& e : scan.listener.Items(3))
        got.push_back(std::to_string(e.program) + " " + e.name.substr(e.name.rfind('\\') + 1));
    std::sort(got.begin(), got.end());
    const std::vector<std::string> expected = {"1 one.exe", "1 sub.exe", "1 two.exe", "2 one.exe", "5 locked.lck",
                                               "9 marked.dat"};
    EXPECT_EQ(expected, got);
    for (const ScanEvent& e : scan.listener.Items(3))
    {
        EXPECT_EQ(temp.Path() + "\\", e.name.substr(0, temp.Path().size() + 1)); // full path
        EXPECT_EQ(1, e.known);
        EXPECT_FALSE(e.hasValue);
    }
    EXPECT_TRUE(messages.Has("Cannot access file " + temp.File("locked.lck")));
    EXPECT_TRUE(messages.Has("Disk item detected (quick), program #9, item 0, filename " + temp.File("marked.dat")));
    // Program 9 was found, so its pass 2 ran nothing new; program 6 was never found.
    EXPECT_TRUE(scan.listener.ItemsNamed("three.txt").empty());
}

TEST(FileRules, FullDiskWalkReportsDigestKnownFiles)
{
    TempFolder temp;
    const std::string root = temp.File("Tree");
    CreateDirectoryA(root.c_str(), NULL);
    CreateDirectoryA((root + "\\Sub").c_str(), NULL);
    CreateDirectoryA((root + "\\Folder.EXE").c_str(), NULL);
    const Bytes known = B("known program bytes");
    const Bytes zero = B("program zero");
    ASSERT_TRUE(TempFolder::Write(root + "\\Sub\\Known.EXE", known));
    ASSERT_TRUE(TempFolder::Write(root + "\\Sub\\Zero.dll", zero));
    ASSERT_TRUE(TempFolder::Write(root + "\\Sub\\Other.dll", B("unknown bytes")));
    ASSERT_TRUE(TempFolder::Write(root + "\\Sub\\Known.txt", known)); // no .exe/.dll in its path
    ASSERT_TRUE(TempFolder::Write(root + "\\Empty.exe", Bytes()));
    ASSERT_TRUE(TempFolder::Write(root + "\\Folder.EXE\\inner.bin", known));
    ASSERT_TRUE(TempFolder::Write(root + "\\test.dat", B("a user's own file")));
    TestDatabase db;
    db.Digest(0, Md5Of(zero));
    db.Digest(4, Md5Of(known));
    db.Digest(5, Md5Of(Bytes()));
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    TestScan scan({4});
    scan.scanner.AddPath((root + "\\").c_str());
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    std::vector<std::string> got;
    for (const ScanEvent& e : scan.listener.Items(4))
        got.push_back(std::to_string(e.program) + " " + e.name);
    std::sort(got.begin(), got.end());
    const std::string lower = LowerText(root);
    const std::vector<std::string> expected = {"0 " + lower + "\\sub\\zero.dll", "4 " + lower + "\\folder.exe\\inner.bin",
                                               "4 " + lower + "\\sub\\known.exe"};
    EXPECT_EQ(expected, got);
    // The probe left the existing file alone.
    EXPECT_EQ(B("a user's own file"), TempFolder::Read(root + "\\test.dat"));
    // Files and dot entries are counted; folders are not.
    EXPECT_EQ(scan.scanner.GetCounter(3), scan.listener.LastScanning(3));
    EXPECT_GE(scan.scanner.GetCounter(3), 7u);
    bool sawFolder = false;
    for (const ScanEvent& e : scan.listener.events)
        sawFolder |= e.kind == "folder" && e.name == lower + "\\sub\\known.exe";
    EXPECT_TRUE(sawFolder);

    // No probe file is left behind in any folder.
    EXPECT_FALSE(TempFolder::Exists(root + "\\Sub\\test.dat"));
    EXPECT_FALSE(TempFolder::Exists(root + "\\Folder.EXE\\test.dat"));
}

namespace {

// The walk's own order of the lower-case paths: every entry as listed, dot
// entries too, and a folder's entries just before the folder itself.
void ListInWalkOrder(const std::string& folder, std::vector<std::string>& paths)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do
    {
        const std::string path = folder + "\\" + data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != '.')
            ListInWalkOrder(path, paths);
        paths.push_back(LowerText(path));
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

bool HasProgramName(const std::string& lowerPath)
{
    return lowerPath.find(".exe") != std::string::npos || lowerPath.find(".dll") != std::string::npos;
}

} // namespace

TEST(FileRules, FullDiskWalkReportsInWalkOrderAndLeavesNoFileOpen)
{
    TempFolder temp;
    const std::string root = temp.File("Ordered");
    CreateDirectoryA(root.c_str(), NULL);
    TestDatabase db;
    std::vector<std::string> known; // lower case
    DWORD program = 1;
    // Large files early and small ones late, in several folders and depths,
    // so that later digests often finish first.
    for (const char* folder : {"", "\\B", "\\B\\Deep", "\\C", "\\C\\D.dll"})
    {
        CreateDirectoryA((root + folder).c_str(), NULL);
        for (int i = 0; i < 6; ++i)
        {
            Bytes data((size_t)(i < 2 ? (3 << 20) - i * 4099 : 100 + i), (BYTE)program);
            data[0] = (BYTE)(program >> 8);
            const std::string name = root + folder + "\\P" + std::to_string(i) + (i % 2 ? ".DLL" : ".exe");
            ASSERT_TRUE(TempFolder::Write(name, data));
            ASSERT_TRUE(TempFolder::Write(root + folder + "\\other" + std::to_string(i) + ".txt", B("other")));
            db.Digest(program++, Md5Of(data));
            known.push_back(LowerText(name));
        }
    }
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    TestScan scan({4});
    // The same path twice is walked twice.
    scan.scanner.AddPath(root.c_str());
    scan.scanner.AddPath(root.c_str());
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));

    std::vector<std::string> walk;
    ListInWalkOrder(root, walk);
    std::vector<std::string> expectedItems, expectedChecks;
    for (int twice = 0; twice < 2; ++twice)
        for (const std::string& path : walk)
        {
            if (HasProgramName(path))
                expectedChecks.push_back(path);
            if (std::find(known.begin(), known.end(), path) != known.end())
                expectedItems.push_back(path);
        }
    ASSERT_EQ(2 * known.size(), expectedItems.size());
    std::vector<std::string> items, checks;
    for (const ScanEvent& e : scan.listener.Items(4))
        items.push_back(e.name);
    EXPECT_EQ(expectedItems, items);
    for (const ScanEvent& e : scan.listener.events)
        if (e.kind == "folder")
            checks.push_back(e.name);
    EXPECT_EQ(expectedChecks, checks);

    // The scan has closed every file it read: they can go at once.
    for (const std::string& name : known)
        EXPECT_TRUE(DeleteFileA(name.c_str())) << name << " error " << GetLastError();
    EXPECT_FALSE(TempFolder::Exists(known[0]));
}

TEST(FileRules, FolderWalkDoesNotFollowLinks)
{
    TempFolder temp;
    const std::string root = temp.File("Walk");
    const std::string outside = temp.File("Outside");
    CreateDirectoryA(root.c_str(), NULL);
    CreateDirectoryA(outside.c_str(), NULL);
    const Bytes known = B("linked program");
    ASSERT_TRUE(TempFolder::Write(outside + "\\linked.exe", known));
    if (!CreateSymbolicLinkA((root + "\\link").c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !(GetFileAttributesA((root + "\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
    {
        RemoveDirectoryA((root + "\\link").c_str());
        GTEST_SKIP() << "directory links cannot be made here";
    }
    TestDatabase db;
    db.Digest(3, Md5Of(known));
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    TestScan scan({4});
    scan.scanner.AddPath(root.c_str());
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_TRUE(scan.listener.Items(4).empty());
    RemoveDirectoryA((root + "\\link").c_str());
}

TEST(FileRules, QuickFormFindsDigestKnownFilesInBothPasses)
{
    TempFolder temp;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[64];
    wsprintfA(name, "cwscan-quick-%lu.exe", GetCurrentProcessId());
    const std::string planted = std::string(base) + name;
    const Bytes bytes = B("quick scan planted file");
    ASSERT_TRUE(TempFolder::Write(planted, bytes));
    TestDatabase db;
    db.Digest(2, Md5Of(bytes));
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    TestScan scan({3});
    const bool ran = scan.Run(temp.File("db.bin"));
    DeleteFileA(planted.c_str());
    ASSERT_TRUE(ran);
    auto items = scan.listener.ItemsNamed(name, 4);
    ASSERT_EQ(2u, items.size()); // once per pass
    EXPECT_EQ(2u, items[0].program);
}

TEST(FileRules, RunningProcessByModuleFileName)
{
    TempFolder temp;
    const std::string helper = std::string(GetModuleFolder()) + "cw_planted_process.exe";
    const Bytes image = TempFolder::Read(helper);
    ASSERT_FALSE(image.empty()) << helper;
    TestDatabase db;
    db.File(1, 0, 1, 17, "cw_planted_process.exe");                         // wrong size: skipped
    db.File(1, 0, 3, 0, "cw_planted_process.exe");                          // the match
    db.File(1, 0, 4, 0, "cw_planted_process.exe");                          // later, not tried
    db.File(1, 0, 5, 0, "CW_PLANTED_PROCESS.EXE");                          // other case: other name
    db.Digest(3, Md5Of(image));
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::string command = "\"" + helper + "\"";
    ASSERT_TRUE(CreateProcessA(helper.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    WaitForInputIdle(pi.hProcess, 2000);
    Sleep(300);
    MessageCapture messages;
    TestScan scan({0});
    const bool ran = scan.Run(temp.File("db.bin"));
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(ran);
    EXPECT_EQ("S0 C0 C7", scan.listener.Areas());
    auto items = scan.listener.Items(0);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(3u, items[0].program);
    EXPECT_EQ(pi.dwProcessId, items[0].type);
    EXPECT_EQ("cw_planted_process.exe", LowerText(items[0].name.substr(items[0].name.rfind('\\') + 1)));
    EXPECT_EQ(0u, items[0].root);
    EXPECT_TRUE(messages.Has("scanProcesses started"));
    EXPECT_GE(scan.scanner.GetCounter(0), 2u);
    EXPECT_EQ(scan.scanner.GetCounter(0), scan.listener.LastScanning(0));
    EXPECT_EQ(0, scan.scanner.GetNameIndexCount()); // emptied after the area
}

TEST(FileRules, HostsLines)
{
    TempFolder temp;
    CInternalScanner probe;
    probe.PrepareUserContext(false);
    const std::string hosts = probe.GetHostsPath();
    const bool existed = TempFolder::Exists(hosts);
    const Bytes saved = TempFolder::Read(hosts);
    std::string text =
        "# 127.0.0.1 evil.example\r\n"
        "127.0.0.1 evil.example\r\n"
        "127.0.0.1 other.example\r\n"
        "  127.0.0.1\tEVIL.Example # comment\r\n"
        "10.1.2.3 anything.example\r\n"
        "10.1.2.3\r\n"
        "not an address\r\n"
        "127.0.0.1 " + std::string(20000, 'a') + "\r\n" +
        "300.1.2.3 wrapped.example\r\n";
    ASSERT_TRUE(TempFolder::Write(hosts, Bytes(text.begin(), text.end())));
    TestDatabase db;
    db.Host(1, 127, 0, 0, 1, "evil.example");
    db.Host(2, 10, 1, 2, 3, "*");
    db.Host(3, 44, 1, 2, 3, "*"); // 300 keeps its low byte 44
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    MessageCapture messages;
    TestScan scan({5});
    const bool ran = scan.Run(temp.File("db.bin"));
    if (existed)
        TempFolder::Write(hosts, saved);
    else
        DeleteFileA(hosts.c_str());
    ASSERT_TRUE(ran);
    std::vector<std::string> got;
    for (const ScanEvent& e : scan.listener.Items(5))
        got.push_back(std::to_string(e.program) + " " + e.name + " " + e.value);
    const std::vector<std::string> expected = {"1 evil.example 127.0.0.1", "1 EVIL.Example 127.0.0.1",
                                               "2 anything.example 10.1.2.3", "3 wrapped.example 300.1.2.3"};
    EXPECT_EQ(expected, got);
    // Considered lines: the five that read as an address and a name.
    EXPECT_EQ(5u, scan.scanner.GetCounter(5));
    EXPECT_EQ(5u, scan.listener.LastScanning(5));
    EXPECT_TRUE(messages.Has("Host detected, program #1, item index 0, line 127.0.0.1 evil.example"));
    EXPECT_TRUE(messages.Has("scanHosts started"));
}

TEST(FileRules, CookieFiles)
{
    TempFolder temp;
    char profile[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathA(NULL, CSIDL_PROFILE, NULL, 0, profile));
    const std::string folder = std::string(profile) + "\\Cookies";
    const bool made = CreateDirectoryA(folder.c_str(), NULL) != 0;
    char a[64], b[64];
    wsprintfA(a, "user@cwtrack%lu[1].txt", GetCurrentProcessId());
    wsprintfA(b, "user@cwother%lu.txt", GetCurrentProcessId());
    ASSERT_TRUE(TempFolder::Write(folder + "\\" + a, B("cookie")));
    ASSERT_TRUE(TempFolder::Write(folder + "\\" + b, B("cookie")));
    TestDatabase db;
    db.Cookie(6, ("*@cwtrack" + std::to_string(GetCurrentProcessId()) + "*.txt").c_str());
    db.Cookie(7, "cw-none-*.txt");
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    MessageCapture messages;
    TestScan scan({6});
    const bool ran = scan.Run(temp.File("db.bin"));
    DeleteFileA((folder + "\\" + a).c_str());
    DeleteFileA((folder + "\\" + b).c_str());
    if (made)
        RemoveDirectoryA(folder.c_str());
    ASSERT_TRUE(ran);
    auto items = scan.listener.Items(6);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(6u, items[0].program);
    EXPECT_EQ(folder + "\\" + a, items[0].name);
    EXPECT_EQ(a, items[0].value);
    EXPECT_EQ(2u, scan.scanner.GetCounter(6)); // once per record
    EXPECT_TRUE(messages.Has(std::string("Cookie detected, program #6, item index 0, file name ") + a));
}
