#include <gtest/gtest.h>

#include <string.h>
#include <vector>

#include "foundation/packedrecord.h"

namespace {

std::vector<BYTE> Bytes(const CPackedRecord& r)
{
    return std::vector<BYTE>(r.GetPtr(), r.GetPtr() + r.GetTotalLength());
}

std::vector<BYTE> Le16(std::initializer_list<int> words)
{
    std::vector<BYTE> out;
    for (int w : words)
    {
        out.push_back((BYTE)w);
        out.push_back((BYTE)(w >> 8));
    }
    return out;
}

std::vector<BYTE> Cat(std::vector<BYTE> a, const char* text, size_t length)
{
    a.insert(a.end(), text, text + length);
    return a;
}

} // namespace

TEST(PackedRecord, FreshBufferAndStringRules)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    EXPECT_EQ(2, r.GetTotalLength());
    EXPECT_EQ(0, r.GetEntryCount());
    EXPECT_EQ(NULL, r.GetEntry(0));
    EXPECT_EQ(0, r.GetEntryLength(0));

    EXPECT_TRUE(r.SetString(0, ""));
    EXPECT_EQ(NULL, r.GetEntry(0));
    EXPECT_EQ(0, r.GetEntryLength(0));
    EXPECT_TRUE(r.SetString(1, NULL));
    EXPECT_EQ(0, r.GetEntryLength(1));

    EXPECT_TRUE(r.SetStringZ(2, ""));
    EXPECT_EQ(1, r.GetEntryLength(2));
    EXPECT_EQ(0, *r.GetEntry(2));
    EXPECT_TRUE(r.SetStringZ(2, NULL));
    EXPECT_EQ(NULL, r.GetEntry(2));

    EXPECT_FALSE(r.SetEntry(-1, "x", 1));
    EXPECT_FALSE(r.SetEntryCount(0));
    EXPECT_EQ(0, r.GetEntryLength(-1));
}

TEST(PackedRecord, SettingAFieldBeyondTheTableGrowsIt)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    ASSERT_TRUE(r.SetString(3, "ab"));
    // slots 0..2 absent, slot 3 at 10, then "ab\0"
    EXPECT_EQ(Cat(Le16({13, 0xFFFF, 0xFFFF, 0xFFFF, 10}), "ab", 3), Bytes(r));
    EXPECT_EQ(4, r.GetEntryCount());
    EXPECT_STREQ("ab", (const char*)r.GetEntry(3));

    // A field in front of it moves field 3's data and offset.
    ASSERT_TRUE(r.SetEntry(1, "XYZW", 4));
    EXPECT_EQ(Cat(Cat(Le16({17, 0xFFFF, 10, 0xFFFF, 14}), "XYZW", 4), "ab", 3), Bytes(r));
}

TEST(PackedRecord, AbsentFirstFieldKeepsTheCountAndTheTableGrowsAfterIt)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    ASSERT_TRUE(r.SetString(0, "a"));
    ASSERT_TRUE(r.SetString(1, "bc"));
    EXPECT_EQ(Cat(Cat(Le16({11, 6, 8}), "a", 2), "bc", 3), Bytes(r));

    ASSERT_TRUE(r.SetEntry(0, NULL, 0));
    EXPECT_EQ(2, r.GetEntryCount()); // taken from field 1's offset
    EXPECT_EQ(Cat(Le16({9, 0xFFFF, 6}), "bc", 3), Bytes(r));

    ASSERT_TRUE(r.SetString(5, "d"));
    // Data now starts at 2 + 2 * 6; field 1 moved by the 8 new table bytes.
    EXPECT_EQ(Cat(Cat(Le16({19, 0xFFFF, 14, 0xFFFF, 0xFFFF, 0xFFFF, 17}), "bc", 3), "d", 2), Bytes(r));
    EXPECT_EQ(6, r.GetEntryCount());
    EXPECT_STREQ("bc", (const char*)r.GetEntry(1));
    EXPECT_STREQ("d", (const char*)r.GetEntry(5));
}

TEST(PackedRecord, ReplacingAMiddleFieldShiftsTheLaterOnes)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    ASSERT_TRUE(r.SetString(0, "one"));
    ASSERT_TRUE(r.SetString(1, "two"));
    ASSERT_TRUE(r.SetString(2, "six"));
    const WORD before = r.GetOffset(2);

    ASSERT_TRUE(r.SetString(1, "twenty"));
    EXPECT_EQ(before + 3, r.GetOffset(2));
    EXPECT_STREQ("twenty", (const char*)r.GetEntry(1));
    EXPECT_STREQ("six", (const char*)r.GetEntry(2));

    ASSERT_TRUE(r.SetString(1, "2"));
    EXPECT_EQ(before - 2, r.GetOffset(2));
    EXPECT_EQ(2, r.GetEntryLength(1));

    ASSERT_TRUE(r.SetEntry(1, NULL, 0));
    EXPECT_EQ(0xFFFF, r.GetOffset(1));
    EXPECT_EQ(Cat(Cat(Le16({16, 8, 0xFFFF, 12}), "one", 4), "six", 4), Bytes(r));
}

TEST(PackedRecord, LastPresentFieldRunsToTheEnd)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    ASSERT_TRUE(r.SetEntryCount(4));
    ASSERT_TRUE(r.SetEntry(1, "12345", 5));
    EXPECT_EQ(4, r.GetEntryCount());
    EXPECT_EQ(5, r.GetEntryLength(1));
    EXPECT_EQ(0, r.GetEntryLength(2));
    EXPECT_EQ(0, r.GetEntryLength(3));
    EXPECT_FALSE(r.SetEntryCount(2)); // shrinking the table is refused
    EXPECT_EQ(4, r.GetEntryCount());
}

TEST(PackedRecord, RecordsNeverExceed65535Bytes)
{
    CPackedRecordBuffer buffer;
    CPackedRecord& r = buffer.Record();
    std::vector<BYTE> big(65531, 'x');
    ASSERT_TRUE(r.SetEntry(0, big.data(), 65000));
    const std::vector<BYTE> before = Bytes(r);

    EXPECT_FALSE(r.SetEntry(1, big.data(), 600));
    EXPECT_EQ(before, Bytes(r));
    EXPECT_FALSE(r.SetEntry(40000, "x", 1)); // table alone too large
    EXPECT_EQ(before, Bytes(r));

    std::vector<BYTE> text(70000, 'y');
    text.back() = 0;
    EXPECT_FALSE(r.SetString(2, (const char*)text.data()));
    EXPECT_EQ(before, Bytes(r));

    // The largest record that fits: 2 + 2 + 65,531 bytes.
    ASSERT_TRUE(r.SetEntry(0, big.data(), 65531));
    EXPECT_EQ(65535, r.GetTotalLength());
}

TEST(PackedRecord, DamagedOffsetsReadAsAbsent)
{
    // Field 2's offset lies before field 1's (not increasing).
    std::vector<BYTE> rec = Cat(Le16({14, 8, 11, 10}), "abcdef", 6);
    CPackedRecord r(rec.data());
    EXPECT_EQ(3, r.GetEntryCount());
    EXPECT_EQ(3, r.GetEntryLength(0));
    EXPECT_EQ(3, r.GetEntryLength(1)); // runs to the end, over the ignored slot
    EXPECT_EQ(NULL, r.GetEntry(2));
    EXPECT_EQ(0, r.GetEntryLength(2));

    // An offset outside the record.
    std::vector<BYTE> outside = Cat(Le16({8, 6, 500}), "ab", 2);
    CPackedRecord o(outside.data());
    EXPECT_EQ(2, o.GetEntryLength(0));
    EXPECT_EQ(NULL, o.GetEntry(1));

    // An odd first offset cannot end a table: no readable field at all.
    std::vector<BYTE> odd = Cat(Le16({8, 5}), "abcd", 4);
    CPackedRecord d(odd.data());
    EXPECT_EQ(0, d.GetEntryCount());
    EXPECT_EQ(NULL, d.GetEntry(0));

    // A total length too small to hold the table.
    std::vector<BYTE> tiny = Le16({1, 4, 4});
    CPackedRecord t(tiny.data());
    EXPECT_EQ(0, t.GetEntryCount());
    EXPECT_EQ(NULL, t.GetEntry(0));

    CPackedRecord none;
    EXPECT_EQ(0, none.GetTotalLength());
    EXPECT_EQ(NULL, none.GetEntry(0));
    EXPECT_FALSE(none != NULL);
}
