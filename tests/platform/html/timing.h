#pragma once
// Timing in tests that a loaded machine (ctest -j8) must not break: work is
// timed as the least of a few runs, since a busy machine adds time to some
// runs but seldom to all, and compared with the same work on a known size
// rather than with a fixed number of milliseconds; a paused animation is
// awaited until it holds still rather than for a fixed time.

#include <windows.h>

#include <algorithm>

template <class Work>
double LeastMs(Work&& work, int runs = 1)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double least = 0;
    for (int i = 0; i < runs; ++i)
    {
        LARGE_INTEGER begin, end;
        QueryPerformanceCounter(&begin);
        work();
        QueryPerformanceCounter(&end);
        const double ms = static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
        least = i == 0 ? ms : std::min(least, ms);
    }
    return least;
}

// Whether a sampled colour stops changing for 300 ms (several frames of the
// tests' animations) within 5 s: a pause takes hold at the next frame,
// however late a busy machine runs the animation's thread.
template <class Sample>
bool HoldsStill(Sample&& sample)
{
    COLORREF last = sample();
    DWORD stillSince = GetTickCount();
    for (const DWORD start = stillSince; GetTickCount() - start < 5000; Sleep(10))
    {
        const COLORREF now = sample();
        if (now != last)
        {
            last = now;
            stillSince = GetTickCount();
        }
        else if (GetTickCount() - stillSince >= 300)
            return true;
    }
    return false;
}
