#include "skin/image/xfile.h"

#include <stdlib.h>
#include <string.h>

CxMemFile::CxMemFile(BYTE* buffer, DWORD size)
    : m_buffer(buffer), m_size(size), m_owned(buffer == NULL), m_position(0), m_allocated(size)
{
}

CxMemFile::~CxMemFile()
{
    Close();
}

bool CxMemFile::Open()
{
    if (m_buffer)
        return false;
    m_position = m_size = m_allocated = 0;
    m_owned = true;
    m_buffer = (BYTE*)malloc(1);
    return m_buffer != NULL;
}

bool CxMemFile::Close()
{
    if (m_buffer && m_owned)
        free(m_buffer);
    m_buffer = NULL;
    m_size = m_position = m_allocated = 0;
    return true;
}

size_t CxMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || !m_buffer || size == 0 || m_position >= m_size)
        return 0;
    size_t items = Remaining() / size;
    if (items > count)
        items = count;
    memcpy(buffer, m_buffer + m_position, items * size);
    m_position += (DWORD)(items * size);
    return items;
}

bool CxMemFile::Grow(DWORD needed)
{
    if (needed <= m_allocated)
        return true;
    if (!m_owned)
        return false;
    // The smallest multiple of 4096 above the needed size.
    ULONGLONG grown = ((ULONGLONG)needed / 4096 + 1) * 4096;
    if (grown > 0x7FFFFFFF)
        return false;
    BYTE* bigger = (BYTE*)realloc(m_buffer, (size_t)grown);
    if (!bigger)
        return false;
    m_buffer = bigger;
    m_allocated = (DWORD)grown;
    return true;
}

size_t CxMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_buffer || !buffer || size == 0 || count == 0)
        return 0;
    ULONGLONG bytes = (ULONGLONG)size * count;
    if (m_position + bytes > 0x7FFFFFFF || !Grow((DWORD)(m_position + bytes)))
        return 0;
    memcpy(m_buffer + m_position, buffer, (size_t)bytes);
    m_position += (DWORD)bytes;
    if (m_position > m_size)
        m_size = m_position;
    return count;
}

bool CxMemFile::Seek(long offset, int origin)
{
    if (!m_buffer)
        return false;
    LONGLONG base = origin == 0 ? 0 : origin == 1 ? (LONGLONG)m_position : origin == 2 ? (LONGLONG)m_size : -1;
    if (base < 0)
        return false;
    LONGLONG target = base + offset;
    if (target < 0 || target > 0x7FFFFFFF)
        return false;
    m_position = (DWORD)target;
    return true;
}

long CxMemFile::Tell()
{
    return m_buffer ? (long)m_position : -1;
}

long CxMemFile::Size()
{
    return m_buffer ? (long)m_size : -1;
}

bool CxMemFile::Eof()
{
    return !m_buffer || m_position >= m_size;
}

bool CxMemFile::PutC(unsigned char c)
{
    return Write(&c, 1, 1) == 1;
}

long CxMemFile::GetC()
{
    if (Eof())
        return -1;
    return m_buffer[m_position++];
}

BYTE* CxMemFile::GetBuffer(bool detach)
{
    if (detach)
        m_owned = false;
    return m_buffer;
}
