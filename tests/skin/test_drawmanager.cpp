// The draw manager's colour arithmetic, gradients, borders, effect bitmaps
// and icons, pixel by pixel.

#include <gtest/gtest.h>

#include <set>

#include "skin_test_support.h"
#include "skin/draw/drawmanager.h"
#include "skin/draw/skindrawutils.h"

namespace {

const DWORD Sentinel = 0x111111;

// A 4 x 2 bitmap: key colour at (0, 0), then (200, 100, 50) everywhere.
HBITMAP SampleBitmap(HDC dc)
{
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 2);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillSolidRect(memory, RECT{0, 0, 4, 2}, RGB(200, 100, 50));
    SetPixel(memory, 0, 0, RGB(255, 0, 255));
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

DWORD PixelOf(HBITMAP dib, int x, int y, int width)
{
    DIBSECTION section;
    GetObjectA(dib, sizeof(section), &section);
    GdiFlush();
    return ((const DWORD*)section.dsBm.bmBits)[y * width + x] & 0xFFFFFF;
}

} // namespace

TEST(DrawManager, ColourArithmetic)
{
    EXPECT_EQ(RGB(250, 125, 62), CDrawManager::LightenColor(RGB(200, 100, 50), 0.25));
    EXPECT_EQ(RGB(255, 200, 100), CDrawManager::LightenColor(RGB(200, 100, 50), 1.0)) << "at most 255";
    EXPECT_EQ(RGB(200, 100, 50), CDrawManager::LightenColor(RGB(200, 100, 50), 1.5));
    EXPECT_EQ(RGB(150, 75, 37), CDrawManager::DarkenColor(RGB(200, 100, 50), 0.75));
    EXPECT_EQ(RGB(200, 100, 50), CDrawManager::DarkenColor(RGB(200, 100, 50), 1.0));
    EXPECT_EQ(RGB(124, 124, 124), CDrawManager::GrayColor(RGB(200, 100, 50)));
    EXPECT_EQ(RGB(255, 255, 255), CDrawManager::GrayColor(RGB(255, 255, 255)));
    EXPECT_EQ(RGB(55, 155, 205), CDrawManager::InvertColor(RGB(200, 100, 50)));
}

TEST(DrawManager, GradientsAndBackgrounds)
{
    // 10 pixels wide: at most 10 bands of 64, each a blend of the two.
    MemoryPicture p(10, 1, Sentinel);
    CDrawManager::FillGradient(p.DC(), 0, 0, 10, 1, RGB(0, 0, 0), RGB(0, 0, 255), true);
    std::set<DWORD> bands;
    for (int x = 0; x < 10; ++x) {
        bands.insert(p.At(x, 0));
        EXPECT_EQ(0u, p.At(x, 0) & 0xFFFF00) << x;
        if (x) {
            EXPECT_GT(p.At(x, 0), p.At(x - 1, 0)) << "darker to lighter blue";
        }
    }
    EXPECT_EQ(10u, bands.size());
    // Each pixel has the colour of the last band over it: 6 and 63 of 64.
    EXPECT_EQ((DWORD)(255 * 6 / 64), p.At(0, 0));
    EXPECT_EQ((DWORD)(255 * 63 / 64), p.At(9, 0));

    // Kind 3: colour 1 at both outer edges, colour 3 where the halves meet.
    MemoryPicture b(128, 2, Sentinel);
    CDrawManager::FillBackground(b.DC(), 3, RECT{0, 0, 128, 2}, RGB(255, 0, 0), 0, RGB(0, 0, 255));
    EXPECT_EQ(0xFF0000u, b.At(0, 1));
    EXPECT_EQ(0x0000FFu, b.At(64, 1));
    EXPECT_EQ(0xFB0003u, b.At(127, 1)) << "all but red again";
    CDrawManager::FillBackground(b.DC(), 9, RECT{0, 0, 128, 2}, RGB(1, 2, 3), 0, 0);
    EXPECT_EQ(0x010203u, b.At(100, 0)) << "unknown kinds are solid";
}

TEST(DrawManager, BordersAndLines)
{
    // Style 6, width 1: two rectangles 2 pixels apart, top-left sides in the
    // first colour, bottom-right in the second.
    MemoryPicture p(10, 10, Sentinel);
    CDrawManager::DrawRectBorder(p.DC(), RECT{0, 0, 10, 10}, RGB(255, 0, 0), RGB(0, 0, 255),
                                 CDrawManager::BorderDouble, 1);
    EXPECT_EQ(0xFF0000u, p.At(0, 5));
    EXPECT_EQ(0xFF0000u, p.At(5, 0));
    EXPECT_EQ(0x0000FFu, p.At(9, 5));
    EXPECT_EQ(0x0000FFu, p.At(5, 9));
    EXPECT_EQ(Sentinel, p.At(1, 5));
    EXPECT_EQ(0xFF0000u, p.At(2, 5));
    EXPECT_EQ(0x0000FFu, p.At(7, 5));
    EXPECT_EQ(Sentinel, p.At(8, 5));
    EXPECT_EQ(Sentinel, p.At(5, 5));

    MemoryPicture q(10, 10, Sentinel);
    CDrawManager::DrawRectBorder(q.DC(), RECT{0, 0, 10, 10}, RGB(255, 0, 0), RGB(255, 0, 0), CDrawManager::BorderNone, 1);
    CDrawManager::DrawRectBorder(q.DC(), RECT{0, 0, 10, 10}, RGB(255, 0, 0), RGB(255, 0, 0), CDrawManager::BorderSolid, 0);
    EXPECT_EQ(Sentinel, q.At(0, 0)) << "no style or no width draws nothing";
    CDrawManager::DrawBorderLine(q.DC(), 1, 3, 8, 3, RGB(0, 255, 0), CDrawManager::BorderDouble, 1);
    EXPECT_EQ(0x00FF00u, q.At(4, 3));
    EXPECT_EQ(Sentinel, q.At(4, 4));
    EXPECT_EQ(0x00FF00u, q.At(4, 5)) << "the second line twice the width below";
}

TEST(DrawManager, EffectBitmapsAndShadows)
{
    MemoryPicture p(30, 20, 0xFFFFFF);
    HBITMAP source = SampleBitmap(p.DC());
    // Inverted grey, the transparent pixel white.
    HBITMAP effect = CDrawManager::CreateEffectBitmap(source, 4, 2, CDrawManager::EffectInvert | CDrawManager::EffectGrey,
                                                      true, RGB(255, 0, 255), 0);
    ASSERT_TRUE(effect);
    EXPECT_EQ(0xFFFFFFu, PixelOf(effect, 0, 0, 4));
    EXPECT_EQ(0x838383u, PixelOf(effect, 1, 0, 4));
    DeleteObject(effect);
    // Darker and lighter in that order; single colour; stretched to 8 x 4.
    effect = CDrawManager::CreateEffectBitmap(source, 8, 4, CDrawManager::EffectDarker | CDrawManager::EffectLighter,
                                              false, 0, 0);
    EXPECT_EQ(0xBB5D2Eu, PixelOf(effect, 7, 3, 8));
    DeleteObject(effect);
    effect = CDrawManager::CreateEffectBitmap(source, 4, 2, CDrawManager::EffectSingleColour, true,
                                              RGB(255, 0, 255), RGB(1, 2, 3));
    EXPECT_EQ(0u, PixelOf(effect, 0, 0, 4));
    EXPECT_EQ(0x010203u, PixelOf(effect, 3, 1, 4));
    DeleteObject(effect);

    // Drawn with a hard black shadow one pixel down and right: the image
    // where it is, the shadow only where the image does not cover it, the
    // key pixel showing what was there.
    CDrawManager::DrawBitmapEffects(p.DC(), 2, 2, 4, 2, source, true, RGB(255, 0, 255), CDrawManager::EffectShadow, true,
                                    1, 1, 0, 0, RGB(0, 0, 0));
    EXPECT_EQ(0xFFFFFFu, p.At(2, 2));
    EXPECT_EQ(0xC86432u, p.At(3, 2));
    EXPECT_EQ(0x000000u, p.At(6, 3));
    EXPECT_EQ(0xFFFFFFu, p.At(7, 3));
    // Soft, 8 x 8 with a 3 x 3 blur: the shadow shrinks to 5 x 5 inside its
    // area and fades over its edges.
    CDrawManager::DrawBitmapEffects(p.DC(), 10, 0, 8, 8, source, false, 0,
                                    CDrawManager::EffectShadow | CDrawManager::EffectSoftShadow, true, 4, 4, 3, 3, 0);
    EXPECT_EQ(0x555555u, p.At(18, 9)) << "6 of 9 dark";
    EXPECT_EQ(0xE2E2E2u, p.At(20, 10)) << "1 of 9 dark";
    EXPECT_EQ(0xFFFFFFu, p.At(21, 11));
    DeleteObject(source);
}

TEST(DrawManager, IconsMeasuredScaledAndDrawnWithEffects)
{
    // 16 x 16: red, its top-left 8 x 8 quarter transparent.
    HDC screen = GetDC(NULL);
    HBITMAP colourBits = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(NULL, screen);
    HDC memory = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(memory, colourBits);
    FillSolidRect(memory, RECT{0, 0, 16, 16}, RGB(255, 0, 0));
    FillSolidRect(memory, RECT{0, 0, 8, 8}, RGB(0, 0, 0));
    SelectObject(memory, old);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, NULL);
    old = SelectObject(memory, mask);
    PatBlt(memory, 0, 0, 16, 16, BLACKNESS);
    PatBlt(memory, 0, 0, 8, 8, WHITENESS);
    SelectObject(memory, old);
    DeleteDC(memory);
    ICONINFO info = {TRUE, 8, 8, mask, colourBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colourBits);
    ASSERT_TRUE(icon);

    const SIZE size = CDrawManager::GetIconSize(icon);
    EXPECT_EQ(16, size.cx);
    EXPECT_EQ(16, size.cy);
    EXPECT_EQ(0, CDrawManager::GetIconSize(NULL).cx);
    EXPECT_EQ(NULL, CDrawManager::ScaleIcon(icon, 0, 32));
    HICON big = CDrawManager::ScaleIcon(icon, 32, 32);
    ASSERT_TRUE(big);
    EXPECT_EQ(32, CDrawManager::GetIconSize(big).cx);
    DestroyIcon(big);

    // Grey at twice the size: red becomes its luminance, the transparent
    // quarter (now 16 x 16) shows the background.
    MemoryPicture p(40, 40, 0xFFFFFF);
    CDrawManager::DrawIconEffects(p.DC(), 4, 4, 32, 32, icon, CDrawManager::EffectGrey, false, 0, 0, 0, 0, 0);
    EXPECT_EQ(0xFFFFFFu, p.At(10, 10));
    EXPECT_EQ(0x4C4C4Cu, p.At(30, 30));
    EXPECT_EQ(0x4C4C4Cu, p.At(4, 35));
    EXPECT_EQ(0xFFFFFFu, p.At(36, 36));
    DestroyIcon(icon);
}
