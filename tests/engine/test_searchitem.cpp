#include "com_test_support.h"

#include "engine/comhelpers.h"
#include "engine/searchitem.h"

namespace {

std::string DisplayNameOf(ScanAreaType type, LONG_PTR root, const wchar_t* name)
{
    CComPtr<ISearchItem> item = NewItem(type, name);
    item->put_RootKey(root);
    CComBSTR text;
    EXPECT_EQ(S_OK, item->get_DisplayName(&text));
    return Narrow(text);
}

} // namespace

TEST_F(ComTest, SearchItemDefaultsAndTypeReset)
{
    CComPtr<ISearchItem> a, b;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_SearchItem, &a));
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_SearchItem, &b));
    ULONG idA = 0, idB = 0;
    a->get_ID(&idA);
    b->get_ID(&idB);
    EXPECT_EQ(idA + 1, idB);

    ScanAreaType type = saProcesses;
    LONG flag = -1;
    LONG_PTR root = -1;
    ULONG valueType = 9;
    CComBSTR text;
    EXPECT_EQ(S_OK, a->get_Type(&type));
    EXPECT_EQ(saMaxAreaNumber, type);
    a->get_Quarantine(&flag); EXPECT_EQ(1, flag);
    a->get_Repair(&flag); EXPECT_EQ(0, flag);
    a->get_Ignore(&flag); EXPECT_EQ(0, flag);
    a->get_Known(&flag); EXPECT_EQ(0, flag);
    a->get_RootKey(&root); EXPECT_EQ(0, root);
    a->get_ValueType(&valueType); EXPECT_EQ(0u, valueType);
    EXPECT_EQ(S_OK, a->get_ItemName(&text)); EXPECT_EQ(nullptr, text.m_str);
    EXPECT_EQ(S_OK, a->get_ItemValue(&text)); EXPECT_EQ(nullptr, text.m_str);
    SAFEARRAY* none = nullptr;
    ULONG length = 7;
    EXPECT_EQ(S_OK, a->GetValueData(0, &none, &length));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(S_OK, a->GetValueData(0, nullptr, &length));
    EXPECT_EQ(E_POINTER, a->GetValueData(0, &none, nullptr));

    // Null out pointers.
    EXPECT_EQ(E_POINTER, a->get_ID(nullptr));
    EXPECT_EQ(E_POINTER, a->get_Type(nullptr));
    EXPECT_EQ(E_POINTER, a->get_Quarantine(nullptr));
    EXPECT_EQ(E_POINTER, a->get_RootKey(nullptr));
    EXPECT_EQ(E_POINTER, a->get_DisplayName(nullptr));
    EXPECT_EQ(E_POINTER, a->get_ItemName(nullptr));
    EXPECT_EQ(E_POINTER, a->get_Known(nullptr));

    // put_Type clears what was set before it, but not ID, flags or root key.
    a->put_ItemName(CComBSTR(L"C:\\x.exe"));
    a->put_ItemValue(CComBSTR(L"v"));
    a->put_ValueType(4);
    a->put_Quarantine(0);
    a->put_Repair(1);
    a->put_Ignore(1);
    a->put_Known(1);
    a->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
    a->put_ID(500);
    EXPECT_EQ(S_OK, SetData(a, {1, 2, 3}));
    EXPECT_EQ(S_OK, a->put_Type(saQuickDisk));
    a->get_ItemName(&text); EXPECT_EQ(nullptr, text.m_str);
    a->get_ItemValue(&text); EXPECT_EQ(nullptr, text.m_str);
    a->get_ValueType(&valueType); EXPECT_EQ(0u, valueType);
    a->get_Quarantine(&flag); EXPECT_EQ(1, flag);
    a->get_Repair(&flag); EXPECT_EQ(1, flag);
    a->get_Ignore(&flag); EXPECT_EQ(1, flag);
    a->get_Known(&flag); EXPECT_EQ(1, flag);
    a->get_RootKey(&root); EXPECT_EQ(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE), root);
    a->get_ID(&idA); EXPECT_EQ(500u, idA);
    EXPECT_TRUE(GetData(a).empty());
    a->put_ItemName(CComBSTR(L"kept"));
    a->get_ItemName(&text);
    EXPECT_EQ("kept", Narrow(text));

    // Names are copied up to the first NUL; a get keeps the byte length.
    CComBSTR embedded(5, L"ab\0cd");
    a->put_ItemName(embedded);
    a->get_ItemName(&text);
    EXPECT_EQ(2u, text.Length());

    // Only IUnknown, ISearchItem and IPersistStream.
    CComQIPtr<IPersistStream> persist(a);
    EXPECT_TRUE(persist);
    CComQIPtr<IPersist> plain(a);
    EXPECT_FALSE(plain);
    CLSID clsid;
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_SearchItem, clsid));
    EXPECT_EQ(S_OK, persist->IsDirty());
    ULARGE_INTEGER max;
    EXPECT_EQ(E_NOTIMPL, persist->GetSizeMax(&max));
}

TEST_F(ComTest, SearchItemDisplayNameForEveryRootKey)
{
    const LONG_PTR hkcr = reinterpret_cast<LONG_PTR>(HKEY_CLASSES_ROOT);
    const LONG_PTR hkcu = reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER);
    const LONG_PTR hklm = reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE);
    const LONG_PTR hku = reinterpret_cast<LONG_PTR>(HKEY_USERS);
    EXPECT_EQ("[HKEY_CLASSES_ROOT\\CLSID\\X]", DisplayNameOf(saRegistry, hkcr, L"CLSID\\X"));
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software\\X]", DisplayNameOf(saRegistry, hkcu, L"Software\\X"));
    EXPECT_EQ("[HKEY_LOCAL_MACHINE\\Software\\X]", DisplayNameOf(saGuardedRegistry, hklm, L"Software\\X"));
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software\\X]", DisplayNameOf(saRegistry, hku, L"S-1-5-21-1\\Software\\X"));
    EXPECT_EQ("[HKEY_CURRENT_USERSoftware]", DisplayNameOf(saRegistry, hku, L"Software"));
    EXPECT_EQ("]", DisplayNameOf(saRegistry, static_cast<LONG_PTR>(static_cast<LONG>(0x80000005)), L"Software\\X"));
    EXPECT_EQ("[HKEY_LOCAL_MACHINE\\]", DisplayNameOf(saRegistry, hklm, nullptr));
    // The 32-bit form of a root key is the same key.
    EXPECT_EQ("[HKEY_LOCAL_MACHINE\\A]", DisplayNameOf(saRegistry, 0x80000002, L"A"));
    EXPECT_EQ("C:\\Windows\\bad.exe", DisplayNameOf(saQuickDisk, hklm, L"C:\\Windows\\bad.exe"));
    EXPECT_EQ("<null>", DisplayNameOf(saProcesses, 0, nullptr));
}

TEST_F(ComTest, SearchItemIsEqualByTypeNamesAndRegistryData)
{
    CComPtr<ISearchItem> f1 = NewItem(saQuickDisk, L"C:\\Bad.exe");
    CComPtr<ISearchItem> f2 = NewItem(saQuickDisk, L"C:\\bad.exe");
    CComPtr<ISearchItem> f3 = NewItem(saQuickDisk, L"C:\\Bad.exe");
    CComPtr<ISearchItem> f4 = NewItem(saFullDisk, L"C:\\Bad.exe");
    EXPECT_EQ(S_FALSE, f1->IsEqual(f2));    // letter case counts
    EXPECT_EQ(S_FALSE, f1->IsEqual(f4));    // type counts
    SetData(f1, {1});
    SetData(f3, {2, 3});
    f3->put_Known(1);
    f3->put_ID(99);
    EXPECT_EQ(S_OK, f1->IsEqual(f3));       // data, ID, Known do not count for files
    EXPECT_EQ(E_POINTER, f1->IsEqual(nullptr));

    CComPtr<ISearchItem> v1 = NewItem(saQuickDisk, L"C:\\a");
    CComPtr<ISearchItem> v2 = NewItem(saQuickDisk, L"C:\\a", L"x");
    CComPtr<ISearchItem> v3 = NewItem(saQuickDisk, L"C:\\a", L"");
    EXPECT_EQ(S_FALSE, v1->IsEqual(v2));
    EXPECT_EQ(S_OK, v1->IsEqual(v3));       // null and empty have the same length

    CComPtr<ISearchItem> r1 = NewItem(saRegistry, L"Software\\Run", L"bad");
    CComPtr<ISearchItem> r2 = NewItem(saRegistry, L"Software\\Run", L"bad");
    for (ISearchItem* r : {r1.p, r2.p})
    {
        r->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
        r->put_ValueType(REG_SZ);
        SetData(r, {'a', 0});
    }
    EXPECT_EQ(S_OK, r1->IsEqual(r2));
    SetData(r2, {'b', 0});
    EXPECT_EQ(S_FALSE, r1->IsEqual(r2));    // same length, other bytes
    SetData(r2, {'a', 0, 0});
    EXPECT_EQ(S_FALSE, r1->IsEqual(r2));    // other length
    SetData(r2, {'a', 0});
    r2->put_ValueType(REG_EXPAND_SZ);
    EXPECT_EQ(S_FALSE, r1->IsEqual(r2));
    r2->put_ValueType(REG_SZ);
    r2->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
    EXPECT_EQ(S_FALSE, r1->IsEqual(r2));
    r2->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(S_OK, r1->IsEqual(r2));
    // GoodValue takes no part.
    BYTE goodBytes[2] = {5, 6};
    SAFEARRAY* good = CreateByteSafeArray(goodBytes, 2);
    EXPECT_EQ(S_OK, r2->SetGoodValue(2, &good));
    SafeArrayDestroy(good);
    EXPECT_EQ(S_OK, r1->IsEqual(r2));
}

TEST_F(ComTest, SearchItemByteArraysStayInBounds)
{
    CComPtr<ISearchItem> item = NewItem(saRegistry, L"k");
    EXPECT_EQ(S_OK, SetData(item, {1, 2, 3, 4}));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4}), GetData(item));
    EXPECT_TRUE(GetData(item, true).empty());

    // An array shorter than the size: its bytes, then zeros; nothing beyond it is read.
    SAFEARRAYBOUND two = {2, 0};
    SAFEARRAY* shortArray = SafeArrayCreate(VT_UI1, 1, &two);
    LONG i0 = 0, i1 = 1;
    BYTE b9 = 9, b8 = 8;
    SafeArrayPutElement(shortArray, &i0, &b9);
    SafeArrayPutElement(shortArray, &i1, &b8);
    EXPECT_EQ(S_OK, item->SetGoodValue(5, &shortArray));
    EXPECT_EQ((std::vector<BYTE>{9, 8, 0, 0, 0}), GetData(item, true));

    // A missing array leaves the data as it was.
    SAFEARRAY* none = nullptr;
    EXPECT_EQ(E_POINTER, item->SetValueData(3, &none));
    EXPECT_EQ(E_POINTER, item->SetValueData(3, nullptr));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4}), GetData(item));

    // A locked-down array that cannot be accessed: its HRESULT, data unchanged.
    SAFEARRAY* locked = SafeArrayCreate(VT_UI1, 1, &two);
    locked->cLocks = 0xFFFF;
    HRESULT lockedHr = item->SetValueData(2, &locked);
    EXPECT_TRUE(FAILED(lockedHr));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4}), GetData(item));
    locked->cLocks = 0;
    SafeArrayDestroy(locked);

    // Copying out into a too-small array fails at the first index past its end.
    ULONG real = 0;
    EXPECT_EQ(DISP_E_BADINDEX, item->GetValueData(0, &shortArray, &real));
    EXPECT_EQ(4u, real);
    SafeArrayDestroy(shortArray);

    // Size 0 empties without touching the array argument.
    EXPECT_EQ(S_OK, item->SetValueData(0, nullptr));
    EXPECT_TRUE(GetData(item).empty());
}
