#include "com_test_support.h"

namespace {

// A threat whose connection point refuses every subscription and counts
// Unadvise calls; everything else is not needed by the collection.
class CRefusingThreat : public CComObjectRootEx<CComSingleThreadModel>,
                        public IThreat,
                        public IConnectionPointContainer,
                        public IConnectionPoint
{
public:
    BEGIN_COM_MAP(CRefusingThreat)
        COM_INTERFACE_ENTRY(IThreat)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        COM_INTERFACE_ENTRY(IConnectionPoint)
    END_COM_MAP()

    int unadviseCalls = 0;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint** cp) override
    {
        *cp = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown*, DWORD* cookie) override { *cookie = 0; return CONNECT_E_ADVISELIMIT; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { ++unadviseCalls; return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Item(INT, ISearchItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Lookup(ULONG, ISearchItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindItem(ISearchItem*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateElement(CLSID, ISearchItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(ISearchItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Remove(INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveByID(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { *name = SysAllocString(L"refusing"); return S_OK; }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Description(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Risk(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Risk(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ID(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override { *id = 4242; return S_OK; }
};

} // namespace

TEST_F(ComTest, ThreatResultsForIndexesLookupsAndDuplicates)
{
    CComPtr<IThreat> threat;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Threat, &threat));
    ULONG id = 9, risk = 9, index = 0;
    LONG count = -1;
    CComBSTR text;
    threat->get_ID(&id); EXPECT_EQ(0u, id);
    threat->get_Risk(&risk); EXPECT_EQ(0u, risk);
    threat->get_Count(&count); EXPECT_EQ(0, count);
    threat->get_Name(&text); EXPECT_EQ(nullptr, text.m_str);
    IUnknown* en = nullptr;
    EXPECT_EQ(E_NOTIMPL, threat->get__NewEnum(&en));

    CComPtr<ISearchItem> probe = NewItem(saQuickDisk, L"x");
    EXPECT_EQ(S_FALSE, threat->FindItem(probe, &index));
    EXPECT_EQ(0xFFFFFFFFu, index);
    EXPECT_EQ(E_POINTER, threat->FindItem(probe, nullptr));
    EXPECT_EQ(E_POINTER, threat->Add(nullptr));

    CComPtr<ISearchItem> a = NewItem(saQuickDisk, L"a"), b = NewItem(saQuickDisk, L"b");
    EXPECT_EQ(S_OK, threat->Add(a));
    EXPECT_EQ(S_OK, threat->Add(b));
    EXPECT_EQ(E_INVALIDARG, threat->Add(NewItem(saQuickDisk, L"b")));
    threat->get_Count(&count); EXPECT_EQ(2, count);
    EXPECT_EQ(S_OK, threat->FindItem(NewItem(saQuickDisk, L"b"), &index));
    EXPECT_EQ(1u, index);

    CComPtr<ISearchItem> got;
    EXPECT_EQ(E_INVALIDARG, threat->get_Item(2, &got));
    EXPECT_EQ(E_INVALIDARG, threat->get_Item(-1, &got));
    EXPECT_EQ(E_INVALIDARG, threat->get_Item(2, nullptr));   // the index is checked first
    EXPECT_EQ(E_POINTER, threat->get_Item(0, nullptr));
    EXPECT_EQ(S_OK, threat->get_Item(1, &got));
    EXPECT_EQ(b.p, got.p);

    ULONG idB = 0;
    b->get_ID(&idB);
    ISearchItem* untouched = reinterpret_cast<ISearchItem*>(0x1234);
    EXPECT_EQ(E_INVALIDARG, threat->Lookup(idB + 1000, &untouched));
    EXPECT_EQ(reinterpret_cast<ISearchItem*>(0x1234), untouched);
    got.Release();
    EXPECT_EQ(S_OK, threat->Lookup(idB, &got));
    EXPECT_EQ(b.p, got.p);

    EXPECT_EQ(E_INVALIDARG, threat->Remove(2));
    EXPECT_EQ(E_INVALIDARG, threat->RemoveByID(idB + 1000));
    EXPECT_EQ(S_OK, threat->RemoveByID(idB));
    threat->get_Count(&count); EXPECT_EQ(1, count);

    CComPtr<ISearchItem> made;
    EXPECT_EQ(S_OK, threat->CreateElement(CLSID_SearchItem, &made));
    threat->get_Count(&count); EXPECT_EQ(1, count);
    CComPtr<ISearchItem> wrong;
    EXPECT_EQ(E_NOINTERFACE, threat->CreateElement(CLSID_Threat, &wrong));

    // QueryInterface: IThreat, IPersistStream, IConnectionPointContainer.
    EXPECT_TRUE(CComQIPtr<IPersistStream>(threat));
    EXPECT_TRUE(CComQIPtr<IConnectionPointContainer>(threat));
    EXPECT_FALSE(CComQIPtr<IThreatEvents>(threat));
}

TEST_F(ComTest, CollectionResultsForIndexesAndLookups)
{
    CComPtr<IThreatCollection> coll;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_ThreatCollection, &coll));
    LONG complete = 0, count = -1;
    coll->get_Complete(&complete); EXPECT_EQ(1, complete);
    coll->put_Complete(0);
    coll->get_Complete(&complete); EXPECT_EQ(0, complete);
    EXPECT_EQ(E_POINTER, coll->get_Complete(nullptr));
    IThreat* untouched = reinterpret_cast<IThreat*>(0x1234);
    EXPECT_EQ(E_INVALIDARG, coll->Lookup(1, &untouched));
    EXPECT_EQ(reinterpret_cast<IThreat*>(0x1234), untouched);
    EXPECT_EQ(E_POINTER, coll->Add(nullptr));

    // No duplicate test: two threats with one ID; the first one is found.
    CComPtr<IThreat> t1 = NewThreat(7, L"one"), t2 = NewThreat(7, L"two");
    EXPECT_EQ(S_OK, coll->Add(t1));
    EXPECT_EQ(S_OK, coll->Add(t2));
    coll->get_Count(&count); EXPECT_EQ(2, count);
    CComPtr<IThreat> found;
    EXPECT_EQ(S_OK, coll->Lookup(7, &found));
    EXPECT_EQ(t1.p, found.p);
    EXPECT_EQ(E_INVALIDARG, coll->get_Item(2, &found.p));
    EXPECT_EQ(E_INVALIDARG, coll->Remove(2));
    EXPECT_EQ(E_INVALIDARG, coll->RemoveByID(8));
    EXPECT_EQ(S_OK, coll->RemoveByID(7));
    found.Release();
    coll->get_Item(0, &found);
    EXPECT_EQ(t2.p, found.p);

    CComPtr<IThreat> made;
    EXPECT_EQ(S_OK, coll->CreateElement(CLSID_Threat, &made));
    coll->get_Count(&count); EXPECT_EQ(1, count);
    EXPECT_TRUE(CComQIPtr<IThreatEvents>(coll));
    coll->Clear();
}

TEST_F(ComTest, CollectionEventsInOrderAndNoneAfterClearOrRemove)
{
    CComPtr<IThreatCollection> coll;
    EngineCreateInstance(CLSID_ThreatCollection, &coll);
    CComPtr<IUnknown> h1, h2;
    CComObject<CEventRecorder>* r1 = NewRecorder(h1);
    CComObject<CEventRecorder>* r2 = NewRecorder(h2);
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(S_OK, AtlAdvise(coll, h1, IID_IThreatCollectionEvents, &c1));
    ASSERT_EQ(S_OK, AtlAdvise(coll, h2, IID_IThreatCollectionEvents, &c2));

    CComPtr<IThreat> spy = NewThreat(1, L"Spy"), ad = NewThreat(2, L"Ad");
    coll->Add(spy);
    spy->Add(NewItem(saQuickDisk, L"f1"));
    spy->Add(NewItem(saQuickDisk, L"f1"));      // refused: no event
    coll->Add(ad);
    ad->Add(NewItem(saHosts, L"h"));
    spy->Remove(0);
    const std::vector<std::string> expected = {"Added Spy", "SubAdded Spy f1", "Added Ad", "SubAdded Ad h",
                                               "SubRemoved Spy f1"};
    EXPECT_EQ(expected, r1->events);
    EXPECT_EQ(expected, r2->events);

    // The last sink's answer is what the threat's event returns to it.
    r2->answer = E_ACCESSDENIED;
    CComQIPtr<IThreatEvents> asSink(coll);
    EXPECT_EQ(E_ACCESSDENIED, asSink->OnItemUpdated(spy, nullptr));
    r1->answer = E_FAIL;
    r2->answer = S_OK;
    EXPECT_EQ(S_OK, asSink->OnItemUpdated(spy, nullptr));
    r1->answer = S_OK;

    // A removed threat no longer reaches the collection.
    r1->events.clear();
    EXPECT_EQ(S_OK, coll->Remove(0));
    spy->Add(NewItem(saQuickDisk, L"late"));
    EXPECT_EQ((std::vector<std::string>{"Removed Spy"}), r1->events);

    // Clear raises nothing, on either class, and ends the subscriptions.
    r1->events.clear();
    ad->Clear();
    coll->Clear();
    ad->Add(NewItem(saQuickDisk, L"after"));
    EXPECT_TRUE(r1->events.empty());

    // Threat events straight from a threat, in order: added, then removed.
    CComPtr<IThreat> solo = NewThreat(3, L"Solo");
    DWORD c3 = 0;
    ASSERT_EQ(S_OK, AtlAdvise(solo, h1, IID_IThreatEvents, &c3));
    solo->Add(NewItem(saCookies, L"c"));
    solo->RemoveByID(0xFFFFFF);
    solo->Remove(0);
    EXPECT_EQ((std::vector<std::string>{"ItemAdded Solo c", "ItemRemoved Solo c"}), r1->events);
    AtlUnadvise(solo, IID_IThreatEvents, c3);
    AtlUnadvise(coll, IID_IThreatCollectionEvents, c1);
    AtlUnadvise(coll, IID_IThreatCollectionEvents, c2);
}

TEST_F(ComTest, CollectionKeepsThreatWhoseSubscriptionFailed)
{
    CComPtr<IThreatCollection> coll;
    EngineCreateInstance(CLSID_ThreatCollection, &coll);
    CComObject<CRefusingThreat>* refusing = nullptr;
    CComObject<CRefusingThreat>::CreateInstance(&refusing);
    CComPtr<IThreat> threat(refusing);
    EXPECT_EQ(S_OK, coll->Add(threat));
    LONG count = 0;
    coll->get_Count(&count);
    EXPECT_EQ(1, count);
    EXPECT_EQ(S_OK, coll->Remove(0));
    EXPECT_EQ(0, refusing->unadviseCalls);
    coll->Add(threat);
    coll->Clear();
    EXPECT_EQ(0, refusing->unadviseCalls);
}

TEST_F(ComTest, PathsAndBackupValues)
{
    CComPtr<IPaths> paths;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Paths, &paths));
    LONG count = -1;
    paths->get_Count(&count); EXPECT_EQ(0, count);
    EXPECT_EQ(E_POINTER, paths->get_Count(nullptr));
    CComBSTR path;
    EXPECT_EQ(E_INVALIDARG, paths->get_Item(0, &path));
    EXPECT_EQ(S_OK, paths->Add(CComBSTR(L"C:\\a\\")));
    EXPECT_EQ(S_OK, paths->Add(CComBSTR(L"C:\\a\\")));
    EXPECT_EQ(S_OK, paths->Add(nullptr));
    paths->get_Count(&count); EXPECT_EQ(3, count);
    EXPECT_EQ(E_POINTER, paths->get_Item(0, nullptr));
    EXPECT_EQ(E_INVALIDARG, paths->Remove(3));
    EXPECT_EQ(S_OK, paths->Remove(0));
    EXPECT_EQ(S_OK, paths->get_Item(0, &path));
    EXPECT_EQ("C:\\a\\", Narrow(path));
    EXPECT_EQ(S_OK, paths->get_Item(1, &path));
    EXPECT_EQ(nullptr, path.m_str);
    EXPECT_EQ(S_OK, paths->Clear());
    paths->get_Count(&count); EXPECT_EQ(0, count);
    IUnknown* en = nullptr;
    EXPECT_EQ(E_NOTIMPL, paths->get__NewEnum(&en));
    EXPECT_FALSE(CComQIPtr<IPersistStream>(paths));

    CComPtr<IBackup> b1, b2;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &b1));
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &b2));
    DATE d1 = 0, d2 = 0;
    b1->get_Time(&d1);
    b2->get_Time(&d2);
    EXPECT_LT(d2 - d1, 2.0 / 86400);        // same second unless a tick passed between
    SYSTEMTIME st;
    VariantTimeToSystemTime(d1, &st);
    EXPECT_EQ(0, st.wMilliseconds);
    EXPECT_EQ(E_POINTER, b1->get_Time(nullptr));
    b1->put_Time(40000.5);
    b1->get_Time(&d1);
    EXPECT_EQ(40000.5, d1);

    CComPtr<IThreatCollection> items;
    ASSERT_EQ(S_OK, b1->get_Items(&items));
    LONG complete = 0;
    items->get_Count(&count); EXPECT_EQ(0, count);
    items->get_Complete(&complete); EXPECT_EQ(1, complete);
    // Shared, not copied.
    CComPtr<IThreatCollection> mine;
    EngineCreateInstance(CLSID_ThreatCollection, &mine);
    b2->put_Items(mine);
    CComPtr<IThreatCollection> back;
    b2->get_Items(&back);
    EXPECT_EQ(mine.p, back.p);
    EXPECT_EQ(S_OK, b1->put_Items(nullptr));
    items.Release();
    EXPECT_EQ(E_UNEXPECTED, b1->get_Items(&items));
    EXPECT_FALSE(CComQIPtr<IPersistStream>(b1));
}
