#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/mfc/carray.h"
#include "platform/mfc/cmapstringtostring.h"

namespace {

std::vector<std::string> Keys(const CMapStringToString& map)
{
    std::vector<std::string> keys;
    CString key, value;
    for (POSITION pos = map.GetStartPosition(); pos;)
    {
        map.GetNextAssoc(pos, key, value);
        keys.push_back((LPCSTR)key);
    }
    return keys;
}

} // namespace

TEST(MapStringToString, LookupReplaceRemove)
{
    CMapStringToString map;
    CString value;
    EXPECT_FALSE(map.Lookup("a", value));
    EXPECT_EQ(NULL, map.GetStartPosition());
    map.SetAt("a", "1");
    map.SetAt("A", "2");
    map.SetAt("a", "3");
    EXPECT_EQ(2, map.GetCount());
    ASSERT_TRUE(map.Lookup("a", value));
    EXPECT_STREQ("3", value);
    map["b"] += "x";
    map["b"] += "y";
    EXPECT_TRUE(map.Lookup("b", value));
    EXPECT_STREQ("xy", value);
    EXPECT_TRUE(map.RemoveKey("A"));
    EXPECT_FALSE(map.RemoveKey("A"));
    EXPECT_EQ(2, map.GetCount());
    map.RemoveAll();
    EXPECT_EQ(0, map.GetCount());
    EXPECT_FALSE(map.Lookup("a", value));
}

TEST(MapStringToString, IterationFollowsBucketsThenNewestFirst)
{
    // hash = hash * 33 + byte: "a" = 97, "b" = 98, "c" = 99; with 3 buckets
    // "a" and "d" (100) share bucket 1, "b" is in 2, "c" in 0.
    EXPECT_EQ(97u * 33 + 98, CMapStringToString::HashKey("ab"));
    CMapStringToString map;
    map.InitHashTable(3);
    EXPECT_EQ(3u, map.GetHashTableSize());
    for (const char* k : {"a", "b", "c", "d"})
        map.SetAt(k, k);
    EXPECT_EQ((std::vector<std::string>{"c", "d", "a", "b"}), Keys(map));

    map.InitHashTable(7); // ignored while entries exist
    EXPECT_EQ(3u, map.GetHashTableSize());
}

TEST(CArrayOfTexts, InsertRemoveAndGrow)
{
    CArray<CString> a;
    EXPECT_EQ(0, a.Add("one"));
    EXPECT_EQ(1, a.Add("three"));
    a.InsertAt(1, "two");
    a.InsertAt(5, "six"); // grows with empty texts
    ASSERT_EQ(6, a.GetSize());
    EXPECT_STREQ("two", a[1]);
    EXPECT_STREQ("", a[3]);
    EXPECT_STREQ("six", a.GetAt(5));
    a.RemoveAt(3, 100); // cut at the end
    EXPECT_EQ(3, a.GetSize());
    a.RemoveAt(-1);
    a.RemoveAt(3);
    EXPECT_EQ(3, a.GetSize());
    a.SetAt(0, "zero");
    EXPECT_STREQ("zero", a.ElementAt(0));
    a.SetSize(-4);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(-1, a.GetUpperBound());
}
