#include "platform/html/htmlpainter.h"

#include "platform/html/htmlfonts.h"
#include "platform/html/htmlimage.h"
#include "platform/html/htmlinline.h"
#include "platform/html/htmllayout.h"
#include "platform/html/htmlnode.h"

#include <algorithm>
#include <vector>

namespace
{
void Fill(HDC dc, const RECT& r, COLORREF color)
{
    COLORREF old = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

COLORREF Shade(COLORREF c, int percent)
{
    return RGB(GetRValue(c) * percent / 100, GetGValue(c) * percent / 100, GetBValue(c) * percent / 100);
}
}  // namespace

void CHtmlPainter::Paint(CHtmlNode* root, HDC dc, int x, int y, const RECT& clip)
{
    if (!root)
        return;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    PaintElement(root, dc, x, y, clip, 0);
    SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
}

CHtmlPainter::ScrollBar CHtmlPainter::Measure(int barHeight, int contentHeight, int visibleHeight, int scrollY)
{
    ScrollBar p;
    int arrow = std::min(kHtmlScrollBarWidth, barHeight / 2);
    p.trackTop = arrow;
    p.trackBottom = std::max(arrow, barHeight - arrow);
    int track = p.trackBottom - p.trackTop;
    p.maxScroll = std::max(0, contentHeight - visibleHeight);
    int thumb = contentHeight > 0 ? static_cast<int>(static_cast<long long>(track) * visibleHeight / contentHeight) : track;
    thumb = std::max(std::min(8, track), std::min(thumb, track));
    int pos = p.maxScroll > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * scrollY / p.maxScroll) : 0;
    p.thumbTop = p.trackTop + pos;
    p.thumbBottom = p.thumbTop + thumb;
    return p;
}

void CHtmlPainter::DrawScrollBar(HDC dc, const RECT& bar, const ScrollBar& p)
{
    RECT up = {bar.left, bar.top, bar.right, bar.top + p.trackTop};
    RECT down = {bar.left, bar.top + p.trackBottom, bar.right, bar.bottom};
    RECT track = {bar.left, bar.top + p.trackTop, bar.right, bar.top + p.trackBottom};
    RECT thumb = {bar.left, bar.top + p.thumbTop, bar.right, bar.top + p.thumbBottom};
    FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
    DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | (p.maxScroll ? 0 : DFCS_INACTIVE));
    DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | (p.maxScroll ? 0 : DFCS_INACTIVE));
    if (p.maxScroll > 0)
    {
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    }
}

bool CHtmlPainter::ElementScrollBar(const CHtmlNode* e, RECT& bar, ScrollBar& parts)
{
    const CHtmlBox& b = e->box;
    if (!b.hasScrollBar)
        return false;
    const CCssStyle& s = e->style;
    bar.right = b.width - s.borderWidth[1];
    bar.left = bar.right - kHtmlScrollBarWidth;
    bar.top = s.borderWidth[0];
    bar.bottom = b.height - s.borderWidth[2];
    int visible = b.height - s.BorderPaddingV();
    parts = Measure(bar.bottom - bar.top, b.contentHeight, visible, b.scrollY);
    return true;
}

void CHtmlPainter::PaintBackground(CHtmlNode* e, HDC dc, const RECT& box)
{
    const CCssStyle& s = e->style;
    if (s.background.set)
        Fill(dc, box, s.background.rgb);
    CHtmlImage* image = e->backgroundImage;
    if (!image || image->Width() <= 0 || image->Height() <= 0)
        return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    RECT clip;
    GetClipBox(dc, &clip);
    int w = image->Width(), h = image->Height();
    int x0 = box.left, y0 = box.top;
    int x1 = s.backgroundRepeatX ? box.right : std::min<int>(box.right, x0 + w);
    int y1 = s.backgroundRepeatY ? box.bottom : std::min<int>(box.bottom, y0 + h);
    // Tiles outside the clip are skipped.
    int firstY = y0 + std::max(0, (static_cast<int>(clip.top) - y0) / h) * h;
    int firstX = x0 + std::max(0, (static_cast<int>(clip.left) - x0) / w) * w;
    for (int y = s.backgroundRepeatY ? firstY : y0; y < y1 && y < clip.bottom; y += h)
        for (int x = s.backgroundRepeatX ? firstX : x0; x < x1 && x < clip.right; x += w)
            image->Draw(dc, x, y, w, h);
    RestoreDC(dc, saved);
}

void CHtmlPainter::PaintBorders(CHtmlNode* e, HDC dc, const RECT& box)
{
    const CCssStyle& s = e->style;
    for (int side = 0; side < 4; ++side)
    {
        int w = s.borderWidth[side];
        if (w <= 0 || s.borderStyle[side] == CssBorderStyle::None)
            continue;
        COLORREF c = s.borderColorSet[side] && s.borderColor[side].set ? s.borderColor[side].rgb
                     : s.borderColorSet[side]                          ? RGB(0, 0, 0)
                                                                       : s.color.rgb;
        if (s.borderStyle[side] == CssBorderStyle::Inset || s.borderStyle[side] == CssBorderStyle::Outset)
        {
            bool darkSide = (side == 0 || side == 3) == (s.borderStyle[side] == CssBorderStyle::Inset);
            if (!s.borderColorSet[side])
                c = RGB(192, 192, 192);
            c = darkSide ? Shade(c, 50) : c;
        }
        RECT r = box;
        switch (side)
        {
        case 0: r.bottom = r.top + w; break;
        case 1: r.left = r.right - w; break;
        case 2: r.top = r.bottom - w; break;
        case 3: r.right = r.left + w; break;
        }
        Fill(dc, r, c);
    }
}

void CHtmlPainter::PaintReplaced(CHtmlNode* e, HDC dc, const RECT& content)
{
    if (e->tag == "img")
    {
        if (e->image)
            e->image->Draw(dc, content.left, content.top, content.right - content.left, content.bottom - content.top);
        return;
    }
    if (e->tag != "input")
        return;
    std::wstring type = e->InputType();
    RECT r = content;
    if (type == L"checkbox" || type == L"radio")
    {
        UINT state = (type == L"checkbox" ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO) | (e->checked ? DFCS_CHECKED : 0);
        DrawFrameControl(dc, &r, DFC_BUTTON, state | DFCS_FLAT);
        return;
    }
    const std::wstring* value = e->Attribute("value");
    bool button = type == L"button" || type == L"submit" || type == L"reset";
    if (button)
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    else
    {
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    }
    if (value && !value->empty() && type != L"password")
    {
        RECT t = {r.left + 3, r.top + 2, r.right - 3, r.bottom - 2};
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, value->c_str(), static_cast<int>(value->size()), &t,
                  DT_SINGLELINE | DT_VCENTER | (button ? DT_CENTER : DT_LEFT) | DT_NOPREFIX);
    }
}

void CHtmlPainter::PaintElement(CHtmlNode* e, HDC dc, int x, int y, const RECT& clip, int depth)
{
    const CHtmlBox& b = e->box;
    const CCssStyle& s = e->style;
    if (s.display == CssDisplay::None || depth > 512)
        return;
    if (y > clip.bottom || y + std::max(b.height, b.inkBottom) < clip.top || x > clip.right)
        return;
    RECT box = {x, y, x + b.width, y + b.height};
    if (!s.hidden)
    {
        PaintBackground(e, dc, box);
        PaintBorders(e, dc, box);
        if (s.display == CssDisplay::ListItem)
        {
            HGDIOBJ oldBrush = SelectObject(dc, CreateSolidBrush(s.color.rgb));
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
            int cy = y + s.borderWidth[0] + s.padding[0] + s.fontSize / 2;
            Ellipse(dc, x - 12, cy - 3, x - 6, cy + 3);
            DeleteObject(SelectObject(dc, oldBrush));
            SelectObject(dc, oldPen);
        }
        if (CHtmlLayout::IsAtomicInline(e) && s.display != CssDisplay::InlineBlock)
        {
            RECT content = {box.left + s.borderWidth[3] + s.padding[3], box.top + s.borderWidth[0] + s.padding[0],
                            box.right - s.borderWidth[1] - s.padding[1], box.bottom - s.borderWidth[2] - s.padding[2]};
            PaintReplaced(e, dc, content);
            return;
        }
    }
    int saved = 0;
    RECT inner = clip;
    if (s.overflow != CssOverflow::Visible)
    {
        saved = SaveDC(dc);
        RECT pad = {box.left + s.borderWidth[3], box.top + s.borderWidth[0], box.right - s.borderWidth[1],
                    box.bottom - s.borderWidth[2]};
        if (b.hasScrollBar)
            pad.right -= kHtmlScrollBarWidth;
        IntersectClipRect(dc, pad.left, pad.top, pad.right, pad.bottom);
        IntersectRect(&inner, &clip, &pad);
    }
    int cy = y + b.contentOffsetY - b.scrollY;
    for (CHtmlFlow& f : e->flows)
    {
        if (f.run)
        {
            if (cy + f.run->y > inner.bottom)
                break;
            if (cy + f.run->y + f.run->height < inner.top)
                continue;
            PaintRun(*f.run, dc, x, cy, inner, depth);
            continue;
        }
        CHtmlNode* c = f.element;
        int top = cy + c->box.y;
        if (top > inner.bottom)
            break;  // flows are stacked top to bottom; the rest lie below the clip
        PaintElement(c, dc, x + c->box.x, top, inner, depth + 1);
    }
    if (saved)
        RestoreDC(dc, saved);
    RECT bar;
    ScrollBar parts;
    if (ElementScrollBar(e, bar, parts))
    {
        OffsetRect(&bar, x, y);
        DrawScrollBar(dc, bar, parts);
    }
}

void CHtmlPainter::PaintRun(CHtmlInlineRun& run, HDC dc, int cx, int cy, const RECT& clip, int depth)
{
    int rx = cx + run.x, ry = cy + run.y;
    HFONT current = nullptr;
    COLORREF color = CLR_INVALID;
    const int kShort = 256;
    INT shortAdvances[kShort];
    std::vector<INT> longAdvances;
    for (const CHtmlLine& line : run.lines)
    {
        if (ry + line.y > clip.bottom)
            break;
        if (ry + line.y + line.height < clip.top)
            continue;
        for (size_t i = line.first; i < line.first + line.count; ++i)
        {
            CHtmlFragment& f = run.fragments[i];
            if (f.kind == CHtmlFragment::Text)
            {
                CHtmlNode* owner = f.node->parent;
                const CCssStyle& st = owner->style;
                if (st.hidden)
                    continue;
                if (st.background.set && owner->style.display == CssDisplay::Inline)
                {
                    RECT r = {rx + f.x, ry + f.y, rx + f.x + f.width, ry + f.y + f.height};
                    Fill(dc, r, st.background.rgb);
                }
                if (f.font->Handle() != current)
                {
                    current = f.font->Handle();
                    SelectObject(dc, current);
                }
                if (st.color.rgb != color)
                {
                    color = st.color.rgb;
                    SetTextColor(dc, color);
                }
                // Where more follows on the line, each character goes where
                // the layout measured it: some fonts draw narrower than they
                // measure, which would open a gap before what follows.
                const wchar_t* text = f.node->text.data() + f.start;
                INT* advances = nullptr;
                if (i + 1 < line.first + line.count)
                {
                    if (static_cast<size_t>(f.length) > longAdvances.size() && f.length > kShort)
                        longAdvances.resize(f.length);
                    advances = f.length > kShort ? longAdvances.data() : shortAdvances;
                    for (int k = 0; k < f.length; ++k)
                        advances[k] = f.font->CharWidth(text[k]);
                }
                ExtTextOutW(dc, rx + f.x, ry + f.y, 0, nullptr, text, f.length, advances);
                continue;
            }
            CHtmlNode* e = f.node;
            PaintElement(e, dc, cx + e->box.x, cy + e->box.y, clip, depth + 1);
            current = nullptr;
            color = CLR_INVALID;
        }
    }
}
