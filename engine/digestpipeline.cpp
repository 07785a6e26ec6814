#include "engine/digestpipeline.h"

#include "foundation/md5.h"

namespace {

// The digest walk reads files in slices of this size: under Wine, plain reads
// of a quarter megabyte run about twice as fast as file mappings.
const DWORD kDigestSlice = 256u << 10;

} // namespace

bool DigestOfFile(const char* path, BYTE digest[16])
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0;
    if (ok)
    {
        std::vector<BYTE> slice((size_t)((ULONGLONG)size.QuadPart < kDigestSlice ? size.QuadPart : kDigestSlice));
        MD5_CTX ctx;
        MD5Init(&ctx);
        ULONGLONG done = 0;
        DWORD read = 0;
        while (done < (ULONGLONG)size.QuadPart &&
               ReadFile(file, &slice[0], (DWORD)slice.size(), &read, NULL) && read > 0)
        {
            MD5Update(&ctx, &slice[0], read);
            done += read;
        }
        MD5Final(digest, &ctx);
        ok = done == (ULONGLONG)size.QuadPart;
    }
    CloseHandle(file);
    return ok;
}

CDigestPipeline::CDigestPipeline(int threads, int depth)
    : m_ring(depth > 0 ? depth : 1), m_head(0), m_count(0), m_next(0), m_waiting(0), m_quit(false)
{
    if (threads <= 0)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        threads = (int)info.dwNumberOfProcessors;
        if (threads > 8)
            threads = 8;
        if (threads < 1)
            threads = 1;
    }
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back(&CDigestPipeline::Work, this);
}

CDigestPipeline::~CDigestPipeline()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_quit = true;
    }
    m_queued.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

bool CDigestPipeline::IsFull() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_count == m_ring.size();
}

bool CDigestPipeline::IsEmpty() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_count == 0;
}

void CDigestPipeline::Push(const std::string& path)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_count == m_ring.size())
            return;
        Job& job = m_ring[(m_head + m_count) % m_ring.size()];
        job.path = path;
        job.state = Queued;
        job.ok = false;
        ++m_count;
        ++m_waiting;
    }
    m_queued.notify_one();
}

bool CDigestPipeline::Pop(std::string& path, bool& ok, BYTE digest[16], bool wait)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_count == 0)
        return false;
    Job& job = m_ring[m_head];
    if (job.state != Done)
    {
        if (!wait)
            return false;
        m_done.wait(hold, [&job] { return job.state == Done; });
    }
    path.swap(job.path);
    ok = job.ok;
    memcpy(digest, job.digest, 16);
    m_head = (m_head + 1) % m_ring.size();
    --m_count;
    return true;
}

void CDigestPipeline::Clear()
{
    std::unique_lock<std::mutex> hold(m_lock);
    // Jobs not started are dropped at once; running ones are awaited.
    while (m_count > 0)
    {
        Job& job = m_ring[m_head];
        if (job.state == Running)
        {
            m_done.wait(hold, [&job] { return job.state == Done; });
            continue;
        }
        if (job.state == Queued)
        {
            --m_waiting;
            if (m_next == m_head)
                m_next = (m_next + 1) % m_ring.size();
        }
        job.state = Done;
        m_head = (m_head + 1) % m_ring.size();
        --m_count;
    }
}

void CDigestPipeline::Work()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;)
    {
        m_queued.wait(hold, [this] { return m_quit || m_waiting > 0; });
        if (m_quit)
            return;
        Job& job = m_ring[m_next];
        m_next = (m_next + 1) % m_ring.size();
        --m_waiting;
        job.state = Running;
        const std::string path = job.path;
        hold.unlock();
        BYTE digest[16];
        const bool ok = DigestOfFile(path.c_str(), digest);
        hold.lock();
        job.ok = ok;
        memcpy(job.digest, digest, 16);
        job.state = Done;
        m_done.notify_all();
    }
}
