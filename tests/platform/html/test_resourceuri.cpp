#include "platform/html/resourceuri.h"

#include <gtest/gtest.h>

#include <string>

TEST(ResourceUri, ExtensionNamesTheTypeExceptHtml)
{
    UriResourceName r;
    ASSERT_TRUE(SplitResourceUri(L"minus.png", r));
    EXPECT_STREQ(r.name, "minus");
    EXPECT_STREQ(r.type, "png");
    ASSERT_TRUE(SplitResourceUri(L"page.HtMl", r));
    EXPECT_STREQ(r.name, "page");
    EXPECT_STREQ(r.type, "");
    ASSERT_TRUE(SplitResourceUri(L"page", r));
    EXPECT_STREQ(r.name, "page");
    EXPECT_STREQ(r.type, "");
    // Only the last dot splits.
    ASSERT_TRUE(SplitResourceUri(L"a.b.gif", r));
    EXPECT_STREQ(r.name, "a.b");
    EXPECT_STREQ(r.type, "gif");
    EXPECT_FALSE(SplitResourceUri(L"", r));
    EXPECT_FALSE(SplitResourceUri(nullptr, r));
}

TEST(ResourceUri, LongUriIsCutToTheBuffer)
{
    std::wstring uri(300, L'n');
    uri += L".gif";
    UriResourceName r;
    ASSERT_TRUE(SplitResourceUri(uri.c_str(), r));
    // The extension fell past the cut: the whole kept text is the name.
    EXPECT_EQ(strlen(r.name), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_STREQ(r.type, "");
}

TEST(ResourceUri, FindsTheProgramsResources)
{
    HMODULE self = GetModuleHandle(nullptr);
    const BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_EQ(FindUriResource(self, L"minus.png", &data, &size), UriResource::Found);
    ASSERT_GE(size, 8u);
    EXPECT_EQ(memcmp(data, "\x89PNG", 4), 0);
    EXPECT_EQ(FindUriResource(self, L"#128.html", &data, &size), UriResource::Found);
    EXPECT_EQ(FindUriResource(self, L"#128", &data, &size), UriResource::Found);
    EXPECT_EQ(FindUriResource(self, L"nothing.png", &data, &size), UriResource::NotFound);
    EXPECT_EQ(FindUriResource(self, L"", &data, &size), UriResource::Empty);
    // The picture of the animation, by the type the scan page names.
    EXPECT_TRUE(LoadResourceBytes(self, MAKEINTRESOURCEA(172), "ANIMATED_GIF", &data, &size));
    EXPECT_EQ(memcmp(data, "GIF89a", 6), 0);
}
