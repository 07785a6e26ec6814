#include "platform/html/cssstyle.h"

#include "platform/html/htmltags.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <mutex>
#include <set>
#include <vector>

namespace
{
const int kMaxLength = 100000;  // pixels; keeps arithmetic far from overflow

std::wstring Trim(const std::wstring& s)
{
    size_t b = 0, e = s.size();
    while (b < e && iswspace(s[b]))
        ++b;
    while (e > b && iswspace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::wstring Lower(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z')
            c = c - L'A' + L'a';
    return s;
}

// Splits a value at blanks that stand outside parentheses and quotes.
std::vector<std::wstring> SplitWords(const std::wstring& value)
{
    std::vector<std::wstring> words;
    std::wstring cur;
    int depth = 0;
    wchar_t quote = 0;
    for (wchar_t c : value)
    {
        if (quote)
        {
            cur += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == L'"' || c == L'\'')
            quote = c;
        else if (c == L'(')
            ++depth;
        else if (c == L')' && depth > 0)
            --depth;
        if (iswspace(c) && depth == 0)
        {
            if (!cur.empty())
                words.push_back(cur);
            cur.clear();
            continue;
        }
        cur += c;
    }
    if (!cur.empty())
        words.push_back(cur);
    return words;
}

struct NamedColor
{
    const wchar_t* name;
    COLORREF rgb;
};

const NamedColor kColors[] = {
    {L"black", RGB(0, 0, 0)},         {L"white", RGB(255, 255, 255)},   {L"red", RGB(255, 0, 0)},
    {L"green", RGB(0, 128, 0)},       {L"blue", RGB(0, 0, 255)},        {L"gray", RGB(128, 128, 128)},
    {L"grey", RGB(128, 128, 128)},    {L"silver", RGB(192, 192, 192)},  {L"maroon", RGB(128, 0, 0)},
    {L"navy", RGB(0, 0, 128)},        {L"olive", RGB(128, 128, 0)},     {L"purple", RGB(128, 0, 128)},
    {L"teal", RGB(0, 128, 128)},      {L"yellow", RGB(255, 255, 0)},    {L"lime", RGB(0, 255, 0)},
    {L"aqua", RGB(0, 255, 255)},      {L"fuchsia", RGB(255, 0, 255)},   {L"orange", RGB(255, 165, 0)},
    {L"darkgray", RGB(169, 169, 169)}, {L"lightgray", RGB(211, 211, 211)}, {L"darkblue", RGB(0, 0, 139)},
    {L"darkred", RGB(139, 0, 0)},     {L"darkgreen", RGB(0, 100, 0)},
};

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

int ClampInt(double v, int lo, int hi)
{
    if (!(v >= lo))  // also NaN
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}

bool ParseNumber(const std::wstring& text, double& number, std::wstring& unit)
{
    const wchar_t* s = text.c_str();
    wchar_t* end = nullptr;
    number = wcstod(s, &end);
    if (end == s || !std::isfinite(number))
        return false;
    unit = Lower(Trim(end));
    return true;
}

int FontSizeKeyword(const std::wstring& v)
{
    static const struct { const wchar_t* name; int px; } sizes[] = {
        {L"xx-small", 9}, {L"x-small", 10}, {L"small", 13}, {L"medium", 16},
        {L"large", 18},   {L"x-large", 24}, {L"xx-large", 32},
    };
    for (const auto& s : sizes)
        if (v == s.name)
            return s.px;
    return 0;
}

bool ParseBorderStyle(const std::wstring& v, CssBorderStyle& style)
{
    if (v == L"none" || v == L"hidden")
        style = CssBorderStyle::None;
    else if (v == L"solid" || v == L"double" || v == L"groove" || v == L"ridge")
        style = CssBorderStyle::Solid;
    else if (v == L"dashed")
        style = CssBorderStyle::Dashed;
    else if (v == L"dotted")
        style = CssBorderStyle::Dotted;
    else if (v == L"inset")
        style = CssBorderStyle::Inset;
    else if (v == L"outset")
        style = CssBorderStyle::Outset;
    else
        return false;
    return true;
}

int BorderWidthValue(const std::wstring& v, int fontSize, bool& ok)
{
    ok = true;
    if (v == L"thin")
        return 1;
    if (v == L"medium")
        return 3;
    if (v == L"thick")
        return 5;
    CssLength len;
    if (!ParseCssLength(v, fontSize, len) || len.unit != CssLength::Px)
    {
        ok = false;
        return 0;
    }
    return ClampInt(len.value, 0, 100);
}

// Sides of a one-to-four value shorthand: top, right, bottom, left.
bool ExpandSides(const std::vector<std::wstring>& w, std::wstring out[4])
{
    switch (w.size())
    {
    case 1: out[0] = out[1] = out[2] = out[3] = w[0]; return true;
    case 2: out[0] = out[2] = w[0]; out[1] = out[3] = w[1]; return true;
    case 3: out[0] = w[0]; out[1] = out[3] = w[1]; out[2] = w[2]; return true;
    case 4: for (int i = 0; i < 4; ++i) out[i] = w[i]; return true;
    default: return false;
    }
}

// The sides of a box in the order of the style's arrays.
const char* const kSides[4] = {"top", "right", "bottom", "left"};

int SideIndex(const std::string& name, size_t at)
{
    for (int i = 0; i < 4; ++i)
        if (name.compare(at, std::string::npos, kSides[i]) == 0)
            return i;
    return -1;
}

std::wstring UrlValue(const std::wstring& v)
{
    std::wstring inner = Trim(v.substr(4, v.size() - 5));
    if (inner.size() >= 2 && (inner[0] == L'"' || inner[0] == L'\'') && inner.back() == inner[0])
        inner = inner.substr(1, inner.size() - 2);
    return inner;
}

void ApplyBorderShorthand(CCssStyle& style, int side, const std::wstring& value)
{
    int width = 3;
    CssBorderStyle bs = CssBorderStyle::None;
    CssColor color;
    bool colorSet = false;
    for (const std::wstring& w : SplitWords(Lower(value)))
    {
        bool ok = false;
        int n = BorderWidthValue(w, style.fontSize, ok);
        if (ok)
        {
            width = n;
            continue;
        }
        if (ParseBorderStyle(w, bs))
            continue;
        if (ParseCssColor(w, color))
            colorSet = true;
    }
    for (int i = 0; i < 4; ++i)
    {
        if (side >= 0 && i != side)
            continue;
        style.borderWidth[i] = width;
        style.borderStyle[i] = bs;
        style.borderColor[i] = color;
        style.borderColorSet[i] = colorSet;
    }
}

void ApplyFontShorthand(CCssStyle& style, const CCssStyle* parent, const std::wstring& value)
{
    // [style] [weight] size[/line-height] family
    std::vector<std::wstring> words = SplitWords(value);
    size_t i = 0;
    for (; i < words.size(); ++i)
    {
        std::wstring w = Lower(words[i]);
        if (w == L"italic" || w == L"oblique")
            style.italic = true;
        else if (w == L"bold" || w == L"bolder")
            style.fontWeight = 700;
        else if (w == L"normal" || w == L"small-caps")
            continue;
        else if (w.size() == 3 && iswdigit(w[0]) && w[1] == L'0' && w[2] == L'0')
            style.fontWeight = w[0] - L'0' ? (w[0] - L'0') * 100 : 400;
        else
            break;
    }
    if (i >= words.size())
        return;
    std::wstring size = words[i];
    size_t slash = size.find(L'/');
    if (slash != std::wstring::npos)
    {
        ApplyCssProperty(style, parent, "line-height", size.substr(slash + 1));
        size = size.substr(0, slash);
    }
    ApplyCssProperty(style, parent, "font-size", size);
    std::wstring family;
    for (++i; i < words.size(); ++i)
    {
        if (!family.empty())
            family += L' ';
        family += words[i];
    }
    if (!family.empty())
        ApplyCssProperty(style, parent, "font-family", family);
}

void ApplyBackgroundShorthand(CCssStyle& style, const std::wstring& value)
{
    for (const std::wstring& w : SplitWords(value))
    {
        std::wstring lw = Lower(w);
        CssColor c;
        if (lw.compare(0, 4, L"url(") == 0 && lw.back() == L')')
            style.backgroundImage = InternCssString(UrlValue(w));
        else if (lw == L"none")
            style.backgroundImage = nullptr;
        else if (lw == L"no-repeat")
            style.backgroundRepeatX = style.backgroundRepeatY = false;
        else if (lw == L"repeat-x")
            style.backgroundRepeatX = true, style.backgroundRepeatY = false;
        else if (lw == L"repeat-y")
            style.backgroundRepeatX = false, style.backgroundRepeatY = true;
        else if (lw == L"repeat")
            style.backgroundRepeatX = style.backgroundRepeatY = true;
        else if (ParseCssColor(lw, c))
            style.background = c;
    }
}
}  // namespace

int CssLength::Resolve(int reference, int fallback) const
{
    switch (unit)
    {
    case Px: return ClampInt(value, -kMaxLength, kMaxLength);
    case Percent: return ClampInt(static_cast<double>(reference) * value / 100.0, -kMaxLength, kMaxLength);
    default: return fallback;
    }
}

void CCssStyle::InheritFrom(const CCssStyle& p)
{
    *this = CCssStyle();
    color = p.color;
    fontFamily = p.fontFamily;
    fontSize = p.fontSize;
    fontWeight = p.fontWeight;
    italic = p.italic;
    underline = p.underline;
    lineThrough = p.lineThrough;
    lineHeight = p.lineHeight;
    textAlign = p.textAlign;
    whiteSpace = p.whiteSpace;
    hidden = p.hidden;
    pointer = p.pointer;
}

bool ParseCssColor(const std::wstring& input, CssColor& color)
{
    std::wstring text = Lower(Trim(input));
    if (text.empty())
        return false;
    if (text == L"transparent")
    {
        color = CssColor();
        return true;
    }
    if (text[0] == L'#')
    {
        int d[6];
        size_t n = text.size() - 1;
        if (n != 3 && n != 6)
            return false;
        for (size_t i = 0; i < n; ++i)
            if ((d[i] = HexDigit(text[i + 1])) < 0)
                return false;
        if (n == 3)
            color = CssColor::Of(RGB(d[0] * 17, d[1] * 17, d[2] * 17));
        else
            color = CssColor::Of(RGB(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]));
        return true;
    }
    if (text.compare(0, 4, L"rgb(") == 0 && text.back() == L')')
    {
        int v[3];
        const wchar_t* p = text.c_str() + 4;
        for (int i = 0; i < 3; ++i)
        {
            wchar_t* end = nullptr;
            double n = wcstod(p, &end);
            if (end == p)
                return false;
            p = end;
            while (*p == L' ')
                ++p;
            if (*p == L'%')
            {
                n = n * 255 / 100;
                ++p;
            }
            v[i] = ClampInt(n, 0, 255);
            while (*p == L' ' || *p == L',')
                ++p;
        }
        color = CssColor::Of(RGB(v[0], v[1], v[2]));
        return true;
    }
    for (const NamedColor& c : kColors)
        if (text == c.name)
        {
            color = CssColor::Of(c.rgb);
            return true;
        }
    return false;
}

bool ParseCssLength(const std::wstring& input, int fontSize, CssLength& length)
{
    std::wstring text = Lower(Trim(input));
    if (text == L"auto")
    {
        length = CssLength();
        return true;
    }
    double n;
    std::wstring unit;
    if (!ParseNumber(text, n, unit))
        return false;
    n = std::max(-1.0 * kMaxLength, std::min(1.0 * kMaxLength, n));
    length.unit = CssLength::Px;
    if (unit.empty() || unit == L"px")
        length.value = static_cast<float>(n);
    else if (unit == L"pt")
        length.value = static_cast<float>(n * 96 / 72);
    else if (unit == L"em")
        length.value = static_cast<float>(n * fontSize);
    else if (unit == L"ex")
        length.value = static_cast<float>(n * fontSize / 2);
    else if (unit == L"%")
    {
        length.unit = CssLength::Percent;
        length.value = static_cast<float>(n);
    }
    else
        return false;
    return true;
}

bool ApplyCssProperty(CCssStyle& style, const CCssStyle* parent, const std::string& name, const std::wstring& rawValue)
{
    std::wstring value = Trim(rawValue);
    size_t bang = value.find(L"!important");
    if (bang != std::wstring::npos)
        value = Trim(value.substr(0, bang));
    std::wstring v = Lower(value);
    if (v.empty())
        return false;
    if (v == L"inherit" && parent)
    {
        // Only the common inherited properties are worth the case.
        if (name == "color")
            style.color = parent->color;
        else if (name == "background-color")
            style.background = parent->background;
        return true;
    }
    CssLength len;
    CssColor color;

    if (name == "display")
    {
        static const struct { const wchar_t* n; CssDisplay d; } kinds[] = {
            {L"inline", CssDisplay::Inline}, {L"block", CssDisplay::Block},
            {L"inline-block", CssDisplay::InlineBlock}, {L"list-item", CssDisplay::ListItem},
            {L"table", CssDisplay::Table}, {L"inline-table", CssDisplay::Table},
            {L"table-row-group", CssDisplay::TableRowGroup}, {L"table-header-group", CssDisplay::TableRowGroup},
            {L"table-footer-group", CssDisplay::TableRowGroup}, {L"table-row", CssDisplay::TableRow},
            {L"table-cell", CssDisplay::TableCell}, {L"none", CssDisplay::None},
        };
        for (const auto& k : kinds)
            if (v == k.n)
            {
                style.display = k.d;
                return true;
            }
        return false;
    }
    if (name == "visibility")
    {
        style.hidden = (v == L"hidden" || v == L"collapse");
        return true;
    }
    if (name == "width" || name == "height")
    {
        if (!ParseCssLength(v, style.fontSize, len) || (len.unit != CssLength::Auto && len.value < 0))
            return false;
        (name == "width" ? style.width : style.height) = len;
        return true;
    }
    if (name == "margin" || name == "padding")
    {
        std::wstring sides[4];
        if (!ExpandSides(SplitWords(v), sides))
            return false;
        for (int i = 0; i < 4; ++i)
            ApplyCssProperty(style, parent, name + "-" + kSides[i], sides[i]);
        return true;
    }
    if (name.compare(0, 7, "margin-") == 0)
    {
        int side = SideIndex(name, 7);
        if (side < 0 || !ParseCssLength(v, style.fontSize, len))
            return false;
        style.margin[side] = len;
        return true;
    }
    if (name.compare(0, 8, "padding-") == 0)
    {
        int side = SideIndex(name, 8);
        if (side < 0 || !ParseCssLength(v, style.fontSize, len) || len.unit != CssLength::Px)
            return false;
        style.padding[side] = ClampInt(len.value, 0, kMaxLength);
        return true;
    }
    if (name == "border")
    {
        ApplyBorderShorthand(style, -1, value);
        return true;
    }
    if (name == "border-width" || name == "border-style" || name == "border-color")
    {
        std::wstring sides[4];
        if (!ExpandSides(SplitWords(v), sides))
            return false;
        std::string kind = name.substr(7);
        for (int i = 0; i < 4; ++i)
            ApplyCssProperty(style, parent, std::string("border-") + kSides[i] + "-" + kind, sides[i]);
        return true;
    }
    if (name.compare(0, 7, "border-") == 0)
    {
        for (int i = 0; i < 4; ++i)
        {
            std::string base = std::string("border-") + kSides[i];
            if (name == base)
            {
                ApplyBorderShorthand(style, i, value);
                return true;
            }
            if (name == base + "-width")
            {
                bool ok = false;
                int n = BorderWidthValue(v, style.fontSize, ok);
                if (ok)
                    style.borderWidth[i] = n;
                return ok;
            }
            if (name == base + "-style")
                return ParseBorderStyle(v, style.borderStyle[i]);
            if (name == base + "-color")
            {
                if (!ParseCssColor(v, color))
                    return false;
                style.borderColor[i] = color;
                style.borderColorSet[i] = true;
                return true;
            }
        }
        return false;
    }
    if (name == "color")
    {
        if (!ParseCssColor(v, color) || !color.set)
            return false;
        style.color = color;
        return true;
    }
    if (name == "background-color")
    {
        if (!ParseCssColor(v, color))
            return false;
        style.background = color;
        return true;
    }
    if (name == "background")
    {
        ApplyBackgroundShorthand(style, value);
        return true;
    }
    if (name == "background-image")
    {
        if (v == L"none")
            style.backgroundImage = nullptr;
        else if (v.compare(0, 4, L"url(") == 0 && v.back() == L')')
            style.backgroundImage = InternCssString(UrlValue(value));
        else
            return false;
        return true;
    }
    if (name == "background-repeat")
    {
        ApplyBackgroundShorthand(style, v);
        return true;
    }
    if (name == "font")
    {
        ApplyFontShorthand(style, parent, value);
        return true;
    }
    if (name == "font-family")
    {
        style.fontFamily = InternCssString(value);
        return true;
    }
    if (name == "font-size")
    {
        int px = FontSizeKeyword(v);
        int parentSize = parent ? parent->fontSize : 16;
        if (!px && v == L"smaller")
            px = parentSize * 5 / 6;
        if (!px && v == L"larger")
            px = parentSize * 6 / 5;
        if (!px)
        {
            if (!ParseCssLength(v, parentSize, len) || len.unit == CssLength::Auto)
                return false;
            px = len.unit == CssLength::Percent ? len.Resolve(parentSize) : len.Resolve(0);
        }
        style.fontSize = std::max(1, std::min(px, 200));
        return true;
    }
    if (name == "font-weight")
    {
        if (v == L"bold" || v == L"bolder")
            style.fontWeight = 700;
        else if (v == L"normal" || v == L"lighter")
            style.fontWeight = 400;
        else
        {
            int n = _wtoi(v.c_str());
            if (n < 100 || n > 900)
                return false;
            style.fontWeight = n;
        }
        return true;
    }
    if (name == "font-style")
    {
        style.italic = (v == L"italic" || v == L"oblique");
        return true;
    }
    if (name == "text-decoration")
    {
        style.underline = v.find(L"underline") != std::wstring::npos;
        style.lineThrough = v.find(L"line-through") != std::wstring::npos;
        return true;
    }
    if (name == "text-align")
    {
        style.textAlign = v == L"center" ? CssTextAlign::Center : v == L"right" ? CssTextAlign::Right : CssTextAlign::Left;
        return true;
    }
    if (name == "vertical-align")
    {
        style.verticalAlign = v == L"top" || v == L"text-top"         ? CssVerticalAlign::Top
                              : v == L"middle"                         ? CssVerticalAlign::Middle
                              : v == L"bottom" || v == L"text-bottom" ? CssVerticalAlign::Bottom
                                                                       : CssVerticalAlign::Baseline;
        return true;
    }
    if (name == "white-space")
    {
        style.whiteSpace = v == L"nowrap" ? CssWhiteSpace::NoWrap
                           : (v == L"pre" || v == L"pre-wrap") ? CssWhiteSpace::Pre
                                                                : CssWhiteSpace::Normal;
        return true;
    }
    if (name == "overflow" || name == "overflow-y")
    {
        style.overflow = v == L"hidden" ? CssOverflow::Hidden
                         : v == L"auto" ? CssOverflow::Auto
                         : v == L"scroll" ? CssOverflow::Scroll
                                          : CssOverflow::Visible;
        return true;
    }
    if (name == "line-height")
    {
        if (v == L"normal")
        {
            style.lineHeight = 0;
            return true;
        }
        double n;
        std::wstring unit;
        if (!ParseNumber(v, n, unit))
            return false;
        if (unit.empty())
            style.lineHeight = ClampInt(n * style.fontSize, 0, 1000);
        else if (ParseCssLength(v, style.fontSize, len))
            style.lineHeight = len.unit == CssLength::Percent ? ClampInt(n * style.fontSize / 100, 0, 1000)
                                                              : ClampInt(len.value, 0, 1000);
        return true;
    }
    if (name == "cursor")
    {
        style.pointer = (v == L"pointer" || v == L"hand");
        return true;
    }
    if (name == "behavior")
    {
        std::string n;
        for (wchar_t c : value)
            n += static_cast<char>(c < 128 ? c : '?');
        style.behavior = v == L"none" ? nullptr : InternCssName(n);
        return true;
    }
    return false;
}

void ApplyCssDeclarations(CCssStyle& style, const CCssStyle* parent, const wchar_t* text, size_t length)
{
    size_t i = 0;
    while (i < length)
    {
        size_t colon = i;
        while (colon < length && text[colon] != L':' && text[colon] != L';')
            ++colon;
        if (colon >= length)
            break;
        if (text[colon] == L';')
        {
            i = colon + 1;
            continue;
        }
        size_t end = colon + 1;
        wchar_t quote = 0;
        int depth = 0;
        while (end < length)
        {
            wchar_t c = text[end];
            if (quote)
            {
                if (c == quote)
                    quote = 0;
            }
            else if (c == L'"' || c == L'\'')
                quote = c;
            else if (c == L'(')
                ++depth;
            else if (c == L')' && depth > 0)
                --depth;
            else if (c == L';' && depth == 0)
                break;
            ++end;
        }
        std::wstring name = Trim(std::wstring(text + i, colon - i));
        ApplyCssProperty(style, parent, LowerAsciiName(name.data(), name.size()),
                         std::wstring(text + colon + 1, end - colon - 1));
        i = end + 1;
    }
}

namespace
{
std::mutex g_internLock;

// The set lives as long as the process: styles point into it.
template <class String>
const String* Intern(const String& text)
{
    static std::set<String>* strings = new std::set<String>();
    std::lock_guard<std::mutex> hold(g_internLock);
    auto known = strings->find(text);
    if (known != strings->end())
        return &*known;
    if (strings->size() > 4096)  // hostile pages cannot grow it for ever
        return &*strings->insert(String()).first;
    return &*strings->insert(text).first;
}
}  // namespace

const std::wstring* InternCssString(const std::wstring& text)
{
    return Intern(text);
}

const std::string* InternCssName(const std::string& text)
{
    return Intern(text);
}
