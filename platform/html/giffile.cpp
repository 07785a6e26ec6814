#include "platform/html/giffile.h"

#include <cstring>

namespace
{
int Le16(const BYTE* p)
{
    return p[0] | (p[1] << 8);
}

size_t TableBytes(BYTE packed)
{
    return (packed & 0x80) ? 3u * (2u << (packed & 7)) : 0;
}
}  // namespace

bool CGifFile::Open(const BYTE* data, size_t size)
{
    m_data = nullptr;
    m_size = 0;
    if (!data || size < 13 || memcmp(data, "GIF", 3) != 0 ||
        (memcmp(data + 3, "87a", 3) != 0 && memcmp(data + 3, "89a", 3) != 0))
        return false;
    size_t table = TableBytes(data[10]);
    if (13 + table > size)
        return false;
    m_data = data;
    m_size = size;
    m_width = Le16(data + 6);
    m_height = Le16(data + 8);
    m_tableSize = table;
    return true;
}

bool CGifFile::BackgroundColor(COLORREF& color) const
{
    size_t index = m_data ? m_data[11] : 0;
    if (!m_data || 3 * index + 3 > m_tableSize)
        return false;
    const BYTE* entry = m_data + 13 + 3 * index;
    color = RGB(entry[0], entry[1], entry[2]);
    return true;
}

GifBlock CGifFile::KindAt(size_t pos) const
{
    if (!m_data || pos >= m_size)
        return GifBlock::Unknown;
    switch (m_data[pos])
    {
    case 0x2C: return GifBlock::Image;
    case 0x3B: return GifBlock::Trailer;
    case 0x21:
        if (pos + 1 >= m_size)
            return GifBlock::Unknown;
        switch (m_data[pos + 1])
        {
        case 0xFF: return GifBlock::Application;
        case 0xFE: return GifBlock::Comment;
        case 0xF9: return GifBlock::GraphicControl;
        case 0x01: return GifBlock::PlainText;
        default: return GifBlock::Unknown;
        }
    default: return GifBlock::Unknown;
    }
}

long CGifFile::SubBlocks(size_t pos) const
{
    size_t p = pos;
    for (;;)
    {
        if (p >= m_size)
            return -1;
        BYTE n = m_data[p];
        p += 1 + n;
        if (n == 0)
            break;
    }
    if (p > m_size)
        return -1;
    return static_cast<long>(p - pos);
}

long CGifFile::BlockLength(size_t pos) const
{
    size_t head;
    switch (KindAt(pos))
    {
    case GifBlock::Trailer: return 1;
    case GifBlock::GraphicControl: return pos + 8 <= m_size ? 8 : -1;
    case GifBlock::Application: head = 14; break;
    case GifBlock::Comment: head = 2; break;
    case GifBlock::PlainText: head = 15; break;
    case GifBlock::Image:
        if (pos + 10 > m_size)
            return -1;
        head = 11 + TableBytes(m_data[pos + 9]);
        break;
    default: return -1;
    }
    if (pos + head > m_size)
        return -1;
    long rest = SubBlocks(pos + head);
    return rest < 0 ? -1 : static_cast<long>(head) + rest;
}

bool CGifFile::NextFrame(size_t& pos, GifFrameInfo& frame) const
{
    frame = GifFrameInfo();
    size_t p = pos;
    // Application and comment extensions before the frame are skipped.
    for (;;)
    {
        GifBlock kind = KindAt(p);
        if (kind != GifBlock::Application && kind != GifBlock::Comment)
            break;
        long len = BlockLength(p);
        if (len <= 0)
            return false;
        p += static_cast<size_t>(len);
    }
    size_t start = p;
    GifBlock kind = KindAt(p);
    if (kind == GifBlock::GraphicControl)
    {
        long len = BlockLength(p);
        if (len <= 0)
            return false;
        frame.disposal = (m_data[p + 3] >> 2) & 7;
        frame.delay = Le16(m_data + p + 4);
        p += static_cast<size_t>(len);
        // Up to the image or plain text the extension governs.
        for (kind = KindAt(p); kind != GifBlock::Image && kind != GifBlock::PlainText; kind = KindAt(p))
        {
            if (kind == GifBlock::Unknown || kind == GifBlock::Trailer)
                return false;
            long skip = BlockLength(p);
            if (skip <= 0)
                return false;
            p += static_cast<size_t>(skip);
        }
    }
    if (kind != GifBlock::Image && kind != GifBlock::PlainText)
        return false;
    long len = BlockLength(p);
    if (len <= 0)
        return false;
    if (kind == GifBlock::Image)
    {
        frame.left = Le16(m_data + p + 1);
        frame.top = Le16(m_data + p + 3);
        frame.width = Le16(m_data + p + 5);
        frame.height = Le16(m_data + p + 7);
    }
    p += static_cast<size_t>(len);
    frame.offset = start;
    frame.length = p - start;
    pos = p;
    return true;
}

size_t CGifFile::CountFrames() const
{
    size_t pos = FirstBlock(), n = 0;
    GifFrameInfo frame;
    while (m_data && NextFrame(pos, frame))
        ++n;
    return n;
}

std::vector<BYTE> CGifFile::FrameGif(const GifFrameInfo& frame) const
{
    std::vector<BYTE> out;
    if (!m_data || frame.offset + frame.length > m_size)
        return out;
    out.reserve(FirstBlock() + frame.length + 1);
    out.insert(out.end(), m_data, m_data + FirstBlock());
    out.insert(out.end(), m_data + frame.offset, m_data + frame.offset + frame.length);
    out.push_back(0x3B);
    return out;
}
