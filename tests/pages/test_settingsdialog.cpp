// The settings page in the main window: the whole file and the quoted Run
// value that Apply writes, the language switched live on every page (and
// not for a name differing in case), and Apply without a usable language
// or without a writable data folder.

#include "tests/pages/settings_test_support.h"

namespace {

const UINT kLanguage = IDC_SETTINGS_LANGUAGE;
const UINT kAutoRun = IDC_SETTINGS_AUTORUN;
const UINT kNews = IDC_SETTINGS_NEWS;
const UINT kAutoScan = IDC_SETTINGS_AUTOSCAN;
const UINT kApply = IDC_SETTINGS_APPLY;

std::string RunValue()
{
    char value[1024] = "";
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     CSettingsDialog::kAutoRunName, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

void SelectLanguage(CWnd* page, const char* name)
{
    const LRESULT index = page->GetDlgItem(kLanguage)->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                                    reinterpret_cast<LPARAM>(name));
    ASSERT_NE(CB_ERR, index) << name;
    SettingsPagesTest::Select(page, kLanguage, static_cast<int>(index));
}

} // namespace

TEST_F(SettingsPagesTest, ApplySavesTheWholeFileAndTheQuotedRunValueThatTheStartUpReads)
{
    WriteSettings("app_settings.xml", "general language=\"english\" hideToTrayOnClose=\"false\" downloadNews=\"false\" "
                                      "autoScan=\"true\" autoRunScan=\"true\"");
    Open();
    CWnd* page = host.settings;
    host.scheduler->GetDlgItem(IDC_SHEDULER_APPLY)->SetWindowText("untouched");
    // The Run key, not the file, decides the start box.
    EXPECT_EQ("English", Text(page, kLanguage));
    EXPECT_FALSE(Checked(page, kAutoRun));
    EXPECT_FALSE(Checked(page, kNews));
    EXPECT_TRUE(Checked(page, kAutoScan));
    EXPECT_FALSE(Enabled(page, kApply));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE})
    {
        MSG msg = {page->GetDlgItem(kAutoRun)->m_hWnd, WM_KEYDOWN, key, 0, 0, {0, 0}};
        page->PreTranslateMessage(&msg);
        EXPECT_EQ(0u, msg.wParam);
    }

    Click(page, kAutoRun);
    Click(page, kNews);
    Click(page, kAutoScan);
    EXPECT_TRUE(Enabled(page, kApply));
    Click(page, kApply);
    EXPECT_FALSE(Enabled(page, kApply));
    // The language differs only in case: no switch, no new texts.
    EXPECT_EQ("english", Saved("app_settings.xml", "language"));
    EXPECT_EQ("untouched", Text(host.scheduler, IDC_SHEDULER_APPLY));
    EXPECT_EQ("true", Saved("app_settings.xml", "hideToTrayOnClose"));
    EXPECT_EQ("true", Saved("app_settings.xml", "downloadNews"));
    EXPECT_EQ("false", Saved("app_settings.xml", "autoScan"));
    EXPECT_EQ("true", Saved("app_settings.xml", "autoRunScan"));
    // Quoted, so that a program path with blanks still ends where it
    // should and the start-up finds "/s" after it.
    EXPECT_EQ("\"" + std::string(GetModuleFolder()) + "pages_tests.exe\" /s", RunValue());
    EXPECT_TRUE(g_boxes.empty());

    // A Run value removed or made outside the program shows at the next
    // opening.
    RemoveAutoRun(CSettingsDialog::kAutoRunName);
    m_dialog.DestroyWindow();
    Open();
    EXPECT_FALSE(Checked(host.settings, kAutoRun));
    SetAutoRun(CSettingsDialog::kAutoRunName, "/s");
    m_dialog.DestroyWindow();
    Open();
    EXPECT_TRUE(Checked(host.settings, kAutoRun));
    Click(host.settings, kAutoRun);
    Click(host.settings, kApply);
    EXPECT_EQ("(none)", RunValue());
    EXPECT_EQ("false", Saved("app_settings.xml", "autoRunScan"));
}

TEST_F(SettingsPagesTest, ASwitchedLanguageRetextsEveryPageAtOnce)
{
    Open();
    CShedulerDialog* scheduler = host.scheduler;
    Select(scheduler, IDC_SHEDULER_TASK, CShedulerDialog::TaskQuickScan);
    SelectLanguage(host.settings, "Deutsch");
    Click(host.settings, kApply);

    EXPECT_STREQ("Deutsch", CLocalizer::Instance()->GetLanguage());
    EXPECT_EQ("Deutsch", Saved("app_settings.xml", "language"));
    EXPECT_STREQ("Einstellungen", m_dialog.GetPageContainer().GetTitle(1));
    EXPECT_EQ("Spyware-Pr\xFC" "fung", Text(m_dialog.GetPageContainer().GetPage(0), IDC_STANDIN_TITLE));
    EXPECT_EQ("\xDC" "bernehmen", Text(host.settings, kApply));
    EXPECT_EQ("Diese Aufgabe nach Zeitplan ausf\xFChren", Text(scheduler, IDC_SHEDULER_ENABLE));
    // The lists keep the entry chosen, in the new language.
    EXPECT_EQ("Schnellpr\xFC" "fung", Text(scheduler, IDC_SHEDULER_TASK));
    EXPECT_EQ("Jeden Tag", ListEntry(scheduler, IDC_SHEDULER_FREQUENCY, 0));
    EXPECT_EQ("Signaturen", Text(&scheduler->GetInfo(), IDC_INFO_UPDATE_LABEL));
    EXPECT_EQ("Aus", Text(&scheduler->GetInfo(), IDC_INFO_UPDATE_STATE));
    EXPECT_FALSE(Enabled(host.settings, kApply));
}

TEST_F(SettingsPagesTest, WithoutAUsableLanguageApplyKeepsTheLanguageAndAppliesTheRest)
{
    // An unreadable language file in the folder, and a stored language
    // that no file has.
    const std::string broken = std::string(GetModuleFolder()) + "Lang\\CwBroken" +
                               std::to_string(GetCurrentProcessId()) + ".ini";
    const std::string garbage(64, '\x5A');
    ASSERT_TRUE(TempFolder::Write(broken, std::vector<BYTE>(garbage.begin(), garbage.end())));
    WriteSettings("app_settings.xml", "general language=\"Klingon\" downloadNews=\"false\"");
    DebugLogCapture log;
    Open();
    DeleteFileA(broken.c_str());
    CWnd* page = host.settings;
    EXPECT_EQ(CB_ERR, page->GetDlgItem(kLanguage)->SendMessage(CB_GETCURSEL));

    Click(page, kNews);
    Click(page, kApply);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ("Klingon", Saved("app_settings.xml", "language"));
    EXPECT_EQ("true", Saved("app_settings.xml", "downloadNews"));
    EXPECT_FALSE(Enabled(page, kApply));

    SelectLanguage(page, ("CwBroken" + std::to_string(GetCurrentProcessId())).c_str());
    Click(page, kAutoScan);
    Click(page, kApply);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Error", g_boxes[0].caption);
    EXPECT_EQ("The language file could not be read.\nTelmin Cleanwarden keeps its current language.", g_boxes[0].text);
    EXPECT_STREQ("English", CLocalizer::Instance()->GetLanguage());
    EXPECT_EQ("Klingon", Saved("app_settings.xml", "language"));
    EXPECT_EQ("false", Saved("app_settings.xml", "autoScan"));
    EXPECT_EQ("Apply", Text(page, kApply)) << "the pages were re-texted";
    EXPECT_EQ(std::string::npos, log.Text().find("exception")) << log.Text();
}

TEST_F(SettingsPagesTest, ASettingsFileThatCannotBeWrittenIsToldAndApplyStaysAvailable)
{
    Open();
    const std::string before = Saved("app_settings.xml", "downloadNews");
    SetEnvironmentVariableA(kDataFolderVariable, data.File("missing").c_str());
    Click(host.settings, kNews);
    Click(host.settings, kApply);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].text.find("The settings could not be saved.")) << g_boxes[0].text;
    EXPECT_TRUE(Enabled(host.settings, kApply));
    EXPECT_EQ(before, Saved("app_settings.xml", "downloadNews"));
}
