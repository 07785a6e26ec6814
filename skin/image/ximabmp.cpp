// The BMP codec of CxImage: the Windows bitmap file format, with or without
// its 14-byte file header.

#include "skin/image/ximage.h"

#include <stdlib.h>
#include <string.h>

namespace {

DWORD LowestBit(DWORD mask)
{
    DWORD shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

DWORD BitCount(DWORD mask)
{
    DWORD n = 0;
    for (; mask; mask >>= 1)
        n += mask & 1;
    return n;
}

// A channel of a packed pixel widened (or narrowed) to 8 bits: a 5-bit value
// becomes value x 8.
BYTE Channel(DWORD pixel, DWORD mask)
{
    if (!mask)
        return 0;
    DWORD value = (pixel & mask) >> LowestBit(mask);
    DWORD bits = BitCount(mask);
    return (BYTE)(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

} // namespace

bool CxImage::DecodeBmp(CxMemFile& file)
{
    const long start = file.Tell();
    BITMAPFILEHEADER fileHeader;
    if (file.Read(&fileHeader, sizeof(fileHeader), 1) != 1)
        return Fail("Not a BMP");
    DWORD pixelOffset = 0;
    if (fileHeader.bfType == 0x4D42) {
        pixelOffset = fileHeader.bfOffBits;
    } else {
        file.Seek(start, 0);
    }

    DWORD headerSize = 0;
    if (file.Read(&headerSize, 4, 1) != 1)
        return Fail("Error reading BMP info");
    BITMAPINFOHEADER bih;
    memset(&bih, 0, sizeof(bih));
    bool core = false;
    DWORD masks[3] = {0, 0, 0};
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER bch;
        bch.bcSize = headerSize;
        if (file.Read((BYTE*)&bch + 4, sizeof(bch) - 4, 1) != 1)
            return Fail("Error reading BMP info");
        bih.biWidth = bch.bcWidth;
        bih.biHeight = bch.bcHeight;
        bih.biPlanes = bch.bcPlanes;
        bih.biBitCount = bch.bcBitCount;
        core = true;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= 124) {
        bih.biSize = headerSize;
        if (file.Read((BYTE*)&bih + 4, sizeof(bih) - 4, 1) != 1)
            return Fail("Error reading BMP info");
        // Version 4 and 5 headers carry the colour masks inside.
        BYTE extra[124 - sizeof(BITMAPINFOHEADER)];
        DWORD extraSize = headerSize - sizeof(BITMAPINFOHEADER);
        if (extraSize && file.Read(extra, extraSize, 1) != 1)
            return Fail("Error reading BMP info");
        if (extraSize >= 12)
            memcpy(masks, extra, 12);
    } else {
        return Fail("Error reading BMP info");
    }

    const WORD bpp = bih.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail("bad BMP header");
    if (bih.biWidth <= 0 || bih.biHeight == 0 || bih.biHeight == (LONG)0x80000000)
        return Fail("bad BMP header");
    const bool topDown = bih.biHeight < 0;
    const DWORD width = (DWORD)bih.biWidth;
    const DWORD height = (DWORD)(topDown ? -bih.biHeight : bih.biHeight);
    const DWORD compression = bih.biCompression;

    DWORD colours = 0;
    if (bpp <= 8) {
        colours = bih.biClrUsed ? bih.biClrUsed : (1u << bpp);
        if (colours > (1u << bpp))
            return Fail("bad BMP header");
    }
    if (bpp == 16 || bpp == 32) {
        if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER)
            && file.Read(masks, sizeof(masks), 1) != 1)
            return Fail("Error reading BMP info");
        if (compression != BI_BITFIELDS) {
            if (bpp == 16) {
                masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
            } else {
                masks[0] = 0xFF0000; masks[1] = 0x00FF00; masks[2] = 0x0000FF;
            }
        }
    }
    if (bpp <= 8 && compression != BI_RGB && !(compression == BI_RLE8 && bpp == 8)
        && !(compression == BI_RLE4 && bpp == 4))
        return Fail("compression type not supported");
    if ((bpp == 24 && compression != BI_RGB)
        || ((bpp == 16 || bpp == 32) && compression != BI_RGB && compression != BI_BITFIELDS))
        return Fail("unknown compression");

    if (!Create(width, height, bpp, CXIMAGE_FORMAT_BMP))
        return Fail("Can't allocate memory");
    m_xDpi = bih.biXPelsPerMeter ? (long)(bih.biXPelsPerMeter * 0.0254 + 0.5) : 96;
    m_yDpi = bih.biYPelsPerMeter ? (long)(bih.biYPelsPerMeter * 0.0254 + 0.5) : 96;
    if (m_escape) {
        Destroy();
        return Fail("Cancelled");
    }

    RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < colours; ++i) {
        BYTE entry[4] = {0, 0, 0, 0};
        if (file.Read(entry, core ? 3 : 4, 1) != 1) {
            Destroy();
            return Fail("Error reading BMP palette");
        }
        palette[i].rgbBlue = entry[0];
        palette[i].rgbGreen = entry[1];
        palette[i].rgbRed = entry[2];
        palette[i].rgbReserved = 0;
    }
    if (pixelOffset && !file.Seek(start + (long)pixelOffset, 0)) {
        Destroy();
        return Fail("corrupted BMP");
    }

    bool ok = true;
    if ((bpp <= 8 || bpp == 24) && compression == BI_RGB) {
        ok = file.Remaining() / m_effWidth >= height
            && file.Read(m_bits, m_effWidth, height) == height;
    } else if (bpp == 16 || bpp == 32) {
        const DWORD stride = (DWORD)(((ULONGLONG)width * bpp + 31) / 32 * 4);
        BYTE* row = (BYTE*)malloc(stride);
        if (!row) {
            Destroy();
            return Fail("can't allocate memory");
        }
        ok = file.Remaining() / stride >= height;
        for (DWORD y = 0; ok && y < height; ++y) {
            ok = file.Read(row, stride, 1) == 1;
            BYTE* out = GetBits(y);
            for (DWORD x = 0; ok && x < width; ++x) {
                DWORD pixel = bpp == 16 ? (DWORD)(row[2 * x] | (row[2 * x + 1] << 8))
                                        : (DWORD)(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16)
                                                  | ((DWORD)row[4 * x + 3] << 24));
                out[3 * x] = Channel(pixel, masks[2]);
                out[3 * x + 1] = Channel(pixel, masks[1]);
                out[3 * x + 2] = Channel(pixel, masks[0]);
            }
        }
        free(row);
    } else {
        // RLE8 or RLE4: runs and deltas must stay inside the image.
        const bool rle4 = compression == BI_RLE4;
        DWORD x = 0, y = 0;
        bool done = false;
        while (ok && !done) {
            long first = file.GetC(), second = file.GetC();
            if (first < 0 || second < 0)
                break; // data ended without an end marker: keep what came
            if (first > 0) {
                if (y >= height || x + (DWORD)first > width) {
                    ok = false;
                    break;
                }
                for (long i = 0; i < first; ++i, ++x) {
                    BYTE index = rle4 ? (BYTE)((i & 1) ? (second & 0x0F) : (second >> 4)) : (BYTE)second;
                    SetPixelIndex((long)x, (long)y, index);
                }
            } else if (second == 0) {
                x = 0;
                ++y;
            } else if (second == 1) {
                done = true;
            } else if (second == 2) {
                long dx = file.GetC(), dy = file.GetC();
                if (dx < 0 || dy < 0 || x + (DWORD)dx > width || y + (DWORD)dy > height) {
                    ok = false;
                    break;
                }
                x += (DWORD)dx;
                y += (DWORD)dy;
            } else {
                const long count = second;
                const DWORD bytes = rle4 ? (DWORD)(count + 1) / 2 : (DWORD)count;
                const DWORD padded = (bytes + 1) & ~1u;
                if (y >= height || x + (DWORD)count > width || file.Remaining() < padded) {
                    ok = false;
                    break;
                }
                BYTE literal[256];
                file.Read(literal, padded, 1);
                for (long i = 0; i < count; ++i, ++x) {
                    BYTE index = rle4 ? (BYTE)((i & 1) ? (literal[i / 2] & 0x0F) : (literal[i / 2] >> 4))
                                      : literal[i];
                    SetPixelIndex((long)x, (long)y, index);
                }
            }
        }
    }
    if (!ok) {
        Destroy();
        return Fail("corrupted BMP");
    }
    if (topDown)
        Flip();
    return true;
}

bool CxImage::EncodeBmp(CxFile& file)
{
    const DWORD paletteSize = m_head.biClrUsed * sizeof(RGBQUAD);
    BITMAPFILEHEADER header;
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + paletteSize;
    header.bfSize = header.bfOffBits + m_head.biSizeImage;
    header.bfReserved1 = header.bfReserved2 = 0;
    BITMAPINFOHEADER info = m_head;
    info.biXPelsPerMeter = (LONG)(m_xDpi / 0.0254 + 0.5);
    info.biYPelsPerMeter = (LONG)(m_yDpi / 0.0254 + 0.5);
    if (file.Write(&header, sizeof(header), 1) != 1 || file.Write(&info, sizeof(info), 1) != 1
        || (paletteSize && file.Write(GetPalette(), paletteSize, 1) != 1)
        || file.Write(m_bits, m_head.biSizeImage, 1) != 1)
        return Fail("Encode: write failed");
    return true;
}
