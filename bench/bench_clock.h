// The benchmarks' clock: milliseconds on the performance counter.
#pragma once

#include <windows.h>

#include <functional>

inline double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Polls every millisecond until `done`; false when the time is out first.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    while (!done()) {
        if (MillisecondsSince(start) > timeoutMs)
            return false;
        ::Sleep(1);
    }
    return true;
}
