#pragma once
// Owns a kernel handle (a file, a snapshot, a process) and closes it when the
// object ends. NULL and INVALID_HANDLE_VALUE both mean none.

#include <windows.h>

class CHandleOwner
{
public:
    explicit CHandleOwner(HANDLE handle) : m_handle(handle) {}
    ~CHandleOwner() { Close(); }

    bool Valid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return m_handle; }
    // False when there was no handle or it could not be closed.
    bool Close()
    {
        if (!Valid())
            return false;
        const bool closed = CloseHandle(m_handle) != FALSE;
        m_handle = NULL;
        return closed;
    }

private:
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;

    HANDLE m_handle;
};
