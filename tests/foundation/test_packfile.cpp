#include <gtest/gtest.h>

#include "test_bytes.h"

#include <string.h>
#include <time.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "foundation/blowfish.h"
#include "foundation/packfile.h"
#include "temp_folder.h"

namespace {

typedef std::vector<BYTE> Bytes;

const BYTE kKey[16] = {'d', 'e', 'f', 'i', 'n', 'i', 't', 'i', 'o', 'n', 's', '-', 'k', 'e', 'y', '!'};
const BYTE kOtherKey[16] = {'s', 'o', 'm', 'e', ' ', 'o', 't', 'h', 'e', 'r', ' ', 'k', 'e', 'y', '.', '.'};

void Put16(Bytes& b, WORD v)
{
    b.push_back((BYTE)v);
    b.push_back((BYTE)(v >> 8));
}

void Put32(Bytes& b, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((BYTE)(v >> (8 * i)));
}

void PutEntry(Bytes& b, WORD id, DWORD offset, DWORD stored, DWORD unpacked, DWORD count)
{
    Put16(b, id);
    Put32(b, offset);
    Put32(b, stored);
    Put32(b, unpacked);
    Put32(b, count);
}

// A record with the given text fields, built by hand.
Bytes Record(std::initializer_list<const char*> fields)
{
    CPackedRecordBuffer buffer;
    int i = 0;
    for (const char* f : fields)
        buffer.Record().SetString(i++, f);
    return Bytes(buffer.GetPtr(), buffer.GetPtr() + buffer.Record().GetTotalLength());
}

void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// The stored form of a keyed block, assembled independently of the container.
Bytes KeyedForm(const Bytes& data, const BYTE* key, DWORD keyLength)
{
    uLongf z = compressBound(data.size());
    Bytes out(z + 16);
    EXPECT_EQ(Z_OK, compress2(out.data(), &z, data.data(), data.size(), 6));
    const DWORD pad = 16 - z % 8;
    out.resize(z);
    out.insert(out.end(), pad - 4, 0);
    Put32(out, pad);
    BLOWFISH_CTX ctx;
    EXPECT_TRUE(Blowfish_Init(&ctx, key, keyLength));
    for (size_t at = 0; at < out.size(); at += 8)
    {
        DWORD l = Get32(out, at), r = Get32(out, at + 4);
        Blowfish_Encrypt(&ctx, &l, &r);
        for (int i = 0; i < 4; ++i)
        {
            out[at + i] = (BYTE)(l >> (8 * i));
            out[at + 4 + i] = (BYTE)(r >> (8 * i));
        }
    }
    return out;
}

std::vector<std::string> ReadTexts(CPackBlock& block)
{
    std::vector<std::string> texts;
    for (CPackedRecord r(block.First()); r != NULL; r = CPackedRecord(block.Next()))
        texts.push_back(r.GetEntry(0) ? (const char*)r.GetEntry(0) : "");
    return texts;
}

// Writes blocks (id, records) into a new container and closes it.
void WriteContainer(const std::string& path, const BYTE* key,
                    std::initializer_list<std::pair<WORD, std::vector<Bytes>>> blocks)
{
    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1, key ? 16 : 0, key));
    for (const auto& b : blocks)
    {
        CPackBlock& block = file.CreateBlock(b.first);
        for (const Bytes& rec : b.second)
            ASSERT_TRUE(block.AddRecord(rec.data()));
    }
    ASSERT_TRUE(file.Close());
}

} // namespace

TEST(PackFile, RawContainerIsByteExact)
{
    TempFolder tmp;
    const std::string path = tmp.File("ilist.lst");
    const Bytes a = Record({"alpha"}), b = Record({"beta", "x"}), c = Record({"gamma"});
    const DWORD before = (DWORD)time(NULL);
    WriteContainer(path, NULL, {{7, {a, b}}, {3, {c}}});
    const DWORD after = (DWORD)time(NULL);

    Bytes expected;
    Append(expected, a);
    Append(expected, b);
    Append(expected, c);
    const DWORD dir = (DWORD)expected.size();
    PutEntry(expected, 7, 0, a.size() + b.size(), 0, 2);
    PutEntry(expected, 3, a.size() + b.size(), c.size(), 0, 1);
    const Bytes actual = TempFolder::Read(path);
    ASSERT_EQ(expected.size() + 18, actual.size());
    const DWORD stamp = Get32(actual, actual.size() - 8);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    PutEntry(expected, 0x8FFF, dir, 54, stamp, 0);
    EXPECT_EQ(expected, actual);

    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0, 0, NULL));
    EXPECT_EQ(2, file.GetBlockCount());
    EXPECT_EQ(7, file.GetBlockId(0));
    EXPECT_EQ(3, file.GetBlockId(1));
    EXPECT_EQ(-1, file.GetBlockId(2));
    EXPECT_EQ(-1, file.GetBlockId(-1));
    EXPECT_EQ(2u, file.GetRecordCountById(7));
    EXPECT_EQ(0xFFFFFFFFu, file.GetRecordCountById(9));
    EXPECT_EQ(stamp, file.GetTimeStamp());
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}), ReadTexts(file.GetBlock(7)));
    EXPECT_TRUE(file.GetBlock(9) == NULL);
    EXPECT_TRUE(file.Close());
}

TEST(PackFile, KeyedContainerIsByteExactAndReadsBack)
{
    TempFolder tmp;
    const std::string path = tmp.File("definitions.bin");
    std::vector<Bytes> records;
    Bytes data;
    for (int i = 0; i < 300; ++i)
    {
        char text[32];
        wsprintfA(text, "item %d", i);
        records.push_back(Record({text}));
        Append(data, records.back());
    }
    const Bytes small = Record({"x"});
    WriteContainer(path, kKey, {{33, records}, {1, {small}}});

    const Bytes first = KeyedForm(data, kKey, 16), second = KeyedForm(small, kKey, 16);
    Bytes expected;
    Append(expected, first);
    Append(expected, second);
    PutEntry(expected, 33, 0, first.size(), data.size(), 300);
    PutEntry(expected, 1, first.size(), second.size(), small.size(), 1);
    const Bytes actual = TempFolder::Read(path);
    ASSERT_EQ(expected.size() + 18, actual.size());
    PutEntry(expected, 0x8FFF, first.size() + second.size(), 54, Get32(actual, actual.size() - 8), 0);
    EXPECT_EQ(expected, actual);

    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0, 16, kKey));
    CPackBlock& block = file.GetBlock(33);
    ASSERT_FALSE(block == NULL);
    EXPECT_EQ(300, block.GetRecordCount());
    CPackedRecord r;
    EXPECT_STREQ("item 299", (const char*)block.GetRecord(&r, 299)->GetEntry(0));
    EXPECT_EQ(NULL, block.GetRecordPtr(&r, 300));
    EXPECT_TRUE(r == NULL);
    EXPECT_TRUE(file.UnloadBlockById(33));
    EXPECT_FALSE(file.UnloadBlockById(33)); // no longer loaded
    EXPECT_EQ(300, file.GetBlock(33).GetRecordCount());
}

TEST(PackFile, PadLengthFollowsTheCompressedLength)
{
    // Stored size is Z + (16 - Z mod 8): always a multiple of 8, pad 9..16.
    TempFolder tmp;
    for (int length = 1; length < 64; length += 7)
    {
        const std::string path = tmp.File("pad.bin");
        DeleteFileA(path.c_str());
        Bytes rec(length + 4, 0);
        for (int i = 0; i < length + 4; ++i)
            rec[i] = (BYTE)(i * 37 + length);
        rec[0] = (BYTE)rec.size();
        rec[1] = 0;
        WriteContainer(path, kKey, {{1, {rec}}});
        uLongf z = compressBound(rec.size());
        Bytes packed(z);
        compress2(packed.data(), &z, rec.data(), rec.size(), 6);
        const Bytes actual = TempFolder::Read(path);
        const DWORD stored = Get32(actual, actual.size() - 36 + 6);
        EXPECT_EQ(z + 16 - z % 8, stored) << length;
        EXPECT_EQ(0u, stored % 8);
    }
}

TEST(PackFile, EveryKeyedOpenReKeysTheSharedCipher)
{
    TempFolder tmp;
    const std::string a = tmp.File("a.bin"), b = tmp.File("b.bin");
    WriteContainer(a, kKey, {{1, {Record({"secret"})}}});
    WriteContainer(b, kOtherKey, {{1, {Record({"other"})}}});

    CPackFile first, second;
    ASSERT_TRUE(first.Open(a.c_str(), 0, 16, kKey));
    ASSERT_TRUE(second.Open(b.c_str(), 0, 16, kOtherKey));
    // The first container's blocks are now deciphered with the other key.
    EXPECT_TRUE(first.GetBlock(1) == NULL);
    EXPECT_EQ((std::vector<std::string>{"other"}), ReadTexts(second.GetBlock(1)));
    first.Close();
    ASSERT_TRUE(first.Open(a.c_str(), 0, 16, kKey));
    EXPECT_EQ((std::vector<std::string>{"secret"}), ReadTexts(first.GetBlock(1)));

    // A key of length 0 is refused: the container stays closed.
    CPackFile third;
    EXPECT_FALSE(third.Open(a.c_str(), 0, 0, kKey));
    EXPECT_FALSE(third.IsOpen());
}

TEST(PackFile, APrivateOpenNeitherUsesNorChangesTheSharedCipher)
{
    TempFolder tmp;
    const std::string a = tmp.File("a.bin"), b = tmp.File("b.bin");
    WriteContainer(a, kKey, {{1, {Record({"secret"})}}});
    WriteContainer(b, kOtherKey, {{1, {Record({"other"})}}});

    CPackFile shared, own;
    ASSERT_TRUE(shared.Open(a.c_str(), 0, 16, kKey));
    ASSERT_TRUE(own.OpenPrivate(b.c_str(), 16, kOtherKey));
    EXPECT_EQ((std::vector<std::string>{"secret"}), ReadTexts(shared.GetBlock(1)));
    EXPECT_EQ((std::vector<std::string>{"other"}), ReadTexts(own.GetBlock(1)));
    own.Close();

    // Under the wrong key its blocks read as empty; without a key it is refused.
    ASSERT_TRUE(own.OpenPrivate(b.c_str(), 16, kKey));
    EXPECT_TRUE(own.GetBlock(1) == NULL);
    own.Close();
    EXPECT_FALSE(own.OpenPrivate(b.c_str(), 16, NULL));
    // Reopened the ordinary way, it shares the cipher again.
    ASSERT_TRUE(own.Open(b.c_str(), 0, 16, kOtherKey));
    shared.UnloadBlockById(1);
    EXPECT_TRUE(shared.GetBlock(1) == NULL);
}

TEST(PackFile, KeyedEmptyBlockIsStoredRawAndRawBlocksReadInKeyedContainers)
{
    TempFolder tmp;
    const std::string path = tmp.File("k.bin");
    WriteContainer(path, kKey, {{5, {}}, {6, {Record({"six"})}}});
    const Bytes actual = TempFolder::Read(path);
    const size_t dir = actual.size() - 54;
    EXPECT_EQ(0u, Get32(actual, dir + 6));  // stored size
    EXPECT_EQ(0u, Get32(actual, dir + 10)); // unpacked size: raw

    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0, 16, kKey));
    EXPECT_EQ(0, file.GetBlock(5).GetRecordCount());
    EXPECT_EQ((std::vector<std::string>{"six"}), ReadTexts(file.GetBlock(6)));
    file.Close();

    // A raw container read with a key: unpacked size 0 decides.
    const std::string raw = tmp.File("raw.bin");
    WriteContainer(raw, NULL, {{2, {Record({"plain"})}}});
    ASSERT_TRUE(file.Open(raw.c_str(), 0, 16, kKey));
    EXPECT_EQ((std::vector<std::string>{"plain"}), ReadTexts(file.GetBlock(2)));
}

TEST(PackFile, NewFilesAndTheDirectoryOfOneEntry)
{
    TempFolder tmp;
    const std::string path = tmp.File("new.lst");
    CPackFile file;
    EXPECT_EQ(-1, file.GetBlockCount());
    EXPECT_EQ(0u, file.GetTimeStamp());
    EXPECT_FALSE(file.Close());
    EXPECT_FALSE(file.Flush());
    EXPECT_TRUE(file.GetBlock(1) == NULL);
    EXPECT_TRUE(file.CreateBlock(1) == NULL);

    ASSERT_TRUE(file.Open(path.c_str(), 1, 0, NULL));
    EXPECT_FALSE(file.Open(path.c_str(), 1, 0, NULL)); // already open
    EXPECT_EQ(0, file.GetBlockCount());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(0u, TempFolder::Read(path).size());

    EXPECT_FALSE(file.Open(path.c_str(), 0, 0, NULL)); // 0 bytes: not a container
    ASSERT_TRUE(file.Open(path.c_str(), 1, 0, NULL));  // writable: new
    CPackBlock& block = file.CreateBlock(4);
    EXPECT_TRUE(&block != &file.CreateBlock(4));
    EXPECT_TRUE(file.CreateBlock(4) == NULL);      // duplicate id
    EXPECT_TRUE(file.CreateBlock(0x8FFF) == NULL); // the directory's id
    EXPECT_EQ(1, file.GetBlockCount());
    EXPECT_TRUE(file.Close());
    // One empty block: stored size 0, directory right at byte 0.
    const Bytes actual = TempFolder::Read(path);
    ASSERT_EQ(36u, actual.size());
    EXPECT_EQ(0u, Get32(actual, 18 + 2));
    EXPECT_EQ(36u, Get32(actual, 18 + 6));

    EXPECT_FALSE(file.Open(tmp.File("missing.bin").c_str(), 0, 0, NULL));
}

TEST(PackFile, ReadOnlyCreateBlockStaysInMemory)
{
    TempFolder tmp;
    const std::string path = tmp.File("ro.lst");
    WriteContainer(path, NULL, {{1, {Record({"one"})}}});
    const Bytes before = TempFolder::Read(path);

    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0, 0, NULL));
    CPackBlock& block = file.CreateBlock(2);
    EXPECT_TRUE(block.AddRecord(Record({"two"}).data()));
    EXPECT_EQ(2, file.GetBlockCount());
    EXPECT_TRUE(file.Flush());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(before, TempFolder::Read(path));
}

TEST(PackFile, GrowingAndShrinkingBlocksMoveTheLaterOnes)
{
    TempFolder tmp;
    const std::string path = tmp.File("three.lst");
    const Bytes a = Record({"a"}), b = Record({"bb"}), c = Record({"ccc"}), d = Record({"dddd"});
    WriteContainer(path, NULL, {{1, {a}}, {2, {b}}, {3, {c}}});

    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1, 0, NULL));
    EXPECT_FALSE(file.UnloadBlock(0)); // writable containers keep their blocks
    ASSERT_TRUE(file.GetBlock(1).AddRecord(d.data()));
    ASSERT_TRUE(file.Close());

    Bytes expected;
    Append(expected, a);
    Append(expected, d);
    Append(expected, b);
    Append(expected, c);
    const DWORD dir = (DWORD)expected.size();
    PutEntry(expected, 1, 0, a.size() + d.size(), 0, 2);
    PutEntry(expected, 2, a.size() + d.size(), b.size(), 0, 1);
    PutEntry(expected, 3, a.size() + d.size() + b.size(), c.size(), 0, 1);
    const Bytes actual = TempFolder::Read(path);
    ASSERT_EQ(expected.size() + 18, actual.size());
    PutEntry(expected, 0x8FFF, dir, 72, Get32(actual, actual.size() - 8), 0);
    EXPECT_EQ(expected, actual);

    // A keyed block that compresses better after a change moves the later
    // blocks back, and the file still ends with the directory.
    const std::string keyed = tmp.File("shrink.bin");
    Bytes noisy(400);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = (BYTE)((i * 2654435761u) >> 13);
    noisy[0] = (BYTE)noisy.size();
    noisy[1] = (BYTE)(noisy.size() >> 8);
    WriteContainer(keyed, kKey, {{1, {noisy}}, {2, {Record({"tail"})}}});
    const DWORD oldSize = (DWORD)TempFolder::Read(keyed).size();
    {
        // Rewrite block 1 with highly compressible data of the same length.
        CPackFile f;
        ASSERT_TRUE(f.Open(keyed.c_str(), 1, 16, kKey));
        CPackBlock& blk = f.GetBlock(1);
        ASSERT_FALSE(blk == NULL);
        memset(blk.GetData() + 2, 'z', blk.GetSize() - 2);
        ASSERT_TRUE(blk.AddRecord(Record({"more"}).data()));
        ASSERT_TRUE(f.Close());
    }
    const Bytes shrunk = TempFolder::Read(keyed);
    EXPECT_LT(shrunk.size(), oldSize);
    EXPECT_EQ(0x8FFF, LoadLE16(&shrunk[shrunk.size() - 18]));
    CPackFile f;
    ASSERT_TRUE(f.Open(keyed.c_str(), 0, 16, kKey));
    EXPECT_EQ(2, f.GetBlock(1).GetRecordCount());
    EXPECT_EQ((std::vector<std::string>{"tail"}), ReadTexts(f.GetBlock(2)));
}

TEST(PackFile, BlocksCreatedTogetherLieBackToBack)
{
    TempFolder tmp;
    const std::string path = tmp.File("pair.lst");
    WriteContainer(path, NULL, {{1, {Record({"old"})}}});
    CPackFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1, 0, NULL));
    ASSERT_TRUE(file.CreateBlock(2).AddRecord(Record({"second"}).data()));
    ASSERT_TRUE(file.CreateBlock(3).AddRecord(Record({"third!"}).data()));
    ASSERT_TRUE(file.Close());

    ASSERT_TRUE(file.Open(path.c_str(), 0, 0, NULL));
    EXPECT_EQ(3, file.GetBlockCount());
    EXPECT_EQ((std::vector<std::string>{"second"}), ReadTexts(file.GetBlock(2)));
    EXPECT_EQ((std::vector<std::string>{"third!"}), ReadTexts(file.GetBlock(3)));
    const Bytes actual = TempFolder::Read(path);
    const size_t dir = actual.size() - 72;
    EXPECT_EQ(Get32(actual, dir + 18 + 2) + Get32(actual, dir + 18 + 6), Get32(actual, dir + 36 + 2));
    EXPECT_EQ(Get32(actual, dir + 36 + 2) + Get32(actual, dir + 36 + 6), dir);
}

TEST(PackFile, IndexSurvivesTheBufferMoving)
{
    CPackBlock block;
    EXPECT_FALSE(block.BuildIndex());
    EXPECT_EQ(NULL, block.First());
    EXPECT_EQ(0, block.GetRecordCount());
    ASSERT_TRUE(block.AddRecord(Record({"first"}).data()));
    ASSERT_TRUE(block.BuildIndex());
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(block.AddRecord(Record({"padding padding padding"}).data()));
    CPackedRecord r;
    EXPECT_STREQ("first", (const char*)block.GetRecord(&r, 0)->GetEntry(0));
    EXPECT_STREQ("padding padding padding", (const char*)block.GetRecord(&r, 2000)->GetEntry(0));
    EXPECT_EQ(2001, block.GetRecordCount());
    // Copying a record of the same block while its buffer moves.
    ASSERT_TRUE(block.AddRecord(block.GetRecordPtr(&r, 0)));
    EXPECT_STREQ("first", (const char*)block.GetRecord(&r, 2001)->GetEntry(0));
    const BYTE bad[2] = {1, 0};
    EXPECT_FALSE(block.AddRecord(bad));
    EXPECT_EQ(2002, block.GetRecordCount());
}

TEST(PackFile, DamagedDirectoriesAreRefused)
{
    TempFolder tmp;
    const std::string path = tmp.File("bad.lst");
    const Bytes rec = Record({"data"});
    struct Case
    {
        const char* what;
        DWORD offset, stored;
    } cases[] = {
        {"stored size not a multiple of 18", (DWORD)rec.size(), 37},
        {"stored size larger than the file", (DWORD)rec.size(), 18 * 100},
        {"offset past the last entry", 1000, 36},
        {"stored size 0", (DWORD)rec.size(), 0},
    };
    for (const Case& c : cases)
    {
        Bytes file = rec;
        PutEntry(file, 1, 0, rec.size(), 0, 1);
        PutEntry(file, 0x8FFF, c.offset, c.stored, 0, 0);
        ASSERT_TRUE(TempFolder::Write(path, file));
        CPackFile pf;
        EXPECT_FALSE(pf.Open(path.c_str(), 0, 0, NULL)) << c.what;
        EXPECT_FALSE(pf.IsOpen()) << c.what;
        EXPECT_EQ(-1, pf.GetBlockCount()) << c.what;
    }
    ASSERT_TRUE(TempFolder::Write(path, Bytes(17, 0)));
    CPackFile pf;
    EXPECT_FALSE(pf.Open(path.c_str(), 0, 0, NULL));
}

TEST(PackFile, DamagedBlocksReadAsEmpty)
{
    TempFolder tmp;
    const std::string path = tmp.File("blocks.bin");
    const Bytes good = KeyedForm(Record({"fine"}), kKey, 16);
    Bytes corruptZlib = Bytes(24, 0);
    corruptZlib[20] = 12; // a valid-looking pad over garbage
    BLOWFISH_CTX ctx;
    Blowfish_Init(&ctx, kKey, 16);
    Blowfish_EncryptBuffer(&ctx, corruptZlib.data(), 24);
    Bytes badPad = Bytes(16, 0);
    badPad[12] = 30;
    Blowfish_EncryptBuffer(&ctx, badPad.data(), 16);
    const Bytes rawRecord = {50, 0, 'x', 'y'}; // claims 50 bytes in a 4-byte block

    Bytes file;
    std::vector<CPackDirEntry> entries;
    auto add = [&](WORD id, const Bytes& stored, DWORD unpacked) {
        entries.push_back({id, (DWORD)file.size(), (DWORD)stored.size(), unpacked, 1});
        Append(file, stored);
    };
    add(1, good, (DWORD)Record({"fine"}).size());
    add(2, corruptZlib, 100);
    add(3, badPad, 100);
    add(4, Bytes(12, 0), 100);          // shorter than 16
    add(5, Bytes(20, 0), 100);          // not a multiple of 8
    add(6, good, 0xF0000000);           // absurd unpacked size
    add(7, rawRecord, 0);
    entries.push_back({8, 100000, 16, 0, 1}); // past the end of the file
    entries.push_back({9, 0, 0xFFFFFFF0, 0, 1});
    const DWORD dir = (DWORD)file.size();
    for (const CPackDirEntry& e : entries)
        PutEntry(file, e.id, e.offset, e.storedSize, e.unpackedSize, e.recordCount);
    PutEntry(file, 0x8FFF, dir, (DWORD)(entries.size() + 1) * 18, 0, 0);
    ASSERT_TRUE(TempFolder::Write(path, file));

    CPackFile pf;
    ASSERT_TRUE(pf.Open(path.c_str(), 0, 16, kKey));
    EXPECT_EQ((std::vector<std::string>{"fine"}), ReadTexts(pf.GetBlock(1)));
    for (WORD id = 2; id <= 9; ++id)
    {
        if (id == 7)
            continue;
        EXPECT_TRUE(pf.GetBlock(id) == NULL) << id;
    }
    // The raw block loads, but its one record runs past the end.
    CPackBlock& raw = pf.GetBlock(7);
    ASSERT_FALSE(raw == NULL);
    EXPECT_EQ(NULL, raw.First());
    EXPECT_EQ(NULL, raw.Next());
    EXPECT_EQ(0, raw.GetRecordCount());
}

TEST(PackFile, FlushThatCannotMoveABlockWritesNothing)
{
    TempFolder tmp;
    const std::string path = tmp.File("nomove.lst");
    const Bytes rec = Record({"first"});
    Bytes file = rec;
    PutEntry(file, 1, 0, rec.size(), 0, 1);
    PutEntry(file, 2, rec.size(), 500, 0, 1); // its bytes are not in the file
    PutEntry(file, 0x8FFF, rec.size(), 54, 0, 0);
    ASSERT_TRUE(TempFolder::Write(path, file));

    CPackFile pf;
    ASSERT_TRUE(pf.Open(path.c_str(), 1, 0, NULL));
    ASSERT_TRUE(pf.GetBlock(1).AddRecord(Record({"grows"}).data()));
    EXPECT_FALSE(pf.Flush());
    EXPECT_FALSE(pf.Close());
    EXPECT_EQ(file, TempFolder::Read(path));
}
