// Both sides of the askpass pipe; see askpass.h.
#include "plink/askpass.h"

#include "logic/host_key_question.h"
#include "plink/error_output.h"
#include "plink/key_question.h"
#include "plink/own_files.h"
#include "plink/pipes.h"

#include <cstdlib>
#include <vector>

namespace {

// Enough for any password Marrowin can store; a longer claim is a broken message.
constexpr DWORD kLongestPassword = 64 * 1024;

bool ReadExactly(HANDLE pipe, char* buffer, DWORD size) {
    while (size > 0) {
        DWORD read = 0;
        if (!::ReadFile(pipe, buffer, size, &read, nullptr) || read == 0)
            return false;
        buffer += read;
        size -= read;
    }
    return true;
}

bool WriteAll(HANDLE file, const std::string& text) {
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(left), &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

void Wipe(std::string& secret) {
    if (!secret.empty())
        ::SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

} // namespace

bool InAskpassMode() {
    return ::GetEnvironmentVariableA(kAskpassPipeVariable, nullptr, 0) > 0;
}

int RunAskpass() {
    // ssh's question, its one argument: a yes/no question gets the user's answer, never the
    // password.
    std::string prompt = __argc > 1 && __argv[1] ? __argv[1] : "";
    if (IsConfirmation(prompt))
        return AnswerConfirmation(prompt);

    char name[512] = {};
    DWORD length = ::GetEnvironmentVariableA(kAskpassPipeVariable, name, sizeof(name));
    if (length == 0 || length >= sizeof(name)) {
        WriteError("askpass: no password pipe is named.");
        return 1;
    }

    fw::KernelHandle pipe;
    for (int attempt = 0; attempt < 2; ++attempt) {
        pipe.Reset(::CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe || ::GetLastError() != ERROR_PIPE_BUSY)
            break;
        ::WaitNamedPipeA(name, 5000);
    }
    if (!pipe) {
        // The password is served once: a second question from ssh gets no answer.
        WriteError("askpass: the password is not available (error " +
                   std::to_string(::GetLastError()) + ").");
        return 1;
    }

    // The message: the password's length as four bytes, little-endian, then the password.
    unsigned char header[4] = {};
    bool ok = ReadExactly(pipe, reinterpret_cast<char*>(header), sizeof(header));
    DWORD size = header[0] | header[1] << 8 | header[2] << 16 | static_cast<DWORD>(header[3]) << 24;
    std::string password;
    if (ok && size <= kLongestPassword) {
        password.resize(size);
        ok = size == 0 || ReadExactly(pipe, &password[0], size);
    } else {
        ok = false;
    }
    pipe.Reset();
    if (!ok) {
        WriteError("askpass: the password could not be read.");
        Wipe(password);
        return 1;
    }

    password += '\n';
    ok = WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), password);
    Wipe(password);
    return ok ? 0 : 1;
}

bool SetAskpassEnvironment(const std::string& pipeName) {
    std::string self = OwnProgramPath();
    if (self.empty())
        return false;
    bool ok = ::SetEnvironmentVariableA("SSH_ASKPASS", self.c_str()) &&
              ::SetEnvironmentVariableA("SSH_ASKPASS_REQUIRE", "force") &&
              ::SetEnvironmentVariableA(kAskpassPipeVariable, pipeName.c_str());
    // Any value will do; one the user set (for X11 forwarding) is kept.
    if (ok && ::GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0)
        ok = ::SetEnvironmentVariableA("DISPLAY", "localhost:0") != FALSE;
    return ok;
}

AskpassServer::~AskpassServer() {
    if (state_ != State::Done && pipe_) {
        ::CancelIo(pipe_.Get());
        DWORD ignored = 0;
        ::GetOverlappedResult(pipe_.Get(), &overlapped_, &ignored, TRUE);
    }
    Wipe(message_);
}

std::optional<std::string> AskpassServer::Open(const std::string& password) {
    OwnerOnlySecurity security;
    name_ = UniquePipeName("askpass");
    if (!security.IsValid() || name_.empty()) {
        return "The password pipe's security could not be set up.";
    }
    if (password.size() > kLongestPassword) {
        return "The password is too long.";
    }
    event_.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // Duplex only so that we can see the client close its end (see OnEvent); one instance, and
    // the first one, so that nobody can have made a pipe of this name before us.
    pipe_.Reset(::CreateNamedPipeA(
        name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096, 16,
        0, security.Attributes()));
    if (!event_ || !pipe_) {
        return "The password pipe could not be created (error " +
                std::to_string(::GetLastError()) + ").";
    }
    DWORD size = static_cast<DWORD>(password.size());
    message_.assign(1, static_cast<char>(size & 0xFF));
    message_ += static_cast<char>((size >> 8) & 0xFF);
    message_ += static_cast<char>((size >> 16) & 0xFF);
    message_ += static_cast<char>((size >> 24) & 0xFF);
    message_ += password;
    Connect();
    return std::nullopt;
}

void AskpassServer::Connect() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.Get();
    ::ResetEvent(event_.Get());
    state_ = State::Connecting;
    connectedAtOnce_ = false;
    if (::ConnectNamedPipe(pipe_.Get(), &overlapped_))
        return; // completed: the event is set
    DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
        // The client came between creation and this call; nothing is pending.
        connectedAtOnce_ = true;
        ::SetEvent(event_.Get());
    } else if (error != ERROR_IO_PENDING)
        Finish();
}

bool AskpassServer::ClientIsInJob() const {
    ULONG clientId = 0;
    if (!job_ || !::GetNamedPipeClientProcessId(pipe_.Get(), &clientId))
        return false;
    // Windows would take PROCESS_QUERY_LIMITED_INFORMATION here; Wine insists on the full right,
    // which a process of the same user gives as readily.
    fw::KernelHandle client(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, clientId));
    if (!client)
        return false;
    BOOL inJob = FALSE;
    return ::IsProcessInJob(client, job_, &inJob) && inJob;
}

void AskpassServer::OnEvent() {
    if (state_ == State::Draining) {
        // The client has closed its end (or, against the rules, written something): done.
        Finish();
        return;
    }
    DWORD transferred = 0;
    if (!connectedAtOnce_ &&
        !::GetOverlappedResult(pipe_.Get(), &overlapped_, &transferred, FALSE)) {
        Finish();
        return;
    }
    if (!ClientIsInJob()) {
        // Someone else of this user found the pipe: send them away and wait for ssh's askpass.
        ::DisconnectNamedPipe(pipe_.Get());
        Connect();
        return;
    }

    // Any password Marrowin can store fits the pipe's buffer and is written at once; a longer
    // one is as soon as the client reads it.
    OVERLAPPED write = {};
    write.hEvent = event_.Get();
    ::ResetEvent(event_.Get());
    DWORD written = 0;
    if (!::WriteFile(pipe_.Get(), message_.data(), static_cast<DWORD>(message_.size()), &written,
                     &write) &&
        (::GetLastError() != ERROR_IO_PENDING ||
         !::GetOverlappedResult(pipe_.Get(), &write, &written, TRUE))) {
        Finish();
        return;
    }
    Wipe(message_);

    // Closing our end now might throw away what the client has not read yet; wait until it
    // closes its end, which ends this read.
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.Get();
    ::ResetEvent(event_.Get());
    state_ = State::Draining;
    if (!::ReadFile(pipe_.Get(), &drainByte_, 1, nullptr, &overlapped_) &&
        ::GetLastError() != ERROR_IO_PENDING)
        Finish();
}

void AskpassServer::Finish() {
    state_ = State::Done;
    Wipe(message_);
    pipe_.Reset();
}
