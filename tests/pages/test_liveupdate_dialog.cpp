// The two update dialogs a user opens by hand, against the local update
// service: what they say at each step, the progress bar, the database
// installed and loaded (or left as it was), the program's installer opened
// through the shell only after a download of this run that is complete.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/appmessages.h"
#include "foundation/appstats.h"
#include "pages/liveupdate.h"
#include "pages/liveupdatesoft.h"
#include "resources/pages/helpids.h"
#include "tests/pages/help_test_support.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"

using namespace help_test;

namespace {

bool ProgressShown(CWnd& dialog)
{
    return dialog.GetDlgItem(IDC_LIVE_UPDATE_PROGRESS)->IsWindowVisible() != FALSE;
}

class UpdateDialogTest : public UpdateServiceTest
{
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        ASSERT_TRUE(m_english.IsReady());
        EnsureCommonControls();
        OpenEngine(m_host.scanner);
        m_host.window = m_main.Handle();
        CAppStats::Instance()->SetDBVersion("before");
        CAppStats::Instance()->SetSignatures(-1);
    }
    void TearDown() override
    {
        m_host.scanner.Release();
        CAppStats::DeleteInstance();
        UpdateServiceTest::TearDown();
    }

    // Presses the button and waits for the run to end; the status line
    // then.
    std::string RunToEnd(CUpdateProgressDialog& dialog)
    {
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_EQ(CUpdateProgressDialog::RunRunning, dialog.GetRunState());
        EXPECT_TRUE(PumpUntil([&] { return dialog.GetRunState() == CUpdateProgressDialog::RunFinished; }, 60000));
        return ControlText(dialog, IDC_LIVE_UPDATE_STATUS);
    }

    EnglishTexts m_english;
    MessageRecorder m_main;
    CTestPageHost m_host;
};

ULONG EngineStamp(IScanner* scanner)
{
    ULONG stamp = 0, programs = 0, items = 0;
    scanner->GetDatabaseInfo(&stamp, &programs, &items);
    return stamp;
}

} // namespace

TEST_F(UpdateDialogTest, ANewDatabaseIsInstalledLoadedAndCounted)
{
    CLiveUpdate dialog;
    const INT_PTR result = RunModal(dialog, [&] {
        EXPECT_STREQ("Live Update", [&] { CString t; dialog.GetWindowText(t); return t; }().GetString());
        EXPECT_EQ("Press Start to get the newest signature database.", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        EXPECT_EQ("Start", ControlText(dialog, IDC_LIVE_UPDATE_BUTTON));
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_EQ("Updating...", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        EXPECT_EQ("Updating...", ControlText(dialog, IDC_LIVE_UPDATE_BUTTON));
        EXPECT_TRUE(PumpUntil([&] { return dialog.GetRunState() == CUpdateProgressDialog::RunFinished; }, 60000));
        EXPECT_EQ("The signature database has been updated.", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        EXPECT_EQ("Close", ControlText(dialog, IDC_LIVE_UPDATE_BUTTON));
        EXPECT_FALSE(ProgressShown(dialog));
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(TempFolder::Read(UpdateTestData("new.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ(static_cast<ULONG>(kNewStamp), EngineStamp(m_host.scanner));
    EXPECT_EQ(std::string(FormatDatabaseDate(kNewStamp)), CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(static_cast<int>(m_host.GetDefinitionsItemCount()), CAppStats::Instance()->GetSignatures());
    PumpFor(50);
    ASSERT_EQ(1u, m_main.messages.size()) << "the statistics refreshed, no balloon, no scan";
    EXPECT_EQ(static_cast<UINT>(WM_REFRESH_STATISTICS), m_main.messages[0].msg);
    EXPECT_FALSE(CVostelUpdateManager::Instance()->m_bDefinitionsRequest);
}

TEST_F(UpdateDialogTest, ARunningScanDelaysTheReloadWithoutHoldingTheDialog)
{
    CComObject<CScanAfterInstall>* scanner = nullptr;
    ASSERT_EQ(S_OK, CComObject<CScanAfterInstall>::CreateInstance(&scanner));
    m_host.scanner = scanner;
    scanner->initializeResult = S_OK;
    scanner->scanQuestions = 2;
    CLiveUpdate dialog;
    bool waited = false;
    RunModal(dialog, [&] {
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_TRUE(PumpUntil(
            [&] {
                waited |= ControlText(dialog, IDC_LIVE_UPDATE_STATUS) ==
                          "The new database will be loaded as soon as the running scan has ended...";
                return dialog.GetRunState() == CUpdateProgressDialog::RunFinished;
            },
            60000));
        EXPECT_EQ("The signature database has been updated.", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        dialog.EndDialog(IDOK);
    });
    EXPECT_TRUE(waited);
    EXPECT_EQ(1, scanner->initializeCalls);
    EXPECT_EQ(0, scanner->scanQuestionsLeftAtInitialize) << "reloaded while the scan ran";
}

TEST_F(UpdateDialogTest, NothingNewAndFailuresLeaveDatabaseAndStatisticsAlone)
{
    server().Put("liveupdate\\tcw.php", Stamp(kOldStamp));
    CLiveUpdate current;
    RunModal(current, [&] {
        EXPECT_EQ("Your signature database is up to date.", RunToEnd(current));
        current.EndDialog(IDCANCEL);
    });
    server().Put("liveupdate\\tcw.php", Stamp(kNewStamp));
    for (const char* form : {"@404", "@cut"})
    {
        UpdateFolderAs(form);
        CLiveUpdate failing;
        RunModal(failing, [&] {
            EXPECT_EQ("The update could not be completed. Please try again later.", RunToEnd(failing)) << form;
            EXPECT_EQ("Close", ControlText(failing, IDC_LIVE_UPDATE_BUTTON));
            failing.EndDialog(IDCANCEL);
        });
    }
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ(static_cast<ULONG>(kOldStamp), EngineStamp(m_host.scanner));
    EXPECT_EQ("before", CAppStats::Instance()->GetDBVersion());
    EXPECT_EQ(-1, CAppStats::Instance()->GetSignatures());
    PumpFor(50);
    EXPECT_TRUE(m_main.messages.empty());
}

TEST_F(UpdateDialogTest, TheButtonCancelsAStalledDownloadWhoseBarStopsAt85)
{
    // Only the database stalls, after half of it has come.
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    CLiveUpdate dialog;
    RunModal(dialog, [&] {
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
        ASSERT_TRUE(WaitUntilDownloadReceives(true));
        PBRANGE range = {};
        // The bar follows the download at the dialog's next poll.
        EXPECT_TRUE(PumpUntil([&] {
            dialog.GetDlgItem(IDC_LIVE_UPDATE_PROGRESS)->SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
            return range.iHigh == 85;
        }));
        EXPECT_EQ(0, range.iLow);
        EXPECT_TRUE(ProgressShown(dialog));
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_EQ("Stopping the update...", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        EXPECT_TRUE(PumpUntil([&] { return dialog.GetRunState() == CUpdateProgressDialog::RunFinished; }, 30000));
        EXPECT_EQ("The update was stopped. Your signature database has not changed.",
                  ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(TempFolder::Read(UpdateTestData("old.bin")), TempFolder::Read(InUse()));
    EXPECT_EQ("before", CAppStats::Instance()->GetDBVersion());
}

TEST_F(UpdateDialogTest, AnUpdateAlreadyRunningIsSaidAndLeftAlone)
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    manager->SetDefinitionsBaseUrl(server().Url("/@stall/liveupdate/").c_str());
    manager->m_bDefinitionsRequest = true;
    ASSERT_TRUE(manager->Start());
    CLiveUpdate dialog;
    RunModal(dialog, [&] {
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_EQ(CUpdateProgressDialog::RunFinished, dialog.GetRunState());
        EXPECT_EQ("Another update is running. Please try again in a few minutes.",
                  ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(manager->IsJobRunning());
}

// The program update downloads into a temporary-files folder of its own.
class ProgramUpdateTest : public UpdateDialogTest
{
protected:
    void SetUp() override
    {
        UpdateDialogTest::SetUp();
        m_tmp = std::make_unique<ScopedVariable>("TMP", m_temp.Path() + "\\");
        server().Put("dl.php", std::string("MZ the new setup program"));
        SetEnvironmentVariableA("CLEANWARDEN_INSTALLER_URL", server().Url("/dl.php ").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("CLEANWARDEN_INSTALLER_URL", nullptr);
        m_tmp.reset();
        UpdateDialogTest::TearDown();
    }
    std::string Installer() const { return m_temp.File("new_temp.exe"); }

    TempFolder m_temp;
    std::unique_ptr<ScopedVariable> m_tmp;
    ShellOpens m_shell;
    MessageBoxes m_boxes;
};

TEST_F(ProgramUpdateTest, ACompleteDownloadIsAnnouncedOnceThenOpenedAsTheDialogEnds)
{
    CLiveUpdateSoft dialog;
    const INT_PTR result = RunModal(dialog, [&] {
        EXPECT_EQ("Press Download to get the new version of Telmin Cleanwarden.",
                  ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
        EXPECT_EQ("Download", ControlText(dialog, IDC_LIVE_UPDATE_BUTTON));
        Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        EXPECT_EQ("Downloading...", ControlText(dialog, IDC_LIVE_UPDATE_STATUS));
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(1u, m_boxes.shown.size());
    EXPECT_EQ("The new version has been downloaded.\nTelmin Cleanwarden will now start its setup.",
              m_boxes.shown[0].text);
    EXPECT_EQ("A new version of Telmin Cleanwarden is available.", m_boxes.shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), m_boxes.shown[0].type);
    ASSERT_EQ(1u, m_shell.opened.size());
    EXPECT_EQ(nullptr, m_shell.opened[0].owner);
    EXPECT_EQ(Installer(), m_shell.opened[0].path);
    EXPECT_EQ(std::string("MZ the new setup program"),
              [&] { std::vector<BYTE> b = TempFolder::Read(Installer()); return std::string(b.begin(), b.end()); }());
    EXPECT_EQ("/dl.php", server().Requests().back());
}

TEST_F(ProgramUpdateTest, NothingIsOpenedAfterAFailedEmptyOrStoppedDownloadWhateverLiesThere)
{
    // An installer an earlier run left, older than this run.
    ASSERT_TRUE(TempFolder::Write(Installer(), std::vector<BYTE>{'M', 'Z'}));
    HANDLE file = CreateFileA(Installer().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME old = {0, 0x01D00000};
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);

    struct Case
    {
        const char* installer;
        const char* status;
    };
    server().Put("empty.php", std::string());
    for (const Case& c : {Case{"/@404/dl.php", "The new version could not be downloaded. Please try again later."},
                          Case{"/@cut/dl.php", "The new version could not be downloaded. Please try again later."},
                          Case{"/empty.php", "The new version could not be downloaded. Please try again later."},
                          Case{"/@stall/dl.php", "The download was stopped. Nothing has been installed."}})
    {
        SetEnvironmentVariableA("CLEANWARDEN_INSTALLER_URL", server().Url(c.installer).c_str());
        CLiveUpdateSoft dialog;
        const INT_PTR result = RunModal(dialog, [&] {
            Click(dialog, IDC_LIVE_UPDATE_BUTTON);
            if (std::string(c.installer).find("@stall") != std::string::npos)
            {
                ASSERT_TRUE(WaitUntilDownloadReceives());
                Click(dialog, IDC_LIVE_UPDATE_BUTTON);
            }
            EXPECT_TRUE(PumpUntil([&] { return dialog.GetRunState() == CUpdateProgressDialog::RunFinished; }, 30000));
            EXPECT_EQ(c.status, ControlText(dialog, IDC_LIVE_UPDATE_STATUS)) << c.installer;
            EXPECT_FALSE(ProgressShown(dialog));
            Click(dialog, IDC_LIVE_UPDATE_BUTTON);
        });
        EXPECT_EQ(IDOK, result) << c.installer;
        PumpUntil([] { return !CVostelUpdateManager::Instance()->IsJobRunning(); }, 30000);
    }
    EXPECT_TRUE(m_boxes.shown.empty());
    EXPECT_TRUE(m_shell.opened.empty());
}
