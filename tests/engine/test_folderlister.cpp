#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/folderlister.h"
#include "scan_test_support.h"

namespace {

// "name/d" for folders, "name" for files, in the order the system lists them.
std::vector<std::string> PlainListing(const std::string& folder)
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return out;
    do
        out.push_back(std::string(data.cFileName) + (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/d" : ""));
    while (FindNextFileA(find, &data));
    FindClose(find);
    return out;
}

std::vector<std::string> Entries(CFolderListing& listing)
{
    std::vector<std::string> out;
    const char* name;
    DWORD attributes;
    while (listing.Next(&name, &attributes))
        out.push_back(std::string(name) + (attributes & FILE_ATTRIBUTE_DIRECTORY ? "/d" : ""));
    return out;
}

// A folder (ending in a backslash) with a few files and subfolders.
std::string MakeFolder(const TempFolder& temp, const char* name, int files)
{
    const std::string folder = temp.File(name) + "\\";
    CreateDirectoryA(folder.c_str(), NULL);
    for (int i = 0; i < files; ++i)
        TempFolder::Write(folder + "File" + std::to_string(i) + ".bin", B("x"));
    CreateDirectoryA((folder + "Sub").c_str(), NULL);
    return folder;
}

} // namespace

TEST(FolderLister, ListingGivesEveryEntryInOrderPastTheHeldOnes)
{
    TempFolder temp;
    const std::string folder = MakeFolder(temp, "Many", 10);
    const std::vector<std::string> expected = PlainListing(folder);
    ASSERT_GE(expected.size(), 13u); // dot entries, files, Sub

    for (size_t held : {(size_t)0, (size_t)3, (size_t)100})
    {
        CFolderListing listing;
        ASSERT_TRUE(listing.Make(folder, held));
        EXPECT_EQ(std::min(held, expected.size()), listing.HeldCount());
        for (size_t i = 0; i < listing.HeldCount(); ++i)
            EXPECT_EQ(expected[i], std::string(listing.HeldName(i)) +
                                       (listing.HeldAttributes(i) & FILE_ATTRIBUTE_DIRECTORY ? "/d" : ""));
        EXPECT_EQ(expected, Entries(listing)) << "held " << held;
        const char* name;
        DWORD attributes;
        EXPECT_FALSE(listing.Next(&name, &attributes));
    }
    // The probe left nothing behind.
    EXPECT_EQ(expected, PlainListing(folder));
}

TEST(FolderLister, ProbeDecidesWhetherAFolderIsListed)
{
    TempFolder temp;
    CFolderListing listing;
    EXPECT_FALSE(listing.Make(temp.File("Missing") + "\\", 10));
    EXPECT_FALSE(listing.Make(temp.File("Missing\\Deeper") + "\\", 10));

    // A user's own test.dat is no reason to skip the folder, and stays as it is.
    const std::string folder = MakeFolder(temp, "Owned", 1);
    ASSERT_TRUE(TempFolder::Write(folder + "test.dat", B("mine")));
    ASSERT_TRUE(listing.Make(folder, 10));
    const std::vector<std::string> entries = Entries(listing);
    EXPECT_NE(entries.end(), std::find(entries.begin(), entries.end(), "test.dat"));
    EXPECT_EQ(B("mine"), TempFolder::Read(folder + "test.dat"));
}

TEST(FolderLister, TakesListingsMadeAheadOrListsItself)
{
    TempFolder temp;
    std::vector<std::string> folders;
    for (int i = 0; i < 12; ++i)
        folders.push_back(MakeFolder(temp, ("F" + std::to_string(i)).c_str(), i));
    const std::string missing = temp.File("Gone") + "\\";

    // One lister, two listings ahead: the walk takes them in its own order,
    // out of the order asked for, and the ones never asked for.
    CFolderLister lister(1, 2, 4);
    std::vector<std::string> asked(folders.begin(), folders.begin() + 8);
    asked.push_back(missing);
    lister.Request(asked);
    lister.Request(asked); // asked for twice: still one listing each
    for (int i : {0, 1, 5, 2, 3, 4, 10, 6, 7})
    {
        CFolderListing listing;
        ASSERT_TRUE(lister.Take(folders[i], listing)) << i;
        EXPECT_EQ(PlainListing(folders[i]), Entries(listing)) << i;
    }
    CFolderListing listing;
    EXPECT_FALSE(lister.Take(missing, listing));
    // A folder taken once is listed again when taken again.
    ASSERT_TRUE(lister.Take(folders[0], listing));
    EXPECT_EQ(PlainListing(folders[0]), Entries(listing));

    // Cleared: listings made ahead are forgotten (the first asked for is
    // listed first; a slow lister only makes this check weaker).
    lister.Request(std::vector<std::string>(folders.begin() + 8, folders.end()));
    Sleep(100);
    lister.Clear();
    ASSERT_TRUE(CreateDirectoryA((folders[8] + "Later").c_str(), NULL));
    ASSERT_TRUE(lister.Take(folders[8], listing));
    EXPECT_EQ(PlainListing(folders[8]), Entries(listing));
}
