// The drawing utilities, pixel by pixel on the colour blocks of
// tests/skin/data/blocks.skin: image parts at natural size, tiled, stretched
// and mirrored; nine-grid modes; colour-keyed copies; regions; and what
// malformed skin values draw. Then the window, menu and file helpers.

#include <gtest/gtest.h>

#include <string>

#include "skin_test_support.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"

namespace {

const DWORD Sentinel = 0x111111;
const DWORD Yellow = 0xFFFF00, Cyan = 0x00FFFF;

SkinImageRef Ref(LONG l, LONG t, LONG r, LONG b, DWORD mode, const char* name = "blocks.bmp")
{
    SkinImageRef ref = {};
    lstrcpynA(ref.name, name, sizeof(ref.name));
    SetRect(&ref.source, l, t, r, b);
    ref.mode = mode;
    return ref;
}

// The nine-grid block of the picture (30 x 30, 10-pixel margins).
SkinImageGrid Grid(DWORD mode)
{
    SkinImageGrid grid = {};
    lstrcpynA(grid.name, "blocks.bmp", sizeof(grid.name));
    SetRect(&grid.source, 0, 60, 30, 90);
    SetRect(&grid.margins, 10, 10, 10, 10);
    grid.mode = mode;
    return grid;
}

class DrawTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(LoadBytes(m_store, BlocksSkinFile())); }
    BOOL Part(MemoryPicture& p, RECT r, const SkinImageRef& ref, BOOL fill = TRUE, BOOL mirrored = FALSE)
    {
        return DrawSkinImagePart(&m_store, p.DC(), r, ref, Rgb(0x777777), fill, mirrored);
    }
    CSkinStore m_store;
};

} // namespace

TEST_F(DrawTest, ImagePartsAtNaturalSizeTiledStretchedAndMirrored)
{
    MemoryPicture p(40, 40, Sentinel);
    // Natural size, larger than the rectangle: cut to it.
    EXPECT_TRUE(Part(p, RECT{2, 2, 7, 7}, Ref(0, 0, 10, 20, SkinDrawNatural)));
    EXPECT_EQ(0xFF00FFu, p.At(2, 2)) << "the part's own top-left pixel";
    EXPECT_EQ(0xA00000u, p.At(6, 6));
    EXPECT_EQ(Sentinel, p.At(7, 6));
    EXPECT_EQ(Sentinel, p.At(6, 7));
    // Smaller than the rectangle: the rest stays untouched.
    EXPECT_TRUE(Part(p, RECT{10, 0, 40, 40}, Ref(20, 0, 32, 20, SkinDrawNatural)));
    EXPECT_EQ(0xA02000u, p.At(21, 19));
    EXPECT_EQ(Sentinel, p.At(22, 19));
    EXPECT_EQ(Sentinel, p.At(21, 20));

    // The 2 x 2 checker tiled alternates every pixel; stretched it makes
    // 3 x 2 blocks.
    MemoryPicture tiled(6, 4, Sentinel), stretched(6, 4, Sentinel);
    EXPECT_TRUE(Part(tiled, RECT{0, 0, 6, 4}, Ref(0, 50, 2, 52, SkinDrawTile)));
    EXPECT_TRUE(Part(stretched, RECT{0, 0, 6, 4}, Ref(0, 50, 2, 52, SkinDrawStretch)));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ((x + y) % 2 ? Cyan : Yellow, tiled.At(x, y)) << x << "," << y;
            EXPECT_EQ((x / 3 + y / 2) % 2 ? Cyan : Yellow, stretched.At(x, y)) << x << "," << y;
        }
    }

    // Mirrored: the halves of the grid's top edge change sides.
    MemoryPicture m(10, 1, Sentinel);
    EXPECT_TRUE(Part(m, RECT{0, 0, 10, 1}, Ref(10, 60, 20, 61, SkinDrawNatural), TRUE, TRUE));
    EXPECT_EQ(0xC01100u, m.At(0, 0));
    EXPECT_EQ(0xC01000u, m.At(9, 0));
    EXPECT_TRUE(Part(m, RECT{0, 0, 10, 1}, Ref(10, 60, 20, 61, SkinDrawStretch), TRUE, TRUE));
    EXPECT_EQ(0xC01100u, m.At(0, 0));
}

TEST_F(DrawTest, MalformedPartsDrawTheFillColourOrNothingAndStayInsideTheImage)
{
    MemoryPicture p(20, 20, Sentinel);
    const struct { SkinImageRef ref; const char* what; } bad[] = {
        {Ref(0, 0, 10, 20, 0, ""), "no image name"},
        {Ref(0, 0, 10, 20, 0, "missing.bmp"), "an image the skin lacks"},
        {Ref(10, 10, 5, 5, 2), "a source of negative size"},
        {Ref(500, 500, 600, 600, 1), "a source outside the image"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(Part(p, RECT{0, 0, 4, 4}, b.ref, FALSE)) << b.what;
        EXPECT_EQ(Sentinel, p.At(1, 1)) << b.what;
        EXPECT_FALSE(Part(p, RECT{0, 0, 4, 4}, b.ref, TRUE)) << b.what;
        EXPECT_EQ(0x777777u, p.At(1, 1)) << b.what;
        EXPECT_EQ(Sentinel, p.At(4, 4)) << b.what;
        FillSolidRect(p.DC(), RECT{0, 0, 20, 20}, Rgb(Sentinel));
    }
    EXPECT_FALSE(DrawSkinImagePart(NULL, p.DC(), RECT{0, 0, 4, 4}, Ref(0, 0, 10, 20, 0), 0, FALSE, FALSE));
    EXPECT_FALSE(Part(p, RECT{5, 5, 0, 0}, Ref(0, 0, 10, 20, 2))) << "an inverted target";
    EXPECT_EQ(Sentinel, p.At(2, 2));

    // A source running past the image's right and bottom edges is cut to
    // the image: the last column and row are stretched, nothing beyond.
    EXPECT_TRUE(Part(p, RECT{0, 0, 20, 20}, Ref(126, 110, 200, 200, SkinDrawStretch)));
    EXPECT_EQ(0xFFFFFFu, p.At(19, 19));

    // Nine-grid margins past the source and a grid mode past 8.
    SkinImageGrid grid = Grid(99);
    SetRect(&grid.margins, 50, -3, 50, 400);
    MemoryPicture g(12, 12, Sentinel);
    EXPECT_TRUE(DrawSkinNineGrid(&m_store, g.DC(), RECT{0, 0, 12, 12}, grid, Rgb(0x777777), TRUE, FALSE));
    EXPECT_EQ(0xC00000u, g.At(0, 0)) << "margins cut to the source: one corner, the whole source";
    EXPECT_EQ(0xC01000u, g.At(11, 0)) << "at its natural size";
}

TEST_F(DrawTest, NineGridModesTileOrStretchTheirParts)
{
    // Target 50 x 40: corners 10 x 10, edges and centre 30 wide, 20 high.
    // Tiled, the top edge's halves repeat every 10 pixels; stretched, its
    // right half starts at 25.
    struct Case { DWORD mode; bool top, left, centre; };
    const Case cases[] = {{0, false, false, false}, {1, true, true, true}, {3, false, false, true},
                          {4, false, true, false}, {5, true, true, false}, {7, true, false, false}};
    for (const Case& c : cases) {
        MemoryPicture p(50, 40, Sentinel);
        ASSERT_TRUE(DrawSkinNineGrid(&m_store, p.DC(), RECT{0, 0, 50, 40}, Grid(c.mode), 0, TRUE, FALSE));
        EXPECT_EQ(0xC00000u, p.At(9, 9)) << c.mode;
        EXPECT_EQ(0xC02000u, p.At(40, 0)) << c.mode;
        EXPECT_EQ(0xC08000u, p.At(49, 39)) << c.mode;
        EXPECT_EQ(c.top ? 0xC01000u : 0xC01100u, p.At(17, 5)) << "top edge, mode " << c.mode;
        EXPECT_EQ(c.left ? 0xC03000u : 0xC03300u, p.At(5, 17)) << "left edge, mode " << c.mode;
        EXPECT_EQ(c.centre ? 0xC04000u : 0xC04400u, p.At(17, 17)) << "centre, mode " << c.mode;
    }

    // Mode 8: the centre in copies as wide as its source (10), stretched in
    // height; the border alone leaves the centre alone.
    MemoryPicture p(45, 40, Sentinel);
    ASSERT_TRUE(DrawSkinNineGrid(&m_store, p.DC(), RECT{0, 0, 45, 40}, Grid(8), 0, TRUE, FALSE));
    EXPECT_EQ(0xC04000u, p.At(20, 25));
    EXPECT_EQ(0xC04400u, p.At(25, 25));
    EXPECT_EQ(0xC04000u, p.At(31, 25)) << "the last copy squeezed into 5 pixels";
    MemoryPicture b(50, 40, Sentinel);
    ASSERT_TRUE(DrawSkinNineGridBorder(&m_store, b.DC(), RECT{0, 0, 50, 40}, Grid(8), 0, TRUE, FALSE));
    EXPECT_EQ(Sentinel, b.At(25, 20));
    EXPECT_EQ(0xC05500u, b.At(45, 25));

    // Smaller than its corners: the corners shrink in proportion.
    MemoryPicture s(10, 10, Sentinel);
    ASSERT_TRUE(DrawSkinNineGrid(&m_store, s.DC(), RECT{0, 0, 10, 10}, Grid(1), 0, TRUE, FALSE));
    EXPECT_EQ(0xC00000u, s.At(4, 4));
    EXPECT_EQ(0xC08000u, s.At(5, 5));
}

TEST_F(DrawTest, ColourKeyedCopiesLeaveTheKeyOut)
{
    // The caption button's normal picture has a key-coloured corner.
    MemoryPicture p(12, 12, Sentinel);
    EXPECT_TRUE(DrawSkinImagePartTransparent(&m_store, p.DC(), RECT{1, 1, 11, 11}, Ref(0, 40, 10, 50, 0),
                                             Rgb(0xFF00FF), FALSE));
    EXPECT_EQ(Sentinel, p.At(1, 1));
    EXPECT_EQ(0x0000C0u, p.At(2, 1));
    EXPECT_EQ(0x0000C0u, p.At(10, 10));
    EXPECT_EQ(Sentinel, p.At(11, 11));

    MemoryPicture n(40, 40, Sentinel);
    EXPECT_TRUE(DrawSkinNineGridTransparent(&m_store, n.DC(), RECT{0, 0, 40, 40}, Grid(1), Rgb(0xC04400), FALSE));
    EXPECT_EQ(0xC04000u, n.At(12, 20));
    EXPECT_EQ(Sentinel, n.At(27, 20)) << "the centre's key-coloured half";
    // Clipped, only the visible part is composed, with the same pixels.
    MemoryPicture c(40, 40, Sentinel);
    IntersectClipRect(c.DC(), 5, 15, 25, 40);
    EXPECT_TRUE(DrawSkinNineGridTransparent(&m_store, c.DC(), RECT{0, 0, 40, 40}, Grid(1), Rgb(0xC04400), FALSE));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(x >= 5 && x < 25 && y >= 15 ? n.At(x, y) : Sentinel, c.At(x, y)) << x << "," << y;

    // A bitmap copied from an offset, stretched, and through a CxImage.
    CSkinMemDC picture(p.DC(), 4, 4);
    FillSolidRect(picture, RECT{0, 0, 4, 4}, Rgb(0xFF00FF));
    FillSolidRect(picture, RECT{2, 2, 4, 4}, Rgb(0x123456));
    MemoryPicture t(8, 8, Sentinel);
    EXPECT_TRUE(SkinTransparentStretchBlt(t.DC(), 0, 0, 8, 8, picture, 0, 0, 4, 4, Rgb(0xFF00FF)));
    EXPECT_EQ(Sentinel, t.At(3, 3));
    EXPECT_EQ(0x123456u, t.At(4, 4));
    HBITMAP bitmap = picture.Detach();
    MemoryPicture u(8, 8, Sentinel);
    EXPECT_TRUE(SkinTransparentBlt(u.DC(), 0, 0, 2, 2, bitmap, 1, 1, Rgb(0xFF00FF), NULL));
    EXPECT_EQ(Sentinel, u.At(0, 0));
    EXPECT_EQ(0x123456u, u.At(1, 1));
    EXPECT_TRUE(DrawBitmapTransparent(u.DC(), bitmap, RECT{4, 4, 8, 8}, Rgb(0x123456)));
    EXPECT_EQ(0xFF00FFu, u.At(4, 4));
    EXPECT_EQ(Sentinel, u.At(7, 7));
    EXPECT_FALSE(DrawBitmapTransparent(NULL, bitmap, RECT{4, 4, 8, 8}, Rgb(0x123456))) << "nothing drawn";
    DeleteObject(bitmap);
    EXPECT_TRUE(DrawImageTransparent(u.DC(), m_store.FindImage("blocks.bmp"), RECT{0, 0, 3, 3}, Rgb(0xFF00FF)));
    EXPECT_EQ(Sentinel, u.At(0, 0)) << "the magenta corner pixel of the picture stays out";
    EXPECT_EQ(0xA00000u, u.At(2, 2));

    // A picture's bitmap is kept for the next of its size, which starts black.
    for (int round = 0; round < 2; ++round) {
        CSkinMemDC kept(p.DC(), 5, 3);
        EXPECT_EQ(0u, GetPixel(kept, 4, 2)) << "round " << round;
        FillSolidRect(kept, RECT{0, 0, 5, 3}, Rgb(0xFFFFFF));
    }
}

TEST(DrawRegions, TransformAndTileRegions)
{
    HRGN square = CreateRectRgn(0, 0, 2, 2);
    HRGN scaled = TransformRegion(square, 3.0f, 2.0f, 10, 20);
    ASSERT_TRUE(scaled);
    RECT box;
    GetRgnBox(scaled, &box);
    EXPECT_EQ((RECT{10, 20, 16, 24}), box);

    HRGN tiled = TileRegion(square, 4, 5, RECT{0, 0, 9, 7});
    ASSERT_TRUE(tiled);
    EXPECT_TRUE(PtInRegion(tiled, 1, 1));
    EXPECT_FALSE(PtInRegion(tiled, 2, 1));
    EXPECT_TRUE(PtInRegion(tiled, 5, 6));
    EXPECT_TRUE(PtInRegion(tiled, 8, 0));
    EXPECT_FALSE(PtInRegion(tiled, 9, 0)) << "cut to the rectangle";
    EXPECT_EQ(NULL, TileRegion(square, 0, 5, RECT{0, 0, 9, 7})) << "a step of 0 would never end";
    EXPECT_EQ(NULL, TransformRegion(NULL, 1, 1, 0, 0));
    DeleteObject(tiled);
    DeleteObject(scaled);
    DeleteObject(square);
}

TEST(DrawHelpers, RectanglesMonitorsAndMirroring)
{
    RECT bounds = {0, 0, 100, 100}, r = {90, 95, 120, 130};
    KeepRectInside(bounds, r);
    EXPECT_EQ((RECT{70, 65, 100, 100}), r);
    r = RECT{-10, 0, 150, 20};
    KeepRectInside(bounds, r);
    EXPECT_EQ(0, r.left) << "the left edge wins when it does not fit";

    HWND window = MakeTestWindow();
    SetWindowPos(window, NULL, 100, 50, 200, 100, SWP_NOZORDER);
    RECT work, monitor;
    ASSERT_TRUE(GetWindowMonitorRect(window, work, true));
    ASSERT_TRUE(GetWindowMonitorRect(window, monitor, false));
    EXPECT_TRUE(monitor.right >= work.right && monitor.bottom >= work.bottom);
    RECT part = {110, 60, 130, 70};
    MirrorRectX(window, part);
    EXPECT_EQ(110, part.left) << "not mirrored";
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    MirrorRectX(window, part);
    EXPECT_EQ((RECT{270, 60, 290, 70}), part);
    EXPECT_EQ(290, MirrorPointX(window, 110));
    DestroyWindow(window);
}

TEST(DrawHelpers, UnderlinesRunUnderTheLettersOfEachLineAndNoFurther)
{
    MemoryPicture picture(220, 50, 0xFFFFFF);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(picture.DC(), font);
    const RECT rect = {10, 4, 210, 48};
    DrawShadowText(picture.DC(), rect, 0x0101, 1, RGB(0, 0, 0), RGB(0, 0, 0), "Telmin Cleanwarden help\nlinks", -1,
                   DT_LEFT | DT_WORDBREAK);
    SelectObject(picture.DC(), old);
    DeleteObject(font);
    // An underline is a row with a long unbroken run; the letters it
    // underlines are the ink between it and the underline above.
    int bandTop = 0, lines = 0, widths[2] = {};
    for (int y = 0; y < picture.Height(); ++y) {
        int run = 0, longest = 0, first = -1, last = -1;
        for (int x = 0; x < picture.Width(); ++x) {
            run = picture.At(x, y) == 0 ? run + 1 : 0;
            longest = run > longest ? run : longest;
        }
        if (longest < 20)
            continue;
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.At(x, y) == 0) {
                first = first < 0 ? x : first;
                last = x;
            }
        int inkLeft = picture.Width(), inkRight = -1;
        for (int band = bandTop; band < y - 1; ++band)
            for (int x = 0; x < picture.Width(); ++x)
                if (picture.At(x, band) == 0) {
                    inkLeft = x < inkLeft ? x : inkLeft;
                    inkRight = x > inkRight ? x : inkRight;
                }
        EXPECT_GE(first, inkLeft) << "line " << lines;
        EXPECT_LE(last, inkRight + 1) << "line " << lines;
        EXPECT_GE(last, inkRight - 1) << "line " << lines;
        if (lines < 2)
            widths[lines] = last - first;
        ++lines;
        // The shadow's underline lies one row below: skip it.
        bandTop = y + 3;
        ++y;
    }
    EXPECT_EQ(2, lines);
    EXPECT_GT(widths[0], widths[1] + 40) << "each line its own underline";
}

TEST(DrawHelpers, MenusAndAccelerators)
{
    HMENU source = CreatePopupMenu(), sub = CreatePopupMenu(), target = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING | MF_CHECKED, 21, "Inner");
    AppendMenuA(source, MF_STRING, 11, "&Open");
    AppendMenuA(source, MF_SEPARATOR, 0, NULL);
    AppendMenuA(source, MF_POPUP, (UINT_PTR)sub, "More");
    EXPECT_TRUE(CopyMenuItems(source, target));
    ASSERT_EQ(3, GetMenuItemCount(target));
    EXPECT_STREQ("&Open", GetMenuItemTextByPosition(target, 0));
    EXPECT_STREQ("", GetMenuItemTextByPosition(target, 1));
    HMENU copied = GetSubMenu(target, 2);
    ASSERT_TRUE(copied != NULL && copied != sub);
    EXPECT_EQ(MF_CHECKED, GetMenuState(copied, 21, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(target);
    DestroyMenu(source);

    ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'S', 1}, {FVIRTKEY, 'S', 2}};
    HACCEL table = CreateAcceleratorTableA(entries, 2);
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    ACCEL found = {};
    ASSERT_TRUE(FindAccelerator(table, 'S', &found));
    EXPECT_EQ(2, found.cmd) << "Ctrl is up";
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    ASSERT_TRUE(FindAccelerator(table, 'S', &found));
    EXPECT_EQ(1, found.cmd);
    EXPECT_FALSE(FindAccelerator(table, 'Q', &found));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DestroyAcceleratorTable(table);
}

TEST(DrawHelpers, TemporaryFilesAndResourcesOnDisk)
{
    char path[MAX_PATH];
    MakeTempFileName(path, "clip", "C:\\", "avi");
    const std::string name = path;
    ASSERT_GT(name.size(), 4u);
    EXPECT_EQ(".avi", name.substr(name.size() - 4));
    EXPECT_NE(std::string::npos, name.find("SM"));
    DeleteFileA(name.substr(0, name.size() - 4).c_str()); // GetTempFileName made it

    // The skin resource of this program copied to a file, byte for byte.
    EXPECT_TRUE(SaveResourceToFile(path, NULL, MAKEINTRESOURCEA(187), "SKIN"));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &data));
    EXPECT_EQ(SizeofResource(NULL, FindResourceA(NULL, MAKEINTRESOURCEA(187), "SKIN")), data.nFileSizeLow);
    DeleteFileA(path);
    EXPECT_FALSE(SaveResourceToFile(path, NULL, MAKEINTRESOURCEA(9999), "SKIN"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path));
}
