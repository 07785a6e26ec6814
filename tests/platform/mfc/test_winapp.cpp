// The application object: command-line parsing and the entry's road
// through InitInstance, Run and ExitInstance.

#include <gtest/gtest.h>

#include "window_test_support.h"

namespace {

struct ParseCase
{
    const char* line;
    int command;
    BOOL embedded;
    BOOL automated;
    const char* fileName;
};

void Parse(const char* line, CCommandLineInfo& info)
{
    CWinApp app;
    app.m_lpCmdLine = const_cast<LPSTR>(line);
    app.ParseCommandLine(info);
    AfxOleSetUserCtrl(TRUE);  // parsing /Embedding or /Automation clears it
}

class CRecordingApp : public CWinApp
{
public:
    BOOL initResult = FALSE;
    BOOL makeMainWindow = FALSE;
    CallLog log;
    CWnd mainWnd;

    BOOL InitInstance() override
    {
        log.push_back(std::string("init ") + m_lpCmdLine);
        if (makeMainWindow)
        {
            CreatePopup(mainWnd);
            m_pMainWnd = &mainWnd;
            // The main window goes away from inside the loop.
            mainWnd.PostMessage(WM_CLOSE);
        }
        return initResult;
    }
    int ExitInstance() override
    {
        log.push_back("exit");
        return CWinApp::ExitInstance() + 100;
    }
};

} // namespace

TEST(CommandLine, FrameworkSwitchesInAnyCaseLedBySlashOrDash)
{
    const ParseCase cases[] = {
        {"/Regserver", CCommandLineInfo::AppRegister, FALSE, FALSE, ""},
        {"-REGSERVER", CCommandLineInfo::AppRegister, FALSE, FALSE, ""},
        {"/register", CCommandLineInfo::AppRegister, FALSE, FALSE, ""},
        {"-UnRegServer", CCommandLineInfo::AppUnregister, FALSE, FALSE, ""},
        {"/unregister", CCommandLineInfo::AppUnregister, FALSE, FALSE, ""},
        {"/Embedding", CCommandLineInfo::FileNew, TRUE, FALSE, ""},
        {"-automation", CCommandLineInfo::FileNew, FALSE, TRUE, ""},
        {"/r /h /s", CCommandLineInfo::FileNew, FALSE, FALSE, ""},
        {"/Regserverx Regserver", CCommandLineInfo::FileOpen, FALSE, FALSE, "Regserver"},
        {"\"C:\\My Files\\a b.txt\" /Embedding", CCommandLineInfo::FileOpen, TRUE, FALSE, "C:\\My Files\\a b.txt"},
        {"", CCommandLineInfo::FileNew, FALSE, FALSE, ""},
    };
    for (const ParseCase& c : cases)
    {
        CCommandLineInfo info;
        Parse(c.line, info);
        EXPECT_EQ(c.command, info.m_nShellCommand) << c.line;
        EXPECT_EQ(c.embedded, info.m_bRunEmbedded) << c.line;
        EXPECT_EQ(c.automated, info.m_bRunAutomated) << c.line;
        EXPECT_STREQ(c.fileName, info.m_strFileName) << c.line;
        EXPECT_EQ(!c.embedded && !c.automated, info.m_bShowSplash != FALSE) << c.line;
    }
}

TEST(CommandLine, ComStartLeavesNoUserInCharge)
{
    CWinApp app;
    app.m_lpCmdLine = const_cast<LPSTR>("-Embedding");
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    EXPECT_FALSE(AfxOleGetUserCtrl());
    AfxOleSetUserCtrl(TRUE);
}

TEST(WinMain, FailedInitInstanceGoesStraightToExitInstance)
{
    CRecordingApp app;
    EXPECT_EQ(&app, AfxGetApp());
    int result = AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>("/h"), SW_SHOW);
    EXPECT_EQ(100, result);
    EXPECT_EQ((CallLog{"init /h", "exit"}), app.log);
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetInstanceHandle());
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());
    EXPECT_STREQ("platform_tests", AfxGetAppName());
}

TEST(WinMain, RunEndsWhenTheMainWindowGoes)
{
    CRecordingApp app;
    app.initResult = TRUE;
    app.makeMainWindow = TRUE;
    int result = AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW);
    EXPECT_EQ(100, result);  // the quit code 0, through ExitInstance
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(nullptr, app.mainWnd.m_hWnd);
    EXPECT_EQ((CallLog{"init ", "exit"}), app.log);
    EXPECT_FALSE(app.IsRunning());
}

TEST(WinMain, ServerStartedByComRunsWithoutAWindowUntilQuit)
{
    CRecordingApp app;
    app.initResult = TRUE;
    AfxOleSetUserCtrl(FALSE);
    PostQuitMessage(4);
    int result = AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>("/Embedding"), SW_HIDE);
    AfxOleSetUserCtrl(TRUE);
    EXPECT_EQ(104, result);
    EXPECT_EQ(nullptr, AfxGetMainWnd());
}

TEST(WinMain, ApplicationObjectEndsWithItsLifetime)
{
    {
        CWinApp app("Named");
        EXPECT_STREQ("Named", AfxGetAppName());
    }
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(nullptr, AfxGetMainWnd());
}
