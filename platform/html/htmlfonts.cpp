#include "platform/html/htmlfonts.h"

#include <vector>

namespace
{
int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

std::wstring Trimmed(const std::wstring& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == L' ' || s[b] == L'"' || s[b] == L'\'' || s[b] == L'\t'))
        ++b;
    while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'"' || s[e - 1] == L'\'' || s[e - 1] == L'\t'))
        --e;
    return s.substr(b, e - b);
}
}  // namespace

CHtmlFont::CHtmlFont(HDC dc, const std::wstring& face, int size, int weight, bool italic, bool underline, bool strike)
    : m_dc(dc)
{
    LOGFONTW lf = {};
    lf.lfHeight = -size;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strike;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    m_font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(m_dc, m_font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(m_dc, &tm);
    SelectObject(m_dc, old);
    m_ascent = tm.tmAscent;
    m_descent = tm.tmDescent;
    if (m_ascent + m_descent <= 0)
    {
        m_ascent = size * 4 / 5;
        m_descent = size - m_ascent;
    }
}

CHtmlFont::~CHtmlFont()
{
    DeleteObject(m_font);
}

int CHtmlFont::CharWidth(wchar_t c)
{
    unsigned page = static_cast<unsigned>(c) >> 8;
    if (!m_pages[page])
    {
        m_pages[page].reset(new unsigned short[256]);
        INT widths[256] = {};
        HGDIOBJ old = SelectObject(m_dc, m_font);
        if (!GetCharWidth32W(m_dc, page << 8, (page << 8) + 255, widths))
            for (int i = 0; i < 256; ++i)
            {
                wchar_t ch = static_cast<wchar_t>((page << 8) + i);
                SIZE sz = {};
                GetTextExtentPoint32W(m_dc, &ch, 1, &sz);
                widths[i] = sz.cx;
            }
        SelectObject(m_dc, old);
        for (int i = 0; i < 256; ++i)
            m_pages[page][i] = static_cast<unsigned short>(widths[i] < 0 ? 0 : widths[i] > 65535 ? 65535 : widths[i]);
    }
    return m_pages[page][c & 0xFF];
}

int CHtmlFont::TextWidth(const wchar_t* text, size_t length)
{
    int w = 0;
    for (size_t i = 0; i < length; ++i)
        w += CharWidth(text[i]);
    return w;
}

CHtmlFontCache::CHtmlFontCache() : m_dc(CreateCompatibleDC(nullptr))
{
}

CHtmlFontCache::~CHtmlFontCache()
{
    m_fonts.clear();
    DeleteDC(m_dc);
}

bool CHtmlFontCache::FaceExists(const std::wstring& face)
{
    auto it = m_faces.find(face);
    if (it != m_faces.end())
        return it->second;
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(m_dc, &lf, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    m_faces[face] = found;
    return found;
}

std::wstring CHtmlFontCache::ResolveFamily(const std::wstring& list)
{
    auto it = m_resolved.find(list);
    if (it != m_resolved.end())
        return it->second;
    std::vector<std::wstring> names;
    size_t at = 0;
    while (at <= list.size() && names.size() < 16)
    {
        size_t comma = list.find(L',', at);
        std::wstring name = Trimmed(list.substr(at, comma == std::wstring::npos ? std::wstring::npos : comma - at));
        if (!name.empty())
            names.push_back(name);
        if (comma == std::wstring::npos)
            break;
        at = comma + 1;
    }
    std::wstring chosen;
    for (const std::wstring& n : names)
    {
        std::wstring lower = n;
        for (wchar_t& c : lower)
            c = towlower(c);
        std::wstring candidate = lower == L"sans-serif" ? L"Tahoma"
                                 : lower == L"serif"     ? L"Times New Roman"
                                 : lower == L"monospace" ? L"Courier New"
                                                         : n;
        if (FaceExists(candidate))
        {
            chosen = candidate;
            break;
        }
    }
    // The system's mapper takes the first name when none is installed.
    if (chosen.empty())
        chosen = names.empty() ? L"Times New Roman" : names[0];
    if (chosen.size() >= LF_FACESIZE)
        chosen.resize(LF_FACESIZE - 1);
    if (m_resolved.size() < 1024)
        m_resolved[list] = chosen;
    return chosen;
}

CHtmlFont* CHtmlFontCache::Get(const CCssStyle& s)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto key = std::make_tuple(s.fontFamily, s.fontSize, s.fontWeight, s.italic, s.underline, s.lineThrough);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end())
        return it->second.get();
    if (m_fonts.size() >= 256)  // a page with endless font variants shares one
        return m_fonts.begin()->second.get();
    std::wstring face = ResolveFamily(s.fontFamily ? *s.fontFamily : std::wstring(L"Times New Roman"));
    CHtmlFont* font = new CHtmlFont(m_dc, face, s.fontSize, s.fontWeight, s.italic, s.underline, s.lineThrough);
    m_fonts[key].reset(font);
    return font;
}
