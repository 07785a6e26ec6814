#include "skin/core/skinchildwindows.h"

#include <unordered_map>

#include "skin/core/skinlock.h"

namespace {

struct ChildLists
{
    CSkinLock lock;
    std::unordered_map<HWND, std::vector<HWND>> lists;
    LONG readAt = 0;
};

volatile LONG s_changes = 0;

ChildLists& Lists()
{
    // Never destroyed: windows may still paint at exit.
    static ChildLists* lists = new ChildLists;
    return *lists;
}

} // namespace

std::vector<HWND> GetSkinChildWindows(HWND parent)
{
    ChildLists& cache = Lists();
    CSkinLockScope scope(cache.lock);
    const LONG changes = s_changes;
    if (cache.readAt != changes) {
        cache.lists.clear();
        cache.readAt = changes;
    }
    std::unordered_map<HWND, std::vector<HWND>>::iterator found = cache.lists.find(parent);
    if (found != cache.lists.end())
        return found->second;
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    // A window that is gone keeps no list.
    if (IsWindow(parent))
        cache.lists[parent] = children;
    return children;
}

void NoteSkinWindowsChanged()
{
    InterlockedIncrement(&s_changes);
}
