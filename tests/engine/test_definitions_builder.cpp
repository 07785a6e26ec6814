// Databases written by the definitions builder, read by the engine: the two
// implementations of the container check each other.
#include <gtest/gtest.h>

#include "foundation/syshelpers.h"
#include "scan_test_support.h"

namespace {

std::string DefsFolder()
{
    return std::string(GetModuleFolder()) + "testdata\\defs\\";
}

} // namespace

TEST(DefinitionsBuilder, DefaultDatabaseOfTheBuild)
{
    const std::string path = std::string(GetModuleFolder()) + "definitions.bin";
    CInternalScanner scanner;
    scanner.SetKeyText(L"pvrt82m6kd3.47h");
    EXPECT_TRUE(scanner.OpenDefinitions(Wide(path).c_str()));
    scanner.SetKeyText(L"");
    EXPECT_FALSE(scanner.OpenDefinitions(Wide(path).c_str()));
    DWORD stamp = 0, programs = 0, items = 0;
    ASSERT_TRUE(CInternalScanner::ReadDatabaseInfo(Wide(path).c_str(), &stamp, &programs, &items));
    EXPECT_EQ(5u, programs);
    EXPECT_EQ(12u + 2u + 7u + 2u + 2u, items);
    EXPECT_NE(0u, stamp);
}

TEST(DefinitionsBuilder, FixtureReadAndScanned)
{
    const std::string db = DefsFolder() + "fixture.bin";
    DWORD stamp = 0, programs = 0, items = 0;
    ASSERT_TRUE(CInternalScanner::ReadDatabaseInfo(Wide(db).c_str(), &stamp, &programs, &items));
    EXPECT_EQ(1234567890u, stamp);
    EXPECT_EQ(2u, programs);
    EXPECT_EQ(2u + 3u + 1u + 1u + 1u, items);

    // Plant what the fixture names.
    PlantedKey cleanup("fixture");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\CwScanFixture");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\CwScanFixture\\Beta", 0, NULL, 0,
                                             KEY_WRITE, NULL, &key, NULL));
    const DWORD number = 42;
    RegSetValueExA(key, "Marker", 0, REG_DWORD, (const BYTE*)&number, sizeof(number));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\CwScanFixture\\Alpha", 0, NULL, 0,
                                             KEY_WRITE, NULL, &key, NULL));
    RegCloseKey(key);
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + "cwscan-fixture";
    CreateDirectoryA(folder.c_str(), NULL);
    const Bytes alpha = TempFolder::Read(DefsFolder() + "alpha.bin");
    ASSERT_FALSE(alpha.empty());
    ASSERT_TRUE(TempFolder::Write(folder + "\\planted.bin", alpha));
    ASSERT_TRUE(TempFolder::Write(folder + "\\other.bin", B("not known")));

    struct InfoListener : RecordingListener
    {
        CInternalScanner* scanner = NULL;
        std::string name, description, url;
        DWORD risk = 0;
        void OnCompleteArea(int area) override
        {
            RecordingListener::OnCompleteArea(area);
            char n[64], d[64], u[64];
            if (area == 2 && scanner->GetProgramInfo(0, n, d, u, sizeof(n), &risk))
            {
                name = n;
                description = d;
                url = u;
            }
        }
    } listener;
    TestScan scan({1, 2, 4});
    listener.scanner = &scan.scanner;
    scan.scanner.SetKeyText(L"pvrt82m6kd3.47h");
    EXPECT_TRUE(scan.scanner.OpenDefinitions(Wide(db).c_str()));
    scan.scanner.AddListener(&listener);
    const bool ran = scan.Run(db);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\CwScanFixture");
    DeleteFileA((folder + "\\planted.bin").c_str());
    DeleteFileA((folder + "\\other.bin").c_str());
    RemoveDirectoryA(folder.c_str());
    ASSERT_TRUE(ran);

    EXPECT_EQ("Fixture Alpha", listener.name);
    EXPECT_EQ("Planted by the engine tests", listener.description);
    EXPECT_EQ("http://alpha.example/", listener.url);
    EXPECT_EQ(7u, listener.risk);
    std::vector<std::string> got;
    for (const ScanEvent& e : listener.Items())
        if (e.known)
            got.push_back(std::to_string(e.area) + " " + std::to_string(e.program) + " " +
                          e.name.substr(e.name.rfind('\\') + 1) + (e.hasValue ? " " + e.value : ""));
    // The DWORD 42 reads as "42"; the guarded value is absent; the located
    // file's digest names program 0; pass 2 then finds program 0's key.
    const std::vector<std::string> expected = {"1 1 Beta Marker", "2 1 Beta Guard", "3 0 planted.bin", "1 0 Alpha"};
    EXPECT_EQ(expected, got);
}
