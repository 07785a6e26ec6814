// Tables of the markup drawer: reading a table's text, and the table pass
// that measures cells into column widths and row heights and draws them.

#include "skin/markup/markuptable.h"

#include <stdlib.h>

#include <algorithm>
#include <numeric>

#include "skin/draw/drawmanager.h"
#include "skin/markup/markuplanguage.h"
#include "skin/markup/markuptextdrawer.h"

namespace {

// A grid never holds more; a hostile table past it is left out.
const int MaxColumns = 1024;
const int MaxRows = 4096;
const int MaxCells = 1 << 18;

const char* const s_tableTags[] = {"table", "/table", NULL};
const char* const s_rowTags[] = {"tr", "/table", NULL};
const char* const s_cellTags[] = {"td", "/tr", "tr", "/table", NULL};
const char* const s_contentTags[] = {"/td", "table", NULL};

bool NameIn(const std::string& name, const char* const* names)
{
    for (; *names; ++names)
        if (name == *names)
            return true;
    return false;
}

int Sum(const std::vector<int>& values, int first, int count)
{
    return std::accumulate(values.begin() + first, values.begin() + first + count, 0);
}

// Spreads what a spanning cell needs beyond its spanned sizes evenly; the
// remainder goes to the first or the last of them.
void Spread(std::vector<int>& sizes, int first, int span, int needed, bool remainderFirst)
{
    const int have = Sum(sizes, first, span);
    if (have >= needed)
        return;
    const int difference = needed - have;
    for (int i = 0; i < span; ++i)
        sizes[first + i] += difference / span;
    sizes[remainderFirst ? first : first + span - 1] += difference % span;
}

} // namespace

bool FindMarkupTag(const std::string& text, size_t from, size_t to, const char* const* names, MarkupRawTag& tag)
{
    size_t pos = from;
    for (;;) {
        const size_t open = text.find('<', pos);
        if (open == std::string::npos || open >= to)
            return false;
        if (open + 1 < text.size() && text[open + 1] == '<') {
            pos = open + 2;
            continue;
        }
        const size_t close = text.find('>', open + 1);
        const size_t stop = close == std::string::npos ? text.size() : close;
        size_t nameEnd = open + 1;
        while (nameEnd < stop && !IsMarkupBlank(text[nameEnd]) && text[nameEnd] != '=')
            ++nameEnd;
        const std::string name = text.substr(open + 1, nameEnd - open - 1);
        if (!names || NameIn(name, names)) {
            tag.start = open;
            tag.end = close == std::string::npos ? text.size() : close + 1;
            tag.name = name;
            tag.text = text.substr(open + 1, stop - open - 1);
            return true;
        }
        pos = open + 1;
    }
}

size_t MatchingTableEnd(const std::string& text, size_t start, size_t end)
{
    int depth = 0;
    MarkupRawTag tag;
    size_t pos = start;
    while (FindMarkupTag(text, pos, end, s_tableTags, tag)) {
        depth += tag.name == "table" ? 1 : -1;
        if (depth <= 0)
            return tag.end;
        pos = tag.end;
    }
    return end;
}

void ScanMarkupTable(const std::string& text, size_t start, size_t end, int* columns, int* rows)
{
    *columns = *rows = 0;
    MarkupRawTag tag;
    if (!FindMarkupTag(text, start, end, s_tableTags, tag))
        return;
    size_t pos = tag.end;
    int count = 0;
    while (FindMarkupTag(text, pos, end, NULL, tag)) {
        pos = tag.end;
        if (tag.name == "tr") {
            // A row left open still counts its cells.
            *columns = std::max(*columns, count);
            ++*rows;
            count = 0;
        } else if (tag.name == "td") {
            const MarkupAttributes attributes = ParseMarkupTag(tag.text).Attributes();
            const std::string* span = FindMarkupAttribute(attributes, "colspan");
            const int n = span ? CMarkupLanguage::ParseLength(NULL, *span, 1, false) : 1;
            count = std::min(count + std::max(n, 1), MaxColumns);
        } else if (tag.name == "/tr") {
            *columns = std::max(*columns, count);
            count = 0;
        } else if (tag.name == "table") {
            pos = MatchingTableEnd(text, tag.start, end);
        } else if (tag.name == "/table") {
            break;
        }
    }
    *columns = std::max(*columns, count);
}

int MarkupTableWidth(HDC dc, const MarkupAttributes& attributes, int available, int content, bool measuring)
{
    const std::string* width = FindMarkupAttribute(attributes, "width");
    int result;
    if (width && !width->empty() && (*width)[width->size() - 1] == '%') {
        const int percent = std::max(atoi(width->c_str()), 0);
        if (measuring)
            result = percent <= 100 ? (percent ? MulDiv(content, 100, percent) : content)
                                    : MulDiv(content, percent, 100);
        else
            result = percent >= 100 ? available : MulDiv(available, percent, 100);
    } else if (width) {
        result = CMarkupLanguage::ParseLength(dc, *width, 0, false);
    } else {
        result = measuring ? 0 : available;
    }
    return std::max(result, content);
}

// ---------------------------------------------------------------- the table pass

void CMarkupTextDrawer::EndBlock(HDC dc, size_t depth, const MarkupStyle& saved)
{
    UnwindStyles(depth);
    Style() = saved;
    m_linkOpen = HasStyle("link");
    MakeFont(dc);
}

void CMarkupTextDrawer::DrawTableBackground(HDC dc, const RECT& rect, const MarkupStyle& style)
{
    if (style.backEffect >= 0) {
        CDrawManager::FillBackground(dc, style.backEffect, rect, style.backColour, style.gradientMiddle,
                                     style.gradientEnd);
        return;
    }
    const size_t colon = style.backImage.find(':');
    if (colon == std::string::npos)
        return;
    const std::string kind = style.backImage.substr(0, colon), value = style.backImage.substr(colon + 1);
    HBITMAP bitmap = NULL;
    if (kind == "idres") {
        const int id = ParseLength(dc, value, 0, false);
        if (id >= 1 && id <= 0xFFFF)
            bitmap = (HBITMAP)LoadImageA(ResourceModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
    } else if (kind == "file") {
        bitmap = (HBITMAP)LoadImageA(NULL, value.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    }
    if (!bitmap)
        return;
    const SIZE tile = CDrawManager::GetBitmapSize(bitmap);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    CDrawManager::TileBitmap(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0,
                             tile.cx, tile.cy);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

SIZE CMarkupTextDrawer::CellContent(HDC dc, const std::string& text, size_t& pos, size_t end, RECT rect)
{
    SIZE total = {0, 0};
    for (;;) {
        MarkupRawTag tag;
        const bool found = FindMarkupTag(text, pos, end, s_contentTags, tag);
        const size_t stop = found ? tag.start : end;
        if (stop > pos) {
            const SIZE piece = FlowPass(dc, text, pos, stop, rect);
            total.cx = std::max(total.cx, piece.cx);
            total.cy += piece.cy;
            rect.top += piece.cy;
        }
        if (!found) {
            pos = end;
            return total;
        }
        if (tag.name == "/td") {
            pos = tag.end;
            return total;
        }
        const size_t tableEnd = MatchingTableEnd(text, tag.start, end);
        const SIZE piece = TablePass(dc, text, tag.start, tableEnd, rect);
        total.cx = std::max(total.cx, piece.cx);
        total.cy += piece.cy;
        rect.top += piece.cy;
        pos = tableEnd;
    }
}

SIZE CMarkupTextDrawer::TablePass(HDC dc, const std::string& text, size_t begin, size_t end, const RECT& rect)
{
    SIZE none = {0, 0};
    MarkupRawTag tableTag;
    if (m_tableDepth >= MaxTableDepth || !FindMarkupTag(text, begin, end, s_tableTags, tableTag))
        return none;
    const size_t number = m_tableCounter++;
    MarkupTableRecord table;
    if (m_measuring) {
        int columns, rows;
        ScanMarkupTable(text, begin, end, &columns, &rows);
        if (columns > 0 && rows > 0 && rows <= MaxRows && columns * rows <= MaxCells) {
            table.columns = columns;
            table.rows = rows;
            table.cells.resize(columns * rows);
            table.columnWidths.assign(columns, 0);
            table.rowHeights.assign(rows, 0);
        }
        if (m_tables.size() <= number)
            m_tables.resize(number + 1);
        m_tables[number] = table;
    } else if (number < m_tables.size()) {
        table = m_tables[number];
    }
    if (!table.columns || !table.rows)
        return none;
    ++m_tableDepth;

    const MarkupAttributes attributes = ParseMarkupTag(tableTag.text).Attributes();
    const size_t tableDepth = GetStyleDepth();
    const MarkupStyle outer = Style();
    PushStyle("table");
    Style().Reset(m_templateHeight);
    ApplyRule(dc, "table");
    ParseTableAttributes(dc, attributes, Style());
    MakeFont(dc);
    const MarkupStyle tableStyle = Style();
    const int border = tableStyle.borderStyle == mbsDouble ? 3 * tableStyle.borderWidth : tableStyle.borderWidth;
    const int cellInset = border > 0 ? (tableStyle.borderStyle == mbsDouble ? 3 : 1) : 0;

    // Drawing: the table's place, background and border, and its columns
    // stretched to its width.
    RECT inner = rect;
    std::vector<int>& widths = table.columnWidths;
    std::vector<int>& heights = table.rowHeights;
    SIZE drawn = {rect.right - rect.left, 0};
    if (!m_measuring) {
        const int content = Sum(widths, 0, table.columns);
        const int available = rect.right - rect.left;
        const int width = MarkupTableWidth(dc, attributes, available, content, false);
        RECT box = rect;
        if (width < available && tableStyle.hAlign == mhaCenter)
            box.left += (available - width) / 2;
        else if (width < available && tableStyle.hAlign == mhaRight)
            box.left += available - width;
        box.right = box.left + width;
        drawn.cy = Sum(heights, 0, table.rows) + 2 * border;
        box.bottom = box.top + drawn.cy;
        DrawTableBackground(dc, box, tableStyle);
        CDrawManager::DrawRectBorder(dc, box, tableStyle.borderLight, tableStyle.borderDark, tableStyle.borderStyle,
                                     tableStyle.borderWidth);
        inner = box;
        InflateRect(&inner, -border, -border);
        const int extra = (inner.right - inner.left) - content;
        if (extra > 0) {
            for (int c = 0; c < table.columns; ++c)
                widths[c] += extra / table.columns;
            widths[0] += extra % table.columns;
        }
    }

    size_t pos = tableTag.end;
    int row = 0;
    MarkupRawTag tag;
    while (FindMarkupTag(text, pos, end, s_rowTags, tag) && tag.name == "tr") {
        pos = tag.end;
        const size_t rowDepth = GetStyleDepth();
        const MarkupStyle rowOuter = Style();
        PushStyle("tr");
        ApplyRule(dc, "tr");
        ParseTableAttributes(dc, ParseMarkupTag(tag.text).Attributes(), Style());
        MakeFont(dc);

        int column = 0;
        while (FindMarkupTag(text, pos, end, s_cellTags, tag) && tag.name != "tr" && tag.name != "/table") {
            pos = tag.end;
            if (tag.name == "/tr")
                break;
            while (row < table.rows && column < table.columns && table.At(row, column).IsCovered())
                ++column;
            const size_t cellDepth = GetStyleDepth();
            const MarkupStyle cellOuter = Style();
            PushStyle("td");
            ApplyRule(dc, "td");
            int colSpan, rowSpan;
            ParseTableAttributes(dc, ParseMarkupTag(tag.text).Attributes(), Style(), &colSpan, &rowSpan);
            MakeFont(dc);
            const MarkupStyle cs = Style();

            if (row >= table.rows || column >= table.columns) {
                // No place in the grid: the cell is passed over, nested
                // tables and all, alike in both passes.
                MarkupRawTag close;
                while (FindMarkupTag(text, pos, end, s_contentTags, close)) {
                    pos = close.name == "table" ? MatchingTableEnd(text, close.start, end) : close.end;
                    if (close.name == "/td")
                        break;
                }
                EndBlock(dc, cellDepth, cellOuter);
                continue;
            }
            // Spans are cut at the grid's edge.
            colSpan = std::min(colSpan, table.columns - column);
            rowSpan = std::min(rowSpan, table.rows - row);
            MarkupTableCell& cell = table.At(row, column);

            if (m_measuring) {
                for (int k = 1; k < colSpan; ++k)
                    table.At(row, column + k).colSpan = table.At(row, column + k).rowSpan = -1;
                for (int k = 1; k < rowSpan; ++k)
                    table.At(row + k, column).colSpan = table.At(row + k, column).rowSpan = -1;
                RECT empty = {0, 0, 0, 0};
                const SIZE content = CellContent(dc, text, pos, end, empty);
                cell.colSpan = colSpan;
                cell.rowSpan = rowSpan;
                cell.contentWidth = content.cx;
                cell.contentHeight = content.cy;
                cell.neededWidth = content.cx + cs.paddingLeft + cs.paddingRight + cs.marginLeft + cs.marginRight
                                   + 2 * cellInset;
                cell.neededHeight = content.cy + cs.paddingTop + cs.paddingBottom + cs.marginTop + cs.marginBottom
                                    + 2 * cellInset;
            } else {
                RECT box;
                box.left = inner.left + Sum(widths, 0, column);
                box.right = box.left + Sum(widths, column, cell.colSpan > 0 ? cell.colSpan : 1);
                box.top = inner.top + Sum(heights, 0, row);
                box.bottom = box.top + Sum(heights, row, cell.rowSpan > 0 ? cell.rowSpan : 1);
                box.left += cs.paddingLeft;
                box.top += cs.paddingTop;
                box.right -= cs.paddingRight;
                box.bottom -= cs.paddingBottom;
                if (cs.backEffect >= 0)
                    CDrawManager::FillBackground(dc, cs.backEffect, box, cs.backColour, cs.gradientMiddle,
                                                 cs.gradientEnd);
                CDrawManager::DrawRectBorder(dc, box, cs.borderLight, cs.borderDark, cs.borderStyle, 1);
                InflateRect(&box, -cellInset, -cellInset);
                box.left += cs.marginLeft;
                box.top += cs.marginTop;
                box.right -= cs.marginRight;
                box.bottom -= cs.marginBottom;
                const int free = (box.bottom - box.top) - cell.contentHeight;
                if (cs.vAlign == mvaMiddle)
                    box.top += free / 2;
                else if (cs.vAlign == mvaBottom)
                    box.top += free;
                CellContent(dc, text, pos, end, box);
            }
            column += colSpan;
            EndBlock(dc, cellDepth, cellOuter);
        }
        EndBlock(dc, rowDepth, rowOuter);
        ++row;
    }

    SIZE size = drawn;
    if (m_measuring) {
        // Column widths, then row heights, settled from the narrowest spans
        // up, cells of one span in grid order.
        std::vector<int> order;
        for (int i = 0; i < (int)table.cells.size(); ++i)
            if (!table.cells[i].IsCovered())
                order.push_back(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return table.cells[a].colSpan < table.cells[b].colSpan; });
        for (size_t i = 0; i < order.size(); ++i) {
            const MarkupTableCell& cell = table.cells[order[i]];
            Spread(widths, order[i] % table.columns, cell.colSpan, cell.neededWidth, false);
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return table.cells[a].rowSpan < table.cells[b].rowSpan; });
        for (size_t i = 0; i < order.size(); ++i) {
            const MarkupTableCell& cell = table.cells[order[i]];
            Spread(heights, order[i] / table.columns, cell.rowSpan, cell.neededHeight, true);
        }
        m_tables[number] = table;
        size.cx = MarkupTableWidth(dc, attributes, 0, Sum(widths, 0, table.columns) + 2 * border, true);
        size.cy = Sum(heights, 0, table.rows) + 2 * border;
    }
    EndBlock(dc, tableDepth, outer);
    --m_tableDepth;
    return size;
}
