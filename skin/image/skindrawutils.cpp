#include "skin/image/skindrawutils.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

int GetOSVersionCode()
{
    DWORD version = GetVersion();
    const BYTE major = LOBYTE(LOWORD(version));
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    const bool refined = GetVersionExA(&info) != FALSE;
    if (version & 0x80000000) {
        if (major < 4)
            return 0;
        if (refined && info.dwMajorVersion == 4 && info.dwMinorVersion == 10)
            return 3;
        if (refined && info.dwMajorVersion == 4 && info.dwMinorVersion == 90)
            return 4;
        return 2;
    }
    if (refined && info.dwMajorVersion == 4)
        return 5;
    if (refined && info.dwMajorVersion == 5 && info.dwMinorVersion == 0)
        return 6;
    if (refined && info.dwMajorVersion == 5 && info.dwMinorVersion == 1)
        return 7;
    return 1;
}

HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key)
{
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return NULL;
    // The bits are read as 32-bit top-down pixels, whatever the bitmap's own
    // depth, so every depth compares its colours the same way.
    const LONG w = bm.bmWidth, h = bm.bmHeight;
    if ((ULONGLONG)w * h > 64 * 1024 * 1024)
        return NULL;
    std::vector<DWORD> pixels;
    try {
        pixels.resize((size_t)w * h);
    } catch (...) {
        return NULL;
    }
    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC ic = CreateICA("DISPLAY", NULL, NULL, NULL);
    if (!ic)
        return NULL;
    int rows = GetDIBits(ic, bitmap, 0, (UINT)h, &pixels[0], &bmi, DIB_RGB_COLORS);
    DeleteDC(ic);
    if (rows != h)
        return NULL;

    const DWORD keyPixel = ((DWORD)GetRValue(key) << 16) | ((DWORD)GetGValue(key) << 8) | GetBValue(key);
    std::vector<RECT> rects;
    for (LONG y = 0; y < h; ++y) {
        const DWORD* row = &pixels[(size_t)y * w];
        for (LONG x = 0; x < w;) {
            while (x < w && (row[x] & 0xFFFFFF) == keyPixel)
                ++x;
            LONG first = x;
            while (x < w && (row[x] & 0xFFFFFF) != keyPixel)
                ++x;
            if (x > first) {
                RECT r = {first, y, x, y + 1};
                rects.push_back(r);
            }
        }
    }
    const DWORD bytes = sizeof(RGNDATAHEADER) + (DWORD)(rects.size() * sizeof(RECT));
    RGNDATA* data = (RGNDATA*)malloc(bytes);
    if (!data)
        return NULL;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = (DWORD)rects.size();
    data->rdh.nRgnSize = (DWORD)(rects.size() * sizeof(RECT));
    SetRect(&data->rdh.rcBound, 0, 0, w, h);
    if (!rects.empty())
        memcpy(data->Buffer, &rects[0], rects.size() * sizeof(RECT));
    HRGN region = ExtCreateRegion(NULL, bytes, data);
    free(data);
    return region;
}
