#pragma once
// The program's main window: the page container with the five pages under
// the logo, the tray icon with its menu and balloon, and the application's
// window messages turned into page actions. Closing the window only hides
// it (the program goes on in the tray); Exit from the tray menu, a close
// the user accepted (ICleanwardenApplication::ShutDown) and an engine
// exception end it. The tray icon goes whenever the window does.

#include <windows.h>
#include <shellapi.h>

#include "ui/dialogcontrolhelper.h"
#include "ui/extendedtabctrl.h"
#include "ui/tooltipdialogex.h"

class IMainDialogHost;

class CMainDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CMainDialog)

public:
    // The caption of the main window's message boxes and the tray tooltip.
    static const char kProgramTitle[];
    // The tray icon's id; its data's callback message is WM_TRAY_NOTIFY.
    enum { TrayIconId = 128 };
    // Tab size of the page container.
    enum { TabWidth = 124, TabHeight = 35 };

    // host: the application; not owned.
    explicit CMainDialog(IMainDialogHost* host);
    ~CMainDialog() override;

    BOOL OnInitDialog() override;
    // Enter and Escape do nothing here.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The title and the five tab titles (section "MainDialog").
    void LoadTexts() override;
    // The logo: skin object "LogoIcon", 243 x 53 pixels.
    void UpdateLayout() override;

    CExtendedTabCtrl& GetPageContainer() { return m_pageContainer; }
    HWND GetScanPageWindow() const { return m_hScanPage; }
    bool HasTrayIcon() const { return m_bTrayIcon; }

protected:
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    afx_msg void OnOpen();
    afx_msg void OnAbout();
    afx_msg void OnExitCommand();
    afx_msg LRESULT OnEngineException(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSelectPage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnReloadTexts(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnClose();
    afx_msg LRESULT OnStartScan(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRefreshStatistics(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUpdateResult(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowProgramUpdate(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void CreatePages();
    // The icon's data naming this window's icon, nothing else set.
    NOTIFYICONDATAA TrayIconData() const;
    void AddTrayIcon();
    void DeleteTrayIcon();
    BOOL NotifyTrayIcon(DWORD action, HICON icon, LPCSTR tip);
    void ShowTrayMenu();
    // The window as the tray brings it back: shown, restored when it was
    // minimised, and in front.
    void ShowFromTray();
    // One About at a time, whichever way it is asked for; a request while
    // it is open brings it to the front.
    void RunAbout();
    // Whether the engine part (1 scanner, 0 quarantine) still works; a
    // part that cannot answer counts as idle.
    bool IsEngineBusy(bool scanner);

    IMainDialogHost* m_pHost;
    HICON m_hIcon;
    HICON m_hSmallIcon;
    HICON m_hTrayIcon;
    CExtendedTabCtrl m_pageContainer;
    HWND m_hScanPage;
    CBitmap m_trayOpen;
    CBitmap m_trayAbout;
    CBitmap m_trayExit;
    bool m_bTrayIcon;
    bool m_bTrayMenuOpen;
    // An engine exception, or a program-update request, is being handled:
    // another one meanwhile is ignored.
    bool m_bEngineException;
    bool m_bProgramUpdate;
    bool m_bAboutOpen;
};
