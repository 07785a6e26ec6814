#pragma once
// Blowfish block cipher (16 rounds, 64-bit blocks) over a caller-owned context.
#include <windows.h>

struct BLOWFISH_CTX {
    DWORD P[18];
    DWORD S[4][256];
};

// Key schedule. Key bytes are used cyclically, most significant byte first;
// any length > 0 is accepted as given. A null key or zero length is refused
// (false) and the context is left as it was.
bool Blowfish_Init(BLOWFISH_CTX* ctx, const BYTE* key, DWORD keyLen);

// One block; halves as native 32-bit values (left = high word of the block).
void Blowfish_Encrypt(const BLOWFISH_CTX* ctx, DWORD* xl, DWORD* xr);
void Blowfish_Decrypt(const BLOWFISH_CTX* ctx, DWORD* xl, DWORD* xr);

// ECB in place. Each 8-byte block holds the left half in bytes 0-3 and the
// right half in bytes 4-7, both little-endian. Only whole blocks are
// processed; a trailing partial block is left as it is.
void Blowfish_EncryptBuffer(const BLOWFISH_CTX* ctx, BYTE* buf, DWORD len);
void Blowfish_DecryptBuffer(const BLOWFISH_CTX* ctx, BYTE* buf, DWORD len);
