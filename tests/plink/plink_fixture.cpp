// Helpers for the tests of our plink.exe; see plink_fixture.h.
#include "plink_fixture.h"

#include "tunnel/client_messages.h"
#include "resource.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"

#include <winsock2.h>

#include <algorithm>

namespace {

constexpr char kScriptFile[] = "stand_in_ssh_script.txt";
constexpr char kRecordFile[] = "stand_in_ssh_record.txt";

class WinsockUser {
public:
    WinsockUser() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void StartWinsock() {
    static WinsockUser user;
}

} // namespace

std::string PlinkPath() {
    return WinePath(PLINK_EXE_PATH);
}

std::string StandInSshPath() {
    return WinePath(STAND_IN_SSH_PATH);
}

std::vector<int> FreeLocalPorts(size_t count) {
    StartWinsock();
    // All held open at once, so that the system hands out different ones.
    std::vector<SOCKET> sockets;
    std::vector<int> ports;
    for (size_t i = 0; i < count; ++i) {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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
    StartWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    bool accepted = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::closesocket(s);
    return accepted;
}

PortHolder::PortHolder(int port) {
    StartWinsock();
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
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

ReportWindow::ReportWindow(const char* title) : Dialog(IDD_ABOUTBOX) {
    for (UINT message : {WM_QV_CON_START, WM_QV_CON_ESTH, WM_QV_STOP}) {
        OnMessage(message, [this, message](WPARAM, LPARAM) {
            arrived.push_back(message);
            if (message == WM_QV_STOP)
                reasonsAtStop.push_back(notice_.TakeOnEnd());
            return 0;
        });
    }
    OnMessage(WM_COPYDATA, [this](WPARAM, LPARAM l) -> LRESULT {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        return notice_.OnCopyData(data->dwData, data->lpData, data->cbData);
    });
    if (Create())
        ::SetWindowTextA(Handle(), title);
}

size_t ReportWindow::Count(UINT message) const {
    return static_cast<size_t>(std::count(arrived.begin(), arrived.end(), message));
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

void StandInSshFolder::Script(const std::vector<std::string>& steps) const {
    std::string script;
    for (const std::string& step : steps)
        script += step + "\r\n";
    WriteWholeFile(folder_.File(kScriptFile), script);
}

void StandInSshFolder::Touch(const std::string& name) const {
    WriteWholeFile(folder_.File(name), "");
}

bool StandInSshFolder::WasStarted() const {
    return FileExists(folder_.File(kRecordFile));
}

std::vector<std::string> StandInSshFolder::Record() const {
    return ReadLines(folder_.File(kRecordFile));
}

std::vector<std::string> StandInSshFolder::Values(const std::string& name) const {
    std::vector<std::string> values;
    std::string prefix = name + "=";
    for (const std::string& line : Record()) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            values.push_back(line.substr(prefix.size()));
    }
    return values;
}

std::string StandInSshFolder::Value(const std::string& name) const {
    std::vector<std::string> values = Values(name);
    return values.empty() ? "<not recorded>" : values.front();
}

bool StandInSshFolder::HasLine(const std::string& line) const {
    std::vector<std::string> record = Record();
    return std::find(record.begin(), record.end(), line) != record.end();
}

bool StandInSshFolder::WaitForLine(const std::string& line, DWORD timeoutMs) const {
    return PumpMessagesUntil([&] { return HasLine(line); }, timeoutMs);
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

bool PlinkRun::Start(const std::string& commandLine) {
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
    std::string program = PlinkPath();
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
