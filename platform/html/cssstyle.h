#pragma once
// The style of one element as the layout uses it, and the parsing of CSS
// declarations into it. Lengths are pixels once computed; percentages stay
// percentages until the layout knows what they are a part of.

#include <windows.h>

#include <cstdint>
#include <string>

enum class CssDisplay : uint8_t { Inline, Block, InlineBlock, ListItem, Table, TableRowGroup, TableRow, TableCell, None };
enum class CssWhiteSpace : uint8_t { Normal, NoWrap, Pre };
enum class CssOverflow : uint8_t { Visible, Hidden, Auto, Scroll };
enum class CssTextAlign : uint8_t { Left, Center, Right };
enum class CssVerticalAlign : uint8_t { Baseline, Top, Middle, Bottom };
enum class CssBorderStyle : uint8_t { None, Solid, Dashed, Dotted, Inset, Outset };

struct CssLength
{
    enum Unit : uint8_t { Auto, Px, Percent };
    Unit unit = Auto;
    float value = 0;

    static CssLength Pixels(float v) { CssLength l; l.unit = Px; l.value = v; return l; }
    bool IsAuto() const { return unit == Auto; }
    // Pixels of a length against a reference (the containing width); auto gives fallback.
    int Resolve(int reference, int fallback = 0) const;
};

// Colours carry their own "set" bit: 0 is transparent.
struct CssColor
{
    COLORREF rgb = 0;
    bool set = false;
    static CssColor Of(COLORREF c) { CssColor x; x.rgb = c; x.set = true; return x; }
};

struct CCssStyle
{
    // Not inherited.
    CssDisplay display = CssDisplay::Inline;
    CssOverflow overflow = CssOverflow::Visible;
    CssVerticalAlign verticalAlign = CssVerticalAlign::Baseline;
    CssLength width, height;
    CssLength margin[4] = {CssLength::Pixels(0), CssLength::Pixels(0), CssLength::Pixels(0), CssLength::Pixels(0)};  // top, right, bottom, left
    int padding[4] = {0, 0, 0, 0};
    int borderWidth[4] = {0, 0, 0, 0};
    CssBorderStyle borderStyle[4] = {CssBorderStyle::None, CssBorderStyle::None, CssBorderStyle::None, CssBorderStyle::None};
    CssColor borderColor[4];
    bool borderColorSet[4] = {false, false, false, false};  // else the text colour
    CssColor background;
    const std::wstring* backgroundImage = nullptr;  // interned url
    bool backgroundRepeatX = true, backgroundRepeatY = true;
    const std::string* behavior = nullptr;          // interned behaviour name

    // Inherited.
    CssColor color = CssColor::Of(RGB(0, 0, 0));
    const std::wstring* fontFamily = nullptr;       // interned list as written
    int fontSize = 16;                              // pixels
    int fontWeight = 400;
    bool italic = false;
    bool underline = false;
    bool lineThrough = false;
    int lineHeight = 0;                             // 0 = normal
    CssTextAlign textAlign = CssTextAlign::Left;
    CssWhiteSpace whiteSpace = CssWhiteSpace::Normal;
    bool hidden = false;                            // visibility: hidden
    bool pointer = false;                           // cursor: pointer / hand

    // The inherited half is taken from the parent, the rest reset.
    void InheritFrom(const CCssStyle& parent);

    int BorderPaddingH() const { return borderWidth[1] + borderWidth[3] + padding[1] + padding[3]; }
    int BorderPaddingV() const { return borderWidth[0] + borderWidth[2] + padding[0] + padding[2]; }
};

// Applies every declaration of a text such as "width: 10px; color: red" to a
// style. Unknown properties and bad values are skipped.
void ApplyCssDeclarations(CCssStyle& style, const CCssStyle* parent, const wchar_t* text, size_t length);

// One declaration; the property name in lower case.
bool ApplyCssProperty(CCssStyle& style, const CCssStyle* parent, const std::string& name, const std::wstring& value);

// Colour names, #rgb, #rrggbb and rgb(r, g, b).
bool ParseCssColor(const std::wstring& text, CssColor& color);

// Lengths as CSS writes them; a bare number is pixels.
bool ParseCssLength(const std::wstring& text, int fontSize, CssLength& length);

// Process-wide interning of the few distinct strings styles point at.
const std::wstring* InternCssString(const std::wstring& text);
const std::string* InternCssName(const std::string& text);
