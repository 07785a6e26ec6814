#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/decipher.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "temp_folder.h"

namespace {

const char kKey64[] = "00112233445566778899aabbccddeeff0f1e2d3c4b5a69788796a5b4c3d2e1f0";
const char kKey48[] = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char kKey32[] = "2b7e151628aed2a6abf7158809cf4f3c";

// Test data made at build time by the language tool, beside the test program.
std::string DataPath(const std::string& name)
{
    return std::string((LPCSTR)GetModuleFolder()) + "testdata\\" + name;
}

std::vector<BYTE> Decipher(const std::string& path, const char* key, int* result)
{
    BYTE* plain = NULL;
    *result = DecipherFileToBuffer(path, key, &plain);
    std::vector<BYTE> out;
    if (plain && *result > 0)
        out.assign(plain, plain + *result);
    delete[] plain;
    return out;
}

class LocalizerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tempName = (LPCSTR)CreateTempFileName("wobe");
        CMapStringToString macros;
        macros.SetAt("{VER}", "2.1.153");
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        macros.SetAt("{COMPANY_NAME}", "Telmin Software");
        CLocalizer::Configure(kKey64, macros, m_tempName.c_str(), DataPath("lang").c_str());
    }
    void TearDown() override
    {
        CLocalizer::DeleteInstance();
        DeleteFileA(TempPath().c_str());
    }
    std::string TempPath() const { return std::string((LPCSTR)GetTempFolder()) + m_tempName; }

    std::string m_tempName;
};

} // namespace

TEST(Decipher, KeyTextRules)
{
    const std::string file = DataPath("k64_32.ini");
    int r;
    Decipher(file, "2b7e151628aed2a6abf7158809cf4f3", &r);
    EXPECT_EQ(DECIPHER_BAD_KEY_SIZE, r); // 31 digits
    Decipher(file, (std::string(kKey64) + "00").c_str(), &r);
    EXPECT_EQ(DECIPHER_KEY_TOO_LONG, r); // 66 digits
    Decipher(file, "2b7e151628aed2a6abf7158809cf4f3G", &r);
    EXPECT_EQ(DECIPHER_BAD_KEY_DIGIT, r);
    Decipher(file, "", &r);
    EXPECT_EQ(DECIPHER_BAD_KEY_SIZE, r);
    Decipher(DataPath("missing.ini"), kKey64, &r);
    EXPECT_EQ(DECIPHER_CANNOT_OPEN, r);
    // Upper- and lower-case digits give the same key.
    std::string upper = kKey64;
    for (char& c : upper)
        c = (char)toupper(c);
    int a, b;
    EXPECT_EQ(Decipher(file, upper.c_str(), &a), Decipher(file, kKey64, &b));
    EXPECT_EQ(32, a);
}

// The files were enciphered by the language tool through an independent AES
// CBC implementation; every length around the block size deciphers back.
TEST(Decipher, MatchesTheToolForEveryKeySizeAndLength)
{
    const struct
    {
        const char* prefix;
        const char* key;
    } keys[] = {{"k64", kKey64}, {"k48", kKey48}, {"k32", kKey32}};
    const int lengths[] = {0, 1, 4, 15, 16, 17, 24, 31, 32, 33, 48, 1000};
    for (const auto& k : keys)
    {
        for (int n : lengths)
        {
            const std::vector<BYTE> plain = TempFolder::Read(DataPath("plain_" + std::to_string(n) + ".bin"));
            ASSERT_EQ((size_t)n, plain.size());
            int r;
            const std::vector<BYTE> out =
                Decipher(DataPath(std::string(k.prefix) + "_" + std::to_string(n) + ".ini"), k.key, &r);
            EXPECT_EQ(n, r) << k.prefix << " " << n;
            EXPECT_EQ(plain, out) << k.prefix << " " << n;
        }
    }
}

TEST(Decipher, FileLengthsGiveTheirPlainLengths)
{
    TempFolder tmp;
    const std::vector<BYTE> source = TempFolder::Read(DataPath("k64_1000.ini"));
    const struct
    {
        size_t fileSize;
        int plain;
    } cases[] = {{0, 0}, {7, 0}, {15, 0}, {16, 0}, {20, 4}, {32, 16}, {40, 24}, {48, 32}};
    for (const auto& c : cases)
    {
        const std::string path = tmp.File("cut.ini");
        ASSERT_TRUE(TempFolder::Write(path, std::vector<BYTE>(source.begin(), source.begin() + c.fileSize)));
        int r;
        Decipher(path, kKey64, &r);
        EXPECT_EQ(c.plain, r) << c.fileSize;
    }

    // Nothing deciphered: the destination keeps what it held.
    const std::string dest = tmp.File("dest.txt");
    ASSERT_TRUE(TempFolder::Write(dest, {'k', 'e', 'e', 'p'}));
    ASSERT_TRUE(TempFolder::Write(tmp.File("short.ini"), std::vector<BYTE>(source.begin(), source.begin() + 16)));
    EXPECT_EQ(0, DecipherFileToFile(tmp.File("short.ini"), dest, kKey64));
    EXPECT_EQ(DECIPHER_BAD_KEY_DIGIT, DecipherFileToFile(DataPath("k64_32.ini"), dest, "xyz"));
    EXPECT_EQ((std::vector<BYTE>{'k', 'e', 'e', 'p'}), TempFolder::Read(dest));
    EXPECT_EQ(1000, DecipherFileToFile(DataPath("k64_1000.ini"), dest, kKey64));
    EXPECT_EQ(TempFolder::Read(DataPath("plain_1000.bin")), TempFolder::Read(dest));
}

TEST(Decipher, TheBuiltEnglishFileDeciphersToItsSource)
{
    int r;
    const std::vector<BYTE> plain = Decipher(
        std::string((LPCSTR)GetModuleFolder()) + "Lang\\English.ini", LOCALIZER_KEY_TEXT, &r);
    ASSERT_GT(r, 0);
    const std::string text(plain.begin(), plain.end());
    EXPECT_NE(std::string::npos, text.find("[MainDialog]\r\n"));
    EXPECT_NE(std::string::npos, text.find("[TrayMenu]\r\n"));
}

TEST_F(LocalizerTest, TextsBySectionAndKeyWithMacros)
{
    CLocalizer* loc = CLocalizer::Instance();
    ASSERT_TRUE(loc != NULL);
    EXPECT_EQ(loc, CLocalizer::Instance());
    EXPECT_STREQ("English", loc->GetLanguage());
    EXPECT_STREQ("Telmin Cleanwarden 2.1.153", loc->GetString("MainDialog", "title"));
    EXPECT_STREQ("Telmin Cleanwarden 2.1.153", loc->GetString("maindialog", "TITLE"));
    EXPECT_STREQ("a\nb\nc", loc->GetString("MainDialog", "twice"));
    EXPECT_STREQ("{br} stays", loc->GetString("MainDialog", "lower"));
    EXPECT_STREQ("first", loc->GetString("MainDialog", "dup"));
    EXPECT_STREQ("no equals sign here", loc->GetString("MainDialog", ""));
    EXPECT_STREQ("100% sure", loc->GetString("Common", "percent"));
    EXPECT_STREQ("", loc->GetString("MainDialog", "missing"));
    EXPECT_STREQ("", loc->GetString("Nowhere", "title"));
    EXPECT_STREQ(DataPath("lang\\Deutsch.ini").c_str(), loc->GetLanguageFilePath("Deutsch"));
    // No plain text is left on disk once the texts are loaded.
    EXPECT_FALSE(TempFolder::Exists(TempPath()));
}

TEST_F(LocalizerTest, SwitchingLanguages)
{
    CLocalizer* loc = CLocalizer::Instance();
    EXPECT_FALSE(loc->SetLocale("Klingon")); // no file
    EXPECT_STREQ("English", loc->GetLanguage());

    // Damaged or wrongly keyed files keep the current language and texts.
    for (const char* bad : {"Truncated", "WrongKey", "NoSections"})
    {
        EXPECT_FALSE(loc->SetLocale(bad)) << bad;
        EXPECT_STREQ("English", loc->GetLanguage()) << bad;
        EXPECT_STREQ("OK", loc->GetString("Common", "ok")) << bad;
        EXPECT_FALSE(TempFolder::Exists(TempPath())) << bad;
    }

    ASSERT_TRUE(loc->SetLocale("Deutsch"));
    EXPECT_STREQ("Deutsch", loc->GetLanguage());
    EXPECT_STREQ("Deutsch Telmin Cleanwarden", loc->GetString("MainDialog", "title"));
    // Sections hold only the new file's lines, also one it leaves empty.
    EXPECT_STREQ("", loc->GetString("MainDialog", "dup"));
    EXPECT_STREQ("", loc->GetString("Common", "ok"));
    EXPECT_FALSE(TempFolder::Exists(TempPath()));

    CLocalizer::DeleteInstance();
    CLocalizer::DeleteInstance(); // a second call does nothing
}

TEST(Localizer, NoKeyTextRefusesConstruction)
{
    CMapStringToString none;
    CLocalizer::Configure("", none, "wobe.tmp", "C:\\nowhere");
    CLocalizer* made = NULL;
    std::string message;
    try
    {
        made = CLocalizer::Instance();
    }
    catch (CLocalizerException* e)
    {
        message = e->m_message;
        e->Delete();
    }
    EXPECT_EQ(NULL, made);
    EXPECT_EQ("Crypto key wasn't set before construction", message);
}

TEST(LanguageStore, SectionsAndLinesAsTheProfileGivesThem)
{
    TempFolder tmp;
    const std::string path = tmp.File("plain.ini");
    const std::string text = "[One]\r\na=1\r\nb=x=y\r\n[Two]\r\n[three]\r\nline\r\n";
    ASSERT_TRUE(TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end())));
    CLanguageStore store;
    store.Load(path.c_str());
    ASSERT_EQ(3, store.GetSectionCount());
    EXPECT_EQ(1, store.FindSection("TWO"));
    EXPECT_EQ(-1, store.FindSection("Four"));
    EXPECT_EQ(-1, store.FindKey(-1, "a"));
    EXPECT_EQ(1, store.FindKey(0, "B"));
    CString value;
    EXPECT_STREQ("x=y", store.Lookup(value, "one", "b"));
    EXPECT_STREQ("line", store.Lookup(value, "Three", ""));
    EXPECT_EQ(0, store.GetSection(1).keys.GetSize());

    // A profile without sections keeps what the store had.
    const std::string empty = tmp.File("empty.ini");
    ASSERT_TRUE(TempFolder::Write(empty, {'x', '\r', '\n'}));
    store.Load(empty.c_str());
    EXPECT_EQ(3, store.GetSectionCount());
    EXPECT_STREQ(empty.c_str(), store.GetFilePath());
}
