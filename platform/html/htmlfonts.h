#pragma once
// GDI fonts of the HTML engine, one per distinct family, size and weight,
// with advance widths cached per 256-character page so text is measured
// without a GDI call per word.

#include "platform/html/cssstyle.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

class CHtmlFont
{
public:
    CHtmlFont(HDC measureDC, const std::wstring& face, int size, int weight, bool italic, bool underline, bool strike);
    ~CHtmlFont();
    CHtmlFont(const CHtmlFont&) = delete;
    CHtmlFont& operator=(const CHtmlFont&) = delete;

    HFONT Handle() const { return m_font; }
    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    int Height() const { return m_ascent + m_descent; }

    int TextWidth(const wchar_t* text, size_t length);
    int CharWidth(wchar_t c);

private:
    HDC m_dc;
    HFONT m_font;
    int m_ascent = 0, m_descent = 0;
    std::unique_ptr<unsigned short[]> m_pages[256];
};

class CHtmlFontCache
{
public:
    CHtmlFontCache();
    ~CHtmlFontCache();

    CHtmlFont* Get(const CCssStyle& style);

    // The first family of a CSS list that the system has; "serif",
    // "sans-serif" and "monospace" map to common faces.
    std::wstring ResolveFamily(const std::wstring& list);

private:
    bool FaceExists(const std::wstring& face);

    HDC m_dc;
    std::mutex m_lock;
    std::map<std::tuple<const std::wstring*, int, int, bool, bool, bool>, std::unique_ptr<CHtmlFont>> m_fonts;
    std::map<std::wstring, bool> m_faces;
    std::map<std::wstring, std::wstring> m_resolved;
};
