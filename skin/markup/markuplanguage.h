#pragma once
// CMarkupLanguage: the style side of the toolkit's rich-text markup: the
// colour table, the style sheet, the current style with its stack, and the
// readers of lengths, colours, keywords, style declarations and the
// attributes of tables and images. The text drawer derives from it.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "skin/markup/markupstyle.h"
#include "skin/markup/markuptokenizer.h"

// Image effect flags the "style" and "hotstyle" letters give.
enum MarkupImageEffect
{
    mieGrey = 0x0001,
    mieDarker = 0x0002,
    mieLighter = 0x0004,
    mieShadow = 0x0100,
    mieSoftShadow = 0x0200
};

// A length attribute of an image, in pixels or as a percentage of the
// image's own size.
struct MarkupImageLength
{
    MarkupImageLength() : value(0), percent(false), given(false) {}
    int Resolve(int own) const { return !given ? own : percent ? MulDiv(own, value, 100) : value; }
    int value;
    bool percent;
    bool given;
};

struct MarkupImageAttributes
{
    MarkupImageAttributes();

    enum { NoResource = -1 };

    int index;
    int resourceId;      // "idres", NoResource when not given
    HANDLE handle;       // "handle": a bitmap or icon the caller keeps
    std::string file;
    bool hasFile;
    bool hasHandle;
    bool HasSource() const { return resourceId != NoResource || hasFile || hasHandle; }
    bool masked;
    COLORREF maskColour;
    DWORD effects;
    DWORD hotEffects;
    int cx, cy;
    MarkupImageLength width, height;
};

class CMarkupLanguage
{
public:
    // Beyond this depth opening style tags are ignored, so a text of
    // thousands of unclosed tags costs no more than this many saved styles.
    enum { MaxStyleDepth = 256 };

    CMarkupLanguage();
    virtual ~CMarkupLanguage();

    // NULL loads the default sheet.
    void SetStyleSheet(LPCSTR text);
    void LoadDefaultStyleSheet();
    const std::string& GetStyleSheetText() const { return m_sheetText; }
    // The declaration block of a selector, looked up lower-cased; NULL when
    // the sheet has none.
    const std::string* FindRule(const std::string& selector) const;
    // Applies the rule of that selector to the current style; false when
    // there is none.
    bool ApplyRule(HDC dc, const std::string& selector);

    void ParseStyleText(HDC dc, const std::string& declarations, MarkupStyle& style) const;
    static int ParseLength(HDC dc, const std::string& text, int base, bool fontScale);
    COLORREF ParseColor(const std::string& text, COLORREF fallback) const;
    static int ParseFontStyle(const std::string& text, int fallback);
    static int ParseFontWeight(const std::string& text, int fallback);
    static int ParseTextAlign(const std::string& text, int fallback);
    static int ParseVerticalAlign(const std::string& text, int fallback);
    static int ParseTextTransform(const std::string& text, int fallback);
    static int ParseBorderStyle(const std::string& text, int fallback);
    static int ParseBorderWidth(HDC dc, const std::string& text, int fallback);
    static int ParseBackgroundEffect(HDC dc, const std::string& text, int fallback);
    static void ParseTextDecoration(const std::string& text, MarkupStyle& style);

    // Reads the table and cell attributes into the style; the spans, when
    // asked for, start at 1.
    void ParseTableAttributes(HDC dc, const MarkupAttributes& attributes, MarkupStyle& style,
                              int* colSpan = NULL, int* rowSpan = NULL) const;
    void ParseImageAttributes(HDC dc, const MarkupAttributes& attributes, MarkupImageAttributes& image) const;

    // The current style and its stack.
    MarkupStyle& Style() { return m_style; }
    const MarkupStyle& Style() const { return m_style; }
    // Resets the style to the template's height and clears the stack.
    void ResetStyle();
    void ClearStyleStack() { m_stack.clear(); }
    size_t GetStyleDepth() const { return m_stack.size(); }
    // Saves the current style under name; false (nothing saved) at the
    // depth limit.
    bool PushStyle(const std::string& name);
    // Restores and drops the top entry when it carries name.
    bool PopStyle(const std::string& name);
    // Drops every entry above depth, restoring the style saved at depth:
    // tags a block left open end with it.
    void UnwindStyles(size_t depth);
    bool HasStyle(const std::string& name) const;

    // The tags that only change the style: b, i, em, u, s, strike, font,
    // span, the style-sheet tags and the alignment tags, opening and
    // closing. Answers whether the tag was one of them and the style
    // changed.
    bool ApplyStyleTag(HDC dc, const MarkupTag& tag);

    // The colour of a keyword of the colour table; false for a name it
    // lacks (names match exactly).
    bool LookUpColour(const std::string& name, COLORREF& colour) const;

protected:
    int m_templateHeight;
    // The drop-shadow settings that decide what an "s" effect letter asks.
    bool m_softShadow;
    int m_shadowX, m_shadowY;

private:
    DWORD ParseEffectLetters(const std::string& letters) const;
    static bool IsStyleSheetTag(const std::string& name);

    MarkupStyle m_style;
    std::vector<std::pair<std::string, MarkupStyle> > m_stack;
    std::string m_sheetText;
    std::map<std::string, std::string> m_sheet;
    std::map<std::string, COLORREF> m_colours;
};
