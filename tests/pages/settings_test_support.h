#pragma once
// The settings and scheduler pages as the program shows them: inside a real
// main window (the other pages are stand-ins) with the English texts of the
// build's Lang folder, the settings of a data folder of the test's own,
// the scheduler's real task list (timers named for the test) and message
// boxes recorded.

#include <gtest/gtest.h>

#include <string>

#include "app/programdialogs.h"
#include "app/schedulemanager.h"
#include "app/taskmanager.h"
#include "foundation/appsettings.h"
#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"
#include "pages/settingsdialog.h"
#include "pages/shedulerdialog.h"
#include "resources/pages/settingsids.h"
#include "tests/app/app_test_support.h"
#include "tests/pages/fake_page_host.h"
#include "tinyxml.h"
#include "ui/maindialog.h"
#include "ui/maindialoghost.h"
#include "ui/pagestandin.h"
#include "ui/programresources.h"
#include "ui/trayicon.h"

// The main window's side of the application: its pages are stand-ins but
// for the settings and the scheduler page.
class CSettingsTestHost : public IMainDialogHost
{
public:
    CSettingsDialog* settings = nullptr;
    CShedulerDialog* scheduler = nullptr;

    void GetScanner(CComPtr<IScanner>& scanner) override { scanner.Release(); }
    void GetQuarantineObject(CComPtr<IQuarantine>& quarantine) override { quarantine.Release(); }
    void ShowExceptionReport(CString, CString) override {}
    void SetMainWindowHandle(HWND) override {}
    void SetDefaultDialogSkinName(CString) override {}
    void ApplyDefaultDialogSkin() override {}
    void MakePages(CWnd* parent, CToolTipDialog* pages[PageCount]) override
    {
        for (int i = 0; i < PageCount; ++i)
            pages[i] = i == 1 ? (settings = new CSettingsDialog(parent))
                     : i == 2 ? static_cast<CToolTipDialog*>(scheduler = new CShedulerDialog(parent))
                              : new CPageStandIn(kMainPageSections[i], parent);
    }
    void RunAboutDialog(CWnd*) override {}
    void RunProgramUpdateDialog(CWnd*) override {}
};

inline BOOL WINAPI IgnoreTray(DWORD, PNOTIFYICONDATAA)
{
    return TRUE;
}

class SettingsPagesTest : public StaTest
{
protected:
    void SetUp() override
    {
        StaTest::SetUp();
        EnsureCommonControls();
        g_boxes.clear();
        m_previousBox = AfxSetMessageBoxHandler(&RecordBox);
        m_previousTray = SetTrayNotifyFunction(&IgnoreTray);
        SetEnvironmentVariableA(kDataFolderVariable, data.Path().c_str());
        CSchedule::SetTimerNameSuffix(("-pages-" + std::to_string(GetCurrentProcessId())).c_str());
        m_temp = static_cast<LPCSTR>(CreateTempFileName("wobe"));
        CMapStringToString macros;
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, m_temp.c_str(), GetModuleFolder() + "Lang");
        ASSERT_TRUE(CLocalizer::Instance()->SetLocale("English"));
        SetPageHost(&pageHost);
        RemoveAutoRun(CSettingsDialog::kAutoRunName);
    }
    void TearDown() override
    {
        if (m_dialog.m_hWnd)
            m_dialog.DestroyWindow();
        CTaskManager::DeleteInstance();
        CScheduleManager::DeleteInstance();
        CAppSettings::DeleteInstance();
        CScheduledScanSettings::DeleteInstance();
        CScheduledUpdateSettings::DeleteInstance();
        CScheduledUpdateSoftSettings::DeleteInstance();
        CLocalizer::DeleteInstance();
        RemoveAutoRun(CSettingsDialog::kAutoRunName);
        SetPageHost(nullptr);
        CSchedule::SetTimerNameSuffix("");
        SetEnvironmentVariableA(kDataFolderVariable, nullptr);
        SetTrayNotifyFunction(m_previousTray == &Shell_NotifyIconA ? nullptr : m_previousTray);
        AfxSetMessageBoxHandler(m_previousBox);
        StaTest::TearDown();
    }

    // Writes a settings file of the data folder (a root element with the
    // attributes given) before the settings are loaded.
    void WriteSettings(const char* file, const std::string& root)
    {
        const std::string text = "<?xml version=\"1.0\" ?>\n<" + root + " />\n";
        ASSERT_TRUE(TempFolder::Write(data.File(file), std::vector<BYTE>(text.begin(), text.end())));
    }
    // Loads the four settings files (defaults for those not written) and
    // opens the main window with the pages.
    void Open()
    {
        CAppSettings::Instance()->Load(data.File("app_settings.xml"));
        CScheduledScanSettings::Instance()->Load(data.File("scheduled_scan.xml"));
        CScheduledUpdateSettings::Instance()->Load(data.File("scheduled_update.xml"));
        CScheduledUpdateSoftSettings::Instance()->Load(data.File("scheduled_updatesoft.xml"));
        ASSERT_TRUE(m_dialog.Create(IDD_MAIN_DIALOG, nullptr));
        ASSERT_NE(nullptr, host.settings->m_hWnd);
        ASSERT_NE(nullptr, host.scheduler->m_hWnd);
    }
    // An attribute of a settings file as saved; "(none)" when absent.
    std::string Saved(const char* file, const char* attribute)
    {
        TiXmlDocument document;
        if (!document.LoadFile(data.File(file).c_str()) || !document.RootElement())
            return "(no file)";
        const char* value = document.RootElement()->Attribute(attribute);
        return value ? value : "(none)";
    }

public:
    static std::string Text(CWnd* page, UINT id)
    {
        CString text;
        page->GetDlgItem(id)->GetWindowText(text);
        return text.GetString();
    }
    static bool Enabled(CWnd* page, UINT id) { return page->GetDlgItem(id)->IsWindowEnabled() != FALSE; }
    // Shown by the page (which may itself be behind another tab).
    static bool Visible(CWnd* page, UINT id) { return (page->GetDlgItem(id)->GetStyle() & WS_VISIBLE) != 0; }
    static bool Checked(CWnd* page, UINT id) { return page->GetDlgItem(id)->SendMessage(BM_GETCHECK) == BST_CHECKED; }
    // As a user's click: check boxes toggle, buttons press.
    static void Click(CWnd* page, UINT id) { page->GetDlgItem(id)->SendMessage(BM_CLICK); }
    static void Select(CWnd* page, UINT id, int index)
    {
        CWnd* list = page->GetDlgItem(id);
        list->SendMessage(CB_SETCURSEL, index);
        page->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list->m_hWnd));
    }
    static std::string ListEntry(CWnd* page, UINT id, int index)
    {
        char text[256] = "";
        page->GetDlgItem(id)->SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }

protected:
    TempFolder data;
    CSettingsTestHost host;
    CFakePageHost pageHost;
    CMainDialog m_dialog{&host};

private:
    std::string m_temp;
    AFX_MESSAGEBOX_HANDLER m_previousBox = nullptr;
    TrayNotifyFunc m_previousTray = nullptr;
};
