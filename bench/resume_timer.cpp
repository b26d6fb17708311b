// The resume benchmark's timer: starts Marrowin.exe from a folder whose plink.exe is the tests'
// stand-in client and whose settings start the default tunnel with the program, waits until the
// client has reported the tunnel established, then tells Marrowin that Windows has resumed
// (WM_POWERBROADCAST) and prints the milliseconds until a new client has reported the tunnel
// established again. With --no-resume it sends nothing and measures the same way: the client's
// own script then ends the tunnel as ssh's keep-alive does, and the reconnect sequence brings it
// back. Quits Marrowin afterwards.
//
//   resume_timer.exe <folder> [--no-resume]     prints "resumed-to-established <ms>"
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const char kRecord[] = "stand_in_record.txt";

bool RecordSays(const std::string& folder, const std::string& line) {
    std::ifstream in(folder + "\\" + kRecord);
    for (std::string read; std::getline(in, read);) {
        if (read.rfind(line, 0) == 0)
            return true;
    }
    return false;
}

// Polls the stand-in's record until it holds the line; false after the time-out.
bool WaitForRecord(const std::string& folder, const std::string& line, DWORD timeoutMs) {
    ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!RecordSays(folder, line)) {
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(5);
    }
    return true;
}

int Fail(const char* why) {
    std::fprintf(stderr, "resume_timer: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: resume_timer.exe <folder> [--no-resume]");
    std::string folder = argv[1];
    bool resume = !(argc > 2 && std::string(argv[2]) == "--no-resume");
    std::string record = folder + "\\" + kRecord;
    ::DeleteFileA(record.c_str());

    std::string program = folder + "\\Marrowin.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION marrowin = {};
    if (!::CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &marrowin))
        return Fail("Marrowin.exe could not be started");
    ::CloseHandle(marrowin.hThread);

    int exitCode = 1;
    const std::string established = "posted WM_QV_CON_ESTH";
    if (WaitForRecord(folder, established, 30000)) {
        // The running client writes on into the moved record; the new one starts its own.
        ::MoveFileExA(record.c_str(), (record + ".old").c_str(), MOVEFILE_REPLACE_EXISTING);
        HWND window = ::FindWindowA("#32770", "Marrowin");
        ULONGLONG start = ::GetTickCount64();
        if (resume)
            ::PostMessageA(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        if (WaitForRecord(folder, established, 120000)) {
            std::printf("resumed-to-established %llu\n", ::GetTickCount64() - start);
            exitCode = 0;
        } else {
            Fail("the tunnel was not established again");
        }
    } else {
        Fail("the first tunnel was not established");
    }

    UINT quit = ::RegisterWindowMessageA("Marrowin-Quit");
    ::PostMessageA(::FindWindowA("#32770", "Marrowin"), quit, 0, 0);
    if (::WaitForSingleObject(marrowin.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(marrowin.hProcess, 1);
    ::CloseHandle(marrowin.hProcess);
    return exitCode;
}
