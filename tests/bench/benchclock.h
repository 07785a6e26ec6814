#pragma once

// Time and figures shared by the benchmarks.

#include <windows.h>

#include <algorithm>
#include <vector>

inline double NowSeconds()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

inline double NowMilliseconds()
{
    return NowSeconds() * 1000.0;
}

// The middle of the runs: one slow run on a shared machine does not move it.
inline double Median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}
