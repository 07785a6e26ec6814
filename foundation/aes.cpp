#include "foundation/aes.h"

#include <cstring>

namespace {

// ---- Tables, derived at compile time from GF(2^8) arithmetic (reduction
// polynomial x^8 + x^4 + x^3 + x + 1) and the S-box affine map.

constexpr BYTE XTime(BYTE a)
{
    return (BYTE)((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
}

constexpr BYTE Mul(BYTE a, BYTE b)
{
    BYTE r = 0;
    while (b) {
        if (b & 1)
            r ^= a;
        a = XTime(a);
        b >>= 1;
    }
    return r;
}

constexpr BYTE Rotl8(BYTE x, int n)
{
    return (BYTE)((x << n) | (x >> (8 - n)));
}

struct SBoxes {
    BYTE fwd[256];
    BYTE inv[256];
};

constexpr SBoxes MakeSBoxes()
{
    // Walk the multiplicative group with generator 3 to pair every element
    // with its inverse: 3^i * 3^(255-i) = 1.
    BYTE exp[256] = {};
    BYTE x = 1;
    for (int i = 0; i < 255; ++i) {
        exp[i] = x;
        x = Mul(x, 3);
    }
    BYTE inverse[256] = {};
    for (int i = 0; i < 255; ++i)
        inverse[exp[i]] = exp[(255 - i) % 255];

    SBoxes s{};
    for (int v = 0; v < 256; ++v) {
        BYTE b = inverse[v];
        BYTE y = (BYTE)(b ^ Rotl8(b, 1) ^ Rotl8(b, 2) ^ Rotl8(b, 3) ^ Rotl8(b, 4) ^ 0x63);
        s.fwd[v] = y;
        s.inv[y] = (BYTE)v;
    }
    return s;
}

constexpr SBoxes kBox = MakeSBoxes();
static_assert(kBox.fwd[0x00] == 0x63 && kBox.fwd[0x53] == 0xED && kBox.fwd[0xFF] == 0x16,
              "S-box");
static_assert(kBox.inv[0x00] == 0x52 && kBox.inv[0xED] == 0x53, "inverse S-box");

struct DecTables {
    DWORD t[4][256];
};

// t[0][x] is the InvMixColumns column produced by InvSubBytes(x) in row 0;
// t[1..3] are its byte rotations for rows 1..3.
constexpr DecTables MakeDecTables()
{
    DecTables td{};
    for (int v = 0; v < 256; ++v) {
        BYTE s = kBox.inv[v];
        DWORD w = ((DWORD)Mul(s, 0x0E) << 24) | ((DWORD)Mul(s, 0x09) << 16) |
                  ((DWORD)Mul(s, 0x0D) << 8) | (DWORD)Mul(s, 0x0B);
        td.t[0][v] = w;
        td.t[1][v] = (w >> 8) | (w << 24);
        td.t[2][v] = (w >> 16) | (w << 16);
        td.t[3][v] = (w >> 24) | (w << 8);
    }
    return td;
}

constexpr DecTables kTd = MakeDecTables();

// ---- Key schedule

inline DWORD LoadBE(const BYTE* p)
{
    return ((DWORD)p[0] << 24) | ((DWORD)p[1] << 16) | ((DWORD)p[2] << 8) | (DWORD)p[3];
}

inline void StoreBE(BYTE* p, DWORD v)
{
    p[0] = (BYTE)(v >> 24);
    p[1] = (BYTE)(v >> 16);
    p[2] = (BYTE)(v >> 8);
    p[3] = (BYTE)v;
}

inline DWORD SubWord(DWORD w)
{
    return ((DWORD)kBox.fwd[w >> 24] << 24) | ((DWORD)kBox.fwd[(w >> 16) & 0xFF] << 16) |
           ((DWORD)kBox.fwd[(w >> 8) & 0xFF] << 8) | (DWORD)kBox.fwd[w & 0xFF];
}

// InvMixColumns of one column: the S-box cancels the inverse S-box inside
// the decryption tables.
inline DWORD InvMixColumn(DWORD w)
{
    return kTd.t[0][kBox.fwd[w >> 24]] ^ kTd.t[1][kBox.fwd[(w >> 16) & 0xFF]] ^
           kTd.t[2][kBox.fwd[(w >> 8) & 0xFF]] ^ kTd.t[3][kBox.fwd[w & 0xFF]];
}

int SetDecryptKey(const BYTE* key, int nk, AES_DECRYPT_CTX* ctx)
{
    if (!key || !ctx)
        return -1;
    const int rounds = nk + 6;
    const int total = 4 * (rounds + 1);

    DWORD w[60];
    for (int i = 0; i < nk; ++i)
        w[i] = LoadBE(key + 4 * i);
    BYTE rcon = 1;
    for (int i = nk; i < total; ++i) {
        DWORD t = w[i - 1];
        if (i % nk == 0) {
            t = SubWord((t << 8) | (t >> 24)) ^ ((DWORD)rcon << 24);
            rcon = XTime(rcon);
        } else if (nk > 6 && i % nk == 4) {
            t = SubWord(t);
        }
        w[i] = w[i - nk] ^ t;
    }

    // Equivalent inverse cipher: round keys in reverse order, with
    // InvMixColumns applied to all but the first and last.
    DWORD* dk = ctx->roundKeys;
    for (int r = 0; r <= rounds; ++r) {
        const DWORD* src = w + 4 * (rounds - r);
        for (int c = 0; c < 4; ++c)
            dk[4 * r + c] = (r == 0 || r == rounds) ? src[c] : InvMixColumn(src[c]);
    }
    for (int i = total; i < 60; ++i)
        dk[i] = 0;
    ctx->rounds = (DWORD)rounds;
    SecureZeroMemory(w, sizeof(w));
    return 0;
}

}  // namespace

int AesSetDecryptKey(const BYTE* key, int keyLen, AES_DECRYPT_CTX* ctx)
{
    switch (keyLen) {
    case 16:
    case 128:
        return SetDecryptKey(key, 4, ctx);
    case 24:
    case 192:
        return SetDecryptKey(key, 6, ctx);
    case 32:
    case 256:
        return SetDecryptKey(key, 8, ctx);
    default:
        return -1;
    }
}

int AesSetDecryptKey128(const BYTE* key, AES_DECRYPT_CTX* ctx)
{
    return SetDecryptKey(key, 4, ctx);
}

int AesSetDecryptKey192(const BYTE* key, AES_DECRYPT_CTX* ctx)
{
    return SetDecryptKey(key, 6, ctx);
}

int AesSetDecryptKey256(const BYTE* key, AES_DECRYPT_CTX* ctx)
{
    return SetDecryptKey(key, 8, ctx);
}

int AesDecryptBlock(const BYTE in[16], BYTE out[16], const AES_DECRYPT_CTX* ctx)
{
    if (!in || !out || !ctx)
        return -1;
    const DWORD rounds = ctx->rounds;
    if (rounds != 10 && rounds != 12 && rounds != 14)
        return -1;

    const DWORD* rk = ctx->roundKeys;
    const DWORD(*T)[256] = kTd.t;
    DWORD s0 = LoadBE(in) ^ rk[0];
    DWORD s1 = LoadBE(in + 4) ^ rk[1];
    DWORD s2 = LoadBE(in + 8) ^ rk[2];
    DWORD s3 = LoadBE(in + 12) ^ rk[3];

    // Inverse ShiftRows: row r of output column c comes from column c - r.
    for (DWORD r = 1; r < rounds; ++r) {
        rk += 4;
        DWORD t0 = T[0][s0 >> 24] ^ T[1][(s3 >> 16) & 0xFF] ^ T[2][(s2 >> 8) & 0xFF] ^
                   T[3][s1 & 0xFF] ^ rk[0];
        DWORD t1 = T[0][s1 >> 24] ^ T[1][(s0 >> 16) & 0xFF] ^ T[2][(s3 >> 8) & 0xFF] ^
                   T[3][s2 & 0xFF] ^ rk[1];
        DWORD t2 = T[0][s2 >> 24] ^ T[1][(s1 >> 16) & 0xFF] ^ T[2][(s0 >> 8) & 0xFF] ^
                   T[3][s3 & 0xFF] ^ rk[2];
        DWORD t3 = T[0][s3 >> 24] ^ T[1][(s2 >> 16) & 0xFF] ^ T[2][(s1 >> 8) & 0xFF] ^
                   T[3][s0 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }

    rk += 4;
    const BYTE* inv = kBox.inv;
    auto last = [inv](DWORD a, DWORD b, DWORD c, DWORD d, DWORD k) {
        return (((DWORD)inv[a >> 24] << 24) | ((DWORD)inv[(b >> 16) & 0xFF] << 16) |
                ((DWORD)inv[(c >> 8) & 0xFF] << 8) | (DWORD)inv[d & 0xFF]) ^
               k;
    };
    StoreBE(out, last(s0, s3, s2, s1, rk[0]));
    StoreBE(out + 4, last(s1, s0, s3, s2, rk[1]));
    StoreBE(out + 8, last(s2, s1, s0, s3, rk[2]));
    StoreBE(out + 12, last(s3, s2, s1, s0, rk[3]));
    return 0;
}
