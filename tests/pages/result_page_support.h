#pragma once
// The result page's tests: threats and items made with the engine's own
// classes, a threat that fails, and a rig of the real engine objects the
// page reaches through IPageHost.

#include <gtest/gtest.h>

#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "platform/atl/atlcom.h"
#include "tests/pages/pages_test_support.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/engine/system_state_guards.h"
#include "tests/reports/english_texts.h"
#include "ui/sectiontexts.h"

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
    explicit PendingEntriesGuard(const std::string& path) : m_path(Lower(Wide(path))) {}
    ~PendingEntriesGuard()
    {
        bool exists = false;
        const std::vector<BYTE> data = ReadPending(&exists);
        const std::wstring all(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        std::wstring kept;
        // Pairs of source and target (empty: delete), each ended by a NUL.
        for (size_t at = 0; at < all.size() && all[at];)
        {
            const size_t sourceEnd = all.find(L'\0', at);
            const size_t targetEnd = sourceEnd == std::wstring::npos ? all.size() : all.find(L'\0', sourceEnd + 1);
            const std::wstring pair = all.substr(at, targetEnd == std::wstring::npos ? std::wstring::npos : targetEnd + 1 - at);
            if (Lower(pair).find(m_path) == std::wstring::npos)
                kept += pair;
            at = targetEnd == std::wstring::npos ? all.size() : targetEnd + 1;
        }
        HKEY key;
        if (!exists || RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (kept.empty())
            RegDeleteValueW(key, kPendingValue);
        else
            RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>((kept + L'\0').c_str()),
                           static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

private:
    static std::wstring Lower(std::wstring text)
    {
        for (wchar_t& c : text)
            c = towlower(c);
        return text;
    }
    std::wstring m_path;
};

// A threat whose items cannot be read, as from an engine that failed.
class CBrokenThreat : public CComObjectRootEx<CComSingleThreadModel>, public IThreat
{
public:
    BEGIN_COM_MAP(CBrokenThreat)
        COM_INTERFACE_ENTRY(IThreat)
    END_COM_MAP()
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override { return *count = 1, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Item(INT, ISearchItem**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override { return *id = 666, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return *name = SysAllocString(L"Broken"), S_OK; }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Lookup(ULONG, ISearchItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindItem(ISearchItem*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateElement(CLSID, ISearchItem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Add(ISearchItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Remove(INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveByID(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Description(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_URL(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Risk(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Risk(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ID(ULONG) override { return E_NOTIMPL; }
};

// The engine as the application holds it, behind the scan tab's page host
// with its recording scanner: a Quarantine in the test's own data folder,
// an ignore list, and the quarantine's events travelling as in the program,
// from its worker through COM to the listener on this thread, then the
// dispatcher.
class EngineRig : private IEngineEventTarget
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
        m_listener->SetTarget(this);
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
    // IEngineEventTarget: the quarantine's events only.
    void FireOnScanning(ScanAreaType, ULONG) override {}
    void FireOnCompleteArea(ScanAreaType) override {}
    void FireOnStartedArea(ScanAreaType) override {}
    void FireOnScanningFolder(BSTR) override {}
    void FireOnQuarantineProgress(int current, int total) override
    {
        host.dispatcher.FireOnQuarantineProgress(current, total);
    }
    void FireOnSubItemAdded(IThreatCollection*, IThreat*, ISearchItem*) override {}
    int OnEngineException(ULONG_PTR code, int) override { return host.dispatcher.FireOnQuaException(code), 0; }

    DWORD m_proxies = 0;
    DWORD m_cookie = 0;
    CComObject<CEngineListener>* m_listener = nullptr;
    CComPtr<IUnknown> m_listenerHolder;
    IPageHost* m_previous = nullptr;
};
