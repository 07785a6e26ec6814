#pragma once
// CxImage: a device-independent bitmap (1, 4, 8 or 24 bits per pixel, rows
// bottom-up and padded to 4 bytes) with an optional alpha channel and a
// transparent index or colour, decoded from and encoded to BMP and TGA bytes,
// cut, mirrored, rotated and drawn onto device contexts. Decoders take no
// size from a header on trust: dimensions, bit depths, palette sizes, runs
// and strides are checked against the data and the allocation cap.

#include <windows.h>

#include "skin/image/xfile.h"

enum
{
    CXIMAGE_FORMAT_UNKNOWN = 0,
    CXIMAGE_FORMAT_BMP = 1,
    CXIMAGE_FORMAT_TGA = 2
};

// Largest pixel buffer Create accepts, in bytes.
const ULONGLONG CXIMAGE_MAX_MEMORY = 256000000;

class CxImage
{
public:
    explicit CxImage(DWORD type = CXIMAGE_FORMAT_UNKNOWN);
    CxImage(DWORD width, DWORD height, DWORD bpp, DWORD type = CXIMAGE_FORMAT_UNKNOWN);
    CxImage(const CxImage& other, bool copyPixels = true, bool copySelection = true, bool copyAlpha = true);
    virtual ~CxImage();

    void* Create(DWORD width, DWORD height, DWORD bpp, DWORD type = CXIMAGE_FORMAT_UNKNOWN);
    // A lower bound than CXIMAGE_MAX_MEMORY for the pixel buffers that this
    // image's Create and Decode accept, in bytes.
    void SetMaxMemory(ULONGLONG bytes) { m_maxMemory = bytes < CXIMAGE_MAX_MEMORY ? bytes : CXIMAGE_MAX_MEMORY; }
    bool Destroy();
    bool Transfer(CxImage& from);
    bool CreateFromHBITMAP(HBITMAP bitmap, HPALETTE palette = NULL);
    HBITMAP MakeBitmap(HDC dc = NULL) const;

    bool Draw(HDC dc, long x = 0, long y = 0, long cx = -1, long cy = -1, const RECT* clip = NULL) const;
    bool DrawTransparent(HDC dc, long x, long y, long cx, long cy) const;
    bool Stretch(HDC dc, long x, long y, long cx, long cy) const;
    bool Tile(HDC dc, const RECT* rect) const;

    bool Crop(long left, long top, long right, long bottom, CxImage* destination = NULL);
    bool Mirror();
    bool Flip();
    bool Rotate(float angle, CxImage* destination = NULL);
    bool Rotate180(CxImage* destination = NULL);

    bool Encode(CxFile* file, DWORD type);
    bool Encode(BYTE*& buffer, long& size, DWORD type);
    bool Decode(CxFile* file, DWORD type);
    bool Decode(const BYTE* buffer, DWORD size, DWORD type);

    bool IsValid() const { return m_dib != NULL; }
    bool IsEnabled() const { return m_enabled; }
    void Enable(bool enabled = true) { m_enabled = enabled; }
    DWORD GetWidth() const { return (DWORD)m_head.biWidth; }
    DWORD GetHeight() const { return (DWORD)m_head.biHeight; }
    WORD GetBpp() const { return m_head.biBitCount; }
    DWORD GetEffWidth() const { return m_effWidth; }
    DWORD GetNumColors() const { return m_head.biClrUsed; }
    DWORD GetType() const { return m_type; }
    DWORD GetSize() const;
    BYTE* GetBits(DWORD row = 0) const;
    RGBQUAD* GetPalette() const;
    const BITMAPINFOHEADER& GetHeader() const { return m_head; }
    const char* GetLastError() const { return m_lastError; }
    long GetXDPI() const { return m_xDpi; }
    long GetYDPI() const { return m_yDpi; }
    BYTE GetProgress() const { return m_progress; }
    void SetEscape(bool escape) { m_escape = escape; }

    long GetTransIndex() const { return m_transIndex; }
    void SetTransIndex(long index) { m_transIndex = index; }
    RGBQUAD GetTransColor() const;
    void SetTransColor(RGBQUAD colour);
    bool IsTransparent() const;
    BYTE AlphaGetMax() const { return m_alphaMax; }
    void AlphaSetMax(BYTE max) { m_alphaMax = max; }
    void AlphaPaletteEnable(bool enable = true) { m_alphaPalette = enable; }
    bool AlphaPaletteIsEnabled() const { return m_alphaPalette; }

    bool IsInside(long x, long y) const;
    BYTE GetPixelIndex(long x, long y) const;
    void SetPixelIndex(long x, long y, BYTE index);
    RGBQUAD GetPixelColor(long x, long y, bool withAlpha = true) const;
    void SetPixelColor(long x, long y, RGBQUAD colour, bool setAlpha = false);
    void SetPixelColor(long x, long y, COLORREF colour);
    RGBQUAD GetPaletteColor(BYTE index) const;
    bool SetPaletteColor(BYTE index, RGBQUAD colour);
    void SetPalette(const RGBQUAD* palette, DWORD count = 256);
    void SetGrayPalette();
    BYTE GetNearestIndex(RGBQUAD colour) const;

    bool AlphaCreate();
    void AlphaDelete();
    void AlphaClear();
    bool AlphaIsValid() const { return m_alpha != NULL; }
    BYTE AlphaGet(long x, long y) const;
    void AlphaSet(long x, long y, BYTE level);
    void AlphaFlip();
    void AlphaMirror();

private:
    CxImage& operator=(const CxImage&);

    void Init(DWORD type);
    void CopyFrom(const CxImage& other, bool copyPixels, bool copySelection, bool copyAlpha);
    bool Fail(const char* message);
    bool DecodeBmp(CxMemFile& file);
    bool EncodeBmp(CxFile& file);
    bool DecodeTga(CxMemFile& file);
    bool EncodeTga(CxFile& file);
    RGBQUAD SampleColour(long sx, long sy, BYTE& alpha, bool& transparent) const;

    BYTE* m_dib;
    BITMAPINFOHEADER m_head;
    DWORD m_effWidth;
    BYTE* m_bits;
    DWORD m_type;
    long m_transIndex;
    RGBQUAD m_transColour;
    bool m_transColourOn;
    BYTE* m_alpha;
    BYTE* m_selection;
    bool m_enabled;
    BYTE m_alphaMax;
    bool m_alphaPalette;
    char m_lastError[256];
    CxImage* m_ghost;
    long m_xDpi;
    long m_yDpi;
    mutable RGBQUAD m_lastColour;
    mutable BYTE m_lastIndex;
    mutable bool m_lastValid;
    BYTE m_progress;
    bool m_escape;
    ULONGLONG m_maxMemory;
};
