#include "skin/image/ximage.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

CxImage::CxImage(DWORD type)
{
    Init(type);
}

CxImage::CxImage(DWORD width, DWORD height, DWORD bpp, DWORD type)
{
    Init(type);
    Create(width, height, bpp, type);
}

CxImage::CxImage(const CxImage& other, bool copyPixels, bool copySelection, bool copyAlpha)
{
    Init(other.m_type);
    CopyFrom(other, copyPixels, copySelection, copyAlpha);
}

CxImage::~CxImage()
{
    Destroy();
}

void CxImage::Init(DWORD type)
{
    m_dib = NULL;
    memset(&m_head, 0, sizeof(m_head));
    m_effWidth = 0;
    m_bits = NULL;
    m_type = type;
    m_transIndex = -1;
    memset(&m_transColour, 0, sizeof(m_transColour));
    m_transColourOn = false;
    m_alpha = NULL;
    m_selection = NULL;
    m_enabled = true;
    m_alphaMax = 255;
    m_alphaPalette = false;
    m_lastError[0] = '\0';
    m_ghost = NULL;
    m_xDpi = m_yDpi = 96;
    memset(&m_lastColour, 0, sizeof(m_lastColour));
    m_lastIndex = 0;
    m_lastValid = false;
    m_progress = 0;
    m_escape = false;
    m_maxMemory = CXIMAGE_MAX_MEMORY;
}

bool CxImage::Fail(const char* message)
{
    lstrcpynA(m_lastError, message, sizeof(m_lastError));
    return false;
}

void CxImage::CopyFrom(const CxImage& other, bool copyPixels, bool copySelection, bool copyAlpha)
{
    if (!other.m_dib)
        return;
    if (!Create(other.GetWidth(), other.GetHeight(), other.GetBpp(), other.m_type))
        return;
    if (copyPixels)
        memcpy(m_dib, other.m_dib, GetSize());
    else
        SetPalette(other.GetPalette(), other.GetNumColors());
    const DWORD pixels = GetWidth() * GetHeight();
    if (copyAlpha && other.m_alpha && AlphaCreate())
        memcpy(m_alpha, other.m_alpha, pixels);
    if (copySelection && other.m_selection) {
        m_selection = (BYTE*)malloc(pixels);
        if (m_selection)
            memcpy(m_selection, other.m_selection, pixels);
    }
    m_transIndex = other.m_transIndex;
    m_transColour = other.m_transColour;
    m_transColourOn = other.m_transColourOn;
    m_alphaMax = other.m_alphaMax;
    m_alphaPalette = other.m_alphaPalette;
    m_enabled = other.m_enabled;
    m_xDpi = other.m_xDpi;
    m_yDpi = other.m_yDpi;
}

DWORD CxImage::GetSize() const
{
    return m_dib ? sizeof(BITMAPINFOHEADER) + m_head.biClrUsed * sizeof(RGBQUAD) + m_head.biSizeImage : 0;
}

void* CxImage::Create(DWORD width, DWORD height, DWORD bpp, DWORD type)
{
    Destroy();
    if (width == 0 || height == 0 || width > 0x7FFFFFF || height > 0x7FFFFFF) {
        Fail("CxImage::Create : width and height must be greater than zero");
        return NULL;
    }
    if (bpp <= 1)
        bpp = 1;
    else if (bpp <= 4)
        bpp = 4;
    else if (bpp <= 8)
        bpp = 8;
    else
        bpp = 24;
    if ((ULONGLONG)width * height * bpp / 8 > m_maxMemory) {
        Fail("CXIMAGE_MAX_MEMORY exceeded");
        return NULL;
    }
    const DWORD colours = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    const DWORD effWidth = (DWORD)((((ULONGLONG)width * bpp) + 31) / 32 * 4);
    const ULONGLONG imageSize = (ULONGLONG)effWidth * height;
    if (imageSize > m_maxMemory + 4 * (ULONGLONG)height) {
        Fail("CXIMAGE_MAX_MEMORY exceeded");
        return NULL;
    }
    const size_t total = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + (size_t)imageSize;
    m_dib = (BYTE*)calloc(1, total);
    if (!m_dib) {
        Fail("CxImage::Create can't allocate memory");
        return NULL;
    }
    m_type = type;
    m_effWidth = effWidth;
    memset(&m_head, 0, sizeof(m_head));
    m_head.biSize = sizeof(BITMAPINFOHEADER);
    m_head.biWidth = (LONG)width;
    m_head.biHeight = (LONG)height;
    m_head.biPlanes = 1;
    m_head.biBitCount = (WORD)bpp;
    m_head.biCompression = BI_RGB;
    m_head.biSizeImage = (DWORD)imageSize;
    m_head.biClrUsed = colours;
    memcpy(m_dib, &m_head, sizeof(m_head));
    m_bits = m_dib + sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
    m_lastValid = false;
    return m_dib;
}

bool CxImage::Destroy()
{
    if (m_ghost)
        return false;
    free(m_selection);
    free(m_alpha);
    free(m_dib);
    m_selection = m_alpha = m_dib = m_bits = NULL;
    memset(&m_head, 0, sizeof(m_head));
    m_effWidth = 0;
    return true;
}

bool CxImage::Transfer(CxImage& from)
{
    if (&from == this || !Destroy())
        return false;
    m_dib = from.m_dib;
    m_head = from.m_head;
    m_effWidth = from.m_effWidth;
    m_bits = from.m_bits;
    m_type = from.m_type;
    m_transIndex = from.m_transIndex;
    m_transColour = from.m_transColour;
    m_transColourOn = from.m_transColourOn;
    m_alpha = from.m_alpha;
    m_selection = from.m_selection;
    m_enabled = from.m_enabled;
    m_alphaMax = from.m_alphaMax;
    m_alphaPalette = from.m_alphaPalette;
    m_xDpi = from.m_xDpi;
    m_yDpi = from.m_yDpi;
    m_lastValid = false;
    from.m_dib = from.m_bits = from.m_alpha = from.m_selection = NULL;
    memset(&from.m_head, 0, sizeof(from.m_head));
    from.m_effWidth = 0;
    return true;
}

BYTE* CxImage::GetBits(DWORD row) const
{
    if (!m_bits || row >= GetHeight())
        return NULL;
    return m_bits + (size_t)row * m_effWidth;
}

RGBQUAD* CxImage::GetPalette() const
{
    return m_dib && m_head.biClrUsed ? (RGBQUAD*)(m_dib + sizeof(BITMAPINFOHEADER)) : NULL;
}

RGBQUAD CxImage::GetTransColor() const
{
    if (m_head.biBitCount < 24 && m_transIndex >= 0 && (DWORD)m_transIndex < m_head.biClrUsed)
        return GetPaletteColor((BYTE)m_transIndex);
    return m_transColour;
}

void CxImage::SetTransColor(RGBQUAD colour)
{
    colour.rgbReserved = 0;
    m_transColour = colour;
    m_transColourOn = true;
}

bool CxImage::IsTransparent() const
{
    if (m_head.biBitCount < 24)
        return m_transIndex >= 0;
    return m_transColourOn;
}

// ---------------------------------------------------------------- pixels

bool CxImage::IsInside(long x, long y) const
{
    return m_dib && x >= 0 && y >= 0 && x < m_head.biWidth && y < m_head.biHeight;
}

BYTE CxImage::GetPixelIndex(long x, long y) const
{
    if (!IsInside(x, y) || m_head.biBitCount > 8)
        return 0;
    const BYTE* row = m_bits + (size_t)y * m_effWidth;
    switch (m_head.biBitCount) {
    case 8: return row[x];
    case 4: return (BYTE)((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    default: return (BYTE)((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

void CxImage::SetPixelIndex(long x, long y, BYTE index)
{
    if (!IsInside(x, y) || m_head.biBitCount > 8)
        return;
    BYTE* row = m_bits + (size_t)y * m_effWidth;
    switch (m_head.biBitCount) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        BYTE shift = (x & 1) ? 0 : 4;
        row[x >> 1] = (BYTE)((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    default: {
        BYTE mask = (BYTE)(0x80 >> (x & 7));
        if (index & 1)
            row[x >> 3] |= mask;
        else
            row[x >> 3] &= (BYTE)~mask;
    }
    }
}

RGBQUAD CxImage::GetPixelColor(long x, long y, bool withAlpha) const
{
    RGBQUAD colour = {0, 0, 0, 0};
    if (!IsInside(x, y))
        return colour;
    if (m_head.biBitCount <= 8) {
        colour = GetPaletteColor(GetPixelIndex(x, y));
    } else {
        const BYTE* p = m_bits + (size_t)y * m_effWidth + x * 3;
        colour.rgbBlue = p[0];
        colour.rgbGreen = p[1];
        colour.rgbRed = p[2];
    }
    colour.rgbReserved = withAlpha && m_alpha ? AlphaGet(x, y) : 0;
    return colour;
}

void CxImage::SetPixelColor(long x, long y, RGBQUAD colour, bool setAlpha)
{
    if (!IsInside(x, y))
        return;
    if (m_head.biBitCount <= 8) {
        SetPixelIndex(x, y, GetNearestIndex(colour));
    } else {
        BYTE* p = m_bits + (size_t)y * m_effWidth + x * 3;
        p[0] = colour.rgbBlue;
        p[1] = colour.rgbGreen;
        p[2] = colour.rgbRed;
    }
    if (setAlpha && m_alpha)
        AlphaSet(x, y, colour.rgbReserved);
}

void CxImage::SetPixelColor(long x, long y, COLORREF colour)
{
    RGBQUAD q = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    SetPixelColor(x, y, q, false);
}

RGBQUAD CxImage::GetPaletteColor(BYTE index) const
{
    RGBQUAD colour = {0, 0, 0, 0};
    RGBQUAD* palette = GetPalette();
    if (palette && index < m_head.biClrUsed)
        colour = palette[index];
    return colour;
}

bool CxImage::SetPaletteColor(BYTE index, RGBQUAD colour)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || index >= m_head.biClrUsed)
        return false;
    palette[index] = colour;
    m_lastValid = false;
    return true;
}

void CxImage::SetPalette(const RGBQUAD* source, DWORD count)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || !source)
        return;
    if (count > m_head.biClrUsed)
        count = m_head.biClrUsed;
    memcpy(palette, source, count * sizeof(RGBQUAD));
    m_lastValid = false;
}

void CxImage::SetGrayPalette()
{
    RGBQUAD* palette = GetPalette();
    const DWORD n = m_head.biClrUsed;
    if (!palette || n < 2)
        return;
    for (DWORD i = 0; i < n; ++i) {
        BYTE v = (BYTE)(255 / (n - 1) * i);
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = v;
        palette[i].rgbReserved = 0;
    }
    m_lastValid = false;
}

BYTE CxImage::GetNearestIndex(RGBQUAD c) const
{
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return 0;
    if (m_lastValid && m_lastColour.rgbBlue == c.rgbBlue && m_lastColour.rgbGreen == c.rgbGreen
        && m_lastColour.rgbRed == c.rgbRed)
        return m_lastIndex;
    long best = 200000;
    BYTE index = 0;
    for (DWORD i = 0; i < m_head.biClrUsed; ++i) {
        long db = palette[i].rgbBlue - c.rgbBlue;
        long dg = palette[i].rgbGreen - c.rgbGreen;
        long dr = palette[i].rgbRed - c.rgbRed;
        long distance = db * db + dg * dg + dr * dr;
        if (distance == 0) {
            index = (BYTE)i;
            break;
        }
        if (distance < best) {
            best = distance;
            index = (BYTE)i;
        }
    }
    m_lastColour = c;
    m_lastIndex = index;
    m_lastValid = true;
    return index;
}

// ---------------------------------------------------------------- alpha

bool CxImage::AlphaCreate()
{
    if (!m_dib)
        return false;
    if (!m_alpha)
        m_alpha = (BYTE*)calloc(1, (size_t)GetWidth() * GetHeight());
    return m_alpha != NULL;
}

void CxImage::AlphaDelete()
{
    free(m_alpha);
    m_alpha = NULL;
}

void CxImage::AlphaClear()
{
    if (m_alpha)
        memset(m_alpha, 0, (size_t)GetWidth() * GetHeight());
}

BYTE CxImage::AlphaGet(long x, long y) const
{
    return m_alpha && IsInside(x, y) ? m_alpha[(size_t)y * GetWidth() + x] : 0;
}

void CxImage::AlphaSet(long x, long y, BYTE level)
{
    if (m_alpha && IsInside(x, y))
        m_alpha[(size_t)y * GetWidth() + x] = level;
}

void CxImage::AlphaFlip()
{
    if (!m_alpha)
        return;
    const DWORD w = GetWidth(), h = GetHeight();
    for (DWORD y = 0; y < h / 2; ++y) {
        BYTE* a = m_alpha + (size_t)y * w;
        BYTE* b = m_alpha + (size_t)(h - 1 - y) * w;
        for (DWORD x = 0; x < w; ++x) {
            BYTE t = a[x];
            a[x] = b[x];
            b[x] = t;
        }
    }
}

void CxImage::AlphaMirror()
{
    if (!m_alpha)
        return;
    const DWORD w = GetWidth(), h = GetHeight();
    for (DWORD y = 0; y < h; ++y) {
        BYTE* row = m_alpha + (size_t)y * w;
        for (DWORD x = 0; x < w / 2; ++x) {
            BYTE t = row[x];
            row[x] = row[w - 1 - x];
            row[w - 1 - x] = t;
        }
    }
}

// ---------------------------------------------------------------- transformations

bool CxImage::Crop(long left, long top, long right, long bottom, CxImage* destination)
{
    if (!m_dib)
        return false;
    // Coordinates are top-down; rows are stored bottom-up.
    left = left < 0 ? 0 : left;
    top = top < 0 ? 0 : top;
    right = right > m_head.biWidth ? m_head.biWidth : right;
    bottom = bottom > m_head.biHeight ? m_head.biHeight : bottom;
    if (right <= left || bottom <= top)
        return false;
    const DWORD w = (DWORD)(right - left), h = (DWORD)(bottom - top);
    CxImage cut(m_type);
    cut.m_maxMemory = (destination ? destination : this)->m_maxMemory;
    if (!cut.Create(w, h, m_head.biBitCount, m_type))
        return Fail(cut.m_lastError);
    cut.SetPalette(GetPalette(), m_head.biClrUsed);
    cut.m_transIndex = m_transIndex;
    cut.m_transColour = m_transColour;
    cut.m_transColourOn = m_transColourOn;
    cut.m_alphaMax = m_alphaMax;
    cut.m_alphaPalette = m_alphaPalette;
    cut.m_xDpi = m_xDpi;
    cut.m_yDpi = m_yDpi;
    const long firstRow = m_head.biHeight - bottom; // bottom-up index of the lowest row kept
    for (DWORD y = 0; y < h; ++y) {
        const long sy = firstRow + (long)y;
        if (m_head.biBitCount >= 8) {
            const DWORD bytes = m_head.biBitCount / 8;
            memcpy(cut.GetBits(y), GetBits((DWORD)sy) + left * bytes, w * bytes);
        } else {
            for (DWORD x = 0; x < w; ++x)
                cut.SetPixelIndex((long)x, (long)y, GetPixelIndex(left + (long)x, sy));
        }
    }
    if (m_alpha && cut.AlphaCreate()) {
        for (DWORD y = 0; y < h; ++y)
            memcpy(cut.m_alpha + (size_t)y * w, m_alpha + (size_t)(firstRow + y) * GetWidth() + left, w);
    }
    (destination ? destination : this)->Transfer(cut);
    return true;
}

bool CxImage::Mirror()
{
    if (!m_dib)
        return false;
    const long w = m_head.biWidth, h = m_head.biHeight;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w / 2; ++x) {
            if (m_head.biBitCount == 24) {
                BYTE* a = m_bits + (size_t)y * m_effWidth + x * 3;
                BYTE* b = m_bits + (size_t)y * m_effWidth + (w - 1 - x) * 3;
                for (int i = 0; i < 3; ++i) {
                    BYTE t = a[i];
                    a[i] = b[i];
                    b[i] = t;
                }
            } else {
                BYTE a = GetPixelIndex(x, y);
                SetPixelIndex(x, y, GetPixelIndex(w - 1 - x, y));
                SetPixelIndex(w - 1 - x, y, a);
            }
        }
    }
    AlphaMirror();
    return true;
}

bool CxImage::Flip()
{
    if (!m_dib)
        return false;
    BYTE* line = (BYTE*)malloc(m_effWidth);
    if (!line)
        return Fail("CxImage::Flip can't allocate memory");
    const DWORD h = GetHeight();
    for (DWORD y = 0; y < h / 2; ++y) {
        BYTE* a = GetBits(y);
        BYTE* b = GetBits(h - 1 - y);
        memcpy(line, a, m_effWidth);
        memcpy(a, b, m_effWidth);
        memcpy(b, line, m_effWidth);
    }
    free(line);
    AlphaFlip();
    return true;
}

bool CxImage::Rotate(float angle, CxImage* destination)
{
    if (!m_dib)
        return false;
    // Quarter turns are exact; other angles take the nearest source pixel.
    const double radians = angle * 3.14159265358979323846 / 180.0;
    double cosA = cos(radians), sinA = sin(radians);
    if (fabs(cosA) < 1e-9) cosA = 0;
    if (fabs(sinA) < 1e-9) sinA = 0;
    const double w = m_head.biWidth, h = m_head.biHeight;
    const double cx = w / 2.0, cy = h / 2.0;
    double xs[4] = {-cx, cx, cx, -cx}, ys[4] = {-cy, -cy, cy, cy};
    double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
    for (int i = 0; i < 4; ++i) {
        double rx = xs[i] * cosA - ys[i] * sinA, ry = xs[i] * sinA + ys[i] * cosA;
        minX = rx < minX ? rx : minX;
        maxX = rx > maxX ? rx : maxX;
        minY = ry < minY ? ry : minY;
        maxY = ry > maxY ? ry : maxY;
    }
    const long roundedW = (long)floor(maxX - minX + 0.5), roundedH = (long)floor(maxY - minY + 0.5);
    const long nw = roundedW > 0 ? roundedW : 1, nh = roundedH > 0 ? roundedH : 1;
    CxImage turned(m_type);
    if (!turned.Create((DWORD)nw, (DWORD)nh, m_head.biBitCount, m_type))
        return Fail(turned.m_lastError);
    turned.SetPalette(GetPalette(), m_head.biClrUsed);
    turned.m_transIndex = m_transIndex;
    turned.m_transColour = m_transColour;
    turned.m_transColourOn = m_transColourOn;
    if (m_alpha)
        turned.AlphaCreate();
    const double ncx = nw / 2.0, ncy = nh / 2.0;
    for (long y = 0; y < nh; ++y) {
        for (long x = 0; x < nw; ++x) {
            // Turn the target pixel's centre back into the source.
            double tx = x + 0.5 - ncx, ty = y + 0.5 - ncy;
            double sx = tx * cosA + ty * sinA + cx, sy = -tx * sinA + ty * cosA + cy;
            long ix = (long)floor(sx), iy = (long)floor(sy);
            if (!IsInside(ix, iy))
                continue;
            if (m_head.biBitCount <= 8)
                turned.SetPixelIndex(x, y, GetPixelIndex(ix, iy));
            else
                turned.SetPixelColor(x, y, GetPixelColor(ix, iy, false), false);
            if (m_alpha)
                turned.AlphaSet(x, y, AlphaGet(ix, iy));
        }
        m_progress = (BYTE)(y * 100 / nh);
    }
    (destination ? destination : this)->Transfer(turned);
    return true;
}

bool CxImage::Rotate180(CxImage* destination)
{
    if (!m_dib)
        return false;
    CxImage turned(*this, true, false, true);
    if (!turned.IsValid())
        return Fail("CxImage::Rotate180 can't allocate memory");
    const long w = m_head.biWidth, h = m_head.biHeight;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            if (m_head.biBitCount <= 8)
                turned.SetPixelIndex(w - 1 - x, h - 1 - y, GetPixelIndex(x, y));
            else
                turned.SetPixelColor(w - 1 - x, h - 1 - y, GetPixelColor(x, y, false), false);
            if (m_alpha)
                turned.AlphaSet(w - 1 - x, h - 1 - y, AlphaGet(x, y));
        }
        m_progress = (BYTE)(y * 100 / h);
    }
    (destination ? destination : this)->Transfer(turned);
    return true;
}

// ---------------------------------------------------------------- codecs

bool CxImage::Encode(CxFile* file, DWORD type)
{
    if (!m_dib)
        return Fail("null image!!!");
    if (!file)
        return Fail("null file handler");
    if (type == CXIMAGE_FORMAT_BMP)
        return EncodeBmp(*file);
    if (type == CXIMAGE_FORMAT_TGA)
        return EncodeTga(*file);
    return Fail("Encode: Unknown format");
}

bool CxImage::Encode(BYTE*& buffer, long& size, DWORD type)
{
    buffer = NULL;
    size = 0;
    CxMemFile file;
    if (!file.Open())
        return Fail("Encode: can't allocate memory");
    if (!Encode(&file, type))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool CxImage::Decode(CxFile* file, DWORD type)
{
    // A failed decode leaves the image empty, not with its old picture.
    Destroy();
    if (!file)
        return Fail("null file handler");
    // The decoders read from memory; another kind of stream is refused.
    CxMemFile* memory = dynamic_cast<CxMemFile*>(file);
    if (!memory)
        return Fail("Decode: Unknown or wrong format");
    if (type == CXIMAGE_FORMAT_BMP)
        return DecodeBmp(*memory);
    if (type == CXIMAGE_FORMAT_TGA)
        return DecodeTga(*memory);
    return Fail("Decode: Unknown or wrong format");
}

bool CxImage::Decode(const BYTE* buffer, DWORD size, DWORD type)
{
    Destroy();
    if (!buffer)
        return Fail("null file handler");
    CxMemFile file(const_cast<BYTE*>(buffer), size);
    return Decode(&file, type);
}
