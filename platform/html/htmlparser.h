#pragma once
// A tolerant HTML parser: any text gives a tree. Unclosed elements are closed
// where a browser would close them, stray end tags are dropped, misnested
// inline tags are closed at the first end tag that reaches them, and the tree
// never grows deeper than kMaxHtmlDepth (deeper elements become siblings).

#include <windows.h>

#include <string>

class CHtmlNode;

const int kMaxHtmlDepth = 200;

class CHtmlParser
{
public:
    // Parses a whole document into root (an "html" element), adding head and
    // body where the text leaves them out.
    static void ParseDocument(const wchar_t* text, size_t length, CHtmlNode* root);

    // Parses a fragment into new children of parent, appended at index
    // (or the end); returns how many top-level nodes were added.
    static size_t ParseFragment(const wchar_t* text, size_t length, CHtmlNode* parent, size_t index);

    // Markup of the children of an element (inner HTML).
    static std::wstring Serialize(const CHtmlNode* element, bool outer = false);
};

// Bytes of a page as text: a byte-order mark, a meta charset or valid UTF-8
// decide; otherwise the ANSI code page.
std::wstring DecodeHtmlBytes(const BYTE* data, size_t size);

// UTF-8 to UTF-16 (invalid bytes become U+FFFD), and UTF-16 to a code page.
std::wstring Utf8ToUtf16(const char* text, size_t length);
std::string WideToMultiByte(UINT codePage, const std::wstring& text);

// Decodes the character references of a text (&amp; &#233; &#xE9;).
std::wstring DecodeCharacterReferences(const wchar_t* text, size_t length);
