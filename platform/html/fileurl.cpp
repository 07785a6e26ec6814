#include "platform/html/fileurl.h"

#include <cwctype>

namespace
{
template <class String>
String EscapeFileUrl(const String& path)
{
    using Char = typename String::value_type;
    static const Char prefix[] = {'f', 'i', 'l', 'e', ':', '/', '/', 0};
    String url = prefix;
    for (Char c : path)
    {
        const char* escape = c == ' ' ? "%20" : c == '%' ? "%25" : c == '#' ? "%23" : nullptr;
        if (escape)
            url.append(escape, escape + 3);
        else
            url += c;
    }
    return url;
}
}  // namespace

std::string FileUrlFromPath(const std::string& path)
{
    return EscapeFileUrl(path);
}

std::wstring FileUrlFromPath(const std::wstring& path)
{
    return EscapeFileUrl(path);
}

std::wstring PathFromFileUrl(const std::wstring& url)
{
    std::wstring p = url.compare(0, 7, L"file://") == 0 ? url.substr(7) : url;
    // "file:///C:/dir" has a slash before the drive.
    while (p.size() > 2 && p[0] == L'/' && p[2] == L':')
        p.erase(0, 1);
    std::wstring out;
    for (size_t i = 0; i < p.size(); ++i)
    {
        if (p[i] == L'%' && i + 2 < p.size() && iswxdigit(p[i + 1]) && iswxdigit(p[i + 2]))
        {
            out += static_cast<wchar_t>(wcstol(p.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        }
        else
            out += p[i] == L'/' ? L'\\' : p[i];
    }
    return out;
}
