// The user32 interception: patching the import tables of the process's
// modules so that the scroll-bar functions and the system colours answer
// from the skin. The systems the toolkit runs on today report NT 6 or later,
// where it is not installed; the entry points it would call through are
// captured all the same (GetSkinUser32Entries).

#include "skin/core/skinlibrarystate.h"

bool InstallSkinUser32Interception()
{
    return false;
}

void RemoveSkinUser32Interception()
{
}
