#pragma once
// Keeps a second copy of the desktop program from starting, and lets a copy
// restarted with "/r" (after a program update) wait for the old one to end.
// The copies meet through a named mutex, "<product>_MUTEX"; a refused or
// waiting copy broadcasts the registered "<product>_SEARCH_MESSAGE".

#include <windows.h>

// The registered search message (0 until a guard has been built). wParam 0;
// lParam 0 from IsFirstInstance, 11 from WaitForPreviousInstance.
extern UINT WM_SEARCH_INSTANCE;

class CSingleInstance
{
public:
    enum { SearchFromFirstCheck = 0, SearchFromWait = 11 };
    enum { WaitTries = 10, WaitSliceMs = 500 };

    explicit CSingleInstance(LPCSTR productName);
    ~CSingleInstance();

    // TRUE when no other copy holds the mutex name; the guard then holds it
    // for its life. FALSE after broadcasting the search message.
    BOOL IsFirstInstance();
    // Waits, in WaitTries slices of WaitSliceMs, until no other copy holds
    // the mutex name. In every case the guard holds the name afterwards, so
    // a copy started later without "/r" is refused.
    void WaitForPreviousInstance();

    bool HoldsMutex() const { return m_hMutex != NULL; }
    LPCSTR GetMutexName() const { return m_szMutexName; }

private:
    // The mutex handle (NULL when creation failed) and whether the name was
    // already held by another copy.
    HANDLE CreateNamedMutex(bool& existed) const;
    void Broadcast(LPARAM lParam) const;

    HANDLE m_hMutex;
    char m_szMutexName[256];

    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;
};
