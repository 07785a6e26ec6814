// Pictures of the HTML engine and the animated picture: damaged ones are
// refused (drawn as missing) without reaching past their bytes, whole ones
// still decode.

#include "platform/html/htmlimage.h"
#include "platform/html/olepicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
typedef std::vector<BYTE> Bytes;

void Put32(Bytes& b, size_t at, DWORD v)
{
    memcpy(&b[at], &v, 4);
}

// A 2 x 2 bitmap of 24 bits with its file header.
Bytes Bitmap()
{
    Bytes b(14 + 40 + 16, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<DWORD>(b.size()));
    Put32(b, 10, 14 + 40);
    Put32(b, 14, 40);
    Put32(b, 18, 2);
    Put32(b, 22, 2);
    b[26] = 1;
    b[28] = 24;
    for (size_t i = 54; i < b.size(); ++i)
        b[i] = 0x80;
    return b;
}

// An icon file holding one 2 x 2 icon of 32 bits.
Bytes Icon()
{
    const DWORD dib = 40 + 2 * 2 * 4 + 2 * 4;  // header, colours, mask rows of 4 bytes
    Bytes b(6 + 16 + dib, 0);
    b[2] = 1;
    b[4] = 1;
    b[6] = 2;
    b[7] = 2;
    b[10] = 1;
    b[12] = 32;
    Put32(b, 14, dib);
    Put32(b, 18, 22);
    Put32(b, 22, 40);
    Put32(b, 26, 2);
    Put32(b, 30, 4);  // twice the height: colours and mask
    b[34] = 1;
    b[36] = 32;
    for (size_t i = 62; i < 62 + 16; ++i)
        b[i] = 0xC0;
    return b;
}
}  // namespace

TEST(DamagedPictures, AreRefusedBeforeTheSystemLoaderReadsPastThem)
{
    struct Damaged
    {
        const char* what;
        Bytes bytes;
        bool nothingDecodes;  // the imaging decoder refuses it as well
    };
    std::vector<Damaged> damaged;
    const Bytes icon = Icon(), bmp = Bitmap();
    damaged.push_back({"icon of 13 bytes", Bytes(icon.begin(), icon.begin() + 13), true});
    Bytes many = icon;
    many[4] = many[5] = 0xFF;  // 65,535 directory entries in a file with room for one
    damaged.push_back({"icon directory past the data", many, true});
    Bytes distant = icon;
    Put32(distant, 18, 0x40000000);
    damaged.push_back({"icon image past the data", distant, false});
    Bytes offset = bmp;
    Put32(offset, 10, 0x40000000);
    damaged.push_back({"bitmap pixels past the data", offset, true});
    Bytes tall = bmp;
    Put32(tall, 22, 4000);
    damaged.push_back({"bitmap rows past the data", tall, false});
    damaged.push_back({"bitmap header cut short", Bytes(bmp.begin(), bmp.begin() + 30), false});

    const DWORD begin = GetTickCount();
    for (const Damaged& d : damaged)
    {
        // The imaging decoder reads through a stream and may make what it
        // can of some; the system's picture loader never sees any of them.
        std::unique_ptr<CHtmlImage> image = CHtmlImage::Decode(d.bytes.data(), d.bytes.size());
        if (d.nothingDecodes)
            EXPECT_EQ(nullptr, image) << d.what;
        EXPECT_EQ(nullptr, LoadOlePicture(d.bytes.data(), d.bytes.size())) << d.what;
    }
    EXPECT_LT(GetTickCount() - begin, 1000u);

    // Whole pictures of the same kinds still decode, by either road.
    for (const Bytes& whole : {icon, bmp})
    {
        std::unique_ptr<CHtmlImage> image = CHtmlImage::Decode(whole.data(), whole.size());
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(2, image->Width());
        IPicture* picture = LoadOlePicture(whole.data(), whole.size());
        ASSERT_NE(nullptr, picture);
        picture->Release();
    }
}
