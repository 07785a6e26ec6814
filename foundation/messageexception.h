#pragma once
// Base of the exception classes that carry one message text (downloads, the
// scheduler, the updater, the crash reporter's poster). They are thrown by
// pointer (made with new); the catcher frees them with Delete.

#include "platform/mfc/cstring.h"
#include "platform/mfc/exception.h"

class CMessageException : public CException
{
public:
    explicit CMessageException(LPCSTR message) : m_strMessage(message) {}

    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL) override;

    CString m_strMessage;
};
