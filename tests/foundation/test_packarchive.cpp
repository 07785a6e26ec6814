#include <gtest/gtest.h>

#include "test_bytes.h"

#include <string.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "foundation/packarchive.h"
#include "temp_folder.h"

namespace {

typedef std::vector<BYTE> Bytes;

Bytes Text(const char* text, int repeat)
{
    Bytes out;
    for (int i = 0; i < repeat; ++i)
        out.insert(out.end(), text, text + strlen(text));
    return out;
}

} // namespace

TEST(PackArchive, EntriesAreByteExactAndExtractBack)
{
    TempFolder tmp;
    const Bytes one = Text("quarantined file one ", 200), two = Text("second ", 50);
    ASSERT_TRUE(TempFolder::Write(tmp.File("one.exe"), one));
    ASSERT_TRUE(TempFolder::Write(tmp.File("two.dll"), two));

    CPackArchive archive;
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    CPackEntryHeader h1, h2;
    ASSERT_TRUE(archive.AddFile(tmp.File("one.exe").c_str(), &h1));
    ASSERT_TRUE(archive.AddFile(tmp.File("two.dll").c_str(), &h2));

    const Bytes file = TempFolder::Read(tmp.File("a.dat"));
    ASSERT_EQ(h1.entrySize + h2.entrySize, file.size());
    EXPECT_EQ(0x0F0E0D0Cu, Get32(file, 0));
    EXPECT_EQ(0u, Get32(file, 4));
    EXPECT_EQ(h1.entrySize, Get32(file, 8));
    EXPECT_EQ(crc32(0, file.data() + 20, h1.entrySize - 20), Get32(file, 12));
    EXPECT_EQ(one.size(), Get32(file, 16));
    EXPECT_EQ(0, memcmp(&h1, file.data(), 20));
    EXPECT_EQ(h1.entryOffset + h1.entrySize, h2.entryOffset);
    EXPECT_EQ(0, memcmp(&h2, file.data() + h2.entryOffset, 20));

    // The stream is plain zlib output at level 6.
    Bytes expected(compressBound(one.size()));
    uLongf z = expected.size();
    ASSERT_EQ(Z_OK, compress2(expected.data(), &z, one.data(), one.size(), 6));
    EXPECT_EQ(Bytes(expected.begin(), expected.begin() + z), Bytes(file.begin() + 20, file.begin() + h1.entrySize));

    ASSERT_TRUE(archive.ExtractFile(tmp.File("two.out").c_str(), h2));
    ASSERT_TRUE(archive.ExtractFile(tmp.File("one.out").c_str(), h1));
    EXPECT_EQ(one, TempFolder::Read(tmp.File("one.out")));
    EXPECT_EQ(two, TempFolder::Read(tmp.File("two.out")));
    EXPECT_TRUE(archive.Close());
    EXPECT_FALSE(archive.Close());

    // Reopening appends behind the existing entries.
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    CPackEntryHeader h3;
    ASSERT_TRUE(archive.AddFile(tmp.File("one.exe").c_str(), &h3));
    EXPECT_EQ(file.size(), h3.entryOffset);
    archive.Close();
}

TEST(PackArchive, EmptyFilesHaveNoEntry)
{
    TempFolder tmp;
    ASSERT_TRUE(TempFolder::Write(tmp.File("empty"), Bytes()));
    CPackArchive archive;
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    CPackEntryHeader h;
    memset(&h, 0x55, sizeof(h));
    ASSERT_TRUE(archive.AddFile(tmp.File("empty").c_str(), &h));
    const CPackEntryHeader empty = {0x0F0E0D0C, 0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(&empty, &h, sizeof(h)));
    EXPECT_EQ(0u, TempFolder::Read(tmp.File("a.dat")).size());

    ASSERT_TRUE(TempFolder::Write(tmp.File("out"), Text("old", 3)));
    ASSERT_TRUE(archive.ExtractFile(tmp.File("out").c_str(), h));
    EXPECT_TRUE(TempFolder::Exists(tmp.File("out")));
    EXPECT_EQ(0u, TempFolder::Read(tmp.File("out")).size());
    archive.Close();
}

TEST(PackArchive, MismatchedOrHostileHeadersLeaveTheDestinationAlone)
{
    TempFolder tmp;
    ASSERT_TRUE(TempFolder::Write(tmp.File("src"), Text("payload ", 500)));
    CPackArchive archive;
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    CPackEntryHeader good;
    ASSERT_TRUE(archive.AddFile(tmp.File("src").c_str(), &good));
    const Bytes keep = Text("keep me", 1);
    ASSERT_TRUE(TempFolder::Write(tmp.File("dest"), keep));

    struct Case
    {
        const char* what;
        void (*change)(CPackEntryHeader&);
    } cases[] = {
        {"crc", [](CPackEntryHeader& h) { h.crc ^= 1; }},
        {"entry size", [](CPackEntryHeader& h) { h.entrySize -= 1; }},
        {"unpacked size", [](CPackEntryHeader& h) { h.unpackedSize += 1; }},
        {"magic", [](CPackEntryHeader& h) { h.magic = 0x0C0D0E0F; }},
        {"entry size below the header", [](CPackEntryHeader& h) { h.entrySize = 12; }},
        {"entry past the end", [](CPackEntryHeader& h) { h.entryOffset = 10; }},
        {"huge entry", [](CPackEntryHeader& h) { h.entrySize = 0xFFFFFFF0; }},
        {"huge offset", [](CPackEntryHeader& h) { h.entryOffset = 0xFFFFFFF0; }},
    };
    for (const Case& c : cases)
    {
        CPackEntryHeader h = good;
        c.change(h);
        EXPECT_FALSE(archive.ExtractFile(tmp.File("dest").c_str(), h)) << c.what;
        EXPECT_EQ(keep, TempFolder::Read(tmp.File("dest"))) << c.what;
        EXPECT_FALSE(archive.ExtractFile(tmp.File("fresh").c_str(), h)) << c.what;
        EXPECT_FALSE(TempFolder::Exists(tmp.File("fresh"))) << c.what;
    }
    archive.Close();

    // Corrupted zlib data behind a matching header.
    Bytes file = TempFolder::Read(tmp.File("a.dat"));
    file[30] ^= 0xFF;
    file[31] ^= 0xFF;
    ASSERT_TRUE(TempFolder::Write(tmp.File("a.dat"), file));
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    EXPECT_FALSE(archive.ExtractFile(tmp.File("dest").c_str(), good));
    EXPECT_EQ(keep, TempFolder::Read(tmp.File("dest")));
    archive.Close();
    // No half-written temporary file is left beside the destination.
    EXPECT_EQ(3u, tmp.List().size());
}

TEST(PackArchive, ClosedOrUnopenableArchivesFail)
{
    TempFolder tmp;
    ASSERT_TRUE(TempFolder::Write(tmp.File("src"), Text("x", 10)));
    CPackArchive archive;
    CPackEntryHeader h = {0x0F0E0D0C, 0, 30, 0, 10};
    EXPECT_FALSE(archive.AddFile(tmp.File("src").c_str(), &h));
    EXPECT_FALSE(archive.ExtractFile(tmp.File("dest").c_str(), h));

    EXPECT_FALSE(archive.Open(tmp.File("no such folder\\a.dat").c_str()));
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_FALSE(archive.AddFile(tmp.File("src").c_str(), &h));

    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    EXPECT_FALSE(archive.Open(tmp.File("b.dat").c_str()));
    EXPECT_FALSE(archive.AddFile(tmp.File("missing").c_str(), &h));
    EXPECT_FALSE(archive.AddFile(tmp.File("src").c_str(), NULL));
    EXPECT_EQ(0u, TempFolder::Read(tmp.File("a.dat")).size());
    archive.Close();
}

TEST(PackArchive, SourcesBeyond32BitsAreRefused)
{
    TempFolder tmp;
    // Just over 4 GiB; extending a file this way leaves it sparse here.
    HANDLE h = CreateFileA(tmp.File("huge").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    LARGE_INTEGER size;
    size.QuadPart = 0x100000010LL;
    ASSERT_TRUE(SetFilePointerEx(h, size, NULL, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);

    ASSERT_TRUE(TempFolder::Write(tmp.File("small"), Text("small", 10)));
    CPackArchive archive;
    ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
    CPackEntryHeader first, h2;
    ASSERT_TRUE(archive.AddFile(tmp.File("small").c_str(), &first));
    const Bytes before = TempFolder::Read(tmp.File("a.dat"));
    EXPECT_FALSE(archive.AddFile(tmp.File("huge").c_str(), &h2));
    archive.Close();
    EXPECT_EQ(before, TempFolder::Read(tmp.File("a.dat")));
}
