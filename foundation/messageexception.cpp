#include "foundation/messageexception.h"

BOOL CMessageException::GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext)
{
    if (helpContext)
        *helpContext = 0;
    if (!buf || max == 0)
        return FALSE;
    lstrcpynA(buf, m_strMessage, static_cast<int>(max));
    return !m_strMessage.IsEmpty();
}
