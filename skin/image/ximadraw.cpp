// Drawing CxImage onto device contexts, and converting to and from GDI
// bitmaps.

#include "skin/image/ximage.h"

#include <string.h>

#include "skin/draw/skindib.h"

RGBQUAD CxImage::SampleColour(long sx, long sy, BYTE& alpha, bool& transparent) const
{
    RGBQUAD c;
    transparent = false;
    if (m_head.biBitCount <= 8) {
        BYTE index = GetPixelIndex(sx, sy);
        c = GetPaletteColor(index);
        transparent = m_transIndex >= 0 && index == (BYTE)m_transIndex;
    } else {
        const BYTE* p = m_bits + (size_t)sy * m_effWidth + sx * 3;
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        c.rgbReserved = 0;
        transparent = m_transColourOn && c.rgbBlue == m_transColour.rgbBlue
            && c.rgbGreen == m_transColour.rgbGreen && c.rgbRed == m_transColour.rgbRed;
    }
    unsigned a = m_alpha ? m_alpha[(size_t)sy * GetWidth() + sx] : 255;
    a = ((unsigned)m_alphaMax + 1) * a >> 8;
    if (m_alphaPalette && m_head.biBitCount <= 8)
        a = a * ((unsigned)c.rgbReserved + 1) >> 8;
    alpha = (BYTE)a;
    return c;
}

bool CxImage::Draw(HDC dc, long x, long y, long cx, long cy, const RECT* clip) const
{
    if (!m_dib || !dc || cx == 0 || cy == 0 || !m_enabled)
        return false;
    if (cx < 0)
        cx = m_head.biWidth;
    if (cy < 0)
        cy = m_head.biHeight;

    HRGN saved = NULL;
    int hadClip = 0;
    if (clip) {
        saved = CreateRectRgn(0, 0, 0, 0);
        hadClip = GetClipRgn(dc, saved);
        HRGN clipRegion = CreateRectRgnIndirect(clip);
        ExtSelectClipRgn(dc, clipRegion, RGN_AND);
        DeleteObject(clipRegion);
    }

    const long w = m_head.biWidth, h = m_head.biHeight;
    RECT target = {x, y, x + cx, y + cy}, box, visible;
    GetClipBox(dc, &box);
    bool drawn = true;
    const bool plain = !IsTransparent() && !m_alpha && !m_alphaPalette;
    if (plain && cx == w && cy == h) {
        SetStretchBltMode(dc, COLORONCOLOR);
        SetDIBitsToDevice(dc, x, y, (DWORD)cx, (DWORD)cy, 0, 0, 0, (UINT)h, m_bits, (const BITMAPINFO*)m_dib,
                          DIB_RGB_COLORS);
    } else if (IntersectRect(&visible, &target, &box)) {
        const long vw = visible.right - visible.left, vh = visible.bottom - visible.top;
        CSkinDib canvas(vw, vh, 24);
        if (!canvas.IsValid()) {
            drawn = false;
        } else {
            if (!plain)
                BitBlt(canvas.GetDC(), 0, 0, vw, vh, dc, visible.left, visible.top, SRCCOPY);
            for (long vy = 0; vy < vh; ++vy) {
                // Target rows run top-down, the image's rows bottom-up.
                long ty = visible.top + vy - y;
                long sy = h - 1 - (long)((LONGLONG)ty * h / cy);
                for (long vx = 0; vx < vw; ++vx) {
                    long tx = visible.left + vx - x;
                    long sx = (long)((LONGLONG)tx * w / cx);
                    BYTE alpha;
                    bool transparent;
                    RGBQUAD c = SampleColour(sx, sy, alpha, transparent);
                    if (!plain && (transparent || alpha == 0))
                        continue;
                    BYTE* d = canvas.Bits() + vy * canvas.Stride() + vx * 3;
                    if (plain || alpha == 255) {
                        d[0] = c.rgbBlue;
                        d[1] = c.rgbGreen;
                        d[2] = c.rgbRed;
                    } else {
                        d[0] = (BYTE)((c.rgbBlue * alpha + d[0] * (255 - alpha)) >> 8);
                        d[1] = (BYTE)((c.rgbGreen * alpha + d[1] * (255 - alpha)) >> 8);
                        d[2] = (BYTE)((c.rgbRed * alpha + d[2] * (255 - alpha)) >> 8);
                    }
                }
            }
            BitBlt(dc, visible.left, visible.top, vw, vh, canvas.GetDC(), 0, 0, SRCCOPY);
        }
    }

    if (clip) {
        SelectClipRgn(dc, hadClip == 1 ? saved : NULL);
        DeleteObject(saved);
    }
    return drawn;
}

bool CxImage::DrawTransparent(HDC dc, long x, long y, long cx, long cy) const
{
    if (!m_dib || !dc || !m_enabled)
        return false;
    if (cx < 0)
        cx = m_head.biWidth;
    if (cy < 0)
        cy = m_head.biHeight;
    if (!IsTransparent())
        return Stretch(dc, x, y, cx, cy);
    RECT target = {x, y, x + cx, y + cy};
    if (!RectVisible(dc, &target))
        return true;

    const long w = m_head.biWidth, h = m_head.biHeight;
    HDC imageDc = CreateCompatibleDC(dc);
    HDC maskDc = CreateCompatibleDC(dc);
    HBITMAP image = CreateCompatibleBitmap(dc, w, h);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, NULL);
    bool ok = imageDc && maskDc && image && mask;
    if (ok) {
        HGDIOBJ oldImage = SelectObject(imageDc, image);
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        SetDIBitsToDevice(imageDc, 0, 0, (DWORD)w, (DWORD)h, 0, 0, 0, (UINT)h, m_bits, (const BITMAPINFO*)m_dib,
                          DIB_RGB_COLORS);
        RGBQUAD t = GetTransColor();
        SetBkColor(imageDc, RGB(t.rgbRed, t.rgbGreen, t.rgbBlue));
        BitBlt(maskDc, 0, 0, w, h, imageDc, 0, 0, SRCCOPY);
        COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x, y, cx, cy, imageDc, 0, 0, w, h, SRCINVERT);
        StretchBlt(dc, x, y, cx, cy, maskDc, 0, 0, w, h, SRCAND);
        StretchBlt(dc, x, y, cx, cy, imageDc, 0, 0, w, h, SRCINVERT);
        SetBkColor(dc, oldBk);
        SetTextColor(dc, oldText);
        SelectObject(maskDc, oldMask);
        SelectObject(imageDc, oldImage);
    }
    if (mask)
        DeleteObject(mask);
    if (image)
        DeleteObject(image);
    if (maskDc)
        DeleteDC(maskDc);
    if (imageDc)
        DeleteDC(imageDc);
    return ok;
}

bool CxImage::Stretch(HDC dc, long x, long y, long cx, long cy) const
{
    if (!m_dib || !dc || !m_enabled)
        return false;
    SetStretchBltMode(dc, COLORONCOLOR);
    return StretchDIBits(dc, x, y, cx, cy, 0, 0, m_head.biWidth, m_head.biHeight, m_bits,
                         (const BITMAPINFO*)m_dib, DIB_RGB_COLORS, SRCCOPY) > 0;
}

bool CxImage::Tile(HDC dc, const RECT* rect) const
{
    if (!m_dib || !dc || !rect)
        return false;
    const long w = m_head.biWidth, h = m_head.biHeight;
    if (w <= 0 || h <= 0)
        return true;
    for (long y = rect->top; y < rect->bottom; y += h) {
        for (long x = rect->left; x < rect->right; x += w) {
            RECT cell = {x, y, x + w < rect->right ? x + w : rect->right, y + h < rect->bottom ? y + h : rect->bottom};
            Draw(dc, x, y, -1, -1, &cell);
        }
    }
    return true;
}

HBITMAP CxImage::MakeBitmap(HDC dc) const
{
    if (!m_dib)
        return NULL;
    if (dc)
        return CreateDIBitmap(dc, &m_head, CBM_INIT, m_bits, (const BITMAPINFO*)m_dib, DIB_RGB_COLORS);
    HDC memory = CreateCompatibleDC(NULL);
    if (!memory)
        return NULL;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(memory, (const BITMAPINFO*)m_dib, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bitmap && bits)
        memcpy(bits, m_bits, m_head.biSizeImage);
    DeleteDC(memory);
    return bitmap;
}

bool CxImage::CreateFromHBITMAP(HBITMAP bitmap, HPALETTE palette)
{
    if (!bitmap)
        return Fail("null bitmap");
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof(bm), &bm))
        return Fail("GetObject failed");
    if (!Create((DWORD)bm.bmWidth, (DWORD)bm.bmHeight, bm.bmBitsPixel, CXIMAGE_FORMAT_UNKNOWN))
        return false;
    HDC screen = GetDC(NULL);
    HPALETTE oldPalette = NULL;
    if (palette) {
        oldPalette = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    int rows = GetDIBits(screen, bitmap, 0, (UINT)bm.bmHeight, m_bits, (BITMAPINFO*)m_dib, DIB_RGB_COLORS);
    if (oldPalette)
        SelectPalette(screen, oldPalette, FALSE);
    ReleaseDC(NULL, screen);
    // GetDIBits may rewrite the header it was given; keep ours.
    memcpy(m_dib, &m_head, sizeof(m_head));
    if (rows == 0) {
        Destroy();
        return Fail("GetDIBits failed");
    }
    return true;
}
