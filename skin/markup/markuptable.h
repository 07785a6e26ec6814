#pragma once
// The table records of the markup drawer and the reading of a table's text:
// its size in rows and columns, the end that matches its start, its width.
// The table pass itself is a part of CMarkupTextDrawer (markuptable.cpp).

#include <windows.h>

#include <string>
#include <vector>

#include "skin/markup/markuptokenizer.h"

struct MarkupTableCell
{
    MarkupTableCell()
        : colSpan(1), rowSpan(1), contentWidth(0), contentHeight(0), neededWidth(0), neededHeight(0)
    {
    }
    bool IsCovered() const { return colSpan < 0; }

    int colSpan;   // -1 for a cell covered by another cell's span
    int rowSpan;
    int contentWidth, contentHeight;
    int neededWidth, neededHeight;
};

struct MarkupTableRecord
{
    MarkupTableRecord() : columns(0), rows(0) {}
    MarkupTableCell& At(int row, int column) { return cells[row * columns + column]; }

    int columns;
    int rows;
    std::vector<MarkupTableCell> cells;  // row by row
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
};

// A tag found in a text: the position of its "<", the position after its
// ">" (the end of the text when it has none), its name exactly as written.
struct MarkupRawTag
{
    size_t start;
    size_t end;
    std::string name;
    std::string text;  // between "<" and ">"
};

// The next tag at or after from and before to, whose name is one of the
// names given (NULL-terminated list), or any tag when names is NULL. Tag
// names are compared as written, so the table structure is recognised in
// lower case only. False when there is none.
bool FindMarkupTag(const std::string& text, size_t from, size_t to, const char* const* names, MarkupRawTag& tag);

// The table starting at start (its "<table"): the position after the
// "</table>" that closes it, nested tables counted; the end of the text
// when it is not closed.
size_t MatchingTableEnd(const std::string& text, size_t start, size_t end);

// Rows counted by "tr", columns by the widest row's "td" tags and their
// "colspan"; nested tables are skipped.
void ScanMarkupTable(const std::string& text, size_t start, size_t end, int* columns, int* rows);

// The width of a table from its tag's "width" attribute (a percentage or a
// length), the width available and its content's width; never below the
// content.
int MarkupTableWidth(HDC dc, const MarkupAttributes& attributes, int available, int content, bool measuring);
