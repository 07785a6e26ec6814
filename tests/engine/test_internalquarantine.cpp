#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <math.h>
#include <set>
#include <string>
#include <vector>

#include "engine/backuparchive.h"
#include "engine/enginelogtext.h"
#include "engine/internalquarantine.h"
#include "engine/internalremove.h"
#include "foundation/packfile.h"
#include "tests/engine/system_state_guards.h"
#include "tests/foundation/temp_folder.h"

namespace {

DATE MakeDate(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}

std::vector<BYTE> Bytes(const char* text, size_t length)
{
    return std::vector<BYTE>((const BYTE*)text, (const BYTE*)text + length);
}

std::vector<BYTE> Text(const std::string& text)
{
    return Bytes(text.c_str(), text.size() + 1);
}

std::vector<BYTE> ItemHeader(WORD area, DWORD attributes, WORD depth, DWORD type)
{
    const BYTE h[12] = {(BYTE)area,        (BYTE)(area >> 8),         (BYTE)attributes, (BYTE)(attributes >> 8),
                        (BYTE)(attributes >> 16), (BYTE)(attributes >> 24), (BYTE)depth,      (BYTE)(depth >> 8),
                        (BYTE)type,        (BYTE)(type >> 8),         (BYTE)(type >> 16), (BYTE)(type >> 24)};
    return std::vector<BYTE>(h, h + 12);
}

std::vector<BYTE> Field(const CPackedRecord& record, int i)
{
    const BYTE* data = record.GetEntry(i);
    return data ? std::vector<BYTE>(data, data + record.GetEntryLength(i)) : std::vector<BYTE>();
}

// Records of one block of an ".inf" file, read with the container itself.
std::vector<std::vector<std::vector<BYTE>>> ReadBlock(const std::string& infPath, WORD id)
{
    std::vector<std::vector<std::vector<BYTE>>> records;
    CPackFile file;
    if (!file.Open(infPath.c_str(), 0, 0, NULL))
        return records;
    CPackBlock& block = file.GetBlock(id);
    for (int i = 0; i < block.GetRecordCount(); ++i)
    {
        CPackedRecord record;
        block.GetRecord(&record, i);
        std::vector<std::vector<BYTE>> fields;
        for (int f = 0; f < record.GetEntryCount(); ++f)
            fields.push_back(Field(record, f));
        records.push_back(fields);
    }
    file.Close();
    return records;
}

std::vector<BYTE> FileBytes(size_t size, BYTE seed)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (BYTE)(i * 7 + seed + (i >> 8));
    return bytes;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                continue;
            const std::string child = path + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
            {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

// Makes an empty archive pair of given sizes in a folder.
void PlantPair(const TempFolder& dir, const char* stem, size_t infSize, size_t datSize)
{
    TempFolder::Write(dir.File((std::string(stem) + ".inf").c_str()), std::vector<BYTE>(infSize, 1));
    TempFolder::Write(dir.File((std::string(stem) + ".dat").c_str()), std::vector<BYTE>(datSize, 2));
}

std::string TestKeyBase()
{
    char name[64];
    wsprintfA(name, "Software\\CleanwardenTest%lu", GetCurrentProcessId());
    return name;
}

std::vector<BYTE> ReadValue(HKEY root, const std::string& key, const char* value, DWORD* type)
{
    HKEY h;
    std::vector<BYTE> data;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return data;
    DWORD size = 0;
    *type = 0;
    if (RegQueryValueExA(h, value, NULL, type, NULL, &size) == ERROR_SUCCESS)
    {
        data.resize(size);
        RegQueryValueExA(h, value, NULL, type, size ? data.data() : NULL, &size);
        data.resize(size);
    }
    RegCloseKey(h);
    return data;
}

void SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size)
{
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
}

} // namespace

TEST(InternalQuarantine, EmptyFolderNamingAndLoadOrder)
{
    TempFolder dir;
    CInternalQuarantine store;
    EXPECT_FALSE(store.LoadArchives()); // no folder yet
    ASSERT_TRUE(store.Initialize(dir.Path().c_str()));
    EXPECT_EQ(0, store.GetCount());
    EXPECT_FALSE(store.GetArchive(0).IsValid());
    EXPECT_FALSE(store.GetArchive(-1).Open());
    EXPECT_FALSE(store.Initialize("C:\\elsewhere")); // the list is loaded

    // A second store over a folder with three archives, names that only look
    // like archives, and a folder named like one.
    TempFolder q;
    PlantPair(q, "archive 02.09.2007 10-00-00", 10, 10);
    PlantPair(q, "archive 03.09.2007 10-00-00", 10, 10);
    PlantPair(q, "archive 01.09.2007 10-00-00", 10, 10);
    PlantPair(q, "archive 31.02.2007 10-00-00", 10, 10);
    PlantPair(q, "archive 3.09.2007 10-00-00", 10, 10);
    PlantPair(q, "archive notes", 10, 10);
    PlantPair(q, "archive 04.09.2007 10-00-00x", 10, 10);
    CreateDirectoryA(q.File("archive 05.09.2007 10-00-00.inf").c_str(), NULL);

    CInternalQuarantine loaded;
    ASSERT_TRUE(loaded.Initialize((q.Path() + "\\").c_str()));
    ASSERT_EQ(3, loaded.GetCount());
    EXPECT_EQ(MakeDate(2007, 9, 3, 10, 0, 0), loaded.GetArchive(0).GetTime());
    EXPECT_EQ(MakeDate(2007, 9, 2, 10, 0, 0), loaded.GetArchive(1).GetTime());
    EXPECT_EQ(MakeDate(2007, 9, 1, 10, 0, 0), loaded.GetArchive(2).GetTime());
    EXPECT_STREQ(q.File("archive 03.09.2007 10-00-00.inf").c_str(), loaded.GetArchive(0).GetInfPath());
    EXPECT_STREQ(q.File("archive 03.09.2007 10-00-00.dat").c_str(), loaded.GetArchive(0).GetDatPath());

    // A created archive comes last, whatever its time, and its files appear
    // when it is opened.
    const DATE created = MakeDate(2007, 9, 21, 13, 45, 7);
    CBackupArchive& archive = loaded.CreateArchive(created);
    ASSERT_TRUE(archive.IsValid());
    EXPECT_EQ(4, loaded.GetCount());
    EXPECT_EQ(&archive, &loaded.GetArchive(3));
    EXPECT_STREQ(q.File("archive 21.09.2007 13-45-07.inf").c_str(), archive.GetInfPath());
    EXPECT_STREQ(q.File("archive 21.09.2007 13-45-07.dat").c_str(), archive.GetDatPath());
    EXPECT_FALSE(TempFolder::Exists((LPCSTR)archive.GetInfPath()));
    ASSERT_TRUE(archive.Open());
    EXPECT_TRUE(archive.Close());
    EXPECT_TRUE(TempFolder::Exists((LPCSTR)archive.GetInfPath()));
    EXPECT_TRUE(TempFolder::Exists((LPCSTR)archive.GetDatPath()));

    // Lookup compares the time bit for bit.
    EXPECT_EQ(&archive, &loaded.Lookup(created));
    EXPECT_FALSE(loaded.Lookup(nextafter(created, 1e9)).IsValid());

    // Another store sees the new archive first.
    CInternalQuarantine again;
    again.Initialize(q.Path().c_str());
    ASSERT_EQ(4, again.GetCount());
    EXPECT_EQ(created, again.GetArchive(0).GetTime());

    // Folders that do not leave room for the name are refused, not cut.
    CInternalQuarantine longFolder;
    longFolder.Initialize(std::string(781, 'x').c_str());
    EXPECT_FALSE(longFolder.CreateArchive(created).IsValid());
}

TEST(InternalQuarantine, ShrinkDeleteAndRemoveBackup)
{
    TempFolder q;
    PlantPair(q, "archive 01.09.2007 10-00-00", 100, 100);
    PlantPair(q, "archive 02.09.2007 10-00-00", 200, 200);
    PlantPair(q, "archive 03.09.2007 10-00-00", 300, 300);
    CInternalQuarantine store;
    store.Initialize(q.Path().c_str());
    ASSERT_EQ(3, store.GetCount());
    EXPECT_EQ(400u, store.GetArchive(1).GetSize());

    EXPECT_TRUE(store.ShrinkStorage(1200)); // at the total: nothing goes
    EXPECT_EQ(3, store.GetCount());
    EXPECT_TRUE(store.ShrinkStorage(1199)); // the oldest backup goes first
    ASSERT_EQ(2, store.GetCount());
    EXPECT_EQ(MakeDate(2007, 9, 3, 10, 0, 0), store.GetArchive(0).GetTime());
    EXPECT_EQ(MakeDate(2007, 9, 2, 10, 0, 0), store.GetArchive(1).GetTime());
    EXPECT_FALSE(TempFolder::Exists(q.File("archive 01.09.2007 10-00-00.inf")));
    EXPECT_FALSE(TempFolder::Exists(q.File("archive 01.09.2007 10-00-00.dat")));

    // An unreadable size counts as nothing rather than wrapping the sum.
    DeleteFileA(q.File("archive 02.09.2007 10-00-00.dat").c_str());
    EXPECT_EQ(0xFFFFFFFFu, store.GetArchive(1).GetSize());
    EXPECT_TRUE(store.ShrinkStorage(600));
    EXPECT_EQ(2, store.GetCount());

    EXPECT_TRUE(store.ShrinkStorage(0));
    EXPECT_EQ(0, store.GetCount());
    EXPECT_TRUE(q.List().empty());

    // RemoveBackup finds a time within 1e-5; a file that cannot be deleted
    // fails the deletion, is reported, and the archive leaves the list.
    PlantPair(q, "archive 04.09.2007 10-00-00", 10, 10);
    PlantPair(q, "archive 05.09.2007 10-00-00", 10, 10);
    CInternalQuarantine second;
    second.Initialize(q.Path().c_str());
    ASSERT_EQ(2, second.GetCount());
    EXPECT_FALSE(second.DeleteArchive(2));
    EXPECT_FALSE(second.RemoveBackup(MakeDate(2007, 9, 6, 10, 0, 0)));
    EXPECT_TRUE(second.RemoveBackup(MakeDate(2007, 9, 5, 10, 0, 0) + 5e-6));
    ASSERT_EQ(1, second.GetCount());

    CEngineLogText.Empty();
    HANDLE busy = CreateFileA(q.File("archive 04.09.2007 10-00-00.dat").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);
    EXPECT_FALSE(second.DeleteArchive(0));
    CloseHandle(busy);
    EXPECT_EQ(0, second.GetCount());
    const std::string log = (LPCSTR)CEngineLogText.Get();
    EXPECT_NE(std::string::npos, log.find("Half of an archive pair is left")) << log;
    EXPECT_FALSE(TempFolder::Exists(q.File("archive 04.09.2007 10-00-00.inf")));
    CEngineLogText.Empty();
}

TEST(InternalQuarantine, FileAndHostsRecordsAreByteExactAndRestore)
{
    TempFolder dir;
    const std::string q = dir.File("q");
    CreateDirectoryA(q.c_str(), NULL);
    const std::string file = dir.File("data.bin");
    const std::vector<BYTE> content = FileBytes(70000, 3);
    ASSERT_TRUE(TempFolder::Write(file, content));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD attributes = GetFileAttributesA(file.c_str());

    CInternalQuarantine store;
    store.Initialize(q.c_str());
    const DATE date = MakeDate(2008, 1, 2, 3, 4, 5);
    CBackupArchive& archive = store.CreateArchive(date);
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(0x1234, "Prog", "Desc", "", 7);
    EXPECT_TRUE(section.HasData());
    EXPECT_TRUE(section.AddItemToBackup(3, NULL, file.c_str(), NULL));
    std::string upper = file;
    CharUpperA(&upper[0]);
    EXPECT_TRUE(section.AddItemToBackup(4, NULL, upper.c_str(), NULL)); // the same file: no second record
    EXPECT_FALSE(section.AddItemToBackup(3, NULL, dir.File("missing.bin").c_str(), NULL));
    EXPECT_FALSE(section.AddItemToBackup(3, NULL, (dir.Path() + "\\" + std::string(1100, 'n')).c_str(), NULL));
    EXPECT_TRUE(section.AddItemToBackup(5, NULL, "ads.example", "127.0.0.1"));
    EXPECT_FALSE(section.AddItemToBackup(9, NULL, "x", "y"));
    EXPECT_EQ(2, section.GetItemCount());
    // The id is taken; an absent id gives a section that takes nothing.
    EXPECT_FALSE(archive.CreateSection(0x1234, "Again", "", "", 1).HasData());
    CBackupSection absent = archive.GetSection(0x999);
    EXPECT_FALSE(absent.HasData());
    EXPECT_FALSE(absent.AddItemToBackup(5, NULL, "a", "b"));
    EXPECT_EQ(1, archive.GetSectionCount());
    EXPECT_EQ(0x1234, archive.GetSectionId(0));
    EXPECT_EQ(0xFFFF, archive.GetSectionId(1));
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(0, archive.GetSectionCount());

    const auto records = ReadBlock((LPCSTR)archive.GetInfPath(), 0x1234);
    ASSERT_EQ(3u, records.size());
    ASSERT_EQ(3u, records[0].size()); // the empty URL leaves its field out
    EXPECT_EQ(std::vector<BYTE>({7, 0, 0, 0}), records[0][0]);
    EXPECT_EQ(Text("Prog"), records[0][1]);
    EXPECT_EQ(Text("Desc"), records[0][2]);

    ASSERT_EQ(4u, records[1].size());
    EXPECT_EQ(ItemHeader(3, attributes, 0, 0), records[1][0]);
    EXPECT_EQ(Text(file), records[1][1]);
    EXPECT_TRUE(records[1][2].empty());
    ASSERT_EQ(20u, records[1][3].size());
    EXPECT_EQ(std::vector<BYTE>({0x0C, 0x0D, 0x0E, 0x0F}), std::vector<BYTE>(records[1][3].begin(), records[1][3].begin() + 4));
    EXPECT_EQ(std::vector<BYTE>({0x70, 0x11, 0x01, 0x00}), std::vector<BYTE>(records[1][3].begin() + 16, records[1][3].end()));

    ASSERT_EQ(3u, records[2].size());
    EXPECT_EQ(ItemHeader(5, 0, 0, 0), records[2][0]);
    EXPECT_EQ(Text("ads.example"), records[2][1]);
    EXPECT_EQ(Text("127.0.0.1"), records[2][2]);

    // Read back through the store.
    CInternalQuarantine reader;
    reader.Initialize(q.c_str());
    CBackupArchive& stored = reader.Lookup(date);
    ASSERT_TRUE(stored.Open());
    CBackupSection back = stored.GetSection(0x1234);
    EXPECT_EQ(2, back.GetItemCount());
    char name[8192], description[8192], url[8192] = "stale";
    DWORD risk = 0;
    EXPECT_TRUE(back.ReadHeader(name, description, url, 3, &risk));
    EXPECT_STREQ("Pr", name);
    EXPECT_STREQ("De", description);
    EXPECT_STREQ("", url);
    EXPECT_EQ(7u, risk);

    char value[8192];
    BYTE data[16];
    DWORD area = 99, attr = 0, length = sizeof(data), type = 99;
    ASSERT_TRUE(back.GetItemInfo(0, sizeof(name), &area, &attr, name, value, data, &length, &type));
    EXPECT_EQ(3u, area);
    EXPECT_EQ(attributes, attr);
    EXPECT_EQ(file, name);
    EXPECT_STREQ("", value);
    EXPECT_EQ(0u, length);
    EXPECT_EQ(0u, type);
    ASSERT_TRUE(back.GetItemInfo(0, 5, &area, &attr, name, value, data, &length, &type));
    EXPECT_EQ(file.substr(0, 4), name);
    length = sizeof(data);
    ASSERT_TRUE(back.GetItemInfo(1, sizeof(name), &area, &attr, name, value, data, &length, &type));
    EXPECT_EQ(5u, area);
    EXPECT_STREQ("ads.example", name);
    EXPECT_STREQ("127.0.0.1", value);
    EXPECT_FALSE(back.GetItemInfo(2, sizeof(name), &area, &attr, name, value, data, &length, &type));
    EXPECT_FALSE(back.RestoreItem(2));
    EXPECT_FALSE(back.RestoreItem(-1));

    // The file comes back byte for byte with its attributes.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(TempFolder::Write(file, FileBytes(10, 9)));
    EXPECT_TRUE(back.RestoreItem(0));
    EXPECT_EQ(content, TempFolder::Read(file));
    EXPECT_EQ(attributes, GetFileAttributesA(file.c_str()));
    stored.Close();
}

TEST(InternalQuarantine, FolderRecordsSkipDotFoldersAndRestore)
{
    TempFolder dir;
    const std::string tree = dir.File("tree");
    CreateDirectoryA(tree.c_str(), NULL);
    CreateDirectoryA((tree + "\\.cache").c_str(), NULL);
    CreateDirectoryA((tree + "\\inner").c_str(), NULL);
    TempFolder::Write(tree + "\\.cache\\junk.txt", FileBytes(50, 1));
    TempFolder::Write(tree + "\\.profile", FileBytes(60, 2));
    TempFolder::Write(tree + "\\inner\\deep.txt", FileBytes(5000, 3));
    TempFolder::Write(tree + "\\top.txt", std::vector<BYTE>());

    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2009, 5, 6, 7, 8, 9));
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(3, "Folder program", NULL, NULL, 1);
    EXPECT_TRUE(section.AddItemToBackup(4, NULL, tree.c_str(), NULL));
    EXPECT_EQ(5, section.GetItemCount());
    EXPECT_TRUE(section.AddItemToBackup(4, NULL, (tree + "\\top.txt").c_str(), NULL));
    EXPECT_EQ(5, section.GetItemCount());
    ASSERT_TRUE(archive.Close());

    const auto records = ReadBlock((LPCSTR)archive.GetInfPath(), 3);
    ASSERT_EQ(6u, records.size());
    EXPECT_EQ(ItemHeader(4, FILE_ATTRIBUTE_DIRECTORY, 0, 0), records[1][0]);
    EXPECT_EQ(Text(tree), records[1][1]);
    EXPECT_EQ(2u, records[1].size()); // a folder has no archive entry
    std::set<std::string> found;
    for (size_t i = 2; i < records.size(); ++i)
    {
        const std::vector<BYTE>& h = records[i][0];
        ASSERT_EQ(12u, h.size());
        const bool folder = (h[2] & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::string path((const char*)records[i][1].data());
        found.insert(path.substr(tree.size()) + ":" + std::to_string(h[6]) + (folder ? "d" : ""));
        EXPECT_EQ(folder ? 2u : 4u, records[i].size());
    }
    EXPECT_EQ(std::set<std::string>({"\\.profile:1", "\\inner:1d", "\\inner\\deep.txt:2", "\\top.txt:1"}), found);

    ASSERT_TRUE(archive.Open());
    CBackupSection back = archive.GetSection(3);
    EXPECT_FALSE(back.RestoreItem(0)); // the folder is still there
    RemoveTree(tree);
    ASSERT_FALSE(TempFolder::Exists(tree));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(back.RestoreItem(i)) << i;
    archive.Close();
    EXPECT_EQ(FileBytes(60, 2), TempFolder::Read(tree + "\\.profile"));
    EXPECT_EQ(FileBytes(5000, 3), TempFolder::Read(tree + "\\inner\\deep.txt"));
    EXPECT_TRUE(TempFolder::Exists(tree + "\\top.txt"));
    EXPECT_TRUE(TempFolder::Read(tree + "\\top.txt").empty());
    EXPECT_FALSE(TempFolder::Exists(tree + "\\.cache"));

    // A subfolder whose parents are gone is made with them.
    RemoveTree(tree);
    ASSERT_TRUE(archive.Open());
    CBackupSection again = archive.GetSection(3);
    bool restored = false;
    for (int i = 0; i < again.GetItemCount(); ++i)
    {
        char name[1040], value[16];
        DWORD area, attr, length = 0, type;
        ASSERT_TRUE(again.GetItemInfo(i, sizeof(name), &area, &attr, name, value, NULL, &length, &type));
        if (tree + "\\inner" == name)
            restored = again.RestoreItem(i);
    }
    archive.Close();
    EXPECT_TRUE(restored);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((tree + "\\inner").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(InternalQuarantine, KeyTreeRecordsAndExactRestore)
{
    const std::string base = TestKeyBase();
    const std::string path = base + "\\Tree";
    HKEY key, sub;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    const DWORD number = 42;
    const BYTE binary[] = {1, 2, 3};
    SetValue(key, NULL, REG_SZ, "root default", 13);
    SetValue(key, "alpha", REG_SZ, "one", 4);
    SetValue(key, "beta", REG_DWORD, &number, 4);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key, "Sub", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL));
    SetValue(sub, "gamma", REG_BINARY, binary, 3);
    RegCloseKey(sub);
    RegCloseKey(key);

    TempFolder dir;
    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2010, 2, 3, 4, 5, 6));
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(17, "Registry program", "", "", 2);
    EXPECT_TRUE(section.AddItemToBackup(1, HKEY_CURRENT_USER, path.c_str(), NULL));
    EXPECT_TRUE(section.AddItemToBackup(1, HKEY_CURRENT_USER, path.c_str(), "alpha"));
    EXPECT_TRUE(section.AddItemToBackup(2, HKEY_CURRENT_USER, (path + "\\Sub").c_str(), ""));
    EXPECT_FALSE(section.AddItemToBackup(1, HKEY_CURRENT_USER, (base + "\\Missing").c_str(), NULL));
    EXPECT_FALSE(section.AddItemToBackup(1, HKEY_CURRENT_USER, "", NULL)); // never a whole root
    HKEY opened; // a key handle is no root that can be stored
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_READ, &opened));
    EXPECT_FALSE(section.AddItemToBackup(1, opened, "Tree", NULL));
    RegCloseKey(opened);
    EXPECT_EQ(3, section.GetItemCount());
    ASSERT_TRUE(archive.Close());

    const DWORD root = 0x80000001;
    const auto r = ReadBlock((LPCSTR)archive.GetInfPath(), 17);
    ASSERT_EQ(9u, r.size());
    EXPECT_EQ(ItemHeader(1, root, 0, REG_SZ), r[1][0]);
    EXPECT_EQ(Text(path), r[1][1]);
    EXPECT_TRUE(r[1][2].empty());
    EXPECT_EQ(Text("root default"), r[1][3]);
    EXPECT_EQ(ItemHeader(1, root, 1, REG_SZ), r[2][0]);
    EXPECT_TRUE(r[2][1].empty());
    EXPECT_EQ(Text("alpha"), r[2][2]);
    EXPECT_EQ(Text("one"), r[2][3]);
    EXPECT_EQ(ItemHeader(1, root, 1, REG_DWORD), r[3][0]);
    EXPECT_EQ(Text("beta"), r[3][2]);
    EXPECT_EQ(std::vector<BYTE>({42, 0, 0, 0}), r[3][3]);
    EXPECT_EQ(ItemHeader(1, root, 1, 0), r[4][0]); // the subkey has no default value
    EXPECT_EQ(Text("Sub"), r[4][1]);
    EXPECT_EQ(2u, r[4].size());
    EXPECT_EQ(ItemHeader(1, root, 2, REG_BINARY), r[5][0]);
    EXPECT_EQ(Text("gamma"), r[5][2]);
    EXPECT_EQ(std::vector<BYTE>(binary, binary + 3), r[5][3]);
    EXPECT_EQ(ItemHeader(1, root, 0, REG_SZ), r[6][0]);
    EXPECT_EQ(Text(path), r[6][1]);
    EXPECT_EQ(Text("alpha"), r[6][2]);
    EXPECT_EQ(ItemHeader(2, root, 0, 0), r[7][0]);
    EXPECT_EQ(ItemHeader(2, root, 1, REG_BINARY), r[8][0]);

    ASSERT_TRUE(archive.Open());
    CBackupSection back = archive.GetSection(17);
    char name[8192], value[8192];
    BYTE data[4];
    DWORD area = 0, rootOut = 0, length = sizeof(data), type = 0;
    ASSERT_TRUE(back.GetItemInfo(0, sizeof(name), &area, &rootOut, name, value, data, &length, &type));
    EXPECT_EQ(1u, area);
    EXPECT_EQ(root, rootOut);
    EXPECT_EQ(path, name);
    EXPECT_STREQ("", value);
    EXPECT_EQ(13u, length); // the stored length; only four bytes were copied
    EXPECT_EQ(0, memcmp(data, "root", 4));
    EXPECT_EQ((DWORD)REG_SZ, type);

    // The whole tree comes back from its one item, the value from its own.
    SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    EXPECT_TRUE(back.RestoreItem(0));
    DWORD t = 0;
    EXPECT_EQ(Text("root default"), ReadValue(HKEY_CURRENT_USER, path, NULL, &t));
    EXPECT_EQ((DWORD)REG_SZ, t);
    EXPECT_EQ(Text("one"), ReadValue(HKEY_CURRENT_USER, path, "alpha", &t));
    EXPECT_EQ(std::vector<BYTE>({42, 0, 0, 0}), ReadValue(HKEY_CURRENT_USER, path, "beta", &t));
    EXPECT_EQ((DWORD)REG_DWORD, t);
    EXPECT_EQ(std::vector<BYTE>(binary, binary + 3), ReadValue(HKEY_CURRENT_USER, path + "\\Sub", "gamma", &t));
    EXPECT_EQ((DWORD)REG_BINARY, t);
    HKEY check;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &check));
    DWORD subKeys = 0, values = 0;
    RegQueryInfoKeyA(check, NULL, NULL, NULL, &subKeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(check);
    EXPECT_EQ(1u, subKeys);
    EXPECT_EQ(3u, values);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &check));
    RegDeleteValueA(check, "alpha");
    RegCloseKey(check);
    EXPECT_TRUE(back.RestoreItem(1));
    EXPECT_EQ(Text("one"), ReadValue(HKEY_CURRENT_USER, path, "alpha", &t));

    SHDeleteKeyA(HKEY_CURRENT_USER, (path + "\\Sub").c_str());
    EXPECT_TRUE(back.RestoreItem(2));
    EXPECT_EQ(std::vector<BYTE>(binary, binary + 3), ReadValue(HKEY_CURRENT_USER, path + "\\Sub", "gamma", &t));
    archive.Close();
    SHDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
}

TEST(InternalQuarantine, GuardedValuesRestoreAsTheyWereOrGoAgain)
{
    const std::string base = TestKeyBase();
    const std::string path = base + "\\Guarded";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    const BYTE one[] = {1, 0, 0, 0};
    SetValue(key, "Present", REG_BINARY, one, 4);
    SetValue(key, "Other", REG_SZ, "x", 2);

    TempFolder dir;
    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2011, 3, 4, 5, 6, 7));
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(18, "Guarded", "", "", 1);
    EXPECT_TRUE(section.AddItemToBackup(2, HKEY_CURRENT_USER, path.c_str(), "Present"));
    EXPECT_TRUE(section.AddItemToBackup(2, HKEY_CURRENT_USER, path.c_str(), "Absent"));
    EXPECT_TRUE(section.AddItemToBackup(2, HKEY_CURRENT_USER, path.c_str(), ""));  // the default value
    EXPECT_TRUE(section.AddItemToBackup(1, HKEY_CURRENT_USER, path.c_str(), NULL)); // a plain key tree
    ASSERT_TRUE(archive.Close());

    // An absent value is stored as neither type nor data.
    const auto r = ReadBlock((LPCSTR)archive.GetInfPath(), 18);
    ASSERT_EQ(9u, r.size());
    EXPECT_EQ(ItemHeader(2, 0x80000001, 0, REG_BINARY), r[1][0]);
    EXPECT_EQ(ItemHeader(2, 0x80000001, 0, 0), r[2][0]);
    EXPECT_EQ(Text(path), r[2][1]);
    EXPECT_EQ(Text("Absent"), r[2][2]);
    EXPECT_EQ(3u, r[2].size());
    EXPECT_EQ(ItemHeader(2, 0x80000001, 0, 0), r[3][0]);
    EXPECT_EQ(2u, r[3].size());

    // The repair wrote all three; restore brings back what was there before.
    const DWORD seven = 7;
    SetValue(key, "Present", REG_DWORD, &seven, 4);
    SetValue(key, "Absent", REG_DWORD, &seven, 4);
    SetValue(key, NULL, REG_DWORD, &seven, 4);
    ASSERT_TRUE(archive.Open());
    CBackupSection back = archive.GetSection(18);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(back.RestoreItem(i)) << i;
    DWORD type = 0;
    EXPECT_EQ(std::vector<BYTE>(one, one + 4), ReadValue(HKEY_CURRENT_USER, path, "Present", &type));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Absent", NULL, NULL, NULL, NULL));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, NULL, NULL, NULL, NULL, NULL));
    EXPECT_EQ(Text("x"), ReadValue(HKEY_CURRENT_USER, path, "Other", &type));
    // A second restore finds nothing to take away and still succeeds.
    EXPECT_TRUE(back.RestoreItem(1));

    // A key tree of the registry area puts values back and takes none away.
    SetValue(key, NULL, REG_DWORD, &seven, 4);
    EXPECT_TRUE(back.RestoreItem(3));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, NULL, NULL, NULL, NULL, NULL));
    archive.Close();
    RegCloseKey(key);
    SHDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
}

TEST(InternalQuarantine, HostsLineRestoreAppendsAWholeLine)
{
    HostsGuard hosts;
    ASSERT_TRUE(TempFolder::Write(hosts.Path(), Bytes("127.0.0.1 localhost", 19)));

    TempFolder dir;
    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2011, 3, 4, 5, 6, 7));
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(65, "Hosts program", "", "", 1);
    EXPECT_TRUE(section.AddItemToBackup(5, NULL, "ads.example", "127.0.0.1"));
    EXPECT_TRUE(section.AddItemToBackup(5, NULL, "broken.example", NULL)); // no address stored
    EXPECT_TRUE(section.RestoreItem(0));
    const std::string once = "127.0.0.1 localhost\r\n127.0.0.1\tads.example\r\n";
    std::vector<BYTE> got = TempFolder::Read(hosts.Path());
    EXPECT_EQ(once, std::string(got.begin(), got.end()));
    // A line that is there already is not added twice.
    EXPECT_TRUE(section.RestoreItem(0));
    got = TempFolder::Read(hosts.Path());
    EXPECT_EQ(once, std::string(got.begin(), got.end()));
    EXPECT_FALSE(section.RestoreItem(1));
    EXPECT_EQ(got, TempFolder::Read(hosts.Path()));
    archive.Close();
}

TEST(InternalQuarantine, DamagedRecordsFailOnlyThemselves)
{
    TempFolder dir;
    const std::string file = dir.File("good.txt");
    TempFolder::Write(file, FileBytes(300, 5));
    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2012, 4, 5, 6, 7, 8));
    ASSERT_TRUE(archive.Open());
    CBackupSection section = archive.CreateSection(33, "Damaged", "", "", 1);
    ASSERT_TRUE(section.AddItemToBackup(3, NULL, file.c_str(), NULL));
    ASSERT_TRUE(archive.Close());

    // Damage written straight into the block: a short field 0, a file record
    // with a short archive header, one whose header does not match the entry.
    {
        CPackFile raw;
        ASSERT_TRUE(raw.Open(archive.GetInfPath(), 1, 0, NULL));
        CPackBlock& block = raw.GetBlock(33);
        CPackedRecord good;
        block.GetRecord(&good, 1);
        std::vector<BYTE> header = Field(good, 3);
        CPackedRecordBuffer bad;
        bad->SetEntry(0, "\x03\0\0\0\0\0\0\0", 8);
        bad->SetString(1, file.c_str());
        ASSERT_TRUE(block.AddRecord(bad.Record()));
        CPackedRecordBuffer shortHeader;
        shortHeader->SetEntry(0, ItemHeader(3, 0x20, 0, 0).data(), 12);
        shortHeader->SetString(1, dir.File("short.txt").c_str());
        shortHeader->SetEntry(3, header.data(), 19);
        ASSERT_TRUE(block.AddRecord(shortHeader.Record()));
        header[12] ^= 0xFF; // the checksum
        CPackedRecordBuffer wrong;
        wrong->SetEntry(0, ItemHeader(3, 0x20, 0, 0).data(), 12);
        wrong->SetString(1, dir.File("wrong.txt").c_str());
        wrong->SetEntry(3, header.data(), 20);
        ASSERT_TRUE(block.AddRecord(wrong.Record()));
        ASSERT_TRUE(raw.Close());
    }

    ASSERT_TRUE(archive.Open());
    CBackupSection back = archive.GetSection(33);
    ASSERT_EQ(4, back.GetItemCount());
    DeleteFileA(file.c_str());
    EXPECT_TRUE(back.RestoreItem(0));
    EXPECT_EQ(FileBytes(300, 5), TempFolder::Read(file));
    EXPECT_FALSE(back.RestoreItem(1));
    EXPECT_FALSE(back.RestoreItem(2));
    EXPECT_FALSE(back.RestoreItem(3));
    EXPECT_FALSE(TempFolder::Exists(dir.File("short.txt")));
    EXPECT_FALSE(TempFolder::Exists(dir.File("wrong.txt")));
    char name[64], value[64];
    DWORD area, attr, length = 0, type;
    EXPECT_FALSE(back.GetItemInfo(1, sizeof(name), &area, &attr, name, value, NULL, &length, &type));
    EXPECT_TRUE(back.GetItemInfo(2, sizeof(name), &area, &attr, name, value, NULL, &length, &type));
    archive.Close();
}

TEST(InternalQuarantine, KeyTreeRestoreStopsAtTheDepthLimit)
{
    const std::string base = TestKeyBase();
    TempFolder dir;
    CInternalQuarantine store;
    store.Initialize(dir.Path().c_str());
    CBackupArchive& archive = store.CreateArchive(MakeDate(2013, 5, 6, 7, 8, 9));
    ASSERT_TRUE(archive.Open());
    archive.CreateSection(18, "Deep", "", "", 1);
    ASSERT_TRUE(archive.Close());
    {
        // One key record per level, 600 levels deep.
        CPackFile raw;
        ASSERT_TRUE(raw.Open(archive.GetInfPath(), 1, 0, NULL));
        CPackBlock& block = raw.GetBlock(18);
        for (int depth = 0; depth < 600; ++depth)
        {
            CPackedRecordBuffer record;
            record->SetEntry(0, ItemHeader(1, 0x80000001, (WORD)depth, 0).data(), 12);
            record->SetString(1, depth == 0 ? (base + "\\Deep").c_str() : "k");
            ASSERT_TRUE(block.AddRecord(record.Record()));
        }
        ASSERT_TRUE(raw.Close());
    }
    ASSERT_TRUE(archive.Open());
    CBackupSection back = archive.GetSection(18);
    EXPECT_EQ(1, back.GetItemCount());
    EXPECT_FALSE(back.RestoreItem(0));
    archive.Close();
    // Level by level: full paths this long are beyond the registry's limit.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (base + "\\Deep").c_str(), 0, KEY_READ, &key));
    int levels = 0;
    for (HKEY next; RegOpenKeyExA(key, "k", 0, KEY_READ, &next) == ERROR_SUCCESS; ++levels)
    {
        RegCloseKey(key);
        key = next;
    }
    RegCloseKey(key);
    EXPECT_EQ(512, levels);
    SHDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
}
