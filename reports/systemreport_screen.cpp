#include "reports/systemreport.h"

#include "foundation/packarchive.h"
#include "reports/handleowner.h"

#include <vector>

namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, NULL) && written == size;
}

} // namespace

bool CSystemReport::WriteBitmapFile(HBITMAP bitmap, const char* path)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return false;
    WORD bits = static_cast<WORD>(info.bmBitsPixel * info.bmPlanes);
    if (bits > 8 && bits < 16)
        bits = 16;
    else if (bits > 16 && bits < 24)
        bits = 24;
    const DWORD colours = bits < 16 ? (1u << bits) : 0;

    std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
    BITMAPINFO* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = info.bmWidth;
    bmi->bmiHeader.biHeight = info.bmHeight;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = bits;
    bmi->bmiHeader.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(info.bmWidth) * bits + 31) / 32) * 4;
    bmi->bmiHeader.biSizeImage = stride * static_cast<DWORD>(info.bmHeight);
    bmi->bmiHeader.biClrUsed = colours;

    std::vector<BYTE> pixels(bmi->bmiHeader.biSizeImage);
    HDC screen = GetDC(NULL);
    const int rows = screen ? GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), bmi,
                                        DIB_RGB_COLORS)
                            : 0;
    if (screen)
        ReleaseDC(NULL, screen);
    if (rows != info.bmHeight)
        return false;
    // GetDIBits may have filled in fields of its own; the file keeps ours.
    bmi->bmiHeader.biCompression = BI_RGB;
    bmi->bmiHeader.biSizeImage = stride * static_cast<DWORD>(info.bmHeight);
    bmi->bmiHeader.biClrUsed = colours;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + header.size());
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());

    CHandleOwner out(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!out.Valid())
        return false;
    const bool written = WriteAll(out, &file, sizeof(file)) &&
                         WriteAll(out, header.data(), static_cast<DWORD>(header.size())) &&
                         WriteAll(out, pixels.data(), static_cast<DWORD>(pixels.size()));
    const bool closed = out.Close();
    if (!written || !closed)
    {
        DeleteFileA(path);
        return false;
    }
    return true;
}

bool CSystemReport::CaptureScreen(const char* archivePath)
{
    HWND desktop = GetDesktopWindow();
    RECT area = {};
    GetWindowRect(desktop, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC desktopDc = GetWindowDC(desktop);
    if (!desktopDc)
        return false;
    bool captured = false;
    HDC memory = CreateCompatibleDC(desktopDc);
    HBITMAP bitmap = width > 0 && height > 0 ? CreateCompatibleBitmap(desktopDc, width, height) : NULL;
    const std::string bitmapPath = m_folder + "screen.bmp";
    if (memory && bitmap)
    {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // Where the desktop cannot be copied (no display) the picture stays black.
        PatBlt(memory, 0, 0, width, height, BLACKNESS);
        BitBlt(memory, 0, 0, width, height, desktopDc, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        captured = WriteBitmapFile(bitmap, bitmapPath.c_str());
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(desktop, desktopDc);
    if (!captured)
        return false;

    // A fresh archive each time, closed so it is complete when we return.
    bool packed = false;
    CHandleOwner fresh(CreateFileA(archivePath, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL));
    if (fresh.Close())
    {
        CPackArchive archive;
        CPackEntryHeader entry;
        if (archive.Open(archivePath))
        {
            packed = archive.AddFile(bitmapPath.c_str(), &entry);
            packed = archive.Close() && packed;
        }
    }
    DeleteFileA(bitmapPath.c_str());
    return packed;
}
