#include "skin/core/skinwindowproperty.h"

BOOL CSkinWindowProperty::Set(HWND hwnd, HANDLE value)
{
    if (!SetPropA(hwnd, m_name, value))
        return FALSE;
    CSkinLockScope scope(m_lock);
    m_values[hwnd] = value;
    return TRUE;
}

void CSkinWindowProperty::Remove(HWND hwnd)
{
    RemovePropA(hwnd, m_name);
    CSkinLockScope scope(m_lock);
    m_values.erase(hwnd);
}

HANDLE CSkinWindowProperty::Get(HWND hwnd)
{
    CSkinLockScope scope(m_lock);
    const std::unordered_map<HWND, HANDLE>::const_iterator found = m_values.find(hwnd);
    return found == m_values.end() ? NULL : found->second;
}
