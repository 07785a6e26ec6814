#pragma once
// CSkinWindowProperty: a window property the skin toolkit keeps a copy of in
// the process. Reading a property is a trip to the window server under
// Wine, and the skin procedures read theirs on every message; Set and Remove
// write the property and the copy, Get reads the copy alone. The property
// itself stays for whoever looks at the window from outside.

#include <windows.h>

#include <unordered_map>

#include "skin/core/skinlock.h"

class CSkinWindowProperty
{
public:
    explicit CSkinWindowProperty(const char* name) : m_name(name) {}

    // FALSE when the window did not take the property (nothing is kept).
    BOOL Set(HWND hwnd, HANDLE value);
    void Remove(HWND hwnd);
    HANDLE Get(HWND hwnd);

private:
    CSkinWindowProperty(const CSkinWindowProperty&);
    CSkinWindowProperty& operator=(const CSkinWindowProperty&);

    const char* m_name;
    CSkinLock m_lock;
    std::unordered_map<HWND, HANDLE> m_values;
};
