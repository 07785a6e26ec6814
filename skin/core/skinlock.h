#pragma once
// Re-entrant lock of the skin toolkit (a critical section) and its scope guard.
// The holder may enter again: skinners attached under the manager's lock call
// back into the manager, and objects look names up while their store loads.

#include <windows.h>

class CSkinLock
{
public:
    CSkinLock() { InitializeCriticalSection(&m_cs); }
    ~CSkinLock() { DeleteCriticalSection(&m_cs); }
    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    CSkinLock(const CSkinLock&);
    CSkinLock& operator=(const CSkinLock&);
    CRITICAL_SECTION m_cs;
};

class CSkinLockScope
{
public:
    explicit CSkinLockScope(CSkinLock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~CSkinLockScope() { m_lock.Leave(); }

private:
    CSkinLockScope(const CSkinLockScope&);
    CSkinLockScope& operator=(const CSkinLockScope&);
    CSkinLock& m_lock;
};
