#pragma once
// The result page's tests: threats and items made with the engine's own
// classes, a threat that fails, and a rig of the real engine objects the
// page reaches through IPageHost.

#include <gtest/gtest.h>

#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "engine/threat.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "platform/atl/atlcom.h"
#include "tests/pages/pages_test_support.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/engine/system_state_guards.h"
#include "tests/reports/english_texts.h"
#include "ui/sectiontexts.h"

#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

inline CComPtr<ISearchItem> MakeItem(ScanAreaType type, const std::wstring& name, const std::wstring& value = L"",
                                 bool known = true, HKEY root = nullptr)
{
    CComPtr<ISearchItem> item;
    EngineCreateInstance(CLSID_SearchItem, &item);
    item->put_Type(type);
    item->put_ItemName(CComBSTR(name.c_str()));
    item->put_ItemValue(CComBSTR(value.c_str()));
    item->put_Known(known ? 1 : 0);
    item->put_RootKey(reinterpret_cast<LONG_PTR>(root));
    return item;
}

inline CComPtr<IThreat> MakeThreat(ULONG id, const std::wstring& name, const std::vector<CComPtr<ISearchItem>>& items)
{
    CComPtr<IThreat> threat;
    EngineCreateInstance(CLSID_Threat, &threat);
    threat->put_ID(id);
    threat->put_Name(CComBSTR(name.c_str()));
    for (const CComPtr<ISearchItem>& item : items)
        threat->Add(item);
    return threat;
}

inline CComPtr<IThreatCollection> MakeCollection(const std::vector<CComPtr<IThreat>>& threats)
{
    CComPtr<IThreatCollection> collection;
    EngineCreateInstance(CLSID_ThreatCollection, &collection);
    for (const CComPtr<IThreat>& threat : threats)
        collection->Add(threat);
    return collection;
}

inline std::wstring Wide(const std::string& text)
{
    return std::wstring(static_cast<LPWSTR>(CA2W(text.c_str())));
}

// A text of the built English language file.
inline std::string Text(const char* section, const char* key)
{
    return std::string(CSectionTexts(section).GetText(key));
}

// Takes the moves at the next start that name the path out of the system's
// list again, leaving those of others (suites run in parallel).
class PendingEntriesGuard
{
public:
    explicit PendingEntriesGuard(const std::string& path) : m_path(Wide(path)) {}
    ~PendingEntriesGuard()
    {
        bool exists = false;
        const std::vector<BYTE> data = ReadPending(&exists);
        std::wstring all(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)), kept;
        // Pairs of source and target (empty: delete), each text ended by a NUL.
        for (size_t at = 0, end; at < all.size() && all[at]; at = end + 1)
        {
            const size_t middle = all.find(L'\0', at);
            end = middle == std::wstring::npos ? middle : all.find(L'\0', middle + 1);
            if (end == std::wstring::npos || !StrStrIW(all.substr(at, end - at).c_str(), m_path.c_str()))
                kept += all.substr(at, end == std::wstring::npos ? end : end + 1 - at);
            if (end == std::wstring::npos)
                break;
        }
        HKEY key;
        if (exists && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        {
            kept += L'\0';
            RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                           static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
            RegCloseKey(key);
        }
    }

private:
    std::wstring m_path;
};

// A threat whose items cannot be read, as from an engine that failed.
class CBrokenThreat : public CThreat
{
public:
    HRESULT STDMETHODCALLTYPE get_Item(INT, ISearchItem**) override { return E_FAIL; }
};

inline CComPtr<IThreat> MakeBrokenThreat()
{
    CComObject<CBrokenThreat>* broken = nullptr;
    CComObject<CBrokenThreat>::CreateInstance(&broken);
    CComPtr<IThreat> threat(broken);
    threat->put_ID(666);
    threat->Add(MakeItem(saQuickDisk, L"C:\\broken.dll"));
    return threat;
}

// The engine as the application holds it, behind the pages' test host with
// its recording scanner: a Quarantine in the test's own data folder, an
// ignore list, and the quarantine's events travelling as in the program,
// from its worker through COM to the listener on this thread, then through
// the host to the dispatcher.
class EngineRig
{
public:
    EngineRig()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegisterEngineProxyStubs(&m_proxies);
        SetEnvironmentVariableA(kDataFolderVariable, data.Path().c_str());
        CreateDirectoryA(data.File("quarantine").c_str(), nullptr);
        EngineCreateInstance(CLSID_Quarantine, &host.quarantine);
        host.quarantine->Initialize(CComBSTR(Wide(data.File("quarantine")).c_str()));
        EngineCreateInstance(CLSID_IgnoreList, &host.ignoreList);
        CComObject<CEngineListener>::CreateInstance(&m_listener);
        m_listenerHolder = m_listener->GetUnknown();
        m_listener->SetTarget(&host);
        AtlAdvise(host.quarantine, m_listenerHolder, IID_IQuarantineEvents, &m_cookie);
        scanner = MakeFake<CRecordingScanner>(host.scanner);
        m_previous = SetPageHost(&host);
    }
    ~EngineRig()
    {
        SetPageHost(m_previous);
        host.quarantine->StopOperation();
        AtlUnadvise(host.quarantine, IID_IQuarantineEvents, m_cookie);
        m_listener->SetTarget(nullptr);
        host.quarantine.Release();
        host.ignoreList.Release();
        host.scanner.Release();
        m_listenerHolder.Release();
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        RevokeEngineProxyStubs(m_proxies);
        CoUninitialize();
    }

    size_t ArchiveFiles() const
    {
        WIN32_FIND_DATAA found;
        size_t n = 0;
        HANDLE h = FindFirstFileA((data.File("quarantine") + "\\archive*").c_str(), &found);
        for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
            ++n;
        if (h != INVALID_HANDLE_VALUE)
            FindClose(h);
        return n;
    }

    TempFolder data;
    EnglishTexts texts;
    CFakePageHost host;
    CRecordingScanner* scanner = nullptr;

private:
    DWORD m_proxies = 0;
    DWORD m_cookie = 0;
    CComObject<CEngineListener>* m_listener = nullptr;
    CComPtr<IUnknown> m_listenerHolder;
    IPageHost* m_previous = nullptr;
};
