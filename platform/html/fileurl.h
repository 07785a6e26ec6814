#pragma once
// "file://" addresses of local pages. The browser dialog writes a path as it
// stands after "file://", with the characters that would end or cut the
// address escaped (blank, '%', '#'); reading one undoes every %XX escape.

#include <string>

std::string FileUrlFromPath(const std::string& path);
std::wstring FileUrlFromPath(const std::wstring& path);
std::wstring PathFromFileUrl(const std::wstring& url);
