#pragma once
// CSkinMemDC: a memory picture compatible with a DC: its own DC with a
// bitmap of the given size selected. The destructor puts the DC's first
// bitmap back and deletes both; Detach hands the bitmap to the caller.
// True-colour pictures start black, as new bitmaps do; their bitmaps are
// kept for the next picture of the same size (see the .cpp).

#include <windows.h>

class CSkinMemDC
{
public:
    CSkinMemDC(HDC dc, int width, int height);
    ~CSkinMemDC();

    // FALSE when the DC or the bitmap could not be made.
    bool IsValid() const { return m_bitmap != NULL; }
    HDC GetDC() const { return m_dc; }
    operator HDC() const { return m_dc; }
    HBITMAP GetBitmap() const { return m_bitmap; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Deletes the DC and answers the bitmap, which the caller deletes.
    HBITMAP Detach();

    // Frees the bitmaps kept for reuse.
    static void ReleaseKept();

private:
    CSkinMemDC(const CSkinMemDC&);
    CSkinMemDC& operator=(const CSkinMemDC&);

    HDC m_dc;
    HBITMAP m_bitmap;
    // The pixels of a true-colour picture, which may be kept; NULL for others.
    void* m_bits;
    HGDIOBJ m_old;
    int m_width;
    int m_height;
};
