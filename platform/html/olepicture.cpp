#include "platform/html/olepicture.h"

#include <olectl.h>

#include <cstring>

IPicture* LoadOlePicture(const BYTE* data, size_t size)
{
    if (!data || size == 0)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* p = GlobalLock(block);
    if (!p)
    {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(p, data, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)))
    {
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture))))
        picture = nullptr;
    stream->Release();
    return picture;
}

void OlePictureSize(IPicture* picture, int& width, int& height)
{
    OLE_XSIZE_HIMETRIC hw = 0;
    OLE_YSIZE_HIMETRIC hh = 0;
    picture->get_Width(&hw);
    picture->get_Height(&hh);
    HDC screen = GetDC(nullptr);
    width = MulDiv(hw, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    height = MulDiv(hh, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
}

bool RenderOlePicture(IPicture* picture, HDC dc, int x, int y, int width, int height)
{
    OLE_XSIZE_HIMETRIC hw = 0;
    OLE_YSIZE_HIMETRIC hh = 0;
    picture->get_Width(&hw);
    picture->get_Height(&hh);
    // Upside down, as Render takes its source rectangle.
    return SUCCEEDED(picture->Render(dc, x, y, width, height, 0, hh, hw, -hh, nullptr));
}
