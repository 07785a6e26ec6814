#include "foundation/aes.h"

#include <gtest/gtest.h>

#include "test_bytes.h"

#include <cstring>
#include <vector>

namespace {

const char* const kKey128 = "000102030405060708090a0b0c0d0e0f";
const char* const kKey192 = "000102030405060708090a0b0c0d0e0f1011121314151617";
const char* const kKey256 = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f";
const char* const kPlain = "00112233445566778899aabbccddeeff";
const char* const kCipher128 = "69c4e0d86a7b0430d8cdb78070b4c55a";
const char* const kCipher192 = "dda97ca4864cdfe06eaf70a0ec0d7191";
const char* const kCipher256 = "8ea2b7ca516745bfeafc49904b496089";

std::vector<BYTE> Decrypt(const AES_DECRYPT_CTX& ctx, const char* cipherHex)
{
    std::vector<BYTE> in = Hex(cipherHex), out(16, 0);
    EXPECT_EQ(0, AesDecryptBlock(in.data(), out.data(), &ctx));
    return out;
}

}  // namespace

TEST(AesTest, StandardDecryptionVectors)
{
    const std::vector<BYTE> plain = Hex(kPlain);
    AES_DECRYPT_CTX ctx;

    std::vector<BYTE> k = Hex(kKey128);
    ASSERT_EQ(0, AesSetDecryptKey128(k.data(), &ctx));
    EXPECT_EQ(10u, ctx.rounds);
    EXPECT_EQ(plain, Decrypt(ctx, kCipher128));

    k = Hex(kKey192);
    ASSERT_EQ(0, AesSetDecryptKey192(k.data(), &ctx));
    EXPECT_EQ(12u, ctx.rounds);
    EXPECT_EQ(plain, Decrypt(ctx, kCipher192));

    k = Hex(kKey256);
    ASSERT_EQ(0, AesSetDecryptKey256(k.data(), &ctx));
    EXPECT_EQ(14u, ctx.rounds);
    EXPECT_EQ(plain, Decrypt(ctx, kCipher256));

    // The worked cipher example: key 2b7e..., block 3243f6a8...
    k = Hex("2b7e151628aed2a6abf7158809cf4f3c");
    ASSERT_EQ(0, AesSetDecryptKey128(k.data(), &ctx));
    EXPECT_EQ(Hex("3243f6a8885a308d313198a2e0370734"),
              Decrypt(ctx, "3925841d02dc09fbdc118597196a0b32"));
}

TEST(AesTest, DecryptInPlace)
{
    const std::vector<BYTE> k = Hex(kKey256);
    AES_DECRYPT_CTX ctx;
    ASSERT_EQ(0, AesSetDecryptKey256(k.data(), &ctx));
    std::vector<BYTE> buf = Hex(kCipher256);
    ASSERT_EQ(0, AesDecryptBlock(buf.data(), buf.data(), &ctx));
    EXPECT_EQ(Hex(kPlain), buf);
}

TEST(AesTest, KeyLengthInBytesOrBits)
{
    struct L { int bytes; int bits; const char* key; const char* cipher; DWORD rounds; };
    const L lengths[] = {
        {16, 128, kKey128, kCipher128, 10},
        {24, 192, kKey192, kCipher192, 12},
        {32, 256, kKey256, kCipher256, 14},
    };
    for (const L& l : lengths) {
        const std::vector<BYTE> k = Hex(l.key);
        AES_DECRYPT_CTX byBytes, byBits;
        std::memset(&byBytes, 0x11, sizeof(byBytes));
        std::memset(&byBits, 0x22, sizeof(byBits));
        ASSERT_EQ(0, AesSetDecryptKey(k.data(), l.bytes, &byBytes));
        ASSERT_EQ(0, AesSetDecryptKey(k.data(), l.bits, &byBits));
        EXPECT_EQ(l.rounds, byBytes.rounds);
        EXPECT_EQ(0, std::memcmp(&byBytes, &byBits, sizeof(byBytes))) << l.bytes;
        EXPECT_EQ(Hex(kPlain), Decrypt(byBytes, l.cipher));
    }
}

TEST(AesTest, BadKeyLengthLeavesContextAlone)
{
    const std::vector<BYTE> k = Hex(kKey256);
    const int bad[] = {0, -16, 1, 15, 17, 20, 31, 33, 64, 127, 129, 512};
    for (int len : bad) {
        AES_DECRYPT_CTX ctx;
        std::memset(&ctx, 0x5C, sizeof(ctx));
        AES_DECRYPT_CTX before = ctx;
        EXPECT_EQ(-1, AesSetDecryptKey(k.data(), len, &ctx)) << len;
        EXPECT_EQ(0, std::memcmp(&ctx, &before, sizeof(ctx))) << len;
    }
    AES_DECRYPT_CTX ctx;
    EXPECT_EQ(-1, AesSetDecryptKey(nullptr, 16, &ctx));
    EXPECT_EQ(-1, AesSetDecryptKey(k.data(), 16, nullptr));
}

TEST(AesTest, BadRoundCountWritesNothing)
{
    const std::vector<BYTE> k = Hex(kKey128);
    AES_DECRYPT_CTX ctx;
    ASSERT_EQ(0, AesSetDecryptKey128(k.data(), &ctx));
    const std::vector<BYTE> in = Hex(kCipher128);
    const DWORD bad[] = {0, 9, 11, 13, 15, 0xFFFFFFFF};
    for (DWORD r : bad) {
        ctx.rounds = r;
        BYTE out[16];
        std::memset(out, 0xEE, sizeof(out));
        EXPECT_EQ(-1, AesDecryptBlock(in.data(), out, &ctx)) << r;
        for (BYTE b : out)
            EXPECT_EQ(0xEE, b);
    }
    // Restoring the count makes the same context usable again.
    ctx.rounds = 10;
    EXPECT_EQ(Hex(kPlain), Decrypt(ctx, kCipher128));
}
