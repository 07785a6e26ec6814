#include "app/singleinstance.h"

#include <stdio.h>

UINT WM_SEARCH_INSTANCE = 0;

CSingleInstance::CSingleInstance(LPCSTR productName) : m_hMutex(NULL)
{
    if (!productName)
        productName = "";
    _snprintf(m_szMutexName, sizeof(m_szMutexName), "%s_MUTEX", productName);
    m_szMutexName[sizeof(m_szMutexName) - 1] = '\0';

    char message[256];
    _snprintf(message, sizeof(message), "%s_SEARCH_MESSAGE", productName);
    message[sizeof(message) - 1] = '\0';
    WM_SEARCH_INSTANCE = ::RegisterWindowMessageA(message);
}

CSingleInstance::~CSingleInstance()
{
    if (m_hMutex)
        ::CloseHandle(m_hMutex);
}

HANDLE CSingleInstance::CreateNamedMutex(bool& existed) const
{
    HANDLE mutex = ::CreateMutexA(NULL, FALSE, m_szMutexName);
    const DWORD error = ::GetLastError();
    // A mutex made by another user may exist without our being let in.
    existed = error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
    return mutex;
}

void CSingleInstance::Broadcast(LPARAM lParam) const
{
    DWORD recipients = BSM_APPLICATIONS;
    ::BroadcastSystemMessageA(BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK, &recipients, WM_SEARCH_INSTANCE, 0, lParam);
}

BOOL CSingleInstance::IsFirstInstance()
{
    if (m_hMutex)
        return TRUE;
    bool existed = false;
    HANDLE mutex = CreateNamedMutex(existed);
    if (!existed)
    {
        // Other creation failures count as a first instance.
        m_hMutex = mutex;
        return TRUE;
    }
    if (mutex)
        ::CloseHandle(mutex);
    Broadcast(SearchFromFirstCheck);
    return FALSE;
}

void CSingleInstance::WaitForPreviousInstance()
{
    if (m_hMutex)
        return;
    bool existed = false;
    HANDLE mutex = CreateNamedMutex(existed);
    if (existed)
    {
        if (mutex)
            ::CloseHandle(mutex);
        mutex = NULL;
        Broadcast(SearchFromWait);
        for (int attempt = 1; attempt <= WaitTries; ++attempt)
        {
            ::Sleep(WaitSliceMs);
            mutex = CreateNamedMutex(existed);
            if (!existed)
                break;
            // A handle kept over the sleep would keep the name alive after
            // the old copy has ended.
            if (mutex && attempt < WaitTries)
            {
                ::CloseHandle(mutex);
                mutex = NULL;
            }
        }
    }
    // Held whether or not the old copy has gone: while it lives on, the
    // last handle keeps the name taken for the two of us.
    m_hMutex = mutex;
}
