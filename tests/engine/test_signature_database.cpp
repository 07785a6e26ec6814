// Opening the signature database, its lookups and the helpers of matching.
#include <gtest/gtest.h>

#include "scan_test_support.h"

namespace {

Bytes Digest(BYTE first, BYTE last)
{
    Bytes d(16, 0x40);
    d[0] = first;
    d[15] = last;
    return d;
}

} // namespace

TEST(SignatureDatabase, KeyFromKeyText)
{
    BYTE key[16];
    CInternalScanner::MakeKey(L"pvrt82m6kd3.47h", key);
    EXPECT_EQ(0, memcmp(key, "pvrt82m6kd3.47h\0", 16));
    CInternalScanner::MakeKey(L"", key);
    EXPECT_EQ(0, memcmp(key, "marigold lid===\0", 16));
    CInternalScanner::MakeKey(NULL, key);
    EXPECT_EQ(0, memcmp(key, "marigold lid===\0", 16));
    EXPECT_STREQ(L"marigold lid===", CInternalScanner::GetDefaultKey());
    // Longer texts are cut to 15 characters; the 16th byte stays NUL.
    CInternalScanner::MakeKey(L"0123456789abcdefghij", key);
    EXPECT_EQ(0, memcmp(key, "0123456789abcde\0", 16));
    CInternalScanner::MakeKey(L"ab", key);
    EXPECT_EQ(0, memcmp(key, "ab\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16));
}

TEST(SignatureDatabase, OpenDefinitionsNeedsAllSevenSectionsAndTheKey)
{
    TempFolder temp;
    {
        TestDatabase db;
        ASSERT_TRUE(db.Write(temp.File("full.bin"), L"pvrt82m6kd3.47h"));
        CInternalScanner scanner;
        scanner.SetKeyText(L"pvrt82m6kd3.47h");
        EXPECT_TRUE(scanner.OpenDefinitions(Wide(temp.File("full.bin")).c_str()));
        // It closes again: a second open works too.
        EXPECT_TRUE(scanner.OpenDefinitions(Wide(temp.File("full.bin")).c_str()));
        // A wrong key deciphers every block into nothing.
        scanner.SetKeyText(L"wrong key text");
        EXPECT_FALSE(scanner.OpenDefinitions(Wide(temp.File("full.bin")).c_str()));
        // The empty key text is the default, which is not this database's.
        scanner.SetKeyText(L"");
        EXPECT_FALSE(scanner.OpenDefinitions(Wide(temp.File("full.bin")).c_str()));
        // A key text longer than 15 characters opens with its first 15.
        scanner.SetKeyText(L"pvrt82m6kd3.47hXYZ");
        EXPECT_TRUE(scanner.OpenDefinitions(Wide(temp.File("full.bin")).c_str()));
    }
    for (WORD id : {1, 17, 18, 33, 49, 65, 81})
    {
        TestDatabase db;
        db.Omit(id);
        const std::string path = temp.File(("missing" + std::to_string(id) + ".bin").c_str());
        ASSERT_TRUE(db.Write(path));
        CInternalScanner scanner;
        EXPECT_FALSE(scanner.OpenDefinitions(Wide(path).c_str())) << "section " << id;
    }
    // Truncated: the directory at the end is gone.
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("cut.bin")));
    Bytes bytes = TempFolder::Read(temp.File("cut.bin"));
    bytes.resize(bytes.size() - 7);
    ASSERT_TRUE(TempFolder::Write(temp.File("cut.bin"), bytes));
    CInternalScanner scanner;
    EXPECT_FALSE(scanner.OpenDefinitions(Wide(temp.File("cut.bin")).c_str()));
    EXPECT_FALSE(scanner.OpenDefinitions(Wide(temp.File("absent.bin")).c_str()));
    EXPECT_FALSE(scanner.OpenDefinitions(NULL));
}

TEST(SignatureDatabase, BadDatabasesFailTheScanCleanly)
{
    TempFolder temp;
    TestDatabase db;
    db.Omit(TestDatabase::SecRegistry);
    db.Omit(TestDatabase::SecGuarded);
    db.Omit(TestDatabase::SecHosts);
    db.Omit(TestDatabase::SecCookies);
    ASSERT_TRUE(db.Write(temp.File("partial.bin")));
    {
        MessageCapture messages;
        TestScan scan({1, 2, 5, 6});
        EXPECT_TRUE(scan.Run(temp.File("partial.bin")));
        EXPECT_TRUE(messages.Has("Registry items section is not present"));
        EXPECT_TRUE(messages.Has("Guarded items section is not present"));
        EXPECT_TRUE(messages.Has("Hosts items section is not present"));
        EXPECT_TRUE(messages.Has("Cookies items section is not present"));
        EXPECT_EQ("C7", scan.listener.Areas());
    }
    {
        // No file at all, and a damaged one: no event of any kind.
        MessageCapture messages;
        TestScan scan({0, 1, 2, 3, 4, 5, 6});
        EXPECT_FALSE(scan.Run(temp.File("absent.bin")));
        Bytes bytes = TempFolder::Read(temp.File("partial.bin"));
        bytes.resize(bytes.size() - 1);
        ASSERT_TRUE(TempFolder::Write(temp.File("damaged.bin"), bytes));
        EXPECT_FALSE(scan.Run(temp.File("damaged.bin")));
        EXPECT_TRUE(scan.listener.events.empty());
        EXPECT_TRUE(messages.Has("Cannot open file"));
        EXPECT_TRUE(messages.Has("StartScan call, file name " + temp.File("absent.bin")));
    }
    {
        // The wrong key opens the container but reads every section as missing.
        TestDatabase good;
        ASSERT_TRUE(good.Write(temp.File("other.bin"), L"another key"));
        MessageCapture messages;
        TestScan scan({0, 1, 3});
        EXPECT_TRUE(scan.Run(temp.File("other.bin")));
        EXPECT_TRUE(messages.Has("Disk items section is not present"));
        EXPECT_TRUE(messages.Has("Registry items section is not present"));
        EXPECT_EQ("C7", scan.listener.Areas());
    }
}

TEST(SignatureDatabase, ProgramInfoAndDatabaseInfo)
{
    TempFolder temp;
    TestDatabase db;
    db.Program(3, "Alpha", "First program", "http://alpha.example/");
    db.Program(0xFFFFFFFF, "A rather long program name", "", "");
    db.Registry(0x8000, 0x80000001, 0, "Software\\CwNone");
    db.Registry(0x8000, 0x80000001, 0, "Software\\CwNone2");
    db.Host(1, 1, 2, 3, 4, "x");
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    DWORD stamp = 0, programs = 0, items = 0;
    const DWORD now = (DWORD)time(NULL);
    ASSERT_TRUE(CInternalScanner::ReadDatabaseInfo(Wide(temp.File("db.bin")).c_str(), &stamp, &programs, &items));
    EXPECT_LE(stamp, now + 1);
    EXPECT_GE(stamp + 120, now);
    EXPECT_EQ(2u, programs);
    // 2 registry + 1 placeholder guarded + 1 placeholder file + 1 host + 1 placeholder cookie.
    EXPECT_EQ(6u, items);
    EXPECT_FALSE(CInternalScanner::ReadDatabaseInfo(Wide(temp.File("none.bin")).c_str(), &stamp, &programs, &items));

    // Program records are read during a scan; a listener asks for them.
    struct InfoListener : RecordingListener
    {
        CInternalScanner* scanner = NULL;
        bool asked = false;
        void OnStartedArea(int) override
        {
            if (asked)
                return;
            asked = true;
            char name[8], description[64], url[64];
            DWORD risk = 0;
            EXPECT_TRUE(scanner->GetProgramInfo(0, name, description, url, 8, &risk));
            EXPECT_STREQ("Alpha", name);
            EXPECT_STREQ("First p", description); // cut to the buffer
            EXPECT_STREQ("http://", url);
            EXPECT_EQ(3u, risk);
            EXPECT_TRUE(scanner->GetProgramInfo(1, name, description, url, 8, &risk));
            EXPECT_STREQ("A rathe", name);
            EXPECT_EQ(0xFFFFFFFFu, risk);
            EXPECT_FALSE(scanner->GetProgramInfo(2, name, description, url, 8, &risk));
        }
    } listener;
    TestScan scan({5});
    listener.scanner = &scan.scanner;
    char name[8];
    DWORD risk;
    EXPECT_FALSE(scan.scanner.GetProgramInfo(0, name, name, name, 8, &risk)); // not open
    scan.scanner.AddListener(&listener);
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_TRUE(listener.asked);
}

TEST(SignatureDatabase, FindDigestAtEveryPosition)
{
    TempFolder temp;
    TestDatabase db;
    db.Program(1, "zero");
    db.Digest(0, Digest(0x10, 1));
    db.Digest(5, Digest(0x20, 2));
    db.Digest(6, Digest(0x30, 3));
    db.Digest(7, Digest(0x80, 4)); // compared unsigned: after 0x30
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    struct DigestListener : RecordingListener
    {
        CInternalScanner* scanner = NULL;
        bool asked = false;
        void OnStartedArea(int) override
        {
            asked = true;
            DWORD program = 99;
            EXPECT_TRUE(scanner->FindDigest(Digest(0x10, 1).data(), &program));
            EXPECT_EQ(0u, program); // program 0 is found like any other
            EXPECT_TRUE(scanner->FindDigest(Digest(0x20, 2).data(), &program));
            EXPECT_EQ(5u, program);
            EXPECT_TRUE(scanner->FindDigest(Digest(0x30, 3).data(), &program));
            EXPECT_EQ(6u, program);
            EXPECT_TRUE(scanner->FindDigest(Digest(0x80, 4).data(), &program));
            EXPECT_EQ(7u, program);
            EXPECT_FALSE(scanner->FindDigest(Digest(0x00, 0).data(), &program));
            EXPECT_FALSE(scanner->FindDigest(Digest(0xFF, 9).data(), &program));
            EXPECT_FALSE(scanner->FindDigest(Digest(0x20, 3).data(), &program));
        }
    } listener;
    TestScan scan({5});
    listener.scanner = &scan.scanner;
    scan.scanner.AddListener(&listener);
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_TRUE(listener.asked);
}

TEST(SignatureDatabase, MatchingHelpers)
{
    // Containment without regard to case; data may hold no NUL.
    EXPECT_TRUE(CInternalScanner::ContainsNoCase("Software RUN key", 16, "run", 3));
    EXPECT_TRUE(CInternalScanner::ContainsNoCase("abc", 3, "", 0));
    EXPECT_FALSE(CInternalScanner::ContainsNoCase("abc", 2, "c", 1));
    std::string big(10000, 'a');
    big += "needle";
    EXPECT_FALSE(CInternalScanner::ContainsNoCase(big.c_str(), (DWORD)big.size(), "needle", 6)); // beyond 8,191
    EXPECT_TRUE(CInternalScanner::ContainsNoCase(big.c_str(), (DWORD)big.size(), "AAA", 3));

    const BYTE read[] = {'4', '2'};
    const BYTE same[] = {'4', '2'};
    const BYTE longer[] = {'4', '2', 0};
    EXPECT_TRUE(CInternalScanner::MatchData(read, same, 2, 2, false));
    EXPECT_FALSE(CInternalScanner::MatchData(read, longer, 2, 3, false));
    EXPECT_TRUE(CInternalScanner::MatchData(longer, same, 3, 2, true));

    // Unknown autorun numbers: stable, never a program number, below 65536.
    const DWORD a = CInternalScanner::UnknownEntryNumber(100, 0x80000002, "SOFTWARE\\Run", "Updater");
    EXPECT_EQ(a, CInternalScanner::UnknownEntryNumber(100, 0x80000002, "software\\run", "Updater"));
    EXPECT_NE(a, CInternalScanner::UnknownEntryNumber(100, 0x80000002, "SOFTWARE\\Run", "Updater2"));
    for (DWORD count : {0u, 1u, 5u, 40000u, 65535u})
        for (const char* value : {"a", "b", "c", "Updater", ""})
        {
            const DWORD n = CInternalScanner::UnknownEntryNumber(count, 0x80000001, "Software\\Run", value);
            EXPECT_GE(n, count);
            EXPECT_LT(n, 65536u);
        }

    // SIDs as text, and the size a buffer needs.
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = NULL;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 5, 21, 1004336348, 1177238915, 682003330, 512, 0, 0, 0, &sid));
    char text[256];
    DWORD size = sizeof(text);
    ASSERT_TRUE(CInternalScanner::SidToText(sid, text, &size));
    EXPECT_STREQ("S-1-5-21-1004336348-1177238915-682003330-512", text);
    size = 40;
    EXPECT_FALSE(CInternalScanner::SidToText(sid, text, &size));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(28u + 12u * 5u, size);
    FreeSid(sid);
    SID_IDENTIFIER_AUTHORITY wide = {{1, 2, 3, 4, 5, 6}};
    ASSERT_TRUE(AllocateAndInitializeSid(&wide, 1, 7, 0, 0, 0, 0, 0, 0, 0, &sid));
    size = sizeof(text);
    ASSERT_TRUE(CInternalScanner::SidToText(sid, text, &size));
    EXPECT_STREQ("S-1-0x010203040506-7", text);
    FreeSid(sid);
    size = sizeof(text);
    BYTE invalid[16] = {9};
    EXPECT_FALSE(CInternalScanner::SidToText((PSID)invalid, text, &size));
}

TEST(SignatureDatabase, RegistryNumbersReadAsText)
{
    PlantedKey key("numbers");
    ASSERT_TRUE(key.SetDword(key.Path(), "one", 1));
    ASSERT_TRUE(key.SetDword(key.Path(), "minus", 0xFFFFFFFF));
    Bytes q(8);
    StoreLE32(q.data(), 0x00000000);
    StoreLE32(q.data() + 4, 0x80000000);
    ASSERT_TRUE(key.Set(key.Path(), "qword", REG_QWORD, q));
    ASSERT_TRUE(key.SetString(key.Path(), "text", "abc"));
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_READ, &h));
    BYTE data[64];
    DWORD size = sizeof(data), type = 0;
    EXPECT_EQ(ERROR_SUCCESS, CInternalScanner::QueryValueAsText(h, "one", &type, data, &size));
    EXPECT_EQ(1u, size);
    EXPECT_EQ('1', data[0]);
    EXPECT_EQ((DWORD)REG_DWORD, type);
    size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, CInternalScanner::QueryValueAsText(h, "minus", &type, data, &size));
    EXPECT_EQ("-1", std::string((char*)data, size));
    size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, CInternalScanner::QueryValueAsText(h, "qword", &type, data, &size));
    EXPECT_EQ("-9223372036854775808", std::string((char*)data, size));
    size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, CInternalScanner::QueryValueAsText(h, "text", &type, data, &size));
    EXPECT_EQ(4u, size); // strings keep their NUL
    size = 2;
    EXPECT_EQ(ERROR_MORE_DATA, CInternalScanner::QueryValueAsText(h, "text", &type, data, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, CInternalScanner::QueryValueAsText(h, "none", &type, data, &size));
    char name[64];
    DWORD nameSize = sizeof(name);
    size = sizeof(data);
    bool sawOne = false;
    for (DWORD i = 0; CInternalScanner::EnumValueAsText(h, i, name, &nameSize, &type, data, &size) == ERROR_SUCCESS; ++i)
    {
        if (!strcmp(name, "one"))
            sawOne = size == 1 && data[0] == '1';
        nameSize = sizeof(name);
        size = sizeof(data);
    }
    EXPECT_TRUE(sawOne);
    RegCloseKey(h);
}
