// The detectors' reading helpers: read-only, bounded and terminated reads,
// environment expansion and file digests.

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

#include "tests/foundation/temp_folder.h"
#include "tests/reg/registry_sandbox.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const char kKey[] = "Software\\Planted";

std::vector<std::string> Names(const std::vector<CRegValueRecord>& records)
{
    std::vector<std::string> names;
    for (const CRegValueRecord& r : records)
        names.push_back(r.m_name);
    return names;
}

} // namespace

TEST(ScanHelperRegistry, ReadsOnlyAndNeverCreatesAMissingKey)
{
    RegistrySandbox sandbox;
    EXPECT_EQ("", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, "Software\\Missing\\Deeper", "Value"));
    EXPECT_EQ(0u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, "Software\\Missing", "Value"));
    EXPECT_TRUE(CScanHelper::RegEnumSubkeys(HKEY_CLASSES_ROOT, "CLSID\\{none}").empty());
    EXPECT_TRUE(CScanHelper::RegEnumValues(HKEY_CURRENT_USER, "Software\\Missing").empty());
    EXPECT_EQ("", CScanHelper::ClassName("{00000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ("", CScanHelper::ClassServer("{00000000-0000-0000-0000-000000000001}"));
    EXPECT_TRUE(sandbox.AllKeys().empty());
}

TEST(ScanHelperRegistry, ReadsValuesOfAnyLengthWholeAndEndsThemAtTheirFirstZero)
{
    RegistrySandbox sandbox;
    const std::string longText(5000, 'L');
    sandbox.SetString(HKEY_LOCAL_MACHINE, kKey, "Long", longText);
    sandbox.SetString(HKEY_LOCAL_MACHINE, kKey, "", "default text");
    // Stored without a terminator, and with bytes after an inner zero.
    sandbox.SetBytes(HKEY_LOCAL_MACHINE, kKey, "Unterminated", "abc", REG_SZ);
    sandbox.SetBytes(HKEY_LOCAL_MACHINE, kKey, "Inner", std::string("ab\0cd", 5), REG_SZ);
    sandbox.SetString(HKEY_LOCAL_MACHINE, kKey, "Expand", "%SystemRoot%\\x.dll", REG_EXPAND_SZ);

    EXPECT_EQ(longText, CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, "Long"));
    EXPECT_EQ("default text", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, ""));
    EXPECT_EQ("abc", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, "Unterminated"));
    EXPECT_EQ("ab", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, "Inner"));
    EXPECT_EQ("%SystemRoot%\\x.dll", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, "Expand"));
    EXPECT_EQ("", CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, kKey, "Missing"));

    // Enumeration reads long data whole as well, in the key's order.
    const std::vector<CRegValueRecord> values = CScanHelper::RegEnumValues(HKEY_LOCAL_MACHINE, kKey);
    ASSERT_EQ(5u, values.size());
    const std::map<std::string, std::string> expected = {
        {"Long", longText}, {"", "default text"}, {"Unterminated", "abc"}, {"Inner", "ab"},
        {"Expand", "%SystemRoot%\\x.dll"}};
    for (const CRegValueRecord& v : values)
    {
        EXPECT_EQ(HKEY_LOCAL_MACHINE, v.m_root);
        EXPECT_EQ(kKey, v.GetKeyPath());
        EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Planted", v.GetFullKeyPath());
        ASSERT_EQ(1u, expected.count(v.m_name)) << v.m_name;
        EXPECT_EQ(expected.at(v.m_name), v.m_data) << v.m_name;
    }
}

TEST(ScanHelperRegistry, ReadsNumbersOnlyFromFourByteValues)
{
    RegistrySandbox sandbox;
    sandbox.SetDword(HKEY_CURRENT_USER, kKey, "Number", 0x110);
    sandbox.SetBytes(HKEY_CURRENT_USER, kKey, "Binary", std::string("\x01\x00\x00\x00", 4), REG_BINARY);
    sandbox.SetString(HKEY_CURRENT_USER, kKey, "Text", "1");
    sandbox.SetBytes(HKEY_CURRENT_USER, kKey, "Short", std::string("\x01\x02", 2), REG_BINARY);
    EXPECT_EQ(0x110u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, kKey, "Number"));
    EXPECT_EQ(1u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, kKey, "Binary"));
    EXPECT_EQ(0u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, kKey, "Text"));
    EXPECT_EQ(0u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, kKey, "Short"));
    EXPECT_EQ(0u, CScanHelper::RegReadDword(HKEY_CURRENT_USER, kKey, "Missing"));
}

TEST(ScanHelperRegistry, EnumeratesSubkeysWithTheirPaths)
{
    RegistrySandbox sandbox;
    sandbox.CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\Alpha");
    sandbox.CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\Beta\\Inner");
    const std::string longName(120, 'k');
    sandbox.CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + longName);
    const std::vector<CRegValueRecord> keys = CScanHelper::RegEnumSubkeys(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(3u, keys.size());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta", longName}), Names(keys));
    EXPECT_EQ("Software\\Planted\\Beta", keys[1].GetKeyPath());
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Planted\\Beta", keys[1].GetFullKeyPath());
    EXPECT_EQ("", keys[1].m_data);
}

TEST(ScanHelperExpand, MatchesTheWholeVariableNameWithoutRegardToCase)
{
    SetEnvironmentVariableA("CW_TEST_ROOT", "C:\\Root");
    SetEnvironmentVariableA("CW_TEST_ROOTLONGER", "C:\\Wrong");
    SetEnvironmentVariableA("XCW_TEST_ROOT", "C:\\AlsoWrong");
    EXPECT_EQ("C:\\Root\\sys\\a.dll", CScanHelper::ExpandEnvPath("%CW_TEST_ROOT%\\sys\\a.dll"));
    EXPECT_EQ("C:\\Root\\a.dll", CScanHelper::ExpandEnvPath("%cw_test_root%\\a.dll"));
    // A name that is only part of a variable's name matches nothing: the rest remains.
    EXPECT_EQ("\\a.dll", CScanHelper::ExpandEnvPath("%CW_TEST_ROO%\\a.dll"));
    EXPECT_EQ("\\a.dll", CScanHelper::ExpandEnvPath("%TEST_ROOT%\\a.dll"));
    SetEnvironmentVariableA("CW_TEST_ROOT", NULL);
    SetEnvironmentVariableA("CW_TEST_ROOTLONGER", NULL);
    SetEnvironmentVariableA("XCW_TEST_ROOT", NULL);

    EXPECT_EQ("C:\\plain\\a.dll", CScanHelper::ExpandEnvPath("C:\\plain\\a.dll"));
    EXPECT_EQ("", CScanHelper::ExpandEnvPath(""));
    EXPECT_EQ("%unclosed\\a.dll", CScanHelper::ExpandEnvPath("%unclosed\\a.dll"));
    EXPECT_EQ("x\\%CW_TEST_ROOT%", CScanHelper::ExpandEnvPath("x\\%CW_TEST_ROOT%"));
}

TEST(ScanHelperDigest, WritesThirtyTwoLowerCaseDigitsOrNothing)
{
    TempFolder folder;
    TempFolder::Write(folder.File("abc.bin"), {'a', 'b', 'c'});
    TempFolder::Write(folder.File("empty.bin"), {});
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", CScanHelper::GetFileMd5(folder.File("abc.bin")));
    EXPECT_EQ("", CScanHelper::GetFileMd5(folder.File("empty.bin")));
    EXPECT_EQ("", CScanHelper::GetFileMd5(folder.File("missing.bin")));
    EXPECT_EQ("", CScanHelper::GetFileMd5(""));

    CXmlRecord with("t"), without("t");
    CScanHelper::AddFileFields(with, "filename", folder.File("abc.bin"));
    CScanHelper::AddFileFields(without, "filename", folder.File("missing.bin"));
    CScanHelper::AddFileFields(without, "filename", "");
    EXPECT_EQ("\t<t>\n\t\t<filename>" + folder.File("abc.bin") +
                  "</filename>\n\t\t<MD5>900150983cd24fb0d6963f7d28e17f72</MD5>\n\t</t>\n",
              with.Write());
    EXPECT_EQ("\t<t>\n\t\t<filename>" + folder.File("missing.bin") + "</filename>\n\t</t>\n", without.Write());
}
