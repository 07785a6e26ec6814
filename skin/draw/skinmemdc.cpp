#include "skin/draw/skinmemdc.h"

#include "skin/draw/skindib.h"

namespace {

// The bits per pixel of what the DC draws on: a memory DC's bitmap, or the
// device.
int SurfaceDepth(HDC dc)
{
    if (GetObjectType(dc) != OBJ_MEMDC)
        return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    BITMAP bm;
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    return bitmap && GetObjectA(bitmap, sizeof(bm), &bm) ? bm.bmBitsPixel * bm.bmPlanes : 0;
}

} // namespace

CSkinMemDC::CSkinMemDC(HDC dc, int width, int height)
    : m_dc(CreateCompatibleDC(dc)), m_bitmap(NULL), m_old(NULL), m_width(width), m_height(height)
{
    // A bitmap needs at least one pixel; the picture of an empty rectangle
    // is a valid one that nothing is seen of.
    // Without a DC the picture matches the screen (a memory DC's own first
    // bitmap is monochrome).
    HDC reference = dc ? dc : ::GetDC(NULL);
    const int w = width > 0 ? width : 1, h = height > 0 ? height : 1;
    if (m_dc && reference) {
        // The pictures are made for every paint: a true-colour DIB section
        // costs a fraction of a device bitmap (under Wine a tenth or less)
        // and holds the same pixels.
        if (SurfaceDepth(reference) == 32) {
            const BITMAPINFO info = TopDownDibInfo(w, h, 32);
            void* bits = NULL;
            m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        }
        if (!m_bitmap)
            m_bitmap = CreateCompatibleBitmap(reference, w, h);
    }
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
