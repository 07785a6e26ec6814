#include "platform/mfc/afxstate.h"

namespace {

// The state lives on the heap so that objects destroyed after the thread's
// own thread-locals (a global window object at process exit) still find one.
thread_local AFX_THREAD_STATE* t_state = nullptr;

struct StateReaper
{
    // Set when the thread makes its state: touching the reaper is what makes
    // the thread run its destructor when it ends.
    bool armed = false;
    ~StateReaper()
    {
        delete t_state;
        t_state = nullptr;
    }
};
thread_local StateReaper t_reaper;

} // namespace

AFX_THREAD_STATE::~AFX_THREAD_STATE()
{
    for (auto& item : temporaries)
        delete item.second;
}

AFX_THREAD_STATE& AfxGetThreadState()
{
    if (t_state == nullptr)
    {
        t_state = new AFX_THREAD_STATE;
        t_reaper.armed = true;
    }
    return *t_state;
}

void AfxPruneTempObjects()
{
    auto& temporaries = AfxGetThreadState().temporaries;
    for (auto it = temporaries.begin(); it != temporaries.end();)
    {
        if (it->second->IsStale())
        {
            delete it->second;
            it = temporaries.erase(it);
        }
        else
            ++it;
    }
}
