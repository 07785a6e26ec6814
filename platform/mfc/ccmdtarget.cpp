#include "platform/mfc/ccmdtarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT nMessage, UINT nCode, UINT nID)
{
    const bool registered = nMessage >= AFX_REGISTERED_MESSAGE && nMessage <= 0xFFFF;
    for (; map != nullptr; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e)
        {
            if (registered)
            {
                if (e->nMessage == AFX_REGISTERED_MESSAGE && e->pnRegistered && *e->pnRegistered == nMessage)
                    return e;
            }
            else if (e->nMessage == nMessage && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
                return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO*)
{
    UINT message = HIWORD(nCode);
    const UINT code = LOWORD(nCode);
    if (message == 0)
        message = WM_COMMAND;
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(GetMessageMap(), message, code, nID);
    if (!entry)
        return FALSE;
    AFX_MSGCALL call = {message, 0, 0, 0};
    AFX_NOTIFY* notify = nullptr;
    if (message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_NOTIFY)
    {
        notify = static_cast<AFX_NOTIFY*>(pExtra);
        if (!notify)
            return FALSE;
        call.lParam = reinterpret_cast<LPARAM>(notify->pNMHDR);
        call.result = notify->pResult ? *notify->pResult : 0;
    }
    entry->pfn(this, call);
    if (notify && notify->pResult)
        *notify->pResult = call.result;
    return TRUE;
}
