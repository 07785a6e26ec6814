// Shows one of the maintenance pages filled with sample content and the
// English texts, so that a person can look at it (scripts/screenshot):
//
//   cw_maintenance_demo quarantine|ignore|logs [seconds]
//
// "quarantine" cleans two planted threats into a backup of a scratch data
// folder and shows the quarantine page; "ignore" shows three ignored
// threats; "logs" shows two scan logs. Ends by itself after the seconds
// given (default 30).

#include <stdlib.h>
#include <string.h>

#include "pages/ignorelistdialog.h"
#include "pages/quarantinedialog.h"
#include "pages/scanlogsdialog.h"
#include "skin/skinlibrary.h"
#include "tests/engine/com_test_support.h"
#include "tests/pages/engine_page_host.h"
#include "tests/pages/maintenance_test_support.h"
#include "tests/reports/english_texts.h"

namespace {

std::vector<BYTE> Text(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

CComPtr<IThreat> SampleThreat(ULONG id, const wchar_t* name, const wchar_t* description, ULONG risk)
{
    CComPtr<IThreat> threat = NewThreat(id, name);
    threat->put_Description(CComBSTR(description));
    threat->put_URL(CComBSTR(L"http://www.example.com/threats"));
    threat->put_Risk(risk);
    return threat;
}

CComPtr<ISearchItem> FileItem(const std::string& path, bool ignore)
{
    CComPtr<ISearchItem> item = NewItem(saQuickDisk, CComBSTR(path.c_str()));
    item->put_Known(1);
    item->put_Quarantine(1);
    item->put_Repair(1);
    item->put_Ignore(ignore ? 1 : 0);
    return item;
}

void WriteLogs(const ScratchDataFolder& data)
{
    const std::string logs = data.File("logs");
    CreateDirectoryA(logs.c_str(), nullptr);
    const std::string separator = std::string(42, '-') + "\r\n\r\n";
    TempFolder::Write(logs + "\\scan_log_03-14-2024_09-12-40.log",
                      Text("Scan log. Started at 03.14.2024 09:10:02\r\n" + separator +
                           "Start Processes scan\r\nCompleted Processes scan\r\nTotal items scanned: 41\r\n"
                           "Items found: 0\r\n" + separator +
                           "Start Registry scan\r\nName: SearchBar Helper\r\nSoftware\\SearchBar\\Toolbar\r\n\r\n"
                           "Completed Registry scan\r\nTotal items scanned: 1832\r\nItems found: 1\r\n" + separator +
                           "Start Hosts file scan\r\nCompleted Hosts file scan\r\nTotal items scanned: 3\r\n"
                           "Items found: 0\r\n" + separator +
                           "Start File system scan\r\nName: SearchBar Helper\r\nC:\\Program Files\\SearchBar\\sbar.dll\r\n\r\n"
                           "Completed File system scan\r\nTotal items scanned: 9120\r\nItems found: 1\r\n" + separator +
                           "Scanning Finished. 03.14.2024 09:12:40"));
    TempFolder::Write(logs + "\\scan_log_03-15-2024_18-02-11.log",
                      Text("Scan log. Started at 03.15.2024 18:01:30\r\n" + separator + "Scanning aborted by user. "
                           "03.15.2024 18:02:11"));
}

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string which = argc > 1 ? argv[1] : "quarantine";
    const UINT seconds = argc > 2 ? static_cast<UINT>(atoi(argv[2])) : 30;
    EnsureCommonControls();
    EnglishTexts english;
    ScratchDataFolder data;
    CEnginePageHost host(data.Path() + "\\");
    // The program's skin, as the scan tab skins its pages.
    const HINSTANCE module = GetModuleHandleA(nullptr);
    if (InitSkinLibrary(module, "Telmin Cleanwarden", nullptr, 0) == 1 &&
        LoadSkinFromResource(module, MAKEINTRESOURCEA(187), "SKIN"))
        SetDialogSkin("ChildDialog");
    CPageParent parent;
    parent.SetWindowText("Telmin Cleanwarden");
    CRect client;
    parent.GetClientRect(&client);

    CScanLogsDialog logs(&parent);
    CIgnoreListDialog ignore(&parent);
    CQuarantineDialog quarantine(&parent);
    if (which == "logs")
    {
        WriteLogs(data);
        logs.CreatePage(0, 0, client.Width(), client.Height());
        logs.ShowWindow(SW_SHOW);
    }
    else if (which == "ignore")
    {
        CComPtr<IThreatCollection> results;
        EngineCreateInstance(CLSID_ThreatCollection, &results);
        CComPtr<IThreat> a = SampleThreat(301, L"CoolSearch Toolbar", L"Adds a search bar that reports your searches.", 2);
        a->Add(FileItem("C:\\Program Files\\CoolSearch\\toolbar.dll", true));
        CComPtr<IThreat> b = SampleThreat(302, L"WinTicker", L"Shows advertising in a ticker window.", 3);
        b->Add(FileItem("C:\\Program Files\\WinTicker\\ticker.exe", true));
        results->Add(a);
        results->Add(b);
        host.IgnoreList()->Feed(results);
        ignore.CreatePage(0, 0, client.Width(), client.Height());
        ignore.ShowIgnoreList();
        ignore.ShowWindow(SW_SHOW);
    }
    else
    {
        const std::string dialer = data.File("dialer.exe"), helper = data.File("helper.dll");
        TempFolder::Write(dialer, std::vector<BYTE>(4000, 0x4D));
        TempFolder::Write(helper, std::vector<BYTE>(9000, 0x5A));
        CComPtr<IBackup> backup;
        EngineCreateInstance(CLSID_Backup, &backup);
        CComPtr<IThreatCollection> items;
        backup->get_Items(&items);
        CComPtr<IThreat> a = SampleThreat(401, L"QuickDial", L"Dials premium-rate numbers.", 4);
        a->Add(FileItem(dialer, false));
        CComPtr<IThreat> b = SampleThreat(402, L"BrowserAid", L"Watches the pages you visit.", 2);
        b->Add(FileItem(helper, false));
        items->Add(a);
        items->Add(b);
        host.Quarantine()->CreateBackup(backup);
        host.Quarantine()->StopOperation();
        quarantine.CreatePage(0, 0, client.Width(), client.Height());
        quarantine.ShowWindow(SW_SHOW);
        quarantine.FillBackupList();
    }
    SetTimer(nullptr, 0, seconds * 1000, EndDemo);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (!AfxPreTranslateMessage(&msg))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    for (CWnd* page : {static_cast<CWnd*>(&logs), static_cast<CWnd*>(&ignore), static_cast<CWnd*>(&quarantine)})
        if (page->GetSafeHwnd())
            page->DestroyWindow();
    return 0;
}
