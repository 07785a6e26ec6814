#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/enginelogtext.h"

TEST(EngineLogText, LinesCarryTheirSourceAndABlankLine)
{
    CEngineMessageText text;
    FormatSourceError(text, "engine/scanner", 42, "Start scan %d", 7);
    FormatSourceError(text, "engine/quarantine", 9, "%s", "second");
    EXPECT_STREQ("Start scan 7 (engine/scanner [42])\r\n\r\nsecond (engine/quarantine [9])\r\n\r\n", text.Get());
    text.Empty();
    EXPECT_EQ(0, text.GetLength());
}

TEST(EngineLogText, LongMessagesAreCutButTagged)
{
    CEngineMessageText text;
    const std::string big(10000, 'x');
    FormatSourceError(text, "engine/internalremove", 1, "%s", big.c_str());
    const std::string got = (LPCSTR)text.Get();
    EXPECT_EQ(8191u + strlen(" (engine/internalremove [1])\r\n\r\n"), got.size());
    EXPECT_EQ(" (engine/internalremove [1])\r\n\r\n", got.substr(8191));

    char small[4];
    va_list none = {};
    EXPECT_EQ(E_INVALIDARG, FormatMessageV(small, 0x80000000u, "x", none));
}

TEST(EngineLogText, ThreadsAppendWholeLinesAndTheTextStaysBounded)
{
    CEngineMessageText text;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&text, t] {
            for (int i = 0; i < 5000; ++i)
                FormatSourceError(text, "engine/scanner", t, "thread %d line %d padding padding padding padding", t, i);
        });
    for (std::thread& th : threads)
        th.join();
    const std::string got = (LPCSTR)text.Get();
    EXPECT_LE(got.size(), (size_t)CEngineMessageText::MaxLength);
    // The newest text is kept and starts at a whole line.
    EXPECT_EQ(0u, got.find("thread "));
    EXPECT_NE(std::string::npos, got.find("line 4999 "));
}
