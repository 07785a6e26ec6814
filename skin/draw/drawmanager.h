#pragma once
// CDrawManager: the drawing operations of the markup text drawer's boxes,
// rules and images: colour arithmetic, two-colour gradients, tiled
// backgrounds, border lines, and bitmaps and icons drawn with effects (grey,
// darker, lighter, single colour, inverted) and an optional drop shadow.
// It holds no data.

#include <windows.h>

class CDrawManager
{
public:
    // Border styles of the drawer's style values.
    enum
    {
        BorderNone = 0,
        BorderSolid = 1,
        BorderDashed = 2,
        BorderDotted = 3,
        BorderDashDot = 4,
        BorderDashDotDot = 5,
        BorderDouble = 6
    };
    // Effect flags.
    enum
    {
        EffectGrey = 0x0001,
        EffectDarker = 0x0002,
        EffectLighter = 0x0004,
        EffectSingleColour = 0x0008,
        EffectShadow = 0x0100,
        EffectSoftShadow = 0x0200,
        EffectInvert = 0x8000
    };

    virtual ~CDrawManager() {}

    static COLORREF GrayColor(COLORREF colour);
    static COLORREF InvertColor(COLORREF colour);
    // Each channel times factor when 0 <= factor < 1; else unchanged.
    static COLORREF DarkenColor(COLORREF colour, double factor);
    // Each channel times 1 + factor (at most 255) when 0 <= factor <= 1.
    static COLORREF LightenColor(COLORREF colour, double factor);

    static SIZE GetIconSize(HICON icon);
    static SIZE GetBitmapSize(HBITMAP bitmap);
    static HICON ScaleIcon(HICON icon, int cx, int cy);

    // 64 bands from colour 1 to colour 2, left to right when horizontal.
    static void FillGradient(HDC dc, int left, int top, int right, int bottom, COLORREF colour1, COLORREF colour2,
                             bool horizontal);
    // Kinds 1 to 6 are gradients over the whole rectangle or its halves;
    // any other kind fills with colour 1.
    static void FillBackground(HDC dc, int kind, const RECT& rect, COLORREF colour1, COLORREF colour2,
                               COLORREF colour3);
    static void TileBitmap(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                           int tileWidth, int tileHeight);

    static void DrawRectBorder(HDC dc, int left, int top, int right, int bottom, COLORREF topLeft,
                               COLORREF bottomRight, int style, int width);
    static void DrawRectBorder(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width);
    static void DrawBorderLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int style, int width);

    // A new 32-bit DIB section of width x height holding the bitmap with the
    // effects; pixels of the key colour become 0 when transparent is set.
    static HBITMAP CreateEffectBitmap(HBITMAP bitmap, int width, int height, DWORD flags, bool transparent,
                                      COLORREF key, COLORREF fill);
    // Darkens the area by the blue bytes of the shadow picture (white leaves
    // it alone), blurred over blurWidth x blurHeight when asked.
    static void DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shadow, bool blurred, int blurWidth,
                           int blurHeight);
    static void DrawBitmapEffects(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, bool transparent,
                                  COLORREF key, DWORD flags, bool shadow, int shadowDx, int shadowDy, int blurWidth,
                                  int blurHeight, COLORREF shadowColour);
    static void DrawIconEffects(HDC dc, int x, int y, int width, int height, HICON icon, DWORD flags, bool shadow,
                                int shadowDx, int shadowDy, int blurWidth, int blurHeight, COLORREF shadowColour);
};
