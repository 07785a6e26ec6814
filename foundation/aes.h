#pragma once
// AES decryption of single 16-byte blocks (128/192/256-bit keys).
#include <windows.h>

// Round keys in equivalent-inverse-cipher form, last round first.
struct AES_DECRYPT_CTX {
    DWORD roundKeys[60];
    DWORD rounds;  // 10, 12 or 14
};

// keyLen is given in bytes (16, 24, 32) or in bits (128, 192, 256).
// Returns 0, or -1 for any other length (context untouched).
int AesSetDecryptKey(const BYTE* key, int keyLen, AES_DECRYPT_CTX* ctx);
int AesSetDecryptKey128(const BYTE* key, AES_DECRYPT_CTX* ctx);
int AesSetDecryptKey192(const BYTE* key, AES_DECRYPT_CTX* ctx);
int AesSetDecryptKey256(const BYTE* key, AES_DECRYPT_CTX* ctx);

// Returns 0, or -1 without writing when the context's round count is not
// 10, 12 or 14. in and out may be the same buffer.
int AesDecryptBlock(const BYTE in[16], BYTE out[16], const AES_DECRYPT_CTX* ctx);
