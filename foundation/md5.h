#pragma once
// MD5 message digest over a caller-owned context.
#include <windows.h>

struct MD5_CTX {
    DWORD state[4];   // A, B, C, D
    DWORD count[2];   // message length in bits, low word first
    BYTE buffer[64];  // pending partial block
};
static_assert(sizeof(MD5_CTX) == 88, "MD5_CTX layout");

void MD5Init(MD5_CTX* ctx);
void MD5Update(MD5_CTX* ctx, const BYTE* data, DWORD len);
// Writes the digest, then fills the whole context with zero bytes.
void MD5Final(BYTE digest[16], MD5_CTX* ctx);
void MD5Transform(DWORD state[4], const BYTE block[64]);
