#include "ui/maindialog.h"

#include "app/appmessages.h"
#include "engine/enginelogtext.h"
#include "foundation/syshelpers.h"
#include "ui/bmpmenu.h"
#include "ui/maindialoghost.h"
#include "ui/programresources.h"
#include "ui/sectiontexts.h"
#include "ui/trayicon.h"

IMPLEMENT_DYNAMIC(CMainDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CMainDialog, CToolTipDialogEx)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
    ON_COMMAND(ID_TRAY_OPEN, OnOpen)
    ON_COMMAND(ID_TRAY_ABOUT, OnAbout)
    ON_COMMAND(ID_TRAY_EXIT, OnExitCommand)
    ON_MESSAGE(WM_ENGINE_EXCEPTION, OnEngineException)
    ON_MESSAGE(WM_SELECT_PAGE, OnSelectPage)
    ON_MESSAGE(WM_RELOAD_TEXTS, OnReloadTexts)
    ON_WM_DESTROY()
    ON_WM_SHOWWINDOW()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_START_SCAN, OnStartScan)
    ON_MESSAGE(WM_REFRESH_STATISTICS, OnRefreshStatistics)
    ON_MESSAGE(WM_UPDATE_RESULT, OnUpdateResult)
    ON_MESSAGE(WM_SHOW_PROGRAM_UPDATE, OnShowProgramUpdate)
END_MESSAGE_MAP()

const char CMainDialog::kProgramTitle[] = "Telmin Cleanwarden 2.1.152";

namespace {

// Tab title keys of section "MainDialog", in tab order.
const char* const kTabTitleKeys[IMainDialogHost::PageCount] = {"spywareScanBt", "settingsBt", "shedulerBt",
                                                               "helpBt", "newsBt"};

// The pictures the container gets, in this order; the tabs draw the first five.
const UINT kTabBitmaps[] = {IDB_TAB_SCAN, IDB_TAB_SETTINGS, IDB_TAB_SCHEDULER, IDB_TAB_HELP,
                            IDB_TAB_NEWS, IDB_TAB_QUARANTINE, IDB_TAB_IGNORE,  IDB_TAB_LOGS};

const int kLogoWidth = 243;
const int kLogoHeight = 53;
const UINT kBalloonTimeoutMs = 10000;

HICON LoadProgramIcon(int cx, int cy)
{
    return static_cast<HICON>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_MAINFRAME), IMAGE_ICON, cx, cy, 0));
}

} // namespace

CMainDialog::CMainDialog(IMainDialogHost* host)
    : CToolTipDialogEx("MainDialog", nullptr, IDD_MAIN_DIALOG),
      CDialogControlHelper(this),
      m_pHost(host),
      m_hIcon(LoadProgramIcon(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON))),
      m_hSmallIcon(LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON))),
      m_hTrayIcon(nullptr),
      m_pageContainer(6, 6, 2, 7),
      m_hScanPage(nullptr),
      m_bTrayIcon(false),
      m_bTrayMenuOpen(false),
      m_bEngineException(false),
      m_bProgramUpdate(false),
      m_bAboutOpen(false)
{
}

CMainDialog::~CMainDialog()
{
    DeleteTrayIcon();
    for (HICON icon : {m_hIcon, m_hSmallIcon, m_hTrayIcon})
        if (icon)
            ::DestroyIcon(icon);
}

BOOL CMainDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    if (m_pHost)
        m_pHost->SetMainWindowHandle(m_hWnd);

    char aboutText[256] = "";
    ::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, aboutText, sizeof(aboutText));
    if (CMenu* systemMenu = GetSystemMenu(FALSE))
    {
        if (aboutText[0])
        {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    ShowSizeGrip(FALSE);
    if (!m_pageContainer.SubclassDlgItem(IDC_PAGE_CONTAINER, this))
        return FALSE;
    UpdateLayout();
    CreatePages();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);
    m_trayOpen.LoadBitmap(IDB_TRAY_OPEN);
    m_trayAbout.LoadBitmap(IDB_TRAY_ABOUT);
    m_trayExit.LoadBitmap(IDB_TRAY_EXIT);
    LoadTexts();
    AddTrayIcon();
    return TRUE;
}

void CMainDialog::UpdateLayout()
{
    SetControlSkin(IDC_LOGO, "LogoIcon", "Dialog");
    SetControlPos(IDC_LOGO, nullptr, 0, 0, kLogoWidth, kLogoHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void CMainDialog::CreatePages()
{
    m_pageContainer.SetItemSize(TabWidth, TabHeight);
    CToolTipDialog* made[IMainDialogHost::PageCount] = {};
    if (m_pHost)
        m_pHost->MakePages(this, made);
    CExtendedTabCtrl::CPageArray pages;
    for (CToolTipDialog* page : made)
        pages.Add(page);
    m_pageContainer.SetTabCount(IMainDialogHost::PageCount);
    if (m_pHost)
    {
        m_pHost->SetDefaultDialogSkinName("ChildDialog");
        m_pHost->ApplyDefaultDialogSkin();
    }
    m_pageContainer.CreatePages(pages, this);
    m_hScanPage = made[0] ? made[0]->m_hWnd : nullptr;
    if (m_pHost)
    {
        m_pHost->SetDefaultDialogSkinName("Dialog");
        m_pHost->ApplyDefaultDialogSkin();
    }
    for (UINT id : kTabBitmaps)
        m_pageContainer.AddBitmap(id);
}

void CMainDialog::LoadTexts()
{
    SetWindowText(GetText("title"));
    for (int i = 0; i < IMainDialogHost::PageCount && i < m_pageContainer.GetTitleCount(); ++i)
        m_pageContainer.SetTitle(i, GetText(kTabTitleKeys[i]));
}

BOOL CMainDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        pMsg->wParam = 0;
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CMainDialog::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
    {
        RunAbout();
        return;
    }
    CToolTipDialogEx::OnSysCommand(nID, lParam);
}

void CMainDialog::OnPaint()
{
    if (!IsIconic())
    {
        CToolTipDialogEx::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    CRect client;
    GetClientRect(client);
    dc.DrawIcon((client.Width() - cx + 1) / 2, (client.Height() - cy + 1) / 2, m_hIcon);
}

HCURSOR CMainDialog::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

LRESULT CMainDialog::OnTrayNotify(WPARAM, LPARAM lParam)
{
    if (lParam == WM_LBUTTONUP)
        ShowFromTray();
    else if (lParam == WM_RBUTTONUP)
        ShowTrayMenu();
    return 0;
}

void CMainDialog::OnOpen()
{
    ShowFromTray();
}

void CMainDialog::ShowFromTray()
{
    // Showing alone leaves a minimised window minimised; shown first, so
    // that the pages hear of it too.
    if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    SetForegroundWindow();
}

void CMainDialog::OnAbout()
{
    RunAbout();
}

void CMainDialog::RunAbout()
{
    if (!m_pHost)
        return;
    if (m_bAboutOpen)
    {
        const HWND about = ::GetLastActivePopup(m_hWnd);
        if (about && about != m_hWnd)
            ::SetForegroundWindow(about);
        return;
    }
    m_bAboutOpen = true;
    m_pHost->RunAboutDialog(this);
    m_bAboutOpen = false;
}

void CMainDialog::OnExitCommand()
{
    // The crash report is on its way; the dialog ends after it.
    if (m_bEngineException)
        return;
    // A scan or a quarantine action would be cut short: the user stops or
    // awaits it first.
    const char* refusal = nullptr;
    if (IsEngineBusy(true))
        refusal = "scanningNotComplete";
    else if (IsEngineBusy(false))
        refusal = "quarantineNotComplete";
    if (refusal)
    {
        MessageBox(GetText(refusal), kProgramTitle, MB_ICONINFORMATION);
        return;
    }
    DeleteTrayIcon();
    EndDialog(1);
}

bool CMainDialog::IsEngineBusy(bool scanner)
{
    if (!m_pHost)
        return false;
    if (scanner)
    {
        CComPtr<IScanner> engine;
        m_pHost->GetScanner(engine);
        BOOL running = FALSE;
        return engine && SUCCEEDED(engine->get_Running(&running)) && running;
    }
    CComPtr<IQuarantine> engine;
    m_pHost->GetQuarantineObject(engine);
    LONG running = 0;
    return engine && SUCCEEDED(engine->get_Running(&running)) && running;
}

LRESULT CMainDialog::OnEngineException(WPARAM wParam, LPARAM)
{
    if (m_bEngineException)
        return 0;
    m_bEngineException = true;
    // The reporting part ends its worker after the report; the crash report
    // waits for that, with the window's messages flowing (a wait on no
    // handle: only the time ends it).
    bool busy;
    do
    {
        busy = IsEngineBusy(wParam != 0);
        ::WaitForMultipleObjectsWithMessages(0, nullptr, FALSE, 100);
    } while (busy);
    if (m_pHost)
        m_pHost->ShowExceptionReport(CEngineLogText.Get(), CString());
    EndDialog(0);
    return 0;
}

LRESULT CMainDialog::OnSelectPage(WPARAM wParam, LPARAM)
{
    if (m_pageContainer.m_hWnd)
        m_pageContainer.EnableWindow(wParam != 0);
    return 0;
}

LRESULT CMainDialog::OnReloadTexts(WPARAM, LPARAM)
{
    LoadTexts();
    for (int i = 0; i < m_pageContainer.GetPageCount(); ++i)
        if (CLocalizedTextSource* texts = dynamic_cast<CLocalizedTextSource*>(m_pageContainer.GetPage(i)))
            texts->LoadTexts();
    return 0;
}

void CMainDialog::OnDestroy()
{
    if (m_pHost)
        m_pHost->SetMainWindowHandle(nullptr);
    if (m_pageContainer.m_hWnd)
        m_pageContainer.DestroyWindow();
    DeleteTrayIcon();
    CToolTipDialogEx::OnDestroy();
}

void CMainDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CToolTipDialogEx::OnShowWindow(bShow, nStatus);
    if (m_pageContainer.m_hWnd)
        m_pageContainer.SendMessage(WM_SHOWWINDOW, bShow, nStatus);
}

void CMainDialog::OnClose()
{
    ShowWindow(SW_HIDE);
}

LRESULT CMainDialog::OnStartScan(WPARAM wParam, LPARAM)
{
    m_pageContainer.SelectPage(0);
    if (m_hScanPage)
        ::PostMessageA(m_hScanPage, WM_START_SCAN, wParam, 1);
    return 0;
}

LRESULT CMainDialog::OnRefreshStatistics(WPARAM, LPARAM)
{
    if (m_hScanPage)
        ::PostMessageA(m_hScanPage, WM_REFRESH_STATISTICS, 0, 0);
    return 0;
}

LRESULT CMainDialog::OnUpdateResult(WPARAM, LPARAM lParam)
{
    const char* key = lParam == UPDATE_RESULT_SUCCESS       ? "suc"
                      : lParam == UPDATE_RESULT_NOTHING_NEW ? "noNew"
                      : lParam == UPDATE_RESULT_ERROR       ? "Err"
                                                            : nullptr;
    NOTIFYICONDATAA data = TrayIconData();
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = kBalloonTimeoutMs;
    CopyTrayText(data.szInfoTitle, "");
    CopyTrayText(data.szInfo, key ? static_cast<LPCSTR>(GetText(key)) : "");
    TrayNotify(NIM_MODIFY, &data);
    return 0;
}

LRESULT CMainDialog::OnShowProgramUpdate(WPARAM, LPARAM)
{
    if (m_bProgramUpdate || !m_pHost)
        return 0;
    m_bProgramUpdate = true;
    m_pHost->RunProgramUpdateDialog(this);
    m_bProgramUpdate = false;
    return 0;
}

NOTIFYICONDATAA CMainDialog::TrayIconData() const
{
    NOTIFYICONDATAA data = {};
    data.cbSize = kTrayIconDataSize;
    data.hWnd = m_hWnd;
    data.uID = TrayIconId;
    return data;
}

BOOL CMainDialog::NotifyTrayIcon(DWORD action, HICON icon, LPCSTR tip)
{
    NOTIFYICONDATAA data = TrayIconData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = icon;
    CopyTrayText(data.szTip, tip);
    return TrayNotify(action, &data);
}

void CMainDialog::AddTrayIcon()
{
    if (!NotifyTrayIcon(NIM_ADD, nullptr, nullptr))
        return;
    m_bTrayIcon = true;
    if (!m_hTrayIcon)
        m_hTrayIcon = LoadProgramIcon(16, 16);
    NotifyTrayIcon(NIM_MODIFY, m_hTrayIcon, kProgramTitle);
}

void CMainDialog::DeleteTrayIcon()
{
    if (!m_bTrayIcon)
        return;
    m_bTrayIcon = false;
    NOTIFYICONDATAA data = TrayIconData();
    TrayNotify(NIM_DELETE, &data);
}

void CMainDialog::ShowTrayMenu()
{
    if (m_bTrayMenuOpen)
        return;
    m_bTrayMenuOpen = true;
    CSectionTexts texts("TrayMenu");
    CBmpMenu menu(0, TRUE, nullptr, FALSE);
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, ID_TRAY_OPEN, texts.GetText("Open"));
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_TRAY_ABOUT, texts.GetText("About"));
    menu.AppendMenu(MF_STRING, ID_TRAY_EXIT, texts.GetText("Exit"));
    menu.SetMenuItemBitmaps(0, MF_BYPOSITION, &m_trayOpen, &m_trayOpen);
    menu.SetMenuItemBitmaps(2, MF_BYPOSITION, &m_trayAbout, &m_trayAbout);
    menu.SetMenuItemBitmaps(3, MF_BYPOSITION, &m_trayExit, &m_trayExit);
    SetForegroundWindow();
    POINT cursor = {0, 0};
    ::GetCursorPos(&cursor);
    menu.TrackPopup(0, cursor.x, cursor.y, this);
    m_bTrayMenuOpen = false;
}
