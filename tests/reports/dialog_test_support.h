#pragma once
// Running the diagnostics' dialogs in tests: a modal dialog driven by a
// script, and the message boxes and file dialogs it shows answered and
// recorded instead of shown.

#include "platform/mfc/afxdlgs.h"
#include "platform/mfc/afxwin.h"
#include "tests/platform/mfc/window_test_support.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace dialog_test {

struct Running
{
    CDialog* dialog = nullptr;
    std::function<void()> script;
    DWORD deadline = 0;
};
inline Running& Current()
{
    static Running running;
    return running;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
{
    Running& running = Current();
    if (running.dialog == nullptr)
        return;
    HWND hWnd = running.dialog->m_hWnd;
    if (running.script && hWnd != nullptr && ::IsWindowVisible(hWnd))
    {
        std::function<void()> script;
        script.swap(running.script);
        script();
    }
    else if (GetTickCount() > running.deadline)
    {
        ::KillTimer(nullptr, timer);
        running.dialog->EndDialog(-2);  // the script never ran: the test fails on -2
    }
}

} // namespace dialog_test

// Runs the dialog modally; once its window shows, the script runs on the
// dialog's thread (pumping with PumpUntil where it waits). A dialog still
// open when timeoutMs has passed is ended with -2.
inline INT_PTR RunModal(CDialog& dialog, std::function<void()> script, DWORD timeoutMs = 60000)
{
    dialog_test::Running& running = dialog_test::Current();
    running.dialog = &dialog;
    running.script = std::move(script);
    running.deadline = GetTickCount() + timeoutMs;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &dialog_test::Tick);
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    running = dialog_test::Running();
    return result;
}

// Clicks a button of the dialog the way the button itself reports it.
inline void Click(CWnd& dialog, UINT id)
{
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)->GetSafeHwnd()));
}

// Every message box shown while the object lives, answered from a list
// (IDOK once the list is empty).
class MessageBoxes
{
public:
    struct Shown
    {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
        HCURSOR cursor;  // the mouse pointer when the box came
    };

    MessageBoxes() : m_previous(AfxSetMessageBoxHandler(&Show)) { Instance() = this; }
    ~MessageBoxes()
    {
        AfxSetMessageBoxHandler(m_previous);
        Instance() = nullptr;
    }

    std::vector<Shown> shown;
    std::deque<int> answers;

private:
    static MessageBoxes*& Instance()
    {
        static MessageBoxes* instance;
        return instance;
    }
    static int Show(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
    {
        MessageBoxes* boxes = Instance();
        boxes->shown.push_back({owner, text ? text : "", caption ? caption : "", type, ::GetCursor()});
        if (boxes->answers.empty())
            return IDOK;
        const int answer = boxes->answers.front();
        boxes->answers.pop_front();
        return answer;
    }

    AFX_MESSAGEBOX_HANDLER m_previous;
};

// The file dialogs shown while the object lives: what they were given, and
// the name they answer with (empty: Cancel).
class FileDialogs
{
public:
    struct Shown
    {
        BOOL open;
        HWND owner;
        DWORD flags;
        bool hasFilter, hasDefExt;
        std::string startName;
    };

    FileDialogs() : m_previous(AfxSetFileDialogHandler(&Show)) { Instance() = this; }
    ~FileDialogs()
    {
        AfxSetFileDialogHandler(m_previous);
        Instance() = nullptr;
    }

    std::vector<Shown> shown;
    std::string answer;

private:
    static FileDialogs*& Instance()
    {
        static FileDialogs* instance;
        return instance;
    }
    static BOOL Show(OPENFILENAMEA* ofn, BOOL open)
    {
        FileDialogs* dialogs = Instance();
        dialogs->shown.push_back({open, ofn->hwndOwner, ofn->Flags, ofn->lpstrFilter != nullptr,
                                  ofn->lpstrDefExt != nullptr, ofn->lpstrFile});
        if (dialogs->answer.empty())
            return FALSE;
        lstrcpynA(ofn->lpstrFile, dialogs->answer.c_str(), ofn->nMaxFile);
        return TRUE;
    }

    AFX_FILEDIALOG_HANDLER m_previous;
};

// The window text of a dialog's control.
inline std::string ControlText(CWnd& dialog, UINT id)
{
    CString text;
    if (CWnd* control = dialog.GetDlgItem(id))
        control->GetWindowText(text);
    return text.GetString();
}
