#include "foundation/packedrecord.h"

#include "foundation/byteorder.h"

#include <new>
#include <string.h>

bool CPackedRecord::Allocate()
{
    if (m_pData == NULL)
    {
        m_pData = new (std::nothrow) BYTE[MaxLength];
        if (m_pData == NULL)
            return false;
        SetTotalLength(2);
    }
    return true;
}

void CPackedRecord::Free()
{
    delete[] m_pData;
    m_pData = NULL;
}

void CPackedRecord::SetTotalLength(WORD length)
{
    if (m_pData)
        StoreLE16(m_pData, length);
}

WORD CPackedRecord::GetTotalLength() const
{
    return m_pData ? LoadLE16(m_pData) : 0;
}

WORD CPackedRecord::GetOffset(int i) const
{
    if (m_pData == NULL || i < 0 || 2 + 2 * i + 2 > GetTotalLength())
        return Absent;
    return LoadLE16(m_pData + 2 + 2 * i);
}

void CPackedRecord::SetOffset(int i, WORD offset)
{
    StoreLE16(m_pData + 2 + 2 * i, offset);
}

int CPackedRecord::GetEntryCount() const
{
    const int total = GetTotalLength();
    if (total < 2)
        return 0;
    const int slots = (total - 2) / 2;
    for (int i = 0; i < slots; ++i)
    {
        const WORD offset = LoadLE16(m_pData + 2 + 2 * i);
        if (offset == Absent)
            continue;
        // The first data byte ends the table; a first offset that cannot end
        // a table inside the record leaves it with no readable field.
        if (offset < 2 || (offset & 1) || offset > total)
            return 0;
        return (offset - 2) / 2;
    }
    return slots;
}

// Present fields of a sound record lie inside the data area with offsets
// rising in field order; any slot breaking that reads as absent, so damaged
// data never yields a pointer or length outside the record.
WORD CPackedRecord::PresentOffset(int i, int count) const
{
    if (m_pData == NULL || i < 0 || i >= count)
        return Absent;
    const int total = GetTotalLength();
    int last = 2 + 2 * count - 1;
    for (int j = 0; j <= i; ++j)
    {
        const WORD offset = LoadLE16(m_pData + 2 + 2 * j);
        if (offset == Absent || offset <= last || offset >= total)
            continue;
        if (j == i)
            return offset;
        last = offset;
    }
    return Absent;
}

BYTE* CPackedRecord::GetEntry(int i) const
{
    const WORD offset = PresentOffset(i, GetEntryCount());
    return offset == Absent ? NULL : m_pData + offset;
}

int CPackedRecord::GetEntryLength(int i) const
{
    const int count = GetEntryCount();
    const WORD offset = PresentOffset(i, count);
    if (offset == Absent)
        return 0;
    for (int j = i + 1; j < count; ++j)
    {
        const WORD next = LoadLE16(m_pData + 2 + 2 * j);
        if (next != Absent && next > offset && next < GetTotalLength())
            return next - offset;
    }
    return GetTotalLength() - offset;
}

bool CPackedRecord::SetEntryCount(int n)
{
    if (n < 1 || !Allocate())
        return false;
    const int count = GetEntryCount();
    if (n == count)
        return true;
    if (n < count)
        return false;
    const int total = GetTotalLength();
    const int grow = 2 * (n - count);
    if (total + grow > MaxLength)
        return false;

    const int dataStart = 2 + 2 * count;
    if (total > dataStart)
        memmove(m_pData + dataStart + grow, m_pData + dataStart, total - dataStart);
    for (int j = 0; j < count; ++j)
    {
        const WORD offset = LoadLE16(m_pData + 2 + 2 * j);
        if (offset != Absent)
            SetOffset(j, (WORD)(offset + grow));
    }
    for (int j = count; j < n; ++j)
        SetOffset(j, Absent);
    SetTotalLength((WORD)(total + grow));
    return true;
}

bool CPackedRecord::SetEntry(int i, const void* data, int length)
{
    if (i < 0 || !Allocate())
        return false;
    if (data == NULL || length < 0)
        length = 0;

    // Refuse before changing anything when the result would not fit.
    int count = GetEntryCount();
    const int tableGrowth = i >= count ? 2 * (i + 1 - count) : 0;
    const int old = GetEntryLength(i);
    if (GetTotalLength() + tableGrowth + length - old > MaxLength)
        return false;

    if (i >= count)
    {
        if (!SetEntryCount(i + 1))
            return false;
        count = i + 1;
    }

    const int total = GetTotalLength();
    int position = total;
    WORD own = GetOffset(i);
    if (own != Absent)
        position = own;
    else
    {
        for (int j = i + 1; j < count; ++j)
        {
            const WORD next = GetOffset(j);
            if (next != Absent)
            {
                position = next;
                break;
            }
        }
    }

    const int delta = length - old;
    if (position + old < total)
        memmove(m_pData + position + length, m_pData + position + old, total - position - old);
    if (length > 0)
    {
        memcpy(m_pData + position, data, length);
        SetOffset(i, (WORD)position);
    }
    else
        SetOffset(i, Absent);

    for (int j = i + 1; j < count; ++j)
    {
        const WORD next = GetOffset(j);
        if (next != Absent)
            SetOffset(j, (WORD)(next + delta));
    }
    SetTotalLength((WORD)(total + delta));
    return true;
}

bool CPackedRecord::SetString(int i, const char* text)
{
    if (text == NULL || *text == 0)
        return SetEntry(i, NULL, 0);
    const size_t length = strlen(text) + 1;
    if (length > MaxLength)
        return false;
    return SetEntry(i, text, (int)length);
}

bool CPackedRecord::SetStringZ(int i, const char* text)
{
    if (text == NULL)
        return SetEntry(i, NULL, 0);
    const size_t length = strlen(text) + 1;
    if (length > MaxLength)
        return false;
    return SetEntry(i, text, (int)length);
}

CPackedRecordBuffer::CPackedRecordBuffer() : m_record(NULL)
{
    m_record.Allocate();
}

CPackedRecordBuffer::~CPackedRecordBuffer()
{
    m_record.Free();
}
