#pragma once
// The application as the pages see it (IPageHost), for the pages' tests,
// demos and benchmarks; registered as the page host while it lives. It
// holds the engine objects the test gives it (fakes, or the real engine's
// through UseEngine), the real event dispatcher with the application's part
// of the event road (so a real engine's listener can target it), and
// records the dialog skins asked for. The database facts come from its
// scanner, as the application takes them.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/appconstants.h"
#include "app/definitionsinfo.h"
#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "engine/proxystubs.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "platform/atl/atlcom.h"

class CTestPageHost : public IPageHost, public IEngineEventTarget
{
public:
    CTestPageHost() : m_previous(SetPageHost(this)) {}
    // With the real engine's objects (UseEngine).
    explicit CTestPageHost(const std::string& engineDataFolder) : CTestPageHost() { UseEngine(engineDataFolder); }
    ~CTestPageHost()
    {
        StopEngine();
        SetPageHost(m_previous);
    }

    CComPtr<IScanner> scanner;
    CComPtr<IQuarantine> quarantine;
    CComPtr<IIgnoreList> ignoreList;
    CEngineEventDispatcher dispatcher;
    // "set <name>" and "apply", in the order asked.
    std::vector<std::string> skins;
    CString commandLine;
    HWND window = nullptr;
    HCURSOR linkCursor = ::LoadCursorA(nullptr, IDC_HAND);

    // The real engine's Quarantine, its store in the folder's "quarantine"
    // (made here), and IgnoreList; the quarantine's events travel as in the
    // program, from its worker through COM to a listener on this thread and
    // on to the dispatcher. COM stays initialised on this thread until the
    // host goes. dataFolder ends with a backslash. False when an object
    // could not be made.
    bool UseEngine(const std::string& dataFolder)
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_engine = true;
        RegisterEngineProxyStubs(&m_proxyCookie);
        const std::string store = dataFolder + "quarantine\\";
        CreateDirectoryA(store.c_str(), nullptr);
        quarantine.Release();
        ignoreList.Release();
        if (FAILED(EngineCreateInstance(CLSID_Quarantine, &quarantine)) ||
            FAILED(quarantine->Initialize(CComBSTR(store.c_str()))) ||
            FAILED(EngineCreateInstance(CLSID_IgnoreList, &ignoreList)) ||
            FAILED(CComObject<CEngineListener>::CreateInstance(&m_listener)))
            return false;
        m_sink = m_listener->GetUnknown();
        m_listener->SetTarget(this);
        return SUCCEEDED(AtlAdvise(quarantine, m_sink, IID_IQuarantineEvents, &m_cookie));
    }
    IQuarantine* Quarantine() { return quarantine; }
    IIgnoreList* IgnoreList() { return ignoreList; }

    // IPageHost
    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    CComPtr<IQuarantine>* GetQuarantine() override { return std::addressof(quarantine); }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return std::addressof(ignoreList); }
    CEngineEventDispatcher* GetEventDispatcher() override { return &dispatcher; }
    HRESULT CreateEngineObject(REFCLSID clsid, REFIID iid, void** object) override
    {
        return EngineCreateInstance(clsid, iid, object);
    }
    void SetDefaultDialogSkin(CString name) override { skins.push_back("set " + std::string(name)); }
    void ApplyDefaultDialogSkin() override { skins.push_back("apply"); }
    HCURSOR GetLinkCursor() const override { return linkCursor; }
    void GetDefinitionsPath(CString& path) const override { path = GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME; }
    DWORD GetDefinitionsItemCount() override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        return count;
    }
    void GetDefinitionsDate(CTime& date) override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        date = CTime(static_cast<__time64_t>(stamp));
    }
    void GetDatabaseDateText(CString& text) override
    {
        CTime date;
        GetDefinitionsDate(date);
        text = FormatDatabaseDate(static_cast<ULONG>(date.GetTime()));
    }
    HWND GetMainWindow() override { return window; }
    CString GetCommandLineText() override { return commandLine; }

    // IEngineEventTarget: the engine's events, as the application passes
    // them on.
    void FireOnScanning(ScanAreaType a, ULONG c) override { dispatcher.FireOnScanning(a, c); }
    void FireOnCompleteArea(ScanAreaType a) override { dispatcher.FireOnCompleteArea(a); }
    void FireOnStartedArea(ScanAreaType a) override { dispatcher.FireOnStartedArea(a); }
    void FireOnScanningFolder(BSTR f) override { dispatcher.FireOnScanningFolder(f); }
    void FireOnQuarantineProgress(int c, int t) override { dispatcher.FireOnQuarantineProgress(c, t); }
    void FireOnSubItemAdded(IThreatCollection* c, IThreat* t, ISearchItem* i) override
    {
        dispatcher.FireOnSubItemAdded(c, t, i);
    }
    int OnEngineException(ULONG_PTR, int) override { return 0; }

private:
    void StopEngine()
    {
        if (!m_engine)
            return;
        if (quarantine)
            quarantine->StopOperation();
        if (m_cookie)
            AtlUnadvise(quarantine, IID_IQuarantineEvents, m_cookie);
        if (m_listener)
            m_listener->SetTarget(nullptr);
        quarantine.Release();
        ignoreList.Release();
        scanner.Release();
        m_sink.Release();
        RevokeEngineProxyStubs(m_proxyCookie);
        CoUninitialize();
        m_engine = false;
    }

    IPageHost* m_previous;
    CDefinitionsInfo m_definitions;
    bool m_engine = false;
    DWORD m_proxyCookie = 0;
    DWORD m_cookie = 0;
    CComObject<CEngineListener>* m_listener = nullptr;
    CComPtr<IUnknown> m_sink;
};
