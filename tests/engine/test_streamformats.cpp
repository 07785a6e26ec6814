#include "com_test_support.h"

#include "engine/streamio.h"

namespace {

std::vector<BYTE> SaveOf(IUnknown* object)
{
    CComQIPtr<IPersistStream> persist(object);
    CComPtr<IStream> stream = NewStream();
    EXPECT_EQ(S_OK, persist->Save(stream, TRUE));
    return BytesOf(stream);
}

void Append(std::vector<BYTE>& out, std::initializer_list<BYTE> bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendU32(std::vector<BYTE>& out, DWORD v)
{
    Append(out, {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)});
}

} // namespace

TEST_F(ComTest, StreamItemBytesAreExact)
{
    CComPtr<ISearchItem> item = NewItem(saQuickDisk, L"ab");
    const std::vector<BYTE> expected = {3, 0, 0, 0, 6, 0, 0, 0, 0x61, 0, 0x62, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, SaveOf(item));

    // Empty but non-null string: L = 2 and one terminator; it loads as empty, not null.
    CComPtr<ISearchItem> empty = NewItem(saHosts, L"");
    empty->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
    empty->put_ValueType(REG_BINARY);
    SetData(empty, {0xAA, 0xBB});
    std::vector<BYTE> bytes = SaveOf(empty);
    std::vector<BYTE> want;
    AppendU32(want, 5);
    AppendU32(want, 2); Append(want, {0, 0});
    AppendU32(want, 0);
    AppendU32(want, 0x80000002);
    AppendU32(want, REG_BINARY);
    AppendU32(want, 2); Append(want, {0xAA, 0xBB});
    EXPECT_EQ(want, bytes);

    CComPtr<ISearchItem> loaded;
    EngineCreateInstance(CLSID_SearchItem, &loaded);
    ULONG oldID = 0, newID = 0;
    empty->get_ID(&oldID);
    loaded->get_ID(&newID);
    CComQIPtr<IPersistStream> persist(loaded);
    CComPtr<IStream> stream = StreamOf(bytes);
    ASSERT_EQ(S_OK, persist->Load(stream));
    EXPECT_EQ(bytes.size(), StreamPosition(stream));
    CComBSTR name, value;
    loaded->get_ItemName(&name);
    loaded->get_ItemValue(&value);
    ASSERT_NE(nullptr, name.m_str);
    EXPECT_EQ(0u, name.Length());
    EXPECT_EQ(nullptr, value.m_str);
    LONG_PTR root = 0;
    loaded->get_RootKey(&root);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE), root);
    EXPECT_EQ((std::vector<BYTE>{0xAA, 0xBB}), GetData(loaded));
    ULONG id = 0;
    loaded->get_ID(&id);
    EXPECT_EQ(newID, id);
    EXPECT_NE(oldID, id);
    EXPECT_EQ(S_OK, empty->IsEqual(loaded));

    EXPECT_EQ(E_INVALIDARG, persist->Load(nullptr));
    EXPECT_EQ(E_INVALIDARG, persist->Save(nullptr, TRUE));

    // Empty collection: four zero bytes.
    CComPtr<IThreatCollection> coll;
    EngineCreateInstance(CLSID_ThreatCollection, &coll);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), SaveOf(coll));
}

TEST_F(ComTest, StreamThreatRoundTripKeepsItemsButNotUrl)
{
    CComPtr<IThreat> threat = NewThreat(77, L"Spy");
    threat->put_Description(CComBSTR(L"desc"));
    threat->put_URL(CComBSTR(L"http://x"));
    threat->put_Risk(3);
    CComPtr<ISearchItem> items[3] = {NewItem(saProcesses, L"p.exe"), NewItem(saRegistry, L"Software\\S", L"v"),
                                     NewItem(saCookies, L"c.txt")};
    items[0]->put_Known(1);
    items[0]->put_Quarantine(0);
    SetData(items[1], {1, 2});
    for (auto& i : items)
        ASSERT_EQ(S_OK, threat->Add(i));
    std::vector<BYTE> bytes = SaveOf(threat);

    CComPtr<IThreat> loaded;
    EngineCreateInstance(CLSID_Threat, &loaded);
    CComQIPtr<IPersistStream> persist(loaded);
    ASSERT_EQ(S_OK, persist->Load(StreamOf(bytes)));
    ULONG id = 0, risk = 0;
    LONG count = 0;
    CComBSTR name, desc, url;
    loaded->get_ID(&id);
    loaded->get_Risk(&risk);
    loaded->get_Count(&count);
    loaded->get_Name(&name);
    loaded->get_Description(&desc);
    loaded->get_URL(&url);
    EXPECT_EQ(77u, id);
    EXPECT_EQ(3u, risk);
    EXPECT_EQ("Spy", Narrow(name));
    EXPECT_EQ("desc", Narrow(desc));
    EXPECT_EQ(nullptr, url.m_str);
    ASSERT_EQ(3, count);
    for (int i = 0; i < 3; ++i)
    {
        CComPtr<ISearchItem> got;
        loaded->get_Item(i, &got);
        EXPECT_EQ(S_OK, items[i]->IsEqual(got)) << i;
        ULONG a = 0, b = 0;
        items[i]->get_ID(&a);
        got->get_ID(&b);
        EXPECT_NE(a, b);
    }
    CComPtr<ISearchItem> first;
    loaded->get_Item(0, &first);
    LONG flag = -1;
    first->get_Quarantine(&flag); EXPECT_EQ(1, flag);
    first->get_Known(&flag); EXPECT_EQ(0, flag);

    // Loading into a threat that holds a URL keeps it.
    CComPtr<IThreat> withUrl = NewThreat(1, L"old");
    withUrl->put_URL(CComBSTR(L"keep"));
    CComQIPtr<IPersistStream>(withUrl)->Load(StreamOf(bytes));
    withUrl->get_URL(&url);
    EXPECT_EQ("keep", Narrow(url));
}

TEST_F(ComTest, StreamDuplicateItemsLoadOnceAndStayAligned)
{
    // Collection: threat 5 with two equal items, then threat 6 with one item.
    std::vector<BYTE> itemBytes = SaveOf(NewItem(saQuickDisk, L"ab"));
    std::vector<BYTE> bytes;
    AppendU32(bytes, 2);
    AppendU32(bytes, 5); AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 1); AppendU32(bytes, 2);
    bytes.insert(bytes.end(), itemBytes.begin(), itemBytes.end());
    bytes.insert(bytes.end(), itemBytes.begin(), itemBytes.end());
    AppendU32(bytes, 6); AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 2); AppendU32(bytes, 1);
    bytes.insert(bytes.end(), itemBytes.begin(), itemBytes.end());

    CComPtr<IThreatCollection> coll;
    EngineCreateInstance(CLSID_ThreatCollection, &coll);
    // Whatever the collection held goes, without OnItemRemoved.
    coll->Add(NewThreat(1, L"before"));
    CComPtr<IUnknown> holder;
    CComObject<CEventRecorder>* recorder = NewRecorder(holder);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, AtlAdvise(coll, holder, IID_IThreatCollectionEvents, &cookie));
    CComPtr<IStream> stream = StreamOf(bytes);
    ASSERT_EQ(S_OK, CComQIPtr<IPersistStream>(coll)->Load(stream));
    EXPECT_EQ(bytes.size(), StreamPosition(stream));
    LONG count = 0;
    coll->get_Count(&count);
    ASSERT_EQ(2, count);
    CComPtr<IThreat> t5, t6;
    coll->get_Item(0, &t5);
    coll->get_Item(1, &t6);
    ULONG id = 0;
    t5->get_ID(&id); EXPECT_EQ(5u, id);
    t6->get_ID(&id); EXPECT_EQ(6u, id);
    t5->get_Count(&count); EXPECT_EQ(1, count);
    t6->get_Count(&count); EXPECT_EQ(1, count);
    // A load raises OnItemAdded per threat, no sub-item events, no removals.
    EXPECT_EQ((std::vector<std::string>{"Added <null>", "Added <null>"}), recorder->events);
    AtlUnadvise(coll, IID_IThreatCollectionEvents, cookie);
    coll->Clear();
}

TEST_F(ComTest, StreamHostileInputFailsInBounds)
{
    auto loadItem = [](const std::vector<BYTE>& bytes, ULONGLONG* pos) {
        CComPtr<ISearchItem> item;
        EngineCreateInstance(CLSID_SearchItem, &item);
        CComPtr<IStream> stream = StreamOf(bytes);
        HRESULT hr = CComQIPtr<IPersistStream>(item)->Load(stream);
        if (pos) *pos = StreamPosition(stream);
        return hr;
    };
    ULONGLONG pos = 0;
    // Lengths 1 and odd lengths are refused; the stream goes back to the length.
    std::vector<BYTE> bytes;
    AppendU32(bytes, 3); AppendU32(bytes, 1); Append(bytes, {0x41, 0, 0, 0});
    EXPECT_EQ(E_FAIL, loadItem(bytes, &pos));
    EXPECT_EQ(4u, pos);
    bytes.clear();
    AppendU32(bytes, 3); AppendU32(bytes, 5); Append(bytes, {0x41, 0, 0x42, 0, 0, 0});
    EXPECT_EQ(E_FAIL, loadItem(bytes, &pos));
    EXPECT_EQ(4u, pos);
    // A huge length is refused before any allocation.
    bytes.clear();
    AppendU32(bytes, 3); AppendU32(bytes, 0xFFFFFFFE);
    EXPECT_EQ(E_FAIL, loadItem(bytes, &pos));
    EXPECT_EQ(4u, pos);
    // A text cut short by the end of the stream.
    bytes.clear();
    AppendU32(bytes, 3); AppendU32(bytes, 10); Append(bytes, {0x41, 0});
    EXPECT_EQ(E_FAIL, loadItem(bytes, &pos));
    EXPECT_EQ(4u, pos);
    // Short u32 fields.
    EXPECT_EQ(E_FAIL, loadItem({3, 0}, nullptr));
    EXPECT_EQ(E_FAIL, loadItem({}, nullptr));
    // Data length past the stream, and above the cap.
    bytes.clear();
    AppendU32(bytes, 3); AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 0);
    std::vector<BYTE> past = bytes;
    AppendU32(past, 100); Append(past, {1, 2, 3});
    EXPECT_EQ(E_FAIL, loadItem(past, nullptr));
    std::vector<BYTE> huge = bytes;
    AppendU32(huge, kMaxStreamBlock + 1);
    EXPECT_EQ(E_FAIL, loadItem(huge, nullptr));

    // A text without its terminator in the stream still ends in one.
    bytes.clear();
    AppendU32(bytes, 3); AppendU32(bytes, 6); Append(bytes, {0x41, 0, 0x42, 0, 0x43, 0});
    AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 0); AppendU32(bytes, 0);
    CComPtr<ISearchItem> item;
    EngineCreateInstance(CLSID_SearchItem, &item);
    ASSERT_EQ(S_OK, CComQIPtr<IPersistStream>(item)->Load(StreamOf(bytes)));
    CComBSTR name;
    item->get_ItemName(&name);
    EXPECT_EQ(2u, name.Length());
    EXPECT_EQ(L'\0', name.m_str[2]);

    // A collection whose count promises more than the stream holds keeps
    // what it loaded and fails.
    std::vector<BYTE> collBytes;
    AppendU32(collBytes, 1000);
    AppendU32(collBytes, 9); AppendU32(collBytes, 0); AppendU32(collBytes, 0); AppendU32(collBytes, 0); AppendU32(collBytes, 0);
    CComPtr<IThreatCollection> coll;
    EngineCreateInstance(CLSID_ThreatCollection, &coll);
    EXPECT_EQ(E_FAIL, CComQIPtr<IPersistStream>(coll)->Load(StreamOf(collBytes)));
    LONG count = 0;
    coll->get_Count(&count);
    EXPECT_EQ(1, count);
    coll->Clear();
}
