#include "foundation/blowfish.h"

#include "foundation/byteorder.h"

#include <cstring>

namespace blowfish_detail {
extern const DWORD kInitP[18];
extern const DWORD kInitS[4][256];
}  // namespace blowfish_detail

namespace {

inline DWORD F(const BLOWFISH_CTX* c, DWORD x)
{
    return ((c->S[0][x >> 24] + c->S[1][(x >> 16) & 0xFF]) ^ c->S[2][(x >> 8) & 0xFF]) +
           c->S[3][x & 0xFF];
}

// Two rounds per step keep the halves in place instead of swapping them.
inline void Encipher(const BLOWFISH_CTX* c, DWORD& xl, DWORD& xr)
{
    DWORD l = xl, r = xr;
    for (int i = 0; i < 16; i += 2) {
        l ^= c->P[i];
        r ^= F(c, l);
        r ^= c->P[i + 1];
        l ^= F(c, r);
    }
    xl = r ^ c->P[17];
    xr = l ^ c->P[16];
}

inline void Decipher(const BLOWFISH_CTX* c, DWORD& xl, DWORD& xr)
{
    DWORD l = xl, r = xr;
    for (int i = 17; i > 1; i -= 2) {
        l ^= c->P[i];
        r ^= F(c, l);
        r ^= c->P[i - 1];
        l ^= F(c, r);
    }
    xl = r ^ c->P[0];
    xr = l ^ c->P[1];
}

}  // namespace

bool Blowfish_Init(BLOWFISH_CTX* ctx, const BYTE* key, DWORD keyLen)
{
    if (!ctx || !key || keyLen == 0)
        return false;

    std::memcpy(ctx->P, blowfish_detail::kInitP, sizeof(ctx->P));
    std::memcpy(ctx->S, blowfish_detail::kInitS, sizeof(ctx->S));

    DWORD j = 0;
    for (int i = 0; i < 18; ++i) {
        DWORD data = 0;
        for (int k = 0; k < 4; ++k) {
            data = (data << 8) | key[j];
            if (++j >= keyLen)
                j = 0;
        }
        ctx->P[i] ^= data;
    }

    DWORD l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        Encipher(ctx, l, r);
        ctx->P[i] = l;
        ctx->P[i + 1] = r;
    }
    for (int s = 0; s < 4; ++s) {
        for (int i = 0; i < 256; i += 2) {
            Encipher(ctx, l, r);
            ctx->S[s][i] = l;
            ctx->S[s][i + 1] = r;
        }
    }
    return true;
}

void Blowfish_Encrypt(const BLOWFISH_CTX* ctx, DWORD* xl, DWORD* xr)
{
    Encipher(ctx, *xl, *xr);
}

void Blowfish_Decrypt(const BLOWFISH_CTX* ctx, DWORD* xl, DWORD* xr)
{
    Decipher(ctx, *xl, *xr);
}

void Blowfish_EncryptBuffer(const BLOWFISH_CTX* ctx, BYTE* buf, DWORD len)
{
    for (DWORD n = len / 8; n; --n, buf += 8) {
        DWORD l = LoadLE32(buf), r = LoadLE32(buf + 4);
        Encipher(ctx, l, r);
        StoreLE32(buf, l);
        StoreLE32(buf + 4, r);
    }
}

void Blowfish_DecryptBuffer(const BLOWFISH_CTX* ctx, BYTE* buf, DWORD len)
{
    for (DWORD n = len / 8; n; --n, buf += 8) {
        DWORD l = LoadLE32(buf), r = LoadLE32(buf + 4);
        Decipher(ctx, l, r);
        StoreLE32(buf, l);
        StoreLE32(buf + 4, r);
    }
}
