#pragma once
// What the help-request form does when the user presses Send: it checks the
// e-mail address, then runs the support report on a thread of its own and
// tells the form the outcome. The form refuses to close while the state is
// Sending (CanClose); should it be destroyed anyway, the thread only touches
// state it shares with this object and drops the outcome.

#include "platform/mfc/cstring.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class CHelpRequest
{
public:
    // Editing: Send and Cancel enabled; Sending: both disabled; Done: Cancel
    // enabled, Send disabled for good (one form sends at most once).
    enum State { Editing, Sending, Done };
    enum EnterAction { EnterSends, EnterCloses, EnterDoesNothing };

    // Runs the report and posts it; true when it went out.
    typedef std::function<bool(const std::string& email, const std::string& subject, const std::string& description)>
        SendFunction;
    // Called on the sending thread when the report is done; the form posts
    // itself a message from it. It must not wait for the form's thread: the
    // form's destructor waits for a notice under way.
    typedef std::function<void(bool sent)> DoneFunction;

    // Sends with the support report (CMainScan).
    CHelpRequest();
    explicit CHelpRequest(SendFunction send);
    // Never waits for the sending thread; an outcome that comes later is dropped.
    ~CHelpRequest();
    // The form is going away: the done notice is dropped from now on. Waits
    // only for a notice under way.
    void StopNotices();

    // Not empty; its first "@" and its first "." both after the first character.
    static bool IsAddressAccepted(const char* address);

    // Starts sending on a new thread; false when the address is refused,
    // a send has already begun, or the thread cannot be made.
    bool Start(const CString& email, const CString& subject, const CString& description, DoneFunction done);

    State GetState() const;
    // The outcome of the send; false until it is done.
    bool GetResult() const;
    bool CanClose() const { return GetState() != Sending; }
    // What Enter does in the current state.
    EnterAction GetEnterAction() const;
    // True once the sending thread has ended (at once when none was started).
    bool WaitForThread(DWORD timeoutMs) const;

    // The subject given to Start; empty before.
    CString GetSubject() const;

private:
    CHelpRequest(const CHelpRequest&) = delete;
    CHelpRequest& operator=(const CHelpRequest&) = delete;

    struct Shared;
    static unsigned __stdcall ThreadProc(void* argument);

    std::shared_ptr<Shared> m_shared;
    HANDLE m_thread;
};
