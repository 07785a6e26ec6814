// The Quarantine through IQuarantine from a client apartment with an event
// sink: states and HRESULTs, the backup list, the progress of each action,
// and back up, remove, view and restore of planted objects.

#include "com_test_support.h"

#include <math.h>

#include <algorithm>
#include <set>
#include <utility>

#include "engine/comhelpers.h"
#include "engine/internalremove.h"
#include "engine/proxystubs.h"
#include "engine/quarantine.h"
#include "tests/engine/system_state_guards.h"
#include "tests/foundation/temp_folder.h"

namespace {

typedef std::pair<int, int> Progress;

class CQuarantineSink : public CComObjectRootEx<CComSingleThreadModel>, public IQuarantineEvents
{
public:
    BEGIN_COM_MAP(CQuarantineSink)
        COM_INTERFACE_ENTRY(IQuarantineEvents)
    END_COM_MAP()

    std::vector<Progress> progress;
    std::vector<DWORD> progressThreads;
    std::vector<DATE> added, removed;
    int exceptions = 0;

    HRESULT STDMETHODCALLTYPE OnQuarantineProgress(INT current, INT total) override
    {
        progress.push_back(Progress(current, total));
        progressThreads.push_back(GetCurrentThreadId());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnItemAdded(IQuarantine*, IBackup* entry) override
    {
        DATE t = 0;
        entry->get_Time(&t);
        added.push_back(t);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IQuarantine*, IBackup* entry) override
    {
        DATE t = 0;
        entry->get_Time(&t);
        removed.push_back(t);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IQuarantine*, IBackup*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnQuaException(ULONG_PTR) override
    {
        ++exceptions;
        return S_OK;
    }
};

DATE MakeDate(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    DATE d = 0;
    SystemTimeToVariantTime(&st, &d);
    return d;
}

DATE NextBit(DATE d)
{
    ULONGLONG bits;
    memcpy(&bits, &d, sizeof(bits));
    ++bits;
    memcpy(&d, &bits, sizeof(d));
    return d;
}

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

std::vector<BYTE> Pattern(size_t size, BYTE seed)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(i * 13 + seed + (i >> 7));
    return bytes;
}

std::string KeyBase()
{
    char name[80];
    wsprintfA(name, "Software\\CleanwardenQuaTest%lu", GetCurrentProcessId());
    return name;
}

void PlantValue(const std::string& path, const char* name, DWORD type, const std::vector<BYTE>& data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

// The value's bytes, or {0xEE} when it is missing.
std::vector<BYTE> ReadValue(const std::string& path, const char* name, DWORD* type = nullptr)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {0xEE};
    DWORD size = 0, t = 0;
    std::vector<BYTE> data{0xEE};
    if (RegQueryValueExA(key, name, nullptr, &t, nullptr, &size) == ERROR_SUCCESS)
    {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, &t, size ? data.data() : nullptr, &size);
        data.resize(size);
        if (type)
            *type = t;
    }
    RegCloseKey(key);
    return data;
}

bool PendingMentions(const std::string& path)
{
    bool exists = false;
    std::vector<BYTE> data = ReadPending(&exists);
    const wchar_t* p = reinterpret_cast<const wchar_t*>(data.data());
    std::wstring all(p, data.size() / sizeof(wchar_t));
    std::replace(all.begin(), all.end(), L'\0', L'|');
    std::wstring wide(static_cast<LPWSTR>(CA2W(path.c_str())));
    std::transform(all.begin(), all.end(), all.begin(), ::towlower);
    std::transform(wide.begin(), wide.end(), wide.begin(), ::towlower);
    return all.find(wide) != std::wstring::npos;
}

CComPtr<ISearchItem> Marked(ScanAreaType type, const std::string& name, const std::string& value = "",
                            HKEY root = nullptr, bool quarantine = true, bool repair = true)
{
    CComPtr<ISearchItem> item;
    EngineCreateInstance(CLSID_SearchItem, &item);
    item->put_Type(type);
    item->put_ItemName(CComBSTR(static_cast<LPWSTR>(CA2W(name.c_str()))));
    item->put_ItemValue(CComBSTR(static_cast<LPWSTR>(CA2W(value.c_str()))));
    item->put_RootKey(reinterpret_cast<LONG_PTR>(root));
    item->put_Quarantine(quarantine ? 1 : 0);
    item->put_Repair(repair ? 1 : 0);
    return item;
}

std::string NameOf(ISearchItem* item)
{
    CComBSTR name;
    item->get_ItemName(&name);
    return Narrow(name);
}

class QuarantineTest : public ComTest
{
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, RegisterEngineProxyStubs(&m_psCookie));
        m_store = m_temp.File("quarantine");
        CreateDirectoryA(m_store.c_str(), nullptr);
        ASSERT_EQ(S_OK, CQuarantine::CreateInstance(&m_quarantine));
        CComObject<CQuarantineSink>::CreateInstance(&m_sink);
        m_sinkHolder = m_sink->GetUnknown();
        ASSERT_EQ(S_OK, AtlAdvise(m_quarantine, m_sinkHolder, IID_IQuarantineEvents, &m_cookie));
        RegDeleteTreeA(HKEY_CURRENT_USER, KeyBase().c_str());
    }
    void TearDown() override
    {
        if (m_quarantine)
        {
            m_quarantine->StopOperation();
            AtlUnadvise(m_quarantine, IID_IQuarantineEvents, m_cookie);
            m_quarantine.Release();
        }
        m_sinkHolder.Release();
        RegDeleteTreeA(HKEY_CURRENT_USER, KeyBase().c_str());
        RevokeEngineProxyStubs(m_psCookie);
        ComTest::TearDown();
    }

    void Init(const std::string& folder)
    {
        ASSERT_EQ(S_OK, m_quarantine->Initialize(CComBSTR(static_cast<LPWSTR>(CA2W(folder.c_str())))));
    }

    static CComPtr<IBackup> NewBackup(const std::vector<CComPtr<IThreat>>& threats)
    {
        CComPtr<IBackup> backup;
        EngineCreateInstance(CLSID_Backup, &backup);
        CComPtr<IThreatCollection> items;
        backup->get_Items(&items);
        for (const CComPtr<IThreat>& threat : threats)
            items->Add(threat);
        return backup;
    }

    static CComPtr<IThreat> Threat(ULONG id, const char* name, const std::vector<CComPtr<ISearchItem>>& items)
    {
        CComPtr<IThreat> threat = NewThreat(id, static_cast<LPWSTR>(CA2W(name)));
        threat->put_Description(CComBSTR(L"Shows adverts"));
        threat->put_URL(CComBSTR(L"http://example.invalid/info"));
        threat->put_Risk(3);
        for (const CComPtr<ISearchItem>& item : items)
            threat->Add(item);
        return threat;
    }

    // Runs one action to its end, the client apartment pumping meanwhile.
    HRESULT Run(HRESULT (STDMETHODCALLTYPE IQuarantine::*action)(IBackup*), IBackup* backup)
    {
        m_sink->progress.clear();
        m_sink->progressThreads.clear();
        HRESULT hr = (m_quarantine->*action)(backup);
        if (SUCCEEDED(hr))
        {
            EXPECT_EQ(S_OK, m_quarantine->StopOperation());
        }
        return hr;
    }

    // Views the archive of a backup made here; the view is what a restore takes.
    CComPtr<IBackup> View(IBackup* backup)
    {
        DATE time = 0;
        backup->get_Time(&time);
        CComPtr<IBackup> view = NewBackup({});
        view->put_Time(time);
        EXPECT_EQ(S_OK, Run(&IQuarantine::ViewBackup, view));
        return view;
    }

    // As the quarantine page does: the items of the threats with these IDs
    // are marked to be restored, every other item not to be.
    static IBackup* MarkForRestore(IBackup* view, const std::set<ULONG>& ids)
    {
        CComPtr<IThreatCollection> threats;
        view->get_Items(&threats);
        LONG count = 0;
        threats->get_Count(&count);
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            threats->get_Item(i, &threat);
            ULONG id = 0;
            LONG items = 0;
            threat->get_ID(&id);
            threat->get_Count(&items);
            for (LONG k = 0; k < items; ++k)
            {
                CComPtr<ISearchItem> item;
                threat->get_Item(k, &item);
                item->put_Repair(ids.count(id) ? 1 : 0);
            }
        }
        return view;
    }

    std::string PlantFile(const char* name, const std::vector<BYTE>& bytes)
    {
        const std::string path = m_temp.File(name);
        TempFolder::Write(path, bytes);
        return path;
    }

    size_t ArchiveFiles() const
    {
        WIN32_FIND_DATAA data;
        size_t n = 0;
        HANDLE h = FindFirstFileA((m_store + "\\archive*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return 0;
        do
            ++n;
        while (FindNextFileA(h, &data));
        FindClose(h);
        return n;
    }

    TempFolder m_temp;
    std::string m_store;
    CComPtr<IQuarantine> m_quarantine;
    CComObject<CQuarantineSink>* m_sink = nullptr;
    CComPtr<IUnknown> m_sinkHolder;
    DWORD m_cookie = 0;
    DWORD m_psCookie = 0;
};

} // namespace

TEST_F(QuarantineTest, UninitialisedStateAnswers)
{
    CComPtr<IBackup> backup = NewBackup({});
    CComPtr<IBackup> out;
    LONG value = 7;
    CComPtr<IUnknown> unk;
    EXPECT_EQ(E_NOTIMPL, m_quarantine->get__NewEnum(&unk));
    EXPECT_EQ(S_OK, m_quarantine->get_Count(&value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(E_POINTER, m_quarantine->get_Count(nullptr));
    EXPECT_EQ(E_INVALIDARG, m_quarantine->get_Item(0, &out));
    EXPECT_EQ(E_INVALIDARG, m_quarantine->get_Item(-1, nullptr));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->Lookup(1.0, &out));
    EXPECT_EQ(E_POINTER, m_quarantine->CreateBackup(nullptr));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->CreateBackup(backup));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->ViewBackup(backup));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->RestoreBackup(backup));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->ExecuteRemove(backup));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->StopOperation());
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->get_Running(&value));
    EXPECT_EQ(S_OK, m_quarantine->get_RebootRequired(&value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(E_POINTER, m_quarantine->get_RebootRequired(nullptr));
    EXPECT_EQ(E_FAIL, m_quarantine->RemoveBackupFromDisk(1.0));
    EXPECT_EQ(S_OK, m_quarantine->ShrinkStorage(0));

    // The class-object table makes it, with its connection point.
    CComPtr<IQuarantine> made;
    EXPECT_EQ(S_OK, EngineCreateInstance(CLSID_Quarantine, &made));
    CComQIPtr<IConnectionPointContainer> container(made);
    EXPECT_TRUE(container != nullptr);
    Init(m_store);
    EXPECT_EQ(S_OK, m_quarantine->get_Running(&value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->StopOperation());
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->Initialize(CComBSTR(L"C:\\elsewhere")));
}

TEST_F(QuarantineTest, BackupListLookupAndRemoval)
{
    const char* stems[] = {"archive 02.03.2007 10-00-00", "archive 05.01.2008 09-30-15", "archive 01.03.2007 23-59-59",
                           "archive junk"};
    for (const char* stem : stems)
    {
        TempFolder::Write(m_store + "\\" + stem + ".inf", std::vector<BYTE>(100, 1));
        TempFolder::Write(m_store + "\\" + stem + ".dat", std::vector<BYTE>(200, 2));
    }
    Init(m_store);
    const DATE newest = MakeDate(2008, 1, 5, 9, 30, 15), middle = MakeDate(2007, 3, 2, 10, 0, 0),
               oldest = MakeDate(2007, 3, 1, 23, 59, 59);
    // Newest first; the misnamed pair is not listed.
    ASSERT_EQ((std::vector<DATE>{newest, middle, oldest}), m_sink->added);
    LONG count = 0;
    m_quarantine->get_Count(&count);
    EXPECT_EQ(3, count);
    CComPtr<IBackup> second, found;
    ASSERT_EQ(S_OK, m_quarantine->get_Item(1, &second));
    EXPECT_EQ(E_POINTER, m_quarantine->get_Item(1, nullptr));
    EXPECT_EQ(E_INVALIDARG, m_quarantine->get_Item(3, &found));

    // Lookup compares every bit; removal from disk has a tolerance.
    ASSERT_EQ(S_OK, m_quarantine->Lookup(middle, &found));
    EXPECT_TRUE(found.IsEqualObject(second));
    found.Release();
    EXPECT_EQ(E_INVALIDARG, m_quarantine->Lookup(NextBit(middle), &found));
    EXPECT_EQ(E_POINTER, m_quarantine->Lookup(middle, nullptr));
    EXPECT_EQ(S_OK, m_quarantine->RemoveBackupFromDisk(NextBit(middle)));
    EXPECT_EQ((std::vector<DATE>{middle}), m_sink->removed);
    EXPECT_FALSE(TempFolder::Exists(m_store + "\\archive 02.03.2007 10-00-00.inf"));
    EXPECT_FALSE(TempFolder::Exists(m_store + "\\archive 02.03.2007 10-00-00.dat"));
    m_quarantine->get_Count(&count);
    EXPECT_EQ(2, count);

    // No archive of that time: a failure, the list kept.
    EXPECT_EQ(E_FAIL, m_quarantine->RemoveBackupFromDisk(middle));
    EXPECT_EQ(E_FAIL, m_quarantine->RemoveBackupFromDisk(newest + 1e-4));
    m_quarantine->get_Count(&count);
    EXPECT_EQ(2, count);
    EXPECT_EQ(1u, m_sink->removed.size());

    // Shrinking takes the oldest first, and its entry leaves the list.
    EXPECT_EQ(S_OK, m_quarantine->ShrinkStorage(350));
    EXPECT_EQ((std::vector<DATE>{middle, oldest}), m_sink->removed);
    EXPECT_TRUE(TempFolder::Exists(m_store + "\\archive 05.01.2008 09-30-15.inf"));
    EXPECT_FALSE(TempFolder::Exists(m_store + "\\archive 01.03.2007 23-59-59.dat"));
    m_quarantine->get_Count(&count);
    EXPECT_EQ(1, count);
    EXPECT_TRUE(TempFolder::Exists(m_store + "\\archive junk.inf"));
}

TEST_F(QuarantineTest, BackupAndRemoveProgressAndRunningState)
{
    Init(m_store);
    std::vector<CComPtr<IThreat>> threats;
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
    {
        char name[32];
        wsprintfA(name, "planted%d.bin", i);
        files.push_back(PlantFile(name, Pattern(100 + i, static_cast<BYTE>(i))));
        threats.push_back(Threat(100 + i, name, {Marked(saQuickDisk, files.back())}));
    }
    CComPtr<IBackup> backup = NewBackup(threats), other = NewBackup({});
    const DATE before = 0;
    backup->put_Time(before);
    ASSERT_EQ(S_OK, m_quarantine->CreateBackup(backup));
    // One action at a time; nothing that touches the archives meanwhile.
    LONG running = 0;
    EXPECT_EQ(S_OK, m_quarantine->get_Running(&running));
    EXPECT_EQ(1, running);
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->CreateBackup(other));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->ViewBackup(other));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->RestoreBackup(other));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->ExecuteRemove(other));
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->ShrinkStorage(0));
    DATE stamped = 0;
    backup->get_Time(&stamped);
    EXPECT_NE(before, stamped);
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->RemoveBackupFromDisk(stamped));
    // The entry is announced before the archive is written.
    EXPECT_EQ((std::vector<DATE>{stamped}), m_sink->added);

    EXPECT_EQ(S_OK, m_quarantine->StopOperation());
    // StopOperation returned only after the last event.
    const std::vector<Progress> expected = {{0, 5}, {0, 5}, {1, 5}, {1, 5}, {2, 5},
                                            {0, 5}, {1, 5}, {1, 5}, {2, 5}, {2, 5}, {0, 0}};
    EXPECT_EQ(expected, m_sink->progress);
    for (DWORD thread : m_sink->progressThreads)
        EXPECT_EQ(GetCurrentThreadId(), thread);   // through COM, on the sink's own thread
    EXPECT_EQ(S_OK, m_quarantine->get_Running(&running));
    EXPECT_EQ(0, running);
    EXPECT_EQ(E_UNEXPECTED, m_quarantine->StopOperation());
    for (const std::string& file : files)
        EXPECT_FALSE(TempFolder::Exists(file)) << file;
    EXPECT_EQ(2u, ArchiveFiles());
    LONG reboot = 1;
    m_quarantine->get_RebootRequired(&reboot);
    EXPECT_EQ(0, reboot);

    // A second backup in the same second gets a pair of its own.
    const std::string late = PlantFile("late.bin", Pattern(10, 9));
    CComPtr<IBackup> again = NewBackup({Threat(7, "Late", {Marked(saQuickDisk, late)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, again));
    DATE second = 0;
    again->get_Time(&second);
    EXPECT_GT(second, stamped);
    EXPECT_EQ(4u, ArchiveFiles());
    LONG count = 0;
    m_quarantine->get_Count(&count);
    EXPECT_EQ(2, count);
    CComPtr<IBackup> found;
    EXPECT_EQ(S_OK, m_quarantine->Lookup(second, &found));

    // Removal without backup: (i + 1, n), and no archive.
    const std::string a = PlantFile("a.bin", Pattern(5, 1)), b = PlantFile("b.bin", Pattern(5, 2));
    CComPtr<IBackup> plain = NewBackup({Threat(1, "A", {Marked(saQuickDisk, a)}), Threat(2, "B", {Marked(saQuickDisk, b)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::ExecuteRemove, plain));
    EXPECT_EQ((std::vector<Progress>{{1, 2}, {2, 2}, {0, 0}}), m_sink->progress);
    EXPECT_FALSE(TempFolder::Exists(a));
    EXPECT_FALSE(TempFolder::Exists(b));
    EXPECT_EQ(4u, ArchiveFiles());
    m_quarantine->get_Count(&count);
    EXPECT_EQ(2, count);
}

TEST_F(QuarantineTest, OnlySafelyBackedUpItemsAreRemoved)
{
    Init(m_store);
    PendingGuard pending;
    const std::string unmarked = PlantFile("unmarked.bin", Pattern(20, 1));
    const std::string locked = PlantFile("locked.bin", Pattern(30, 2));
    const std::string normal = PlantFile("normal.bin", Pattern(40, 3));
    const std::string kept = PlantFile("kept.bin", Pattern(50, 4));
    // Nobody may read the locked file, so its backup fails.
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    CComPtr<ISearchItem> lockedItem = Marked(saQuickDisk, locked);
    CComPtr<IBackup> backup =
        NewBackup({Threat(11, "Unmarked", {Marked(saQuickDisk, unmarked, "", nullptr, false, true),
                                           Marked(saQuickDisk, kept, "", nullptr, false, false)}),
                   Threat(12, "Marked", {lockedItem, Marked(saQuickDisk, normal)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));
    CloseHandle(lock);

    LONG repair = 1;
    lockedItem->get_Repair(&repair);
    EXPECT_EQ(0, repair);
    EXPECT_TRUE(TempFolder::Exists(locked));
    EXPECT_FALSE(PendingMentions(locked));
    LONG reboot = 1;
    m_quarantine->get_RebootRequired(&reboot);
    EXPECT_EQ(0, reboot);
    EXPECT_FALSE(TempFolder::Exists(normal));
    EXPECT_FALSE(TempFolder::Exists(unmarked));   // chosen for removal without backup
    EXPECT_TRUE(TempFolder::Exists(kept));

    // The archive holds one program: the one with a marked item.
    CComPtr<IBackup> view = View(backup);
    EXPECT_EQ((std::vector<Progress>{{1, 1}, {0, 0}}), m_sink->progress);
    CComPtr<IThreatCollection> threats;
    view->get_Items(&threats);
    LONG count = 0;
    threats->get_Count(&count);
    ASSERT_EQ(1, count);
    CComPtr<IThreat> threat;
    threats->get_Item(0, &threat);
    ULONG id = 0;
    threat->get_ID(&id);
    EXPECT_EQ(12u, id);
    threat->get_Count(&count);
    ASSERT_EQ(1, count);
    CComPtr<ISearchItem> item;
    threat->get_Item(0, &item);
    EXPECT_EQ(normal, NameOf(item));
}

TEST_F(QuarantineTest, UnwritableQuarantineFolderRemovesNothing)
{
    // A folder below a file cannot hold an archive.
    const std::string blocker = PlantFile("blocker", Pattern(4, 0));
    Init(blocker + "\\quarantine");
    const std::string file = PlantFile("victim.bin", Pattern(64, 5));
    const std::string key = KeyBase() + "\\Run";
    const std::vector<BYTE> victim = Bytes(std::string("c:\\victim.exe") + '\0');
    PlantValue(key, "victim", REG_SZ, victim);
    CComPtr<IBackup> backup = NewBackup({Threat(5, "Victim", {Marked(saQuickDisk, file),
                                                             Marked(saRegistry, key, "victim", HKEY_CURRENT_USER)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));
    EXPECT_EQ((std::vector<Progress>{{0, 0}}), m_sink->progress);
    EXPECT_EQ(Pattern(64, 5), TempFolder::Read(file));
    EXPECT_EQ(victim, ReadValue(key, "victim"));
}

TEST_F(QuarantineTest, InUseFileWaitsForTheNextStart)
{
    Init(m_store);
    PendingGuard pending;
    const std::string busy = PlantFile("busy.bin", Pattern(33, 7));
    // Readable for the backup, not deletable.
    HANDLE h = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CComPtr<IBackup> backup = NewBackup({Threat(9, "Busy", {Marked(saQuickDisk, busy)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));
    CloseHandle(h);
    LONG reboot = 0;
    m_quarantine->get_RebootRequired(&reboot);
    EXPECT_EQ(1, reboot);
    EXPECT_TRUE(PendingMentions(busy));
    DeleteFileA(busy.c_str());
}

TEST_F(QuarantineTest, EndToEndBackupRemoveViewRestore)
{
    Init(m_store);
    HostsGuard hosts;
    TempFolder::Write(hosts.Path(), Bytes("# local\r\n127.0.0.1 localhost\r\n127.0.0.1 ads.quatest.example\r\n"));

    // Disk: a file and a folder with a file and a subfolder.
    const std::vector<BYTE> fileBytes = Pattern(70000, 1), innerBytes = Pattern(5000, 2), deepBytes = Pattern(1, 3);
    const std::string file = PlantFile("spy.exe", fileBytes);
    const std::string folder = m_temp.File("SpyFolder");
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    TempFolder::Write(folder + "\\inner.dll", innerBytes);
    TempFolder::Write(folder + "\\sub\\deep.txt", deepBytes);

    // Registry: a key tree, a value, a guarded value.
    const std::string tree = KeyBase() + "\\SpyTree";
    PlantValue(tree, "Path", REG_SZ, Bytes(std::string("c:\\spy.exe") + '\0'));
    PlantValue(tree, "Count", REG_DWORD, {1, 2, 3, 4});
    PlantValue(tree + "\\Child", "Blob", REG_BINARY, Pattern(300, 9));
    const std::string run = KeyBase() + "\\Run";
    PlantValue(run, "spy", REG_SZ, Bytes(std::string("c:\\spy.exe") + '\0'));
    PlantValue(run, "good", REG_SZ, Bytes(std::string("c:\\good.exe") + '\0'));
    const std::string guarded = KeyBase() + "\\Main";
    const std::vector<BYTE> hijacked = Bytes(std::string("http://spy.example/") + '\0');
    const std::vector<BYTE> good = Bytes(std::string("about:blank") + '\0');
    PlantValue(guarded, "Start Page", REG_SZ, hijacked);

    CComPtr<ISearchItem> guardedItem = Marked(saGuardedRegistry, guarded, "Start Page", HKEY_CURRENT_USER);
    guardedItem->put_ValueType(REG_SZ);
    {
        SAFEARRAY* array = CreateByteSafeArray(good.data(), static_cast<DWORD>(good.size()));
        ASSERT_EQ(S_OK, guardedItem->SetGoodValue(static_cast<ULONG>(good.size()), &array));
        DestroySafeArray(&array);
    }
    CComPtr<IBackup> backup = NewBackup({
        Threat(21, "Disk Spy", {Marked(saQuickDisk, file), Marked(saFullDisk, folder)}),
        Threat(22, "Registry Spy", {Marked(saRegistry, tree, "", HKEY_CURRENT_USER),
                                    Marked(saRegistry, run, "spy", HKEY_CURRENT_USER)}),
        Threat(23, "Hijacker", {Marked(saHosts, "ads.quatest.example", "127.0.0.1"), guardedItem}),
    });
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));

    EXPECT_FALSE(TempFolder::Exists(file));
    EXPECT_FALSE(TempFolder::Exists(folder));
    EXPECT_FALSE(KeyExists(tree));
    EXPECT_EQ(std::vector<BYTE>{0xEE}, ReadValue(run, "spy"));
    EXPECT_EQ(Bytes(std::string("c:\\good.exe") + '\0'), ReadValue(run, "good"));
    EXPECT_EQ(good, ReadValue(guarded, "Start Page"));
    EXPECT_EQ(Bytes("# local\r\n127.0.0.1 localhost\r\n"), TempFolder::Read(hosts.Path()));
    LONG reboot = 1;
    m_quarantine->get_RebootRequired(&reboot);
    EXPECT_EQ(0, reboot);

    // View: the programs with their headers and items, ids counting from 0.
    CComPtr<IBackup> view = View(backup);
    EXPECT_EQ((std::vector<Progress>{{1, 3}, {2, 3}, {3, 3}, {0, 0}}), m_sink->progress);
    CComPtr<IThreatCollection> threats;
    view->get_Items(&threats);
    LONG count = 0;
    threats->get_Count(&count);
    ASSERT_EQ(3, count);
    std::vector<std::string> names;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        threats->get_Item(i, &threat);
        CComBSTR name, url;
        ULONG risk = 0, id = 0;
        threat->get_Name(&name);
        threat->get_URL(&url);
        threat->get_Risk(&risk);
        threat->get_ID(&id);
        EXPECT_EQ(3u, risk);
        EXPECT_EQ("http://example.invalid/info", Narrow(url));
        LONG items = 0;
        threat->get_Count(&items);
        for (LONG k = 0; k < items; ++k)
        {
            CComPtr<ISearchItem> item;
            threat->get_Item(k, &item);
            ULONG itemId = 99;
            item->get_ID(&itemId);
            EXPECT_EQ(static_cast<ULONG>(k), itemId);
            CComBSTR value;
            item->get_ItemValue(&value);
            names.push_back(std::to_string(id) + " " + NameOf(item) + " [" + Narrow(value) + "]");
            if (id == 22 && k == 1)
            {
                LONG_PTR root = 0;
                item->get_RootKey(&root);
                EXPECT_EQ(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER), root);
                EXPECT_EQ(Bytes(std::string("c:\\spy.exe") + '\0'), GetData(item));
            }
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {
        "21 " + file + " []", "21 " + folder + " []", "21 " + folder + "\\inner.dll []",
        "21 " + folder + "\\sub []", "21 " + folder + "\\sub\\deep.txt []",
        "22 " + run + " [spy]", "22 " + tree + " []",
        "23 " + guarded + " [Start Page]", "23 ads.quatest.example [127.0.0.1]",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names);

    // Restore puts each of them back.
    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(view, {21, 22, 23})));
    EXPECT_EQ((std::vector<Progress>{{0, 3}, {1, 3}, {2, 3}, {0, 0}}), m_sink->progress);
    EXPECT_EQ(fileBytes, TempFolder::Read(file));
    EXPECT_EQ(innerBytes, TempFolder::Read(folder + "\\inner.dll"));
    EXPECT_EQ(deepBytes, TempFolder::Read(folder + "\\sub\\deep.txt"));
    DWORD type = 0;
    EXPECT_EQ(Bytes(std::string("c:\\spy.exe") + '\0'), ReadValue(tree, "Path", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4}), ReadValue(tree, "Count", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(Pattern(300, 9), ReadValue(tree + "\\Child", "Blob", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(Bytes(std::string("c:\\spy.exe") + '\0'), ReadValue(run, "spy"));
    EXPECT_EQ(hijacked, ReadValue(guarded, "Start Page"));
    EXPECT_EQ(Bytes("# local\r\n127.0.0.1 localhost\r\n127.0.0.1\tads.quatest.example\r\n"),
              TempFolder::Read(hosts.Path()));
}

TEST_F(QuarantineTest, DotFoldersOutliveTheCleanAndTheRestComesBack)
{
    Init(m_store);
    // A program folder whose ".state" subfolder the backup passes over.
    const std::string folder = m_temp.File("Common Files");
    const char* folders[] = {"", "\\Prog", "\\Prog\\.state", "\\Prog\\.state\\inner", "\\Prog\\sub",
                             "\\Prog\\sub\\.cache", "\\Prog\\sub\\deeper"};
    for (const char* sub : folders)
        CreateDirectoryA((folder + sub).c_str(), nullptr);
    const std::string program = folder + "\\Prog";
    const std::vector<std::pair<std::string, std::vector<BYTE>>> kept = {
        {program + "\\.state\\state.dat", Pattern(700, 1)},
        {program + "\\.state\\inner\\settings.ini", Pattern(30, 2)},
        {program + "\\sub\\.cache\\c.txt", Pattern(5, 3)},
    };
    const std::vector<std::pair<std::string, std::vector<BYTE>>> cleaned = {
        {program + "\\prog.dll", Pattern(9000, 4)},
        {program + "\\.profile", Pattern(12, 5)},
        {program + "\\sub\\mid.txt", Pattern(300, 6)},
        {program + "\\sub\\deeper\\deep.bin", Pattern(4000, 7)},
    };
    for (const auto& file : kept)
        TempFolder::Write(file.first, file.second);
    for (const auto& file : cleaned)
        TempFolder::Write(file.first, file.second);

    CComPtr<IBackup> backup = NewBackup({Threat(31, "Dotted", {Marked(saFullDisk, program)})});
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));
    for (const auto& file : kept)
        EXPECT_EQ(file.second, TempFolder::Read(file.first)) << file.first;
    for (const auto& file : cleaned)
        EXPECT_FALSE(TempFolder::Exists(file.first)) << file.first;
    EXPECT_FALSE(TempFolder::Exists(program + "\\sub\\deeper"));
    LONG reboot = 1;
    m_quarantine->get_RebootRequired(&reboot);
    EXPECT_EQ(0, reboot);

    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(View(backup), {31})));
    for (const auto& file : cleaned)
        EXPECT_EQ(file.second, TempFolder::Read(file.first)) << file.first;
    for (const auto& file : kept)
        EXPECT_EQ(file.second, TempFolder::Read(file.first)) << file.first;
}

TEST_F(QuarantineTest, RestoreTakesOnlyTheMarkedThreatsAndChangesNothingTheSecondTime)
{
    Init(m_store);
    HostsGuard hosts;
    TempFolder::Write(hosts.Path(), Bytes("127.0.0.1 localhost\r\n127.0.0.1 ads.partial.example"));
    const std::vector<BYTE> firstBytes = Pattern(20000, 4), secondBytes = Pattern(900, 5);
    const std::string first = PlantFile("first.exe", firstBytes), second = PlantFile("second.exe", secondBytes);
    const std::string key = KeyBase() + "\\Partial";
    PlantValue(key, "first", REG_BINARY, Pattern(40, 6));
    PlantValue(key, "second", REG_EXPAND_SZ, Bytes(std::string("%TEMP%\\x.exe") + '\0'));
    CComPtr<IBackup> backup = NewBackup({
        Threat(41, "First Spy", {Marked(saQuickDisk, first), Marked(saRegistry, key, "first", HKEY_CURRENT_USER),
                                 Marked(saHosts, "ads.partial.example", "127.0.0.1")}),
        Threat(42, "Second Spy", {Marked(saQuickDisk, second), Marked(saRegistry, key, "second", HKEY_CURRENT_USER)}),
    });
    ASSERT_EQ(S_OK, Run(&IQuarantine::CreateBackup, backup));
    ASSERT_FALSE(TempFolder::Exists(first));
    ASSERT_FALSE(TempFolder::Exists(second));

    // Only the first comes back, byte for byte and type for type.
    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(View(backup), {41})));
    DWORD type = 0;
    EXPECT_EQ(firstBytes, TempFolder::Read(first));
    EXPECT_EQ(Pattern(40, 6), ReadValue(key, "first", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    const std::vector<BYTE> hostsOnce = Bytes("127.0.0.1 localhost\r\n127.0.0.1\tads.partial.example\r\n");
    EXPECT_EQ(hostsOnce, TempFolder::Read(hosts.Path()));
    EXPECT_FALSE(TempFolder::Exists(second));
    EXPECT_EQ(std::vector<BYTE>{0xEE}, ReadValue(key, "second"));
    LONG count = 0;
    m_quarantine->get_Count(&count);
    EXPECT_EQ(1, count);
    EXPECT_EQ(2u, ArchiveFiles());

    // Restoring it again changes nothing: no second hosts line, the file
    // not rewritten; a file changed since is put back as it was.
    FILETIME old = {0x12345600, 0x01C00000};
    {
        HANDLE h = CreateFileA(first.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(h, nullptr, nullptr, &old);
        CloseHandle(h);
    }
    PlantValue(key, "first", REG_SZ, Bytes("changed"));
    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(View(backup), {41})));
    EXPECT_EQ(hostsOnce, TempFolder::Read(hosts.Path()));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(first.c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(old.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(Pattern(40, 6), ReadValue(key, "first", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    TempFolder::Write(first, Bytes("tampered"));
    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(View(backup), {41})));
    EXPECT_EQ(firstBytes, TempFolder::Read(first));
    std::vector<std::string> names = m_temp.List();   // no unpacked copy is left beside it
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"first.exe", "quarantine"}), names);

    // The rest is still there to restore later.
    ASSERT_EQ(S_OK, Run(&IQuarantine::RestoreBackup, MarkForRestore(View(backup), {42})));
    EXPECT_EQ(secondBytes, TempFolder::Read(second));
    EXPECT_EQ(Bytes(std::string("%TEMP%\\x.exe") + '\0'), ReadValue(key, "second", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
}

TEST(QuarantineText, RemoveErrorTexts)
{
    EXPECT_STREQ("Process inaccessible: #5", CQuarantine::FormatRemoveError(0, nullptr, 5));
    EXPECT_STREQ("Registry item inaccessible: Software\\X (error #2)",
                 CQuarantine::FormatRemoveError(1, "Software\\X", 2));
    EXPECT_STREQ("Registry item inaccessible: Software\\Y (error #5)",
                 CQuarantine::FormatRemoveError(2, "Software\\Y", 5));
    EXPECT_STREQ("File inaccessible: c:\\a.exe", CQuarantine::FormatRemoveError(3, "c:\\a.exe", 32));
    EXPECT_STREQ("File inaccessible: c:\\b", CQuarantine::FormatRemoveError(4, "c:\\b", 32));
    EXPECT_STREQ("File inaccessible: cookie.txt", CQuarantine::FormatRemoveError(6, "cookie.txt", 32));
    EXPECT_STREQ("Hosts file inaccessible: ads (error #32)", CQuarantine::FormatRemoveError(5, "ads", 32));
    EXPECT_STREQ("", CQuarantine::FormatRemoveError(7, "x", 1));
    const std::string longName(3000, 'n');
    EXPECT_EQ(1024, CQuarantine::FormatRemoveError(3, longName.c_str(), 1).GetLength());
}
