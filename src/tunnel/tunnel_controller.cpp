// Starting and stopping the SSH client's process for the main window.
#include "tunnel/tunnel_controller.h"

#include "logic/command_line.h"
#include "tunnel/client_contract.h"

namespace {

const char kPasswordMask[] = "********";

// A job whose processes end when its last handle closes, as this process's handles do when it
// ends. Null when the system refuses one.
HANDLE CreateKillOnCloseJob() {
    fw::KernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof(limits)))
        return nullptr;
    return job.Release();
}

} // namespace

// The log only helps a user see how the client was started: a log that cannot be written
// does not keep the tunnel from starting.
void TunnelController::WriteLaunchLog(const std::string& account) const {
    ::SetCurrentDirectoryA(folder_.c_str());
    HANDLE opened = ::CreateFileA("log.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return;
    fw::KernelHandle log(opened);
    std::string text = ClientProgramPath(folder_) + ClientArguments(kPasswordMask, account);
    DWORD written = 0;
    ::WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::optional<std::string> TunnelController::Launch(const std::string& arguments,
                                                    const std::string* input) {
    if (IsRunning())
        return std::nullopt;
    ::SetCurrentDirectoryA(folder_.c_str());
    std::string program = ClientProgramPath(folder_);
    if (std::optional<DWORD> error = LaunchClient(program, arguments, folder_, process_, input))
        return LaunchFailureText(program, *error);
    if (!job_)
        job_.Reset(CreateKillOnCloseJob());
    // Without the job the tunnel still runs; only a kill of this process would then leave the
    // client behind.
    if (job_)
        ::AssignProcessToJobObject(job_, process_.Process());
    return std::nullopt;
}

void TunnelController::Stop() {
    StopClientProcess(process_);
}

void TunnelController::EndAtOnce() {
    if (!process_)
        return;
    ::TerminateProcess(process_.Process(), 0);
    process_.Reset();
}

bool TunnelController::HasEnded() const {
    return IsRunning() && ::WaitForSingleObject(process_.Process(), 0) == WAIT_OBJECT_0;
}
