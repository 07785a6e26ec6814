#include "skin/draw/skinmemdc.h"

CSkinMemDC::CSkinMemDC(HDC dc, int width, int height)
    : m_dc(CreateCompatibleDC(dc)), m_bitmap(NULL), m_old(NULL), m_width(width), m_height(height)
{
    // A bitmap needs at least one pixel; the picture of an empty rectangle
    // is a valid one that nothing is seen of.
    // Without a DC the picture matches the screen (a memory DC's own first
    // bitmap is monochrome).
    HDC reference = dc ? dc : ::GetDC(NULL);
    if (m_dc && reference)
        m_bitmap = CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1);
    if (!dc && reference)
        ReleaseDC(NULL, reference);
    if (m_bitmap)
        m_old = SelectObject(m_dc, m_bitmap);
}

CSkinMemDC::~CSkinMemDC()
{
    HBITMAP bitmap = Detach();
    if (bitmap)
        DeleteObject(bitmap);
}

HBITMAP CSkinMemDC::Detach()
{
    if (m_dc) {
        if (m_old)
            SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    HBITMAP bitmap = m_bitmap;
    m_dc = NULL;
    m_bitmap = NULL;
    m_old = NULL;
    return bitmap;
}
