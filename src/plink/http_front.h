// The browser front: an HTTP proxy of plink.exe's own on 127.0.0.1, at the port the browser is
// pointed at, for an account that carries the browser through ssh itself. Browsers given a
// bare SOCKS proxy look names up on this computer; this front takes the browser's CONNECT and
// plain requests and hands each to ssh's dynamic forwarding (SOCKS5) by name, so that names are
// looked up only on the server's side.
//
// One thread of its own serves every connection: one WSAPoll loop over sockets that never
// block, waking at least once a second for the time limits (front_connection.h). At most
// `maxConnections` at once; one more is answered "503" and closed at once. Reading needs one
// buffer of the loop's; a connection keeps at most one read's worth per direction.
#pragma once

#include "plink/front_connection.h"
#include "plink/loopback.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

inline constexpr size_t kMaxFrontConnections = 1000;

class HttpFront {
public:
    explicit HttpFront(size_t maxConnections = kMaxFrontConnections,
                       ULONGLONG headTimeMs = FrontSettings().headTimeMs);
    // Stops serving and closes every connection.
    ~HttpFront();
    HttpFront(const HttpFront&) = delete;
    HttpFront& operator=(const HttpFront&) = delete;

    // Listens on 127.0.0.1 at the port; the Winsock error code when it could not (WSAEADDRINUSE
    // or WSAEACCES: another program has the port).
    std::optional<int> Open(int port);
    // Serves, on a thread of its own, handing every request to the SOCKS5 port on 127.0.0.1;
    // what failed, or nothing.
    std::optional<std::string> Start(int socksPort);
    // Connections being served right now.
    size_t OpenConnections() const { return open_; }

private:
    void Serve();
    void Accept(std::vector<std::unique_ptr<FrontConnection>>& connections, ULONGLONG now);

    Socket listener_;
    int port_ = 0;
    size_t maxConnections_;
    FrontSettings settings_;
    // The loop's one read buffer, used by its thread alone.
    std::vector<char> buffer_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> open_{0};
};
