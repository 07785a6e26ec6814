// The scan page on a real engine: a folder scan of a tree through the page
// against the same scan straight through the engine's client, and how fast
// the main window answers while the page scans.
// Not part of the test suite; run it on a tree of files, such as the ones
// scripts/scan-bench makes:
//   cmake --build build --target scanpage_bench
//   scripts/wine-run build/scanpage_bench.exe <tree folder> [rounds]
// Prints "client: <s>", "page: <s>", "ratio: <page/client>" (best of the
// rounds each) and "round trip: p50 <ms> p99 <ms> max <ms> (<n> messages)"
// of WM_NULL sent to the main window every 5 ms while the page scans.
#include "app/appmessages.h"
#include "foundation/scannersettings.h"
#include "foundation/syshelpers.h"
#include "pages/scandialog.h"
#include "platform/atl/atlcom.h"
#include "tests/bench/benchclock.h"
#include "tests/engine/scan_client.h"
#include "tests/pages/test_page_host.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

const wchar_t kKeyText[] = L"pvrt82m6kd3.47h";

double ClientScan(const std::wstring& database, const std::wstring& tree)
{
    ScanClient client;
    if (FAILED(client.Open()))
        return -1;
    ScanClientOptions options;
    options.database = database;
    options.keyText = kKeyText;
    options.areas = {saQuickDisk, saFullDisk};
    options.folders = {tree};
    options.timeoutMs = 3600000;
    const double start = NowSeconds();
    return client.Run(options) == S_OK ? NowSeconds() - start : -1;
}

// The page's scan with the round trips of a second thread meanwhile.
double PageScan(CTestPageHost& host, CWnd& mainWindow, std::vector<double>& roundTrips)
{
    CScanDialog page(&mainWindow);
    if (!page.CreatePage(0, 0, 640, 380))
        return -1;
    std::atomic<bool> done(false);
    const HWND target = mainWindow.m_hWnd;
    std::thread prober([&] {
        while (!done)
        {
            DWORD_PTR result = 0;
            const double t0 = NowSeconds();
            ::SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            roundTrips.push_back((NowSeconds() - t0) * 1000.0);
            ::Sleep(5);
        }
    });
    const double start = NowSeconds();
    page.SendMessage(WM_SHOW_SCAN_PAGE, CScanDialog::PageFolderScan, 0);
    MSG msg;
    while (page.GetCurrentPage() != &page.GetResultPage())
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    const double elapsed = NowSeconds() - start;
    done = true;
    prober.join();
    page.DestroyWindow();
    return elapsed;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: scanpage_bench <tree folder> [rounds]\n");
        return 2;
    }
    const std::string tree = argv[1];
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const std::wstring wideTree(tree.begin(), tree.end());
    const CString database = GetModuleFolder() + "definitions.bin";
    const std::wstring wideDatabase(database.GetString(), database.GetString() + database.GetLength());

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // The logs of the page go to a folder of the benchmark's own.
    const CString data = GetTempFolder() + "cw-scanpage-bench";
    ::CreateDirectoryA(data, nullptr);
    ::SetEnvironmentVariableA(kDataFolderVariable, data);
    CScannerSettings* settings = CScannerSettings::Instance();
    settings->SetIncludePaths(tree);
    settings->SetProcessesScan(false);
    settings->SetRegistryScan(false);
    settings->SetCookiesScan(false);
    settings->SetHostsFile(false);

    DWORD proxies = 0;
    RegisterEngineProxyStubs(&proxies);
    CTestPageHost host;
    EngineCreateInstance(CLSID_Scanner, &host.scanner);
    if (!host.scanner || FAILED(host.scanner->Initialize(CComBSTR(database), CComBSTR(kKeyText))))
    {
        std::fprintf(stderr, "scanpage_bench: no scanner over %s\n", database.GetString());
        return 1;
    }
    CComObject<CEngineListener>* sink = nullptr;
    CComObject<CEngineListener>::CreateInstance(&sink);
    CComPtr<IUnknown> holder(sink->GetUnknown());
    sink->SetTarget(&host);
    DWORD scannerCookie = 0, resultsCookie = 0;
    AtlAdvise(host.scanner, holder, IID_IScannerEvents, &scannerCookie);
    CComPtr<IThreatCollection> results;
    host.scanner->get_Results(&results);
    AtlAdvise(results, holder, IID_IThreatCollectionEvents, &resultsCookie);

    CWnd mainWindow;
    mainWindow.CreateEx(0, AfxDefaultWndClass(), "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 450, nullptr, nullptr);

    ClientScan(wideDatabase, wideTree);  // warms the file cache
    double bestClient = 1e30, bestPage = 1e30;
    std::vector<double> roundTrips;
    for (int i = 0; i < rounds; ++i)
    {
        const double client = ClientScan(wideDatabase, wideTree);
        const double page = PageScan(host, mainWindow, roundTrips);
        if (client < 0 || page < 0)
        {
            std::fprintf(stderr, "scanpage_bench: a scan failed\n");
            return 1;
        }
        std::printf("round %d: client %.3f s, page %.3f s\n", i + 1, client, page);
        bestClient = std::min(bestClient, client);
        bestPage = std::min(bestPage, page);
    }
    std::printf("client: %.3f s\npage: %.3f s\nratio: %.3f\n", bestClient, bestPage, bestPage / bestClient);
    std::printf("round trip: p50 %.2f ms p99 %.2f ms max %.2f ms (%u messages)\n", Percentile(roundTrips, 0.5),
                Percentile(roundTrips, 0.99), Percentile(roundTrips, 1.0), static_cast<unsigned>(roundTrips.size()));

    AtlUnadvise(results, IID_IThreatCollectionEvents, resultsCookie);
    AtlUnadvise(host.scanner, IID_IScannerEvents, scannerCookie);
    mainWindow.DestroyWindow();
    CScannerSettings::DeleteInstance();
    RevokeEngineProxyStubs(proxies);
    return 0;
}
