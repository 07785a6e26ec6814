#include "reports/helprequest.h"

#include "reg/mainscan.h"

#include <process.h>

#include <mutex>
#include <utility>

// What the form and its sending thread share; it lives as long as either.
struct CHelpRequest::Shared
{
    std::mutex lock;
    State state = Editing;
    bool result = false;
    SendFunction send;
    DoneFunction done;  // emptied when the form goes away
    std::string email, subject, description;
};

namespace {

bool SendWithSupportReport(const std::string& email, const std::string& subject, const std::string& description)
{
    CMainScan scan;
    return scan.SendReport(email, subject, description);
}

} // namespace

CHelpRequest::CHelpRequest() : CHelpRequest(SendWithSupportReport)
{
}

CHelpRequest::CHelpRequest(SendFunction send) : m_shared(std::make_shared<Shared>()), m_thread(NULL)
{
    m_shared->send = std::move(send);
}

CHelpRequest::~CHelpRequest()
{
    StopNotices();
    if (m_thread)
        CloseHandle(m_thread);
}

void CHelpRequest::StopNotices()
{
    // Waits only for a notice already under way, never for the send.
    std::lock_guard<std::mutex> guard(m_shared->lock);
    m_shared->done = nullptr;
}

bool CHelpRequest::IsAddressAccepted(const char* address)
{
    if (!address || !*address)
        return false;
    const char* at = strchr(address, '@');
    const char* dot = strchr(address, '.');
    return at && dot && at > address && dot > address;
}

bool CHelpRequest::Start(const CString& email, const CString& subject, const CString& description, DoneFunction done)
{
    if (!IsAddressAccepted(email))
        return false;
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        if (m_shared->state != Editing)
            return false;
        m_shared->state = Sending;
        m_shared->done = std::move(done);
        m_shared->email = email.GetString();
        m_shared->subject = subject.GetString();
        m_shared->description = description.GetString();
    }

    std::shared_ptr<Shared>* handOver = new std::shared_ptr<Shared>(m_shared);
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, ThreadProc, handOver, 0, NULL));
    if (!m_thread)
    {
        delete handOver;
        std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->state = Editing;
        m_shared->done = nullptr;
        return false;
    }
    return true;
}

unsigned __stdcall CHelpRequest::ThreadProc(void* argument)
{
    std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(argument));
    delete static_cast<std::shared_ptr<Shared>*>(argument);

    bool sent = false;
    try
    {
        sent = shared->send && shared->send(shared->email, shared->subject, shared->description);
    }
    catch (...)
    {
        sent = false;
    }

    std::lock_guard<std::mutex> guard(shared->lock);
    shared->result = sent;
    shared->state = Done;
    if (shared->done)
        shared->done(sent);
    return 0;
}

CHelpRequest::State CHelpRequest::GetState() const
{
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return m_shared->state;
}

bool CHelpRequest::GetResult() const
{
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return m_shared->result;
}

CString CHelpRequest::GetSubject() const
{
    std::lock_guard<std::mutex> guard(m_shared->lock);
    return m_shared->subject.c_str();
}

CHelpRequest::EnterAction CHelpRequest::GetEnterAction() const
{
    switch (GetState())
    {
    case Editing:
        return EnterSends;
    case Done:
        return EnterCloses;
    default:
        return EnterDoesNothing;
    }
}

bool CHelpRequest::WaitForThread(DWORD timeoutMs) const
{
    return !m_thread || WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}
