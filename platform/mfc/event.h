#pragma once
// Win32 event object with the interface of the MFC event class.

#include <windows.h>

class CEvent
{
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCSTR name = NULL,
                    LPSECURITY_ATTRIBUTES attributes = NULL);
    virtual ~CEvent();

    BOOL SetEvent();
    BOOL ResetEvent();
    BOOL PulseEvent();

    // TRUE when the event was signalled within the timeout; waiting on an
    // auto-reset event consumes the signal.
    BOOL Lock(DWORD timeout = INFINITE);
    BOOL Unlock();

    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject;

private:
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;
};
