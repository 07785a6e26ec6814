#pragma once
// A growing UTF-8 byte buffer that starts with the byte-order mark and
// writes text escaped for HTML; and ToUtf8Html, which turns an ANSI text into
// such escaped UTF-8 in place (without the mark), ready for an element's
// inner HTML.

#include <windows.h>

#include <string>

class CUtf8Stream
{
public:
    CUtf8Stream();
    ~CUtf8Stream();
    CUtf8Stream(const CUtf8Stream&) = delete;
    CUtf8Stream& operator=(const CUtf8Stream&) = delete;

    // Escapes " & ' < > as entities; other UTF-16 units become one to three
    // bytes each (surrogate halves are written one by one).
    void WriteEscaped(const wchar_t* text);
    void Append(BYTE byte);
    void AppendBytes(const BYTE* bytes, size_t count);

    // The bytes followed by a 0 byte that Length does not count.
    const char* GetText();
    size_t Length() const { return m_length; }
    size_t Capacity() const { return m_capacity; }

private:
    void Reserve(size_t more);

    BYTE* m_data;
    size_t m_capacity;
    size_t m_length;
};

void ToUtf8Html(std::string& text);
