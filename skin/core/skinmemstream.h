#pragma once
// CSkinMemStream: the growable byte buffer a skin file travels in, with the
// LZO packing of the skin container (a u32 unpacked size, then LZO1X data).
// Readers of record bodies use the checked helpers: a count or length that
// runs past the bytes remaining, or a read of more bytes than remain, marks
// the stream as corrupt instead of being trusted.

#include <windows.h>

class CSkinMemStream
{
public:
    enum { DefaultGrowth = 10240 };
    // Largest unpacked skin accepted; real skins are a few hundred kilobytes.
    enum { MaxUnpackedSize = 64 * 1024 * 1024 };

    CSkinMemStream(const void* data = NULL, DWORD length = 0, DWORD growth = DefaultGrowth);
    ~CSkinMemStream();

    // Fewer than n bytes left: reads what there is and marks the stream corrupt.
    DWORD Read(void* destination, DWORD n);
    DWORD Seek(LONG offset, int origin);
    void Rewind() { m_position = 0; }
    bool Reserve(DWORD n);
    DWORD Write(const void* source, DWORD n);

    DWORD GetSize() const { return m_size; }
    DWORD GetPosition() const { return m_position; }
    DWORD Remaining() const { return m_buffer && m_position < m_size ? m_size - m_position : 0; }
    const BYTE* GetBuffer() const { return m_buffer; }

    // A u32 as read; missing bytes leave the value as it was (and the
    // stream corrupt).
    bool ReadDword(DWORD& value);
    // A count or length of items of itemSize bytes each: false (and the
    // stream marked corrupt) when that many items cannot follow.
    bool ReadCount(DWORD& count, DWORD itemSize);
    // A fixed text field: read whole, the last byte forced to NUL.
    void ReadText(char* field, DWORD size);
    void WriteDword(DWORD value) { Write(&value, 4); }

    bool IsCorrupt() const { return m_corrupt; }
    void SetCorrupt() { m_corrupt = true; }

    // Child records nest; a file nesting deeper than MaxNesting is corrupt.
    enum { MaxNesting = 16 };
    bool EnterNesting()
    {
        if (++m_nesting > MaxNesting)
            m_corrupt = true;
        return !m_corrupt;
    }
    void LeaveNesting() { --m_nesting; }

    // Unpacks a container into target: false for fewer than 4 bytes, a
    // stated size of 0 or above MaxUnpackedSize, data the bounded LZO1X
    // decompressor refuses, or an output of another length.
    static bool Unpack(const CSkinMemStream& packed, CSkinMemStream& target);
    // The reverse: the size word and LZO1X-1 data of source's bytes.
    static bool Pack(const CSkinMemStream& source, CSkinMemStream& packed);

private:
    CSkinMemStream(const CSkinMemStream&);
    CSkinMemStream& operator=(const CSkinMemStream&);

    DWORD m_size;
    DWORD m_position;
    BYTE* m_buffer;
    DWORD m_capacity;
    DWORD m_growth;
    bool m_corrupt;
    int m_nesting;
};
