#include "skin/draw/skinmemdc.h"

#include <string.h>

#include <vector>

#include "skin/core/skinlock.h"
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

// True-colour bitmaps of pictures that were let go, for the next picture of
// the same size. The skinned controls make several pictures for every
// paint, and a new bitmap costs a page fault for each 4 KB that is drawn on
// (under Wine more than the drawing); a kept one costs clearing its pixels.
// The oldest go first beyond the limits.
class CKeptPictures
{
public:
    // A kept bitmap of this size, cleared to black; NULL when none is kept.
    HBITMAP Take(int width, int height, void** bits)
    {
        CSkinLockScope scope(m_lock);
        for (size_t i = m_kept.size(); i-- > 0;) {
            const Kept kept = m_kept[i];
            if (kept.width != width || kept.height != height)
                continue;
            m_kept.erase(m_kept.begin() + i);
            m_bytes -= Bytes(kept);
            GdiFlush();
            memset(kept.bits, 0, Bytes(kept));
            *bits = kept.bits;
            return kept.bitmap;
        }
        return NULL;
    }

    // FALSE when the bitmap is not kept (the caller deletes it).
    bool Keep(HBITMAP bitmap, void* bits, int width, int height)
    {
        const Kept kept = {bitmap, bits, width, height};
        if (Bytes(kept) > MaxBytes / 8)
            return false;
        CSkinLockScope scope(m_lock);
        m_kept.push_back(kept);
        m_bytes += Bytes(kept);
        while (m_bytes > MaxBytes || m_kept.size() > MaxCount) {
            DeleteObject(m_kept.front().bitmap);
            m_bytes -= Bytes(m_kept.front());
            m_kept.erase(m_kept.begin());
        }
        return true;
    }

    void Release()
    {
        CSkinLockScope scope(m_lock);
        for (const Kept& kept : m_kept)
            DeleteObject(kept.bitmap);
        m_kept.clear();
        m_bytes = 0;
    }

private:
    struct Kept
    {
        HBITMAP bitmap;
        void* bits;
        int width;
        int height;
    };
    // Enough for the pictures of a main window full of controls.
    enum { MaxCount = 256 };
    static const size_t MaxBytes = 8 * 1024 * 1024;

    static size_t Bytes(const Kept& kept) { return (size_t)kept.width * kept.height * 4; }

    CSkinLock m_lock;
    std::vector<Kept> m_kept;
    size_t m_bytes = 0;
};

CKeptPictures& KeptPictures()
{
    // Never destroyed: pictures may still be painted at exit.
    static CKeptPictures* kept = new CKeptPictures;
    return *kept;
}

} // namespace

void CSkinMemDC::ReleaseKept()
{
    KeptPictures().Release();
}

CSkinMemDC::CSkinMemDC(HDC dc, int width, int height)
    : m_dc(CreateCompatibleDC(dc)), m_bitmap(NULL), m_bits(NULL), m_old(NULL), m_width(width), m_height(height)
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
            m_bitmap = KeptPictures().Take(w, h, &m_bits);
            if (!m_bitmap) {
                const BITMAPINFO info = TopDownDibInfo(w, h, 32);
                m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, NULL, 0);
            }
            if (!m_bitmap)
                m_bits = NULL;
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
    void* bits = m_bits;
    const int w = m_width > 0 ? m_width : 1, h = m_height > 0 ? m_height : 1;
    HBITMAP bitmap = Detach();
    if (bitmap && !(bits && KeptPictures().Keep(bitmap, bits, w, h)))
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
    m_bits = NULL;
    m_old = NULL;
    return bitmap;
}
