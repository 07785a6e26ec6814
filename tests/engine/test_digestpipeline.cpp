#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/digestpipeline.h"
#include "scan_test_support.h"

TEST(DigestPipeline, DigestsOfWholeFiles)
{
    TempFolder tmp;
    std::vector<BYTE> data(700 * 1024 + 13);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 31 + (i >> 9));
    ASSERT_TRUE(TempFolder::Write(tmp.File("big.exe"), data));
    ASSERT_TRUE(TempFolder::Write(tmp.File("empty.dll"), {}));
    BYTE digest[16];
    ASSERT_TRUE(DigestOfFile(tmp.File("big.exe").c_str(), digest));
    EXPECT_EQ(Md5Of(data), std::vector<BYTE>(digest, digest + 16));
    EXPECT_FALSE(DigestOfFile(tmp.File("empty.dll").c_str(), digest));
    EXPECT_FALSE(DigestOfFile(tmp.File("missing.exe").c_str(), digest));
}

TEST(DigestPipeline, ResultsComeBackInTheOrderTheyWentIn)
{
    TempFolder tmp;
    std::vector<std::string> paths;
    std::vector<std::vector<BYTE>> contents;
    for (int i = 0; i < 40; ++i)
    {
        // Sizes vary so that later jobs often finish first.
        std::vector<BYTE> data((size_t)((i * 7919) % 300000 + (i % 3 ? 1 : 0)), (BYTE)i);
        const std::string path = tmp.File(("f" + std::to_string(i) + ".exe").c_str());
        ASSERT_TRUE(TempFolder::Write(path, data));
        paths.push_back(path);
        contents.push_back(data);
    }
    CDigestPipeline pipeline(4, 8);
    size_t pushed = 0, popped = 0;
    std::string path;
    bool ok;
    BYTE digest[16];
    while (popped < paths.size())
    {
        if (pushed < paths.size() && !pipeline.IsFull())
        {
            pipeline.Push(paths[pushed++]);
            continue;
        }
        ASSERT_TRUE(pipeline.Pop(path, ok, digest, true));
        EXPECT_EQ(paths[popped], path);
        EXPECT_EQ(!contents[popped].empty(), ok) << path;
        if (ok)
        {
            EXPECT_EQ(Md5Of(contents[popped]), std::vector<BYTE>(digest, digest + 16)) << path;
        }
        ++popped;
    }
    EXPECT_TRUE(pipeline.IsEmpty());
    EXPECT_FALSE(pipeline.Pop(path, ok, digest, true));
}

TEST(DigestPipeline, ClearDropsEverythingQueued)
{
    TempFolder tmp;
    std::vector<BYTE> data(200000, 7);
    ASSERT_TRUE(TempFolder::Write(tmp.File("a.exe"), data));
    CDigestPipeline pipeline(2, 16);
    for (int i = 0; i < 16; ++i)
        pipeline.Push(tmp.File("a.exe"));
    EXPECT_TRUE(pipeline.IsFull());
    pipeline.Push(tmp.File("a.exe")); // ignored while full
    pipeline.Clear();
    EXPECT_TRUE(pipeline.IsEmpty());
    std::string path;
    bool ok;
    BYTE digest[16];
    EXPECT_FALSE(pipeline.Pop(path, ok, digest, false));
    // Still usable afterwards.
    pipeline.Push(tmp.File("a.exe"));
    ASSERT_TRUE(pipeline.Pop(path, ok, digest, true));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Md5Of(data), std::vector<BYTE>(digest, digest + 16));
}

TEST(DigestPipeline, NoFileStaysOpenAfterClearOrDrain)
{
    TempFolder tmp;
    const std::string big = tmp.File("big.dll");
    ASSERT_TRUE(TempFolder::Write(big, std::vector<BYTE>(24 << 20, 3)));
    std::vector<std::string> small;
    for (int i = 0; i < 20; ++i)
    {
        small.push_back(tmp.File(("s" + std::to_string(i) + ".exe").c_str()));
        ASSERT_TRUE(TempFolder::Write(small.back(), std::vector<BYTE>(5000 + i, (BYTE)i)));
    }
    CDigestPipeline pipeline(2, 64);
    pipeline.Push(big);
    for (const std::string& path : small)
        pipeline.Push(path);
    Sleep(20); // let the big one be in work
    pipeline.Clear();
    EXPECT_TRUE(DeleteFileA(big.c_str())) << GetLastError();

    for (const std::string& path : small)
        pipeline.Push(path);
    std::string path;
    bool ok;
    BYTE digest[16];
    size_t popped = 0;
    while (pipeline.Pop(path, ok, digest, true))
        popped += ok;
    EXPECT_EQ(small.size(), popped);
    for (const std::string& name : small)
        EXPECT_TRUE(DeleteFileA(name.c_str())) << name << " " << GetLastError();
}
