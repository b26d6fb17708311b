// Starts plink.exe as Marrowin does, with the command line Marrowin gives it (no program name,
// which a shell would add), and waits for it to end: bench/dynamic runs the client without
// Marrowin.exe. The password comes in MARROWIN_BENCH_PASSWORD, never on our command line.
//   client_launcher <plink.exe> <session>
#include "logic/command_line.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char password[256] = {};
    DWORD length = ::GetEnvironmentVariableA("MARROWIN_BENCH_PASSWORD", password, sizeof(password));
    if (argc != 3 || length == 0 || length >= sizeof(password)) {
        std::fprintf(stderr, "usage: client_launcher <plink.exe> <session>, with the password in "
                             "MARROWIN_BENCH_PASSWORD\n");
        return 2;
    }
    std::string arguments = ClientArguments(password, argv[2]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(argv[1], &arguments[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        std::fprintf(stderr, "cannot start %s: %lu\n", argv[1], ::GetLastError());
        return 1;
    }
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(started.hProcess, &code);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return static_cast<int>(code);
}
