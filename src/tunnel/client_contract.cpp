#include "tunnel/client_contract.h"

#include <vector>

std::string ClientProgramPath(const std::string& executableFolder) {
    return executableFolder + "\\plink.exe";
}

std::string AutostartClientArguments(const std::string& password, const std::string& account) {
    return "-pw " + password + " " + account + " <in.txt";
}

std::string ClientArguments(const std::string& password, const std::string& account) {
    return " " + AutostartClientArguments(password, account);
}

std::string LaunchFailureText(const std::string& programPath, DWORD errorCode) {
    return "Failed to start program '" + programPath +
           "', error code = " + std::to_string(static_cast<int>(errorCode));
}

bool LaunchClient(const std::string& programPath, const std::string& arguments,
                  const std::string& workingFolder, PROCESS_INFORMATION& process,
                  DWORD& errorCode) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    std::vector<char> commandLine(arguments.begin(), arguments.end());
    commandLine.push_back('\0');

    process = PROCESS_INFORMATION{};
    if (!::CreateProcessA(
            programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
            nullptr, workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process)) {
        errorCode = ::GetLastError();
        process = PROCESS_INFORMATION{};
        return false;
    }
    errorCode = 0;
    return true;
}

void StopClientProcess(PROCESS_INFORMATION& process) {
    if (!process.hProcess)
        return;
    ::PostThreadMessageA(process.dwThreadId, WM_QUIT, 0, 0);
    ::Sleep(500);
    ::TerminateProcess(process.hProcess, 0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
}
