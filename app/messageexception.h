#pragma once
// Base of the shell's exception classes that carry one message text. They
// are thrown by pointer (made with new); the catcher frees them with Delete.

#include "platform/mfc/cstring.h"
#include "platform/mfc/exception.h"

class CMessageException : public CException
{
public:
    explicit CMessageException(LPCSTR message) : m_strMessage(message) {}

    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL) override;

    CString m_strMessage;
};
