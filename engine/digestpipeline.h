#pragma once
// File digests for the folder walk, computed on a few worker threads while
// the walk goes on. Results come back in the order the paths went in, so the
// scan thread reports detections in walk order; files that finish before an
// older one wait, done, behind it, and only a full queue holds the walk.
//
// Under Wine every open, first read and close of a file is a round trip to
// the single-threaded wineserver, and so is every wait or wake-up on a
// kernel object. The workers and the scan thread therefore meet through a
// slim lock and condition variables (user-space futexes under Wine), and wake
// each other only when someone actually sleeps.

#include <windows.h>

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
    // threads far better than the walk itself). depth: the paths it holds,
    // queued, running or done and not yet taken.
    explicit CDigestPipeline(int threads = 0, int depth = 1024);
    ~CDigestPipeline();

    bool IsFull() const;
    bool IsEmpty() const;
    // Queues a path; ignored when full (the caller takes results first).
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
        std::string path; // only its worker reads it while running
        State state;
        bool ok;
        BYTE digest[16];
    };

    void Work();
    // Sleeps on m_done until the next job finishes (lock held).
    void WaitForDone();

    mutable SRWLOCK m_lock;
    CONDITION_VARIABLE m_queued; // idle workers wait for a job or the end
    CONDITION_VARIABLE m_done;   // the scan thread waits for a finished job
    std::vector<Job> m_ring;
    size_t m_head;      // oldest job
    size_t m_count;     // jobs in the ring
    size_t m_next;      // next job to start
    size_t m_waiting;   // queued jobs not started yet
    size_t m_idle;      // workers asleep on m_queued
    size_t m_doneWaits; // threads asleep on m_done
    bool m_quit;
    std::vector<std::thread> m_workers;
};
