#pragma once
// The engine's command-line test client, usable in-process: creates a
// Scanner in the calling single-threaded apartment, loads an ignore list,
// scans the given areas and folders with the given database while pumping
// messages, and reports the events (with the thread each arrived on) and the
// resulting threats and items as text.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/engineobjects.h"
#include "engine/mothtrap.h"
#include "engine/proxystubs.h"
#include "engine/scanner.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

struct ScanClientEvent
{
    std::string kind;       // "start", "complete", "folder", "scanning", "exception"
    int area = -1;
    ULONG count = 0;
    std::string folder;
    DWORD thread = 0;
};

class CScanClientSink : public CComObjectRootEx<CComSingleThreadModel>, public IScannerEvents
{
public:
    BEGIN_COM_MAP(CScanClientSink)
        COM_INTERFACE_ENTRY(IScannerEvents)
    END_COM_MAP()

    std::vector<ScanClientEvent> events;
    std::function<void(const ScanClientEvent&)> onEvent;

    HRESULT STDMETHODCALLTYPE OnStartedArea(ScanAreaType area) override { return Push("start", area); }
    HRESULT STDMETHODCALLTYPE OnCompleteArea(ScanAreaType area) override { return Push("complete", area); }
    HRESULT STDMETHODCALLTYPE OnScanningFolder(BSTR folder) override
    {
        ScanClientEvent e;
        e.kind = "folder";
        e.folder = folder ? static_cast<LPSTR>(CW2A(folder)) : "";
        return Push(e);
    }
    HRESULT STDMETHODCALLTYPE OnScanning(ScanAreaType area, ULONG items) override
    {
        ScanClientEvent e;
        e.kind = "scanning";
        e.area = area;
        e.count = items;
        return Push(e);
    }
    HRESULT STDMETHODCALLTYPE OnScannerException(ULONG_PTR) override { return Push("exception", -1); }

private:
    HRESULT Push(const char* kind, int area)
    {
        ScanClientEvent e;
        e.kind = kind;
        e.area = area;
        return Push(e);
    }
    HRESULT Push(ScanClientEvent e)
    {
        e.thread = GetCurrentThreadId();
        events.push_back(e);
        if (onEvent)
            onEvent(events.back());
        return S_OK;
    }
};

struct ScanClientOptions
{
    std::wstring database;
    std::wstring keyText;
    std::wstring ignoreList;            // loaded before the scan when given
    std::vector<int> areas;             // the areas switched on; the others off
    std::vector<std::wstring> folders;  // scan paths
    DWORD scanningInterval = CScanner::DefaultScanningInterval;
    DWORD timeoutMs = 120000;
};

class ScanClient
{
public:
    ScanClient() : m_proxyCookie(0), m_cookie(0), m_sink(nullptr) {}
    ~ScanClient() { Close(); }

    // Creates the Scanner and advises the sink; S_OK or the failure.
    HRESULT Open()
    {
        HRESULT hr = RegisterEngineProxyStubs(&m_proxyCookie);
        if (FAILED(hr))
            return hr;
        if (FAILED(hr = EngineCreateInstance(CLSID_Scanner, &scanner)))
            return hr;
        if (FAILED(hr = CComObject<CScanClientSink>::CreateInstance(&m_sink)))
            return hr;
        m_sinkHolder = m_sink->GetUnknown();
        return AtlAdvise(scanner, m_sinkHolder, IID_IScannerEvents, &m_cookie);
    }
    void Close()
    {
        if (scanner && m_cookie)
            AtlUnadvise(scanner, IID_IScannerEvents, m_cookie);
        m_cookie = 0;
        scanner = nullptr;
        m_sinkHolder = nullptr;
        m_sink = nullptr;
        if (m_proxyCookie)
            RevokeEngineProxyStubs(m_proxyCookie);
        m_proxyCookie = 0;
    }
    CScanClientSink& Sink() { return *m_sink; }
    CScanner* Object() { return static_cast<CScanner*>(static_cast<IScanner*>(scanner.p)); }

    // Sets everything up from the options and starts: Start's result.
    HRESULT Begin(const ScanClientOptions& options)
    {
        HRESULT hr = scanner->Initialize(CComBSTR(options.database.c_str()), CComBSTR(options.keyText.c_str()));
        if (FAILED(hr))
            return hr;
        Object()->SetScanningInterval(options.scanningInterval);
        if (!options.ignoreList.empty())
        {
            CComPtr<IIgnoreList> ignore;
            scanner->get_IgnoreList(&ignore);
            if (FAILED(hr = ignore->Load(CComBSTR(options.ignoreList.c_str()))))
                return hr;
        }
        for (int a = 0; a < 7; ++a)
            scanner->put_AreaEnabled(static_cast<ScanAreaType>(a), FALSE);
        for (int a : options.areas)
            scanner->put_AreaEnabled(static_cast<ScanAreaType>(a), TRUE);
        CComPtr<IPaths> paths;
        scanner->get_Paths(&paths);
        paths->Clear();
        for (const std::wstring& f : options.folders)
            paths->Add(CComBSTR(f.c_str()));
        CComPtr<IThreatCollection> results;
        scanner->get_Results(&results);
        results->Clear();
        return scanner->Start();
    }

    // Pumps this thread's messages until the scan is no longer running.
    bool WaitForEnd(DWORD timeoutMs)
    {
        const DWORD start = GetTickCount();
        for (;;)
        {
            BOOL running = TRUE;
            scanner->get_Running(&running);
            if (!running)
                return true;
            if (GetTickCount() - start > timeoutMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }

    HRESULT Run(const ScanClientOptions& options)
    {
        HRESULT hr = Begin(options);
        if (hr != S_OK)
            return hr;
        return WaitForEnd(options.timeoutMs) ? S_OK : HRESULT_FROM_WIN32(WAIT_TIMEOUT);
    }

    static std::string Text(BSTR text) { return text ? std::string(static_cast<LPSTR>(CW2A(text))) : "<null>"; }

    // "threat <id> <name> | risk <r>" lines, each followed by "  item ..." lines.
    std::string ResultText()
    {
        std::string out;
        CComPtr<IThreatCollection> results;
        scanner->get_Results(&results);
        LONG count = 0;
        results->get_Count(&count);
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            results->get_Item(i, &threat);
            ULONG id = 0, risk = 0;
            CComBSTR name, description, url;
            threat->get_ID(&id);
            threat->get_Name(&name);
            threat->get_Description(&description);
            threat->get_URL(&url);
            threat->get_Risk(&risk);
            out += "threat " + std::to_string(id) + " " + Text(name) + " | " + Text(description) + " | " +
                   Text(url) + " | risk " + std::to_string(risk) + "\n";
            LONG items = 0;
            threat->get_Count(&items);
            for (LONG j = 0; j < items; ++j)
            {
                CComPtr<ISearchItem> item;
                threat->get_Item(j, &item);
                ScanAreaType type = saProcesses;
                CComBSTR itemName, itemValue;
                LONG_PTR root = 0;
                ULONG valueType = 0;
                LONG known = 0;
                item->get_Type(&type);
                item->get_ItemName(&itemName);
                item->get_ItemValue(&itemValue);
                item->get_RootKey(&root);
                item->get_ValueType(&valueType);
                item->get_Known(&known);
                char head[96];
                wsprintfA(head, "  item %d root %08lx vtype %lu known %ld ", static_cast<int>(type),
                          static_cast<unsigned long>(static_cast<DWORD>(root)), valueType, known);
                out += head + Text(itemName) + " | " + Text(itemValue);
                SAFEARRAY* none = nullptr;
                ULONG length = 0;
                item->GetValueData(0, &none, &length);
                out += " | data " + std::to_string(length) + "\n";
            }
        }
        LONG complete = 0;
        results->get_Complete(&complete);
        out += "complete " + std::to_string(complete) + "\n";
        return out;
    }

    // "S1 C1 ... C7" of the area events (the exception as "X").
    std::string Areas() const
    {
        std::string out;
        for (const ScanClientEvent& e : m_sink->events)
        {
            std::string one;
            if (e.kind == "start")
                one = "S" + std::to_string(e.area);
            else if (e.kind == "complete")
                one = "C" + std::to_string(e.area);
            else if (e.kind == "exception")
                one = "X";
            if (!one.empty())
                out += (out.empty() ? "" : " ") + one;
        }
        return out;
    }

    std::string EventText() const
    {
        std::string out;
        for (const ScanClientEvent& e : m_sink->events)
        {
            out += "event " + e.kind;
            if (e.area >= 0)
                out += " " + std::to_string(e.area);
            if (e.kind == "scanning")
                out += " " + std::to_string(e.count);
            if (e.kind == "folder")
                out += " " + e.folder;
            out += "\n";
        }
        return out;
    }

    CComPtr<IScanner> scanner;

private:
    DWORD m_proxyCookie;
    DWORD m_cookie;
    CComObject<CScanClientSink>* m_sink;
    CComPtr<IUnknown> m_sinkHolder;
};
