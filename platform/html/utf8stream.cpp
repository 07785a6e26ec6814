#include "platform/html/utf8stream.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

CUtf8Stream::CUtf8Stream() : m_data(static_cast<BYTE*>(malloc(256))), m_capacity(256), m_length(0)
{
    if (!m_data)
        throw std::bad_alloc();
    static const BYTE bom[3] = {0xEF, 0xBB, 0xBF};
    AppendBytes(bom, 3);
}

CUtf8Stream::~CUtf8Stream()
{
    free(m_data);
}

void CUtf8Stream::Reserve(size_t more)
{
    if (m_length + more <= m_capacity)
        return;
    size_t capacity = m_capacity * 2;
    if (capacity < m_length + more)
        capacity = m_length + more;
    BYTE* data = static_cast<BYTE*>(malloc(capacity));
    if (!data)
        throw std::bad_alloc();
    memcpy(data, m_data, m_length);
    free(m_data);
    m_data = data;
    m_capacity = capacity;
}

void CUtf8Stream::Append(BYTE byte)
{
    Reserve(1);
    m_data[m_length++] = byte;
}

void CUtf8Stream::AppendBytes(const BYTE* bytes, size_t count)
{
    if (count == 0)
        return;
    Reserve(count);
    memcpy(m_data + m_length, bytes, count);
    m_length += count;
}

void CUtf8Stream::WriteEscaped(const wchar_t* text)
{
    if (!text)
        return;
    for (; *text; ++text)
    {
        unsigned u = static_cast<unsigned short>(*text);
        const char* entity = u == '"' ? "&quot;" : u == '&' ? "&amp;" : u == '\'' ? "&apos;" : u == '<' ? "&lt;"
                             : u == '>' ? "&gt;" : nullptr;
        if (entity)
            AppendBytes(reinterpret_cast<const BYTE*>(entity), strlen(entity));
        else if (u < 0x80)
            Append(static_cast<BYTE>(u));
        else if (u < 0x800)
        {
            BYTE b[2] = {static_cast<BYTE>(0xC0 | (u >> 6)), static_cast<BYTE>(0x80 | (u & 0x3F))};
            AppendBytes(b, 2);
        }
        else
        {
            BYTE b[3] = {static_cast<BYTE>(0xE0 | (u >> 12)), static_cast<BYTE>(0x80 | ((u >> 6) & 0x3F)),
                         static_cast<BYTE>(0x80 | (u & 0x3F))};
            AppendBytes(b, 3);
        }
    }
}

const char* CUtf8Stream::GetText()
{
    Reserve(1);
    m_data[m_length] = 0;
    return reinterpret_cast<const char*>(m_data);
}

void ToUtf8Html(std::string& text)
{
    size_t n = text.size();
    std::vector<wchar_t> wide(n + 1, L'\0');
    if (n)
        MultiByteToWideChar(CP_ACP, MB_USEGLYPHCHARS, text.data(), static_cast<int>(n), wide.data(), static_cast<int>(n));
    CUtf8Stream stream;
    stream.WriteEscaped(wide.data());
    const char* bytes = stream.GetText();
    text.assign(bytes + 3, stream.Length() - 3);
}
