#include "platform/html/htmllayout.h"

#include "platform/html/htmlfonts.h"
#include "platform/html/htmlimage.h"
#include "platform/html/htmlinline.h"
#include "platform/html/htmlnode.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace
{
const int kMaxColumns = 1000;
const int kMaxExtent = 1000000;

int Clamp(long long v)
{
    return static_cast<int>(std::max<long long>(-kMaxExtent, std::min<long long>(kMaxExtent, v)));
}

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

int AttributeInt(const CHtmlNode* e, const char* name, int fallback, int lo, int hi)
{
    const std::wstring* v = e->Attribute(name);
    if (!v || v->empty())
        return fallback;
    int n = _wtoi(v->c_str());
    return std::max(lo, std::min(hi, n));
}

bool IsTableCell(const CHtmlNode* n)
{
    return n->IsElement() && n->style.display == CssDisplay::TableCell;
}

bool IsTableRow(const CHtmlNode* n)
{
    return n->IsElement() && n->style.display == CssDisplay::TableRow;
}

bool IsRowGroup(const CHtmlNode* n)
{
    return n->IsElement() && n->style.display == CssDisplay::TableRowGroup;
}

// Deeper than any tree the parser builds; a guard for trees built otherwise.
const int kMaxInlineDepth = 1024;

// Whether an inline element holds block-level content, however deep inside
// its inline content; such an element is laid out as a block of its own.
// Each element's answer is kept until it or its content changes, so a page
// asks each element once: nested inline elements cost linear time.
bool ContainsBlock(const CHtmlNode* e, int depth = 0)
{
    if (e->box.blockContent >= 0)
        return e->box.blockContent != 0;
    bool found = false;
    for (const CHtmlNode* c : e->children)
    {
        if (!c->IsElement() || c->style.display == CssDisplay::None)
            continue;
        if (c->style.display != CssDisplay::Inline)
            found = CHtmlLayout::IsBlockLevel(c);
        else
            found = !CHtmlLayout::IsAtomicInline(c) && depth < kMaxInlineDepth && ContainsBlock(c, depth + 1);
        if (found)
            break;
    }
    e->box.blockContent = found ? 1 : 0;
    return found;
}

bool BlankText(const CHtmlNode* n)
{
    if (n->kind != CHtmlNode::Text)
        return false;
    for (wchar_t c : n->text)
        if (!IsSpace(c))
            return false;
    return true;
}

int MarginPx(const CssLength& l, int reference)
{
    return l.IsAuto() ? 0 : l.Resolve(reference);
}

int LineHeightFor(const CCssStyle& s, CHtmlFont* f, int& ascent, int& descent)
{
    ascent = f->Ascent();
    descent = f->Descent();
    if (s.lineHeight > 0)
    {
        int leading = s.lineHeight - (ascent + descent);
        ascent += leading / 2;
        descent += leading - leading / 2;
    }
    return ascent + descent;
}

// One line being filled.
struct LineState
{
    size_t first = 0;
    int x = 0;
    bool hasText = false;
    bool pendingSpace = false;
    bool spaceBreaks = false;  // lines may break at the pending blank
    CHtmlFont* spaceFont = nullptr;
};
}  // namespace

bool CHtmlLayout::IsAtomicInline(const CHtmlNode* n)
{
    if (!n->IsElement())
        return false;
    return n->style.display == CssDisplay::InlineBlock || (n->TagFlags() & kTagAtomic);
}

bool CHtmlLayout::IsBlockLevel(const CHtmlNode* n)
{
    if (!n->IsElement())
        return false;
    switch (n->style.display)
    {
    case CssDisplay::Block:
    case CssDisplay::ListItem:
    case CssDisplay::Table:
    case CssDisplay::TableRowGroup:
    case CssDisplay::TableRow:
    case CssDisplay::TableCell:
        return true;
    case CssDisplay::Inline:
        return !IsAtomicInline(n) && ContainsBlock(n);
    default:
        return false;
    }
}

void CHtmlLayout::ReplacedSize(const CHtmlNode* e, int& width, int& height)
{
    const CCssStyle& s = e->style;
    width = s.width.unit == CssLength::Px ? s.width.Resolve(0) : -1;
    height = s.height.unit == CssLength::Px ? s.height.Resolve(0) : -1;
    if (e->Is(HtmlTag::Img))
    {
        int iw = e->image ? e->image->Width() : 0, ih = e->image ? e->image->Height() : 0;
        if (width < 0 && height < 0)
            width = iw, height = ih;
        else if (width < 0)
            width = ih ? MulDiv(height, iw, ih) : iw;
        else if (height < 0)
            height = iw ? MulDiv(width, ih, iw) : ih;
    }
    else if (e->Is(HtmlTag::Input))
    {
        bool box = e->IsCheckType();
        if (width < 0)
            width = box ? 13 : 150;
        if (height < 0)
            height = box ? 13 : 20;
    }
    else
    {
        if (width < 0)
            width = 100;
        if (height < 0)
            height = 20;
    }
    width = std::max(0, std::min(width, kMaxExtent));
    height = std::max(0, std::min(height, kMaxExtent));
}

void CHtmlLayout::LoadImages(CHtmlNode* e)
{
    if (e->Is(HtmlTag::Img) && !e->image)
    {
        const std::wstring* src = e->Attribute("src");
        if (src && !src->empty() && m_images)
            e->image = m_images(*src);
    }
    if (e->style.backgroundImage && !e->backgroundImage && m_images && !e->style.backgroundImage->empty())
        e->backgroundImage = m_images(*e->style.backgroundImage);
}

void CHtmlLayout::EnsureFlows(CHtmlNode* e)
{
    if (e->box.flowsValid)
        return;
    e->flows.clear();
    e->box.flowsValid = true;
    CssDisplay d = e->style.display;
    if (d == CssDisplay::Table || d == CssDisplay::TableRowGroup)
    {
        for (CHtmlNode* c : e->children)
            if (IsTableRow(c) || (d == CssDisplay::Table && IsRowGroup(c)))
            {
                CHtmlFlow f;
                f.element = c;
                e->flows.push_back(std::move(f));
            }
        return;
    }
    if (d == CssDisplay::TableRow)
    {
        for (CHtmlNode* c : e->children)
            if (IsTableCell(c))
            {
                CHtmlFlow f;
                f.element = c;
                e->flows.push_back(std::move(f));
            }
        return;
    }
    CHtmlInlineRun* run = nullptr;
    bool runHasContent = false;
    auto closeRun = [&] {
        if (run && !runHasContent)
            e->flows.pop_back();  // blanks between blocks are no content
        run = nullptr;
        runHasContent = false;
    };
    for (CHtmlNode* c : e->children)
    {
        if (c->IsElement() && c->style.display == CssDisplay::None)
            continue;
        if (IsBlockLevel(c))
        {
            closeRun();
            CHtmlFlow f;
            f.element = c;
            e->flows.push_back(std::move(f));
            continue;
        }
        if (!run)
        {
            CHtmlFlow f;
            f.run.reset(new CHtmlInlineRun());
            run = f.run.get();
            e->flows.push_back(std::move(f));
        }
        run->items.push_back(c);
        if (!BlankText(c) || e->style.whiteSpace == CssWhiteSpace::Pre)
            runHasContent = true;
    }
    closeRun();
}

std::vector<CHtmlNode*> CHtmlLayout::TableRows(CHtmlNode* table)
{
    EnsureFlows(table);
    std::vector<CHtmlNode*> rows;
    for (CHtmlFlow& f : table->flows)
    {
        CHtmlNode* c = f.element;
        if (IsRowGroup(c))
        {
            EnsureFlows(c);
            for (CHtmlFlow& g : c->flows)
                rows.push_back(g.element);
        }
        else
            rows.push_back(c);
    }
    return rows;
}

void CHtmlLayout::LayoutRoot(CHtmlNode* root, int width, int height)
{
    Layout(root, std::max(0, width), -1, false, height);
    root->box.x = 0;
    root->box.y = 0;
}

void CHtmlLayout::Layout(CHtmlNode* e, int available, int forcedWidth, bool shrink, int containingHeight)
{
    CHtmlBox& b = e->box;
    if (!b.dirty && b.layoutWidth == available && b.layoutForced == forcedWidth && b.layoutShrink == shrink &&
        b.layoutHeight == containingHeight)
        return;
    LoadImages(e);
    const CCssStyle& s = e->style;
    if (s.display == CssDisplay::Table)
    {
        LayoutTable(e, available, forcedWidth);
    }
    else if (IsAtomicInline(e) && s.display != CssDisplay::InlineBlock)
    {
        int w, h;
        ReplacedSize(e, w, h);
        b.width = w + s.BorderPaddingH();
        b.height = h + s.BorderPaddingV();
        b.contentHeight = h;
        b.inkBottom = b.height;
    }
    else
    {
        EnsureFlows(e);
        int bp = s.BorderPaddingH();
        int borderWidth;
        if (forcedWidth >= 0)
            borderWidth = forcedWidth;
        else if (!s.width.IsAuto())
            borderWidth = s.width.Resolve(available) + bp;
        else if (shrink)
        {
            int mn, mx;
            Intrinsic(e, mn, mx);
            int room = available - MarginPx(s.margin[1], available) - MarginPx(s.margin[3], available);
            borderWidth = std::min(std::max(mn, room), mx);
        }
        else
            borderWidth = available - MarginPx(s.margin[1], available) - MarginPx(s.margin[3], available);
        borderWidth = std::max(borderWidth, bp);
        int contentWidth = borderWidth - bp;

        int fixedHeight = -1;
        if (s.height.unit == CssLength::Px)
            fixedHeight = s.height.Resolve(0);
        else if (s.height.unit == CssLength::Percent && containingHeight >= 0)
            fixedHeight = std::max(0, s.height.Resolve(containingHeight) - s.BorderPaddingV());
        bool scrolls = (s.overflow == CssOverflow::Auto || s.overflow == CssOverflow::Scroll) && fixedHeight >= 0;

        int contentHeight = 0, ink = 0;
        b.hasScrollBar = scrolls && s.overflow == CssOverflow::Scroll;
        LayoutFlows(e, contentWidth - (b.hasScrollBar ? kHtmlScrollBarWidth : 0), contentHeight, ink);
        if (scrolls && !b.hasScrollBar && contentHeight > fixedHeight + s.padding[0] + s.padding[2] &&
            contentWidth > kHtmlScrollBarWidth)
        {
            b.hasScrollBar = true;
            LayoutFlows(e, contentWidth - kHtmlScrollBarWidth, contentHeight, ink);
        }
        b.contentHeight = contentHeight;
        int height = fixedHeight >= 0 ? fixedHeight : contentHeight;
        b.width = borderWidth;
        b.height = height + s.BorderPaddingV();
        b.inkBottom = (s.overflow == CssOverflow::Visible) ? std::max(b.height, ink) : b.height;
        if (!b.hasScrollBar)
            b.scrollY = 0;
        b.scrollY = std::max(0, std::min(b.scrollY, std::max(0, contentHeight - height)));
    }
    b.naturalHeight = b.height;
    b.contentOffsetY = 0;
    b.dirty = false;
    b.layoutWidth = available;
    b.layoutForced = forcedWidth;
    b.layoutShrink = shrink;
    b.layoutHeight = containingHeight;
}

void CHtmlLayout::LayoutFlows(CHtmlNode* e, int contentWidth, int& contentHeight, int& inkBottom)
{
    const CCssStyle& s = e->style;
    int left = s.borderWidth[3] + s.padding[3];
    int top = s.borderWidth[0] + s.padding[0];
    int y = 0;
    int prevMargin = 0;
    int innerHeight = -1;
    if (s.height.unit == CssLength::Px)
        innerHeight = s.height.Resolve(0);
    inkBottom = 0;
    for (CHtmlFlow& f : e->flows)
    {
        if (f.run)
        {
            y += prevMargin;
            prevMargin = 0;
            LayoutInline(e, *f.run, std::max(0, contentWidth));
            f.run->x = left;
            f.run->y = top + y;
            for (CHtmlFragment& fr : f.run->fragments)
                if (fr.kind != CHtmlFragment::Text)
                {
                    fr.node->box.x += left;
                    fr.node->box.y += top + y;
                }
            y += f.run->height;
            inkBottom = std::max(inkBottom, top + y);
            continue;
        }
        CHtmlNode* c = f.element;
        const CCssStyle& cs = c->style;
        int mt = MarginPx(cs.margin[0], contentWidth), mb = MarginPx(cs.margin[2], contentWidth);
        int ml = MarginPx(cs.margin[3], contentWidth), mr = MarginPx(cs.margin[1], contentWidth);
        // A row or cell outside a table is laid out as a block.
        Layout(c, contentWidth, -1, false, innerHeight);
        y += std::max(prevMargin, mt);
        int x = ml;
        if (cs.margin[3].IsAuto() && cs.margin[1].IsAuto())
            x = std::max(0, (contentWidth - c->box.width) / 2);
        else if (cs.margin[3].IsAuto() && !cs.width.IsAuto())
            x = std::max(0, contentWidth - c->box.width - mr);
        c->box.x = left + x;
        c->box.y = top + y;
        inkBottom = std::max(inkBottom, c->box.y + c->box.inkBottom);
        y += c->box.height;
        prevMargin = mb;
    }
    y += prevMargin;
    contentHeight = y;
}

void CHtmlLayout::LayoutTable(CHtmlNode* table, int available, int forcedWidth)
{
    const CCssStyle& s = table->style;
    CHtmlBox& b = table->box;
    int spacing = AttributeInt(table, "cellspacing", 2, 0, 1000);
    std::vector<CHtmlNode*> rows = TableRows(table);
    // Column constraints from the cells.
    int columns = 0;
    std::vector<int> colMin, colMax, colFixed;
    auto grow = [&](int n) {
        if (n > columns)
        {
            columns = n;
            colMin.resize(n, 0);
            colMax.resize(n, 0);
            colFixed.resize(n, -1);
        }
    };
    struct Span
    {
        int col, span, mn, mx;
    };
    std::vector<Span> spans;
    std::vector<int> cellSpans;  // every cell's colspan, in order, read once
    cellSpans.reserve(rows.size());
    for (CHtmlNode* row : rows)
    {
        EnsureFlows(row);
        int col = 0;
        for (CHtmlFlow& f : row->flows)
        {
            CHtmlNode* cell = f.element;
            int span = AttributeInt(cell, "colspan", 1, 1, kMaxColumns);
            cellSpans.push_back(span);
            if (col >= kMaxColumns)
                continue;
            span = std::min(span, kMaxColumns - col);
            grow(col + span);
            int mn, mx;
            Intrinsic(cell, mn, mx);
            int fixed = cell->style.width.unit == CssLength::Px ? cell->style.width.Resolve(0) + cell->style.BorderPaddingH() : -1;
            if (fixed >= 0)
            {
                mn = std::max(mn, 0);
                mx = std::max(mn, fixed);
            }
            if (span == 1)
            {
                colMin[col] = std::max(colMin[col], mn);
                colMax[col] = std::max(colMax[col], mx);
                if (fixed >= 0)
                    colFixed[col] = std::max(colFixed[col], fixed);
            }
            else
                spans.push_back({col, span, mn, mx});
            col += span;
        }
    }
    for (const Span& sp : spans)
    {
        long long sumMin = 0, sumMax = 0;
        for (int c = sp.col; c < sp.col + sp.span; ++c)
            sumMin += colMin[c], sumMax += colMax[c];
        int inner = spacing * (sp.span - 1);
        if (sp.mn - inner > sumMin)
        {
            int extra = Clamp((sp.mn - inner - sumMin) / sp.span + 1);
            for (int c = sp.col; c < sp.col + sp.span; ++c)
                colMin[c] += extra;
        }
        if (sp.mx - inner > sumMax)
        {
            int extra = Clamp((sp.mx - inner - sumMax) / sp.span + 1);
            for (int c = sp.col; c < sp.col + sp.span; ++c)
                colMax[c] += extra;
        }
    }
    long long sumMin = 0, sumMax = 0;
    for (int c = 0; c < columns; ++c)
    {
        if (colFixed[c] >= 0)
            colMax[c] = std::max(colMin[c], colFixed[c]);
        colMax[c] = std::max(colMax[c], colMin[c]);
        sumMin += colMin[c];
        sumMax += colMax[c];
    }
    int bp = s.BorderPaddingH();
    int spacingTotal = columns > 0 ? spacing * (columns + 1) : 0;
    int contentWidth;
    if (forcedWidth >= 0)
        contentWidth = forcedWidth - bp;
    else if (!s.width.IsAuto())
        contentWidth = s.width.Resolve(available - MarginPx(s.margin[1], available) - MarginPx(s.margin[3], available)) - bp;
    else
        contentWidth = Clamp(std::min<long long>(available - MarginPx(s.margin[1], available) - MarginPx(s.margin[3], available) - bp,
                                                 sumMax + spacingTotal));
    contentWidth = Clamp(std::max<long long>(contentWidth, sumMin + spacingTotal));
    // Column widths: minimums first, then toward the maximums, then what is
    // left to the columns without a fixed width.
    std::vector<int> colWidth(colMin);
    long long room = contentWidth - spacingTotal - sumMin;
    if (room > 0 && columns > 0)
    {
        long long want = sumMax - sumMin;
        if (want >= room && want > 0)
        {
            long long given = 0;
            for (int c = 0; c < columns; ++c)
            {
                long long add = (colMax[c] - colMin[c]) * room / want;
                colWidth[c] += static_cast<int>(add);
                given += add;
            }
            for (int c = 0; c < columns && given < room; ++c)
                if (colWidth[c] < colMax[c])
                    ++colWidth[c], ++given;
        }
        else
        {
            for (int c = 0; c < columns; ++c)
                colWidth[c] = colMax[c];
            long long left = room - want;
            long long autoMax = 0;
            int autoCount = 0;
            for (int c = 0; c < columns; ++c)
                if (colFixed[c] < 0)
                    autoMax += colMax[c], ++autoCount;
            bool toAll = autoCount == 0;
            long long weightSum = toAll ? sumMax : autoMax;
            int count = toAll ? columns : autoCount;
            long long given = 0;
            for (int c = 0; c < columns; ++c)
            {
                if (!toAll && colFixed[c] >= 0)
                    continue;
                long long add = weightSum > 0 ? left * colMax[c] / weightSum : left / count;
                colWidth[c] += static_cast<int>(add);
                given += add;
            }
            for (int c = columns - 1; c >= 0 && given < left; --c)
                if (toAll || colFixed[c] < 0)
                {
                    colWidth[c] += static_cast<int>(left - given);
                    given = left;
                }
        }
    }
    std::vector<int> colX(columns + 1, 0);
    for (int c = 0; c < columns; ++c)
        colX[c + 1] = colX[c] + colWidth[c] + spacing;

    // Rows, each cell as tall as its row.
    int left = s.borderWidth[3] + s.padding[3];
    int top = s.borderWidth[0] + s.padding[0];
    int y = rows.empty() ? 0 : spacing;
    int rowWidth = std::max(0, contentWidth - 2 * spacing);
    size_t nextCell = 0;
    auto layoutRow = [&](CHtmlNode* row, int originY) {
        int col = 0, rowHeight = 0;
        if (row->style.height.unit == CssLength::Px)
            rowHeight = row->style.height.Resolve(0);
        for (CHtmlFlow& f : row->flows)
        {
            CHtmlNode* cell = f.element;
            int span = nextCell < cellSpans.size() ? cellSpans[nextCell++] : 1;
            if (col >= columns)
            {
                cell->box.width = cell->box.height = 0;
                continue;
            }
            span = std::min(span, columns - col);
            int width = colX[col + span] - colX[col] - spacing;
            Layout(cell, width, width, false, -1);
            cell->box.x = colX[col];
            cell->box.y = 0;
            rowHeight = std::max(rowHeight, cell->box.naturalHeight);
            col += span;
        }
        for (CHtmlFlow& f : row->flows)
        {
            CHtmlNode* cell = f.element;
            int natural = cell->box.naturalHeight;
            cell->box.height = rowHeight;
            cell->box.inkBottom = std::max(rowHeight, cell->box.inkBottom);
            CssVerticalAlign va = cell->style.verticalAlign;
            cell->box.contentOffsetY = va == CssVerticalAlign::Middle   ? (rowHeight - natural) / 2
                                       : va == CssVerticalAlign::Bottom ? rowHeight - natural
                                                                         : 0;
        }
        row->box.x = left + spacing;
        row->box.y = originY;
        row->box.width = rowWidth;
        row->box.height = rowHeight;
        row->box.inkBottom = rowHeight;
        row->box.dirty = false;
        return rowHeight;
    };
    for (CHtmlFlow& f : table->flows)
    {
        CHtmlNode* c = f.element;
        if (IsRowGroup(c))
        {
            c->box.x = 0;
            c->box.y = 0;
            for (CHtmlFlow& g : c->flows)
            {
                y += layoutRow(g.element, top + y);
                y += spacing;
            }
            c->box.dirty = false;
        }
        else
        {
            y += layoutRow(c, top + y);
            y += spacing;
        }
    }
    int height = y;
    if (s.height.unit == CssLength::Px)
        height = std::max(height, s.height.Resolve(0) - s.BorderPaddingV());
    b.width = contentWidth + bp;
    b.height = height + s.BorderPaddingV();
    b.contentHeight = height;
    b.inkBottom = b.height;
    b.hasScrollBar = false;
    b.scrollY = 0;
    for (CHtmlFlow& f : table->flows)
        if (IsRowGroup(f.element))
        {
            f.element->box.width = b.width;
            f.element->box.height = b.height;
            f.element->box.inkBottom = b.height;
        }
}

void CHtmlLayout::LayoutAtomic(CHtmlNode* e, int available)
{
    if (e->style.display == CssDisplay::InlineBlock)
        Layout(e, available, -1, true, -1);
    else
        Layout(e, available, -1, false, -1);
}

void CHtmlLayout::LayoutInline(CHtmlNode* container, CHtmlInlineRun& run, int width)
{
    run.fragments.clear();
    run.lines.clear();
    const CCssStyle& cs = container->style;
    CHtmlFont* strutFont = m_fonts.Get(cs);
    LineState line;
    int y = 0;

    // Ends the line of the fragments from line.first up to end.
    auto endLine = [&](bool forced, size_t end) {
        size_t count = end - line.first;
        if (count == 0 && !forced)
        {
            line = LineState();
            line.first = end;
            return;
        }
        int ascent = 0, descent = 0;
        if (line.hasText || forced)
            LineHeightFor(cs, strutFont, ascent, descent);
        int boxMax = 0;
        for (size_t i = line.first; i < end; ++i)
        {
            CHtmlFragment& f = run.fragments[i];
            const CCssStyle& st = f.kind == CHtmlFragment::Text ? f.node->parent->style : f.node->style;
            if (f.kind == CHtmlFragment::Text)
            {
                int a, d;
                LineHeightFor(st, f.font, a, d);
                ascent = std::max(ascent, a);
                descent = std::max(descent, d);
            }
            else if (st.verticalAlign == CssVerticalAlign::Baseline)
                ascent = std::max(ascent, f.height);
            else
                boxMax = std::max(boxMax, f.height);
        }
        int lineHeight = std::max(ascent + descent, boxMax);
        int baseline = ascent + (lineHeight - ascent - descent) / 2;
        int lineWidth = line.x;
        int shift = 0;
        if (cs.textAlign == CssTextAlign::Center)
            shift = std::max(0, (width - lineWidth) / 2);
        else if (cs.textAlign == CssTextAlign::Right)
            shift = std::max(0, width - lineWidth);
        for (size_t i = line.first; i < end; ++i)
        {
            CHtmlFragment& f = run.fragments[i];
            f.x += shift;
            if (f.kind == CHtmlFragment::Text)
                f.y = y + baseline - f.font->Ascent();
            else
            {
                CssVerticalAlign va = f.node->style.verticalAlign;
                int h = f.height;
                f.y = y + (va == CssVerticalAlign::Top      ? 0
                           : va == CssVerticalAlign::Middle ? (lineHeight - h) / 2
                           : va == CssVerticalAlign::Bottom ? lineHeight - h
                                                            : baseline - h);
            }
        }
        CHtmlLine l;
        l.y = y;
        l.height = lineHeight;
        l.first = line.first;
        l.count = count;
        run.lines.push_back(l);
        y += lineHeight;
        line = LineState();
        line.first = end;
    };

    // Walks the inline content; inline elements are entered, not boxed.
    // Content between two break opportunities (a blank where lines wrap, a
    // <wbr>, the sides of a box where lines wrap) is a unit: its fragments
    // wait at the end of the run, placed from the unit's start, until the
    // next opportunity shows whether the unit still fits on the line or
    // starts the next one. A unit wider than a whole line overflows it.
    struct Walker
    {
        CHtmlLayout* self;
        CHtmlInlineRun& run;
        LineState& line;
        int width;
        const std::function<void(bool, size_t)>& endLine;
        size_t unitFirst = 0;
        int unitWidth = 0;
        int unitLead = 0;  // the blank before the unit; none at a line's start
        bool unitHasText = false;

        void Node(CHtmlNode* n, int depth)
        {
            if (n->kind == CHtmlNode::Text)
            {
                Text(n);
                return;
            }
            if (n->style.display == CssDisplay::None)
                return;
            if (n->Is(HtmlTag::Br))
            {
                ForcedBreak();
                return;
            }
            if (n->Is(HtmlTag::Wbr))
            {
                Opportunity();
                return;
            }
            if (IsAtomicInline(n) || IsBlockLevel(n))
            {
                Atomic(n);
                return;
            }
            if (depth > 256)
                return;
            for (CHtmlNode* c : n->children)
                Node(c, depth + 1);
        }

        void ForcedBreak()
        {
            Opportunity();
            line.pendingSpace = false;
            endLine(true, run.fragments.size());
        }

        // Words one blank apart in the same text make one fragment.
        static bool Continues(const CHtmlFragment& prev, const CHtmlFragment& f, int gap)
        {
            return prev.kind == CHtmlFragment::Text && f.kind == CHtmlFragment::Text && prev.node == f.node &&
                   prev.font == f.font && gap > 0 && prev.x + prev.width + gap == f.x &&
                   prev.start + prev.length + 1 == f.start && f.node->text[f.start - 1] == L' ';
        }

        // Adds content to the unit, after the pending blank: one that lines
        // may break at ends the unit first; one that they may not stays in it.
        void Piece(CHtmlFragment f)
        {
            int gap = 0;
            if (line.pendingSpace)
            {
                gap = line.spaceFont->CharWidth(L' ');
                if (line.spaceBreaks || run.fragments.size() == unitFirst)
                {
                    Opportunity();
                    unitLead = gap;
                    gap = 0;
                }
                line.pendingSpace = false;
            }
            f.x = unitWidth + gap;
            unitWidth += gap + f.width;
            if (f.kind == CHtmlFragment::Text)
                unitHasText = true;
            if (run.fragments.size() > unitFirst && Continues(run.fragments.back(), f, gap))
            {
                CHtmlFragment& prev = run.fragments.back();
                prev.length = f.start + f.length - prev.start;
                prev.width += gap + f.width;
                return;
            }
            run.fragments.push_back(f);
        }

        // A break opportunity: the unit goes on the line, or starts the next.
        void Opportunity()
        {
            const size_t end = run.fragments.size();
            if (end == unitFirst)
                return;
            int lead = unitFirst == line.first ? 0 : unitLead;
            if (unitFirst > line.first && line.x + lead + unitWidth > width)
            {
                endLine(false, unitFirst);
                lead = 0;
            }
            const int x0 = line.x + lead;
            for (size_t i = unitFirst; i < end; ++i)
                run.fragments[i].x += x0;
            if (unitFirst > line.first && Continues(run.fragments[unitFirst - 1], run.fragments[unitFirst], lead))
            {
                CHtmlFragment& prev = run.fragments[unitFirst - 1];
                const CHtmlFragment& f = run.fragments[unitFirst];
                prev.length = f.start + f.length - prev.start;
                prev.width += lead + f.width;
                run.fragments.erase(run.fragments.begin() + unitFirst);
            }
            line.x = x0 + unitWidth;
            line.hasText = line.hasText || unitHasText;
            unitFirst = run.fragments.size();
            unitWidth = unitLead = 0;
            unitHasText = false;
        }

        void Atomic(CHtmlNode* e)
        {
            self->LayoutAtomic(e, width);
            const CCssStyle& st = e->style;
            int ml = MarginPx(st.margin[3], width), mr = MarginPx(st.margin[1], width);
            int mt = MarginPx(st.margin[0], width), mb = MarginPx(st.margin[2], width);
            // Lines may break on both sides of a box where they wrap.
            bool wrap = e->parent && e->parent->style.whiteSpace == CssWhiteSpace::Normal;
            if (wrap)
                Opportunity();
            CHtmlFragment f;
            f.kind = CHtmlFragment::Box;
            f.node = e;
            f.width = e->box.width + ml + mr;
            f.height = e->box.height + mt + mb;
            Piece(f);
            if (wrap)
                Opportunity();
        }

        void Text(CHtmlNode* t)
        {
            const CCssStyle& st = t->parent->style;
            CHtmlFont* font = self->m_fonts.Get(st);
            const std::wstring& s = t->text;
            size_t n = s.size();
            if (st.whiteSpace == CssWhiteSpace::Pre)
            {
                size_t b = 0;
                for (size_t i = 0; i <= n; ++i)
                    if (i == n || s[i] == L'\n')
                    {
                        size_t e = i;
                        if (e > b && s[e - 1] == L'\r')
                            --e;
                        if (e > b)
                            Word(t, font, b, e);
                        if (i < n)
                            ForcedBreak();
                        b = i + 1;
                    }
                return;
            }
            bool wrap = st.whiteSpace == CssWhiteSpace::Normal;
            size_t i = 0;
            while (i < n)
            {
                if (IsSpace(s[i]))
                {
                    line.pendingSpace = true;
                    line.spaceFont = font;
                    line.spaceBreaks = wrap;
                    while (i < n && IsSpace(s[i]))
                        ++i;
                    continue;
                }
                size_t b = i;
                while (i < n && !IsSpace(s[i]))
                    ++i;
                Word(t, font, b, i);
            }
        }

        void Word(CHtmlNode* t, CHtmlFont* font, size_t b, size_t e)
        {
            CHtmlFragment f;
            f.kind = CHtmlFragment::Text;
            f.node = t;
            f.font = font;
            f.start = static_cast<int>(b);
            f.length = static_cast<int>(e - b);
            f.width = font->TextWidth(t->text.data() + b, e - b);
            f.height = font->Height();
            Piece(f);
        }
    };

    std::function<void(bool, size_t)> end = endLine;
    Walker walker{this, run, line, width, end};
    for (CHtmlNode* item : run.items)
        walker.Node(item, 0);
    walker.Opportunity();
    endLine(false, run.fragments.size());
    run.height = y;

    // Boxes inside the run sit where their fragment is (the container adds
    // the run's own place).
    for (CHtmlFragment& f : run.fragments)
        if (f.kind != CHtmlFragment::Text)
        {
            const CCssStyle& st = f.node->style;
            f.node->box.x = f.x + MarginPx(st.margin[3], width);
            f.node->box.y = f.y + MarginPx(st.margin[0], width);
        }
}

void CHtmlLayout::InlineIntrinsic(CHtmlInlineRun& run, int& minWidth, int& maxWidth)
{
    int line = 0, segment = 0;
    bool pendingSpace = false, spaceBreaks = false;
    CHtmlFont* spaceFont = nullptr;
    minWidth = maxWidth = 0;
    auto breakHere = [&] {
        minWidth = std::max(minWidth, segment);
        segment = 0;
    };
    auto endLine = [&] {
        breakHere();
        maxWidth = std::max(maxWidth, line);
        line = 0;
        pendingSpace = false;
    };
    // Content of width w, after the pending blank, as the layout places it.
    auto content = [&](int w) {
        if (pendingSpace && line > 0)
        {
            int sw = spaceFont->CharWidth(L' ');
            line += sw;
            if (spaceBreaks)
                breakHere();
            else if (segment > 0)
                segment += sw;
        }
        pendingSpace = false;
        line += w;
        segment += w;
    };
    std::function<void(CHtmlNode*, int)> walk = [&](CHtmlNode* n, int depth) {
        if (n->kind == CHtmlNode::Text)
        {
            const CCssStyle& st = n->parent->style;
            CHtmlFont* font = m_fonts.Get(st);
            const std::wstring& s = n->text;
            if (st.whiteSpace == CssWhiteSpace::Pre)
            {
                size_t b = 0;
                for (size_t i = 0; i <= s.size(); ++i)
                    if (i == s.size() || s[i] == L'\n')
                    {
                        content(font->TextWidth(s.data() + b, i - b));
                        if (i < s.size())
                            endLine();
                        b = i + 1;
                    }
                return;
            }
            size_t i = 0;
            while (i < s.size())
            {
                if (IsSpace(s[i]))
                {
                    pendingSpace = true;
                    spaceFont = font;
                    spaceBreaks = st.whiteSpace == CssWhiteSpace::Normal;
                    while (i < s.size() && IsSpace(s[i]))
                        ++i;
                    continue;
                }
                size_t b = i;
                while (i < s.size() && !IsSpace(s[i]))
                    ++i;
                content(font->TextWidth(s.data() + b, i - b));
            }
            return;
        }
        if (n->style.display == CssDisplay::None)
            return;
        if (n->Is(HtmlTag::Br))
        {
            endLine();
            return;
        }
        if (n->Is(HtmlTag::Wbr))
        {
            breakHere();
            return;
        }
        if (IsAtomicInline(n) || IsBlockLevel(n))
        {
            int mn, mx;
            Intrinsic(n, mn, mx);
            const CCssStyle& st = n->style;
            int margins = MarginPx(st.margin[1], 0) + MarginPx(st.margin[3], 0);
            bool wrap = n->parent && n->parent->style.whiteSpace == CssWhiteSpace::Normal;
            if (wrap)
                breakHere();
            content(0);
            line += mx + margins;
            segment += mn + margins;
            if (wrap)
                breakHere();
            return;
        }
        if (depth > 256)
            return;
        for (CHtmlNode* c : n->children)
            walk(c, depth + 1);
    };
    for (CHtmlNode* item : run.items)
        walk(item, 0);
    endLine();
}

void CHtmlLayout::Intrinsic(CHtmlNode* e, int& minWidth, int& maxWidth)
{
    CHtmlBox& b = e->box;
    if (b.intrinsicValid)
    {
        minWidth = b.minWidth;
        maxWidth = b.maxWidth;
        return;
    }
    LoadImages(e);
    const CCssStyle& s = e->style;
    int mn = 0, mx = 0;
    if (IsAtomicInline(e) && s.display != CssDisplay::InlineBlock)
    {
        int w, h;
        ReplacedSize(e, w, h);
        mn = mx = w + s.BorderPaddingH();
    }
    else if (s.display == CssDisplay::Table)
    {
        int spacing = AttributeInt(e, "cellspacing", 2, 0, 1000);
        std::vector<int> cmin, cmax;
        for (CHtmlNode* row : TableRows(e))
        {
            EnsureFlows(row);
            size_t col = 0;
            for (CHtmlFlow& f : row->flows)
            {
                int span = AttributeInt(f.element, "colspan", 1, 1, kMaxColumns);
                if (col >= static_cast<size_t>(kMaxColumns))
                    break;
                if (cmin.size() < col + span)
                {
                    cmin.resize(std::min<size_t>(col + span, kMaxColumns), 0);
                    cmax.resize(cmin.size(), 0);
                }
                int a, z;
                Intrinsic(f.element, a, z);
                const CCssStyle& cst = f.element->style;
                if (cst.width.unit == CssLength::Px)
                    z = std::max(a, cst.width.Resolve(0) + cst.BorderPaddingH());
                int n = static_cast<int>(std::min<size_t>(span, cmin.size() - col));
                for (int k = 0; k < n; ++k)
                {
                    cmin[col + k] = std::max(cmin[col + k], a / n);
                    cmax[col + k] = std::max(cmax[col + k], z / n);
                }
                col += span;
            }
        }
        long long smin = 0, smax = 0;
        for (size_t c = 0; c < cmin.size(); ++c)
            smin += cmin[c], smax += std::max(cmin[c], cmax[c]);
        long long spacingTotal = cmin.empty() ? 0 : static_cast<long long>(spacing) * (cmin.size() + 1);
        mn = Clamp(smin + spacingTotal + s.BorderPaddingH());
        mx = Clamp(smax + spacingTotal + s.BorderPaddingH());
        if (s.width.unit == CssLength::Px)
            mx = mn = std::max(mn, s.width.Resolve(0));
    }
    else
    {
        EnsureFlows(e);
        for (CHtmlFlow& f : e->flows)
        {
            int a, z;
            if (f.run)
                InlineIntrinsic(*f.run, a, z);
            else
            {
                Intrinsic(f.element, a, z);
                const CCssStyle& cs = f.element->style;
                int margins = MarginPx(cs.margin[1], 0) + MarginPx(cs.margin[3], 0);
                a += margins;
                z += margins;
            }
            mn = std::max(mn, a);
            mx = std::max(mx, z);
        }
        int bp = s.BorderPaddingH();
        if (b.hasScrollBar)
            bp += kHtmlScrollBarWidth;
        if (s.width.unit == CssLength::Px && s.display != CssDisplay::TableCell)
            mn = mx = s.width.Resolve(0) + bp;
        else
        {
            mn = Clamp(static_cast<long long>(mn) + bp);
            mx = Clamp(static_cast<long long>(mx) + bp);
        }
    }
    b.minWidth = mn;
    b.maxWidth = std::max(mn, mx);
    b.intrinsicValid = true;
    minWidth = b.minWidth;
    maxWidth = b.maxWidth;
}

namespace
{
bool IsPlainInline(const CHtmlNode* n)
{
    return n->IsElement() && n->style.display == CssDisplay::Inline && !CHtmlLayout::IsAtomicInline(n) &&
           !CHtmlLayout::IsBlockLevel(n);
}

// The ancestor whose border box an element's box is placed in.
const CHtmlNode* ContainingBox(const CHtmlNode* e)
{
    const CHtmlNode* p = e->parent;
    while (p && p->parent && IsPlainInline(p))
        p = p->parent;
    return p;
}

bool Descends(const CHtmlNode* n, const CHtmlNode* ancestor)
{
    for (; n; n = n->parent)
        if (n == ancestor)
            return true;
    return false;
}
}  // namespace

bool CHtmlLayout::ElementRect(const CHtmlNode* element, RECT& rect)
{
    if (!element || !element->IsElement())
        return false;
    const CHtmlNode* boxed = element;
    RECT local = {0, 0, element->box.width, element->box.height};
    if (IsPlainInline(element) && element->parent)
    {
        // An inline element is the union of its fragments in its container.
        boxed = ContainingBox(element);
        bool any = false;
        local = RECT{0, 0, 0, 0};
        for (const CHtmlFlow& f : boxed->flows)
            if (f.run)
                for (const CHtmlFragment& fr : f.run->fragments)
                    if (Descends(fr.node, element))
                    {
                        RECT r = {f.run->x + fr.x, f.run->y + fr.y, f.run->x + fr.x + fr.width, f.run->y + fr.y + fr.height};
                        if (!any)
                            local = r;
                        else
                            UnionRect(&local, &local, &r);
                        any = true;
                    }
        local.top += boxed->box.contentOffsetY - boxed->box.scrollY;
        local.bottom += boxed->box.contentOffsetY - boxed->box.scrollY;
    }
    long long x = 0, y = 0;
    for (const CHtmlNode* cur = boxed; cur;)
    {
        x += cur->box.x;
        y += cur->box.y;
        const CHtmlNode* a = ContainingBox(cur);
        if (!a)
            break;
        y += a->box.contentOffsetY - a->box.scrollY;
        cur = a;
    }
    rect.left = static_cast<LONG>(x + local.left);
    rect.top = static_cast<LONG>(y + local.top);
    rect.right = static_cast<LONG>(x + local.right);
    rect.bottom = static_cast<LONG>(y + local.bottom);
    return true;
}

CHtmlLayout::Hit CHtmlLayout::HitTest(CHtmlNode* root, int x, int y) const
{
    Hit hit;
    if (root)
        HitElement(root, x, y, hit);
    return hit;
}

bool CHtmlLayout::HitElement(CHtmlNode* e, int x, int y, Hit& hit) const
{
    const CHtmlBox& b = e->box;
    const CCssStyle& s = e->style;
    bool inside = x >= 0 && y >= 0 && x < b.width && y < b.height;
    if (s.overflow != CssOverflow::Visible && !inside)
        return false;
    if (b.hasScrollBar && inside && x >= b.width - s.borderWidth[1] - kHtmlScrollBarWidth && x < b.width - s.borderWidth[1])
    {
        hit.element = e;
        hit.scrollBar = true;
        hit.localX = x;
        hit.localY = y;
        return true;
    }
    if (y >= b.inkBottom && s.overflow == CssOverflow::Visible && !inside)
        return false;
    int cy = y - b.contentOffsetY + b.scrollY;
    for (size_t i = e->flows.size(); i-- > 0;)
    {
        const CHtmlFlow& f = e->flows[i];
        if (f.run)
        {
            const CHtmlInlineRun& run = *f.run;
            int ry = cy - run.y, rx = x - run.x;
            if (ry < 0 || ry >= run.height)
                continue;
            for (size_t k = run.fragments.size(); k-- > 0;)
            {
                const CHtmlFragment& fr = run.fragments[k];
                if (ry < fr.y || ry >= fr.y + fr.height || rx < fr.x || rx >= fr.x + fr.width)
                    continue;
                if (fr.kind == CHtmlFragment::Text)
                {
                    hit.element = fr.node->parent;
                    hit.localX = x;
                    hit.localY = y;
                    return true;
                }
                CHtmlNode* c = fr.node;
                if (HitElement(c, x - c->box.x, cy - c->box.y, hit))
                    return true;
                hit.element = c;
                hit.localX = x - c->box.x;
                hit.localY = cy - c->box.y;
                return true;
            }
            continue;
        }
        CHtmlNode* c = f.element;
        int lx = x - c->box.x, ly = cy - c->box.y;
        if (ly < 0 || ly >= std::max(c->box.height, c->box.inkBottom))
            continue;
        if (HitElement(c, lx, ly, hit))
            return true;
    }
    if (inside)
    {
        hit.element = e;
        hit.localX = x;
        hit.localY = y;
        return true;
    }
    return false;
}
