// How the password reaches ssh without ever being on its command line, in its environment or
// in a file. ssh runs the program named by SSH_ASKPASS, which is plink.exe itself, to ask for
// the password; that second plink.exe is in askpass mode, fetches the password from the first
// over a one-shot named pipe and prints it for ssh.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <optional>
#include <string>

// Holds the pipe's name in ssh's environment, and so in that of the askpass instance.
inline constexpr char kAskpassPipeVariable[] = "MARROWIN_ASKPASS_PIPE";

// True in the plink.exe that ssh started to ask for the password or a yes/no question.
bool InAskpassMode();
// The askpass instance. A yes/no question (a server's key) is put to the user
// (key_question.h). Otherwise it reads the password from the pipe and writes it, with a line
// end, to its standard output. 0 on success; 1, with a message on stderr, when there is no
// password to be had (for instance when ssh asks a second time).
int RunAskpass();

// Sets what ssh reads to run us as its askpass program, in our own environment, which ssh
// inherits. DISPLAY matters to OpenSSH builds older than 8.4, which know no
// SSH_ASKPASS_REQUIRE and use an askpass program only when DISPLAY is set.
bool SetAskpassEnvironment(const std::string& pipeName);

// The parent's side: serves the password once, to the first client that belongs to ssh's job
// (ssh or a process it started), then closes the pipe. Driven by the caller's wait loop: wait
// on Event() while it is not null, call OnEvent() when it is signalled.
class AskpassServer {
public:
    AskpassServer() = default;
    AskpassServer(const AskpassServer&) = delete;
    AskpassServer& operator=(const AskpassServer&) = delete;
    ~AskpassServer();

    // Makes the pipe and serves the password on it; what failed, or nothing.
    std::optional<std::string> Open(const std::string& password);
    const std::string& PipeName() const { return name_; }
    // Only processes in this job get the password; without a job nobody does.
    void AllowJob(HANDLE job) { job_ = job; }

    HANDLE Event() const { return state_ == State::Done ? nullptr : event_.Get(); }
    void OnEvent();

private:
    enum class State { Connecting, Draining, Done };

    void Connect();
    bool ClientIsInJob() const;
    void Finish();

    std::string name_;
    std::string message_;
    fw::KernelHandle pipe_;
    fw::KernelHandle event_;
    OVERLAPPED overlapped_ = {};
    State state_ = State::Done;
    HANDLE job_ = nullptr;
    bool connectedAtOnce_ = false;
    char drainByte_ = 0;
};
