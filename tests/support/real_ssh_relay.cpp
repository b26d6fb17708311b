// The relay that stands where ssh.exe stands (named by MARROWIN_SSH) in the real-client tests.
// Wine starts a Linux program from a Windows one but gives the caller no handle for it, so
// plink.exe could neither put the real Linux ssh into its job nor read its standard error.
// plink.exe starts this console program instead, exactly as it starts ssh.exe; it connects to
// the broker of the tests' real server (scripts/real-ssh/server.py, at MARROWIN_REAL_SSH), which
// runs the Linux ssh with this program's arguments (a known-hosts file's Windows path given as
// the Unix path of the same file). It only moves bytes:
// - ssh's standard error comes back as it is printed and goes to our standard error (plink's
//   pipe) as it comes;
// - each of ssh's askpass questions comes back too: we run the askpass program that plink named
//   (SSH_ASKPASS, plink.exe itself) as our own child, so inside plink's job, with the question as
//   its one argument, and send its output and exit code back for ssh;
// - ssh's exit code becomes ours; when plink ends us (or its job kills us) our connection
//   closes and the broker ends ssh.
// What plink set of ssh's environment for it to act on (SSH_ASKPASS, SSH_ASKPASS_REQUIRE,
// DISPLAY) goes along; every decision stays with plink and ssh.
#include "support/loopback.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <string>

namespace {

// Our exit code when the broker cannot be reached or goes away, as ssh's for its own faults.
constexpr int kRelayFailed = 255;

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                          nullptr, nullptr);
    return result;
}

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int size =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

std::wstring Variable(const wchar_t* name, bool& present) {
    DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    present = size > 0;
    if (!present)
        return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = ::GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

void WriteError(const std::string& bytes) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(error, data, static_cast<DWORD>(left), &written, nullptr) || written == 0)
            return;
        data += written;
        left -= written;
    }
}

class Connection {
public:
    ~Connection() {
        if (socket_ != INVALID_SOCKET)
            ::closesocket(socket_);
    }

    bool Open(const std::string& address) {
        sockaddr_in target;
        if (!ReadAddress(address, target))
            return false;
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        return socket_ != INVALID_SOCKET &&
               ::connect(socket_, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0;
    }

    bool SendBytes(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            int n = ::send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    // One frame: a byte of type, four bytes of length (little-endian), the payload.
    bool Send(char type, const std::string& payload) {
        std::string frame(1, type);
        uint32_t size = static_cast<uint32_t>(payload.size());
        for (int i = 0; i < 4; ++i)
            frame += static_cast<char>((size >> (8 * i)) & 0xFF);
        return SendBytes(frame + payload);
    }

    bool Receive(char& type, std::string& payload) {
        char head[5];
        if (!ReceiveExactly(head, sizeof(head)))
            return false;
        type = head[0];
        uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= static_cast<uint32_t>(static_cast<unsigned char>(head[1 + i])) << (8 * i);
        payload.assign(size, '\0');
        return size == 0 || ReceiveExactly(&payload[0], size);
    }

private:
    bool ReceiveExactly(char* buffer, size_t size) {
        while (size > 0) {
            int n = ::recv(socket_, buffer, static_cast<int>(size), 0);
            if (n <= 0)
                return false;
            buffer += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    SOCKET socket_ = INVALID_SOCKET;
};

std::wstring Quote(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Runs the askpass program as ssh does: the question as its one argument, its standard output
// read through a pipe, its standard error ours. Its exit code, and what it printed.
int RunAskpass(const std::wstring& program, const std::string& question, std::string& output) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return 1;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nowhere = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nowhere;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = Quote(program) + L" " + Quote(Wide(question));
    PROCESS_INFORMATION process = {};
    BOOL started = ::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    if (nowhere != INVALID_HANDLE_VALUE)
        ::CloseHandle(nowhere);
    if (!started) {
        ::CloseHandle(readEnd);
        return 1;
    }
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        output.append(buffer, read);
    ::CloseHandle(readEnd);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The known-hosts files plink names are Windows paths; the Linux ssh finds the same file under
// the Unix path Wine maps it to. Every other argument goes as it is.
std::wstring ForLinuxSsh(const std::wstring& argument) {
    for (const wchar_t* option : {L"UserKnownHostsFile=", L"GlobalKnownHostsFile="}) {
        std::wstring name = option;
        if (argument.compare(0, name.size(), name) != 0)
            continue;
        std::wstring path = argument.substr(name.size());
        if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
            path = path.substr(1, path.size() - 2);
        using UnixName = char*(__cdecl*)(const wchar_t*);
        auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* mapped = unixName ? unixName(path.c_str()) : nullptr;
        if (!mapped)
            return argument;
        std::wstring unixPath = Wide(mapped);
        ::HeapFree(::GetProcessHeap(), 0, mapped);
        return name + L"\"" + unixPath + L"\"";
    }
    return argument;
}

std::string LittleEndian(int32_t number) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((static_cast<uint32_t>(number) >> (8 * i)) & 0xFF);
    return bytes;
}

int Run() {
    bool present = false;
    std::string broker = Utf8(Variable(L"MARROWIN_REAL_SSH", present));
    Connection connection;
    if (!present || !connection.Open(broker) || !connection.SendBytes("relay\n")) {
        WriteError("ssh relay: the real-ssh broker (MARROWIN_REAL_SSH=" + broker +
                   ") cannot be reached.\r\n");
        return kRelayFailed;
    }

    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    bool sent = arguments != nullptr;
    for (int i = 1; sent && i < count; ++i)
        sent = connection.Send('A', Utf8(ForLinuxSsh(arguments[i])));
    if (arguments)
        ::LocalFree(arguments);
    bool hasAskpass = false;
    std::wstring askpass = Variable(L"SSH_ASKPASS", hasAskpass);
    for (const wchar_t* name : {L"SSH_ASKPASS", L"SSH_ASKPASS_REQUIRE", L"DISPLAY"}) {
        std::wstring value = Variable(name, present);
        if (sent && present)
            sent = connection.Send('V', Utf8(name) + "=" + Utf8(value));
    }
    if (!sent || !connection.Send('G', std::string())) {
        WriteError("ssh relay: the broker took no arguments.\r\n");
        return kRelayFailed;
    }

    char type = 0;
    std::string payload;
    while (connection.Receive(type, payload)) {
        if (type == 'E') {
            WriteError(payload);
        } else if (type == 'Q') {
            std::string answer;
            int code = hasAskpass ? RunAskpass(askpass, payload, answer) : 1;
            if (!connection.Send('R', LittleEndian(code) + answer))
                break;
            ::SecureZeroMemory(&answer[0], answer.size());
        } else if (type == 'X' && payload.size() == 4) {
            uint32_t code = 0;
            for (int i = 0; i < 4; ++i)
                code |= static_cast<uint32_t>(static_cast<unsigned char>(payload[i])) << (8 * i);
            return static_cast<int>(code);
        }
    }
    WriteError("ssh relay: the broker went away.\r\n");
    return kRelayFailed;
}

} // namespace

int main() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return kRelayFailed;
    int code = Run();
    ::WSACleanup();
    return code;
}
