// Start-up benchmark: starts a dialog program (Marrowin.exe or the bare dialog) from its folder
// and measures the time until its window is visible, and until it is painted and answers
// messages; then, after a moment of idling, its resident memory. Asked to, it then saves a new
// account through Marrowin's accounts editor, driven from outside as a user would, and
// measures that save. Then it ends the program and prints its figures on one line:
//
//   startup_timer.exe <program> <window title> [--save-account]
//   -> <visible ms> <ready ms> <resident KB> [<save ms>]
//
// With MARROWIN_STARTUP_TRACE_FILE set, it also stamps the launch and the painted window into
// that file, on the clock of the start-up's own stamps (framework/startup_trace.h).
#include "bench_clock.h"
#include "framework/startup_trace.h"
#include "resource.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kTimeoutMs = 60000;
// Long enough for the start-up's last messages to be handled before memory is read.
const DWORD kIdleMs = 500;

BOOL CALLBACK FindUnpaintedChild(HWND child, LPARAM found) {
    if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// Something of the window still waits to be painted.
bool WaitsForPaint(HWND window) {
    bool found = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!found)
        ::EnumChildWindows(window, FindUnpaintedChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer;
    return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs,
                                 &answer) != 0;
}

bool Click(HWND dialog, int id) {
    return Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool Type(HWND dialog, int id, const char* text) {
    return Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The time of Save in the accounts editor for a new account, or -1 when it was not saved.
double SaveNewAccount(HWND dialog) {
    HWND accounts = ::GetDlgItem(dialog, IDC_SERVER_NAME);
    LRESULT before = ::SendMessageA(accounts, CB_GETCOUNT, 0, 0);
    if (!Click(dialog, IDC_NEW_ACCOUNT) || !Type(dialog, IDC_SERVER_NAME, "bench.example") ||
        !Type(dialog, IDC_USER_NAME, "bench") || !Type(dialog, IDC_PASSWORD, "secret") ||
        !Type(dialog, IDC_SERVER_PORT, "22"))
        return -1;
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!Click(dialog, IDC_EDIT_SAVE))
        return -1;
    double took = MillisecondsSince(start);
    return ::SendMessageA(accounts, CB_GETCOUNT, 0, 0) == before + 1 ? took : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--save-account") != 0)) {
        std::fprintf(stderr,
                     "usage: startup_timer.exe <program> <window title> [--save-account]\n");
        return 2;
    }
    std::string program = argv[1];
    const char* title = argv[2];
    bool saveAccount = argc == 4;
    std::string folder = program.substr(0, program.find_last_of('\\'));
    std::vector<char> commandLine(program.begin(), program.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    fw::StampStartupStep("launch");
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: %lu\n", program.c_str(), ::GetLastError());
        return 1;
    }

    HWND window = nullptr;
    double visible = -1, ready = -1, save = 0;
    SIZE_T resident = 0;
    while (MillisecondsSince(start) < kTimeoutMs) {
        window = ::FindWindowA("#32770", title);
        if (window && ::IsWindowVisible(window)) {
            visible = MillisecondsSince(start);
            break;
        }
        ::Sleep(1);
    }
    if (visible >= 0) {
        // Painting comes once the program's queue is empty: it answers first, then paints.
        while (Send(window, WM_NULL, 0, 0) && WaitsForPaint(window) &&
               MillisecondsSince(start) < kTimeoutMs)
            ::Sleep(1);
        if (!WaitsForPaint(window)) {
            ready = MillisecondsSince(start);
            fw::StampStartupStep("painted and answering");
        }
    }
    if (ready >= 0) {
        ::Sleep(kIdleMs);
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof(memory);
        if (::GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory)))
            resident = memory.WorkingSetSize;
        if (saveAccount)
            save = SaveNewAccount(window);
    }

    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (ready < 0 || resident == 0 || save < 0) {
        std::fprintf(stderr, "%s: %s\n", title,
                     ready < 0       ? "the window did not come up"
                     : resident == 0 ? "cannot read its memory"
                                     : "the new account was not saved");
        return 1;
    }
    std::printf("%.1f %.1f %lu", visible, ready, static_cast<unsigned long>(resident / 1024));
    if (saveAccount)
        std::printf(" %.2f", save);
    std::printf("\n");
    return 0;
}
