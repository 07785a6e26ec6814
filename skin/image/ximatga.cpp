// The TGA codec of CxImage: Truevision TGA, colour-mapped, true-colour and
// grey images, raw or run-length encoded.

#include "skin/image/ximage.h"

#include <string.h>

namespace {

#pragma pack(push, 1)
struct TgaHeader
{
    BYTE idLength;
    BYTE colourMapType;
    BYTE imageType;
    WORD colourMapOrigin;
    WORD colourMapLength;
    BYTE colourMapEntrySize;
    WORD xOrigin;
    WORD yOrigin;
    WORD width;
    WORD height;
    BYTE pixelDepth;
    BYTE descriptor;
};
#pragma pack(pop)
static_assert(sizeof(TgaHeader) == 18, "TGA header is 18 bytes");

// One stored pixel of depth bits as a colour (alpha in rgbReserved).
RGBQUAD TgaColour(const BYTE* p, int depth)
{
    RGBQUAD c = {0, 0, 0, 255};
    switch (depth) {
    case 15:
    case 16: {
        WORD v = (WORD)(p[0] | (p[1] << 8));
        c.rgbRed = (BYTE)(((v >> 10) & 0x1F) * 8);
        c.rgbGreen = (BYTE)(((v >> 5) & 0x1F) * 8);
        c.rgbBlue = (BYTE)((v & 0x1F) * 8);
        break;
    }
    case 24:
    case 32:
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        if (depth == 32)
            c.rgbReserved = p[3];
        break;
    default:
        c.rgbBlue = c.rgbGreen = c.rgbRed = p[0];
    }
    return c;
}

} // namespace

bool CxImage::DecodeTga(CxMemFile& file)
{
    TgaHeader h;
    if (file.Read(&h, sizeof(h), 1) != 1)
        return Fail("Not a TGA");
    switch (h.imageType) {
    case 1: case 2: case 3: case 9: case 10: case 11:
        break;
    default:
        return Fail("Unknown TGA image type");
    }
    const int depth = h.pixelDepth;
    if (h.width == 0 || h.height == 0 || depth == 0 || h.colourMapLength > 256
        || (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32))
        return Fail("bad TGA header");
    const bool mapped = h.imageType == 1 || h.imageType == 9;
    const bool grey = h.imageType == 3 || h.imageType == 11;
    const bool rle = h.imageType >= 9;
    // Indexed and grey images are stored one byte per pixel.
    if ((mapped || grey) && depth != 8)
        return Fail("bad TGA header");
    if (mapped && (h.colourMapType != 1 || h.colourMapOrigin + h.colourMapLength > 256))
        return Fail("bad TGA header");
    const int mapEntry = h.colourMapEntrySize;
    if (h.colourMapType == 1 && h.colourMapLength
        && mapEntry != 15 && mapEntry != 16 && mapEntry != 24 && mapEntry != 32)
        return Fail("bad TGA header");
    if (!file.Seek(h.idLength, 1))
        return Fail("corrupted TGA");

    const DWORD width = h.width, height = h.height;
    if (!Create(width, height, (mapped || grey) ? 8 : 24, CXIMAGE_FORMAT_TGA))
        return Fail("TGA Create failed");
    if (m_escape) {
        Destroy();
        return Fail("Cancelled");
    }
    if (grey)
        SetGrayPalette();
    if (h.colourMapType == 1 && h.colourMapLength) {
        const DWORD entryBytes = (DWORD)(mapEntry + 7) / 8;
        for (DWORD i = 0; i < h.colourMapLength; ++i) {
            BYTE entry[4] = {0, 0, 0, 0};
            if (file.Read(entry, entryBytes, 1) != 1) {
                Destroy();
                return Fail("corrupted TGA");
            }
            if (mapped) {
                RGBQUAD c = TgaColour(entry, mapEntry);
                c.rgbReserved = 0;
                SetPaletteColor((BYTE)(h.colourMapOrigin + i), c);
            }
        }
    }
    if (depth == 32)
        AlphaCreate();

    const DWORD pixelBytes = (DWORD)(depth + 7) / 8;
    const bool topLeft = (h.descriptor & 0x20) != 0;
    const ULONGLONG total = (ULONGLONG)width * height;
    ULONGLONG n = 0;
    BYTE pixel[4] = {0, 0, 0, 0};
    DWORD runLeft = 0;
    bool runRepeats = false;
    while (n < total) {
        if (rle && runLeft == 0) {
            long packet = file.GetC();
            if (packet < 0)
                break;
            runLeft = (DWORD)(packet & 0x7F) + 1;
            runRepeats = (packet & 0x80) != 0;
            if (n + runLeft > total)
                break; // a run that does not fit
            if (runRepeats && file.Read(pixel, pixelBytes, 1) != 1)
                break;
        }
        if (!rle || !runRepeats) {
            if (file.Read(pixel, pixelBytes, 1) != 1)
                break;
        }
        if (rle)
            --runLeft;
        const long x = (long)(n % width);
        const long row = (long)(n / width);
        const long y = topLeft ? (long)height - 1 - row : row;
        if (mapped || grey) {
            SetPixelIndex(x, y, pixel[0]);
        } else {
            RGBQUAD c = TgaColour(pixel, depth);
            BYTE* p = m_bits + (size_t)y * m_effWidth + x * 3;
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
            if (m_alpha)
                AlphaSet(x, y, c.rgbReserved);
        }
        ++n;
    }
    if (n < total) {
        Destroy();
        return Fail("corrupted TGA");
    }
    if (h.descriptor & 0x10)
        Mirror();
    return true;
}

bool CxImage::EncodeTga(CxFile& file)
{
    const WORD bpp = m_head.biBitCount;
    if (bpp != 8 && bpp != 24)
        return Fail("Bit depth must be 8 or 24");
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF)
        return Fail("Encode: image too large for TGA");
    TgaHeader h;
    memset(&h, 0, sizeof(h));
    const bool withAlpha = bpp == 24 && m_alpha;
    if (bpp == 8) {
        h.colourMapType = 1;
        h.imageType = 1;
        h.colourMapLength = (WORD)m_head.biClrUsed;
        h.colourMapEntrySize = 24;
        h.pixelDepth = 8;
    } else {
        h.imageType = 2;
        h.pixelDepth = withAlpha ? 32 : 24;
        h.descriptor = withAlpha ? 8 : 0;
    }
    h.width = (WORD)GetWidth();
    h.height = (WORD)GetHeight();
    if (file.Write(&h, sizeof(h), 1) != 1)
        return Fail("Encode: write failed");
    if (bpp == 8) {
        RGBQUAD* palette = GetPalette();
        for (DWORD i = 0; i < m_head.biClrUsed; ++i) {
            BYTE entry[3] = {palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed};
            if (file.Write(entry, 3, 1) != 1)
                return Fail("Encode: write failed");
        }
    }
    for (DWORD y = 0; y < GetHeight(); ++y) {
        const BYTE* row = GetBits(y);
        if (bpp == 8 || !withAlpha) {
            if (file.Write(row, GetWidth() * (bpp / 8), 1) != 1)
                return Fail("Encode: write failed");
            continue;
        }
        for (DWORD x = 0; x < GetWidth(); ++x) {
            BYTE p[4] = {row[3 * x], row[3 * x + 1], row[3 * x + 2], AlphaGet((long)x, (long)y)};
            if (file.Write(p, 4, 1) != 1)
                return Fail("Encode: write failed");
        }
    }
    return true;
}
