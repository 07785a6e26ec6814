#include "skin/draw/drawmanager.h"

#include <string.h>

#include <vector>

#include "skin/draw/skindib.h"
#include "skin/draw/skindrawutils.h"

namespace {

BYTE Channel(DWORD pixel, int shift)
{
    return (BYTE)(pixel >> shift);
}

DWORD Pixel(unsigned r, unsigned g, unsigned b)
{
    return (r << 16) | (g << 8) | b;
}

// Grey by luminance 0.299 R + 0.587 G + 0.114 B, truncated.
unsigned Luminance(unsigned r, unsigned g, unsigned b)
{
    return (299 * r + 587 * g + 114 * b) / 1000;
}

int PenStyle(int style)
{
    switch (style) {
    case CDrawManager::BorderDashed: return PS_DASH;
    case CDrawManager::BorderDotted: return PS_DOT;
    case CDrawManager::BorderDashDot: return PS_DASHDOT;
    case CDrawManager::BorderDashDotDot: return PS_DASHDOTDOT;
    default: return PS_SOLID;
    }
}

// One rectangle's sides: left and top in the first pen, right and bottom in
// the second; the corners each drawn once.
void RectLines(HDC dc, int left, int top, int right, int bottom, HPEN topLeft, HPEN bottomRight)
{
    HGDIOBJ old = SelectObject(dc, topLeft);
    MoveToEx(dc, left, bottom, NULL);
    LineTo(dc, left, top);
    LineTo(dc, right, top);
    SelectObject(dc, bottomRight);
    LineTo(dc, right, bottom);
    LineTo(dc, left, bottom);
    SelectObject(dc, old);
}

// Copies the whole bitmap into the rectangle with the raster operation,
// stretched when the sizes differ.
void PutBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, DWORD rop)
{
    const SIZE size = CDrawManager::GetBitmapSize(bitmap);
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ old = SelectObject(source, bitmap);
    if (size.cx == width && size.cy == height) {
        BitBlt(dc, x, y, width, height, source, 0, 0, rop);
    } else {
        const int mode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, width, height, source, 0, 0, size.cx, size.cy, rop);
        SetStretchBltMode(dc, mode);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

// The bitmaps of an icon (GetIconInfo's copies), deleted with this.
struct IconBitmaps : ICONINFO
{
    explicit IconBitmaps(HICON icon) : ok(icon && GetIconInfo(icon, this)) {}
    ~IconBitmaps()
    {
        if (ok && hbmColor)
            DeleteObject(hbmColor);
        if (ok && hbmMask)
            DeleteObject(hbmMask);
    }
    IconBitmaps(const IconBitmaps&) = delete;
    IconBitmaps& operator=(const IconBitmaps&) = delete;

    const bool ok;
};

} // namespace

// ---------------------------------------------------------------- colours

COLORREF CDrawManager::GrayColor(COLORREF colour)
{
    const unsigned l = Luminance(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return RGB(l, l, l);
}

COLORREF CDrawManager::InvertColor(COLORREF colour)
{
    return RGB(255 - GetRValue(colour), 255 - GetGValue(colour), 255 - GetBValue(colour));
}

COLORREF CDrawManager::DarkenColor(COLORREF colour, double factor)
{
    if (factor < 0 || factor >= 1)
        return colour;
    return RGB((BYTE)(GetRValue(colour) * factor), (BYTE)(GetGValue(colour) * factor), (BYTE)(GetBValue(colour) * factor));
}

COLORREF CDrawManager::LightenColor(COLORREF colour, double factor)
{
    if (factor < 0 || factor > 1)
        return colour;
    const double f = 1 + factor;
    const double r = GetRValue(colour) * f, g = GetGValue(colour) * f, b = GetBValue(colour) * f;
    return RGB(r > 255 ? 255 : (BYTE)r, g > 255 ? 255 : (BYTE)g, b > 255 ? 255 : (BYTE)b);
}

// ---------------------------------------------------------------- icons and bitmaps

SIZE CDrawManager::GetIconSize(HICON icon)
{
    SIZE size = {0, 0};
    const IconBitmaps info(icon);
    if (info.ok) {
        size.cx = (LONG)info.xHotspot * 2;
        size.cy = (LONG)info.yHotspot * 2;
    }
    return size;
}

SIZE CDrawManager::GetBitmapSize(HBITMAP bitmap)
{
    SIZE size = {0, 0};
    BITMAP bm;
    if (bitmap && GetObjectA(bitmap, sizeof(bm), &bm)) {
        size.cx = bm.bmWidth;
        size.cy = bm.bmHeight;
    }
    return size;
}

HICON CDrawManager::ScaleIcon(HICON icon, int cx, int cy)
{
    if (cx <= 0 || cy <= 0)
        return NULL;
    const IconBitmaps info(icon);
    if (!info.ok)
        return NULL;
    const int sx = (int)info.xHotspot * 2, sy = (int)info.yHotspot * 2;
    HDC screen = GetDC(NULL);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    ICONINFO scaled = info;
    scaled.hbmColor = info.hbmColor ? CreateCompatibleBitmap(screen, cx, cy) : NULL;
    scaled.hbmMask = CreateBitmap(cx, cy, 1, 1, NULL);
    HICON result = NULL;
    if (source && target && scaled.hbmMask && (scaled.hbmColor || !info.hbmColor)) {
        // A monochrome icon keeps its colour half under the mask: twice as high.
        const int maskHeight = info.hbmColor ? sy : sy * 2;
        HBITMAP pairs[2][2] = {{info.hbmMask, scaled.hbmMask}, {info.hbmColor, scaled.hbmColor}};
        for (int i = 0; i < 2; ++i) {
            if (!pairs[i][0])
                continue;
            HGDIOBJ oldSource = SelectObject(source, pairs[i][0]);
            HGDIOBJ oldTarget = SelectObject(target, pairs[i][1]);
            SetStretchBltMode(target, COLORONCOLOR);
            StretchBlt(target, 0, 0, cx, cy, source, 0, 0, sx, i == 0 ? maskHeight : sy, SRCCOPY);
            SelectObject(target, oldTarget);
            SelectObject(source, oldSource);
        }
        scaled.xHotspot = (DWORD)cx / 2;
        scaled.yHotspot = (DWORD)cy / 2;
        result = CreateIconIndirect(&scaled);
    }
    if (scaled.hbmColor)
        DeleteObject(scaled.hbmColor);
    if (scaled.hbmMask)
        DeleteObject(scaled.hbmMask);
    if (source)
        DeleteDC(source);
    if (target)
        DeleteDC(target);
    ReleaseDC(NULL, screen);
    return result;
}

// ---------------------------------------------------------------- fills

void CDrawManager::FillGradient(HDC dc, int left, int top, int right, int bottom, COLORREF colour1,
                                COLORREF colour2, bool horizontal)
{
    const int start = horizontal ? left : top;
    const int extent = horizontal ? right - left : bottom - top;
    if (extent <= 0 || right <= left || bottom <= top)
        return;
    for (int i = 0; i < 64; ++i) {
        const int from = start + extent * i / 64, to = start + extent * (i + 1) / 64;
        if (to <= from)
            continue;
        const COLORREF c = RGB((GetRValue(colour1) * (64 - i) + GetRValue(colour2) * i) / 64,
                               (GetGValue(colour1) * (64 - i) + GetGValue(colour2) * i) / 64,
                               (GetBValue(colour1) * (64 - i) + GetBValue(colour2) * i) / 64);
        RECT band = horizontal ? RECT{from, top, to, bottom} : RECT{left, from, right, to};
        FillSolidRect(dc, band, c);
    }
}

void CDrawManager::FillBackground(HDC dc, int kind, const RECT& r, COLORREF colour1, COLORREF colour2,
                                  COLORREF colour3)
{
    // Per kind: the direction, whether the rectangle is halved, and the
    // colours (1 to 3) of the first and second gradient.
    static const struct { bool horizontal, halves; int from1, to1, from2, to2; } kinds[] = {
        {true, false, 1, 3, 0, 0}, {false, false, 1, 3, 0, 0}, {true, true, 1, 3, 3, 1},
        {false, true, 1, 3, 3, 1}, {true, true, 1, 2, 2, 3}, {false, true, 1, 2, 2, 3}};
    if (kind < 1 || kind > 6) {
        FillSolidRect(dc, r, colour1);
        return;
    }
    const COLORREF colours[4] = {0, colour1, colour2, colour3};
    const auto& k = kinds[kind - 1];
    if (!k.halves) {
        FillGradient(dc, r.left, r.top, r.right, r.bottom, colours[k.from1], colours[k.to1], k.horizontal);
        return;
    }
    const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
    FillGradient(dc, r.left, r.top, k.horizontal ? midX : r.right, k.horizontal ? r.bottom : midY, colours[k.from1],
                 colours[k.to1], k.horizontal);
    FillGradient(dc, k.horizontal ? midX : r.left, k.horizontal ? r.top : midY, r.right, r.bottom, colours[k.from2],
                 colours[k.to2], k.horizontal);
}

void CDrawManager::TileBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                              int tileWidth, int tileHeight)
{
    if (tileWidth <= 0 || tileHeight <= 0)
        return;
    for (int left = x; left < x + width; left += tileWidth) {
        const int w = left + tileWidth > x + width ? x + width - left : tileWidth;
        for (int top = y; top < y + height; top += tileHeight) {
            const int h = top + tileHeight > y + height ? y + height - top : tileHeight;
            BitBlt(dc, left, top, w, h, source, sourceX, sourceY, SRCCOPY);
        }
    }
}

// ---------------------------------------------------------------- borders

void CDrawManager::DrawRectBorder(HDC dc, int left, int top, int right, int bottom, COLORREF topLeft,
                                  COLORREF bottomRight, int style, int width)
{
    if (style == BorderNone || width < 1)
        return;
    HPEN first = CreatePen(PenStyle(style), width, topLeft);
    HPEN second = bottomRight == topLeft ? first : CreatePen(PenStyle(style), width, bottomRight);
    if (first && second) {
        // Lines run at half the width inside the rectangle.
        const int in = width / 2, out = width - 1 - in;
        RectLines(dc, left + in, top + in, right - 1 - out, bottom - 1 - out, first, second);
        if (style == BorderDouble) {
            const int d = 2 * width;
            RectLines(dc, left + in + d, top + in + d, right - 1 - out - d, bottom - 1 - out - d, first, second);
        }
    }
    if (second && second != first)
        DeleteObject(second);
    if (first)
        DeleteObject(first);
}

void CDrawManager::DrawRectBorder(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style,
                                  int width)
{
    DrawRectBorder(dc, rect.left, rect.top, rect.right, rect.bottom, topLeft, bottomRight, style, width);
}

void CDrawManager::DrawBorderLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int style, int width)
{
    if (style == BorderNone || width < 1)
        return;
    HPEN pen = CreatePen(PenStyle(style), width, colour);
    if (!pen)
        return;
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, NULL);
    LineTo(dc, x2, y2);
    if (style == BorderDouble) {
        // The second line below a horizontal one, right of a vertical one.
        const bool horizontal = y1 == y2;
        const int dx = horizontal ? 0 : 2 * width, dy = horizontal ? 2 * width : 0;
        MoveToEx(dc, x1 + dx, y1 + dy, NULL);
        LineTo(dc, x2 + dx, y2 + dy);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

// ---------------------------------------------------------------- effects

HBITMAP CDrawManager::CreateEffectBitmap(HBITMAP bitmap, int width, int height, DWORD flags, bool transparent,
                                         COLORREF key, COLORREF fill)
{
    if (!bitmap)
        return NULL;
    CSkinDib picture(width, height, 32);
    if (!picture.IsValid())
        return NULL;
    PutBitmap(picture.GetDC(), 0, 0, width, height, bitmap, SRCCOPY);
    GdiFlush();
    const DWORD keyPixel = DibPixel(key), fillPixel = DibPixel(fill);
    DWORD* p = picture.Pixels();
    for (size_t i = 0; i < (size_t)width * height; ++i) {
        DWORD c = p[i] & 0xFFFFFF;
        if (transparent && c == keyPixel) {
            c = 0;
        } else {
            unsigned r = Channel(c, 16), g = Channel(c, 8), b = Channel(c, 0);
            if (flags & EffectGrey)
                r = g = b = Luminance(r, g, b);
            if (flags & EffectDarker) {
                r = r * 3 / 4;
                g = g * 3 / 4;
                b = b * 3 / 4;
            }
            if (flags & EffectLighter) {
                r = r * 5 / 4 > 255 ? 255 : r * 5 / 4;
                g = g * 5 / 4 > 255 ? 255 : g * 5 / 4;
                b = b * 5 / 4 > 255 ? 255 : b * 5 / 4;
            }
            c = flags & EffectSingleColour ? fillPixel : Pixel(r, g, b);
        }
        if (flags & EffectInvert)
            c = ~c & 0xFFFFFF;
        p[i] = c;
    }
    return picture.Detach();
}

void CDrawManager::DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shadow, bool blurred,
                              int blurWidth, int blurHeight)
{
    if (width <= 0 || height <= 0 || !shadow)
        return;
    CSkinDib area(width, height, 32);
    std::vector<DWORD> factors;
    if (!area.IsValid())
        return;
    if (!blurred) {
        if (!ReadTopDownPixels(shadow, width, height, factors))
            return;
        for (size_t i = 0; i < factors.size(); ++i)
            factors[i] &= 0xFF;
    } else {
        blurWidth |= 1;
        blurHeight |= 1;
        // The shadow shrunk into the area less the blur, centred on white.
        CSkinDib shrunk(width, height, 32);
        if (!shrunk.IsValid())
            return;
        memset(shrunk.Pixels(), 0xFF, (size_t)width * height * sizeof(DWORD));
        const int innerW = width - blurWidth, innerH = height - blurHeight;
        if (innerW > 0 && innerH > 0) {
            PutBitmap(shrunk.GetDC(), blurWidth / 2, blurHeight / 2, innerW, innerH, shadow, SRCCOPY);
            GdiFlush();
        }
        // Box average of the blue bytes through a summed-area table; points
        // outside the area count as white.
        const int W = width + 1;
        std::vector<unsigned> sums((size_t)W * (height + 1), 0);
        for (int row = 0; row < height; ++row)
            for (int col = 0; col < width; ++col)
                sums[(size_t)(row + 1) * W + col + 1] = (shrunk.Pixels()[(size_t)row * width + col] & 0xFF)
                    + sums[(size_t)row * W + col + 1] + sums[(size_t)(row + 1) * W + col] - sums[(size_t)row * W + col];
        factors.resize((size_t)width * height);
        const int hx = blurWidth / 2, hy = blurHeight / 2;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                const int x0 = col - hx < 0 ? 0 : col - hx, x1 = col + hx + 1 > width ? width : col + hx + 1;
                const int y0 = row - hy < 0 ? 0 : row - hy, y1 = row + hy + 1 > height ? height : row + hy + 1;
                const unsigned inside = sums[(size_t)y1 * W + x1] - sums[(size_t)y0 * W + x1]
                    - sums[(size_t)y1 * W + x0] + sums[(size_t)y0 * W + x0];
                const unsigned outside = (unsigned)(blurWidth * blurHeight - (x1 - x0) * (y1 - y0)) * 255;
                factors[(size_t)row * width + col] = (inside + outside) / (unsigned)(blurWidth * blurHeight);
            }
        }
    }
    BitBlt(area.GetDC(), 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    DWORD* p = area.Pixels();
    for (size_t i = 0; i < (size_t)width * height; ++i) {
        const unsigned f = factors[i];
        p[i] = Pixel(Channel(p[i], 16) * f / 255, Channel(p[i], 8) * f / 255, Channel(p[i], 0) * f / 255);
    }
    BitBlt(dc, x, y, width, height, area.GetDC(), 0, 0, SRCCOPY);
}

void CDrawManager::DrawBitmapEffects(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, bool transparent,
                                     COLORREF key, DWORD flags, bool shadow, int shadowDx, int shadowDy,
                                     int blurWidth, int blurHeight, COLORREF shadowColour)
{
    const COLORREF white = RGB(255, 255, 255);
    HBITMAP mask = CreateEffectBitmap(bitmap, width, height, EffectInvert | EffectSingleColour, transparent, key, white);
    HBITMAP image = CreateEffectBitmap(bitmap, width, height, flags, transparent, key, white);
    if (mask && image) {
        int ix = x, iy = y;
        if (shadow) {
            if (flags & (EffectShadow | EffectSoftShadow)) {
                HBITMAP picture = CreateEffectBitmap(bitmap, width, height, EffectInvert | EffectSingleColour,
                                                     transparent, key, InvertColor(shadowColour));
                if (picture) {
                    DrawShadow(dc, x + shadowDx, y + shadowDy, width, height, picture, (flags & EffectSoftShadow) != 0,
                               blurWidth, blurHeight);
                    DeleteObject(picture);
                }
            } else {
                ix += shadowDx;
                iy += shadowDy;
            }
        }
        PutBitmap(dc, ix, iy, width, height, mask, SRCAND);
        PutBitmap(dc, ix, iy, width, height, image, SRCPAINT);
    }
    if (mask)
        DeleteObject(mask);
    if (image)
        DeleteObject(image);
}

void CDrawManager::DrawIconEffects(HDC dc, int x, int y, int width, int height, HICON icon, DWORD flags,
                                   bool shadow, int shadowDx, int shadowDy, int blurWidth, int blurHeight,
                                   COLORREF shadowColour)
{
    const SIZE size = GetIconSize(icon);
    HICON scaled = size.cx == width && size.cy == height ? CopyIcon(icon) : ScaleIcon(icon, width, height);
    if (!scaled)
        return;
    {
        const IconBitmaps info(scaled);
        // The colour bitmap is black where the icon is transparent.
        if (info.ok && info.hbmColor)
            DrawBitmapEffects(dc, x, y, width, height, info.hbmColor, true, RGB(0, 0, 0), flags, shadow, shadowDx,
                              shadowDy, blurWidth, blurHeight, shadowColour);
    }
    DestroyIcon(scaled);
}
