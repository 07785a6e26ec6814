// The crash-report dialog: its texts, with and without a language file; the
// Send road against a local server with the message boxes and the save
// dialog answered through their seams; the keys that must do nothing; the
// mouse pointer.

#include "reg/reportservers.h"
#include "reports/exceptiondialog.h"
#include "resources/reports/reportids.h"
#include "tests/foundation/http_test_server.h"
#include "tests/foundation/temp_folder.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kCaption[] = "Telmin Cleanwarden 2.1.152";
const char kThanks[] = "Thank you for helping us to improve Telmin Cleanwarden.";
const char kCannotSend[] =
    "The report could not be sent.\nPress OK to save it to a file that you can send to our support later.";

// The crash-report page of the test server for the object's lifetime.
struct CrashPage
{
    explicit CrashPage(HttpTestServer& server) { SetCrashReportUrl(server.Url("/support.php").c_str()); }
    ~CrashPage() { SetCrashReportUrl(NULL); }
};

void SetTexts(CExceptionDialog& dialog)
{
    dialog.SetExceptionText("Access violation at 0x0040102A");
    dialog.SetEngineLog("scanner.cpp(120): open failed");
}

CRect ControlRect(CWnd& dialog, UINT id)
{
    CRect r;
    dialog.GetDlgItem(id)->GetWindowRect(r);
    dialog.ScreenToClient(r);
    return r;
}

} // namespace

TEST(ExceptionDialog, ShowsTheTextsOfItsLanguageSection)
{
    EnglishTexts english;
    ASSERT_TRUE(english.IsReady());
    EnsureCommonControls();
    CExceptionDialog dialog;
    EXPECT_STREQ("CExceptionDialog", dialog.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CToolTipDialog)));
    EXPECT_STREQ("ExceptionDialog", dialog.GetSectionName());
    ASSERT_TRUE(dialog.CreatePage(5, 6, 300, 200));  // modeless, from template 156

    CString title;
    dialog.GetWindowText(title);
    EXPECT_STREQ("Telmin Cleanwarden - Problem Report", title);
    EXPECT_EQ("Telmin Cleanwarden has met a problem it could not handle. We are sorry for the trouble.",
              ControlText(dialog, IDC_EXCEPTION_TOP_TEXT));
    EXPECT_EQ("Please tell us what you were doing when the problem occurred (optional):",
              ControlText(dialog, IDC_EXCEPTION_COMMENTS_HEADER));
    EXPECT_EQ("Your e-mail address (optional):", ControlText(dialog, IDC_EXCEPTION_EMAIL_LABEL));
    EXPECT_EQ("Send Report", ControlText(dialog, IDC_EXCEPTION_SEND));
    EXPECT_EQ("Don't Send", ControlText(dialog, IDC_EXCEPTION_CANCEL));

    // The error icon's button: disabled, 32 by 32 pixels where the template puts it.
    CRect icon(10, 10, 0, 0);
    dialog.MapDialogRect(icon);
    EXPECT_EQ(CRect(icon.left, icon.top, icon.left + 32, icon.top + 32), ControlRect(dialog, IDC_EXCEPTION_ICON));
    EXPECT_FALSE(dialog.GetDlgItem(IDC_EXCEPTION_ICON)->IsWindowEnabled());
    // No skin draws its picture here: the system's error icon stands in.
    const HWND standIn =
        ::ChildWindowFromPointEx(dialog.m_hWnd, CPoint(icon.left + 16, icon.top + 16), CWP_SKIPINVISIBLE);
    ASSERT_NE(dialog.m_hWnd, standIn);
    EXPECT_EQ(static_cast<LONG>(SS_ICON), ::GetWindowLongA(standIn, GWL_STYLE) & SS_TYPEMASK);
    EXPECT_EQ(::LoadIconA(nullptr, IDI_ERROR), reinterpret_cast<HICON>(::SendMessageA(standIn, STM_GETICON, 0, 0)));
    EXPECT_FALSE(dialog.GetDlgItem(IDC_EXCEPTION_ICON)->IsWindowVisible());
    // The comment box takes many lines but no Enter; the address one line.
    const DWORD comments = dialog.GetDlgItem(IDC_EXCEPTION_COMMENTS)->GetStyle();
    EXPECT_TRUE((comments & ES_MULTILINE) && (comments & WS_VSCROLL));
    EXPECT_FALSE(comments & ES_WANTRETURN);
    EXPECT_FALSE(dialog.GetDlgItem(IDC_EXCEPTION_EMAIL)->GetStyle() & ES_MULTILINE);
    EXPECT_FALSE(dialog.HasSizeGrip());
    dialog.DestroyWindow();
}

TEST(ExceptionDialog, BeforeTheLanguageIsReadItSpeaksEnglishAllTheSame)
{
    // A crash early in the start-up comes before the language file is read.
    EnglishTexts none{EnglishTexts::NoLanguage()};
    HttpTestServer server;
    server.SetDefaultStatus("500 Internal Server Error");
    CrashPage page(server);
    MessageBoxes boxes;
    boxes.answers = {IDCANCEL};
    CExceptionDialog dialog;
    SetTexts(dialog);
    std::string title, send;
    EXPECT_EQ(0, RunModal(dialog, [&] {
                  CString text;
                  dialog.GetWindowText(text);
                  title = text.GetString();
                  send = ControlText(dialog, IDC_EXCEPTION_SEND);
                  Click(dialog, IDC_EXCEPTION_SEND);
              }));
    EXPECT_EQ("Telmin Cleanwarden - Problem Report", title);
    EXPECT_EQ("Send Report", send);
    ASSERT_EQ(2u, boxes.shown.size());
    EXPECT_EQ(kCannotSend, boxes.shown[0].text);
    EXPECT_EQ(kThanks, boxes.shown[1].text);
}

TEST(ExceptionDialog, SendPostsTheReportThanksTheUserAndEnds)
{
    EnglishTexts english;
    HttpTestServer server;
    CrashPage page(server);
    MessageBoxes boxes;
    FileDialogs files;
    CExceptionDialog dialog;
    SetTexts(dialog);
    HWND hWnd = nullptr;
    EXPECT_EQ(0, RunModal(dialog, [&] {
                  hWnd = dialog.m_hWnd;
                  // Two pasted lines; the e-mail field left empty.
                  dialog.SetDlgItemText(IDC_EXCEPTION_COMMENTS, "I clicked Scan\r\nand it stopped");
                  Click(dialog, IDC_EXCEPTION_SEND);
              }));

    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(kThanks, boxes.shown[0].text);
    EXPECT_EQ(kCaption, boxes.shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.shown[0].type);
    EXPECT_EQ(hWnd, boxes.shown[0].owner);
    EXPECT_NE(::LoadCursorA(nullptr, IDC_WAIT), boxes.shown[0].cursor);
    EXPECT_TRUE(files.shown.empty());

    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("POST /support.php HTTP/1.1", server.Requests()[0].Line());
    EXPECT_EQ("name=Unhandled+exception+reporter&email=anonymous%40telmin.com&subject=Unhandled+exception+reporter"
              "&message=User+comments:%0aI+clicked+Scan%0aand+it+stopped%0a%0aException+info:%0a"
              "Access+violation+at+0x0040102A"
              "%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3dEXCEPTION_LOG"
              "%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%3d%0d%0ascanner.cpp(120):+open+failed",
              server.Requests()[0].body);
}

TEST(ExceptionDialog, AFailedSendOffersToSaveTheReportWithoutTheEngineLog)
{
    EnglishTexts english;
    HttpTestServer server;
    server.SetDefaultStatus("500 Internal Server Error");
    CrashPage page(server);
    TempFolder folder;
    {
        MessageBoxes boxes;
        FileDialogs files;
        files.answer = folder.File("report.txt");
        CExceptionDialog dialog;
        SetTexts(dialog);
        HWND hWnd = nullptr;
        EXPECT_EQ(0, RunModal(dialog, [&] {
                      hWnd = dialog.m_hWnd;
                      dialog.SetDlgItemText(IDC_EXCEPTION_COMMENTS, "line one\r\nline two");
                      dialog.SetDlgItemText(IDC_EXCEPTION_EMAIL, "me@example.org");
                      Click(dialog, IDC_EXCEPTION_SEND);
                  }));
        EXPECT_NE(std::string::npos, server.Requests().at(0).body.find("&email=me%40example.org&"));

        ASSERT_EQ(2u, boxes.shown.size());
        EXPECT_EQ(kCannotSend, boxes.shown[0].text);
        EXPECT_EQ(kCaption, boxes.shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), boxes.shown[0].type);
        EXPECT_NE(::LoadCursorA(nullptr, IDC_WAIT), boxes.shown[0].cursor);  // the wait is over
        EXPECT_EQ(kThanks, boxes.shown[1].text);
        EXPECT_EQ(kCaption, boxes.shown[1].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.shown[1].type);

        // The save dialog: no filter, extension or name; read-only files
        // hidden, overwriting asked; over the crash dialog.
        ASSERT_EQ(1u, files.shown.size());
        EXPECT_FALSE(files.shown[0].open);
        EXPECT_EQ(hWnd, files.shown[0].owner);
        EXPECT_TRUE(files.shown[0].flags & OFN_HIDEREADONLY);
        EXPECT_TRUE(files.shown[0].flags & OFN_OVERWRITEPROMPT);
        EXPECT_FALSE(files.shown[0].hasFilter);
        EXPECT_FALSE(files.shown[0].hasDefExt);
        EXPECT_EQ("", files.shown[0].startName);

        // Written in text mode, each line once.
        const std::vector<BYTE> saved = TempFolder::Read(files.answer);
        EXPECT_EQ("User comments:\r\nline one\r\nline two\r\n\r\nException info:\r\nAccess violation at 0x0040102A",
                  std::string(saved.begin(), saved.end()));
    }
    {
        // Cancel on the question: no save dialog, the thanks all the same.
        MessageBoxes boxes;
        boxes.answers = {IDCANCEL};
        FileDialogs files;
        CExceptionDialog dialog;
        SetTexts(dialog);
        EXPECT_EQ(0, RunModal(dialog, [&] { Click(dialog, IDC_EXCEPTION_SEND); }));
        EXPECT_TRUE(files.shown.empty());
        ASSERT_EQ(2u, boxes.shown.size());
        EXPECT_EQ(kThanks, boxes.shown[1].text);
    }
    {
        // Cancel in the save dialog writes nothing.
        MessageBoxes boxes;
        FileDialogs files;
        CExceptionDialog dialog;
        SetTexts(dialog);
        EXPECT_EQ(0, RunModal(dialog, [&] { Click(dialog, IDC_EXCEPTION_SEND); }));
        EXPECT_EQ(1u, files.shown.size());
        EXPECT_EQ(2u, boxes.shown.size());
    }
    EXPECT_EQ(3u, server.Requests().size());
}

TEST(ExceptionDialog, DontSendEndsAtOnceWithoutPosting)
{
    EnglishTexts english;
    HttpTestServer server;
    CrashPage page(server);
    MessageBoxes boxes;
    CExceptionDialog dialog;
    EXPECT_EQ(0, RunModal(dialog, [&] { Click(dialog, IDC_EXCEPTION_CANCEL); }));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST(ExceptionDialog, EnterAndEscapeTypedAnywhereDoNothing)
{
    EnglishTexts english;
    HttpTestServer server;
    CrashPage page(server);
    MessageBoxes boxes;
    CExceptionDialog dialog;
    std::string typed;
    bool openAfterKeys = false;
    EXPECT_EQ(0, RunModal(dialog, [&] {
                  dialog.SetForegroundWindow();
                  dialog.GetDlgItem(IDC_EXCEPTION_COMMENTS)->SetFocus();
                  SendKey('A');
                  SendKey(VK_RETURN);
                  SendKey(VK_ESCAPE);
                  SendKey('B');
                  PumpUntil([&] { return ControlText(dialog, IDC_EXCEPTION_COMMENTS) == "ab"; }, 10000);
                  typed = ControlText(dialog, IDC_EXCEPTION_COMMENTS);
                  // On the buttons and in the address field as well.
                  dialog.GetDlgItem(IDC_EXCEPTION_SEND)->SetFocus();
                  SendKey(VK_RETURN);
                  dialog.GetDlgItem(IDC_EXCEPTION_CANCEL)->SetFocus();
                  SendKey(VK_RETURN);
                  SendKey(VK_ESCAPE);
                  dialog.GetDlgItem(IDC_EXCEPTION_EMAIL)->SetFocus();
                  SendKey(VK_RETURN);
                  SendKey('C');
                  PumpUntil([&] { return ControlText(dialog, IDC_EXCEPTION_EMAIL) == "c"; }, 10000);
                  PumpUntil([] { return false; }, 300);
                  openAfterKeys = ::IsWindowVisible(dialog.m_hWnd) != FALSE;
                  Click(dialog, IDC_EXCEPTION_CANCEL);
              }));
    EXPECT_EQ("ab", typed);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST(ExceptionDialog, ThePointerIsTheArrowOverTheDialogAndTheHourglassWhileSending)
{
    CExceptionDialog dialog;
    const HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW), wait = ::LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR afterMove = nullptr, during = nullptr, after = nullptr;
    EXPECT_EQ(0, RunModal(dialog, [&] {
                  ::SetCursor(wait);
                  dialog.GetDlgItem(IDC_EXCEPTION_COMMENTS)->PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
                  PumpPending();
                  afterMove = ::GetCursor();
                  dialog.ShowWaitCursor(true);
                  during = ::GetCursor();
                  dialog.ShowWaitCursor(false);
                  after = ::GetCursor();
                  Click(dialog, IDC_EXCEPTION_CANCEL);
              }));
    EXPECT_EQ(arrow, afterMove);
    EXPECT_EQ(wait, during);
    EXPECT_EQ(arrow, after);
}
