// Running ssh.exe inside a job object; see ssh_process.h.
#include "plink/ssh_process.h"

#include "plink/ssh_arguments.h"

namespace {

std::string SystemErrorText(const std::string& what, DWORD code) {
    return what + " (error " + std::to_string(code) + ").";
}

} // namespace

std::optional<std::string> SshProcess::Start(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             HANDLE errorOutput) {
    job_.Reset(::CreateJobObjectA(nullptr, nullptr));
    if (!job_) {
        return SystemErrorText("The job object for ssh could not be created", ::GetLastError());
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits,
                                   sizeof(limits))) {
        return SystemErrorText("The job object for ssh could not be set up", ::GetLastError());
    }

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    fw::KernelHandle nowhere(::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                           OPEN_EXISTING, 0, nullptr));
    if (!nowhere) {
        return SystemErrorText("NUL could not be opened", ::GetLastError());
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nowhere.Get();
    startup.hStdOutput = nowhere.Get();
    startup.hStdError = errorOutput;
    std::string commandLine = CommandLine(program, arguments);
    PROCESS_INFORMATION process = {};
    // Inherited are only the handles made inheritable: NUL and the stderr pipe's write end.
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                          &process)) {
        return SystemErrorText("ssh could not be started from \"" + program + "\"", ::GetLastError());
    }
    process_.Reset(process.hProcess);
    fw::KernelHandle thread(process.hThread);
    if (!::AssignProcessToJobObject(job_.Get(), process.hProcess)) {
        std::string error =
            SystemErrorText("ssh could not be put into its job object", ::GetLastError());
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 5000);
        process_.Reset();
        return error;
    }
    if (::ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        std::string error = SystemErrorText("ssh could not be resumed", ::GetLastError());
        End();
        process_.Reset();
        return error;
    }
    return std::nullopt;
}

void SshProcess::End() {
    if (job_)
        ::TerminateJobObject(job_.Get(), 1);
    if (process_)
        ::WaitForSingleObject(process_.Get(), 10000);
}

DWORD SshProcess::ExitCode() const {
    DWORD code = 1;
    if (!process_ || !::GetExitCodeProcess(process_.Get(), &code))
        return 1;
    return code;
}
