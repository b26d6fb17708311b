// A small HTTP server of the tests' own on 127.0.0.1, standing in for the version server. It
// records every request's head and answers each connection as scripted: with a status
// and a body, or only later (the connection is held until the answer is given or the server
// ends).
#pragma once

#include <winsock2.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer {
public:
    // Listens on a free port; Port() is 0 when it could not.
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int Port() const { return port_; }
    // "127.0.0.1:<port>", the form MARROWIN_VERSION_SERVER takes.
    std::string Address() const;

    // How connections are answered from now on, held ones included: the status with the body
    // (the default is status 200 with an empty body); a status of 300 to 399 with a new
    // address on this server.
    void Answer(int status, const std::string& body);
    // Connections from now on get no answer until the next Answer.
    void HoldAnswers();

    // The request line of each request so far, and the whole head (line and headers) of the
    // last one.
    std::vector<std::string> RequestLines() const;
    std::string LastRequestHead() const;
    // Waits until the given number of requests has arrived; false when they do not come.
    bool WaitForRequests(size_t count) const;

private:
    void Serve();
    void Handle(SOCKET client);

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    bool answers_ = true;
    int status_ = 200;
    std::string body_;
    std::vector<std::string> requestHeads_;
};

// A port on 127.0.0.1 that refuses connections: bound, never listening, held for its lifetime
// so that nothing else takes it.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int Port() const { return port_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};
