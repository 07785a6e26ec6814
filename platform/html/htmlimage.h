#pragma once
// A decoded picture of a page (GIF, PNG, BMP, JPEG, ICO): 32-bit premultiplied
// pixels in a DIB section, drawn with alpha where the picture has any.

#include <windows.h>

#include <memory>

class CHtmlImage
{
public:
    ~CHtmlImage();
    CHtmlImage(const CHtmlImage&) = delete;
    CHtmlImage& operator=(const CHtmlImage&) = delete;

    // Decodes with the system's imaging components, falling back to the OLE
    // picture loader; null when neither understands the bytes.
    static std::unique_ptr<CHtmlImage> Decode(const BYTE* data, size_t size);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Draws the picture stretched to the rectangle.
    void Draw(HDC dc, int x, int y, int width, int height) const;

private:
    CHtmlImage(int width, int height);
    static std::unique_ptr<CHtmlImage> DecodeWic(const BYTE* data, size_t size);
    static std::unique_ptr<CHtmlImage> DecodeOle(const BYTE* data, size_t size);
    void NoteAlpha();

    int m_width, m_height;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    bool m_alpha = false;
};
