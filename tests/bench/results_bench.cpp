// Times the result page on a result of 10,000 threats with three items each
// (a file, a registry key, a process; every other threat known):
//   1. from the end of the scan to the list shown: ShowResults (the
//      scanner's results read, the list rendered, put into the page, laid
//      out and the first screen painted), each time after the page was
//      left (Cancel) as it is after every scan;
//   2. one threat's check box clicked and the list painted again.
// Not part of the test suite; on the i686 build:
//   cmake --build build --target results_bench && scripts/wine-run build/results_bench.exe

#include "engine/engineobjects.h"
#include "pages/pagehost.h"
#include "pages/scanresultdialog.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "resources/pages/resultsids.h"
#include "tests/app/fake_engine.h"
#include "tests/bench/benchclock.h"
#include "tests/pages/test_page_host.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
class CResultsScanner : public CScannerStub
{
public:
    CComPtr<IThreatCollection> results;
    HRESULT STDMETHODCALLTYPE get_Results(IThreatCollection** out) override { return results.CopyTo(out); }
};

CComPtr<ISearchItem> NewItem(ScanAreaType type, const wchar_t* name, bool known)
{
    CComPtr<ISearchItem> item;
    EngineCreateInstance(CLSID_SearchItem, &item);
    item->put_Type(type);
    item->put_ItemName(CComBSTR(name));
    item->put_Known(known ? 1 : 0);
    if (type == saRegistry)
        item->put_RootKey(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
    return item;
}

CComPtr<IThreatCollection> MakeResult(int threats)
{
    static const wchar_t* names[] = {L"Adware.BargainBar", L"Tracking.Cookie.Statz", L"Hijacker.SearchPage",
                                     L"Trojan.Downloader.Qoob"};
    CComPtr<IThreatCollection> result;
    EngineCreateInstance(CLSID_ThreatCollection, &result);
    wchar_t text[MAX_PATH];
    for (int i = 0; i < threats; ++i)
    {
        const bool known = i % 2 == 0;
        CComPtr<IThreat> threat;
        EngineCreateInstance(CLSID_Threat, &threat);
        threat->put_ID(1000 + i);
        swprintf(text, MAX_PATH, L"%ls %d", names[i % 4], i);
        threat->put_Name(CComBSTR(text));
        swprintf(text, MAX_PATH, L"C:\\Program Files\\Bargain Bar\\bbar%05d.dll", i);
        threat->Add(NewItem(saQuickDisk, text, known));
        swprintf(text, MAX_PATH, L"Software\\BargainBar\\Toolbar%05d", i);
        threat->Add(NewItem(saRegistry, text, known));
        swprintf(text, MAX_PATH, L"C:\\Program Files\\Bargain Bar\\bbar%05d.exe", i);
        threat->Add(NewItem(saProcesses, text, known));
        result->Add(threat);
    }
    return result;
}

void Paint(CWnd& wnd)
{
    ::RedrawWindow(wnd.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}
}  // namespace

int main()
{
    const int threats = 10000;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CTestPageHost host;
    CComObject<CResultsScanner>* scanner = nullptr;
    CComObject<CResultsScanner>::CreateInstance(&scanner);
    host.scanner = scanner;
    scanner->results = MakeResult(threats);

    CWnd parent;
    parent.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, 0, 0, 760, 520, nullptr, nullptr);
    CScanResultDialog page(&parent);
    page.CreatePage(10, 10, 750, 510);
    page.ShowWindow(SW_SHOW);
    Paint(page);

    std::vector<double> show, click;
    for (int round = 0; round < 5; ++round)
    {
        const double start = NowMilliseconds();
        page.ShowResults();
        Paint(page);
        show.push_back(NowMilliseconds() - start);
        // Back to the start page, as after each scan.
        page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULT_CANCEL, BN_CLICKED), 0);
    }
    page.ShowResults();

    CThreatListView& list = page.GetThreatList();
    CHtmlDocument& doc = list.GetHtmlView()->Document();
    RECT box = {};
    doc.ElementRect(doc.GetElementById(L"checkbox1000"), box);
    const LPARAM at = MAKELPARAM(box.left + 2, box.top + 2);
    for (int i = 0; i < 25; ++i)
    {
        const double start = NowMilliseconds();
        ::SendMessageA(list.GetBrowserWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(list.GetBrowserWindow(), WM_LBUTTONUP, 0, at);
        Paint(list);
        click.push_back(NowMilliseconds() - start);
    }
    const int state = list.GetCheckBoxState(1000);

    printf("results_bench: %d threats with 3 items each, %d bytes of list HTML\n", threats, list.GetHtml().GetLength());
    printf("  end of the scan to the list shown: %.1f ms (median of %zu, best %.1f)\n", Median(show), show.size(),
           *std::min_element(show.begin(), show.end()));
    printf("  one threat's check box clicked:    %.2f ms (median of %zu, best %.2f); box now %s\n", Median(click),
           click.size(), *std::min_element(click.begin(), click.end()), state == 1 ? "checked" : "unchecked");

    page.DestroyWindow();
    parent.DestroyWindow();
    scanner->results.Release();
    host.scanner.Release();
    CoUninitialize();
    return 0;
}
