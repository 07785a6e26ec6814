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
