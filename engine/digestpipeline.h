#pragma once
// File digests for the folder walk, computed on other threads while the walk
// goes on. Results come back in the order the paths went in, so the scan
// thread reports detections in walk order; files that finish before an older
// one wait, done, behind it, and only a full queue holds the walk.
//
// Under Wine the open, the first use and the close of a file handle are each
// a round trip to the single-threaded wineserver, and the last two also hold
// one process-wide lock while they wait for it; threads that queue there
// hand that lock on to each other with a wake-up every time. So each file
// goes through three stages: one opener thread opens the files in order, one
// handle thread makes every first use and every close, back to back, and a
// few hash threads read and digest. The threads meet through a slim lock and
// condition variables (user-space futexes under Wine) and wake each other
// only when someone actually sleeps.

#include <windows.h>

#include <deque>
#include <string>
#include <thread>
#include <vector>

// MD5 of a whole file read in slices; false when the file cannot be opened
// or read to its end, or is empty.
bool DigestOfFile(const char* path, BYTE digest[16]);

class CDigestPipeline
{
public:
    // threads: hash threads; 0: one per processor, at most 4 (the opener and
    // the handle thread come on top). depth: the paths it holds, queued,
    // in work, or done and not yet taken.
    explicit CDigestPipeline(int threads = 0, int depth = 1024);
    ~CDigestPipeline();

    bool IsFull() const;
    bool IsEmpty() const;
    // Queues a path; ignored when full (the caller takes results first).
    void Push(const std::string& path);
    // The oldest result: false when nothing is queued, or (without wait)
    // when the oldest is not finished yet. Waiting on an empty pipeline
    // returns once every file it opened is closed again.
    bool Pop(std::string& path, bool& ok, BYTE digest[16], bool wait);
    // Drops every queued job; jobs in work finish and are dropped too, and
    // every file is closed on return.
    void Clear();

private:
    CDigestPipeline(const CDigestPipeline&);
    CDigestPipeline& operator=(const CDigestPipeline&);

    enum State { Queued, Opening, Opened, Hashing, Done };
    struct Job
    {
        std::string path; // read unlocked only by the thread working on it
        State state;
        bool ok;
        BYTE digest[16];
        HANDLE file;
        ULONGLONG size;
    };

    void Open();
    void Handle();
    void Hash();
    // Finishes a job (lock held) and wakes whoever waits for one.
    void Finish(Job& job, bool ok);
    // Sleeps on m_done until the next job finishes or file closes (lock held).
    void WaitForDone();

    mutable SRWLOCK m_lock;
    CONDITION_VARIABLE m_queued;  // the opener waits for a path or a free handle
    CONDITION_VARIABLE m_handled; // the handle thread waits for a first use or a close
    CONDITION_VARIABLE m_hashed;  // hash threads wait for an open file
    CONDITION_VARIABLE m_done;    // Pop and Clear wait for a finished job
    std::vector<Job> m_ring;
    size_t m_head;    // oldest job
    size_t m_count;   // jobs in the ring
    size_t m_next;    // next job to open
    size_t m_waiting; // queued jobs not opened yet
    std::deque<size_t> m_opened;  // jobs whose files wait for their first use
    std::deque<size_t> m_ready;   // jobs whose files wait for a hash thread
    std::vector<HANDLE> m_closing; // files read to the end
    size_t m_open;    // files open, at most kOpenFiles
    size_t m_working; // jobs past Queued and not Done
    size_t m_doneWaits; // threads asleep on m_done
    size_t m_hashers; // hash threads
    size_t m_idleHashers;
    bool m_openerIdle;
    bool m_handlerIdle;
    volatile bool m_abort; // Clear gives up the digests in work
    bool m_quit;
    std::vector<std::thread> m_workers;
};
