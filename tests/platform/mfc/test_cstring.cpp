#include "platform/mfc/cstring.h"
#include "platform/mfc/cstringarray.h"
#include "platform/mfc/exception.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

TEST(CString, ConstructAssignConcatCompare)
{
    EXPECT_EQ(0, CString().GetLength());
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_STREQ("ab", CString("abcdef", 2));
    CString withNul("a\0b", 3);
    EXPECT_EQ(3, withNul.GetLength());
    EXPECT_STREQ("xxx", CString('x', 3));
    EXPECT_TRUE(CString('x', 0).IsEmpty());

    CString s = "abc";
    s += "def";
    s += 'g';
    s += CString("h");
    EXPECT_STREQ("abcdefgh", s);
    s = s.GetString() + 3;  // assignment from our own text
    EXPECT_STREQ("defgh", s);
    s += s.GetString();     // append our own text
    EXPECT_STREQ("defghdefgh", s);
    s = 'z';
    EXPECT_STREQ("z", s);

    const CString a("a"), b("b");
    EXPECT_STREQ("ab", a + b);
    EXPECT_STREQ("ab", a + "b");
    EXPECT_STREQ("ab", "a" + b);
    EXPECT_STREQ("ab", a + 'b');
    EXPECT_STREQ("ab", 'a' + b);

    EXPECT_TRUE(a == "a");
    EXPECT_TRUE("a" == a);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a != "b");
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(a < "b");
    EXPECT_TRUE("a" < b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(a <= "a");
    EXPECT_TRUE(b >= "a");
    EXPECT_EQ(-1, CString("abc").Compare("abd"));
    EXPECT_EQ(1, CString("abd").Compare("abc"));
    EXPECT_EQ(0, CString("ABC").CompareNoCase("abc"));
    EXPECT_EQ(-1, CString("ABC").CompareNoCase("abd"));
    EXPECT_EQ(1, CString("a").Compare(nullptr));

    CString e = "x";
    e.Empty();
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_STREQ("", e.GetString());
}

TEST(CString, FormatLongOutput)
{
    const std::string big(5000, 'q');
    CString s;
    s.Format("<%s|%d|%05.1f>", big.c_str(), -42, 3.14159);
    ASSERT_EQ(1 + 5000 + 11, s.GetLength());
    EXPECT_EQ('<', s[0]);
    EXPECT_STREQ("|-42|003.1>", s.GetString() + 5001);

    // Exactly at and around the internal stack buffer size.
    for (int n : {510, 511, 512, 513, 1023, 1024, 1025}) {
        s.Format("%s", std::string(static_cast<size_t>(n), 'z').c_str());
        EXPECT_EQ(n, s.GetLength()) << n;
    }

    s = "head";
    s.AppendFormat("-%s-%u", big.c_str(), 7u);
    EXPECT_EQ(4 + 1 + 5000 + 2, s.GetLength());
    EXPECT_EQ(0, strncmp(s.GetString(), "head-qqq", 8));
    EXPECT_STREQ("-7", s.GetString() + s.GetLength() - 2);

    // The string itself as an argument.
    s = "self";
    s.Format("[%s][%s]", s.GetString(), s.GetString());
    EXPECT_STREQ("[self][self]", s);
    s.AppendFormat("%s", s.GetString());
    EXPECT_STREQ("[self][self][self][self]", s);

    s.Format("%d%%", 50);
    EXPECT_STREQ("50%", s);
    s.Format("");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, LeftRightMidClamp)
{
    const CString s("abcdef");
    EXPECT_STREQ("", s.Left(-1));
    EXPECT_STREQ("", s.Left(0));
    EXPECT_STREQ("abc", s.Left(3));
    EXPECT_STREQ("abcdef", s.Left(6));
    EXPECT_STREQ("abcdef", s.Left(100));
    EXPECT_STREQ("", s.Right(-5));
    EXPECT_STREQ("def", s.Right(3));
    EXPECT_STREQ("abcdef", s.Right(100));

    EXPECT_STREQ("cd", s.Mid(2, 2));
    EXPECT_STREQ("cdef", s.Mid(2));
    EXPECT_STREQ("cdef", s.Mid(2, 100));
    EXPECT_STREQ("abcdef", s.Mid(-3));
    EXPECT_STREQ("ab", s.Mid(-3, 2));
    EXPECT_STREQ("", s.Mid(2, -1));
    EXPECT_STREQ("", s.Mid(6));
    EXPECT_STREQ("", s.Mid(7, 3));
    EXPECT_STREQ("def", s.Mid(3, 0x7fffffff));  // no overflow of first + count

    EXPECT_EQ('a', s.GetAt(0));
    EXPECT_EQ('\0', s.GetAt(6));
    EXPECT_EQ('\0', s.GetAt(-1));
    CString t = s;
    t.SetAt(1, 'B');
    t.SetAt(6, 'X');
    t.SetAt(-1, 'X');
    EXPECT_STREQ("aBcdef", t);
    EXPECT_STREQ("abcdef", s);  // the copy is independent
}

TEST(CString, FindEdgeCases)
{
    const CString s("a.b.c");
    EXPECT_EQ(1, s.Find('.'));
    EXPECT_EQ(3, s.Find('.', 2));
    EXPECT_EQ(-1, s.Find('.', 4));
    EXPECT_EQ(-1, s.Find('.', 5));
    EXPECT_EQ(-1, s.Find('.', -1));
    EXPECT_EQ(2, s.Find("b.c"));
    EXPECT_EQ(-1, s.Find("b.c", 3));
    EXPECT_EQ(-1, s.Find("c.", 0));
    EXPECT_EQ(5, s.Find("", 5));   // empty text matches at the start position
    EXPECT_EQ(-1, s.Find("", 6));
    EXPECT_EQ(-1, s.Find(static_cast<const char*>(nullptr)));
    EXPECT_EQ(3, s.ReverseFind('.'));
    EXPECT_EQ(-1, s.ReverseFind('x'));
    EXPECT_EQ(1, s.FindOneOf("x.c"));
    EXPECT_EQ(-1, s.FindOneOf("xyz"));
    EXPECT_EQ(-1, s.FindOneOf(""));
    EXPECT_EQ(-1, CString().Find('a'));
    EXPECT_EQ(0, CString().Find(""));
}

TEST(CString, ReplaceRemoveInsertDelete)
{
    CString s("aaaa");
    EXPECT_EQ(2, s.Replace("aa", "b"));  // non-overlapping, left to right
    EXPECT_STREQ("bb", s);
    s = "aaa";
    EXPECT_EQ(1, s.Replace("aa", "aaaa"));  // replacement never rescanned
    EXPECT_STREQ("aaaaa", s);
    s = "x.y.z";
    EXPECT_EQ(2, s.Replace(".", ""));
    EXPECT_STREQ("xyz", s);
    EXPECT_EQ(1, s.Replace("y", nullptr));
    EXPECT_STREQ("xz", s);
    EXPECT_EQ(0, s.Replace("", "q"));
    EXPECT_EQ(0, s.Replace(static_cast<const char*>(nullptr), "q"));
    EXPECT_EQ(0, s.Replace("nothere", "q"));
    EXPECT_STREQ("xz", s);
    s = "path\\to\\file";
    EXPECT_EQ(2, s.Replace('\\', '/'));
    EXPECT_STREQ("path/to/file", s);
    EXPECT_EQ(0, s.Replace('/', '/'));
    s = "abcabc";
    EXPECT_EQ(2, s.Replace(s.Mid(1, 1), "XY"));  // old text from the string itself
    EXPECT_STREQ("aXYcaXYc", s);

    s = "banana";
    EXPECT_EQ(3, s.Remove('a'));
    EXPECT_STREQ("bnn", s);
    EXPECT_EQ(0, s.Remove('q'));

    s = "ac";
    EXPECT_EQ(3, s.Insert(1, 'b'));
    EXPECT_EQ(5, s.Insert(100, "de"));
    EXPECT_EQ(6, s.Insert(-4, "_"));
    EXPECT_STREQ("_abcde", s);

    EXPECT_EQ(5, s.Delete(0));
    EXPECT_EQ(3, s.Delete(1, 2));
    EXPECT_STREQ("ade", s);
    EXPECT_EQ(1, s.Delete(1, 100));
    EXPECT_EQ(1, s.Delete(5, 1));
    EXPECT_EQ(1, s.Delete(0, -1));
    EXPECT_STREQ("a", s);
}

TEST(CString, BufferRoundTrip)
{
    CString s("abc");
    char* p = s.GetBuffer(260);
    EXPECT_STREQ("abc", p);
    ASSERT_GT(GetTempPathA(260, p), 0u);
    s.ReleaseBuffer();
    EXPECT_EQ(static_cast<int>(strlen(s)), s.GetLength());
    EXPECT_EQ('\\', s[s.GetLength() - 1]);

    p = s.GetBuffer(10);
    memcpy(p, "0123456789", 10);
    s.ReleaseBuffer(4);
    EXPECT_STREQ("0123", s);

    // No NUL inside the buffer: the length stops at its end.
    p = s.GetBufferSetLength(5);
    memcpy(p, "vwxyz", 5);
    s.ReleaseBuffer();
    EXPECT_STREQ("vwxyz", s);

    s.GetBuffer(0);
    s.ReleaseBuffer(100);  // longer than the buffer: kept at its size
    EXPECT_EQ(5, s.GetLength());

    p = s.GetBufferSetLength(2);
    EXPECT_EQ(2, s.GetLength());
    s.ReleaseBuffer();
    EXPECT_STREQ("vw", s);

    CString empty;
    p = empty.GetBuffer(0);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ('\0', p[0]);
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(CString, CaseTrimSpanTokenize)
{
    CString s("MiXeD 123");
    EXPECT_STREQ("mixed 123", s.MakeLower());
    EXPECT_STREQ("MIXED 123", s.MakeUpper());

    s = " \t\r\n x y \n";
    EXPECT_STREQ("x y", s.Trim());
    s = "  x ";
    EXPECT_STREQ("x ", s.TrimLeft());
    s = "  x ";
    EXPECT_STREQ("  x", s.TrimRight());
    s = "--x--";
    EXPECT_STREQ("x--", s.TrimLeft('-'));
    s = "--x--";
    EXPECT_STREQ("--x", s.TrimRight('-'));
    s = "-+x+-";
    EXPECT_STREQ("x", s.Trim("+-"));
    s = "xxxx";
    EXPECT_STREQ("", s.Trim('x'));
    s = "   ";
    EXPECT_STREQ("", s.Trim());

    s = "123abc456";
    EXPECT_STREQ("123", s.SpanIncluding("0123456789"));
    EXPECT_STREQ("", s.SpanIncluding("abc"));
    EXPECT_STREQ("123", s.SpanExcluding("cba"));
    EXPECT_STREQ("123abc456", s.SpanExcluding("xyz"));

    s = ",,a,bb,,c,";
    int pos = 0;
    EXPECT_STREQ("a", s.Tokenize(",", pos));
    EXPECT_STREQ("bb", s.Tokenize(",", pos));
    EXPECT_STREQ("c", s.Tokenize(",", pos));
    EXPECT_NE(-1, pos);
    EXPECT_STREQ("", s.Tokenize(",", pos));
    EXPECT_EQ(-1, pos);
    EXPECT_STREQ("", s.Tokenize(",", pos));  // stays finished
    EXPECT_EQ(-1, pos);

    // Without separators the rest is one token and the next call ends.
    pos = 2;
    EXPECT_STREQ("a,bb,,c,", s.Tokenize("", pos));
    EXPECT_STREQ("", s.Tokenize("", pos));
    EXPECT_EQ(-1, pos);
    pos = 0;
    EXPECT_STREQ("", CString(",,,").Tokenize(",", pos));
    EXPECT_EQ(-1, pos);
}

TEST(CStringArray, AddInsertRemoveBounds)
{
    CStringArray a;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(-1, a.GetUpperBound());
    EXPECT_EQ(0, a.Add("a"));
    EXPECT_EQ(1, a.Add(CString("c")));
    a.InsertAt(1, "b");
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ(3, a.GetCount());
    EXPECT_EQ(2, a.GetUpperBound());
    EXPECT_STREQ("a", a[0]);
    EXPECT_STREQ("b", a.GetAt(1));
    EXPECT_STREQ("c", a.ElementAt(2));

    a.InsertAt(5, "f", 2);  // past the end: grows with empty items
    ASSERT_EQ(7, a.GetSize());
    EXPECT_STREQ("", a[3]);
    EXPECT_STREQ("", a[4]);
    EXPECT_STREQ("f", a[5]);
    EXPECT_STREQ("f", a[6]);
    a.InsertAt(-1, "x");
    a.InsertAt(0, "x", 0);
    EXPECT_EQ(7, a.GetSize());
    a.InsertAt(0, a[2]);  // value taken from the array itself
    EXPECT_STREQ("c", a[0]);
    a.RemoveAt(0);

    a.RemoveAt(3, 2);
    ASSERT_EQ(5, a.GetSize());
    EXPECT_STREQ("f", a[3]);
    a.RemoveAt(4, 2);   // reaches past the end: nothing removed
    a.RemoveAt(5);
    a.RemoveAt(-1);
    a.RemoveAt(0, 0);
    EXPECT_EQ(5, a.GetSize());
    a.RemoveAt(3, 2);
    EXPECT_EQ(3, a.GetSize());

    // Out-of-range access neither crashes nor changes the array.
    EXPECT_STREQ("", a.GetAt(3));
    EXPECT_STREQ("", a.GetAt(-1));
    a.SetAt(3, "zzz");
    a[10] = "scratch";
    EXPECT_EQ(3, a.GetSize());
    a.SetAt(2, "C");
    a[0] = "A";
    EXPECT_STREQ("A", a[0]);
    EXPECT_STREQ("C", a[2]);

    CStringArray b;
    b.Add("y");
    b.Add("z");
    EXPECT_EQ(3, a.Append(b));
    EXPECT_EQ(5, a.GetSize());
    EXPECT_EQ(5, a.Append(a));
    EXPECT_EQ(10, a.GetSize());
    EXPECT_STREQ("z", a[9]);

    a.InsertAt(1, &b);
    EXPECT_EQ(12, a.GetSize());
    EXPECT_STREQ("y", a[1]);
    EXPECT_STREQ("z", a[2]);
    EXPECT_STREQ("b", a[3]);

    b.Copy(a);
    EXPECT_EQ(12, b.GetSize());
    b.Copy(b);
    EXPECT_EQ(12, b.GetSize());
    b.SetSize(2);
    EXPECT_EQ(2, b.GetSize());
    b.SetSize(4);
    EXPECT_STREQ("", b[3]);
    b.SetSize(-1);
    EXPECT_TRUE(b.IsEmpty());
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
}

namespace {

int g_destroyed = 0;

class CountedException : public CException
{
public:
    explicit CountedException(BOOL autoDelete) : CException(autoDelete) {}
    ~CountedException() override { ++g_destroyed; }
};

}  // namespace

TEST(CException, DefaultMessageAndDelete)
{
    CException base;
    char buf[8] = "junk";
    UINT help = 99;
    EXPECT_FALSE(base.GetErrorMessage(buf, sizeof(buf), &help));
    EXPECT_STREQ("", buf);
    EXPECT_EQ(0u, help);
    buf[0] = 'j';
    EXPECT_FALSE(base.GetErrorMessage(buf, 0));
    EXPECT_EQ('j', buf[0]);  // max 0: the buffer is not touched

    g_destroyed = 0;
    try {
        throw new CountedException(TRUE);
    } catch (CException* e) {
        e->Delete();
    }
    EXPECT_EQ(1, g_destroyed);

    {
        CountedException onStack(FALSE);
        onStack.Delete();  // not auto-delete: left alone
        EXPECT_EQ(1, g_destroyed);
    }
    EXPECT_EQ(2, g_destroyed);
}
