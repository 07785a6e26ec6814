#include "engine/quarantine.h"

#include <process.h>
#include <algorithm>
#include <stdio.h>
#include <string.h>

#include <string>

#include "engine/backup.h"
#include "engine/comhelpers.h"
#include "engine/enginelogtext.h"
#include "engine/engineobjects.h"
#include "engine/internalremove.h"
#include "engine/proxystubs.h"
#include "foundation/syshelpers.h"
#include "platform/sehguard.h"

#define QLOG(...) FormatSourceError(CEngineLogText, "engine/quarantine", __LINE__, __VA_ARGS__)

namespace {

// One second as a DATE.
const double kOneSecond = 1.0 / 86400.0;
// Backup times within this of each other name the same archive pair.
const double kSameSecond = 0.4 * kOneSecond;

std::string Ansi(BSTR text)
{
    if (!text)
        return std::string();
    CW2A narrow(text);
    return std::string(static_cast<LPSTR>(narrow));
}

std::string ErrorText(const _com_error& error)
{
    const char* message = error.ErrorMessage();
    char code[32];
    snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(error.Error()));
    return message && *message ? std::string(message) : std::string(code);
}

bool SameSecond(DATE a, DATE b)
{
    const double difference = a - b;
    return difference < kSameSecond && difference > -kSameSecond;
}

// The HKEY of a stored root-key value (registry handles sign-extend).
LONG_PTR RootKeyOf(DWORD area, DWORD stored)
{
    if (area == saRegistry || area == saGuardedRegistry)
        return static_cast<LONG_PTR>(static_cast<LONG>(stored));
    return static_cast<LONG_PTR>(stored);
}

} // namespace

CQuarantine::CQuarantine()
    : m_hWorker(nullptr), m_lRunning(0), m_bInitialized(0), m_lReboot(0), m_dwAction(0),
      m_pBackupStream(nullptr), m_pActionBackup(nullptr), m_bWorkerInCom(false), m_dwProxyCookie(0)
{
}

CQuarantine::~CQuarantine()
{
}

HRESULT CQuarantine::FinalConstruct()
{
    // The log is held for the object's life; the quarantine works without it.
    EngineCreateInstance(CLSID_Log, &m_log);
    return S_OK;
}

void CQuarantine::FinalRelease()
{
    // The worker uses this object until it ends.
    if (m_hWorker)
    {
        WaitForSingleObjectWithMessages(m_hWorker, INFINITE);
        CloseHandle(m_hWorker);
        m_hWorker = nullptr;
    }
    ReleaseSinkStreams();
    ReleaseMarshalledStream(m_pBackupStream);
    m_pBackupStream = nullptr;
    ClearBackupEntries();
    m_log.Release();
}

// ---------------------------------------------------------------- the list

HRESULT CQuarantine::get__NewEnum(IUnknown**)
{
    return E_NOTIMPL;
}

HRESULT CQuarantine::get_Item(INT index, IBackup** backup)
{
    if (index < 0 || static_cast<size_t>(index) >= m_backups.size())
        return E_INVALIDARG;
    if (!backup)
        return E_POINTER;
    *backup = m_backups[static_cast<size_t>(index)];
    (*backup)->AddRef();
    return S_OK;
}

HRESULT CQuarantine::get_Count(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<LONG>(m_backups.size());
    return S_OK;
}

HRESULT CQuarantine::Lookup(DATE time, IBackup** backup)
{
    if (!m_bInitialized)
        return E_UNEXPECTED;
    if (!backup)
        return E_POINTER;
    *backup = nullptr;
    for (size_t i = 0; i < m_backups.size(); ++i)
    {
        DATE own = 0;
        if (FAILED(m_backups[i]->get_Time(&own)) || memcmp(&own, &time, sizeof(DATE)) != 0)
            continue;
        *backup = m_backups[i];
        (*backup)->AddRef();
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT CQuarantine::Initialize(BSTR folder)
{
    const std::string path = Ansi(folder);
    if (!m_store.Initialize(path.c_str()))
        return E_UNEXPECTED;
    for (int i = 0; i < m_store.GetCount(); ++i)
    {
        CComPtr<IBackup> backup;
        HRESULT hr = CreateBackupObject(CLSID_Backup, &backup);
        if (FAILED(hr))
            return hr;
        hr = backup->put_Time(m_store.GetArchive(i).GetTime());
        if (FAILED(hr))
            return hr;
        hr = AddBackupEntry(backup);
        if (FAILED(hr))
            return hr;
    }
    m_bInitialized = 1;
    return S_OK;
}

IQuarantine* CQuarantine::GetSource()
{
    return static_cast<IQuarantine*>(this);
}

HRESULT CQuarantine::CreateBackupObject(REFCLSID clsid, IBackup** backup)
{
    return EngineCreateInstance(clsid, backup);
}

HRESULT CQuarantine::AddBackupEntry(IBackup* backup)
{
    if (!backup)
        return E_POINTER;
    CComPtr<IBackup> entry;
    HRESULT hr = CreateBackupObject(CLSID_Backup, &entry);
    if (FAILED(hr))
        return hr;
    DATE time = 0;
    hr = backup->get_Time(&time);
    if (FAILED(hr))
        return hr;
    hr = entry->put_Time(time);
    if (FAILED(hr))
        return hr;
    m_backups.push_back(entry);
    Fire_OnItemAdded(GetSource(), entry);
    return S_OK;
}

HRESULT CQuarantine::RemoveBackupEntry(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_backups.size())
        return E_INVALIDARG;
    CComPtr<IBackup> entry = m_backups[static_cast<size_t>(index)];
    m_backups.erase(m_backups.begin() + index);
    Fire_OnItemRemoved(GetSource(), entry);
    return S_OK;
}

HRESULT CQuarantine::ClearBackupEntries()
{
    m_backups.clear();
    return S_OK;
}

HRESULT CQuarantine::FireQuarantineException(ULONG_PTR exceptionPointers)
{
    return Fire_OnQuaException(exceptionPointers);
}

bool CQuarantine::IsTimeTaken(DATE time) const
{
    for (size_t i = 0; i < m_backups.size(); ++i)
    {
        DATE own = 0;
        if (SUCCEEDED(m_backups[i]->get_Time(&own)) && SameSecond(own, time))
            return true;
    }
    return false;
}

// Entries whose archive the store no longer holds leave the list.
void CQuarantine::DropEntriesWithoutArchive()
{
    if (!m_bInitialized)
        return;
    for (int i = static_cast<int>(m_backups.size()) - 1; i >= 0; --i)
    {
        DATE own = 0;
        if (FAILED(m_backups[static_cast<size_t>(i)]->get_Time(&own)))
            continue;
        if (!m_store.Lookup(own).IsValid())
            RemoveBackupEntry(i);
    }
}

// ---------------------------------------------------------------- storage

HRESULT CQuarantine::ShrinkStorage(ULONG maxSize)
{
    // The worker may hold an archive that a deletion would destroy.
    if (IsRunning())
        return E_UNEXPECTED;
    const bool ok = m_store.ShrinkStorage(maxSize);
    DropEntriesWithoutArchive();
    return ok ? S_OK : E_FAIL;
}

HRESULT CQuarantine::RemoveBackupFromDisk(DATE time)
{
    if (IsRunning())
        return E_UNEXPECTED;
    if (!m_store.RemoveBackup(time))
    {
        // A pair of which one file stayed is reported, and its entry goes
        // with the archive the store dropped.
        DropEntriesWithoutArchive();
        return E_FAIL;
    }
    for (size_t i = 0; i < m_backups.size(); ++i)
    {
        DATE own = 0;
        if (FAILED(m_backups[i]->get_Time(&own)))
            continue;
        const double difference = own - time;
        if (difference <= 1e-5 && difference >= -1e-5)
        {
            RemoveBackupEntry(static_cast<int>(i));
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CQuarantine::get_RebootRequired(LONG* reboot)
{
    if (!reboot)
        return E_POINTER;
    *reboot = m_lReboot ? 1 : 0;
    return S_OK;
}

// ---------------------------------------------------------------- actions

HRESULT CQuarantine::get_Running(LONG* running)
{
    if (!m_bInitialized)
        return E_UNEXPECTED;
    if (!running)
        return E_POINTER;
    *running = IsRunning() ? 1 : 0;
    return S_OK;
}

HRESULT CQuarantine::CreateBackup(IBackup* backup)
{
    // Refused before the entry is announced, not only when the worker starts.
    const HRESULT allowed = CheckStart(backup);
    if (FAILED(allowed))
        return allowed;
    // Two backups in one second would share one archive pair: the later one
    // takes the next free second.
    DATE time = LocalTimeNow();
    while (IsTimeTaken(time))
        time += kOneSecond;
    if (FAILED(backup->put_Time(time)))
        return E_FAIL;
    QLOG("Creating Backup");
    AddBackupEntry(backup);
    HRESULT hr = StartAction(ActionBackupAndRemove, backup, nullptr);
    if (FAILED(hr))
    {
        // No archive will come for the entry just announced.
        for (size_t i = m_backups.size(); i-- > 0;)
        {
            DATE own = 0;
            if (SUCCEEDED(m_backups[i]->get_Time(&own)) && memcmp(&own, &time, sizeof(DATE)) == 0)
            {
                RemoveBackupEntry(static_cast<int>(i));
                break;
            }
        }
    }
    return hr;
}

HRESULT CQuarantine::ViewBackup(IBackup* backup)
{
    return StartAction(ActionView, backup, "about to launch ViewBackup");
}

HRESULT CQuarantine::RestoreBackup(IBackup* backup)
{
    return StartAction(ActionRestore, backup, "about to launch RestoreBackup");
}

HRESULT CQuarantine::ExecuteRemove(IBackup* backup)
{
    return StartAction(ActionRemove, backup, nullptr);
}

HRESULT CQuarantine::StopOperation()
{
    if (!m_bInitialized || !IsRunning() || !m_hWorker)
        return E_UNEXPECTED;
    // A waiter of its own handle: a nested call that closes the owner's
    // handle cannot pull it from under this wait.
    HANDLE wait = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), m_hWorker, GetCurrentProcess(), &wait, SYNCHRONIZE, FALSE, 0))
        wait = nullptr;
    WaitForSingleObjectWithMessages(wait ? wait : m_hWorker, INFINITE);
    if (wait)
        CloseHandle(wait);
    CloseFinishedWorker();
    return S_OK;
}

void CQuarantine::CloseFinishedWorker()
{
    if (!m_hWorker || IsRunning())
        return;
    // The worker has done its last COM work; only its exit is left.
    WaitForSingleObject(m_hWorker, INFINITE);
    CloseHandle(m_hWorker);
    m_hWorker = nullptr;
}

HRESULT CQuarantine::CheckStart(IBackup* backup) const
{
    if (!backup)
        return E_POINTER;
    if (!m_bInitialized || IsRunning())
        return E_UNEXPECTED;
    return S_OK;
}

HRESULT CQuarantine::StartAction(DWORD action, IBackup* backup, const char* announce)
{
    const HRESULT allowed = CheckStart(backup);
    if (FAILED(allowed))
        return allowed;
    if (announce)
        QLOG("%s", announce);
    CloseFinishedWorker();
    if (m_hWorker)
        return E_UNEXPECTED;

    IStream* stream = nullptr;
    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IBackup, backup, &stream);
    if (FAILED(hr))
        return hr;
    hr = MarshalSinks();
    if (FAILED(hr))
    {
        ReleaseMarshalledStream(stream);
        return hr;
    }
    m_pBackupStream = stream;
    m_dwAction = action;

    QLOG("Starting quarantine thread");
    InterlockedExchange(&m_lRunning, 1);
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CQuarantine::ThreadProc, this, 0, nullptr);
    if (!thread)
    {
        InterlockedExchange(&m_lRunning, 0);
        ReleaseMarshalledStream(m_pBackupStream);
        m_pBackupStream = nullptr;
        ReleaseSinkStreams();
        return E_FAIL;
    }
    m_hWorker = reinterpret_cast<HANDLE>(thread);
    return S_OK;
}

// ---------------------------------------------------------------- worker

unsigned __stdcall CQuarantine::ThreadProc(void* arg)
{
    CQuarantine* self = static_cast<CQuarantine*>(arg);
    if (!CSehGuard::Run(&CQuarantine::GuardedBody, &CQuarantine::GuardFilter, self))
        self->LeaveWorker(false);
    return 0;
}

void CQuarantine::GuardedBody(void* context)
{
    static_cast<CQuarantine*>(context)->RunWorker();
}

void CQuarantine::GuardFilter(EXCEPTION_POINTERS* info, void* context)
{
    static_cast<CQuarantine*>(context)->FireQuarantineException(reinterpret_cast<ULONG_PTR>(info));
}

void CQuarantine::RunWorker()
{
    if (SUCCEEDED(CoInitialize(nullptr)))
    {
        m_bWorkerInCom = true;
        // The backup and the sinks come through the engine's own proxies.
        if (FAILED(RegisterEngineProxyStubs(&m_dwProxyCookie)))
            m_dwProxyCookie = 0;
    }
    QLOG("Unmarshaling Required Items");
    IStream* stream = m_pBackupStream;
    m_pBackupStream = nullptr;
    if (stream && FAILED(CoGetInterfaceAndReleaseStream(stream, IID_IBackup,
                                                         reinterpret_cast<void**>(&m_pActionBackup))))
        m_pActionBackup = nullptr;
    UnmarshalSinks();
    if (m_pActionBackup)
        RunAction();
    LeaveWorker(true);
}

// The worker's last steps; after an exception the engine text is kept for
// the crash report.
void CQuarantine::LeaveWorker(bool normalEnd)
{
    if (m_pActionBackup)
    {
        m_pActionBackup->Release();
        m_pActionBackup = nullptr;
    }
    ReleaseWorkerSinks();
    if (m_bWorkerInCom)
    {
        if (m_dwProxyCookie)
            RevokeEngineProxyStubs(m_dwProxyCookie);
        m_dwProxyCookie = 0;
        CoUninitialize();
        m_bWorkerInCom = false;
    }
    if (normalEnd)
        CEngineLogText.Empty();
    InterlockedExchange(&m_lRunning, 0);
}

void CQuarantine::RunAction()
{
    QLOG("Quarantine thread started");
    typedef BOOL(WINAPI * ImpersonateFn)(HANDLE);
    typedef BOOL(WINAPI * RevertFn)();
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    ImpersonateFn impersonate = nullptr;
    RevertFn revert = nullptr;
    if (advapi)
    {
        impersonate = reinterpret_cast<ImpersonateFn>(
            reinterpret_cast<void*>(GetProcAddress(advapi, "ImpersonateLoggedOnUser")));
        revert = reinterpret_cast<RevertFn>(reinterpret_cast<void*>(GetProcAddress(advapi, "RevertToSelf")));
    }
    IRunAs* runAs = nullptr;
    bool impersonated = false;
    if (impersonate && revert)
    {
        QLOG("Impersonation code");
        if (SUCCEEDED(EngineCreateInstance(CLSID_RunAs, &runAs)) && runAs)
        {
            QLOG("Impersonation - try");
            LONG_PTR token = 0;
            if (SUCCEEDED(runAs->get_SecurityToken(&token)) && token)
            {
                impersonated = impersonate(reinterpret_cast<HANDLE>(token)) != FALSE;
                if (impersonated)
                    QLOG(" [I] Quarantine successfully impersonated !");
            }
        }
    }

    QLOG("About to start action");
    switch (m_dwAction)
    {
    case ActionBackupAndRemove:
        // Nothing is removed unless its backup is safely written.
        if (createOrRestoreBackup(true))
            removeItems(true);
        else
            QLOG("Backup failed: nothing is removed");
        break;
    case ActionView:
        viewBackup();
        break;
    case ActionRestore:
        createOrRestoreBackup(false);
        break;
    case ActionRemove:
        removeItems(false);
        break;
    default:
        break;
    }
    Fire_OnQuarantineProgress(0, 0);

    if (impersonated)
        revert();
    if (runAs)
        runAs->Release();
    QLOG("depersonate success");
    if (advapi)
        FreeLibrary(advapi);
    QLOG("Thread finished");
}

// Item j of the threat when it takes part (its Quarantine mark when backing
// up, its Repair mark when restoring), else null.
CComPtr<ISearchItem> CQuarantine::MarkedItem(IThreat* threat, LONG j, bool backup)
{
    CComPtr<ISearchItem> item;
    CheckHResult(threat->get_Item(j, &item));
    LONG mark = 0;
    CheckHResult(backup ? item->get_Quarantine(&mark) : item->get_Repair(&mark));
    return mark != 0 ? item : CComPtr<ISearchItem>();
}

bool CQuarantine::createOrRestoreBackup(bool backup)
{
    CBackupArchive* archive = nullptr;
    try
    {
        DATE time = 0;
        CheckHResult(m_pActionBackup->get_Time(&time));
        archive = backup ? &m_store.CreateArchive(time) : &m_store.Lookup(time);
        if (!archive->Open())
        {
            QLOG("Cannot open the archive %s", (LPCSTR)archive->GetInfPath());
            return false;
        }
        CComPtr<IThreatCollection> threats;
        CheckHResult(m_pActionBackup->get_Items(&threats));
        LONG count = 0;
        CheckHResult(threats->get_Count(&count));
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            CheckHResult(threats->get_Item(i, &threat));
            ULONG id = 0;
            CheckHResult(threat->get_ID(&id));
            LONG items = 0;
            CheckHResult(threat->get_Count(&items));
            // A backup takes the items marked Quarantine; a restore puts back
            // only those marked Repair, so the threats the user did not pick
            // stay in the archive and on the machine as they are.
            bool marked = false;
            for (LONG j = 0; j < items && !marked; ++j)
                marked = MarkedItem(threat, j, backup) != nullptr;

            CBackupSection section;
            if (backup)
            {
                ULONG risk = 0;
                CComBSTR name, description, url;
                CheckHResult(threat->get_Risk(&risk));
                CheckHResult(threat->get_Name(&name));
                CheckHResult(threat->get_Description(&description));
                CheckHResult(threat->get_URL(&url));
                const std::string nameA = Ansi(name);
                QLOG("Quarantine program: %s", nameA.c_str());
                if (marked)
                    section = archive->CreateSection(static_cast<WORD>(id), nameA.c_str(),
                                                     Ansi(description).c_str(), Ansi(url).c_str(), risk);
                else
                    section = archive->GetSection(0xFFFF);
                if (marked && !section.HasData())
                    CheckHResult(E_FAIL);
            }
            else
            {
                section = archive->GetSection(static_cast<WORD>(id));
                if (marked && !section.HasData())
                {
                    // A program the archive does not hold: the others still come back.
                    QLOG("No section for program #%lu", static_cast<unsigned long>(id));
                    marked = false;
                }
            }

            for (LONG j = 0; j < items && marked; ++j)
            {
                CComPtr<ISearchItem> item = MarkedItem(threat, j, backup);
                if (!item)
                    continue;
                if (backup)
                {
                    ScanAreaType type = saMaxAreaNumber;
                    CComBSTR name, value;
                    LONG_PTR root = 0;
                    CheckHResult(item->get_Type(&type));
                    CheckHResult(item->get_ItemName(&name));
                    CheckHResult(item->get_ItemValue(&value));
                    CheckHResult(item->get_RootKey(&root));
                    const std::string nameA = Ansi(name), valueA = Ansi(value);
                    QLOG("Backup item: %s [%s]", nameA.c_str(), valueA.c_str());
                    if (!section.AddItemToBackup(static_cast<DWORD>(type), reinterpret_cast<HKEY>(root),
                                                 nameA.c_str(), valueA.c_str()))
                    {
                        // What is not in the archive is not removed either.
                        CheckHResult(item->put_Repair(FALSE));
                    }
                }
                else
                {
                    ULONG itemId = 0;
                    CheckHResult(item->get_ID(&itemId));
                    if (!section.RestoreItem(static_cast<int>(itemId)))
                        QLOG("Cannot restore item %lu", static_cast<unsigned long>(itemId));
                }
            }
            QLOG("createOrRestoreBackup. indicate progress");
            Fire_OnQuarantineProgress(backup ? static_cast<int>(i / 2) : static_cast<int>(i),
                                      static_cast<int>(count));
        }
        // A directory that is not written back leaves no usable backup.
        if (!archive->Close())
        {
            QLOG("Cannot write the archive %s", (LPCSTR)archive->GetInfPath());
            return false;
        }
        QLOG("createOrRestoreBackup. DONE");
        return true;
    }
    catch (const _com_error& error)
    {
        if (archive)
            archive->Close();
        QLOG("com error occured: %s", ErrorText(error).c_str());
        return false;
    }
}

void CQuarantine::removeItems(bool afterBackup)
{
    QLOG("Started removeItems()");
    CInternalRemove remover(this);
    SAFEARRAY* array = nullptr;
    bool locked = false;
    try
    {
        CComPtr<IThreatCollection> threats;
        CheckHResult(m_pActionBackup->get_Items(&threats));
        LONG count = 0;
        CheckHResult(threats->get_Count(&count));
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            CheckHResult(threats->get_Item(i, &threat));
            LONG items = 0;
            CheckHResult(threat->get_Count(&items));
            for (LONG j = 0; j < items; ++j)
            {
                CComPtr<ISearchItem> item;
                CheckHResult(threat->get_Item(j, &item));
                LONG repair = 0;
                CheckHResult(item->get_Repair(&repair));
                if (!repair)
                    continue;
                ScanAreaType type = saMaxAreaNumber;
                CComBSTR name, value;
                LONG_PTR root = 0;
                ULONG valueType = 0;
                CheckHResult(item->get_Type(&type));
                CheckHResult(item->get_ItemName(&name));
                CheckHResult(item->get_ItemValue(&value));
                CheckHResult(item->get_RootKey(&root));
                const std::string nameA = Ansi(name), valueA = Ansi(value);
                QLOG("Repair item: %s [%s]", nameA.c_str(), valueA.c_str());
                const char* valueName = valueA.empty() ? nullptr : valueA.c_str();
                CheckHResult(item->get_ValueType(&valueType));

                bool ok;
                if (type == saGuardedRegistry)
                {
                    SAFEARRAY* none = nullptr;
                    ULONG size = 0;
                    CheckHResult(item->GetGoodValue(0, &none, &size));
                    const BYTE* data = nullptr;
                    if (size)
                    {
                        array = CreateByteSafeArray(nullptr, size);
                        if (!array)
                            CheckHResult(E_OUTOFMEMORY);
                        ULONG real = 0;
                        CheckHResult(item->GetGoodValue(size, &array, &real));
                        if (!array || SafeArrayGetDim(array) != 1)
                            CheckHResult(E_UNEXPECTED);
                        // The bytes the array really holds bound the write.
                        if (array->rgsabound[0].cElements < size)
                            size = array->rgsabound[0].cElements;
                        void* bytes = nullptr;
                        CheckHResult(SafeArrayAccessData(array, &bytes));
                        locked = true;
                        data = static_cast<const BYTE*>(bytes);
                    }
                    ok = remover.Remove(saGuardedRegistry, reinterpret_cast<HKEY>(root), nameA.c_str(), valueName,
                                        valueType, size ? data : nullptr, size);
                    if (locked)
                        SafeArrayUnaccessData(array);
                    locked = false;
                    DestroySafeArray(&array);
                }
                else
                {
                    ok = remover.Remove(static_cast<DWORD>(type), reinterpret_cast<HKEY>(root), nameA.c_str(),
                                        valueName, valueType, nullptr, 0);
                }
                if (ok)
                    QLOG("Item repared success");
                else
                    QLOG("Failed to repair item");
            }
            Fire_OnQuarantineProgress(afterBackup ? static_cast<int>((i + 1) / 2) : static_cast<int>(i + 1),
                                      static_cast<int>(count));
            QLOG("Fire_OnQuarantineProgress called");
        }
    }
    catch (const _com_error& error)
    {
        if (array)
        {
            if (locked)
                SafeArrayUnaccessData(array);
            DestroySafeArray(&array);
        }
        QLOG("com error occured: %s", ErrorText(error).c_str());
    }
    // What waits for the next start keeps waiting until then, whatever
    // later passes do.
    if (remover.RebootRequired())
        InterlockedExchange(&m_lReboot, 1);
    QLOG("End Of remove Items");
}

void CQuarantine::viewBackup()
{
    QLOG("Starting viewBackup");
    CBackupArchive* archive = nullptr;
    SAFEARRAY* array = nullptr;
    try
    {
        DATE time = 0;
        CheckHResult(m_pActionBackup->get_Time(&time));
        archive = &m_store.Lookup(time);
        if (!archive->IsValid() || !archive->Open())
            return;
        CComPtr<IThreatCollection> threats;
        CheckHResult(m_pActionBackup->get_Items(&threats));
        std::vector<char> name(ViewBufferSize), description(ViewBufferSize), url(ViewBufferSize);
        std::vector<char> value(ViewBufferSize);
        std::vector<BYTE> data(ViewBufferSize);
        const int sections = archive->GetSectionCount();
        for (int s = 0; s < sections; ++s)
        {
            const WORD id = archive->GetSectionId(s);
            CBackupSection section = archive->GetSection(id);
            CComPtr<IThreat> threat;
            CheckHResult(threats->CreateElement(CLSID_Threat, &threat));
            std::fill(name.begin(), name.end(), 0);
            std::fill(description.begin(), description.end(), 0);
            std::fill(url.begin(), url.end(), 0);
            DWORD risk = 0;
            section.ReadHeader(name.data(), description.data(), url.data(), ViewBufferSize, &risk);
            CheckHResult(threat->put_ID(id));
            CheckHResult(threat->put_Name(CComBSTR(static_cast<LPWSTR>(CA2W(name.data())))));
            CheckHResult(threat->put_Description(CComBSTR(static_cast<LPWSTR>(CA2W(description.data())))));
            CheckHResult(threat->put_URL(CComBSTR(static_cast<LPWSTR>(CA2W(url.data())))));
            CheckHResult(threat->put_Risk(risk));
            QLOG("View program: %s (#%d)", name.data(), static_cast<int>(id));
            CheckHResult(threats->Add(threat));

            for (int k = 0; k < section.GetItemCount(); ++k)
            {
                std::fill(name.begin(), name.end(), 0);
                std::fill(value.begin(), value.end(), 0);
                CComPtr<ISearchItem> item;
                CheckHResult(threat->CreateElement(CLSID_SearchItem, &item));
                DWORD area = saMaxAreaNumber, attributes = 0, length = ViewBufferSize, valueType = 0;
                if (!section.GetItemInfo(k, ViewBufferSize, &area, &attributes, name.data(), value.data(),
                                         data.data(), &length, &valueType))
                    length = 0;
                if (length > ViewBufferSize)
                    length = ViewBufferSize;
                CheckHResult(item->put_Type(static_cast<ScanAreaType>(area)));
                CheckHResult(item->put_ID(static_cast<ULONG>(k)));
                CheckHResult(item->put_ItemName(CComBSTR(static_cast<LPWSTR>(CA2W(name.data())))));
                CheckHResult(item->put_ItemValue(CComBSTR(static_cast<LPWSTR>(CA2W(value.data())))));
                CheckHResult(item->put_ValueType(valueType));
                array = CreateByteSafeArray(data.data(), length);
                if (!array)
                    CheckHResult(E_OUTOFMEMORY);
                CheckHResult(item->SetValueData(length, &array));
                DestroySafeArray(&array);
                CheckHResult(item->put_RootKey(RootKeyOf(area, attributes)));
                CheckHResult(threat->Add(item));
            }
            Fire_OnQuarantineProgress(s + 1, sections);
        }
    }
    catch (const _com_error& error)
    {
        DestroySafeArray(&array);
        QLOG("com error occured: %s", ErrorText(error).c_str());
    }
    if (archive)
        archive->Close();
}

// ---------------------------------------------------------------- remover

CString CQuarantine::FormatRemoveError(DWORD area, const char* name, DWORD error)
{
    UINT id;
    switch (area)
    {
    case saProcesses: id = 404; break;
    case saRegistry:
    case saGuardedRegistry: id = 406; break;
    case saQuickDisk:
    case saFullDisk:
    case saCookies: id = 405; break;
    case saHosts: id = 407; break;
    default: return CString();
    }
    CString format;
    LoadStringResource(format, id);
    if (format.IsEmpty())
        return CString();
    char text[MaxRemoveErrorLength + 1] = {0};
    const char* shown = name ? name : "";
    const char* pattern = format;
    if (id == 404)
        snprintf(text, sizeof(text), pattern, static_cast<int>(error));
    else if (id == 405)
        snprintf(text, sizeof(text), pattern, shown);
    else
        snprintf(text, sizeof(text), pattern, shown, static_cast<int>(error));
    return CString(text);
}

void CQuarantine::OnRemoveError(DWORD area, BYTE nonFatal, const char* name, DWORD error)
{
    const CString text = FormatRemoveError(area, name, error);
    if (!text.IsEmpty())
        QLOG("%s%s", (LPCSTR)text, nonFatal ? " (left for later)" : "");
}
