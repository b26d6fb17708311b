// Reaching the tests' real OpenSSH server; see real_ssh_server.h.
#include "support/real_ssh_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/loopback.h"
#include "support/marrowin_process.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

SOCKET Connect(const std::string& address) {
    StartWinsock();
    sockaddr_in target;
    if (!ReadAddress(address, target))
        return INVALID_SOCKET;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    // No exchange with the server takes long; one that does has failed.
    DWORD timeoutMs = 60000;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                 sizeof(timeoutMs));
    if (::connect(s, reinterpret_cast<sockaddr*>(&target), sizeof(target)) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// Sends the request and reads the answer until the other side closes.
std::string Exchange(const std::string& address, const std::string& request) {
    SOCKET s = Connect(address);
    if (s == INVALID_SOCKET)
        return std::string();
    std::string answer;
    if (::send(s, request.data(), static_cast<int>(request.size()), 0) ==
        static_cast<int>(request.size())) {
        char buffer[4096];
        int n = 0;
        while ((n = ::recv(s, buffer, sizeof(buffer), 0)) > 0)
            answer.append(buffer, static_cast<size_t>(n));
    }
    ::closesocket(s);
    return answer;
}

std::string Variable(const char* name) {
    char value[256] = {};
    DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? value : std::string();
}

} // namespace

RealSshServer::RealSshServer() : address_(Variable("MARROWIN_REAL_SSH")) {
    if (address_.empty()) {
        why_ =
            "MARROWIN_REAL_SSH is not set: the real OpenSSH server was not started. scripts/test "
            "starts it (as root); see scripts/real-ssh/server.py.";
        return;
    }
    std::map<std::string, std::string> values;
    std::istringstream lines(Exchange(address_, "control info\n"));
    for (std::string line; std::getline(lines, line);) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    if (values.count("sshd_port") == 0) {
        why_ = "The real OpenSSH server at MARROWIN_REAL_SSH=" + address_ + " does not answer.";
        return;
    }
    sshdPort_ = std::atoi(values["sshd_port"].c_str());
    proxyPort_ = std::atoi(values["proxy_port"].c_str());
    webPort_ = std::atoi(values["web_port"].c_str());
    user_ = values["user"];
    keyUser_ = values["key_user"];
    password_ = values["password"];
    marker_ = values["marker"];
    sshdLog_ = WinePath(values["sshd_log"]);
    runsLog_ = WinePath(values["runs_log"]);
    available_ = true;
}

std::string RealSshServer::Command(const std::string& command) const {
    std::string answer = Exchange(address_, "control " + command + "\n");
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
        answer.pop_back();
    return answer;
}

std::string RealSshServer::SshdLog() const {
    return ReadWholeFile(sshdLog_);
}

std::string RealSshServer::SshRunsLog() const {
    return ReadWholeFile(runsLog_);
}

int RealSshServer::SshRuns() const {
    return std::atoi(Command("runs").c_str());
}

int RealSshServer::RunningSsh() const {
    std::string runs = Command("runs");
    size_t space = runs.find(' ');
    return space == std::string::npos ? -1 : std::atoi(runs.c_str() + space + 1);
}

std::string RealSshRelayPath() {
    return WinePath(REAL_SSH_RELAY_PATH);
}

std::string FetchThroughProxy(int proxyPort, int webPort) {
    return FetchByName(proxyPort, "127.0.0.1", webPort, false);
}

std::string FetchByName(int proxyPort, const std::string& host, int webPort, bool tunnel) {
    const std::string target = host + ":" + std::to_string(webPort);
    const std::string get = "GET " + (tunnel ? "/" : "http://" + target + "/") +
                            " HTTP/1.0\r\nHost: " + target + "\r\n\r\n";
    const std::string connect = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n\r\n";
    return Exchange("127.0.0.1:" + std::to_string(proxyPort), tunnel ? connect + get : get);
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
