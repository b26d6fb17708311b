// Time stamps of the start-up's steps, for the start-up benchmark (bench/startup-steps). They
// exist only in a build configured with MARROWIN_STARTUP_TRACE=ON; elsewhere a stamp is
// nothing. A stamp appends "<performance counter in ms> <step>" to the file named by the
// environment variable MARROWIN_STARTUP_TRACE_FILE, where the benchmark's timer writes the
// launch and the painted window on the same clock.
#pragma once

#ifdef MARROWIN_STARTUP_TRACE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace fw {

#ifdef MARROWIN_STARTUP_TRACE
inline void StampStartupStep(const char* step) {
    static std::FILE* file = [] {
        const char* path = std::getenv("MARROWIN_STARTUP_TRACE_FILE");
        return path ? std::fopen(path, "a") : nullptr;
    }();
    if (!file)
        return;
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    std::fprintf(file, "%.2f %s\n", 1000.0 * now.QuadPart / frequency.QuadPart, step);
    std::fflush(file);
}
#else
inline void StampStartupStep(const char*) {}
#endif

} // namespace fw
