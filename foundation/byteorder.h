#pragma once
// Little-endian loads and stores of the file formats and ciphers, byte-wise
// so that alignment and host order never matter; compilers make them plain
// moves.

#include <windows.h>

inline WORD LoadLE16(const BYTE* p)
{
    return (WORD)(p[0] | (p[1] << 8));
}

inline void StoreLE16(BYTE* p, WORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
}

inline DWORD LoadLE32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

inline void StoreLE32(BYTE* p, DWORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
    p[2] = (BYTE)(v >> 16);
    p[3] = (BYTE)(v >> 24);
}
