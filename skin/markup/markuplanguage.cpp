#include "skin/markup/markuplanguage.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct NamedColour
{
    const char* name;
    COLORREF colour;
};

// The colour keywords of CSS with their RGB values.
const NamedColour s_namedColours[] = {
    {"aqua", RGB(0, 255, 255)}, {"black", RGB(0, 0, 0)}, {"blue", RGB(0, 0, 255)},
    {"brown", RGB(165, 42, 42)}, {"cyan", RGB(0, 255, 255)}, {"gold", RGB(255, 215, 0)},
    {"gray", RGB(128, 128, 128)}, {"green", RGB(0, 128, 0)}, {"magenta", RGB(255, 0, 255)},
    {"maroon", RGB(128, 0, 0)}, {"navy", RGB(0, 0, 128)}, {"olive", RGB(128, 128, 0)},
    {"orange", RGB(255, 165, 0)}, {"pink", RGB(255, 192, 203)}, {"purple", RGB(128, 0, 128)},
    {"red", RGB(255, 0, 0)}, {"silver", RGB(192, 192, 192)}, {"snow", RGB(255, 250, 250)},
    {"violet", RGB(238, 130, 238)}, {"white", RGB(255, 255, 255)}, {"yellow", RGB(255, 255, 0)},
    {"aliceblue", RGB(240, 248, 255)}, {"antiquewhite", RGB(250, 235, 215)},
    {"aquamarine", RGB(127, 255, 212)}, {"azure", RGB(240, 255, 255)}, {"beige", RGB(245, 245, 220)},
    {"bisque", RGB(255, 228, 196)}, {"blanchedalmond", RGB(255, 235, 205)},
    {"blueviolet", RGB(138, 43, 226)}, {"burlywood", RGB(222, 184, 135)},
    {"cadetblue", RGB(95, 158, 160)}, {"chartreuse", RGB(127, 255, 0)},
    {"chocolate", RGB(210, 105, 30)}, {"coral", RGB(255, 127, 80)},
    {"cornflowerblue", RGB(100, 149, 237)}, {"cornsilk", RGB(255, 248, 220)},
    {"crimson", RGB(220, 20, 60)}, {"darkblue", RGB(0, 0, 139)}, {"darkcyan", RGB(0, 139, 139)},
    {"darkgoldenrod", RGB(184, 134, 11)}, {"darkgray", RGB(169, 169, 169)},
    {"darkgreen", RGB(0, 100, 0)}, {"darkkhaki", RGB(189, 183, 107)},
    {"darkmagenta", RGB(139, 0, 139)}, {"darkolivegreen", RGB(85, 107, 47)},
    {"darkorange", RGB(255, 140, 0)}, {"darkorchid", RGB(153, 50, 204)},
    {"darkred", RGB(139, 0, 0)}, {"darksalmon", RGB(233, 150, 122)},
    {"darkseagreen", RGB(143, 188, 143)}, {"darkslateblue", RGB(72, 61, 139)},
    {"darkslategray", RGB(47, 79, 79)}, {"darkturquoise", RGB(0, 206, 209)},
    {"darkviolet", RGB(148, 0, 211)}, {"deeppink", RGB(255, 20, 147)},
    {"deepskyblue", RGB(0, 191, 255)}, {"dimgray", RGB(105, 105, 105)},
    {"dodgerblue", RGB(30, 144, 255)}, {"firebrick", RGB(178, 34, 34)},
    {"floralwhite", RGB(255, 250, 240)}, {"forestgreen", RGB(34, 139, 34)},
    {"fuchsia", RGB(255, 0, 255)}, {"gainsboro", RGB(220, 220, 220)},
    {"ghostwhite", RGB(248, 248, 255)}, {"goldenrod", RGB(218, 165, 32)},
    {"greenyellow", RGB(173, 255, 47)}, {"honeydew", RGB(240, 255, 240)},
    {"hotpink", RGB(255, 105, 180)}, {"indianred", RGB(205, 92, 92)}, {"indigo", RGB(75, 0, 130)},
    {"ivory", RGB(255, 255, 240)}, {"khaki", RGB(240, 230, 140)}, {"lavender", RGB(230, 230, 250)},
    {"lavenderblush", RGB(255, 240, 245)}, {"lawngreen", RGB(124, 252, 0)},
    {"lemonchiffon", RGB(255, 250, 205)}, {"lightblue", RGB(173, 216, 230)},
    {"lightcoral", RGB(240, 128, 128)}, {"lightcyan", RGB(224, 255, 255)},
    {"lightgoldenrodyellow", RGB(250, 250, 210)}, {"lightgreen", RGB(144, 238, 144)},
    {"lightgrey", RGB(211, 211, 211)}, {"lightpink", RGB(255, 182, 193)},
    {"lightsalmon", RGB(255, 160, 122)}, {"lightseagreen", RGB(32, 178, 170)},
    {"lightskyblue", RGB(135, 206, 250)}, {"lightslategray", RGB(119, 136, 153)},
    {"lightsteelblue", RGB(176, 196, 222)}, {"lightyellow", RGB(255, 255, 224)},
    {"lime", RGB(0, 255, 0)}, {"limegreen", RGB(50, 205, 50)}, {"linen", RGB(250, 240, 230)},
    {"mediumaquamarine", RGB(102, 205, 170)}, {"mediumblue", RGB(0, 0, 205)},
    {"mediumorchid", RGB(186, 85, 211)}, {"mediumpurple", RGB(147, 112, 219)},
    {"mediumseagreen", RGB(60, 179, 113)}, {"mediumslateblue", RGB(123, 104, 238)},
    {"mediumspringgreen", RGB(0, 250, 154)}, {"mediumturquoise", RGB(72, 209, 204)},
    {"mediumvioletred", RGB(199, 21, 133)}, {"midnightblue", RGB(25, 25, 112)},
    {"mintcream", RGB(245, 255, 250)}, {"mistyrose", RGB(255, 228, 225)},
    {"moccasin", RGB(255, 228, 181)}, {"navajowhite", RGB(255, 222, 173)},
    {"oldlace", RGB(253, 245, 230)}, {"olivedrab", RGB(107, 142, 35)},
    {"orangered", RGB(255, 69, 0)}, {"orchid", RGB(218, 112, 214)},
    {"palegoldenrod", RGB(238, 232, 170)}, {"palegreen", RGB(152, 251, 152)},
    {"paleturquoise", RGB(175, 238, 238)}, {"palevioletred", RGB(219, 112, 147)},
    {"papayawhip", RGB(255, 239, 213)}, {"peachpuff", RGB(255, 218, 185)},
    {"peru", RGB(205, 133, 63)}, {"plum", RGB(221, 160, 221)}, {"powderblue", RGB(176, 224, 230)},
    {"rosybrown", RGB(188, 143, 143)}, {"royalblue", RGB(65, 105, 225)},
    {"saddlebrown", RGB(139, 69, 19)}, {"salmon", RGB(250, 128, 114)},
    {"sandybrown", RGB(244, 164, 96)}, {"seagreen", RGB(46, 139, 87)},
    {"seashell", RGB(255, 245, 238)}, {"sienna", RGB(160, 82, 45)}, {"skyblue", RGB(135, 206, 235)},
    {"slateblue", RGB(106, 90, 205)}, {"slategray", RGB(112, 128, 144)},
    {"springgreen", RGB(0, 255, 127)}, {"steelblue", RGB(70, 130, 180)}, {"tan", RGB(210, 180, 140)},
    {"teal", RGB(0, 128, 128)}, {"thistle", RGB(216, 191, 216)}, {"tomato", RGB(255, 99, 71)},
    {"turquoise", RGB(64, 224, 208)}, {"wheat", RGB(245, 222, 179)},
    {"whitesmoke", RGB(245, 245, 245)}, {"yellowgreen", RGB(154, 205, 50)},
};

struct SystemColour
{
    const char* name;
    int index;
};

// The system colour keywords of CSS, read when the table is built.
const SystemColour s_systemColours[] = {
    {"activeborder", COLOR_ACTIVEBORDER}, {"activecaption", COLOR_ACTIVECAPTION},
    {"appworkspace", COLOR_APPWORKSPACE}, {"background", COLOR_BACKGROUND},
    {"buttonface", COLOR_BTNFACE}, {"buttonhighlight", COLOR_BTNHIGHLIGHT},
    {"buttonshadow", COLOR_BTNSHADOW}, {"buttontext", COLOR_BTNTEXT},
    {"captiontext", COLOR_CAPTIONTEXT}, {"graytext", COLOR_GRAYTEXT}, {"highlight", COLOR_HIGHLIGHT},
    {"highlighttext", COLOR_HIGHLIGHTTEXT}, {"inactiveborder", COLOR_INACTIVEBORDER},
    {"inactivecaption", COLOR_INACTIVECAPTION}, {"inactivecaptiontext", COLOR_INACTIVECAPTIONTEXT},
    {"infobackground", COLOR_INFOBK}, {"infotext", COLOR_INFOTEXT}, {"menu", COLOR_MENU},
    {"menutext", COLOR_MENUTEXT}, {"scrollbar", COLOR_SCROLLBAR},
    {"threeddarkshadow", COLOR_3DDKSHADOW}, {"threedface", COLOR_3DFACE},
    {"threedhighlight", COLOR_3DHIGHLIGHT}, {"threedlightshadow", COLOR_3DLIGHT},
    {"threedshadow", COLOR_3DSHADOW}, {"window", COLOR_WINDOW}, {"windowframe", COLOR_WINDOWFRAME},
    {"windowtext", COLOR_WINDOWTEXT},
};

const char s_defaultStyleSheet[] =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

// Lengths are kept inside what GDI draws, so hostile values cannot overflow
// the sums of a layout.
const int MaxLength = 100000;
// Spans beyond this are cut; a grid is never wider or taller.
const int MaxSpan = 1024;

const int s_fontScale[7] = {8, 10, 12, 14, 18, 24, 36};

int Clamp(long long value, int lo, int hi)
{
    return value < lo ? lo : value > hi ? hi : (int)value;
}

// A keyword's result from a table; empty text gives the first row's.
struct Keyword
{
    const char* name;
    int value;
};

template <size_t N>
int ParseKeyword(const std::string& text, const Keyword (&table)[N], int fallback)
{
    if (text.empty())
        return table[0].value;
    for (size_t i = 0; i < N; ++i)
        if (text == table[i].name)
            return table[i].value;
    return fallback;
}

int ParseNumber(const std::string& text)
{
    return Clamp(strtoll(text.c_str(), NULL, 0), -MaxLength, MaxLength);
}

int ClampSpan(int span)
{
    return span < 1 ? 1 : span > MaxSpan ? MaxSpan : span;
}

int XHeight(HDC dc)
{
    GLYPHMETRICS metrics;
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    if (GetGlyphOutlineA(dc, 'x', GGO_METRICS, &metrics, 0, NULL, &identity) != GDI_ERROR)
        return (int)metrics.gmBlackBoxY;
    TEXTMETRICA tm;
    return GetTextMetricsA(dc, &tm) ? tm.tmAscent / 2 : 0;
}

} // namespace

MarkupImageAttributes::MarkupImageAttributes()
    : index(0), resourceId(NoResource), handle(NULL), hasFile(false), hasHandle(false), masked(false), maskColour(RGB(255, 0, 255)),
      effects(0), hotEffects(0), cx(0), cy(0)
{
}

CMarkupLanguage::CMarkupLanguage() : m_templateHeight(12), m_softShadow(true), m_shadowX(4), m_shadowY(4)
{
    for (size_t i = 0; i < sizeof(s_namedColours) / sizeof(s_namedColours[0]); ++i)
        m_colours[s_namedColours[i].name] = s_namedColours[i].colour;
    for (size_t i = 0; i < sizeof(s_systemColours) / sizeof(s_systemColours[0]); ++i)
        m_colours[s_systemColours[i].name] = GetSysColor(s_systemColours[i].index);
    m_style.Reset(m_templateHeight);
    LoadDefaultStyleSheet();
}

CMarkupLanguage::~CMarkupLanguage()
{
}

// ---------------------------------------------------------------- style sheet

void CMarkupLanguage::SetStyleSheet(LPCSTR text)
{
    m_sheet.clear();
    if (!text) {
        LoadDefaultStyleSheet();
        return;
    }
    m_sheetText = text;
    const std::string& t = m_sheetText;
    size_t i = 0;
    for (;;) {
        while (i < t.size() && !IsMarkupWordStart(t[i]))
            ++i;
        if (i >= t.size())
            break;
        const size_t start = i;
        while (i < t.size() && !IsMarkupBlank(t[i]) && t[i] != '{')
            ++i;
        const std::string selector = t.substr(start, i - start);
        const size_t open = t.find('{', i);
        if (open == std::string::npos)
            break;
        const size_t close = t.find('}', open + 1);
        if (close == std::string::npos)
            break;
        m_sheet[selector] = t.substr(open + 1, close - open - 1);
        i = close + 1;
    }
}

void CMarkupLanguage::LoadDefaultStyleSheet()
{
    SetStyleSheet(s_defaultStyleSheet);
}

const std::string* CMarkupLanguage::FindRule(const std::string& selector) const
{
    std::map<std::string, std::string>::const_iterator it = m_sheet.find(MarkupLower(selector));
    return it == m_sheet.end() ? NULL : &it->second;
}

bool CMarkupLanguage::ApplyRule(HDC dc, const std::string& selector)
{
    const std::string* rule = FindRule(selector);
    if (!rule)
        return false;
    ParseStyleText(dc, *rule, m_style);
    return true;
}

// ---------------------------------------------------------------- values

int CMarkupLanguage::ParseLength(HDC dc, const std::string& text, int base, bool fontScale)
{
    if (text.empty())
        return base;
    if (text[text.size() - 1] == '%')
        return Clamp(MulDiv(base, Clamp(atoll(text.c_str()), -MaxLength, MaxLength), 100), -MaxLength, MaxLength);
    std::string t = text[0] == '+' || text[0] == '-' ? text.substr(1) : text;
    if (t.size() >= 2) {
        const std::string unit = t.substr(t.size() - 2);
        const long long n = Clamp(atoll(t.substr(0, t.size() - 2).c_str()), -MaxLength, MaxLength);
        const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        TEXTMETRICA tm;
        if (unit == "px")
            return (int)n;
        if (unit == "ex")
            return Clamp(n * (dc ? XHeight(dc) : 0), -MaxLength, MaxLength);
        if (unit == "em")
            return Clamp(n * (dc && GetTextMetricsA(dc, &tm) ? tm.tmHeight : 0), -MaxLength, MaxLength);
        if (unit == "in")
            return Clamp(n * dpi, -MaxLength, MaxLength);
        if (unit == "cm")
            return Clamp((long long)(n * dpi * 0.39370078740157477), -MaxLength, MaxLength);
        if (unit == "mm")
            return Clamp((long long)(n * dpi * 0.03937007874015748), -MaxLength, MaxLength);
        if (unit == "pt")
            return Clamp(n * dpi / 72, -MaxLength, MaxLength);
        if (unit == "pc")
            return Clamp(n * dpi / 6, -MaxLength, MaxLength);
    }
    const int value = ParseNumber(t);
    if (fontScale && value >= 1 && value <= 7)
        return s_fontScale[value - 1];
    return value;
}

COLORREF CMarkupLanguage::ParseColor(const std::string& text, COLORREF fallback) const
{
    if (text.empty())
        return fallback;
    if (text[0] == '#') {
        if (text.size() != 7)
            return fallback;
        const std::string bgr = "0x" + text.substr(5, 2) + text.substr(3, 2) + text.substr(1, 2);
        return (COLORREF)strtoul(bgr.c_str(), NULL, 16);
    }
    if (isdigit((unsigned char)text[0]))
        return (COLORREF)strtoul(text.c_str(), NULL, 0);
    COLORREF colour;
    return LookUpColour(text, colour) ? colour : fallback;
}

bool CMarkupLanguage::LookUpColour(const std::string& name, COLORREF& colour) const
{
    std::map<std::string, COLORREF>::const_iterator it = m_colours.find(name);
    if (it == m_colours.end())
        return false;
    colour = it->second;
    return true;
}

int CMarkupLanguage::ParseFontStyle(const std::string& text, int fallback)
{
    static const Keyword table[] = {{"normal", 0}, {"italic", 1}, {"oblique", 1}};
    return ParseKeyword(text, table, fallback);
}

int CMarkupLanguage::ParseFontWeight(const std::string& text, int fallback)
{
    static const Keyword table[] = {{"normal", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}};
    const int keyword = ParseKeyword(text, table, -1);
    if (keyword >= 0)
        return keyword;
    return isdigit((unsigned char)text[0]) ? Clamp(atoll(text.c_str()), 0, 1000) : fallback;
}

int CMarkupLanguage::ParseTextAlign(const std::string& text, int fallback)
{
    static const Keyword table[] = {{"left", mhaLeft}, {"center", mhaCenter}, {"right", mhaRight}};
    return ParseKeyword(text, table, fallback);
}

int CMarkupLanguage::ParseVerticalAlign(const std::string& text, int fallback)
{
    static const Keyword table[] = {{"baseline", mvaBaseline}, {"middle", mvaMiddle}, {"vcenter", mvaMiddle},
                                    {"top", mvaTop}, {"bottom", mvaBottom}};
    return ParseKeyword(text, table, fallback);
}

int CMarkupLanguage::ParseTextTransform(const std::string& text, int fallback)
{
    static const Keyword table[] = {
        {"none", mtrNone}, {"uppercase", mtrUpper}, {"lowercase", mtrLower}, {"capitalize", mtrCapitalize}};
    return ParseKeyword(text, table, fallback);
}

int CMarkupLanguage::ParseBorderStyle(const std::string& text, int fallback)
{
    static const Keyword table[] = {
        {"none", mbsNone}, {"solid", mbsSolid}, {"dashed", mbsDashed}, {"dotted", mbsDotted}, {"double", mbsDouble}};
    return ParseKeyword(text, table, fallback);
}

int CMarkupLanguage::ParseBorderWidth(HDC dc, const std::string& text, int fallback)
{
    if (text.empty() || text == "thin")
        return MulDiv(fallback, 75, 100);
    if (text == "thick")
        return MulDiv(fallback, 125, 100);
    if (text == "medium")
        return fallback;
    return ParseLength(dc, text, fallback, false);
}

int CMarkupLanguage::ParseBackgroundEffect(HDC dc, const std::string& text, int fallback)
{
    static const Keyword table[] = {{"transparent", MarkupNoBackground}, {"solid", 0}, {"hgradient", 1},
                                    {"vgradient", 2}, {"hcgradient", 3}, {"vcgradient", 4},
                                    {"3hgradient", 5}, {"3vgradient", 6}};
    if (text.empty())
        return table[0].value;
    for (size_t i = 0; i < sizeof(table) / sizeof(table[0]); ++i)
        if (text == table[i].name)
            return table[i].value;
    return ParseLength(dc, text, fallback, false);
}

void CMarkupLanguage::ParseTextDecoration(const std::string& text, MarkupStyle& style)
{
    const std::string value = text.empty() ? "none" : text;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && (IsMarkupBlank(value[i]) || value[i] == ','))
            ++i;
        const size_t start = i;
        while (i < value.size() && !IsMarkupBlank(value[i]) && value[i] != ',')
            ++i;
        const std::string word = value.substr(start, i - start);
        if (word == "none")
            style.underline = style.strikeOut = style.overline = 0;
        else if (word == "underline")
            style.underline = 1;
        else if (word == "line-through")
            style.strikeOut = 1;
        else if (word == "overline")
            style.overline = 1;
    }
}

// ---------------------------------------------------------------- declarations

void CMarkupLanguage::ParseStyleText(HDC dc, const std::string& declarations, MarkupStyle& style) const
{
    const std::string t = MarkupLower(declarations);
    size_t i = 0;
    for (;;) {
        while (i < t.size() && !IsMarkupWordStart(t[i]))
            ++i;
        if (i >= t.size())
            break;
        const size_t start = i;
        while (i < t.size() && !IsMarkupBlank(t[i]) && t[i] != ':')
            ++i;
        const std::string name = t.substr(start, i - start);
        while (i < t.size() && IsMarkupBlank(t[i]))
            ++i;
        if (i >= t.size() || t[i] != ':')
            continue;
        ++i;
        while (i < t.size() && IsMarkupBlank(t[i]))
            ++i;
        std::string value;
        if (i < t.size() && t[i] == '"') {
            const size_t close = t.find('"', i + 1);
            const size_t stop = close == std::string::npos ? t.size() : close;
            value = t.substr(i + 1, stop - i - 1);
            i = stop;
            const size_t end = t.find(';', i);
            i = end == std::string::npos ? t.size() : end + 1;
        } else {
            const size_t end = t.find(';', i);
            const size_t stop = end == std::string::npos ? t.size() : end;
            value = t.substr(i, stop - i);
            while (!value.empty() && IsMarkupBlank(value[value.size() - 1]))
                value.erase(value.size() - 1);
            i = end == std::string::npos ? t.size() : end + 1;
        }

        if (name == "font-size")
            style.fontHeight = ParseLength(dc, value, style.fontHeight, true);
        else if (name == "font-family") {
            if (!value.empty())
                style.faceName = value;
        } else if (name == "font-style")
            style.italic = ParseFontStyle(value, style.italic);
        else if (name == "font-weight")
            style.weight = ParseFontWeight(value, style.weight);
        else if (name == "text-align")
            style.hAlign = ParseTextAlign(value, style.hAlign);
        else if (name == "text-transform")
            style.transform = ParseTextTransform(value, style.transform);
        else if (name == "color")
            style.textColour = ParseColor(value, style.textColour);
        else if (name == "background-color") {
            if (value == "transparent")
                style.backMode = mbmTransparent;
            else {
                style.backMode = mbmOpaque;
                style.backColour = ParseColor(value, style.backColour);
            }
        } else if (name == "text-decoration")
            ParseTextDecoration(value, style);
        else if (name == "vertical-align")
            style.vAlign = ParseVerticalAlign(value, style.vAlign);
        else if (name == "border-color")
            style.borderLight = ParseColor(value, style.borderLight);
        else if (name == "border-width" || name == "size")
            style.borderWidth = ParseBorderWidth(dc, value, style.borderWidth);
        else if (name == "border-style")
            style.borderStyle = ParseBorderStyle(value, style.borderStyle);
        else if (name == "margin-left")
            style.marginLeft = ParseLength(dc, value, style.marginLeft, false);
        else if (name == "margin-top")
            style.marginTop = ParseLength(dc, value, style.marginTop, false);
        else if (name == "margin-right")
            style.marginRight = ParseLength(dc, value, style.marginRight, false);
        else if (name == "margin-bottom")
            style.marginBottom = ParseLength(dc, value, style.marginBottom, false);
        else if (name == "padding-left")
            style.paddingLeft = ParseLength(dc, value, style.paddingLeft, false);
        else if (name == "padding-top")
            style.paddingTop = ParseLength(dc, value, style.paddingTop, false);
        else if (name == "padding-right")
            style.paddingRight = ParseLength(dc, value, style.paddingRight, false);
        else if (name == "padding-bottom")
            style.paddingBottom = ParseLength(dc, value, style.paddingBottom, false);
    }
}

// ---------------------------------------------------------------- attributes

void CMarkupLanguage::ParseTableAttributes(HDC dc, const MarkupAttributes& attributes, MarkupStyle& style,
                                           int* colSpan, int* rowSpan) const
{
    if (colSpan)
        *colSpan = 1;
    if (rowSpan)
        *rowSpan = 1;
    for (size_t i = 0; i < attributes.size(); ++i) {
        const std::string& name = attributes[i].first;
        const std::string& value = attributes[i].second;
        if (name == "rowspan") {
            if (rowSpan)
                *rowSpan = ClampSpan(ParseLength(dc, value, 1, false));
        } else if (name == "colspan") {
            if (colSpan)
                *colSpan = ClampSpan(ParseLength(dc, value, 1, false));
        } else if (name == "border") {
            style.borderWidth = ParseLength(dc, value, style.borderWidth, false);
            if (style.borderWidth == 0)
                style.borderStyle = mbsNone;
            else if (style.borderStyle == mbsNone)
                style.borderStyle = mbsSolid;
        } else if (name == "borderstyle")
            style.borderStyle = ParseBorderStyle(value, style.borderStyle);
        else if (name == "bordercolor")
            style.borderLight = style.borderDark = ParseColor(value, style.borderLight);
        else if (name == "bordercolorlight")
            style.borderLight = ParseColor(value, style.borderLight);
        else if (name == "bordercolordark")
            style.borderDark = ParseColor(value, style.borderDark);
        else if (name == "bgcolor") {
            style.backColour = ParseColor(value, style.backColour);
            if (style.backEffect == MarkupNoBackground)
                style.backEffect = 0;
        } else if (name == "bgmidcolor")
            style.gradientMiddle = ParseColor(value, style.gradientMiddle);
        else if (name == "bgendcolor")
            style.gradientEnd = ParseColor(value, style.gradientEnd);
        else if (name == "bgeffect")
            style.backEffect = ParseBackgroundEffect(dc, value, style.backEffect);
        else if (name == "align")
            style.hAlign = ParseTextAlign(value, style.hAlign);
        else if (name == "valign")
            style.vAlign = ParseVerticalAlign(value, style.vAlign);
        else if (name == "cellpadding") {
            const int margin = ParseLength(dc, value, style.marginLeft, false);
            style.marginLeft = style.marginRight = style.marginTop = style.marginBottom = margin;
        } else if (name == "cellspacing") {
            const int padding = ParseLength(dc, value, style.paddingLeft, false);
            style.paddingLeft = style.paddingRight = style.paddingTop = style.paddingBottom = padding;
        } else if (name == "background")
            style.backImage = value;
    }
}

DWORD CMarkupLanguage::ParseEffectLetters(const std::string& letters) const
{
    DWORD flags = 0;
    for (size_t i = 0; i < letters.size(); ++i) {
        switch (letters[i]) {
        case 'g': flags |= mieGrey; break;
        case 'd': flags |= mieDarker; break;
        case 'l': flags |= mieLighter; break;
        case 's':
            if (m_shadowX || m_shadowY)
                flags |= m_softShadow ? mieSoftShadow : mieShadow;
            break;
        }
    }
    return flags;
}

void CMarkupLanguage::ParseImageAttributes(HDC dc, const MarkupAttributes& attributes,
                                           MarkupImageAttributes& image) const
{
    for (size_t i = 0; i < attributes.size(); ++i) {
        const std::string& name = attributes[i].first;
        const std::string& value = attributes[i].second;
        if (name == "index")
            image.index = ParseLength(dc, value, 0, false);
        else if (name == "idres")
            image.resourceId = ParseLength(dc, value, 0, false);
        else if (name == "handle") {
            image.handle = (HANDLE)(UINT_PTR)strtoull(value.c_str(), NULL, 0);
            image.hasHandle = true;
        } else if (name == "file") {
            image.file = value;
            image.hasFile = true;
        } else if (name == "mask") {
            image.maskColour = ParseColor(value, image.maskColour);
            image.masked = true;
        } else if (name == "style")
            image.effects = ParseEffectLetters(value);
        else if (name == "hotstyle")
            image.hotEffects = ParseEffectLetters(value);
        else if (name == "cx")
            image.cx = ParseLength(dc, value, 0, false);
        else if (name == "cy")
            image.cy = ParseLength(dc, value, 0, false);
        else if (name == "width" || name == "height") {
            MarkupImageLength& length = name == "width" ? image.width : image.height;
            length.given = true;
            length.percent = !value.empty() && value[value.size() - 1] == '%';
            length.value = length.percent ? Clamp(atoll(value.c_str()), 0, MaxLength)
                                          : ParseLength(dc, value, 0, false);
        }
    }
}

// ---------------------------------------------------------------- style tags

void CMarkupLanguage::ResetStyle()
{
    m_stack.clear();
    m_style.Reset(m_templateHeight);
}

bool CMarkupLanguage::PushStyle(const std::string& name)
{
    if (m_stack.size() >= MaxStyleDepth)
        return false;
    m_stack.push_back(std::make_pair(name, m_style));
    return true;
}

bool CMarkupLanguage::PopStyle(const std::string& name)
{
    if (m_stack.empty() || m_stack.back().first != name)
        return false;
    m_style = m_stack.back().second;
    m_stack.pop_back();
    return true;
}

void CMarkupLanguage::UnwindStyles(size_t depth)
{
    if (m_stack.size() <= depth)
        return;
    m_style = m_stack[depth].second;
    m_stack.resize(depth);
}

bool CMarkupLanguage::HasStyle(const std::string& name) const
{
    for (size_t i = 0; i < m_stack.size(); ++i)
        if (m_stack[i].first == name)
            return true;
    return false;
}

bool CMarkupLanguage::IsStyleSheetTag(const std::string& name)
{
    static const char* const tags[] = {"body", "h1", "h2", "h3", "h4", "h5", "h6", "code",
                                       "pre", "big", "small", "sub", "sup"};
    for (size_t i = 0; i < sizeof(tags) / sizeof(tags[0]); ++i)
        if (name == tags[i])
            return true;
    return false;
}

bool CMarkupLanguage::ApplyStyleTag(HDC dc, const MarkupTag& tag)
{
    const std::string& n = tag.name;
    std::string styleName;
    if (n == "b")
        styleName = "bold";
    else if (n == "i" || n == "em")
        styleName = "italic";
    else if (n == "u")
        styleName = "underline";
    else if (n == "s" || n == "strike")
        styleName = "strikeout";
    else if (n == "middle" || n == "vcenter")
        styleName = "vcenter";
    else if (n == "font" || n == "span" || n == "left" || n == "center" || n == "right" || n == "baseline"
             || n == "top" || n == "bottom" || IsStyleSheetTag(n))
        styleName = n;
    else
        return false;

    if (tag.closing)
        return PopStyle(styleName);

    MarkupAttributes attributes;
    if (n == "span") {
        attributes = tag.Attributes();
        if (attributes.empty() || attributes[0].first != "class")
            return false;
    }
    if (!PushStyle(styleName))
        return false;
    MarkupStyle& s = m_style;
    if (n == "b")
        s.weight = s.weight * 2 > 900 ? 900 : s.weight * 2;
    else if (styleName == "italic")
        s.italic = !s.italic;
    else if (n == "u")
        s.underline = !s.underline;
    else if (styleName == "strikeout")
        s.strikeOut = !s.strikeOut;
    else if (n == "left" || n == "center" || n == "right")
        s.hAlign = ParseTextAlign(n, s.hAlign);
    else if (n == "baseline" || n == "top" || styleName == "vcenter" || n == "bottom")
        s.vAlign = ParseVerticalAlign(n, s.vAlign);
    else if (n == "span")
        ApplyRule(dc, "." + attributes[0].second);
    else if (n == "font") {
        attributes = tag.Attributes();
        for (size_t i = 0; i < attributes.size(); ++i) {
            const std::string& name = attributes[i].first;
            const std::string& value = attributes[i].second;
            if (name == "face") {
                if (!value.empty())
                    s.faceName = value;
            } else if (name == "size")
                s.fontHeight = ParseLength(dc, value, s.fontHeight, true);
            else if (name == "color")
                s.textColour = ParseColor(value, s.textColour);
            else if (name == "weight")
                s.weight = ParseFontWeight(value, s.weight);
            else if (name == "bkgnd") {
                if (value == "transparent")
                    s.backMode = mbmTransparent;
                else {
                    s.backMode = mbmOpaque;
                    s.backColour = ParseColor(value, s.backColour);
                }
            } else if (name == "style") {
                bool off = false;
                for (size_t k = 0; k < value.size(); ++k) {
                    const char c = value[k];
                    if (c == '-') {
                        off = true;
                        continue;
                    }
                    const int on = off ? 0 : 1;
                    switch (c) {
                    case 'b': s.weight = on ? FW_BOLD : FW_NORMAL; break;
                    case 'i': s.italic = on; break;
                    case 'u': s.underline = on; break;
                    case 's': s.strikeOut = on; break;
                    case 'o': s.overline = on; break;
                    }
                    off = false;
                }
            }
        }
    } else
        ApplyRule(dc, n);
    return true;
}
