#include <gtest/gtest.h>

#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

#include <cstring>

namespace {

// {4C0B0F0E-7A51-4D59-9D0C-6B1E2E7E31A1}
const CLSID CLSID_TestWidget = {0x4c0b0f0e, 0x7a51, 0x4d59, {0x9d, 0x0c, 0x6b, 0x1e, 0x2e, 0x7e, 0x31, 0xa1}};
// {4C0B0F0E-7A51-4D59-9D0C-6B1E2E7E31A2}
const CLSID CLSID_Unlisted = {0x4c0b0f0e, 0x7a51, 0x4d59, {0x9d, 0x0c, 0x6b, 0x1e, 0x2e, 0x7e, 0x31, 0xa2}};

int g_widgetsAlive = 0;
HRESULT g_finalConstructResult = S_OK;

// An object with two interfaces and one outgoing interface (IPropertyNotifySink).
class CTestWidget : public CComObjectRootEx<CComSingleThreadModel>,
                    public CComCoClass<CTestWidget, &CLSID_TestWidget>,
                    public IPersist,
                    public IConnectionPointContainerImpl<CTestWidget>,
                    public IConnectionPointImpl<CTestWidget, &IID_IPropertyNotifySink>
{
public:
    CTestWidget() { ++g_widgetsAlive; }
    ~CTestWidget() { --g_widgetsAlive; }
    HRESULT FinalConstruct() { return g_finalConstructResult; }

    BEGIN_COM_MAP(CTestWidget)
        COM_INTERFACE_ENTRY(IPersist)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CTestWidget)
        CONNECTION_POINT_ENTRY(IID_IPropertyNotifySink)
    END_CONNECTION_POINT_MAP()

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override
    {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_TestWidget;
        return S_OK;
    }

    HRESULT FireChanged(DISPID id)
    {
        return FireToSinks<IPropertyNotifySink>(Sinks(), [id](IPropertyNotifySink* s) { return s->OnChanged(id); });
    }
};

BEGIN_OBJECT_MAP(g_testObjects)
    OBJECT_ENTRY(CLSID_TestWidget, CTestWidget)
END_OBJECT_MAP()

// A sink that records calls into a shared journal and answers a fixed HRESULT.
class CTestSink : public IPropertyNotifySink
{
public:
    CTestSink(int tag, std::vector<int>* journal, HRESULT answer)
        : m_ref(1), m_tag(tag), m_journal(journal), m_answer(answer) {}
    virtual ~CTestSink() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyNotifySink))
        {
            *ppv = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_ref); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG l = --m_ref;
        if (l == 0) delete this;
        return static_cast<ULONG>(l);
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override
    {
        m_journal->push_back(m_tag * 100 + static_cast<int>(id));
        return m_answer;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    LONG m_ref;
private:
    int m_tag;
    std::vector<int>* m_journal;
    HRESULT m_answer;
};

// An IUnknown that has no IPropertyNotifySink.
class CPlainUnknown : public IUnknown
{
public:
    virtual ~CPlainUnknown() {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (IsEqualIID(iid, IID_IUnknown)) { *ppv = this; return S_OK; }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Stand-in outer unknown for the aggregation refusal.
IUnknown* u_ptr()
{
    static CPlainUnknown outer;
    return &outer;
}

class AtlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        g_finalConstructResult = S_OK;
    }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

TEST_F(AtlTest, ConversionHelpersKeepNullAndRoundTrip)
{
    EXPECT_EQ(nullptr, static_cast<LPWSTR>(CA2W(nullptr)));
    EXPECT_EQ(nullptr, static_cast<LPSTR>(CW2A(nullptr)));
    EXPECT_STREQ(L"", static_cast<LPWSTR>(CA2W("")));
    EXPECT_STREQ("", static_cast<LPSTR>(CW2A(L"")));
    EXPECT_STREQ(L"C:\\Temp\\a b.txt", static_cast<LPWSTR>(CA2W("C:\\Temp\\a b.txt")));
    EXPECT_STREQ("Software\\X", static_cast<LPSTR>(CW2A(L"Software\\X")));
    // UTF-8 both ways; a character outside the ANSI page becomes its default char.
    EXPECT_STREQ("\xc3\xa9t\xc3\xa9", static_cast<LPSTR>(CW2A(L"\x00e9t\x00e9", CP_UTF8)));
    EXPECT_STREQ(L"\x00e9t\x00e9", static_cast<LPWSTR>(CA2W("\xc3\xa9t\xc3\xa9", CP_UTF8)));
    EXPECT_STREQ("?", static_cast<LPSTR>(CW2A(L"\x4e2d", 1252)));
    // Length-bounded conversion stops at the length, not at the terminator.
    EXPECT_STREQ("ab", static_cast<LPSTR>(CW2A(L"abcd", 2, CP_ACP)));
}

TEST_F(AtlTest, ComBstrOwnsCopiesAndCompares)
{
    CComBSTR empty;
    EXPECT_TRUE(!empty);
    EXPECT_EQ(0u, empty.Length());
    EXPECT_TRUE(empty == L"");
    EXPECT_EQ(nullptr, empty.Copy());

    CComBSTR narrow("abc");
    EXPECT_EQ(3u, narrow.Length());
    EXPECT_TRUE(narrow == L"abc");
    EXPECT_FALSE(narrow == L"abC");
    EXPECT_TRUE(CComBSTR(static_cast<LPCSTR>(nullptr)).m_str == nullptr);

    // Copy keeps an odd byte length exactly.
    CComBSTR odd;
    odd.Attach(SysAllocStringByteLen("xyz", 3));
    BSTR copy = odd.Copy();
    EXPECT_EQ(3u, SysStringByteLen(copy));
    EXPECT_EQ(0, memcmp(copy, "xyz", 3));
    SysFreeString(copy);

    CComBSTR path(L"C:\\");
    EXPECT_EQ(S_OK, path.Append(L"dir"));
    path += CComBSTR(L"\\f");
    EXPECT_TRUE(path == L"C:\\dir\\f");
    EXPECT_EQ(S_OK, path.Append(static_cast<LPCOLESTR>(nullptr)));
    EXPECT_EQ(8u, path.Length());

    EXPECT_EQ(E_POINTER, path.CopyTo(nullptr));
    BSTR out = nullptr;
    EXPECT_EQ(S_OK, path.CopyTo(&out));
    EXPECT_EQ(0, wcscmp(out, L"C:\\dir\\f"));
    EXPECT_NE(out, path.m_str);
    SysFreeString(out);

    CComBSTR moved(std::move(path));
    EXPECT_EQ(nullptr, path.m_str);
    BSTR detached = moved.Detach();
    EXPECT_EQ(nullptr, moved.m_str);
    SysFreeString(detached);

    CComBSTR counted(3, L"ab\0cd");
    EXPECT_EQ(3u, counted.Length());
    EXPECT_EQ(L'\0', counted.m_str[2]);
}

TEST_F(AtlTest, CheckHResultRaisesOnlyFailures)
{
    EXPECT_NO_THROW(CheckHResult(S_OK));
    EXPECT_NO_THROW(CheckHResult(S_FALSE));
    try
    {
        CheckHResult(E_INVALIDARG);
        FAIL() << "no exception";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_INVALIDARG, e.Error());
    }
    EXPECT_THROW(CheckHResult(E_OUTOFMEMORY), _com_error);
}

TEST_F(AtlTest, ObjectsCountReferencesAndAnswerTheirMap)
{
    LONG locksBefore = AtlModule().GetLockCount();
    CComObject<CTestWidget>* raw = nullptr;
    ASSERT_EQ(S_OK, CComObject<CTestWidget>::CreateInstance(&raw));
    EXPECT_EQ(0, raw->m_dwRef);
    EXPECT_EQ(locksBefore + 1, AtlModule().GetLockCount());
    {
        CComPtr<IPersist> persist(raw);
        EXPECT_EQ(1, raw->m_dwRef);
        CComQIPtr<IConnectionPointContainer> cpc(persist);
        ASSERT_TRUE(cpc);
        EXPECT_EQ(2, raw->m_dwRef);
        // IUnknown is one identity whichever interface asks.
        CComPtr<IUnknown> u1, u2;
        persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1));
        cpc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2));
        EXPECT_EQ(u1.p, u2.p);
        EXPECT_TRUE(persist.IsEqualObject(cpc));

        CComQIPtr<IPersistStream> none(persist);
        EXPECT_FALSE(none);
        void* pv = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, persist->QueryInterface(IID_IPersistStream, &pv));
        EXPECT_EQ(nullptr, pv);
        EXPECT_EQ(E_POINTER, persist->QueryInterface(IID_IPersist, nullptr));
        EXPECT_EQ(1, g_widgetsAlive);
    }
    EXPECT_EQ(0, g_widgetsAlive);
    EXPECT_EQ(locksBefore, AtlModule().GetLockCount());

    // A failing FinalConstruct deletes the object and reports its HRESULT.
    g_finalConstructResult = E_ACCESSDENIED;
    raw = reinterpret_cast<CComObject<CTestWidget>*>(1);
    EXPECT_EQ(E_ACCESSDENIED, CComObject<CTestWidget>::CreateInstance(&raw));
    EXPECT_EQ(nullptr, raw);
    EXPECT_EQ(0, g_widgetsAlive);

    g_finalConstructResult = S_OK;
    IPersist* p = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CComCreator<CTestWidget>::CreateInstance(u_ptr(), IID_IPersist, reinterpret_cast<void**>(&p)));
    EXPECT_EQ(E_NOINTERFACE, CTestWidget::_CreatorClass::CreateInstance(nullptr, IID_IStream, reinterpret_cast<void**>(&p)));
    EXPECT_EQ(0, g_widgetsAlive);
    ASSERT_EQ(S_OK, CTestWidget::CreateInstance(&p));
    CLSID clsid;
    EXPECT_EQ(S_OK, p->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestWidget, clsid));
    p->Release();
    EXPECT_EQ(0, g_widgetsAlive);
}

TEST_F(AtlTest, ModuleTableServesAndRegistersClassObjects)
{
    CComModule& module = AtlModule();
    module.AddObjectMap(g_testObjects);
    module.AddObjectMap(g_testObjects);   // ignored the second time

    CComPtr<IClassFactory> cf;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.GetClassObject(CLSID_Unlisted, IID_IClassFactory, reinterpret_cast<void**>(&cf)));
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_TestWidget, IID_IClassFactory, reinterpret_cast<void**>(&cf)));
    CComPtr<IPersist> direct;
    EXPECT_EQ(S_OK, cf->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&direct)));
    direct.Release();
    EXPECT_EQ(CLASS_E_NOAGGREGATION, cf->CreateInstance(u_ptr(), IID_IPersist, reinterpret_cast<void**>(&direct)));
    LONG locks = module.GetLockCount();
    EXPECT_EQ(S_OK, cf->LockServer(TRUE));
    EXPECT_EQ(locks + 1, module.GetLockCount());
    EXPECT_EQ(S_OK, cf->LockServer(FALSE));
    EXPECT_EQ(locks, module.GetLockCount());

    CComPtr<IPersist> made;
    EXPECT_EQ(S_OK, module.CreateInstance(CLSID_TestWidget, nullptr, IID_IPersist, reinterpret_cast<void**>(&made)));
    made.Release();
    EXPECT_EQ(REGDB_E_CLASSNOTREG, module.CreateInstance(CLSID_Unlisted, nullptr, IID_IPersist, reinterpret_cast<void**>(&made)));

    // Registered class objects are what CoCreateInstance finds; revoked, nothing.
    CComPtr<IPersist> viaCom;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, viaCom.CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER));
    ASSERT_EQ(S_OK, module.RegisterClassObjects(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE));
    EXPECT_EQ(S_OK, viaCom.CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER));
    EXPECT_TRUE(viaCom);
    viaCom.Release();
    EXPECT_EQ(S_OK, module.RevokeClassObjects());
    EXPECT_EQ(REGDB_E_CLASSNOTREG, viaCom.CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER));
    module.Term();
    module.RemoveObjectMap(g_testObjects);
    cf.Release();
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.GetClassObject(CLSID_TestWidget, IID_IClassFactory, reinterpret_cast<void**>(&cf)));
    EXPECT_EQ(0, g_widgetsAlive);
}

TEST_F(AtlTest, ConnectionPointsKeepAdviseOrderAndLastResult)
{
    CComPtr<IConnectionPointContainer> cpc;
    ASSERT_EQ(S_OK, CTestWidget::CreateInstance(&cpc));
    CTestWidget* widget = static_cast<CTestWidget*>(cpc.p);

    CComPtr<IConnectionPoint> cp;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cpc->FindConnectionPoint(IID_IPersist, &cp));
    ASSERT_EQ(S_OK, cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp));
    IID iid;
    EXPECT_EQ(S_OK, cp->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(IID_IPropertyNotifySink, iid));
    CComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(S_OK, cp->GetConnectionPointContainer(&back));
    EXPECT_TRUE(back.IsEqualObject(cpc));

    EXPECT_EQ(S_OK, widget->FireChanged(1));     // no sinks: S_OK

    std::vector<int> journal;
    CTestSink* a = new CTestSink(1, &journal, E_FAIL);
    CTestSink* b = new CTestSink(2, &journal, S_FALSE);
    CTestSink* c = new CTestSink(3, &journal, S_OK);
    DWORD ca = 0, cb = 0, cc = 0;
    EXPECT_EQ(S_OK, cp->Advise(a, &ca));
    EXPECT_EQ(S_OK, AtlAdvise(cpc, b, IID_IPropertyNotifySink, &cb));
    EXPECT_EQ(S_OK, cp->Advise(c, &cc));
    EXPECT_NE(0u, ca);
    EXPECT_NE(ca, cb);
    EXPECT_NE(cb, cc);
    EXPECT_EQ(2, a->m_ref);

    // Every sink in order; a failing one does not stop the rest; the last wins.
    EXPECT_EQ(S_OK, widget->FireChanged(7));
    EXPECT_EQ((std::vector<int>{107, 207, 307}), journal);

    // The middle one leaves: the others keep their order; its cookie is spent.
    EXPECT_EQ(S_OK, AtlUnadvise(cpc, IID_IPropertyNotifySink, cb));
    EXPECT_EQ(1, b->m_ref);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cp->Unadvise(cb));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cp->Unadvise(0));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cp->Unadvise(999));
    EXPECT_EQ(S_OK, cp->Unadvise(cc));
    journal.clear();
    EXPECT_EQ(E_FAIL, widget->FireChanged(2));   // only a is left, and it fails
    EXPECT_EQ((std::vector<int>{102}), journal);

    // A new sink comes after the earlier ones.
    DWORD cb2 = 0;
    EXPECT_EQ(S_OK, cp->Advise(b, &cb2));
    journal.clear();
    EXPECT_EQ(S_FALSE, widget->FireChanged(3));
    EXPECT_EQ((std::vector<int>{103, 203}), journal);

    // A sink without the interface cannot connect; bad arguments.
    CPlainUnknown plain;
    DWORD none = 5;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, cp->Advise(&plain, &none));
    EXPECT_EQ(0u, none);
    EXPECT_EQ(E_POINTER, cp->Advise(a, nullptr));
    EXPECT_EQ(E_INVALIDARG, AtlAdvise(nullptr, a, IID_IPropertyNotifySink, &none));

    // EnumConnections: the live sinks with their cookies, in order.
    CComPtr<IEnumConnections> en;
    ASSERT_EQ(S_OK, cp->EnumConnections(&en));
    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, en->Next(3, data, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(ca, data[0].dwCookie);
    EXPECT_EQ(cb2, data[1].dwCookie);
    EXPECT_EQ(static_cast<IUnknown*>(a), data[0].pUnk);
    EXPECT_EQ(static_cast<IUnknown*>(b), data[1].pUnk);
    data[0].pUnk->Release();
    data[1].pUnk->Release();
    EXPECT_EQ(E_POINTER, en->Next(2, data, nullptr));
    EXPECT_EQ(S_OK, en->Reset());
    EXPECT_EQ(S_OK, en->Skip(1));
    CComPtr<IEnumConnections> clone;
    EXPECT_EQ(S_OK, en->Clone(&clone));
    EXPECT_EQ(S_OK, clone->Next(1, data, nullptr));
    EXPECT_EQ(cb2, data[0].dwCookie);
    data[0].pUnk->Release();
    EXPECT_EQ(S_FALSE, clone->Skip(1));
    en.Release();
    clone.Release();

    CComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, cpc->EnumConnectionPoints(&points));
    IConnectionPoint* got[2] = {};
    EXPECT_EQ(S_FALSE, points->Next(2, got, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_EQ(cp.p, got[0]);
    got[0]->Release();
    points.Release();

    // Destroying the source releases the sinks it held.
    cp.Release();
    back.Release();
    cpc.Release();
    EXPECT_EQ(0, g_widgetsAlive);
    EXPECT_EQ(1, a->m_ref);
    EXPECT_EQ(1, b->m_ref);
    a->Release();
    b->Release();
    c->Release();
}
