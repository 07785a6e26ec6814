// The Scanner COM class through the test client: HRESULT contract, a real
// scan with planted registry keys and files, events on the client's thread,
// the ignore list, Stop and Pause, and the exception path.

#include "com_test_support.h"


#include "engine/ignorelist.h"
#include "engine/runas.h"
#include "scan_client.h"
#include "scan_test_support.h"

namespace {

const DWORD HKCU = 0x80000001;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::wstring W(const std::string& text)
{
    return std::wstring(static_cast<LPWSTR>(CA2W(text.c_str())));
}

// Faults on the scan thread when the given area starts.
class FaultingListener : public IInternalScannerListener
{
public:
    int area = 1;
    bool armed = true;
    void OnItemFound(int, DWORD, const char*, const char*, DWORD, DWORD, const BYTE*, DWORD, BYTE, const char*) override {}
    void OnAccessError(int, const char*, DWORD) override {}
    void OnStartedArea(int started) override
    {
        if (armed && started == area)
        {
            volatile ULONG_PTR address = 0x18;
            *reinterpret_cast<volatile int*>(address) = 1;
        }
    }
    void OnCompleteArea(int) override {}
    void OnScanningFolder(const char*) override {}
    void OnScanning(int, DWORD) override {}
};

} // namespace

TEST_F(ComTest, ScannerHResultContract)
{
    TempFolder temp;
    TestDatabase db;
    db.Program(1, "one");
    for (int i = 0; i < 50; ++i)
        db.Registry(0x8000, HKCU, 0, ("Software\\CwNoSuch" + std::to_string(i)).c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    IScanner* s = client.scanner;

    CComBSTR path;
    EXPECT_EQ(S_OK, s->get_DatabasePath(&path));
    EXPECT_TRUE(path == L"result.bin");
    EXPECT_EQ(E_POINTER, s->get_DatabasePath(nullptr));
    EXPECT_EQ(E_INVALIDARG, s->put_AreaEnabled(static_cast<ScanAreaType>(7), TRUE));
    EXPECT_EQ(E_INVALIDARG, s->put_AreaEnabled(static_cast<ScanAreaType>(-1), TRUE));
    BOOL enabled = 5;
    EXPECT_EQ(E_INVALIDARG, s->get_AreaEnabled(static_cast<ScanAreaType>(7), &enabled));
    EXPECT_EQ(E_POINTER, s->get_AreaEnabled(saHosts, nullptr));
    EXPECT_EQ(S_OK, s->put_AreaEnabled(saHosts, 2));
    EXPECT_EQ(S_OK, s->get_AreaEnabled(saHosts, &enabled));
    EXPECT_EQ(1, enabled);
    EXPECT_EQ(S_FALSE, s->Stop());
    EXPECT_EQ(S_FALSE, s->Pause(TRUE));
    EXPECT_EQ(E_POINTER, s->get_Running(nullptr));
    EXPECT_EQ(E_POINTER, s->put_Paths(nullptr));
    EXPECT_EQ(E_POINTER, s->put_Results(nullptr));
    EXPECT_EQ(E_POINTER, s->get_Paths(nullptr));
    EXPECT_EQ(E_POINTER, s->get_Results(nullptr));
    EXPECT_EQ(E_POINTER, s->get_IgnoreList(nullptr));
    ULONG stamp = 0, programs = 0, items = 0;
    EXPECT_EQ(E_POINTER, s->GetDatabaseInfo(nullptr, &programs, &items));

    // No database file: nothing starts.
    {
        MessageCapture messages;
        EXPECT_EQ(S_FALSE, s->Initialize(CComBSTR(W(temp.File("missing.bin")).c_str()), CComBSTR(L"")));
        EXPECT_EQ(E_FAIL, s->Start());
        EXPECT_TRUE(Contains(MessageCapture::Text(), "Failed to init database (engine/scanner ["));
        EXPECT_EQ(E_FAIL, s->GetDatabaseInfo(&stamp, &programs, &items));
    }

    EXPECT_EQ(S_OK, s->Initialize(CComBSTR(W(temp.File("db.bin")).c_str()), CComBSTR(L"")));
    EXPECT_EQ(S_OK, s->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_EQ(1u, programs);

    // Held at its first registry record while paused.
    for (int a = 0; a < 7; ++a)
        s->put_AreaEnabled(static_cast<ScanAreaType>(a), a == saRegistry);
    client.Object()->GetInternalScanner().SetPause(true);
    EXPECT_EQ(S_OK, s->Start());
    BOOL running = 0;
    EXPECT_EQ(S_OK, s->get_Running(&running));
    EXPECT_EQ(1, running);
    EXPECT_EQ(S_FALSE, s->Start());
    EXPECT_EQ(E_UNEXPECTED, s->Initialize(CComBSTR(W(temp.File("db.bin")).c_str()), CComBSTR(L"")));
    CComPtr<IPaths> paths;
    s->get_Paths(&paths);
    EXPECT_EQ(E_UNEXPECTED, s->put_Paths(paths));
    CComPtr<IThreatCollection> results;
    s->get_Results(&results);
    EXPECT_EQ(E_UNEXPECTED, s->put_Results(results));
    EXPECT_EQ(E_UNEXPECTED, s->put_AreaEnabled(saHosts, FALSE));
    EXPECT_EQ(S_OK, s->get_AreaEnabled(saRegistry, &enabled));
    EXPECT_EQ(1, enabled);
    EXPECT_EQ(S_FALSE, s->GetDatabaseInfo(&stamp, &programs, &items));
    EXPECT_EQ(S_OK, s->Pause(TRUE));
    EXPECT_EQ(S_OK, s->Stop());
    EXPECT_EQ(S_OK, s->get_Running(&running));
    EXPECT_EQ(0, running);
    EXPECT_EQ(S_FALSE, s->Stop());
    client.Object()->GetInternalScanner().SetPause(false);
    // The end is announced even for a stopped scan.
    EXPECT_TRUE(Contains(client.Areas(), "C7"));
}

TEST_F(ComTest, ScannerFindsPlantedItemsOnTheClientThread)
{
    TempFolder temp;
    PlantedKey key("scanner");
    ASSERT_TRUE(key.SetString(key.Sub("Spy"), "Run", "spy.exe"));
    ASSERT_TRUE(key.SetString(key.Sub("Spy"), "Empty", ""));
    ASSERT_TRUE(key.Create(key.Sub("Ad")));
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[64];
    wsprintfA(name, "cwscanner-%lu.exe", GetCurrentProcessId());
    const std::string planted = std::string(base) + name;
    const Bytes bytes = B("scanner planted file");
    ASSERT_TRUE(TempFolder::Write(planted, bytes));

    TestDatabase db;
    db.Program(3, "SpyOne", "spies", "http://spy.example/");
    db.Program(2, "AdTwo", "ads", "http://ad.example/");
    db.Registry(0x8000, HKCU, 0, key.Sub("Spy").c_str(), "Run");
    db.Registry(0x8000, HKCU, 0, key.Sub("Spy").c_str(), "Empty");
    db.Registry(0x8000, HKCU, 1, key.Sub("Ad").c_str());
    db.Digest(1, Md5Of(bytes));
    // An unlocated file record of a program found makes the result complete.
    db.File(1, 0, 0, 0, "cw-unlocated-spy.exe");
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {1, 3};
    HRESULT hr = client.Run(options);
    DeleteFileA(planted.c_str());
    ASSERT_EQ(S_OK, hr);

    // Every event came to this thread, in order, ending with the whole scan.
    ASSERT_FALSE(client.Sink().events.empty()) << MessageCapture::Text();
    for (const ScanClientEvent& e : client.Sink().events)
        EXPECT_EQ(GetCurrentThreadId(), e.thread);
    const std::string areas = client.Areas();
    EXPECT_EQ(0u, areas.find("S1 C1"));
    EXPECT_EQ(areas.size() - 2, areas.rfind("C7"));

    const std::string text = client.ResultText();
    const std::string lowerPlanted = RecordingListener::Lower(planted);
    // One threat per program, the file found in both passes only once.
    EXPECT_EQ(1u, CountOf(text, "threat 0 SpyOne | spies | http://spy.example/ | risk 3\n")) << text;
    EXPECT_EQ(1u, CountOf(text, "threat 1 AdTwo | ads | http://ad.example/ | risk 2\n")) << text;
    EXPECT_EQ(2u, CountOf(text, "threat "));
    EXPECT_EQ(1u, CountOf(text, "  item 1 root 80000001 vtype 1 known 1 " + key.Sub("Spy") + " | Run | data 8\n")) << text;
    // An empty string value is read but carries no data.
    EXPECT_EQ(1u, CountOf(text, "  item 1 root 80000001 vtype 1 known 1 " + key.Sub("Spy") + " | Empty | data 0\n")) << text;
    EXPECT_EQ(1u, CountOf(text, "  item 1 root 80000001 vtype 0 known 1 " + key.Sub("Ad") + " | <null> | data 0\n")) << text;
    EXPECT_EQ(1u, CountOf(text, lowerPlanted)) << text;
    EXPECT_TRUE(Contains(text, "complete 1\n"));
    // The engine message text is emptied after a normal end.
    EXPECT_EQ(0, CEngineLogText.GetLength());

    // Ignore the Run value and the whole second program; save, and scan again
    // with the saved list loaded into a new Scanner.
    CComPtr<IThreatCollection> results;
    client.scanner->get_Results(&results);
    CComPtr<IThreat> spy, ad;
    ASSERT_EQ(S_OK, results->Lookup(0, &spy));
    ASSERT_EQ(S_OK, results->Lookup(1, &ad));
    LONG count = 0;
    spy->get_Count(&count);
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<ISearchItem> item;
        spy->get_Item(i, &item);
        CComBSTR value;
        item->get_ItemValue(&value);
        if (value == L"Run")
            item->put_Ignore(1);
    }
    ad->get_Count(&count);
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<ISearchItem> item;
        ad->get_Item(i, &item);
        item->put_Ignore(1);
    }
    CComPtr<IIgnoreList> ignore;
    ASSERT_EQ(S_OK, client.scanner->get_IgnoreList(&ignore));
    ASSERT_EQ(S_OK, ignore->Feed(results));
    ASSERT_EQ(S_OK, ignore->Save(CComBSTR(W(temp.File("ilist.lst")).c_str())));
    client.Close();

    ASSERT_TRUE(TempFolder::Write(planted, bytes));
    ScanClient second;
    ASSERT_EQ(S_OK, second.Open());
    options.ignoreList = W(temp.File("ilist.lst"));
    hr = second.Run(options);
    DeleteFileA(planted.c_str());
    ASSERT_EQ(S_OK, hr);
    const std::string after = second.ResultText();
    EXPECT_EQ(1u, CountOf(after, "threat "));
    EXPECT_EQ(1u, CountOf(after, "threat 0 SpyOne")) << after;
    EXPECT_FALSE(Contains(after, " | Run | ")) << after;
    EXPECT_TRUE(Contains(after, " | Empty | ")) << after;
    EXPECT_FALSE(Contains(after, "AdTwo")) << after;
}

TEST_F(ComTest, ScannerStopAndPauseDuringFullDiskScan)
{
    TempFolder temp;
    const std::string root = temp.File("Tree");
    CreateDirectoryA(root.c_str(), nullptr);
    for (int d = 0; d < 10; ++d)
    {
        const std::string dir = root + "\\d" + std::to_string(d);
        CreateDirectoryA(dir.c_str(), nullptr);
        for (int f = 0; f < 100; ++f)
            TempFolder::Write(dir + "\\f" + std::to_string(f) + ".txt", B("x"));
    }
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {4};
    options.folders = {W(root)};
    options.scanningInterval = 0;

    // Paused at the first file counted: the count stays, then goes on.
    bool paused = false;
    ULONG heldAt = 0;
    client.Sink().onEvent = [&](const ScanClientEvent& e) {
        if (e.kind == "scanning" && e.area == 3 && !paused)
        {
            paused = true;
            heldAt = e.count;
            client.scanner->Pause(TRUE);
        }
    };
    ASSERT_EQ(S_OK, client.Begin(options));
    const DWORD until = GetTickCount() + 400;
    while (GetTickCount() < until)
        client.WaitForEnd(20);
    ASSERT_TRUE(paused);
    ULONG lastSeen = 0;
    for (const ScanClientEvent& e : client.Sink().events)
        if (e.kind == "scanning" && e.area == 3)
            lastSeen = e.count;
    EXPECT_LE(lastSeen, heldAt + 1);
    BOOL running = 0;
    client.scanner->get_Running(&running);
    EXPECT_EQ(1, running);
    EXPECT_EQ(S_OK, client.scanner->Pause(FALSE));

    // Stopped during the walk (from this thread's loop: a Stop inside an
    // event would wait for the worker that waits for the event): it ends
    // early with the end announced and the result not complete.
    bool wantStop = false;
    client.Sink().onEvent = [&](const ScanClientEvent& e) {
        if (e.kind == "scanning" && e.area == 3 && e.count > heldAt + 50)
            wantStop = true;
    };
    bool stopped = false;
    const DWORD limit = GetTickCount() + 60000;
    for (;;)
    {
        if (client.WaitForEnd(10) || GetTickCount() > limit)
            break;
        if (wantStop && !stopped)
        {
            stopped = true;
            EXPECT_EQ(S_OK, client.scanner->Stop());
        }
    }
    EXPECT_TRUE(stopped);
    ULONG total = 0;
    for (const ScanClientEvent& e : client.Sink().events)
        if (e.kind == "scanning" && e.area == 3)
            total = e.count;
    EXPECT_LT(total, 1000u);
    EXPECT_TRUE(Contains(client.Areas(), "C7"));
    EXPECT_TRUE(Contains(client.ResultText(), "complete 0\n"));

    // A stop that comes before the worker begins is not lost.
    client.Sink().onEvent = nullptr;
    client.Sink().events.clear();
    ASSERT_EQ(S_OK, client.Begin(options));
    EXPECT_EQ(S_OK, client.scanner->Stop());
    total = 0;
    for (const ScanClientEvent& e : client.Sink().events)
        if (e.kind == "scanning" && e.area == 3)
            total = e.count;
    EXPECT_LT(total, 100u);
}

TEST_F(ComTest, ScannerSurvivesAnAccessViolationInTheScan)
{
    TempFolder temp;
    PlantedKey key("fault");
    ASSERT_TRUE(key.Create(key.Sub("Spy")));
    TestDatabase db;
    db.Program(1, "Spy");
    db.Registry(0x8000, HKCU, 0, key.Sub("Spy").c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    FaultingListener faulting;
    client.Object()->GetInternalScanner().AddListener(&faulting);
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {1};
    CEngineLogText.Empty();
    ASSERT_EQ(S_OK, client.Run(options));
    EXPECT_EQ("S1 X", client.Areas());
    for (const ScanClientEvent& e : client.Sink().events)
        EXPECT_EQ(GetCurrentThreadId(), e.thread);
    // The message text is kept for the crash report.
    EXPECT_TRUE(Contains(MessageCapture::Text(), "Current folder: "));
    EXPECT_TRUE(Contains(MessageCapture::Text(), "(engine/scanner ["));

    // The next scan works: database closed, items released, COM ended.
    faulting.armed = false;
    client.Sink().events.clear();
    ASSERT_EQ(S_OK, client.Run(options));
    EXPECT_EQ("S1 C1 S1 C1 S1 C1 C7", client.Areas());
    EXPECT_TRUE(Contains(client.ResultText(), "threat 0 Spy"));
    CEngineLogText.Empty();
}

TEST_F(ComTest, ScannerImpersonatesWithTheProcessToken)
{
    TempFolder temp;
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    HANDLE process = nullptr, token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process));
    ASSERT_TRUE(DuplicateTokenEx(process, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation, &token));
    CloseHandle(process);

    CComPtr<IRunAs> runAs;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_RunAs, &runAs));
    ASSERT_EQ(S_OK, runAs->put_SecurityToken(reinterpret_cast<LONG_PTR>(token)));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    std::string during;
    client.Sink().onEvent = [&](const ScanClientEvent& e) {
        if (e.kind == "start")
            during += MessageCapture::Text();
    };
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {1};
    ASSERT_EQ(S_OK, client.Run(options));
    EXPECT_TRUE(Contains(during, "Scanner successfully impersonated !")) << during;

    // Without a token the scan runs as itself.
    EXPECT_EQ(S_OK, runAs->put_SecurityToken(0));
    during.clear();
    ASSERT_EQ(S_OK, client.Run(options));
    EXPECT_TRUE(Contains(during, "Impersonation - try"));
    EXPECT_FALSE(Contains(during, "successfully impersonated"));
}

namespace {

// The value as "<type>:<hex bytes>", or "absent".
std::string ValueText(const std::string& key, const char* name)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return "no key";
    DWORD type = 0, size = 0;
    std::string text = "absent";
    if (RegQueryValueExA(h, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
    {
        Bytes data(size + 1);
        RegQueryValueExA(h, name, nullptr, &type, data.data(), &size);
        text = std::to_string(type) + ":";
        for (DWORD i = 0; i < size; ++i)
        {
            char hex[4];
            wsprintfA(hex, "%02x", data[i]);
            text += hex;
        }
    }
    RegCloseKey(h);
    return text;
}

// Runs one quarantine action to its end, pumping this thread's messages.
HRESULT RunQuarantine(IQuarantine* quarantine, HRESULT (STDMETHODCALLTYPE IQuarantine::*action)(IBackup*),
                      IBackup* backup)
{
    HRESULT hr = (quarantine->*action)(backup);
    if (SUCCEEDED(hr))
        hr = quarantine->StopOperation();
    return hr;
}

} // namespace

TEST_F(ComTest, GuardedValuesAreRepairedToTheDatabaseTypeAndRestoredAsTheyWere)
{
    TempFolder temp;
    PlantedKey key("guarded");
    const std::string k = key.Sub("Policy");
    ASSERT_TRUE(key.Set(k, "Level", REG_BINARY, Bytes{1, 0, 0, 0})); // wrong by type only
    ASSERT_TRUE(key.SetString(k, "Home", "http://spy.example/"));    // wrong by data
    ASSERT_TRUE(key.SetString(k, "Keep", "as is"));                  // not guarded
    // "Flag" is absent.
    const std::string levelBefore = ValueText(k, "Level"), homeBefore = ValueText(k, "Home");
    ASSERT_EQ("3:01000000", levelBefore);
    ASSERT_EQ("absent", ValueText(k, "Flag"));

    TestDatabase db;
    db.Program(2, "Hijacker");
    db.Guard(HKCU, 0, REG_DWORD, 0, k.c_str(), "Level", Bytes{1, 0, 0, 0});
    db.Guard(HKCU, 0, REG_SZ, 0, k.c_str(), "Home", Bz("about:blank"));
    db.Guard(HKCU, 0, REG_DWORD, 1, k.c_str(), "Flag", Bytes{0, 0, 0, 0});
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {saGuardedRegistry};
    ASSERT_EQ(S_OK, client.Run(options));
    // Each item carries the database's type; the data is what was found.
    const std::string found = client.ResultText();
    EXPECT_EQ(3u, CountOf(found, "  item 2 ")) << found;
    EXPECT_TRUE(Contains(found, "  item 2 root 80000001 vtype 4 known 1 " + k + " | Level | data 4\n")) << found;
    EXPECT_TRUE(Contains(found, "  item 2 root 80000001 vtype 1 known 1 " + k + " | Home | data 20\n")) << found;
    EXPECT_TRUE(Contains(found, "  item 2 root 80000001 vtype 4 known 1 " + k + " | Flag | data 0\n")) << found;

    // Clean: back up, then repair every item.
    CComPtr<IThreatCollection> results;
    client.scanner->get_Results(&results);
    CComPtr<IThreat> threat;
    ASSERT_EQ(S_OK, results->Lookup(0, &threat));
    LONG count = 0;
    threat->get_Count(&count);
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<ISearchItem> item;
        threat->get_Item(i, &item);
        item->put_Repair(1);
    }
    CComPtr<IQuarantine> quarantine;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Quarantine, &quarantine));
    const std::string store = temp.File("quarantine");
    CreateDirectoryA(store.c_str(), nullptr);
    ASSERT_EQ(S_OK, quarantine->Initialize(CComBSTR(W(store).c_str())));
    CComPtr<IBackup> backup;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &backup));
    ASSERT_EQ(S_OK, backup->put_Items(results));
    ASSERT_EQ(S_OK, RunQuarantine(quarantine, &IQuarantine::CreateBackup, backup));
    EXPECT_EQ("4:01000000", ValueText(k, "Level"));
    EXPECT_EQ("1:" + std::string("61626f75743a626c616e6b00"), ValueText(k, "Home"));
    EXPECT_EQ("4:00000000", ValueText(k, "Flag"));
    EXPECT_EQ("1:617320697300", ValueText(k, "Keep"));

    // The repairs hold: a rescan finds nothing.
    ASSERT_EQ(S_OK, client.Run(options));
    EXPECT_FALSE(Contains(client.ResultText(), "threat ")) << client.ResultText();

    // Restore: each as it was, the absent one absent again.
    DATE time = 0;
    backup->get_Time(&time);
    CComPtr<IBackup> view;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Backup, &view));
    view->put_Time(time);
    ASSERT_EQ(S_OK, RunQuarantine(quarantine, &IQuarantine::ViewBackup, view));
    CComPtr<IThreatCollection> viewed;
    view->get_Items(&viewed);
    CComPtr<IThreat> viewedThreat;
    ASSERT_EQ(S_OK, viewed->get_Item(0, &viewedThreat));
    viewedThreat->get_Count(&count);
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<ISearchItem> item;
        viewedThreat->get_Item(i, &item);
        item->put_Repair(1);   // restore takes what is marked
    }
    ASSERT_EQ(S_OK, RunQuarantine(quarantine, &IQuarantine::RestoreBackup, view));
    EXPECT_EQ(levelBefore, ValueText(k, "Level"));
    EXPECT_EQ(homeBefore, ValueText(k, "Home"));
    EXPECT_EQ("absent", ValueText(k, "Flag"));
    EXPECT_EQ("1:617320697300", ValueText(k, "Keep"));
    CEngineLogText.Empty();
}

TEST_F(ComTest, ScannerWalksADeepKeyTreeUpToTheDepthLimit)
{
    TempFolder temp;
    PlantedKey key("deeptree");
    // 600 levels, made one below the other: a path this long cannot be
    // named in one call.
    HKEY level;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &level, nullptr));
    for (int depth = 1; depth < 600; ++depth)
    {
        HKEY next;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(level, "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr))
            << depth;
        RegCloseKey(level);
        level = next;
    }
    RegCloseKey(level);

    TestDatabase db;
    db.Program(1, "Deep");
    db.Registry(0x8001, HKCU, 0, key.Path().c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    ScanClientOptions options;
    options.database = W(temp.File("db.bin"));
    options.areas = {saRegistry};
    ASSERT_EQ(S_OK, client.Run(options));

    // The scan ends normally, with every key down to the 512th level.
    EXPECT_FALSE(Contains(client.Areas(), "X")) << MessageCapture::Text();
    EXPECT_EQ(client.Areas().size() - 2, client.Areas().rfind("C7"));
    const std::string text = client.ResultText();
    EXPECT_EQ(512u, CountOf(text, " known 1 " + key.Path())) << text.substr(0, 2000);
    std::string deepest = key.Path();
    for (int depth = 1; depth < 512; ++depth)
        deepest += "\\k";
    EXPECT_TRUE(Contains(text, " known 1 " + deepest + " | <null> |"));
    EXPECT_FALSE(Contains(text, " known 1 " + deepest + "\\k |"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, key.Path().c_str()));
}
