#include "foundation/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string HexDigest(const BYTE d[16])
{
    char s[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(s + 2 * i, 3, "%02x", d[i]);
    return s;
}

std::string Md5Of(const void* data, size_t len)
{
    MD5_CTX ctx;
    MD5Init(&ctx);
    MD5Update(&ctx, (const BYTE*)data, (DWORD)len);
    BYTE d[16];
    MD5Final(d, &ctx);
    return HexDigest(d);
}

std::string Md5Of(const std::string& s)
{
    return Md5Of(s.data(), s.size());
}

}  // namespace

TEST(Md5Test, StandardSuite)
{
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Md5Of(""));
    EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Md5Of("a"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Of("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Of("message digest"));
    EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Md5Of("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
              Md5Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
              Md5Of("1234567890123456789012345678901234567890"
                    "1234567890123456789012345678901234567890"));
}

TEST(Md5Test, PaddingBoundaries)
{
    // 55 bytes fit the length in the same block, 56 need a second one,
    // 64 is exactly one block. Digests as computed by md5sum.
    EXPECT_EQ("ef1772b6dff9a122358552954ad0df65", Md5Of(std::string(55, 'a')));
    EXPECT_EQ("3b0c8ac703f828b04c6c197006d17218", Md5Of(std::string(56, 'a')));
    EXPECT_EQ("014842d480b571495a4a0363793f7367", Md5Of(std::string(64, 'a')));
    EXPECT_EQ("7707d6ae4e027c70eea2a935c2296f21", Md5Of(std::string(1000000, 'a')));
}

TEST(Md5Test, ChunkedUpdatesMatchOneUpdate)
{
    std::vector<BYTE> data(1000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 131 + (i >> 3));
    const std::string whole = Md5Of(data.data(), data.size());

    const DWORD chunks[] = {1, 3, 63, 64, 65, 127, 500};
    for (DWORD chunk : chunks) {
        MD5_CTX ctx;
        MD5Init(&ctx);
        for (size_t off = 0; off < data.size(); off += chunk) {
            DWORD n = (DWORD)std::min<size_t>(chunk, data.size() - off);
            MD5Update(&ctx, data.data() + off, n);
            MD5Update(&ctx, data.data() + off, 0);
        }
        BYTE d[16];
        MD5Final(d, &ctx);
        EXPECT_EQ(whole, HexDigest(d)) << chunk;
    }
}

TEST(Md5Test, ContextLayoutAndZeroedAfterFinal)
{
    MD5_CTX ctx;
    MD5Init(&ctx);
    EXPECT_EQ(0x67452301u, ctx.state[0]);
    EXPECT_EQ(0xefcdab89u, ctx.state[1]);
    EXPECT_EQ(0x98badcfeu, ctx.state[2]);
    EXPECT_EQ(0x10325476u, ctx.state[3]);
    EXPECT_EQ(0u, ctx.count[0]);
    EXPECT_EQ(0u, ctx.count[1]);

    // The count is in bits, low word first; a partial block waits in buffer.
    MD5Update(&ctx, (const BYTE*)"abcdefghij", 10);
    EXPECT_EQ(80u, ctx.count[0]);
    EXPECT_EQ(0, std::memcmp(ctx.buffer, "abcdefghij", 10));

    BYTE d[16];
    MD5Final(d, &ctx);
    const BYTE* raw = (const BYTE*)&ctx;
    for (size_t i = 0; i < sizeof(ctx); ++i)
        EXPECT_EQ(0, raw[i]) << i;
    EXPECT_EQ("a925576942e94b2ef57a066101b48876", HexDigest(d));
}

TEST(Md5Test, TransformIsOneRawBlock)
{
    // One block through the transform from the initial state: the digest
    // of the 55-byte message is its padded single block.
    BYTE block[64] = {};
    std::memset(block, 'a', 55);
    block[55] = 0x80;
    block[56] = (BYTE)(55 * 8);  // bit count 440, little-endian
    block[57] = (BYTE)((55 * 8) >> 8);
    DWORD state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    MD5Transform(state, block);
    BYTE d[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            d[4 * i + j] = (BYTE)(state[i] >> (8 * j));
    EXPECT_EQ("ef1772b6dff9a122358552954ad0df65", HexDigest(d));
}
