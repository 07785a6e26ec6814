#include "engine/scanner.h"

#include <process.h>
#include <string.h>

#include <string>

#include "engine/comhelpers.h"
#include "engine/enginelogtext.h"
#include "engine/engineobjects.h"
#include "engine/ignorelist.h"
#include "engine/proxystubs.h"
#include "foundation/syshelpers.h"
#include "platform/sehguard.h"

#define SCANNER_MESSAGE(...) FormatSourceError(CEngineLogText, "engine/scanner", __LINE__, __VA_ARGS__)

namespace {

typedef BOOL(WINAPI* ImpersonateFunc)(HANDLE);
typedef BOOL(WINAPI* RevertFunc)();

bool ValidArea(int area)
{
    return area >= saProcesses && area < saMaxAreaNumber;
}

HKEY RootKeyOf(DWORD rootKey)
{
    // Predefined keys are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(rootKey)));
}

void SetByteData(ISearchItem* item, DWORD size, const BYTE* bytes, bool good)
{
    SAFEARRAY* array = CreateByteSafeArray(bytes, size);
    if (!array)
        CheckHResult(E_OUTOFMEMORY);
    HRESULT hr = good ? item->SetGoodValue(size, &array) : item->SetValueData(size, &array);
    DestroySafeArray(&array);
    CheckHResult(hr);
}

// The first folder event of the process is not sent.
DWORD g_lastFolderTick = 0;
bool g_folderTickSet = false;

} // namespace

CScanner::CScanner()
    : m_databasePath(L"result.bin"),
      m_resultsStream(nullptr),
      m_workerResults(nullptr),
      m_thread(nullptr),
      m_scanIgnoreList(nullptr),
      m_running(0),
      m_stopRequested(0),
      m_workerCom(false),
      m_proxyCookie(0),
      m_impersonating(false),
      m_scanningInterval(DefaultScanningInterval)
{
    m_scanner.AddListener(this);
    for (int i = 0; i < CInternalScanner::AreaCount; ++i)
    {
        m_lastScanningTick[i] = 0;
        m_pendingScanning[i] = 0;
        m_hasPendingScanning[i] = false;
    }
}

CScanner::~CScanner()
{
    Stop();
    CloseFinishedThread();
    ReleaseMarshalledStreams();
}

HRESULT CScanner::FinalConstruct()
{
    HRESULT hr = EngineCreateInstance(CLSID_Paths, &m_paths);
    if (SUCCEEDED(hr))
        hr = EngineCreateInstance(CLSID_ThreatCollection, &m_results);
    if (SUCCEEDED(hr))
        hr = EngineCreateInstance(CLSID_IgnoreList, &m_ignoreList);
    if (SUCCEEDED(hr))
        hr = EngineCreateInstance(CLSID_Log, &m_log);
    return hr;
}

void CScanner::FinalRelease()
{
    // The worker uses this object: it must be gone before anything is freed.
    Stop();
    CloseFinishedThread();
}

// ------------------------------------------------------------------ IScanner

HRESULT CScanner::Initialize(BSTR databasePath, BSTR keyText)
{
    if (IsRunning())
        return E_UNEXPECTED;
    m_databasePath = databasePath;
    m_scanner.SetKeyText(keyText);
    return m_scanner.OpenDefinitions(m_databasePath) ? S_OK : S_FALSE;
}

HRESULT CScanner::get_DatabasePath(BSTR* path)
{
    if (!path)
        return E_POINTER;
    return m_databasePath.CopyTo(path);
}

HRESULT CScanner::put_Paths(IPaths* paths)
{
    if (IsRunning())
        return E_UNEXPECTED;
    if (!paths)
        return E_POINTER;
    m_paths = paths;
    return S_OK;
}

HRESULT CScanner::get_Paths(IPaths** paths)
{
    if (!paths)
        return E_POINTER;
    *paths = nullptr;
    if (!m_paths)
        return E_UNEXPECTED;
    return m_paths->QueryInterface(IID_IPaths, reinterpret_cast<void**>(paths));
}

HRESULT CScanner::put_AreaEnabled(ScanAreaType area, BOOL enable)
{
    if (IsRunning())
        return E_UNEXPECTED;
    if (!ValidArea(area))
        return E_INVALIDARG;
    m_scanner.SetAreaEnabled(area, enable != 0);
    return S_OK;
}

HRESULT CScanner::get_AreaEnabled(ScanAreaType area, BOOL* enabled)
{
    if (!enabled)
        return E_POINTER;
    if (!ValidArea(area))
        return E_INVALIDARG;
    *enabled = m_scanner.IsAreaEnabled(area) ? 1 : 0;
    return S_OK;
}

HRESULT CScanner::put_Results(IThreatCollection* results)
{
    if (IsRunning())
        return E_UNEXPECTED;
    if (!results)
        return E_POINTER;
    m_results = results;
    return S_OK;
}

HRESULT CScanner::get_Results(IThreatCollection** results)
{
    if (!results)
        return E_POINTER;
    *results = nullptr;
    if (!m_results)
        return E_UNEXPECTED;
    return m_results->QueryInterface(IID_IThreatCollection, reinterpret_cast<void**>(results));
}

HRESULT CScanner::get_IgnoreList(IIgnoreList** ignoreList)
{
    if (!ignoreList)
        return E_POINTER;
    *ignoreList = nullptr;
    if (!m_ignoreList)
        return E_UNEXPECTED;
    return m_ignoreList->QueryInterface(IID_IIgnoreList, reinterpret_cast<void**>(ignoreList));
}

HRESULT CScanner::Start()
{
    if (IsRunning())
        return S_FALSE;
    CloseFinishedThread();
    if (!m_databasePath || GetFileAttributesA(CW2A(m_databasePath)) == INVALID_FILE_ATTRIBUTES)
    {
        SCANNER_MESSAGE("Failed to init database");
        return E_FAIL;
    }
    if (!m_results || !m_paths)
        return E_UNEXPECTED;

    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IThreatCollection, m_results, &m_resultsStream);
    if (FAILED(hr))
    {
        m_resultsStream = nullptr;
        return hr;
    }

    m_scanner.ClearPaths();
    LONG count = 0;
    if (SUCCEEDED(m_paths->get_Count(&count)))
        for (LONG i = 0; i < count; ++i)
        {
            CComBSTR path;
            if (SUCCEEDED(m_paths->get_Item(i, &path)) && path)
                m_scanner.AddPath(CW2A(path));
        }

    CComDynamicUnkArray& sinks = Sinks();
    for (int i = 0; i < sinks.GetSize(); ++i)
    {
        CComQIPtr<IScannerEvents> sink(sinks.GetAt(i));
        if (!sink)
            continue;
        IStream* stream = nullptr;
        if (SUCCEEDED(CoMarshalInterThreadInterfaceInStream(IID_IScannerEvents, sink, &stream)))
            m_sinkStreams.push_back(stream);
    }

    // The worker reads its own copy of the ignore list.
    if (m_ignoreList)
    {
        CIgnoreList* own = static_cast<CIgnoreList*>(static_cast<IIgnoreList*>(m_ignoreList.p));
        if (FAILED(own->Snapshot(&m_scanIgnoreList)))
            m_scanIgnoreList = nullptr;
    }

    for (int i = 0; i < CInternalScanner::AreaCount; ++i)
        m_hasPendingScanning[i] = false;
    // A stop asked for from now on holds for this scan.
    InterlockedExchange(&m_stopRequested, 0);
    SCANNER_MESSAGE("Starting scanner thread");
    InterlockedExchange(&m_running, 1);
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ScanThreadProc, this, 0, nullptr));
    if (!m_thread)
    {
        InterlockedExchange(&m_running, 0);
        ReleaseMarshalledStreams();
        if (m_scanIgnoreList)
            m_scanIgnoreList->Release();
        m_scanIgnoreList = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CScanner::Stop()
{
    if (!IsRunning() || !m_thread)
        return S_FALSE;
    InterlockedExchange(&m_stopRequested, 1);
    m_scanner.Stop();
    // Wait on a handle of our own: a call that comes in while this one
    // pumps messages may close the shared one.
    HANDLE own = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), m_thread, GetCurrentProcess(), &own, SYNCHRONIZE, FALSE, 0))
    {
        WaitForSingleObjectWithMessages(own, INFINITE);
        CloseHandle(own);
    }
    else
        while (IsRunning())
            WaitForSingleObjectWithMessages(GetCurrentThread(), 10);
    CloseFinishedThread();
    return S_OK;
}

HRESULT CScanner::Pause(BOOL pause)
{
    if (!IsRunning())
        return S_FALSE;
    m_scanner.SetPause(pause != 0);
    return S_OK;
}

HRESULT CScanner::get_Running(BOOL* running)
{
    if (!running)
        return E_POINTER;
    *running = IsRunning() ? 1 : 0;
    return S_OK;
}

HRESULT CScanner::GetDatabaseInfo(ULONG* stamp, ULONG* programs, ULONG* items)
{
    if (!stamp || !programs || !items)
        return E_POINTER;
    if (IsRunning())
        return S_FALSE;
    DWORD s = 0, p = 0, n = 0;
    if (!CInternalScanner::ReadDatabaseInfo(m_databasePath, &s, &p, &n))
        return E_FAIL;
    *stamp = s;
    *programs = p;
    *items = n;
    return S_OK;
}

void CScanner::FireScannerException(ULONG_PTR exceptionInfo)
{
    Fire_OnScannerException(exceptionInfo);
}

// -------------------------------------------------------------------- worker

void CScanner::CloseFinishedThread()
{
    if (!m_thread || IsRunning())
        return;
    // The worker has cleared the running state as its last step; let it leave.
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

void CScanner::ReleaseMarshalledStreams()
{
    if (m_resultsStream)
    {
        CoReleaseMarshalData(m_resultsStream);
        m_resultsStream->Release();
        m_resultsStream = nullptr;
    }
    for (IStream* stream : m_sinkStreams)
        if (stream)
        {
            CoReleaseMarshalData(stream);
            stream->Release();
        }
    m_sinkStreams.clear();
}

unsigned __stdcall CScanner::ScanThreadProc(void* arg)
{
    CScanner* self = static_cast<CScanner*>(arg);
    if (!CSehGuard::Run(&CScanner::GuardedScan, &CScanner::OnScanException, self))
        self->RecoverFromException();
    InterlockedExchange(&self->m_running, 0);
    return 0;
}

void CScanner::GuardedScan(void* arg)
{
    CScanner* self = static_cast<CScanner*>(arg);
    self->m_workerCom = SUCCEEDED(CoInitialize(nullptr));
    // The engine's interfaces travel through the proxies built into the program.
    if (FAILED(RegisterEngineProxyStubs(&self->m_proxyCookie)))
        self->m_proxyCookie = 0;
    SCANNER_MESSAGE("Unmarshaling required items");
    if (self->UnmarshalItems())
        self->RunImpersonated();
    self->ReleaseWorkerItems();
    self->EndWorkerCom();
    CEngineLogText.Empty();
}

void CScanner::OnScanException(EXCEPTION_POINTERS* info, void* arg)
{
    CScanner* self = static_cast<CScanner*>(arg);
    SCANNER_MESSAGE("Current folder: %s", self->m_scanner.GetCurrentFolder());
    self->FireScannerException(reinterpret_cast<ULONG_PTR>(info));
}

void CScanner::RecoverFromException()
{
    // What the abandoned scan held, so that the next one starts clean. The
    // engine message text stays for the crash report.
    if (m_impersonating)
    {
        RevertToSelf();
        m_impersonating = false;
    }
    m_scanner.CloseDatabase();
    ReleaseWorkerItems();
    EndWorkerCom();
}

bool CScanner::UnmarshalItems()
{
    if (!m_resultsStream)
        return false;
    HRESULT hr = CoGetInterfaceAndReleaseStream(m_resultsStream, IID_IThreatCollection,
                                                reinterpret_cast<void**>(&m_workerResults));
    m_resultsStream = nullptr;
    if (FAILED(hr) || !m_workerResults)
    {
        m_workerResults = nullptr;
        return false;
    }
    for (IStream* stream : m_sinkStreams)
    {
        IScannerEvents* sink = nullptr;
        if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream, IID_IScannerEvents, reinterpret_cast<void**>(&sink))))
            m_workerSinks.push_back(sink);
    }
    m_sinkStreams.clear();
    return true;
}

void CScanner::RunImpersonated()
{
    HANDLE token = nullptr;
    IRunAs* runAs = nullptr;
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    ImpersonateFunc impersonate = nullptr;
    RevertFunc revert = nullptr;
    if (advapi)
    {
        impersonate = reinterpret_cast<ImpersonateFunc>(
            reinterpret_cast<void*>(GetProcAddress(advapi, "ImpersonateLoggedOnUser")));
        revert = reinterpret_cast<RevertFunc>(reinterpret_cast<void*>(GetProcAddress(advapi, "RevertToSelf")));
    }
    if (!impersonate || !revert)
        m_scanner.PrepareUserContext(false);
    else
    {
        SCANNER_MESSAGE("Impersonation code");
        if (FAILED(EngineCreateInstance(CLSID_RunAs, &runAs)))
            runAs = nullptr;
        m_scanner.PrepareUserContext(false);
        if (runAs)
        {
            SCANNER_MESSAGE("Impersonation - try");
            LONG_PTR held = 0;
            if (SUCCEEDED(runAs->get_SecurityToken(&held)) && held)
            {
                token = reinterpret_cast<HANDLE>(held);
                m_scanner.PrepareUserContext(true);
                if (impersonate(token))
                {
                    m_impersonating = true;
                    SCANNER_MESSAGE("Scanner successfully impersonated !");
                }
                else
                {
                    token = nullptr;
                    // Impersonation failed: the scan runs as ourselves.
                    m_scanner.PrepareUserContext(false);
                }
            }
        }
    }

    m_scanner.StartScan(CW2A(m_databasePath));

    if (token && revert)
        revert();
    m_impersonating = false;
    if (runAs)
        runAs->Release();
    if (advapi)
        FreeLibrary(advapi);

    // The results and sinks are let go by ReleaseWorkerItems, which follows.
    if (m_workerResults)
        m_workerResults->put_Complete(m_scanner.GetCompleteFlag() ? 1 : 0);
}

void CScanner::ReleaseWorkerItems()
{
    if (m_workerResults)
    {
        m_workerResults->Release();
        m_workerResults = nullptr;
    }
    for (IScannerEvents* sink : m_workerSinks)
        if (sink)
            sink->Release();
    m_workerSinks.clear();
    ReleaseMarshalledStreams();
    if (m_scanIgnoreList)
    {
        m_scanIgnoreList->Release();
        m_scanIgnoreList = nullptr;
    }
}

void CScanner::EndWorkerCom()
{
    if (m_proxyCookie)
    {
        RevokeEngineProxyStubs(m_proxyCookie);
        m_proxyCookie = 0;
    }
    if (m_workerCom)
    {
        CoUninitialize();
        m_workerCom = false;
    }
}

// ------------------------------------------------------------------ listener

void CScanner::ReapplyStop()
{
    // The internal scanner clears its stop flag when it begins; a stop that
    // came before must still end this scan.
    if (m_stopRequested)
        m_scanner.Stop();
}

void CScanner::OnItemFound(int area, DWORD programNumber, const char* name, const char* value,
                           DWORD typeOrProcessId, DWORD dataSize, const BYTE* data, DWORD rootKey, BYTE known,
                           const char* extra)
{
    ReapplyStop();
    if (!m_workerResults)
        return;
    CComPtr<IThreat> threat;
    bool isNew = false;
    m_workerResults->Lookup(programNumber, &threat);
    if (!threat)
    {
        if (FAILED(m_workerResults->CreateElement(CLSID_Threat, &threat)) || !threat)
            return;
        isNew = true;
        if (known)
        {
            std::vector<char> programName(4096), description(4096), url(4096);
            DWORD risk = 0;
            m_scanner.GetProgramInfo(programNumber, programName.data(), description.data(), url.data(), 4096, &risk);
            CheckHResult(threat->put_ID(programNumber));
            CheckHResult(threat->put_Name(CComBSTR(programName.data())));
            CheckHResult(threat->put_Description(CComBSTR(description.data())));
            CheckHResult(threat->put_URL(CComBSTR(url.data())));
            CheckHResult(threat->put_Risk(risk));
        }
        else
        {
            std::string text = "UNKNOWN - ";
            text += value ? value : "";
            text += " [ ";
            text += extra ? extra : "";
            text += " ]";
            CheckHResult(threat->put_ID(programNumber));
            CheckHResult(threat->put_Name(CComBSTR(text.c_str())));
            CheckHResult(threat->put_Description(CComBSTR(L"")));
            CheckHResult(threat->put_URL(CComBSTR(L"")));
            CheckHResult(threat->put_Risk(1));
        }
    }

    CComPtr<ISearchItem> item;
    if (FAILED(threat->CreateElement(CLSID_SearchItem, &item)) || !item)
        return;
    CheckHResult(item->put_Type(static_cast<ScanAreaType>(area)));
    CheckHResult(item->put_ItemName(CComBSTR(name)));
    CheckHResult(item->put_ItemValue(CComBSTR(value)));
    CheckHResult(item->put_Known(known ? 1 : 0));

    if (area == saGuardedRegistry)
        SetByteData(item, dataSize, data, true);
    if (area == saRegistry || area == saGuardedRegistry)
    {
        CheckHResult(item->put_RootKey(static_cast<LONG_PTR>(static_cast<LONG>(rootKey))));
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootKeyOf(rootKey), name ? name : "", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
        {
            DWORD type = 0, size = 0;
            if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
            {
                std::vector<BYTE> buffer(size ? size : 1);
                DWORD read = size;
                if (RegQueryValueExA(key, value, nullptr, &type, buffer.data(), &read) == ERROR_SUCCESS)
                {
                    if (!(type == REG_SZ && read == 1))
                        SetByteData(item, read, buffer.data(), false);
                    if (area == saRegistry)
                        CheckHResult(item->put_ValueType(type));
                }
            }
            RegCloseKey(key);
        }
        // A guarded value's type is the database's, which its repair writes
        // with the good value; the registry's own may be what is wrong, or
        // there may be none at all.
        if (area == saGuardedRegistry)
            CheckHResult(item->put_ValueType(typeOrProcessId));
    }
    else if (area == saProcesses)
        CheckHResult(item->put_ValueType(typeOrProcessId));

    if (m_scanIgnoreList)
    {
        INT index = -1;
        if (m_scanIgnoreList->CheckSearchItem(programNumber, item, &index) == S_OK)
            return;
    }
    if (isNew && FAILED(m_workerResults->Add(threat)))
        return;
    threat->Add(item);
}

void CScanner::OnAccessError(int, const char*, DWORD)
{
    ReapplyStop();
}

void CScanner::OnStartedArea(int area)
{
    ReapplyStop();
    Fire_OnStartedArea(static_cast<ScanAreaType>(area));
}

void CScanner::FlushScanning(int area)
{
    if (area >= 0 && area < CInternalScanner::AreaCount && m_hasPendingScanning[area])
    {
        m_hasPendingScanning[area] = false;
        Fire_OnScanning(static_cast<ScanAreaType>(area), m_pendingScanning[area]);
    }
}

void CScanner::OnCompleteArea(int area)
{
    ReapplyStop();
    // The full-disk step reports its files as area 3.
    if (area == saFullDisk)
        FlushScanning(saQuickDisk);
    FlushScanning(area);
    if (area == saMaxAreaNumber)
        for (int i = 0; i < CInternalScanner::AreaCount; ++i)
            FlushScanning(i);
    Fire_OnCompleteArea(static_cast<ScanAreaType>(area));
}

void CScanner::OnScanningFolder(const char* folder)
{
    ReapplyStop();
    const DWORD now = GetTickCount();
    if (!g_folderTickSet)
    {
        g_folderTickSet = true;
        g_lastFolderTick = now;
        return;
    }
    if (now - g_lastFolderTick <= 1000)
        return;
    g_lastFolderTick = now;
    Fire_OnScanningFolder(folder);
}

void CScanner::OnScanning(int area, DWORD itemsScanned)
{
    ReapplyStop();
    if (area < 0 || area >= CInternalScanner::AreaCount)
        return;
    const DWORD now = GetTickCount();
    if (m_scanningInterval && now - m_lastScanningTick[area] < m_scanningInterval)
    {
        m_pendingScanning[area] = itemsScanned;
        m_hasPendingScanning[area] = true;
        return;
    }
    m_hasPendingScanning[area] = false;
    m_lastScanningTick[area] = now;
    Fire_OnScanning(static_cast<ScanAreaType>(area), itemsScanned);
}
