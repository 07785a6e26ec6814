// The file dialog: what it hands the system (flags, filter, extension,
// name, owner), its answers through the seam, and the system's own save
// dialog answered the way a user would.

#include <gtest/gtest.h>

#include "platform/mfc/afxdlgs.h"
#include "tests/foundation/temp_folder.h"
#include "window_test_support.h"

#include <dlgs.h>

#include <string>

namespace {

struct Seen
{
    DWORD flags = 0;
    std::string filter;  // with the NULs written as '|'
    std::string defExt;
    std::string startName;
    HWND owner = nullptr;
    BOOL open = -1;
    int calls = 0;
};
Seen g_seen;
const char* g_answer = nullptr;

BOOL AnswerWithName(OPENFILENAMEA* ofn, BOOL bOpenFileDialog)
{
    ++g_seen.calls;
    g_seen.flags = ofn->Flags;
    g_seen.open = bOpenFileDialog;
    g_seen.owner = ofn->hwndOwner;
    g_seen.defExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "(null)";
    g_seen.startName = ofn->lpstrFile;
    g_seen.filter = "(null)";
    if (ofn->lpstrFilter)
    {
        g_seen.filter.clear();
        for (const char* p = ofn->lpstrFilter; *p || p[1]; ++p)
            g_seen.filter += *p ? *p : '|';
        g_seen.filter += "||";
    }
    if (!g_answer)
        return FALSE;
    lstrcpynA(ofn->lpstrFile, g_answer, ofn->nMaxFile);
    return TRUE;
}

struct SeamScope
{
    SeamScope() : previous(AfxSetFileDialogHandler(&AnswerWithName)) { g_seen = Seen(); }
    ~SeamScope() { AfxSetFileDialogHandler(previous); }
    AFX_FILEDIALOG_HANDLER previous;
};

} // namespace

TEST(FileDialog, HandsTheSystemWhatItWasGivenAndTakesItsAnswer)
{
    SeamScope seam;
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));

    CFileDialog save(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, &owner);
    g_answer = "C:\\reports\\crash.txt";
    EXPECT_EQ(IDOK, save.DoModal());
    EXPECT_STREQ("C:\\reports\\crash.txt", save.GetPathName());
    EXPECT_EQ(FALSE, g_seen.open);
    EXPECT_EQ(static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER), g_seen.flags);
    EXPECT_EQ("(null)", g_seen.filter);
    EXPECT_EQ("(null)", g_seen.defExt);
    EXPECT_EQ("", g_seen.startName);
    EXPECT_EQ(owner.m_hWnd, g_seen.owner);
    EXPECT_TRUE(owner.IsWindowEnabled());

    CFileDialog open(TRUE, "log", "scan.log", OFN_FILEMUSTEXIST, "Logs (*.log)|*.log|All files|*.*||");
    g_answer = nullptr;
    EXPECT_EQ(IDCANCEL, open.DoModal());
    EXPECT_EQ(TRUE, g_seen.open);
    EXPECT_EQ("Logs (*.log)|*.log|All files|*.*||", g_seen.filter);
    EXPECT_EQ("log", g_seen.defExt);
    EXPECT_EQ("scan.log", g_seen.startName);
    // A filter written without its closing bars still ends where it should.
    CFileDialog unclosed(TRUE, nullptr, nullptr, 0, "Logs|*.log");
    unclosed.DoModal();
    EXPECT_EQ("Logs|*.log||", g_seen.filter);
    owner.DestroyWindow();
}

namespace {

std::string g_typedName;
int g_timerRuns = 0;

BOOL CALLBACK FindVisibleDialog(HWND hWnd, LPARAM found)
{
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(hWnd))
    {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindNameEdit(HWND hWnd, LPARAM found)
{
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    const int id = GetDlgCtrlID(hWnd);
    // The plain style's edt1, or the edit inside the explorer style's cmb13.
    if (strcmp(cls, "Edit") == 0 && (id == edt1 || id == cmb13))
    {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// The system's dialog, once it is up: the name typed into its file-name
// box and OK pressed. Cancelled when that cannot be done within 20 s.
void CALLBACK AnswerTheSystemDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr, name = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog)
        EnumChildWindows(dialog, &FindNameEdit, reinterpret_cast<LPARAM>(&name));
    if (name)
    {
        KillTimer(nullptr, timer);
        SetWindowTextA(name, g_typedName.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    else if (++g_timerRuns > 400)
    {
        KillTimer(nullptr, timer);
        if (dialog)
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

TEST(FileDialog, TheSystemsSaveDialogGivesTheNameTheUserTyped)
{
    TempFolder folder;
    g_typedName = folder.File("typed.txt");
    g_timerRuns = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerTheSystemDialog);
    CFileDialog save(FALSE);
    EXPECT_EQ(IDOK, save.DoModal());
    KillTimer(nullptr, timer);
    EXPECT_STREQ(g_typedName.c_str(), save.GetPathName());
}
