#pragma once
// Byte helpers shared by the foundation tests.

#include <windows.h>

#include <vector>

#include "foundation/byteorder.h"

// "0a1B..." to bytes.
inline std::vector<BYTE> Hex(const char* s)
{
    std::vector<BYTE> out;
    for (; s[0] && s[1]; s += 2)
    {
        auto nib = [](char c) { return (BYTE)(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); };
        out.push_back((BYTE)(nib(s[0]) << 4 | nib(s[1])));
    }
    return out;
}

inline DWORD Get32(const std::vector<BYTE>& b, size_t at)
{
    return LoadLE32(b.data() + at);
}
