#include "platform/html/utf8stream.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Hex(const std::string& s)
{
    std::string out;
    char buf[4];
    for (unsigned char c : s)
    {
        snprintf(buf, sizeof(buf), "%02X ", c);
        out += buf;
    }
    return out;
}
}  // namespace

TEST(Utf8Html, EscapesMarkupAndEncodesWithoutByteOrderMark)
{
    std::string text = "a\"b&c'd<e>f 09";
    ToUtf8Html(text);
    EXPECT_EQ(text, "a&quot;b&amp;c&apos;d&lt;e&gt;f 09");

    std::string accented = "caf\xE9 \x80";  // é and the euro sign in code page 1252
    ToUtf8Html(accented);
    if (GetACP() == 1252)
    {
        EXPECT_EQ(Hex(accented), Hex("caf\xC3\xA9 \xE2\x82\xAC"));
    }

    std::string empty;
    ToUtf8Html(empty);
    EXPECT_EQ(empty, "");
}

TEST(Utf8Html, StreamStartsWithMarkAndWritesUnitsAsTheyStand)
{
    CUtf8Stream s;
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_EQ(s.Capacity(), 256u);
    s.WriteEscaped(L"\u00E9\u20AC\U0001F600<");
    std::string bytes(s.GetText(), s.Length());
    // Each surrogate half is written as three bytes of its own.
    EXPECT_EQ(Hex(bytes), Hex("\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC\xED\xA0\xBD\xED\xB8\x80&lt;"));
    EXPECT_EQ(s.GetText()[s.Length()], '\0');
}

TEST(Utf8Html, StreamGrowsByDoublingOrToTheExactNeed)
{
    std::string big(600, 'x'), mid(300, 'y');
    CUtf8Stream a;
    a.AppendBytes(reinterpret_cast<const BYTE*>(big.data()), big.size());
    EXPECT_EQ(a.Capacity(), 603u);
    EXPECT_EQ(a.Length(), 603u);
    CUtf8Stream b;
    b.AppendBytes(reinterpret_cast<const BYTE*>(mid.data()), mid.size());
    EXPECT_EQ(b.Capacity(), 512u);

    // A full buffer makes room for the terminating byte by the same rule.
    CUtf8Stream c;
    std::string fill(253, 'z');
    c.AppendBytes(reinterpret_cast<const BYTE*>(fill.data()), fill.size());
    EXPECT_EQ(c.Capacity(), 256u);
    const char* text = c.GetText();
    EXPECT_EQ(c.Capacity(), 512u);
    EXPECT_EQ(text[256], '\0');
    EXPECT_EQ(c.Length(), 256u);
}
