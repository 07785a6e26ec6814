#pragma once
// Drawing pieces of skin images: one image part into a rectangle (at its
// natural size and cut, tiled, or stretched), nine-part frames, and
// colour-keyed copies. Parts name an image of the store; a part that is
// empty, names no image of the store or lies outside its image draws the
// fill colour when asked to, and nothing otherwise. No drawing reads
// outside an image, whatever the skin's values.
//
// mirrored: the target belongs to a right-to-left (mirrored) window, whose
// DC flips everything drawn; the pieces are flipped first so they show the
// right way round.

#include <windows.h>

#include <functional>

#include "skin/objects/skintypes.h"

class CSkinStore;
class CxImage;

// Part draw modes; 2 and above stretch.
enum { SkinDrawNatural = 0, SkinDrawTile = 1, SkinDrawStretch = 2 };

bool IsImagePartEmpty(const SkinImageRef& part);

BOOL DrawSkinImagePart(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part, COLORREF colour,
                       BOOL fillOnFailure, BOOL mirrored);
// The part drawn over the key colour and copied leaving the key colour out.
BOOL DrawSkinImagePartTransparent(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageRef& part,
                                  COLORREF key, BOOL mirrored);

// Nine-part frames: corners at their size, edges and centre tiled or
// stretched by the grid mode (0 to 8, see skinimagepart.cpp).
BOOL DrawSkinNineGrid(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid, COLORREF colour,
                      BOOL fillOnFailure, BOOL mirrored);
// The same without the centre part.
BOOL DrawSkinNineGridBorder(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid,
                            COLORREF colour, BOOL fillOnFailure, BOOL mirrored);
// A part drawn as a nine-part frame whose border widths are the left, top,
// right and bottom of border; the part's mode is the grid mode.
BOOL DrawSkinNineGridEx(CSkinStore* store, HDC dc, const RECT& rect, const RECT& border, const SkinImageRef& part,
                        COLORREF colour, BOOL fillOnFailure, BOOL mirrored);
BOOL DrawSkinNineGridTransparent(CSkinStore* store, HDC dc, const RECT& rect, const SkinImageGrid& grid,
                                 COLORREF key, BOOL mirrored);
// Composes a picture over the key colour and copies it to the DC leaving
// the key colour out. draw gets the picture and the rectangle (0, 0, width,
// height) to fill and answers whether it drew. Only the part of rect the
// DC's clip shows is composed; with none, nothing is drawn and TRUE comes
// back.
BOOL DrawSkinKeyed(HDC dc, const RECT& rect, COLORREF key, const std::function<BOOL(HDC, const RECT&)>& draw);

// Copies width x height of the bitmap from (sx, sy) to (x, y), leaving out
// the pixels of the key colour.
BOOL SkinTransparentBlt(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sx, int sy, COLORREF key,
                        HPALETTE palette);
// The same from a DC, stretched when the sizes differ.
BOOL SkinTransparentStretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int sx, int sy,
                               int sourceWidth, int sourceHeight, COLORREF key);
// The image at the rectangle's top-left corner, cut to the rectangle,
// without its pixels of the key colour.
BOOL DrawImageTransparent(HDC dc, const CxImage* image, const RECT& rect, COLORREF key);
// The bitmap scaled into the rectangle without its pixels of the
// transparent colour.
BOOL DrawBitmapTransparent(HDC dc, HBITMAP bitmap, const RECT& rect, COLORREF transparent);
