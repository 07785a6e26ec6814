#include "platform/mfc/cstring.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kWhitespace[] = " \t\n\v\f\r";

int CompareSign(int r) { return r < 0 ? -1 : (r > 0 ? 1 : 0); }

}  // namespace

CString::CString() = default;
CString::CString(const CString& other) = default;
CString::~CString() = default;

CString::CString(const char* text)
{
    if (text)
        m_s = text;
}

CString::CString(const char* text, int count)
{
    if (text && count > 0)
        m_s.assign(text, static_cast<size_t>(count));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        m_s.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(const CString& other) = default;

CString& CString::operator=(const char* text)
{
    // The source may point into our own text.
    if (text)
        m_s = std::string(text);
    else
        m_s.clear();
    return *this;
}

CString& CString::operator=(char ch)
{
    m_s.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    m_s += other.m_s;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text)
        m_s += std::string(text);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_s += ch;
    return *this;
}

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return '\0';
    return m_s[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength())
        m_s[static_cast<size_t>(index)] = ch;
}

LPSTR CString::GetBuffer(int minLen)
{
    if (minLen > GetLength())
        m_s.resize(static_cast<size_t>(minLen), '\0');
    return &m_s[0];
}

LPSTR CString::GetBufferSetLength(int length)
{
    m_s.resize(static_cast<size_t>(std::max(length, 0)), '\0');
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLen)
{
    size_t len = newLen < 0 ? strnlen(m_s.c_str(), m_s.size())
                            : std::min(static_cast<size_t>(newLen), m_s.size());
    m_s.resize(len);
}

void CString::AppendV(const char* format, va_list args)
{
    if (!format)
        return;
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < sizeof(small)) {
        m_s.append(small, static_cast<size_t>(n));
        return;
    }
    // Long output: size the buffer exactly when the C library tells the
    // length, otherwise grow until the text fits.
    size_t size = n >= 0 ? static_cast<size_t>(n) + 1 : sizeof(small) * 2;
    for (;;) {
        std::vector<char> buf(size);
        va_copy(copy, args);
        n = vsnprintf(buf.data(), size, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < size) {
            m_s.append(buf.data(), static_cast<size_t>(n));
            return;
        }
        if (size >= (static_cast<size_t>(1) << 30))
            return;  // a formatting error, not a long text
        size = n >= 0 ? static_cast<size_t>(n) + 1 : size * 2;
    }
}

void CString::FormatV(const char* format, va_list args)
{
    CString result;
    result.AppendV(format, args);  // arguments may refer to this string
    m_s.swap(result.m_s);
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...)
{
    CString tail;
    va_list args;
    va_start(args, format);
    tail.AppendV(format, args);
    va_end(args);
    m_s += tail.m_s;
}

CString CString::Left(int count) const
{
    if (count <= 0)
        return CString();
    if (count >= GetLength())
        return *this;
    return CString(m_s.c_str(), count);
}

CString CString::Right(int count) const
{
    if (count <= 0)
        return CString();
    if (count >= GetLength())
        return *this;
    return CString(m_s.c_str() + (GetLength() - count), count);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength() - std::max(first, 0));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (count < 0)
        count = 0;
    const int len = GetLength();
    if (first >= len)
        return CString();
    if (static_cast<long long>(first) + count > len)
        count = len - first;
    return CString(m_s.c_str() + first, count);
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t pos = m_s.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t pos = m_s.find(sub, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_s.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const char* chars) const
{
    if (!chars || !*chars)
        return -1;
    size_t pos = m_s.find_first_of(chars);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString& CString::MakeLower()
{
    for (char& c : m_s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeUpper()
{
    for (char& c : m_s)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::TrimLeft(const char* targets)
{
    if (!targets || !*targets)
        return *this;
    size_t pos = m_s.find_first_not_of(targets);
    m_s.erase(0, pos == std::string::npos ? m_s.size() : pos);
    return *this;
}

CString& CString::TrimRight(const char* targets)
{
    if (!targets || !*targets)
        return *this;
    size_t pos = m_s.find_last_not_of(targets);
    m_s.resize(pos == std::string::npos ? 0 : pos + 1);
    return *this;
}

CString& CString::TrimLeft() { return TrimLeft(kWhitespace); }
CString& CString::TrimRight() { return TrimRight(kWhitespace); }

CString& CString::TrimLeft(char target)
{
    const char t[2] = {target, '\0'};
    return target ? TrimLeft(t) : *this;
}

CString& CString::TrimRight(char target)
{
    const char t[2] = {target, '\0'};
    return target ? TrimRight(t) : *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char target) { return TrimRight(target).TrimLeft(target); }
CString& CString::Trim(const char* targets) { return TrimRight(targets).TrimLeft(targets); }

int CString::Replace(char oldCh, char newCh)
{
    if (oldCh == newCh)
        return 0;
    int count = 0;
    for (char& c : m_s) {
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText)
{
    if (!oldText || !*oldText)
        return 0;
    const std::string from(oldText);
    const std::string to(newText ? newText : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = m_s.find(from, pos);
        if (hit == std::string::npos)
            break;
        out.append(m_s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(m_s, pos, std::string::npos);
        m_s.swap(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, char ch)
{
    index = std::min(std::max(index, 0), GetLength());
    m_s.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    index = std::min(std::max(index, 0), GetLength());
    if (text)
        m_s.insert(static_cast<size_t>(index), std::string(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index < 0)
        index = 0;
    if (count < 0)
        count = 0;
    const int len = GetLength();
    if (static_cast<long long>(index) + count > len)
        count = len - index;
    if (count > 0)
        m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

int CString::Compare(const char* text) const
{
    return CompareSign(strcmp(m_s.c_str(), text ? text : ""));
}

int CString::CompareNoCase(const char* text) const
{
    return CompareSign(_stricmp(m_s.c_str(), text ? text : ""));
}

CString CString::SpanIncluding(const char* chars) const
{
    if (!chars)
        return CString();
    return Left(static_cast<int>(strspn(m_s.c_str(), chars)));
}

CString CString::SpanExcluding(const char* chars) const
{
    if (!chars)
        return *this;
    return Left(static_cast<int>(strcspn(m_s.c_str(), chars)));
}

CString CString::Tokenize(const char* tokens, int& start) const
{
    const int len = GetLength();
    if (start >= 0 && start < len) {
        if (!tokens || !*tokens) {
            // No separators: the rest is one token, and the next call ends.
            CString rest = Mid(start);
            start = len + 1;
            return rest;
        }
        const int skip = static_cast<int>(strspn(m_s.c_str() + start, tokens));
        const int from = start + skip;
        if (from < len) {
            const int span = static_cast<int>(strcspn(m_s.c_str() + from, tokens));
            start = from + span + 1;
            return Mid(from, span);
        }
    }
    start = -1;
    return CString();
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }
