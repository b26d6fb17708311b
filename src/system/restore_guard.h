// RestoreGuard: a second copy of Marrowin.exe that outlives this process. Started with the
// guard switch and this process's id, it waits for this process to end and then gives the
// browser's connections back what they held, unless the records are gone by then. It runs
// outside any job of this process's, so that nothing ending this process ends it too.
#pragma once

#include "owners/owners.h"

#include <string>

// Marrowin.exe started with this switch and a process id guards that process.
inline constexpr char kRestoreGuardSwitch[] = "/restore-guard";

class RestoreGuard {
public:
    // Starts "<program> /restore-guard <id of this process>" unless a guard runs already. A
    // guard that cannot start is left out: the start-up entry still repairs at the next logon.
    void Start(const std::string& programPath);
    // Ends the guard, once nothing is left for it to repair.
    void Stop();

private:
    fw::KernelHandle process_;
};
