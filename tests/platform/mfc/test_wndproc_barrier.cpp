// The window procedure's exception barrier: a handler that throws or
// faults does not take the process down; the failure is logged, the
// application's crash road hears of it, and the window goes on working.

#include <gtest/gtest.h>

#include "platform/mfc/file.h"
#include "platform/sehguard.h"
#include "window_test_support.h"

#include <stdexcept>

namespace {

CallLog g_lines;

void CollectLine(const char* line)
{
    g_lines.push_back(line);
}

class CFailingWnd : public CWnd
{
public:
    int paints = 0;
    BOOL failCreate = FALSE;
    BOOL failNcDestroy = FALSE;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA)
    {
        if (failCreate)
            throw std::runtime_error("no window today");
        return 0;
    }
    afx_msg LRESULT OnThrowFramework(WPARAM, LPARAM)
    {
        throw new CFileException(CFileException::fileNotFound, ERROR_FILE_NOT_FOUND, "C:\\missing.bin");
    }
    afx_msg LRESULT OnThrowStd(WPARAM, LPARAM) { throw std::logic_error("broken rule"); }
    afx_msg LRESULT OnThrowInt(WPARAM, LPARAM) { throw 42; }
    afx_msg LRESULT OnFault(WPARAM, LPARAM)
    {
        *static_cast<volatile int*>(nullptr) = 1;
        return 5;
    }
    afx_msg LRESULT OnWorks(WPARAM wParam, LPARAM) { return wParam + 1; }
    afx_msg void OnPaint()
    {
        ++paints;
        throw std::runtime_error("cannot paint");
    }
    afx_msg void OnNcDestroy()
    {
        if (failNcDestroy)
            throw std::runtime_error("last words");
        CWnd::OnNcDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 1, OnThrowFramework)
    ON_MESSAGE(WM_APP + 2, OnThrowStd)
    ON_MESSAGE(WM_APP + 3, OnThrowInt)
    ON_MESSAGE(WM_APP + 4, OnFault)
    ON_MESSAGE(WM_APP + 5, OnWorks)
    ON_WM_PAINT()
    ON_WM_NCDESTROY()
END_MESSAGE_MAP()

class CCrashRoadApp : public CWinApp
{
public:
    std::vector<DWORD> codes;
    std::vector<UINT> messages;
    bool hadContext = false;

    LRESULT ProcessWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG* pMsg) override
    {
        codes.push_back(info.code);
        messages.push_back(pMsg->message);
        hadContext = hadContext || (info.record != nullptr && info.context != nullptr);
        return CWinApp::ProcessWndProcException(info, pMsg);
    }
};

class WndProcBarrier : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_lines.clear();
        m_previous = AfxSetLogSink(&CollectLine);
    }
    void TearDown() override { AfxSetLogSink(m_previous); }

    AFX_LOG_SINK m_previous = nullptr;
};

} // namespace

TEST_F(WndProcBarrier, ThrowingHandlersAreLoggedAndTheWindowLivesOn)
{
    CFailingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 1));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 2));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 3));
    ASSERT_EQ(3u, g_lines.size());
    EXPECT_NE(std::string::npos, g_lines[0].find("C:\\missing.bin")) << g_lines[0];
    EXPECT_NE(std::string::npos, g_lines[1].find("broken rule")) << g_lines[1];
    EXPECT_NE(std::string::npos, g_lines[2].find("unknown C++ exception")) << g_lines[2];
    EXPECT_EQ(0u, g_lines[1].find("Message: C++ exception: broken rule\nFunction: window procedure (message 0x8002"))
        << g_lines[1];
    EXPECT_EQ(8, wnd.SendMessage(WM_APP + 5, 7));  // still answering
    wnd.DestroyWindow();
}

TEST_F(WndProcBarrier, FaultingHandlerIsCaughtOnThisBuildToo)
{
    CCrashRoadApp app;
    CFailingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 4));
    ASSERT_EQ(1u, app.codes.size());
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), app.codes[0]);
    EXPECT_EQ(WM_APP + 4, app.messages[0]);
    EXPECT_TRUE(app.hadContext);
    ASSERT_EQ(1u, g_lines.size());
    EXPECT_NE(std::string::npos, g_lines[0].find("Access violation at 0x")) << g_lines[0];
    EXPECT_NE(std::string::npos, g_lines[0].find("writing 0x00000000")) << g_lines[0];

    // A C++ exception reaches the application's crash road too.
    wnd.SendMessage(WM_APP + 2);
    ASSERT_EQ(2u, app.codes.size());
    EXPECT_EQ(static_cast<DWORD>(CSehGuard::CppExceptionCode), app.codes[1]);
    EXPECT_EQ(8, wnd.SendMessage(WM_APP + 5, 7));
    wnd.DestroyWindow();
}

TEST_F(WndProcBarrier, FailedCreationFailsTheCreateCall)
{
    CFailingWnd wnd;
    wnd.failCreate = TRUE;
    EXPECT_FALSE(CreatePopup(wnd));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    ASSERT_EQ(1u, g_lines.size());
    EXPECT_NE(std::string::npos, g_lines[0].find("no window today"));
}

TEST_F(WndProcBarrier, FailedPaintValidatesTheWindowInsteadOfFailingForever)
{
    CFailingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd, nullptr, WS_POPUP | WS_VISIBLE));
    wnd.Invalidate();
    wnd.UpdateWindow();
    wnd.UpdateWindow();
    PumpPending();
    EXPECT_EQ(1, wnd.paints);
    wnd.DestroyWindow();
}

TEST_F(WndProcBarrier, FailedNcDestroyStillLetsGoOfTheHandle)
{
    CFailingWnd wnd;
    wnd.failNcDestroy = TRUE;
    ASSERT_TRUE(CreatePopup(wnd));
    HWND hWnd = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_EQ(1u, g_lines.size());
}
