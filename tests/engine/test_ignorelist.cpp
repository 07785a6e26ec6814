// The ignore list: the exact "ilist.lst" records, round trips, checks, Feed,
// and saves that never lose the user's file.

#include "com_test_support.h"

#include "engine/ignorelist.h"
#include "foundation/packfile.h"
#include "scan_test_support.h"

namespace {

std::wstring W(const std::string& text)
{
    return std::wstring(static_cast<LPWSTR>(CA2W(text.c_str())));
}

CComPtr<IIgnoreList> NewIgnoreList()
{
    CComPtr<IIgnoreList> list;
    EngineCreateInstance(CLSID_IgnoreList, &list);
    return list;
}

CComPtr<IThreatCollection> ItemsOf(IIgnoreList* list)
{
    CComPtr<IThreatCollection> items;
    list->get_Items(&items);
    return items;
}

CComPtr<ISearchItem> RegistryItem(ULONG id, const wchar_t* key, const wchar_t* value, const Bytes& data)
{
    CComPtr<ISearchItem> item = NewItem(saRegistry, key, value);
    item->put_ID(id);
    item->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
    item->put_ValueType(REG_BINARY);
    SetData(item, data);
    return item;
}

// The records of one block, as raw bytes, in order.
std::vector<Bytes> BlockRecords(const std::string& path, WORD id)
{
    std::vector<Bytes> out;
    CPackFile file;
    if (!file.Open(path.c_str(), 0, 0, nullptr))
        return out;
    CPackBlock& block = file.GetBlock(id);
    for (BYTE* p = block.First(); p; p = block.Next())
        out.push_back(Bytes(p, p + (p[0] | (p[1] << 8))));
    file.Close();
    return out;
}

std::vector<WORD> BlockIds(const std::string& path)
{
    std::vector<WORD> ids;
    CPackFile file;
    if (!file.Open(path.c_str(), 0, 0, nullptr))
        return ids;
    for (int i = 0; i < file.GetBlockCount(); ++i)
        ids.push_back(static_cast<WORD>(file.GetBlockId(i)));
    file.Close();
    return ids;
}

// A threat whose Name cannot be read.
class CBrokenThreat : public CComObjectRootEx<CComSingleThreadModel>, public IThreat
{
public:
    BEGIN_COM_MAP(CBrokenThreat)
        COM_INTERFACE_ENTRY(IThreat)
    END_COM_MAP()
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Item(INT, ISearchItem**) override { return E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* c) override { *c = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE Lookup(ULONG, ISearchItem**) override { return E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE FindItem(ISearchItem*, ULONG*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE CreateElement(CLSID, ISearchItem**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Add(ISearchItem*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Remove(INT) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE RemoveByID(ULONG) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_OUTOFMEMORY; }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* t) override { *t = nullptr; return S_OK; }
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* t) override { *t = nullptr; return S_OK; }
    HRESULT STDMETHODCALLTYPE put_Risk(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Risk(ULONG* r) override { *r = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE put_ID(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override { *id = 9; return S_OK; }
};

} // namespace

TEST_F(ComTest, IgnoreListFileLayoutIsExact)
{
    TempFolder temp;
    CComPtr<IIgnoreList> list = NewIgnoreList();
    CComPtr<IThreat> spy = NewThreat(70000, L"Spy");
    spy->put_Description(CComBSTR(L""));
    spy->put_Risk(3);
    CComPtr<ISearchItem> reg = NewItem(saRegistry, L"Software\\X", L"");
    reg->put_ID(7);
    reg->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
    reg->put_ValueType(3);
    SetData(reg, {1, 2});
    CComPtr<ISearchItem> file = NewItem(saQuickDisk, L"C:\\a.exe");
    file->put_ID(8);
    ASSERT_EQ(S_OK, spy->Add(reg));
    ASSERT_EQ(S_OK, spy->Add(file));
    ASSERT_EQ(S_OK, ItemsOf(list)->Add(spy));
    const std::string path = temp.File("ilist.lst");
    ASSERT_EQ(S_OK, list->Save(CComBSTR(W(path).c_str())));

    // Block id: the low 16 bits of 70000.
    EXPECT_EQ(std::vector<WORD>{4464}, BlockIds(path));
    const std::vector<Bytes> records = BlockRecords(path, 4464);
    ASSERT_EQ(3u, records.size());
    // Risk, "Spy", the empty description as one NUL, no URL.
    const Bytes threat = {19, 0, 10, 0, 14, 0, 18, 0, 0xFF, 0xFF, 3, 0, 0, 0, 'S', 'p', 'y', 0, 0};
    EXPECT_EQ(threat, records[0]);
    Bytes item = {45, 0, 16, 0, 20, 0, 24, 0, 35, 0, 0xFF, 0xFF, 39, 0, 41, 0, 7, 0, 0, 0, 1, 0, 0, 0};
    for (char c : std::string("Software\\X"))
        item.push_back(static_cast<BYTE>(c));
    item.push_back(0);
    for (BYTE b : {0x01, 0x00, 0x00, 0x80, 1, 2, 3, 0, 0, 0})
        item.push_back(b);
    EXPECT_EQ(item, records[1]);
    // No value, no data: absent fields.
    const Bytes fileItem = {41, 0, 16, 0, 20, 0, 24, 0, 33, 0, 0xFF, 0xFF, 0xFF, 0xFF, 37, 0, 8, 0, 0, 0, 3, 0, 0, 0,
                            'C', ':', '\\', 'a', '.', 'e', 'x', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fileItem, records[2]);

    // Loaded back: ID cut to 16 bits, empty description kept, no URL, no value.
    CComPtr<IIgnoreList> loaded = NewIgnoreList();
    ASSERT_EQ(S_OK, loaded->Load(CComBSTR(W(path).c_str())));
    CComPtr<IThreat> back;
    ASSERT_EQ(S_OK, ItemsOf(loaded)->get_Item(0, &back));
    ULONG id = 0, risk = 0;
    back->get_ID(&id);
    back->get_Risk(&risk);
    EXPECT_EQ(4464u, id);
    EXPECT_EQ(3u, risk);
    CComBSTR name, description, url;
    back->get_Name(&name);
    back->get_Description(&description);
    back->get_URL(&url);
    EXPECT_EQ("Spy", Narrow(name));
    EXPECT_EQ("", Narrow(description));
    EXPECT_EQ("<null>", Narrow(url));
    LONG count = 0;
    back->get_Count(&count);
    ASSERT_EQ(2, count);
    CComPtr<ISearchItem> regBack;
    back->get_Item(0, &regBack);
    EXPECT_EQ(S_OK, regBack->IsEqual(reg));
    CComBSTR value;
    regBack->get_ItemValue(&value);
    EXPECT_EQ("<null>", Narrow(value));
    EXPECT_EQ((Bytes{1, 2}), GetData(regBack));
    ULONG itemId = 0;
    regBack->get_ID(&itemId);
    EXPECT_EQ(7u, itemId);
    LONG quarantine = 0, known = 1, ignore = 1, repair = 1;
    regBack->get_Quarantine(&quarantine);
    regBack->get_Known(&known);
    regBack->get_Ignore(&ignore);
    regBack->get_Repair(&repair);
    EXPECT_EQ(1, quarantine);
    EXPECT_EQ(0, known);
    EXPECT_EQ(0, ignore);
    EXPECT_EQ(0, repair);

    // An empty list saves as a container without data blocks and loads as nothing.
    CComPtr<IIgnoreList> empty = NewIgnoreList();
    ASSERT_EQ(S_OK, empty->Save(CComBSTR(W(temp.File("empty.lst")).c_str())));
    EXPECT_TRUE(BlockIds(temp.File("empty.lst")).empty());
    ASSERT_EQ(S_OK, empty->Load(CComBSTR(W(temp.File("empty.lst")).c_str())));
    LONG threats = 5;
    ItemsOf(empty)->get_Count(&threats);
    EXPECT_EQ(0, threats);
}

TEST_F(ComTest, IgnoreListRoundTripAndSharedBlocks)
{
    TempFolder temp;
    CComPtr<IIgnoreList> list = NewIgnoreList();
    CComPtr<IThreat> a = NewThreat(5, L"A"), b = NewThreat(65541, L"B"), c = NewThreat(9, L"C");
    a->put_URL(CComBSTR(L"http://a/"));
    a->Add(RegistryItem(1, L"Software\\A", L"v", {9, 8, 7}));
    a->Add(NewItem(saQuickDisk, L"C:\\a.exe"));
    b->Add(NewItem(saQuickDisk, L"C:\\b.exe"));
    c->Add(NewItem(saProcesses, L"C:\\c.exe"));
    c->Add(NewItem(saCookies, L"c@ads.txt"));
    for (IThreat* t : {a.p, b.p, c.p})
        ItemsOf(list)->Add(t);
    const std::string path = temp.File("ilist.lst");
    ASSERT_EQ(S_OK, list->Save(CComBSTR(W(path).c_str())));
    // 65541 shares block 5 with A: its items follow A's, none is lost.
    EXPECT_EQ((std::vector<WORD>{5, 9}), BlockIds(path));
    EXPECT_EQ(4u, BlockRecords(path, 5).size());

    CComPtr<IIgnoreList> loaded = NewIgnoreList();
    ASSERT_EQ(S_OK, loaded->Load(CComBSTR(W(path).c_str())));
    LONG count = 0;
    ItemsOf(loaded)->get_Count(&count);
    ASSERT_EQ(2, count);
    INT index = -1;
    ASSERT_EQ(S_OK, loaded->CheckProgram(9, &index));
    EXPECT_EQ(1, index);
    EXPECT_EQ(S_OK, loaded->CheckSearchItem(5, NewItem(saQuickDisk, L"C:\\b.exe"), &index));
    EXPECT_EQ(2, index);
    EXPECT_EQ(S_OK, loaded->CheckSearchItem(5, RegistryItem(1, L"Software\\A", L"v", {9, 8, 7}), &index));
    EXPECT_EQ(0, index);
    EXPECT_EQ(S_FALSE, loaded->CheckSearchItem(5, RegistryItem(1, L"Software\\A", L"v", {9, 8}), &index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(S_OK, loaded->CheckSearchItem(9, NewItem(saCookies, L"c@ads.txt"), &index));
    EXPECT_EQ(1, index);
    // Not in the list.
    index = 77;
    EXPECT_EQ(E_INVALIDARG, loaded->CheckProgram(4, &index));
    EXPECT_EQ(77, index);
    EXPECT_EQ(S_FALSE, loaded->CheckSearchItem(4, NewItem(saCookies, L"c@ads.txt"), &index));
    EXPECT_EQ(77, index);

    // Loaded twice: two threats of each ID, the first one answers.
    ASSERT_EQ(S_OK, loaded->Load(CComBSTR(W(path).c_str())));
    ItemsOf(loaded)->get_Count(&count);
    EXPECT_EQ(4, count);
    ASSERT_EQ(S_OK, loaded->CheckProgram(9, &index));
    EXPECT_EQ(1, index);

    // A saved file can be loaded into an ignore list and saved again byte for byte.
    CComPtr<IIgnoreList> again = NewIgnoreList();
    ASSERT_EQ(S_OK, again->Load(CComBSTR(W(path).c_str())));
    ASSERT_EQ(S_OK, again->Save(CComBSTR(W(temp.File("again.lst")).c_str())));
    EXPECT_EQ(BlockRecords(path, 5), BlockRecords(temp.File("again.lst"), 5));
    EXPECT_EQ(BlockRecords(path, 9), BlockRecords(temp.File("again.lst"), 9));
}

TEST_F(ComTest, IgnoreListLoadSkipsDuplicatesAndDamagedRecords)
{
    TempFolder temp;
    const std::string path = temp.File("ilist.lst");
    {
        CPackFile file;
        ASSERT_TRUE(file.Open(path.c_str(), 1, 0, nullptr));
        auto add = [](CPackBlock& block, const std::vector<Bytes>& fields) {
            CPackedRecordBuffer r;
            r->SetEntryCount(static_cast<int>(fields.size()));
            for (size_t i = 0; i < fields.size(); ++i)
                if (!fields[i].empty())
                    r->SetEntry(static_cast<int>(i), fields[i].data(), static_cast<int>(fields[i].size()));
            block.AddRecord(r.GetPtr());
        };
        const Bytes u1 = {1, 0, 0, 0}, u3 = {3, 0, 0, 0}, u0 = {0, 0, 0, 0};
        CPackBlock& first = file.CreateBlock(2);
        add(first, {u1, Bz("Two")});
        add(first, {u1, u3, Bz("C:\\x.exe"), u0, Bytes(), Bytes(), u0});
        add(first, {u1, u3, Bz("C:\\x.exe"), u0, Bytes(), Bytes(), u0});      // duplicate
        add(first, {u1, Bytes(), Bz("C:\\y.exe"), u0, Bytes(), Bytes(), u0});  // no type
        add(first, {u1, u3, B("C:\\z.exe"), u0, Bytes(), Bytes(), u0});        // no NUL
        CPackBlock& noRisk = file.CreateBlock(3);
        add(noRisk, {Bytes(), Bz("Three")});
        add(noRisk, {u1, u3, Bz("C:\\w.exe"), u0, Bytes(), Bytes(), u0});
        CPackBlock& last = file.CreateBlock(4);
        add(last, {u1, Bz("Four")});
        ASSERT_TRUE(file.Close());
    }
    CComPtr<IIgnoreList> list = NewIgnoreList();
    ASSERT_EQ(S_OK, list->Load(CComBSTR(W(path).c_str())));
    LONG count = 0;
    ItemsOf(list)->get_Count(&count);
    ASSERT_EQ(2, count);
    CComPtr<IThreat> two, four;
    ASSERT_EQ(S_OK, ItemsOf(list)->Lookup(2, &two));
    ASSERT_EQ(S_OK, ItemsOf(list)->Lookup(4, &four));
    two->get_Count(&count);
    EXPECT_EQ(2, count);   // x.exe once, z.exe
    CComPtr<ISearchItem> z;
    two->get_Item(1, &z);
    CComBSTR name;
    z->get_ItemName(&name);
    EXPECT_EQ("C:\\z.exe", Narrow(name));

    EXPECT_EQ(E_FAIL, list->Load(CComBSTR(W(temp.File("missing.lst")).c_str())));
}

TEST_F(ComTest, IgnoreListFeedAndItemsContract)
{
    CComPtr<IIgnoreList> list = NewIgnoreList();
    EXPECT_EQ(E_POINTER, list->Feed(nullptr));
    CComPtr<IThreatCollection> result;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_ThreatCollection, &result));
    CComPtr<IThreat> spy = NewThreat(4, L"Spy");
    spy->put_Risk(2);
    spy->put_URL(CComBSTR(L"http://spy/"));
    CComPtr<ISearchItem> kept = NewItem(saQuickDisk, L"C:\\kept.exe");
    CComPtr<ISearchItem> ignored = NewItem(saQuickDisk, L"C:\\ignored.exe");
    spy->Add(kept);
    spy->Add(ignored);
    result->Add(spy);

    // Nothing marked: nothing changes.
    EXPECT_EQ(S_OK, list->Feed(result));
    LONG count = 9;
    ItemsOf(list)->get_Count(&count);
    EXPECT_EQ(0, count);

    ignored->put_Ignore(1);
    EXPECT_EQ(S_OK, list->Feed(result));
    // Fed again: the item already ignored is skipped, not refused.
    EXPECT_EQ(S_OK, list->Feed(result));
    CComPtr<IThreat> copy;
    ASSERT_EQ(S_OK, ItemsOf(list)->Lookup(4, &copy));
    EXPECT_NE(spy.p, copy.p);
    copy->get_Count(&count);
    EXPECT_EQ(1, count);
    ULONG risk = 0;
    copy->get_Risk(&risk);
    EXPECT_EQ(2u, risk);
    CComBSTR url;
    copy->get_URL(&url);
    EXPECT_EQ("http://spy/", Narrow(url));
    INT index = -1;
    EXPECT_EQ(S_OK, list->CheckSearchItem(4, NewItem(saQuickDisk, L"C:\\ignored.exe"), &index));
    EXPECT_EQ(S_FALSE, list->CheckSearchItem(4, kept, &index));
    // The given collection is unchanged.
    spy->get_Count(&count);
    EXPECT_EQ(2, count);

    // Items: replaced, released, and the stream of the collection.
    CLSID clsid = {};
    CComQIPtr<IPersistStream> persist(list);
    ASSERT_TRUE(persist);
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_IgnoreList, clsid));
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    ULARGE_INTEGER size = {};
    EXPECT_EQ(E_NOTIMPL, persist->GetSizeMax(&size));
    CComPtr<IStream> stream = NewStream();
    EXPECT_EQ(S_OK, persist->Save(stream, TRUE));
    EXPECT_EQ(S_OK, list->put_Items(nullptr));
    CComPtr<IThreatCollection> none;
    EXPECT_EQ(E_UNEXPECTED, list->get_Items(&none));
    EXPECT_EQ(E_POINTER, list->get_Items(nullptr));
    EXPECT_EQ(E_FAIL, persist->Save(stream, TRUE));
    EXPECT_EQ(E_FAIL, persist->IsDirty());
    EXPECT_EQ(S_FALSE, list->CheckSearchItem(4, kept, &index));
    EXPECT_EQ(S_OK, list->put_Items(result));
    EXPECT_EQ(S_OK, list->CheckProgram(4, &index));
    EXPECT_EQ(0, index);
}

TEST_F(ComTest, IgnoreListFailedSaveKeepsTheOldFile)
{
    TempFolder temp;
    const std::string path = temp.File("ilist.lst");
    CComPtr<IIgnoreList> list = NewIgnoreList();
    CComPtr<IThreat> spy = NewThreat(4, L"Spy");
    spy->Add(NewItem(saQuickDisk, L"C:\\spy.exe"));
    ItemsOf(list)->Add(spy);
    ASSERT_EQ(S_OK, list->Save(CComBSTR(W(path).c_str())));
    const Bytes before = TempFolder::Read(path);
    ASSERT_FALSE(before.empty());

    // A threat that fails midway: the call's failure, and the old file stays.
    CComObject<CBrokenThreat>* broken = nullptr;
    ASSERT_EQ(S_OK, CComObject<CBrokenThreat>::CreateInstance(&broken));
    CComPtr<IThreat> holder(broken);
    ItemsOf(list)->Add(holder);
    EXPECT_EQ(E_OUTOFMEMORY, list->Save(CComBSTR(W(path).c_str())));
    EXPECT_EQ(before, TempFolder::Read(path));
    // No temporary file is left beside it.
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((temp.Path() + "\\*").c_str(), &data);
    int files = 0;
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            files += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    EXPECT_EQ(1, files);

    // A path that cannot be written: E_FAIL, nothing made there.
    EXPECT_EQ(E_FAIL, list->Save(CComBSTR(W(temp.File("no-such-folder\\ilist.lst")).c_str())));
    CreateDirectoryA(temp.File("taken").c_str(), nullptr);
    ItemsOf(list)->Remove(1);
    EXPECT_EQ(E_FAIL, list->Save(CComBSTR(W(temp.File("taken")).c_str())));
    EXPECT_EQ(E_FAIL, list->Save(nullptr));
    EXPECT_EQ(before, TempFolder::Read(path));
}
