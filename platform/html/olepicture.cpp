#include "platform/html/olepicture.h"

#include <olectl.h>

#include <cstring>

namespace
{
DWORD Le32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

WORD Le16(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

const LONG kMaxSide = 16384;

// Whether a device-independent bitmap (header, colour table, pixels; the
// pixels at pixelOffset from the header, or right after the colour table
// when 0) lies wholly inside its size bytes. An icon's bitmap states twice
// its height and holds a 1-bit mask after its colours.
bool DibFits(const BYTE* dib, size_t size, size_t pixelOffset, bool icon)
{
    if (size < 4)
        return false;
    const DWORD headerSize = Le32(dib);
    LONG width, height;
    WORD planes, bpp;
    DWORD compression = BI_RGB, colours = 0, imageSize = 0;
    if (headerSize == 12)
    {
        if (size < 12)
            return false;
        width = Le16(dib + 4);
        height = static_cast<short>(Le16(dib + 6));
        planes = Le16(dib + 8);
        bpp = Le16(dib + 10);
    }
    else if (headerSize >= 40 && headerSize <= 124)
    {
        if (size < headerSize)
            return false;
        width = static_cast<LONG>(Le32(dib + 4));
        height = static_cast<LONG>(Le32(dib + 8));
        planes = Le16(dib + 12);
        bpp = Le16(dib + 14);
        compression = Le32(dib + 16);
        imageSize = Le32(dib + 20);
        colours = Le32(dib + 32);
    }
    else
        return false;
    if (icon)
        height /= 2;
    if (planes != 1 || width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return false;
    const ULONGLONG rows = static_cast<ULONGLONG>(height < 0 ? -height : height);
    ULONGLONG table;
    switch (bpp)
    {
    case 1: case 4: case 8:
        if (colours > (1u << bpp))
            return false;
        table = (colours ? colours : (1u << bpp)) * (headerSize == 12 ? 3u : 4u);
        break;
    case 16: case 24: case 32:
        table = (compression == BI_BITFIELDS && headerSize == 40 ? 12u : 0u) + static_cast<ULONGLONG>(colours) * 4;
        break;
    default:
        return false;
    }
    const ULONGLONG start = pixelOffset ? pixelOffset : headerSize + table;
    if (headerSize + table > size || start > size || (pixelOffset && pixelOffset < headerSize))
        return false;
    ULONGLONG pixels;
    if (compression == BI_RGB || compression == BI_BITFIELDS)
    {
        if (compression == BI_BITFIELDS && bpp != 16 && bpp != 32)
            return false;
        pixels = (static_cast<ULONGLONG>(width) * bpp + 31) / 32 * 4 * rows;
    }
    else if ((compression == BI_RLE8 && bpp == 8) || (compression == BI_RLE4 && bpp == 4))
    {
        // Runs read no further than the size they state.
        if (imageSize == 0 || icon)
            return false;
        pixels = imageSize;
    }
    else
        return false;
    if (icon)
        pixels += (static_cast<ULONGLONG>(width) + 31) / 32 * 4 * rows;
    return pixels <= size - start;
}

// What the system's picture loader may be given without reading past the
// bytes: a bitmap or an icon (or cursor) whose every part lies inside the
// data, a GIF or a JPEG (their readers stop at the end of the data).
// Anything else, metafiles among them, is refused.
bool IsWhole(const BYTE* data, size_t size)
{
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
    {
        if (size < 18)
            return false;
        const DWORD offset = Le32(data + 10);
        return offset >= 14 && DibFits(data + 14, size - 14, offset - 14, false);
    }
    if (size >= 4 && Le16(data) == 0 && (Le16(data + 2) == 1 || Le16(data + 2) == 2))
    {
        if (size < 6)
            return false;
        const size_t count = Le16(data + 4);
        if (count == 0 || 6 + 16 * count > size)
            return false;
        for (size_t i = 0; i < count; ++i)
        {
            const BYTE* entry = data + 6 + 16 * i;
            const DWORD bytes = Le32(entry + 8), offset = Le32(entry + 12);
            if (offset < 6 + 16 * count || offset > size || bytes > size - offset ||
                !DibFits(data + offset, bytes, 0, true))
                return false;
        }
        return true;
    }
    if (size >= 6 && (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0))
        return size >= 13;
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}
}  // namespace

IPicture* LoadOlePicture(const BYTE* data, size_t size)
{
    // The system's loader trusts the offsets and sizes in a picture's
    // header (under Wine it reads past the data and the program dies).
    if (!data || size == 0 || !IsWhole(data, size))
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* p = GlobalLock(block);
    if (!p)
    {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(p, data, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)))
    {
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture))))
        picture = nullptr;
    stream->Release();
    return picture;
}

void OlePictureSize(IPicture* picture, int& width, int& height)
{
    OLE_XSIZE_HIMETRIC hw = 0;
    OLE_YSIZE_HIMETRIC hh = 0;
    picture->get_Width(&hw);
    picture->get_Height(&hh);
    HDC screen = GetDC(nullptr);
    width = MulDiv(hw, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    height = MulDiv(hh, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
}

bool RenderOlePicture(IPicture* picture, HDC dc, int x, int y, int width, int height)
{
    OLE_XSIZE_HIMETRIC hw = 0;
    OLE_YSIZE_HIMETRIC hh = 0;
    picture->get_Width(&hw);
    picture->get_Height(&hh);
    // Upside down, as Render takes its source rectangle.
    return SUCCEEDED(picture->Render(dc, x, y, width, height, 0, hh, hw, -hh, nullptr));
}
