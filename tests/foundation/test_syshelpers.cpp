#include "foundation/syshelpers.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "temp_folder.h"

namespace {

std::string ModulePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return path;
}

}  // namespace

TEST(SysHelpers, SplitAndJoinCommaLists)
{
    CStringArray list;
    list.Add("stale");
    SplitCommaList("C:,D:", list);
    ASSERT_EQ(2, list.GetSize());
    EXPECT_STREQ("C:", list[0]);
    EXPECT_STREQ("D:", list[1]);

    SplitCommaList(",C:", list);  // comma first: the whole text is one item
    ASSERT_EQ(1, list.GetSize());
    EXPECT_STREQ(",C:", list[0]);

    SplitCommaList("C:,", list);  // trailing comma: a last empty item
    ASSERT_EQ(2, list.GetSize());
    EXPECT_STREQ("C:", list[0]);
    EXPECT_STREQ("", list[1]);

    SplitCommaList("C:,,D:", list);  // the remainder ",D:" starts with a comma
    ASSERT_EQ(2, list.GetSize());
    EXPECT_STREQ("C:", list[0]);
    EXPECT_STREQ(",D:", list[1]);

    SplitCommaList("", list);
    EXPECT_EQ(0, list.GetSize());
    list.Add("x");
    SplitCommaList(nullptr, list);
    EXPECT_EQ(0, list.GetSize());

    SplitCommaList("single", list);
    ASSERT_EQ(1, list.GetSize());
    EXPECT_STREQ("single", list[0]);

    CStringArray join;
    EXPECT_STREQ("", JoinCommaList(join));
    join.Add("only");
    EXPECT_STREQ("only", JoinCommaList(join));
    join.Add("");
    join.Add("c");
    EXPECT_STREQ("only,,c", JoinCommaList(join));

    SplitCommaList("a b,c:\\x y,z", list);
    EXPECT_STREQ("a b,c:\\x y,z", JoinCommaList(list));
}

TEST(SysHelpers, DriveLists)
{
    CStringArray all;
    all.Add("stale");
    GetLocalAndNetworkDrives(all);
    ASSERT_GT(all.GetSize(), 0);
    for (INT_PTR i = 0; i < all.GetSize(); ++i) {
        const CString d = all[i];
        ASSERT_EQ(2, d.GetLength()) << d.GetString();
        EXPECT_TRUE(d[0] >= 'A' && d[0] <= 'Z') << d.GetString();
        EXPECT_EQ(':', d[1]);
        UINT type = GetDriveTypeA(d + "\\");
        EXPECT_TRUE(type == DRIVE_FIXED || type == DRIVE_REMOTE) << d.GetString();
    }

    CStringArray list;
    GetDriveList("alldrives", list);
    EXPECT_STREQ(JoinCommaList(all), JoinCommaList(list));
    GetDriveList("ALLDRIVES", list);
    EXPECT_STREQ(JoinCommaList(all), JoinCommaList(list));
    GetDriveList("C:\\Data,D:\\", list);
    ASSERT_EQ(2, list.GetSize());
    EXPECT_STREQ("C:\\Data", list[0]);
    EXPECT_STREQ("D:\\", list[1]);
    GetDriveList("", list);
    EXPECT_EQ(0, list.GetSize());

    GetDriveListOrAll("", list);
    EXPECT_STREQ(JoinCommaList(all), JoinCommaList(list));
    GetDriveListOrAll(nullptr, list);
    EXPECT_STREQ(JoinCommaList(all), JoinCommaList(list));
    GetDriveListOrAll("E:", list);
    ASSERT_EQ(1, list.GetSize());
    EXPECT_STREQ("E:", list[0]);
    GetDriveListOrAll("AllDrives", list);  // only the empty text means all here
    ASSERT_EQ(1, list.GetSize());
    EXPECT_STREQ("AllDrives", list[0]);
}

TEST(SysHelpers, ParseRegistryPath)
{
    CString sub = "stale";
    EXPECT_EQ(HKEY_CURRENT_USER,
              ParseRegistryPath("HKEY_CURRENT_USER\\Software\\Microsoft\\Run\\", sub));
    EXPECT_STREQ("Software\\Microsoft\\Run\\", sub);
    EXPECT_EQ(HKEY_CURRENT_USER, ParseRegistryPath("hkey_current_user\\Software\\MiXed", sub));
    EXPECT_STREQ("Software\\MiXed", sub);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, ParseRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE", sub));
    EXPECT_EQ(HKEY_CLASSES_ROOT, ParseRegistryPath("Hkey_Classes_Root\\.txt", sub));
    EXPECT_STREQ(".txt", sub);
    EXPECT_EQ(HKEY_USERS, ParseRegistryPath("HKEY_USERS\\.DEFAULT", sub));
    EXPECT_EQ(HKEY_CURRENT_CONFIG, ParseRegistryPath("HKEY_CURRENT_CONFIG", sub));
    EXPECT_STREQ("", sub);  // no backslash: no sub-key
    EXPECT_EQ(HKEY_CURRENT_USER, ParseRegistryPath("HKEY_CURRENT_USER\\", sub));
    EXPECT_STREQ("", sub);

    EXPECT_EQ(nullptr, ParseRegistryPath("HKEY_PERFORMANCE_DATA\\Counters", sub));
    EXPECT_EQ(nullptr, ParseRegistryPath("HKCU\\Software", sub));
    EXPECT_EQ(nullptr, ParseRegistryPath("", sub));
    EXPECT_EQ(nullptr, ParseRegistryPath(nullptr, sub));
    EXPECT_STREQ("", sub);
    EXPECT_EQ(nullptr, ParseRegistryPath("\\Software", sub));

    // Length limits: accepted at the limit, refused above it, never cut.
    const std::string sub511(511, 's');
    EXPECT_EQ(HKEY_USERS, ParseRegistryPath(("HKEY_USERS\\" + sub511).c_str(), sub));
    EXPECT_EQ(511, sub.GetLength());
    sub = "stale";
    EXPECT_EQ(nullptr, ParseRegistryPath(("HKEY_USERS\\" + sub511 + "s").c_str(), sub));
    EXPECT_STREQ("", sub);
    sub = "stale";
    EXPECT_EQ(nullptr, ParseRegistryPath((std::string(128, 'R') + "\\x").c_str(), sub));
    EXPECT_STREQ("", sub);
    const std::string text1024 = "HKEY_USERS\\" + std::string(1024 - 11, 's');
    sub = "stale";
    EXPECT_EQ(nullptr, ParseRegistryPath(text1024.c_str(), sub));
    EXPECT_STREQ("", sub);
}

class SysRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[64];
        wsprintfA(name, "Software\\CleanwardenTest%lu", GetCurrentProcessId());
        m_sub = name;
        m_path = std::string("HKEY_CURRENT_USER\\") + name;
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_sub.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, m_sub.c_str());
    }
    DWORD StoredSize(const char* sub, const char* value, DWORD* type)
    {
        HKEY key = NULL;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, sub, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return MAXDWORD;
        DWORD size = 0;
        LONG rc = RegQueryValueExA(key, value, NULL, type, NULL, &size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? size : MAXDWORD;
    }
    void SetRaw(const char* value, DWORD type, const void* data, DWORD size)
    {
        HKEY key = NULL;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &key, NULL));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }

    std::string m_sub;
    std::string m_path;
};

TEST_F(SysRegistry, WriteReadExistsDeleteRoundTrip)
{
    const std::string path = m_path + "\\Inner";
    const std::string sub = m_sub + "\\Inner";
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, sub.c_str(), "Name"));
    EXPECT_STREQ("", RegReadString(path.c_str(), "Name"));

    ASSERT_TRUE(RegWriteString(path.c_str(), "Name", "Value one"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, sub.c_str(), "Name"));
    EXPECT_STREQ("Value one", RegReadString(path.c_str(), "Name"));
    EXPECT_STREQ("Value one", RegReadString(("hkey_current_user\\" + sub).c_str(), "Name"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, sub.c_str(), "Other"));
    EXPECT_FALSE(RegValueExists(nullptr, sub.c_str(), "Name"));

    // REG_SZ data carries its terminating NUL.
    DWORD type = 0;
    EXPECT_EQ(10u, StoredSize(sub.c_str(), "Name", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    ASSERT_TRUE(RegWriteString(path.c_str(), "Name", "2"));
    EXPECT_STREQ("2", RegReadString(path.c_str(), "Name"));
    EXPECT_EQ(2u, StoredSize(sub.c_str(), "Name", &type));

    ASSERT_TRUE(RegWriteString(path.c_str(), "Empty", ""));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, sub.c_str(), "Empty"));
    EXPECT_STREQ("", RegReadString(path.c_str(), "Empty"));
    EXPECT_EQ(1u, StoredSize(sub.c_str(), "Empty", &type));

    // Sub-key written with a trailing backslash, as the Run key is.
    const std::string trail = m_path + "\\Trail\\";
    ASSERT_TRUE(RegWriteString(trail.c_str(), "T", "t"));
    EXPECT_STREQ("t", RegReadString(trail.c_str(), "T"));
    EXPECT_TRUE(RegDeleteValueByPath(trail.c_str(), "T"));

    EXPECT_TRUE(RegDeleteValueByPath(path.c_str(), "Name"));
    EXPECT_FALSE(RegDeleteValueByPath(path.c_str(), "Name"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, sub.c_str(), "Name"));
    EXPECT_STREQ("", RegReadString(path.c_str(), "Name"));
    EXPECT_FALSE(RegDeleteValueByPath((m_path + "\\Missing").c_str(), "Name"));

    EXPECT_FALSE(RegWriteString("HKEY_NOWHERE\\Software\\x", "Name", "v"));
    EXPECT_FALSE(RegWriteString(("HKEY_CURRENT_USER\\" + std::string(512, 'k')).c_str(), "N", "v"));
    EXPECT_FALSE(RegDeleteValueByPath("HKEY_NOWHERE\\Software", "Name"));
    EXPECT_STREQ("", RegReadString("HKEY_NOWHERE\\Software", "Name"));
}

TEST_F(SysRegistry, ReadRefusesOtherTypesAndOverlongValues)
{
    const DWORD number = 0x31323334;
    SetRaw("Dword", REG_DWORD, &number, sizeof(number));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, m_sub.c_str(), "Dword"));
    EXPECT_STREQ("", RegReadString(m_path.c_str(), "Dword"));
    SetRaw("Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    EXPECT_STREQ("", RegReadString(m_path.c_str(), "Expand"));

    // 255 characters and the NUL fill the buffer exactly; one more is too long.
    const std::string fits(255, 'f');
    ASSERT_TRUE(RegWriteString(m_path.c_str(), "Fits", fits.c_str()));
    EXPECT_STREQ(fits.c_str(), RegReadString(m_path.c_str(), "Fits"));
    ASSERT_TRUE(RegWriteString(m_path.c_str(), "Long", std::string(256, 'l').c_str()));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, m_sub.c_str(), "Long"));
    EXPECT_STREQ("", RegReadString(m_path.c_str(), "Long"));
    ASSERT_TRUE(RegWriteString(m_path.c_str(), "Huge", std::string(5000, 'h').c_str()));
    EXPECT_STREQ("", RegReadString(m_path.c_str(), "Huge"));

    // Data stored without a terminating NUL is still read as a whole text...
    SetRaw("Bare", REG_SZ, "abcdef", 6);
    EXPECT_STREQ("abcdef", RegReadString(m_path.c_str(), "Bare"));
    // ...unless it fills the whole buffer, leaving no room for one.
    const std::string full(256, 'b');
    SetRaw("BareFull", REG_SZ, full.data(), 256);
    EXPECT_STREQ("", RegReadString(m_path.c_str(), "BareFull"));
}

TEST(SysHelpers, AutoRunEntry)
{
    char name[64];
    wsprintfA(name, "CleanwardenTest%lu-%lu", GetCurrentProcessId(), GetTickCount());
    const char* run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    const std::string module = ModulePath();

    EXPECT_FALSE(IsAutoRun(name));
    SetAutoRun(name, "/minimized");
    EXPECT_TRUE(IsAutoRun(name));
    EXPECT_STREQ(("\"" + module + "\" /minimized").c_str(), RegReadString(run, name));
    EXPECT_TRUE(RemoveAutoRun(name));
    EXPECT_FALSE(IsAutoRun(name));
    EXPECT_FALSE(RemoveAutoRun(name));

    // Path and arguments of 259 characters together are written whole...
    const std::string args(259 - module.size(), 'a');
    SetAutoRun(name, args.c_str());
    ASSERT_TRUE(IsAutoRun(name));
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            0, KEY_QUERY_VALUE, &key));
    char data[512] = "";
    DWORD size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, name, NULL, NULL, reinterpret_cast<BYTE*>(data), &size));
    RegCloseKey(key);
    EXPECT_STREQ(("\"" + module + "\" " + args).c_str(), data);
    EXPECT_TRUE(RemoveAutoRun(name));

    // ...one more is refused, not cut.
    SetAutoRun(name, (args + "a").c_str());
    EXPECT_FALSE(IsAutoRun(name));
    RemoveAutoRun(name);
}

namespace {

UINT g_hookFlags;
DWORD g_hookReason;
int g_hookCalls;
bool g_privilegeEnabledInHook;
BOOL g_hookResult;

bool ShutdownPrivilegeEnabled()
{
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    PRIVILEGE_SET set = {};
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &set.Privilege[0].Luid);
    BOOL enabled = FALSE;
    PrivilegeCheck(token, &set, &enabled);
    CloseHandle(token);
    return enabled != FALSE;
}

BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason)
{
    ++g_hookCalls;
    g_hookFlags = flags;
    g_hookReason = reason;
    g_privilegeEnabledInHook = ShutdownPrivilegeEnabled();
    return g_hookResult;
}

}  // namespace

TEST(SysHelpers, RebootGoesThroughHookWithPrivilege)
{
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), GetPlatformId());
    EnablePrivilege("SeShutdownPrivilege", false);
    EXPECT_FALSE(ShutdownPrivilegeEnabled());
    EnablePrivilege("SeNoSuchPrivilege", true);  // unknown names are ignored

    ExitWindowsFn previous = SetExitWindowsHook(FakeExitWindows);
    g_hookCalls = 0;
    g_hookResult = TRUE;
    EXPECT_TRUE(RebootWindows());
    EXPECT_EQ(1, g_hookCalls);
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), g_hookFlags);
    EXPECT_EQ(0x40000u, g_hookReason);
    EXPECT_TRUE(g_privilegeEnabledInHook);

    g_hookResult = FALSE;
    EXPECT_FALSE(RebootWindows());
    EXPECT_EQ(2, g_hookCalls);

    EXPECT_EQ(&FakeExitWindows, SetExitWindowsHook(previous));
    EnablePrivilege("SeShutdownPrivilege", false);
}

namespace {

const UINT kPing = WM_APP + 7;
int g_pings;

LRESULT CALLBACK PingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kPing) {
        ++g_pings;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

struct PostLater
{
    HWND target;
    DWORD delayMs;
    HANDLE eventToSet;
};

DWORD WINAPI PostLaterThread(void* param)
{
    const PostLater* p = static_cast<const PostLater*>(param);
    Sleep(p->delayMs);
    if (p->target)
        PostMessageA(p->target, kPing, 0, 0);
    if (p->eventToSet)
        SetEvent(p->eventToSet);
    return 0;
}

DWORD WINAPI AbandonMutexThread(void* param)
{
    WaitForSingleObject(static_cast<HANDLE>(param), INFINITE);
    return 0;  // ends still owning the mutex
}

class PingWindow
{
public:
    PingWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PingProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CleanwardenWaitTest";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                               wc.hInstance, NULL);
    }
    ~PingWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

}  // namespace

TEST(SysHelpers, WaitsPumpMessages)
{
    PingWindow window;
    ASSERT_NE(nullptr, window.hwnd);
    HANDLE never = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE set = CreateEventA(NULL, TRUE, TRUE, NULL);

    // Time-out: messages posted before and during the wait are dispatched.
    g_pings = 0;
    PostMessageA(window.hwnd, kPing, 0, 0);
    PostMessageA(window.hwnd, kPing, 0, 0);
    PostLater later = {window.hwnd, 120, NULL};
    HANDLE poster = CreateThread(NULL, 0, PostLaterThread, &later, 0, NULL);
    DWORD start = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObjectWithMessages(never, 250));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LE(elapsed, 600u);  // room for a loaded machine
    EXPECT_EQ(3, g_pings);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);

    // A signalled handle returns at once.
    start = GetTickCount();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObjectWithMessages(set, 5000));
    EXPECT_LT(GetTickCount() - start, 50u);

    HANDLE both[2] = {never, set};
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjectsWithMessages(2, both, FALSE, 5000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT),
              WaitForMultipleObjectsWithMessages(2, both, TRUE, 150));

    // INFINITE keeps pumping until a handle is signalled.
    HANDLE later2Event = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_pings = 0;
    PostLater later2 = {window.hwnd, 150, NULL};
    PostLater setter = {NULL, 300, later2Event};
    HANDLE t1 = CreateThread(NULL, 0, PostLaterThread, &later2, 0, NULL);
    HANDLE t2 = CreateThread(NULL, 0, PostLaterThread, &setter, 0, NULL);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObjectWithMessages(later2Event, INFINITE));
    EXPECT_EQ(1, g_pings);
    WaitForSingleObject(t1, INFINITE);
    WaitForSingleObject(t2, INFINITE);
    CloseHandle(t1);
    CloseHandle(t2);
    CloseHandle(later2Event);

    // Abandoned and failed waits are reported as they are, at once.
    HANDLE mutex = CreateMutexA(NULL, FALSE, NULL);
    HANDLE owner = CreateThread(NULL, 0, AbandonMutexThread, mutex, 0, NULL);
    WaitForSingleObject(owner, INFINITE);
    CloseHandle(owner);
    EXPECT_EQ(WAIT_ABANDONED_0, WaitForSingleObjectWithMessages(mutex, 1000));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    start = GetTickCount();
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObjectWithMessages(reinterpret_cast<HANDLE>(0x7ff0), 1000));
    EXPECT_LT(GetTickCount() - start, 50u);

    CloseHandle(never);
    CloseHandle(set);
}

TEST(SysHelpers, FoldersAndTempFiles)
{
    const CString temp = GetTempFolder();
    ASSERT_FALSE(temp.IsEmpty());
    EXPECT_EQ('\\', temp[temp.GetLength() - 1]);
    DWORD attrs = GetFileAttributesA(temp);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attrs);
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_DIRECTORY);

    const CString name1 = CreateTempFileName("cwt");
    const CString name2 = CreateTempFileName("cwt");
    ASSERT_FALSE(name1.IsEmpty());
    EXPECT_EQ(-1, name1.Find('\\'));
    EXPECT_STREQ("cwt", name1.Left(3));
    EXPECT_STRNE(name1, name2);
    const CString full1 = temp + name1;
    HANDLE h = CreateFileA(full1, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0u, GetFileSize(h, NULL));
    CloseHandle(h);
    EXPECT_TRUE(DeleteFileA(full1));
    EXPECT_TRUE(DeleteFileA(temp + name2));

    const CString folder = GetModuleFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ('\\', folder[folder.GetLength() - 1]);
    const std::string module = ModulePath();
    EXPECT_EQ(0, _strnicmp(module.c_str(), folder, folder.GetLength()));
    EXPECT_EQ(std::string::npos, module.find('\\', folder.GetLength()));

    char small[4] = "xyz";
    CopyModuleFolder(small, sizeof(small));
    EXPECT_EQ(0, strncmp(small, folder, 3));
    EXPECT_EQ('\0', small[3]);
    small[0] = 'q';
    CopyModuleFolder(small, 0);
    EXPECT_EQ('q', small[0]);

    const CString data = GetProductDataFolder();
    char common[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(NULL, common, CSIDL_COMMON_APPDATA, FALSE));
    EXPECT_STREQ((std::string(common) + "\\Telmin\\Cleanwarden\\").c_str(), data);
}

TEST(SysHelpers, ForceDeleteFile)
{
    TempFolder dir;
    const std::string guarded = dir.File("guarded.dat");
    ASSERT_TRUE(TempFolder::Write(guarded, {'x'}));
    SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(DeleteFileA(guarded.c_str()));  // read-only stops a plain delete
    ForceDeleteFile(guarded.c_str());
    EXPECT_FALSE(TempFolder::Exists(guarded));

    const std::string plain = dir.File("plain.dat");
    ASSERT_TRUE(TempFolder::Write(plain, {'x'}));
    ForceDeleteFile(plain.c_str());
    EXPECT_FALSE(TempFolder::Exists(plain));

    ForceDeleteFile(dir.File("missing.dat").c_str());  // silently nothing

    // When the delete fails, only the three guarding attributes are gone.
    const std::string busy = dir.File("busy.dat");
    ASSERT_TRUE(TempFolder::Write(busy, {'x'}));
    SetFileAttributesA(busy.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_ARCHIVE);
    HANDLE h = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ForceDeleteFile(busy.c_str());
    EXPECT_TRUE(TempFolder::Exists(busy));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA(busy.c_str()));
    CloseHandle(h);
    ForceDeleteFile(busy.c_str());
    EXPECT_FALSE(TempFolder::Exists(busy));
}

TEST(SysHelpers, OSNameTexts)
{
    const CString own = GetOSName();
    EXPECT_FALSE(own.IsEmpty());
    EXPECT_NE(-1, own.Find(" (Build "));
    EXPECT_STREQ("\r\n", own.Right(2));

    OSVERSIONINFOEXA v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    v.dwMajorVersion = 5;
    v.dwMinorVersion = 1;
    v.dwBuildNumber = 2600;
    strcpy(v.szCSDVersion, "Service Pack 2");
    v.wProductType = VER_NT_WORKSTATION;
    EXPECT_STREQ("Microsoft Windows XP Professional Service Pack 2 (Build 2600)\r\n",
                 FormatOSName(v, true));
    v.wSuiteMask = VER_SUITE_PERSONAL;
    EXPECT_STREQ("Microsoft Windows XP Home Edition Service Pack 2 (Build 2600)\r\n",
                 FormatOSName(v, true));

    v.dwMinorVersion = 2;
    v.dwBuildNumber = 3790;
    strcpy(v.szCSDVersion, "Service Pack 1");
    v.wProductType = VER_NT_SERVER;
    v.wSuiteMask = VER_SUITE_ENTERPRISE;
    EXPECT_STREQ("Microsoft Windows Server 2003 family, Enterprise Edition Service Pack 1 "
                 "(Build 3790)\r\n",
                 FormatOSName(v, true));
    v.wSuiteMask = VER_SUITE_BLADE;
    EXPECT_STREQ("Microsoft Windows Server 2003 family, Web Edition Service Pack 1 (Build 3790)\r\n",
                 FormatOSName(v, true));

    v.dwMinorVersion = 0;
    v.dwBuildNumber = 2195;
    strcpy(v.szCSDVersion, "Service Pack 4");
    v.wSuiteMask = VER_SUITE_DATACENTER;
    EXPECT_STREQ("Microsoft Windows 2000 Datacenter Server Service Pack 4 (Build 2195)\r\n",
                 FormatOSName(v, true));

    // Without the extended record the edition comes from ProductType.
    const CString plain = FormatOSName(v, false);
    EXPECT_STREQ("Microsoft Windows 2000 ", plain.Left(23));
    EXPECT_STREQ("5.0 Service Pack 4 (Build 2195)\r\n", plain.Right(33));

    // NT 4 with Service Pack 6 reads as 6a when the Q246009 hotfix is there.
    HKEY hotfix = NULL;
    const bool has6a =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                      KEY_QUERY_VALUE, &hotfix) == ERROR_SUCCESS;
    if (hotfix)
        RegCloseKey(hotfix);
    const char* sp6 = has6a ? "Service Pack 6a (Build 1381)\r\n" : "Service Pack 6 (Build 1381)\r\n";
    v.dwMajorVersion = 4;
    v.dwBuildNumber = 1381;
    strcpy(v.szCSDVersion, "Service Pack 6");
    v.wProductType = VER_NT_WORKSTATION;
    v.wSuiteMask = 0;
    EXPECT_STREQ((std::string("Microsoft Windows NT Workstation 4.0 ") + sp6).c_str(),
                 FormatOSName(v, true));
    v.wProductType = VER_NT_SERVER;
    v.wSuiteMask = VER_SUITE_ENTERPRISE;
    EXPECT_STREQ((std::string("Microsoft Windows NT Server 4.0, Enterprise Edition ") + sp6).c_str(),
                 FormatOSName(v, true));
    strcpy(v.szCSDVersion, "Service Pack 5");
    v.wSuiteMask = 0;
    EXPECT_STREQ("Microsoft Windows NT Server 4.0 Service Pack 5 (Build 1381)\r\n",
                 FormatOSName(v, true));

    v = OSVERSIONINFOEXA();
    v.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    v.dwMajorVersion = 4;
    v.dwMinorVersion = 10;
    v.dwBuildNumber = 0x040A0000 | 2222;
    strcpy(v.szCSDVersion, " A ");
    EXPECT_STREQ("Microsoft Windows 98 SE ", FormatOSName(v, false));
    v.dwMinorVersion = 0;
    strcpy(v.szCSDVersion, " B");
    EXPECT_STREQ("Microsoft Windows 95 OSR2 ", FormatOSName(v, false));
    memset(v.szCSDVersion, 0, sizeof(v.szCSDVersion));
    EXPECT_STREQ("Microsoft Windows 95 ", FormatOSName(v, false));
    v.dwMinorVersion = 90;
    EXPECT_STREQ("Microsoft Windows Millennium Edition\r\n", FormatOSName(v, false));
    v.dwPlatformId = VER_PLATFORM_WIN32s;
    EXPECT_STREQ("Microsoft Win32s\r\n", FormatOSName(v, false));
}
