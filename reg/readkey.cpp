#include "reg/readkey.h"

#include <cstring>
#include <vector>

namespace {

const int kReadAttempts = 3;

} // namespace

CReadKey::CReadKey(HKEY root, const char* path, REGSAM access) : m_key(NULL)
{
    if (RegOpenKeyExA(root, path, 0, access, &m_key) != ERROR_SUCCESS)
        m_key = NULL;
}

CReadKey::~CReadKey()
{
    Close();
}

bool CReadKey::Close()
{
    if (!m_key)
        return false;
    const bool closed = RegCloseKey(m_key) == ERROR_SUCCESS;
    m_key = NULL;
    return closed;
}

bool CReadKey::ReadText(const char* valueName, std::string& text) const
{
    text.clear();
    if (!m_key)
        return false;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt)
    {
        DWORD size = 0;
        if (RegQueryValueExA(m_key, valueName, NULL, NULL, NULL, &size) != ERROR_SUCCESS || size > kMaxValueBytes)
            return false;
        // One spare zero byte ends data that was stored without a terminator.
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        LONG rc = RegQueryValueExA(m_key, valueName, NULL, NULL, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA)
            continue;  // the value grew meanwhile
        if (rc != ERROR_SUCCESS)
            return false;
        text.assign(buffer.data(), strnlen(buffer.data(), got < size ? got : size));
        return true;
    }
    return false;
}

bool CReadKey::ReadDword(const char* valueName, DWORD& value) const
{
    DWORD read = 0, type = 0, size = sizeof(read);
    if (!m_key ||
        RegQueryValueExA(m_key, valueName, NULL, &type, reinterpret_cast<BYTE*>(&read), &size) != ERROR_SUCCESS ||
        size != sizeof(read) || (type != REG_DWORD && type != REG_BINARY))
        return false;
    value = read;
    return true;
}
