// The tests' own HTTP server; see http_test_server.h.
#include "support/http_test_server.h"

#include "support/loopback.h"

#include <chrono>

namespace {

// Binds the socket to a free port on 127.0.0.1 and returns the port, or 0.
int BindFreePort(SOCKET s) {
    sockaddr_in address = Loopback(0);
    int size = sizeof(address);
    if (s == INVALID_SOCKET ||
        ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int chunk = ::send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (chunk <= 0)
            return false;
        sent += chunk;
    }
    return true;
}

} // namespace

HttpTestServer::HttpTestServer() {
    StartWinsock();
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    port_ = BindFreePort(listener_);
    if (port_ == 0 || ::listen(listener_, SOMAXCONN) != 0) {
        port_ = 0;
        return;
    }
    thread_ = std::thread(&HttpTestServer::Serve, this);
}

HttpTestServer::~HttpTestServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        // A connection of our own, closed at once, wakes the thread from accept.
        SOCKET wake = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = Loopback(port_);
        ::connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::closesocket(wake);
        thread_.join();
    }
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
}

std::string HttpTestServer::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void HttpTestServer::Answer(int status, const std::string& body) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_ = true;
        status_ = status;
        body_ = body;
    }
    changed_.notify_all();
}

void HttpTestServer::HoldAnswers() {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_ = false;
}

std::vector<std::string> HttpTestServer::RequestLines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    for (const std::string& head : requestHeads_)
        lines.push_back(head.substr(0, head.find("\r\n")));
    return lines;
}

std::string HttpTestServer::LastRequestHead() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requestHeads_.empty() ? std::string() : requestHeads_.back();
}

bool HttpTestServer::WaitForRequests(size_t count) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20),
                             [&] { return requestHeads_.size() >= count; });
}

void HttpTestServer::Serve() {
    for (;;) {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        Handle(client);
        ::closesocket(client);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_)
            return;
    }
}

void HttpTestServer::Handle(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int received = ::recv(client, buffer, sizeof(buffer), 0);
        if (received <= 0)
            break;
        request.append(buffer, received);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    requestHeads_.push_back(request);
    changed_.notify_all();
    changed_.wait(lock, [&] { return answers_ || stopping_; });
    if (stopping_)
        return;
    // The reason phrase is free text, which WinINet does not read. A redirect sends the client
    // to a new address on this server each time.
    std::string location = status_ / 100 == 3 ? "Location: /moved" +
                                                    std::to_string(requestHeads_.size()) + "\r\n"
                                              : "";
    std::string response = "HTTP/1.0 " + std::to_string(status_) + " Answer\r\n" + location +
                           "Content-Length: " + std::to_string(body_.size()) +
                           "\r\nConnection: close\r\n\r\n" + body_;
    lock.unlock();
    // The client may stop reading early (a body over its limit); the rest is then dropped.
    if (SendAll(client, response))
        ::shutdown(client, SD_SEND);
}

RefusingPort::RefusingPort() {
    StartWinsock();
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    port_ = BindFreePort(socket_);
}

RefusingPort::~RefusingPort() {
    if (socket_ != INVALID_SOCKET)
        ::closesocket(socket_);
}
