#pragma once
// CSkinDib: a top-down DIB section of 24 or 32 bits per pixel selected into
// a memory DC, for drawing code that writes or reads the pixels directly
// (32-bit pixels read as 0x00RRGGBB).

#include <windows.h>

#include <vector>

// The header of a top-down DIB of this size and depth, without a palette.
BITMAPINFO TopDownDibInfo(int width, int height, WORD bitsPerPixel);
// A colour as a 32-bit DIB pixel reads, 0x00RRGGBB.
inline DWORD DibPixel(COLORREF colour)
{
    return ((DWORD)GetRValue(colour) << 16) | ((DWORD)GetGValue(colour) << 8) | GetBValue(colour);
}
// The bitmap's pixels as width x height 32-bit top-down pixels, whatever its
// own depth, so that every depth compares its colours the same way; false
// when they cannot be read or held.
bool ReadTopDownPixels(HBITMAP bitmap, int width, int height, std::vector<DWORD>& pixels);

class CSkinDib
{
public:
    CSkinDib(int width, int height, WORD bitsPerPixel);
    ~CSkinDib();

    bool IsValid() const { return m_bits != NULL; }
    HDC GetDC() const { return m_dc; }
    BYTE* Bits() const { return m_bits; }
    // The pixels of a 32-bit picture.
    DWORD* Pixels() const { return (DWORD*)m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_stride; }
    // The bitmap, no longer selected, for the caller to keep.
    HBITMAP Detach();

private:
    CSkinDib(const CSkinDib&);
    CSkinDib& operator=(const CSkinDib&);

    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    BYTE* m_bits;
    int m_width;
    int m_height;
    int m_stride;
};
