#include "platform/mfc/exception.h"

CException::~CException() = default;

BOOL CException::GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext)
{
    if (buf && max > 0)
        buf[0] = '\0';
    if (helpContext)
        *helpContext = 0;
    return FALSE;
}

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CInvalidArgException::GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext)
{
    if (helpContext)
        *helpContext = 0;
    if (!buf || max == 0)
        return FALSE;
    lstrcpynA(buf, "Invalid argument.", static_cast<int>(max));
    return TRUE;
}

void AfxThrowInvalidArgException()
{
    throw new CInvalidArgException;
}
