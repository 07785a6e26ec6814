#pragma once
// A page without a window, for layout and tree tests: data is served from a
// map of names to bytes (or the program's resources), and what the page asks
// of its host is recorded.

#include "platform/html/htmldocument.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlscript.h"
#include "platform/html/resourceuri.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

class TestPage : public IHtmlDocumentHost
{
public:
    TestPage(int width = 400, int height = 300) : document(this)
    {
        document.SetViewport(width, height);
        script.SetDocument(&document);
    }
    ~TestPage() override { document.SetHost(nullptr); }

    void Load(const std::wstring& html)
    {
        document.LoadText(html);
        document.UpdateLayout();
    }

    CHtmlNode* ById(const wchar_t* id) { return document.GetElementById(id); }

    RECT Rect(const wchar_t* id)
    {
        RECT r = {-1, -1, -1, -1};
        CHtmlNode* e = ById(id);
        EXPECT_TRUE(e) << "no element " << std::string(id, id + wcslen(id));
        if (e)
            document.ElementRect(e, r);
        return r;
    }

    void DocumentChanged() override { ++changes; }
    bool LoadDocumentData(const std::wstring& url, std::vector<BYTE>& data) override
    {
        requests.push_back(url);
        auto it = files.find(url);
        if (it != files.end())
        {
            data = it->second;
            return true;
        }
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        std::wstring name = url;
        if (FindUriResource(GetModuleHandle(nullptr), name.c_str(), &bytes, &size) == UriResource::Found ||
            LoadResourceBytes(GetModuleHandle(nullptr), std::string(name.begin(), name.end()).c_str(), MAKEINTRESOURCEA(2110), &bytes, &size))
        {
            data.assign(bytes, bytes + size);
            return true;
        }
        return false;
    }
    void LinkEvent(CHtmlNode*, const std::wstring& href, int action) override { links.emplace_back(href, action); }
    void ScriptHandler(CHtmlNode* element, const std::wstring& code) override { script.RunHandler(element, code); }

    CHtmlDocument document;
    CHtmlScriptHost script;
    std::map<std::wstring, std::vector<BYTE>> files;
    std::vector<std::wstring> requests;
    std::vector<std::pair<std::wstring, int>> links;
    int changes = 0;
};

inline std::string RectText(const RECT& r)
{
    char buf[80];
    snprintf(buf, sizeof(buf), "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return buf;
}

#define EXPECT_RECT(r, l, t, rt, b) EXPECT_EQ(RectText(r), RectText(RECT{l, t, rt, b}))
