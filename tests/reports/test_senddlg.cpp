// The help-request form: its texts and controls, the address check, the
// support report sent to a local server, Enter in each state, and a form
// that cannot be closed while it sends (and, gone anyway, is left alone by
// the sending thread).

#include "reg/reportservers.h"
#include "reports/senddlg.h"
#include "resources/reports/reportids.h"
#include "tests/foundation/http_test_server.h"
#include "tests/reports/dialog_test_support.h"
#include "tests/reports/english_texts.h"
#include "tests/reports/gated_send.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kSending[] = "Collecting system information and sending your request...";
const char kSent[] = "Your request has been sent. Thank you!";
const char kNotSent[] = "Your request could not be sent. Please check your Internet connection and try again later.";

bool IsShown(CWnd& dialog, UINT id)
{
    return dialog.GetDlgItem(id)->IsWindowVisible() != FALSE;
}

bool IsEnabled(CWnd& dialog, UINT id)
{
    return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE;
}

void Fill(CWnd& dialog, const char* email, const char* subject = "", const char* description = "")
{
    dialog.SetDlgItemText(IDC_SEND_REPORT_EMAIL, email);
    dialog.SetDlgItemText(IDC_SEND_REPORT_SUBJECT, subject);
    dialog.SetDlgItemText(IDC_SEND_REPORT_DESCRIPTION, description);
}

// Typed on the keyboard into the form's active window.
void TypeEnter(CWnd& dialog, UINT focus)
{
    dialog.SetForegroundWindow();
    dialog.GetDlgItem(focus)->SetFocus();
    SendKey(VK_RETURN);
}

} // namespace

TEST(SendDlg, ShowsItsTextsWithTheStatusLineHidden)
{
    EnglishTexts english;
    ASSERT_TRUE(english.IsReady());
    EnsureCommonControls();
    CSendDlg dialog;
    EXPECT_STREQ("CSendDlg", dialog.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CToolTipDialogEx)));
    EXPECT_STREQ("SendReportDialog", dialog.GetSectionName());
    ASSERT_TRUE(dialog.Create(IDD_SEND_REPORT_DIALOG, nullptr));

    CString title;
    dialog.GetWindowText(title);
    EXPECT_STREQ("Request Help from Telmin Community", title);
    EXPECT_EQ("Your e-mail:", ControlText(dialog, IDC_SEND_REPORT_EMAIL_LABEL));
    EXPECT_EQ("Subject:", ControlText(dialog, IDC_SEND_REPORT_SUBJECT_LABEL));
    EXPECT_EQ("Description:", ControlText(dialog, IDC_SEND_REPORT_DESCRIPTION_LABEL));
    EXPECT_EQ(kSending, ControlText(dialog, IDC_SEND_REPORT_STATUS));
    EXPECT_EQ("Send", ControlText(dialog, IDC_SEND_REPORT_SEND));
    EXPECT_EQ("Cancel", ControlText(dialog, IDC_SEND_REPORT_CANCEL));
    EXPECT_FALSE(IsShown(dialog, IDC_SEND_REPORT_STATUS));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SEND_REPORT_SEND));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SEND_REPORT_CANCEL));

    // Labels right-aligned, the status centred; three single-line fields,
    // the description's box the tallest.
    for (UINT label : {IDC_SEND_REPORT_EMAIL_LABEL, IDC_SEND_REPORT_SUBJECT_LABEL, IDC_SEND_REPORT_DESCRIPTION_LABEL})
        EXPECT_EQ(static_cast<DWORD>(SS_RIGHT), dialog.GetDlgItem(label)->GetStyle() & SS_TYPEMASK) << label;
    EXPECT_EQ(static_cast<DWORD>(SS_CENTER), dialog.GetDlgItem(IDC_SEND_REPORT_STATUS)->GetStyle() & SS_TYPEMASK);
    for (UINT edit : {IDC_SEND_REPORT_EMAIL, IDC_SEND_REPORT_SUBJECT, IDC_SEND_REPORT_DESCRIPTION})
    {
        const DWORD style = dialog.GetDlgItem(edit)->GetStyle();
        EXPECT_TRUE(style & ES_AUTOHSCROLL) << edit;
        EXPECT_FALSE(style & ES_MULTILINE) << edit;
    }
    CRect subject, description;
    dialog.GetDlgItem(IDC_SEND_REPORT_SUBJECT)->GetWindowRect(subject);
    dialog.GetDlgItem(IDC_SEND_REPORT_DESCRIPTION)->GetWindowRect(description);
    EXPECT_GT(description.Height(), 2 * subject.Height());
    dialog.DestroyWindow();
}

TEST(SendDlg, ARefusedAddressIsToldAndNothingIsSent)
{
    EnglishTexts english;
    GatedSend gate;
    SetEvent(gate.release);
    MessageBoxes boxes;
    CSendDlg dialog(nullptr, gate.Function(true));
    std::vector<std::string> refusedStates;
    std::string accepted;
    EXPECT_EQ(IDCANCEL, RunModal(dialog, [&] {
                  for (const char* address : {"", "@host.org", ".name@host", "name.host.org", "name@host"})
                  {
                      Fill(dialog, address, "s", "d");
                      Click(dialog, IDC_SEND_REPORT_SEND);
                      if (IsEnabled(dialog, IDC_SEND_REPORT_SEND) && IsEnabled(dialog, IDC_SEND_REPORT_CANCEL) &&
                          !IsShown(dialog, IDC_SEND_REPORT_STATUS))
                          refusedStates.push_back(address);
                  }
                  // The only dot before the at sign will do.
                  Fill(dialog, "first.last@host", "Subject", "Description");
                  Click(dialog, IDC_SEND_REPORT_SEND);
                  PumpUntil([&] { return ControlText(dialog, IDC_SEND_REPORT_STATUS) == kSent; });
                  accepted = gate.seen;
                  Click(dialog, IDC_SEND_REPORT_CANCEL);
              }));
    EXPECT_EQ(5u, refusedStates.size());
    ASSERT_EQ(5u, boxes.shown.size());
    for (const MessageBoxes::Shown& box : boxes.shown)
    {
        EXPECT_EQ("Please enter a valid e-mail address.", box.text);
        EXPECT_EQ("Error", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), box.type);
    }
    EXPECT_EQ(1, gate.calls.load());
    EXPECT_EQ("first.last@host|Subject|Description", accepted);
}

TEST(SendDlg, SendsTheSupportReportToTheServerAndEnterThenCloses)
{
    EnglishTexts english;
    HttpTestServer server;
    SetSupportReportHost(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    MessageBoxes boxes;
    CSendDlg dialog;
    bool sendingShown = false, sent = false, sendAfter = true, cancelAfter = false;
    const INT_PTR result = RunModal(dialog, [&] {
        Fill(dialog, "me@host.org", "Scan hangs", "It stops at 50%");
        TypeEnter(dialog, IDC_SEND_REPORT_DESCRIPTION);  // Enter while editing sends
        PumpUntil([&] { return IsShown(dialog, IDC_SEND_REPORT_STATUS); }, 10000);
        sendingShown = ControlText(dialog, IDC_SEND_REPORT_STATUS) == kSending;
        sent = PumpUntil([&] { return ControlText(dialog, IDC_SEND_REPORT_STATUS) == kSent; }, 60000);
        sendAfter = IsEnabled(dialog, IDC_SEND_REPORT_SEND);
        cancelAfter = IsEnabled(dialog, IDC_SEND_REPORT_CANCEL);
        TypeEnter(dialog, IDC_SEND_REPORT_DESCRIPTION);  // Enter once done closes
    });
    SetSupportReportHost(NULL);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(sendingShown);
    EXPECT_TRUE(sent);
    EXPECT_FALSE(sendAfter);
    EXPECT_TRUE(cancelAfter);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("POST /post_log/parse.php HTTP/1.1", server.Requests()[0].Line());
    const std::string body = server.Requests()[0].body;
    EXPECT_EQ(0u, body.find("log=<log>"));
    const std::string fields = "&email=me%40host%2Eorg&subj=Scan%20hangs&desc=It%20stops%20at%2050%25";
    ASSERT_GT(body.size(), fields.size());
    EXPECT_EQ(fields, body.substr(body.size() - fields.size()));
}

TEST(SendDlg, CannotBeClosedWhileSendingAndEnterThenDoesNothing)
{
    EnglishTexts english;
    GatedSend gate;
    MessageBoxes boxes;
    CSendDlg dialog(nullptr, gate.Function(false));
    bool stillOpen = false, stillSending = false, failed = false, sendAfter = true, cancelFocused = false;
    const INT_PTR result = RunModal(dialog, [&] {
        Fill(dialog, "me@host.org", "s", "d");
        dialog.SetForegroundWindow();
        dialog.GetDlgItem(IDC_SEND_REPORT_SEND)->SetFocus();  // as a click on it leaves it
        Click(dialog, IDC_SEND_REPORT_SEND);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.started, 10000));
        // Enter and Escape typed while Send, which had the focus, is disabled.
        SendKey(VK_RETURN);
        SendKey(VK_ESCAPE);
        // Everything else that would close the form or send again.
        dialog.PostMessage(WM_CLOSE);
        dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE);
        dialog.PostMessage(WM_COMMAND, IDCANCEL);
        dialog.PostMessage(WM_COMMAND, IDOK);
        dialog.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SEND_REPORT_CANCEL, BN_CLICKED));
        dialog.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SEND_REPORT_SEND, BN_CLICKED));
        PumpUntil([] { return false; }, 500);
        stillOpen = ::IsWindowVisible(dialog.m_hWnd) != FALSE;
        stillSending = !IsEnabled(dialog, IDC_SEND_REPORT_SEND) && !IsEnabled(dialog, IDC_SEND_REPORT_CANCEL) &&
                       dialog.GetRequest().GetState() == CHelpRequest::Sending;

        SetEvent(gate.release);
        failed = PumpUntil([&] { return ControlText(dialog, IDC_SEND_REPORT_STATUS) == kNotSent; });
        sendAfter = IsEnabled(dialog, IDC_SEND_REPORT_SEND);  // one form sends at most once
        cancelFocused = ::GetFocus() == dialog.GetDlgItem(IDC_SEND_REPORT_CANCEL)->m_hWnd;
        SendKey(VK_ESCAPE);  // never closes
        PumpUntil([] { return false; }, 300);
        if (::IsWindowVisible(dialog.m_hWnd))
            TypeEnter(dialog, IDC_SEND_REPORT_DESCRIPTION);  // closes now
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(stillSending);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(sendAfter);
    EXPECT_TRUE(cancelFocused);
    EXPECT_EQ(1, gate.calls.load());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(SendDlg, AFormThatGoesWhileSendingLeavesTheSendToFinishAlone)
{
    EnglishTexts english;
    GatedSend gate;
    HWND hWnd = nullptr;
    CSendDlg dialog(nullptr, gate.Function(true));
    const INT_PTR result = RunModal(dialog, [&] {
        hWnd = dialog.m_hWnd;
        Fill(dialog, "me@host.org");
        Click(dialog, IDC_SEND_REPORT_SEND);
        WaitForSingleObject(gate.started, 10000);
        PostQuitMessage(0);  // the application quits; the window goes with the loop
    });
    EXPECT_EQ(-1, result);
    EXPECT_EQ(0, TakeQuitMessage());
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(gate.finished, 0));

    // The send ends after the window, the form object still there.
    SetEvent(gate.release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.finished, 10000));
    ASSERT_TRUE(dialog.GetRequest().WaitForThread(10000));
    EXPECT_EQ(CHelpRequest::Done, dialog.GetRequest().GetState());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP + 0xFF, PM_REMOVE));
}
