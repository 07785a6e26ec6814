// A second copy of the program as far as the single-instance guard goes:
//   cw_instance_helper <product> first|wait <hold ms> <result file>
// "first" asks IsFirstInstance, "wait" runs WaitForPreviousInstance; the
// result goes to the file ("first=1", or "waited=<ms> holds=1"), then the
// guard is kept for <hold ms>. Exit code: 0, or 1 for a refused "first".

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/singleinstance.h"

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    CSingleInstance guard(argv[1]);
    const bool wait = strcmp(argv[2], "wait") == 0;
    char result[128];
    int code = 0;
    if (wait)
    {
        const DWORD begin = GetTickCount();
        guard.WaitForPreviousInstance();
        _snprintf(result, sizeof(result), "waited=%lu holds=%d", GetTickCount() - begin, guard.HoldsMutex() ? 1 : 0);
    }
    else
    {
        const BOOL first = guard.IsFirstInstance();
        code = first ? 0 : 1;
        _snprintf(result, sizeof(result), "first=%d", first ? 1 : 0);
    }
    result[sizeof(result) - 1] = '\0';
    if (FILE* file = fopen(argv[4], "w"))
    {
        fputs(result, file);
        fclose(file);
    }
    Sleep(static_cast<DWORD>(atoi(argv[3])));
    return code;
}
