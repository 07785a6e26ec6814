#pragma once
// What the scan tab's tests share: the application as the pages see it
// (IPageHost) with a recording scanner, a quarantine whose running state
// the test sets, the real event dispatcher; the program's texts; a parent
// window that records what is posted to it; the data folder, the settings
// and the statistics of the test's own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/engineeventdispatcher.h"
#include "engine/engineobjects.h"
#include "foundation/appstats.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/scannersettings.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/syshelpers.h"
#include "tests/pages/test_page_host.h"
#include "tests/app/app_test_support.h"
#include "tests/app/fake_engine.h"

// A scanner that writes down what it is asked: "area 3 1", "paths A|B",
// "clear", "start", "pause 1", "stop". Start answers startResult; Stop
// runs onStop (an engine that ends its scan while stopping).
class CRecordingScanner : public CScannerStub
{
public:
    std::vector<std::string> calls;
    HRESULT startResult = S_OK;
    bool running = false;
    std::function<void()> onStop;
    CComPtr<IThreatCollection> results;

    std::vector<std::string> Areas() const
    {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.compare(0, 5, "area ") == 0)
                out.push_back(c);
        return out;
    }
    std::string Paths() const
    {
        std::string last;
        for (const std::string& c : calls)
            if (c.compare(0, 6, "paths ") == 0)
                last = c.substr(6);
        return last;
    }

    HRESULT STDMETHODCALLTYPE get_Running(BOOL* value) override
    {
        *value = running ? TRUE : FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AreaEnabled(ScanAreaType area, BOOL on) override
    {
        calls.push_back("area " + std::to_string(area) + " " + std::to_string(on ? 1 : 0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Paths(IPaths* paths) override
    {
        std::string text;
        LONG count = 0;
        paths->get_Count(&count);
        for (LONG i = 0; i < count; ++i)
        {
            CComBSTR item;
            paths->get_Item(i, &item);
            text += (i ? "|" : "") + std::string(CW2A(item));
        }
        calls.push_back("paths " + text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Results(IThreatCollection** out) override
    {
        if (!results)
            EngineCreateInstance(CLSID_ThreatCollection, &results);
        calls.push_back("results");
        return results.CopyTo(out);
    }
    HRESULT STDMETHODCALLTYPE Start() override
    {
        calls.push_back("start");
        if (SUCCEEDED(startResult))
            running = true;
        return startResult;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        calls.push_back("stop");
        if (onStop)
            onStop();
        running = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Pause(BOOL pause) override
    {
        calls.push_back("pause " + std::to_string(pause ? 1 : 0));
        return running ? S_OK : S_FALSE;
    }
};

// A top-level window standing for the main dialog: what is posted to it at
// or above WM_USER is recorded.
class CRecordingParent : public CWnd
{
public:
    std::vector<MSG> posted;

    bool Make()
    {
        return CreateEx(0, AfxDefaultWndClass(), "parent", WS_POPUP, 0, 0, 700, 450, nullptr, nullptr) != FALSE;
    }
    size_t Count(UINT message, WPARAM wParam) const
    {
        size_t n = 0;
        for (const MSG& m : posted)
            n += m.message == message && m.wParam == wParam;
        return n;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER && message < 0x8000)
        {
            MSG msg = {m_hWnd, message, wParam, lParam, 0, {0, 0}};
            posted.push_back(msg);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// COM, texts, message boxes, the debug log, a data folder and settings of
// the test's own, and the host registered.
class PagesTest : public StaTest
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        EnsureCommonControls();
        g_boxes.clear();
        g_onBox = nullptr;
        m_previousBox = AfxSetMessageBoxHandler(&RecordBox);
        ::SetEnvironmentVariableA(kDataFolderVariable, m_data.Path().c_str());
        m_temp = static_cast<LPCSTR>(CreateTempFileName("cwpg"));
        CMapStringToString macros;
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        macros.SetAt("{BR}", "\n");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, m_temp.c_str(), GetModuleFolder() + "Lang");
        ASSERT_TRUE(CLocalizer::Instance()->SetLocale("English"));
        CScannerSettings* settings = CScannerSettings::Instance();
        settings->SetIncludePaths(m_data.Path());
        for (void (CScannerSettingsData::*set)(bool) :
             {&CScannerSettingsData::SetHostsFile, &CScannerSettingsData::SetRegistryScan,
              &CScannerSettingsData::SetCookiesScan, &CScannerSettingsData::SetProcessesScan})
            (settings->*set)(true);
        CScheduledScanSettings::Instance()->SetPaths("");
        scanner = MakeFake<CRecordingScanner>(host.scanner);
        quarantine = MakeFake<CFakeQuarantine>(host.quarantine);
        ASSERT_TRUE(parent.Make());
    }
    void TearDown() override
    {
        if (parent.m_hWnd)
            parent.DestroyWindow();
        host.scanner.Release();
        host.quarantine.Release();
        CLocalizer::DeleteInstance();
        CScannerSettings::DeleteInstance();
        CScheduledScanSettings::DeleteInstance();
        CAppStats::DeleteInstance();
        ::SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        ::DeleteFileA(m_temp.c_str());
        AfxSetMessageBoxHandler(m_previousBox);
        TakeQuitMessage();
        StaTest::TearDown();
    }

    std::string DataPath(const std::string& name) const { return m_data.File(name.c_str()); }

    DebugLogCapture debugLog;
    TempFolder m_data;
    CTestPageHost host;
    CRecordingScanner* scanner = nullptr;
    CFakeQuarantine* quarantine = nullptr;
    CRecordingParent parent;

private:
    AFX_MESSAGEBOX_HANDLER m_previousBox = nullptr;
    std::string m_temp;
};
