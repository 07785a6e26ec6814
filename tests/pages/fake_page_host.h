#pragma once
// The application as the pages see it, for the pages' tests and benchmark:
// the engine's objects it is given, the real event dispatcher (and the
// application's part of the event road, so a real engine's listener can
// target it), the skins asked for and the command line.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/engineeventdispatcher.h"
#include "app/enginelistener.h"
#include "engine/engineobjects.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"

class CFakePageHost : public IPageHost, public IEngineEventTarget
{
public:
    CComPtr<IScanner> scanner;
    CComPtr<IQuarantine> quarantine;
    CComPtr<IIgnoreList> ignoreList;
    CEngineEventDispatcher dispatcher;
    std::vector<std::string> skins;
    CString commandLine;

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
    HCURSOR GetLinkCursor() const override { return ::LoadCursorA(nullptr, IDC_HAND); }
    void GetDefinitionsPath(CString& path) const override { path = GetProductDataFolder() + "definitions.bin"; }
    DWORD GetDefinitionsItemCount() override { return 0; }
    void GetDefinitionsDate(CTime& date) override { date = CTime(); }
    void GetDatabaseDateText(CString& text) override { text = ""; }
    HWND GetMainWindow() override { return nullptr; }
    CString GetCommandLineText() override { return commandLine; }

    // The engine's events, as the application passes them on.
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
};

