#include "platform/html/resourceuri.h"

#include <cstring>

bool SplitResourceUri(LPCWSTR uri, UriResourceName& out)
{
    out.name[0] = 0;
    out.type[0] = 0;
    if (!uri || !*uri)
        return false;
    char text[MAX_PATH] = {};
    // A URI longer than the buffer is cut; a cut through a character of two
    // bytes leaves no half behind.
    int n = WideCharToMultiByte(CP_ACP, 0, uri, -1, text, sizeof(text), nullptr, nullptr);
    if (n == 0)
    {
        char* big = new char[4 * lstrlenW(uri) + 4];
        WideCharToMultiByte(CP_ACP, 0, uri, -1, big, 4 * lstrlenW(uri) + 4, nullptr, nullptr);
        size_t len = 0;
        while (big[len] && len + 1 < sizeof(text))
            len += (IsDBCSLeadByte(static_cast<BYTE>(big[len])) && len + 2 < sizeof(text)) ? 2 : 1;
        memcpy(text, big, len);
        text[len < sizeof(text) ? len : sizeof(text) - 1] = 0;
        delete[] big;
    }
    // The last dot, walking the text character by character.
    char* dot = nullptr;
    for (char* p = text; *p; p = CharNextA(p))
        if (*p == '.')
            dot = p;
    if (dot)
    {
        *dot = 0;
        if (lstrcmpiA(dot + 1, "HTML") != 0)
            lstrcpynA(out.type, dot + 1, sizeof(out.type));
    }
    lstrcpynA(out.name, text, sizeof(out.name));
    return true;
}

namespace
{
UriResource MapResource(HMODULE module, LPCSTR name, LPCSTR type, const BYTE** data, DWORD* size)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return UriResource::NotFound;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD length = SizeofResource(module, found);
    if (!loaded || !bytes || !length)
        return UriResource::Unreadable;
    *data = static_cast<const BYTE*>(bytes);
    *size = length;
    return UriResource::Found;
}
}  // namespace

bool LoadResourceBytes(HMODULE module, LPCSTR name, LPCSTR type, const BYTE** data, DWORD* size)
{
    return MapResource(module, name, type, data, size) == UriResource::Found;
}

UriResource FindUriResource(HMODULE module, LPCWSTR uri, const BYTE** data, DWORD* size)
{
    UriResourceName r;
    if (!SplitResourceUri(uri, r))
        return UriResource::Empty;
    return MapResource(module, r.name, r.type[0] ? r.type : MAKEINTRESOURCEA(23), data, size);
}
