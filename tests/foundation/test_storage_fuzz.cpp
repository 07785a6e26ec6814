// Mutated and truncated containers and archives: every read must stay inside
// the data it was given and report failure by its result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/packarchive.h"
#include "foundation/packfile.h"
#include "temp_folder.h"

namespace {

typedef std::vector<BYTE> Bytes;

const BYTE kKey[16] = {'f', 'u', 'z', 'z', ' ', 'k', 'e', 'y', ' ', '1', '2', '3', '4', '5', '6', '7'};

class Rng
{
public:
    explicit Rng(DWORD seed) : m_x(seed) {}
    DWORD Next()
    {
        m_x ^= m_x << 13;
        m_x ^= m_x >> 17;
        m_x ^= m_x << 5;
        return m_x;
    }
    DWORD Below(DWORD n) { return Next() % n; }

private:
    DWORD m_x;
};

Bytes Mutate(const Bytes& original, Rng& rng)
{
    Bytes b = original;
    switch (rng.Below(3))
    {
    case 0:
        b.resize(rng.Below((DWORD)b.size() + 1));
        break;
    default:
        for (DWORD n = 1 + rng.Below(6); n > 0 && !b.empty(); --n)
            b[rng.Below((DWORD)b.size())] = (BYTE)rng.Next();
        break;
    }
    return b;
}

// Walks everything readable and checks that every field lies in its block.
void WalkAll(CPackFile& file)
{
    for (int i = 0; i < file.GetBlockCount(); ++i)
    {
        CPackBlock& block = file.LoadBlock(i);
        const BYTE* begin = block.GetData();
        const BYTE* end = begin + block.GetSize();
        int walked = 0;
        for (BYTE* p = block.First(); p; p = block.Next())
        {
            ++walked;
            CPackedRecord r(p);
            ASSERT_LE(p + r.GetTotalLength(), end);
            for (int f = 0; f < r.GetEntryCount(); ++f)
            {
                const BYTE* data = r.GetEntry(f);
                if (data == NULL)
                    continue;
                ASSERT_GE(data, p);
                ASSERT_LE(data + r.GetEntryLength(f), p + r.GetTotalLength());
            }
        }
        ASSERT_EQ(walked, block.GetRecordCount());
    }
}

Bytes MakeContainer(const std::string& path, const BYTE* key)
{
    DeleteFileA(path.c_str());
    CPackFile file;
    EXPECT_TRUE(file.Open(path.c_str(), 1, key ? 16 : 0, key));
    CPackedRecordBuffer record;
    char text[64];
    for (WORD id = 1; id <= 4; ++id)
    {
        CPackBlock& block = file.CreateBlock(id);
        for (int i = 0; i < 40; ++i)
        {
            wsprintfA(text, "record %d of block %d", i, id);
            record->SetString(0, text);
            record->SetString(2, i % 2 ? "odd" : NULL);
            block.AddRecord(record.Record());
        }
    }
    EXPECT_TRUE(file.Close());
    return TempFolder::Read(path);
}

} // namespace

TEST(StorageFuzz, MutatedContainersNeverReadOutOfBounds)
{
    TempFolder tmp;
    const std::string path = tmp.File("fuzz.bin");
    const Bytes keyed = MakeContainer(path, kKey);
    const Bytes raw = MakeContainer(path, NULL);
    Rng rng(0xC0FFEE);
    for (int round = 0; round < 400; ++round)
    {
        const bool useKey = round % 2 == 0;
        const Bytes mutated = Mutate(useKey ? keyed : raw, rng);
        ASSERT_TRUE(TempFolder::Write(path, mutated));
        {
            CPackFile file;
            if (file.Open(path.c_str(), 0, 16, useKey ? kKey : NULL))
                WalkAll(file);
        }
        {
            // Writing into a damaged container may fail but must not crash.
            CPackFile file;
            if (file.Open(path.c_str(), 1, 16, useKey ? kKey : NULL))
            {
                CPackBlock& block = file.GetBlock(2);
                if (!(block == NULL))
                    block.AddRecord(block.GetData() && block.First() ? block.First() : NULL);
                file.Close();
            }
        }
        if (HasFatalFailure())
            FAIL() << "round " << round;
    }
}

TEST(StorageFuzz, MutatedArchivesAndHeadersFailCleanly)
{
    TempFolder tmp;
    Bytes source;
    for (int i = 0; i < 3000; ++i)
        source.push_back((BYTE)("archive fuzz "[i % 13]));
    ASSERT_TRUE(TempFolder::Write(tmp.File("src"), source));
    CPackEntryHeader good;
    {
        CPackArchive archive;
        ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
        ASSERT_TRUE(archive.AddFile(tmp.File("src").c_str(), &good));
        archive.Close();
    }
    const Bytes original = TempFolder::Read(tmp.File("a.dat"));
    Rng rng(0xBADF00D);
    for (int round = 0; round < 200; ++round)
    {
        ASSERT_TRUE(TempFolder::Write(tmp.File("a.dat"), Mutate(original, rng)));
        CPackEntryHeader h = good;
        if (round % 3 == 0)
            ((BYTE*)&h)[4 + rng.Below(16)] = (BYTE)rng.Next();
        CPackArchive archive;
        ASSERT_TRUE(archive.Open(tmp.File("a.dat").c_str()));
        if (archive.ExtractFile(tmp.File("out").c_str(), h))
        {
            EXPECT_EQ(h.unpackedSize, TempFolder::Read(tmp.File("out")).size());
        }
        archive.Close();
    }
}
