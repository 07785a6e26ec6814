#pragma once
// The result page's tests: threats and items made with the engine's own
// classes, and a rig of the real engine objects the page reaches through
// IPageHost (a Quarantine in a folder of the test's own, an ignore list,
// the event road from the quarantine's worker to the dispatcher) with a
// scanner that answers a given result collection.

#include <gtest/gtest.h>

#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "platform/atl/atlcom.h"
#include "tests/app/fake_engine.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/reports/english_texts.h"

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

// A scanner whose results are the collection given.
class CResultScanner : public CScannerStub
{
public:
    CComPtr<IThreatCollection> results;
    HRESULT STDMETHODCALLTYPE get_Results(IThreatCollection** out) override
    {
        *out = results;
        if (results)
            results.p->AddRef();
        return results ? S_OK : E_FAIL;
    }
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

// The engine as the application holds it, and the application as the
// pages see it. The quarantine's events travel as in the program: from its
// worker through COM to the listener on this thread, then the dispatcher.
class EngineRig : public IPageHost, private IEngineEventTarget
{
public:
    EngineRig()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegisterEngineProxyStubs(&m_proxies);
        AtlModule().AddObjectMap(EngineObjectMap());
        AtlModule().RegisterClassObjects(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE);
        SetEnvironmentVariableA(kDataFolderVariable, data.Path().c_str());
        CreateDirectoryA(data.File("quarantine").c_str(), nullptr);
        EngineCreateInstance(CLSID_Quarantine, &quarantine);
        quarantine->Initialize(CComBSTR(Wide(data.File("quarantine")).c_str()));
        EngineCreateInstance(CLSID_IgnoreList, &ignoreList);
        CComObject<CEngineListener>::CreateInstance(&m_listener);
        m_listenerHolder = m_listener->GetUnknown();
        m_listener->SetTarget(this);
        AtlAdvise(quarantine, m_listenerHolder, IID_IQuarantineEvents, &m_cookie);
        CComObject<CResultScanner>::CreateInstance(&scanner);
        m_scannerHolder = scanner->GetUnknown();
        m_previous = SetPageHost(this);
    }
    ~EngineRig()
    {
        SetPageHost(m_previous);
        if (quarantine)
            quarantine->StopOperation();
        AtlUnadvise(quarantine, IID_IQuarantineEvents, m_cookie);
        m_listener->SetTarget(nullptr);
        quarantine.Release();
        ignoreList.Release();
        m_listenerHolder.Release();
        m_scannerHolder.Release();
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        AtlModule().RevokeClassObjects();
        RevokeEngineProxyStubs(m_proxies);
        CoUninitialize();
    }

    std::string Archive(const char* name) const { return data.File("quarantine") + "\\" + name; }
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
    CComPtr<IQuarantine> quarantine;
    CComPtr<IIgnoreList> ignoreList;
    CComObject<CResultScanner>* scanner = nullptr;
    CEngineEventDispatcher dispatcher;

    // IPageHost
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    CComPtr<IQuarantine>* GetQuarantine() override { return std::addressof(quarantine); }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return std::addressof(ignoreList); }
    CEngineEventDispatcher* GetEventDispatcher() override { return &dispatcher; }
    void SetDefaultDialogSkin(CString) override {}
    void ApplyDefaultDialogSkin() override {}
    HCURSOR GetLinkCursor() const override { return LoadCursor(nullptr, IDC_HAND); }
    void GetDefinitionsPath(CString& path) const override { path = ""; }
    DWORD GetDefinitionsItemCount() override { return 0; }
    void GetDefinitionsDate(CTime& date) override { date = CTime(); }
    void GetDatabaseDateText(CString& text) override { text = ""; }
    HWND GetMainWindow() override { return nullptr; }
    CString GetCommandLineText() override { return ""; }

private:
    // IEngineEventTarget: the quarantine's events only.
    void FireOnScanning(ScanAreaType, ULONG) override {}
    void FireOnCompleteArea(ScanAreaType) override {}
    void FireOnStartedArea(ScanAreaType) override {}
    void FireOnScanningFolder(BSTR) override {}
    void FireOnQuarantineProgress(int current, int total) override { dispatcher.FireOnQuarantineProgress(current, total); }
    void FireOnSubItemAdded(IThreatCollection*, IThreat*, ISearchItem*) override {}
    int OnEngineException(ULONG_PTR code, int) override { return dispatcher.FireOnQuaException(code), 0; }

    DWORD m_proxies = 0;
    DWORD m_cookie = 0;
    CComObject<CEngineListener>* m_listener = nullptr;
    CComPtr<IUnknown> m_listenerHolder, m_scannerHolder;
    IPageHost* m_previous = nullptr;
};

// The page's parent, as the container: notes what the page posts to it.
class RecordingParent : public CWnd
{
public:
    RecordingParent() { CreatePopup(*this, nullptr, WS_POPUP | WS_VISIBLE); MoveWindow(0, 0, 760, 520); }
    ~RecordingParent() override { DestroyWindow(); }
    std::vector<UINT> posted;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER)
            posted.push_back(message);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};
