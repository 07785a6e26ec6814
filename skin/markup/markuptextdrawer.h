#pragma once
// CMarkupTextDrawer: measures and draws a text written in the markup
// language (markuplanguage.h): runs in changing fonts and colours, line
// breaks and tab stops, alignment, images, string resources, rules,
// hyperlinks and tables. It works in two passes over the same text: the
// measuring pass records every line's size and every table's columns and
// rows, the drawing pass reads them back to align lines and size cells.
// Drawing a text other than the one measured last measures it first.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "skin/markup/markuplanguage.h"
#include "skin/markup/markuptable.h"

class CMarkupTextDrawer : public CMarkupLanguage
{
public:
    // A drawn piece of a hyperlink.
    struct HotArea
    {
        RECT rect;
        int kind;  // 1 "href", 2 "msg"
        std::string link;
        int index;
    };

    CMarkupTextDrawer();
    ~CMarkupTextDrawer() override;

    // Draws in (left, top, right - 1, bottom - 1).
    void Draw(HDC dc, const std::string& text, int left, int top, int right, int bottom);
    // The size of the text: the widest line + 2 and the total height + 2.
    SIZE Measure(HDC dc, const std::string& text);

    // The module resources ("idres", "string") are loaded from; NULL for
    // the program's own.
    void SetInstance(HINSTANCE module) { m_module = module; }
    // The list "ilst" tags without a source draw from; the drawer owns it.
    void SetImageList(HIMAGELIST list);
    // Line lineIndex (from 0) of the string resource id, lines cut at line
    // feeds; empty when there is none.
    std::string GetResourceStringLine(UINT id, int lineIndex) const;

    const std::vector<HotArea>& GetHotAreas() const { return m_hotAreas; }
    HCURSOR GetLinkCursor() const { return m_linkCursor; }

private:
    struct LineRecord
    {
        int width;
        int height;
        int descent;
        int percent;
        int align;
    };

    enum { MaxTableDepth = 16 };

    SIZE Pass(HDC dc, const std::string& text, const RECT& rect, bool measuring);
    SIZE FlowPass(HDC dc, const std::string& text, size_t begin, size_t end, const RECT& rect);
    SIZE TablePass(HDC dc, const std::string& text, size_t begin, size_t end, const RECT& rect);
    // The content of one cell: flows and nested tables up to its "</td".
    SIZE CellContent(HDC dc, const std::string& text, size_t& pos, size_t end, RECT rect);
    // Restores the style of a block's start, whatever its content left open.
    void EndBlock(HDC dc, size_t depth, const MarkupStyle& saved);

    void MakeFont(HDC dc);
    void StartLine();
    void NewLine(int count);
    void Tab(int count);
    void NoteAlignment() { m_lineAlign = Style().hAlign; }
    void RaiseLine(int ascent, int descent);
    int LineTopOffset(int height, bool image) const;
    LineRecord CurrentLine() const;
    void AddHotArea(int x, int y, int width, int height);

    void HandleTag(HDC dc, const MarkupTag& tag);
    void TextRun(HDC dc, std::string text, bool plain);
    void Rule(HDC dc, const MarkupAttributes& attributes);
    void Image(HDC dc, const MarkupTag& tag);
    // Sizes an image, takes its place in the line and answers whether to
    // draw it (drawing pass, not empty) into box with these effects.
    bool PlaceImage(const MarkupImageAttributes& image, int ownWidth, int ownHeight, RECT* box, DWORD* flags);
    void PlaceBitmap(HDC dc, HBITMAP bitmap, const MarkupImageAttributes& image, int ownWidth, int ownHeight);
    void PlaceIcon(HDC dc, HICON icon, const MarkupImageAttributes& image);
    void StringResource(HDC dc, const MarkupAttributes& attributes);
    void Link(HDC dc, const MarkupAttributes& attributes);
    std::string LoadResourceString(int id) const;
    HMODULE ResourceModule() const;
    void PlacePiece(int width, int height, int* x, int* y);
    void DrawTableBackground(HDC dc, const RECT& rect, const MarkupStyle& style);

    LOGFONTA m_fontTemplate;
    HFONT m_font;
    HGDIOBJ m_oldFont;
    int m_oldBkMode;
    COLORREF m_oldTextColour, m_oldBkColour;
    TEXTMETRICA m_tm;
    bool m_measuring;

    POINT m_pen;
    int m_lineHeight;   // the largest ascent while measuring, then ascent + descent
    int m_lineDescent;
    int m_linePercent;
    int m_lineAlign;
    RECT m_rect;
    int m_widest;
    size_t m_lineIndex;
    std::vector<LineRecord> m_lines;

    std::vector<MarkupTableRecord> m_tables;
    size_t m_tableCounter;
    int m_tableDepth;

    int m_linkCounter;
    int m_hoveredLink;
    bool m_linkOpen;
    int m_linkKind;
    std::string m_linkText;
    std::vector<HotArea> m_hotAreas;

    std::string m_measuredText;
    HCURSOR m_linkCursor;
    HIMAGELIST m_imageList;
    HMODULE m_module;

    int m_blurWidth, m_blurHeight;
    int m_darkness;
    COLORREF m_shadowColour;
    bool m_lineBreaks;
};
