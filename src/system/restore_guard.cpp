// Starting and ending the guard process.
#include "system/restore_guard.h"

#include <string>

namespace {

bool CreateGuard(const std::string& programPath, std::string commandLine, DWORD flags,
                 PROCESS_INFORMATION& started) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return ::CreateProcessA(programPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                            nullptr, nullptr, &startup, &started) != FALSE;
}

} // namespace

void RestoreGuard::Start(const std::string& programPath) {
    if (process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
        return;
    std::string commandLine = "\"" + programPath + "\" " + kRestoreGuardSwitch + " " +
                              std::to_string(::GetCurrentProcessId());
    PROCESS_INFORMATION started = {};
    // Out of the job this process may run in (a job that ends its processes with it), where the
    // job allows it; otherwise inside it, which still covers a crash of this process alone.
    if (!CreateGuard(programPath, commandLine, CREATE_BREAKAWAY_FROM_JOB, started) &&
        !CreateGuard(programPath, commandLine, 0, started)) {
        process_.Reset();
        return;
    }
    fw::KernelHandle thread(started.hThread);
    process_.Reset(started.hProcess);
}

// The guard holds nothing but its wait: ending it at once leaves nothing behind.
void RestoreGuard::Stop() {
    if (!process_)
        return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 1000);
    process_.Reset();
}
