#pragma once
// The application's part for the pages' tests: the real engine's Quarantine
// and IgnoreList over a scratch data folder, its events through the real
// sink into a real dispatcher, registered as the page host while it lives.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "pages/pagehost.h"
#include "platform/atl/atlcom.h"

// The IDs of the collection's threats, in its order; none for a null one.
inline std::vector<ULONG> ThreatIds(IThreatCollection* items)
{
    std::vector<ULONG> ids;
    LONG count = 0;
    if (!items || FAILED(items->get_Count(&count)))
        return ids;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0;
        if (SUCCEEDED(items->get_Item(i, &threat)) && SUCCEEDED(threat->get_ID(&id)))
            ids.push_back(id);
    }
    return ids;
}

class CEnginePageHost : public IPageHost, public IEngineEventTarget
{
public:
    // dataFolder ends with a backslash; its "quarantine" folder is made.
    explicit CEnginePageHost(const std::string& dataFolder)
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegisterEngineProxyStubs(&m_proxyCookie);
        const std::string store = dataFolder + "quarantine\\";
        CreateDirectoryA(store.c_str(), nullptr);
        EXPECT_EQ(S_OK, EngineCreateInstance(CLSID_Quarantine, &m_quarantine));
        EXPECT_EQ(S_OK, m_quarantine->Initialize(CComBSTR(store.c_str())));
        EXPECT_EQ(S_OK, EngineCreateInstance(CLSID_IgnoreList, &m_ignoreList));
        CComObject<CEngineListener>* sink = nullptr;
        CComObject<CEngineListener>::CreateInstance(&sink);
        m_sink = sink->GetUnknown();
        sink->SetTarget(this);
        AtlAdvise(m_quarantine, m_sink, IID_IQuarantineEvents, &m_cookie);
        m_previous = SetPageHost(this);
    }
    ~CEnginePageHost()
    {
        SetPageHost(m_previous);
        m_quarantine->StopOperation();
        AtlUnadvise(m_quarantine, IID_IQuarantineEvents, m_cookie);
        m_quarantine.Release();
        m_ignoreList.Release();
        m_sink.Release();
        RevokeEngineProxyStubs(m_proxyCookie);
        CoUninitialize();
    }

    // IPageHost
    void GetScanner(CComPtr<IScanner>& scanner) override { scanner.Release(); }
    CComPtr<IQuarantine>* GetQuarantine() override { return std::addressof(m_quarantine); }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return std::addressof(m_ignoreList); }
    CEngineEventDispatcher* GetEventDispatcher() override { return &m_dispatcher; }
    HRESULT CreateEngineObject(REFCLSID clsid, REFIID iid, void** object) override
    {
        return EngineCreateInstance(clsid, iid, object);
    }
    void SetDefaultDialogSkin(CString) override {}
    void ApplyDefaultDialogSkin() override {}
    HCURSOR GetLinkCursor() const override { return nullptr; }
    void GetDefinitionsPath(CString& path) const override { path.Empty(); }
    DWORD GetDefinitionsItemCount() override { return 0; }
    void GetDefinitionsDate(CTime& date) override { date = CTime(); }
    void GetDatabaseDateText(CString& text) override { text.Empty(); }
    HWND GetMainWindow() override { return nullptr; }
    CString GetCommandLineText() override { return CString(); }

    // IEngineEventTarget
    void FireOnScanning(ScanAreaType area, ULONG count) override { m_dispatcher.FireOnScanning(area, count); }
    void FireOnCompleteArea(ScanAreaType area) override { m_dispatcher.FireOnCompleteArea(area); }
    void FireOnStartedArea(ScanAreaType area) override { m_dispatcher.FireOnStartedArea(area); }
    void FireOnScanningFolder(BSTR folder) override { m_dispatcher.FireOnScanningFolder(folder); }
    void FireOnQuarantineProgress(int current, int total) override
    {
        m_dispatcher.FireOnQuarantineProgress(current, total);
    }
    void FireOnSubItemAdded(IThreatCollection* c, IThreat* t, ISearchItem* i) override
    {
        m_dispatcher.FireOnSubItemAdded(c, t, i);
    }
    int OnEngineException(ULONG_PTR, int) override { return 0; }

    IQuarantine* Quarantine() { return m_quarantine; }
    IIgnoreList* IgnoreList() { return m_ignoreList; }

private:
    DWORD m_proxyCookie = 0;
    DWORD m_cookie = 0;
    CComPtr<IQuarantine> m_quarantine;
    CComPtr<IIgnoreList> m_ignoreList;
    CComPtr<IUnknown> m_sink;
    CEngineEventDispatcher m_dispatcher;
    IPageHost* m_previous = nullptr;
};
