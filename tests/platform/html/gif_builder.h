#pragma once
// GIFs made block by block for the GIF tests of the engine and the window
// classes: pictures of one colour index each (red 0, blue 1).

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <vector>

class GifBuilder
{
public:
    explicit GifBuilder(const char* version = "89a", int w = 2, int h = 2)
    {
        data.reserve(256);
        Bytes("GIF", 3);
        Bytes(version, 3);
        Le16(w);
        Le16(h);
        Byte(0x80);  // global table of 2 colours
        Byte(1);     // background index
        Byte(0);
        Rgb(0xFF, 0x00, 0x00);
        Rgb(0x00, 0x00, 0xFF);
    }
    GifBuilder& Control(int delay, int disposal)
    {
        Byte(0x21), Byte(0xF9), Byte(4), Byte(disposal << 2), Le16(delay), Byte(0), Byte(0);
        return *this;
    }
    GifBuilder& Image(int left = 0, int top = 0, int w = 2, int h = 2, int colour = 0)
    {
        Byte(0x2C), Le16(left), Le16(top), Le16(w), Le16(h), Byte(0);
        // LZW, code size 2: clear, then the index once per pixel, then end.
        Byte(2);
        std::vector<int> codes = {4};
        for (int i = 0; i < w * h; ++i)
            codes.push_back(colour);
        codes.push_back(5);
        std::vector<BYTE> packed;
        unsigned acc = 0, bits = 0, size = 3, next = 6;
        for (size_t i = 0; i < codes.size(); ++i)
        {
            acc |= static_cast<unsigned>(codes[i]) << bits;
            bits += size;
            while (bits >= 8)
                packed.push_back(static_cast<BYTE>(acc)), acc >>= 8, bits -= 8;
            if (i > 1 && codes[i] != 5 && ++next >= (1u << size) && size < 12)
                ++size;
        }
        if (bits)
            packed.push_back(static_cast<BYTE>(acc));
        for (size_t at = 0; at < packed.size(); at += 255)
        {
            const size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
            Byte(static_cast<int>(n));
            Bytes(reinterpret_cast<const char*>(packed.data() + at), n);
        }
        Byte(0);
        return *this;
    }
    GifBuilder& Application()
    {
        Byte(0x21), Byte(0xFF), Byte(11);
        Bytes("NETSCAPE2.0", 11);
        Byte(3), Byte(1), Le16(0), Byte(0);
        return *this;
    }
    GifBuilder& Comment(const char* text)
    {
        Byte(0x21), Byte(0xFE), Byte(static_cast<int>(strlen(text)));
        Bytes(text, strlen(text));
        Byte(0);
        return *this;
    }
    GifBuilder& Raw(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            Byte(b);
        return *this;
    }
    std::vector<BYTE> Done()
    {
        Byte(0x3B);
        return data;
    }
    std::vector<BYTE> data;

private:
    void Byte(int b) { data.push_back(static_cast<BYTE>(b)); }
    void Bytes(const char* s, size_t n) { data.insert(data.end(), s, s + n); }
    void Le16(int v) { Byte(v & 0xFF), Byte((v >> 8) & 0xFF); }
    void Rgb(int r, int g, int b) { Byte(r), Byte(g), Byte(b); }
};
