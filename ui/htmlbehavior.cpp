#include "ui/htmlbehavior.h"

#include <cstring>

namespace
{
CHtmlBehavior* g_head = nullptr;
}  // namespace

CHtmlBehavior::CHtmlBehavior(UINT events, LPCSTR name) : m_events(events), m_next(nullptr), m_name(name)
{
    GetListHead(this);
}

CHtmlBehavior::~CHtmlBehavior()
{
    // A behaviour that goes before the process must not stay findable.
    for (CHtmlBehavior** link = &g_head; *link; link = &(*link)->m_next)
        if (*link == this)
        {
            *link = m_next;
            break;
        }
}

CHtmlBehavior* CHtmlBehavior::GetListHead(CHtmlBehavior* add)
{
    if (add)
    {
        // The rest of the list stays behind the new head.
        add->m_next = g_head;
        g_head = add;
    }
    return g_head;
}

CHtmlBehavior* CHtmlBehavior::Find(LPCSTR name, HELEMENT he)
{
    if (!name)
        return nullptr;
    for (CHtmlBehavior* b = g_head; b; b = b->m_next)
        if (b->m_name && strcmp(b->m_name, name) == 0)
            return b->GetInstance(he);
    return nullptr;
}

BOOL CALLBACK CHtmlBehavior::ElementProc(LPVOID tag, HELEMENT he, UINT evtg, LPVOID prms)
{
    CHtmlBehavior* b = static_cast<CHtmlBehavior*>(tag);
    if (!b)
        return FALSE;
    switch (evtg)
    {
    case HandleInitialization:
        if (const INITIALIZATION_PARAMS* init = static_cast<const INITIALIZATION_PARAMS*>(prms))
        {
            if (init->cmd == BEHAVIOR_ATTACH)
                b->Attached(he);
            else if (init->cmd == BEHAVIOR_DETACH)
                b->Detached(he);
        }
        return TRUE;
    case HandleMouse: return b->OnMouse(he, prms);
    case HandleKey: return b->OnKey(he, prms);
    case HandleFocus: return b->OnFocus(he, prms);
    case HandleTimer: return b->OnTimer(he);
    case HandleSize: b->OnSize(he); return FALSE;
    case HandleDraw: return b->OnDraw(he, prms);
    case HandleDataArrived: return b->OnDataArrived(he, prms);
    case HandleBehaviorEvent: return b->OnEvent(he, prms);
    case HandleMethodCall: return b->OnMethodCall(he, prms);
    default: return FALSE;
    }
}
