// Start-up benchmark: starts Marrowin.exe from an app folder and measures the time until its
// main window exists and is visible, and until it answers messages (its start-up is done and
// its message loop runs). Then ends the program and prints both times in milliseconds.
//
//   startup_timer.exe <app folder>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup_timer.exe <app folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    std::string program = folder + "\\Marrowin.exe";
    std::vector<char> commandLine(program.begin(), program.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: %lu\n", program.c_str(), ::GetLastError());
        return 1;
    }

    HWND window = nullptr;
    double visible = -1, ready = -1;
    while (MillisecondsSince(start) < 60000) {
        window = ::FindWindowA("#32770", "Marrowin");
        if (window && ::IsWindowVisible(window)) {
            visible = MillisecondsSince(start);
            break;
        }
        ::Sleep(1);
    }
    DWORD_PTR answer;
    if (window && ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer))
        ready = MillisecondsSince(start);

    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (visible < 0 || ready < 0) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    std::printf("%.1f %.1f\n", visible, ready);
    return 0;
}
