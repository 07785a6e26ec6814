#pragma once
// A registry key opened for reading and closed when the object ends. Values
// are read with the size they need, and texts end at their terminator.

#include <windows.h>

#include <string>

class CReadKey
{
public:
    // Values above this size are not part of any place the diagnostics read.
    static const DWORD kMaxValueBytes = 1u << 20;

    // KEY_QUERY_VALUE reads values; KEY_ENUMERATE_SUB_KEYS lists subkeys.
    CReadKey(HKEY root, const char* path, REGSAM access = KEY_QUERY_VALUE);
    ~CReadKey();

    bool IsOpen() const { return m_key != NULL; }
    operator HKEY() const { return m_key; }
    // False when the key was not open or could not be closed.
    bool Close();

    // The value as text up to its first zero byte; "" names the default
    // value. False when it is missing, larger than a megabyte, or keeps
    // changing size while it is read.
    bool ReadText(const char* valueName, std::string& text) const;
    // A REG_DWORD value (or 4 binary bytes).
    bool ReadDword(const char* valueName, DWORD& value) const;

private:
    CReadKey(const CReadKey&) = delete;
    CReadKey& operator=(const CReadKey&) = delete;

    HKEY m_key;
};
