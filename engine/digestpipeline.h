#pragma once
// File digests for the folder walk, computed on a few worker threads while
// the walk goes on. Results come back in the order the paths went in, so the
// scan thread reports detections in walk order.

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// MD5 of a whole file read in slices; false when the file cannot be opened
// or read to its end, or is empty.
bool DigestOfFile(const char* path, BYTE digest[16]);

class CDigestPipeline
{
public:
    // threads 0: one per processor, at most 8 (under Wine reads scale with
    // threads far better than the walk itself).
    explicit CDigestPipeline(int threads = 0, int depth = 64);
    ~CDigestPipeline();

    bool IsFull() const;
    bool IsEmpty() const;
    // Queues a path; the caller takes results first when the pipeline is full.
    void Push(const std::string& path);
    // The oldest result: false when nothing is queued, or (without wait)
    // when the oldest is not finished yet.
    bool Pop(std::string& path, bool& ok, BYTE digest[16], bool wait);
    // Drops every queued job; running ones finish and are dropped too.
    void Clear();

private:
    CDigestPipeline(const CDigestPipeline&);
    CDigestPipeline& operator=(const CDigestPipeline&);

    enum State { Queued, Running, Done };
    struct Job
    {
        std::string path;
        State state;
        bool ok;
        BYTE digest[16];
    };

    void Work();

    mutable std::mutex m_lock;
    std::condition_variable m_queued; // workers wait for a job or the end
    std::condition_variable m_done;   // the scan thread waits for the oldest
    std::vector<Job> m_ring;
    size_t m_head;  // oldest job
    size_t m_count; // jobs in the ring
    size_t m_next;  // next job to start
    size_t m_waiting; // queued jobs not started yet
    bool m_quit;
    std::vector<std::thread> m_workers;
};
