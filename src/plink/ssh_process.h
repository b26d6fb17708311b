// ssh.exe as plink.exe runs it: hidden, without a console window, its standard input and
// output going nowhere and its stderr into a pipe of ours, and inside a job object that ends it
// when plink.exe ends, however plink.exe ends (Marrowin terminates it on Stop), so that no ssh
// is ever left behind holding the local ports.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class SshProcess {
public:
    SshProcess() = default;
    SshProcess(const SshProcess&) = delete;
    SshProcess& operator=(const SshProcess&) = delete;

    // Starts the program with the arguments, in the job from its first instruction on: it is
    // created suspended and runs only once it is in the job, so that everything it starts is
    // in the job too. `errorOutput` becomes its stderr. A sentence when it failed.
    std::optional<std::string> Start(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     HANDLE errorOutput);

    HANDLE Process() const { return process_.Get(); }
    HANDLE Job() const { return job_.Get(); }
    // Ends ssh and everything it started, and waits until they are gone.
    void End();
    // ssh's exit code once it has ended.
    DWORD ExitCode() const;

private:
    fw::KernelHandle job_;
    fw::KernelHandle process_;
};
