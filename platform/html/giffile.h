#pragma once
// The block structure of a GIF (87a or 89a), read without decoding pictures:
// the logical screen, the global colour table and the frames, each frame a
// graphic control extension with the image (or plain text) it governs. Every
// read is bounded by the data's size, so truncated or hostile data ends the
// walk at the first block that does not fit.

#include <windows.h>

#include <cstddef>
#include <vector>

enum class GifBlock { Unknown, Application, Comment, GraphicControl, PlainText, Image, Trailer };

struct GifFrameInfo
{
    size_t offset = 0, length = 0;    // the frame's blocks in the data
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;                   // hundredths of a second; -1 without a control extension
    int disposal = 0;
};

class CGifFile
{
public:
    // False when the data is no GIF of version 87a or 89a, or its screen
    // descriptor or global colour table does not fit.
    bool Open(const BYTE* data, size_t size);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The global table's entry at the background index, if there is one.
    bool BackgroundColor(COLORREF& color) const;
    size_t FirstBlock() const { return 13 + m_tableSize; }

    GifBlock KindAt(size_t pos) const;
    // Length of the block at pos, sub-blocks included; -1 for an unknown
    // block or one that would end past the data.
    long BlockLength(size_t pos) const;

    // The frame starting at or after pos; pos moves past it. False at the
    // trailer, at unknown data or at a block that does not fit.
    bool NextFrame(size_t& pos, GifFrameInfo& frame) const;
    size_t CountFrames() const;

    // A GIF of one frame: header, screen descriptor and global table, the
    // frame's blocks, the trailer.
    std::vector<BYTE> FrameGif(const GifFrameInfo& frame) const;

private:
    long SubBlocks(size_t pos) const;

    const BYTE* m_data = nullptr;
    size_t m_size = 0;
    int m_width = 0, m_height = 0;
    size_t m_tableSize = 0;
};
