// Helpers for the tests of our plink.exe; see plink_fixture.h.
#include "plink_fixture.h"

#include "support/loopback.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"

std::string PlinkPath() {
    return WinePath(PLINK_EXE_PATH);
}

std::string StandInSshPath() {
    return WinePath(STAND_IN_SSH_PATH);
}

std::vector<int> FreeLocalPorts(size_t count) {
    // All held open at once, so that the system hands out different ones.
    std::vector<SOCKET> sockets;
    std::vector<int> ports;
    for (size_t i = 0; i < count; ++i) {
        sockaddr_in address = Loopback(0);
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        int size = sizeof(address);
        if (s == INVALID_SOCKET ||
            ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            break;
        sockets.push_back(s);
        ports.push_back(ntohs(address.sin_port));
    }
    for (SOCKET s : sockets)
        ::closesocket(s);
    return ports;
}

bool Accepts(int port) {
    sockaddr_in address = Loopback(port);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    bool accepted = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::closesocket(s);
    return accepted;
}

PortHolder::PortHolder(int port) {
    sockaddr_in address = Loopback(port);
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    listening_ = socket_ != INVALID_SOCKET &&
                 ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                 ::listen(socket_, 1) == 0;
}

PortHolder::~PortHolder() {
    if (socket_ != INVALID_SOCKET)
        ::closesocket(socket_);
}

bool ProcessEnds(DWORD processId, DWORD timeoutMs) {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process any more
    bool ended = ::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

StandInSshFolder::StandInSshFolder() {
    ::SetEnvironmentVariableA("MARROWIN_SSH_STAND_IN_FOLDER", folder_.Path().c_str());
}

StandInSshFolder::~StandInSshFolder() {
    // A stand-in still running would keep its record file open.
    DWORD ssh = SshProcessId();
    if (ssh) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ssh);
        if (process) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 10000);
            ::CloseHandle(process);
        }
    }
    ::SetEnvironmentVariableA("MARROWIN_SSH_STAND_IN_FOLDER", nullptr);
}

DWORD StandInSshFolder::SshProcessId() const {
    std::string pid = Value("pid");
    return pid == "<not recorded>" ? 0 : std::strtoul(pid.c_str(), nullptr, 10);
}

PlinkRun::~PlinkRun() {
    if (!process_.hProcess)
        return;
    if (IsRunning()) {
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 10000);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

bool PlinkRun::Start(const std::string& commandLine, const std::string& program) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE errors = ::CreateFileA(folder_.File("stderr.txt").c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (errors == INVALID_HANDLE_VALUE)
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdError = errors;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    bool started = ::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                    NORMAL_PRIORITY_CLASS, nullptr, folder_.Path().c_str(),
                                    &startup, &process_) != FALSE;
    ::CloseHandle(errors);
    return started;
}

DWORD PlinkRun::WaitForExit(DWORD timeoutMs) {
    PumpMessagesUntil([&] { return !IsRunning(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.hProcess, &code);
    // Whatever plink.exe posted before it ended is in our queue by now.
    PumpMessagesFor(100);
    return code;
}

bool PlinkRun::IsRunning() const {
    return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::string PlinkRun::ErrorOutput() const {
    return ReadWholeFile(folder_.File("stderr.txt"));
}

ScopedVariable::ScopedVariable(const std::string& name, const char* value) : name_(name) {
    char old[32768];
    DWORD length = ::GetEnvironmentVariableA(name.c_str(), old, sizeof(old));
    hadOld_ = length > 0 && length < sizeof(old);
    if (hadOld_)
        old_ = old;
    ::SetEnvironmentVariableA(name.c_str(), value);
}

ScopedVariable::~ScopedVariable() {
    ::SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}
