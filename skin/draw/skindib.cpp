#include "skin/draw/skindib.h"

#include <string.h>

BITMAPINFO TopDownDibInfo(int width, int height, WORD bitsPerPixel)
{
    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = bitsPerPixel;
    return bmi;
}

bool ReadTopDownPixels(HBITMAP bitmap, int width, int height, std::vector<DWORD>& pixels)
{
    if (!bitmap || width <= 0 || height <= 0 || (ULONGLONG)width * height > 64 * 1024 * 1024)
        return false;
    try {
        pixels.assign((size_t)width * height, 0xFFFFFF);
    } catch (...) {
        return false;
    }
    BITMAPINFO bmi = TopDownDibInfo(width, height, 32);
    HDC screen = GetDC(NULL);
    const int rows = screen ? GetDIBits(screen, bitmap, 0, (UINT)height, &pixels[0], &bmi, DIB_RGB_COLORS) : 0;
    if (screen)
        ReleaseDC(NULL, screen);
    return rows == height;
}

CSkinDib::CSkinDib(int width, int height, WORD bitsPerPixel)
    : m_dc(CreateCompatibleDC(NULL)), m_bitmap(NULL), m_old(NULL), m_bits(NULL), m_width(width), m_height(height),
      m_stride(((width * bitsPerPixel + 31) / 32) * 4)
{
    if (!m_dc || width <= 0 || height <= 0)
        return;
    const BITMAPINFO bmi = TopDownDibInfo(width, height, bitsPerPixel);
    m_bitmap = CreateDIBSection(m_dc, &bmi, DIB_RGB_COLORS, (void**)&m_bits, NULL, 0);
    if (m_bitmap)
        m_old = SelectObject(m_dc, m_bitmap);
    else
        m_bits = NULL;
}

CSkinDib::~CSkinDib()
{
    if (m_old)
        SelectObject(m_dc, m_old);
    if (m_bitmap)
        DeleteObject(m_bitmap);
    if (m_dc)
        DeleteDC(m_dc);
}

HBITMAP CSkinDib::Detach()
{
    GdiFlush();
    if (m_old)
        SelectObject(m_dc, m_old);
    m_old = NULL;
    HBITMAP bitmap = m_bitmap;
    m_bitmap = NULL;
    return bitmap;
}
