#include "foundation/decipher.h"

#include <ctype.h>
#include <new>
#include <stdio.h>
#include <string.h>

#include "foundation/aes.h"

namespace {

int ParseKey(const std::string& keyText, BYTE key[32], int* keyLength)
{
    int digits = 0;
    for (size_t i = 0; i < keyText.size(); ++i)
    {
        const char c = (char)toupper((unsigned char)keyText[i]);
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            return DECIPHER_BAD_KEY_DIGIT;
        if (digits == 64)
            return DECIPHER_KEY_TOO_LONG;
        if (digits % 2 == 0)
            key[digits / 2] = (BYTE)(value << 4);
        else
            key[digits / 2] |= (BYTE)value;
        ++digits;
    }
    if (digits != 32 && digits != 48 && digits != 64)
        return DECIPHER_BAD_KEY_SIZE;
    *keyLength = digits / 2;
    return 0;
}

void Xor16(BYTE* out, const BYTE* a, const BYTE* b)
{
    for (int i = 0; i < 16; ++i)
        out[i] = a[i] ^ b[i];
}

// Reads at most the bytes left of the size taken at open, so that a file
// growing meanwhile can never write past the plain-text buffer.
size_t ReadBounded(FILE* file, BYTE* into, size_t wanted, size_t& left)
{
    if (wanted > left)
        wanted = left;
    const size_t got = wanted ? fread(into, 1, wanted, file) : 0;
    left -= got;
    return got;
}

} // namespace

int DecipherFileToBuffer(const std::string& path, const std::string& keyText, BYTE** plain)
{
    if (plain)
        *plain = NULL;
    BYTE key[32];
    int keyLength = 0;
    const int keyResult = ParseKey(keyText, key, &keyLength);
    if (keyResult < 0)
        return keyResult;
    AES_DECRYPT_CTX ctx;
    AesSetDecryptKey(key, keyLength, &ctx);
    SecureZeroMemory(key, sizeof(key));

    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return DECIPHER_CANNOT_OPEN;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    fseek(file, 0, SEEK_SET);
    if (size < 0)
        size = 0;
    BYTE* out = new (std::nothrow) BYTE[size > 0 ? size : 1];
    if (out == NULL)
    {
        fclose(file);
        return 0;
    }
    if (plain)
        *plain = out;

    size_t left = (size_t)size;
    size_t produced = 0;
    BYTE head[32];
    const size_t read = ReadBounded(file, head, 32, left);
    if (read >= 16 && read < 32)
    {
        // Short form: n plain bytes, one block deciphered in place at n.
        const size_t n = read - 16;
        BYTE block[16];
        AesDecryptBlock(head + n, block, &ctx);
        memcpy(head + n, block, 16);
        for (size_t i = 0; i < n; ++i)
            out[i] = head[i] ^ head[16 + i];
        produced = n;
    }
    else if (read == 32)
    {
        BYTE prev[16], cur[16], next[16], o[16];
        memcpy(prev, head, 16);
        memcpy(cur, head + 16, 16);
        for (;;)
        {
            const size_t len = ReadBounded(file, next, 16, left);
            AesDecryptBlock(cur, o, &ctx);
            if (len == 0 || len == 16)
            {
                Xor16(out + produced, o, prev);
                produced += 16;
            }
            else
            {
                // Final partial block: the stolen bytes complete the block
                // before it, which then deciphers against prev.
                for (size_t i = 0; i < len; ++i)
                    o[i] ^= next[i];
                memcpy(next + len, o + len, 16 - len);
                BYTE p[16];
                AesDecryptBlock(next, p, &ctx);
                Xor16(out + produced, p, prev);
                memcpy(out + produced + 16, o, len);
                produced += 16 + len;
            }
            if (len != 16)
                break;
            memcpy(prev, cur, 16);
            memcpy(cur, next, 16);
        }
    }
    fclose(file);
    SecureZeroMemory(&ctx, sizeof(ctx));
    return (int)produced;
}

int DecipherFileToFile(const std::string& source, const std::string& destination,
                       const std::string& keyText)
{
    BYTE* plain = NULL;
    const int result = DecipherFileToBuffer(source, keyText, &plain);
    if (result > 0)
    {
        FILE* file = fopen(destination.c_str(), "wb");
        if (file)
        {
            fwrite(plain, 1, result, file);
            fclose(file);
        }
    }
    if (plain)
    {
        SecureZeroMemory(plain, result > 0 ? result : 0);
        delete[] plain;
    }
    return result;
}
