#include "engine/digestpipeline.h"

#include "foundation/md5.h"

namespace {

// The digest walk reads files in slices of this size: under Wine, plain reads
// of a quarter megabyte run about twice as fast as file mappings.
const DWORD kDigestSlice = 256u << 10;
// Files the pipeline keeps open at once.
const size_t kOpenFiles = 64;

HANDLE OpenForDigest(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

// The size of an open file, when it has any bytes.
bool SizeToDigest(HANDLE file, ULONGLONG* size)
{
    LARGE_INTEGER s;
    if (!GetFileSizeEx(file, &s) || s.QuadPart <= 0)
        return false;
    *size = (ULONGLONG)s.QuadPart;
    return true;
}

// Reads size bytes from the start of an open file into the digest, through
// the caller's slice buffer (not empty); gives up between two slices once
// *abort is set.
bool DigestOpenFile(HANDLE file, ULONGLONG size, BYTE digest[16], std::vector<BYTE>& slice,
                    const volatile bool* abort)
{
    MD5_CTX ctx;
    MD5Init(&ctx);
    ULONGLONG done = 0;
    DWORD read = 0;
    // Stops at the size: the read that would only report the end is one
    // more call.
    while (done < size && !(abort && *abort) && ReadFile(file, &slice[0], (DWORD)slice.size(), &read, NULL) &&
           read > 0)
    {
        MD5Update(&ctx, &slice[0], read);
        done += read;
    }
    MD5Final(digest, &ctx);
    return done == size;
}

} // namespace

bool DigestOfFile(const char* path, BYTE digest[16])
{
    HANDLE file = OpenForDigest(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ULONGLONG size;
    bool ok = SizeToDigest(file, &size);
    if (ok)
    {
        // One file: a slice larger than the file would be filled for nothing.
        std::vector<BYTE> slice((size_t)(size < kDigestSlice ? size : kDigestSlice));
        ok = DigestOpenFile(file, size, digest, slice, NULL);
    }
    CloseHandle(file);
    return ok;
}

CDigestPipeline::CDigestPipeline(int threads, int depth)
    : m_ring(depth > 0 ? depth : 1), m_head(0), m_count(0), m_next(0), m_waiting(0), m_open(0), m_working(0),
      m_doneWaits(0), m_hashers(0), m_idleHashers(0), m_openerIdle(false), m_handlerIdle(false), m_abort(false),
      m_quit(false)
{
    InitializeSRWLock(&m_lock);
    InitializeConditionVariable(&m_queued);
    InitializeConditionVariable(&m_handled);
    InitializeConditionVariable(&m_hashed);
    InitializeConditionVariable(&m_done);
    if (threads <= 0)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        threads = (int)info.dwNumberOfProcessors;
        if (threads > 4)
            threads = 4;
        if (threads < 1)
            threads = 1;
    }
    m_hashers = threads;
    m_workers.emplace_back(&CDigestPipeline::Open, this);
    m_workers.emplace_back(&CDigestPipeline::Handle, this);
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back(&CDigestPipeline::Hash, this);
}

CDigestPipeline::~CDigestPipeline()
{
    Clear();
    AcquireSRWLockExclusive(&m_lock);
    m_quit = true;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_queued);
    WakeAllConditionVariable(&m_handled);
    WakeAllConditionVariable(&m_hashed);
    for (std::thread& t : m_workers)
        t.join();
}

bool CDigestPipeline::IsFull() const
{
    AcquireSRWLockShared(&m_lock);
    const bool full = m_count == m_ring.size();
    ReleaseSRWLockShared(&m_lock);
    return full;
}

bool CDigestPipeline::IsEmpty() const
{
    AcquireSRWLockShared(&m_lock);
    const bool empty = m_count == 0;
    ReleaseSRWLockShared(&m_lock);
    return empty;
}

void CDigestPipeline::Push(const std::string& path)
{
    AcquireSRWLockExclusive(&m_lock);
    if (m_count == m_ring.size())
    {
        ReleaseSRWLockExclusive(&m_lock);
        return;
    }
    Job& job = m_ring[(m_head + m_count) % m_ring.size()];
    job.path = path;
    job.state = Queued;
    job.ok = false;
    job.file = INVALID_HANDLE_VALUE;
    ++m_count;
    ++m_waiting;
    const bool wake = m_openerIdle;
    ReleaseSRWLockExclusive(&m_lock);
    if (wake)
        WakeConditionVariable(&m_queued);
}

void CDigestPipeline::WaitForDone()
{
    ++m_doneWaits;
    SleepConditionVariableSRW(&m_done, &m_lock, INFINITE, 0);
    --m_doneWaits;
}

void CDigestPipeline::Finish(Job& job, bool ok)
{
    job.ok = ok;
    job.state = Done;
    --m_working;
    if (m_doneWaits > 0)
        WakeAllConditionVariable(&m_done);
}

bool CDigestPipeline::Pop(std::string& path, bool& ok, BYTE digest[16], bool wait)
{
    AcquireSRWLockExclusive(&m_lock);
    bool popped = false;
    while (m_count > 0)
    {
        Job& job = m_ring[m_head];
        if (job.state != Done)
        {
            if (!wait)
                break;
            WaitForDone();
            continue;
        }
        path.swap(job.path);
        ok = job.ok;
        memcpy(digest, job.digest, 16);
        m_head = (m_head + 1) % m_ring.size();
        --m_count;
        popped = true;
        break;
    }
    if (!popped && wait)
    {
        while (m_open > 0)
            WaitForDone();
    }
    ReleaseSRWLockExclusive(&m_lock);
    return popped;
}

void CDigestPipeline::Clear()
{
    AcquireSRWLockExclusive(&m_lock);
    // Jobs not opened yet are dropped at once; the others are awaited, and
    // a large file being digested is given up.
    m_waiting = 0;
    m_abort = true;
    while (m_working > 0 || m_open > 0)
        WaitForDone();
    m_abort = false;
    m_head = m_next = m_count = 0;
    ReleaseSRWLockExclusive(&m_lock);
}

// Opens the queued files in order, while fewer than kOpenFiles are open.
void CDigestPipeline::Open()
{
    AcquireSRWLockExclusive(&m_lock);
    for (;;)
    {
        while (!m_quit && (m_waiting == 0 || m_open >= kOpenFiles))
        {
            m_openerIdle = true;
            SleepConditionVariableSRW(&m_queued, &m_lock, INFINITE, 0);
            m_openerIdle = false;
        }
        if (m_quit)
            break;
        const size_t index = m_next;
        Job& job = m_ring[index];
        m_next = (m_next + 1) % m_ring.size();
        --m_waiting;
        ++m_working;
        job.state = Opening;
        ReleaseSRWLockExclusive(&m_lock);
        const HANDLE file = OpenForDigest(job.path.c_str());
        AcquireSRWLockExclusive(&m_lock);
        if (file == INVALID_HANDLE_VALUE)
        {
            Finish(job, false);
            continue;
        }
        job.file = file;
        job.state = Opened;
        ++m_open;
        m_opened.push_back(index);
        if (m_handlerIdle)
            WakeConditionVariable(&m_handled);
    }
    ReleaseSRWLockExclusive(&m_lock);
}

// Makes the first use of every opened file (which brings its descriptor
// into the process) and closes the files read to the end. The first uses
// go first while the hash threads want work.
void CDigestPipeline::Handle()
{
    std::vector<HANDLE> closing;
    AcquireSRWLockExclusive(&m_lock);
    for (;;)
    {
        while (!m_quit && m_opened.empty() && m_closing.empty())
        {
            m_handlerIdle = true;
            SleepConditionVariableSRW(&m_handled, &m_lock, INFINITE, 0);
            m_handlerIdle = false;
        }
        if (m_quit)
            break;
        if (!m_opened.empty() && (m_closing.empty() || m_ready.size() < m_hashers))
        {
            const size_t index = m_opened.front();
            m_opened.pop_front();
            Job& job = m_ring[index];
            const HANDLE file = job.file;
            ReleaseSRWLockExclusive(&m_lock);
            ULONGLONG size = 0;
            const bool ok = SizeToDigest(file, &size);
            if (!ok)
                CloseHandle(file);
            AcquireSRWLockExclusive(&m_lock);
            if (!ok)
            {
                job.file = INVALID_HANDLE_VALUE;
                --m_open;
                Finish(job, false);
                if (m_openerIdle)
                    WakeConditionVariable(&m_queued);
                continue;
            }
            job.size = size;
            m_ready.push_back(index);
            if (m_idleHashers > 0)
                WakeConditionVariable(&m_hashed);
            continue;
        }
        closing.swap(m_closing);
        ReleaseSRWLockExclusive(&m_lock);
        for (HANDLE file : closing)
            CloseHandle(file);
        AcquireSRWLockExclusive(&m_lock);
        m_open -= closing.size();
        closing.clear();
        if (m_openerIdle)
            WakeConditionVariable(&m_queued);
        if (m_doneWaits > 0)
            WakeAllConditionVariable(&m_done);
    }
    ReleaseSRWLockExclusive(&m_lock);
}

// Reads and digests open files; the handle thread closes them.
void CDigestPipeline::Hash()
{
    std::vector<BYTE> slice(kDigestSlice);
    AcquireSRWLockExclusive(&m_lock);
    for (;;)
    {
        while (!m_quit && m_ready.empty())
        {
            ++m_idleHashers;
            SleepConditionVariableSRW(&m_hashed, &m_lock, INFINITE, 0);
            --m_idleHashers;
        }
        if (m_quit)
            break;
        Job& job = m_ring[m_ready.front()];
        m_ready.pop_front();
        job.state = Hashing;
        ReleaseSRWLockExclusive(&m_lock);
        BYTE digest[16];
        const bool ok = DigestOpenFile(job.file, job.size, digest, slice, &m_abort);
        AcquireSRWLockExclusive(&m_lock);
        memcpy(job.digest, digest, 16);
        m_closing.push_back(job.file);
        job.file = INVALID_HANDLE_VALUE;
        Finish(job, ok);
        if (m_handlerIdle)
            WakeConditionVariable(&m_handled);
    }
    ReleaseSRWLockExclusive(&m_lock);
}
