// Record text, the support report's own URL encoding, the form body, and how
// that encoding differs from the foundation's form encoding.

#include "foundation/httpclient.h"
#include "reg/mainscan.h"
#include "reg/xmlrecord.h"

#include <gtest/gtest.h>

#include <string>

TEST(XmlRecord, WritesTagLinesAndFieldsInInsertionOrderWithoutEscaping)
{
    CXmlRecord record("o4");
    record.AddField("path", "HKEY_LOCAL_MACHINE\\Run");
    record.AddField("title", "a<b>&c");
    record.AddField("title", "");
    record.AddField("command", "line one\nline two");
    EXPECT_EQ("\t<o4>\n"
              "\t\t<path>HKEY_LOCAL_MACHINE\\Run</path>\n"
              "\t\t<title>a<b>&c</title>\n"
              "\t\t<title></title>\n"
              "\t\t<command>line one\nline two</command>\n"
              "\t</o4>\n",
              record.Write());

    EXPECT_EQ("\t<scan>\n\t</scan>\n", CXmlRecord("scan").Write());

    CNameValuePair pair("name", "value");
    EXPECT_EQ("name", pair.GetName());
    EXPECT_EQ("value", pair.GetValue());
}

TEST(XmlRecord, AFieldFarLongerThanAnyLineBufferIsWrittenWhole)
{
    const std::string log(300000, 'x');
    CXmlRecord record("scan");
    record.AddField("value", log);
    const std::string text = record.Write();
    EXPECT_EQ("\t<scan>\n\t\t<value>" + log + "</value>\n\t</scan>\n", text);
}

TEST(ReportEncoding, KeepsLettersDigitsAndEqualsAndWritesEveryOtherByteAsUpperCaseHex)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string encoded = CMainScan::UrlEncode(all);
    std::string expected;
    for (int b = 1; b < 256; ++b)
    {
        const bool kept = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '=';
        char escape[4];
        snprintf(escape, sizeof(escape), "%%%02X", b);
        expected += kept ? std::string(1, static_cast<char>(b)) : std::string(escape);
    }
    EXPECT_EQ(expected, encoded);

    EXPECT_EQ("%09%3Co4%3E%0A", CMainScan::UrlEncode("\t<o4>\n"));
    EXPECT_EQ("a%20b%2Bc%26d%25e%2Ff", CMainScan::UrlEncode("a b+c&d%e/f"));
    EXPECT_EQ("me%40host%2Eorg", CMainScan::UrlEncode("me@host.org"));
    EXPECT_EQ("x=1%E9", CMainScan::UrlEncode("x=1\xE9"));
    EXPECT_EQ("", CMainScan::UrlEncode(""));
}

TEST(ReportEncoding, DiffersFromTheFormEncodingOfTheCrashReport)
{
    // The support report: blank as %20, "=" kept, upper-case hex, "." and "-" escaped.
    EXPECT_EQ("a%20b=c%2Ed%2D%E9", CMainScan::UrlEncode("a b=c.d-\xE9"));
    // The foundation's form encoding: blank as "+", "=" escaped, lower-case hex, "." and "-" kept.
    EXPECT_STREQ("a+b%3dc.d-%e9", UrlEncode("a b=c.d-\xE9"));
}

TEST(ReportBody, JoinsTheLogAndTheEncodedFieldsInOrder)
{
    EXPECT_EQ("log=<log>%09%3Cscan%3E%0A\n</log>&email=me%40host%2Eorg&subj=Slow%20PC&desc=a=b%20%E9",
              CMainScan::BuildBody("%09%3Cscan%3E%0A\n", "me@host.org", "Slow PC", "a=b \xE9"));
    // Empty subject and description: the body ends with "&subj=&desc=".
    EXPECT_EQ("log=<log>X\n</log>&email=a%40b%2Ec&subj=&desc=", CMainScan::BuildBody("X\n", "a@b.c", "", ""));
}
