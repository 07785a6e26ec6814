#include "platform/html/htmlimage.h"

#include "platform/html/olepicture.h"

#include <wincodec.h>

#include <cstring>
#include <vector>

namespace
{
const int kMaxImageSide = 8192;

BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// Keeps COM initialised for a decode on a thread that has not done it.
class ComScope
{
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

template <class T>
struct ComPtr
{
    T* p = nullptr;
    ~ComPtr()
    {
        if (p)
            p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() { return p; }
};
}  // namespace

CHtmlImage::CHtmlImage(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO bi = TopDown32(width, height);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<DWORD*>(bits);
}

CHtmlImage::~CHtmlImage()
{
    if (m_bitmap)
        DeleteObject(m_bitmap);
}

void CHtmlImage::NoteAlpha()
{
    m_alpha = false;
    for (int i = 0, n = m_width * m_height; i < n && !m_alpha; ++i)
        m_alpha = (m_bits[i] >> 24) != 0xFF;
}

std::unique_ptr<CHtmlImage> CHtmlImage::Decode(const BYTE* data, size_t size)
{
    if (!data || size == 0 || size > 64u * 1024 * 1024)
        return nullptr;
    std::unique_ptr<CHtmlImage> image = DecodeWic(data, size);
    if (!image)
        image = DecodeOle(data, size);
    return image;
}

std::unique_ptr<CHtmlImage> CHtmlImage::DecodeWic(const BYTE* data, size_t size)
{
    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
        return nullptr;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return nullptr;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    UINT w = 0, h = 0;
    if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide)
        return nullptr;
    std::unique_ptr<CHtmlImage> image(new CHtmlImage(static_cast<int>(w), static_cast<int>(h)));
    if (!image->m_bits ||
        FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(image->m_bits))))
        return nullptr;
    image->NoteAlpha();
    return image;
}

std::unique_ptr<CHtmlImage> CHtmlImage::DecodeOle(const BYTE* data, size_t size)
{
    IPicture* picture = LoadOlePicture(data, size);
    if (!picture)
        return nullptr;
    int w = 0, h = 0;
    OlePictureSize(picture, w, h);
    std::unique_ptr<CHtmlImage> image;
    if (w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide)
        image.reset(new CHtmlImage(w, h));
    HDC dc = image && image->m_bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc)
    {
        // Rendered twice, on black and on white, to recover transparency.
        HGDIOBJ old = SelectObject(dc, image->m_bitmap);
        std::vector<DWORD> onBlack(static_cast<size_t>(w) * h);
        memset(image->m_bits, 0, onBlack.size() * 4);
        RenderOlePicture(picture, dc, 0, 0, w, h);
        GdiFlush();
        memcpy(onBlack.data(), image->m_bits, onBlack.size() * 4);
        memset(image->m_bits, 0xFF, onBlack.size() * 4);
        RenderOlePicture(picture, dc, 0, 0, w, h);
        GdiFlush();
        SelectObject(dc, old);
        DeleteDC(dc);
        for (size_t i = 0; i < onBlack.size(); ++i)
        {
            DWORD b = onBlack[i] & 0xFFFFFF, wv = image->m_bits[i] & 0xFFFFFF;
            image->m_bits[i] = (b == 0 && wv == 0xFFFFFF) ? 0 : (b | 0xFF000000);
        }
        image->NoteAlpha();
    }
    else
        image.reset();
    picture->Release();
    return image;
}

void CHtmlImage::Draw(HDC dc, int x, int y, int width, int height) const
{
    if (!m_bitmap || width <= 0 || height <= 0)
        return;
    if (m_alpha)
    {
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(src, m_bitmap);
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, x, y, width, height, src, 0, 0, m_width, m_height, bf);
        SelectObject(src, old);
        DeleteDC(src);
        return;
    }
    BITMAPINFO bi = TopDown32(m_width, m_height);
    int old = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, width, height, 0, 0, m_width, m_height, m_bits, &bi, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, old);
}
