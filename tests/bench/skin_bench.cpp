// Times the main window skinned and unskinned: opening it with all its
// pages (as the program makes them), then repainting it 100 times, frame and
// client, all children included. Unskinned first, then with the built-in
// skin (the skin library started as the program starts it). The figures are
// medians of 5 rounds, in milliseconds.
// Not part of the test suite; on the i686 build:
//   cmake --build build --target skin_bench && scripts/wine-run build/skin_bench.exe

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/programdialogs.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "platform/mfc/afxwin.h"
#include "skin/skinlibrary.h"
#include "tests/bench/benchclock.h"
#include "ui/maindialog.h"
#include "ui/maindialoghost.h"
#include "ui/programresources.h"
#include "ui/trayicon.h"

namespace
{
BOOL WINAPI NoTray(DWORD, PNOTIFYICONDATAA)
{
    return TRUE;
}

int NoBox(HWND, LPCSTR, LPCSTR, UINT)
{
    return IDOK;
}

// The application's side of the main window, with the program's pages.
class CBenchHost : public IMainDialogHost
{
public:
    explicit CBenchHost(bool skinned) : m_skinned(skinned) {}
    void GetScanner(CComPtr<IScanner>&) override {}
    void GetQuarantineObject(CComPtr<IQuarantine>&) override {}
    void ShowExceptionReport(CString, CString) override {}
    void SetMainWindowHandle(HWND) override {}
    void SetDefaultDialogSkinName(CString name) override { m_name = name; }
    void ApplyDefaultDialogSkin() override
    {
        if (m_skinned)
            SetDialogSkin(m_name);
    }
    void MakePages(CWnd* parent, CToolTipDialog* pages[PageCount]) override { MakeMainPages(parent, pages); }
    void RunAboutDialog(CWnd*) override {}
    void RunProgramUpdateDialog(CWnd*) override {}

private:
    bool m_skinned;
    CString m_name = "Dialog";
};

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// One round: open, show and paint the window; then 100 full repaints.
void Round(bool skinned, double& open, double& repaint)
{
    CBenchHost host(skinned);
    CMainDialog dialog(&host);
    double start = NowMilliseconds();
    dialog.Create(IDD_MAIN_DIALOG, nullptr);
    dialog.ShowWindow(SW_SHOW);
    dialog.UpdateWindow();
    Pump();
    open = NowMilliseconds() - start;
    start = NowMilliseconds();
    for (int i = 0; i < 100; ++i)
        RedrawWindow(dialog.m_hWnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    repaint = NowMilliseconds() - start;
    dialog.DestroyWindow();
    Pump();
}
}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    SetTrayNotifyFunction(&NoTray);
    AfxSetMessageBoxHandler(&NoBox);
    CMapStringToString macros;
    macros.SetAt("{VER}", "2.1.153");
    macros.SetAt("{BR}", "\n");
    macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
    macros.SetAt("{COMPANY_NAME}", "Telmin Software");
    const CString temp = CreateTempFileName("wobe");
    CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, temp, GetModuleFolder() + "Lang");
    CLocalizer::Instance()->SetLocale("English");

    double figures[2][2] = {};
    for (int skinned = 0; skinned < 2; ++skinned) {
        if (skinned) {
            if (!InitSkinLibrary(GetModuleHandleA(nullptr), "skin_bench", nullptr, 0)
                || !LoadSkinFromResource(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(187), "SKIN")) {
                std::printf("the skin did not load: error %d\n", GetSkinLibraryError());
                return 1;
            }
            SetDialogSkin("Dialog");
        }
        std::vector<double> open, repaint;
        for (int round = 0; round < 5; ++round) {
            double o = 0, r = 0;
            Round(skinned != 0, o, r);
            open.push_back(o);
            repaint.push_back(r);
        }
        figures[skinned][0] = Median(open);
        figures[skinned][1] = Median(repaint);
    }
    ExitSkinLibrary();
    std::printf("main window with its pages   unskinned   skinned   ratio\n");
    std::printf("open and first paint  (ms)   %9.1f %9.1f %7.2f\n", figures[0][0], figures[1][0],
                figures[1][0] / figures[0][0]);
    std::printf("100 repaints          (ms)   %9.1f %9.1f %7.2f\n", figures[0][1], figures[1][1],
                figures[1][1] / figures[0][1]);
    CLocalizer::DeleteInstance();
    DeleteFileA(temp);
    CoUninitialize();
    return 0;
}
