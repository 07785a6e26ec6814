#pragma once
// Char-based string class with the interface the program's code expects from
// the MFC string (ANSI build). An owning std::string holds the text.

#include <windows.h>
#include <cstdarg>
#include <string>

class CString
{
public:
    CString();
    CString(const CString& other);
    CString(const char* text);                  // NULL gives the empty text
    CString(const char* text, int count);       // exactly count chars
    explicit CString(char ch, int repeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(const char* text);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }

    // Out-of-range indexes read as '\0' and are ignored by SetAt.
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }

    operator LPCSTR() const { return m_s.c_str(); }
    LPCSTR GetString() const { return m_s.c_str(); }

    // The buffer holds at least minLen chars plus a NUL; the text is kept.
    // Nothing else may be called on the string until ReleaseBuffer.
    LPSTR GetBuffer(int minLen = 0);
    LPSTR GetBufferSetLength(int length);
    // newLen < 0: the text ends at the first NUL inside the buffer.
    void ReleaseBuffer(int newLen = -1);

    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...);

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* chars) const;

    CString& MakeLower();
    CString& MakeUpper();

    CString& Trim();
    CString& Trim(char target);
    CString& Trim(const char* targets);
    CString& TrimLeft();
    CString& TrimLeft(char target);
    CString& TrimLeft(const char* targets);
    CString& TrimRight();
    CString& TrimRight(char target);
    CString& TrimRight(const char* targets);

    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    CString SpanIncluding(const char* chars) const;
    CString SpanExcluding(const char* chars) const;
    // Returns the next token from start on and moves start behind it; when no
    // token is left it returns the empty text and sets start to -1.
    CString Tokenize(const char* tokens, int& start) const;

private:
    void AppendV(const char* format, va_list args);

    std::string m_s;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, const char* b);
bool operator<(const char* a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, const char* b);
bool operator>(const char* a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, const char* b);
bool operator<=(const char* a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, const char* b);
bool operator>=(const char* a, const CString& b);
