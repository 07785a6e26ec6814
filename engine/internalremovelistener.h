#pragma once
// What the remover reports while it works: one call per failed system call.

#include <windows.h>

class IInternalRemoveListener
{
public:
    virtual ~IInternalRemoveListener() {}

    // area is the item's scan area, name the item's name (NULL for a process),
    // error the system error code. nonFatal is 1 when the item is left to a
    // later step (deletion at the next start, a process that could not be
    // ended, a hosts file that could not be opened).
    virtual void OnRemoveError(DWORD area, BYTE nonFatal, const char* name, DWORD error) = 0;
};
