#pragma once
// Worker threads with the interface of the MFC thread class: AfxBeginThread
// starts the function on a thread made with _beginthreadex. An auto-delete
// thread object (the default) deletes itself, and so closes its handle, when
// the thread function returns; an owner that keeps the handle must start the
// thread suspended, clear m_bAutoDelete and resume it.

#include <windows.h>

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread
{
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    virtual ~CWinThread();

    // Starts the thread (suspended when flags hold CREATE_SUSPENDED).
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES attributes = NULL);

    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int priority);

    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

private:
    static unsigned __stdcall Entry(void* self);

    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
};

// NULL when the thread cannot be created. Without CREATE_SUSPENDED the
// returned object may already be gone when the thread was quick and
// auto-deleting.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0, LPSECURITY_ATTRIBUTES attributes = NULL);
