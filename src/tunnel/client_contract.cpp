// Where the SSH client is, and the start and stop of its process.
#include "tunnel/client_contract.h"

#include <vector>

std::string ClientProgramPath(const std::string& executableFolder) {
    return executableFolder + "\\plink.exe";
}

std::string LaunchFailureText(const std::string& programPath, DWORD errorCode) {
    return "Failed to start program '" + programPath +
           "', error code = " + std::to_string(static_cast<int>(errorCode));
}

std::optional<DWORD> LaunchClient(const std::string& programPath, const std::string& arguments,
                                  const std::string& workingFolder, fw::ProcessHandles& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    std::vector<char> commandLine(arguments.begin(), arguments.end());
    commandLine.push_back('\0');

    process.Reset();
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(
            programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
            nullptr, workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started))
        return ::GetLastError();
    process = fw::ProcessHandles(started);
    return std::nullopt;
}

void StopClientProcess(fw::ProcessHandles& process) {
    if (!process)
        return;
    ::PostThreadMessageA(process.ThreadId(), WM_QUIT, 0, 0);
    ::Sleep(500);
    ::TerminateProcess(process.Process(), 0);
    process.Reset();
}
