// Engine objects used from a second single-threaded apartment through the
// NDR proxies built into the program, and events coming back to the first.

#include "com_test_support.h"

#include <process.h>

#include "engine/proxystubs.h"

namespace {

struct WorkerContext
{
    IStream* collectionStream = nullptr;   // main's collection, for the worker
    IStream* sinkStream = nullptr;         // main's event sink, for the worker
    DWORD workerThread = 0;
    std::vector<std::string> failures;
    std::vector<std::string> notes;
};

#define WORKER_CHECK(cond) \
    do { if (!(cond)) ctx->failures.push_back(std::string(#cond) + " line " + std::to_string(__LINE__)); } while (0)

unsigned __stdcall Worker(void* arg)
{
    WorkerContext* ctx = static_cast<WorkerContext*>(arg);
    ctx->workerThread = GetCurrentThreadId();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DWORD psCookie = 0;
    WORKER_CHECK(RegisterEngineProxyStubs(&psCookie) == S_OK);
    {
        CComPtr<IThreatCollection> coll;
        CComPtr<IThreatCollectionEvents> sink;
        WORKER_CHECK(CoGetInterfaceAndReleaseStream(ctx->collectionStream, IID_IThreatCollection,
                                                    reinterpret_cast<void**>(&coll)) == S_OK);
        WORKER_CHECK(CoGetInterfaceAndReleaseStream(ctx->sinkStream, IID_IThreatCollectionEvents,
                                                    reinterpret_cast<void**>(&sink)) == S_OK);
        if (coll && sink)
        {
            // 1. The scanner's road: new objects made in the collection's
            //    apartment through CreateElement, filled through proxies.
            CComPtr<IThreat> threat;
            WORKER_CHECK(coll->CreateElement(CLSID_Threat, &threat) == S_OK);
            WORKER_CHECK(threat->put_ID(42) == S_OK);
            WORKER_CHECK(threat->put_Name(CComBSTR(L"Spy")) == S_OK);
            CComBSTR name;
            WORKER_CHECK(threat->get_Name(&name) == S_OK && name == L"Spy");
            CComPtr<ISearchItem> item;
            WORKER_CHECK(threat->CreateElement(CLSID_SearchItem, &item) == S_OK);
            WORKER_CHECK(item->put_Type(saRegistry) == S_OK);
            WORKER_CHECK(item->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE)) == S_OK);
            WORKER_CHECK(item->put_ItemName(CComBSTR(L"Software\\Spy")) == S_OK);
            WORKER_CHECK(item->put_ValueType(REG_BINARY) == S_OK);
            WORKER_CHECK(SetData(item, {1, 2, 3}) == S_OK);
            WORKER_CHECK(GetData(item) == (std::vector<BYTE>{1, 2, 3}));
            LONG_PTR root = 0;
            WORKER_CHECK(item->get_RootKey(&root) == S_OK && root == reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
            CComBSTR display;
            WORKER_CHECK(item->get_DisplayName(&display) == S_OK && display == L"[HKEY_LOCAL_MACHINE\\Software\\Spy]");
            CComPtr<IThreat> notYet;
            WORKER_CHECK(coll->Lookup(42, &notYet) == E_INVALIDARG);   // not added yet
            WORKER_CHECK(coll->Add(threat) == S_OK);
            WORKER_CHECK(threat->Add(item) == S_OK);
            WORKER_CHECK(threat->Add(item) == E_INVALIDARG);          // failures cross too
            // IsEqual between an item here and one over there.
            CComPtr<ISearchItem> local;
            EngineCreateInstance(CLSID_SearchItem, &local);
            local->put_Type(saRegistry);
            local->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE));
            local->put_ItemName(CComBSTR(L"Software\\Spy"));
            local->put_ValueType(REG_BINARY);
            SetData(local, {1, 2, 3});
            WORKER_CHECK(local->IsEqual(item) == S_OK);
            WORKER_CHECK(item->IsEqual(local) == S_OK);
            ULONG index = 7;
            WORKER_CHECK(threat->FindItem(local, &index) == S_OK && index == 0);
            LONG count = 0;
            WORKER_CHECK(coll->get_Count(&count) == S_OK && count == 1);
            CComPtr<IThreat> missing;
            WORKER_CHECK(coll->get_Item(3, &missing) == E_INVALIDARG);

            // 2. Events raised in this apartment reach the first one's sink.
            CComPtr<IThreatCollection> mine;
            EngineCreateInstance(CLSID_ThreatCollection, &mine);
            DWORD cookie = 0;
            WORKER_CHECK(AtlAdvise(mine, sink, IID_IThreatCollectionEvents, &cookie) == S_OK);
            CComPtr<IThreat> ad = NewThreat(7, L"Ad");
            WORKER_CHECK(mine->Add(ad) == S_OK);
            WORKER_CHECK(ad->Add(NewItem(saQuickDisk, L"C:\\ad.dll")) == S_OK);
            WORKER_CHECK(mine->Remove(0) == S_OK);
            WORKER_CHECK(AtlUnadvise(mine, IID_IThreatCollectionEvents, cookie) == S_OK);
            mine->Clear();
        }
    }
    RevokeEngineProxyStubs(psCookie);
    CoUninitialize();
    return 0;
}

} // namespace

TEST_F(ComTest, MarshalledObjectsWorkFromSecondApartment)
{
    DWORD psCookie = 0;
    ASSERT_EQ(S_OK, RegisterEngineProxyStubs(&psCookie));

    CComPtr<IThreatCollection> coll;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_ThreatCollection, &coll));
    CComPtr<IUnknown> holder;
    CComObject<CEventRecorder>* recorder = NewRecorder(holder);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, AtlAdvise(coll, holder, IID_IThreatCollectionEvents, &cookie));

    WorkerContext ctx;
    ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IThreatCollection, coll, &ctx.collectionStream));
    CComQIPtr<IThreatCollectionEvents> sink(holder);
    ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IThreatCollectionEvents, sink, &ctx.sinkStream));

    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Worker, &ctx, 0, nullptr));
    ASSERT_NE(nullptr, thread);
    // Keep this apartment's messages flowing so the worker's calls get in.
    DWORD signalled = 0;
    HRESULT waited = CoWaitForMultipleHandles(0, 60000, 1, &thread, &signalled);
    EXPECT_EQ(S_OK, waited);
    CloseHandle(thread);

    for (const std::string& f : ctx.failures)
        ADD_FAILURE() << "worker: " << f;

    // Every event arrived on this thread, in order: first the collection
    // living here, then the worker's collection through the proxies.
    const std::vector<std::string> expected = {
        "Added Spy", "SubAdded Spy Software\\Spy",
        "Added Ad", "SubAdded Ad C:\\ad.dll", "Removed Ad"};
    EXPECT_EQ(expected, recorder->events);
    for (DWORD t : recorder->threads)
        EXPECT_EQ(GetCurrentThreadId(), t);
    EXPECT_NE(GetCurrentThreadId(), ctx.workerThread);

    // What the worker made lives here.
    CComPtr<IThreat> threat;
    ASSERT_EQ(S_OK, coll->Lookup(42, &threat));
    CComPtr<ISearchItem> item;
    ASSERT_EQ(S_OK, threat->get_Item(0, &item));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), GetData(item));
    ULONG type = 0;
    item->get_ValueType(&type);
    EXPECT_EQ(static_cast<ULONG>(REG_BINARY), type);

    AtlUnadvise(coll, IID_IThreatCollectionEvents, cookie);
    coll->Clear();
    EXPECT_EQ(S_OK, RevokeEngineProxyStubs(psCookie));
}

TEST_F(ComTest, TypeLibraryIsBuiltIntoTheProgram)
{
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    CComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, LoadTypeLibEx(module, REGKIND_NONE, &lib));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Mothtrap, attr->guid));
    lib->ReleaseTLibAttr(attr);
    CComBSTR name;
    lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ("Mothtrap", Narrow(name));

    const GUID* present[] = {&IID_ISearchItem, &IID_IThreat, &IID_IThreatEvents, &IID_IThreatCollection,
                             &IID_IThreatCollectionEvents, &IID_IPaths, &IID_IBackup, &IID_IIgnoreList,
                             &IID_ILog, &IID_ILogRecord, &IID_IRunAs, &IID_IScannerEvents, &IID_IQuarantine,
                             &IID_IQuarantineEvents, &CLSID_SearchItem, &CLSID_Threat, &CLSID_ThreatCollection,
                             &CLSID_Paths, &CLSID_Backup, &CLSID_IgnoreList, &CLSID_Log, &CLSID_LogRecord,
                             &CLSID_RunAs, &CLSID_Scanner, &CLSID_Quarantine};
    for (const GUID* g : present)
    {
        CComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(*g, &info));
    }
    CComPtr<ITypeInfo> scanner;
    EXPECT_EQ(TYPE_E_ELEMENTNOTFOUND, lib->GetTypeInfoOfGuid(IID_IScanner, &scanner));

    // GUIDs the engine's classes are known by.
    const CLSID itemClsid = {0x6A7BD2C6, 0x1849, 0x4199, {0x9F, 0xBE, 0xBD, 0x3A, 0xFA, 0xF5, 0x84, 0x7D}};
    const IID collEvents = {0x0D3B50B8, 0xF2BE, 0x4B30, {0xA3, 0xD4, 0xB7, 0xC0, 0x1A, 0x46, 0x59, 0xCE}};
    EXPECT_TRUE(IsEqualGUID(itemClsid, CLSID_SearchItem));
    EXPECT_TRUE(IsEqualGUID(collEvents, IID_IThreatCollectionEvents));

    // Every engine class is in the class-object table, registrable by CLSID.
    AtlModule().AddObjectMap(EngineObjectMap());
    ASSERT_EQ(S_OK, AtlModule().RegisterClassObjects(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE));
    for (const CLSID* c : {&CLSID_SearchItem, &CLSID_Threat, &CLSID_ThreatCollection, &CLSID_Paths,
                           &CLSID_Backup, &CLSID_Log, &CLSID_LogRecord})
    {
        CComPtr<IUnknown> made;
        EXPECT_EQ(S_OK, CoCreateInstance(*c, nullptr, kEngineClassContext, IID_IUnknown, reinterpret_cast<void**>(&made)));
    }
    EXPECT_EQ(S_OK, AtlModule().RevokeClassObjects());
    AtlModule().Term();
    AtlModule().RemoveObjectMap(EngineObjectMap());
}
