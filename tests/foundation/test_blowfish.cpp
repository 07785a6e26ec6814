#include "foundation/blowfish.h"

#include <gtest/gtest.h>

#include "test_bytes.h"

#include <cstring>
#include <vector>

namespace {

DWORD Be32(const BYTE* p)
{
    return ((DWORD)p[0] << 24) | ((DWORD)p[1] << 16) | ((DWORD)p[2] << 8) | p[3];
}

// Enciphers a block given as 16 hex digits with big-endian halves, checks the
// expected cipher text and the way back.
void ExpectVector(const std::vector<BYTE>& key, const char* plain, const char* cipher)
{
    BLOWFISH_CTX ctx;
    ASSERT_TRUE(Blowfish_Init(&ctx, key.data(), (DWORD)key.size()));
    std::vector<BYTE> p = Hex(plain), c = Hex(cipher);
    DWORD l = Be32(&p[0]), r = Be32(&p[4]);
    Blowfish_Encrypt(&ctx, &l, &r);
    EXPECT_EQ(Be32(&c[0]), l) << plain;
    EXPECT_EQ(Be32(&c[4]), r) << plain;
    Blowfish_Decrypt(&ctx, &l, &r);
    EXPECT_EQ(Be32(&p[0]), l) << cipher;
    EXPECT_EQ(Be32(&p[4]), r) << cipher;
}

}  // namespace

TEST(BlowfishTest, PublishedEightByteKeyVectors)
{
    struct V { const char* key; const char* plain; const char* cipher; };
    const V vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
        {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
    };
    for (const V& v : vectors)
        ExpectVector(Hex(v.key), v.plain, v.cipher);
}

TEST(BlowfishTest, PublishedVariableKeyLengthVectors)
{
    // Prefixes of one 24-byte key; the key bytes wrap around the P-array.
    const std::vector<BYTE> full = Hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const char* expected[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (size_t n = 1; n <= full.size(); ++n)
        ExpectVector(std::vector<BYTE>(full.begin(), full.begin() + n), "FEDCBA9876543210",
                     expected[n - 1]);
}

TEST(BlowfishTest, TextKeyVectors)
{
    const char* alpha = "abcdefghijklmnopqrstuvwxyz";
    // "BLOWFISH" as big-endian halves.
    ExpectVector(std::vector<BYTE>(alpha, alpha + 26), "424C4F5746495348", "324ED0FEF413A203");
    const char* galt = "Who is John Galt?";
    ExpectVector(std::vector<BYTE>(galt, galt + 17), "FEDCBA9876543210", "CC91732B8022F684");
}

TEST(BlowfishTest, InitRefusesEmptyKeyAndIsDeterministic)
{
    BLOWFISH_CTX ctx;
    std::memset(&ctx, 0xA5, sizeof(ctx));
    BLOWFISH_CTX before = ctx;
    const BYTE key[] = {1, 2, 3};
    EXPECT_FALSE(Blowfish_Init(&ctx, key, 0));
    EXPECT_FALSE(Blowfish_Init(&ctx, nullptr, 3));
    EXPECT_EQ(0, std::memcmp(&ctx, &before, sizeof(ctx)));

    BLOWFISH_CTX a, b;
    ASSERT_TRUE(Blowfish_Init(&a, key, 3));
    std::memset(&b, 0x5A, sizeof(b));
    ASSERT_TRUE(Blowfish_Init(&b, key, 3));
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof(a)));
    // A re-keyed context does not keep anything of its previous key.
    ASSERT_TRUE(Blowfish_Init(&b, (const BYTE*)"other", 5));
    ASSERT_TRUE(Blowfish_Init(&b, key, 3));
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof(a)));
}

TEST(BlowfishTest, KeyLengthIsUsedAsGiven)
{
    const BYTE key16[16] = {'c', 'l', 'e', 'a', 'n', 'w', 'a', 'r',
                            'd', 'e', 'n', 'k', 'e', 'y', '!', 0};
    BLOWFISH_CTX with, without;
    ASSERT_TRUE(Blowfish_Init(&with, key16, 16));
    ASSERT_TRUE(Blowfish_Init(&without, key16, 15));
    EXPECT_NE(0, std::memcmp(&with, &without, sizeof(with)));

    DWORD l1 = 0x01234567, r1 = 0x89ABCDEF, l2 = l1, r2 = r1;
    Blowfish_Encrypt(&with, &l1, &r1);
    Blowfish_Encrypt(&without, &l2, &r2);
    EXPECT_TRUE(l1 != l2 || r1 != r2);

    // A key repeated to 8 bytes gives the same schedule as the short key:
    // the key is read cyclically.
    const BYTE k4[] = {9, 8, 7, 6};
    const BYTE k8[] = {9, 8, 7, 6, 9, 8, 7, 6};
    BLOWFISH_CTX c4, c8;
    ASSERT_TRUE(Blowfish_Init(&c4, k4, 4));
    ASSERT_TRUE(Blowfish_Init(&c8, k8, 8));
    EXPECT_EQ(0, std::memcmp(&c4, &c8, sizeof(c4)));
}

TEST(BlowfishTest, BufferHalvesAreLittleEndian)
{
    const std::vector<BYTE> key = Hex("FEDCBA9876543210");
    BLOWFISH_CTX ctx;
    ASSERT_TRUE(Blowfish_Init(&ctx, key.data(), 8));

    BYTE buf[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    DWORD l = LoadLE32(buf), r = LoadLE32(buf + 4);
    EXPECT_EQ(0x67452301u, l);
    Blowfish_Encrypt(&ctx, &l, &r);
    Blowfish_EncryptBuffer(&ctx, buf, 8);
    EXPECT_EQ(l, LoadLE32(buf));
    EXPECT_EQ(r, LoadLE32(buf + 4));

    // The published block (big-endian halves) stored in buffer order.
    BYTE pub[8] = {0x67, 0x45, 0x23, 0x01, 0xEF, 0xCD, 0xAB, 0x89};
    Blowfish_EncryptBuffer(&ctx, pub, 8);
    const BYTE expect[8] = {0x0F, 0xAB, 0xCE, 0x0A, 0x8D, 0xA2, 0xA0, 0xC6};
    EXPECT_EQ(0, std::memcmp(pub, expect, 8));
    Blowfish_DecryptBuffer(&ctx, pub, 8);
    const BYTE plain[8] = {0x67, 0x45, 0x23, 0x01, 0xEF, 0xCD, 0xAB, 0x89};
    EXPECT_EQ(0, std::memcmp(pub, plain, 8));
}

TEST(BlowfishTest, BufferRoundTripAndEcb)
{
    const BYTE key[] = "record key";
    BLOWFISH_CTX ctx;
    ASSERT_TRUE(Blowfish_Init(&ctx, key, 10));

    BYTE data[16];
    for (int i = 0; i < 16; ++i)
        data[i] = (BYTE)(i * 37 + 11);
    BYTE work[16];
    std::memcpy(work, data, 16);
    Blowfish_EncryptBuffer(&ctx, work, 16);
    EXPECT_NE(0, std::memcmp(work, data, 16));
    Blowfish_DecryptBuffer(&ctx, work, 16);
    EXPECT_EQ(0, std::memcmp(work, data, 16));

    // Equal plain blocks give equal cipher blocks, independently of position.
    BYTE twice[16];
    std::memcpy(twice, data, 8);
    std::memcpy(twice + 8, data, 8);
    Blowfish_EncryptBuffer(&ctx, twice, 16);
    EXPECT_EQ(0, std::memcmp(twice, twice + 8, 8));
    BYTE single[8];
    std::memcpy(single, data, 8);
    Blowfish_EncryptBuffer(&ctx, single, 8);
    EXPECT_EQ(0, std::memcmp(twice, single, 8));

    // Unaligned buffer start.
    BYTE raw[17];
    std::memcpy(raw + 1, data, 16);
    Blowfish_EncryptBuffer(&ctx, raw + 1, 16);
    std::memcpy(work, data, 16);
    Blowfish_EncryptBuffer(&ctx, work, 16);
    EXPECT_EQ(0, std::memcmp(raw + 1, work, 16));
}

TEST(BlowfishTest, PartialTailIsLeftAlone)
{
    const BYTE key[] = "tail";
    BLOWFISH_CTX ctx;
    ASSERT_TRUE(Blowfish_Init(&ctx, key, 4));

    BYTE buf[32];
    for (int i = 0; i < 32; ++i)
        buf[i] = (BYTE)i;
    BYTE ref[32];
    std::memcpy(ref, buf, 32);

    Blowfish_EncryptBuffer(&ctx, buf, 13);  // one whole block + 5 bytes
    BYTE block[8];
    std::memcpy(block, ref, 8);
    Blowfish_EncryptBuffer(&ctx, block, 8);
    EXPECT_EQ(0, std::memcmp(buf, block, 8));
    EXPECT_EQ(0, std::memcmp(buf + 8, ref + 8, 24));

    Blowfish_DecryptBuffer(&ctx, buf, 15);
    EXPECT_EQ(0, std::memcmp(buf, ref, 32));

    Blowfish_EncryptBuffer(&ctx, buf, 7);
    Blowfish_DecryptBuffer(&ctx, buf, 0);
    EXPECT_EQ(0, std::memcmp(buf, ref, 32));
}
