// CxImage: decoding every BMP and TGA form into exact pixels, encoding,
// cutting and turning, drawing into a memory DC (plain, stretched, alpha,
// transparent), and refusing malformed images.

#include <gtest/gtest.h>

#include <vector>

#include "skin/draw/skindrawutils.h"
#include "skin/image/ximage.h"
#include "skin_test_support.h"

namespace {

typedef std::vector<BYTE> Bytes;

void Put16(Bytes& b, WORD v)
{
    b.push_back((BYTE)v);
    b.push_back((BYTE)(v >> 8));
}

void Put32(Bytes& b, DWORD v)
{
    Put16(b, (WORD)v);
    Put16(b, (WORD)(v >> 16));
}

struct BmpSpec
{
    LONG width = 0, height = 0;
    WORD bpp = 24;
    DWORD compression = 0;
    std::vector<DWORD> palette; // 0xRRGGBB
    DWORD clrUsed = 0;
    Bytes pixels;               // as stored
    std::vector<DWORD> masks;   // bit fields after the header
    bool fileHeader = true;
    bool core = false;
};

Bytes MakeBmp(const BmpSpec& s)
{
    Bytes info;
    if (s.core) {
        Put32(info, 12);
        Put16(info, (WORD)s.width);
        Put16(info, (WORD)s.height);
        Put16(info, 1);
        Put16(info, s.bpp);
        for (DWORD c : s.palette) {
            info.push_back((BYTE)c);
            info.push_back((BYTE)(c >> 8));
            info.push_back((BYTE)(c >> 16));
        }
    } else {
        Put32(info, 40);
        Put32(info, (DWORD)s.width);
        Put32(info, (DWORD)s.height);
        Put16(info, 1);
        Put16(info, s.bpp);
        Put32(info, s.compression);
        Put32(info, (DWORD)s.pixels.size());
        Put32(info, 3780);
        Put32(info, 3780);
        Put32(info, s.clrUsed);
        Put32(info, 0);
        for (DWORD m : s.masks)
            Put32(info, m);
        for (DWORD c : s.palette)
            Put32(info, c);
    }
    Bytes out;
    if (s.fileHeader) {
        out.push_back('B');
        out.push_back('M');
        Put32(out, (DWORD)(14 + info.size() + s.pixels.size()));
        Put32(out, 0);
        Put32(out, (DWORD)(14 + info.size()));
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

struct TgaSpec
{
    BYTE type = 2, depth = 24, descriptor = 0, cmapEntry = 0;
    WORD width = 0, height = 0;
    Bytes colourMap;
    WORD cmapOrigin = 0, cmapLength = 0;
    Bytes pixels;
    Bytes id;
};

Bytes MakeTga(const TgaSpec& s)
{
    Bytes out;
    out.push_back((BYTE)s.id.size());
    out.push_back(s.cmapLength ? 1 : 0);
    out.push_back(s.type);
    Put16(out, s.cmapOrigin);
    Put16(out, s.cmapLength);
    out.push_back(s.cmapEntry);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, s.width);
    Put16(out, s.height);
    out.push_back(s.depth);
    out.push_back(s.descriptor);
    out.insert(out.end(), s.id.begin(), s.id.end());
    out.insert(out.end(), s.colourMap.begin(), s.colourMap.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// The colour at x and y counted from the top row.
DWORD At(const CxImage& image, long x, long yTop)
{
    RGBQUAD c = image.GetPixelColor(x, (long)image.GetHeight() - 1 - yTop, false);
    return ((DWORD)c.rgbRed << 16) | ((DWORD)c.rgbGreen << 8) | c.rgbBlue;
}

bool Decode(CxImage& image, const Bytes& data, DWORD type)
{
    return image.Decode(data.empty() ? NULL : &data[0], (DWORD)data.size(), type);
}

// Overwrites a few bytes of file, chosen by a fixed sequence, many times and
// decodes each: any answer will do but a crash.
void FuzzDecode(const Bytes& file, size_t span, int changes, DWORD seed, DWORD type)
{
    CxImage image;
    for (int round = 0; round < 500; ++round) {
        Bytes fuzzed = file;
        for (int i = 0; i < changes; ++i) {
            seed = seed * 1103515245 + 12345;
            fuzzed[(seed >> 8) % span] = (BYTE)(seed >> 20);
        }
        Decode(image, fuzzed, type);
    }
}

// A 3 x 2 24-bit image: top row red, green, blue; bottom row white, black,
// grey.
CxImage SampleImage()
{
    CxImage image(3, 2, 24, CXIMAGE_FORMAT_BMP);
    const DWORD top[3] = {0xFF0000, 0x00FF00, 0x0000FF}, bottom[3] = {0xFFFFFF, 0x000000, 0x808080};
    for (int x = 0; x < 3; ++x) {
        image.SetPixelColor(x, 1, RGB(top[x] >> 16, (top[x] >> 8) & 0xFF, top[x] & 0xFF));
        image.SetPixelColor(x, 0, RGB(bottom[x] >> 16, (bottom[x] >> 8) & 0xFF, bottom[x] & 0xFF));
    }
    return CxImage(image);
}

} // namespace

// ---------------------------------------------------------------- BMP

TEST(ImageBmp, PalettedDepthsUncompressed)
{
    // 1 bit: rows padded to 4 bytes, bottom row first.
    BmpSpec one;
    one.width = 3;
    one.height = 2;
    one.bpp = 1;
    one.palette = {0x102030, 0xF0E0D0};
    one.pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0}; // bottom 1 0 1, top 0 1 0
    CxImage image;
    ASSERT_TRUE(Decode(image, MakeBmp(one), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(1, image.GetBpp());
    EXPECT_EQ(0x102030u, At(image, 0, 0));
    EXPECT_EQ(0xF0E0D0u, At(image, 1, 0));
    EXPECT_EQ(0xF0E0D0u, At(image, 0, 1));
    EXPECT_EQ(0xF0E0D0u, At(image, 2, 1));
    EXPECT_EQ(96, image.GetXDPI()) << "3780 pixels per metre";

    BmpSpec four;
    four.width = 3;
    four.height = 1;
    four.bpp = 4;
    four.clrUsed = 3;
    four.palette = {0x000001, 0x000002, 0x000003};
    four.pixels = {0x21, 0x00, 0, 0};
    ASSERT_TRUE(Decode(image, MakeBmp(four), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(16u, image.GetNumColors());
    EXPECT_EQ(0x000003u, At(image, 0, 0));
    EXPECT_EQ(0x000002u, At(image, 1, 0));
    EXPECT_EQ(0x000001u, At(image, 2, 0));

    BmpSpec eight;
    eight.width = 2;
    eight.height = 2;
    eight.bpp = 8;
    eight.palette = std::vector<DWORD>(256, 0);
    eight.palette[7] = 0x070707;
    eight.palette[200] = 0xC8C8C8;
    eight.pixels = {7, 200, 0, 0, 200, 7, 0, 0};
    ASSERT_TRUE(Decode(image, MakeBmp(eight), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(0xC8C8C8u, At(image, 0, 0));
    EXPECT_EQ(0x070707u, At(image, 0, 1));
}

TEST(ImageBmp, RunLengthEncodedEightAndFourBits)
{
    BmpSpec rle8;
    rle8.width = 6;
    rle8.height = 3;
    rle8.bpp = 8;
    rle8.compression = BI_RLE8;
    rle8.palette = std::vector<DWORD>(256, 0);
    for (int i = 0; i < 256; ++i)
        rle8.palette[i] = (DWORD)i * 0x010101;
    rle8.pixels = {
        4, 9,              // four of index 9
        0, 3, 1, 2, 3, 0,  // literal 1 2 3 (padded to even)
        0, 0,              // end of line (row 0 has 7 written? no: 4 + 3 = 7 > 6)
    };
    CxImage image;
    EXPECT_FALSE(Decode(image, MakeBmp(rle8), CXIMAGE_FORMAT_BMP)) << "a literal run past the row";

    rle8.pixels = {
        3, 9,              // bottom row: 9 9 9
        0, 3, 1, 2, 3, 0,  //             1 2 3
        0, 0,              // next row
        0, 2, 2, 1,        // delta: 2 right, 1 up -> row 2, x 2
        2, 50,             // 50 50
        0, 1};             // end of bitmap
    ASSERT_TRUE(Decode(image, MakeBmp(rle8), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(0x090909u, At(image, 0, 2));
    EXPECT_EQ(0x030303u, At(image, 5, 2));
    EXPECT_EQ(0x000000u, At(image, 0, 1)) << "skipped by the delta";
    EXPECT_EQ(0x323232u, At(image, 2, 0));
    EXPECT_EQ(0x323232u, At(image, 3, 0));
    EXPECT_EQ(0x000000u, At(image, 4, 0));

    BmpSpec rle4;
    rle4.width = 6;
    rle4.height = 1;
    rle4.bpp = 4;
    rle4.compression = BI_RLE4;
    rle4.palette = std::vector<DWORD>(16, 0);
    for (int i = 0; i < 16; ++i)
        rle4.palette[i] = (DWORD)i;
    rle4.pixels = {3, 0x12, 0, 3, 0xAB, 0xC0, 0, 1}; // 1 2 1, then literal A B C
    ASSERT_TRUE(Decode(image, MakeBmp(rle4), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(1u, At(image, 0, 0));
    EXPECT_EQ(2u, At(image, 1, 0));
    EXPECT_EQ(1u, At(image, 2, 0));
    EXPECT_EQ(0xAu, At(image, 3, 0));
    EXPECT_EQ(0xBu, At(image, 4, 0));
    EXPECT_EQ(0xCu, At(image, 5, 0));

    rle4.pixels = {7, 0x12, 0, 1};
    EXPECT_FALSE(Decode(image, MakeBmp(rle4), CXIMAGE_FORMAT_BMP)) << "a run past the row";
    rle4.pixels = {0, 2, 9, 0, 0, 1};
    EXPECT_FALSE(Decode(image, MakeBmp(rle4), CXIMAGE_FORMAT_BMP)) << "a delta out of the image";
    rle4.compression = BI_RLE8;
    EXPECT_FALSE(Decode(image, MakeBmp(rle4), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ("compression type not supported", image.GetLastError());
}

TEST(ImageBmp, SixteenBitsWithDefaultAndFieldMasks)
{
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bpp = 16;
    // 555: red 31, green 0, blue 0; then red 0 green 16 blue 1.
    s.pixels = {0x00, 0x7C, 0x01, 0x02};
    CxImage image;
    ASSERT_TRUE(Decode(image, MakeBmp(s), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(0xF80000u, At(image, 0, 0));
    EXPECT_EQ(0x008008u, At(image, 1, 0));

    s.compression = BI_BITFIELDS;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0xE0, 0x07, 0x1F, 0xF8}; // 565: green 63; then red 31 and blue 31
    ASSERT_TRUE(Decode(image, MakeBmp(s), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(0x00FC00u, At(image, 0, 0));
    EXPECT_EQ(0xF800F8u, At(image, 1, 0));
}

TEST(ImageBmp, TwentyFourAndThirtyTwoBitsTopDownCoreAndBareDib)
{
    BmpSpec s;
    s.width = 2;
    s.height = -2; // top-down
    s.bpp = 24;
    s.pixels = {0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0, 0, 0x09, 0x08, 0x07, 0x0C, 0x0B, 0x0A, 0, 0};
    CxImage image;
    ASSERT_TRUE(Decode(image, MakeBmp(s), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(2u, image.GetHeight());
    EXPECT_EQ(0x010203u, At(image, 0, 0)) << "the first stored row is the top one";
    EXPECT_EQ(0x0A0B0Cu, At(image, 1, 1));

    s.fileHeader = false;
    ASSERT_TRUE(Decode(image, MakeBmp(s), CXIMAGE_FORMAT_BMP)) << "a DIB without file header";
    EXPECT_EQ(0x040506u, At(image, 1, 0));

    BmpSpec t;
    t.width = 1;
    t.height = 2;
    t.bpp = 32;
    t.pixels = {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x00};
    ASSERT_TRUE(Decode(image, MakeBmp(t), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(0x302010u, At(image, 0, 1));
    EXPECT_EQ(0x605040u, At(image, 0, 0));

    BmpSpec core;
    core.core = true;
    core.width = 2;
    core.height = 1;
    core.bpp = 8;
    core.palette = std::vector<DWORD>(256, 0);
    core.palette[1] = 0xABCDEF;
    core.pixels = {1, 0, 0, 0};
    ASSERT_TRUE(Decode(image, MakeBmp(core), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
    EXPECT_EQ(0xABCDEFu, At(image, 0, 0));
    EXPECT_EQ(0u, At(image, 1, 0));
}

TEST(ImageBmp, MalformedBitmapsFailWithoutReadingOutOfBounds)
{
    BmpSpec good;
    good.width = 4;
    good.height = 4;
    good.bpp = 8;
    good.palette = std::vector<DWORD>(256, 0x123456);
    good.pixels = Bytes(16, 1);
    const Bytes file = MakeBmp(good);
    CxImage image;
    ASSERT_TRUE(Decode(image, file, CXIMAGE_FORMAT_BMP));
    for (size_t n = 0; n < file.size(); ++n) {
        Bytes cut(file.begin(), file.begin() + n);
        EXPECT_FALSE(Decode(image, cut, CXIMAGE_FORMAT_BMP)) << "cut at " << n;
        EXPECT_FALSE(image.IsValid());
    }
    BmpSpec bad = good;
    bad.clrUsed = 300;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP)) << "palette larger than the depth allows";
    bad = good;
    bad.bpp = 7;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP)) << "bit depth 7";
    bad = good;
    bad.width = 0;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP)) << "width 0";
    bad = good;
    bad.width = 0x7FFFFFFF;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP)) << "a width no memory holds";
    bad = good;
    bad.width = 20000;
    bad.height = 20000;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP)) << "pixels the data does not hold";
    bad = good;
    bad.bpp = 24;
    bad.compression = BI_RLE8;
    EXPECT_FALSE(Decode(image, MakeBmp(bad), CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ("unknown compression", image.GetLastError());
    Bytes offset = file;
    offset[10] = 0xF0; // pixels said to start far beyond the end
    offset[11] = 0xFF;
    EXPECT_FALSE(Decode(image, offset, CXIMAGE_FORMAT_BMP));

    FuzzDecode(file, 60, 4, 99, CXIMAGE_FORMAT_BMP); // the headers
}

// ---------------------------------------------------------------- TGA

TEST(ImageTga, TrueColourDepthsAndOrigins)
{
    TgaSpec s;
    s.width = 2;
    s.height = 2;
    s.depth = 24;
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}; // bottom row first
    CxImage image;
    ASSERT_TRUE(Decode(image, MakeTga(s), CXIMAGE_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(0x030201u, At(image, 0, 1));
    EXPECT_EQ(0x0C0B0Au, At(image, 1, 0));

    s.descriptor = 0x20; // top-left origin: the first row is the top one
    ASSERT_TRUE(Decode(image, MakeTga(s), CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(0x030201u, At(image, 0, 0));
    s.descriptor = 0x30; // and right to left
    ASSERT_TRUE(Decode(image, MakeTga(s), CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(0x030201u, At(image, 1, 0));

    TgaSpec a;
    a.width = 1;
    a.height = 1;
    a.depth = 32;
    a.pixels = {0x10, 0x20, 0x30, 0x80};
    ASSERT_TRUE(Decode(image, MakeTga(a), CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(0x302010u, At(image, 0, 0));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(0x80, image.AlphaGet(0, 0));

    for (BYTE depth : {(BYTE)15, (BYTE)16}) {
        TgaSpec h;
        h.width = 1;
        h.height = 1;
        h.depth = depth;
        h.pixels = {0x1F, 0x7C}; // red 31, green 0, blue 31
        ASSERT_TRUE(Decode(image, MakeTga(h), CXIMAGE_FORMAT_TGA)) << (int)depth;
        EXPECT_EQ(0xF800F8u, At(image, 0, 0));
    }
}

TEST(ImageTga, ColourMappedGreyAndRunLengthForms)
{
    TgaSpec m;
    m.type = 1;
    m.depth = 8;
    m.width = 3;
    m.height = 1;
    m.cmapLength = 2;
    m.cmapEntry = 24;
    m.colourMap = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    m.pixels = {1, 0, 1};
    CxImage image;
    ASSERT_TRUE(Decode(image, MakeTga(m), CXIMAGE_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(8, image.GetBpp());
    EXPECT_EQ(0x665544u, At(image, 0, 0));
    EXPECT_EQ(0x332211u, At(image, 1, 0));

    TgaSpec g;
    g.type = 3;
    g.depth = 8;
    g.width = 2;
    g.height = 1;
    g.pixels = {0, 200};
    g.id = {'i', 'd'};
    ASSERT_TRUE(Decode(image, MakeTga(g), CXIMAGE_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(0xC8C8C8u, At(image, 1, 0)) << "the grey palette";

    // Run-length true colour with a top-left origin, runs across rows.
    TgaSpec r;
    r.type = 10;
    r.depth = 24;
    r.width = 3;
    r.height = 2;
    r.descriptor = 0x20;
    r.pixels = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
    ASSERT_TRUE(Decode(image, MakeTga(r), CXIMAGE_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(0x030201u, At(image, 0, 0));
    EXPECT_EQ(0x030201u, At(image, 2, 0));
    EXPECT_EQ(0x030201u, At(image, 0, 1)) << "the run went on in the next row";
    EXPECT_EQ(0x060504u, At(image, 1, 1));
    EXPECT_EQ(0x090807u, At(image, 2, 1));

    g.type = 11;
    g.pixels = {0x81, 77};
    ASSERT_TRUE(Decode(image, MakeTga(g), CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(0x4D4D4Du, At(image, 1, 0));
    m.type = 9;
    m.pixels = {0x82, 1};
    ASSERT_TRUE(Decode(image, MakeTga(m), CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(0x665544u, At(image, 2, 0));
}

TEST(ImageTga, MalformedImagesFail)
{
    TgaSpec s;
    s.width = 2;
    s.height = 2;
    s.pixels = Bytes(12, 7);
    const Bytes file = MakeTga(s);
    CxImage image;
    for (size_t n = 0; n < file.size(); ++n)
        EXPECT_FALSE(Decode(image, Bytes(file.begin(), file.begin() + n), CXIMAGE_FORMAT_TGA)) << n;
    EXPECT_STREQ("corrupted TGA", image.GetLastError());
    EXPECT_FALSE(Decode(image, Bytes(file.begin(), file.begin() + 10), CXIMAGE_FORMAT_TGA));
    EXPECT_STREQ("Not a TGA", image.GetLastError());

    TgaSpec bad = s;
    bad.type = 4;
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA));
    EXPECT_STREQ("Unknown TGA image type", image.GetLastError());
    bad = s;
    bad.depth = 12;
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA));
    EXPECT_STREQ("bad TGA header", image.GetLastError());
    bad = s;
    bad.width = 0;
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA));
    bad = s;
    bad.type = 1;
    bad.depth = 8;
    bad.cmapLength = 300;
    bad.cmapEntry = 24;
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA)) << "a colour map above 256";
    // A map that starts late must still end inside the 256 entries.
    TgaSpec late;
    late.type = 1;
    late.depth = 8;
    late.width = 1;
    late.height = 1;
    late.cmapEntry = 24;
    late.cmapOrigin = 255;
    late.cmapLength = 1;
    late.colourMap = {0x11, 0x22, 0x33};
    late.pixels = {255};
    ASSERT_TRUE(Decode(image, MakeTga(late), CXIMAGE_FORMAT_TGA)) << image.GetLastError();
    EXPECT_EQ(0x332211u, At(image, 0, 0));
    late.cmapOrigin = 200;
    late.cmapLength = 100;
    late.colourMap = Bytes(300, 0x44);
    EXPECT_FALSE(Decode(image, MakeTga(late), CXIMAGE_FORMAT_TGA)) << "entries 200 to 299";
    EXPECT_STREQ("bad TGA header", image.GetLastError());
    bad = s;
    bad.type = 10;
    bad.pixels = {0xFF, 1, 2, 3};
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA)) << "a run of 128 in 4 pixels";
    EXPECT_STREQ("corrupted TGA", image.GetLastError());
    bad = s;
    bad.width = 0xFFFF;
    bad.height = 0xFFFF;
    EXPECT_FALSE(Decode(image, MakeTga(bad), CXIMAGE_FORMAT_TGA)) << "4 billion pixels from 12 bytes";
    EXPECT_FALSE(image.IsValid());

    FuzzDecode(file, file.size(), 3, 7, CXIMAGE_FORMAT_TGA);
}

// ---------------------------------------------------------------- encoding, creating

TEST(ImageCodec, EncodedImagesDecodeToTheSamePixels)
{
    CxImage image = SampleImage();
    for (DWORD type : {(DWORD)CXIMAGE_FORMAT_BMP, (DWORD)CXIMAGE_FORMAT_TGA}) {
        BYTE* buffer = NULL;
        long size = 0;
        ASSERT_TRUE(image.Encode(buffer, size, type)) << image.GetLastError();
        CxImage back;
        ASSERT_TRUE(back.Decode(buffer, (DWORD)size, type)) << back.GetLastError();
        free(buffer);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(At(image, x, y), At(back, x, y)) << type << " at " << x << "," << y;
    }
    // TGA keeps the alpha channel as a fourth byte.
    image.AlphaCreate();
    image.AlphaSet(0, 1, 0x40);
    BYTE* buffer = NULL;
    long size = 0;
    ASSERT_TRUE(image.Encode(buffer, size, CXIMAGE_FORMAT_TGA));
    EXPECT_EQ(32, buffer[16]);
    CxImage back;
    ASSERT_TRUE(back.Decode(buffer, (DWORD)size, CXIMAGE_FORMAT_TGA));
    free(buffer);
    EXPECT_EQ(0x40, back.AlphaGet(0, 1));

    CxImage four(4, 4, 4);
    EXPECT_FALSE(four.Encode(buffer, size, CXIMAGE_FORMAT_TGA));
    EXPECT_STREQ("Bit depth must be 8 or 24", four.GetLastError());
    EXPECT_FALSE(four.Encode(buffer, size, 3));
    EXPECT_STREQ("Encode: Unknown format", four.GetLastError());
    CxImage empty;
    EXPECT_FALSE(empty.Encode(buffer, size, CXIMAGE_FORMAT_BMP));
    EXPECT_STREQ("null image!!!", empty.GetLastError());
    const BYTE data[4] = {0};
    EXPECT_FALSE(empty.Decode(data, 4, 3));
    EXPECT_STREQ("Decode: Unknown or wrong format", empty.GetLastError());
}

TEST(ImageCodec, CreateRoundsDepthsAndRefusesHugeImages)
{
    CxImage image;
    ASSERT_TRUE(image.Create(10, 10, 3));
    EXPECT_EQ(4, image.GetBpp());
    EXPECT_EQ(16u, image.GetNumColors());
    ASSERT_TRUE(image.Create(10, 10, 16));
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(0u, image.GetNumColors());
    ASSERT_TRUE(image.Create(100, 100, 24));
    EXPECT_EQ(300u, image.GetEffWidth());
    ASSERT_TRUE(image.Create(100, 100, 1));
    EXPECT_EQ(16u, image.GetEffWidth());
    EXPECT_FALSE(image.Create(16000, 16000, 24));
    EXPECT_STREQ("CXIMAGE_MAX_MEMORY exceeded", image.GetLastError());
    EXPECT_FALSE(image.IsValid());
    image.Create(4, 1, 8);
    image.SetGrayPalette();
    EXPECT_EQ(255, image.GetPaletteColor(255).rgbRed);
    EXPECT_EQ(1, image.GetPaletteColor(1).rgbGreen);
    RGBQUAD grey9 = {9, 9, 9, 0};
    EXPECT_EQ(9, image.GetNearestIndex(grey9));
}

TEST(ImageCodec, CropMirrorFlipAndRotate)
{
    CxImage image = SampleImage();
    CxImage cut;
    ASSERT_TRUE(image.Crop(1, 0, 3, 1, &cut));
    ASSERT_EQ(2u, cut.GetWidth());
    ASSERT_EQ(1u, cut.GetHeight());
    EXPECT_EQ(0x00FF00u, At(cut, 0, 0));
    EXPECT_EQ(0x0000FFu, At(cut, 1, 0));
    EXPECT_FALSE(image.Crop(5, 5, 9, 9, &cut)) << "outside the image";

    CxImage mirrored(image);
    ASSERT_TRUE(mirrored.Mirror());
    EXPECT_EQ(0x0000FFu, At(mirrored, 0, 0));
    CxImage flipped(image);
    ASSERT_TRUE(flipped.Flip());
    EXPECT_EQ(0xFFFFFFu, At(flipped, 0, 0));
    CxImage half;
    ASSERT_TRUE(image.Rotate180(&half));
    EXPECT_EQ(0x808080u, At(half, 0, 0));
    EXPECT_EQ(0xFF0000u, At(half, 2, 1));

    CxImage quarter;
    ASSERT_TRUE(image.Rotate(90, &quarter));
    ASSERT_EQ(2u, quarter.GetWidth());
    ASSERT_EQ(3u, quarter.GetHeight());
    // Every colour is still there once.
    int seen = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            seen |= At(quarter, x, y) == 0xFF0000u ? 1 : At(quarter, x, y) == 0x0000FFu ? 2 : 0;
    EXPECT_EQ(3, seen);
    CxImage back;
    ASSERT_TRUE(quarter.Rotate(270, &back));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(image, x, y), At(back, x, y)) << x << "," << y;
}

// ---------------------------------------------------------------- drawing

TEST(ImageDraw, NaturalSizeAndStretched)
{
    CxImage image = SampleImage();
    MemoryPicture picture(10, 10, 0x111111);
    ASSERT_TRUE(image.Draw(picture.DC(), 1, 1));
    EXPECT_EQ(0xFF0000u, picture.At(1, 1));
    EXPECT_EQ(0x0000FFu, picture.At(3, 1));
    EXPECT_EQ(0x808080u, picture.At(3, 2));
    EXPECT_EQ(0x111111u, picture.At(4, 1));

    MemoryPicture big(10, 10, 0x111111);
    ASSERT_TRUE(image.Draw(big.DC(), 0, 0, 6, 4));
    EXPECT_EQ(0xFF0000u, big.At(1, 1));
    EXPECT_EQ(0x00FF00u, big.At(2, 0));
    EXPECT_EQ(0xFFFFFFu, big.At(0, 2));
    EXPECT_EQ(0x808080u, big.At(5, 3));
    EXPECT_EQ(0x111111u, big.At(6, 0));

    MemoryPicture clipped(10, 10, 0x111111);
    RECT clip = {0, 0, 2, 10};
    ASSERT_TRUE(image.Draw(clipped.DC(), 0, 0, -1, -1, &clip));
    EXPECT_EQ(0x00FF00u, clipped.At(1, 0));
    EXPECT_EQ(0x111111u, clipped.At(2, 0)) << "outside the clip rectangle";

    image.Enable(false);
    MemoryPicture none(4, 4, 0x111111);
    EXPECT_FALSE(image.Draw(none.DC(), 0, 0));
    EXPECT_EQ(0x111111u, none.At(0, 0));
    EXPECT_FALSE(image.Draw(none.DC(), 0, 0, 0, 5));
}

TEST(ImageDraw, AlphaBlendsOverTheBackground)
{
    CxImage image = SampleImage();
    ASSERT_TRUE(image.AlphaCreate());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.AlphaSet(x, y, 128);
    image.AlphaSet(2, 0, 0);   // bottom-right: invisible
    image.AlphaSet(0, 0, 255); // bottom-left: opaque
    MemoryPicture picture(4, 4, 0xFFFFFF);
    ASSERT_TRUE(image.Draw(picture.DC(), 0, 0));
    // (255 x 128 + 255 x 127) / 256 = 254 and (0 x 128 + 255 x 127) / 256 = 126.
    EXPECT_EQ(0xFE7E7Eu, picture.At(0, 0));
    EXPECT_EQ(0x7EFE7Eu, picture.At(1, 0));
    EXPECT_EQ(0xFFFFFFu, picture.At(2, 1)) << "alpha 0 leaves the background";
    EXPECT_EQ(0xFFFFFFu, picture.At(0, 1)) << "alpha 255 replaces it (white)";

    image.AlphaSetMax(127); // scales every pixel: 128 x 128 / 256 = 64
    MemoryPicture faded(4, 4, 0xFFFFFF);
    ASSERT_TRUE(image.Draw(faded.DC(), 0, 0));
    EXPECT_EQ(0xFEBEBEu, faded.At(0, 0));
}

TEST(ImageDraw, TransparentIndexAndColourAreLeftOut)
{
    CxImage paletted(2, 1, 8);
    RGBQUAD red = {0, 0, 255, 0}, blue = {255, 0, 0, 0};
    paletted.SetPaletteColor(1, red);
    paletted.SetPaletteColor(2, blue);
    paletted.SetPixelIndex(0, 0, 1);
    paletted.SetPixelIndex(1, 0, 2);
    paletted.SetTransIndex(2);
    MemoryPicture picture(4, 1, 0x00FF00);
    ASSERT_TRUE(paletted.Draw(picture.DC(), 0, 0));
    EXPECT_EQ(0xFF0000u, picture.At(0, 0));
    EXPECT_EQ(0x00FF00u, picture.At(1, 0));

    CxImage image = SampleImage();
    RGBQUAD grey = {0x80, 0x80, 0x80, 0};
    image.SetTransColor(grey);
    MemoryPicture keyed(4, 4, 0x123456);
    ASSERT_TRUE(image.Draw(keyed.DC(), 0, 0));
    EXPECT_EQ(0x123456u, keyed.At(2, 1));
    EXPECT_EQ(0xFFFFFFu, keyed.At(0, 1));

    MemoryPicture masked(4, 4, 0x123456);
    ASSERT_TRUE(image.DrawTransparent(masked.DC(), 0, 0, -1, -1));
    EXPECT_EQ(0x123456u, masked.At(2, 1));
    EXPECT_EQ(0xFF0000u, masked.At(0, 0));
    EXPECT_EQ(0x000000u, masked.At(1, 1));
}

TEST(ImageDraw, TileRepeatsFromTheTopLeftAndCutsTheLastCells)
{
    CxImage image = SampleImage();
    MemoryPicture picture(10, 10, 0x111111);
    RECT area = {1, 1, 8, 4};
    ASSERT_TRUE(image.Tile(picture.DC(), &area));
    EXPECT_EQ(0xFF0000u, picture.At(1, 1));
    EXPECT_EQ(0xFF0000u, picture.At(4, 1));
    EXPECT_EQ(0xFF0000u, picture.At(7, 1));
    EXPECT_EQ(0x111111u, picture.At(8, 1)) << "cut at the right edge";
    EXPECT_EQ(0xFF0000u, picture.At(1, 3));
    EXPECT_EQ(0x111111u, picture.At(1, 4)) << "cut at the bottom edge";
    RECT empty = {5, 5, 5, 9};
    EXPECT_TRUE(image.Tile(picture.DC(), &empty));
}

TEST(ImageDraw, BitmapsAndRegions)
{
    CxImage image = SampleImage();
    HBITMAP bitmap = image.MakeBitmap(NULL);
    ASSERT_TRUE(bitmap);
    CxImage back;
    ASSERT_TRUE(back.CreateFromHBITMAP(bitmap));
    EXPECT_EQ(0x0000FFu, At(back, 2, 0));

    // The region of everything that is not white: five of six pixels.
    HRGN region = RegionFromBitmap(bitmap, RGB(255, 255, 255));
    ASSERT_TRUE(region);
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 0, 1));
    EXPECT_TRUE(PtInRegion(region, 2, 1));
    DeleteObject(region);
    DeleteObject(bitmap);

    CxImage white(2, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            white.SetPixelColor(x, y, RGB(255, 0, 255));
    white.SetPixelColor(1, 1, RGB(1, 2, 3));
    bitmap = white.MakeBitmap(NULL);
    region = RegionFromBitmap(bitmap, RGB(255, 0, 255));
    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetRgnBox(region, &box));
    EXPECT_EQ(1, box.left);
    EXPECT_EQ(0, box.top) << "the top row of the picture";
    EXPECT_EQ(2, box.right);
    EXPECT_EQ(1, box.bottom);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(ImageDraw, OsProbeOnNtSixAndLater)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    GetVersionExA(&info);
    const int expected = info.dwMajorVersion == 5 && info.dwMinorVersion == 1 ? 7
                         : info.dwMajorVersion == 5 && info.dwMinorVersion == 0 ? 6 : 1;
    EXPECT_EQ(expected, GetOSVersionCode());
}
