#include "platform/mfc/event.h"

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCSTR name, LPSECURITY_ATTRIBUTES attributes)
    : m_hObject(::CreateEventA(attributes, manualReset, initiallyOwn, name))
{
}

CEvent::~CEvent()
{
    if (m_hObject)
        ::CloseHandle(m_hObject);
}

BOOL CEvent::SetEvent()
{
    return m_hObject && ::SetEvent(m_hObject);
}

BOOL CEvent::ResetEvent()
{
    return m_hObject && ::ResetEvent(m_hObject);
}

BOOL CEvent::PulseEvent()
{
    return m_hObject && ::PulseEvent(m_hObject);
}

BOOL CEvent::Lock(DWORD timeout)
{
    if (!m_hObject)
        return FALSE;
    DWORD r = ::WaitForSingleObject(m_hObject, timeout);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

BOOL CEvent::Unlock()
{
    return TRUE;
}
