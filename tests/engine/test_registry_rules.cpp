// Matching rules of the registry areas with planted keys and values.
#include <gtest/gtest.h>

#include "scan_test_support.h"

namespace {

const DWORD HKCU = 0x80000001;
const DWORD HKLM = 0x80000002;
const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<std::string> Names(const std::vector<ScanEvent>& items)
{
    std::vector<std::string> out;
    for (const ScanEvent& e : items)
        out.push_back(e.name + (e.hasValue ? "|" + e.value : ""));
    return out;
}

} // namespace

TEST(RegistryRules, DirectFindAndRecursiveRecords)
{
    TempFolder temp;
    PlantedKey key("items");
    const std::string a = key.Sub("A");
    ASSERT_TRUE(key.SetString(a, "Present", "x"));
    ASSERT_TRUE(key.SetString(a, "Text", "hello"));
    ASSERT_TRUE(key.SetDword(a, "Num", 1));
    ASSERT_TRUE(key.SetString(key.Sub("Find"), "AutoRun", "first needle"));
    ASSERT_TRUE(key.Set(key.Sub("Find"), "Huge", REG_BINARY, Bytes(20000, 'n'))); // too large: passed over
    ASSERT_TRUE(key.SetString(key.Sub("Find"), "RUNNER", "second"));
    ASSERT_TRUE(key.SetString(key.Sub("Find"), "other", "the NEEDLE here"));
    ASSERT_TRUE(key.Create(key.Sub("Tree\\Sub\\Deeper")));
    ASSERT_TRUE(key.Create(key.Sub("Tree\\Second")));

    TestDatabase db;
    db.Program(1, "p0");
    db.Registry(0x8000, HKCU, 0, a.c_str());                                  // 1 key itself
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Present");                       // 2 value exists
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Missing");                       //   not there
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Text", Bz("hello"));             // 3 equal with NUL
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Text", B("hello"));              //   size differs
    db.Registry(0x8008, HKCU, 0, a.c_str(), "Text", B("ELL"));                // 4 contained
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Num", B("1"));                   // 5 DWORD as text
    db.Registry(0x8000, HKCU, 0, a.c_str(), "Num", Bytes{1, 0, 0, 0});        //   not as bytes
    db.Registry(0x8000, HKCU, 0, a.c_str(), NULL, Bytes(), true);             //   field 3: never
    db.Registry(0x0000, HKCU, 0, a.c_str());                                  //   pass 2 only, found: 9
    db.Registry(0x8004, HKCU, 0, key.Sub("Find").c_str(), "run");             // 6,7 names
    db.Registry(0x8008, HKCU, 0, key.Sub("Find").c_str(), NULL, B("needle")); // 8 data, after Huge
    db.Registry(0x8001, HKCU, 0, key.Sub("Tree").c_str());                    // every depth
    db.Registry(0x8000, HKCU, 0, key.Sub("NoSuchKey").c_str());
    db.Registry(0x8000, HKCU, 0, a.c_str(), "$", B("a.exe"));                 //   autorun only
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    MessageCapture messages;
    TestScan scan({1});
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    std::vector<ScanEvent> items;
    for (const ScanEvent& e : scan.listener.Items(1))
        if (e.known) // unknown autorun entries of the machine are not ours
            items.push_back(e);
    const std::vector<std::string> expected = {
        a,
        a + "|Present",
        a + "|Text",
        a + "|Text",
        a + "|Num",
        key.Sub("Find") + "|AutoRun",
        key.Sub("Find") + "|RUNNER",
        key.Sub("Find") + "|AutoRun",
        key.Sub("Find") + "|other",
        key.Sub("Tree"),
        key.Sub("Tree\\Second"),
        key.Sub("Tree\\Sub"),
        key.Sub("Tree\\Sub\\Deeper"),
        a, // pass 2
    };
    std::vector<std::string> names = Names(items);
    // Subkeys come in the registry's enumeration order, which is by name.
    EXPECT_EQ(expected, names);
    ASSERT_GE(items.size(), 5u);
    EXPECT_EQ(HKCU, items[0].root);
    EXPECT_EQ(0u, items[0].type);
    EXPECT_TRUE(items[0].data.empty());
    EXPECT_EQ(Bz("hello"), items[2].data); // the data read goes out
    EXPECT_EQ(B("1"), items[4].data);
    EXPECT_TRUE(messages.Has("Registry item (k): program #0, flags 32768, key " + a));
    EXPECT_TRUE(messages.Has("Registry item (k, v): program #0, flags 32768, key " + a + ", value Present"));
    EXPECT_TRUE(messages.Has("Registry item (k, v, d): program #0, flags 32776, key " + a + ", value Text"));
    EXPECT_TRUE(messages.Has("Registry item (find): program #0, flags 32772, key " + key.Sub("Find") + ", value run"));
    EXPECT_TRUE(messages.Has("ScanRegistry started, #UseDetectable = 1"));
}

TEST(RegistryRules, RecursionStopsAtTheRegistryDepthLimit)
{
    TempFolder temp;
    PlantedKey key("deep");
    std::string path = key.Path();
    for (int i = 0; i < 40; ++i)
        path += "\\d";
    ASSERT_TRUE(key.Create(path));
    TestDatabase db;
    db.Registry(0x8001, HKCU, 0, key.Path().c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    TestScan scan({1});
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_EQ(41u, scan.listener.ItemsNamed(key.Path(), 1).size());
}

TEST(RegistryRules, AutorunKnownAndUnknownEntries)
{
    TempFolder temp;
    char tag[64];
    wsprintfA(tag, "CwScanTest-%lu", GetCurrentProcessId());
    const std::string unknown = std::string(tag) + "-unknown";
    const std::string known = std::string(tag) + "-known";
    const std::string binary = std::string(tag) + "-binary";
    const std::string bare = std::string(tag) + "-bare";
    const std::string afterBig = std::string(tag) + "-zafter";
    const std::string big = std::string(tag) + "-big";
    struct Cleanup
    {
        std::vector<std::string> names;
        ~Cleanup()
        {
            HKEY run;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS)
            {
                for (const std::string& n : names)
                    RegDeleteValueA(run, n.c_str());
                RegCloseKey(run);
            }
        }
    } cleanup{{unknown, known, binary, bare, big, afterBig}};
    HKEY run;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, NULL, 0, KEY_SET_VALUE, NULL, &run, NULL));
    auto set = [&](const std::string& name, DWORD type, const Bytes& data) {
        return RegSetValueExA(run, name.c_str(), 0, type, data.data(), (DWORD)data.size()) == ERROR_SUCCESS;
    };
    ASSERT_TRUE(set(unknown, REG_SZ, Bz("\"C:\\Program Files\\Cw Test\\CwAgent.EXE\" /min")));
    ASSERT_TRUE(set(known, REG_EXPAND_SZ, Bz("C:\\tools\\CwKnown.exe -q")));
    ASSERT_TRUE(set(binary, REG_BINARY, B("C:\\x\\cwbin.exe")));
    ASSERT_TRUE(set(bare, REG_SZ, Bz("RUNDLL32 Thing,Entry")));
    ASSERT_TRUE(set(big, REG_SZ, Bytes(9000, 'a'))); // larger than the read buffer
    ASSERT_TRUE(set(afterBig, REG_SZ, Bz("c:\\later.exe")));
    RegCloseKey(run);

    TestDatabase db;
    db.Program(1, "p0");
    db.Program(1, "p1");
    db.Registry(0x0000, HKLM, 1, "SOFTWARE\\Anything", "$", B("CWKNOWN.EXE"));
    db.Registry(0x0000, HKCU, 1, "Software\\CwNever", NULL); // pass 2 of program 1: must stay off
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    TestScan scan({1});
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));

    auto ours = [&](const std::string& value) {
        std::vector<ScanEvent> out;
        for (const ScanEvent& e : scan.listener.Items(1))
            if (e.value == value)
                out.push_back(e);
        return out;
    };
    auto u = ours(unknown);
    ASSERT_EQ(1u, u.size());
    EXPECT_EQ(0, u[0].known);
    const std::string runKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_EQ(runKey, u[0].name);
    EXPECT_EQ(HKCU, u[0].root);
    EXPECT_EQ("\"c:\\program files\\cw test\\cwagent.exe", u[0].extra);
    EXPECT_EQ(CInternalScanner::UnknownEntryNumber(2, HKCU, runKey.c_str(), unknown.c_str()), u[0].program);
    EXPECT_GE(u[0].program, 2u);
    EXPECT_FALSE(scan.scanner.IsProgramFound(u[0].program));
    EXPECT_TRUE(ours(known).empty());  // its file has a "$" record
    EXPECT_TRUE(ours(binary).empty()); // not a text value
    auto b = ours(bare);
    ASSERT_EQ(1u, b.size());
    EXPECT_EQ("rundll32 thing,entry", b[0].extra); // no ".exe": the whole lower-case text
    EXPECT_TRUE(ours(big).empty());
    EXPECT_EQ(1u, ours(afterBig).size()); // the walk went on past the large value
    EXPECT_FALSE(scan.scanner.IsProgramFound(1));
    EXPECT_TRUE(scan.listener.ItemsNamed("CwNever").empty());
    // The values were counted, and the count went out.
    EXPECT_GE(scan.scanner.GetCounter(1), 6u);
    EXPECT_EQ(scan.scanner.GetCounter(1), scan.listener.LastScanning(1));

    // The same entry keeps its number in the next scan.
    scan.listener.events.clear();
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    ASSERT_EQ(1u, ours(unknown).size());
    EXPECT_EQ(u[0].program, ours(unknown)[0].program);
}

TEST(RegistryRules, AutorunDllKeys)
{
    TempFolder temp;
    const char* path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    char dll[64], plain[64];
    wsprintfA(dll, "CwScanTest-%lu-dll", GetCurrentProcessId());
    wsprintfA(plain, "CwScanTest-%lu-plain", GetCurrentProcessId());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
    const Bytes d = Bz("C:\\Cw\\CwHook.DLL"), p = Bz("{0000-cw}");
    RegSetValueExA(key, dll, 0, REG_SZ, d.data(), (DWORD)d.size());
    RegSetValueExA(key, plain, 0, REG_SZ, p.data(), (DWORD)p.size());
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    TestScan scan({1});
    const bool ran = scan.Run(temp.File("db.bin"));
    RegDeleteValueA(key, dll);
    RegDeleteValueA(key, plain);
    RegCloseKey(key);
    ASSERT_TRUE(ran);
    int dllItems = 0, plainItems = 0;
    for (const ScanEvent& e : scan.listener.Items(1))
    {
        if (e.value == dll)
        {
            ++dllItems;
            EXPECT_EQ("c:\\cw\\cwhook.dll", e.extra);
            EXPECT_EQ(HKLM, e.root);
            EXPECT_EQ(path, e.name);
        }
        plainItems += e.value == plain;
    }
    EXPECT_EQ(1, dllItems);
    EXPECT_EQ(0, plainItems); // no ".dll": not an entry of a DLL key
}

TEST(RegistryRules, GuardedValuesBadAndAbsent)
{
    TempFolder temp;
    PlantedKey key("guard");
    const std::string k = key.Sub("G");
    ASSERT_TRUE(key.SetString(k, "Good", "ok"));
    ASSERT_TRUE(key.Set(k, "WrongType", REG_EXPAND_SZ, Bz("ok")));
    ASSERT_TRUE(key.SetString(k, "WrongData", "no"));
    ASSERT_TRUE(key.Set(k, "Huge", REG_SZ, Bytes(3000, 'x')));
    ASSERT_TRUE(key.SetDword(k, "Number", 7));

    TestDatabase db;
    db.Guard(HKCU, 0, REG_SZ, 0, k.c_str(), "Good", Bz("ok"));
    db.Guard(HKCU, 1, REG_SZ, 0, k.c_str(), "WrongType", Bz("ok"));
    db.Guard(HKCU, 2, REG_SZ, 0, k.c_str(), "WrongData", Bz("ok"));
    db.Guard(HKCU, 3, REG_SZ, 0, k.c_str(), "Huge", Bz("ok"));
    db.Guard(HKCU, 4, REG_SZ, 1, k.c_str(), "Missing", Bz("ok"));
    db.Guard(HKCU, 5, REG_SZ, 0, k.c_str(), "Missing2", Bz("ok"));
    db.Guard(HKCU, 6, REG_SZ, 1, key.Sub("NoKey").c_str(), "Missing", Bz("ok"));
    db.Guard(HKCU, 7, REG_DWORD, 0, k.c_str(), "Number", Bytes{7, 0, 0, 0});
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    MessageCapture messages;
    TestScan scan({2});
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_EQ("S2 C2 C7", scan.listener.Areas());
    auto items = scan.listener.Items(2);
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(1u, items[0].program);
    // The good value goes out with the database's type: what a repair writes.
    EXPECT_EQ((DWORD)REG_SZ, items[0].type);
    EXPECT_EQ(Bz("ok"), items[0].data);
    EXPECT_EQ(k, items[0].name);
    EXPECT_EQ("WrongType", items[0].value);
    EXPECT_EQ(HKCU, items[0].root);
    EXPECT_EQ(1, items[0].known);
    EXPECT_EQ(2u, items[1].program);
    EXPECT_EQ(3u, items[2].program); // larger than its good value: BAD, not absent
    EXPECT_EQ(4u, items[3].program);
    EXPECT_EQ("Missing", items[3].value);
    EXPECT_EQ((DWORD)REG_SZ, items[3].type); // absent, yet typed
    EXPECT_TRUE(messages.Has("Guarded BAD found, program #1, item 0, key " + k + ", value WrongType"));
    EXPECT_TRUE(messages.Has("Guarded BAD found, program #3, item 0, key " + k + ", value Huge"));
    EXPECT_TRUE(messages.Has("Guarded ABSENT found, program #4, item 0, key " + k + ", value Missing"));
    EXPECT_TRUE(messages.Has("scanGuarded started"));
    EXPECT_EQ(0xFFFFFFFFu, scan.listener.LastScanning(2)); // this step reports no progress
}

TEST(RegistryRules, OtherUserKeysGoThroughHkeyUsers)
{
    TempFolder temp;
    PlantedKey key("user");
    ASSERT_TRUE(key.Create(key.Sub("U")));
    TestDatabase db;
    db.Registry(0x8000, HKCU, 0, key.Sub("U").c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    TestScan scan({1});
    ASSERT_TRUE(scan.scanner.PrepareUserContext(true));
    const std::string sid = scan.scanner.GetUserSidText();
    ASSERT_GT(sid.size(), 4u);
    EXPECT_EQ("S-1-", sid.substr(0, 4));
    EXPECT_EQ('\\', sid[sid.size() - 1]);
    HKEY probe;
    if (RegOpenKeyExA(HKEY_USERS, (sid + key.Sub("U")).c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS)
        GTEST_SKIP() << "this system does not show the user's own hive under HKEY_USERS";
    RegCloseKey(probe);
    ASSERT_TRUE(scan.Run(temp.File("db.bin")));
    auto items = scan.listener.ItemsNamed(key.Sub("U"), 1);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(sid + key.Sub("U"), items[0].name);
    EXPECT_EQ(0x80000003u, items[0].root);
}
