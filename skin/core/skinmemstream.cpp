#include "skin/core/skinmemstream.h"

#include <stdlib.h>
#include <string.h>

#include <lzo/lzo1x.h>

#include "foundation/byteorder.h"

CSkinMemStream::CSkinMemStream(const void* data, DWORD length, DWORD growth)
    : m_size(0), m_position(0), m_buffer(NULL), m_capacity(0),
      m_growth(growth ? growth : (DWORD)DefaultGrowth), m_corrupt(false), m_nesting(0)
{
    if (length == 0)
        return;
    m_buffer = (BYTE*)malloc(length);
    if (!m_buffer)
        return;
    m_capacity = length;
    m_size = length;
    if (data)
        memcpy(m_buffer, data, length);
    else
        memset(m_buffer, 0, length);
}

CSkinMemStream::~CSkinMemStream()
{
    free(m_buffer);
}

DWORD CSkinMemStream::Read(void* destination, DWORD n)
{
    const DWORD count = n < Remaining() ? n : Remaining();
    // A record cut short is no record: whatever read it fails its load.
    if (count < n)
        m_corrupt = true;
    if (!count)
        return 0;
    memcpy(destination, m_buffer + m_position, count);
    m_position += count;
    return count;
}

DWORD CSkinMemStream::Seek(LONG offset, int origin)
{
    LONGLONG base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_position; break;
    case 2: base = m_size; break;
    default: return m_position;
    }
    LONGLONG target = base + offset;
    if (target < 0)
        target = 0;
    if (target > (LONGLONG)m_size)
        target = m_size;
    m_position = (DWORD)target;
    return m_position;
}

bool CSkinMemStream::Reserve(DWORD n)
{
    free(m_buffer);
    m_buffer = n ? (BYTE*)malloc(n) : NULL;
    m_size = m_position = 0;
    m_capacity = m_buffer ? n : 0;
    return m_buffer != NULL;
}

DWORD CSkinMemStream::Write(const void* source, DWORD n)
{
    if (n == 0)
        return 0;
    if (!m_buffer && !Reserve(n))
        return 0;
    if (n > m_capacity - m_position) {
        ULONGLONG missing = n - (m_capacity - m_position);
        ULONGLONG grown = m_capacity + (missing / m_growth + 1) * m_growth;
        if (grown > 0xFFFFFFFFull)
            return 0;
        BYTE* bigger = (BYTE*)realloc(m_buffer, (size_t)grown);
        if (!bigger)
            return 0;
        m_buffer = bigger;
        m_capacity = (DWORD)grown;
    }
    memcpy(m_buffer + m_position, source, n);
    m_position += n;
    if (m_position > m_size)
        m_size = m_position;
    return n;
}

bool CSkinMemStream::ReadDword(DWORD& value)
{
    BYTE bytes[4];
    if (Read(bytes, 4) != 4)
        return false;
    value = LoadLE32(bytes);
    return true;
}

bool CSkinMemStream::ReadCount(DWORD& count, DWORD itemSize)
{
    DWORD value = 0;
    if (!ReadDword(value)) {
        count = 0;
        return false;
    }
    // Divide rather than multiply: a length of 0xFFFFFFFF must not wrap.
    if (itemSize && value > Remaining() / itemSize) {
        m_corrupt = true;
        count = 0;
        return false;
    }
    count = value;
    return true;
}

void CSkinMemStream::ReadText(char* field, DWORD size)
{
    Read(field, size);
    field[size - 1] = '\0';
}

bool CSkinMemStream::Unpack(const CSkinMemStream& packed, CSkinMemStream& target)
{
    if (!packed.m_buffer || packed.m_size < 4)
        return false;
    const DWORD size = LoadLE32(packed.m_buffer);
    if (size == 0 || size > MaxUnpackedSize)
        return false;
    if (lzo_init() != LZO_E_OK)
        return false;
    BYTE* scratch = (BYTE*)malloc(size);
    if (!scratch)
        return false;
    lzo_uint produced = size;
    int rc = lzo1x_decompress_safe(packed.m_buffer + 4, packed.m_size - 4, scratch, &produced, NULL);
    bool ok = rc == LZO_E_OK && produced == size;
    if (ok) {
        target.Reserve(size);
        ok = target.Write(scratch, size) == size;
    }
    free(scratch);
    return ok;
}

bool CSkinMemStream::Pack(const CSkinMemStream& source, CSkinMemStream& packed)
{
    if (!source.m_buffer || source.m_size == 0 || source.m_size > MaxUnpackedSize)
        return false;
    if (lzo_init() != LZO_E_OK)
        return false;
    // LZO1X's worst case: the input plus a sixteenth, 64 bytes and 3.
    DWORD bound = source.m_size + source.m_size / 16 + 64 + 3;
    BYTE* out = (BYTE*)malloc(4 + bound);
    void* work = malloc(LZO1X_1_MEM_COMPRESS);
    bool ok = false;
    if (out && work) {
        lzo_uint outLength = bound;
        if (lzo1x_1_compress(source.m_buffer, source.m_size, out + 4, &outLength, work) == LZO_E_OK) {
            StoreLE32(out, source.m_size);
            packed.Reserve(4 + (DWORD)outLength);
            ok = packed.Write(out, 4 + (DWORD)outLength) == 4 + outLength;
        }
    }
    free(work);
    free(out);
    return ok;
}
