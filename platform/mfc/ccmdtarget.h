#pragma once
// An object that receives commands through its message map: windows and
// the application object.

#include "platform/mfc/cobject.h"
#include "platform/mfc/msgmap.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;

    // Routes a command or notification to the handler in the map chain.
    // nCode: notification code in the low word, message in the high word
    // (0 for WM_COMMAND); pExtra points to AFX_NOTIFY for notifications.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The first entry of the map chain (most derived class first) for the
    // message, command or notification, or NULL. Registered messages
    // (0xC000 and up) match the entries whose variable holds that number.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT nMessage, UINT nCode, UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
