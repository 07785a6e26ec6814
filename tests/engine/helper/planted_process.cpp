// A process for the engine tests to find by its file name; it only waits
// until the test ends it.
#include <windows.h>

int main()
{
    Sleep(5 * 60 * 1000);
    return 0;
}
