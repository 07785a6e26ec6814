#include "skin/draw/skinimagepart.h"

#include <string.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinmemdc.h"
#include "skin/image/ximage.h"

namespace {

// The header and palette of an image, for the DIB functions.
struct DibInfo
{
    BITMAPINFOHEADER header;
    RGBQUAD palette[256];

    explicit DibInfo(const CxImage& image)
    {
        header = image.GetHeader();
        const DWORD colours = header.biClrUsed > 256 ? 256 : header.biClrUsed;
        header.biClrUsed = colours;
        if (image.GetPalette() && colours)
            memcpy(palette, image.GetPalette(), colours * sizeof(RGBQUAD));
    }
    const BITMAPINFO* Get() const { return (const BITMAPINFO*)this; }
};

// An image whose pixels can go straight to the DC: no transparency and no
// alpha to blend.
bool IsPlain(const CxImage& image)
{
    return !image.IsTransparent() && !image.AlphaIsValid() && !image.AlphaPaletteIsEnabled();
}

// source, cut to the image; empty when nothing of it lies inside.
RECT ClampToImage(const CxImage& image, const RECT& source)
{
    RECT bounds = {0, 0, (LONG)image.GetWidth(), (LONG)image.GetHeight()};
    RECT clamped;
    if (!IntersectRect(&clamped, &bounds, &source))
        SetRectEmpty(&clamped);
    return clamped;
}

// Copies w x h of the image from source (top-down coordinates) to the DC,
// stretched to the target size.
void StretchFromImage(HDC dc, const CxImage& image, int x, int y, int cx, int cy, int sx, int sy, int w, int h)
{
    const DibInfo info(image);
    // The DIB's rows run bottom-up: its source origin is the lower-left corner.
    const int bottomUpY = (int)image.GetHeight() - (sy + h);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, cx, cy, sx, bottomUpY, w, h, image.GetBits(), info.Get(), DIB_RGB_COLORS, SRCCOPY);
}

// Tiles w x h of the image from source over the target with a pattern brush
// whose origin is the target's top-left corner.
bool TileFromImage(HDC dc, const CxImage& image, const RECT& source, const RECT& target)
{
    const int w = RectWidth(source), h = RectHeight(source);
    CSkinMemDC tile(dc, w, h);
    if (!tile.IsValid())
        return false;
    StretchFromImage(tile, image, 0, 0, w, h, source.left, source.top, w, h);
    HBITMAP bitmap = tile.Detach();
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    if (!brush)
        return false;
    POINT origin = {target.left, target.top};
    LPtoDP(dc, &origin, 1);
    POINT oldOrigin;
    SetBrushOrgEx(dc, origin.x, origin.y, &oldOrigin);
    FillRect(dc, &target, brush);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, NULL);
    DeleteObject(brush);
    return true;
}

// Draws the source rect of the image (inside it, not empty) into the target
// in a draw mode. Plain images not mirrored go straight from the image; the
// others are cut out first, as transparency, alpha and mirroring need.
bool DrawImageRect(HDC dc, const CxImage& image, const RECT& source, const RECT& target, DWORD mode, bool mirrored)
{
    if (RectWidth(target) <= 0 || RectHeight(target) <= 0)
        return true;
    const int sw = RectWidth(source), sh = RectHeight(source);
    if (mode == SkinDrawNatural) {
        const int w = sw < RectWidth(target) ? sw : RectWidth(target);
        const int h = sh < RectHeight(target) ? sh : RectHeight(target);
        if (IsPlain(image) && !mirrored) {
            StretchFromImage(dc, image, target.left, target.top, w, h, source.left, source.top, w, h);
            return true;
        }
        CxImage piece;
        if (!const_cast<CxImage&>(image).Crop(source.left, source.top, source.left + w, source.top + h, &piece))
            return false;
        if (mirrored)
            piece.Mirror();
        return piece.Draw(dc, target.left, target.top, w, h);
    }
    if (IsPlain(image) && !mirrored) {
        if (mode == SkinDrawTile)
            return TileFromImage(dc, image, source, target);
        StretchFromImage(dc, image, target.left, target.top, RectWidth(target), RectHeight(target), source.left,
                         source.top, sw, sh);
        return true;
    }
    CxImage* piece = new CxImage();
    bool drawn = const_cast<CxImage&>(image).Crop(source.left, source.top, source.right, source.bottom, piece);
    if (drawn) {
        if (mirrored)
            piece->Mirror();
        if (mode == SkinDrawTile) {
            drawn = piece->Tile(dc, &target);
        } else {
            // Windows 2000 puts a stretched copy in a mirrored DC one pixel
            // to the left.
            const int shift = mirrored && GetSkinOSVersionCode() == 6 ? 1 : 0;
            drawn = piece->Stretch(dc, target.left + shift, target.top, RectWidth(target), RectHeight(target));
        }
    }
    delete piece;
    return drawn;
}

CxImage* FindImage(CSkinStore* store, const char* name)
{
    return store && name[0] ? store->FindImage(name) : NULL;
}

BOOL Fill(HDC dc, const RECT& rect, COLORREF colour, BOOL fillOnFailure)
{
    if (fillOnFailure && RectWidth(rect) > 0 && RectHeight(rect) > 0)
        FillSolidRect(dc, rect, colour);
    return FALSE;
}

// Grid modes: which of the nine parts (row by row) are stretched.
const bool s_stretched[9][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0}, // 0 none
    {1, 1, 1, 1, 1, 1, 1, 1, 1}, // 1 all
    {0, 0, 0, 0, 0, 0, 0, 1, 0}, // 2 bottom edge
    {0, 0, 0, 0, 1, 0, 0, 0, 0}, // 3 centre
    {0, 0, 0, 1, 0, 0, 0, 0, 0}, // 4 left edge
    {0, 1, 0, 1, 0, 1, 0, 1, 0}, // 5 the four edges
    {0, 0, 0, 0, 0, 1, 0, 0, 0}, // 6 right edge
    {0, 1, 0, 0, 0, 0, 0, 0, 0}, // 7 top edge
    {0, 1, 0, 1, 1, 1, 0, 1, 0}, // 8 edges and centre, the centre in source-wide copies
};

// Splits the extent [from, to) into three bands with the given end widths,
// which shrink in proportion when the extent is smaller than both.
void Bands(int from, int to, int first, int last, int edges[4])
{
    const int extent = to - from;
    if (first + last > extent) {
        const int shrunk = first + last ? (int)((LONGLONG)first * extent / (first + last)) : 0;
        first = shrunk;
        last = extent - shrunk;
    }
    edges[0] = from;
    edges[1] = from + first;
    edges[2] = to - last;
    edges[3] = to;
}

BOOL DrawGrid(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid, COLORREF colour,
              BOOL fillOnFailure, BOOL mirrored, bool withCentre)
{
    if (RectWidth(rect) <= 0 || RectHeight(rect) <= 0)
        return FALSE;
    CxImage* image = FindImage(store, grid.name);
    RECT source = image ? ClampToImage(*image, grid.source) : RECT();
    if (!image || IsRectEmpty(&source))
        return Fill(dc, rect, colour, fillOnFailure);

    // Margins outside 0 and the source's size are cut to what the source has.
    const int sw = RectWidth(source), sh = RectHeight(source);
    int left = grid.margins.left < 0 ? 0 : (grid.margins.left > sw ? sw : (int)grid.margins.left);
    int right = grid.margins.right < 0 ? 0 : (grid.margins.right > sw - left ? sw - left : (int)grid.margins.right);
    int top = grid.margins.top < 0 ? 0 : (grid.margins.top > sh ? sh : (int)grid.margins.top);
    int bottom = grid.margins.bottom < 0 ? 0 : (grid.margins.bottom > sh - top ? sh - top : (int)grid.margins.bottom);

    int sx[4] = {source.left, source.left + left, source.right - right, source.right};
    int sy[4] = {source.top, source.top + top, source.bottom - bottom, source.bottom};
    int tx[4], ty[4];
    Bands(rect.left, rect.right, left, right, tx);
    Bands(rect.top, rect.bottom, top, bottom, ty);

    const DWORD gridMode = grid.mode <= 8 ? grid.mode : 0;
    const DWORD base = gridMode == 1 ? SkinDrawStretch : SkinDrawTile;
    BOOL drawn = TRUE;
    for (int part = 0; part < 9; ++part) {
        if (part == 4 && !withCentre)
            continue;
        const int row = part / 3, column = part % 3;
        RECT src = {sx[column], sy[row], sx[column + 1], sy[row + 1]};
        RECT dst = {tx[column], ty[row], tx[column + 1], ty[row + 1]};
        if (IsRectEmpty(&dst))
            continue;
        if (IsRectEmpty(&src)) {
            // No pixels in the source for this part: its fill colour.
            Fill(dc, dst, colour, fillOnFailure);
            continue;
        }
        const DWORD mode = s_stretched[gridMode][part] ? (DWORD)SkinDrawStretch : base;
        if (part == 4 && gridMode == 8) {
            // Copies as wide as the source's centre, the last one squeezed.
            for (int x = dst.left; x < dst.right; x += RectWidth(src)) {
                RECT copy = {x, dst.top, x + RectWidth(src) < dst.right ? x + RectWidth(src) : dst.right, dst.bottom};
                drawn &= DrawImageRect(dc, *image, src, copy, SkinDrawStretch, mirrored != FALSE);
            }
            continue;
        }
        drawn &= DrawImageRect(dc, *image, src, dst, mode, mirrored != FALSE);
    }
    return drawn;
}

// The part of rect that the DC's clip lets through. A mirrored DC gets all
// of rect: a copy to it is mirrored within its own rectangle.
RECT VisiblePart(HDC dc, const RECT& rect)
{
    RECT box, visible;
    if (GetLayout(dc) & LAYOUT_RTL)
        return rect;
    const int kind = GetClipBox(dc, &box);
    if (kind == ERROR)
        return rect;
    if (kind == NULLREGION || !IntersectRect(&visible, &box, &rect))
        SetRectEmpty(&visible);
    return visible;
}

} // namespace

BOOL DrawSkinKeyed(HDC dc, const RECT& rect, COLORREF key, const std::function<BOOL(HDC, const RECT&)>& draw)
{
    if (RectWidth(rect) <= 0 || RectHeight(rect) <= 0)
        return FALSE;
    // Only what the DC shows is composed: a control painted for the one
    // beside it, or for a small update, is mostly clipped away.
    const RECT visible = VisiblePart(dc, rect);
    if (IsRectEmpty(&visible))
        return TRUE;
    CSkinMemDC picture(dc, RectWidth(visible), RectHeight(visible));
    if (!picture.IsValid())
        return FALSE;
    const POINT offset = {visible.left - rect.left, visible.top - rect.top};
    SetViewportOrgEx(picture, -offset.x, -offset.y, NULL);
    const RECT local = {0, 0, RectWidth(rect), RectHeight(rect)};
    FillSolidRect(picture, local, key);
    if (!draw(picture.GetDC(), local))
        return FALSE;
    return SkinTransparentStretchBlt(dc, visible.left, visible.top, RectWidth(visible), RectHeight(visible), picture,
                                     offset.x, offset.y, RectWidth(visible), RectHeight(visible), key);
}

bool IsImagePartEmpty(const SkinImageRef& part)
{
    return part.name[0] == '\0' || IsRectEmpty(&part.source);
}

BOOL DrawSkinImagePart(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part, COLORREF colour,
                       BOOL fillOnFailure, BOOL mirrored)
{
    if (RectWidth(rect) <= 0 || RectHeight(rect) <= 0)
        return FALSE;
    CxImage* image = IsImagePartEmpty(part) ? NULL : FindImage(store, part.name);
    const RECT source = image ? ClampToImage(*image, part.source) : RECT();
    if (!image || IsRectEmpty(&source) || !DrawImageRect(dc, *image, source, rect, part.mode, mirrored != FALSE))
        return Fill(dc, rect, colour, fillOnFailure);
    return TRUE;
}

BOOL DrawSkinImagePartTransparent(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part,
                                  COLORREF key, BOOL mirrored)
{
    return DrawSkinKeyed(dc, rect, key, [&](HDC picture, const RECT& local) {
        return DrawSkinImagePart(store, picture, local, part, key, FALSE, mirrored);
    });
}

BOOL DrawSkinNineGrid(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid, COLORREF colour,
                      BOOL fillOnFailure, BOOL mirrored)
{
    return DrawGrid(store, dc, rect, grid, colour, fillOnFailure, mirrored, true);
}

BOOL DrawSkinNineGridBorder(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid,
                            COLORREF colour, BOOL fillOnFailure, BOOL mirrored)
{
    // The border has no centre to copy: mode 8 stretches the edges as 5 does.
    SkinImageGrid border = grid;
    if (border.mode == 8)
        border.mode = 5;
    return DrawGrid(store, dc, rect, border, colour, fillOnFailure, mirrored, false);
}

BOOL DrawSkinNineGridEx(CSkinStore* store, HDC dc, const RECT& rect, const RECT& border, const SkinImageRef& part,
                        COLORREF colour, BOOL fillOnFailure, BOOL mirrored)
{
    SkinImageGrid grid;
    memcpy(grid.name, part.name, sizeof(grid.name));
    grid.source = part.source;
    grid.margins = border;
    grid.mode = part.mode;
    return DrawGrid(store, dc, rect, grid, colour, fillOnFailure, mirrored, true);
}

BOOL DrawSkinNineGridTransparent(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid,
                                 COLORREF key, BOOL mirrored)
{
    return DrawSkinKeyed(dc, rect, key, [&](HDC picture, const RECT& local) {
        return DrawGrid(store, picture, local, grid, key, FALSE, mirrored, true);
    });
}

BOOL SkinTransparentStretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx, int sy,
                               int sourceWidth, int sourceHeight, COLORREF key)
{
    if (width <= 0 || height <= 0 || !source)
        return FALSE;
    if (sourceWidth == width && sourceHeight == height) {
        // A plain copy needs the masks for the visible part alone.
        const RECT target = {x, y, x + width, y + height};
        const RECT visible = VisiblePart(dc, target);
        if (IsRectEmpty(&visible))
            return TRUE;
        sx += visible.left - x;
        sy += visible.top - y;
        x = visible.left;
        y = visible.top;
        width = sourceWidth = RectWidth(visible);
        height = sourceHeight = RectHeight(visible);
    }
    CSkinMemDC colour(dc, width, height);
    HDC maskDc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, NULL);
    const bool ok = colour.IsValid() && maskDc && mask;
    if (ok) {
        if (sourceWidth == width && sourceHeight == height) {
            BitBlt(colour, 0, 0, width, height, source, sx, sy, SRCCOPY);
        } else {
            SetStretchBltMode(colour, COLORONCOLOR);
            StretchBlt(colour, 0, 0, width, height, source, sx, sy, sourceWidth, sourceHeight, SRCCOPY);
        }
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        // Key pixels become 1 in the mask, all others 0.
        SetBkColor(colour, key);
        BitBlt(maskDc, 0, 0, width, height, colour, 0, 0, SRCCOPY);
        // Blacken the key pixels of the picture.
        SetBkColor(colour, RGB(0, 0, 0));
        SetTextColor(colour, RGB(255, 255, 255));
        BitBlt(colour, 0, 0, width, height, maskDc, 0, 0, SRCAND);
        // Blacken the target under the other pixels, then add the picture.
        const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        BitBlt(dc, x, y, width, height, maskDc, 0, 0, SRCAND);
        BitBlt(dc, x, y, width, height, colour, 0, 0, SRCPAINT);
        SetBkColor(dc, oldBk);
        SetTextColor(dc, oldText);
        SelectObject(maskDc, oldMask);
    }
    if (mask)
        DeleteObject(mask);
    if (maskDc)
        DeleteDC(maskDc);
    return ok;
}

BOOL SkinTransparentBlt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sx, int sy, COLORREF key,
                        HPALETTE palette)
{
    if (!bitmap)
        return FALSE;
    HPALETTE oldPalette = NULL;
    if (palette && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) {
        oldPalette = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    HDC source = CreateCompatibleDC(dc);
    BOOL result = FALSE;
    if (source) {
        HGDIOBJ old = SelectObject(source, bitmap);
        result = SkinTransparentStretchBlt(dc, x, y, width, height, source, sx, sy, width, height, key);
        SelectObject(source, old);
        DeleteDC(source);
    }
    if (oldPalette)
        SelectPalette(dc, oldPalette, FALSE);
    return result;
}

BOOL DrawImageTransparent(HDC dc, const CxImage* image, const RECT& rect, COLORREF key)
{
    if (!image || !image->IsValid())
        return FALSE;
    HBITMAP bitmap = image->MakeBitmap(dc);
    if (!bitmap)
        return FALSE;
    const int w = (int)image->GetWidth() < RectWidth(rect) ? (int)image->GetWidth() : RectWidth(rect);
    const int h = (int)image->GetHeight() < RectHeight(rect) ? (int)image->GetHeight() : RectHeight(rect);
    const BOOL result = SkinTransparentBlt(dc, rect.left, rect.top, w, h, bitmap, 0, 0, key, NULL);
    DeleteObject(bitmap);
    return result;
}

BOOL DrawBitmapTransparent(HDC dc, HBITMAP bitmap, const RECT& rect, COLORREF transparent)
{
    CxImage image;
    if (!image.CreateFromHBITMAP(bitmap))
        return FALSE;
    RGBQUAD key = {GetBValue(transparent), GetGValue(transparent), GetRValue(transparent), 0};
    if (image.GetBpp() < 24)
        image.SetTransIndex(image.GetNearestIndex(key));
    else
        image.SetTransColor(key);
    image.Enable(true);
    return image.DrawTransparent(dc, rect.left, rect.top, RectWidth(rect), RectHeight(rect)) ? TRUE : FALSE;
}
