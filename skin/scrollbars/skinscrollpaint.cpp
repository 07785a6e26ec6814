// Painting the replaced scroll bars: each bar composed in one memory bitmap
// part by part, from the skin's ScrollBar object through the painter hook
// or in the system's look when the skin has none.

#include "skin/scrollbars/skinscrollinternal.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

// The state of a part as the painter hook gets it.
UINT PartState(HWND hwnd, const SkinScrollBar& bar, int part)
{
    const SkinScrollTracking& t = SkinSBTracking();
    const bool disabled = SkinSBIsDisabled(bar)
        || (part == sspFirstArrow && (bar.flags & SkinScrollBar::FirstArrowDisabled))
        || (part == sspSecondArrow && (bar.flags & SkinScrollBar::SecondArrowDisabled))
        || (!SkinSBCanScroll(bar) && !(bar.flags & SkinScrollBar::KeepVisible));
    if (disabled)
        return SKIN_SB_DISABLED;
    if (t.window == hwnd && t.bar == bar.kind && t.partUnder == part)
        return SKIN_SB_PRESSED;
    if (t.hotWindow == hwnd && t.hotBar == bar.kind && t.hotPart == part)
        return SKIN_SB_HOT;
    return SKIN_SB_NORMAL;
}

// A rect along the bar from offset a to b, across its whole width.
RECT Along(int kind, const RECT& bar, int a, int b)
{
    RECT r = bar;
    if (kind == SB_HORZ) {
        r.left = bar.left + a;
        r.right = bar.left + b;
    } else {
        r.top = bar.top + a;
        r.bottom = bar.top + b;
    }
    return r;
}

HBRUSH HalftoneBrush(COLORREF foreground, COLORREF background, HDC dc)
{
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    SetTextColor(dc, foreground);
    SetBkColor(dc, background);
    return brush;
}

// The system's look of one part.
void DrawBuiltInPart(HDC dc, const SkinScrollBar& bar, int part, UINT state, const RECT& rect)
{
    const bool flat = bar.style != 0;
    const bool pressed = state == SKIN_SB_PRESSED, hot = state == SKIN_SB_HOT;
    switch (part) {
    case sspFirstArrow: case sspSecondArrow: {
        UINT kind = bar.kind == SB_HORZ ? (part == sspFirstArrow ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT)
                                        : (part == sspFirstArrow ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
        if (state == SKIN_SB_DISABLED)
            kind |= DFCS_INACTIVE;
        if (pressed)
            kind |= DFCS_PUSHED | (flat ? DFCS_FLAT : 0);
        else if (flat)
            kind |= DFCS_FLAT;
        RECT r = rect;
        DrawFrameControl(dc, &r, DFC_SCROLL, kind);
        if (hot && flat)
            InvertRect(dc, &r);
        break;
    }
    case sspPageBefore: case sspPageAfter: {
        COLORREF face = GetSysColor(COLOR_3DHILIGHT);
        if (face == GetSysColor(COLOR_WINDOW) && face != RGB(255, 255, 255))
            face = GetSysColor(COLOR_3DFACE);
        COLORREF back = GetSysColor(COLOR_SCROLLBAR);
        if (pressed) {
            face ^= 0xFFFFFF;
            back ^= 0xFFFFFF;
        }
        const int saved = SaveDC(dc);
        HBRUSH brush = HalftoneBrush(face, back, dc);
        HGDIOBJ old = SelectObject(dc, brush);
        PatBlt(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect), 0xF00021);
        SelectObject(dc, old);
        DeleteObject(brush);
        RestoreDC(dc, saved);
        break;
    }
    case sspThumb: {
        RECT r = rect;
        if (flat && (pressed || (hot && bar.style == 2))) {
            FillSolidRect(dc, r, GetSysColor(COLOR_3DSHADOW));
            break;
        }
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST | (flat ? BF_FLAT : 0));
        FillSolidRect(dc, r, GetSysColor(COLOR_3DFACE));
        break;
    }
    default:
        break;
    }
}

SkinScrollPartRecord MakeRecord(HWND hwnd, HDC dc, int bar)
{
    SkinScrollPartRecord record = {};
    record.header.hwndFrom = hwnd;
    record.header.idFrom = (UINT_PTR)GetWindowLongA(hwnd, GWL_ID);
    record.header.code = SKIN_SB_CUSTOMDRAW;
    record.dc = dc;
    record.bar = bar;
    record.rightToLeft = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    return record;
}

CSkinScrollBarObject* ScrollBarObject()
{
    CSkinStore* store = GetSkinManager().GetStore();
    CSkinObject* object = store ? store->FindFirstOfType(sotScrollBar) : NULL;
    return object ? static_cast<CSkinScrollBarObject*>(object) : NULL;
}

} // namespace

LRESULT SkinSB_PaintPart(const SkinScrollPartRecord& record)
{
    if (record.bar == -2)
        return SKIN_SB_SKIPDEFAULT;
    CSkinScrollBarObject* object = ScrollBarObject();
    if (!object)
        return 0;
    if (record.stage == SKIN_SB_PREPAINT || record.stage == SKIN_SB_POSTPAINT)
        return SKIN_SB_SKIPDEFAULT;
    CSkinStore* store = object->GetStore();
    const BOOL mirrored = record.rightToLeft;
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    if (record.bar == SB_BOTH) {
        DrawSkinImagePart(store, record.dc, record.rect, object->m_sizeGrip, face, TRUE, mirrored);
        return SKIN_SB_SKIPDEFAULT;
    }
    if (record.bar != SB_HORZ && record.bar != SB_VERT)
        return 0;
    const int base = ScrollBarGroupBase(*object, record.bar == SB_VERT);
    const int index = record.state == SKIN_SB_PRESSED ? 2 : record.state == SKIN_SB_DISABLED ? 3
                    : record.state == SKIN_SB_HOT ? 1 : 0;
    const SkinScrollBarState& chosen = object->m_states[base + index];
    const SkinScrollBarState& normal = object->m_states[base];
    switch (record.part) {
    case sspFirstArrow:
        DrawSkinImagePart(store, record.dc, record.rect, PartOr(chosen.arrow1, normal.arrow1), face, TRUE, mirrored);
        break;
    case sspSecondArrow:
        DrawSkinImagePart(store, record.dc, record.rect, PartOr(chosen.arrow2, normal.arrow2), face, TRUE, mirrored);
        break;
    case sspPageBefore: case sspPageAfter:
        DrawSkinNineGrid(store, record.dc, record.rect, GridOr(chosen.track, normal.track), face, TRUE, mirrored);
        break;
    case sspThumb: {
        DrawSkinNineGrid(store, record.dc, record.rect, GridOr(normal.track, chosen.track), face, TRUE, mirrored);
        RECT thumb = record.rect;
        if (record.bar == SB_HORZ) {
            thumb.top += (int)object->m_words[0];
            thumb.bottom -= (int)object->m_words[1];
        } else {
            thumb.left += (int)object->m_words[2];
            thumb.right -= (int)object->m_words[3];
        }
        DrawSkinNineGrid(store, record.dc, thumb, GridOr(chosen.thumb, normal.thumb), face, TRUE, mirrored);
        break;
    }
    default:
        return 0;
    }
    return SKIN_SB_SKIPDEFAULT;
}

void SkinSBDrawBar(HWND hwnd, SkinScrollWindow* window, HDC dc, int kind, const RECT& rect)
{
    SkinScrollBar* bar = SkinSBBar(window, kind);
    const int width = RectWidth(rect), height = RectHeight(rect);
    if (!bar || width <= 0 || height <= 0)
        return;
    CSkinMemDC picture(dc, width, height);
    if (!picture.IsValid())
        return;
    const RECT local = {0, 0, width, height};
    SkinScrollGeometry g = SkinSBMeasure(*bar, local);
    const SkinScrollTracking& t = SkinSBTracking();
    if (t.window == hwnd && t.bar == kind && t.part == sspThumb && window->thumbTracking)
        g.thumbOffset = t.thumbOffset;
    SkinScrollPartRecord record = MakeRecord(hwnd, picture, kind);
    record.stage = SKIN_SB_PREPAINT;
    record.rect = local;
    const bool hooked = SkinSB_PaintPart(record) == SKIN_SB_SKIPDEFAULT;
    struct Piece
    {
        int part;
        RECT rect;
    } pieces[5];
    int count = 0;
    pieces[count++] = {sspFirstArrow, Along(kind, local, 0, g.arrow)};
    if (g.track > 0) {
        const int thumb = g.arrow + g.thumbOffset;
        const bool hasThumb = SkinScrollHasThumb(g, bar->info) && !SkinSBIsDisabled(*bar);
        if (hasThumb) {
            pieces[count++] = {sspPageBefore, Along(kind, local, g.arrow, thumb)};
            pieces[count++] = {sspThumb, Along(kind, local, thumb, thumb + g.thumbSize)};
            pieces[count++] = {sspPageAfter, Along(kind, local, thumb + g.thumbSize, g.arrow + g.track)};
        } else {
            pieces[count++] = {sspPageBefore, Along(kind, local, g.arrow, g.arrow + g.track)};
        }
    }
    pieces[count++] = {sspSecondArrow, Along(kind, local, g.length - g.arrow, g.length)};
    for (int i = 0; i < count; ++i) {
        if (IsRectEmpty(&pieces[i].rect))
            continue;
        const UINT state = PartState(hwnd, *bar, pieces[i].part);
        if (hooked) {
            record.stage = SKIN_SB_ITEMPREPAINT;
            record.rect = pieces[i].rect;
            record.part = (UINT)pieces[i].part;
            record.state = state;
            SkinSB_PaintPart(record);
        } else {
            DrawBuiltInPart(picture, *bar, pieces[i].part, state, pieces[i].rect);
        }
    }
    if (hooked) {
        record.stage = SKIN_SB_POSTPAINT;
        record.rect = local;
        SkinSB_PaintPart(record);
    }
    BitBlt(dc, rect.left, rect.top, width, height, picture, 0, 0, SRCCOPY);
}

void SkinSBDrawCorner(HWND hwnd, SkinScrollWindow* scroll, HDC dc, const RECT& rect)
{
    SkinScrollPartRecord record = MakeRecord(hwnd, dc, SB_BOTH);
    record.stage = SKIN_SB_ITEMPREPAINT;
    record.rect = rect;
    if (SkinSB_PaintPart(record) == SKIN_SB_SKIPDEFAULT)
        return;
    // A size grip where the window's corner (inside its edges) meets its
    // parent's client corner.
    HWND parent = GetParent(hwnd);
    bool grip = false;
    if (parent && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        RECT window, client;
        GetWindowRect(hwnd, &window);
        GetClientRect(parent, &client);
        MapWindowPoints(parent, NULL, (POINT*)&client, 2);
        const bool onLeft = scroll->leftScrollBar != FALSE;
        const LONG x = onLeft ? window.left + scroll->edgeLeft : window.right - scroll->edgeRight;
        grip = x == (onLeft ? client.left : client.right) && window.bottom - scroll->edgeBottom == client.bottom;
    }
    RECT r = rect;
    if (grip)
        DrawFrameControl(dc, &r, DFC_SCROLL, scroll->leftScrollBar ? DFCS_SCROLLSIZEGRIPRIGHT : DFCS_SCROLLSIZEGRIP);
    else
        FillSolidRect(dc, r, GetSysColor(COLOR_3DFACE));
}
