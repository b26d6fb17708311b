// Starting and stopping the SSH client's process for the main window.
#include "tunnel/tunnel_controller.h"

#include "tunnel/client_contract.h"

#include <fstream>

namespace {
const char kPasswordMask[] = "********";
}

void TunnelController::WriteLaunchLog(const std::string& account) const {
    std::ofstream log("log.txt", std::ios::binary | std::ios::trunc);
    log << ClientProgramPath(folder_) << ClientArguments(kPasswordMask, account);
}

std::string TunnelController::Launch(const std::string& arguments) {
    if (IsRunning())
        return std::string();
    ::SetCurrentDirectoryA(folder_.c_str());
    std::string program = ClientProgramPath(folder_);
    DWORD error = 0;
    if (!LaunchClient(program, arguments, folder_, process_, error))
        return LaunchFailureText(program, error);
    return std::string();
}

void TunnelController::Stop() {
    StopClientProcess(process_);
}

bool TunnelController::HasEnded() const {
    return IsRunning() && ::WaitForSingleObject(process_.Process(), 0) == WAIT_OBJECT_0;
}
