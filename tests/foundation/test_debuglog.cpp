#include "foundation/debuglog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

SYSTEMTIME g_fixedTime;

void WINAPI FixedClock(SYSTEMTIME* utc)
{
    *utc = g_fixedTime;
}

void SetTime(WORD day, WORD month, WORD year, WORD hour, WORD minute, WORD second)
{
    g_fixedTime = SYSTEMTIME();
    g_fixedTime.wDay = day;
    g_fixedTime.wMonth = month;
    g_fixedTime.wYear = year;
    g_fixedTime.wHour = hour;
    g_fixedTime.wMinute = minute;
    g_fixedTime.wSecond = second;
}

class DebugLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TempFolder::Exists(m_temp.Path()));
        m_file = m_temp.File("sdebug.log");
        SetDebugLogFolder((m_temp.Path() + "\\").c_str());
        SetTime(8, 12, 2026, 9, 5, 7);
        m_previousClock = SetDebugLogClock(FixedClock);
    }
    void TearDown() override
    {
        SetDebugLogClock(m_previousClock);
        SetDebugLogFolder(nullptr);
    }
    std::string ReadLog() const
    {
        const std::vector<BYTE> bytes = TempFolder::Read(m_file);
        return std::string(bytes.begin(), bytes.end());
    }
    bool LogExists() const { return TempFolder::Exists(m_file); }

    TempFolder m_temp;
    std::string m_file;
    DebugLogClockFn m_previousClock = nullptr;
};

class MessageException : public CException
{
public:
    MessageException(const char* message, int* deleted)
        : CException(FALSE), m_message(message), m_deleted(deleted) {}
    ~MessageException() override { ++*m_deleted; }
    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT) override
    {
        if (!m_message)
            return CException::GetErrorMessage(buf, max);
        lstrcpynA(buf, m_message, static_cast<int>(max));
        return TRUE;
    }

private:
    const char* m_message;
    int* m_deleted;
};

}  // namespace

TEST_F(DebugLogTest, ExactLinesAppended)
{
    DebugLog("value %d of %s: %5.2f%%", 5, "x", 2.5);
    EXPECT_EQ("[08.12.2026 09:05:07] value 5 of x:  2.50%\r\n", ReadLog());

    SetTime(31, 12, 2026, 23, 59, 59);
    DebugLog("year end");
    EXPECT_EQ("[08.12.2026 09:05:07] value 5 of x:  2.50%\r\n"
              "[31.12.2026 23:59:59] year end\r\n",
              ReadLog());

    // A folder given without its trailing backslash works the same.
    SetDebugLogFolder(m_temp.Path().c_str());
    SetTime(1, 1, 999, 0, 0, 0);
    DebugLog("%s", "multi\nline");
    const std::string all = ReadLog();
    const std::string last = "[01.01.0999 00:00:00] multi\nline\r\n";
    ASSERT_GE(all.size(), last.size());
    EXPECT_EQ(last, all.substr(all.size() - last.size()));
}

TEST_F(DebugLogTest, MessageCutAtThousandAndEmptyFormats)
{
    const char* none = nullptr;
    const char* empty = "";
    DebugLog(none);
    DebugLog(empty);
    EXPECT_FALSE(LogExists());  // not even a time stamp or an empty file

    const std::string prefix = "[08.12.2026 09:05:07] ";
    std::string message(1500, 'm');
    message[999] = 'L';   // the last character that is kept
    message[1000] = 'X';  // the first one cut
    DebugLog("%s", message.c_str());
    EXPECT_EQ(prefix + message.substr(0, 1000) + "\r\n", ReadLog());

    DeleteFileA(m_file.c_str());
    DebugLog("%s", std::string(1000, 'e').c_str());
    EXPECT_EQ(prefix + std::string(1000, 'e') + "\r\n", ReadLog());

    // Output far beyond the buffer is cut, never written past it.
    DeleteFileA(m_file.c_str());
    DebugLog("%s%s", std::string(70000, 'a').c_str(), "tail");
    EXPECT_EQ(prefix + std::string(1000, 'a') + "\r\n", ReadLog());

    // A folder that does not exist loses the line silently.
    SetDebugLogFolder((m_temp.Path() + "\\missing\\").c_str());
    DebugLog("lost");
    EXPECT_FALSE(TempFolder::Exists(m_temp.Path() + "\\missing\\sdebug.log"));
}

namespace {

const int kThreads = 8;
const int kLines = 200;

DWORD WINAPI LogLines(void* param)
{
    const int id = static_cast<int>(reinterpret_cast<INT_PTR>(param));
    const std::string padding(300, static_cast<char>('a' + id));
    for (int i = 0; i < kLines; ++i)
        DebugLog("thread %d line %03d %s end", id, i, padding.c_str());
    return 0;
}

}  // namespace

TEST_F(DebugLogTest, ThreadsNeverInterleave)
{
    HANDLE threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        threads[t] = CreateThread(NULL, 0, LogLines, reinterpret_cast<void*>(static_cast<INT_PTR>(t)),
                                  0, NULL);
        ASSERT_NE(nullptr, threads[t]);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE h : threads)
        CloseHandle(h);

    const std::string log = ReadLog();
    std::set<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            char head[64];
            sprintf(head, "[08.12.2026 09:05:07] thread %d line %03d ", t, i);
            expected.insert(head + std::string(300, static_cast<char>('a' + t)) + " end");
        }
    }
    std::vector<int> nextLine(kThreads, 0);
    size_t count = 0, pos = 0, bad = 0;
    while (pos < log.size()) {
        size_t end = log.find("\r\n", pos);
        ASSERT_NE(std::string::npos, end);
        const std::string line = log.substr(pos, end - pos);
        pos = end + 2;
        ++count;
        if (!expected.erase(line)) {
            ++bad;
            continue;
        }
        int t = 0, i = 0;
        sscanf(line.c_str() + 22, "thread %d line %d", &t, &i);
        EXPECT_EQ(nextLine[t], i);  // each thread's lines stay in order
        nextLine[t] = i + 1;
    }
    EXPECT_EQ(0u, bad);
    EXPECT_EQ(static_cast<size_t>(kThreads * kLines), count);
    EXPECT_TRUE(expected.empty());
}

TEST_F(DebugLogTest, LogExceptionKeepsPercentSigns)
{
    int deleted = 0;
    MessageException withPercent("100% done %s %d %n", &deleted);
    LogException(&withPercent, "CLocalizer::Load");
    EXPECT_EQ("[08.12.2026 09:05:07] Message: 100% done %s %d %n\nFunction: CLocalizer::Load\r\n",
              ReadLog());
    EXPECT_EQ(0, deleted);  // the caller still owns the exception

    DeleteFileA(m_file.c_str());
    MessageException silent(nullptr, &deleted);
    LogException(&silent, "Quiet");
    LogException(nullptr, "Null");
    EXPECT_FALSE(LogExists());

    // A message longer than its 512-byte buffer is cut to 511 characters.
    const std::string longMessage(700, 'q');
    MessageException longOne(longMessage.c_str(), &deleted);
    LogException(&longOne, nullptr);
    EXPECT_EQ("[08.12.2026 09:05:07] Message: " + std::string(511, 'q') + "\nFunction: \r\n",
              ReadLog());
    EXPECT_EQ(0, deleted);
}
